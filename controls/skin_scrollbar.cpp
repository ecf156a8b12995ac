#include "skin_scrollbar.h"

#include "blit.h"
#include "mem_dc.h"
#include "scrollbar_geometry.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kArrowLength = 26;
constexpr int kThickness = 12;

}  // namespace

CSkinScrollbar::CSkinScrollbar(QWidget* parent, const ScrollbarLayout& layout)
    : QWidget(parent),
      layout(layout),
      arrowRepeat(
          this, [this] { return Pressed(Part::NearArrow) || Pressed(Part::FarArrow); },
          [this] { RepeatStep(); })
{
}

int CSkinScrollbar::Length() const
{
    return layout.orientation == Qt::Vertical ? height() : width();
}

int CSkinScrollbar::Along(QPoint point) const
{
    return layout.orientation == Qt::Vertical ? point.y() : point.x();
}

QRect CSkinScrollbar::AxisRect(int start, int length, int breadth) const
{
    if (layout.orientation == Qt::Vertical)
        return {0, start, breadth, length};
    return {start, 0, length, breadth};
}

QRect CSkinScrollbar::HitRect(Part part)
{
    switch (part) {
    case Part::NearArrow:
        return AxisRect(layout.nearArrow, kArrowLength, layout.hitBreadth);
    case Part::FarArrow:
        return AxisRect(Length() - layout.farArrowReserve, kArrowLength, layout.hitBreadth);
    case Part::Thumb:
        break;
    }
    return AxisRect(Thumb(), kThumbLength, layout.hitBreadth);
}

bool CSkinScrollbar::HasThumb() const
{
    return ScrollLimit(list, layout.orientation) != 0;
}

void CSkinScrollbar::SyncThumb()
{
    const int pos = ScrollPos(list, layout.orientation);
    const int limit = ScrollLimit(list, layout.orientation);
    pixelsPerUnit = ::PixelsPerUnit(Length() - layout.trackReserve, limit);
    Thumb() = ThumbFromPosition(pixelsPerUnit, pos, layout.firstThumb);
    ClampThumb();
    DrawBar();
}

void CSkinScrollbar::ClampThumb()
{
    Thumb() = ::ClampThumb(Thumb(), Length() - layout.farArrowReserve, layout.firstThumb);
}

void CSkinScrollbar::DrawBar()
{
    update();
}

void CSkinScrollbar::Step(ScrollCode code)
{
    SendScroll(list, layout.orientation, code);
    SyncThumb();
}

void CSkinScrollbar::RepeatStep()
{
    if (Pressed(Part::FarArrow))
        Step(ScrollCode::LineDown);
    if (Pressed(Part::NearArrow))
        Step(ScrollCode::LineUp);
}

void CSkinScrollbar::DragThumbTo(int along)
{
    Thumb() = along - kThumbLength / 2;
    const int pos = ScrollPos(list, layout.orientation);
    const int limit = ScrollLimit(list, layout.orientation);
    pixelsPerUnit = ::PixelsPerUnit(Length() - layout.trackReserve, limit);
    const int units = UnitsFromThumb(Thumb(), layout.firstThumb, pixelsPerUnit, pos);
    // Vertically the list scrolls in whole rows, horizontally in pixels.
    if (layout.orientation == Qt::Vertical)
        ScrollList(list, 0, units * FirstRowHeight(list));
    else
        ScrollList(list, units, 0);
    // The thumb follows the mouse until the list's next repaint shows where it came to rest.
    ClampThumb();
    DrawBar();
}

void CSkinScrollbar::paintEvent(QPaintEvent*)
{
    QPainter screen(this);
    CMemDC memDC(screen, rect(), false);
    QPainter& painter = memDC.painter();
    painter.fillRect(rect(), layout.fill);
    DrawPieces(painter);
    if (HasThumb()) {
        const QRect thumb = AxisRect(Thumb(), kThumbLength, kThickness);
        CopyBlock(painter, thumb.x(), thumb.y(), thumb.width(), thumb.height(), ThumbImage());
    }
}

void CSkinScrollbar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Nothing scrolls yet: arrows step on release, or once held past the delay.
    const QPoint point = event->position().toPoint();
    if (HitRect(Part::Thumb).contains(point))
        Pressed(Part::Thumb) = 1;
    for (Part arrow : {Part::FarArrow, Part::NearArrow}) {
        if (HitRect(arrow).contains(point)) {
            Pressed(arrow) = 1;
            arrowRepeat.Start();
        }
    }
}

void CSkinScrollbar::mouseMoveEvent(QMouseEvent* event)
{
    if (!Pressed(Part::Thumb))
        return;
    DragThumbTo(Along(event->position().toPoint()));
}

void CSkinScrollbar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    SyncThumb();
    arrowRepeat.Stop();
    const QPoint point = event->position().toPoint();
    auto stepsOn = [&](Part arrow) {
        return (Pressed(arrow) || !layout.stepNeedsPressedArrow) && HitRect(arrow).contains(point);
    };
    const bool onNear = stepsOn(Part::NearArrow);
    const bool onFar = stepsOn(Part::FarArrow);
    if (onNear)
        Step(ScrollCode::LineUp);
    if (onFar)
        Step(ScrollCode::LineDown);
    // Anywhere else but the thumb (a cap, the channel, an arrow that does not step) pages
    // once towards the point.
    if (!onNear && !onFar && !HitRect(Part::Thumb).contains(point) && !Pressed(Part::Thumb))
        Step(Along(point) > Thumb() ? ScrollCode::PageDown : ScrollCode::PageUp);
    Pressed(Part::NearArrow) = Pressed(Part::FarArrow) = Pressed(Part::Thumb) = 0;
}
