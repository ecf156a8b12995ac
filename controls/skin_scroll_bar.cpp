#include "skin_scroll_bar.h"

#include "blit.h"
#include "image_buffer.h"
#include "scrollbar_geometry.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kArrowLength = 26;
constexpr int kThickness = 12;

}  // namespace

SkinScrollBar::SkinScrollBar(QWidget* parent, const ScrollBarLayout& layout)
    : QWidget(parent),
      m_layout(layout),
      m_arrowRepeat(
          this, [this] { return pressedFlag(Part::NearArrow) || pressedFlag(Part::FarArrow); },
          [this] { repeatStep(); })
{}

int SkinScrollBar::length() const
{
    return m_layout.orientation == Qt::Vertical ? height() : width();
}

int SkinScrollBar::along(QPoint point) const
{
    return m_layout.orientation == Qt::Vertical ? point.y() : point.x();
}

QRect SkinScrollBar::axisRect(int start, int length, int breadth) const
{
    if (m_layout.orientation == Qt::Vertical)
        return {0, start, breadth, length};
    return {start, 0, length, breadth};
}

QRect SkinScrollBar::hitRect(Part part)
{
    switch (part) {
    case Part::NearArrow: return axisRect(m_layout.nearArrow, kArrowLength, m_layout.hitBreadth);
    case Part::FarArrow:
        return axisRect(length() - m_layout.farArrowReserve, kArrowLength, m_layout.hitBreadth);
    case Part::Thumb: break;
    }
    return axisRect(thumbPosition(), kThumbLength, m_layout.hitBreadth);
}

bool SkinScrollBar::hasThumb() const
{
    return scrollLimit(m_list, m_layout.orientation) != 0;
}

void SkinScrollBar::syncThumb()
{
    const int pos = scrollPos(m_list, m_layout.orientation);
    const int limit = scrollLimit(m_list, m_layout.orientation);
    m_pixelsPerUnit = ::pixelsPerUnit(length() - m_layout.trackReserve, limit);
    thumbPosition() = thumbFromPosition(m_pixelsPerUnit, pos, m_layout.firstThumb);
    clampThumb();
    drawBar();
}

void SkinScrollBar::clampThumb()
{
    thumbPosition() =
        ::clampThumb(thumbPosition(), length() - m_layout.farArrowReserve, m_layout.firstThumb);
}

void SkinScrollBar::drawBar()
{
    update();
}

void SkinScrollBar::step(ScrollCode code)
{
    sendScroll(m_list, m_layout.orientation, code);
    syncThumb();
}

void SkinScrollBar::repeatStep()
{
    if (pressedFlag(Part::FarArrow))
        step(ScrollCode::LineDown);
    if (pressedFlag(Part::NearArrow))
        step(ScrollCode::LineUp);
}

void SkinScrollBar::dragThumbTo(int along)
{
    thumbPosition() = along - kThumbLength / 2;
    const int pos = scrollPos(m_list, m_layout.orientation);
    const int limit = scrollLimit(m_list, m_layout.orientation);
    m_pixelsPerUnit = ::pixelsPerUnit(length() - m_layout.trackReserve, limit);
    const int units = unitsFromThumb(thumbPosition(), m_layout.firstThumb, m_pixelsPerUnit, pos);
    // Vertically the list scrolls in whole rows, horizontally in pixels.
    if (m_layout.orientation == Qt::Vertical)
        scrollList(m_list, 0, units * firstRowHeight(m_list));
    else
        scrollList(m_list, units, 0);
    // The thumb follows the mouse until the list's next repaint shows where it came to rest.
    clampThumb();
    drawBar();
}

void SkinScrollBar::paintEvent(QPaintEvent*)
{
    QPainter screen(this);
    ImageBuffer memDC(screen, rect(), false);
    QPainter& painter = memDC.painter();
    painter.fillRect(rect(), m_layout.fill);
    drawPieces(painter);
    if (hasThumb()) {
        const QRect thumb = axisRect(thumbPosition(), kThumbLength, kThickness);
        copyBlock(painter, thumb.x(), thumb.y(), thumb.width(), thumb.height(), thumbImage());
    }
}

void SkinScrollBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Nothing scrolls yet: arrows step on release, or once held past the delay.
    const QPoint point = event->position().toPoint();
    if (hitRect(Part::Thumb).contains(point))
        pressedFlag(Part::Thumb) = 1;
    for (Part arrow : {Part::FarArrow, Part::NearArrow}) {
        if (hitRect(arrow).contains(point)) {
            pressedFlag(arrow) = 1;
            m_arrowRepeat.start();
        }
    }
}

void SkinScrollBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressedFlag(Part::Thumb))
        return;
    dragThumbTo(along(event->position().toPoint()));
}

void SkinScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    syncThumb();
    m_arrowRepeat.stop();
    const QPoint point = event->position().toPoint();
    auto stepsOn = [&](Part arrow) {
        return (pressedFlag(arrow) || !m_layout.stepNeedsPressedArrow) &&
               hitRect(arrow).contains(point);
    };
    const bool onNear = stepsOn(Part::NearArrow);
    const bool onFar = stepsOn(Part::FarArrow);
    if (onNear)
        step(ScrollCode::LineUp);
    if (onFar)
        step(ScrollCode::LineDown);
    // Anywhere else but the thumb (a cap, the channel, an arrow that does not step) pages
    // once towards the point.
    if (!onNear && !onFar && !hitRect(Part::Thumb).contains(point) && !pressedFlag(Part::Thumb))
        step(along(point) > thumbPosition() ? ScrollCode::PageDown : ScrollCode::PageUp);
    pressedFlag(Part::NearArrow) = pressedFlag(Part::FarArrow) = pressedFlag(Part::Thumb) = 0;
}
