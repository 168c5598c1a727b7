#include "frozeninputs.h"

FrozenInputs::FrozenInputs(const EditInputs &now)
    : m_find(now.findText())
    , m_with(now.withText())
    , m_insideFolders(now.editsInsideFolders())
{
    for (int option = 0; option < int(ReadOption::Count); ++option)
        m_options[size_t(option)] = now.isOptionTicked(option);
    for (int mode = 0; mode < now.modeCount(); ++mode) {
        m_modeTexts.append(now.modeText(mode));
        m_modeTicks.append(now.isModeTicked(mode));
    }
}
