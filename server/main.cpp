#include "apertiumtranslator.h"
#include "companionserver.h"
#include "displaytables.h"
#include "echotranslator.h"
#include "languagedetector.h"
#include "messagelog.h"
#include "servercatalogue.h"
#include "signalwatcher.h"
#include "unavailabletranslator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

int fail(const QString &message)
{
    QTextStream(stderr) << "quillora-server: " << message << '\n';
    return 1;
}

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
    parser.addOptions({portOption, listenOption, limitOption, logOption, backendOption});
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
    std::unique_ptr<TranslatorBackend> backend;
    if (backendName == QLatin1String("apertium")) {
        if (apertium.isEmpty())
            return fail(QStringLiteral("the apertium command is not installed"));
        const QStringList modes = ApertiumTranslator::installedModes(apertium);
        QTextStream(stderr) << "quillora-server: Apertium modes: "
                            << (modes.isEmpty() ? QStringLiteral("none")
                                                : modes.join(QLatin1Char(' ')))
                            << '\n';
        backend = std::make_unique<ApertiumTranslator>(catalogue, detector, apertium, modes);
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

    CompanionServer server(tables, backend.get(), limit, &log);
    for (const QHostAddress &address : addresses) {
        QAbstractSocket::SocketError code = QAbstractSocket::UnknownSocketError;
        if (server.listen(address, quint16(port), &error, &code))
            continue;
        // A machine without IPv6 still serves on 127.0.0.1; a port that is
        // taken, by contrast, is an error on every address.
        const bool ipv6Missing = defaultAddresses &&
                                 address.protocol() == QAbstractSocket::IPv6Protocol &&
                                 code != QAbstractSocket::AddressInUseError;
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
