#pragma once

#include <QLabel>
#include <QTimer>

class QAccessibleInterface;

// Label1, the status line: the progress of a run or an undo and its summary,
// with the files it could not handle as its tooltip. Assistive tools see a
// status bar named by the whole caption, hear of each new caption (at most
// a few times a second while a run goes), and read the files as plain text.
class StatusLine : public QLabel
{
    Q_OBJECT
public:
    explicit StatusLine(const QString &caption, QWidget *parent = nullptr);

    // While a run goes the caption changes once a file, and hovering the
    // line shows the whole caption, however it is cut to fit.
    void setRunning(bool running);
    void setCaption(const QString &caption);
    // Lines of plain text, empty for none: the tooltip and the accessible
    // description.
    void setFileList(const QString &lines);

    // The caption as it is painted: when it does not fit the line even
    // wrapped, each line too wide is cut in its middle, and a path keeps its
    // last component whole as far as it can.
    QString shownText() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void announce();

    bool m_running = false;
    bool m_announcePending = false;
    QTimer m_announceInterval;
};

QAccessibleInterface *makeStatusLineAccessible(StatusLine *line);
