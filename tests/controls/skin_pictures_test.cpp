// The controls with the skin's own pictures, as the player window sets them up.
#include "bitmap_slider.h"
#include "masked_image.h"
#include "png_button.h"
#include "resource_image.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

TEST(SkinPicturesTest, LoaderFindsPicturesByTypeAndId)
{
    QImage skin;
    ASSERT_EQ(LoadResourceImage(150, QStringLiteral("PNG"), skin), 1);
    EXPECT_EQ(skin.size(), QSize(1024, 768));
    QImage idle;
    ASSERT_EQ(LoadResourceImage(168, QStringLiteral("JPG"), idle), 1);
    EXPECT_EQ(idle.size(), QSize(510, 360));
    QImage strip;
    ASSERT_EQ(LoadResourceImage(152, QStringLiteral("PNG"), strip), 1);
    EXPECT_TRUE(strip.hasAlphaChannel());
    EXPECT_EQ(LoadResourceImage(152, QStringLiteral("JPG"), strip), 0);
}

TEST(SkinPicturesTest, PlayStripSizesTheButtonAndPauseKeepsIt)
{
    QWidget window;
    CPngButton button(&window);
    button.setGeometry(310, 527, 53, 46);
    button.SetImage(152);
    EXPECT_EQ(button.geometry(), QRect(310, 527, 52, 51));
    button.SetImage(167);
    EXPECT_EQ(button.geometry(), QRect(310, 527, 52, 51));
}

TEST(SkinPicturesTest, SeekBarTakesItsBitmaps)
{
    QWidget window;
    CBitmapSlider slider(&window);
    EXPECT_TRUE(slider.SetChannelImages(129, 130, false, kTransparentFromSample, 0, 0));
    EXPECT_TRUE(slider.SetThumbImages(131, 132, true, kTransparentFromSample, 0, 0));
    EXPECT_EQ(slider.size(), QSize(675, 9));
    slider.SetRange(0, 300, false);
    EXPECT_EQ(slider.PositionToPixel(300), 666);
}

}  // namespace
