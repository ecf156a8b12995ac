#include "controls/skin_scroll_bar.h"

#include "controls/blit.h"
#include "controls/scrollbar_geometry.h"
#include "res/resources.h"
#include "skin/skin_palette.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kArrowLength = 26;
constexpr int kThickness = 12;

}  // namespace

// Where the pieces lie along the axis, on the bar's length plus what runs on into the
// corner, and the two points where the bars behave differently.
struct ScrollBarLayout
{
    int nearArrow;        // where the up or left arrow begins (after the cap)
    int firstThumb;       // lowest thumb position, one pixel over the near arrow
    int trackReserve;     // length - this = thumb pixels for the whole range
    int farArrowReserve;  // length - this = where the far arrow begins
    int intoCorner;       // how far the picture runs on past the bar's end
    QColor fill;          // the ground under the pieces
    // A release over an arrow steps only when the press was on that arrow; otherwise a
    // release over either arrow steps, whatever was pressed.
    bool stepNeedsPressedArrow;
};

namespace {

// The vertical bar covers the corner square; the horizontal one reaches one pixel into it.
constexpr int kTopCap = 11;
const ScrollBarLayout kVertical{.nearArrow = kTopCap,
                                .firstThumb = kTopCap + kArrowLength - 1,
                                .trackReserve = 98,
                                .farArrowReserve = 37,
                                .intoCorner = kThickness,
                                .fill = palette::kVScrollFill,
                                .stepNeedsPressedArrow = true};
const ScrollBarLayout kHorizontal{.nearArrow = 0,
                                  .firstThumb = kArrowLength - 1,
                                  .trackReserve = 75,
                                  .farArrowReserve = kArrowLength,
                                  .intoCorner = 1,
                                  .fill = palette::kHScrollFill,
                                  .stepNeedsPressedArrow = false};

}  // namespace

ScrollBarPictures ScrollBarPictures::load(Qt::Orientation orientation)
{
    const auto load = [](const char* file) { return skinPicture(QLatin1String(file)); };
    if (orientation == Qt::Vertical) {
        return {load("vscroll-top-cap.png"),    load("vscroll-up.png"),
                load("vscroll-channel.png"),    load("vscroll-down.png"),
                load("vscroll-bottom-cap.png"), load("vscroll-thumb.png")};
    }
    return {{}, load("hscroll-left.png"), load("hscroll-channel.png"), load("hscroll-right.png"),
            {}, load("hscroll-thumb.png")};
}

SkinScrollBar::SkinScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent),
      m_layout(orientation == Qt::Vertical ? &kVertical : &kHorizontal),
      m_pictures(ScrollBarPictures::load(orientation)),
      m_arrowRepeat(
          this, [this] { return pressed(NearArrow) || pressed(FarArrow); },
          [this] { repeatStep(); })
{
    // No menu of its own: the bar scrolls with the mouse only.
    setContextMenuPolicy(Qt::NoContextMenu);
}

void SkinScrollBar::setPictures(const ScrollBarPictures& pictures)
{
    m_pictures = pictures;
    update();
}

int SkinScrollBar::length() const
{
    return (orientation() == Qt::Vertical ? height() : width()) + m_layout->intoCorner;
}

int SkinScrollBar::along(QPoint point) const
{
    return orientation() == Qt::Vertical ? point.y() : point.x();
}

QRect SkinScrollBar::axisRect(int start, int length) const
{
    if (orientation() == Qt::Vertical) {
        return {0, start, kThickness, length};
    }
    return {start, 0, length, kThickness};
}

QRect SkinScrollBar::hitRect(Part part) const
{
    switch (part) {
    case NearArrow: return axisRect(m_layout->nearArrow, kArrowLength);
    case FarArrow: return axisRect(length() - m_layout->farArrowReserve, kArrowLength);
    case Thumb: break;
    }
    return axisRect(thumbPosition(), kThumbLength);
}

double SkinScrollBar::pixelsPerUnit() const
{
    return ::pixelsPerUnit(length() - m_layout->trackReserve, maximum() - minimum());
}

int SkinScrollBar::thumbPosition() const
{
    const int thumb = m_heldThumb.value_or(
        thumbFromPosition(pixelsPerUnit(), value() - minimum(), m_layout->firstThumb));
    return clampThumb(thumb, length() - m_layout->farArrowReserve, m_layout->firstThumb);
}

QSize SkinScrollBar::sizeHint() const
{
    const int along = 2 * kArrowLength + kThumbLength;
    return orientation() == Qt::Vertical ? QSize(kThickness, along) : QSize(along, kThickness);
}

void SkinScrollBar::sliderChange(SliderChange change)
{
    m_heldThumb.reset();
    QScrollBar::sliderChange(change);
}

void SkinScrollBar::paintPicture(QPainter& painter) const
{
    const int end = length();
    const ScrollBarLayout& layout = *m_layout;
    const auto drawAt = [&](int start, int across, const QImage& picture) {
        const QRect slot =
            axisRect(start, kArrowLength)
                .translated(orientation() == Qt::Vertical ? QPoint(across, 0) : QPoint(0, across));
        copyBlock(painter, slot.x(), slot.y(), picture.width(), picture.height(), picture);
    };
    painter.fillRect(axisRect(0, end), layout.fill);
    drawAt(0, 0, m_pictures.nearCap);
    drawAt(layout.nearArrow, 0, m_pictures.nearArrow);
    const int channel = layout.nearArrow + kArrowLength;
    stretchBlock(painter, axisRect(channel, end - channel), m_pictures.channel,
                 orientation() == Qt::Vertical ? QRect(0, 0, kThickness, 1)
                                               : QRect(0, 0, 1, kThickness));
    drawAt(end - layout.farArrowReserve, 0, m_pictures.farArrow);
    if (!m_pictures.farCap.isNull()) {
        drawAt(end - m_pictures.farCap.height(), kThickness - m_pictures.farCap.width(),
               m_pictures.farCap);
    }
    if (maximum() != minimum()) {
        drawAt(thumbPosition(), 0, m_pictures.thumb);
    }
}

void SkinScrollBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintPicture(painter);
}

void SkinScrollBar::step(SliderAction action)
{
    triggerAction(action);
}

void SkinScrollBar::repeatStep()
{
    if (pressed(FarArrow)) {
        step(SliderSingleStepAdd);
    }
    if (pressed(NearArrow)) {
        step(SliderSingleStepSub);
    }
}

void SkinScrollBar::dragThumbTo(int along)
{
    const int thumb = along - kThumbLength / 2;
    const double scale = pixelsPerUnit();
    m_heldThumb = thumb;
    if (scale != 0.0) {
        setValue(minimum() + unitsFromThumb(thumb, m_layout->firstThumb, scale, 0));
    }
    update();
}

void SkinScrollBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // Nothing scrolls yet: arrows step on release, or once held past the delay.
    const QPoint point = event->position().toPoint();
    m_pressed[Thumb] = hitRect(Thumb).contains(point);
    for (Part arrow : {FarArrow, NearArrow}) {
        m_pressed[arrow] = hitRect(arrow).contains(point);
        if (m_pressed[arrow]) {
            m_arrowRepeat.start();
        }
    }
}

void SkinScrollBar::mouseMoveEvent(QMouseEvent* event)
{
    if (pressed(Thumb)) {
        dragThumbTo(along(event->position().toPoint()));
    }
}

void SkinScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_heldThumb.reset();
    m_arrowRepeat.stop();
    const QPoint point = event->position().toPoint();
    const auto stepsOn = [&](Part arrow) {
        return (pressed(arrow) || !m_layout->stepNeedsPressedArrow) &&
               hitRect(arrow).contains(point);
    };
    const bool onNear = stepsOn(NearArrow);
    const bool onFar = stepsOn(FarArrow);
    if (onNear) {
        step(SliderSingleStepSub);
    }
    if (onFar) {
        step(SliderSingleStepAdd);
    }
    // Anywhere else but the thumb (a cap, the channel, an arrow that does not step) pages
    // once towards the point.
    if (!onNear && !onFar && !hitRect(Thumb).contains(point) && !pressed(Thumb)) {
        step(along(point) > thumbPosition() ? SliderPageStepAdd : SliderPageStepSub);
    }
    m_pressed = {};
    update();
}

ScrollBarCorner::ScrollBarCorner(const SkinScrollBar* vertical, const SkinScrollBar* horizontal,
                                 QWidget* parent)
    : QWidget(parent), m_vertical(vertical), m_horizontal(horizontal)
{}

void ScrollBarCorner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.translate(0, -m_vertical->height());
    m_vertical->paintPicture(painter);
    painter.resetTransform();
    painter.setClipRect(QRect(0, 0, 1, height()));
    painter.translate(-m_horizontal->width(), 0);
    m_horizontal->paintPicture(painter);
}
