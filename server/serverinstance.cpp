#include "server/serverinstance.h"

#include "protocol/languagelist.h"
#include "protocol/localservername.h"
#include "protocol/portowner.h"
#include "server/connections/companionserver.h"
#include "server/connections/runningserverprobe.h"
#include "server/offline/apertiumtranslator.h"
#include "server/offline/echotranslator.h"
#include "server/offline/unavailabletranslator.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTextStream>

#include <sys/resource.h>

namespace {

// Descriptors one pipeline takes in the server: about two per stage (its pipes
// and the handle that watches it), and the longest modes have some twenty.
constexpr int descriptorsPerPipeline = 48;

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

} // namespace

ServerInstance::ServerInstance(const ServerOptions &serverOptions)
    : options(serverOptions), catalogue(LanguageList::builtIn()), detector(catalogue)
{
}

ServerInstance::~ServerInstance() = default;

QString ServerInstance::modesDirectory() const
{
    return ApertiumTranslator::dataDirectory() + QStringLiteral("/modes");
}

int ServerInstance::listPairs()
{
    ApertiumTranslator translator(catalogue, detector, modesDirectory(), options.pipelineLimits,
                                  options.rescanDelayMs);
    QEventLoop probing;
    translator.probeModes([&probing] { probing.quit(); });
    probing.exec();
    const QStringList routes = translator.describeRoutes();
    if (routes.isEmpty())
        QTextStream(stderr) << "quillora-server: no Apertium language pair is installed\n";
    for (const QString &line : routes)
        QTextStream(stdout) << line << '\n';
    return 0;
}

ServerInstance::Start ServerInstance::start(QString *error)
{
    error->clear();
    tables = DisplayTables::build(catalogue, error);
    if (!error->isEmpty())
        return Start::Failed;

    const QString apertium = QStandardPaths::findExecutable(QStringLiteral("apertium"));
    QString backendName = options.backend;
    if (backendName.isEmpty())
        backendName = apertium.isEmpty() ? QStringLiteral("none") : QStringLiteral("apertium");
    if (backendName == QLatin1String("apertium")) {
        if (apertium.isEmpty()) {
            *error = QStringLiteral("the apertium command is not installed");
            return Start::Failed;
        }
        const QStringList modes = ApertiumTranslator::installedModes(modesDirectory());
        QTextStream(stderr) << "quillora-server: Apertium modes: "
                            << (modes.isEmpty() ? QStringLiteral("none")
                                                : modes.join(QLatin1Char(' ')))
                            << '\n';
        backend = std::make_unique<ApertiumTranslator>(
            catalogue, detector, modesDirectory(), options.pipelineLimits, options.rescanDelayMs);
    } else if (backendName == QLatin1String("echo")) {
        backend = std::make_unique<EchoTranslator>();
    } else if (backendName == QLatin1String("none")) {
        backend = std::make_unique<UnavailableTranslator>(catalogue);
    } else {
        *error = QStringLiteral("unknown back end %1 (apertium, echo or none)").arg(backendName);
        return Start::Failed;
    }

    if (!options.logPath.isEmpty() && !log.open(options.logPath, error))
        return Start::Failed;
    if (!signalWatcher.isWatching()) {
        *error = QStringLiteral("cannot watch for termination signals");
        return Start::Failed;
    }
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested,
                     QCoreApplication::instance(), [] { QCoreApplication::exit(0); });

    raiseDescriptorLimit();
    CompanionServer::Limits limits = options.connectionLimits;
    limits.reservedDescriptors = 64 + descriptorsPerPipeline * options.pipelineLimits.maxPipelines;
    server = std::make_unique<CompanionServer>(tables, backend.get(), options.translationLimit,
                                               limits, &log);
    server->setLanguageDetector(&detector);
    const Start listening = listenEverywhere(error);
    if (listening != Start::Listening)
        return listening;

    QTextStream(stdout) << "quillora-server: listening on "
                        << server->listeningOn().join(QStringLiteral(", ")) << " with the "
                        << backendName << " back end" << Qt::endl;
    return Start::Listening;
}

ServerInstance::Start ServerInstance::listenEverywhere(QString *error)
{
    // Only this user can reach the folder, so a server answering there is
    // this user's own.
    const QString localPath = LocalServerName::forPort(options.port);
    QLocalSocket running;
    if (!localPath.isEmpty()) {
        running.connectToServer(localPath);
        if (running.waitForConnected(1000)) {
            QTextStream(stderr) << "quillora-server: another quillora-server is already "
                                   "listening on "
                                << localPath << '\n';
            return Start::AlreadyServed;
        }
    }
    QStringList heldByOthers;
    for (const QHostAddress &address : options.addresses) {
        QAbstractSocket::SocketError code = QAbstractSocket::UnknownSocketError;
        if (server->listen(address, options.port, error, &code))
            continue;
        // A machine without IPv6 still serves on 127.0.0.1; a port that is
        // taken, by contrast, is an error on every address.
        const bool ipv6Missing = options.defaultAddresses &&
                                 address.protocol() == QAbstractSocket::IPv6Protocol &&
                                 code != QAbstractSocket::AddressInUseError;
        if (code == QAbstractSocket::AddressInUseError) {
            // Another user's program never makes this user go without a
            // server: the local socket serves.
            if (PortOwner::of(address, options.port) == PortOwner::Verdict::OtherUser) {
                heldByOthers.append(address.toString());
                error->clear();
                continue;
            }
            if (RunningServerProbe::isQuilloraServer(address, options.port)) {
                QTextStream(stderr) << "quillora-server: another quillora-server is already "
                                       "listening on port "
                                    << options.port << '\n';
                return Start::AlreadyServed;
            }
        }
        if (!ipv6Missing) {
            *error = QStringLiteral("cannot listen on %1 port %2: %3")
                         .arg(address.toString())
                         .arg(options.port)
                         .arg(*error);
            return Start::Failed;
        }
        QTextStream(stderr) << "quillora-server: no IPv6 loopback (" << *error
                            << "), serving IPv4 only\n";
        error->clear();
    }
    const QString held = QStringLiteral("another user holds port %1 on %2")
                             .arg(options.port)
                             .arg(heldByOthers.join(QStringLiteral(", ")));
    if (localPath.isEmpty() || !server->listenLocal(localPath, error)) {
        const QString why = localPath.isEmpty() ? QStringLiteral("no private folder") : *error;
        if (!heldByOthers.isEmpty()) {
            *error = held + QStringLiteral(", and there is no local socket: ") + why;
            return Start::Failed;
        }
        QTextStream(stderr) << "quillora-server: no local socket (" << why
                            << "), serving TCP only\n";
        error->clear();
    } else if (!heldByOthers.isEmpty()) {
        QTextStream(stderr) << "quillora-server: " << held << ", serving this user on " << localPath
                            << '\n';
    }
    return Start::Listening;
}
