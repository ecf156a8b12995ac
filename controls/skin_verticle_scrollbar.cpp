#include "skin_verticle_scrollbar.h"

#include "blit.h"
#include "mem_dc.h"
#include "scrollbar_geometry.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kWidth = 12;
constexpr int kTopCap = 11;
constexpr int kArrow = 26;
constexpr int kBottomReserve = 37;  // down arrow + bottom cap
// The thumb starts one pixel over the up arrow; H - 98 pixels of travel for the whole range.
constexpr ScrollbarAxis kAxis{Qt::Vertical, kTopCap + kArrow - 1, 98, kBottomReserve};
const QColor kFill(74, 82, 107);

}  // namespace

VerticleScrollbarImages VerticleScrollbarImages::Load()
{
    return {LoadBitmap(147), LoadBitmap(148), LoadBitmap(145),
            LoadBitmap(144), LoadBitmap(143), LoadBitmap(146)};
}

CSkinVerticleScrollbar::CSkinVerticleScrollbar(QWidget* parent)
    : CSkinScrollbar(parent, kAxis, [this] { return upPressed || downPressed; }),
      images(VerticleScrollbarImages::Load())
{
}

void CSkinVerticleScrollbar::SetImages(const VerticleScrollbarImages& pictures)
{
    images = pictures;
    DrawBar();
}

QRect CSkinVerticleScrollbar::UpArrowRect() const
{
    return {0, kTopCap, kWidth, kArrow};
}

QRect CSkinVerticleScrollbar::DownArrowRect() const
{
    return {0, height() - kBottomReserve, kWidth, kArrow};
}

QRect CSkinVerticleScrollbar::ThumbRect() const
{
    return {0, thumbTop, kWidth, kThumbLength};
}

void CSkinVerticleScrollbar::RepeatStep()
{
    if (downPressed)
        LineDown();
    if (upPressed)
        LineUp();
}

void CSkinVerticleScrollbar::paintEvent(QPaintEvent*)
{
    QPainter screen(this);
    CMemDC memDC(screen, rect(), false);
    QPainter& painter = memDC.painter();
    const int h = height();
    painter.fillRect(rect(), kFill);
    CopyBlock(painter, 0, 0, kWidth, kTopCap, images.topCap);
    CopyBlock(painter, 0, kTopCap, kWidth, kArrow, images.upArrow);
    StretchBlock(painter, QRect(0, kTopCap + kArrow, kWidth, h - (kTopCap + kArrow)),
                 images.channel, QRect(0, 0, kWidth, 1));
    CopyBlock(painter, 0, h - kBottomReserve, kWidth, kArrow, images.downArrow);
    CopyBlock(painter, 1, h - kTopCap, kWidth - 1, kTopCap, images.bottomCap);
    if (HasThumb())
        CopyBlock(painter, 0, thumbTop, kWidth, kThumbLength, images.thumb);
}

void CSkinVerticleScrollbar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (ThumbRect().contains(point))
        thumbPressed = 1;
    if (DownArrowRect().contains(point)) {
        downPressed = 1;
        arrowRepeat.Start();
    }
    if (UpArrowRect().contains(point)) {
        upPressed = 1;
        arrowRepeat.Start();
    }
}

void CSkinVerticleScrollbar::mouseMoveEvent(QMouseEvent* event)
{
    if (!thumbPressed)
        return;
    DragThumbTo(event->position().toPoint().y());
}

void CSkinVerticleScrollbar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    SyncThumb();
    arrowRepeat.Stop();
    const QPoint point = event->position().toPoint();
    const bool onUp = upPressed && UpArrowRect().contains(point);
    const bool onDown = downPressed && DownArrowRect().contains(point);
    if (onUp)
        LineUp();
    if (onDown)
        LineDown();
    // A release over the other arrow counts as a click in the channel.
    if (!onUp && !onDown && !ThumbRect().contains(point) && !thumbPressed) {
        if (point.y() > thumbTop)
            PageDown();
        else
            PageUp();
    }
    upPressed = downPressed = thumbPressed = 0;
}
