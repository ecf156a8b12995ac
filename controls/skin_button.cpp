#include "controls/skin_button.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace {

// Dots per inch of an image, as its decoder reported them.
int dpi(int dotsPerMeter)
{
    return qRound(dotsPerMeter * 0.0254);
}

}  // namespace

SkinButton::SkinButton(QWidget* parent) : QAbstractButton(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    connect(this, &QAbstractButton::pressed, this, &SkinButton::ownerDraw);
    connect(this, &QAbstractButton::released, this, &SkinButton::ownerDraw);
}

void SkinButton::setBackdrop(const QImage* skin)
{
    m_backdrop = skin;
}

void SkinButton::setImage(const QImage& strip)
{
    const QRect windowRect = geometry();
    const bool reload = !m_image.isNull();
    m_image = strip.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_frameWidth = m_image.width() / 4;
    if (reload) {
        showFrames({shownFrame()});
        return;
    }
    setGeometry(windowRect.x(), windowRect.y(), m_frameWidth, m_image.height());
    repaint();
}

void SkinButton::drawFrame(QPainter& painter, int k) const
{
    const QRect d(0, 0, width(), height());
    if (m_backdrop && !m_backdrop->isNull()) {
        const QPoint p = pos();
        const QRect source(p.x() * dpi(m_backdrop->dotsPerMeterX()) / 96,
                           p.y() * dpi(m_backdrop->dotsPerMeterY()) / 96, d.width(), d.height());
        painter.drawImage(d, *m_backdrop, source);
    }
    if (!m_image.isNull()) {
        painter.drawImage(d, m_image, QRect(k * m_frameWidth, 0, m_frameWidth, m_image.height()));
    }
}

void SkinButton::showFrames(std::vector<int> list)
{
    m_frames = std::move(list);
    repaint();
}

// Pressed shows while the button is down, and the hover ring while the pointer is over it,
// whatever the focus: the window's buttons never take the focus.
std::vector<int> SkinButton::stateFrames() const
{
    if (!isEnabled()) {
        return {3};
    }
    if (isDown()) {
        return {2, 1};
    }
    if (hasFocus() || m_hovering) {
        return {2};
    }
    return {0};
}

void SkinButton::ownerDraw()
{
    showFrames(stateFrames());
}

void SkinButton::resetToNormal()
{
    m_hovering = false;
    showFrames({0});
}

void SkinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const int k : m_frames) {
        drawFrame(painter, k);
    }
}

void SkinButton::mouseMoveEvent(QMouseEvent* event)
{
    QAbstractButton::mouseMoveEvent(event);
    event->accept();
    if ((event->buttons() & Qt::LeftButton) && !m_hovering) {
        return;
    }
    if (!rect().contains(event->position().toPoint())) {
        resetToNormal();
        return;
    }
    if (m_hovering) {
        return;
    }
    m_hovering = true;
    showFrames({2});
}

bool SkinButton::event(QEvent* event)
{
    const bool handled = QAbstractButton::event(event);
    switch (event->type()) {
    case QEvent::Leave:
        if (m_hovering) {
            resetToNormal();
        }
        break;
    case QEvent::FocusIn:
        ownerDraw();
        if (!m_hovering) {
            showFrames({0});
        }
        break;
    case QEvent::FocusOut: resetToNormal(); break;
    case QEvent::EnabledChange:
        // Qt has already handed the focus on to the next tab stop.
        if (!isEnabled()) {
            resetToNormal();
        }
        ownerDraw();
        break;
    case QEvent::Show:
        if (!m_hovering) {
            m_frames = stateFrames();
        }
        break;
    default: break;
    }
    return handled;
}
