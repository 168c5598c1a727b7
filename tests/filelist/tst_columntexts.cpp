#include "columntexts.h"
#include "localeguard.h"

#include <QLocale>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTimeZone>

class ColumnTextsTest : public QObject
{
    Q_OBJECT
private slots:
    void sizeText_data();
    void sizeText();
    void timeFormatWithoutZone_data();
    void timeFormatWithoutZone();
    void everyLocaleLosesItsZone();
    void date_data();
    void date();
};

namespace {

constexpr qint64 KiB = 1024;
constexpr qint64 GiB = KiB * KiB * KiB;

const QLocale Germany(QLocale::German, QLocale::Germany);

}   // namespace

void ColumnTextsTest::sizeText_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("text");

    // A file's length: whole kilobytes, never grouped, under any locale.
    const auto file = [](const char *name, qint64 length, const QString &text) {
        QTest::addRow("file, %s", name) << false << Germany << length << text;
    };
    file("empty", 0, "0 KB");
    file("511 bytes round down", 511, "0 KB");
    file("512 bytes round half up", 512, "1 KB");
    file("1536 bytes round half up", 1536, "2 KB");
    file("1 MiB without grouping", KiB * KiB, "1024 KB");
    file("1 GiB without grouping", GiB, "1048576 KB");
    file("2 GiB past 32 bits", 2 * GiB, "2097152 KB");
    file("5 GiB and a half kilobyte", 5 * GiB + 512, "5242881 KB");
    file("largest length", std::numeric_limits<qint64>::max() - 512,
         QString::number(std::numeric_limits<qint64>::max() / KiB) + " KB");

    // A folder's total size: the locale's decimal separator, never grouped.
    const auto folder = [](const char *name, const QLocale &locale, qint64 totalSize, const QString &text) {
        QTest::addRow("folder, %s", name) << true << locale << totalSize << text;
    };
    folder("empty folder", UnitedStates, 0, ". KB");
    folder("3 bytes round to nothing", UnitedStates, 3, ". KB");
    folder("1000 bytes", UnitedStates, 1000, ".98 KB");
    folder("128 bytes exact half hundredth rounds up", UnitedStates, 128, ".13 KB");
    folder("1536 bytes drop trailing zero", UnitedStates, 1536, "1.5 KB");
    folder("2048 bytes no decimals", UnitedStates, 2048, "2. KB");
    folder("1029 bytes round to whole", UnitedStates, 1029, "1. KB");
    folder("2047 bytes carry into whole", UnitedStates, 2047, "2. KB");
    folder("10240000 bytes without grouping", UnitedStates, 10'240'000, "10000. KB");
    folder("3 GiB past 32 bits", UnitedStates, 3 * GiB, "3145728. KB");
    folder("largest total", UnitedStates, std::numeric_limits<qint64>::max(), "9007199254740992. KB");
    folder("German 2048 bytes", Germany, 2048, "2, KB");
    folder("German 1000 bytes", Germany, 1000, ",98 KB");
    folder("German empty folder", Germany, 0, ", KB");
    folder("German 10240000 bytes without grouping", Germany, 10'240'000, "10000, KB");
}

void ColumnTextsTest::sizeText()
{
    QFETCH(bool, folder);
    QFETCH(QLocale, locale);
    QFETCH(qint64, size);
    QFETCH(QString, text);
    const auto restore = useLocale(locale);
    QCOMPARE(folder ? folderSizeText(size) : fileSizeText(size), text);
}

void ColumnTextsTest::timeFormatWithoutZone_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("zone after a space") << "h:mm:ss AP t"
                                        << "h:mm:ss AP";
    QTest::newRow("zone after a comma") << "h:mm:ss AP, t"
                                        << "h:mm:ss AP";
    QTest::newRow("zone in parentheses") << "HH:mm:ss (t)"
                                         << "HH:mm:ss";
    QTest::newRow("zone in brackets") << "APh:mm:ss [t]"
                                      << "APh:mm:ss";
    QTest::newRow("zone first") << "t HH:mm:ss"
                                << "HH:mm:ss";
    QTest::newRow("quoted literal before zone") << "H:mm:ss 'ч'. t"
                                                << "H:mm:ss 'ч'.";
    QTest::newRow("quoted t kept") << "HH 't' mm t"
                                   << "HH 't' mm";
    QTest::newRow("escaped quote inside literal") << "h 'o''clock t' t"
                                                  << "h 'o''clock t'";
    QTest::newRow("escaped quote outside literal") << "HH''mm t"
                                                   << "HH''mm";
    QTest::newRow("repeated zone letters") << "HH:mm:ss tttt"
                                           << "HH:mm:ss";
    QTest::newRow("no zone") << "HH:mm:ss"
                             << "HH:mm:ss";
    QTest::newRow("empty") << ""
                           << "";
}

void ColumnTextsTest::timeFormatWithoutZone()
{
    QFETCH(QString, format);
    QFETCH(QString, stripped);
    QCOMPARE(::timeFormatWithoutZone(format), stripped);
}

void ColumnTextsTest::everyLocaleLosesItsZone()
{
    // Whatever the user's locale, the long time must name no zone: its time
    // written without 't' is the same whatever zone the time is in.
    const QTime time(17, 7, 3);
    const QDateTime utc(QDate(2026, 12, 9), time, Qt::UTC);
    const QDateTime tokyo(QDate(2026, 12, 9), time, QTimeZone("Asia/Tokyo"));
    const QRegularExpression danglingFrame(QStringLiteral("[,(\\[]\\s*$|^\\s*[)\\]]|\\(\\s*\\)|\\[\\s*\\]"));
    const auto locales = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale &locale : locales) {
        const QString format = ::timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
        QVERIFY2(!format.isEmpty(), qPrintable(locale.name()));
        QCOMPARE(locale.toString(utc, format), locale.toString(tokyo, format));
        QVERIFY2(!format.contains(danglingFrame), qPrintable(locale.name() + ": " + format));
    }
}

void ColumnTextsTest::date_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<QString>("text");
    const QDate day(2026, 12, 9);
    QTest::newRow("US afternoon") << UnitedStates << QDateTime(day, QTime(17, 7, 3)) << "12/9/26 5:07:03 PM";
    QTest::newRow("US morning") << UnitedStates << QDateTime(day, QTime(9, 0, 0)) << "12/9/26 9:00:00 AM";
    QTest::newRow("US midnight shows the date alone") << UnitedStates << QDateTime(day, QTime(0, 0)) << "12/9/26";
    QTest::newRow("US milliseconds past midnight") << UnitedStates << QDateTime(day, QTime(0, 0, 0, 500)) << "12/9/26";
    QTest::newRow("US one second past midnight")
        << UnitedStates << QDateTime(day, QTime(0, 0, 1)) << "12/9/26 12:00:01 AM";
    QTest::newRow("US one minute before midnight")
        << UnitedStates << QDateTime(day, QTime(23, 59, 59)) << "12/9/26 11:59:59 PM";
    QTest::newRow("German afternoon") << Germany << QDateTime(day, QTime(17, 7, 3)) << "09.12.26 17:07:03";
    QTest::newRow("German midnight") << Germany << QDateTime(day, QTime(0, 0)) << "09.12.26";
    QTest::newRow("UTC time keeps no zone")
        << UnitedStates << QDateTime(day, QTime(17, 7, 3), Qt::UTC) << "12/9/26 5:07:03 PM";
    QTest::newRow("no time at all") << UnitedStates << QDateTime() << "";
}

void ColumnTextsTest::date()
{
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, dateTime);
    QFETCH(QString, text);
    const auto restore = useLocale(locale);
    QCOMPARE(dateText(dateTime), text);
}

QTEST_GUILESS_MAIN(ColumnTextsTest)
#include "tst_columntexts.moc"
