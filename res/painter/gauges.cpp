#include "res/painter/gauges.h"

#include "res/painter/surfaces.h"
#include "skin/skin_palette.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRadialGradient>
#include <QtMath>
#include <cmath>

namespace {

constexpr qreal kDialFace = 74;
constexpr qreal kRoseBezel = 62;
constexpr qreal kRoseFace = 59;

// A point at `radius` in screen direction `degrees` (0 = +x, growing clockwise).
QPointF polar(QPointF centre, qreal radius, qreal degrees)
{
    const qreal a = qDegreesToRadians(degrees);
    return centre + QPointF(radius * qCos(a), radius * qSin(a));
}

// The needle's angle for a speed of `value` units of the scale.
qreal speedAngle(const skin::SpeedScale& scale, int value)
{
    return skin::needleDegrees(value, scale.kmhPerUnit);
}

void paintBezel(QPainter& p, QPointF c, qreal outer, qreal inner, const QColor& face)
{
    QLinearGradient ring(c.x(), c.y() - outer, c.x(), c.y() + outer);
    ring.setColorAt(0, QColor(92, 102, 126));
    ring.setColorAt(0.5, QColor(48, 54, 68));
    ring.setColorAt(1, QColor(24, 27, 34));
    p.setPen(QPen(QColor(12, 14, 18), 1));
    p.setBrush(ring);
    p.drawEllipse(c, outer, outer);
    p.setPen(QPen(QColor(14, 16, 20), 1));
    p.setBrush(face);
    p.drawEllipse(c, inner, inner);
}

void paintTick(QPainter& p, QPointF c, qreal degrees, qreal from, qreal to, const QColor& colour,
               qreal width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(polar(c, from, degrees), polar(c, to, degrees));
}

void paintCentredText(QPainter& p, QPointF at, const QString& text)
{
    const QRectF box(at.x() - 20, at.y() - 8, 40, 16);
    p.drawText(box, Qt::AlignCenter, text);
}

// Half the extent of a text's ink along a direction, so that its box clears a circle.
qreal halfExtent(const QFont& font, const QString& text, qreal degrees)
{
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(text);
    const qreal a = qDegreesToRadians(degrees);
    return std::abs(qCos(a)) * ink.width() / 2 + std::abs(qSin(a)) * ink.height() / 2;
}

void paintArc(QPainter& p, QPointF c, qreal radius, const skin::SpeedScale& scale, int from, int to,
              const QPen& pen)
{
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    // Qt counts arc angles counter-clockwise in sixteenths of a degree.
    const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    p.drawArc(box, qRound(-speedAngle(scale, from) * 16),
              qRound(-(to - from) * scale.kmhPerUnit * 16.0));
}

}  // namespace

void paintSpeedometer(QPainter& p, QPointF c, const skin::SpeedScale& scale)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintBezel(p, c, skin::kDialBezel, kDialFace, palette::kDialFace);
    // The needle (50 pixels) ends inside the tick ring.
    constexpr qreal kTickOuter = 54;
    paintArc(p, c, kTickOuter, scale, 0, scale.redFrom, QPen(QColor(78, 88, 110), 1));
    paintArc(p, c, kTickOuter, scale, scale.redFrom, scale.top,
             QPen(palette::kWarn, 2, Qt::SolidLine, Qt::FlatCap));
    for (int value = 0; value <= scale.top; value += 10) {
        const bool major = value % 20 == 0;
        const QColor colour = value > scale.redFrom
                                  ? palette::kWarn.lighter(115)
                                  : (major ? palette::kText : QColor(118, 128, 150));
        paintTick(p, c, speedAngle(scale, value), major ? 45 : 49, kTickOuter, colour,
                  major ? 2.4 : 2);
    }
    const QFont numbers = uiFont(10, QFont::DemiBold);
    p.setFont(numbers);
    for (int value = 0; value <= scale.top; value += 20) {
        p.setPen(value > scale.redFrom ? palette::kWarn.lighter(125) : palette::kText);
        const QString text = QString::number(value);
        const qreal angle = speedAngle(scale, value);
        paintCentredText(p, polar(c, kTickOuter + 3 + halfExtent(numbers, text, angle), angle),
                         text);
    }
    p.setPen(palette::kLabel);
    p.setFont(uiFont(10));
    paintCentredText(p, c + QPointF(0, -22), QString::fromLatin1(scale.unit));
    // The hub the needle turns on.
    QRadialGradient hub(c + QPointF(-1.5, -1.5), 7);
    hub.setColorAt(0, QColor(120, 130, 150));
    hub.setColorAt(1, QColor(44, 49, 60));
    p.setPen(QPen(QColor(14, 16, 20), 1));
    p.setBrush(hub);
    p.drawEllipse(c, 6, 6);
    p.restore();
}

void paintCompassRose(QPainter& p, QPointF c)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QRadialGradient face(c, kRoseFace);
    face.setColorAt(0, QColor(38, 43, 54));
    face.setColorAt(1, QColor(26, 29, 37));
    paintBezel(p, c, kRoseBezel, kRoseFace, Qt::transparent);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawEllipse(c, kRoseFace - 0.5, kRoseFace - 0.5);
    // An eight-pointed star behind the arrow: long cardinal points, short diagonal ones.
    for (int k = 0; k < 8; ++k) {
        const bool cardinal = k % 2 == 0;
        const qreal dir = -90 + 45.0 * k;
        const qreal reach = cardinal ? 35 : 22;
        const QPointF tip = polar(c, reach, dir);
        p.setPen(Qt::NoPen);
        p.setBrush(cardinal ? QColor(52, 58, 73) : QColor(44, 50, 63));
        p.drawPolygon(QPolygonF({c, polar(c, 6, dir - 45), tip}));
        p.setBrush(cardinal ? QColor(42, 47, 60) : QColor(37, 42, 53));
        p.drawPolygon(QPolygonF({c, polar(c, 6, dir + 45), tip}));
    }
    for (int deg = 0; deg < 360; deg += 10) {
        const bool cardinal = deg % 90 == 0;
        const bool major = deg % 30 == 0;
        const QColor colour =
            cardinal ? palette::kText : (major ? QColor(150, 160, 180) : QColor(92, 101, 122));
        paintTick(p, c, deg - 90.0, cardinal ? 49 : (major ? 51.5 : 54), 57, colour,
                  cardinal ? 2.2 : 1.2);
    }
    p.setFont(uiFont(12, QFont::Bold));
    const char* letters[] = {"N", "E", "S", "W"};
    for (int k = 0; k < 4; ++k) {
        p.setPen(k == 0 ? palette::kWarn.lighter(118) : palette::kText);
        paintCentredText(p, polar(c, 41, -90 + 90.0 * k), QString::fromLatin1(letters[k]));
    }
    p.restore();
}
