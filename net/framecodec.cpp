#include "framecodec.h"

#include <QtEndian>

namespace {

constexpr quint32 nullStringMarker = 0xFFFFFFFFu;

quint32 readBigEndian32(const char *p)
{
    return qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(p));
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
    const quint32 bodySize = readBigEndian32(frame);
    if (bodySize < 4 || bodySize > maxFrameSize) {
        error = true;
        return Status::Malformed;
    }
    if (available < 4 + qint64(bodySize))
        return Status::NeedMore;

    const quint32 stringBytes = readBigEndian32(frame + 4);
    QString decoded;
    if (stringBytes == nullStringMarker) {
        if (bodySize != 4) {
            error = true;
            return Status::Malformed;
        }
    } else {
        if (stringBytes % 2 != 0 || stringBytes != bodySize - 4) {
            error = true;
            return Status::Malformed;
        }
        const int units = int(stringBytes / 2);
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
    const quint32 bodySize = readBigEndian32(buffer.constData() + readOffset);
    if (bodySize < 4 || bodySize > maxFrameSize)
        return 0;
    const qint64 missing = 4 + qint64(bodySize) - available;
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
    buffer.remove(0, int(readOffset));
    readOffset = 0;
}
