// Start-up time to the first shown window and idle resident memory of the
// client, next to an empty QMainWindow program built the same way (this
// program, started with --empty-window), once with the toolkit's default
// OpenGL set-up and once without it, as the client starts.
//
// Run under an X server, e.g.: xvfb-run -a build/bench/bench_startup [--runs N]
//
// Start-up time is taken from just before the process is started until the
// X server reports the MapNotify of the program's top-level window (the one
// whose _NET_WM_PID is the process): the moment the window is on screen, seen
// from outside the program, without any cooperation of the program. The CPU
// time all the program's threads had used by then is read beside it: on a
// machine shared with other work it wavers far less than the wall time. Resident
// memory is VmRSS from /proc/<pid>/status after the program has sat idle for
// two seconds with its window shown. Every run gets a fresh sandbox (HOME,
// XDG directories, TMPDIR), so the client starts as on its very first run:
// no config.txt, no from_to.db. The two programs take turns, after one
// unmeasured warm-up start each; medians are reported. --client PATH, given
// once or more, measures those client builds in the same turns instead of
// this build's, for comparisons that one machine's changing load cannot skew.

#include "support/clientsandbox.h"
#include "support/portblocker.h"
#include "support/x11mapwatcher.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr quint16 serverPort = 3030;
constexpr int windowTimeoutMs = 60000;
constexpr int idleMs = 2000;

struct Sample
{
    double startupMs = 0;
    double cpuMs = 0;
    double residentMiB = 0;
};

struct Program
{
    QByteArray label;
    QString path;
    QStringList arguments;
    std::vector<Sample> samples;
};

int emptyWindowMain(int argc, char *argv[], bool withoutOpenGl)
{
    if (withoutOpenGl)
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Empty window"));
    window.resize(883, 411);
    window.show();
    return application.exec();
}

qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// On-CPU time of all the threads of `pid` so far (the first field of each
// thread's schedstat, in nanoseconds), or -1.
qint64 cpuNs(qint64 pid)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    qint64 total = -1;
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly))
            total = qMax<qint64>(total, 0) + schedstat.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

bool measure(Program &program, X11MapWatcher &watcher, bool privateNetwork, Sample *sample)
{
    ClientSandbox sandbox;
    sandbox.setPrivateNetwork(privateNetwork);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    watcher.takeMapped();

    QElapsedTimer clock;
    clock.start();
    sandbox.start(&process, program.path, program.arguments);
    bool shown = process.waitForStarted(windowTimeoutMs) &&
                 watcher.waitForWindowOf(process.processId(), windowTimeoutMs);
    const qint64 elapsedNs = clock.nsecsElapsed();
    const qint64 usedNs = shown ? cpuNs(process.processId()) : -1;

    qint64 kib = -1;
    if (shown) {
        // Idle means idle: the benchmark itself sleeps rather than polling.
        QThread::msleep(idleMs);
        kib = residentKiB(process.processId());
    }
    process.kill();
    process.waitForFinished(windowTimeoutMs);
    if (!shown || kib < 0 || usedNs < 0) {
        std::fprintf(stderr, "%s: no window within %d ms\n", program.label.constData(),
                     windowTimeoutMs);
        return false;
    }
    sample->startupMs = double(elapsedNs) / 1e6;
    sample->cpuMs = double(usedNs) / 1e6;
    sample->residentMiB = double(kib) / 1024.0;
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char *argv[])
{
    int runs = 9;
    QStringList clients;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--empty-window") == 0)
            return emptyWindowMain(argc, argv,
                                   i + 1 < argc && std::strcmp(argv[i + 1], "--no-gl") == 0);
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--client") == 0 && i + 1 < argc)
            clients.append(QString::fromLocal8Bit(argv[++i]));
    }

    QCoreApplication application(argc, argv);
    X11MapWatcher watcher;
    if (!watcher.isOpen()) {
        std::fprintf(stderr, "No X display; run under xvfb-run -a.\n");
        return 1;
    }

    // The client dials localhost:3030 at once. Held bound but not listening,
    // the port refuses that at once, as on a desktop where no companion
    // server runs, and the link never comes up, so the client never fetches
    // the web page. When something already listens there, both programs get
    // a private network instead.
    PortBlocker serverPortBlocker(serverPort);
    const bool privateNetwork = !serverPortBlocker.isActive();
    if (privateNetwork && !ClientSandbox::privateNetworkAvailable()) {
        std::fprintf(stderr, "Port 3030 is taken and no private network is available.\n");
        return 1;
    }

    std::vector<Program> programs;
    if (clients.isEmpty())
        programs.push_back({"quillora", QStringLiteral(QUILLORA_CLIENT_BIN), {}, {}});
    for (const QString &client : clients)
        programs.push_back({client.toLocal8Bit(), client, {}, {}});
    programs.insert(programs.end(),
                    {
                        {"empty QMainWindow",
                         QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--empty-window")},
                         {}},
                        {"empty, no OpenGL",
                         QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--empty-window"), QStringLiteral("--no-gl")},
                         {}},
                    });

    std::printf("Start-up to first mapped window and idle VmRSS, %d runs each%s\n", runs,
                privateNetwork ? " (private network)" : "");
    for (Program &program : programs) {
        Sample warmUp;
        if (!measure(program, watcher, privateNetwork, &warmUp))
            return 1;
    }
    for (int run = 0; run < runs; ++run) {
        for (Program &program : programs) {
            Sample sample;
            if (!measure(program, watcher, privateNetwork, &sample))
                return 1;
            program.samples.push_back(sample);
            std::printf("  run %d  %-18s %8.1f ms  %8.1f ms CPU  %7.1f MiB\n", run + 1,
                        program.label.constData(), sample.startupMs, sample.cpuMs,
                        sample.residentMiB);
            std::fflush(stdout);
        }
    }

    std::printf("\n%-18s %18s %18s %18s\n", "program", "median start (ms)", "median CPU (ms)",
                "median RSS (MiB)");
    for (const Program &program : programs) {
        std::vector<double> times;
        std::vector<double> cpu;
        std::vector<double> memory;
        for (const Sample &sample : program.samples) {
            times.push_back(sample.startupMs);
            cpu.push_back(sample.cpuMs);
            memory.push_back(sample.residentMiB);
        }
        std::printf("%-18s %18.1f %18.1f %18.1f\n", program.label.constData(), median(times),
                    median(cpu), median(memory));
    }
    return 0;
}
