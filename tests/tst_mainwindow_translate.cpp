#include "mainwindow/mainwindow.h"
#include "mainwindow/translationhistory.h"
#include "net/clientstuff.h"
#include "support/checked.h"
#include "support/windowharness.h"
#include "widgets/waitingspinnerwidget.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrlQuery>
#include <QtTest>

namespace {

const QString failureText = QStringLiteral("Can't connect to google translate!!!!");
const QString limitMessage = QStringLiteral("Get Translate Limit Length From Server=");
const QString welcomeAnswer = QStringLiteral("welcome translated");
// U+1F600 as its two UTF-16 halves.
const QString pair = QString::fromUtf16(u"\U0001F600");
const QChar replacementCharacter(0xFFFD);

QString repeated(char c, int count)
{
    return QString(count, QLatin1Char(c));
}

QByteArray resultPage(const QString &translation)
{
    return "<!DOCTYPE html><html><body><div class=\"result-container\">" +
           translation.toHtmlEscaped().toUtf8() + "</div></body></html>";
}

QString queryItem(const QString &requestLine, const QString &key)
{
    const QString target = requestLine.section(QLatin1Char(' '), 1, 1);
    const QUrlQuery query(QUrl(target).query(QUrl::FullyEncoded));
    return query.queryItemValue(key, QUrl::FullyDecoded);
}

} // namespace

Q_DECLARE_METATYPE(PageServer::Response)

class TestMainWindowTranslate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void piecesAreFetchedInOrderAndJoined_data();
    void piecesAreFetchedInOrderAndJoined();
    void surrogatePairsStayWhole_data();
    void surrogatePairsStayWhole();
    void emptySourceBox();
    void limitAppliesToHistoryRequestsAndFallback_data();
    void limitAppliesToHistoryRequestsAndFallback();
    void failedPieceHandsWholeTextToServer_data();
    void failedPieceHandsWholeTextToServer();
    void tildeIsSentUnescaped();
    void fallbackWithLinkDown_data();
    void fallbackWithLinkDown();
    void serverMessageDuringFetch();
    void buttonsRunTheAction_data();
    void buttonsRunTheAction();
    void languageCodesSent_data();
    void languageCodesSent();

    void firstEntryAtPositionZero();
    void hundredAndFirstEntryDropsTheOldest();
    void browsingRecordsNothingOnce();
    void clearEmptiesBothBoxesAndKeepsHistory();

private:
    // A window whose link to the peer is up and whose link-up traffic
    // (announcement, limit request, welcome translation) is over.
    void startLinkedWindow();
    // A window whose server address refuses connections, so no link-up
    // traffic ever interferes.
    void startUnlinkedWindow();
    void setLanguages(const QString &sourceName, const QString &targetName);
    void translate();
    void setLimitThroughPeer(int limit);
    QStringList newRequestLines() const;
    QStringList newRequestedTexts() const;
    QStringList newPeerTexts() const;

    QComboBox *box(const char *name) const;
    TranslationHistory &writableHistory() const;

    WindowHarness harness;
    int firstRequest = 0;
    int firstPeerText = 0;
};

void TestMainWindowTranslate::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    qRegisterMetaType<PageServer::Response>();
}

void TestMainWindowTranslate::init()
{
    WindowHarness::removeDataDirectory();
    QVERIFY(harness.startPage(resultPage(welcomeAnswer)));
    firstRequest = 0;
    firstPeerText = 0;
}

void TestMainWindowTranslate::cleanup()
{
    harness.stop();
}

void TestMainWindowTranslate::startLinkedWindow()
{
    QVERIFY(harness.startPeer());
    harness.openWindow(QStringLiteral("en_US"))->setWebTimeout(5000);

    QVERIFY(harness.peer()->waitForTexts(2));
    QTRY_COMPARE(harness.page()->requestCount(), 1);
    QTRY_COMPARE(harness.resultBox()->toPlainText(), welcomeAnswer);
    QVERIFY(!harness.spinner()->isSpinning());
    QVERIFY(harness.window()->channel()->getStatus());
    firstRequest = harness.page()->requestCount();
    firstPeerText = harness.peer()->allReceivedTexts().size();
    QCOMPARE(firstPeerText, 2);
}

void TestMainWindowTranslate::startUnlinkedWindow()
{
    QVERIFY(harness.openWindowWithoutServer(QStringLiteral("en_US")));
    harness.window()->setWebTimeout(5000);
    firstRequest = 0;
    QVERIFY(!harness.window()->channel()->getStatus());
}

void TestMainWindowTranslate::setLanguages(const QString &sourceName, const QString &targetName)
{
    const int from = box("comboBoxFrom")->findText(sourceName);
    const int to = box("comboBoxTo")->findText(targetName);
    QVERIFY2(from >= 0, qPrintable(sourceName));
    QVERIFY2(to >= 0, qPrintable(targetName));
    box("comboBoxFrom")->setCurrentIndex(from);
    box("comboBoxTo")->setCurrentIndex(to);
}

void TestMainWindowTranslate::translate()
{
    QVERIFY(QMetaObject::invokeMethod(harness.window(), "on_pushButton_translate_clicked"));
}

void TestMainWindowTranslate::setLimitThroughPeer(int limit)
{
    harness.peer()->sendText(limitMessage + QString::number(limit));
    QTRY_COMPARE(harness.window()->currentTranslationLimit(), limit);
}

QStringList TestMainWindowTranslate::newRequestLines() const
{
    return harness.page()->requestLines().mid(firstRequest);
}

QStringList TestMainWindowTranslate::newRequestedTexts() const
{
    return harness.page()->requestedTexts().mid(firstRequest);
}

QStringList TestMainWindowTranslate::newPeerTexts() const
{
    return harness.peer()->allReceivedTexts().mid(firstPeerText);
}

QComboBox *TestMainWindowTranslate::box(const char *name) const
{
    return harness.comboBox(QLatin1String(name));
}

TranslationHistory &TestMainWindowTranslate::writableHistory() const
{
    // Only a history step sets the browsing flag, and it runs the action at
    // once; the flag's own rule is tested by setting it directly.
    return const_cast<TranslationHistory &>(harness.window()->translationHistory());
}

void TestMainWindowTranslate::piecesAreFetchedInOrderAndJoined_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("pieces");

    QTest::newRow("1800 units, one request")
        << repeated('a', 1800) << QStringList{repeated('a', 1800)};
    QTest::newRow("1801 units, two requests")
        << QString(repeated('a', 1800) + QStringLiteral("b"))
        << QStringList{repeated('a', 1800), QStringLiteral("b")};
    QTest::newRow("3601 units, three requests")
        << QString(repeated('a', 1800) + repeated('b', 1800) + QStringLiteral("c"))
        << QStringList{repeated('a', 1800), repeated('b', 1800), QStringLiteral("c")};
    QTest::newRow("line breaks and delimiters travel unchanged")
        << QStringLiteral(" two\nlines & a+b=c #x \u00fc ")
        << QStringList{QStringLiteral(" two\nlines & a+b=c #x \u00fc ")};
}

void TestMainWindowTranslate::piecesAreFetchedInOrderAndJoined()
{
    QFETCH(QString, text);
    QFETCH(QStringList, pieces);

    CHECKED(startLinkedWindow());
    QStringList answers;
    for (int i = 0; i < pieces.size(); ++i) {
        answers.append(QStringLiteral("<%1>").arg(i));
        harness.page()->enqueue(PageServer::Response::page(resultPage(answers.last())));
    }
    harness.sourceBox()->setPlainText(text);
    harness.spinner()->start();

    CHECKED(translate());

    QCOMPARE(newRequestedTexts(), pieces);
    QCOMPARE(harness.resultBox()->toPlainText(), answers.join(QString()));
    QVERIFY(!harness.spinner()->isSpinning());
    QCOMPARE(newPeerTexts(), QStringList());
}

void TestMainWindowTranslate::surrogatePairsStayWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("pieces");

    QTest::newRow("pair across the 1800 boundary")
        << QString(repeated('a', 1799) + pair + QStringLiteral("b")) << 50000
        << QStringList{repeated('a', 1799), QString(pair + QStringLiteral("b"))};
    QTest::newRow("pair ending on the 1800 boundary")
        << QString(repeated('a', 1798) + pair + QStringLiteral("b")) << 50000
        << QStringList{QString(repeated('a', 1798) + pair), QStringLiteral("b")};
    QTest::newRow("pair across the limit")
        << QString(QStringLiteral("abcd") + pair + QStringLiteral("e")) << 5
        << QStringList{QStringLiteral("abcd")};
    QTest::newRow("pair just inside the limit")
        << QString(QStringLiteral("abcd") + pair + QStringLiteral("e")) << 6
        << QStringList{QString(QStringLiteral("abcd") + pair)};
    QTest::newRow("pair across the limit and the 1800 boundary")
        << QString(repeated('a', 1799) + pair + QStringLiteral("b")) << 1800
        << QStringList{repeated('a', 1799)};
}

void TestMainWindowTranslate::surrogatePairsStayWhole()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QStringList, pieces);

    CHECKED(startLinkedWindow());
    if (limit != harness.window()->currentTranslationLimit())
        CHECKED(setLimitThroughPeer(limit));
    // The page echoes every piece, so a halved pair would come back as a
    // replacement character.
    for (const QString &piece : pieces)
        harness.page()->enqueue(PageServer::Response::page(resultPage(piece)));
    harness.sourceBox()->setPlainText(text);

    CHECKED(translate());

    const QStringList requested = newRequestedTexts();
    QCOMPARE(requested, pieces);
    for (const QString &piece : requested)
        QVERIFY(!piece.contains(replacementCharacter));
    const QString shown = harness.resultBox()->toPlainText();
    QCOMPARE(shown, pieces.join(QString()));
    QVERIFY(!shown.contains(replacementCharacter));
    QCOMPARE(harness.window()->translationHistory().text(
                 harness.window()->translationHistory().size() - 1),
             pieces.join(QString()));
}

void TestMainWindowTranslate::emptySourceBox()
{
    CHECKED(startLinkedWindow());
    const int entries = harness.window()->translationHistory().size();
    harness.sourceBox()->setPlainText(QString());
    harness.resultBox()->setPlainText(QStringLiteral("old result"));
    harness.spinner()->start();

    CHECKED(translate());

    QCOMPARE(harness.page()->requestCount(), firstRequest);
    QCOMPARE(harness.window()->translationHistory().size(), entries + 1);
    QCOMPARE(harness.window()->translationHistory().text(entries), QString());
    QCOMPARE(harness.window()->translationHistory().position(), entries);
    QCOMPARE(harness.resultBox()->toPlainText(), QString());
    QVERIFY(!harness.spinner()->isSpinning());
    QCOMPARE(newPeerTexts(), QStringList());
}

void TestMainWindowTranslate::limitAppliesToHistoryRequestsAndFallback_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cut");

    QTest::newRow("cut to ten") << 10 << "abcdefghijKLMNOP"
                                << "abcdefghij";
    QTest::newRow("text within the limit") << 10 << "abcdefghij"
                                           << "abcdefghij";
    QTest::newRow("negative limit keeps the whole text") << -5 << "abcdefghijKLMNOP"
                                                         << "abcdefghijKLMNOP";
    QTest::newRow("limit over one piece")
        << 1801 << QString(repeated('a', 1800) + QStringLiteral("bc"))
        << QString(repeated('a', 1800) + QStringLiteral("b"));
}

void TestMainWindowTranslate::limitAppliesToHistoryRequestsAndFallback()
{
    QFETCH(int, limit);
    QFETCH(QString, text);
    QFETCH(QString, cut);

    CHECKED(startLinkedWindow());
    CHECKED(setLanguages(QStringLiteral("Detect language"), QStringLiteral("German")));
    CHECKED(setLimitThroughPeer(limit));
    harness.sourceBox()->setPlainText(text);

    // The web page answers: the requests and the history carry the cut text.
    for (const QString &piece : {cut.left(1800), cut.mid(1800)}) {
        if (!piece.isEmpty())
            harness.page()->enqueue(PageServer::Response::page(resultPage(piece.toUpper())));
    }
    CHECKED(translate());
    QCOMPARE(newRequestedTexts().join(QString()), cut);
    QCOMPARE(harness.resultBox()->toPlainText(), cut.toUpper());
    const TranslationHistory &history = harness.window()->translationHistory();
    QCOMPARE(history.text(history.size() - 1), cut);

    // The web page fails: the server gets the cut text.
    const int textsBefore = harness.peer()->allReceivedTexts().size();
    harness.page()->enqueue(PageServer::Response::page(QByteArray(), 500));
    CHECKED(translate());
    QVERIFY(harness.peer()->waitForTexts(textsBefore + 1));
    QCOMPARE(harness.peer()->allReceivedTexts().mid(textsBefore),
             QStringList{QStringLiteral("auto~de~") + cut});
    QCOMPARE(history.text(history.size() - 1), cut);
}

void TestMainWindowTranslate::failedPieceHandsWholeTextToServer_data()
{
    QTest::addColumn<PageServer::Response>("failure");

    QTest::newRow("500 with empty body") << PageServer::Response::page(QByteArray(), 500);
    QTest::newRow("page without result container")
        << PageServer::Response::page("<html><body><p>Before you continue</p></body></html>");
    QTest::newRow("empty result container") << PageServer::Response::page(
        "<html><body><div class=\"result-container\"></div></body></html>");
}

void TestMainWindowTranslate::failedPieceHandsWholeTextToServer()
{
    QFETCH(PageServer::Response, failure);

    CHECKED(startLinkedWindow());
    CHECKED(setLanguages(QStringLiteral("English"), QStringLiteral("French")));
    const QString text = repeated('a', 1800) + QStringLiteral("second piece");
    harness.sourceBox()->setPlainText(text);
    harness.resultBox()->setPlainText(QStringLiteral("old result"));
    harness.page()->enqueue(PageServer::Response::page(resultPage(QStringLiteral("FIRST"))));
    harness.page()->enqueue(failure);

    CHECKED(translate());

    QCOMPARE(newRequestedTexts(),
             (QStringList{repeated('a', 1800), QStringLiteral("second piece")}));
    QVERIFY(harness.peer()->waitForTexts(firstPeerText + 1));
    QCOMPARE(newPeerTexts(), QStringList{QStringLiteral("en~fr~") + text});
    QCOMPARE(harness.resultBox()->toPlainText(), QStringLiteral("old result"));
    QVERIFY(harness.spinner()->isSpinning());

    harness.peer()->sendText(QStringLiteral("la traduction"));
    QTRY_COMPARE(harness.resultBox()->toPlainText(), QStringLiteral("la traduction"));
    QVERIFY(!harness.spinner()->isSpinning());
}

void TestMainWindowTranslate::tildeIsSentUnescaped()
{
    CHECKED(startLinkedWindow());
    CHECKED(setLanguages(QStringLiteral("Detect language"), QStringLiteral("German")));
    const QString text = QStringLiteral("~a~~b~ \\~\nc~");
    harness.sourceBox()->setPlainText(text);
    harness.page()->enqueue(PageServer::Response::page(QByteArray(), 500));

    CHECKED(translate());

    QCOMPARE(newRequestedTexts(), QStringList{text});
    QVERIFY(harness.peer()->waitForTexts(firstPeerText + 1));
    QCOMPARE(newPeerTexts(), QStringList{QStringLiteral("auto~de~") + text});
}

void TestMainWindowTranslate::fallbackWithLinkDown_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("answeredPieces");

    QTest::newRow("first piece fails") << "hello" << 0;
    QTest::newRow("second piece fails") << QString(repeated('a', 1800) + QStringLiteral("b")) << 1;
}

void TestMainWindowTranslate::fallbackWithLinkDown()
{
    QFETCH(QString, text);
    QFETCH(int, answeredPieces);

    CHECKED(startLinkedWindow());
    // No reconnection may bring the link back, nor a refused attempt stop the
    // spinner, while the action runs.
    harness.window()->setReconnectInterval(3600 * 1000);
    harness.peer()->stopListening();
    harness.peer()->closeAllConnections();
    QTRY_VERIFY(!harness.window()->channel()->getStatus());

    for (int i = 0; i < answeredPieces; ++i)
        harness.page()->enqueue(PageServer::Response::page(resultPage(QStringLiteral("piece"))));
    harness.page()->enqueue(PageServer::Response::page(QByteArray(), 500));
    harness.sourceBox()->setPlainText(text);
    harness.resultBox()->setPlainText(QStringLiteral("old result"));

    CHECKED(translate());

    QCOMPARE(newRequestLines().size(), answeredPieces + 1);
    QCOMPARE(harness.resultBox()->toPlainText(), failureText);
    QVERIFY(!harness.spinner()->isSpinning());
    QCOMPARE(newPeerTexts(), QStringList());
}

void TestMainWindowTranslate::serverMessageDuringFetch()
{
    CHECKED(startLinkedWindow());
    harness.page()->enqueue(
        PageServer::Response::page(resultPage(QStringLiteral("web result")), 200, 800));
    connect(harness.page(), &PageServer::requestReceived, harness.peer(),
            [this] { harness.peer()->sendText(QStringLiteral("server text")); });
    bool actionReturned = false;
    QStringList shown;
    QList<bool> shownAfterReturn;
    connect(harness.resultBox(), &QPlainTextEdit::textChanged, this, [&] {
        shown.append(harness.resultBox()->toPlainText());
        shownAfterReturn.append(actionReturned);
    });
    harness.sourceBox()->setPlainText(QStringLiteral("some text"));

    CHECKED(translate());
    actionReturned = true;

    // setPlainText may report the clearing and the new text; only the texts count.
    shown.removeAll(QString());
    for (int i = shown.size() - 1; i > 0; --i) {
        if (shown.at(i) == shown.at(i - 1))
            shown.removeAt(i);
    }
    QCOMPARE(shown, (QStringList{QStringLiteral("server text"), QStringLiteral("web result")}));
    QVERIFY(!shownAfterReturn.contains(true));
    QCOMPARE(harness.resultBox()->toPlainText(), QStringLiteral("web result"));
    QVERIFY(!harness.spinner()->isSpinning());
}

void TestMainWindowTranslate::buttonsRunTheAction_data()
{
    QTest::addColumn<QString>("button");

    QTest::newRow("Translate") << "pushButton_translate";
    QTest::newRow("play") << "pushButton_play";
}

void TestMainWindowTranslate::buttonsRunTheAction()
{
    QFETCH(QString, button);

    CHECKED(startLinkedWindow());
    harness.window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(harness.window()));
    const int entries = harness.window()->translationHistory().size();
    CHECKED(setLanguages(QStringLiteral("English"), QStringLiteral("Spanish")));
    harness.sourceBox()->setPlainText(QStringLiteral("good morning"));
    harness.page()->enqueue(
        PageServer::Response::page(resultPage(QStringLiteral("buenos d\u00edas"))));
    harness.spinner()->start();

    QTest::mouseClick(harness.button(button), Qt::LeftButton);

    QTRY_COMPARE(harness.resultBox()->toPlainText(), QStringLiteral("buenos d\u00edas"));
    const QStringList lines = newRequestLines();
    QCOMPARE(lines.size(), 1);
    QCOMPARE(queryItem(lines.at(0), QStringLiteral("sl")), QStringLiteral("en"));
    QCOMPARE(queryItem(lines.at(0), QStringLiteral("tl")), QStringLiteral("es"));
    QCOMPARE(queryItem(lines.at(0), QStringLiteral("q")), QStringLiteral("good morning"));
    QCOMPARE(harness.window()->translationHistory().size(), entries + 1);
    QCOMPARE(harness.window()->translationHistory().text(entries), QStringLiteral("good morning"));
    QVERIFY(!harness.spinner()->isSpinning());
}

void TestMainWindowTranslate::languageCodesSent_data()
{
    QTest::addColumn<QString>("sourceName");
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<QString>("sourceCode");
    QTest::addColumn<QString>("targetCode");

    QTest::newRow("detect to German") << "Detect language"
                                      << "German"
                                      << "auto"
                                      << "de";
    QTest::newRow("to Traditional Chinese") << "English"
                                            << "Chinese (Traditional)"
                                            << "en"
                                            << "zh-TW";
    QTest::newRow("from Traditional Chinese") << "Chinese (Traditional)"
                                              << "English"
                                              << "zh-TW"
                                              << "en";
    QTest::newRow("Simplified Chinese to Hebrew") << "Chinese (Simplified)"
                                                  << "Hebrew"
                                                  << "zh-CN"
                                                  << "iw";
    QTest::newRow("Afrikaans to Zulu") << "Afrikaans"
                                       << "Zulu"
                                       << "af"
                                       << "zu";
}

void TestMainWindowTranslate::languageCodesSent()
{
    QFETCH(QString, sourceName);
    QFETCH(QString, targetName);
    QFETCH(QString, sourceCode);
    QFETCH(QString, targetCode);

    CHECKED(startLinkedWindow());
    CHECKED(setLanguages(sourceName, targetName));
    harness.sourceBox()->setPlainText(QStringLiteral("x"));

    // Once through the web page, once through the companion server.
    CHECKED(translate());
    harness.page()->enqueue(PageServer::Response::page(QByteArray(), 500));
    CHECKED(translate());

    const QStringList lines = newRequestLines();
    QCOMPARE(lines.size(), 2);
    for (const QString &line : lines) {
        QVERIFY2(line.contains(QStringLiteral("?sl=")), qPrintable(line));
        QCOMPARE(queryItem(line, QStringLiteral("sl")), sourceCode);
        QCOMPARE(queryItem(line, QStringLiteral("tl")), targetCode);
    }
    QVERIFY(harness.peer()->waitForTexts(firstPeerText + 1));
    QCOMPARE(newPeerTexts(), QStringList{sourceCode + QLatin1Char('~') + targetCode + "~x"});
}

void TestMainWindowTranslate::firstEntryAtPositionZero()
{
    CHECKED(startUnlinkedWindow());
    QCOMPARE(harness.window()->translationHistory().size(), 0);
    box("comboBoxFrom")->setCurrentIndex(3);
    box("comboBoxTo")->setCurrentIndex(7);
    harness.sourceBox()->setPlainText(QStringLiteral("T1"));

    CHECKED(translate());

    const TranslationHistory &history = harness.window()->translationHistory();
    QCOMPARE(history.size(), 1);
    QCOMPARE(history.position(), 0);
    QCOMPARE(history.text(0), QStringLiteral("T1"));
    QCOMPARE(history.from(0), 3);
    QCOMPARE(history.to(0), 7);
    QCOMPARE(history.displayLanguage(0), harness.window()->currentDisplayLanguage());
    QCOMPARE(newRequestedTexts(), QStringList{QStringLiteral("T1")});
}

void TestMainWindowTranslate::hundredAndFirstEntryDropsTheOldest()
{
    CHECKED(startUnlinkedWindow());
    for (int i = 1; i <= 101; ++i) {
        harness.sourceBox()->setPlainText(QStringLiteral("T%1").arg(i));
        CHECKED(translate());
    }

    const TranslationHistory &history = harness.window()->translationHistory();
    QCOMPARE(history.size(), 100);
    QCOMPARE(history.position(), 99);
    QCOMPARE(history.text(0), QStringLiteral("T2"));
    QCOMPARE(history.text(99), QStringLiteral("T101"));
    QCOMPARE(harness.page()->requestCount(), 101);
}

void TestMainWindowTranslate::browsingRecordsNothingOnce()
{
    CHECKED(startUnlinkedWindow());
    for (const QString &text : {QStringLiteral("T1"), QStringLiteral("T2")}) {
        harness.sourceBox()->setPlainText(text);
        CHECKED(translate());
    }
    writableHistory().setBrowsing(true);
    harness.sourceBox()->setPlainText(QStringLiteral("replayed"));

    CHECKED(translate());

    const TranslationHistory &history = harness.window()->translationHistory();
    QCOMPARE(history.size(), 2);
    QCOMPARE(history.position(), 1);
    QVERIFY(!history.isBrowsing());
    // The replay itself is still translated.
    QCOMPARE(newRequestedTexts().constLast(), QStringLiteral("replayed"));

    harness.sourceBox()->setPlainText(QStringLiteral("T3"));
    CHECKED(translate());
    QCOMPARE(history.size(), 3);
    QCOMPARE(history.text(2), QStringLiteral("T3"));
    QCOMPARE(history.position(), 2);
}

void TestMainWindowTranslate::clearEmptiesBothBoxesAndKeepsHistory()
{
    CHECKED(startUnlinkedWindow());
    for (const QString &text : {QStringLiteral("T1"), QStringLiteral("T2")}) {
        harness.sourceBox()->setPlainText(text);
        CHECKED(translate());
    }
    box("comboBoxFrom")->setCurrentIndex(5);
    box("comboBoxTo")->setCurrentIndex(9);
    harness.sourceBox()->setPlainText(QStringLiteral("typed"));
    harness.resultBox()->setPlainText(QStringLiteral("shown"));
    harness.spinner()->start();

    QVERIFY(QMetaObject::invokeMethod(harness.window(), "on_pushButton_clear_clicked"));

    QCOMPARE(harness.sourceBox()->toPlainText(), QString());
    QCOMPARE(harness.resultBox()->toPlainText(), QString());
    const TranslationHistory &history = harness.window()->translationHistory();
    QCOMPARE(history.size(), 2);
    QCOMPARE(history.text(0), QStringLiteral("T1"));
    QCOMPARE(history.text(1), QStringLiteral("T2"));
    QCOMPARE(history.position(), 1);
    QCOMPARE(box("comboBoxFrom")->currentIndex(), 5);
    QCOMPARE(box("comboBoxTo")->currentIndex(), 9);
    QVERIFY(harness.spinner()->isSpinning());
    QCOMPARE(harness.page()->requestCount(), 2);
}

QTEST_MAIN(TestMainWindowTranslate)
#include "tst_mainwindow_translate.moc"
