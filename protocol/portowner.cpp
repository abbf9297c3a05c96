#include "protocol/portowner.h"

#include <QFile>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace {

constexpr char listening[] = "0A";

// The kernel prints each 32-bit word of an address as a number in the
// machine's own byte order.
QHostAddress parseAddress(const QByteArray &hex, bool *any)
{
    quint8 bytes[16] = {};
    const int words = int(hex.size() / 8);
    if (words != 1 && words != 4)
        return QHostAddress();
    for (int i = 0; i < words; ++i) {
        const quint32 word = hex.mid(8 * i, 8).toUInt(nullptr, 16);
        std::memcpy(bytes + 4 * i, &word, 4);
    }
    *any = std::all_of(bytes, bytes + 4 * words, [](quint8 b) { return b == 0; });
    return words == 1 ? QHostAddress(qFromBigEndian<quint32>(bytes)) : QHostAddress(bytes);
}

} // namespace

PortOwner::Verdict PortOwner::of(const QHostAddress &address, quint16 port)
{
    bool readable = false;
    bool found = false;
    for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        readable = true;
        file.readLine();
        while (!file.atEnd()) {
            // sl local_address rem_address st tx:rx tr:when retrnsmt uid ...
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            if (fields.size() < 8 || fields[3] != listening)
                continue;
            const QList<QByteArray> local = fields[1].split(':');
            if (local.size() != 2 || local[1].toUInt(nullptr, 16) != port)
                continue;
            bool any = false;
            const QHostAddress bound = parseAddress(local[0], &any);
            if (!any && !bound.isEqual(address, QHostAddress::TolerantConversion))
                continue;
            if (fields[7].toUInt() != ::geteuid())
                return Verdict::OtherUser;
            found = true;
        }
    }
    if (!readable)
        return Verdict::Unknown;
    return found ? Verdict::ThisUser : Verdict::OtherUser;
}
