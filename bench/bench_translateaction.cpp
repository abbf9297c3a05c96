// The whole translate action on 50 000 characters (28 pieces) through a real
// MainWindow, against a local page server that answers every request after
// 20 ms. Reports the wall time against the floor of 28 x 20 ms and the CPU
// time the client used meanwhile.
//
// Usage: bench_translateaction [runs [delay-ms]]
// (default 9 timed runs after one warm-up, 20 ms; a delay of 0 shows the
// client's own cost per piece)

#include "mainwindow/mainwindow.h"
#include "support/pageserver.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int textLength = 50000;
constexpr int expectedPieces = 28;

double cpuMs(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QString sourceText()
{
    const QString words = QStringLiteral("The quick brown fox jumps over the lazy dog. ");
    QString text;
    while (text.size() < textLength)
        text += words;
    text.truncate(textLength);
    return text;
}

quint16 refusingPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

struct Run
{
    double wallMs;
    double clientCpuMs;
    double serverCpuMs;
    double timerChainMs;
};

// What the same number of bare timer waits takes on this machine: on a busy
// one, every wake-up after a wait comes late, with or without the client.
double timerChainMs(int waits, int delayMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < waits; ++i) {
        QEventLoop loop;
        QTimer::singleShot(delayMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return elapsed.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QString dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(dataDirectory).removeRecursively();
    const int runs = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 9;
    const int pieceDelayMs = argc > 2 ? qMax(0, QByteArray(argv[2]).toInt()) : 20;
    const double floorMs = expectedPieces * pieceDelayMs;

    // The page server gets a thread of its own, so that its CPU time can be
    // told apart from the client's.
    QThread serverThread;
    serverThread.start();
    QObject serverContext;
    serverContext.moveToThread(&serverThread);
    PageServer *page = nullptr;
    QMetaObject::invokeMethod(
        &serverContext,
        [&page, pieceDelayMs] {
            page = new PageServer;
            page->listen();
            page->setDefaultResponse(PageServer::Response::page(
                "<html><body><div class=\"result-container\">translated piece</div></body></html>",
                200, pieceDelayMs));
        },
        Qt::BlockingQueuedConnection);
    auto onServer = [&](auto function) {
        QMetaObject::invokeMethod(&serverContext, function, Qt::BlockingQueuedConnection);
    };
    quint16 pagePort = 0;
    onServer([&] { pagePort = page->port(); });
    if (pagePort == 0) {
        std::fprintf(stderr, "the page server could not listen\n");
        return 1;
    }

    Endpoints endpoints;
    endpoints.webPage = QUrl(QStringLiteral("http://127.0.0.1:%1/m").arg(pagePort));
    // No companion server: the action never falls back here, and no link-up
    // translation may run in the middle of a measurement.
    endpoints.serverHost = QStringLiteral("127.0.0.1");
    endpoints.serverPort = QString::number(refusingPort());
    auto *window = new MainWindow(QStringLiteral("en_US"), nullptr, endpoints);
    window->show();
    QCoreApplication::processEvents();

    auto *source = window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_source"));
    auto *result = window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_translate"));
    source->setPlainText(sourceText());
    const QString expectedResult = QStringLiteral("translated piece").repeated(expectedPieces);

    std::vector<Run> measured;
    for (int i = 0; i <= runs; ++i) {
        int requestsBefore = 0;
        double serverBefore = 0;
        double chainMs = 0;
        onServer([&] {
            chainMs = timerChainMs(expectedPieces, pieceDelayMs);
            requestsBefore = page->requestCount();
            serverBefore = cpuMs(RUSAGE_THREAD);
        });
        result->clear();
        const double processBefore = cpuMs(RUSAGE_SELF);
        QElapsedTimer wall;
        wall.start();

        QEventLoop finished;
        const QMetaObject::Connection watch =
            QObject::connect(result, &QPlainTextEdit::textChanged, &finished, [&] {
                if (!result->toPlainText().isEmpty())
                    finished.quit();
            });
        QTimer::singleShot(60000, &finished, &QEventLoop::quit);
        window->findChild<QPushButton *>(QStringLiteral("pushButton_translate"))->click();
        finished.exec();
        QObject::disconnect(watch);

        const double wallMs = wall.nsecsElapsed() / 1e6;
        const double processMs = cpuMs(RUSAGE_SELF) - processBefore;
        int requests = 0;
        double serverMs = 0;
        onServer([&] {
            requests = page->requestCount() - requestsBefore;
            serverMs = cpuMs(RUSAGE_THREAD) - serverBefore;
        });
        if (requests != expectedPieces || result->toPlainText() != expectedResult) {
            std::fprintf(stderr, "run %d: %d requests, unexpected result\n", i, requests);
            return 1;
        }
        // The first run warms up the network stack and the caches.
        if (i == 0)
            continue;
        measured.push_back({wallMs, processMs - serverMs, serverMs, chainMs});
        std::printf(
            "run %2d: wall %7.1f ms  over the floor %6.1f ms  client CPU %6.1f ms (%4.1f %%)  "
            "page server CPU %5.1f ms  timer chain %6.1f ms\n",
            i, wallMs, wallMs - floorMs, processMs - serverMs,
            100.0 * (processMs - serverMs) / wallMs, serverMs, chainMs);
    }

    std::vector<double> walls;
    std::vector<double> clientCpu;
    std::vector<double> serverCpu;
    std::vector<double> chains;
    for (const Run &run : measured) {
        chains.push_back(run.timerChainMs);
        walls.push_back(run.wallMs);
        clientCpu.push_back(run.clientCpuMs);
        serverCpu.push_back(run.serverCpuMs);
    }
    const double wallMedian = median(walls);
    const double clientMedian = median(clientCpu);
    std::printf("\n%d characters, %d pieces, page answers after %d ms, %zu runs (medians):\n",
                textLength, expectedPieces, pieceDelayMs, measured.size());
    std::printf("  wall time     %.1f ms, floor %.0f ms", wallMedian, floorMs);
    if (floorMs > 0)
        std::printf(", ratio %.4f (%+.1f %% over the floor)", wallMedian / floorMs,
                    100.0 * (wallMedian / floorMs - 1.0));
    std::printf("\n");
    const double chainMedian = median(chains);
    std::printf("  timer chain   %.1f ms for %d bare waits of %d ms in the server thread; "
                "wall time / chain %.4f\n",
                chainMedian, expectedPieces, pieceDelayMs, wallMedian / chainMedian);
    std::printf("  per piece     %.2f ms over the page's delay\n",
                (wallMedian - floorMs) / expectedPieces);
    std::printf("  client CPU    %.1f ms (%.1f %% of the wall time)\n", clientMedian,
                100.0 * clientMedian / wallMedian);
    std::printf("  page server   %.1f ms CPU (not counted above)\n", median(serverCpu));

    delete window;
    onServer([&page] { delete page; });
    serverThread.quit();
    serverThread.wait();
    QDir(dataDirectory).removeRecursively();
    return 0;
}
