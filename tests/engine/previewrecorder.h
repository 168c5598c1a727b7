#pragma once

#include "editpreview.h"

#include <QList>
#include <QStringList>

#include <functional>

// What a preview showed, in order.
class PreviewRecorder : public PreviewDisplay
{
public:
    QList<PreviewedFile> files;
    QStringList progress;   // the paths, in order
    std::function<void(int)> onYield;
    int yields = 0;

    void showPreviewProgress(const Progress &shown) override { progress.append(QString::fromUtf8(shown.path)); }
    void filePreviewed(const PreviewedFile &file) override { files.append(file); }
    void yield() override
    {
        if (onYield)
            onYield(++yields);
    }
};
