// Feeds the frame decoder arbitrary bytes, once whole and once the way the
// client reads: never more than the decoder says it wants. Checks: both give
// the same texts; every text re-encodes to exactly the bytes it came from; a
// decoder that waits says for how many bytes and holds no more than the frame
// it is reading.
#include "protocol/framecodec.h"

#include <QStringList>
#include <QtEndian>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Takes every complete frame out; "malformed" ends the list once one is.
void drain(FrameCodec &codec, const QByteArray &stream, int &consumed, QStringList &texts)
{
    QString text;
    for (FrameCodec::Status status; (status = codec.next(&text)) != FrameCodec::Status::NeedMore;) {
        if (status == FrameCodec::Status::Malformed) {
            check(codec.bytesWanted() == 0 && codec.next(&text) == status);
            texts.append(QStringLiteral("malformed"));
            return;
        }
        const QByteArray encoded = FrameCodec::encode(text);
        check(encoded == stream.mid(consumed, encoded.size()));
        consumed += encoded.size();
        texts.append(text.isNull() ? QStringLiteral("null") : QLatin1Char('=') + text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray stream(reinterpret_cast<const char *>(data), int(size));
    FrameCodec whole;
    QStringList wholeTexts;
    int consumed = 0;
    whole.append(stream);
    drain(whole, stream, consumed, wholeTexts);

    FrameCodec asked;
    QStringList askedTexts;
    consumed = 0;
    for (int position = 0; position < stream.size() && !asked.hasError();) {
        const qint64 wanted = asked.bytesWanted();
        check(wanted > 0);
        const int piece = int(qMin<qint64>(wanted, stream.size() - position));
        asked.append(stream.constData() + position, piece);
        position += piece;
        drain(asked, stream, consumed, askedTexts);
        const qint64 held = asked.bufferedBytes();
        if (!asked.hasError() && held >= 4)
            check(held <= 4 + qint64(qFromBigEndian<quint32>(stream.constData() + consumed)));
    }
    check(askedTexts == wholeTexts);
    return 0;
}
