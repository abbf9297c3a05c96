#include "widgets/waitingspinnerwidget.h"

#include <QPainter>
#include <QTimer>

#include <cmath>

WaitingSpinnerWidget::WaitingSpinnerWidget(QWidget *parent, bool centred, bool disablesParent)
    : QWidget(parent), centerOnParent(centred), disableParentWhenSpinning(disablesParent)
{
    initialize();
}

void WaitingSpinnerWidget::initialize()
{
    rotationTimer = new QTimer(this);
    connect(rotationTimer, &QTimer::timeout, this, &WaitingSpinnerWidget::rotate);
    updateSize();
    updateTimer();
    hide();
}

void WaitingSpinnerWidget::setColor(const QColor &newColor)
{
    color = newColor;
}

void WaitingSpinnerWidget::setRoundness(double newRoundness)
{
    // Written so that NaN, which fails every comparison, lands on 100.
    if (newRoundness < 0.0)
        roundness = 0.0;
    else if (newRoundness < 100.0)
        roundness = newRoundness;
    else
        roundness = 100.0;
}

void WaitingSpinnerWidget::setMinimumTrailOpacity(double newMinimumTrailOpacity)
{
    minimumTrailOpacity = newMinimumTrailOpacity;
}

void WaitingSpinnerWidget::setTrailFadePercentage(double trail)
{
    trailFadePercentage = trail;
}

void WaitingSpinnerWidget::setRevolutionsPerSecond(double newRevolutionsPerSecond)
{
    revolutionsPerSecond = newRevolutionsPerSecond;
    updateTimer();
}

void WaitingSpinnerWidget::setLineCount(int lines)
{
    lineCount = lines;
    currentLine = 0;
    updateTimer();
}

void WaitingSpinnerWidget::setLineLength(int length)
{
    lineLength = length;
    updateSize();
}

void WaitingSpinnerWidget::setLineWidth(int width)
{
    lineWidth = width;
    updateSize();
}

void WaitingSpinnerWidget::setInnerRadius(int radius)
{
    innerRadius = radius;
    updateSize();
}

int WaitingSpinnerWidget::timerInterval() const
{
    return rotationTimer->interval();
}

bool WaitingSpinnerWidget::isTimerActive() const
{
    return rotationTimer->isActive();
}

void WaitingSpinnerWidget::start()
{
    updatePosition();
    spinning = true;
    show();
    if (parentWidget() && disableParentWhenSpinning)
        parentWidget()->setEnabled(false);
    if (!rotationTimer->isActive()) {
        rotationTimer->start();
        currentLine = 0;
    }
}

void WaitingSpinnerWidget::stop()
{
    spinning = false;
    hide();
    if (parentWidget() && disableParentWhenSpinning)
        parentWidget()->setEnabled(true);
    if (rotationTimer->isActive()) {
        rotationTimer->stop();
        currentLine = 0;
    }
}

void WaitingSpinnerWidget::rotate()
{
    ++currentLine;
    if (currentLine >= lineCount)
        currentLine = 0;
    update();
}

void WaitingSpinnerWidget::updateSize()
{
    const int side = (innerRadius + lineLength) * 2;
    setFixedSize(side, side);
}

void WaitingSpinnerWidget::updateTimer()
{
    // QTimer restarts a running timer with the new interval by itself.
    rotationTimer->setInterval(static_cast<int>(1000 / (lineCount * revolutionsPerSecond)));
}

void WaitingSpinnerWidget::updatePosition()
{
    QWidget *parent = parentWidget();
    if (parent && centerOnParent)
        move(parent->width() / 2 - width() / 2, parent->height() / 2 - height() / 2);
}

int WaitingSpinnerWidget::lineDistance(int line, int current, int count)
{
    const int distance = current - line;
    return distance < 0 ? distance + count : distance;
}

QColor WaitingSpinnerWidget::lineColor(int distance, int count, double fadePercentage,
                                       double minimumOpacity, QColor baseColor)
{
    // The full-colour bar keeps the colour's own alpha, even one fainter than
    // the trail's minimum.
    if (distance == 0)
        return baseColor;
    const double minimumAlpha = minimumOpacity / 100.0;
    const int threshold = static_cast<int>(std::ceil((count - 1) * fadePercentage / 100.0));
    if (distance > threshold) {
        baseColor.setAlphaF(minimumAlpha);
        return baseColor;
    }
    const double step = (baseColor.alphaF() - minimumAlpha) / (threshold + 1);
    double alpha = baseColor.alphaF() - step * distance;
    if (alpha <= 0.0)
        alpha = 0.0;
    else if (alpha > 1.0)
        alpha = 1.0;
    baseColor.setAlphaF(alpha);
    return baseColor;
}

void WaitingSpinnerWidget::paintEvent(QPaintEvent *)
{
    // The parent may have been resized since the last frame.
    updatePosition();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::transparent);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);

    if (currentLine >= lineCount)
        currentLine = 0;

    const int centre = innerRadius + lineLength;
    for (int i = 0; i < lineCount; ++i) {
        painter.save();
        painter.translate(centre, centre);
        painter.rotate(360.0 * i / lineCount);
        painter.translate(innerRadius, 0);
        painter.setBrush(lineColor(lineDistance(i, currentLine, lineCount), lineCount,
                                   trailFadePercentage, minimumTrailOpacity, color));
        painter.drawRoundedRect(QRect(0, -(lineWidth / 2), lineLength, lineWidth), roundness,
                                roundness, Qt::RelativeSize);
        painter.restore();
    }
}
