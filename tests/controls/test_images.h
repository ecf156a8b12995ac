#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// Synthetic pictures with known pixels for the control tests.

inline QImage solidImage(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A colour that names its own coordinates, so an offset into the picture can be read back.
inline QRgb coordinateColour(int x, int y)
{
    return qRgb(x % 256, y % 256, (x / 256) * 16 + (y / 256));
}

inline QImage coordinateImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, coordinateColour(x, y));
        }
    }
    return image;
}

// The widget as it appears inside its top-level window (parent's pixels included).
inline QImage onScreen(QWidget* widget)
{
    QWidget* top = widget->window();
    const QImage whole = top->grab().toImage();
    return whole.copy(QRect(widget->mapTo(top, QPoint(0, 0)), widget->size()));
}

inline QColor pixelOf(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}
