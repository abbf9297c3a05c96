// The quick-translate hotkey of the real client on a real X display: another
// X client owns the PRIMARY selection, xdotool taps Ctrl through XTEST, and the
// companion server's log shows what the client asked to have translated (the
// translation page cannot be reached from the test machine).

#include "support/controlreleasecounter.h"
#include "support/endtoendsession.h"
#include "support/fakekeyboard.h"

#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include <memory>

namespace {

constexpr int generousMs = 60000;
// Nothing must happen: how long to watch for it. The hotkey acts 500 ms after
// the first release and asks the server within a few milliseconds more.
constexpr int absenceMs = 2000;

QString xclipOutput(const QString &selection)
{
    return EndToEndSession::run(QStringLiteral("xclip"),
                                {QStringLiteral("-o"), QStringLiteral("-selection"), selection});
}

} // namespace

class TestX11Hotkey : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void twoLeftControlTapsTranslateThePrimarySelection();
    void tapsThatDoNothing_data();
    void tapsThatDoNothing();
    void keysStillReachAnotherClient();

private:
    // Makes an xclip process the owner of PRIMARY with this text.
    bool ownPrimary(const QString &text);
    static bool tap(const QString &key, int times);

    std::unique_ptr<EndToEndSession> session;
    std::unique_ptr<QProcess> selectionOwner;
};

void TestX11Hotkey::initTestCase()
{
    session = std::make_unique<EndToEndSession>();
    QString error;
    QVERIFY2(session->startServer(&error), qPrintable(error));
    QVERIFY2(session->startClient(QStringLiteral("de_DE.UTF-8"), &error), qPrintable(error));
    // The link-up's three texts, the last one being the welcome text, which
    // the client sends once its attempt at the web page has failed.
    QVERIFY2(session->waitForLoggedTexts(3, generousMs), qPrintable(session->clientOutput()));
    QTRY_VERIFY_WITH_TIMEOUT(!EndToEndSession::windowsNamed(QStringLiteral("^Quillora$")).isEmpty(),
                             generousMs);
}

void TestX11Hotkey::cleanupTestCase()
{
    if (selectionOwner) {
        selectionOwner->kill();
        selectionOwner->waitForFinished(5000);
    }
    session.reset();
}

bool TestX11Hotkey::ownPrimary(const QString &text)
{
    if (selectionOwner) {
        selectionOwner->kill();
        selectionOwner->waitForFinished(5000);
    }
    selectionOwner = std::make_unique<QProcess>();
    // -quiet keeps xclip in the foreground, serving the selection until it
    // is killed or loses it.
    selectionOwner->start(QStringLiteral("xclip"),
                          {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                           QStringLiteral("primary"), QStringLiteral("-i")});
    if (!selectionOwner->waitForStarted(5000))
        return false;
    selectionOwner->write(text.toUtf8());
    selectionOwner->closeWriteChannel();
    return QTest::qWaitFor([&] { return xclipOutput(QStringLiteral("primary")) == text; }, 10000);
}

bool TestX11Hotkey::tap(const QString &key, int times)
{
    // xdotool cannot be used for the right Ctrl key: it presses the left one
    // along with it, which is just what the hotkey counts.
    if (key == QLatin1String("Control_R")) {
        FakeKeyboard keyboard;
        return keyboard.play(QStringLiteral("+Control_R -Control_R ").repeated(times));
    }
    // keydown and keyup separately: "xdotool key" makes two releases per tap
    // on Xvfb.
    QStringList arguments;
    for (int i = 0; i < times; ++i)
        arguments << QStringLiteral("keydown") << key << QStringLiteral("keyup") << key;
    int exitCode = -1;
    EndToEndSession::run(QStringLiteral("xdotool"), arguments, &exitCode);
    return exitCode == 0;
}

void TestX11Hotkey::twoLeftControlTapsTranslateThePrimarySelection()
{
    const QString text = QStringLiteral("Guten Morgen aus dem Xvfb");
    QVERIFY(ownPrimary(text));
    const int logged = session->loggedTexts().size();
    QVERIFY(tap(QStringLiteral("Control_L"), 2));

    QVERIFY2(session->waitForLoggedTexts(logged + 1, generousMs),
             qPrintable(session->clientOutput()));
    QCOMPARE(session->loggedTexts().value(logged), QStringLiteral("auto~de~") + text);

    // The capture brought the client forward with the focus in the source
    // box: select all and copy there, with the right Ctrl key, which the
    // hotkey ignores.
    FakeKeyboard keyboard;
    QVERIFY(keyboard.play(QStringLiteral("+Control_R a c -Control_R")));
    QTRY_COMPARE_WITH_TIMEOUT(xclipOutput(QStringLiteral("clipboard")), text, 10000);
}

void TestX11Hotkey::tapsThatDoNothing_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("taps");

    QTest::newRow("right Ctrl twice") << "Control_R" << 2;
    QTest::newRow("left Ctrl once") << "Control_L" << 1;
    QTest::newRow("left Ctrl three times") << "Control_L" << 3;
}

void TestX11Hotkey::tapsThatDoNothing()
{
    QFETCH(QString, key);
    QFETCH(int, taps);

    QVERIFY(ownPrimary(QStringLiteral("must stay untranslated")));
    const int logged = session->loggedTexts().size();
    QVERIFY(tap(key, taps));
    QVERIFY2(!session->waitForLoggedTexts(logged + 1, absenceMs), qPrintable(session->rawLog()));
}

void TestX11Hotkey::keysStillReachAnotherClient()
{
    QLineEdit other;
    ControlReleaseCounter counter;
    other.installEventFilter(&counter);
    other.setWindowTitle(QStringLiteral("another client"));
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_VERIFY(other.hasFocus());

    const QString text = QStringLiteral("still typed here");
    QVERIFY(ownPrimary(text));
    const int logged = session->loggedTexts().size();
    int exitCode = -1;
    EndToEndSession::run(QStringLiteral("xdotool"),
                         {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("1"),
                          QStringLiteral("hello")},
                         &exitCode);
    QCOMPARE(exitCode, 0);
    QVERIFY(tap(QStringLiteral("Control_L"), 2));

    QTRY_COMPARE_WITH_TIMEOUT(other.text(), QStringLiteral("hello"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(counter.releases, 2, 10000);
    // Both taps arrived here and still made the hotkey.
    QVERIFY2(session->waitForLoggedTexts(logged + 1, generousMs),
             qPrintable(session->clientOutput()));
    QCOMPARE(session->loggedTexts().value(logged), QStringLiteral("auto~de~") + text);
}

QTEST_MAIN(TestX11Hotkey)
#include "tst_x11_hotkey.moc"
