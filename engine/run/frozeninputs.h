#pragma once

#include "edithost.h"
#include "editoptions.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// The texts and ticks of a window as they stood at one moment: what a
// preview reads for every file, and what the run over the files it showed
// reads again, so that both edit alike whatever the window holds meanwhile.
class FrozenInputs : public EditInputs
{
public:
    FrozenInputs() = default;
    explicit FrozenInputs(const EditInputs &now);

    QString findText() const override { return m_find; }
    QString withText() const override { return m_with; }
    bool isOptionTicked(int index) const override { return m_options.at(size_t(index)); }
    int modeCount() const override { return int(m_modeTexts.size()); }
    QString modeText(int index) const override { return m_modeTexts.at(index); }
    bool isModeTicked(int index) const override { return m_modeTicks.at(index); }
    bool editsInsideFolders() const override { return m_insideFolders; }

private:
    QString m_find;
    QString m_with;
    std::array<bool, int(ReadOption::Count)> m_options{};
    QStringList m_modeTexts;
    QList<bool> m_modeTicks;
    bool m_insideFolders = false;
};
