// Stepping through the translation history with the previous and next
// buttons of a real MainWindow, with a local page that translates and a local
// companion peer that records the announcements.

#include "mainwindow/mainwindow.h"
#include "support/windowharness.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

namespace {

const QString announcement = QStringLiteral("Display language has been changed!=");
const QString limitRequest = QStringLiteral("Get Translate Limit1 Length From Server");

QByteArray selectionFile()
{
    return WindowHarness::dataFile(QStringLiteral("from_to.db"));
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

    WindowHarness harness;
};

void TestMainWindowHistory::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowHistory::init()
{
    QVERIFY(WindowHarness::resetDataDirectory());
    QVERIFY(harness.startPage("<div class=\"result-container\">translated</div>"));
    QVERIFY(harness.startPeer());
    harness.openWindow(QStringLiteral("de_DE"))->show();
    // Text in the source box before the link comes up keeps the welcome text
    // out, so the history starts empty.
    harness.sourceBox()->setPlainText(QStringLiteral("typed before the link"));
    QVERIFY(harness.peer()->waitForTexts(2));
    QCOMPARE(harness.peer()->allReceivedTexts(),
             (QStringList{announcement + "English", limitRequest}));
    QVERIFY(harness.window()->translationHistory().isEmpty());
}

void TestMainWindowHistory::cleanup()
{
    harness.stop();
}

void TestMainWindowHistory::translate(const QString &text, int from, int to)
{
    harness.comboBox(QStringLiteral("comboBoxFrom"))->setCurrentIndex(from);
    harness.comboBox(QStringLiteral("comboBoxTo"))->setCurrentIndex(to);
    harness.sourceBox()->setPlainText(text);
    QTest::mouseClick(harness.button(QStringLiteral("pushButton_translate")), Qt::LeftButton);
}

void TestMainWindowHistory::step(const char *buttonName)
{
    QTest::mouseClick(harness.button(QString::fromLatin1(buttonName)), Qt::LeftButton);
}

QStringList TestMainWindowHistory::textsAfterLinkUp()
{
    const int before = harness.peer()->allReceivedTexts().size();
    QTest::mouseClick(flag(QStringLiteral("Spanish")), Qt::LeftButton);
    if (!harness.peer()->waitForTexts(before + 1))
        return {QStringLiteral("<the flag's announcement did not arrive>")};
    QStringList texts = harness.peer()->allReceivedTexts().mid(2);
    if (texts.isEmpty() || texts.takeLast() != announcement + "Spanish")
        return {QStringLiteral("<the flag's announcement was not last>")};
    return texts;
}

QPushButton *TestMainWindowHistory::flag(const QString &name) const
{
    return harness.button(QStringLiteral("pushButton_") + name);
}

void TestMainWindowHistory::emptyHistoryStepsDoNothing()
{
    harness.comboBox(QStringLiteral("comboBoxFrom"))->setCurrentIndex(4);
    harness.comboBox(QStringLiteral("comboBoxTo"))->setCurrentIndex(9);
    step("pushButton_prev");
    step("pushButton_next");

    QCOMPARE(harness.comboBox(QStringLiteral("comboBoxFrom"))->currentIndex(), 4);
    QCOMPARE(harness.comboBox(QStringLiteral("comboBoxTo"))->currentIndex(), 9);
    QCOMPARE(harness.sourceBox()->toPlainText(), QStringLiteral("typed before the link"));
    QCOMPARE(harness.page()->requestCount(), 0);
    QVERIFY(harness.window()->translationHistory().isEmpty());
    QCOMPARE(textsAfterLinkUp(), QStringList());
}

void TestMainWindowHistory::stepsBackAndForthWithinBounds()
{
    translate(QStringLiteral("T1"), 1, 2);
    translate(QStringLiteral("T2"), 3, 4);
    translate(QStringLiteral("T3"), 5, 6);
    QCOMPARE(harness.window()->translationHistory().size(), 3);
    QCOMPARE(harness.page()->requestedTexts(), (QStringList{"T1", "T2", "T3"}));
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
    QStringList expectedRequests = harness.page()->requestedTexts();
    QStringList expectedAnnouncements;
    for (const Step &s : steps) {
        harness.sourceBox()->setPlainText(QStringLiteral("scratch"));
        step(s.button);
        const QString where = QStringLiteral("%1 expecting \"%2\"").arg(s.button, s.replayed);
        if (!s.replayed.isEmpty()) {
            expectedRequests.append(s.replayed);
            expectedAnnouncements.append(announcement + "English");
        }
        QVERIFY2(harness.page()->requestedTexts() == expectedRequests, qPrintable(where));
        QVERIFY2(harness.sourceBox()->toPlainText() ==
                     (s.replayed.isEmpty() ? QStringLiteral("scratch") : s.replayed),
                 qPrintable(where));
        QVERIFY2(harness.comboBox(QStringLiteral("comboBoxFrom"))->currentIndex() == s.from,
                 qPrintable(where));
        QVERIFY2(harness.comboBox(QStringLiteral("comboBoxTo"))->currentIndex() == s.to,
                 qPrintable(where));
        QVERIFY2(harness.window()->translationHistory().size() == 3, qPrintable(where));
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
    QCOMPARE(harness.window()->currentDisplayLanguage(), 0);
    const QByteArray stored = selectionFile();
    QCOMPARE(stored, QByteArray("0\r\n0\r\n21\r\n"));

    step("pushButton_prev");

    QCOMPARE(harness.sourceBox()->toPlainText(), QStringLiteral("Ahoj"));
    QCOMPARE(harness.comboBox(QStringLiteral("comboBoxTo"))->currentIndex(), 21);
    QCOMPARE(harness.page()->requestedTexts().last(), QStringLiteral("Ahoj"));
    QVERIFY(flag(QStringLiteral("Czech"))->isChecked());
    QVERIFY(!flag(QStringLiteral("English"))->isChecked());
    QCOMPARE(flag(QStringLiteral("Czech"))->minimumSize(), QSize(70, 42));
    QCOMPARE(flag(QStringLiteral("Czech"))->maximumSize(), QSize(70, 42));
    QCOMPARE(flag(QStringLiteral("English"))->maximumSize(), QSize(50, 30));
    QCOMPARE(harness.window()->currentDisplayLanguage(), 0);
    QCOMPARE(selectionFile(), stored);
    QCOMPARE(harness.window()->translationHistory().size(), 2);
    QCOMPARE(textsAfterLinkUp(), (QStringList{announcement + "Czech", announcement + "English",
                                              announcement + "Czech"}));
}

QTEST_MAIN(TestMainWindowHistory)
#include "tst_mainwindow_history.moc"
