#include "horizontal_scroll_bar.h"

#include "blit.h"
#include "skin_palette.h"

#include <QPainter>

namespace {

constexpr int kHeight = 12;
constexpr int kHitHeight = 20;  // the hit rectangles reach below the bar
constexpr int kArrow = 26;
// The thumb starts one pixel over the left arrow; W - 75 pixels of travel for the whole
// range. A release over either arrow steps, whatever was pressed.
constexpr ScrollBarLayout kLayout{.orientation = Qt::Horizontal,
                                  .nearArrow = 0,
                                  .firstThumb = kArrow - 1,
                                  .trackReserve = 75,
                                  .farArrowReserve = kArrow,
                                  .hitBreadth = kHitHeight,
                                  .fill = palette::kHScrollFill,
                                  .stepNeedsPressedArrow = false};

}  // namespace

HorizontalScrollBarImages HorizontalScrollBarImages::load()
{
    return {loadBitmap(138), loadBitmap(139), loadBitmap(140), loadBitmap(141)};
}

HorizontalScrollBar::HorizontalScrollBar(QWidget* parent)
    : SkinScrollBar(parent, kLayout), m_images(HorizontalScrollBarImages::load())
{}

void HorizontalScrollBar::setImages(const HorizontalScrollBarImages& pictures)
{
    m_images = pictures;
    drawBar();
}

std::uint8_t& HorizontalScrollBar::pressedFlag(Part part)
{
    if (part == Part::NearArrow)
        return m_leftPressed;
    return part == Part::FarArrow ? m_rightPressed : m_thumbPressed;
}

void HorizontalScrollBar::drawPieces(QPainter& painter) const
{
    const int w = width();
    copyBlock(painter, 0, 0, kArrow, kHeight, m_images.leftArrow);
    stretchBlock(painter, QRect(kArrow, 0, w - kArrow, kHeight), m_images.channel,
                 QRect(0, 0, 1, kHeight));
    copyBlock(painter, w - kArrow, 0, kArrow, kHeight, m_images.rightArrow);
}
