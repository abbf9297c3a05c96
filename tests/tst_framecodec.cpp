#include "net/framecodec.h"

#include <QDataStream>
#include <QtEndian>
#include <QtTest>

namespace {

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(value, reinterpret_cast<uchar *>(bytes.data()));
    return bytes;
}

// The frame as Qt's own stream writes it, with a placeholder length filled in
// afterwards: the reference the codec must match byte for byte.
QByteArray streamFrame(const QString &text)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << quint32(0) << text;
    out.device()->seek(0);
    out << quint32(bytes.size() - 4);
    return bytes;
}

QStringList decodeAll(FrameCodec &codec)
{
    QStringList texts;
    QString text;
    while (codec.next(&text) == FrameCodec::Status::Frame)
        texts.append(text);
    return texts;
}

QString surrogateText()
{
    // U+1F600 and U+10348, each a surrogate pair, around plain letters.
    return QString::fromUtf8("a\xF0\x9F\x98\x80"
                             "b\xF0\x90\x8D\x88");
}

QString units(std::initializer_list<ushort> codes)
{
    QString text;
    for (ushort code : codes)
        text.append(QChar(code));
    return text;
}

const QStringList &sampleTexts()
{
    static const QStringList texts = {
        QStringLiteral("0"), QString(),
        QLatin1String(""),   QStringLiteral("en~de~Hello, world"),
        surrogateText(),     QString::fromUtf8("Grüße aus Köln, 東京"),
        QStringLiteral("00")};
    return texts;
}

QByteArray sampleStream()
{
    QByteArray bytes;
    for (const QString &text : sampleTexts())
        bytes += FrameCodec::encode(text);
    return bytes;
}

void compareTexts(const QStringList &actual, const QStringList &expected)
{
    QCOMPARE(actual, expected);
    // QStringList comparison does not tell a null text from an empty one.
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(actual.at(i).isNull(), expected.at(i).isNull());
}

} // namespace

class TestFrameCodec : public QObject
{
    Q_OBJECT

private slots:
    void encodesExactBytes_data();
    void encodesExactBytes();
    void matchesQtStreamSerialisation_data();
    void matchesQtStreamSerialisation();
    void roundTrips_data();
    void roundTrips();
    void decodesAtEverySplitPoint();
    void decodesByteByByte();
    void readingBytesWantedNeverBuffersPastOneFrame();
    void bytesWantedCountsWhatIsMissing();
    void acceptsFrameAtTheCap();
    void rejectsMalformedFrames_data();
    void rejectsMalformedFrames();
    void deliversFramesBeforeAMalformedOne();
    void staysInErrorUntilReset();
};

void TestFrameCodec::encodesExactBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("zero") << QStringLiteral("0") << QByteArray::fromHex("00000006 00000002 0030");
    QTest::newRow("empty") << QString(QLatin1String(""))
                           << QByteArray::fromHex("00000004 00000000");
    QTest::newRow("null") << QString() << QByteArray::fromHex("00000004 FFFFFFFF");
    QTest::newRow("surrogate pair") << QString::fromUtf8("\xF0\x9F\x98\x80")
                                    << QByteArray::fromHex("00000008 00000004 D83DDE00");
    QTest::newRow("latin") << QString::fromUtf8("ä~")
                           << QByteArray::fromHex("00000008 00000004 00E4007E");
}

void TestFrameCodec::encodesExactBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(FrameCodec::encode(text).toHex(' '), bytes.toHex(' '));
}

void TestFrameCodec::matchesQtStreamSerialisation_data()
{
    QTest::addColumn<QString>("text");
    for (const QString &text : sampleTexts())
        QTest::newRow(qPrintable(text.isNull() ? QStringLiteral("<null>") : text)) << text;
}

void TestFrameCodec::matchesQtStreamSerialisation()
{
    QFETCH(QString, text);
    QCOMPARE(FrameCodec::encode(text), streamFrame(text));

    FrameCodec codec;
    codec.append(streamFrame(text));
    QString decoded;
    QCOMPARE(codec.next(&decoded), FrameCodec::Status::Frame);
    QCOMPARE(decoded, text);
    QCOMPARE(decoded.isNull(), text.isNull());
}

void TestFrameCodec::roundTrips_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("null") << QString();
    QTest::newRow("empty") << QString(QLatin1String(""));
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("surrogate pairs") << surrogateText();
    QTest::newRow("lone surrogates") << units({0xD800, 'x', 0xDFFF});
    QTest::newRow("nul and ffff") << units({0, 0xFFFF, 0xFEFF});
    QTest::newRow("tilde request") << QStringLiteral("auto~ja~line one\nline two\r\n");
    QTest::newRow("100000 units") << QString(100000, QChar(0x4E2D));
}

void TestFrameCodec::roundTrips()
{
    QFETCH(QString, text);
    FrameCodec codec;
    codec.append(FrameCodec::encode(text));
    QString decoded;
    QCOMPARE(codec.next(&decoded), FrameCodec::Status::Frame);
    QCOMPARE(decoded, text);
    QCOMPARE(decoded.isNull(), text.isNull());
    QCOMPARE(codec.bufferedBytes(), 0);
    QCOMPARE(codec.next(&decoded), FrameCodec::Status::NeedMore);
}

void TestFrameCodec::decodesAtEverySplitPoint()
{
    const QByteArray stream = sampleStream();
    for (int split = 0; split <= stream.size(); ++split) {
        FrameCodec codec;
        codec.append(stream.left(split));
        QStringList texts = decodeAll(codec);
        codec.append(stream.mid(split));
        texts += decodeAll(codec);
        compareTexts(texts, sampleTexts());
        QCOMPARE(codec.bufferedBytes(), 0);
        QVERIFY(!codec.hasError());
    }
}

void TestFrameCodec::decodesByteByByte()
{
    const QByteArray stream = sampleStream();
    FrameCodec codec;
    QStringList texts;
    for (char byte : stream) {
        codec.append(&byte, 1);
        texts += decodeAll(codec);
    }
    compareTexts(texts, sampleTexts());
}

void TestFrameCodec::readingBytesWantedNeverBuffersPastOneFrame()
{
    const QStringList expected = {QString(300, QChar('x')), QStringLiteral("0"), QString()};
    QByteArray stream;
    for (const QString &text : expected)
        stream += FrameCodec::encode(text);

    FrameCodec codec;
    QStringList texts;
    int position = 0;
    int frameIndex = 0;
    while (position < stream.size()) {
        const qint64 wanted = codec.bytesWanted();
        QVERIFY(wanted > 0);
        codec.append(stream.constData() + position, wanted);
        position += int(wanted);
        QVERIFY(codec.bufferedBytes() <= FrameCodec::encode(expected.at(frameIndex)).size());
        QString text;
        if (codec.next(&text) == FrameCodec::Status::Frame) {
            texts.append(text);
            ++frameIndex;
        }
    }
    compareTexts(texts, expected);
}

void TestFrameCodec::bytesWantedCountsWhatIsMissing()
{
    const QByteArray frame = FrameCodec::encode(QStringLiteral("abc")); // 4 + 4 + 6 bytes
    FrameCodec codec;
    QCOMPARE(codec.bytesWanted(), 4);
    codec.append(frame.left(3));
    QCOMPARE(codec.bytesWanted(), 1);
    codec.append(frame.mid(3, 1));
    QCOMPARE(codec.bytesWanted(), 10);
    codec.append(frame.mid(4, 9));
    QCOMPARE(codec.bytesWanted(), 1);
    QCOMPARE(codec.next(nullptr), FrameCodec::Status::NeedMore);
    codec.append(frame.mid(13));
    QCOMPARE(codec.bytesWanted(), 0);
    QString text;
    QCOMPARE(codec.next(&text), FrameCodec::Status::Frame);
    QCOMPARE(text, QStringLiteral("abc"));
    QCOMPARE(codec.bytesWanted(), 4);
}

void TestFrameCodec::acceptsFrameAtTheCap()
{
    const int units = int((FrameCodec::maxFrameSize - 4) / 2);
    const QString text(units, QChar('q'));
    const QByteArray frame = FrameCodec::encode(text);
    QCOMPARE(quint32(frame.size()), 4 + FrameCodec::maxFrameSize);

    FrameCodec codec;
    codec.append(frame.left(8));
    QCOMPARE(codec.bytesWanted(), qint64(FrameCodec::maxFrameSize) - 4);
    codec.append(frame.mid(8));
    QString decoded;
    QCOMPARE(codec.next(&decoded), FrameCodec::Status::Frame);
    QCOMPARE(decoded.size(), units);
    QVERIFY(decoded == text);
}

void TestFrameCodec::rejectsMalformedFrames_data()
{
    QTest::addColumn<QByteArray>("frame");
    // How many leading bytes suffice to see the fault; the rest never matters.
    QTest::addColumn<int>("visibleAfter");

    QTest::newRow("length 0") << bigEndian32(0) << 4;
    QTest::newRow("length 3") << bigEndian32(3) + QByteArray(3, 'a') << 4;
    QTest::newRow("one over the cap") << bigEndian32(FrameCodec::maxFrameSize + 1) << 4;
    QTest::newRow("negative length") << bigEndian32(0x80000000u) << 4;
    QTest::newRow("length -1") << bigEndian32(0xFFFFFFFFu) << 4;
    QTest::newRow("odd byte count")
        << bigEndian32(7) + bigEndian32(3) + QByteArray::fromHex("004100") << 8;
    QTest::newRow("count below length")
        << bigEndian32(8) + bigEndian32(2) + QByteArray::fromHex("00410042") << 8;
    QTest::newRow("count above length")
        << bigEndian32(6) + bigEndian32(4) + QByteArray::fromHex("0041") << 8;
    QTest::newRow("null marker with body")
        << bigEndian32(6) + bigEndian32(0xFFFFFFFFu) + QByteArray::fromHex("0041") << 8;
    QTest::newRow("huge count in small frame")
        << bigEndian32(10) + bigEndian32(0x7FFFFFFEu) + QByteArray(6, 'a') << 8;
}

void TestFrameCodec::rejectsMalformedFrames()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, visibleAfter);

    // Fed one byte at a time, the codec must not report the fault before it can
    // see it, and must report it as soon as it can, before the body arrives.
    FrameCodec codec;
    for (int i = 0; i < frame.size(); ++i) {
        codec.append(frame.constData() + i, 1);
        QString text = QStringLiteral("untouched");
        const FrameCodec::Status result = codec.next(&text);
        if (i + 1 < visibleAfter) {
            QCOMPARE(result, FrameCodec::Status::NeedMore);
            continue;
        }
        QCOMPARE(result, FrameCodec::Status::Malformed);
        QCOMPARE(text, QStringLiteral("untouched"));
        QVERIFY(codec.hasError());
        QCOMPARE(codec.bytesWanted(), 0);
        break;
    }
    QVERIFY(codec.hasError());
}

void TestFrameCodec::deliversFramesBeforeAMalformedOne()
{
    FrameCodec codec;
    codec.append(FrameCodec::encode(QStringLiteral("first")) + FrameCodec::encode(QString()) +
                 bigEndian32(FrameCodec::maxFrameSize + 1));
    QString text;
    QCOMPARE(codec.next(&text), FrameCodec::Status::Frame);
    QCOMPARE(text, QStringLiteral("first"));
    QCOMPARE(codec.next(&text), FrameCodec::Status::Frame);
    QVERIFY(text.isNull());
    QCOMPARE(codec.next(&text), FrameCodec::Status::Malformed);
}

void TestFrameCodec::staysInErrorUntilReset()
{
    FrameCodec codec;
    codec.append(bigEndian32(2));
    QCOMPARE(codec.next(nullptr), FrameCodec::Status::Malformed);
    codec.append(FrameCodec::encode(QStringLiteral("later")));
    QCOMPARE(codec.next(nullptr), FrameCodec::Status::Malformed);
    QCOMPARE(codec.bytesWanted(), 0);

    codec.reset();
    QVERIFY(!codec.hasError());
    QCOMPARE(codec.bufferedBytes(), 0);
    codec.append(FrameCodec::encode(QStringLiteral("later")));
    QString text;
    QCOMPARE(codec.next(&text), FrameCodec::Status::Frame);
    QCOMPARE(text, QStringLiteral("later"));
}

QTEST_APPLESS_MAIN(TestFrameCodec)
#include "tst_framecodec.moc"
