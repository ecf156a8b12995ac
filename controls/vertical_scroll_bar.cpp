#include "vertical_scroll_bar.h"

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
constexpr ScrollBarLayout kLayout{.orientation = Qt::Vertical,
                                  .nearArrow = kTopCap,
                                  .firstThumb = kTopCap + kArrow - 1,
                                  .trackReserve = 98,
                                  .farArrowReserve = kBottomReserve,
                                  .hitBreadth = kWidth,
                                  .fill = palette::kVScrollFill,
                                  .stepNeedsPressedArrow = true};

}  // namespace

VerticalScrollBarImages VerticalScrollBarImages::load()
{
    return {loadBitmap(147), loadBitmap(148), loadBitmap(145),
            loadBitmap(144), loadBitmap(143), loadBitmap(146)};
}

VerticalScrollBar::VerticalScrollBar(QWidget* parent)
    : SkinScrollBar(parent, kLayout), m_images(VerticalScrollBarImages::load())
{}

void VerticalScrollBar::setImages(const VerticalScrollBarImages& pictures)
{
    m_images = pictures;
    drawBar();
}

std::uint8_t& VerticalScrollBar::pressedFlag(Part part)
{
    if (part == Part::NearArrow)
        return m_upPressed;
    return part == Part::FarArrow ? m_downPressed : m_thumbPressed;
}

void VerticalScrollBar::drawPieces(QPainter& painter) const
{
    const int h = height();
    copyBlock(painter, 0, 0, kWidth, kTopCap, m_images.topCap);
    copyBlock(painter, 0, kTopCap, kWidth, kArrow, m_images.upArrow);
    stretchBlock(painter, QRect(0, kTopCap + kArrow, kWidth, h - (kTopCap + kArrow)),
                 m_images.channel, QRect(0, 0, kWidth, 1));
    copyBlock(painter, 0, h - kBottomReserve, kWidth, kArrow, m_images.downArrow);
    copyBlock(painter, 1, h - kTopCap, kWidth - 1, kTopCap, m_images.bottomCap);
}
