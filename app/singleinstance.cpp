#include "app/singleinstance.h"

const char *const SingleInstance::defaultKey = "Zerizoriva-Dezizi";

SingleInstance::SingleInstance(const QString &key) : token(key) {}

bool SingleInstance::acquire()
{
    // On Unix a segment outlives a copy that crashed or was killed, and would
    // refuse every later start. Attaching and detaching removes a segment that
    // nobody else is attached to and leaves a live copy's segment alone, so
    // two running copies stay impossible.
    {
        QSharedMemory stale(token.key());
        if (stale.attach())
            stale.detach();
    }
    return token.create(segmentSize, QSharedMemory::ReadWrite);
}
