#ifndef DRAWNICON_H
#define DRAWNICON_H

#include <QIcon>
#include <QIconEngine>

// The few small symbols the window shows on its own buttons, drawn at
// whatever size and pixel density they are asked for. The style's standard
// icons would look themselves up in the desktop's icon theme first, and
// reading the theme's folders costs more than building the rest of the
// window.
class DrawnIcon : public QIconEngine
{
public:
    enum class Shape
    {
        Speaker,
        Stop,
        Clear
    };

    static QIcon icon(Shape shape);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;

private:
    explicit DrawnIcon(Shape drawn) : shape(drawn) {}

    const Shape shape;
};

#endif
