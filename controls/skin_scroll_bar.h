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
struct ScrollBarLayout
{
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
class SkinScrollBar : public QWidget
{
public:
    void setList(QAbstractItemView* view) { m_list = view; }

    // Thumb from the list's position, clamped, and redrawn.
    void syncThumb();
    void clampThumb();
    void drawBar();

    double pixelsPerUnit() const { return m_pixelsPerUnit; }

protected:
    // The near arrow is the up or left one, the far arrow the down or right one.
    enum class Part { NearArrow, FarArrow, Thumb };

    SkinScrollBar(QWidget* parent, const ScrollBarLayout& layout);

    // The thumb's position along the axis (thumbTop or thumbLeft).
    virtual int& thumbPosition() = 0;
    // The bar's flag for a press on a part.
    virtual std::uint8_t& pressedFlag(Part part) = 0;
    // Arrows, channel and caps over the ground; the thumb comes after them.
    virtual void drawPieces(QPainter& painter) const = 0;
    virtual const QImage& thumbImage() const = 0;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    int length() const;
    // Sends a line or page scroll to the list, then follows it.
    void step(ScrollCode code);

    QPointer<QAbstractItemView> m_list;
    double m_pixelsPerUnit = 0;

private:
    bool hasThumb() const;
    int along(QPoint point) const;
    // start .. start + length along the axis, breadth across it.
    QRect axisRect(int start, int length, int breadth) const;
    QRect hitRect(Part part);
    // Drag: the thumb held by its centre at `along`; the list scrolls by the units between.
    void dragThumbTo(int along);
    // One step of a held arrow.
    void repeatStep();

    ScrollBarLayout m_layout;
    ArrowRepeat m_arrowRepeat;
};
