#include "mainwindow/mainwindow.h"
#include "support/filebytes.h"
#include "support/portblocker.h"
#include "support/windowharness.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)

namespace {

const QStringList flagNames = {"English",  "Chinese", "Czech",   "French", "German", "Italian",
                               "Japanese", "Polish",  "Russian", "Slovak", "Spanish"};

const QStringList connectionRow = {"pushButton_connect", "pushButton_disconnect", "label_ip",
                                   "lineEdit_ip",        "label_arrow",           "label_port",
                                   "lineEdit_port"};

template <typename T> T *child(QObject *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}

QPushButton *flag(QObject *window, const QString &name)
{
    return window->findChild<QPushButton *>(QStringLiteral("pushButton_") + name);
}

} // namespace

class TestMainWindowShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowSizeAndFont();
    void styleSheets_data();
    void styleSheets();
    void toolButtonPopup();
    void englishCheckedAndFlagsExclusive();
    void imagesResolve_data();
    void imagesResolve();
    void checkedFlagImagesDiffer();

    void connectionRowNeverVisible();
    void sourceBoxGetsFocusAfterStart();

    void configLoadsExactLines_data();
    void configLoadsExactLines();
    void missingDataDirectoryIsCreated();

    void closeHidesToTray();
    void trayActivationRestores_data();
    void trayActivationRestores();
    void trayActivationIgnored_data();
    void trayActivationIgnored();
    void trayMenuEntries();
    void restoreActionShowsWindow();
    void helpMenu();
    void resizeGivesSpaceToTextAndSpacers();

    void quitEndsEventLoopWhileHidden();

private:
    std::unique_ptr<MainWindow> makeWindow(const QString &locale = QStringLiteral("en_US"));

    // Both peers refuse at once: nothing listens on this port.
    std::unique_ptr<PortBlocker> deadPort;
};

void TestMainWindowShell::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    deadPort.reset(new PortBlocker);
    QVERIFY(deadPort->isActive());
    // The data directory is made with a single-level mkdir, as on a desktop
    // where the parent always exists.
    QVERIFY(QDir().mkpath(QFileInfo(WindowHarness::dataDirectory()).absolutePath()));
}

void TestMainWindowShell::init()
{
    WindowHarness::removeDataDirectory();
    QVERIFY(QDir().mkpath(WindowHarness::dataDirectory()));
}

void TestMainWindowShell::cleanup()
{
    WindowHarness::removeDataDirectory();
}

std::unique_ptr<MainWindow> TestMainWindowShell::makeWindow(const QString &locale)
{
    return std::make_unique<MainWindow>(locale, nullptr,
                                        WindowHarness::refusingEndpoints(deadPort->port()));
}

void TestMainWindowShell::windowSizeAndFont()
{
    const auto window = makeWindow();
    QCOMPARE(window->size(), QSize(883, 411));
    QCOMPARE(window->font().pointSize(), 12);
    QVERIFY(!window->menuWidget());
    QVERIFY(!window->findChild<QStatusBar *>());
    QVERIFY(!window->findChild<QToolBar *>());
}

void TestMainWindowShell::styleSheets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("styleSheet");

    QTest::newRow("tool button")
        << "toolButton"
        << "QToolButton {border-image: url(:/image/image/quillora_30_30.png);}\n"
           "QToolButton::menu-indicator{width:0px;}";
    for (const QString &name : flagNames)
        QTest::newRow(qPrintable(name))
            << QStringLiteral("pushButton_") + name
            << QStringLiteral("QPushButton {border-image: url(:/image/image/%1.png);}").arg(name);
    QTest::newRow("prev") << "pushButton_prev"
                          << "QPushButton {border-image: url(:/image/image/left_arrow.png);}";
    QTest::newRow("play") << "pushButton_play"
                          << "QPushButton {border-image: url(:/image/image/play.png);}";
    QTest::newRow("next") << "pushButton_next"
                          << "QPushButton {border-image: url(:/image/image/right_arrow.png);}";
    QTest::newRow("connect") << "pushButton_connect"
                             << "";
    QTest::newRow("disconnect") << "pushButton_disconnect"
                                << "";
    QTest::newRow("clear") << "pushButton_clear"
                           << "";
    QTest::newRow("translate") << "pushButton_translate"
                               << "";
}

void TestMainWindowShell::styleSheets()
{
    QFETCH(QString, name);
    QFETCH(QString, styleSheet);

    const auto window = makeWindow();
    auto *widget = window->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->styleSheet(), styleSheet);
}

void TestMainWindowShell::toolButtonPopup()
{
    const auto window = makeWindow();
    auto *button = child<QToolButton>(window.get(), "toolButton");
    QVERIFY(button);
    QCOMPARE(button->popupMode(), QToolButton::InstantPopup);
    QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
    for (const QString &name : flagNames) {
        QVERIFY(flag(window.get(), name)->isCheckable());
        QVERIFY(flag(window.get(), name)->autoExclusive());
    }
    QVERIFY(child<QPushButton>(window.get(), "pushButton_disconnect")->isEnabled());
    QCOMPARE(child<QLabel>(window.get(), "label_arrow")->alignment(), Qt::AlignCenter);
}

void TestMainWindowShell::englishCheckedAndFlagsExclusive()
{
    const auto window = makeWindow();
    for (const QString &name : flagNames)
        QCOMPARE(flag(window.get(), name)->isChecked(), name == QLatin1String("English"));

    flag(window.get(), QStringLiteral("Slovak"))->setChecked(true);
    for (const QString &name : flagNames)
        QCOMPARE(flag(window.get(), name)->isChecked(), name == QLatin1String("Slovak"));

    // A click on the checked flag leaves it checked.
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTest::mouseClick(flag(window.get(), QStringLiteral("Slovak")), Qt::LeftButton);
    for (const QString &name : flagNames)
        QCOMPARE(flag(window.get(), name)->isChecked(), name == QLatin1String("Slovak"));
    QTest::mouseClick(flag(window.get(), QStringLiteral("Italian")), Qt::LeftButton);
    for (const QString &name : flagNames)
        QCOMPARE(flag(window.get(), name)->isChecked(), name == QLatin1String("Italian"));
}

void TestMainWindowShell::imagesResolve_data()
{
    QTest::addColumn<QString>("file");

    QStringList files{"quillora.png", "quillora_30_30.png", "left_arrow.png", "play.png",
                      "right_arrow.png"};
    for (const QString &name : flagNames)
        files << name + QStringLiteral(".png") << name + QStringLiteral("_checked.png");
    QCOMPARE(files.size(), 27);
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << file;
}

void TestMainWindowShell::imagesResolve()
{
    QFETCH(QString, file);

    // The images live in the window's library; building a window registers them.
    const auto window = makeWindow();
    const QPixmap pixmap(QStringLiteral(":/image/image/") + file);
    QVERIFY(!pixmap.isNull());
    QVERIFY(pixmap.width() >= 16 && pixmap.height() >= 16);
}

void TestMainWindowShell::checkedFlagImagesDiffer()
{
    const auto window = makeWindow();
    for (const QString &name : flagNames) {
        const QImage plain(QStringLiteral(":/image/image/%1.png").arg(name));
        const QImage checked(QStringLiteral(":/image/image/%1_checked.png").arg(name));
        QVERIFY2(!plain.isNull() && !checked.isNull(), qPrintable(name));
        QVERIFY2(plain.convertToFormat(QImage::Format_ARGB32) !=
                     checked.convertToFormat(QImage::Format_ARGB32),
                 qPrintable(name + QStringLiteral(": the checked image shows no highlight")));
    }
}

void TestMainWindowShell::connectionRowNeverVisible()
{
    // With a live server and page the link comes up, the window relabels,
    // announces itself and translates the welcome text; none of that may
    // bring the row back.
    WindowHarness live;
    QVERIFY(live.startPeer());
    QVERIFY(live.startPage("<html><body><div class=\"result-container\">Hallo</div>"
                           "</body></html>"));
    MainWindow &window = *live.openWindow(QStringLiteral("en_US"));

    auto rowHidden = [&window] {
        for (const QString &name : connectionRow) {
            auto *widget = window.findChild<QWidget *>(name);
            if (!widget || !widget->isHidden() || widget->isVisibleTo(&window))
                return false;
        }
        return true;
    };
    QVERIFY(rowHidden());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(rowHidden());

    QVERIFY(live.peer()->waitForConnections(1));
    QTRY_VERIFY(live.page()->requestCount() >= 1);
    auto *result = child<QPlainTextEdit>(&window, "plainTextEdit_translate");
    QTRY_VERIFY(!result->toPlainText().isEmpty());
    QVERIFY(rowHidden());

    window.close();
    QVERIFY(rowHidden());
    window.showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(rowHidden());
}

void TestMainWindowShell::sourceBoxGetsFocusAfterStart()
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    const auto window = makeWindow();
    auto *source = child<QPlainTextEdit>(window.get(), "plainTextEdit_source");
    qint64 focusedAfter = -1;
    QObject watching;
    connect(qApp, &QApplication::focusChanged, &watching, [&](QWidget *, QWidget *now) {
        if (now == source && focusedAfter < 0)
            focusedAfter = sinceStart.elapsed();
    });

    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTRY_VERIFY(source->hasFocus());
    // The focus is given by the timer, not by the window's first activation.
    QVERIFY2(focusedAfter >= 500, qPrintable(QString::number(focusedAfter)));
    QVERIFY(source->toPlainText().isEmpty());
}

void TestMainWindowShell::configLoadsExactLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("clear");
    QTest::addColumn<QString>("translate");

    QTest::newRow("CR LF ends, inner CR, empty lines, UTF-8")
        << QByteArray("app_name1=Quillora \xc3\x9c"
                      "bersetzer \xe2\x9c\x93\r\n"
                      "clear=Effa\rcer\r\n"
                      "\r\n"
                      "\n"
                      "translate=\xe7\xbf\xbb\xe8\xaf\x91\r\n"
                      "Help=Aide\r\n")
        << QStringList{QStringLiteral("app_name1=Quillora \u00dcbersetzer \u2713"),
                       "clear=Effacer",
                       "",
                       "",
                       QStringLiteral("translate=\u7ffb\u8bd1"),
                       "Help=Aide"}
        << QStringLiteral("Quillora \u00dcbersetzer \u2713") << "Effacer"
        << QStringLiteral("\u7ffb\u8bd1");
    QTest::newRow("last line without end")
        << QByteArray("clear=Leeren\ntranslate=\xc3\x9c"
                      "bersetzen")
        << QStringList{"clear=Leeren", QStringLiteral("translate=\u00dcbersetzen")}
        << "Quillora Pro"
        << "Leeren" << QStringLiteral("\u00dcbersetzen");
    QTest::newRow("lone CRs vanish")
        << QByteArray("\r\rclear=a\rb\r\r\n\r") << QStringList{"clear=ab", ""} << "Quillora Pro"
        << "ab"
        << "Translate";
    QTest::newRow("empty file") << QByteArray() << QStringList() << "Quillora Pro"
                                << "clear"
                                << "Translate";
    QTest::newRow("only empty lines")
        << QByteArray("\r\n\r\n\n") << QStringList{"", "", ""} << "Quillora Pro"
        << "clear"
        << "Translate";
    QTest::newRow("zero byte ends the line's text")
        << QByteArray("clear=ab\0cd\r\ntranslate=T\r\n", 26)
        << QStringList{"clear=ab", "translate=T"} << "Quillora Pro"
        << "ab"
        << "T";
    QTest::newRow("keys are case-sensitive, first wins")
        << QByteArray("Clear=X\nclear=First\nclear=Second\napp_name1=\n")
        << QStringList{"Clear=X", "clear=First", "clear=Second", "app_name1="} << ""
        << "First"
        << "Translate";
}

void TestMainWindowShell::configLoadsExactLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    QFETCH(QString, title);
    QFETCH(QString, clear);
    QFETCH(QString, translate);

    QVERIFY(
        FileBytes::write(WindowHarness::dataDirectory() + QStringLiteral("/config.txt"), content));
    const auto window = makeWindow();
    QCOMPARE(window->displayTextTable().lines(), lines);
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(child<QPushButton>(window.get(), "pushButton_clear")->text(), clear);
    QCOMPARE(child<QPushButton>(window.get(), "pushButton_translate")->text(), translate);
}

void TestMainWindowShell::missingDataDirectoryIsCreated()
{
    WindowHarness::removeDataDirectory();
    QVERIFY(!QFileInfo::exists(WindowHarness::dataDirectory()));

    const auto window = makeWindow();
    QVERIFY(QFileInfo(WindowHarness::dataDirectory()).isDir());
    QVERIFY(window->displayTextTable().lines().isEmpty());
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillora Pro"));
    QCOMPARE(child<QPushButton>(window.get(), "pushButton_clear")->text(), QStringLiteral("clear"));
    QCOMPARE(child<QPushButton>(window.get(), "pushButton_translate")->text(),
             QStringLiteral("Translate"));
    // Starting writes nothing of its own into the new directory.
    QVERIFY(QDir(WindowHarness::dataDirectory()).entryList(QDir::Files).isEmpty());
}

void TestMainWindowShell::closeHidesToTray()
{
    const auto window = makeWindow();
    QVERIFY(!window->systemTrayIcon()->isVisible());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(!window->systemTrayIcon()->isVisible());

    // An accepted close of the only window would end the program.
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QVERIFY(!window->close());
    QVERIFY(window->isHidden());
    QVERIFY(window->systemTrayIcon()->isVisible());
    QVERIFY(!window->systemTrayIcon()->icon().isNull());
    QVERIFY(!window->windowIcon().isNull());
    QCoreApplication::processEvents();
    QCOMPARE(lastClosed.count(), 0);
}

void TestMainWindowShell::trayActivationRestores_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::newRow("single click") << QSystemTrayIcon::Trigger;
    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick;
}

void TestMainWindowShell::trayActivationRestores()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);

    const auto window = makeWindow();
    window->showMinimized();
    window->close();
    QVERIFY(window->isHidden());
    QVERIFY(window->systemTrayIcon()->isVisible());

    QVERIFY(QMetaObject::invokeMethod(window.get(), "iconActivated",
                                      Q_ARG(QSystemTrayIcon::ActivationReason, reason)));
    QVERIFY(window->isVisible());
    // Back in its normal state, not as the minimised window it was.
    QVERIFY(!window->isMinimized());
    QVERIFY(!window->systemTrayIcon()->isVisible());
}

void TestMainWindowShell::trayActivationIgnored_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick;
    QTest::newRow("context") << QSystemTrayIcon::Context;
    QTest::newRow("unknown") << QSystemTrayIcon::Unknown;
}

void TestMainWindowShell::trayActivationIgnored()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);

    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->close();

    QVERIFY(QMetaObject::invokeMethod(window.get(), "iconActivated",
                                      Q_ARG(QSystemTrayIcon::ActivationReason, reason)));
    QCoreApplication::processEvents();
    QVERIFY(window->isHidden());
    QVERIFY(window->systemTrayIcon()->isVisible());
}

void TestMainWindowShell::trayMenuEntries()
{
    const auto window = makeWindow();
    QMenu *menu = window->systemTrayIcon()->contextMenu();
    QVERIFY(menu);
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << action->text();
    QCOMPARE(texts, (QStringList{"&Restore      ", "&Quit      "}));
    QCOMPARE(menu->parent(), window.get());
    QCOMPARE(window->systemTrayIcon()->parent(), window.get());
}

void TestMainWindowShell::restoreActionShowsWindow()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->close();
    QVERIFY(window->isHidden());

    window->systemTrayIcon()->contextMenu()->actions().at(0)->trigger();
    QVERIFY(window->isVisible());
    QVERIFY(!window->systemTrayIcon()->isVisible());
}

void TestMainWindowShell::helpMenu()
{
    const auto window = makeWindow();
    auto *button = child<QToolButton>(window.get(), "toolButton");
    QMenu *menu = button->menu();
    QVERIFY(menu);
    QCOMPARE(menu->parent(), window.get());
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().first()->text(), QStringLiteral("Help"));
    QCOMPARE(menu->actions().first()->parent(), window.get());
}

void TestMainWindowShell::resizeGivesSpaceToTextAndSpacers()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->size(), QSize(883, 411));

    const QStringList fixed = {"toolButton",       "pushButton_English",   "pushButton_Spanish",
                               "pushButton_prev",  "pushButton_play",      "pushButton_next",
                               "pushButton_clear", "pushButton_translate", "comboBoxFrom",
                               "comboBoxTo"};
    auto sizes = [&window](const QStringList &names) {
        QVector<QSize> result;
        for (const QString &name : names)
            result << window->findChild<QWidget *>(name)->size();
        return result;
    };
    auto *row = child<QHBoxLayout>(window.get(), "horizontalLayout_5");
    QSpacerItem *left = row->itemAt(1)->spacerItem();
    QSpacerItem *right = row->itemAt(7)->spacerItem();
    QVERIFY(left && right);
    auto *source = child<QPlainTextEdit>(window.get(), "plainTextEdit_source");
    auto *result = child<QPlainTextEdit>(window.get(), "plainTextEdit_translate");

    const QVector<QSize> fixedBefore = sizes(fixed);
    const int spacersBefore = left->geometry().width() + right->geometry().width();
    const int textHeightBefore = source->height() + result->height();
    QCOMPARE(window->findChild<QWidget *>("toolButton")->size(), QSize(30, 30));
    QCOMPARE(window->findChild<QWidget *>("pushButton_German")->size(), QSize(50, 30));
    QCOMPARE(window->findChild<QWidget *>("pushButton_prev")->width(), 50);
    QCOMPARE(window->findChild<QWidget *>("pushButton_play")->width(), 30);

    const QSize bigger(883 + 300, 411 + 200);
    window->resize(bigger);
    QTRY_COMPARE(window->size(), bigger);
    QTRY_COMPARE(source->height() + result->height(), textHeightBefore + 200);

    QCOMPARE(sizes(fixed), fixedBefore);
    QCOMPARE(left->geometry().width() + right->geometry().width(), spacersBefore + 300);
    QVERIFY(left->geometry().width() > 0 && right->geometry().width() > 0);
    QVERIFY(qAbs(left->geometry().width() - right->geometry().width()) <= 1);
    QCOMPARE(source->width(), window->centralWidget()->width() - 22);
    QCOMPARE(result->width(), source->width());
}

void TestMainWindowShell::quitEndsEventLoopWhileHidden()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->close();
    QVERIFY(window->isHidden());

    QAction *quit = window->systemTrayIcon()->contextMenu()->actions().at(1);
    QTimer::singleShot(0, quit, &QAction::trigger);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(10000);
    // The application's own loop, as the program runs it; quitting ends it.
    QCOMPARE(QApplication::exec(), 0);
}

QTEST_MAIN(TestMainWindowShell)
#include "tst_mainwindow_shell.moc"
