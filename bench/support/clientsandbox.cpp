#include "clientsandbox.h"

#include <QDir>
#include <QFile>

namespace {

const char *const subdirectories[] = {"home", "data", "config", "runtime", "tmp"};

} // namespace

ClientSandbox::ClientSandbox()
{
    if (!root.isValid())
        return;
    for (const char *name : subdirectories)
        QDir(root.path()).mkdir(QString::fromLatin1(name));
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QProcessEnvironment ClientSandbox::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The X authority is usually found through HOME, which changes below.
    if (!environment.contains(QStringLiteral("XAUTHORITY"))) {
        const QString authority = QDir::homePath() + QStringLiteral("/.Xauthority");
        if (QFile::exists(authority))
            environment.insert(QStringLiteral("XAUTHORITY"), authority);
    }
    environment.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("TMPDIR"), temporaryDirectory());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

bool ClientSandbox::privateNetworkAvailable()
{
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {QStringLiteral("-rn"), QStringLiteral("true")});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

void ClientSandbox::start(QProcess *process, const QString &program,
                          const QStringList &arguments) const
{
    process->setProcessEnvironment(environment());
    if (usePrivateNetwork)
        process->start(QStringLiteral("unshare"),
                       QStringList{QStringLiteral("-rn"), QStringLiteral("--"), program} +
                           arguments);
    else
        process->start(program, arguments);
}

QString ClientSandbox::dataDirectory() const
{
    return root.filePath(QStringLiteral("data/quillora"));
}
