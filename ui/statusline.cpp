#include "statusline.h"

#include <QAccessibleWidget>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>
#include <QToolTip>

namespace {

// A screen reader that heard every file of a run would be reading captions
// long gone; twice a second keeps up with the run without flooding it.
constexpr std::chrono::milliseconds kAnnounceInterval{500};

QString withoutCarriageReturns(QString text)
{
    return text.remove(u'\r');
}

// The line cut to `width`: the part before its last '/' in the middle, so
// that a file's name stays whole; a name too wide for that is itself cut in
// the middle.
QString elidedLine(const QString &line, const QFontMetrics &metrics, int width)
{
    const qsizetype slash = line.lastIndexOf(u'/');
    if (slash > 0) {
        const QString name = line.mid(slash);
        const int left = width - metrics.horizontalAdvance(name);
        if (left >= metrics.horizontalAdvance(QStringLiteral("\u2026/"))) {
            QString shown = metrics.elidedText(line.left(slash), Qt::ElideMiddle, left) + name;
            if (metrics.horizontalAdvance(shown) <= width)
                return shown;
        }
    }
    return metrics.elidedText(line, Qt::ElideMiddle, width);
}

class StatusLineAccessible : public QAccessibleWidget
{
public:
    explicit StatusLineAccessible(StatusLine *line) : QAccessibleWidget(line, QAccessible::StatusBar) {}

    QString text(QAccessible::Text kind) const override
    {
        switch (kind) {
        case QAccessible::Name:
            return withoutCarriageReturns(static_cast<StatusLine *>(widget())->text());
        case QAccessible::Description:
            return widget()->accessibleDescription();
        default:
            return QAccessibleWidget::text(kind);
        }
    }
};

}   // namespace

StatusLine::StatusLine(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    setTextFormat(Qt::PlainText);
    // QLabel itself announces every new text while it has no accessible name
    // of its own: a run would send one event per file. With a name set it
    // keeps quiet and announce() speaks instead; the name assistive tools
    // read is still the caption (StatusLineAccessible).
    setAccessibleName(QStringLiteral("Status"));
    m_announceInterval.setSingleShot(true);
    m_announceInterval.setInterval(kAnnounceInterval);
    connect(&m_announceInterval, &QTimer::timeout, this, [this] {
        if (m_announcePending)
            announce();
    });
}

void StatusLine::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    if (running) {
        setFileList({});
        return;
    }
    m_announceInterval.stop();
    // The summary that follows at once makes the held-back caption moot; a
    // stopped run has none, and its last caption is told a moment later.
    QTimer::singleShot(0, this, [this] {
        if (m_announcePending)
            announce();
    });
}

void StatusLine::setCaption(const QString &caption)
{
    setText(caption);
    if (m_running && m_announceInterval.isActive())
        m_announcePending = true;
    else
        announce();
}

void StatusLine::setFileList(const QString &lines)
{
    // As rich text, so that a file name that looks like markup shows as it is.
    setToolTip(lines.isEmpty() ? QString() : Qt::convertFromPlainText(lines, Qt::WhiteSpaceNormal));
    setAccessibleDescription(lines);
}

void StatusLine::announce()
{
    m_announcePending = false;
    if (m_running)
        m_announceInterval.start();
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

QString StatusLine::shownText() const
{
    const QRect box = contentsRect();
    const QFontMetrics metrics = fontMetrics();
    const int flags = int(alignment()) | Qt::TextWordWrap;
    if (metrics.boundingRect(box, flags, text()).height() <= box.height())
        return text();
    QStringList lines = withoutCarriageReturns(text()).split(u'\n');
    for (QString &line : lines) {
        if (metrics.horizontalAdvance(line) > box.width())
            line = elidedLine(line, metrics, box.width());
    }
    return lines.join(u'\n');
}

bool StatusLine::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && m_running) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(),
                           Qt::convertFromPlainText(withoutCarriageReturns(text()), Qt::WhiteSpaceNormal), this);
        return true;
    }
    return QLabel::event(event);
}

// What QLabel paints for plain text, with the caption cut to fit.
void StatusLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()) | Qt::TextWordWrap, palette(), isEnabled(),
                          shownText(), foregroundRole());
}

QAccessibleInterface *makeStatusLineAccessible(StatusLine *line)
{
    return new StatusLineAccessible(line);
}
