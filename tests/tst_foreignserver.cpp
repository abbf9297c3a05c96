// The window facing a companion server of another user on the port it dials:
// it links up with none, takes no table from it and says so. Needs root, to
// run that server as another user; without it every case is reported skipped.
#include "protocol/framecodec.h"
#include "support/windowharness.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStatusBar>
#include <QtTest>

#include <unistd.h>

class TestForeignServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void anotherUsersServerIsRefused();

private:
    WindowHarness harness;
};

void TestForeignServer::anotherUsersServerIsRefused()
{
    if (::geteuid() != 0)
        QSKIP("another user's server needs root");
    QVERIFY(WindowHarness::resetDataDirectory());
    // Another user's program that sends a display table to whoever comes.
    QProcess other;
    other.start("setpriv",
                {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/python3", "-c",
                 "import socket, sys, time\n"
                 "server = socket.create_server(('127.0.0.1', 0))\n"
                 "print(server.getsockname()[1], flush=True)\n"
                 "server.accept()[0].sendall(bytes.fromhex(sys.argv[1]))\n"
                 "time.sleep(60)",
                 FrameCodec::encode("This is display language config file!=app_name1=Not yours\n")
                     .toHex()});
    const auto end = qScopeGuard([&other] {
        other.kill();
        other.waitForFinished();
    });
    QVERIFY(other.waitForReadyRead(5000));
    harness.openWindow("de_DE", WindowHarness::refusingEndpoints(other.readLine().toUShort()));
    QTRY_COMPARE(harness.window()->statusBar()->currentMessage(),
                 "Not connected: the companion server on this computer belongs to another user.");
    QCOMPARE(WindowHarness::dataFile("config.txt"), QByteArray("<unreadable>"));
    harness.stop();
}

QTEST_MAIN(TestForeignServer)
#include "tst_foreignserver.moc"
