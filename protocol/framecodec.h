#ifndef FRAMECODEC_H
#define FRAMECODEC_H

#include <QByteArray>
#include <QString>

// One text message on the server link travels as a frame: a 32-bit big-endian
// body length N, then the text as QDataStream serialises a QString (a 32-bit
// big-endian byte count, or 0xFFFFFFFF for a null string, then UTF-16BE).
//
// The decoder takes a byte stream split anywhere and gives back whole texts.
// A frame that declares more than maxFrameSize body bytes, or whose body is
// not exactly one well-formed string, is malformed: nothing of it is handed
// out and the decoder stays in error until reset(). Callers that read only
// bytesWanted() bytes at a time never buffer more than one frame.
class FrameCodec
{
public:
    static constexpr quint32 maxFrameSize = 16u * 1024u * 1024u;
    // The most UTF-16 units one frame carries.
    static constexpr int maxTextLength = int((maxFrameSize - 4) / 2);

    enum class Status
    {
        NeedMore,
        Frame,
        Malformed
    };

    static QByteArray encode(const QString &text);

    void append(const QByteArray &bytes);
    void append(const char *data, qint64 size);

    // Takes the next complete frame out of the buffer. Frame: *text holds it.
    Status next(QString *text);

    // Bytes that must still arrive before the frame being read can complete;
    // 0 when a whole frame is already buffered or the decoder is in error.
    qint64 bytesWanted() const;

    qint64 bufferedBytes() const { return buffer.size() - readOffset; }
    bool hasError() const { return error; }
    void reset();

private:
    void compact();

    QByteArray buffer;
    qint64 readOffset = 0;
    bool error = false;
};

#endif
