#include "mainwindow/translationhistory.h"

#include <QtTest>

class TestTranslationHistory : public QObject
{
    Q_OBJECT

private slots:
    void startsEmpty();
    void firstEntryAtPositionZero();
    void entryKeepsLanguageControls();
    void stepsWithinBounds();
    void stepsOnEmptyHistoryDoNothing();
    void singleEntryCannotStep();
    void oldestDroppedPastLimit();
    void browsingRecordsNothingOnce();
    void recordingAfterStepBackAppendsAtEnd();
};

void TestTranslationHistory::startsEmpty()
{
    const TranslationHistory history;
    QVERIFY(history.isEmpty());
    QCOMPARE(history.size(), 0);
    QCOMPARE(history.limit(), 100);
    QCOMPARE(history.position(), 1000000000);
    QVERIFY(!history.isBrowsing());
}

void TestTranslationHistory::firstEntryAtPositionZero()
{
    TranslationHistory history;
    history.recordTranslation(QStringLiteral("T1"), 0, 21, 0);
    QCOMPARE(history.size(), 1);
    QCOMPARE(history.position(), 0);
    QCOMPARE(history.text(0), QStringLiteral("T1"));
}

void TestTranslationHistory::entryKeepsLanguageControls()
{
    TranslationHistory history;
    history.recordTranslation(QStringLiteral("Hallo"), 31, 18, 2);
    history.recordTranslation(QString(), 0, 88, 10);

    QCOMPARE(history.text(0), QStringLiteral("Hallo"));
    QCOMPARE(history.from(0), 31);
    QCOMPARE(history.to(0), 18);
    QCOMPARE(history.displayLanguage(0), 2);
    QVERIFY(history.text(1).isEmpty());
    QCOMPARE(history.from(1), 0);
    QCOMPARE(history.to(1), 88);
    QCOMPARE(history.displayLanguage(1), 10);
    QCOMPARE(history.position(), 1);
}

void TestTranslationHistory::stepsWithinBounds()
{
    TranslationHistory history;
    history.recordTranslation(QStringLiteral("T1"), 1, 1, 0);
    history.recordTranslation(QStringLiteral("T2"), 2, 2, 0);
    history.recordTranslation(QStringLiteral("T3"), 3, 3, 0);
    QCOMPARE(history.position(), 2);

    // Next on the newest entry replays nothing and stays there.
    QVERIFY(!history.stepForward());
    QCOMPARE(history.position(), 2);

    QVERIFY(history.stepBack());
    QCOMPARE(history.position(), 1);
    QCOMPARE(history.text(history.position()), QStringLiteral("T2"));
    QVERIFY(history.stepBack());
    QCOMPARE(history.position(), 0);
    QCOMPARE(history.text(history.position()), QStringLiteral("T1"));

    QVERIFY(!history.stepBack());
    QCOMPARE(history.position(), 0);
    QVERIFY(!history.stepBack());
    QCOMPARE(history.position(), 0);

    QVERIFY(history.stepForward());
    QCOMPARE(history.position(), 1);
    QCOMPARE(history.text(history.position()), QStringLiteral("T2"));
    QVERIFY(history.stepForward());
    QCOMPARE(history.position(), 2);
    QVERIFY(!history.stepForward());
    QCOMPARE(history.position(), 2);

    // Steps never add or remove entries.
    QCOMPARE(history.size(), 3);
}

void TestTranslationHistory::stepsOnEmptyHistoryDoNothing()
{
    TranslationHistory history;
    QVERIFY(!history.stepBack());
    QVERIFY(!history.stepForward());
    QVERIFY(history.isEmpty());
    QCOMPARE(history.position(), 1000000000);
}

void TestTranslationHistory::singleEntryCannotStep()
{
    TranslationHistory history;
    history.recordTranslation(QStringLiteral("only"), 0, 0, 0);
    QVERIFY(!history.stepBack());
    QCOMPARE(history.position(), 0);
    QVERIFY(!history.stepForward());
    QCOMPARE(history.position(), 0);
}

void TestTranslationHistory::oldestDroppedPastLimit()
{
    TranslationHistory history;
    for (int i = 1; i <= 100; ++i)
        history.recordTranslation(QString::number(i), i, i + 1, i % 11);
    QCOMPARE(history.size(), 100);
    QCOMPARE(history.text(0), QStringLiteral("1"));

    history.recordTranslation(QStringLiteral("101"), 101, 102, 101 % 11);
    QCOMPARE(history.size(), 100);
    QCOMPARE(history.position(), 99);
    // All four lists lose their first element together.
    QCOMPARE(history.text(0), QStringLiteral("2"));
    QCOMPARE(history.from(0), 2);
    QCOMPARE(history.to(0), 3);
    QCOMPARE(history.displayLanguage(0), 2);
    QCOMPARE(history.text(99), QStringLiteral("101"));
    QCOMPARE(history.from(99), 101);
    QCOMPARE(history.to(99), 102);
    QCOMPARE(history.displayLanguage(99), 101 % 11);

    history.recordTranslation(QStringLiteral("102"), 0, 0, 0);
    QCOMPARE(history.size(), 100);
    QCOMPARE(history.text(0), QStringLiteral("3"));
}

void TestTranslationHistory::browsingRecordsNothingOnce()
{
    TranslationHistory history;
    history.recordTranslation(QStringLiteral("T1"), 0, 0, 0);
    history.recordTranslation(QStringLiteral("T2"), 0, 0, 0);
    QVERIFY(history.stepBack());

    history.setBrowsing(true);
    history.recordTranslation(QStringLiteral("T1"), 0, 0, 0);
    QVERIFY(!history.isBrowsing());
    QCOMPARE(history.size(), 2);
    QCOMPARE(history.position(), 0);

    history.recordTranslation(QStringLiteral("T3"), 0, 0, 0);
    QCOMPARE(history.size(), 3);
    QCOMPARE(history.position(), 2);
    QCOMPARE(history.text(2), QStringLiteral("T3"));
}

void TestTranslationHistory::recordingAfterStepBackAppendsAtEnd()
{
    TranslationHistory history;
    const QStringList texts = {"T1", "T2", "T3"};
    for (const QString &text : texts)
        history.recordTranslation(text, 0, 0, 0);
    QVERIFY(history.stepBack());
    QVERIFY(history.stepBack());
    QCOMPARE(history.position(), 0);

    history.recordTranslation(QStringLiteral("T4"), 0, 0, 0);
    QCOMPARE(history.size(), 4);
    QCOMPARE(history.position(), 3);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(history.text(i), QStringLiteral("T%1").arg(i + 1));
}

QTEST_APPLESS_MAIN(TestTranslationHistory)
#include "tst_translationhistory.moc"
