#include "server/connections/logthrottle.h"

#include <QtDebug>

LogThrottle::LogThrottle(int intervalMs, QObject *parent) : QObject(parent)
{
    timer.setSingleShot(true);
    timer.setInterval(intervalMs);
    connect(&timer, &QTimer::timeout, this, &LogThrottle::summarise);
}

LogThrottle::~LogThrottle()
{
    summarise();
}

void LogThrottle::note(const QString &kind, const QString &line)
{
    if (!timer.isActive())
        timer.start();
    auto seen = held.find(kind);
    if (seen != held.end()) {
        ++*seen;
        return;
    }
    held.insert(kind, 0);
    qInfo().noquote() << line;
}

void LogThrottle::summarise()
{
    for (auto kind = held.cbegin(); kind != held.cend(); ++kind) {
        if (*kind > 0)
            qInfo().noquote() << QStringLiteral("%1 more in %2 s: %3")
                                     .arg(*kind)
                                     .arg(timer.interval() / 1000.0)
                                     .arg(kind.key());
    }
    held.clear();
}
