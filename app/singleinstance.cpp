#include "app/singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#ifdef Q_OS_WIN
#include <QSharedMemory>
#else
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

const char *const SingleInstance::defaultKey = "Zerizoriva-Dezizi";

namespace {

constexpr int connectTimeoutMs = 2000;
// What a start that wants the selection translated says before it leaves;
// a start that says nothing wants the window.
const QByteArray quickTranslateMessage = QByteArrayLiteral("quick-translate");

enum class Claim
{
    taken,
    heldByAnotherCopy,
    impossible
};

} // namespace

#ifdef Q_OS_WIN

// Named shared memory lives in the session's own namespace, which already
// makes the token one per login.
struct SingleInstance::Token
{
    QSharedMemory memory{QString::fromLatin1(defaultKey)};

    Claim acquire(const QString &)
    {
        if (memory.create(512, QSharedMemory::ReadWrite))
            return Claim::taken;
        if (memory.error() == QSharedMemory::AlreadyExists)
            return Claim::heldByAnotherCopy;
        qWarning("Quillora: cannot take the single-instance token: %s",
                 qUtf8Printable(memory.errorString()));
        return Claim::impossible;
    }

    static QString channelName()
    {
        return QString::fromLatin1(defaultKey) + QLatin1Char('-') +
               qEnvironmentVariable("USERNAME");
    }
};

#else

namespace {

// A directory, not a link to one, that this user owns and nobody else may
// enter: no other user can put a lock or a socket into it.
bool isPrivateFolder(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The session's runtime directory when it is a proper one. Otherwise a folder
// in the user's own cache, never a fixed name in a shared folder such as /tmp,
// where anyone could take the name first. It is one per host because a home
// directory may be shared between machines. Empty when neither can be had.
QString privateFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString own = cache + QStringLiteral("/runtime-") + QSysInfo::machineHostName();
    QDir().mkpath(cache);
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return isPrivateFolder(own) ? own : QString();
}

} // namespace

// A kernel lock on a file in the private folder. It ends with the process that
// holds it, so neither a crashed copy nor a file left by anything else can
// lock the user out: what the file holds is never read.
struct SingleInstance::Token
{
    int descriptor = -1;

    ~Token()
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }

    Claim acquire(const QString &place)
    {
        if (place.isEmpty()) {
            qWarning("Quillora: no private folder for the single-instance lock");
            return Claim::impossible;
        }
        // Reading is all a lock needs, so a lock file made read-only still works.
        const QByteArray path = QFile::encodeName(place + QStringLiteral(".lock"));
        descriptor = ::open(path.constData(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor >= 0 && ::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            return Claim::taken;
        const int failure = errno;
        if (descriptor >= 0)
            ::close(descriptor);
        descriptor = -1;
        if (failure == EWOULDBLOCK)
            return Claim::heldByAnotherCopy;
        qWarning("Quillora: cannot take the single-instance lock %s: %s", path.constData(),
                 std::strerror(failure));
        return Claim::impossible;
    }

    static QString channelName()
    {
        const QString folder = privateFolder();
        return folder.isEmpty() ? folder : folder + QLatin1Char('/') + QLatin1String(defaultKey);
    }
};

#endif

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent), token(std::make_unique<Token>()), channelName(Token::channelName())
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    switch (token->acquire(channelName)) {
    case Claim::heldByAnotherCopy:
        askRunningCopyToShow();
        return false;
    case Claim::impossible:
        // Without the lock only the channel tells whether a copy runs, and two
        // copies must not run: each would hook the hotkey, and one double tap
        // would then fire in both.
        if (askRunningCopyToShow())
            return false;
        break;
    case Claim::taken:
        break;
    }
    listen();
    return true;
}

void SingleInstance::listen()
{
    if (channelName.isEmpty())
        return;
    // Whatever a crashed copy left under the name is ours to replace now.
    QLocalServer::removeServer(channelName);
    channel = new QLocalServer(this);
    channel->setSocketOptions(QLocalServer::UserAccessOption);
    connect(channel, &QLocalServer::newConnection, this, &SingleInstance::acceptStarts);
    if (!channel->listen(channelName))
        qWarning("Quillora: a later start cannot bring this window forward: %s",
                 qUtf8Printable(channel->errorString()));
}

void SingleInstance::acceptStarts()
{
    while (QLocalSocket *start = channel->nextPendingConnection()) {
        // A start has said all it has to say once it has left.
        connect(start, &QLocalSocket::disconnected, this, [this, start] {
            start->deleteLater();
            if (start->readAll() == quickTranslateMessage)
                emit quickTranslateRequested();
            else
                emit showRequested();
        });
        QTimer::singleShot(connectTimeoutMs, start, &QLocalSocket::abort);
    }
}

bool SingleInstance::askRunningCopyToShow() const
{
    return askRunningCopy(QByteArray());
}

bool SingleInstance::askRunningCopyToQuickTranslate() const
{
    return askRunningCopy(quickTranslateMessage);
}

bool SingleInstance::askRunningCopy(const QByteArray &message) const
{
    if (channelName.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(channelName);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    // Nothing said asks for the window.
    const bool sent = message.isEmpty() || (socket.write(message) == message.size() &&
                                            socket.waitForBytesWritten(connectTimeoutMs));
    socket.disconnectFromServer();
    return sent;
}
