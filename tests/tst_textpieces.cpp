#include "mainwindow/textpieces.h"

#include <QRandomGenerator>
#include <QtTest>

#include <climits>

namespace {

// U+1F600 as its two UTF-16 halves.
const QString pair = QString::fromUtf16(u"\U0001F600");
const QChar high = pair.at(0);
const QChar low = pair.at(1);

QString repeated(char c, int count)
{
    return QString(count, QLatin1Char(c));
}

// True when some piece ends with the first half of a pair whose second half
// starts the next piece.
bool splitsAPair(const QStringList &pieces)
{
    for (int i = 0; i + 1 < pieces.size(); ++i) {
        if (!pieces.at(i).isEmpty() && pieces.at(i).back().isHighSurrogate() &&
            !pieces.at(i + 1).isEmpty() && pieces.at(i + 1).front().isLowSurrogate())
            return true;
    }
    return false;
}

} // namespace

class TestTextPieces : public QObject
{
    Q_OBJECT

private slots:
    void cutToLimit_data();
    void cutToLimit();
    void split_data();
    void split();
    void randomTextsJoinBackWithoutSplitPairs();
};

void TestTextPieces::cutToLimit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("expected");

    QTest::newRow("shorter than text") << "abcdef" << 3 << "abc";
    QTest::newRow("exactly the length") << "abc" << 3 << "abc";
    QTest::newRow("longer than text") << "abc" << 10 << "abc";
    QTest::newRow("zero") << "abc" << 0 << "";
    QTest::newRow("minus one keeps all") << "abc" << -1 << "abc";
    QTest::newRow("minus five keeps all") << "abc" << -5 << "abc";
    QTest::newRow("most negative keeps all") << "abc" << INT_MIN << "abc";
    QTest::newRow("empty text") << "" << 5 << "";
    QTest::newRow("empty text, zero") << "" << 0 << "";
    QTest::newRow("empty text, negative") << "" << -1 << "";
    QTest::newRow("cut inside a pair moves back")
        << QString(QStringLiteral("ab") + pair + QStringLiteral("c")) << 3 << "ab";
    QTest::newRow("cut after a pair") << QString(QStringLiteral("ab") + pair + QStringLiteral("c"))
                                      << 4 << QString(QStringLiteral("ab") + pair);
    QTest::newRow("cut before a pair")
        << QString(QStringLiteral("ab") + pair + QStringLiteral("c")) << 2 << "ab";
    QTest::newRow("cut inside a leading pair") << QString(pair + QStringLiteral("abc")) << 1 << "";
    QTest::newRow("cut inside a trailing pair")
        << QString(QStringLiteral("abc") + pair) << 4 << "abc";
    QTest::newRow("whole text ending in a pair")
        << QString(QStringLiteral("abc") + pair) << 5 << QString(QStringLiteral("abc") + pair);
    QTest::newRow("two pairs, cut between them") << QString(pair + pair) << 2 << QString(pair);
    QTest::newRow("two pairs, cut inside the second") << QString(pair + pair) << 3 << QString(pair);
    // Lone halves are no pair: the cut stays where it falls.
    QTest::newRow("lone high half before a letter")
        << QString(QStringLiteral("a") + high + QStringLiteral("b")) << 2
        << QString(QStringLiteral("a") + high);
    QTest::newRow("lone low half")
        << QString(QString(low) + QStringLiteral("ab")) << 1 << QString(low);
    QTest::newRow("limit 1800 across a pair")
        << QString(repeated('a', 1799) + pair + QStringLiteral("b")) << 1800 << repeated('a', 1799);
}

void TestTextPieces::cutToLimit()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QString, expected);

    QCOMPARE(TextPieces::cutToLimit(text, limit), expected);
}

void TestTextPieces::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pieceLength");
    QTest::addColumn<QStringList>("expected");

    const int web = TextPieces::webPieceLength;
    QTest::newRow("empty text, no pieces") << "" << web << QStringList();
    QTest::newRow("short text, one piece") << "abc" << web << QStringList{"abc"};
    QTest::newRow("exactly one piece")
        << repeated('a', 1800) << web << QStringList{repeated('a', 1800)};
    QTest::newRow("one unit over") << QString(repeated('a', 1800) + QStringLiteral("b")) << web
                                   << QStringList{repeated('a', 1800), "b"};
    QTest::newRow("exactly two pieces") << QString(repeated('a', 1800) + repeated('b', 1800)) << web
                                        << QStringList{repeated('a', 1800), repeated('b', 1800)};
    QTest::newRow("two pieces and one unit")
        << QString(repeated('a', 1800) + repeated('b', 1800) + QStringLiteral("c")) << web
        << QStringList{repeated('a', 1800), repeated('b', 1800), "c"};
    QTest::newRow("pair across the first boundary")
        << QString(repeated('a', 1799) + pair + QStringLiteral("b")) << web
        << QStringList{repeated('a', 1799), QString(pair + QStringLiteral("b"))};
    QTest::newRow("pair ending at the boundary")
        << QString(repeated('a', 1798) + pair + QStringLiteral("b")) << web
        << QStringList{QString(repeated('a', 1798) + pair), "b"};
    QTest::newRow("pair starting the second piece")
        << QString(repeated('a', 1800) + pair) << web
        << QStringList{repeated('a', 1800), QString(pair)};
    QTest::newRow("pair across the second boundary")
        << QString(repeated('a', 1800) + repeated('b', 1799) + pair + QStringLiteral("c")) << web
        << QStringList{repeated('a', 1800), repeated('b', 1799),
                       QString(pair + QStringLiteral("c"))};
    {
        // Every boundary after a shifted one stays shifted: 1799, then 1800
        // units each, because every following piece starts on a high half.
        QString pairs;
        for (int i = 0; i < 1900; ++i)
            pairs += pair;
        const QString text = QStringLiteral("x") + pairs;
        QTest::newRow("text of pairs after one letter")
            << text << web
            << QStringList{text.mid(0, 1799), text.mid(1799, 1800), text.mid(3599, 202)};
    }
    QTest::newRow("small pieces") << "abcde" << 2 << QStringList{"ab", "cd", "e"};
    QTest::newRow("small pieces, exact multiple") << "abcdef" << 3 << QStringList{"abc", "def"};
    QTest::newRow("pieces of two around a pair")
        << QString(QStringLiteral("a") + pair) << 2 << QStringList{"a", QString(pair)};
    // A pair never fits a one-unit piece; it travels whole instead of halved.
    QTest::newRow("pieces of one keep a pair whole")
        << QString(QStringLiteral("a") + pair + QStringLiteral("b")) << 1
        << QStringList{"a", QString(pair), "b"};
    // A length below one still makes progress, one unit at a time.
    QTest::newRow("piece length zero") << "abc" << 0 << QStringList{"a", "b", "c"};
    QTest::newRow("negative piece length") << "ab" << -3 << QStringList{"a", "b"};
    QTest::newRow("lone high half may end a piece")
        << QString(QStringLiteral("a") + high + QStringLiteral("b")) << 2
        << QStringList{QString(QStringLiteral("a") + high), "b"};
}

void TestTextPieces::split()
{
    QFETCH(QString, text);
    QFETCH(int, pieceLength);
    QFETCH(QStringList, expected);

    const QStringList pieces = TextPieces::split(text, pieceLength);
    QCOMPARE(pieces, expected);
    QCOMPARE(pieces.join(QString()), text);
}

void TestTextPieces::randomTextsJoinBackWithoutSplitPairs()
{
    QRandomGenerator random(20261206);
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int units = int(random.bounded(0, 400));
        while (text.size() < units) {
            if (random.bounded(3) == 0)
                text += pair;
            else
                text += QChar(ushort('a' + random.bounded(26)));
        }
        const int pieceLength = int(random.bounded(1, 12));
        const QStringList pieces = TextPieces::split(text, pieceLength);

        QCOMPARE(pieces.join(QString()), text);
        QVERIFY2(!splitsAPair(pieces),
                 qPrintable(QStringLiteral("piece length %1").arg(pieceLength)));
        for (const QString &piece : pieces) {
            QVERIFY(!piece.isEmpty());
            QVERIFY(piece.size() <= qMax(pieceLength, 2));
            // A piece is only ever shortened by the one unit of a pair.
            if (&piece != &pieces.constLast() && pieceLength > 1)
                QVERIFY(piece.size() >= pieceLength - 1);
        }

        const int limit = int(random.bounded(-2, units + 2));
        const QString cut = TextPieces::cutToLimit(text, limit);
        QVERIFY(text.startsWith(cut));
        if (limit < 0 || limit >= text.size())
            QCOMPARE(cut, text);
        else
            QVERIFY(cut.size() == limit || cut.size() == limit - 1);
        QVERIFY(cut.isEmpty() || !cut.back().isHighSurrogate() || cut.size() == text.size() ||
                !text.at(cut.size()).isLowSurrogate());
    }
}

QTEST_APPLESS_MAIN(TestTextPieces)
#include "tst_textpieces.moc"
