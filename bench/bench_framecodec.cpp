// Throughput of the frame codec for a short text (10 units, a typical command)
// and a long one (100 000 units, a large translation): frames per second and
// bytes per second of wire data, encoding and decoding.
#include "protocol/framecodec.h"

#include <QString>

#include <benchmark/benchmark.h>

namespace {

QString sampleText(int units)
{
    QString text;
    text.reserve(units);
    for (int i = 0; i < units; ++i)
        text.append(QChar(i % 7 == 0 ? 0x4E2D : 'a' + i % 26));
    return text;
}

void reportThroughput(benchmark::State &state, qint64 frameBytes)
{
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * frameBytes);
}

void BM_Encode(benchmark::State &state)
{
    const QString text = sampleText(int(state.range(0)));
    for (auto _ : state) {
        QByteArray frame = FrameCodec::encode(text);
        benchmark::DoNotOptimize(frame.data());
    }
    reportThroughput(state, FrameCodec::encode(text).size());
}

// The whole frame handed over at once, as the server reads.
void BM_DecodeWhole(benchmark::State &state)
{
    const QByteArray frame = FrameCodec::encode(sampleText(int(state.range(0))));
    FrameCodec codec;
    QString text;
    for (auto _ : state) {
        codec.append(frame);
        if (codec.next(&text) != FrameCodec::Status::Frame)
            state.SkipWithError("frame not decoded");
        benchmark::DoNotOptimize(text.data());
    }
    reportThroughput(state, frame.size());
}

// Handed over no more than the decoder asks for, in pieces of at most 64 KiB,
// as the client reads from its socket.
void BM_DecodeAsClientReads(benchmark::State &state)
{
    const QByteArray frame = FrameCodec::encode(sampleText(int(state.range(0))));
    constexpr qint64 chunk = 64 * 1024;
    FrameCodec codec;
    QString text;
    for (auto _ : state) {
        qint64 position = 0;
        FrameCodec::Status status;
        while ((status = codec.next(&text)) == FrameCodec::Status::NeedMore) {
            const qint64 size = qMin(codec.bytesWanted(), chunk);
            codec.append(frame.constData() + position, size);
            position += size;
        }
        if (status != FrameCodec::Status::Frame)
            state.SkipWithError("frame not decoded");
        benchmark::DoNotOptimize(text.data());
    }
    reportThroughput(state, frame.size());
}

} // namespace

BENCHMARK(BM_Encode)->Arg(10)->Arg(100000);
BENCHMARK(BM_DecodeWhole)->Arg(10)->Arg(100000);
BENCHMARK(BM_DecodeAsClientReads)->Arg(10)->Arg(100000);

BENCHMARK_MAIN();
