#include "checklist.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

namespace {

// The height of one item, so that the five modes fill the 77 px list exactly
// as a check-box list of the 8 pt system font does.
constexpr int kItemHeight = 15;

// A click on an item and its accessible Toggle both tick through here.
void toggleTick(QAbstractItemModel *model, const QModelIndex &index)
{
    const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

// The standard delegate toggles a tick only on a click in the tick box; here
// the whole item is the tick box, since the list has no other selection.
class TickAnywhereDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        const bool release = event->type() == QEvent::MouseButtonRelease;
        if ((release || event->type() == QEvent::MouseButtonDblClick) && (index.flags() & Qt::ItemIsUserCheckable)
            && (index.flags() & Qt::ItemIsEnabled)) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
                return false;
            if (release)
                toggleTick(model, index);
            return true;
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
};

}   // namespace

CheckList::CheckList(const QStringList &items, QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setItemDelegate(new TickAnywhereDelegate(this));
    setUniformItemSizes(true);
    for (const QString &text : items) {
        auto *item = new QListWidgetItem(text, this);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setSizeHint(QSize(0, kItemHeight));
    }
    connect(model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &, const QList<int> &roles) {
                if (roles.contains(Qt::CheckStateRole))
                    tickChanged(topLeft.row());
            });
}

// Every change of a tick is announced, also those of setTicked(): a screen
// reader hears what the list shows.
void CheckList::tickChanged(int index)
{
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
    if (!m_settingTicks)
        emit ItemCheck(index);
}

bool CheckList::isTicked(int index) const
{
    return item(index)->checkState() == Qt::Checked;
}

void CheckList::setTicked(int index, bool ticked)
{
    const QScopedValueRollback guard(m_settingTicks, true);
    item(index)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void CheckList::toggle(int index)
{
    if (isEnabled())
        toggleTick(model(), model()->index(index, 0));
}
