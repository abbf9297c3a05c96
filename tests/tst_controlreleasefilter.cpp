#include "platform/controlreleasefilter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtTest>

namespace {

constexpr unsigned leftControl = 37;
constexpr unsigned rightControl = 105;
constexpr unsigned leftAlt = 64;
constexpr unsigned rightAlt = 108;
constexpr unsigned letterC = 54;

unsigned keyByLetter(QChar letter)
{
    switch (letter.toLatin1()) {
    case 'L':
        return leftControl;
    case 'R':
        return rightControl;
    case 'A':
        return leftAlt;
    case 'G':
        return rightAlt;
    default:
        return letterC;
    }
}

} // namespace

// Event scripts: "+L" presses and "-L" releases a key (L left Ctrl, R right
// Ctrl, A left Alt, G right Alt, C the letter c); "|" takes the releases.
class ControlReleaseFilterTest : public QObject
{
    Q_OBJECT

private slots:
    void countsReleasesLikeWindows_data();
    void countsReleasesLikeWindows();
};

void ControlReleaseFilterTest::countsReleasesLikeWindows_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QList<int>>("taken");

    QTest::newRow("one tap") << "+L -L |" << QList<int>{1};
    QTest::newRow("two taps at once") << "+L -L +L -L |" << QList<int>{2};
    QTest::newRow("two taps apart") << "+L -L | +L -L |" << QList<int>{1, 1};
    QTest::newRow("held with autorepeat") << "+L +L +L +L -L |" << QList<int>{1};
    QTest::newRow("right control") << "+R -R | +R -R |" << QList<int>{0, 0};
    QTest::newRow("both controls") << "+R +L -R -L |" << QList<int>{1};
    QTest::newRow("ordinary ctrl+c") << "+L +C -C -L |" << QList<int>{1};
    QTest::newRow("letter only") << "+C -C |" << QList<int>{0};
    QTest::newRow("release while left alt held") << "+A +L -L -A |" << QList<int>{0};
    QTest::newRow("release while right alt held") << "+G +L -L -G |" << QList<int>{0};
    QTest::newRow("release while alt autorepeats") << "+A +A +L +A -L -A |" << QList<int>{0};
    QTest::newRow("one alt of two let go") << "+A +G +L -A -L -G |" << QList<int>{0};
    QTest::newRow("release after alt let go") << "+A +L -A -L |" << QList<int>{1};
    QTest::newRow("alt pressed after release") << "+L -L +A -A |" << QList<int>{1};
    QTest::newRow("alt released without press") << "-A +L -L |" << QList<int>{1};
    QTest::newRow("press alone") << "+L |" << QList<int>{0};
    QTest::newRow("taking resets") << "+L -L | | |" << QList<int>{1, 0, 0};
}

void ControlReleaseFilterTest::countsReleasesLikeWindows()
{
    QFETCH(QString, script);
    QFETCH(QList<int>, taken);

    ControlReleaseFilter filter(leftControl, {leftAlt, rightAlt});
    QList<int> actual;
    for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("|")) {
            actual.append(filter.takeReleases());
            continue;
        }
        const unsigned key = keyByLetter(step.at(1));
        if (step.startsWith(QLatin1Char('+')))
            filter.keyPressed(key);
        else
            filter.keyReleased(key);
    }
    QCOMPARE(actual, taken);
}

QTEST_APPLESS_MAIN(ControlReleaseFilterTest)

#include "tst_controlreleasefilter.moc"
