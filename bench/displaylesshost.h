#pragma once

// The window's part of an edit run and an undo with no display, for the
// benchmarks: the texts, ticks and file rows are plain fields set by the
// caller, yield does nothing, the undo question is answered Yes, and the
// status line and the files named at the end are kept for the caller to print
// or check.

#include "edithost.h"
#include "editmodes.h"
#include "editoptions.h"
#include "runcaptions.h"

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
    std::array<bool, int(ReadOption::Count)> options{};
    std::array<bool, int(EditMode::Count)> modes{};
    bool insideFolders = false;
    QString statusCaption;
    QList<FileFailure> failures;
    QList<FileFailure> leftAsTheyAre;
    SkippedFiles skipped;

    void activityChanged(const RunState &) override {}
    // Only an empty file list brings a message; say it rather than lose it.
    void showNothingListed() override { std::fprintf(stderr, "%s\n", qPrintable(nothingListedText())); }
    bool askToClear() override { return false; }
    bool askToUndo(const UndoQuestion &) override { return true; }
    QString findText() const override { return find; }
    QString withText() const override { return with; }
    bool isOptionTicked(int index) const override { return options.at(size_t(index)); }
    int modeCount() const override { return int(editModeNames().size()); }
    QString modeText(int index) const override { return editModeNames().at(index); }
    bool isModeTicked(int index) const override { return modes.at(size_t(index)); }
    bool editsInsideFolders() const override { return insideFolders; }
    void showProgress(const Progress &progress) override { statusCaption = progressCaption(progress); }
    void showModePass() override {}
    void showRunEnd(const RunSummary &summary) override
    {
        if (!summary.stopped)
            statusCaption = runSummaryCaption(summary);
        failures = summary.failures;
        skipped = summary.skipped;
    }
    void showUndoProgress(const Progress &progress) override { statusCaption = undoProgressCaption(progress); }
    void showUndoEnd(const UndoSummary &summary) override
    {
        if (!summary.stopped)
            statusCaption = undoSummaryCaption(summary);
        leftAsTheyAre = summary.left;
    }
    void yield() override {}
    qint64 rowCount() const override { return rows.size(); }
    QByteArray rowTag(qint64 position) const override { return rows.at(position - 1); }
    void removeAllRows() override { rows.clear(); }
};
