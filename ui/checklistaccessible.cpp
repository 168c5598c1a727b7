#include "checklistaccessible.h"

#include "checklist.h"

#include <QAccessibleWidget>
#include <QPointer>

namespace {

class CheckItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    CheckItemAccessible(CheckList *list, int row) : m_list(list), m_row(row) {}

    bool isValid() const override { return m_list && m_row < m_list->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return parent() ? parent()->window() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_list); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name && isValid() ? m_list->item(m_row)->text() : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect item = m_list->visualItemRect(m_list->item(m_row));
        return item.translated(m_list->viewport()->mapToGlobal(QPoint(0, 0)));
    }

    // A check box rather than a checkable list item: Qt 6.4's AT-SPI bridge
    // does not pass the checkable state on, and a check box's role alone
    // tells a screen reader that it has a tick to read and set.
    QAccessible::Role role() const override { return QAccessible::CheckBox; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        state.checkable = true;
        state.checked = m_list->isTicked(m_row);
        state.focusable = true;
        state.focused = m_list->hasFocus() && m_list->currentRow() == m_row;
        state.disabled = !m_list->isEnabled();
        state.invisible =
            !m_list->isVisible() || !m_list->viewport()->rect().intersects(m_list->visualItemRect(m_list->item(m_row)));
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString &actionName) override
    {
        if (actionName == toggleAction() && isValid())
            m_list->toggle(m_row);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    int row() const { return m_row; }

private:
    QPointer<CheckList> m_list;
    int m_row;
};

class CheckListAccessible : public QAccessibleWidget
{
public:
    explicit CheckListAccessible(CheckList *list) : QAccessibleWidget(list, QAccessible::List) {}

    // The items' interfaces are registered with Qt's cache, which hands out
    // their ids to the AT-SPI bridge, and go with the list's.
    ~CheckListAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(m_itemIds))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return list()->count(); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // The items are created with the list and never removed, so an item's
        // interface stays valid once made; the list may grow while Qt already
        // asks for its interface, which is why they are made as asked for.
        while (m_itemIds.size() <= index)
            m_itemIds.append(
                QAccessible::registerAccessibleInterface(new CheckItemAccessible(list(), int(m_itemIds.size()))));
        return QAccessible::accessibleInterface(m_itemIds.at(index));
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *item = dynamic_cast<const CheckItemAccessible *>(child);
        return item && item->parent() == this ? item->row() : -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint point = list()->viewport()->mapFromGlobal(QPoint(x, y));
        const QListWidgetItem *item = list()->itemAt(point);
        return item ? child(list()->row(item)) : nullptr;
    }

    QAccessibleInterface *focusChild() const override
    {
        if (list()->hasFocus() && list()->currentRow() >= 0)
            return child(list()->currentRow());
        return QAccessibleWidget::focusChild();
    }

private:
    CheckList *list() const { return static_cast<CheckList *>(widget()); }

    mutable QList<QAccessible::Id> m_itemIds;
};

}   // namespace

QAccessibleInterface *makeCheckListAccessible(CheckList *list)
{
    return new CheckListAccessible(list);
}
