// The rules that need no window: the language catalogue, page extraction, the
// display-text lookup, the spinner's trail and the stored window placement.
#include "mainwindow/displaytexttable.h"
#include "mainwindow/languagecatalogue.h"
#include "mainwindow/windowplacement.h"
#include "translate/textpieces.h"
#include "translate/webtranslator.h"
#include "widgets/waitingspinnerwidget.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestRules : public QObject
{
    Q_OBJECT

private slots:
    void catalogue_data();
    void catalogue();
    void pages_data();
    void pages();
    void displayTextWithLineBreaks();
    void spinnerTrail_data();
    void spinnerTrail();
    void windowPlacement();
    void limitCut_data();
    void limitCut();
};

void TestRules::catalogue_data()
{
    // Target rows that users and the web translation service depend on by
    // place or code.
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("row");
    for (const char *row :
         {"0 Afrikaans\taf", "14 Chinese (Traditional)\tzh-TW", "15 Chinese (Simplified)\tzh-CN",
          "18 Czech\tcs", "20 Dutch\tnl", "21 English\ten", "24 Filipino\ttl", "26 French\tfr",
          "30 German\tde", "36 Hebrew\tiw", "44 Italian\tit", "45 Japanese\tja", "46 Javanese\tjw",
          "73 Polish\tpl", "74 Portuguese\tpt", "77 Russian\tru", "85 Slovak\tsk", "88 Spanish\tes",
          "108 Zulu\tzu"}) {
        const QString text = QString::fromUtf8(row);
        QTest::newRow(row) << text.section(' ', 0, 0).toInt() << text.section(' ', 1);
    }
}

void TestRules::catalogue()
{
    QFETCH(int, k);
    QFETCH(QString, row);
    const LanguageCatalogue c;
    const auto source = [&](int i) {
        return c.sourceLanguageNames().value(i) + '\t' + c.sourceLanguageCodes().value(i);
    };
    QCOMPARE(c.targetLanguageNames().value(k) + '\t' + c.targetLanguageCodes().value(k), row);
    QCOMPARE(source(k + 1), row);
    QCOMPARE(source(0) + QString::number(c.targetLanguageCodes().size()),
             "Detect language\tauto109");
    // A flag chosen twice moves the target box to the flag's own language.
    const int flag = c.displayLanguageNames().indexOf(row.section(' ', 0, 0).section('\t', 0, 0));
    if (flag >= 0 && !row.contains("Traditional"))
        QCOMPARE(LanguageCatalogue::targetIndexOfDisplayLanguage(flag), k);
    QCOMPARE(c.displayLanguageNames().size(), 11);
    // Every row, pinned: a name, code or place changes only on purpose.
    QByteArray rows;
    for (int i = 0; i < c.sourceLanguageNames().size(); ++i)
        rows += source(i).toUtf8() + '\n';
    QCOMPARE(QCryptographicHash::hash(rows, QCryptographicHash::Sha1).toHex().left(16),
             QByteArray("a592ffb540a1dc86"));
}

void TestRules::pages_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("expected");
    const QString failure = WebTranslator::connectionFailureText();
    QFile index(QStringLiteral(QUILLORA_TESTDATA_DIR "/pages/expected.json"));
    QVERIFY(index.open(QIODevice::ReadOnly));
    const QJsonObject pages = QJsonDocument::fromJson(index.readAll()).object();
    QVERIFY(pages.size() >= 20);
    for (auto it = pages.begin(); it != pages.end(); ++it) {
        QFile file(QStringLiteral(QUILLORA_TESTDATA_DIR "/pages/") + it.key());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = it.value().toString();
        QTest::newRow(qPrintable(it.key())) << file.readAll() << (text.isEmpty() ? failure : text);
    }
    QTest::newRow("class in capitals, nested element left out")
        << QByteArray("<div class='x RESULT-Container'>a<b>b</b>c</div>") << "ac";
    QTest::newRow("first of two") << QByteArray("<p class=result-container>1</p>"
                                                "<p class=result-container>2</p>")
                                  << "1";
    QTest::newRow("empty body") << QByteArray() << failure;
}

void TestRules::pages()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, expected);
    QCOMPARE(WebTranslator::extractTranslation(page, QStringLiteral("x")), expected);
}

void TestRules::displayTextWithLineBreaks()
{
    // Both readers already drop line ends; a table set from lines still has them.
    DisplayTextTable table;
    table.setLines({QStringLiteral("a=1\r\n2")});
    QCOMPARE(table.displayText(QStringLiteral("a"), QString()), QStringLiteral("12"));
}

void TestRules::spinnerTrail_data()
{
    // The translate action's spinner: 12 bars, 70 % trail, 15 % minimum.
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("current");
    QTest::addColumn<double>("baseAlpha");
    QTest::addColumn<double>("alpha");
    QTest::newRow("full-colour bar") << 4 << 4 << 1.0 << 1.0;
    QTest::newRow("just behind") << 3 << 4 << 1.0 << 0.90556;
    QTest::newRow("behind across zero") << 11 << 0 << 1.0 << 0.90556;
    QTest::newRow("end of the trail") << 4 << 0 << 1.0 << 0.24444;
    QTest::newRow("past the trail") << 1 << 0 << 1.0 << 0.15;
    QTest::newRow("half-transparent base") << 0 << 1 << 0.5 << 0.46111;
    QTest::newRow("faint full-colour bar") << 2 << 2 << 0.05 << 0.05;
}

void TestRules::spinnerTrail()
{
    QFETCH(int, line);
    QFETCH(int, current);
    QFETCH(double, baseAlpha);
    QFETCH(double, alpha);
    QColor base(81, 4, 71);
    base.setAlphaF(baseAlpha);
    const int distance = WaitingSpinnerWidget::lineDistance(line, current, 12);
    const QColor colour = WaitingSpinnerWidget::lineColor(distance, 12, 70.0, 15.0, base);
    QVERIFY2(qAbs(colour.alphaF() - alpha) < 0.001, qPrintable(QString::number(colour.alphaF())));
    QCOMPARE(colour.rgb(), base.rgb());
    // The full-colour bar steps round and wraps after the last bar.
    WaitingSpinnerWidget spinner(nullptr, false, false);
    spinner.setLineCount(3);
    for (int step = 1; step <= 3; ++step) {
        QVERIFY(QMetaObject::invokeMethod(&spinner, "rotate"));
        QCOMPARE(spinner.getCurrentLine(), step % 3);
    }
}

void TestRules::windowPlacement()
{
    // A window opens where the last one was left; without a file it stays put.
    QTemporaryDir folder;
    const QString path = folder.filePath("window.dat");
    QWidget left, next;
    left.setGeometry(40, 60, 320, 240);
    QVERIFY(!WindowPlacement::restore(&next, path));
    QVERIFY(WindowPlacement::save(&left, path));
    QVERIFY(WindowPlacement::restore(&next, path));
    QCOMPARE(next.geometry(), left.geometry());
}

QTEST_MAIN(TestRules)
void TestRules::limitCut_data()
{
    // The text | the server's limit | what is translated.
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("kept");
    const QString pair = QString::fromUtf8("\U0001F600");
    QTest::newRow("over") << "abcdef" << 4 << "abcd";
    QTest::newRow("exactly") << "abcd" << 4 << "abcd";
    QTest::newRow("under") << "ab" << 4 << "ab";
    QTest::newRow("no limit") << "abc" << -1 << "abc";
    QTest::newRow("pair at the end") << "abc" + pair << 4 << "abc";
    QTest::newRow("pair before the end") << "ab" + pair + "c" << 4 << "ab" + pair;
}

void TestRules::limitCut()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QString, kept);
    QCOMPARE(TextPieces::cutToLimit(text, limit), kept);
}

#include "tst_rules.moc"
