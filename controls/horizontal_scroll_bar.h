#pragma once

#include "skin_scroll_bar.h"

#include <QImage>

#include <cstdint>

// Pictures of the horizontal bar (:/BITMAP/138 to 141).
struct HorizontalScrollBarImages
{
    QImage leftArrow;   // 138, 26 x 12
    QImage rightArrow;  // 139, 26 x 12
    QImage channel;     // 140, 1 x 12, stretched
    QImage thumb;       // 141, 26 x 12

    static HorizontalScrollBarImages load();
};

// Bitmap horizontal scroll bar, 12 pixels high, standing in for the list's own.
class HorizontalScrollBar : public SkinScrollBar
{
public:
    explicit HorizontalScrollBar(QWidget* parent = nullptr);

    void setImages(const HorizontalScrollBarImages& pictures);

    void lineLeft() { step(ScrollCode::LineUp); }
    void lineRight() { step(ScrollCode::LineDown); }
    void pageLeft() { step(ScrollCode::PageUp); }
    void pageRight() { step(ScrollCode::PageDown); }

    int thumbLeft() const { return m_thumbLeft; }

protected:
    int& thumbPosition() override { return m_thumbLeft; }
    std::uint8_t& pressedFlag(Part part) override;
    void drawPieces(QPainter& painter) const override;
    const QImage& thumbImage() const override { return m_images.thumb; }

private:
    std::uint8_t m_rightPressed = 0;
    std::uint8_t m_leftPressed = 0;
    std::uint8_t m_thumbPressed = 0;
    int m_thumbLeft = 25;
    HorizontalScrollBarImages m_images;
};
