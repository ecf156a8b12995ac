// The one skin layout against an independent rounding and against the committed pictures
// the window places by it.

#include "resources.h"
#include "skin_dial.h"
#include "skin_geometry.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>

namespace {

QImage load(const char* type, int id)
{
    return QImage(skinResourcePath(QString::fromLatin1(type), id));
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
    using skin::Button;
    const std::pair<Button, int> strips[] = {
        {Button::Cycle, 149},      {Button::Prev, 153},     {Button::Play, 152},
        {Button::Stop, 155},       {Button::Next, 151},     {Button::Print, 158},
        {Button::Capture, 161},    {Button::Import, 164},   {Button::Clear, 162},
        {Button::VolumeDown, 160}, {Button::VolumeUp, 159}, {Button::Minimise, 165},
        {Button::Close, 163}};
    for (const auto& [button, id] : strips) {
        const QImage strip = load("PNG", id);
        EXPECT_EQ(QSize(strip.width() / 4, strip.height()), skin::button(button).size()) << id;
    }
    EXPECT_EQ(load("BITMAP", 129).size(), skin::kSeekBar.size());
    EXPECT_EQ(load("BITMAP", 156).size(), skin::volumeBar(0).size());
    EXPECT_EQ(load("BITMAP", 169).size(), skin::kCompassArrow);
    EXPECT_EQ(load("PNG", 170).size(), skin::kDialPicture.size());
    EXPECT_EQ(load("PNG", 150).size(), skin::kSize);
}

}  // namespace
