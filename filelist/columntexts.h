#pragma once

#include <QDateTime>
#include <QString>

// The texts LVFile shows for sizes and dates. All of them follow QLocale(), the
// application's default locale, so that a test can switch it.

// "<length / 1024, rounded half up> KB", plain digits; takes the full 64-bit
// length so that files of 2 GiB and more show their true size.
QString fileSizeText(qint64 length);

// The total size in kilobytes written with the number pattern "##.##": no
// leading zero, always the decimal separator, at most two decimals with
// trailing zeros dropped (".98 KB", "2. KB", ". KB" for an empty folder).
QString folderSizeText(qint64 totalSize);

// The general date: short date, one space, long time without a time-zone
// name; the date alone when the time is midnight. Empty for an invalid time.
QString dateText(const QDateTime &dateTime);

// A QLocale time format with its time-zone parts ('t') taken out, together
// with the separators and brackets that only framed them.
QString timeFormatWithoutZone(const QString &format);
