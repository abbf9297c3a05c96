// Dictionary entries through a real dictd serving the installed FreeDict
// dictionaries: the entry parser on the dictionaries' own shapes, the DICT
// conversation with its failures, and the window's panel beside a
// translation that never waits for it.
#include "dictionary/dictclient.h"
#include "dictionary/dictionarypanel.h"
#include "support/dictdserver.h"
#include "support/windowharness.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

Q_DECLARE_METATYPE(DictClient::Reply)

class TestDictionary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qRegisterMetaType<DictClient::Reply>();
    }
    void cleanup() { harness.stop(); }
    void entries_data();
    void entries();
    void words_data();
    void words();
    void conversation_data();
    void conversation();
    void window_data();
    void window();

private:
    WindowHarness harness;
};

void TestDictionary::entries_data()
{
    QTest::addColumn<QString>("text");
    // Head line, then one line per sense: labels, alternatives, notes.
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("numbered senses")
        << "run /rʌn/\n1. atropellar\n2. s'élancer, se précipiter"
        << QStringList{"run|rʌn|", "|atropellar|", "|s'élancer;se précipiter|"};
    QTest::newRow("one sense, no pronunciation")
        << "carrera\ncareer" << QStringList{"carrera||", "|career|"};
    QTest::newRow("labels, synonyms, examples, cross-references")
        << "Haus /hˈaʊs/ <neut, n, sg>\n [adm.] establishment <n>, institution <n>\n"
           "   Synonyms: {Einrichtung}, {Anstalt}\n\n see: {Häuser}\n"
           "house <n>\n      \"ein Haus bauen\"  - build a house\n         Note: recurrent"
        << QStringList{"Haus|hˈaʊs|neut;n;sg",
                       "adm.;n|establishment;institution|Synonyms: Einrichtung, Anstalt",
                       "n|house|\"ein Haus bauen\"  - build a house;Note: recurrent"};
    QTest::newRow("commas inside labels stay")
        << "laufen /lˈaʊfən/ <v, intr>\n1. go <v, intr>, run"
        << QStringList{"laufen|lˈaʊfən|v;intr", "v;intr|go;run|"};
    QTest::newRow("notes before any sense are dropped") << "x\n   Note: stray\n\n"
                                                        << QStringList{"x||"};
}

void TestDictionary::entries()
{
    QFETCH(QString, text);
    const FreeDictEntry entry = FreeDictEntry::parse(text);
    const QString semi = QStringLiteral(";");
    QStringList got{entry.headword + '|' + entry.pronunciation + '|' +
                    entry.partsOfSpeech.join(semi)};
    for (const FreeDictEntry::Sense &sense : entry.senses)
        got << sense.labels.join(semi) + '|' + sense.alternatives.join(semi) + '|' +
                   sense.notes.join(semi);
    QTEST(got, "expected");
}

void TestDictionary::words_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("word");
    QTest::newRow("word") << "run"
                          << "run";
    QTest::newRow("sentence marks") << " ¿Carrera? \n"
                                    << "Carrera";
    QTest::newRow("four words") << "in vollem Gange sein."
                                << "in vollem Gange sein";
    QTest::newRow("five words") << "one two three four five"
                                << "";
    QTest::newRow("two lines") << "run\nfast"
                               << "";
    QTest::newRow("only marks") << "?!"
                                << "";
}

void TestDictionary::words()
{
    QFETCH(QString, text);
    QTEST(WordLookup::dictionaryWord(text), "word");
    QCOMPARE(DictClient::quoted(QStringLiteral("a \"b\" \\c")),
             QByteArray("\"a \\\"b\\\" \\\\c\""));
}

void TestDictionary::conversation_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("definitions");
    QTest::newRow("found in both")
        << "dictd"
        << "Run" << true << "fd-eng-spa:run,fd-eng-spa:run,fd-eng-spa:run";
    QTest::newRow("no match") << "dictd"
                              << "xyzzy" << true << "";
    QTest::newRow("refused") << "refusing"
                             << "run" << false << "";
    QTest::newRow("silent") << "silent"
                            << "run" << false << "";
}

void TestDictionary::conversation()
{
    QFETCH(QString, server);
    QFETCH(QString, word);
    DictdServer dictd;
    QTcpServer silent;
    quint16 port = 0;
    if (server == "dictd") {
        QVERIFY2(dictd.start({"eng-spa", "spa-eng"}), qPrintable(dictd.error()));
        port = dictd.port();
    } else {
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        port = silent.serverPort();
        if (server == "refusing")
            silent.close();
    }
    auto *client = new DictClient(QStringLiteral("127.0.0.1"), port, 300);
    QSignalSpy finished(client, &DictClient::finished);
    client->start(true, word, {"fd-eng-spa", "fd-spa-eng"});
    QVERIFY(finished.wait(5000));
    const auto reply = finished.first().first().value<DictClient::Reply>();
    QTEST(reply.complete, "complete");
    QStringList found;
    for (const DictClient::Definition &definition : reply.definitions)
        found << definition.database + ':' + definition.word;
    QTEST(found.join(','), "definitions");
    QCOMPARE(reply.databases.size(), server == "dictd" ? 2 : 0);
    if (server == "dictd")
        QCOMPARE(reply.databases.first().description,
                 QStringLiteral("English-Spanish FreeDict Dictionary ver. 0.3.1"));
}

void TestDictionary::window_data()
{
    QTest::addColumn<QStringList>("dictionaries");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    // What the panel shows once the translation "carrera" is in.
    QTest::addColumn<QStringList>("shown");
    const int english = 22, spanish = 89;
    QTest::newRow("both directions")
        << QStringList{"eng-spa", "spa-eng"} << "run" << english << spanish - 1
        << QStringList{"English → Spanish", "atropellar", "Spanish → English", "career"};
    QTest::newRow("detected source")
        << QStringList{"eng-spa", "spa-eng"} << "run." << 0 << spanish - 1
        << QStringList{"English → Spanish", "correr", "Spanish → English", "career"};
    QTest::newRow("only one direction") << QStringList{"spa-eng"} << "run" << english << spanish - 1
                                        << QStringList{"Spanish → English"};
    QTest::newRow("no dictionary for the pair")
        << QStringList{"eng-spa"} << "run" << spanish << english - 1 << QStringList{};
    QTest::newRow("a sentence") << QStringList{"eng-spa", "spa-eng"} << "run to the hills now"
                                << english << spanish - 1 << QStringList{};
    QTest::newRow("no server") << QStringList{} << "run" << english << spanish - 1 << QStringList{};
    QTest::newRow("silent server")
        << QStringList{"silent"} << "run" << english << spanish - 1 << QStringList{};
}

void TestDictionary::window()
{
    QFETCH(QStringList, dictionaries);
    QFETCH(QStringList, shown);
    DictdServer dictd;
    QTcpServer silent;
    if (dictionaries == QStringList{"silent"}) {
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        harness.dictionaryPort = silent.serverPort();
    } else if (!dictionaries.isEmpty()) {
        QVERIFY2(dictd.start(dictionaries), qPrintable(dictd.error()));
        harness.dictionaryPort = dictd.port();
    }
    QVERIFY(harness.startPage("<p class=result-container>carrera"));
    harness.openWindowWithoutServer(QStringLiteral("en_US"));
    auto *panel = harness.window()->findChild<DictionaryPanel *>();
    QVERIFY(panel && panel->isHidden());
    QFETCH(int, from);
    QFETCH(int, to);
    harness.comboBox("comboBoxFrom")->setCurrentIndex(from);
    harness.comboBox("comboBoxTo")->setCurrentIndex(to);
    QFETCH(QString, source);
    harness.sourceBox()->setPlainText(source);
    harness.button("pushButton_translate")->click();
    // The translation shows however the dictionary server behaves; the silent
    // one would hold it up for a minute.
    QTRY_COMPARE(harness.resultBox()->toPlainText(), QStringLiteral("carrera"));
    if (dictionaries == QStringList{"silent"}) {
        QVERIFY(panel->isHidden());
        return;
    }
    QTRY_VERIFY(panel->findChildren<DictClient *>().isEmpty());
    QCOMPARE(panel->isHidden(), shown.isEmpty());
    for (const QString &text : shown)
        QVERIFY2(panel->toPlainText().contains(text), qPrintable(panel->toPlainText()));
}

QTEST_MAIN(TestDictionary)
#include "tst_dictionary.moc"
