#pragma once

// The window's part of an edit run and an undo with no display, for the
// benchmarks: the texts, ticks and file rows are plain fields set by the
// caller, yield does nothing, the undo question is answered Yes, and the
// status line and the files named at the end are kept for the caller to print
// or check.

#include "edithost.h"
#include "editmodes.h"
#include "editoptions.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdio>

class DisplaylessHost : public EditInputs, public FileRows, public EditDisplay
{
public:
    QByteArrayList rows;
    QString find;
    QString with;
    std::array<bool, int(ReadOption::Count)> options {};
    std::array<bool, int(EditMode::Count)> modes {};
    bool insideFolders = false;
    QString statusCaption;
    QList<FileFailure> failures;
    QList<FileFailure> leftAsTheyAre;
    SkippedFiles skipped;

    void setExecuteEnabled(bool) override {}
    bool isStopEnabled() const override { return m_stopEnabled; }
    void setStopEnabled(bool enabled) override { m_stopEnabled = enabled; }
    void setUndoEnabled(bool) override {}
    void setBusyPointer(bool) override {}
    // Only an empty file list brings a message; say it rather than lose it.
    void showInformation(const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool askYesNo(const QString &) override { return false; }
    bool askToUndo(const QString &) override { return true; }
    QString findText() const override { return find; }
    QString withText() const override { return with; }
    bool isOptionTicked(int index) const override { return options.at(size_t(index)); }
    int modeCount() const override { return int(editModeNames().size()); }
    QString modeText(int index) const override { return editModeNames().at(index); }
    bool isModeTicked(int index) const override { return modes.at(size_t(index)); }
    bool editsInsideFolders() const override { return insideFolders; }
    void setStatusCaption(const QString &caption) override { statusCaption = caption; }
    void setModeCaption(const QString &) override {}
    void yield() override {}
    qint64 rowCount() const override { return rows.size(); }
    QByteArray rowTag(qint64 position) const override { return rows.at(position - 1); }
    void removeAllRows() override { rows.clear(); }
    void showFailures(const QList<FileFailure> &list) override { failures = list; }
    void showSkipped(const SkippedFiles &files) override { skipped = files; }
    void showLeftAsTheyAre(const QList<FileFailure> &list) override { leftAsTheyAre = list; }

private:
    bool m_stopEnabled = false;
};
