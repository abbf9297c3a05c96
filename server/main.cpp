#include "server/serverinstance.h"
#include "server/serveroptions.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillora-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLORA_VERSION));

    ServerOptions options;
    QString error;
    if (options.parse(QCoreApplication::arguments(), &error)) {
        ServerInstance server(options);
        if (options.listPairs)
            return server.listPairs();
        switch (server.start(&error)) {
        case ServerInstance::Start::Listening:
            return app.exec();
        case ServerInstance::Start::AlreadyServed:
            return 0;
        case ServerInstance::Start::Failed:
            break;
        }
    }
    QTextStream(stderr) << "quillora-server: " << error << '\n';
    return 1;
}
