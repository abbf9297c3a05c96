// Listening and looking up through the machine's real services: dictd
// serving installed FreeDict dictionaries, with the entry parser on their
// own shapes and the window's panel beside a translation that never waits
// for it; and speech-dispatcher with espeak-ng playing into a PulseAudio
// null sink that the test records.
#include "dictionary/dictionarypanel.h"
#include "support/localservices.h"
#include "support/windowharness.h"

#include <QTcpServer>
#include <QtTest>

namespace {

struct Row
{
    const char *name, *in, *out;
};

constexpr int englishSource = 22;
constexpr int yorubaTarget = 107;
// Peaks of 16-bit samples: espeak-ng speaks at thousands, a silent sink is 0.
constexpr int loud = 2000;
constexpr int quiet = 100;
// A quarter of a second of 16 kHz mono 16-bit sound.
constexpr qint64 quarterSecond = 8000;

} // namespace

class TestListenLookup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { harness.stop(); }
    void entries_data();
    void entries();
    void lookup_data();
    void lookup();
    void listenThenStop();

private:
    WindowHarness harness;
};

void TestListenLookup::entries_data()
{
    QTest::addColumn<QString>("text");
    // Head line, then per sense: labels | alternatives | notes; or what
    // dictionaryWord() makes of the text.
    QTest::addColumn<QString>("expected");
    const Row rows[] = {
        {"numbered senses", "run /rʌn/\n1. atropellar\n2. s'élancer, se précipiter",
         "run|rʌn|/|atropellar|/|s'élancer;se précipiter|"},
        {"one sense, no pronunciation", "carrera\ncareer", "carrera||/|career|"},
        {"labels, synonyms, examples, cross-references",
         "Haus /hˈaʊs/ <neut, n, sg>\n [adm.] establishment <n>, institution <n>\n"
         "   Synonyms: {Einrichtung}, {Anstalt}\n\n see: {Häuser}\nhouse <n>\n"
         "      \"ein Haus bauen\"  - build a house\n         Note: recurrent",
         "Haus|hˈaʊs|neut;n;sg/adm.;n|establishment;institution|Synonyms: Einrichtung, Anstalt/"
         "n|house|\"ein Haus bauen\"  - build a house;Note: recurrent"},
        {"commas inside labels", "laufen <v, intr>\n1. go <v, intr>, run",
         "laufen||v;intr/v;intr|go;run|"},
        {"notes before any sense", "x\n   Note: stray\n\n", "x||"},
        {"word: sentence marks", " ¿Carrera? \n", "=Carrera"},
        {"word: four words", "in vollem Gange sein.", "=in vollem Gange sein"},
        {"word: five words", "one two three four five", "="},
        {"word: two lines", "run\nfast", "="},
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << QString(row.in) << QString(row.out);
}

void TestListenLookup::entries()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    if (expected.startsWith('='))
        QCOMPARE(WordLookup::dictionaryWord(text), expected.mid(1));
    const FreeDictEntry entry = FreeDictEntry::parse(text);
    QString got = entry.headword + '|' + entry.pronunciation + '|' + entry.partsOfSpeech.join(';');
    for (const FreeDictEntry::Sense &sense : entry.senses)
        got += '/' + sense.labels.join(';') + '|' + sense.alternatives.join(';') + '|' +
               sense.notes.join(';');
    if (!expected.startsWith('='))
        QCOMPARE(got, expected);
    QCOMPARE(DictClient::quoted(QStringLiteral("a \"b\" \\c")),
             QByteArray("\"a \\\"b\\\" \\\\c\""));
}

void TestListenLookup::lookup_data()
{
    // The dictionaries served, the source text, and the source and target
    // box indices: English 22 / 21, Spanish 89 / 88, 0 detects.
    QTest::addColumn<QStringList>("setting");
    // What the panel shows once the translation "carrera" is in.
    QTest::addColumn<QString>("shown");
    const Row rows[] = {
        {"both directions", "eng-spa,spa-eng/run/22/88",
         "English → Spanish|atropellar|Spanish → English|career"},
        {"detected source", "eng-spa,spa-eng/run./0/88",
         "English → Spanish|correr|Spanish → English|career"},
        {"only one direction", "spa-eng/run/22/88", "Spanish → English"},
        {"no dictionary for the pair", "eng-spa/run/89/21", ""},
        {"a sentence", "eng-spa,spa-eng/run to the hills now/22/88", ""},
        {"no server", "/run/22/88", ""},
        {"silent server", "silent/run/22/88", ""},
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << QString(row.in).split('/') << QString(row.out);
}

void TestListenLookup::lookup()
{
    QFETCH(QStringList, setting);
    QFETCH(QString, shown);
    LocalServices services;
    QTcpServer silent;
    const QString served = setting.at(0);
    if (served.contains('-'))
        QVERIFY2(services.startDictd(served.split(',')), qPrintable(services.error()));
    else
        QVERIFY(silent.listen(QHostAddress::LocalHost));
    harness.dictionaryPort = served.contains('-') ? services.dictdPort() : silent.serverPort();
    if (served.isEmpty())
        silent.close();
    QVERIFY(harness.startPage("<p class=result-container>carrera"));
    harness.openWindowWithoutServer(QStringLiteral("en_US"));
    auto *panel = harness.window()->findChild<DictionaryPanel *>();
    QVERIFY(panel && panel->isHidden());
    harness.comboBox("comboBoxFrom")->setCurrentIndex(setting.at(2).toInt());
    harness.comboBox("comboBoxTo")->setCurrentIndex(setting.at(3).toInt());
    harness.sourceBox()->setPlainText(setting.at(1));
    harness.button("pushButton_translate")->click();
    // The translation shows however the dictionary server behaves: before
    // the silent one's lookup has timed out.
    QTRY_COMPARE(harness.resultBox()->toPlainText(), QStringLiteral("carrera"));
    if (served == QLatin1String("silent"))
        QVERIFY(!panel->findChildren<DictClient *>().isEmpty());
    QTRY_VERIFY(panel->findChildren<DictClient *>().isEmpty());
    QCOMPARE(panel->isHidden(), shown.isEmpty());
    for (const QString &text : shown.split('|', Qt::SkipEmptyParts))
        QVERIFY2(panel->toPlainText().contains(text), qPrintable(panel->toPlainText()));
}

void TestListenLookup::listenThenStop()
{
    LocalServices services;
    QVERIFY2(services.startSpeech(), qPrintable(services.error()));
    const auto quietNow = [&] {
        const qint64 end = services.recorded();
        return end > quarterSecond && services.peakSince(end - quarterSecond) < quiet;
    };
    harness.speechEngine.clear();
    QVERIFY(harness.startPage("<p class=result-container>x"));
    harness.openWindowWithoutServer(QStringLiteral("en_US"));
    QPushButton *source = harness.button("pushButton_listenSource");
    QPushButton *result = harness.button("pushButton_listenResult");
    harness.comboBox("comboBoxFrom")->setCurrentIndex(englishSource);
    harness.comboBox("comboBoxTo")->setCurrentIndex(yorubaTarget);
    // Some fifteen seconds of speech without the pauses of punctuation.
    harness.sourceBox()->setPlainText(
        QString("the quick brown fox jumps over the dog ").repeated(6));
    // The service lists its voices within seconds; espeak-ng has no Yoruba.
    QTRY_VERIFY_WITH_TIMEOUT(source->isEnabled(), 30000);
    QVERIFY(!result->isEnabled());
    QCOMPARE(result->toolTip(), QStringLiteral("No voice for this language is installed"));
    QTRY_VERIFY(quietNow());

    const qint64 pressed = services.recorded();
    source->click();
    QCOMPARE(source->toolTip(), QStringLiteral("Stop speaking"));
    QTRY_VERIFY_WITH_TIMEOUT(services.peakSince(pressed) > loud, 10000);
    source->click();
    QCOMPARE(source->toolTip(), QStringLiteral("Listen to the text"));
    const qint64 stopped = services.recorded();
    QTRY_VERIFY(services.recorded() > stopped + quarterSecond && quietNow());
}

QTEST_MAIN(TestListenLookup)
#include "tst_listenlookup.moc"
