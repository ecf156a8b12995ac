// The controls with the skin's own pictures, as the player window sets them up.
#include "blit.h"
#include "resource_image.h"
#include "seek_slider.h"
#include "skin_button.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

TEST(SkinPicturesTest, LoaderFindsPicturesByTypeAndId)
{
    QImage skin;
    ASSERT_EQ(loadResourceImage(150, QStringLiteral("PNG"), skin), 1);
    EXPECT_EQ(skin.size(), QSize(1024, 768));
    QImage idle;
    ASSERT_EQ(loadResourceImage(168, QStringLiteral("JPG"), idle), 1);
    EXPECT_EQ(idle.size(), QSize(510, 360));
    QImage strip;
    ASSERT_EQ(loadResourceImage(152, QStringLiteral("PNG"), strip), 1);
    EXPECT_TRUE(strip.hasAlphaChannel());
    EXPECT_EQ(loadResourceImage(152, QStringLiteral("JPG"), strip), 0);
}

TEST(SkinPicturesTest, PlayStripSizesTheButtonAndPauseKeepsIt)
{
    QWidget window;
    SkinButton button(&window);
    button.setGeometry(310, 527, 53, 46);
    button.setImage(152);
    EXPECT_EQ(button.geometry(), QRect(310, 527, 52, 51));
    button.setImage(167);
    EXPECT_EQ(button.geometry(), QRect(310, 527, 52, 51));
}

TEST(SkinPicturesTest, SeekBarTakesItsBitmaps)
{
    QWidget window;
    SeekSlider slider(&window);
    slider.setChannelPictures(loadBitmap(129), loadBitmap(130));
    slider.setThumbPictures(withoutKeyColour(loadBitmap(131)), withoutKeyColour(loadBitmap(132)));
    EXPECT_EQ(slider.size(), QSize(675, 9));
    slider.setRange(0, 300);
    EXPECT_EQ(slider.positionToPixel(300), 666);
}

}  // namespace
