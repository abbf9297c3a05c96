// Dictionary lookups and listening through the machine's real services.
//  1. A word's entries from a local dictd serving the FreeDict English-Spanish
//     and Spanish-English dictionaries: from the lookup to its answer.
//  2. The time until a one-word translation shows in a real MainWindow, with
//     that dictd beside it and with no DICT server at all.
//  3. From pressing listen to the first sound that reaches a PulseAudio null
//     sink through speech-dispatcher and espeak-ng, for a short sentence.
// Prints medians (and the spread) in milliseconds.
//
// Usage: bench_listenlookup [runs]   (default 25)

#include "dictionary/dictionarypanel.h"
#include "speech/speaker.h"
#include "support/localservices.h"
#include "support/windowharness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void report(const char *what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-58s median %7.2f ms  (min %.2f, max %.2f, n=%zu)\n", what, ms[ms.size() / 2],
                ms.front(), ms.back(), ms.size());
}

std::vector<double> lookups(quint16 port, int runs)
{
    WordLookup lookup(QStringLiteral("127.0.0.1"), port, 2000);
    QSignalSpy found(&lookup, &WordLookup::found);
    std::vector<double> ms;
    for (int i = 0; i <= runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        lookup.lookUp(WordLookup::Forward, i % 2 ? "run" : "house", "en", "es");
        if (!found.wait(5000))
            qFatal("no dictionary answer");
        // The first one also lists the server's databases.
        if (i > 0)
            ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    return ms;
}

std::vector<double> translations(quint16 dictionaryPort, int runs)
{
    WindowHarness harness;
    harness.dictionaryPort = dictionaryPort;
    if (!harness.startPage("<p class=result-container>carrera"))
        qFatal("no page server");
    harness.openWindowWithoutServer(QStringLiteral("en_US"));
    harness.comboBox("comboBoxFrom")->setCurrentIndex(22);
    harness.comboBox("comboBoxTo")->setCurrentIndex(88);
    harness.sourceBox()->setPlainText(QStringLiteral("run"));
    std::vector<double> ms;
    for (int i = 0; i <= runs; ++i) {
        harness.resultBox()->clear();
        QElapsedTimer clock;
        clock.start();
        harness.button("pushButton_translate")->click();
        if (!QTest::qWaitFor([&] { return !harness.resultBox()->toPlainText().isEmpty(); }, 5000))
            qFatal("no translation");
        if (i > 0)
            ms.push_back(clock.nsecsElapsed() / 1e6);
        // Lets this run's lookups end before the next run starts.
        QTest::qWait(50);
    }
    return ms;
}

std::vector<double> listening(LocalServices *desk, int runs)
{
    Speaker speaker(QString{});
    QSignalSpy voices(&speaker, &Speaker::voicesChanged);
    if (!voices.wait(30000) || !speaker.hasVoice("en"))
        qFatal("no English voice");
    const auto peak = [&](qint64 from) { return desk->peakSince(from); };
    std::vector<double> ms;
    for (int i = 0; i <= runs; ++i) {
        const qint64 before = desk->recorded();
        QElapsedTimer clock;
        clock.start();
        speaker.toggle(0, QStringLiteral("Good morning, how are you today?"), "en");
        while (peak(before) < 2000 && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (i > 0)
            ms.push_back(clock.nsecsElapsed() / 1e6);
        speaker.toggle(0, QString(), "en");
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 400 || peak(desk->recorded() - 4000) > 100)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 25;
    LocalServices services;
    if (!services.startDictd({"eng-spa", "spa-eng"}) || !services.startSpeech())
        qFatal("%s", qPrintable(services.error()));
    report("dictionary lookup answered by a local dictd", lookups(services.dictdPort(), runs));
    report("translation shown, dictd beside it", translations(services.dictdPort(), runs));
    report("translation shown, no DICT server", translations(0, runs));
    report("listen pressed to first sound in the sink", listening(&services, runs));
    return 0;
}
