#include "columntexts.h"

#include <QLocale>

#include <vector>

namespace {

constexpr qint64 BytesPerKilobyte = 1024;
constexpr qint64 HundredthsPerUnit = 100;
const QString KilobyteSuffix = QStringLiteral(" KB");

// The quotes of a QLocale format: text between single quotes is literal, and
// '' is a literal quote inside and outside such text.
std::vector<bool> quotedCharacters(const QString &format)
{
    std::vector<bool> quoted(size_t(format.size()), false);
    bool inQuotes = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'\'') {
            quoted[size_t(i)] = true;
            inQuotes = !inQuotes;
        } else {
            quoted[size_t(i)] = inQuotes;
        }
    }
    return quoted;
}

}   // namespace

QString fileSizeText(qint64 length)
{
    // Integer rounding: exact for every length, where a double would not be.
    return QString::number((length + BytesPerKilobyte / 2) / BytesPerKilobyte) + KilobyteSuffix;
}

QString folderSizeText(qint64 totalSize)
{
    // Kilobytes in hundredths, rounded half up, without overflowing on
    // totalSize * 100: whole kilobytes and the remainder are scaled apart.
    const qint64 bytes = qMax<qint64>(totalSize, 0);
    const qint64 remainderHundredths =
        ((bytes % BytesPerKilobyte) * HundredthsPerUnit + BytesPerKilobyte / 2) / BytesPerKilobyte;
    const qint64 hundredths = (bytes / BytesPerKilobyte) * HundredthsPerUnit + remainderHundredths;
    const qint64 whole = hundredths / HundredthsPerUnit;
    const qint64 decimals = hundredths % HundredthsPerUnit;

    QString text = whole > 0 ? QString::number(whole) : QString();
    text += QLocale().decimalPoint();
    if (decimals % 10 != 0)
        text += QStringLiteral("%1").arg(decimals, 2, 10, QLatin1Char('0'));
    else if (decimals != 0)
        text += QString::number(decimals / 10);
    return text + KilobyteSuffix;
}

QString timeFormatWithoutZone(const QString &format)
{
    // QLocale's long time carries the zone ("h:mm:ss AP t", "HH:mm:ss (t)",
    // "t HH:mm:ss", "HH:mm:ss, t" ...). Removing only the 't' would leave a
    // stray ", " or "()" behind, so the framing goes with it.
    const std::vector<bool> quoted = quotedCharacters(format);
    std::vector<bool> removed(quoted.size(), false);
    const auto isFrame = [&](qsizetype i, QStringView frames) {
        return !quoted[size_t(i)] && !removed[size_t(i)] && frames.contains(format[i]);
    };
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (quoted[size_t(i)] || format[i] != u't')
            continue;
        qsizetype end = i;
        while (end < format.size() && !quoted[size_t(end)] && format[end] == u't')
            ++end;
        qsizetype begin = i;
        while (begin > 0 && isFrame(begin - 1, u" ,(["))
            --begin;
        while (end < format.size() && isFrame(end, u")]"))
            ++end;
        if (begin == 0) {
            while (end < format.size() && isFrame(end, u" "))
                ++end;
        }
        std::fill(removed.begin() + begin, removed.begin() + end, true);
        i = end - 1;
    }

    QString result;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (!removed[size_t(i)])
            result += format[i];
    }
    return result.trimmed();
}

QString dateText(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return {};
    const QLocale locale;
    QString date = locale.toString(dateTime.date(), QLocale::ShortFormat);
    // A general date shows whole seconds, so a time within the first second
    // of the day counts as midnight.
    const QTime time = dateTime.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + u' ' + locale.toString(time, timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)));
}
