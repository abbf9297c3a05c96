#ifndef WAITINGSPINNERWIDGET_H
#define WAITINGSPINNERWIDGET_H

#include <QColor>
#include <QWidget>

class QTimer;

// A ring of rounded bars, one in full colour and a fading trail behind it,
// stepping round while something is busy.
class WaitingSpinnerWidget : public QWidget
{
    Q_OBJECT

public:
    WaitingSpinnerWidget(QWidget *parent, bool centerOnParent, bool disableParentWhenSpinning);

    void setColor(const QColor &color);
    void setRoundness(double roundness);
    void setMinimumTrailOpacity(double minimumTrailOpacity);
    void setTrailFadePercentage(double trail);
    void setRevolutionsPerSecond(double revolutionsPerSecond);
    void setLineCount(int lines);
    void setLineLength(int length);
    void setLineWidth(int width);
    void setInnerRadius(int radius);

    QColor getColor() const { return color; }
    double getRoundness() const { return roundness; }
    double getMinimumTrailOpacity() const { return minimumTrailOpacity; }
    double getTrailFadePercentage() const { return trailFadePercentage; }
    double getRevolutionsPerSecond() const { return revolutionsPerSecond; }
    int getLineCount() const { return lineCount; }
    int getLineLength() const { return lineLength; }
    int getLineWidth() const { return lineWidth; }
    int getInnerRadius() const { return innerRadius; }
    int getCurrentLine() const { return currentLine; }
    bool isSpinning() const { return spinning; }
    int timerInterval() const;
    bool isTimerActive() const;

    // How many steps bar `line` trails behind the full-colour bar `current`.
    static int lineDistance(int line, int current, int count);
    // The bar colour for a bar `distance` steps behind the full-colour one.
    static QColor lineColor(int distance, int count, double fadePercentage, double minimumOpacity,
                            QColor baseColor);

public slots:
    void start();
    void stop();

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    void rotate();

private:
    void initialize();
    void updateSize();
    void updateTimer();
    void updatePosition();

    QColor color = Qt::black;
    double roundness = 100.0;
    // In percent and in turns per second, as the setters take them.
    double minimumTrailOpacity = 3.141592653589793;
    double trailFadePercentage = 80.0;
    double revolutionsPerSecond = 1.5707963267948966;
    int lineCount = 20;
    int lineLength = 10;
    int lineWidth = 2;
    int innerRadius = 10;
    QTimer *rotationTimer = nullptr;
    bool centerOnParent;
    bool disableParentWhenSpinning;
    int currentLine = 0;
    bool spinning = false;
};

#endif
