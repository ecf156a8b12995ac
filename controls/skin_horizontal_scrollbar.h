#pragma once

#include "skin_scrollbar.h"

#include <QImage>

#include <cstdint>

// Pictures of the horizontal bar (bitmap resources 138 to 141).
struct HorizontalScrollbarImages {
    QImage leftArrow;   // 138, 26 x 12
    QImage rightArrow;  // 139, 26 x 12
    QImage channel;     // 140, 1 x 12, stretched
    QImage thumb;       // 141, 26 x 12

    static HorizontalScrollbarImages Load();
};

// Bitmap horizontal scroll bar, 12 pixels high, standing in for the list's own.
class CSkinHorizontalScrollbar : public CSkinScrollbar {
public:
    explicit CSkinHorizontalScrollbar(QWidget* parent = nullptr);

    void SetImages(const HorizontalScrollbarImages& pictures);

    void LineLeft() { Step(ScrollCode::LineUp); }
    void LineRight() { Step(ScrollCode::LineDown); }
    void PageLeft() { Step(ScrollCode::PageUp); }
    void PageRight() { Step(ScrollCode::PageDown); }

    int ThumbLeft() const { return thumbLeft; }

protected:
    int& Thumb() override { return thumbLeft; }
    std::uint8_t& Pressed(Part part) override;
    void DrawPieces(QPainter& painter) const override;
    const QImage& ThumbImage() const override { return images.thumb; }

private:
    std::uint8_t rightPressed = 0;
    std::uint8_t leftPressed = 0;
    std::uint8_t thumbPressed = 0;
    int thumbLeft = 25;
    HorizontalScrollbarImages images;
};
