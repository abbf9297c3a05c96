// The display language as the window shows it: the text table's lookup rules
// seen on the window's labels, the flag buttons, and the welcome text.

#include "mainwindow/mainwindow.h"
#include "support/windowharness.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

namespace {

const QString tableMarker = QStringLiteral("This is display language config file!=");
const QString announcement = QStringLiteral("Display language has been changed!=");
const QStringList flagNames = {
    QStringLiteral("English"),  QStringLiteral("Chinese"), QStringLiteral("Czech"),
    QStringLiteral("French"),   QStringLiteral("German"),  QStringLiteral("Italian"),
    QStringLiteral("Japanese"), QStringLiteral("Polish"),  QStringLiteral("Russian"),
    QStringLiteral("Slovak"),   QStringLiteral("Spanish")};

QByteArray selectionFile()
{
    return WindowHarness::dataFile(QStringLiteral("from_to.db"));
}

QByteArray selection(int display, int from, int to)
{
    return QByteArray::number(display) + "\r\n" + QByteArray::number(from) + "\r\n" +
           QByteArray::number(to) + "\r\n";
}

} // namespace

class TestMainWindowDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lookupRules_data();
    void lookupRules();
    void anotherFlag_data();
    void anotherFlag();
    void sameFlagAgainMovesTheTarget_data();
    void sameFlagAgainMovesTheTarget();
    void helpAction_data();
    void helpAction();

private:
    QComboBox *targetBox() const;
    QString label(const QString &what) const;

    WindowHarness harness;
};

void TestMainWindowDisplay::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowDisplay::init()
{
    QVERIFY(WindowHarness::resetDataDirectory());
    QVERIFY(harness.startPage("<div class=\"result-container\">translated</div>"));
    QVERIFY(harness.startPeer());
    harness.openWindow(QStringLiteral("de_DE"))->show();
    // The page answers, so a link-up sends the announcement and the limit
    // request only.
    QVERIFY(harness.peer()->waitForTexts(2));
}

void TestMainWindowDisplay::cleanup()
{
    harness.stop();
}

QComboBox *TestMainWindowDisplay::targetBox() const
{
    return harness.comboBox(QStringLiteral("comboBoxTo"));
}

QString TestMainWindowDisplay::label(const QString &what) const
{
    if (what == QLatin1String("title"))
        return harness.window()->windowTitle();
    if (what == QLatin1String("help"))
        return harness.window()
            ->findChild<QToolButton *>(QStringLiteral("toolButton"))
            ->menu()
            ->actions()
            .value(0)
            ->text();
    if (what == QLatin1String("German"))
        return targetBox()->itemText(30);
    return harness.button(QStringLiteral("pushButton_") + what)->text();
}

void TestMainWindowDisplay::lookupRules_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("shown");

    QTest::newRow("no table") << QString() << "title"
                              << "Quillora Pro";
    QTest::newRow("key found") << "clear=Effacer"
                               << "clear"
                               << "Effacer";
    QTest::newRow("keys are case-sensitive") << "Clear=Effacer"
                                             << "clear"
                                             << "clear";
    QTest::newRow("empty value is not the fallback") << "clear="
                                                     << "clear"
                                                     << "";
    QTest::newRow("a key alone is its own value") << "translate"
                                                  << "translate"
                                                  << "translate";
    QTest::newRow("every key= is removed") << "app_name1=A app_name1=B"
                                           << "title"
                                           << "A B";
    QTest::newRow("first of two lines wins") << "clear=One\nclear=Two"
                                             << "clear"
                                             << "One";
    QTest::newRow("value keeps later =") << "clear=a=b"
                                         << "clear"
                                         << "a=b";
    QTest::newRow("key is up to the first =") << "clear x=y\nclear=z"
                                              << "clear"
                                              << "z";
    QTest::newRow("CR LF lines") << "app_name1=T\r\ntranslate=Go\r\n"
                                 << "translate"
                                 << "Go";
    QTest::newRow("CR LF title") << "app_name1=T\r\ntranslate=Go\r\n"
                                 << "title"
                                 << "T";
    QTest::newRow("CR inside a value") << "clear=a\rb"
                                       << "clear"
                                       << "ab";
    QTest::newRow("Help action") << "Help=Aide"
                                 << "help"
                                 << "Aide";
    QTest::newRow("language names") << "German=Deutsch"
                                    << "German"
                                    << "Deutsch";
    QTest::newRow("other keys untouched") << "German=Deutsch"
                                          << "clear"
                                          << "clear";
}

void TestMainWindowDisplay::lookupRules()
{
    QFETCH(QString, table);
    QFETCH(QString, what);
    QFETCH(QString, shown);

    if (!table.isNull())
        harness.window()->receivedSomething(tableMarker + table);
    QCOMPARE(label(what), shown);
}

void TestMainWindowDisplay::anotherFlag_data()
{
    QTest::addColumn<int>("index");
    for (int i = 1; i < flagNames.size(); ++i)
        QTest::newRow(qPrintable(flagNames.at(i))) << i;
}

void TestMainWindowDisplay::anotherFlag()
{
    QFETCH(int, index);

    const QString name = flagNames.at(index);
    auto *from = harness.comboBox(QStringLiteral("comboBoxFrom"));
    from->setCurrentIndex(3);
    targetBox()->setCurrentIndex(7);
    QTest::mouseClick(harness.button(QStringLiteral("pushButton_") + name), Qt::LeftButton);

    QVERIFY(harness.peer()->waitForTexts(3));
    QCOMPARE(harness.peer()->allReceivedTexts().last(), announcement + name);
    QCOMPARE(harness.window()->currentDisplayLanguage(), index);
    QCOMPARE(selectionFile(), selection(index, 3, 7));
    QCOMPARE(targetBox()->currentIndex(), 7);
    for (int i = 0; i < flagNames.size(); ++i) {
        QPushButton *flag = harness.button(QStringLiteral("pushButton_") + flagNames.at(i));
        const QSize expected = i == index ? QSize(70, 42) : QSize(50, 30);
        QCOMPARE(flag->minimumSize(), expected);
        QCOMPARE(flag->maximumSize(), expected);
        QCOMPARE(flag->isChecked(), i == index);
    }
}

void TestMainWindowDisplay::sameFlagAgainMovesTheTarget_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("target");

    const int targets[] = {21, 15, 18, 26, 30, 44, 45, 73, 77, 85, 88};
    for (int i = 0; i < flagNames.size(); ++i)
        QTest::newRow(qPrintable(flagNames.at(i))) << i << targets[i];
}

void TestMainWindowDisplay::sameFlagAgainMovesTheTarget()
{
    QFETCH(int, index);
    QFETCH(int, target);

    QPushButton *flag = harness.button(QStringLiteral("pushButton_") + flagNames.at(index));
    targetBox()->setCurrentIndex(1);
    // English is the display language from the start, so its first click is
    // already a second one.
    if (index != 0) {
        QTest::mouseClick(flag, Qt::LeftButton);
        QCOMPARE(targetBox()->currentIndex(), 1);
    }
    QTest::mouseClick(flag, Qt::LeftButton);

    QCOMPARE(targetBox()->currentIndex(), target);
    QCOMPARE(harness.window()->currentDisplayLanguage(), index);
    QCOMPARE(selectionFile(), selection(index, 0, target));
    const int clicks = index == 0 ? 1 : 2;
    QVERIFY(harness.peer()->waitForTexts(2 + clicks));
    QStringList announcements;
    for (int i = 0; i < clicks; ++i)
        announcements.append(announcement + flagNames.at(index));
    QCOMPARE(harness.peer()->allReceivedTexts().mid(2), announcements);
    QCOMPARE(flag->minimumSize(), QSize(70, 42));
}

void TestMainWindowDisplay::helpAction_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("welcome");

    QTest::newRow("no table") << QString()
                              << "Welcome to Quillora - translations done faster\n\n\n\n";
    QTest::newRow("full table") << "welcome1=W1\nwelcome2=W2\nwelcome3=W3\nwelcome4=W4"
                                << "W1\nW2\nW3\nW4\n";
    QTest::newRow("welcome1 missing") << "welcome3=C"
                                      << "Welcome to Quillora - translations done faster\n\nC\n\n";
    QTest::newRow("empty welcome1") << "welcome1=\nwelcome2=B"
                                    << "\nB\n\n\n";
}

void TestMainWindowDisplay::helpAction()
{
    QFETCH(QString, table);
    QFETCH(QString, welcome);

    if (!table.isNull())
        harness.window()->receivedSomething(tableMarker + table);
    auto *source = harness.sourceBox();
    // The menu entry replaces even typed text.
    source->setPlainText(QStringLiteral("typed"));
    const int requests = harness.page()->requestCount();
    harness.window()
        ->findChild<QToolButton *>(QStringLiteral("toolButton"))
        ->menu()
        ->actions()
        .value(0)
        ->trigger();

    QCOMPARE(source->toPlainText(), welcome);
    QCOMPARE(harness.page()->requestCount(), requests + 1);
    QCOMPARE(harness.page()->requestedTexts().last(), welcome);
    QCOMPARE(harness.resultBox()->toPlainText(), QStringLiteral("translated"));
    QCOMPARE(harness.window()->translationHistory().text(
                 harness.window()->translationHistory().size() - 1),
             welcome);
}

QTEST_MAIN(TestMainWindowDisplay)
#include "tst_mainwindow_display.moc"
