#include "widgets/waitingspinnerwidget.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

const double pi = 3.141592653589793;

// The settings the translate action gives the spinner, in its order.
void applyTranslateSettings(WaitingSpinnerWidget &spinner)
{
    spinner.setRoundness(70.0);
    spinner.setMinimumTrailOpacity(15.0);
    spinner.setTrailFadePercentage(70.0);
    spinner.setLineCount(12);
    spinner.setLineLength(10);
    spinner.setLineWidth(5);
    spinner.setInnerRadius(10);
    spinner.setRevolutionsPerSecond(1.0);
    spinner.setColor(QColor(81, 4, 71, 255));
}

void rotate(WaitingSpinnerWidget &spinner, int times)
{
    for (int i = 0; i < times; ++i)
        QVERIFY(QMetaObject::invokeMethod(&spinner, "rotate"));
}

// A pixel well inside bar `line` of a spinner with the translate settings:
// half-way along the bar, on its middle line. Bar 0 points to the right and
// the bars follow clockwise on screen.
QPoint barPixel(int line, int count)
{
    const double angle = 2 * pi * line / count;
    const double along = 15.0; // inner radius 10 + half the length 10
    const double across = 0.5; // the 5-pixel bar spans -2..3 across
    const double x = 20 + along * std::cos(angle) - across * std::sin(angle);
    const double y = 20 + along * std::sin(angle) + across * std::cos(angle);
    return QPoint(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

QImage renderSpinner(WaitingSpinnerWidget &spinner)
{
    QImage image(spinner.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    spinner.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

} // namespace

class TestWaitingSpinnerWidget : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void translateSettings();
    void sizeIgnoresLineWidth();
    void timerInterval_data();
    void timerInterval();
    void roundnessClamped_data();
    void roundnessClamped();
    void lineDistance_data();
    void lineDistance();
    void lineColor_data();
    void lineColor();
    void lineColorKeepsOtherChannels();

    void startTwiceStopOnce();
    void setLineCountWhileSpinning();
    void rotationWraps();
    void timerDrivesRotation();
    void centredOnStart_data();
    void centredOnStart();
    void recentredAtNextPaint();
    void notCentredWhenNotAsked();
    void parentEnabledState_data();
    void parentEnabledState();
    void worksWithoutParent();

    void rendersBarsAndTrail();
    void rendersFullColourBarClockwise();
};

void TestWaitingSpinnerWidget::defaults()
{
    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, false);
    QVERIFY(spinner.isHidden());
    QVERIFY(!spinner.isSpinning());
    QVERIFY(!spinner.isTimerActive());
    QCOMPARE(spinner.parentWidget(), &parent);
    QVERIFY(!spinner.isWindow());
    QCOMPARE(spinner.size(), QSize(40, 40));
    QCOMPARE(spinner.minimumSize(), QSize(40, 40));
    QCOMPARE(spinner.maximumSize(), QSize(40, 40));
    QCOMPARE(spinner.timerInterval(), 31);
    QCOMPARE(spinner.getColor(), QColor(Qt::black));
    QCOMPARE(spinner.getRoundness(), 100.0);
    QCOMPARE(spinner.getMinimumTrailOpacity(), pi);
    QCOMPARE(spinner.getTrailFadePercentage(), 80.0);
    QCOMPARE(spinner.getRevolutionsPerSecond(), pi / 2);
    QCOMPARE(spinner.getLineCount(), 20);
    QCOMPARE(spinner.getLineLength(), 10);
    QCOMPARE(spinner.getLineWidth(), 2);
    QCOMPARE(spinner.getInnerRadius(), 10);
    QCOMPARE(spinner.getCurrentLine(), 0);
}

void TestWaitingSpinnerWidget::translateSettings()
{
    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, false);
    applyTranslateSettings(spinner);
    QCOMPARE(spinner.size(), QSize(40, 40));
    QCOMPARE(spinner.timerInterval(), 83);
    QCOMPARE(spinner.getRoundness(), 70.0);
    QCOMPARE(spinner.getLineCount(), 12);
    QCOMPARE(spinner.getColor(), QColor(81, 4, 71, 255));
}

void TestWaitingSpinnerWidget::sizeIgnoresLineWidth()
{
    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, false);
    spinner.setInnerRadius(5);
    QCOMPARE(spinner.size(), QSize(30, 30));
    spinner.setLineLength(20);
    QCOMPARE(spinner.size(), QSize(50, 50));
    spinner.setLineWidth(40);
    QCOMPARE(spinner.size(), QSize(50, 50));
    QCOMPARE(spinner.maximumSize(), QSize(50, 50));
}

void TestWaitingSpinnerWidget::timerInterval_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<double>("revolutionsPerSecond");
    QTest::addColumn<int>("interval");

    QTest::newRow("defaults") << 20 << pi / 2 << 31;
    QTest::newRow("translate settings") << 12 << 1.0 << 83;
    QTest::newRow("one bar") << 1 << 1.0 << 1000;
    QTest::newRow("truncated, not rounded") << 7 << 3.0 << 47;
    QTest::newRow("slow") << 3 << 0.5 << 666;
    QTest::newRow("exact") << 10 << 2.0 << 50;
}

void TestWaitingSpinnerWidget::timerInterval()
{
    QFETCH(int, lineCount);
    QFETCH(double, revolutionsPerSecond);
    QFETCH(int, interval);

    QWidget parent;
    WaitingSpinnerWidget byCount(&parent, true, false);
    byCount.setRevolutionsPerSecond(revolutionsPerSecond);
    byCount.setLineCount(lineCount);
    QCOMPARE(byCount.timerInterval(), interval);

    WaitingSpinnerWidget bySpeed(&parent, true, false);
    bySpeed.setLineCount(lineCount);
    bySpeed.setRevolutionsPerSecond(revolutionsPerSecond);
    QCOMPARE(bySpeed.timerInterval(), interval);
}

void TestWaitingSpinnerWidget::roundnessClamped_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("stored");

    QTest::newRow("150") << 150.0 << 100.0;
    QTest::newRow("100") << 100.0 << 100.0;
    QTest::newRow("99.5") << 99.5 << 99.5;
    QTest::newRow("70") << 70.0 << 70.0;
    QTest::newRow("0") << 0.0 << 0.0;
    QTest::newRow("-5") << -5.0 << 0.0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 100.0;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 100.0;
    QTest::newRow("-infinity") << -std::numeric_limits<double>::infinity() << 0.0;
}

void TestWaitingSpinnerWidget::roundnessClamped()
{
    QFETCH(double, value);
    QFETCH(double, stored);

    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, false);
    spinner.setRoundness(50.0);
    spinner.setRoundness(value);
    QCOMPARE(spinner.getRoundness(), stored);
}

void TestWaitingSpinnerWidget::lineDistance_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("distance");

    QTest::newRow("the current bar") << 4 << 4 << 20 << 0;
    QTest::newRow("just behind") << 3 << 4 << 20 << 1;
    QTest::newRow("behind across zero") << 19 << 0 << 20 << 1;
    QTest::newRow("just ahead is furthest behind") << 1 << 0 << 20 << 19;
    QTest::newRow("twelve bars") << 5 << 3 << 12 << 10;
}

void TestWaitingSpinnerWidget::lineDistance()
{
    QFETCH(int, line);
    QFETCH(int, current);
    QFETCH(int, count);
    QFETCH(int, distance);
    QCOMPARE(WaitingSpinnerWidget::lineDistance(line, current, count), distance);
}

void TestWaitingSpinnerWidget::lineColor_data()
{
    QTest::addColumn<int>("distance");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("fade");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("baseAlpha");
    QTest::addColumn<double>("alpha");

    QTest::newRow("defaults 0") << 0 << 20 << 80.0 << pi << 1.0 << 1.0;
    QTest::newRow("defaults 1") << 1 << 20 << 80.0 << pi << 1.0 << 0.94302;
    QTest::newRow("defaults 2") << 2 << 20 << 80.0 << pi << 1.0 << 0.88605;
    QTest::newRow("defaults 16") << 16 << 20 << 80.0 << pi << 1.0 << 0.08839;
    QTest::newRow("defaults 17") << 17 << 20 << 80.0 << pi << 1.0 << 0.03142;
    QTest::newRow("defaults 18") << 18 << 20 << 80.0 << pi << 1.0 << 0.03142;
    QTest::newRow("defaults 19") << 19 << 20 << 80.0 << pi << 1.0 << 0.03142;
    QTest::newRow("translate 0") << 0 << 12 << 70.0 << 15.0 << 1.0 << 1.0;
    QTest::newRow("translate 1") << 1 << 12 << 70.0 << 15.0 << 1.0 << 0.90556;
    QTest::newRow("translate 8") << 8 << 12 << 70.0 << 15.0 << 1.0 << 0.24444;
    QTest::newRow("translate 9") << 9 << 12 << 70.0 << 15.0 << 1.0 << 0.15;
    QTest::newRow("translate 10") << 10 << 12 << 70.0 << 15.0 << 1.0 << 0.15;
    QTest::newRow("translate 11") << 11 << 12 << 70.0 << 15.0 << 1.0 << 0.15;
    QTest::newRow("half-transparent base") << 1 << 12 << 70.0 << 15.0 << 0.5 << 0.46111;
    QTest::newRow("distance 0 keeps a faint base") << 0 << 12 << 70.0 << 15.0 << 0.05 << 0.05;
    QTest::newRow("distance 0 keeps a clear base") << 0 << 20 << 80.0 << pi << 0.0 << 0.0;
    // (11 x 70 / 100) is 7.7 but (10 x 70 / 100) must stay exactly 7.
    QTest::newRow("whole threshold not rounded up") << 8 << 11 << 70.0 << 20.0 << 1.0 << 0.2;
    QTest::newRow("no fade: all behind at minimum") << 1 << 12 << 0.0 << 15.0 << 1.0 << 0.15;
    QTest::newRow("above 1 limited") << 8 << 12 << 70.0 << 150.0 << 1.0 << 1.0;
}

void TestWaitingSpinnerWidget::lineColor()
{
    QFETCH(int, distance);
    QFETCH(int, count);
    QFETCH(double, fade);
    QFETCH(double, minimum);
    QFETCH(double, baseAlpha);
    QFETCH(double, alpha);

    QColor base(81, 4, 71);
    base.setAlphaF(baseAlpha);
    const QColor color = WaitingSpinnerWidget::lineColor(distance, count, fade, minimum, base);
    QVERIFY2(std::abs(color.alphaF() - alpha) < 5e-5,
             qPrintable(QString::number(color.alphaF(), 'f', 6)));
}

void TestWaitingSpinnerWidget::lineColorKeepsOtherChannels()
{
    const QColor base(81, 4, 71, 200);
    for (int distance = 0; distance < 12; ++distance) {
        const QColor color = WaitingSpinnerWidget::lineColor(distance, 12, 70.0, 15.0, base);
        QCOMPARE(color.red(), 81);
        QCOMPARE(color.green(), 4);
        QCOMPARE(color.blue(), 71);
    }
}

void TestWaitingSpinnerWidget::startTwiceStopOnce()
{
    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, false);
    spinner.start();
    QVERIFY(spinner.isSpinning());
    QVERIFY(!spinner.isHidden());
    QVERIFY(spinner.isTimerActive());
    rotate(spinner, 2);
    QCOMPARE(spinner.getCurrentLine(), 2);

    // A second start leaves the running rotation alone.
    spinner.start();
    QVERIFY(spinner.isTimerActive());
    QCOMPARE(spinner.getCurrentLine(), 2);

    spinner.stop();
    QVERIFY(!spinner.isSpinning());
    QVERIFY(spinner.isHidden());
    QVERIFY(!spinner.isTimerActive());
    QCOMPARE(spinner.getCurrentLine(), 0);

    spinner.stop();
    QVERIFY(spinner.isHidden());
    QVERIFY(!spinner.isTimerActive());
}

void TestWaitingSpinnerWidget::setLineCountWhileSpinning()
{
    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, false);
    spinner.start();
    rotate(spinner, 5);
    QCOMPARE(spinner.getCurrentLine(), 5);

    spinner.setLineCount(12);
    QCOMPARE(spinner.getCurrentLine(), 0);
    QCOMPARE(spinner.timerInterval(), 53);
    QVERIFY(spinner.isTimerActive());
    QVERIFY(spinner.isSpinning());

    spinner.setRevolutionsPerSecond(1.0);
    QCOMPARE(spinner.timerInterval(), 83);
    QVERIFY(spinner.isTimerActive());
}

void TestWaitingSpinnerWidget::rotationWraps()
{
    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, false);
    spinner.setLineCount(12);
    rotate(spinner, 11);
    QCOMPARE(spinner.getCurrentLine(), 11);
    rotate(spinner, 1);
    QCOMPARE(spinner.getCurrentLine(), 0);

    rotate(spinner, 5);
    rotate(spinner, 12);
    QCOMPARE(spinner.getCurrentLine(), 5);
}

void TestWaitingSpinnerWidget::timerDrivesRotation()
{
    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, false);
    spinner.setLineCount(4);
    spinner.setRevolutionsPerSecond(25.0);
    spinner.start();
    QTRY_COMPARE(spinner.getCurrentLine(), 1);
    QTRY_COMPARE(spinner.getCurrentLine(), 3);
    QTRY_COMPARE(spinner.getCurrentLine(), 0);
}

void TestWaitingSpinnerWidget::centredOnStart_data()
{
    QTest::addColumn<QSize>("parentSize");
    QTest::addColumn<QPoint>("position");

    QTest::newRow("even") << QSize(200, 100) << QPoint(80, 30);
    QTest::newRow("odd") << QSize(101, 51) << QPoint(30, 5);
    QTest::newRow("parent smaller") << QSize(30, 11) << QPoint(-5, -15);
}

void TestWaitingSpinnerWidget::centredOnStart()
{
    QFETCH(QSize, parentSize);
    QFETCH(QPoint, position);

    QWidget parent;
    parent.resize(parentSize);
    WaitingSpinnerWidget spinner(&parent, true, false);
    spinner.start();
    QCOMPARE(spinner.pos(), position);
}

void TestWaitingSpinnerWidget::recentredAtNextPaint()
{
    QWidget parent;
    parent.resize(200, 100);
    WaitingSpinnerWidget spinner(&parent, true, false);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    spinner.start();
    QCOMPARE(spinner.pos(), QPoint(80, 30));

    parent.resize(300, 240);
    spinner.update();
    QTRY_COMPARE(spinner.pos(), QPoint(130, 100));
}

void TestWaitingSpinnerWidget::notCentredWhenNotAsked()
{
    QWidget parent;
    parent.resize(200, 100);
    WaitingSpinnerWidget spinner(&parent, false, false);
    spinner.move(3, 4);
    spinner.start();
    renderSpinner(spinner);
    QCOMPARE(spinner.pos(), QPoint(3, 4));
}

void TestWaitingSpinnerWidget::parentEnabledState_data()
{
    QTest::addColumn<bool>("disableParent");
    QTest::newRow("left enabled") << false;
    QTest::newRow("disabled while spinning") << true;
}

void TestWaitingSpinnerWidget::parentEnabledState()
{
    QFETCH(bool, disableParent);

    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, disableParent);
    QVERIFY(parent.isEnabled());
    spinner.start();
    QCOMPARE(parent.isEnabled(), !disableParent);
    spinner.start();
    QCOMPARE(parent.isEnabled(), !disableParent);
    spinner.stop();
    QVERIFY(parent.isEnabled());

    // Stopping a spinner that never disabled its parent must not enable a
    // parent that someone else disabled.
    if (!disableParent) {
        parent.setEnabled(false);
        spinner.start();
        spinner.stop();
        QVERIFY(!parent.isEnabled());
    }
}

void TestWaitingSpinnerWidget::worksWithoutParent()
{
    WaitingSpinnerWidget spinner(nullptr, true, true);
    spinner.move(7, 9);
    spinner.start();
    QVERIFY(spinner.isSpinning());
    QCOMPARE(spinner.pos(), QPoint(7, 9));
    spinner.stop();
    QVERIFY(!spinner.isSpinning());
}

void TestWaitingSpinnerWidget::rendersBarsAndTrail()
{
    QWidget parent;
    parent.resize(100, 100);
    WaitingSpinnerWidget spinner(&parent, true, false);
    applyTranslateSettings(spinner);
    spinner.start();
    const QImage image = renderSpinner(spinner);

    // Bar 0 is the full-colour one; bar i trails it by (12 - i) % 12 steps.
    const QRgb head = image.pixel(barPixel(0, 12));
    QCOMPARE(qAlpha(head), 255);
    QCOMPARE(qRed(head), 81);
    QCOMPARE(qGreen(head), 4);
    QCOMPARE(qBlue(head), 71);

    const double expectedAlpha[12] = {1.0,     0.90556, 0.81111, 0.71667, 0.62222, 0.52778,
                                      0.43333, 0.33889, 0.24444, 0.15,    0.15,    0.15};
    for (int distance = 0; distance < 12; ++distance) {
        const int line = (12 - distance) % 12;
        const QRgb pixel = image.pixel(barPixel(line, 12));
        const int alpha = qRound(expectedAlpha[distance] * 255);
        QVERIFY2(std::abs(qAlpha(pixel) - alpha) <= 2,
                 qPrintable(QStringLiteral("bar %1: alpha %2, expected %3")
                                .arg(line)
                                .arg(qAlpha(pixel))
                                .arg(alpha)));
        // Premultiplied: the colour channels fade with the alpha.
        QVERIFY(std::abs(qRed(pixel) - qRound(81 * expectedAlpha[distance])) <= 2);
        QVERIFY(std::abs(qBlue(pixel) - qRound(71 * expectedAlpha[distance])) <= 2);
    }

    // The centre and the corners stay clear.
    QCOMPARE(qAlpha(image.pixel(20, 20)), 0);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(39, 39)), 0);
}

void TestWaitingSpinnerWidget::rendersFullColourBarClockwise()
{
    QWidget parent;
    WaitingSpinnerWidget spinner(&parent, true, false);
    applyTranslateSettings(spinner);
    spinner.setColor(QColor(0, 128, 255));
    rotate(spinner, 3);
    const QImage image = renderSpinner(spinner);

    // Three steps on, the full-colour bar points straight down.
    const QRgb down = image.pixel(19, 35);
    QCOMPARE(qAlpha(down), 255);
    QCOMPARE(qRed(down), 0);
    QCOMPARE(qGreen(down), 128);
    QCOMPARE(qBlue(down), 255);
    // The bar that was in full colour trails three steps behind, the one
    // pointing up six, and the one just clockwise of the head is furthest
    // behind, at the minimum.
    QVERIFY(std::abs(qAlpha(image.pixel(barPixel(0, 12))) - qRound(0.71667 * 255)) <= 2);
    QVERIFY(std::abs(qAlpha(image.pixel(barPixel(9, 12))) - qRound(0.43333 * 255)) <= 2);
    QVERIFY(std::abs(qAlpha(image.pixel(barPixel(4, 12))) - qRound(0.15 * 255)) <= 2);
}

QTEST_MAIN(TestWaitingSpinnerWidget)
#include "tst_waitingspinnerwidget.moc"
