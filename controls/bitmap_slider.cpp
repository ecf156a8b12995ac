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

// A picture and its optional active picture (active id 0: none). Id 0 and a failed load
// give two null pictures; `loaded` says whether the pictures asked for are in hand.
struct LoadedPair {
    QImage image;
    QImage active;
    bool loaded = true;
};

LoadedPair LoadPair(int id, int activeId)
{
    LoadedPair pair;
    if (id == 0)
        return pair;
    const QString type = QStringLiteral("BITMAP");
    if (LoadResourceImage(id, type, pair.image) &&
        (activeId == 0 || LoadResourceImage(activeId, type, pair.active)))
        return pair;
    return {QImage(), QImage(), false};
}

}  // namespace

CBitmapSlider::CBitmapSlider(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
}

void CBitmapSlider::Picture::set(const QImage& picture, const QImage& activePicture, bool keyed,
                                 std::uint32_t transparentColour, int sampleX, int sampleY)
{
    image = picture;
    active = picture.isNull() ? QImage() : activePicture;
    transparent = keyed && !picture.isNull();
    mask = activeMask = QImage();
    if (!transparent)
        return;
    MakeMask(image, mask, transparentColour, sampleX, sampleY);
    if (!active.isNull())
        MakeMask(active, activeMask, transparentColour, sampleX, sampleY);
}

// Null pictures, after a failed load too, clear the channel or the thumb.
bool CBitmapSlider::SetChannelImages(int channelId, int activeId, bool transparent,
                                     std::uint32_t transparentColour, int sampleX, int sampleY)
{
    const LoadedPair pair = LoadPair(channelId, activeId);
    SetChannelImages(pair.image, pair.active, transparent, transparentColour, sampleX, sampleY);
    return pair.loaded;
}

bool CBitmapSlider::SetThumbImages(int thumbId, int activeId, bool transparent,
                                   std::uint32_t transparentColour, int sampleX, int sampleY)
{
    const LoadedPair pair = LoadPair(thumbId, activeId);
    SetThumbImages(pair.image, pair.active, transparent, transparentColour, sampleX, sampleY);
    return pair.loaded;
}

// The control takes the channel's size.
bool CBitmapSlider::SetChannelImages(const QImage& image, const QImage& active, bool transparent,
                                     std::uint32_t transparentColour, int sampleX, int sampleY)
{
    channel.set(image, active, transparent, transparentColour, sampleX, sampleY);
    if (channel.isNull())
        return true;
    channelSize = image.size();
    resize(channelSize);
    clientRect = rect();
    return true;
}

// Without a channel the thumb travels the control as it is.
bool CBitmapSlider::SetThumbImages(const QImage& image, const QImage& active, bool transparent,
                                   std::uint32_t transparentColour, int sampleX, int sampleY)
{
    thumb.set(image, active, transparent, transparentColour, sampleX, sampleY);
    if (thumb.isNull())
        return true;
    thumbSize = image.size();
    if (channel.isNull()) {
        clientRect = rect();
        channelSize = clientRect.size();
    }
    return true;
}

void CBitmapSlider::SetRangeMax(int max, bool redraw)
{
    rangeMax = max;
    if (redraw)
        update();
}

void CBitmapSlider::SetRangeMin(int min, bool redraw)
{
    rangeMin = min;
    if (redraw)
        update();
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
    update();
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
    margins = QMargins(left, top, right, bottom);
}

void CBitmapSlider::SetEnabled(bool enable)
{
    enabled = enable;
    if (!enabled && dragging) {
        dragging = false;
        if (mouseGrabber() == this)
            releaseMouse();
    }
    update();
}

void CBitmapSlider::SetFocusFrame(bool show, bool redraw)
{
    showFocusFrame = show;
    if (redraw)
        update();
}

int CBitmapSlider::Travel() const
{
    return channelSize.width() - margins.left() - margins.right() - thumbSize.width();
}

int CBitmapSlider::PositionToPixel(int pos) const
{
    const int travel = Travel();
    const int leftEnd = margins.left() + thumbSize.width() / 2;
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
    const double offset = double(x) - double(margins.left()) - double(thumbSize.width() / 2);
    return TruncToInt(double(rangeMin) + offset / travel * (double(rangeMax) - double(rangeMin)));
}

void CBitmapSlider::DragTo(int x)
{
    int v = x - dragOffset;
    v = std::max(v, margins.left() + thumbSize.width() / 2);
    v = std::min(v, channelSize.width() - margins.right() - thumbSize.width() / 2);
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
    dragging = true;
    const int x = event->position().toPoint().x();
    const int centre = PositionToPixel(position);
    dragOffset = std::abs(x - centre) <= thumbSize.width() / 2 ? x - centre : 0;
    DragTo(x);
    update();
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
    dragging = false;
    update();
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
    hasKeyboardFocus = true;
    update();
}

void CBitmapSlider::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    hasKeyboardFocus = false;
    update();
}

// Left of the thumb the channel shows its active picture, when it has one.
void CBitmapSlider::DrawChannel(QPainter& painter)
{
    const int p = PositionToPixel(position);
    const int width = channelSize.width();
    const int height = channelSize.height();
    if (!channel.active.isNull() && enabled) {
        DrawPart(painter, p, 0, width - p, height, channel.image, p, 0, channel.mask,
                 channel.transparent);
        DrawPart(painter, 0, 0, p, height, channel.active, 0, 0, channel.activeMask,
                 channel.transparent);
    } else {
        DrawPart(painter, 0, 0, width, height, channel.image, 0, 0, channel.mask,
                 channel.transparent);
    }
}

void CBitmapSlider::DrawThumb(QPainter& painter)
{
    const bool active = !thumb.active.isNull() && dragging;
    const QImage& image = active ? thumb.active : thumb.image;
    const QImage& mask = active ? thumb.activeMask : thumb.mask;
    const int tx = PositionToPixel(position) - thumbSize.width() / 2;
    DrawPart(painter, tx, margins.top(), thumbSize.width(), thumbSize.height(), image, 0, 0,
             mask, thumb.transparent);
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
    CMemDC memDC(screen, clientRect, channel.transparent);
    QPainter& painter = memDC.painter();
    // The buffer starts empty over what Qt has already painted beneath the control, so
    // neither the previous thumb nor the previous focus frame is there to be put back.
    if (!channel.isNull())
        DrawChannel(painter);
    if (!thumb.isNull() && enabled)
        DrawThumb(painter);
    if (showFocusFrame && hasKeyboardFocus && enabled)
        DrawFocusFrame(painter);
}
