#include "skin_verticle_scrollbar.h"

#include "blit.h"
#include "skin_palette.h"

#include <QPainter>

namespace {

constexpr int kWidth = 12;
constexpr int kTopCap = 11;
constexpr int kArrow = 26;
constexpr int kBottomReserve = 37;  // down arrow + bottom cap
// The thumb starts one pixel over the up arrow; H - 98 pixels of travel for the whole range.
// A release steps only over the arrow that was pressed.
constexpr ScrollbarLayout kLayout{.orientation = Qt::Vertical,
                                  .nearArrow = kTopCap,
                                  .firstThumb = kTopCap + kArrow - 1,
                                  .trackReserve = 98,
                                  .farArrowReserve = kBottomReserve,
                                  .hitBreadth = kWidth,
                                  .fill = palette::kVScrollFill,
                                  .stepNeedsPressedArrow = true};

}  // namespace

VerticleScrollbarImages VerticleScrollbarImages::Load()
{
    return {LoadBitmap(147), LoadBitmap(148), LoadBitmap(145),
            LoadBitmap(144), LoadBitmap(143), LoadBitmap(146)};
}

CSkinVerticleScrollbar::CSkinVerticleScrollbar(QWidget* parent)
    : CSkinScrollbar(parent, kLayout), images(VerticleScrollbarImages::Load())
{
}

void CSkinVerticleScrollbar::SetImages(const VerticleScrollbarImages& pictures)
{
    images = pictures;
    DrawBar();
}

std::uint8_t& CSkinVerticleScrollbar::Pressed(Part part)
{
    if (part == Part::NearArrow)
        return upPressed;
    return part == Part::FarArrow ? downPressed : thumbPressed;
}

void CSkinVerticleScrollbar::DrawPieces(QPainter& painter) const
{
    const int h = height();
    CopyBlock(painter, 0, 0, kWidth, kTopCap, images.topCap);
    CopyBlock(painter, 0, kTopCap, kWidth, kArrow, images.upArrow);
    StretchBlock(painter, QRect(0, kTopCap + kArrow, kWidth, h - (kTopCap + kArrow)),
                 images.channel, QRect(0, 0, kWidth, 1));
    CopyBlock(painter, 0, h - kBottomReserve, kWidth, kArrow, images.downArrow);
    CopyBlock(painter, 1, h - kTopCap, kWidth - 1, kTopCap, images.bottomCap);
}
