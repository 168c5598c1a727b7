#pragma once

#include <QListWidget>

// A list whose only selection is the tick of each item: a click anywhere on an
// item or Space on the current item toggles its tick. ItemCheck reports the
// ticks the user changes, never those set through setTicked(). Assistive
// tools see each item as a check box with a Toggle action.
class CheckList : public QListWidget
{
    Q_OBJECT
public:
    explicit CheckList(const QStringList &items, QWidget *parent = nullptr);

    bool isTicked(int index) const;
    void setTicked(int index, bool ticked);
    // Changes the item's tick as a click on it does, ItemCheck included.
    void toggle(int index);

signals:
    // The item's tick has already changed when this is emitted.
    void ItemCheck(int index);

private:
    void tickChanged(int index);

    bool m_settingTicks = false;
};
