// Where the channels of a moment show in the video area, and what the user does with them.
#include "playback/channel_arrangement.h"
#include "playback/channels_view.h"
#include "playback/video_widget.h"

#include <QImage>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gst/gst.h>
#include <gtest/gtest.h>

namespace {

bool tiles(const std::vector<QRect>& places, QSize area)
{
    QRegion covered;
    int pixels = 0;
    for (const QRect& place : places) {
        covered += place;
        pixels += place.width() * place.height();
    }
    return covered == QRegion(QRect(QPoint(), area)) && pixels == area.width() * area.height();
}

// A frame of two pixels, red on the left and blue on the right, as a pipeline posts it.
GstSample* redThenBlue()
{
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width",
                                        G_TYPE_INT, 2, "height", G_TYPE_INT, 1, nullptr);
    const guint8 pixels[] = {0, 0, 255, 0, 255, 0, 0, 0};
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, sizeof pixels, nullptr);
    gst_buffer_fill(buffer, 0, pixels, sizeof pixels);
    GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
    gst_buffer_unref(buffer);
    gst_caps_unref(caps);
    return sample;
}

TEST(ChannelArrangement, EachArrangementPlacesEveryChannel)
{
    const QSize area(800, 450);
    const QRect whole(QPoint(), area);
    ChannelLayout layout;
    // Insets lie inside the main picture, not in the black beside a narrower one.
    const QRect narrow(100, 0, 600, 450);
    std::vector<QRect> places = arrangeChannels(layout, 2, area, narrow);
    ASSERT_EQ(places.size(), 2U);
    EXPECT_EQ(places[0], whole);
    EXPECT_EQ(places[1], QRect(700 - 9 - 180, 450 - 9 - 135, 180, 135))
        << "bottom right, 30 % of the picture's width, its shape, a margin off the edges";
    layout.corner = InsetCorner::TopLeft;
    layout.insetPercent = 20;
    EXPECT_EQ(arrangeChannels(layout, 2, area, narrow)[1], QRect(109, 9, 120, 90));
    // Two insets in a row from the corner, apart; even at the largest size they fit.
    layout.corner = InsetCorner::BottomRight;
    layout.insetPercent = ChannelLayout::kMaxInsetPercent;
    places = arrangeChannels(layout, 3, area, {});
    ASSERT_EQ(places.size(), 3U);
    EXPECT_TRUE(whole.contains(places[1]) && whole.contains(places[2]));
    EXPECT_FALSE(places[1].intersects(places[2]));
    EXPECT_LT(places[2].right(), places[1].left());
    EXPECT_EQ(places[1].bottom(), places[2].bottom());

    layout.arrangement = ChannelArrangement::SideBySide;
    places = arrangeChannels(layout, 3, area, {});
    EXPECT_TRUE(tiles(places, area));
    EXPECT_EQ(places[0].height(), 450);
    layout.arrangement = ChannelArrangement::Stacked;
    places = arrangeChannels(layout, 2, area, {});
    EXPECT_TRUE(tiles(places, area));
    EXPECT_EQ(places[1], QRect(0, 225, 800, 225));
    layout.arrangement = ChannelArrangement::Grid;
    places = arrangeChannels(layout, 3, area, {});
    EXPECT_EQ(places[0], QRect(0, 0, 400, 225));
    EXPECT_EQ(places[2], QRect(0, 225, 400, 225));
    layout.arrangement = ChannelArrangement::MainOnly;
    places = arrangeChannels(layout, 3, area, {});
    EXPECT_EQ(places, (std::vector<QRect>{whole, QRect(), QRect()}));
    // One channel fills the area whatever the arrangement.
    layout.arrangement = ChannelArrangement::SideBySide;
    EXPECT_EQ(arrangeChannels(layout, 1, area, {}), std::vector<QRect>{whole});
}

TEST(ChannelArrangement, TheCycleOffersAGridOnlyForThreeChannels)
{
    auto cycle = [](int count) {
        std::vector<ChannelArrangement> seen;
        ChannelArrangement at = ChannelArrangement::PictureInPicture;
        do {
            seen.push_back(at);
            at = nextArrangement(at, count);
        } while (at != ChannelArrangement::PictureInPicture && seen.size() < 10);
        return seen;
    };
    EXPECT_EQ(cycle(2).size(), 4U);
    EXPECT_EQ(cycle(3).size(), 5U);
    EXPECT_EQ(cycle(3)[3], ChannelArrangement::Grid);
}

class ChannelsViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(800, 600);
        view = new ChannelsView(&window);
        view->setGeometry(10, 20, 640, 360);
        window.show();
    }

    QWidget window;
    ChannelsView* view = nullptr;
};

TEST_F(ChannelsViewTest, AClickOnTheInsetMakesItTheMainPicture)
{
    const std::vector<VideoWidget*> channels = view->showChannels({"F", "R"});
    ASSERT_EQ(channels.size(), 2U);
    VideoWidget* front = channels[0];
    VideoWidget* rear = channels[1];
    EXPECT_EQ(front->geometry(), view->rect());
    ASSERT_TRUE(front->geometry().contains(rear->geometry()));
    EXPECT_LT(rear->width(), view->width() / 2);
    EXPECT_EQ(view->childAt(rear->geometry().center()), rear) << "the inset lies above";
    EXPECT_TRUE(view->isChannelShown(0) && view->isChannelShown(1));
    EXPECT_EQ(rear->label(), "R");

    ChannelLayout mirrored = view->channelLayout();
    mirrored.mirrorRear = true;
    view->setChannelLayout(mirrored);
    EXPECT_TRUE(rear->isMirrored());

    QTest::mouseClick(rear, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(view->channelAt(0), 1);
    EXPECT_EQ(rear->geometry(), view->rect());
    EXPECT_TRUE(rear->geometry().contains(front->geometry()));
    EXPECT_LT(front->width(), view->width() / 2);
    EXPECT_EQ(view->childAt(front->geometry().center()), front);
    EXPECT_FALSE(rear->isMirrored()) << "only the inset is mirrored";
    // A click on the main picture changes nothing.
    QTest::mouseClick(rear, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(view->channelAt(0), 1);

    // Alone, the main picture is the only one shown.
    ChannelLayout alone = view->channelLayout();
    alone.arrangement = ChannelArrangement::MainOnly;
    view->setChannelLayout(alone);
    EXPECT_TRUE(view->isChannelShown(1));
    EXPECT_FALSE(view->isChannelShown(0));
}

TEST_F(ChannelsViewTest, TheRearInsetIsMirroredOnlyWhenAsked)
{
    VideoWidget* rear = view->showChannels({"F", "R"})[1];
    rear->setVideoSize(QSize(2, 1));
    rear->mailbox()->post(redThenBlue());
    const auto leftIsRed = [rear] {
        const QRect picture = rear->videoRect();
        const QImage shot = rear->grab().toImage();
        const QRgb left = shot.pixel(picture.left() + 2, picture.center().y());
        const QRgb right = shot.pixel(picture.right() - 2, picture.center().y());
        EXPECT_NE(qRed(left) > 200, qRed(right) > 200) << "one side red, the other not";
        return qRed(left) > 200 && qBlue(right) > 200;
    };
    EXPECT_TRUE(leftIsRed());
    ChannelLayout layout = view->channelLayout();
    layout.mirrorRear = true;
    view->setChannelLayout(layout);
    EXPECT_FALSE(leftIsRed());
    layout.arrangement = ChannelArrangement::SideBySide;
    view->setChannelLayout(layout);
    EXPECT_TRUE(leftIsRed()) << "mirrored as an inset only";
}

TEST_F(ChannelsViewTest, NotesAndLabelsArePaintedOverTheChannelsPicture)
{
    VideoWidget* only = view->showChannels({"F"}).front();
    EXPECT_EQ(only->geometry(), view->rect());
    EXPECT_TRUE(only->captionRect().isEmpty()) << "one channel shows as it always did";

    const std::vector<VideoWidget*> channels = view->showChannels({"F", "R", "I"});
    view->setChannelNote(2, "Starts in 1 s");
    VideoWidget* interior = channels[2];
    EXPECT_EQ(interior->note(), "Starts in 1 s");
    const QRect caption = interior->captionRect();
    ASSERT_FALSE(caption.isEmpty());
    ASSERT_TRUE(interior->rect().contains(caption));
    const QImage shot = interior->grab().toImage();
    int light = 0;
    for (int y = caption.top(); y <= caption.bottom(); ++y) {
        for (int x = caption.left(); x <= caption.right(); ++x) {
            light += qGray(shot.pixel(x, y)) > 128;
        }
    }
    EXPECT_GT(light, 10) << "the text shows on the black picture";
    EXPECT_EQ(qGray(shot.pixel(interior->width() - 2, interior->height() - 2)), 0);

    // A new moment starts without the old notes, its first channel the main picture.
    view->swapChannels();
    EXPECT_EQ(view->channelAt(0), 1);
    view->showChannels({"F", "R", "I"});
    EXPECT_EQ(view->channelAt(0), 0);
    EXPECT_TRUE(interior->note().isEmpty());
}

TEST_F(ChannelsViewTest, FullScreenKeepsTheArrangementAndEscapeComesBack)
{
    const std::vector<VideoWidget*> channels = view->showChannels({"F", "R", "I"});
    ChannelLayout layout = view->channelLayout();
    layout.arrangement = ChannelArrangement::SideBySide;
    view->setChannelLayout(layout);
    EXPECT_EQ(channels[2]->geometry(), QRect(426, 0, 214, 360));

    view->setFullScreen(true);
    ASSERT_TRUE(view->isWindow());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->size() == view->screen()->size(); }, 3000));
    const int third = view->width() / 3;
    EXPECT_EQ(channels[0]->geometry(), QRect(0, 0, third, view->height()));
    EXPECT_EQ(channels[2]->geometry().right(), view->width() - 1);
    EXPECT_EQ(view->channelLayout(), layout);

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(channels[0], &escape);
    EXPECT_FALSE(view->isFullScreenVideo());
    EXPECT_FALSE(view->isWindow());
    EXPECT_EQ(view->parentWidget(), &window);
    EXPECT_EQ(view->geometry(), QRect(10, 20, 640, 360));
    EXPECT_EQ(channels[2]->geometry(), QRect(426, 0, 214, 360));
}

}  // namespace
