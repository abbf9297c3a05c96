// Stepping through the translation history with the previous and next
// buttons of a real MainWindow, with a local page that translates and a local
// companion peer that records the announcements.

#include "mainwindow/mainwindow.h"
#include "support/pageserver.h"
#include "support/peerserver.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace {

const QString announcement = QStringLiteral("Display language has been changed!=");
const QString limitRequest = QStringLiteral("Get Translate Limit1 Length From Server");

QString dataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QByteArray selectionFile()
{
    QFile file(dataDirectory() + QStringLiteral("/from_to.db"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

} // namespace

class TestMainWindowHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void emptyHistoryStepsDoNothing();
    void stepsBackAndForthWithinBounds();
    void replayUnderAnotherDisplayLanguage();

private:
    void translate(const QString &text, int from, int to);
    void step(const char *buttonName);
    // A flag click after the steps: its announcement is the last text on the
    // wire, so everything the steps sent has arrived before it.
    QStringList textsAfterLinkUp();
    QPushButton *flag(const QString &name) const;
    QComboBox *box(const QString &name) const;
    QPlainTextEdit *sourceBox() const;

    std::unique_ptr<PageServer> page;
    std::unique_ptr<PeerServer> peer;
    std::unique_ptr<MainWindow> window;
};

void TestMainWindowHistory::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowHistory::init()
{
    // The window makes its data directory one level deep, as the program does
    // on a desktop where the parent always exists.
    QDir(dataDirectory()).removeRecursively();
    QVERIFY(QDir().mkpath(QFileInfo(dataDirectory()).path()));
    page = std::make_unique<PageServer>();
    QVERIFY(page->listen());
    page->setDefaultResponse(
        PageServer::Response::page("<div class=\"result-container\">translated</div>"));
    peer = std::make_unique<PeerServer>();
    QVERIFY(peer->listen());

    Endpoints endpoints;
    endpoints.webPage = page->url();
    endpoints.serverHost = peer->host();
    endpoints.serverPort = QString::number(peer->port());
    window = std::make_unique<MainWindow>(QStringLiteral("de_DE"), nullptr, endpoints);
    window->show();
    // Text in the source box before the link comes up keeps the welcome text
    // out, so the history starts empty.
    sourceBox()->setPlainText(QStringLiteral("typed before the link"));
    QVERIFY(peer->waitForTexts(2));
    QCOMPARE(peer->allReceivedTexts(), (QStringList{announcement + "English", limitRequest}));
    QVERIFY(window->translationHistory().isEmpty());
}

void TestMainWindowHistory::cleanup()
{
    window.reset();
    peer.reset();
    page.reset();
    QDir(dataDirectory()).removeRecursively();
}

void TestMainWindowHistory::translate(const QString &text, int from, int to)
{
    box(QStringLiteral("comboBoxFrom"))->setCurrentIndex(from);
    box(QStringLiteral("comboBoxTo"))->setCurrentIndex(to);
    sourceBox()->setPlainText(text);
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("pushButton_translate")),
                      Qt::LeftButton);
}

void TestMainWindowHistory::step(const char *buttonName)
{
    QTest::mouseClick(window->findChild<QPushButton *>(QString::fromLatin1(buttonName)),
                      Qt::LeftButton);
}

QStringList TestMainWindowHistory::textsAfterLinkUp()
{
    const int before = peer->allReceivedTexts().size();
    QTest::mouseClick(flag(QStringLiteral("Spanish")), Qt::LeftButton);
    if (!peer->waitForTexts(before + 1))
        return {QStringLiteral("<the flag's announcement did not arrive>")};
    QStringList texts = peer->allReceivedTexts().mid(2);
    if (texts.isEmpty() || texts.takeLast() != announcement + "Spanish")
        return {QStringLiteral("<the flag's announcement was not last>")};
    return texts;
}

QPushButton *TestMainWindowHistory::flag(const QString &name) const
{
    return window->findChild<QPushButton *>(QStringLiteral("pushButton_") + name);
}

QComboBox *TestMainWindowHistory::box(const QString &name) const
{
    return window->findChild<QComboBox *>(name);
}

QPlainTextEdit *TestMainWindowHistory::sourceBox() const
{
    return window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_source"));
}

void TestMainWindowHistory::emptyHistoryStepsDoNothing()
{
    box(QStringLiteral("comboBoxFrom"))->setCurrentIndex(4);
    box(QStringLiteral("comboBoxTo"))->setCurrentIndex(9);
    step("pushButton_prev");
    step("pushButton_next");

    QCOMPARE(box(QStringLiteral("comboBoxFrom"))->currentIndex(), 4);
    QCOMPARE(box(QStringLiteral("comboBoxTo"))->currentIndex(), 9);
    QCOMPARE(sourceBox()->toPlainText(), QStringLiteral("typed before the link"));
    QCOMPARE(page->requestCount(), 0);
    QVERIFY(window->translationHistory().isEmpty());
    QCOMPARE(textsAfterLinkUp(), QStringList());
}

void TestMainWindowHistory::stepsBackAndForthWithinBounds()
{
    translate(QStringLiteral("T1"), 1, 2);
    translate(QStringLiteral("T2"), 3, 4);
    translate(QStringLiteral("T3"), 5, 6);
    QCOMPARE(window->translationHistory().size(), 3);
    QCOMPARE(page->requestedTexts(), (QStringList{"T1", "T2", "T3"}));
    const QByteArray stored = selectionFile();

    struct Step
    {
        const char *button;
        QString replayed; // empty: nothing happens
        int from;
        int to;
    };
    const Step steps[] = {
        {"pushButton_prev", "T2", 3, 4},      {"pushButton_prev", "T1", 1, 2},
        {"pushButton_prev", QString(), 1, 2}, {"pushButton_next", "T2", 3, 4},
        {"pushButton_next", "T3", 5, 6},      {"pushButton_next", QString(), 5, 6},
    };
    QStringList expectedRequests = page->requestedTexts();
    QStringList expectedAnnouncements;
    for (const Step &s : steps) {
        sourceBox()->setPlainText(QStringLiteral("scratch"));
        step(s.button);
        const QString where = QStringLiteral("%1 expecting \"%2\"").arg(s.button, s.replayed);
        if (!s.replayed.isEmpty()) {
            expectedRequests.append(s.replayed);
            expectedAnnouncements.append(announcement + "English");
        }
        QVERIFY2(page->requestedTexts() == expectedRequests, qPrintable(where));
        QVERIFY2(sourceBox()->toPlainText() ==
                     (s.replayed.isEmpty() ? QStringLiteral("scratch") : s.replayed),
                 qPrintable(where));
        QVERIFY2(box(QStringLiteral("comboBoxFrom"))->currentIndex() == s.from, qPrintable(where));
        QVERIFY2(box(QStringLiteral("comboBoxTo"))->currentIndex() == s.to, qPrintable(where));
        QVERIFY2(window->translationHistory().size() == 3, qPrintable(where));
    }
    QCOMPARE(selectionFile(), stored);
    QVERIFY(flag(QStringLiteral("English"))->isChecked());
    QCOMPARE(flag(QStringLiteral("English"))->minimumSize(), QSize(70, 42));
    QCOMPARE(textsAfterLinkUp(), expectedAnnouncements);
}

void TestMainWindowHistory::replayUnderAnotherDisplayLanguage()
{
    QTest::mouseClick(flag(QStringLiteral("Czech")), Qt::LeftButton);
    translate(QStringLiteral("Ahoj"), 0, 21);
    QTest::mouseClick(flag(QStringLiteral("English")), Qt::LeftButton);
    translate(QStringLiteral("Hello"), 0, 30);
    QCOMPARE(window->currentDisplayLanguage(), 0);
    const QByteArray stored = selectionFile();
    QCOMPARE(stored, QByteArray("0\r\n0\r\n21\r\n"));

    step("pushButton_prev");

    QCOMPARE(sourceBox()->toPlainText(), QStringLiteral("Ahoj"));
    QCOMPARE(box(QStringLiteral("comboBoxTo"))->currentIndex(), 21);
    QCOMPARE(page->requestedTexts().last(), QStringLiteral("Ahoj"));
    QVERIFY(flag(QStringLiteral("Czech"))->isChecked());
    QVERIFY(!flag(QStringLiteral("English"))->isChecked());
    QCOMPARE(flag(QStringLiteral("Czech"))->minimumSize(), QSize(70, 42));
    QCOMPARE(flag(QStringLiteral("Czech"))->maximumSize(), QSize(70, 42));
    QCOMPARE(flag(QStringLiteral("English"))->maximumSize(), QSize(50, 30));
    QCOMPARE(window->currentDisplayLanguage(), 0);
    QCOMPARE(selectionFile(), stored);
    QCOMPARE(window->translationHistory().size(), 2);
    QCOMPARE(textsAfterLinkUp(), (QStringList{announcement + "Czech", announcement + "English",
                                              announcement + "Czech"}));
}

QTEST_MAIN(TestMainWindowHistory)
#include "tst_mainwindow_history.moc"
