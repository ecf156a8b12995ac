#include "res/painter/artwork.h"

#include "res/painter/surfaces.h"
#include "res/painter/symbols.h"
#include "skin/skin_palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// A road running from the bottom edge to the horizon, with a dashed centre line.
void paintRoad(QPainter& p, qreal horizon, qreal bottom, qreal centreX)
{
    const QPointF vanish(centreX, horizon);
    const qreal halfBase = 190;
    QLinearGradient asphalt(0, horizon, 0, bottom);
    asphalt.setColorAt(0, QColor(30, 34, 44));
    asphalt.setColorAt(1, QColor(44, 50, 64));
    p.setPen(Qt::NoPen);
    p.setBrush(asphalt);
    p.drawPolygon(QPolygonF({vanish, {centreX + halfBase, bottom}, {centreX - halfBase, bottom}}));
    p.setPen(QPen(QColor(96, 110, 136), 2.2));
    p.drawLine(vanish, QPointF(centreX - halfBase, bottom));
    p.drawLine(vanish, QPointF(centreX + halfBase, bottom));
    // Dashes shrink towards the horizon: each one covers a fixed share of the depth.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(168, 150, 88));
    for (qreal t = 0.12; t < 1.0; t *= 1.55) {
        const qreal near = qMin(1.0, t * 1.3);
        auto at = [&](qreal s, qreal half) {
            return QPointF(centreX + half * s, horizon + (bottom - horizon) * s);
        };
        p.drawPolygon(QPolygonF({at(t, -3), at(t, 3), at(near, 3), at(near, -3)}));
    }
}

// Darkens towards every edge, so that the picture melts into the black video area.
void paintVignette(QPainter& p, const QRectF& r)
{
    p.save();
    p.translate(r.center());
    p.scale(r.width() / 2, r.height() / 2);
    QRadialGradient fade(QPointF(0, 0), 1);
    fade.setColorAt(0, QColor(0, 0, 0, 0));
    fade.setColorAt(0.55, QColor(0, 0, 0, 30));
    fade.setColorAt(0.98, QColor(0, 0, 0, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(fade);
    p.drawRect(QRectF(-1.5, -1.5, 3, 3));
    p.restore();
}

}  // namespace

QImage paintIdlePicture()
{
    QImage image(510, 360, QImage::Format_RGB32);
    image.fill(QColor(16, 19, 25));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal cx = image.width() / 2.0;
    paintRoad(p, 228, image.height(), cx);
    drawSymbol(p, Symbol::Capture, QRectF(cx - 34, 56, 68, 68), palette::kLabel,
               QColor(16, 19, 25));
    p.setPen(palette::kText);
    p.setFont(uiFont(24, QFont::DemiBold));
    p.drawText(QRectF(0, 134, image.width(), 32), Qt::AlignCenter,
               QStringLiteral("Dashcam Player"));
    p.setPen(palette::kLabel);
    p.setFont(uiFont(13));
    p.drawText(QRectF(0, 170, image.width(), 22), Qt::AlignCenter,
               QStringLiteral("Import recordings, then double-click one to play"));
    paintVignette(p, image.rect());
    p.end();
    return image;
}

QImage paintIcon()
{
    QImage image = transparentImage(256, 256);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(12, 12, 232, 232);
    QLinearGradient ground(tile.topLeft(), tile.bottomLeft());
    ground.setColorAt(0, QColor(66, 77, 104));
    ground.setColorAt(1, QColor(22, 26, 34));
    p.setPen(QPen(QColor(110, 124, 156), 3));
    p.setBrush(ground);
    p.drawRoundedRect(tile, 50, 50);
    const QPointF c(128, 140);
    // Speedometer arc with a red needle.
    p.setPen(QPen(palette::kAccent, 16, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - 76, c.y() - 76, 152, 152), -40 * 16, 260 * 16);
    p.setPen(QPen(palette::kText, 6, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k <= 6; ++k) {
        p.save();
        p.translate(c);
        p.rotate(140 + 260.0 * k / 6);
        p.drawLine(QPointF(50, 0), QPointF(60, 0));
        p.restore();
    }
    p.setPen(QPen(palette::kWarn, 11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(42, -42));
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kText);
    p.drawEllipse(c, 13, 13);
    // The recording lamp.
    p.setBrush(palette::kWarn);
    p.drawEllipse(QPointF(200, 56), 15, 15);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}
