#include "playback/channel_arrangement.h"

#include <algorithm>

namespace {

// Equal cells, `columns` across and as many rows as the count needs, filled row by row.
std::vector<QRect> cells(int count, int columns, QSize area)
{
    const int rows = (count + columns - 1) / columns;
    std::vector<QRect> placed;
    for (int i = 0; i < count; ++i) {
        const int column = i % columns;
        const int row = i / columns;
        // Edges at whole fractions of the area: the cells meet without a gap or overlap.
        const int left = area.width() * column / columns;
        const int right = area.width() * (column + 1) / columns;
        const int top = area.height() * row / rows;
        const int bottom = area.height() * (row + 1) / rows;
        placed.emplace_back(left, top, right - left, bottom - top);
    }
    return placed;
}

// The insets in a row along the picture's top or bottom edge, the first in the corner.
std::vector<QRect> insets(const ChannelLayout& layout, int insetCount, QRect picture)
{
    const int margin = std::max(4, picture.width() / 64);
    const int percent = std::clamp(layout.insetPercent, ChannelLayout::kMinInsetPercent,
                                   ChannelLayout::kMaxInsetPercent);
    // Never wider than lets all of them fit side by side.
    const int fitting = (picture.width() - (insetCount + 1) * margin) / std::max(1, insetCount);
    const int width = std::max(0, std::min(picture.width() * percent / 100, fitting));
    const int height = picture.width() > 0 ? width * picture.height() / picture.width() : 0;
    const bool right =
        layout.corner == InsetCorner::TopRight || layout.corner == InsetCorner::BottomRight;
    const bool bottom =
        layout.corner == InsetCorner::BottomLeft || layout.corner == InsetCorner::BottomRight;
    const int top = bottom ? picture.bottom() + 1 - margin - height : picture.top() + margin;
    std::vector<QRect> placed;
    for (int i = 0; i < insetCount; ++i) {
        const int step = margin + i * (width + margin);
        const int left = right ? picture.right() + 1 - step - width : picture.left() + step;
        placed.emplace_back(left, top, width, height);
    }
    return placed;
}

}  // namespace

ChannelArrangement nextArrangement(ChannelArrangement current, int count)
{
    switch (current) {
    case ChannelArrangement::PictureInPicture: return ChannelArrangement::SideBySide;
    case ChannelArrangement::SideBySide: return ChannelArrangement::Stacked;
    case ChannelArrangement::Stacked:
        return count > 2 ? ChannelArrangement::Grid : ChannelArrangement::MainOnly;
    case ChannelArrangement::Grid: return ChannelArrangement::MainOnly;
    case ChannelArrangement::MainOnly: break;
    }
    return ChannelArrangement::PictureInPicture;
}

std::vector<QRect> arrangeChannels(const ChannelLayout& layout, int count, QSize area,
                                   QRect mainPicture)
{
    if (count < 1) {
        return {};
    }
    const QRect whole(QPoint(0, 0), area);
    std::vector<QRect> placed(static_cast<size_t>(count));
    placed[0] = whole;
    if (count == 1) {
        return placed;
    }
    switch (layout.arrangement) {
    case ChannelArrangement::PictureInPicture: {
        const QRect picture = mainPicture.isEmpty() ? whole : mainPicture & whole;
        const std::vector<QRect> corner = insets(layout, count - 1, picture);
        std::copy(corner.begin(), corner.end(), placed.begin() + 1);
        return placed;
    }
    case ChannelArrangement::SideBySide: return cells(count, count, area);
    case ChannelArrangement::Stacked: return cells(count, 1, area);
    case ChannelArrangement::Grid: return cells(count, 2, area);
    case ChannelArrangement::MainOnly: break;
    }
    return placed;
}
