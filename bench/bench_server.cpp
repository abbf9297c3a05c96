// Translation latency of the Apertium back end through the real server over
// loopback: from sending a request frame to receiving the answer frame, for
// 100 and 1800 characters of English text into Spanish. Prints the median,
// minimum and maximum of several runs per size.
//
// Usage: bench_server [runs]   (default 7)

#include "support/frameclient.h"
#include "support/serverprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString englishText(int length)
{
    const QString paragraph = QStringLiteral(
        "The library opens at nine in the morning and closes late in the evening. Students "
        "come to read, to write their essays and to meet their friends. In the afternoon the "
        "reading room is often full, so it is better to arrive early. ");
    QString text;
    while (text.size() < length)
        text += paragraph;
    return text.left(length);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 7;
    if (QStandardPaths::findExecutable(QStringLiteral("apertium")).isEmpty()) {
        std::fprintf(stderr, "bench_server: Apertium is not installed\n");
        return 1;
    }

    ServerProcess server;
    QString error;
    if (!server.start({QStringLiteral("--backend"), QStringLiteral("apertium")}, &error)) {
        std::fprintf(stderr, "bench_server: the server did not start: %s\n", qPrintable(error));
        return 1;
    }
    FrameClient client;
    if (!client.connectTo(server.port())) {
        std::fprintf(stderr, "bench_server: cannot connect\n");
        return 1;
    }

    std::printf("%-12s %6s %12s %12s %12s\n", "characters", "runs", "median ms", "min ms",
                "max ms");
    for (const int length : {100, 1800}) {
        const QString request = QStringLiteral("en~es~") + englishText(length);
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            client.send(request);
            QString answer;
            if (!client.receive(&answer, 300000) || answer.isEmpty()) {
                std::fprintf(stderr, "bench_server: no translation for %d characters\n", length);
                return 1;
            }
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::printf("%-12d %6d %12.1f %12.1f %12.1f\n", length, runs, median(times),
                    *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()));
    }
    return server.stop() ? 0 : 1;
}
