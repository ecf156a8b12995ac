#pragma once

#include "skin_scroll_bar.h"

#include <QImage>

#include <cstdint>

// Pictures of the vertical bar (:/BITMAP/143 to 148).
struct VerticalScrollBarImages
{
    QImage topCap;     // 147, 12 x 11
    QImage upArrow;    // 148, 12 x 26
    QImage channel;    // 145, 12 x 1, stretched
    QImage downArrow;  // 144, 12 x 26
    QImage bottomCap;  // 143, 11 x 11
    QImage thumb;      // 146, 12 x 26

    static VerticalScrollBarImages load();
};

// Bitmap vertical scroll bar, 12 pixels wide, standing in for the list's own.
class VerticalScrollBar : public SkinScrollBar
{
public:
    explicit VerticalScrollBar(QWidget* parent = nullptr);

    void setImages(const VerticalScrollBarImages& pictures);

    void lineUp() { step(ScrollCode::LineUp); }
    void lineDown() { step(ScrollCode::LineDown); }
    void pageUp() { step(ScrollCode::PageUp); }
    void pageDown() { step(ScrollCode::PageDown); }

    int thumbTop() const { return m_thumbTop; }

protected:
    int& thumbPosition() override { return m_thumbTop; }
    std::uint8_t& pressedFlag(Part part) override;
    void drawPieces(QPainter& painter) const override;
    const QImage& thumbImage() const override { return m_images.thumb; }

private:
    std::uint8_t m_upPressed = 0;
    std::uint8_t m_downPressed = 0;
    std::uint8_t m_thumbPressed = 0;
    int m_thumbTop = 36;
    VerticalScrollBarImages m_images;
};
