#include "image_buffer.h"

#include <QPaintDevice>

namespace {

QRect targetClipBox(const QPainter& target)
{
    if (target.hasClipping())
        return target.clipBoundingRect().toAlignedRect();
    const QPaintDevice* device = target.device();
    return device ? QRect(0, 0, device->width(), device->height()) : QRect();
}

}  // namespace

ImageBuffer::ImageBuffer(QPainter& target, const QRect& rect, bool copyBackground)
    : m_target(&target),
      m_rect(rect.isEmpty() ? targetClipBox(target) : rect),
      m_offscreen(!target.device() || target.device()->devType() != QInternal::Printer)
{
    if (!m_offscreen)
        return;
    m_bitmap = QImage(m_rect.size(), QImage::Format_ARGB32_Premultiplied);
    // A fully transparent start composed over the target at the end is the same as
    // starting from a copy of the target's pixels.
    m_bitmap.fill(copyBackground ? QColor(Qt::transparent) : target.background().color());
    m_painter.emplace(&m_bitmap);
    m_painter->translate(-m_rect.topLeft());
}

ImageBuffer::~ImageBuffer()
{
    if (!m_offscreen)
        return;
    m_painter->end();
    m_target->drawImage(m_rect.topLeft(), m_bitmap);
}

QPainter& ImageBuffer::painter()
{
    return m_offscreen ? *m_painter : *m_target;
}
