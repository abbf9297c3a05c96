#include "app/singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#ifdef Q_OS_WIN
#include <QSharedMemory>
#else
#include <QLockFile>

#include <unistd.h>
#endif

const char *const SingleInstance::defaultKey = "Zerizoriva-Dezizi";

namespace {

constexpr int connectTimeoutMs = 2000;
// What a start that wants the selection translated says before it leaves;
// a start that says nothing wants the window.
const QByteArray quickTranslateMessage = QByteArrayLiteral("quick-translate");

} // namespace

#ifdef Q_OS_WIN

// Named shared memory lives in the session's own namespace, which already
// makes the token one per login.
struct SingleInstance::Token
{
    QSharedMemory memory{QString::fromLatin1(defaultKey)};

    bool acquire() { return memory.create(512, QSharedMemory::ReadWrite); }

    static QString channelName()
    {
        return QString::fromLatin1(defaultKey) + QLatin1Char('-') +
               qEnvironmentVariable("USERNAME");
    }
};

#else

// A lock file in the user's own runtime directory: other users never meet
// it, and the lock of a copy that crashed is found stale by its dead process
// id, so nothing outlives a run in the system's shared tables.
struct SingleInstance::Token
{
    QLockFile lock{place() + QStringLiteral(".lock")};

    bool acquire()
    {
        lock.setStaleLockTime(0);
        // A runtime directory that takes no lock must not keep the program
        // from ever starting; only a lock held by a live copy refuses.
        return lock.tryLock(0) || lock.error() != QLockFile::LockFailedError;
    }

    static QString place()
    {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty())
            return runtime + QLatin1Char('/') + QLatin1String(defaultKey);
        return QDir::tempPath() + QLatin1Char('/') + QLatin1String(defaultKey) + QLatin1Char('-') +
               QString::number(::getuid());
    }

    static QString channelName() { return place(); }
};

#endif

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent), token(std::make_unique<Token>()), channelName(Token::channelName())
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    if (!token->acquire())
        return false;
    // Whatever a crashed copy left under the name is ours to replace now.
    QLocalServer::removeServer(channelName);
    channel = new QLocalServer(this);
    channel->setSocketOptions(QLocalServer::UserAccessOption);
    connect(channel, &QLocalServer::newConnection, this, &SingleInstance::acceptStarts);
    channel->listen(channelName);
    return true;
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

void SingleInstance::askRunningCopyToShow() const
{
    QLocalSocket socket;
    socket.connectToServer(channelName);
    if (socket.waitForConnected(connectTimeoutMs))
        socket.disconnectFromServer();
}

bool SingleInstance::askRunningCopyToQuickTranslate() const
{
    QLocalSocket socket;
    socket.connectToServer(channelName);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(quickTranslateMessage);
    const bool sent = socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}
