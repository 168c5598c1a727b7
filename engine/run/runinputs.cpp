#include "runinputs.h"

#include "edithost.h"

QList<EditMode> tickedModes(const EditInputs &inputs)
{
    QList<EditMode> ticked;
    const int count = qMin(inputs.modeCount(), int(EditMode::Count));
    for (int j = 0; j < count; ++j) {
        if (inputs.isModeTicked(j))
            ticked.append(EditMode(j));
    }
    return ticked;
}

void showModePass(const EditInputs &inputs, const std::function<void(const QString &)> &showModeCaption)
{
    const int count = inputs.modeCount();
    for (int j = 0; j < count; ++j)
        showModeCaption(QStringLiteral("Performing: ") + inputs.modeText(j));
    showModeCaption(QStringLiteral("..."));
}

ReadStyle readStyle(const EditInputs &inputs)
{
    if (inputs.isOptionTicked(int(ReadOption::SingleLineFile)))
        return ReadStyle::SingleLineFile;
    if (inputs.isOptionTicked(int(ReadOption::EnumerateLines)))
        return ReadStyle::EnumerateLines;
    if (inputs.isOptionTicked(int(ReadOption::RemoveIndentation)))
        return ReadStyle::RemoveIndentation;
    return ReadStyle::WholeFile;
}

CompareMode compareMode(const EditInputs &inputs)
{
    return inputs.isOptionTicked(int(ReadOption::CaseSensitive)) ? CompareMode::Exact : CompareMode::CaseInsensitive;
}
