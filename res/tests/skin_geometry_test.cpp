// The one skin layout against an independent rounding and against the committed pictures
// the window places by it.

#include "res/resources.h"
#include "skin/skin_dial.h"
#include "skin/skin_geometry.h"
#include "skin/skin_stretch.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>

namespace {

QImage load(const char* file)
{
    return skinPicture(QLatin1String(file));
}

TEST(SkinGeometry, DialogUnitsRoundHalfAwayFromZero)
{
    EXPECT_EQ(skin::fromLayoutUnits(1, 1, 1, 1), QRect(2, 2, 2, 2)) << "1.75 rounds to 2, 3.5 to 4";
    EXPECT_EQ(skin::fromLayoutUnits(29 + 4 * 9, 311, 2, 11).left(), 114) << "113.75";
    for (int units = -4000; units <= 4000; ++units) {
        ASSERT_EQ(skin::unitsAcross(units), std::lround(units * 7.0 / 4.0)) << units;
        ASSERT_EQ(skin::unitsDown(units), std::lround(units * 14.0 / 8.0)) << units;
    }
}

// The window sizes a control by its picture; the painter lays the skin out by these sizes.
TEST(SkinGeometry, PicturesHaveTheSizesTheLayoutGivesTheirControls)
{
    for (const skin::Button button : skin::kButtons) {
        const char* file = skin::stripPicture(button);
        const QImage strip = load(file);
        ASSERT_FALSE(strip.isNull()) << file;
        EXPECT_EQ(QSize(strip.width() / 4, strip.height()), skin::button(button).size()) << file;
    }
    EXPECT_EQ(load("seek-channel.png").size(), skin::kSeekBar.size());
    EXPECT_EQ(load("volume-lit.png").size(), skin::volumeBar(0).size());
    EXPECT_EQ(load("compass-arrow.png").size(), skin::kCompassArrow);
    EXPECT_EQ(load("dial-mph.png").size(), skin::kDialPicture.size());
    EXPECT_EQ(load("skin.png").size(), skin::kSize);
}

// Two pixels alike but for the background gradient's steps of a level or two.
bool alike(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
           std::abs(qBlue(a) - qBlue(b)) <= 2;
}

// Pixels of `area` unlike their neighbour one step along `step` (to the right or down).
int unlikeNeighbours(const QImage& picture, const QRect& area, QPoint step)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += !alike(picture.pixel(x, y), picture.pixel(QPoint(x, y) + step));
        }
    }
    return count;
}

// The window stretches the skin only across its bands: there the picture must be the same
// all along the stretch, or stretching would smear what the painter drew. The map's grid
// lies under the map, which covers it.
TEST(SkinGeometry, StretchBandsAreTheSameAllAlong)
{
    using skin::Band;
    const QImage skinPicture = load("skin.png").convertToFormat(QImage::Format_RGB32);
    const int titleEnd = skin::kTitleRows + 1;
    const int height = skin::kSize.height();
    const auto across = [](const Band& band, int top, int bottom) {
        return QRect(QPoint(band.begin, top), QPoint(band.end - 2, bottom - 1));
    };
    const auto down = [](const Band& band, int left, int right) {
        return QRect(QPoint(left, band.begin), QPoint(right - 1, band.end - 2));
    };
    const QPoint right(1, 0);
    const QPoint below(0, 1);
    EXPECT_EQ(unlikeNeighbours(skinPicture, across(skin::kTitleAcross, 0, titleEnd), right), 0);
    EXPECT_EQ(unlikeNeighbours(skinPicture, across(skin::kLeftAcross, titleEnd, height), right), 0);
    EXPECT_EQ(unlikeNeighbours(skinPicture, down(skin::kVideoDown, 0, skin::kColumnSplit), below),
              0);
    EXPECT_EQ(unlikeNeighbours(skinPicture, down(skin::kChartDown, 0, skin::kColumnSplit), below),
              0);
    const QRect map = skin::kMapHost;
    EXPECT_EQ(
        unlikeNeighbours(skinPicture, down(skin::kMapDown, skin::kColumnSplit, map.left()), below) +
            unlikeNeighbours(skinPicture,
                             down(skin::kMapDown, map.right() + 1, skin::kSize.width()), below),
        0);
    EXPECT_LT(map.top(), skin::kMapDown.begin);
    EXPECT_GT(map.bottom(), skin::kMapDown.end);
}

}  // namespace
