// The controls with the skin's own pictures, as the player window sets them up.
#include "controls/seek_slider.h"
#include "controls/skin_button.h"
#include "res/resources.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

TEST(SkinPicturesTest, LoaderFindsPicturesByName)
{
    EXPECT_EQ(skinPicture(QStringLiteral("skin.png")).size(), QSize(1024, 768));
    EXPECT_EQ(skinPicture(QStringLiteral("idle.jpg")).size(), QSize(510, 360));
    EXPECT_TRUE(skinPicture(QStringLiteral("play.png")).hasAlphaChannel());
    EXPECT_TRUE(skinPicture(QStringLiteral("play.jpg")).isNull());
}

TEST(SkinPicturesTest, PlayStripSizesTheButtonAndPauseKeepsIt)
{
    QWidget window;
    SkinButton button(&window);
    button.setGeometry(310, 527, 53, 46);
    button.setImage(skinPicture(QStringLiteral("play.png")));
    EXPECT_EQ(button.geometry(), QRect(310, 527, 52, 51));
    button.setImage(skinPicture(QStringLiteral("pause.png")));
    EXPECT_EQ(button.geometry(), QRect(310, 527, 52, 51));
}

TEST(SkinPicturesTest, SeekBarTakesItsBitmaps)
{
    QWidget window;
    SeekSlider slider(&window);
    slider.setChannelPictures(skinPicture(QStringLiteral("seek-channel.png")),
                              skinPicture(QStringLiteral("seek-played.png")));
    slider.setThumbPictures(skinPicture(QStringLiteral("seek-thumb.png")),
                            skinPicture(QStringLiteral("seek-thumb-held.png")));
    EXPECT_EQ(slider.size(), QSize(675, 9));
    slider.setRange(0, 300);
    EXPECT_EQ(slider.positionToPixel(300), 666);
}

}  // namespace
