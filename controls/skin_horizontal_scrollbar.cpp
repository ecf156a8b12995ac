#include "skin_horizontal_scrollbar.h"

#include "blit.h"
#include "skin_palette.h"

#include <QPainter>

namespace {

constexpr int kHeight = 12;
constexpr int kHitHeight = 20;  // the hit rectangles reach below the bar
constexpr int kArrow = 26;
// The thumb starts one pixel over the left arrow; W - 75 pixels of travel for the whole
// range. A release over either arrow steps, whatever was pressed.
constexpr ScrollbarLayout kLayout{.orientation = Qt::Horizontal,
                                  .nearArrow = 0,
                                  .firstThumb = kArrow - 1,
                                  .trackReserve = 75,
                                  .farArrowReserve = kArrow,
                                  .hitBreadth = kHitHeight,
                                  .fill = palette::kHScrollFill,
                                  .stepNeedsPressedArrow = false};

}  // namespace

HorizontalScrollbarImages HorizontalScrollbarImages::Load()
{
    return {LoadBitmap(138), LoadBitmap(139), LoadBitmap(140), LoadBitmap(141)};
}

CSkinHorizontalScrollbar::CSkinHorizontalScrollbar(QWidget* parent)
    : CSkinScrollbar(parent, kLayout), images(HorizontalScrollbarImages::Load())
{
}

void CSkinHorizontalScrollbar::SetImages(const HorizontalScrollbarImages& pictures)
{
    images = pictures;
    DrawBar();
}

std::uint8_t& CSkinHorizontalScrollbar::Pressed(Part part)
{
    if (part == Part::NearArrow)
        return leftPressed;
    return part == Part::FarArrow ? rightPressed : thumbPressed;
}

void CSkinHorizontalScrollbar::DrawPieces(QPainter& painter) const
{
    const int w = width();
    CopyBlock(painter, 0, 0, kArrow, kHeight, images.leftArrow);
    StretchBlock(painter, QRect(kArrow, 0, w - kArrow, kHeight), images.channel,
                 QRect(0, 0, 1, kHeight));
    CopyBlock(painter, w - kArrow, 0, kArrow, kHeight, images.rightArrow);
}
