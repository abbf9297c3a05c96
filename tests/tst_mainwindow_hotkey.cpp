// The quick-translate hotkey's counting and capture, driven with synthetic
// left-Ctrl releases: offscreen there is no global hook, so the releases are
// handed to the window the way a hook back end hands them over.

#include "mainwindow/mainwindow.h"
#include "support/pageserver.h"
#include "support/peerserver.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <memory>

namespace {

const QByteArray translatedPage("<div class=\"result-container\">translated</div>");
const QString untouched = QStringLiteral("typed before the link");

QString dataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void setClipboard(const QString &text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

} // namespace

class TestMainWindowHotkey : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void releasesThatDoNothing_data();
    void releasesThatDoNothing();
    void twoReleasesCapture_data();
    void twoReleasesCapture();
    void releasesDuringACaptureAreForgotten();
    void ownActiveWindowCopiesFromTheFocusedBox_data();
    void ownActiveWindowCopiesFromTheFocusedBox();
    void captureBringsTheWindowBackFromTheTray();

private:
    void release(int times);
    QPlainTextEdit *box(const QString &name) const;

    std::unique_ptr<PageServer> page;
    std::unique_ptr<PeerServer> peer;
    std::unique_ptr<MainWindow> window;
    bool firstFocusDone = false;
};

void TestMainWindowHotkey::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowHotkey::init()
{
    // The window makes its data directory one level deep, as the program does
    // on a desktop where the parent always exists.
    QDir(dataDirectory()).removeRecursively();
    QVERIFY(QDir().mkpath(QFileInfo(dataDirectory()).path()));
    page = std::make_unique<PageServer>();
    QVERIFY(page->listen());
    page->setDefaultResponse(PageServer::Response::page(translatedPage));
    peer = std::make_unique<PeerServer>();
    QVERIFY(peer->listen());

    Endpoints endpoints;
    endpoints.webPage = page->url();
    endpoints.serverHost = peer->host();
    endpoints.serverPort = QString::number(peer->port());
    window = std::make_unique<MainWindow>(QStringLiteral("de_DE"), nullptr, endpoints);
    // The window gives the source box the focus 500 ms after it is built; a
    // timer of the same length started now fires after that step.
    firstFocusDone = false;
    QTimer::singleShot(500, this, [this] { firstFocusDone = true; });
    // Keeps the welcome text out of the page's requests.
    box(QStringLiteral("plainTextEdit_source"))->setPlainText(untouched);
    QVERIFY(peer->waitForTexts(2));
    QCOMPARE(window->pendingControlReleases(), 0);
}

void TestMainWindowHotkey::cleanup()
{
    window.reset();
    peer.reset();
    page.reset();
    QDir(dataDirectory()).removeRecursively();
}

void TestMainWindowHotkey::release(int times)
{
    for (int i = 0; i < times; ++i)
        window->leftControlReleased();
}

QPlainTextEdit *TestMainWindowHotkey::box(const QString &name) const
{
    return window->findChild<QPlainTextEdit *>(name);
}

void TestMainWindowHotkey::releasesThatDoNothing_data()
{
    QTest::addColumn<int>("releases");
    QTest::newRow("one") << 1;
    QTest::newRow("three") << 3;
    QTest::newRow("five") << 5;
}

void TestMainWindowHotkey::releasesThatDoNothing()
{
    QFETCH(int, releases);

    setClipboard(QStringLiteral("not to be captured"));
    release(releases);
    QCOMPARE(window->pendingControlReleases(), releases);
    QTRY_COMPARE_WITH_TIMEOUT(window->pendingControlReleases(), 0, 3000);
    QCOMPARE(box(QStringLiteral("plainTextEdit_source"))->toPlainText(), untouched);
    QCOMPARE(page->requestCount(), 0);
    QVERIFY(!window->isVisible());
}

void TestMainWindowHotkey::twoReleasesCapture_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("source");

    QTest::newRow("text") << "Hallo Welt\nzweite Zeile"
                          << "Hallo Welt\nzweite Zeile";
    QTest::newRow("file:// at the start") << "file:///tmp/a.txt"
                                          << "";
    QTest::newRow("file:// inside") << "see file:///etc/hosts here"
                                    << "";
    QTest::newRow("file:// on a later line") << "two files\nfile:///b"
                                             << "";
    QTest::newRow("FILE:// is not file://") << "FILE:///tmp/a"
                                            << "FILE:///tmp/a";
    QTest::newRow("file:/ alone") << "file:/tmp/a"
                                  << "file:/tmp/a";
}

void TestMainWindowHotkey::twoReleasesCapture()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, source);

    setClipboard(clipboard);
    release(2);
    QCOMPARE(window->pendingControlReleases(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(window->pendingControlReleases(), 0, 5000);

    QCOMPARE(box(QStringLiteral("plainTextEdit_source"))->toPlainText(), source);
    QVERIFY(window->isVisible());
    QCOMPARE(window->translationHistory().size(), 1);
    QCOMPARE(window->translationHistory().text(0), source);
    if (!source.isEmpty()) {
        QCOMPARE(page->requestedTexts(), QStringList{source});
        QCOMPARE(box(QStringLiteral("plainTextEdit_translate"))->toPlainText(),
                 QStringLiteral("translated"));
    }
}

void TestMainWindowHotkey::releasesDuringACaptureAreForgotten()
{
    // The capture's translation waits on a slow page; two more releases come
    // in meanwhile, as they would while the user keeps tapping.
    page->enqueue(PageServer::Response::page(translatedPage, 200, 1200));
    int countDuringCapture = -1;
    const QMetaObject::Connection duringCapture =
        connect(page.get(), &PageServer::requestReceived, this, [&] {
            if (countDuringCapture >= 0)
                return;
            release(2);
            countDuringCapture = window->pendingControlReleases();
        });
    const auto disconnectAtEnd = qScopeGuard([&] { disconnect(duringCapture); });

    setClipboard(QStringLiteral("first"));
    release(2);
    QTRY_COMPARE_WITH_TIMEOUT(window->pendingControlReleases(), 0, 5000);
    QCOMPARE(countDuringCapture, 4);
    QCOMPARE(box(QStringLiteral("plainTextEdit_source"))->toPlainText(), QStringLiteral("first"));

    // A capture armed by the forgotten releases would have fired during the
    // slow page or shortly after; a fresh capture shows what was requested.
    setClipboard(QStringLiteral("second"));
    release(2);
    QTRY_COMPARE_WITH_TIMEOUT(window->pendingControlReleases(), 0, 5000);
    QCOMPARE(page->requestedTexts(), (QStringList{"first", "second"}));
    QCOMPARE(window->translationHistory().size(), 2);
}

void TestMainWindowHotkey::ownActiveWindowCopiesFromTheFocusedBox_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("captured");

    QTest::newRow("result box") << "plainTextEdit_translate"
                                << "selected part";
    QTest::newRow("source box") << "plainTextEdit_source"
                                << "selected part";
    QTest::newRow("neither box") << "pushButton_clear"
                                 << "on the clipboard";
}

void TestMainWindowHotkey::ownActiveWindowCopiesFromTheFocusedBox()
{
    QFETCH(QString, focused);
    QFETCH(QString, captured);

    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    if (!window->isActiveWindow())
        QSKIP("the platform cannot make the window active");
    QTRY_VERIFY(firstFocusDone);

    for (QPlainTextEdit *edit : {box(QStringLiteral("plainTextEdit_source")),
                                 box(QStringLiteral("plainTextEdit_translate"))}) {
        edit->setPlainText(QStringLiteral("before selected part after"));
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(7);
        cursor.setPosition(20, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
    }
    auto *target = window->findChild<QWidget *>(focused);
    QVERIFY(target);
    target->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(target->hasFocus());
    setClipboard(QStringLiteral("on the clipboard"));

    release(2);
    QTRY_COMPARE_WITH_TIMEOUT(window->pendingControlReleases(), 0, 5000);
    QCOMPARE(box(QStringLiteral("plainTextEdit_source"))->toPlainText(), captured);
    QCOMPARE(page->requestedTexts(), QStringList{captured});
    QVERIFY(box(QStringLiteral("plainTextEdit_source"))->hasFocus());
}

void TestMainWindowHotkey::captureBringsTheWindowBackFromTheTray()
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->close();
    QVERIFY(!window->isVisible());
    QVERIFY(window->systemTrayIcon()->isVisible());

    setClipboard(QStringLiteral("from the tray"));
    release(2);
    QTRY_COMPARE_WITH_TIMEOUT(window->pendingControlReleases(), 0, 5000);
    QVERIFY(window->isVisible());
    QVERIFY(!window->isMinimized());
    QVERIFY(!window->systemTrayIcon()->isVisible());
    QCOMPARE(box(QStringLiteral("plainTextEdit_source"))->toPlainText(),
             QStringLiteral("from the tray"));
}

QTEST_MAIN(TestMainWindowHotkey)
#include "tst_mainwindow_hotkey.moc"
