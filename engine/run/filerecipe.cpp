#include "filerecipe.h"

#include "editmodes.h"
#include "editpass.h"

EditRecipe fileRecipe(int fd, qint64 size, const FileTicks &ticks, RunTexts &texts, QByteArray &buffer)
{
    const bool needsLineEnd = ticks.style != ReadStyle::WholeFile || texts.dependOnLineEnd();
    return recipeWithLineEnd(needsLineEnd ? fileLineEnd(fd, size, buffer) : QByteArrayLiteral("\r\n"), ticks, texts);
}

EditRecipe recipeWithLineEnd(const QByteArray &lineEnd, const FileTicks &ticks, RunTexts &texts)
{
    EditRecipe recipe;
    recipe.style = ticks.style;
    recipe.lineEnd = lineEnd;
    EditTexts &fileTexts = texts.forLineEnd(lineEnd);
    recipe.texts = &fileTexts;
    recipe.finder = fileTexts.search.finder(ticks.compare);
    recipe.modes = ticks.modes;
    return recipe;
}
