#include "controls/seek_slider.h"

#include "controls/truncate.h"
#include "skin/skin_palette.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kTickWidth = 2;

}  // namespace

SeekSlider::SeekSlider(QWidget* parent) : QAbstractSlider(parent)
{
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::ClickFocus);
}

void SeekSlider::setChannelPictures(const QImage& channel, const QImage& played)
{
    m_channel = channel;
    m_played = channel.isNull() ? QImage() : played;
    if (!m_channel.isNull()) {
        resize(m_channel.size());
    }
    update();
}

void SeekSlider::setThumbPictures(const QImage& thumb, const QImage& held)
{
    m_thumb = thumb;
    m_heldThumb = thumb.isNull() ? QImage() : held;
    update();
}

void SeekSlider::setMargins(const QMargins& margins)
{
    m_margins = margins;
    update();
}

void SeekSlider::setFocusFrame(bool show)
{
    m_showFocusFrame = show;
    update();
}

void SeekSlider::setTicks(int kind, std::vector<SeekTick> ticks)
{
    if (ticks.empty()) {
        m_ticks.erase(kind);
    } else {
        m_ticks[kind] = std::move(ticks);
    }
    update();
}

const std::vector<SeekTick>& SeekSlider::ticks(int kind) const
{
    static const std::vector<SeekTick> kNone;
    const auto found = m_ticks.find(kind);
    return found == m_ticks.end() ? kNone : found->second;
}

// Without a channel the thumb travels the control as it is.
int SeekSlider::thumbTravel() const
{
    const int channel = m_channel.isNull() ? width() : m_channel.width();
    return channel - m_margins.left() - m_margins.right() - m_thumb.width();
}

int SeekSlider::positionToPixel(int value) const
{
    const int travel = thumbTravel();
    const int leftEnd = m_margins.left() + m_thumb.width() / 2;
    if (maximum() == minimum() || travel == 0) {
        return leftEnd;
    }
    const double fraction =
        (double(value) - double(minimum())) / (double(maximum()) - double(minimum()));
    return truncToInt(travel * fraction) + leftEnd;
}

int SeekSlider::pixelToPosition(int x) const
{
    const int travel = thumbTravel();
    if (maximum() == minimum() || travel == 0) {
        return minimum();
    }
    const double offset = double(x) - double(m_margins.left()) - double(m_thumb.width() / 2);
    return truncToInt(double(minimum()) +
                      offset / travel * (double(maximum()) - double(minimum())));
}

void SeekSlider::dragTo(int x)
{
    const int channel = m_channel.isNull() ? width() : m_channel.width();
    const int leftEnd = m_margins.left() + m_thumb.width() / 2;
    const int rightEnd = channel - m_margins.right() - m_thumb.width() / 2;
    const int centre = std::min(std::max(x - m_dragOffset, leftEnd), rightEnd);
    if (centre != positionToPixel(sliderPosition())) {
        setSliderPosition(pixelToPosition(centre));
    }
}

void SeekSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int x = event->position().toPoint().x();
    const int centre = positionToPixel(sliderPosition());
    m_dragOffset = std::abs(x - centre) <= m_thumb.width() / 2 ? x - centre : 0;
    setSliderDown(true);
    dragTo(x);
}

void SeekSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (isSliderDown()) {
        dragTo(event->position().toPoint().x());
    }
}

void SeekSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderDown(false);
}

void SeekSlider::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp: triggerAction(SliderPageStepSub); break;
    case Qt::Key_PageDown: triggerAction(SliderPageStepAdd); break;
    case Qt::Key_End: triggerAction(SliderToMaximum); break;
    case Qt::Key_Home: triggerAction(SliderToMinimum); break;
    case Qt::Key_Left:
    case Qt::Key_Up: triggerAction(SliderSingleStepSub); break;
    case Qt::Key_Right:
    case Qt::Key_Down: triggerAction(SliderSingleStepAdd); break;
    default: QAbstractSlider::keyPressEvent(event); return;
    }
}

// The wheel does not seek: it would jump at a touch of the pad.
void SeekSlider::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}

// Left of the thumb the channel shows its played picture, when it has one.
void SeekSlider::drawChannel(QPainter& painter) const
{
    const int p = positionToPixel(sliderPosition());
    const int height = m_channel.height();
    if (!m_played.isNull() && isEnabled()) {
        const int rest = m_channel.width() - p;
        painter.drawImage(QRect(p, 0, rest, height), m_channel, QRect(p, 0, rest, height));
        painter.drawImage(QRect(0, 0, p, height), m_played, QRect(0, 0, p, height));
    } else {
        painter.drawImage(0, 0, m_channel);
    }
}

QRect SeekSlider::tickRect(int value) const
{
    return {positionToPixel(value) - kTickWidth / 2, 0, kTickWidth,
            m_channel.isNull() ? height() : m_channel.height()};
}

// A value outside the range (a mark in another recording) has no place on the bar.
void SeekSlider::drawTicks(QPainter& painter) const
{
    for (const auto& [kind, ticks] : m_ticks) {
        for (const SeekTick& tick : ticks) {
            if (tick.value >= minimum() && tick.value <= maximum()) {
                painter.fillRect(tickRect(tick.value), tick.colour);
            }
        }
    }
}

void SeekSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_channel.isNull()) {
        drawChannel(painter);
    }
    if (isEnabled()) {
        drawTicks(painter);
    }
    if (!m_thumb.isNull() && isEnabled()) {
        const QImage& thumb = isSliderDown() && !m_heldThumb.isNull() ? m_heldThumb : m_thumb;
        const int left = positionToPixel(sliderPosition()) - m_thumb.width() / 2;
        painter.drawImage(left, m_margins.top(), thumb);
    }
    if (m_showFocusFrame && hasFocus() && isEnabled()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QPen pen(Qt::white, 1);
        pen.setDashPattern({1, 1});
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
