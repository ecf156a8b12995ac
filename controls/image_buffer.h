#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

#include <optional>

// Off-screen drawing surface: everything painted through painter() is composed in one
// image and copied to the target in a single transfer when the object goes away, so
// controls that repaint often do not flicker. Logical coordinates are the target's.
class ImageBuffer
{
public:
    // rect empty: the target's clipping box. copyBackground: start from what is already on
    // the target (the buffer starts transparent and is composed over it); otherwise start
    // from the target's background colour.
    ImageBuffer(QPainter& target, const QRect& rect, bool copyBackground);
    ~ImageBuffer();

    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    QPainter& painter();
    // The rectangle covered, in the target's logical coordinates.
    const QRect& rect() const { return m_rect; }

private:
    QImage m_bitmap;
    QPainter* m_target;
    QRect m_rect;
    bool m_offscreen;
    std::optional<QPainter> m_painter;
};
