#include "skin_horizontal_scrollbar.h"

#include "blit.h"
#include "mem_dc.h"
#include "scrollbar_geometry.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kHeight = 12;
constexpr int kHitHeight = 20;  // the hit rectangles reach below the bar
constexpr int kArrow = 26;
// The thumb starts one pixel over the left arrow; W - 75 pixels of travel for the whole range.
constexpr ScrollbarAxis kAxis{Qt::Horizontal, kArrow - 1, 75, kArrow};
const QColor kFill(76, 85, 118);

}  // namespace

HorizontalScrollbarImages HorizontalScrollbarImages::Load()
{
    return {LoadBitmap(138), LoadBitmap(139), LoadBitmap(140), LoadBitmap(141)};
}

CSkinHorizontalScrollbar::CSkinHorizontalScrollbar(QWidget* parent)
    : CSkinScrollbar(parent, kAxis, [this] { return rightPressed || leftPressed; }),
      images(HorizontalScrollbarImages::Load())
{
}

void CSkinHorizontalScrollbar::SetImages(const HorizontalScrollbarImages& pictures)
{
    images = pictures;
    DrawBar();
}

QRect CSkinHorizontalScrollbar::LeftArrowRect() const
{
    return {0, 0, kArrow, kHitHeight};
}

QRect CSkinHorizontalScrollbar::RightArrowRect() const
{
    return {width() - kArrow, 0, kArrow, kHitHeight};
}

QRect CSkinHorizontalScrollbar::ThumbRect() const
{
    return {thumbLeft, 0, kThumbLength, kHitHeight};
}

void CSkinHorizontalScrollbar::RepeatStep()
{
    if (rightPressed)
        LineRight();
    if (leftPressed)
        LineLeft();
}

void CSkinHorizontalScrollbar::paintEvent(QPaintEvent*)
{
    QPainter screen(this);
    CMemDC memDC(screen, rect(), false);
    QPainter& painter = memDC.painter();
    const int w = width();
    painter.fillRect(rect(), kFill);
    CopyBlock(painter, 0, 0, kArrow, kHeight, images.leftArrow);
    StretchBlock(painter, QRect(kArrow, 0, w - kArrow, kHeight), images.channel,
                 QRect(0, 0, 1, kHeight));
    CopyBlock(painter, w - kArrow, 0, kArrow, kHeight, images.rightArrow);
    if (HasThumb())
        CopyBlock(painter, thumbLeft, 0, kThumbLength, kHeight, images.thumb);
}

void CSkinHorizontalScrollbar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (ThumbRect().contains(point))
        thumbPressed = 1;
    if (RightArrowRect().contains(point)) {
        rightPressed = 1;
        arrowRepeat.Start();
    }
    if (LeftArrowRect().contains(point)) {
        leftPressed = 1;
        arrowRepeat.Start();
    }
}

void CSkinHorizontalScrollbar::mouseMoveEvent(QMouseEvent* event)
{
    if (!thumbPressed)
        return;
    thumbDragging = 1;
    DragThumbTo(event->position().toPoint().x());
}

void CSkinHorizontalScrollbar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    SyncThumb();
    arrowRepeat.Stop();
    const QPoint point = event->position().toPoint();
    // Unlike the vertical bar, a release over either arrow steps, whatever was pressed.
    const bool onLeft = LeftArrowRect().contains(point);
    const bool onRight = RightArrowRect().contains(point);
    if (onLeft)
        LineLeft();
    if (onRight)
        LineRight();
    if (!onLeft && !onRight && !ThumbRect().contains(point) && !thumbPressed) {
        if (point.x() > thumbLeft)
            PageRight();
        else
            PageLeft();
    }
    rightPressed = leftPressed = thumbDragging = thumbPressed = 0;
}
