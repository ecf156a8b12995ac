#pragma once

#include "controls/arrow_repeat.h"

#include <QImage>
#include <QScrollBar>

#include <array>
#include <optional>

// Pictures of a bar, along its axis: a cap (the vertical bar's only), an arrow, the channel
// (stretched), the far arrow and cap, and the thumb.
struct ScrollBarPictures
{
    QImage nearCap;    // 12 x 11, vertical only
    QImage nearArrow;  // up or left, 26 long
    QImage channel;    // 1 long, stretched
    QImage farArrow;   // down or right, 26 long
    QImage farCap;     // 11 x 11, vertical only
    QImage thumb;      // 26 long

    // The skin's pictures for a bar of this orientation.
    static ScrollBarPictures load(Qt::Orientation orientation);
};

// The play list's scroll bar, drawn from the skin's pictures. It is the list's own bar
// (setVerticalScrollBar / setHorizontalScrollBar); its picture runs on into the corner
// where the two bars meet, which ScrollBarCorner draws. Arrows step on release, or every
// 50 ms once held for 250 ms; a release elsewhere off the thumb pages towards the point.
class SkinScrollBar : public QScrollBar
{
public:
    explicit SkinScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setPictures(const ScrollBarPictures& pictures);

    // Where the thumb begins along the axis, and the thumb pixels a unit of the range takes.
    int thumbPosition() const;
    double pixelsPerUnit() const;

    // The whole picture, as long as the bar plus what runs on into the corner.
    void paintPicture(QPainter& painter) const;

    QSize sizeHint() const override;

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The near part is the up or left arrow, the far part the down or right one.
    enum Part { NearArrow, FarArrow, Thumb };

    // The length the picture is laid out on.
    int length() const;
    int along(QPoint point) const;
    // start .. start + length along the axis, the bar's thickness across it.
    QRect axisRect(int start, int length) const;
    QRect hitRect(Part part) const;
    bool pressed(Part part) const { return m_pressed[part]; }
    // Drag: the thumb held by its centre at `along`; the list scrolls to where it stands.
    void dragThumbTo(int along);
    void step(SliderAction action);
    void repeatStep();

    const struct ScrollBarLayout* m_layout;
    ScrollBarPictures m_pictures;
    std::array<bool, 3> m_pressed{};
    // While dragged, the thumb stays under the pointer until the list moves.
    std::optional<int> m_heldThumb;
    ArrowRepeat m_arrowRepeat;
};

// The square where the list's two bars meet: the vertical bar's last pieces and the
// horizontal bar's last column.
class ScrollBarCorner : public QWidget
{
public:
    ScrollBarCorner(const SkinScrollBar* vertical, const SkinScrollBar* horizontal,
                    QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SkinScrollBar* m_vertical;
    const SkinScrollBar* m_horizontal;
};
