#include "png_button.h"

#include "resource_image.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace {

// Dots per inch of an image, as its decoder reported them.
int Dpi(int dotsPerMeter)
{
    return qRound(dotsPerMeter * 0.0254);
}

}  // namespace

CPngButton::CPngButton(QWidget* parent) : QAbstractButton(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    connect(this, &QAbstractButton::pressed, this, &CPngButton::OwnerDraw);
    connect(this, &QAbstractButton::released, this, &CPngButton::OwnerDraw);
}

void CPngButton::SetBackdrop(const QImage* skin)
{
    backdrop = skin;
}

void CPngButton::SetImage(int id)
{
    QImage strip;
    LoadResourceImage(id, QStringLiteral("PNG"), strip);
    SetImage(strip);
}

void CPngButton::SetImage(const QImage& strip)
{
    const QRect windowRect = geometry();
    const bool reload = !image.isNull();
    image = strip.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    frameWidth = image.width() / 4;
    if (reload) {
        ShowFrames({ShownFrame()});
        return;
    }
    setGeometry(windowRect.x(), windowRect.y(), frameWidth, image.height());
    repaint();
}

void CPngButton::DrawFrame(QPainter& painter, int k) const
{
    const QRect d(0, 0, width(), height());
    if (backdrop && !backdrop->isNull()) {
        const QPoint p = pos();
        const QRect source(p.x() * Dpi(backdrop->dotsPerMeterX()) / 96,
                           p.y() * Dpi(backdrop->dotsPerMeterY()) / 96, d.width(), d.height());
        painter.drawImage(d, *backdrop, source);
    }
    if (!image.isNull())
        painter.drawImage(d, image, QRect(k * frameWidth, 0, frameWidth, image.height()));
}

void CPngButton::ShowFrames(std::vector<int> list)
{
    frames = std::move(list);
    repaint();
}

// Pressed shows while the button is down, and the hover ring while the pointer is over it,
// whatever the focus: the window's buttons never take the focus.
std::vector<int> CPngButton::StateFrames() const
{
    if (!isEnabled())
        return {3};
    if (isDown())
        return {2, 1};
    if (hasFocus() || hovering)
        return {2};
    return {0};
}

void CPngButton::OwnerDraw()
{
    ShowFrames(StateFrames());
}

void CPngButton::ResetToNormal()
{
    hovering = 0;
    ShowFrames({0});
}

void CPngButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const int k : frames)
        DrawFrame(painter, k);
}

void CPngButton::mouseMoveEvent(QMouseEvent* event)
{
    QAbstractButton::mouseMoveEvent(event);
    event->accept();
    if ((event->buttons() & Qt::LeftButton) && !hovering)
        return;
    if (!rect().contains(event->position().toPoint())) {
        ResetToNormal();
        return;
    }
    if (hovering)
        return;
    hovering = 1;
    ShowFrames({2});
}

void CPngButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    if (hovering)
        ResetToNormal();
}

void CPngButton::focusInEvent(QFocusEvent* event)
{
    QAbstractButton::focusInEvent(event);
    OwnerDraw();
    if (!hovering)
        ShowFrames({0});
}

void CPngButton::focusOutEvent(QFocusEvent* event)
{
    QAbstractButton::focusOutEvent(event);
    ResetToNormal();
}

void CPngButton::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() != QEvent::EnabledChange)
        return;
    // Qt has already handed the focus on to the next tab stop.
    if (!isEnabled())
        ResetToNormal();
    OwnerDraw();
}

void CPngButton::showEvent(QShowEvent* event)
{
    QAbstractButton::showEvent(event);
    if (!hovering)
        frames = StateFrames();
}
