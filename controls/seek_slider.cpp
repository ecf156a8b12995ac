#include "seek_slider.h"

#include "image_buffer.h"
#include "masked_image.h"
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

int clampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// A picture and its optional active picture (active id 0: none). Id 0 and a failed load
// give two null pictures; `loaded` says whether the pictures asked for are in hand.
struct LoadedPair
{
    QImage image;
    QImage active;
    bool loaded = true;
};

LoadedPair loadPair(int id, int activeId)
{
    LoadedPair pair;
    if (id == 0)
        return pair;
    const QString type = QStringLiteral("BITMAP");
    if (loadResourceImage(id, type, pair.image) &&
        (activeId == 0 || loadResourceImage(activeId, type, pair.active)))
        return pair;
    return {QImage(), QImage(), false};
}

}  // namespace

SeekSlider::SeekSlider(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
}

void SeekSlider::Picture::set(const QImage& picture, const QImage& activePicture, bool keyed,
                              std::uint32_t transparentColour, int sampleX, int sampleY)
{
    image = picture;
    active = picture.isNull() ? QImage() : activePicture;
    transparent = keyed && !picture.isNull();
    mask = activeMask = QImage();
    if (!transparent)
        return;
    makeMask(image, mask, transparentColour, sampleX, sampleY);
    if (!active.isNull())
        makeMask(active, activeMask, transparentColour, sampleX, sampleY);
}

// Null pictures, after a failed load too, clear the channel or the thumb.
bool SeekSlider::setChannelImages(int channelId, int activeId, bool transparent,
                                  std::uint32_t transparentColour, int sampleX, int sampleY)
{
    const LoadedPair pair = loadPair(channelId, activeId);
    setChannelImages(pair.image, pair.active, transparent, transparentColour, sampleX, sampleY);
    return pair.loaded;
}

bool SeekSlider::setThumbImages(int thumbId, int activeId, bool transparent,
                                std::uint32_t transparentColour, int sampleX, int sampleY)
{
    const LoadedPair pair = loadPair(thumbId, activeId);
    setThumbImages(pair.image, pair.active, transparent, transparentColour, sampleX, sampleY);
    return pair.loaded;
}

// The control takes the channel's size.
bool SeekSlider::setChannelImages(const QImage& image, const QImage& active, bool transparent,
                                  std::uint32_t transparentColour, int sampleX, int sampleY)
{
    m_channel.set(image, active, transparent, transparentColour, sampleX, sampleY);
    if (m_channel.isNull())
        return true;
    m_channelSize = image.size();
    resize(m_channelSize);
    m_clientRect = rect();
    return true;
}

// Without a channel the thumb travels the control as it is.
bool SeekSlider::setThumbImages(const QImage& image, const QImage& active, bool transparent,
                                std::uint32_t transparentColour, int sampleX, int sampleY)
{
    m_thumb.set(image, active, transparent, transparentColour, sampleX, sampleY);
    if (m_thumb.isNull())
        return true;
    m_thumbSize = image.size();
    if (m_channel.isNull()) {
        m_clientRect = rect();
        m_channelSize = m_clientRect.size();
    }
    return true;
}

void SeekSlider::setRangeMax(int max, bool redraw)
{
    m_rangeMax = max;
    if (redraw)
        update();
}

void SeekSlider::setRangeMin(int min, bool redraw)
{
    m_rangeMin = min;
    if (redraw)
        update();
}

void SeekSlider::setRange(int min, int max, bool redraw)
{
    setRangeMin(min, false);
    setRangeMax(max, redraw);
}

void SeekSlider::setPosition(int pos)
{
    m_position = pos;
    if (m_position > m_rangeMax)
        m_position = m_rangeMax;
    if (m_position < m_rangeMin)
        m_position = m_rangeMin;
    update();
}

int SeekSlider::setPageStep(int step)
{
    return std::exchange(m_pageStep, step);
}

int SeekSlider::setLineStep(int step)
{
    return std::exchange(m_lineStep, step);
}

void SeekSlider::setMargins(int left, int top, int right, int bottom)
{
    m_margins = QMargins(left, top, right, bottom);
}

void SeekSlider::setSliderEnabled(bool enable)
{
    m_enabled = enable;
    if (!m_enabled && m_dragging) {
        m_dragging = false;
        if (mouseGrabber() == this)
            releaseMouse();
    }
    update();
}

void SeekSlider::setFocusFrame(bool show, bool redraw)
{
    m_showFocusFrame = show;
    if (redraw)
        update();
}

int SeekSlider::thumbTravel() const
{
    return m_channelSize.width() - m_margins.left() - m_margins.right() - m_thumbSize.width();
}

int SeekSlider::positionToPixel(int pos) const
{
    const int travel = thumbTravel();
    const int leftEnd = m_margins.left() + m_thumbSize.width() / 2;
    if (m_rangeMax == m_rangeMin || travel == 0)
        return leftEnd;
    const double fraction =
        (double(pos) - double(m_rangeMin)) / (double(m_rangeMax) - double(m_rangeMin));
    return truncToInt(travel * fraction) + leftEnd;
}

int SeekSlider::pixelToPosition(int x) const
{
    const int travel = thumbTravel();
    if (m_rangeMax == m_rangeMin || travel == 0)
        return m_rangeMin;
    const double offset = double(x) - double(m_margins.left()) - double(m_thumbSize.width() / 2);
    return truncToInt(double(m_rangeMin) +
                      offset / travel * (double(m_rangeMax) - double(m_rangeMin)));
}

void SeekSlider::dragTo(int x)
{
    int v = x - m_dragOffset;
    v = std::max(v, m_margins.left() + m_thumbSize.width() / 2);
    v = std::min(v, m_channelSize.width() - m_margins.right() - m_thumbSize.width() / 2);
    if (v == positionToPixel(m_position))
        return;
    setPosition(pixelToPosition(v));
    emit moved(m_position);
}

void SeekSlider::mousePressEvent(QMouseEvent* event)
{
    if (!m_enabled)
        return;
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_dragging = true;
    const int x = event->position().toPoint().x();
    const int centre = positionToPixel(m_position);
    m_dragOffset = std::abs(x - centre) <= m_thumbSize.width() / 2 ? x - centre : 0;
    dragTo(x);
    update();
}

void SeekSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !m_enabled)
        return;
    dragTo(event->position().toPoint().x());
}

void SeekSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_enabled)
        return;
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    update();
    emit released(m_position);
}

void SeekSlider::keyPressEvent(QKeyEvent* event)
{
    if (!m_enabled)
        return;
    long long target = 0;
    switch (event->key()) {
    case Qt::Key_PageUp: target = 0LL + m_position - m_pageStep; break;
    case Qt::Key_PageDown: target = 0LL + m_position + m_pageStep; break;
    case Qt::Key_End: target = m_rangeMax; break;
    case Qt::Key_Home: target = m_rangeMin; break;
    case Qt::Key_Left:
    case Qt::Key_Up: target = 0LL + m_position - m_lineStep; break;
    case Qt::Key_Right:
    case Qt::Key_Down: target = 0LL + m_position + m_lineStep; break;
    default: QWidget::keyPressEvent(event); return;
    }
    setPosition(clampToInt(target));
    emit released(m_position);
}

void SeekSlider::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_hasKeyboardFocus = true;
    update();
}

void SeekSlider::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_hasKeyboardFocus = false;
    update();
}

// Left of the thumb the channel shows its active picture, when it has one.
void SeekSlider::drawChannel(QPainter& painter)
{
    const int p = positionToPixel(m_position);
    const int width = m_channelSize.width();
    const int height = m_channelSize.height();
    if (!m_channel.active.isNull() && m_enabled) {
        drawPart(painter, p, 0, width - p, height, m_channel.image, p, 0, m_channel.mask,
                 m_channel.transparent);
        drawPart(painter, 0, 0, p, height, m_channel.active, 0, 0, m_channel.activeMask,
                 m_channel.transparent);
    } else {
        drawPart(painter, 0, 0, width, height, m_channel.image, 0, 0, m_channel.mask,
                 m_channel.transparent);
    }
}

void SeekSlider::drawThumb(QPainter& painter)
{
    const bool active = !m_thumb.active.isNull() && m_dragging;
    const QImage& image = active ? m_thumb.active : m_thumb.image;
    const QImage& mask = active ? m_thumb.activeMask : m_thumb.mask;
    const int tx = positionToPixel(m_position) - m_thumbSize.width() / 2;
    drawPart(painter, tx, m_margins.top(), m_thumbSize.width(), m_thumbSize.height(), image, 0, 0,
             mask, m_thumb.transparent);
}

void SeekSlider::drawFocusFrame(QPainter& painter) const
{
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white, 1);
    pen.setDashPattern({1, 1});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_clientRect.adjusted(0, 0, -1, -1));
    painter.restore();
}

void SeekSlider::paintEvent(QPaintEvent*)
{
    QPainter screen(this);
    ImageBuffer memDC(screen, m_clientRect, m_channel.transparent);
    QPainter& painter = memDC.painter();
    // The buffer starts empty over what Qt has already painted beneath the control, so
    // neither the previous thumb nor the previous focus frame is there to be put back.
    if (!m_channel.isNull())
        drawChannel(painter);
    if (!m_thumb.isNull() && m_enabled)
        drawThumb(painter);
    if (m_showFocusFrame && m_hasKeyboardFocus && m_enabled)
        drawFocusFrame(painter);
}
