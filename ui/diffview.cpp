#include "diffview.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextCursor>

namespace {

// Characters of a line shown; the rest is only counted.
constexpr qsizetype kShownCharacters = 1000;

struct LineLook
{
    QTextBlockFormat block;
    QTextCharFormat text;
    QTextCharFormat changed;
};

LineLook lookOf(DiffLine::Kind kind)
{
    LineLook look;
    if (kind == DiffLine::Kind::Context)
        return look;
    const bool removed = kind == DiffLine::Kind::Removed;
    look.block.setBackground(removed ? QColor(0xff, 0xe6, 0xe6) : QColor(0xe3, 0xf7, 0xe3));
    look.text.setForeground(Qt::black);
    look.changed = look.text;
    look.changed.setBackground(removed ? QColor(0xf5, 0xa8, 0xa8) : QColor(0x9c, 0xdf, 0x9c));
    look.changed.setFontUnderline(true);
    return look;
}

// Each line is a block of its own, coloured across the view's width.
void startLine(QTextCursor &cursor, const QTextBlockFormat &format)
{
    if (cursor.position() == 0)
        cursor.setBlockFormat(format);
    else
        cursor.insertBlock(format, QTextCharFormat());
}

QTextCharFormat noteFormat()
{
    QTextCharFormat format;
    format.setForeground(Qt::darkGray);
    format.setFontItalic(true);
    return format;
}

QString numberText(qint64 number)
{
    return (number > 0 ? QString::number(number) : QString()).rightJustified(6) + u' ';
}

// The line's text, cut after kShownCharacters, with the changed characters'
// place in it; bytes that are not UTF-8 show as U+FFFD.
void addLine(QTextCursor &cursor, const ShownDiff::Line &line)
{
    static constexpr QChar kSigns[] = {u' ', u'-', u'+'};
    const LineLook look = lookOf(line.kind);
    startLine(cursor, look.block);
    cursor.insertText(numberText(line.oldNumber) + numberText(line.newNumber) + kSigns[int(line.kind)] + u' ',
                      look.text);
    const QString before = QString::fromUtf8(line.text.left(line.changedFrom));
    const QString changed = QString::fromUtf8(line.text.mid(line.changedFrom, line.changedTo - line.changedFrom));
    const QString after = QString::fromUtf8(line.text.mid(line.changedTo));
    const QString whole = before + changed + after;
    const qsizetype shown = qMin(whole.size(), kShownCharacters);
    const qsizetype from = qMin(before.size(), shown);
    const qsizetype to = qMin(before.size() + changed.size(), shown);
    cursor.insertText(whole.first(from), look.text);
    cursor.insertText(whole.sliced(from, to - from), line.kind == DiffLine::Kind::Context ? look.text : look.changed);
    cursor.insertText(whole.sliced(to, shown - to), look.text);
    const qint64 leftOutBytes = line.leftOut + QString(whole.sliced(shown)).toUtf8().size();
    if (leftOutBytes > 0)
        cursor.insertText(QStringLiteral(" [… %1 more bytes of this line not shown]").arg(leftOutBytes), noteFormat());
}

}   // namespace

DiffView::DiffView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setUndoRedoEnabled(false);
}

void DiffView::showDiff(const ShownDiff &diff)
{
    clear();
    QTextCursor cursor(document());
    QTextCharFormat header;
    header.setForeground(QColor(0x30, 0x50, 0xa0));
    for (const ShownDiff::Hunk &hunk : diff.hunks) {
        startLine(cursor, {});
        cursor.insertText(QStringLiteral("@@ -%1,%2 +%3,%4 @@")
                              .arg(hunk.oldCount == 0 ? hunk.oldStart - 1 : hunk.oldStart)
                              .arg(hunk.oldCount)
                              .arg(hunk.newCount == 0 ? hunk.newStart - 1 : hunk.newStart)
                              .arg(hunk.newCount),
                          header);
        for (const ShownDiff::Line &line : hunk.lines)
            addLine(cursor, line);
    }
    if (diff.leftOutLines > 0) {
        startLine(cursor, {});
        cursor.insertText(QStringLiteral("[… %1 more lines not shown: the file has %2 changed lines]")
                              .arg(diff.leftOutLines)
                              .arg(diff.changedLines),
                          noteFormat());
    }
    moveCursor(QTextCursor::Start);
}

void DiffView::showNote(const QString &note)
{
    clear();
    QTextCursor(document()).insertText(note, noteFormat());
}
