#include "boxanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

namespace {

SeenBox seenOf(const QMessageBox &box)
{
    SeenBox seen;
    seen.title = box.windowTitle();
    seen.text = box.text();
    seen.textFormat = box.textFormat();
    seen.icon = box.icon();
    seen.buttons = box.standardButtons();
    seen.buttonCount = box.buttons().size();
    seen.busyPointer = QApplication::overrideCursor() || box.cursor().shape() == Qt::WaitCursor;
    if (QPushButton *defaultButton = box.defaultButton())
        seen.defaultButton = box.standardButton(defaultButton);
    return seen;
}

}   // namespace

BoxAnswerer::BoxAnswerer(QList<QMessageBox::StandardButton> answers) : m_answers(std::move(answers))
{
    // Polled rather than a single shot: a box may come up only after the
    // code under test has handled other events.
    connect(&m_poll, &QTimer::timeout, this, &BoxAnswerer::answerModal);
    m_poll.start(10);
}

void BoxAnswerer::answerModal()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    const qsizetype next = qMin(m_seen.size(), m_answers.size() - 1);
    m_seen.append(seenOf(*box));
    QAbstractButton *button = m_answers.isEmpty() ? box->escapeButton() : box->button(m_answers.at(next));
    if (button)
        button->click();
    else
        box->done(QMessageBox::NoButton);
}
