#include "candidatescanner.h"
#include "replaceall.h"
#include "replacestream.h"

#include <QRandomGenerator>
#include <QTest>

#include <bit>

namespace {

// A plain reference: the content and the find text are cut into units from
// their first byte (a code point of a valid UTF-8 sequence, else one stray
// byte), and a match is a run of content units equal to the find's units
// after folding, tried at every unit from the left.
struct RefUnit
{
    char32_t folded = 0;
    qsizetype offset = 0;
};

constexpr char32_t StrayByte = 0x110000;

QList<RefUnit> referenceUnits(QByteArrayView text)
{
    QList<RefUnit> units;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype length = 1;
        char32_t unit = StrayByte + uchar(text[i]);
        for (qsizetype n = 4; n >= 1; --n) {
            if (i + n > text.size() || !text.sliced(i, n).isValidUtf8())
                continue;
            const QList<uint> codePoints = QString::fromUtf8(text.sliced(i, n)).toUcs4();
            if (codePoints.size() == 1) {
                unit = QChar::toCaseFolded(char32_t(codePoints.first()));
                length = n;
                break;
            }
        }
        units.append({unit, i});
        i += length;
    }
    return units;
}

QByteArray referenceReplaceAll(QByteArrayView content, QByteArrayView find, QByteArrayView replacement,
                               CompareMode mode)
{
    if (find.isEmpty())
        return content.toByteArray();
    QByteArray result;
    qsizetype copied = 0;
    if (mode == CompareMode::Exact) {
        for (qsizetype i = 0; i + find.size() <= content.size();) {
            if (content.sliced(i, find.size()) == find) {
                result.append(content.sliced(copied, i - copied)).append(replacement);
                i += find.size();
                copied = i;
            } else {
                ++i;
            }
        }
    } else {
        QList<RefUnit> units = referenceUnits(content);
        units.append({0, content.size()});   // the end, so that offsets of i + n exist
        const QList<RefUnit> wanted = referenceUnits(find);
        const qsizetype n = wanted.size();
        for (qsizetype i = 0; i + n < units.size();) {
            qsizetype k = 0;
            while (k < n && units[i + k].folded == wanted[k].folded)
                ++k;
            if (k == n) {
                result.append(content.sliced(copied, units[i].offset - copied)).append(replacement);
                copied = units[i + n].offset;
                i += n;
            } else {
                ++i;
            }
        }
    }
    return result.append(content.sliced(copied));
}

// Pieces that bite: case pairs of one and several bytes, letters whose
// folding has another length (KELVIN SIGN, LONG S), NUL, line ends, stray
// and truncated sequences, an encoded surrogate, an overlong form.
const QList<QByteArray> &pieces()
{
    static const QList<QByteArray> list = {
        "a",
        "A",
        "b",
        "k",
        "K",
        "\xE2\x84\xAA",
        "s",
        "S",
        "\xC5\xBF",
        "\xC3\xA4",
        "\xC3\x84",
        "\xCF\x83",
        "\xCE\xA3",
        "\xCF\x82",
        QByteArray(1, '\0'),
        "\r",
        "\n",
        "\r\n",
        " ",
        "\xC3",
        "\x84",
        "\xFF",
        "\xED\xA0\x80",
        "\xF0\x9F\x98\x80",
        "\xF0\x9F",
        "\xC0\xAF",
        "\xE0\x80\xAF",
        "\xF4\x90\x80\x80",
        "\xE2\x80\x9C",
        "ab",
        "ka",
    };
    return list;
}

QByteArray randomText(QRandomGenerator &random, int maxPieces)
{
    QByteArray text;
    const int count = random.bounded(maxPieces + 1);
    for (int i = 0; i < count; ++i)
        text += pieces().at(random.bounded(int(pieces().size())));
    return text;
}

// replaceAll() through a ReplaceStream with a buffer of a few bytes, fed in
// pieces of random sizes: occurrences, UTF-8 characters and the bytes that
// tell where a character starts all fall across buffer boundaries.
QByteArray replaceInPieces(QByteArrayView content, QByteArrayView find, QByteArrayView replacement, CompareMode mode,
                           QRandomGenerator &random)
{
    ByteArraySink sink;
    PreparedFind prepared(find);
    ReplaceStream stream(prepared.finder(mode), replacement, sink, random.bounded(1, 40));
    while (!content.isEmpty()) {
        const qsizetype piece = qMin(content.size(), qsizetype(random.bounded(1, 20)));
        stream.append(content.first(piece));
        content = content.sliced(piece);
    }
    stream.finish();
    return sink.bytes();
}

}   // namespace

class TestReplaceAll : public QObject
{
    Q_OBJECT

private slots:
    void examples_data();
    void examples();
    void matchesReference_data();
    void matchesReference();
    void denseFalseCandidates_data();
    void denseFalseCandidates();
    void scanWidthsAgree_data();
    void scanWidthsAgree();
    void containsFind_data();
    void containsFind();
};

void TestReplaceAll::examples_data()
{
    QTest::addColumn<CompareMode>("mode");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("find");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<QByteArray>("expected");

    const auto exact = CompareMode::Exact;
    const auto caseless = CompareMode::CaseInsensitive;
    QTest::newRow("leftmost first, no overlap")
        << exact << QByteArray("aaa") << QByteArray("aa") << QByteArray("b") << QByteArray("ba");
    QTest::newRow("replacement not searched again")
        << exact << QByteArray("aba") << QByteArray("a") << QByteArray("aa") << QByteArray("aabaa");
    QTest::newRow("empty find keeps the content")
        << exact << QByteArray("abc") << QByteArray() << QByteArray("x") << QByteArray("abc");
    QTest::newRow("empty content stays empty")
        << caseless << QByteArray() << QByteArray("a") << QByteArray("x") << QByteArray();
    QTest::newRow("exact keeps case apart")
        << exact << QByteArray("ABC abc") << QByteArray("abc") << QByteArray("x") << QByteArray("ABC x");
    QTest::newRow("ASCII letters without case")
        << caseless << QByteArray("ABC aBc") << QByteArray("abc") << QByteArray("x") << QByteArray("x x");
    QTest::newRow("two-byte case pair") << caseless << QByteArray("\xC3\x84rger \xC3\xA4rger")
                                        << QByteArray("\xC3\xA4rger") << QByteArray("x") << QByteArray("x x");
    QTest::newRow("all three sigmas") << caseless << QByteArray("\xCE\xA3 \xCF\x83 \xCF\x82") << QByteArray("\xCF\x82")
                                      << QByteArray("x") << QByteArray("x x x");
    QTest::newRow("KELVIN SIGN matches k, three bytes for one")
        << caseless
        << QByteArray("\xE2\x84\xAA"
                      "elvin Kelvin")
        << QByteArray("kelvin") << QByteArray("x") << QByteArray("x x");
    QTest::newRow("k in the find matches KELVIN SIGN in the content")
        << caseless
        << QByteArray("1\xE2\x84\xAA"
                      "2")
        << QByteArray("K") << QByteArray("k") << QByteArray("1k2");
    QTest::newRow("LONG S matches s") << caseless << QByteArray("\xC5\xBFun Sun") << QByteArray("sun")
                                      << QByteArray("x") << QByteArray("x x");
    QTest::newRow("NUL is an ordinary byte")
        << caseless << QByteArray("a\0B\0b", 5) << QByteArray("\0b", 2) << QByteArray("-") << QByteArray("a--");
    QTest::newRow("stray bytes compare exactly") << caseless << QByteArray("\xFF\xC3 \xFF\xC3")
                                                 << QByteArray("\xFF\xC3") << QByteArray("x") << QByteArray("x x");
    QTest::newRow("stray lead byte is not the start of a character")
        << caseless << QByteArray("\xC3\xA4 \xC3!") << QByteArray("\xC3") << QByteArray("x")
        << QByteArray("\xC3\xA4 x!");
    QTest::newRow("exact search finds a byte inside a character")
        << exact << QByteArray("\xC3\xA4") << QByteArray("\xA4") << QByteArray("x") << QByteArray("\xC3x");
    QTest::newRow("caseless search never splits a character")
        << caseless << QByteArray("\xC3\xA4 \xA4") << QByteArray("\xA4") << QByteArray("x") << QByteArray("\xC3\xA4 x");
    QTest::newRow("encoded surrogate is three stray bytes")
        << caseless << QByteArray("\xED\xA0\x80") << QByteArray("\xA0\x80") << QByteArray("x") << QByteArray("\xEDx");
    QTest::newRow("match at the very end") << caseless << QByteArray(200, 'z') + "Cat" << QByteArray("cAT")
                                           << QByteArray("!") << QByteArray(200, 'z') + "!";
    QTest::newRow("CR LF found only as CR LF")
        << exact << QByteArray("a\rb\r\nc\n") << QByteArray("\r\n") << QByteArray("|") << QByteArray("a\rb|c\n");
}

void TestReplaceAll::examples()
{
    QFETCH(CompareMode, mode);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, find);
    QFETCH(QByteArray, replacement);
    QFETCH(QByteArray, expected);
    QCOMPARE(replaceAll(content, find, replacement, mode), expected);
    QCOMPARE(referenceReplaceAll(content, find, replacement, mode), expected);
}

void TestReplaceAll::matchesReference_data()
{
    QTest::addColumn<CompareMode>("mode");
    QTest::addColumn<int>("maxPieces");
    QTest::addColumn<bool>("streamed");
    QTest::newRow("exact, short texts") << CompareMode::Exact << 12 << false;
    QTest::newRow("exact, long texts") << CompareMode::Exact << 300 << false;
    QTest::newRow("caseless, short texts") << CompareMode::CaseInsensitive << 12 << false;
    QTest::newRow("caseless, long texts") << CompareMode::CaseInsensitive << 300 << false;
    QTest::newRow("exact, in small buffers") << CompareMode::Exact << 300 << true;
    QTest::newRow("caseless, in small buffers") << CompareMode::CaseInsensitive << 300 << true;
}

void TestReplaceAll::matchesReference()
{
    QFETCH(CompareMode, mode);
    QFETCH(int, maxPieces);
    QFETCH(bool, streamed);
    QRandomGenerator random(20261209);
    for (int round = 0; round < 4000; ++round) {
        const QByteArray content = randomText(random, maxPieces);
        QByteArray find;
        switch (random.bounded(3)) {
        case 0:   // a few pieces, found or not
            find = randomText(random, 3);
            break;
        case 1: {   // any bytes of the content, even half a character
            const qsizetype from = content.isEmpty() ? 0 : random.bounded(int(content.size()));
            find = content.mid(from, random.bounded(1, 6));
            break;
        }
        default:   // one piece, so that it occurs often and overlaps itself
            find = pieces().at(random.bounded(int(pieces().size()))).repeated(random.bounded(1, 3));
            break;
        }
        const QByteArray expected = referenceReplaceAll(content, find, "<>", mode);
        const QByteArray actual =
            streamed ? replaceInPieces(content, find, "<>", mode, random) : replaceAll(content, find, "<>", mode);
        if (actual != expected) {
            qWarning() << "content" << content.toHex(' ') << "find" << find.toHex(' ');
            QCOMPARE(actual.toHex(' '), expected.toHex(' '));
        }
    }
}

// Long runs of the bytes the scan looks for make it give up part way for a
// search that is linear in the worst case; the result must not change.
void TestReplaceAll::denseFalseCandidates_data()
{
    QTest::addColumn<CompareMode>("mode");
    QTest::newRow("exact") << CompareMode::Exact;
    QTest::newRow("caseless") << CompareMode::CaseInsensitive;
}

void TestReplaceAll::denseFalseCandidates()
{
    QFETCH(CompareMode, mode);
    const QByteArray find = QByteArray(30, 'a') + "b" + QByteArray(30, 'a');
    const QByteArray content = QByteArray(20000, 'a') + "b" + QByteArray(20000, 'A') + "b";
    QCOMPARE(replaceAll(content, find, "X", mode), referenceReplaceAll(content, find, "X", mode));

    // Units of one and of three bytes that fold alike, and finds that
    // overlap themselves, so that the fallback meets every kind of restart.
    const QList<QByteArray> letters = {"k", "K", "\xE2\x84\xAA", "a", "A"};
    QRandomGenerator random(99);
    for (int round = 0; round < 20; ++round) {
        QByteArray text;
        for (int i = 0; i < 30000; ++i)
            text += letters.at(random.bounded(random.bounded(8) == 0 ? 5 : 3));
        QByteArray needle;
        for (int i = random.bounded(20, 60); i > 0; --i)
            needle += letters.at(random.bounded(random.bounded(20) == 0 ? 5 : 3));
        text.insert(random.bounded(int(text.size())), needle);
        QCOMPARE(replaceAll(text, needle, "X", mode), referenceReplaceAll(text, needle, "X", mode));
    }
}

void TestReplaceAll::scanWidthsAgree_data()
{
    QTest::addColumn<CandidateScanner::Width>("width");
    QTest::newRow("SSE2") << CandidateScanner::Width::Sse2;
    QTest::newRow("AVX2") << CandidateScanner::Width::Avx2;
}

// The wide scans find exactly what the byte-by-byte scan finds, up to the
// last byte, whatever the probes; a width the processor lacks is skipped.
void TestReplaceAll::scanWidthsAgree()
{
    QFETCH(CandidateScanner::Width, width);
    if (width > CandidateScanner::widest())
        QSKIP("this processor cannot run this scan width");
    const auto candidates = [](const CandidateScanner &scanner, QByteArrayView text, qsizetype from) {
        const auto *begin = reinterpret_cast<const uchar *>(text.data());
        const uchar *end = begin + text.size();
        QList<qsizetype> found;
        quint64 bits = 0;
        for (const uchar *window = scanner.nextWindow(begin + from, end, bits); window;
             window = scanner.nextWindow(window + CandidateScanner::Window, end, bits)) {
            for (; bits; bits &= bits - 1)
                found.append(window + std::countr_zero(bits) - begin);
        }
        return found;
    };
    QRandomGenerator random(7);
    const QByteArray alphabet = "aAbB\xC3\xE2 ";
    const auto anyByte = [&] { return uchar(alphabet.at(random.bounded(int(alphabet.size())))); };
    for (int round = 0; round < 2000; ++round) {
        QList<Probe> probes(random.bounded(1, CandidateScanner::MaxProbes + 1));
        for (Probe &probe : probes) {
            probe.resize(random.bounded(1, CandidateScanner::MaxPlaces + 1));
            for (ProbePlace &place : probe) {
                place.distance = random.bounded(70);
                QList<uchar> bytes;
                for (int i = random.bounded(1, 3); i > 0; --i) {
                    const uchar byte = anyByte();
                    if (!bytes.contains(byte))
                        bytes.append(byte);
                }
                place.tests = CandidateScanner::testsFor(bytes);
            }
        }
        QByteArray text;
        for (int i = random.bounded(600); i > 0; --i)
            text.append(char(anyByte()));
        const qsizetype from = random.bounded(int(text.size()) + 1);
        QCOMPARE(candidates(CandidateScanner(probes, width), text, from),
                 candidates(CandidateScanner(probes, CandidateScanner::Width::Byte), text, from));
    }
}

void TestReplaceAll::containsFind_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("find");
    QTest::addColumn<CompareMode>("mode");
    QTest::addColumn<bool>("found");
    QTest::newRow("empty find in content") << QByteArray("x") << QByteArray() << CompareMode::Exact << true;
    QTest::newRow("empty find in empty content") << QByteArray() << QByteArray() << CompareMode::Exact << false;
    QTest::newRow("find in empty content") << QByteArray() << QByteArray("a") << CompareMode::CaseInsensitive << false;
    QTest::newRow("only in capitals, exact") << QByteArray("ABC") << QByteArray("abc") << CompareMode::Exact << false;
    QTest::newRow("only in capitals, caseless")
        << QByteArray("ABC") << QByteArray("abc") << CompareMode::CaseInsensitive << true;
    QTest::newRow("longer than the content")
        << QByteArray("ab") << QByteArray("abc") << CompareMode::CaseInsensitive << false;
}

void TestReplaceAll::containsFind()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, find);
    QFETCH(CompareMode, mode);
    QFETCH(bool, found);
    QCOMPARE(::containsFind(content, find, mode), found);
}

QTEST_APPLESS_MAIN(TestReplaceAll)
#include "tst_replaceall.moc"
