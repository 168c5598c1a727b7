#pragma once

#include "editmodes.h"
#include "runinputs.h"
#include "previewedfile.h"
#include "runresults.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What a preview found of one file: what the run would count, and, for a
// file the edit would change, what the preview shows of it.
struct FilePreview
{
    FileResult result;
    std::optional<PreviewedFile> changed;
};

// A preview's look at one file, on any thread, with state of its own (the
// texts, a buffer): one per worker, and one for the preview's own thread.
// It makes the run's first read and, where the run would rewrite the file,
// the edit once more in full to count the occurrences, writing nothing.
class FilePreviewer
{
public:
    FilePreviewer(const QString &find, const QString &with);

    FilePreview preview(const QByteArray &path, const FileTicks &ticks);

private:
    FilePreview previewExisting(const QByteArray &path, const FileTicks &ticks);

    RunTexts m_texts;
    QByteArray m_buffer;
};
