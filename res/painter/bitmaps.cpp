#include "res/painter/bitmaps.h"

#include "res/painter/surfaces.h"
#include "skin/skin_dial.h"
#include "skin/skin_geometry.h"
#include "skin/skin_palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// Pieces of the scroll bars, in their two shades.
const QColor kTrack{44, 50, 66};
const QColor kTrackEdge{34, 39, 52};
const QColor kKnobTop{112, 122, 150};
const QColor kKnobBottom{88, 97, 124};
const QColor kKnobEdge{54, 61, 81};
const QColor kGlyph{222, 228, 238};
const QColor kThumbTop{168, 184, 212};
const QColor kThumbBottom{124, 142, 174};

QImage opaque(QSize size, const QColor& fill)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QImage to24(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB888);
}

void paintKnob(QPainter& p, const QRectF& r, bool vertical, const QColor& top, const QColor& bottom)
{
    QLinearGradient g = vertical ? QLinearGradient(r.topLeft(), r.topRight())
                                 : QLinearGradient(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(kKnobEdge, 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 3, 3);
}

// An arrow button: a knob with a small triangle pointing along `direction` (0 up, 1 right,
// 2 down, 3 left).
QImage paintArrow(QSize size, const QColor& fill, int direction)
{
    QImage image = opaque(size, fill);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const bool vertical = direction % 2 == 0;
    paintKnob(p, QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), vertical, kKnobTop,
              kKnobBottom);
    p.translate(size.width() / 2.0, size.height() / 2.0);
    p.rotate(90.0 * direction);
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyph);
    p.drawPolygon(QPolygonF({{0, -2.8}, {3.6, 1.8}, {-3.6, 1.8}}));
    return to24(image);
}

QImage paintThumbPiece(QSize size, const QColor& fill, bool vertical)
{
    QImage image = opaque(size, fill);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = vertical ? QRectF(1.5, 0.5, size.width() - 3, size.height() - 1)
                                 : QRectF(0.5, 1.5, size.width() - 1, size.height() - 3);
    paintKnob(p, body, vertical, kThumbTop, kThumbBottom);
    p.setPen(QPen(QColor(84, 98, 128), 1));
    const QPointF c = body.center();
    for (int k = -1; k <= 1; ++k) {
        if (vertical) {
            p.drawLine(QPointF(c.x() - 2, c.y() + 3 * k), QPointF(c.x() + 2, c.y() + 3 * k));
        } else {
            p.drawLine(QPointF(c.x() + 3 * k, c.y() - 2), QPointF(c.x() + 3 * k, c.y() + 2));
        }
    }
    return to24(image);
}

// One pixel of the track across the bar: fill, edge, track, edge, fill.
QImage paintTrackSlice(QSize size, const QColor& fill, bool vertical)
{
    QImage image = opaque(size, fill);
    QPainter p(&image);
    const int across = vertical ? size.width() : size.height();
    for (int i = 2; i < across - 2; ++i) {
        const QColor c = (i == 2 || i == across - 3) ? kTrackEdge : kTrack;
        p.setPen(c);
        if (vertical) {
            p.drawPoint(i, 0);
        } else {
            p.drawPoint(0, i);
        }
    }
    return to24(image);
}

// The end caps of the vertical bar: plain fill closed by a line on the outer edge.
QImage paintCap(QSize size, bool top)
{
    QImage image = opaque(size, palette::kVScrollFill);
    QPainter p(&image);
    p.setPen(kKnobEdge);
    const int y = top ? 0 : size.height() - 1;
    p.drawLine(0, y, size.width() - 1, y);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kTrack);
    p.drawEllipse(QPointF(size.width() / 2.0, size.height() / 2.0), 1.6, 1.6);
    return to24(image);
}

}  // namespace

QImage paintChannel(bool played)
{
    QImage image = opaque(skin::kSeekBar.size(), palette::kRecess);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF groove(0.5, 0.5, image.width() - 1, image.height() - 1);
    QLinearGradient g(0, 0, 0, image.height());
    if (played) {
        g.setColorAt(0, QColor(132, 182, 240));
        g.setColorAt(1, palette::kAccentDeep);
        p.setPen(QPen(QColor(38, 72, 124), 1));
    } else {
        g.setColorAt(0, QColor(12, 14, 18));
        g.setColorAt(1, QColor(40, 45, 57));
        p.setPen(QPen(QColor(52, 58, 74), 1));
    }
    p.setBrush(g);
    p.drawRoundedRect(groove, 4, 4);
    return to24(image);
}

QImage paintThumb(bool dragging)
{
    QImage image = transparentImage(18, 18);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Only rows 5..13 show: the thumb hangs 5 rows above the 9-row control.
    const QRectF knob(2.5, 5.5, 13, 8);
    QLinearGradient g(knob.topLeft(), knob.bottomLeft());
    g.setColorAt(0, dragging ? QColor(196, 222, 252) : QColor(240, 243, 248));
    g.setColorAt(1, dragging ? palette::kAccent : QColor(172, 182, 200));
    p.setPen(QPen(QColor(22, 25, 32), 1));
    p.setBrush(g);
    p.drawRoundedRect(knob, 3.5, 3.5);
    p.setPen(QPen(dragging ? QColor(40, 78, 136) : QColor(110, 120, 140), 1));
    for (qreal x : {7.5, 10.5}) {
        p.drawLine(QPointF(x, 7.5), QPointF(x, 11.5));
    }
    p.end();
    return hardEdged(image, QColor(44, 52, 68));
}

QImage paintHeaderFace()
{
    QImage image(2, 24, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 24);
    g.setColorAt(0, QColor(240, 242, 247));
    g.setColorAt(1, QColor(192, 199, 214));
    p.fillRect(image.rect(), g);
    return to24(image);
}

QImage paintHeaderRightEdge()
{
    QImage image(4, 24, QImage::Format_RGB32);
    QPainter p(&image);
    p.drawImage(0, 0, paintHeaderFace().scaled(4, 24));
    // A shaded column, then the dark edge.
    for (int y = 0; y < 24; ++y) {
        p.setPen(image.pixelColor(0, y).darker(112));
        p.drawPoint(0, y);
    }
    p.setPen(QColor(118, 126, 150));
    p.drawLine(1, 0, 1, 23);
    return to24(image);
}

QImage paintHeaderLeftEdge()
{
    QImage image(4, 24, QImage::Format_RGB32);
    QPainter p(&image);
    p.drawImage(0, 0, paintHeaderFace().scaled(4, 24));
    p.setPen(QColor(118, 126, 150));
    p.drawLine(0, 0, 0, 23);
    p.setPen(QColor(252, 252, 254));
    p.drawLine(1, 0, 1, 23);
    return to24(image);
}

QImage paintScrollPiece(ScrollPiece piece)
{
    const QColor& h = palette::kHScrollFill;
    const QColor& v = palette::kVScrollFill;
    switch (piece) {
    case ScrollPiece::LeftArrow: return paintArrow({26, 12}, h, 3);
    case ScrollPiece::RightArrow: return paintArrow({26, 12}, h, 1);
    case ScrollPiece::HChannel: return paintTrackSlice({1, 12}, h, false);
    case ScrollPiece::HThumb: return paintThumbPiece({26, 12}, h, false);
    case ScrollPiece::BottomCap: return paintCap({11, 11}, false);
    case ScrollPiece::DownArrow: return paintArrow({12, 26}, v, 2);
    case ScrollPiece::VChannel: return paintTrackSlice({12, 1}, v, true);
    case ScrollPiece::VThumb: return paintThumbPiece({12, 26}, v, true);
    case ScrollPiece::TopCap: return paintCap({12, 11}, true);
    case ScrollPiece::UpArrow: return paintArrow({12, 26}, v, 0);
    }
    return {};
}

QImage paintVolumeBar(bool lit)
{
    QImage image(skin::kVolumeBar, QImage::Format_RGB32);
    const QColor light = lit ? QColor(136, 230, 160) : QColor(74, 80, 95);
    const QColor mid = lit ? palette::kGo : QColor(60, 65, 79);
    const QColor dark = lit ? QColor(46, 140, 78) : QColor(46, 50, 62);
    QPainter p(&image);
    const QColor columns[] = {light, mid, mid, dark};
    for (int x = 0; x < image.width(); ++x) {
        p.setPen(columns[x]);
        p.drawLine(x, 0, x, image.height() - 1);
    }
    // A darker cap row and foot row give each bar a finished end.
    p.setPen(dark);
    p.drawLine(0, 0, image.width() - 1, 0);
    p.drawLine(0, image.height() - 1, image.width() - 1, image.height() - 1);
    return to24(image);
}

QImage paintCompassArrow()
{
    QImage image = transparentImage(skin::kCompassArrow.width(), skin::kCompassArrow.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF tip(10, 1), tail(10, 71), left(3.5, 36), right(16.5, 36), waist(10, 36);
    auto half = [&p](QPointF a, QPointF b, QPointF c, const QColor& colour) {
        p.setPen(QPen(colour, 0.6));
        p.setBrush(colour);
        p.drawPolygon(QPolygonF({a, b, c}));
    };
    half(tip, left, waist, QColor(176, 44, 40));  // north, drawn mirrored on screen
    half(tip, right, waist, QColor(238, 98, 86));
    half(tail, left, waist, QColor(150, 156, 170));  // south
    half(tail, right, waist, QColor(216, 220, 228));
    p.setPen(QPen(QColor(210, 214, 222), 1));
    p.setBrush(QColor(42, 46, 56));
    p.drawEllipse(waist, 3, 3);
    p.end();
    return hardEdged(image, QColor(34, 38, 48));
}
