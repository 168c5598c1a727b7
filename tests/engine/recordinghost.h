#pragma once

#include "edithost.h"
#include "editmodes.h"
#include "editoptions.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// The window's part of an edit run and an undo, without a window: it keeps the
// state of the controls in plain fields, writes every call it receives into
// `calls` in order, answers Yes/No questions from a queue, and lets a test act
// "during" a yield.
class RecordingHost : public EditInputs, public FileRows, public EditDisplay
{
public:
    mutable QStringList calls;
    QStringList rows;   // the tags, row 1 first
    QString find;
    QString with;
    std::array<bool, int(ReadOption::Count)> options {};
    QStringList modeTexts = editModeNames();
    std::array<bool, int(EditMode::Count)> modes {};
    bool insideFolders = false;   // File > Edit Files Inside Folders
    QList<bool> answers;   // the answers of askYesNo, first asked first
    // Runs inside yield(), with the number of the yield in this host's life (from 1).
    std::function<void(int)> onYield;
    // Runs after every call has been recorded, with the call's record.
    std::function<void(const QString &)> onCall;

    bool executeEnabled = true;
    bool stopEnabled = false;
    bool undoEnabled = false;
    bool busy = false;
    QString statusCaption;
    int yields = 0;
    QList<QList<FileFailure>> failureReports;
    QList<QList<FileFailure>> leftReports;
    QList<SkippedFiles> skippedReports;

    void tickMode(EditMode mode, bool ticked = true) { modes[size_t(mode)] = ticked; }
    void tickOption(ReadOption option, bool ticked = true) { options[size_t(option)] = ticked; }
    // The captions given to Label1, in order.
    QStringList statusCaptions() const
    {
        QStringList captions;
        for (const QString &call : calls) {
            if (call.startsWith(u"setStatusCaption("))
                captions.append(call.mid(17).chopped(1));
        }
        return captions;
    }

    void setExecuteEnabled(bool enabled) override
    {
        record(u"setExecuteEnabled(%1)", enabled);
        executeEnabled = enabled;
    }
    bool isStopEnabled() const override
    {
        record(u"isStopEnabled");
        return stopEnabled;
    }
    void setStopEnabled(bool enabled) override
    {
        record(u"setStopEnabled(%1)", enabled);
        stopEnabled = enabled;
    }
    void setUndoEnabled(bool enabled) override
    {
        record(u"setUndoEnabled(%1)", enabled);
        undoEnabled = enabled;
    }
    void setBusyPointer(bool isBusy) override
    {
        record(u"setBusyPointer(%1)", isBusy);
        busy = isBusy;
    }
    void showInformation(const QString &text) override { record(u"showInformation(%1)", text); }
    bool askYesNo(const QString &text) override
    {
        record(u"askYesNo(%1)", text);
        return !answers.isEmpty() && answers.takeFirst();
    }
    bool askToUndo(const QString &text) override
    {
        record(u"askToUndo(%1)", text);
        return !answers.isEmpty() && answers.takeFirst();
    }
    QString findText() const override
    {
        record(u"findText");
        return find;
    }
    QString withText() const override
    {
        record(u"withText");
        return with;
    }
    bool isOptionTicked(int index) const override
    {
        record(u"isOptionTicked(%1)", index);
        return options.at(size_t(index));
    }
    int modeCount() const override
    {
        record(u"modeCount");
        return int(modeTexts.size());
    }
    QString modeText(int index) const override
    {
        record(u"modeText(%1)", index);
        return modeTexts.at(index);
    }
    bool isModeTicked(int index) const override
    {
        record(u"isModeTicked(%1)", index);
        return modes.at(size_t(index));
    }
    bool editsInsideFolders() const override
    {
        record(u"editsInsideFolders");
        return insideFolders;
    }
    void setStatusCaption(const QString &caption) override
    {
        record(u"setStatusCaption(%1)", caption);
        statusCaption = caption;
    }
    void setModeCaption(const QString &caption) override { record(u"setModeCaption(%1)", caption); }
    void yield() override
    {
        record(u"yield");
        ++yields;
        if (onYield)
            onYield(yields);
    }
    qint64 rowCount() const override
    {
        record(u"rowCount");
        return rows.size();
    }
    QByteArray rowTag(qint64 position) const override
    {
        record(u"rowTag(%1)", position);
        return rows.at(position - 1).toUtf8();   // asserts on a row that does not exist
    }
    void removeAllRows() override
    {
        record(u"removeAllRows");
        rows.clear();
    }
    void showFailures(const QList<FileFailure> &failures) override
    {
        record(u"showFailures(%1)", int(failures.size()));
        failureReports.append(failures);
    }
    void showSkipped(const SkippedFiles &skipped) override
    {
        record(u"showSkipped(%1)", skipped.fileCount() + skipped.folderRowCount());
        skippedReports.append(skipped);
    }
    void showLeftAsTheyAre(const QList<FileFailure> &files) override
    {
        record(u"showLeftAsTheyAre(%1)", int(files.size()));
        leftReports.append(files);
    }

private:
    void record(QStringView call) const { append(call.toString()); }
    void record(QStringView pattern, const QString &argument) const { append(pattern.toString().arg(argument)); }
    void append(const QString &call) const
    {
        calls.append(call);
        if (onCall)
            onCall(call);
    }
    void record(QStringView pattern, bool argument) const
    {
        record(pattern, argument ? QStringLiteral("true") : QStringLiteral("false"));
    }
    void record(QStringView pattern, qint64 argument) const { record(pattern, QString::number(argument)); }
    void record(QStringView pattern, int argument) const { record(pattern, QString::number(argument)); }
};
