#include "clientsandbox.h"

#include "app/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QSharedMemory>

#include <functional>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

const char *const subdirectories[] = {"home", "data", "config", "runtime", "tmp"};

// The toolkit places the token's key file in QDir::tempPath(), which follows
// TMPDIR at the moment the key is set; this process borrows the sandbox's
// TMPDIR for that moment only.
void withTemporaryDirectory(const QString &path, const std::function<void()> &work)
{
    const bool hadOwn = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray own = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(path));
    work();
    if (hadOwn)
        qputenv("TMPDIR", own);
    else
        qunsetenv("TMPDIR");
}

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

ClientSandbox::~ClientSandbox()
{
    if (root.isValid())
        releaseStaleToken();
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

bool ClientSandbox::tokenSegmentExists() const
{
    // The toolkit keeps System V segments on Unix, keyed by ftok() of a key
    // file named after the token in the temporary directory.
    const QStringList keyFiles =
        QDir(temporaryDirectory()).entryList({QStringLiteral("qipc_sharedmemory_*")}, QDir::Files);
    for (const QString &name : keyFiles) {
        const QByteArray path = QFile::encodeName(QDir(temporaryDirectory()).filePath(name));
        const key_t key = ::ftok(path.constData(), 'Q');
        if (key != -1 && ::shmget(key, 0, 0) != -1)
            return true;
    }
    return false;
}

void ClientSandbox::releaseStaleToken() const
{
    // Detaching the last attachment removes the segment; a live copy keeps
    // its own attachment, so its token survives this.
    withTemporaryDirectory(temporaryDirectory(), [] {
        QSharedMemory token(QString::fromLatin1(SingleInstance::defaultKey));
        if (token.attach())
            token.detach();
    });
}
