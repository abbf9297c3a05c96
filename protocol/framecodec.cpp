#include "protocol/framecodec.h"

#include <QtEndian>

namespace {

constexpr quint32 nullStringMarker = 0xFFFFFFFFu;

quint32 readBigEndian32(const char *p)
{
    return qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(p));
}

// Judges a frame by as much of its start as has arrived. The string's own byte
// count follows the length field, so a body that cannot be one well-formed
// string is refused before any of it is buffered.
bool plausibleFrameStart(const char *frame, qint64 available)
{
    const quint32 bodySize = readBigEndian32(frame);
    if (bodySize < 4 || bodySize > FrameCodec::maxFrameSize)
        return false;
    if (available < 8)
        return true;
    const quint32 stringBytes = readBigEndian32(frame + 4);
    if (stringBytes == nullStringMarker)
        return bodySize == 4;
    return stringBytes % 2 == 0 && stringBytes == bodySize - 4;
}

} // namespace

QByteArray FrameCodec::encode(const QString &text)
{
    if (text.isNull()) {
        QByteArray frame(8, '\0');
        qToBigEndian<quint32>(4, reinterpret_cast<uchar *>(frame.data()));
        qToBigEndian<quint32>(nullStringMarker, reinterpret_cast<uchar *>(frame.data() + 4));
        return frame;
    }
    const int units = text.size();
    const quint32 stringBytes = quint32(units) * 2u;
    QByteArray frame(int(8 + stringBytes), Qt::Uninitialized);
    uchar *out = reinterpret_cast<uchar *>(frame.data());
    qToBigEndian<quint32>(4u + stringBytes, out);
    qToBigEndian<quint32>(stringBytes, out + 4);
    qToBigEndian<quint16>(reinterpret_cast<const quint16 *>(text.utf16()), units, out + 8);
    return frame;
}

void FrameCodec::append(const QByteArray &bytes)
{
    append(bytes.constData(), bytes.size());
}

void FrameCodec::append(const char *data, qint64 size)
{
    if (error || size <= 0)
        return;
    compact();
    const qint64 needed = buffer.size() + size;
    if (needed > buffer.capacity()) {
        // Grow by doubling, as QByteArray would, but never past the end of the
        // frame being read: a frame at the cap then takes the cap, not twice
        // it, and a length field alone reserves nothing ahead of its body.
        qint64 target = qMax(needed, 2 * qint64(buffer.capacity()));
        if (needed >= 4) {
            char head[4];
            for (int i = 0; i < 4; ++i)
                head[i] = i < buffer.size() ? buffer.at(i) : data[i - buffer.size()];
            const quint32 bodySize = readBigEndian32(head);
            const qint64 frameEnd = 4 + qint64(bodySize);
            if (bodySize <= maxFrameSize && needed <= frameEnd)
                target = qMin(target, frameEnd);
        }
        buffer.reserve(int(target));
    }
    buffer.append(data, int(size));
}

FrameCodec::Status FrameCodec::next(QString *text)
{
    if (error)
        return Status::Malformed;
    const qint64 available = bufferedBytes();
    if (available < 4)
        return Status::NeedMore;
    const char *frame = buffer.constData() + readOffset;
    if (!plausibleFrameStart(frame, available)) {
        error = true;
        return Status::Malformed;
    }
    const quint32 bodySize = readBigEndian32(frame);
    if (available < 4 + qint64(bodySize))
        return Status::NeedMore;

    QString decoded;
    if (readBigEndian32(frame + 4) != nullStringMarker) {
        const int units = int((bodySize - 4) / 2);
        decoded.resize(units);
        qFromBigEndian<quint16>(frame + 8, units, reinterpret_cast<quint16 *>(decoded.data()));
        if (units == 0)
            decoded = QString(QLatin1String(""));
    }
    readOffset += 4 + qint64(bodySize);
    if (text)
        *text = decoded;
    return Status::Frame;
}

qint64 FrameCodec::bytesWanted() const
{
    if (error)
        return 0;
    const qint64 available = bufferedBytes();
    if (available < 4)
        return 4 - available;
    const char *frame = buffer.constData() + readOffset;
    if (!plausibleFrameStart(frame, available))
        return 0;
    const qint64 missing = 4 + qint64(readBigEndian32(frame)) - available;
    return missing > 0 ? missing : 0;
}

void FrameCodec::reset()
{
    buffer.clear();
    readOffset = 0;
    error = false;
}

void FrameCodec::compact()
{
    if (readOffset == 0)
        return;
    // Dropping a fully read buffer also frees the room reserved for a big frame.
    if (readOffset >= buffer.size())
        buffer.clear();
    else
        buffer.remove(0, int(readOffset));
    readOffset = 0;
}
