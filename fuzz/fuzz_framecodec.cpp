// Feeds the frame decoder arbitrary bytes in arbitrary pieces. The first bytes
// of the input choose how the stream is cut; the rest is the stream. Checks:
// every decoded text re-encodes to exactly the bytes it was read from; the way
// the stream is cut changes nothing; a decoder fed only what it asks for never
// holds more than the frame it is reading, and never stalls while it waits.
#include "net/framecodec.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Outcome
{
    QStringList texts;
    QList<bool> nulls;
    bool malformed = false;
};

// Takes every complete frame out of the decoder, checking each against the
// stream at the position where it must have started.
void drain(FrameCodec &codec, const QByteArray &stream, int &consumed, Outcome &outcome)
{
    QString text;
    for (;;) {
        const FrameCodec::Status status = codec.next(&text);
        if (status == FrameCodec::Status::NeedMore)
            return;
        if (status == FrameCodec::Status::Malformed) {
            outcome.malformed = true;
            check(codec.hasError());
            check(codec.bytesWanted() == 0);
            check(codec.next(&text) == FrameCodec::Status::Malformed);
            return;
        }
        const QByteArray encoded = FrameCodec::encode(text);
        check(encoded == stream.mid(consumed, encoded.size()));
        consumed += encoded.size();
        outcome.texts.append(text);
        outcome.nulls.append(text.isNull());
    }
}

Outcome decodeWhole(const QByteArray &stream)
{
    FrameCodec codec;
    Outcome outcome;
    int consumed = 0;
    codec.append(stream);
    drain(codec, stream, consumed, outcome);
    return outcome;
}

Outcome decodeInPieces(const QByteArray &stream, const uint8_t *cuts, size_t cutCount)
{
    FrameCodec codec;
    Outcome outcome;
    int consumed = 0;
    int position = 0;
    size_t cut = 0;
    while (position < stream.size() && !outcome.malformed) {
        const int piece = cutCount == 0 ? 1 : 1 + cuts[cut++ % cutCount] % 64;
        const int size = qMin(piece, stream.size() - position);
        codec.append(stream.constData() + position, size);
        position += size;
        drain(codec, stream, consumed, outcome);
    }
    return outcome;
}

// Reads the way the client does: never more than the decoder still wants.
Outcome decodeAsAsked(const QByteArray &stream)
{
    FrameCodec codec;
    Outcome outcome;
    int consumed = 0;
    int position = 0;
    while (position < stream.size() && !outcome.malformed) {
        const qint64 wanted = codec.bytesWanted();
        // A decoder that needs more must say how much, or a reader would stall.
        check(wanted > 0);
        const int size = int(qMin<qint64>(wanted, stream.size() - position));
        codec.append(stream.constData() + position, size);
        position += size;
        drain(codec, stream, consumed, outcome);
        if (!outcome.malformed) {
            const qint64 held = codec.bufferedBytes();
            check(held == position - consumed);
            // What is held never reaches past the frame being read.
            if (held >= 4)
                check(held <= 4 + qint64(qFromBigEndian<quint32>(stream.constData() + consumed)));
        }
        if (!outcome.malformed && codec.bytesWanted() == 0)
            check(codec.next(nullptr) != FrameCodec::Status::NeedMore);
    }
    return outcome;
}

void checkSame(const Outcome &a, const Outcome &b)
{
    check(a.texts == b.texts);
    check(a.nulls == b.nulls);
    check(a.malformed == b.malformed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t cutCount = qMin<size_t>(data[0] % 8, size - 1);
    const uint8_t *cuts = data + 1;
    const QByteArray stream(reinterpret_cast<const char *>(data + 1 + cutCount),
                            int(size - 1 - cutCount));

    const Outcome whole = decodeWhole(stream);
    checkSame(decodeInPieces(stream, cuts, cutCount), whole);
    checkSame(decodeAsAsked(stream), whole);
    return 0;
}
