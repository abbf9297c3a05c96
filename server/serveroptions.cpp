#include "server/serveroptions.h"

#include "protocol/translationrequest.h"

#include <QCommandLineParser>

#include <climits>
#include <cmath>

namespace {

const char *const helpDetails = R"(
Back ends:
  apertium  Offline translation with the installed Apertium language pairs.
            Each pair runs as a persistent pipeline in null-flush mode that
            answers one request after another, shared by all clients; a pair
            without installed data is reached through a third language when
            two installed pairs chain up (French to Spanish to English).
            Every line break ends a sentence, so lines come back in place.
            A new pipeline first translates a short probe: a pair that dies,
            hangs or cannot start on it is broken, left out and answered at
            once until the language data changes. Pairs installed or removed
            while the server runs are taken up without a restart.
            scripts/install-deps brings English-Spanish and French-Spanish;
            scripts/install-language-pairs brings every pair Debian packages.
            --list-pairs shows what this machine can translate.
  echo      Answers "[target] text"; for tests and trying the link.
  none      Answers that no offline translation is available.

Where it listens: on the TCP port, and on a local socket that only its user
can reach, $XDG_RUNTIME_DIR/quillora-server-PORT (without a private runtime
folder, one in ~/.cache/quillora), which the client tries first. When another
user's program holds the TCP port, the server serves its user on the local
socket alone; a second server of the same user exits with status 0.

Measured on a 2-core machine (loopback, English to Spanish, warm pipeline,
medians): 100 characters in 4 ms, 1800 in 21 ms, within 1.11 times the
pipeline driven directly; a pair's first request waits once, 0.45 s, for its
pipeline to start, or 10 ms when a client readied the pair a moment before;
French to English through Spanish, 8 ms for 78 characters. 20 clients at
once: 29 answers of 1800 characters a second, with two pipelines of 13
processes running.
)";

// Counts, byte sizes, and durations given in seconds and kept in milliseconds.
struct NumberOption
{
    const char *name;
    const char *help;
    int *target;
    int scale;
    const char *valueName;
};

} // namespace

bool ServerOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Companion server of the Quillora translation client: display-text "
                       "tables, the translation limit and offline translations over a framed "
                       "link: TCP, and a local socket only its user can reach.") +
        QString::fromUtf8(helpDetails));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("TCP port to listen on (default 3030)."),
                                        QStringLiteral("PORT"), QString::number(port));
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Address to listen on; may be repeated (default 127.0.0.1 and ::1)."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption limitOption(
        QStringLiteral("limit"),
        QStringLiteral("Translation limit in characters sent to clients, 1 to %1 (default %2).")
            .arg(TranslationRequest::maxTextLength())
            .arg(translationLimit),
        QStringLiteral("N"), QString::number(translationLimit));
    const QCommandLineOption logOption(
        QStringLiteral("log"), QStringLiteral("Append one line per received message to FILE."),
        QStringLiteral("FILE"));
    const QCommandLineOption backendOption(
        QStringLiteral("backend"),
        QStringLiteral("Translation back end: apertium (default where installed), echo or none."),
        QStringLiteral("NAME"));
    const QCommandLineOption listPairsOption(
        QStringLiteral("list-pairs"),
        QStringLiteral("Try every installed Apertium mode, print every source -> target the "
                       "apertium back end can reach, with the modes it goes through (those "
                       "that failed marked broken), and exit."));
    parser.addOptions(
        {portOption, listenOption, limitOption, logOption, backendOption, listPairsOption});

    // The defaults are what the limits hold before the options are read.
    const NumberOption numberOptions[] = {
        {"pipelines", "Most Apertium pipelines alive at once", &pipelineLimits.maxPipelines, 1,
         "N"},
        {"pipelines-per-pair", "Most pipelines of one language pair", &pipelineLimits.perMode, 1,
         "N"},
        {"pipeline-idle", "Seconds after which an unused pipeline is closed",
         &pipelineLimits.idleMs, 1000, "SECONDS"},
        {"request-timeout",
         "Seconds one pipeline request may take before the pipeline is replaced and the client "
         "told that the offline translation failed",
         &pipelineLimits.timeoutMs, 1000, "SECONDS"},
        {"probe-timeout",
         "Seconds a new pipeline has for its first, short translation before its language "
         "pair is taken for broken and left out until the language data changes",
         &pipelineLimits.probeMs, 1000, "SECONDS"},
        {"rescan-delay",
         "Seconds the Apertium modes must stay unchanged before installed and removed pairs "
         "are taken up",
         &rescanDelayMs, 1000, "SECONDS"},
        {"max-connections",
         "Most client connections at once; past it the one idle longest gives way to a "
         "newcomer, and with none idle the newcomer is closed at once",
         &connectionLimits.maxConnections, 1, "N"},
        {"max-waiting",
         "Most requests one client may have waiting; past it the client's next request is read "
         "once one is answered",
         &connectionLimits.maxWaiting, 1, "N"},
        {"waiting-bytes", "Bytes of request text one client may have waiting, likewise",
         &connectionLimits.waitingBytes, 1, "BYTES"},
        {"total-waiting-bytes",
         "Bytes of request text all clients together may have waiting; past it only clients "
         "with nothing waiting are read from",
         &connectionLimits.totalWaitingBytes, 1, "BYTES"},
        {"output-cap",
         "Bytes of unread answers per client past which the server stops reading from it",
         &connectionLimits.outputCap, 1, "BYTES"},
        {"total-output-cap",
         "Bytes of unread answers of all clients together; past it the client leaving the most "
         "unread is closed",
         &connectionLimits.totalOutputCap, 1, "BYTES"},
        {"stall-timeout",
         "Seconds a client may leave a frame half sent, or its answers above the output cap, "
         "before it is closed",
         &connectionLimits.stallMs, 1000, "SECONDS"},
        {"log-interval",
         "Seconds between two log lines about connections and refusals; those in between are "
         "counted in one line",
         &connectionLimits.logIntervalMs, 1000, "SECONDS"},
    };
    QList<QCommandLineOption> numbers;
    for (const NumberOption &entry : numberOptions) {
        const QString fallback = QString::number(*entry.target / entry.scale);
        numbers.append(QCommandLineOption(
            QString::fromLatin1(entry.name),
            QStringLiteral("%1 (default %2).").arg(QString::fromLatin1(entry.help), fallback),
            QString::fromLatin1(entry.valueName), fallback));
    }
    parser.addOptions(numbers);
    parser.process(arguments);

    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first());
        return false;
    }
    bool ok = false;
    const uint number = parser.value(portOption).toUInt(&ok);
    if (!ok || number > 65535) {
        *error = QStringLiteral("invalid port %1").arg(parser.value(portOption));
        return false;
    }
    port = quint16(number);
    // A client cuts its text to the limit and sends it after the two codes,
    // and a negative limit would have it cut nothing at all: past these
    // bounds a request could take more than one frame.
    translationLimit = parser.value(limitOption).toInt(&ok);
    if (!ok || translationLimit < 1 || translationLimit > TranslationRequest::maxTextLength()) {
        *error = QStringLiteral("invalid limit %1: the limit is 1 to %2 characters")
                     .arg(parser.value(limitOption))
                     .arg(TranslationRequest::maxTextLength());
        return false;
    }
    for (int i = 0; i < numbers.size(); ++i) {
        const QString text = parser.value(numbers.at(i));
        const double value = text.toDouble(&ok) * numberOptions[i].scale;
        if (!ok || value < 1 || value > INT_MAX || value != std::floor(value)) {
            *error = QStringLiteral("invalid --%1 %2")
                         .arg(QString::fromLatin1(numberOptions[i].name), text);
            return false;
        }
        *numberOptions[i].target = int(value);
    }
    defaultAddresses = !parser.isSet(listenOption);
    addresses.clear();
    if (defaultAddresses) {
        addresses = {QHostAddress(QHostAddress::LocalHost),
                     QHostAddress(QHostAddress::LocalHostIPv6)};
    }
    for (const QString &text : parser.values(listenOption)) {
        QHostAddress address;
        if (!address.setAddress(text)) {
            *error = QStringLiteral("invalid address %1").arg(text);
            return false;
        }
        addresses.append(address);
    }
    logPath = parser.value(logOption);
    backend = parser.value(backendOption);
    listPairs = parser.isSet(listPairsOption);
    return true;
}
