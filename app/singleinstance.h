#ifndef SINGLEINSTANCE_H
#define SINGLEINSTANCE_H

#include <QSharedMemory>
#include <QString>

// The token that lets only one copy of the client run per user login: a small
// shared-memory segment under a fixed key, held for the whole run and
// released when the object is destroyed.
class SingleInstance
{
public:
    static const char *const defaultKey;
    static constexpr int segmentSize = 512;

    explicit SingleInstance(const QString &key = QString::fromLatin1(defaultKey));

    // True when this process now holds the token; false when another live
    // copy holds it.
    bool acquire();

private:
    QSharedMemory token;
};

#endif
