#include "editrecipe.h"

#include "edithost.h"
#include "editpass.h"
#include "runinputs.h"

EditRecipe makeRecipe(const EditInputs &inputs, int fd, qint64 size, RunTexts &texts, QByteArray &buffer)
{
    const ReadStyle style = readStyle(inputs);
    // Taken before the read, not after it: the Find test runs while the file
    // is read. No event is handled in between, so the tick is the same.
    const CompareMode compare = compareMode(inputs);

    EditRecipe recipe;
    recipe.style = style;
    // Only a line-wise style or a line break in the texts needs the file's
    // line end, which is found in its first bytes.
    const bool needsLineEnd = style != ReadStyle::WholeFile || texts.dependOnLineEnd();
    recipe.lineEnd = needsLineEnd ? fileLineEnd(fd, size, buffer) : QByteArrayLiteral("\r\n");
    EditTexts &fileTexts = texts.forLineEnd(recipe.lineEnd);
    recipe.texts = &fileTexts;
    recipe.finder = fileTexts.search.finder(compare);
    // The ticks are taken before the read, since the first read already makes
    // the edit to compare it with the file; no event is handled in between.
    recipe.modes = tickedModes(inputs);
    return recipe;
}
