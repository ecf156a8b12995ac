#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>

class QPainter;

// Surfaces shared by the skin and the pictures drawn over it.

// The title strip's vertical gradient, rows 0..28 of a strip of the given width.
void paintTitleStrip(QPainter& p, int width);

// A raised panel and a recessed well, with a one-pixel edge.
void paintPanel(QPainter& p, const QRectF& r, qreal radius);
void paintRecess(QPainter& p, const QRectF& r, qreal radius);

// The face of the application's pictures: Liberation Sans (Arial metrics), in pixels.
QFont uiFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// A transparent ARGB picture to draw on.
QImage transparentImage(int width, int height);

// Pictures turned pixel by pixel (the compass arrow) or drawn small keep hard edges: every
// pixel at least half covered is blended over the matte colour it will usually sit on and
// made opaque, every other pixel clear.
QImage hardEdged(const QImage& argb, const QColor& matte);
