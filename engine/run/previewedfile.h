#pragma once

#include "frozeninputs.h"

#include <QByteArray>
#include <QList>

#include <sys/stat.h>

// A file that a preview found the edit would change.
struct PreviewedFile
{
    QByteArray path;
    struct stat version
    {
    };                        // as the preview read it (see isSameVersion())
    qint64 occurrences = 0;   // of the Find text
};

// A run over files a preview showed: the files, in the preview's order, with
// the texts and ticks the preview was made with.
struct PreviewedRun
{
    FrozenInputs inputs;
    QList<PreviewedFile> files;
};
