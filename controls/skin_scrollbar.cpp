#include "skin_scrollbar.h"

#include "scrollbar_geometry.h"

#include <utility>

CSkinScrollbar::CSkinScrollbar(QWidget* parent, const ScrollbarAxis& axis,
                               std::function<bool()> held)
    : QWidget(parent), arrowRepeat(this, std::move(held), [this] { RepeatStep(); }), axis(axis)
{
}

int CSkinScrollbar::Length() const
{
    return axis.orientation == Qt::Vertical ? height() : width();
}

bool CSkinScrollbar::HasThumb() const
{
    return ScrollLimit(list, axis.orientation) != 0;
}

void CSkinScrollbar::SyncThumb()
{
    const int pos = ScrollPos(list, axis.orientation);
    const int limit = ScrollLimit(list, axis.orientation);
    pixelsPerUnit = ::PixelsPerUnit(Length() - axis.trackReserve, limit);
    Thumb() = ThumbFromPosition(pixelsPerUnit, pos, axis.firstThumb);
    ClampThumb();
    DrawBar();
}

void CSkinScrollbar::ClampThumb()
{
    Thumb() = ::ClampThumb(Thumb(), Length() - axis.farArrowReserve, axis.firstThumb);
}

void CSkinScrollbar::DrawBar()
{
    update();
}

void CSkinScrollbar::Step(ScrollCode code)
{
    SendScroll(list, axis.orientation, code);
    SyncThumb();
}

void CSkinScrollbar::DragThumbTo(int along)
{
    Thumb() = along - kThumbLength / 2;
    const int pos = ScrollPos(list, axis.orientation);
    const int limit = ScrollLimit(list, axis.orientation);
    pixelsPerUnit = ::PixelsPerUnit(Length() - axis.trackReserve, limit);
    const int units = UnitsFromThumb(Thumb(), axis.firstThumb, pixelsPerUnit, pos);
    // Vertically the list scrolls in whole rows, horizontally in pixels.
    if (axis.orientation == Qt::Vertical)
        ScrollList(list, 0, units * FirstRowHeight(list));
    else
        ScrollList(list, units, 0);
    // The thumb follows the mouse until the list's next repaint shows where it came to rest.
    ClampThumb();
    DrawBar();
}
