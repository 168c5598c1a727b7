#include "edithost.h"
#include "runcaptions.h"
#include "runinputs.h"

#include <QTest>

namespace {

// Only the mode list; the texts and options must stay unread.
class ModeListHost : public EditInputs
{
public:
    QStringList texts = editModeNames();
    QList<bool> ticks = QList<bool>(5, false);

    int modeCount() const override { return int(texts.size()); }
    QString modeText(int index) const override { return texts.at(index); }
    bool isModeTicked(int index) const override { return ticks.at(index); }

    mutable int otherReads = 0;
    QString findText() const override { return ++otherReads, QString(); }
    QString withText() const override { return ++otherReads, QString(); }
    bool isOptionTicked(int) const override { return ++otherReads, false; }
};

}   // namespace

class TestRunInputs : public QObject
{
    Q_OBJECT

private slots:
    void modePass_data();
    void modePass();
};

void TestRunInputs::modePass_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<bool>>("ticks");
    QTest::addColumn<QList<EditMode>>("expected");
    const QStringList five = editModeNames();
    QTest::newRow("nothing ticked") << five << QList<bool>(5, false) << QList<EditMode>{};
    QTest::newRow("replace") << five << QList<bool>{false, false, false, false, true} << QList{EditMode::Replace};
    QTest::newRow("several, in list order") << five << QList<bool>{true, false, true, false, true}
                                            << QList{EditMode::Append, EditMode::Remove, EditMode::Replace};
    QTest::newRow("an item past Replace has no mode")
        << five + QStringList{"Extra"} << QList<bool>{false, true, false, false, false, true}
        << QList{EditMode::Prepend};
    QTest::newRow("empty list") << QStringList() << QList<bool>() << QList<EditMode>{};
}

void TestRunInputs::modePass()
{
    QFETCH(QStringList, texts);
    QFETCH(QList<bool>, ticks);
    QFETCH(QList<EditMode>, expected);
    ModeListHost host;
    host.texts = texts;
    host.ticks = ticks;
    QCOMPARE(tickedModes(host), expected);
    const QStringList shown = modePassCaptions(texts);
    QStringList captions;
    for (const QString &text : texts)
        captions.append("Performing: " + text);
    captions.append("...");
    QCOMPARE(shown, captions);
    QCOMPARE(host.otherReads, 0);
}

QTEST_APPLESS_MAIN(TestRunInputs)
#include "tst_runinputs.moc"
