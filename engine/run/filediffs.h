#pragma once

#include "bytesink.h"
#include "diffreceiver.h"
#include "filefailure.h"
#include "previewedfile.h"
#include "undojournal.h"

#include <QtGlobal>

#include <optional>

class EditInputs;
class RunTexts;

// How a file's diff is made.
struct DiffStyle
{
    // Lines end where the file's own line end does ('\n' for CR LF); off:
    // at every LF, as `patch` reads them.
    bool ownLineEnd = true;
    qsizetype keptBytes = -1;   // of each line; < 0: all
};

// The diff of a previewed file and its edit, made by the run's own code from
// the file as it is now: unless the file is no longer as the preview read it
// (ChangedSincePreview) or cannot be read, which is returned instead.
std::optional<FileFailure> diffPreviewed(const PreviewedFile &file, const EditInputs &inputs, RunTexts &texts,
                                         const DiffStyle &style, DiffReceiver &out);

// The diff of a previewed file as a unified diff (see diffPreviewed()), with
// the header lines naming it, that `patch` applies to the file as it is.
std::optional<FileFailure> writeUnifiedDiff(const PreviewedFile &file, const EditInputs &inputs, RunTexts &texts,
                                            ByteSink &out);

// The diff of a file the last run changed, from its content before the run
// (as the journal keeps it for the undo) to what it holds now: unless it is
// no longer as the run left it, is gone, or its old content was not kept,
// which is returned instead.
std::optional<FileFailure> diffSinceRun(const UndoJournal &journal, const UndoJournal::Entry &entry,
                                        const DiffStyle &style, DiffReceiver &out);
