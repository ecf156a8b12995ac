#include "bitmap_slider.h"

#include "masked_image.h"
#include "mem_dc.h"
#include "resource_image.h"
#include "truncate.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

namespace {

int ClampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Takes `source` into `image`, masked when transparent; a null source releases both.
void TakeImage(const QImage& source, QImage& image, QImage& mask, bool transparent,
               std::uint32_t transparentColour, int sampleX, int sampleY)
{
    image = source;
    mask = QImage();
    if (transparent && !image.isNull())
        MakeMask(image, mask, transparentColour, sampleX, sampleY);
}

// A picture and its optional active picture (active id 0: none). Id 0 and a failed load
// leave both null; the result says whether the pictures asked for are in hand.
bool LoadPair(int id, int activeId, QImage& image, QImage& active)
{
    if (id == 0)
        return true;
    const QString type = QStringLiteral("BITMAP");
    if (LoadResourceImage(id, type, image) &&
        (activeId == 0 || LoadResourceImage(activeId, type, active)))
        return true;
    image = active = QImage();
    return false;
}

}  // namespace

CBitmapSlider::CBitmapSlider(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
}

bool CBitmapSlider::SetChannelImages(int channelId, int activeId, bool transparent,
                                     std::uint32_t transparentColour, int sampleX, int sampleY)
{
    QImage channel;
    QImage active;
    const bool loaded = LoadPair(channelId, activeId, channel, active);
    // Null pictures, after a failed load too, clear the channel.
    SetChannelImages(channel, active, transparent, transparentColour, sampleX, sampleY);
    return loaded;
}

bool CBitmapSlider::SetThumbImages(int thumbId, int activeId, bool transparent,
                                   std::uint32_t transparentColour, int sampleX, int sampleY)
{
    QImage thumb;
    QImage active;
    const bool loaded = LoadPair(thumbId, activeId, thumb, active);
    // Null pictures, after a failed load too, clear the thumb.
    SetThumbImages(thumb, active, transparent, transparentColour, sampleX, sampleY);
    return loaded;
}

bool CBitmapSlider::SetChannelImages(const QImage& channel, const QImage& active,
                                     bool transparent, std::uint32_t transparentColour,
                                     int sampleX, int sampleY)
{
    ReleaseChannel();
    if (channel.isNull())
        return true;
    TakeImage(channel, channelImage, channelMask, transparent, transparentColour, sampleX,
              sampleY);
    TakeImage(active, activeChannelImage, activeChannelMask, transparent, transparentColour,
              sampleX, sampleY);
    channelWidth = channelImage.width();
    channelHeight = channelImage.height();
    resize(channelWidth, channelHeight);
    clientRect = rect();
    channelTransparent = transparent ? 1 : 0;
    return true;
}

bool CBitmapSlider::SetThumbImages(const QImage& thumb, const QImage& active, bool transparent,
                                   std::uint32_t transparentColour, int sampleX, int sampleY)
{
    ReleaseThumb();
    if (thumb.isNull())
        return true;
    TakeImage(thumb, thumbImage, thumbMask, transparent, transparentColour, sampleX, sampleY);
    TakeImage(active, activeThumbImage, activeThumbMask, transparent, transparentColour,
              sampleX, sampleY);
    thumbWidth = thumbImage.width();
    thumbHeight = thumbImage.height();
    if (!ChannelLoaded()) {
        clientRect = rect();
        channelWidth = clientRect.width();
        channelHeight = clientRect.height();
    }
    thumbTransparent = transparent ? 1 : 0;
    return true;
}

void CBitmapSlider::ReleaseChannel()
{
    channelImage = channelMask = activeChannelImage = activeChannelMask = QImage();
}

void CBitmapSlider::ReleaseThumb()
{
    thumbImage = thumbMask = activeThumbImage = activeThumbMask = QImage();
}

void CBitmapSlider::SetRangeMax(int max, bool redraw)
{
    rangeMax = max;
    if (redraw)
        Redraw();
}

void CBitmapSlider::SetRangeMin(int min, bool redraw)
{
    rangeMin = min;
    if (redraw)
        Redraw();
}

void CBitmapSlider::SetRange(int min, int max, bool redraw)
{
    SetRangeMin(min, false);
    SetRangeMax(max, redraw);
}

void CBitmapSlider::SetPosition(int pos)
{
    position = pos;
    if (position > rangeMax)
        position = rangeMax;
    if (position < rangeMin)
        position = rangeMin;
    Redraw();
}

int CBitmapSlider::SetPageStep(int step)
{
    return std::exchange(pageStep, step);
}

int CBitmapSlider::SetLineStep(int step)
{
    return std::exchange(lineStep, step);
}

void CBitmapSlider::SetMargins(int left, int top, int right, int bottom)
{
    marginLeft = left;
    marginTop = top;
    marginRight = right;
    marginBottom = bottom;
}

void CBitmapSlider::SetEnabled(bool enable)
{
    enabled = enable ? 1 : 0;
    if (!enabled && dragging) {
        dragging = 0;
        if (mouseGrabber() == this)
            releaseMouse();
    }
    Redraw();
}

void CBitmapSlider::SetFocusFrame(bool show, bool redraw)
{
    showFocusFrame = show ? 1 : 0;
    if (redraw)
        Redraw();
}

int CBitmapSlider::Travel() const
{
    return channelWidth - marginLeft - marginRight - thumbWidth;
}

int CBitmapSlider::PositionToPixel(int pos) const
{
    const int travel = Travel();
    const int leftEnd = marginLeft + thumbWidth / 2;
    if (rangeMax == rangeMin || travel == 0)
        return leftEnd;
    const double fraction = (double(pos) - double(rangeMin)) / (double(rangeMax) - double(rangeMin));
    return TruncToInt(travel * fraction) + leftEnd;
}

int CBitmapSlider::PixelToPosition(int x) const
{
    const int travel = Travel();
    if (rangeMax == rangeMin || travel == 0)
        return rangeMin;
    const double offset = double(x) - double(marginLeft) - double(thumbWidth / 2);
    return TruncToInt(double(rangeMin) + offset / travel * (double(rangeMax) - double(rangeMin)));
}

void CBitmapSlider::DragTo(int x)
{
    int v = x - dragOffset;
    v = std::max(v, marginLeft + thumbWidth / 2);
    v = std::min(v, channelWidth - marginRight - thumbWidth / 2);
    if (v == PositionToPixel(position))
        return;
    SetPosition(PixelToPosition(v));
    emit moved(position);
}

void CBitmapSlider::mousePressEvent(QMouseEvent* event)
{
    if (!enabled)
        return;
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    dragging = 1;
    const int x = event->position().toPoint().x();
    const int centre = PositionToPixel(position);
    dragOffset = std::abs(x - centre) <= thumbWidth / 2 ? x - centre : 0;
    DragTo(x);
    Redraw();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging || !enabled)
        return;
    DragTo(event->position().toPoint().x());
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!enabled)
        return;
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragging = 0;
    Redraw();
    emit released(position);
}

void CBitmapSlider::keyPressEvent(QKeyEvent* event)
{
    if (!enabled)
        return;
    long long target = 0;
    switch (event->key()) {
    case Qt::Key_PageUp: target = 0LL + position - pageStep; break;
    case Qt::Key_PageDown: target = 0LL + position + pageStep; break;
    case Qt::Key_End: target = rangeMax; break;
    case Qt::Key_Home: target = rangeMin; break;
    case Qt::Key_Left:
    case Qt::Key_Up: target = 0LL + position - lineStep; break;
    case Qt::Key_Right:
    case Qt::Key_Down: target = 0LL + position + lineStep; break;
    default: QWidget::keyPressEvent(event); return;
    }
    SetPosition(ClampToInt(target));
    emit released(position);
}

void CBitmapSlider::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    hasKeyboardFocus = 1;
    Redraw();
}

void CBitmapSlider::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    hasKeyboardFocus = 0;
    Redraw();
}

void CBitmapSlider::Redraw()
{
    update();
}

void CBitmapSlider::DrawChannel(QPainter& painter)
{
    const int p = PositionToPixel(position);
    const bool transparent = channelTransparent != 0;
    if (!activeChannelImage.isNull() && enabled) {
        DrawPart(painter, p, 0, channelWidth - p, channelHeight, channelImage, p, 0, channelMask,
                 transparent);
        DrawPart(painter, 0, 0, p, channelHeight, activeChannelImage, 0, 0, activeChannelMask,
                 transparent);
    } else {
        DrawPart(painter, 0, 0, channelWidth, channelHeight, channelImage, 0, 0, channelMask,
                 transparent);
    }
}

void CBitmapSlider::DrawThumb(QPainter& painter)
{
    const bool active = !activeThumbImage.isNull() && dragging;
    const QImage& image = active ? activeThumbImage : thumbImage;
    const QImage& mask = active ? activeThumbMask : thumbMask;
    const int tx = PositionToPixel(position) - thumbWidth / 2;
    DrawPart(painter, tx, marginTop, thumbWidth, thumbHeight, image, 0, 0, mask,
             thumbTransparent != 0);
}

void CBitmapSlider::DrawFocusFrame(QPainter& painter) const
{
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white, 1);
    pen.setDashPattern({1, 1});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(clientRect.adjusted(0, 0, -1, -1));
    painter.restore();
}

void CBitmapSlider::paintEvent(QPaintEvent*)
{
    QPainter screen(this);
    CMemDC memDC(screen, clientRect, channelTransparent != 0);
    QPainter& painter = memDC.painter();
    // The buffer starts empty over what Qt has already painted beneath the control, so
    // neither the previous thumb nor the previous focus frame is there to be put back.
    if (ChannelLoaded())
        DrawChannel(painter);
    if (ThumbLoaded() && enabled)
        DrawThumb(painter);
    if (showFocusFrame && hasKeyboardFocus && enabled)
        DrawFocusFrame(painter);
}
