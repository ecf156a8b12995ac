#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

// Copies the w x h block at the source's top-left corner to (x, y), unscaled.
inline void copyBlock(QPainter& painter, int x, int y, int w, int h, const QImage& source)
{
    if (!source.isNull() && w > 0 && h > 0) {
        painter.drawImage(QRect(x, y, w, h), source, QRect(0, 0, w, h));
    }
}

// Stretches the block `from` of the source over `to` (nearest pixel, no smoothing).
inline void stretchBlock(QPainter& painter, const QRect& to, const QImage& source,
                         const QRect& from)
{
    if (!source.isNull() && to.isValid() && from.isValid()) {
        painter.drawImage(to, source, from);
    }
}
