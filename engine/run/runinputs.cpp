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

FileTicks fileTicks(const EditInputs &inputs)
{
    return {readStyle(inputs), compareMode(inputs), tickedModes(inputs)};
}
