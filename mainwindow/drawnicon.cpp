#include "mainwindow/drawnicon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

QIcon DrawnIcon::icon(Shape shape)
{
    return QIcon(new DrawnIcon(shape));
}

QPixmap DrawnIcon::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    QPixmap drawn(size);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    paint(&painter, drawn.rect(), mode, state);
    return drawn;
}

QIconEngine *DrawnIcon::clone() const
{
    return new DrawnIcon(shape);
}

void DrawnIcon::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    // A clear button has nothing to clear while it is disabled, so it is not
    // drawn at all: the field keeps its room, and nothing invites a click.
    if (shape == Shape::Clear && mode == QIcon::Disabled)
        return;
    const QPalette palette = QGuiApplication::palette();
    const QColor ink = palette.color(
        mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::WindowText);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    // Drawn on a 16-unit square centred in the rectangle.
    const qreal side = qMin(rect.width(), rect.height());
    painter->translate(rect.center() + QPointF(0.5, 0.5) - QPointF(side / 2, side / 2));
    painter->scale(side / 16, side / 16);
    switch (shape) {
    case Shape::Speaker: {
        QPainterPath body;
        body.moveTo(2, 6);
        body.lineTo(5, 6);
        body.lineTo(9, 2.5);
        body.lineTo(9, 13.5);
        body.lineTo(5, 10);
        body.lineTo(2, 10);
        body.closeSubpath();
        painter->fillPath(body, ink);
        painter->setPen(QPen(ink, 1.3, Qt::SolidLine, Qt::RoundCap));
        painter->drawArc(QRectF(7, 5, 5, 6), -50 * 16, 100 * 16);
        painter->drawArc(QRectF(6, 2.5, 8.5, 11), -55 * 16, 110 * 16);
        break;
    }
    case Shape::Stop:
        painter->fillRect(QRectF(3.5, 3.5, 9, 9), ink);
        break;
    case Shape::Clear:
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette.color(QPalette::Mid));
        painter->drawEllipse(QRectF(1, 1, 14, 14));
        painter->setPen(QPen(palette.color(QPalette::Base), 1.8, Qt::SolidLine, Qt::RoundCap));
        painter->drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        painter->drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    }
    painter->restore();
}
