#pragma once

#include "skin_scrollbar.h"

#include <QImage>

#include <cstdint>

// Pictures of the vertical bar (bitmap resources 143 to 148).
struct VerticleScrollbarImages {
    QImage topCap;     // 147, 12 x 11
    QImage upArrow;    // 148, 12 x 26
    QImage channel;    // 145, 12 x 1, stretched
    QImage downArrow;  // 144, 12 x 26
    QImage bottomCap;  // 143, 11 x 11
    QImage thumb;      // 146, 12 x 26

    static VerticleScrollbarImages Load();
};

// Bitmap vertical scroll bar, 12 pixels wide, standing in for the list's own.
class CSkinVerticleScrollbar : public CSkinScrollbar {
public:
    explicit CSkinVerticleScrollbar(QWidget* parent = nullptr);

    void SetImages(const VerticleScrollbarImages& pictures);

    void LineUp() { Step(ScrollCode::LineUp); }
    void LineDown() { Step(ScrollCode::LineDown); }
    void PageUp() { Step(ScrollCode::PageUp); }
    void PageDown() { Step(ScrollCode::PageDown); }

    int ThumbTop() const { return thumbTop; }

protected:
    int& Thumb() override { return thumbTop; }
    std::uint8_t& Pressed(Part part) override;
    void DrawPieces(QPainter& painter) const override;
    const QImage& ThumbImage() const override { return images.thumb; }

private:
    std::uint8_t upPressed = 0;
    std::uint8_t downPressed = 0;
    std::uint8_t thumbPressed = 0;
    int thumbTop = 36;
    VerticleScrollbarImages images;
};
