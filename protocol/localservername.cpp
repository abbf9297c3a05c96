#include "protocol/localservername.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <sys/stat.h>
#include <unistd.h>

QString LocalServerName::forPort(quint16 port)
{
    const QString folder = privateFolder();
    return folder.isEmpty() ? folder
                            : folder + QStringLiteral("/quillora-server-") + QString::number(port);
}

QString LocalServerName::privateFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivate(runtime))
        return runtime;
    // Never a fixed name in a shared folder such as /tmp, where another user
    // could take it first. One per host, as a home may be shared by several.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/quillora");
    const QString own = cache + QStringLiteral("/runtime-") + QSysInfo::machineHostName();
    QDir().mkpath(cache);
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return isPrivate(own) ? own : QString();
}

bool LocalServerName::isPrivate(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}
