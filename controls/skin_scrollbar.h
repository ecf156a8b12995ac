#pragma once

#include "arrow_repeat.h"
#include "list_scroll.h"

#include <QAbstractItemView>
#include <QColor>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>

class QPainter;

// Where the pieces of a bar lie along its axis, and the two points where the bars behave
// differently.
struct ScrollbarLayout {
    Qt::Orientation orientation;
    int nearArrow;        // where the up or left arrow begins (11 or 0)
    int firstThumb;       // lowest thumb position (36 or 25)
    int trackReserve;     // length - this = thumb pixels for the whole range (98 or 75)
    int farArrowReserve;  // length - this = where the far arrow begins (37 or 26)
    int hitBreadth;       // of the arrows' and the thumb's hit rectangles, across the axis
    QColor fill;          // the ground under the pieces
    // A release over an arrow steps only when the press was on that arrow; otherwise a
    // release over either arrow steps, whatever was pressed.
    bool stepNeedsPressedArrow;
};

// What the two skinned scroll bars share: they keep no scroll model of their own, read the
// list's position and limit, drive the list with line, page and pixel scrolls, and handle
// the mouse alike along their own axis.
class CSkinScrollbar : public QWidget {
public:
    void SetList(QAbstractItemView* view) { list = view; }

    // Thumb from the list's position, clamped, and redrawn.
    void SyncThumb();
    void ClampThumb();
    void DrawBar();

    double PixelsPerUnit() const { return pixelsPerUnit; }

protected:
    // The near arrow is the up or left one, the far arrow the down or right one.
    enum class Part { NearArrow, FarArrow, Thumb };

    CSkinScrollbar(QWidget* parent, const ScrollbarLayout& layout);

    // The thumb's position along the axis (thumbTop or thumbLeft).
    virtual int& Thumb() = 0;
    // The bar's flag for a press on a part.
    virtual std::uint8_t& Pressed(Part part) = 0;
    // Arrows, channel and caps over the ground; the thumb comes after them.
    virtual void DrawPieces(QPainter& painter) const = 0;
    virtual const QImage& ThumbImage() const = 0;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    int Length() const;
    // Sends a line or page scroll to the list, then follows it.
    void Step(ScrollCode code);

    QPointer<QAbstractItemView> list;
    double pixelsPerUnit = 0;

private:
    bool HasThumb() const;
    int Along(QPoint point) const;
    // start .. start + length along the axis, breadth across it.
    QRect AxisRect(int start, int length, int breadth) const;
    QRect HitRect(Part part);
    // Drag: the thumb held by its centre at `along`; the list scrolls by the units between.
    void DragThumbTo(int along);
    // One step of a held arrow.
    void RepeatStep();

    ScrollbarLayout layout;
    CArrowRepeat arrowRepeat;
};
