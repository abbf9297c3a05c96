#include "mainwindow/mainwindow.h"
#include "support/filebytes.h"
#include "support/portblocker.h"
#include "support/windowharness.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

const QStringList flagNames = {"English",  "Chinese", "Czech",   "French", "German", "Italian",
                               "Japanese", "Polish",  "Russian", "Slovak", "Spanish"};

QString selectionPath()
{
    return WindowHarness::dataDirectory() + QStringLiteral("/from_to.db");
}

QComboBox *box(QObject *window, const char *name)
{
    return window->findChild<QComboBox *>(QString::fromLatin1(name));
}

// The name of the one checked flag, or a list of them when that is not one.
QString checkedFlag(QObject *window)
{
    QStringList checked;
    for (const QString &name : flagNames) {
        if (window->findChild<QPushButton *>(QStringLiteral("pushButton_") + name)->isChecked())
            checked << name;
    }
    return checked.join(QLatin1Char('+'));
}

} // namespace

class TestMainWindowCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void boxesAreFilled();
    void localeDefaults_data();
    void localeDefaults();
    void restore_data();
    void restore();
    void restoreDoesNotRewriteFile();

    void userChoiceWritesAtOnce_data();
    void userChoiceWritesAtOnce();
    void saveRestartRoundTrip();
    void programmaticChangesNeverWrite();

private:
    std::unique_ptr<MainWindow> makeWindow(const QString &locale = QStringLiteral("en_US"));

    std::unique_ptr<PortBlocker> deadPort;
};

void TestMainWindowCatalogue::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    deadPort.reset(new PortBlocker);
    QVERIFY(deadPort->isActive());
}

void TestMainWindowCatalogue::init()
{
    WindowHarness::removeDataDirectory();
    QVERIFY(QDir().mkpath(WindowHarness::dataDirectory()));
}

void TestMainWindowCatalogue::cleanup()
{
    WindowHarness::removeDataDirectory();
}

std::unique_ptr<MainWindow> TestMainWindowCatalogue::makeWindow(const QString &locale)
{
    // Nothing listens on the dead port, so the link never comes up and
    // nothing but the user's actions saves the selection.
    return std::make_unique<MainWindow>(locale, nullptr,
                                        WindowHarness::refusingEndpoints(deadPort->port()));
}

void TestMainWindowCatalogue::boxesAreFilled()
{
    const auto window = makeWindow();
    QComboBox *from = box(window.get(), "comboBoxFrom");
    QComboBox *to = box(window.get(), "comboBoxTo");
    QCOMPARE(from->count(), 110);
    QCOMPARE(to->count(), 109);
    QCOMPARE(from->itemText(0), QStringLiteral("Detect language"));
    QCOMPARE(from->itemText(1), QStringLiteral("Afrikaans"));
    QCOMPARE(from->itemText(109), QStringLiteral("Zulu"));
    QCOMPARE(to->itemText(0), QStringLiteral("Afrikaans"));
    QCOMPARE(to->itemText(21), QStringLiteral("English"));
    QCOMPARE(to->itemText(108), QStringLiteral("Zulu"));
    for (int k = 0; k < to->count(); ++k)
        QCOMPARE(from->itemText(k + 1), to->itemText(k));
    QVERIFY(from->itemData(1).isNull());
    QVERIFY(from->itemIcon(1).isNull());
    QCOMPARE(from->currentIndex(), 0);
    QCOMPARE(window->currentDisplayLanguage(), 0);
    QCOMPARE(checkedFlag(window.get()), QStringLiteral("English"));
    QVERIFY(!QFileInfo::exists(selectionPath()));
}

void TestMainWindowCatalogue::localeDefaults_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("target");

    QTest::newRow("en_US") << "en_US" << 21;
    QTest::newRow("de_DE") << "de_DE" << 30;
    QTest::newRow("pt_BR") << "pt_BR" << 74;
    QTest::newRow("zh_CN, the later of the two rows") << "zh_CN" << 15;
    QTest::newRow("zh_TW") << "zh_TW" << 20;
    QTest::newRow("he_IL") << "he_IL" << 20;
    QTest::newRow("nb_NO") << "nb_NO" << 20;
    QTest::newRow("C, no underscore") << "C" << 20;
    QTest::newRow("empty") << "" << 20;
    QTest::newRow("de, the whole name as code") << "de" << 30;
    QTest::newRow("case matters") << "DE_de" << 20;
    QTest::newRow("first underscore only") << "sr_RS_Latn" << 80;
}

void TestMainWindowCatalogue::localeDefaults()
{
    QFETCH(QString, locale);
    QFETCH(int, target);

    const auto window = makeWindow(locale);
    QCOMPARE(box(window.get(), "comboBoxTo")->currentIndex(), target);
    QCOMPARE(box(window.get(), "comboBoxFrom")->currentIndex(), 0);
    QCOMPARE(checkedFlag(window.get()), QStringLiteral("English"));
}

void TestMainWindowCatalogue::restore_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<int>("displayLanguage");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");

    // Without a file: source "Detect language", target from en_US, English.
    QTest::newRow("3 0 0: French, boxes at defaults")
        << QByteArray("3\r\n0\r\n0\r\n") << "French" << 3 << 0 << 21;
    QTest::newRow("0 0 5: target Azerbaijani")
        << QByteArray("0\r\n0\r\n5\r\n") << "English" << 0 << 0 << 5;
    QTest::newRow("12 200 7: English, source default, Belarusian")
        << QByteArray("12\r\n200\r\n7\r\n") << "English" << 0 << 0 << 7;
    QTest::newRow("1 9 4: Chinese") << QByteArray("1\r\n9\r\n4\r\n") << "Chinese" << 1 << 9 << 4;
    QTest::newRow("10 is Spanish")
        << QByteArray("10\r\n109\r\n108\r\n") << "Spanish" << 10 << 109 << 108;
    QTest::newRow("11 falls back to English, 110 and 109 out of range")
        << QByteArray("11\r\n110\r\n109\r\n") << "English" << 0 << 0 << 21;
    QTest::newRow("source set, target 0 applied")
        << QByteArray("4\r\n9\r\n0\r\n") << "German" << 4 << 9 << 0;
    QTest::newRow("two lines: third counts as 0")
        << QByteArray("4\r\n9\r\n") << "German" << 4 << 9 << 0;
    QTest::newRow("one line: both boxes 0, defaults stay")
        << QByteArray("5\r\n") << "Italian" << 5 << 0 << 21;
    QTest::newRow("one line without end") << QByteArray("6") << "Japanese" << 6 << 0 << 21;
    QTest::newRow("empty file") << QByteArray() << "English" << 0 << 0 << 21;
    QTest::newRow("garbage lines count as 0")
        << QByteArray("x\r\n3.5\r\n1e2\r\n") << "English" << 0 << 0 << 21;
    QTest::newRow("garbage in the middle")
        << QByteArray("2\r\nfoo\r\n9\r\n") << "Czech" << 2 << 0 << 9;
    QTest::newRow("digits with trailing garbage")
        << QByteArray("7x\r\n12abc\r\n3\r\n") << "English" << 0 << 0 << 3;
    QTest::newRow("negative values are ignored")
        << QByteArray("-1\r\n-5\r\n-3\r\n") << "English" << 0 << 0 << 21;
    QTest::newRow("negative target alone")
        << QByteArray("8\r\n4\r\n-2\r\n") << "Russian" << 8 << 4 << 21;
    QTest::newRow("negative source alone")
        << QByteArray("9\r\n-4\r\n2\r\n") << "Slovak" << 9 << 0 << 2;
    QTest::newRow("LF line ends") << QByteArray("7\n3\n4\n") << "Polish" << 7 << 3 << 4;
    QTest::newRow("numbers beyond 32 bits count as 0")
        << QByteArray("99999999999\r\n4\r\n4294967301\r\n") << "English" << 0 << 4 << 0;
    QTest::newRow("extra lines are ignored")
        << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n") << "Chinese" << 1 << 2 << 3;
}

void TestMainWindowCatalogue::restore()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, flag);
    QFETCH(int, displayLanguage);
    QFETCH(int, from);
    QFETCH(int, to);

    QVERIFY(FileBytes::write(selectionPath(), file));
    const auto window = makeWindow();
    QCOMPARE(checkedFlag(window.get()), flag);
    QCOMPARE(window->currentDisplayLanguage(), displayLanguage);
    QCOMPARE(box(window.get(), "comboBoxFrom")->currentIndex(), from);
    QCOMPARE(box(window.get(), "comboBoxTo")->currentIndex(), to);
    // The restore enlarges no flag; only a display-language change does.
    for (const QString &name : flagNames) {
        auto *button = window->findChild<QPushButton *>(QStringLiteral("pushButton_") + name);
        QCOMPARE(button->minimumSize(), QSize(50, 30));
        QCOMPARE(button->maximumSize(), QSize(50, 30));
    }
}

void TestMainWindowCatalogue::restoreDoesNotRewriteFile()
{
    // A file in a form the client never writes, so that any save during
    // start-up would show.
    const QByteArray stored("03\n0\n0");
    QVERIFY(FileBytes::write(selectionPath(), stored));
    {
        const auto window = makeWindow(QStringLiteral("de_DE"));
        QCOMPARE(checkedFlag(window.get()), QStringLiteral("French"));
        QCoreApplication::processEvents();
    }
    QCOMPARE(FileBytes::read(selectionPath()), stored);
}

void TestMainWindowCatalogue::userChoiceWritesAtOnce_data()
{
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("source box") << "comboBoxFrom" << 45 << QByteArray("0\r\n45\r\n21\r\n");
    QTest::newRow("source back to Detect language")
        << "comboBoxFrom" << 0 << QByteArray("0\r\n0\r\n21\r\n");
    QTest::newRow("target box") << "comboBoxTo" << 88 << QByteArray("0\r\n0\r\n88\r\n");
    QTest::newRow("target box, first item") << "comboBoxTo" << 0 << QByteArray("0\r\n0\r\n0\r\n");
}

void TestMainWindowCatalogue::userChoiceWritesAtOnce()
{
    QFETCH(QString, boxName);
    QFETCH(int, index);
    QFETCH(QByteArray, expected);

    const auto window = makeWindow();
    QComboBox *combo = window->findChild<QComboBox *>(boxName);
    combo->setCurrentIndex(index);
    QVERIFY(!QFileInfo::exists(selectionPath()));
    // The box emits activated only for the user's choice; send it as the box would.
    QVERIFY(QMetaObject::invokeMethod(combo, "activated", Q_ARG(int, index)));
    QCOMPARE(FileBytes::read(selectionPath()), expected);
}

void TestMainWindowCatalogue::saveRestartRoundTrip()
{
    {
        const auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));

        // A flag click is the user's choice of display language and saves too.
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("pushButton_German")),
                          Qt::LeftButton);
        QCOMPARE(FileBytes::read(selectionPath()), QByteArray("4\r\n0\r\n21\r\n"));

        // Keyboard choice in the source box: every step is an activation.
        QComboBox *from = box(window.get(), "comboBoxFrom");
        from->setFocus();
        QTRY_VERIFY(from->hasFocus());
        QTest::keyClick(from, Qt::Key_Down);
        QTest::keyClick(from, Qt::Key_Down);
        QTest::keyClick(from, Qt::Key_Down);
        QCOMPARE(from->currentIndex(), 3);
        QCOMPARE(FileBytes::read(selectionPath()), QByteArray("4\r\n3\r\n21\r\n"));

        QComboBox *to = box(window.get(), "comboBoxTo");
        to->setFocus();
        QTRY_VERIFY(to->hasFocus());
        QTest::keyClick(to, Qt::Key_Up);
        QCOMPARE(to->currentIndex(), 20);
        QCOMPARE(FileBytes::read(selectionPath()), QByteArray("4\r\n3\r\n20\r\n"));
    }

    const auto restarted = makeWindow(QStringLiteral("pt_BR"));
    QCOMPARE(checkedFlag(restarted.get()), QStringLiteral("German"));
    QCOMPARE(restarted->currentDisplayLanguage(), 4);
    QCOMPARE(box(restarted.get(), "comboBoxFrom")->currentIndex(), 3);
    QCOMPARE(box(restarted.get(), "comboBoxTo")->currentIndex(), 20);
}

void TestMainWindowCatalogue::programmaticChangesNeverWrite()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    box(window.get(), "comboBoxFrom")->setCurrentIndex(12);
    box(window.get(), "comboBoxTo")->setCurrentIndex(40);
    box(window.get(), "comboBoxFrom")->setCurrentText(QStringLiteral("Welsh"));
    window->findChild<QPushButton *>(QStringLiteral("pushButton_Czech"))->setChecked(true);
    QCoreApplication::processEvents();
    QVERIFY(!QFileInfo::exists(selectionPath()));

    // With a file in place it stays byte for byte what it was.
    const QByteArray stored("2\r\n1\r\n1\r\n");
    QVERIFY(FileBytes::write(selectionPath(), stored));
    box(window.get(), "comboBoxTo")->setCurrentIndex(3);
    QCoreApplication::processEvents();
    QCOMPARE(FileBytes::read(selectionPath()), stored);
}

QTEST_MAIN(TestMainWindowCatalogue)
#include "tst_mainwindow_catalogue.moc"
