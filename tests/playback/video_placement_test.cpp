#include "playback/video_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(VideoPlacement, WideVideoInFourByThreeAreaIsLetterboxed)
{
    // 1280 x 720 in 640 x 480: full width, 360 high, centred vertically.
    EXPECT_EQ(placeVideo({1280, 720}, {640, 480}), QRect(0, 60, 640, 360));
    // Truncation: 500 / 1.7777778 = 281.25 -> 281 rows; (400 - 281) / 2 = 59.
    EXPECT_EQ(placeVideo({1280, 720}, {500, 400}), QRect(0, 59, 500, 281));
}

TEST(VideoPlacement, FourByThreeVideoInWideAreaIsPillarboxed)
{
    EXPECT_EQ(placeVideo({640, 480}, {1280, 720}), QRect(160, 0, 960, 720));
    // Odd margins: the extra pixel goes to the right.
    EXPECT_EQ(placeVideo({320, 240}, {675, 360}), QRect(97, 0, 480, 360));
    // Truncation: 301 x 1.3333334 = 401.33 -> 401 columns; (700 - 401) / 2 = 149.
    EXPECT_EQ(placeVideo({640, 480}, {700, 301}), QRect(149, 0, 401, 301));
}

TEST(VideoPlacement, SameAspectFillsTheArea)
{
    EXPECT_EQ(placeVideo({1280, 720}, {640, 360}), QRect(0, 0, 640, 360));
}

TEST(VideoPlacement, UnknownNativeSizeFillsTheArea)
{
    EXPECT_EQ(placeVideo({0, 0}, {672, 378}), QRect(0, 0, 672, 378));
    EXPECT_EQ(placeVideo({640, 0}, {672, 378}), QRect(0, 0, 672, 378));
}

TEST(VideoPlacement, EmptyAreaPlacesAnEmptyRectangle)
{
    EXPECT_TRUE(placeVideo({640, 480}, {0, 0}).isEmpty());
}

}  // namespace
