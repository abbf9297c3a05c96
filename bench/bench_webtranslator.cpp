#include "support/pageserver.h"
#include "translate/webtranslator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One fetch per iteration against a local server that answers after the
// given delay. The counters give the client's own cost: wall time beyond the
// server's delay, and the share of the wall time the whole process spent on
// a CPU (the in-process server included, so this is an upper bound). The
// difference in cpu_ms between a delayed and an immediate answer is what the
// wait itself costs.
void fetch(benchmark::State &state)
{
    const int delayMs = int(state.range(0));
    PageServer server;
    if (!server.listen()) {
        state.SkipWithError("the page server cannot listen");
        return;
    }
    server.setDefaultResponse(PageServer::Response::page(
        "<html><body><div class=\"result-container\">Hallo Welt</div></body></html>", 200,
        delayMs));
    WebTranslator translator(server.url());

    double wallSeconds = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = processCpuSeconds();
        QString result;
        QEventLoop loop;
        translator.fetch(QStringLiteral("Hello world"), QStringLiteral("en"), QStringLiteral("de"),
                         [&](const QString &answer) {
                             result = answer;
                             loop.quit();
                         });
        loop.exec();
        cpuSeconds += processCpuSeconds() - cpuBefore;
        wallSeconds += double(clock.nsecsElapsed()) / 1e9;
        if (result != QStringLiteral("Hallo Welt")) {
            state.SkipWithError("the fetch did not return the page's translation");
            break;
        }
    }
    const double calls = double(state.iterations());
    state.counters["overhead_ms"] = wallSeconds / calls * 1e3 - delayMs;
    state.counters["cpu_ms"] = cpuSeconds / calls * 1e3;
    state.counters["cpu_pct_of_wall"] = 100.0 * cpuSeconds / wallSeconds;
}

} // namespace

BENCHMARK(fetch)
    ->Arg(0)
    ->Arg(50)
    ->Arg(500)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
