// Listening through the real speech service: speech-dispatcher with
// espeak-ng plays into a PulseAudio null sink whose sound the test records.
#include "support/speechdesk.h"
#include "support/windowharness.h"

#include <QtTest>

namespace {

constexpr int english = 22;
constexpr int yorubaTarget = 107;
// Peaks of 16-bit samples: espeak-ng speaks at thousands, a silent sink is 0.
constexpr int loud = 2000;
constexpr int quiet = 100;
// A quarter of a second of 16 kHz mono 16-bit sound.
constexpr qint64 quarterSecond = 8000;
// Some fifteen seconds of speech without the pauses of punctuation.
const QString speech = QStringLiteral("the quick brown fox jumps over the lazy dog ").repeated(6);

} // namespace

class TestSpeech : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY2(desk.start(), qPrintable(desk.error()));
    }
    void listenThenStop();

private:
    bool quietNow()
    {
        const qint64 end = desk.recorded();
        return end > quarterSecond && desk.peakSince(end - quarterSecond) < quiet;
    }

    SpeechDesk desk;
    WindowHarness harness;
};

void TestSpeech::listenThenStop()
{
    harness.speechEngine.clear();
    QVERIFY(harness.startPage("<p class=result-container>x"));
    harness.openWindowWithoutServer(QStringLiteral("en_US"));
    QPushButton *source = harness.button("pushButton_listenSource");
    QPushButton *result = harness.button("pushButton_listenResult");
    harness.comboBox("comboBoxFrom")->setCurrentIndex(english);
    harness.comboBox("comboBoxTo")->setCurrentIndex(yorubaTarget);
    harness.sourceBox()->setPlainText(speech);
    // The service lists its voices within seconds; espeak-ng has no Yoruba.
    QTRY_VERIFY_WITH_TIMEOUT(source->isEnabled(), 30000);
    QVERIFY(!result->isEnabled());
    QCOMPARE(result->toolTip(), QStringLiteral("No voice for this language is installed"));
    QTRY_VERIFY(quietNow());

    const qint64 pressed = desk.recorded();
    source->click();
    QCOMPARE(source->toolTip(), QStringLiteral("Stop speaking"));
    QTRY_VERIFY_WITH_TIMEOUT(desk.peakSince(pressed) > loud, 10000);

    source->click();
    QCOMPARE(source->toolTip(), QStringLiteral("Listen to the text"));
    const qint64 stopped = desk.recorded();
    QTRY_VERIFY(desk.recorded() > stopped + quarterSecond && quietNow());
}

QTEST_MAIN(TestSpeech)
#include "tst_speech.moc"
