#pragma once

#include <QRect>
#include <QSize>

#include <vector>

// How the pictures of a moment's channels share the video area.
enum class ChannelArrangement { PictureInPicture, SideBySide, Stacked, Grid, MainOnly };
enum class InsetCorner { TopLeft, TopRight, BottomLeft, BottomRight };

struct ChannelLayout
{
    static constexpr int kMinInsetPercent = 15;
    static constexpr int kMaxInsetPercent = 45;

    ChannelArrangement arrangement = ChannelArrangement::PictureInPicture;
    InsetCorner corner = InsetCorner::BottomRight;
    int insetPercent = 30;    // an inset's width, in hundredths of the main picture's
    bool mirrorRear = false;  // the rear channel's inset as in a rear-view mirror

    bool operator==(const ChannelLayout&) const = default;
};

// The arrangement after `current` for `count` channels: a grid only for more than two.
ChannelArrangement nextArrangement(ChannelArrangement current, int count);

// Where each place of the arrangement lies in an area of size `area`: place 0 is the main
// picture, the others follow; an empty rectangle is a place not shown. `mainPicture` is
// where the main picture's video lies in the area (empty: unknown, the whole area): the
// insets sit inside it, in the layout's corner, as wide as its share of it.
std::vector<QRect> arrangeChannels(const ChannelLayout& layout, int count, QSize area,
                                   QRect mainPicture);
