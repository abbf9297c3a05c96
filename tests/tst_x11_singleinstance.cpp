#include "support/clientsandbox.h"
#include "support/portblocker.h"
#include "support/x11mapwatcher.h"

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/types.h>

namespace {

constexpr quint16 serverPort = 3030;
constexpr int startTimeoutMs = 60000;
const QString titleWithoutTable = QStringLiteral("Quillora Pro");

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void secondStartExitsQuietly();
    void newStartAfterFirstEnded_data();
    void newStartAfterFirstEnded();

private:
    // Starts one copy of the client in the sandbox.
    QProcess *startClient();
    // Starts a copy and waits until its main window is on screen.
    QProcess *startShownClient(X11MapWatcher::MappedWindow *window = nullptr);
    // Starts a copy that must find the token taken: it exits with 0 and maps
    // no window.
    void verifyRefusedStart();
    void end(QProcess *process, int signal);

    // The client's link to the companion server must never come up: with the
    // link down nothing is translated, so the client never reaches for the
    // web page. A private network gives it nothing to reach; without one,
    // port 3030 is held bound but not listening, so that connects fail.
    bool privateNetwork = false;
    std::unique_ptr<PortBlocker> serverPortBlocker;
    std::unique_ptr<X11MapWatcher> watcher;
    std::unique_ptr<ClientSandbox> sandbox;
    QList<QProcess *> processes;
};

void TestSingleInstance::initTestCase()
{
    watcher.reset(new X11MapWatcher);
    QVERIFY2(watcher->isOpen(), "No X display; run under xvfb-run.");
    privateNetwork = ClientSandbox::privateNetworkAvailable();
    if (privateNetwork)
        return;
    serverPortBlocker.reset(new PortBlocker(serverPort));
    if (!serverPortBlocker->isActive())
        QSKIP("No private network and port 3030 is taken: the client would reach whatever "
              "listens there.");
}

void TestSingleInstance::init()
{
    sandbox.reset(new ClientSandbox);
    QVERIFY(sandbox->isValid());
    sandbox->setPrivateNetwork(privateNetwork);
    watcher->takeMapped();
}

void TestSingleInstance::cleanup()
{
    for (QProcess *process : qAsConst(processes)) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(10000);
        }
        delete process;
    }
    processes.clear();
    sandbox.reset();
}

QProcess *TestSingleInstance::startClient()
{
    auto *process = new QProcess;
    processes << process;
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sandbox->start(process, QStringLiteral(QUILLORA_CLIENT_BIN));
    return process;
}

QProcess *TestSingleInstance::startShownClient(X11MapWatcher::MappedWindow *window)
{
    QProcess *process = startClient();
    if (!process->waitForStarted(startTimeoutMs))
        return nullptr;
    X11MapWatcher::MappedWindow mapped;
    if (!watcher->waitForWindowOf(process->processId(), startTimeoutMs, &mapped))
        return nullptr;
    if (window)
        *window = mapped;
    return process;
}

void TestSingleInstance::verifyRefusedStart()
{
    watcher->takeMapped();
    QProcess *second = startClient();
    QVERIFY(second->waitForStarted(startTimeoutMs));
    QVERIFY2(second->waitForFinished(startTimeoutMs), "the second copy keeps running");
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);

    // Everything the second copy asked of the X server happened before it
    // exited; the watcher's round trip collects every map since.
    const QVector<X11MapWatcher::MappedWindow> mapped = watcher->takeMapped();
    QStringList names;
    for (const auto &window : mapped)
        names << QStringLiteral("0x%1 pid %2 \"%3\"")
                     .arg(window.window, 0, 16)
                     .arg(window.pid)
                     .arg(window.name);
    QVERIFY2(mapped.isEmpty(), qPrintable(names.join(QStringLiteral(", "))));
}

void TestSingleInstance::end(QProcess *process, int signal)
{
    ::kill(pid_t(process->processId()), signal);
    QVERIFY(process->waitForFinished(startTimeoutMs));
}

void TestSingleInstance::secondStartExitsQuietly()
{
    X11MapWatcher::MappedWindow window;
    QProcess *first = startShownClient(&window);
    QVERIFY2(first, "the first copy showed no window");
    QCOMPARE(window.name, titleWithoutTable);

    verifyRefusedStart();
    if (QTest::currentTestFailed())
        return;

    // The first copy goes on as it was: running, its window still shown.
    QCOMPARE(first->state(), QProcess::Running);
    QVERIFY(watcher->isViewable(window.window));

    // A third try is refused the same way.
    verifyRefusedStart();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(first->state(), QProcess::Running);
}

void TestSingleInstance::newStartAfterFirstEnded_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGKILL") << int(SIGKILL);
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void TestSingleInstance::newStartAfterFirstEnded()
{
    QFETCH(int, signal);

    QProcess *first = startShownClient();
    QVERIFY2(first, "the first copy showed no window");
    QVERIFY(sandbox->tokenSegmentExists());
    end(first, signal);
    if (QTest::currentTestFailed())
        return;
    // The killed copy had no chance to release its token.
    QVERIFY(sandbox->tokenSegmentExists());

    // The token the first copy left behind must not block this start...
    X11MapWatcher::MappedWindow window;
    QProcess *next = startShownClient(&window);
    QVERIFY2(next, "no window after the first copy ended");
    QCOMPARE(window.name, titleWithoutTable);

    // ...and clearing it away must not let two live copies run.
    verifyRefusedStart();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(next->state(), QProcess::Running);
    QVERIFY(watcher->isViewable(window.window));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_x11_singleinstance.moc"
