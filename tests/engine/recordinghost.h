#pragma once

#include "edithost.h"
#include "editmodes.h"
#include "editoptions.h"
#include "runcaptions.h"
#include "runcontrols.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// The window's part of an edit run and an undo, without a window: it keeps the
// state of the controls and the captions as the window would show them, in
// plain fields, answers Yes/No questions from a queue, and lets a test act
// "during" a yield or a mode pass.
class RecordingHost : public EditInputs, public FileRows, public EditDisplay
{
public:
    QStringList rows;   // the tags, row 1 first
    QString find;
    QString with;
    std::array<bool, int(ReadOption::Count)> options{};
    QStringList modeTexts = editModeNames();
    std::array<bool, int(EditMode::Count)> modes{};
    bool insideFolders = false;   // File > Edit Files Inside Folders
    QList<bool> answers;          // the answers of the questions, first asked first
    // Runs inside yield(), with the number of the yield in this host's life (from 1).
    std::function<void(int)> onYield;
    // Runs inside showModePass(), between a file's Find test and its rewrite.
    std::function<void()> onModePass;

    // The controls, as the window sets them from the engine's state.
    bool executeEnabled = true;
    bool stopEnabled = false;
    bool undoEnabled = false;
    bool busy = false;
    int runsStarted = 0;          // times the state went to Running
    QStringList statusCaptions;   // Label1's captions, in order
    QString statusCaption;        // the latest of them
    QStringList modeCaptions;     // Label3's, in order
    QStringList questions;        // as asked, in order
    QStringList informations;     // the information boxes shown
    int yields = 0;
    mutable int findTextReads = 0;
    QList<QList<FileFailure>> failureReports;   // one for each run that got past the empty list
    QList<SkippedFiles> skippedReports;
    QList<QList<FileFailure>> leftReports;   // one for each undo started

    void tickMode(EditMode mode, bool ticked = true) { modes[size_t(mode)] = ticked; }
    void tickOption(ReadOption option, bool ticked = true) { options[size_t(option)] = ticked; }

    void activityChanged(const RunState &state) override
    {
        if (state.activity == Activity::Running && !busy)
            ++runsStarted;
        const RunControls controls = controlsFor(state);
        executeEnabled = controls.executeEnabled;
        stopEnabled = controls.stopEnabled;
        undoEnabled = controls.undoEnabled;
        busy = controls.working;
    }
    void showNothingListed() override { informations.append(nothingListedText()); }
    bool askToClear() override { return answer(clearQuestionText()); }
    bool askToUndo(const UndoQuestion &question) override { return answer(undoQuestionText(question)); }
    void showProgress(const Progress &progress) override { setStatusCaption(progressCaption(progress)); }
    void showModePass() override
    {
        modeCaptions += modePassCaptions(modeTexts);
        if (onModePass)
            onModePass();
    }
    void showRunEnd(const RunSummary &summary) override
    {
        if (!summary.stopped)
            setStatusCaption(runSummaryCaption(summary));
        failureReports.append(summary.failures);
        skippedReports.append(summary.skipped);
    }
    void showUndoProgress(const Progress &progress) override { setStatusCaption(undoProgressCaption(progress)); }
    void showUndoEnd(const UndoSummary &summary) override
    {
        if (!summary.stopped)
            setStatusCaption(undoSummaryCaption(summary));
        leftReports.append(summary.left);
    }
    void yield() override
    {
        ++yields;
        if (onYield)
            onYield(yields);
    }

    QString findText() const override
    {
        ++findTextReads;
        return find;
    }
    QString withText() const override { return with; }
    bool isOptionTicked(int index) const override { return options.at(size_t(index)); }
    int modeCount() const override { return int(modeTexts.size()); }
    QString modeText(int index) const override { return modeTexts.at(index); }
    bool isModeTicked(int index) const override { return modes.at(size_t(index)); }
    bool editsInsideFolders() const override { return insideFolders; }

    qint64 rowCount() const override { return rows.size(); }
    QByteArray rowTag(qint64 position) const override
    {
        return rows.at(position - 1).toUtf8();   // asserts on a row that does not exist
    }
    void removeAllRows() override { rows.clear(); }

private:
    void setStatusCaption(const QString &caption)
    {
        statusCaptions.append(caption);
        statusCaption = caption;
    }
    bool answer(const QString &question)
    {
        questions.append(question);
        return !answers.isEmpty() && answers.takeFirst();
    }
};
