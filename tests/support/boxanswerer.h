#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// What a modal message box showed.
struct SeenBox
{
    QString title;
    QString text;
    Qt::TextFormat textFormat = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    qsizetype buttonCount = 0;   // also those that are not standard buttons
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool busyPointer = false;   // the box showed the busy pointer
};

// Answers every modal message box that comes up while it lives, each with the
// next of the given buttons (the last one repeats), and records what it saw.
// With no answers given, a box is closed with its escape button; a box that
// lacks the planned button is closed without one. Either way a wrong test
// fails on what it saw instead of waiting forever.
class BoxAnswerer : public QObject
{
    Q_OBJECT
public:
    explicit BoxAnswerer(QList<QMessageBox::StandardButton> answers = {});

    const QList<SeenBox> &seen() const { return m_seen; }

private:
    void answerModal();

    QList<QMessageBox::StandardButton> m_answers;
    QList<SeenBox> m_seen;
    QTimer m_poll;
};
