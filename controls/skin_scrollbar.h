#pragma once

#include "arrow_repeat.h"
#include "list_scroll.h"

#include <QAbstractItemView>
#include <QPointer>
#include <QWidget>

#include <functional>

// Where the pieces of a bar lie along its axis.
struct ScrollbarAxis {
    Qt::Orientation orientation;
    int firstThumb;       // lowest thumb position (36 or 25)
    int trackReserve;     // length - this = thumb pixels for the whole range (98 or 75)
    int farArrowReserve;  // length - this = where the far arrow begins (37 or 26)
};

// What the two skinned scroll bars share: they keep no scroll model of their own, read the
// list's position and limit, and drive the list with line, page and pixel scrolls.
class CSkinScrollbar : public QWidget {
public:
    void SetList(QAbstractItemView* view) { list = view; }

    // Thumb from the list's position, clamped, and redrawn.
    void SyncThumb();
    void ClampThumb();
    void DrawBar();

    double PixelsPerUnit() const { return pixelsPerUnit; }

protected:
    // held: an arrow of the bar is still pressed.
    CSkinScrollbar(QWidget* parent, const ScrollbarAxis& axis, std::function<bool()> held);

    // The thumb's position along the axis (thumbTop or thumbLeft).
    virtual int& Thumb() = 0;
    // One step of a held arrow.
    virtual void RepeatStep() = 0;

    int Length() const;
    bool HasThumb() const;
    // Sends a line or page scroll to the list, then follows it.
    void Step(ScrollCode code);
    // Drag: the thumb held by its centre at `along`; the list scrolls by the units between.
    void DragThumbTo(int along);

    QPointer<QAbstractItemView> list;
    double pixelsPerUnit = 0;
    CArrowRepeat arrowRepeat;

private:
    ScrollbarAxis axis;
};
