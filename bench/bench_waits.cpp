// What a user waits for on the client's side, with the real companion server
// on loopback (its Apertium back end when Apertium is installed):
//  - a blocked page (it takes connections and never answers): the first
//    translation of 100 characters, which waits for the page's time-out, and
//    the ones after it, which should go to the server at once;
//  - quick translate: from the second tap of the left Ctrl key to the request
//    reaching a local page.
//
// Run under an X server (the hotkey reads the PRIMARY selection), e.g.:
//   xvfb-run -a build/dev/bench/bench_waits [runs [page-time-out-ms]]
// (default 9 runs, the client's own time-out of 15000 ms)

#include "mainwindow/mainwindow.h"
#include "mainwindow/quicktranslatehotkey.h"
#include "support/pageserver.h"
#include "support/serverprocess.h"
#include "translate/translationrun.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs the event loop until `done` holds or the time is up; false on time-out.
template <class Condition> bool waitFor(Condition done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

std::unique_ptr<MainWindow> openWindow(const PageServer &page, const ServerProcess &server,
                                       int pageTimeoutMs)
{
    Endpoints endpoints;
    endpoints.webPage = page.url();
    endpoints.serverHost = QStringLiteral("127.0.0.1");
    endpoints.serverPort = QString::number(server.port());
    endpoints.webTimeoutMs = pageTimeoutMs;
    endpoints.startServer = false;
    endpoints.speechEngine = QStringLiteral("none");
    return std::make_unique<MainWindow>(QStringLiteral("en_US"), nullptr, endpoints);
}

// Milliseconds from the Translate click to the run's result, or -1.
double timeTranslation(MainWindow *window, const QString &text, int timeoutMs)
{
    window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_source"))->setPlainText(text);
    auto *run = window->findChild<TranslationRun *>();
    bool finished = false;
    const auto watch =
        QObject::connect(run, &TranslationRun::finished, [&finished] { finished = true; });
    QElapsedTimer clock;
    clock.start();
    window->findChild<QPushButton *>(QStringLiteral("pushButton_translate"))->click();
    const bool done = waitFor([&] { return finished; }, timeoutMs);
    QObject::disconnect(watch);
    return done ? clock.nsecsElapsed() / 1e6 : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(data).removeRecursively();
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 9;
    const int pageTimeoutMs = argc > 2 ? qMax(1, atoi(argv[2])) : 15000;

    const bool apertium = !QStandardPaths::findExecutable(QStringLiteral("apertium")).isEmpty();
    ServerProcess server;
    QString error;
    if (!server.start({QStringLiteral("--backend"),
                       apertium ? QStringLiteral("apertium") : QStringLiteral("echo")},
                      &error)) {
        std::fprintf(stderr, "the server did not start: %s\n", qPrintable(error));
        return 1;
    }
    PageServer page;
    if (!page.listen())
        return 1;

    // A blocked page, English to Spanish.
    page.setDefaultResponse(PageServer::Response::page(QByteArray(), 200, -1));
    auto window = openWindow(page, server, pageTimeoutMs);
    window->findChild<QComboBox *>(QStringLiteral("comboBoxFrom"))->setCurrentIndex(22);
    window->findChild<QComboBox *>(QStringLiteral("comboBoxTo"))->setCurrentIndex(88);
    if (!waitFor([&] { return window->currentTranslationLimit() != 50000 || page.requestCount(); },
                 30000)) {
        std::fprintf(stderr, "the window did not link up\n");
        return 1;
    }
    const QString text =
        QStringLiteral("The weather is fine today, and we are going to walk to the old bridge "
                       "by the river after lunch with us.")
            .left(99);
    // 100 characters each time, none of them a text the server has seen.
    const double first = timeTranslation(window.get(), text + '.', pageTimeoutMs + 60000);
    std::vector<double> later;
    for (int i = 0; i < runs && first >= 0; ++i)
        later.push_back(timeTranslation(window.get(), text + QString::number(i % 10), 60000));
    if (first < 0 || std::count(later.begin(), later.end(), -1.0)) {
        std::fprintf(stderr, "a translation did not finish\n");
        return 1;
    }
    std::printf("blocked page (time-out %d ms, %s back end, %d characters):\n", pageTimeoutMs,
                apertium ? "apertium" : "echo", int(text.size()) + 1);
    std::printf("  first translation  %8.1f ms\n", first);
    std::printf("  later ones         %8.1f ms median of %d (max %.1f ms)\n", median(later), runs,
                *std::max_element(later.begin(), later.end()));
    window.reset();
    QDir(data).removeRecursively();

    // Quick translate: a page that answers at once; the taps 100 ms apart.
    page.setDefaultResponse(PageServer::Response::page("<p class=result-container>ok"));
    window = openWindow(page, server, pageTimeoutMs);
    QuickTranslateHotkey *hotkey = window->quickTranslateHotkey();
    std::vector<double> taps;
    for (int i = 0; i < runs; ++i) {
        const QString selected = QStringLiteral("selected %1").arg(i);
        QApplication::clipboard()->setText(selected, QClipboard::Selection);
        if (!waitFor(
                [&] { return QApplication::clipboard()->text(QClipboard::Selection) == selected; },
                5000)) {
            std::fprintf(stderr, "this display has no PRIMARY selection\n");
            return 1;
        }
        hotkey->leftControlReleased();
        waitFor([] { return false; }, 100);
        QElapsedTimer clock;
        clock.start();
        hotkey->leftControlReleased();
        if (!waitFor([&] { return page.requestedTexts().contains(selected); }, 5000)) {
            std::fprintf(stderr, "the selection never reached the page\n");
            return 1;
        }
        taps.push_back(clock.nsecsElapsed() / 1e6);
        waitFor([] { return false; }, QuickTranslateHotkey::doubleTapMs);
    }
    std::printf("quick translate: second tap to the request at the page %.1f ms median of %d "
                "(max %.1f ms)\n",
                median(taps), runs, *std::max_element(taps.begin(), taps.end()));
    window.reset();
    QDir(data).removeRecursively();
    return 0;
}
