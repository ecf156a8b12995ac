#include "res/painter/symbols.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPen inkPen(const QColor& ink, qreal width)
{
    return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void fillPolygon(QPainter& p, std::initializer_list<QPointF> points, const QColor& ink)
{
    // A thin outline of the same colour rounds the corners of the polygon.
    p.setPen(inkPen(ink, 1.2));
    p.setBrush(ink);
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
}

void fillRounded(QPainter& p, const QRectF& r, qreal radius, const QColor& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(r, radius, radius);
}

void drawLine(QPainter& p, QPointF a, QPointF b, const QColor& ink, qreal width)
{
    p.setPen(inkPen(ink, width));
    p.drawLine(a, b);
}

// One half of the loop: an arc that turns a corner and ends in an arrowhead.
void drawLoopHalf(QPainter& p, bool upper, const QColor& ink)
{
    QPainterPath path;
    if (upper) {
        path.moveTo(4.5, 13.5);
        path.lineTo(4.5, 11);
        path.arcTo(QRectF(4.5, 6.5, 7, 7), 180, -90);
        path.lineTo(16, 6.5);
    } else {
        path.moveTo(19.5, 10.5);
        path.lineTo(19.5, 13);
        path.arcTo(QRectF(12.5, 10.5, 7, 7), 0, -90);
        path.lineTo(8, 17.5);
    }
    p.setPen(inkPen(ink, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    if (upper) {
        fillPolygon(p, {{15.5, 3.2}, {20, 6.5}, {15.5, 9.8}}, ink);
    } else {
        fillPolygon(p, {{8.5, 14.2}, {4, 17.5}, {8.5, 20.8}}, ink);
    }
}

void drawLoop(QPainter& p, const QColor& ink)
{
    drawLoopHalf(p, true, ink);
    drawLoopHalf(p, false, ink);
}

void drawRepeatOne(QPainter& p, const QColor& ink)
{
    drawLoop(p, ink);
    // A small "1" in the middle of the loop: the same recording again.
    QPainterPath one;
    one.moveTo(11, 10.6);
    one.lineTo(12.5, 9.6);
    one.lineTo(12.5, 14.4);
    p.setPen(inkPen(ink, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(one);
}

void drawPrinter(QPainter& p, const QColor& ink, const QColor& ground)
{
    p.setPen(inkPen(ink, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(7.5, 3.5, 9, 5));  // paper feeding in
    fillRounded(p, QRectF(3.5, 8.5, 17, 8.5), 2, ink);
    fillRounded(p, QRectF(7, 13, 10, 7.5), 0.8, ground);  // sheet coming out
    p.setPen(inkPen(ink, 1.6));
    p.drawRect(QRectF(7, 13, 10, 7.5));
    drawLine(p, {9.3, 15.8}, {14.7, 15.8}, ink, 1.1);
    drawLine(p, {9.3, 18.2}, {13.2, 18.2}, ink, 1.1);
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawEllipse(QPointF(17.4, 11), 0.9, 0.9);
}

void drawCamera(QPainter& p, const QColor& ink, const QColor& ground)
{
    fillRounded(p, QRectF(8, 4.5, 8, 4), 1.2, ink);
    fillRounded(p, QRectF(2.5, 7, 19, 13), 2.6, ink);
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawEllipse(QPointF(12, 13.5), 4.6, 4.6);
    p.setBrush(ink);
    p.drawEllipse(QPointF(12, 13.5), 2.6, 2.6);
    p.setBrush(ground);
    p.drawEllipse(QPointF(18.2, 9.6), 0.9, 0.9);
}

void drawFolderPlus(QPainter& p, const QColor& ink, const QColor& ground)
{
    QPainterPath folder;
    folder.moveTo(2.5, 6.5);
    folder.quadTo(2.5, 4.5, 4.5, 4.5);
    folder.lineTo(9, 4.5);
    folder.lineTo(11, 6.8);
    folder.lineTo(19.5, 6.8);
    folder.quadTo(21.5, 6.8, 21.5, 8.8);
    folder.lineTo(21.5, 17.5);
    folder.quadTo(21.5, 19.5, 19.5, 19.5);
    folder.lineTo(4.5, 19.5);
    folder.quadTo(2.5, 19.5, 2.5, 17.5);
    folder.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(folder);
    drawLine(p, {12, 9.8}, {12, 16.6}, ground, 2);
    drawLine(p, {8.6, 13.2}, {15.4, 13.2}, ground, 2);
}

void drawBin(QPainter& p, const QColor& ink, const QColor& ground)
{
    drawLine(p, {4, 6.5}, {20, 6.5}, ink, 2);
    p.setPen(inkPen(ink, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(9.3, 3.3, 5.4, 3), 1, 1);
    fillPolygon(p, {{5.8, 8.6}, {18.2, 8.6}, {17, 20.5}, {7, 20.5}}, ink);
    for (qreal x : {9.6, 12.0, 14.4}) {
        drawLine(p, {x, 11.2}, {x, 17.8}, ground, 1.2);
    }
}

}  // namespace

void drawSymbol(QPainter& p, Symbol symbol, const QRectF& box, const QColor& ink,
                const QColor& ground)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(box.topLeft());
    p.scale(box.width() / 24.0, box.height() / 24.0);
    switch (symbol) {
    case Symbol::Play: fillPolygon(p, {{8, 4.5}, {19.5, 12}, {8, 19.5}}, ink); break;
    case Symbol::Pause:
        fillRounded(p, QRectF(6.5, 5, 4, 14), 1, ink);
        fillRounded(p, QRectF(13.5, 5, 4, 14), 1, ink);
        break;
    case Symbol::Stop: fillRounded(p, QRectF(6, 6, 12, 12), 1.6, ink); break;
    case Symbol::Prev:
        fillRounded(p, QRectF(5, 6, 2.8, 12), 0.8, ink);
        fillPolygon(p, {{19, 6}, {9.5, 12}, {19, 18}}, ink);
        break;
    case Symbol::Next:
        fillRounded(p, QRectF(16.2, 6, 2.8, 12), 0.8, ink);
        fillPolygon(p, {{5, 6}, {14.5, 12}, {5, 18}}, ink);
        break;
    case Symbol::CycleOn: drawLoop(p, ink); break;
    case Symbol::CycleOff: drawRepeatOne(p, ink); break;
    case Symbol::Print: drawPrinter(p, ink, ground); break;
    case Symbol::Capture: drawCamera(p, ink, ground); break;
    case Symbol::Import: drawFolderPlus(p, ink, ground); break;
    case Symbol::Clear: drawBin(p, ink, ground); break;
    case Symbol::Minus: drawLine(p, {6.5, 12}, {17.5, 12}, ink, 2.6); break;
    case Symbol::Plus:
        drawLine(p, {6.5, 12}, {17.5, 12}, ink, 2.6);
        drawLine(p, {12, 6.5}, {12, 17.5}, ink, 2.6);
        break;
    case Symbol::Minimise: drawLine(p, {7, 15}, {17, 15}, ink, 2); break;
    case Symbol::Close:
        drawLine(p, {7.5, 7.5}, {16.5, 16.5}, ink, 2);
        drawLine(p, {16.5, 7.5}, {7.5, 16.5}, ink, 2);
        break;
    }
    p.restore();
}
