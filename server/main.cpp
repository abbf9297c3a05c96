#include "apertiumtranslator.h"
#include "companionserver.h"
#include "displaytables.h"
#include "echotranslator.h"
#include "languagedetector.h"
#include "messagelog.h"
#include "runningserverprobe.h"
#include "servercatalogue.h"
#include "signalwatcher.h"
#include "unavailabletranslator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>
#include <QTextStream>

#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

int fail(const QString &message)
{
    QTextStream(stderr) << "quillora-server: " << message << '\n';
    return 1;
}

// Connections and pipelines each need descriptors; the soft limit is often far
// below what the system grants.
void raiseDescriptorLimit()
{
    struct rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

const char *const helpDetails = R"(
Back ends:
  apertium  Offline translation with the installed Apertium language pairs.
            Each pair runs as a persistent pipeline in null-flush mode that
            answers one request after another, shared by all clients; a pair
            without installed data is reached through a third language when
            two installed pairs chain up (French to Spanish to English).
            scripts/install-deps brings English-Spanish and French-Spanish;
            scripts/install-language-pairs brings every pair Debian packages.
            --list-pairs shows what this machine can translate.
  echo      Answers "[target] text"; for tests and trying the link.
  none      Answers that no offline translation is available.

Measured on a 2-core machine (loopback, English to Spanish, warm pipeline,
medians): 100 characters in 4 ms, 1800 in 21 ms, within 1.11 times the
pipeline driven directly; a pair's first request waits once, 0.4 to 1.3 s,
for its pipeline to start; French to English through Spanish, 8 ms for 78
characters. 20 clients at once: 29 answers of 1800 characters a second,
with two pipelines of 13 processes running.
)";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillora-server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Companion server of the Quillora translation client: display-text tables, the "
        "translation limit and offline translations over a framed TCP link."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("TCP port to listen on (default 3030)."),
                                        QStringLiteral("PORT"), QStringLiteral("3030"));
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Address to listen on; may be repeated (default 127.0.0.1 and ::1)."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption limitOption(
        QStringLiteral("limit"),
        QStringLiteral("Translation limit in characters sent to clients (default 50000)."),
        QStringLiteral("N"), QStringLiteral("50000"));
    const QCommandLineOption logOption(
        QStringLiteral("log"), QStringLiteral("Append one line per received message to FILE."),
        QStringLiteral("FILE"));
    const QCommandLineOption backendOption(
        QStringLiteral("backend"),
        QStringLiteral("Translation back end: apertium (default where installed), echo or none."),
        QStringLiteral("NAME"));
    PipelinePool::Limits poolLimits;
    CompanionServer::Limits serverLimits;
    // Counts, and durations given in seconds and kept in milliseconds; the
    // defaults are what the limits hold before the options are read.
    struct NumberOption
    {
        const char *name;
        const char *help;
        int *target;
        int scale;
    };
    const NumberOption numberOptions[] = {
        {"pipelines", "Most Apertium pipelines alive at once", &poolLimits.maxPipelines, 1},
        {"pipelines-per-pair", "Most pipelines of one language pair", &poolLimits.perMode, 1},
        {"pipeline-idle", "Seconds after which an unused pipeline is closed", &poolLimits.idleMs,
         1000},
        {"request-timeout",
         "Seconds one pipeline request may take before the pipeline is replaced and the client "
         "told that the offline translation failed",
         &poolLimits.timeoutMs, 1000},
        {"max-connections", "Most client connections at once; more are closed at once",
         &serverLimits.maxConnections, 1},
        {"max-waiting",
         "Most requests one client may have waiting; past it the connection is closed",
         &serverLimits.maxWaiting, 1},
        {"stall-timeout",
         "Seconds a client may leave a frame half sent, or its answers above the output cap, "
         "before it is closed",
         &serverLimits.stallMs, 1000},
    };
    QList<QCommandLineOption> numbers;
    for (const NumberOption &entry : numberOptions) {
        const QString fallback = QString::number(*entry.target / entry.scale);
        numbers.append(QCommandLineOption(
            QString::fromLatin1(entry.name),
            QStringLiteral("%1 (default %2).").arg(QString::fromLatin1(entry.help), fallback),
            entry.scale == 1 ? QStringLiteral("N") : QStringLiteral("SECONDS"), fallback));
    }
    const QCommandLineOption listPairsOption(
        QStringLiteral("list-pairs"),
        QStringLiteral("Print every source -> target the apertium back end can reach, with "
                       "the modes it goes through, and exit."));
    const QCommandLineOption outputCapOption(
        QStringLiteral("output-cap"),
        QStringLiteral("Bytes of unread answers per client past which the server stops reading "
                       "from it (default %1).")
            .arg(serverLimits.outputCap),
        QStringLiteral("BYTES"), QString::number(serverLimits.outputCap));
    parser.addOptions({portOption, listenOption, limitOption, logOption, backendOption,
                       listPairsOption, outputCapOption});
    parser.addOptions(numbers);
    parser.setApplicationDescription(parser.applicationDescription() +
                                     QString::fromUtf8(helpDetails));
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        return fail(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535)
        return fail(QStringLiteral("invalid port %1").arg(parser.value(portOption)));
    const int limit = parser.value(limitOption).toInt(&ok);
    if (!ok)
        return fail(QStringLiteral("invalid limit %1").arg(parser.value(limitOption)));
    if (limit > CompanionServer::maxTextLength)
        return fail(QStringLiteral("a limit of %1 is more than one frame can carry; the most is "
                                   "%2 characters")
                        .arg(limit)
                        .arg(CompanionServer::maxTextLength));

    for (int i = 0; i < numbers.size(); ++i) {
        const QString text = parser.value(numbers.at(i));
        const double value = text.toDouble(&ok) * numberOptions[i].scale;
        if (!ok || value < 1 || value > INT_MAX || value != std::floor(value))
            return fail(QStringLiteral("invalid --%1 %2")
                            .arg(QString::fromLatin1(numberOptions[i].name), text));
        *numberOptions[i].target = int(value);
    }
    serverLimits.outputCap = parser.value(outputCapOption).toLongLong(&ok);
    if (!ok || serverLimits.outputCap <= 0)
        return fail(QStringLiteral("invalid --output-cap %1").arg(parser.value(outputCapOption)));

    QList<QHostAddress> addresses;
    const bool defaultAddresses = !parser.isSet(listenOption);
    if (defaultAddresses) {
        addresses = {QHostAddress(QHostAddress::LocalHost),
                     QHostAddress(QHostAddress::LocalHostIPv6)};
    } else {
        for (const QString &text : parser.values(listenOption)) {
            QHostAddress address;
            if (!address.setAddress(text))
                return fail(QStringLiteral("invalid address %1").arg(text));
            addresses.append(address);
        }
    }

    QString error;
    const ServerCatalogue catalogue =
        ServerCatalogue::fromFile(QStringLiteral(":/server/languages.txt"), &error);
    if (catalogue.languages().isEmpty())
        return fail(error);
    const DisplayTables tables =
        DisplayTables::build(catalogue, QStringLiteral(":/server/interfacetexts.txt"), &error);
    if (!error.isEmpty())
        return fail(error);
    const LanguageDetector detector(catalogue);

    const QString apertium = QStandardPaths::findExecutable(QStringLiteral("apertium"));
    QString backendName = parser.value(backendOption);
    if (backendName.isEmpty())
        backendName = apertium.isEmpty() ? QStringLiteral("none") : QStringLiteral("apertium");
    const QString modesDirectory = ApertiumTranslator::dataDirectory() + QStringLiteral("/modes");
    if (parser.isSet(listPairsOption)) {
        const ApertiumTranslator translator(catalogue, detector, modesDirectory, poolLimits);
        const QStringList routes = translator.describeRoutes();
        if (routes.isEmpty())
            QTextStream(stderr) << "quillora-server: no Apertium language pair is installed\n";
        for (const QString &line : routes)
            QTextStream(stdout) << line << '\n';
        return 0;
    }
    std::unique_ptr<TranslatorBackend> backend;
    if (backendName == QLatin1String("apertium")) {
        if (apertium.isEmpty())
            return fail(QStringLiteral("the apertium command is not installed"));
        const QStringList modes = ApertiumTranslator::installedModes(modesDirectory);
        QTextStream(stderr) << "quillora-server: Apertium modes: "
                            << (modes.isEmpty() ? QStringLiteral("none")
                                                : modes.join(QLatin1Char(' ')))
                            << '\n';
        backend =
            std::make_unique<ApertiumTranslator>(catalogue, detector, modesDirectory, poolLimits);
    } else if (backendName == QLatin1String("echo")) {
        backend = std::make_unique<EchoTranslator>();
    } else if (backendName == QLatin1String("none")) {
        backend = std::make_unique<UnavailableTranslator>(catalogue);
    } else {
        return fail(
            QStringLiteral("unknown back end %1 (apertium, echo or none)").arg(backendName));
    }

    MessageLog log;
    if (parser.isSet(logOption) && !log.open(parser.value(logOption), &error))
        return fail(error);

    SignalWatcher signalWatcher;
    if (!signalWatcher.isWatching())
        return fail(QStringLiteral("cannot watch for termination signals"));
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app,
                     [] { QCoreApplication::exit(0); });

    raiseDescriptorLimit();
    CompanionServer server(tables, backend.get(), limit, serverLimits, &log);
    for (const QHostAddress &address : addresses) {
        QAbstractSocket::SocketError code = QAbstractSocket::UnknownSocketError;
        if (server.listen(address, quint16(port), &error, &code))
            continue;
        // A machine without IPv6 still serves on 127.0.0.1; a port that is
        // taken, by contrast, is an error on every address.
        const bool ipv6Missing = defaultAddresses &&
                                 address.protocol() == QAbstractSocket::IPv6Protocol &&
                                 code != QAbstractSocket::AddressInUseError;
        if (code == QAbstractSocket::AddressInUseError &&
            RunningServerProbe::isQuilloraServer(address, quint16(port))) {
            QTextStream(stderr) << "quillora-server: another quillora-server is already "
                                   "listening on port "
                                << port << '\n';
            return 0;
        }
        if (!ipv6Missing)
            return fail(QStringLiteral("cannot listen on %1 port %2: %3")
                            .arg(address.toString())
                            .arg(port)
                            .arg(error));
        QTextStream(stderr) << "quillora-server: no IPv6 loopback (" << error
                            << "), serving IPv4 only\n";
    }

    QTextStream(stdout) << "quillora-server: listening on "
                        << server.listeningOn().join(QStringLiteral(", ")) << " with the "
                        << backendName << " back end" << Qt::endl;
    return app.exec();
}
