#pragma once

#include <QSize>

// How the skin fits a window larger or smaller than itself. The skin falls into three
// pieces: the title strip along the top, the left column (video, transport bar, seek bar,
// chart) and the right column (play list, map, gauges). Each piece stretches only across
// bands where its picture is the same all along the stretch, so that stretching repeats
// pixels and every edge stays crisp.
namespace skin {

// [begin, end) of the skin along one axis, and its share of the extra length.
struct Band
{
    int begin;
    int end;
    int weight;
};

// The left column lies left of this x, the right column from it on.
inline constexpr int kColumnSplit = 690;
// Fits a 1366 x 768 screen with a panel.
inline constexpr QSize kMinimumSize{1024, 640};

// Across: the title strip and the left column take the extra width; the right column
// keeps its width and moves with the right edge.
inline constexpr Band kTitleAcross{400, 800, 1};
inline constexpr Band kLeftAcross{480, 560, 1};
// Down: the video takes three quarters of the extra height and the chart the rest; in
// the right column the map takes all of it.
inline constexpr Band kVideoDown{100, 480, 3};
inline constexpr Band kChartDown{620, 740, 1};
inline constexpr Band kMapDown{300, 560, 1};

}  // namespace skin
