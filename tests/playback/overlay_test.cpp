// The engine drawing through an overlay sink into the video widget's surface, checked
// on the screen itself. Needs an X display (QT_QPA_PLATFORM=xcb under Xvfb); skipped
// on other platforms, where the engine keeps its own frame path.
#include "playback/channels_view.h"
#include "playback/playback_engine.h"
#include "playback/video_surface.h"
#include "playback/video_widget.h"
#include "tests/playback/media_fixtures.h"
#include "tests/playback/test_support.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

bool isBlack(QRgb pixel)
{
    return qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16;
}

bool isBlue(QRgb pixel)
{
    return qBlue(pixel) > 150 && qRed(pixel) < 80 && qGreen(pixel) < 80;
}

// The colour bars' last bar (blue) lies at 13/14 of the picture's width.
QPoint blueBarOf(const QRect& picture)
{
    return {picture.left() + picture.width() * 13 / 14, picture.top() + 4};
}

class OverlayEngine : public testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs an X display";
        }
        m_engine.setAudioSink("fakesink sync=true");
        QPalette palette = m_window.palette();
        palette.setColor(QPalette::Window, kWindowColour);
        m_window.setPalette(palette);
        m_window.setAutoFillBackground(true);
        m_window.setGeometry(100, 100, 800, 600);
        m_area = new VideoWidget(&m_window);
        m_area->setGeometry(10, 20, 640, 360);
        m_window.show();
        ASSERT_TRUE(waitUntil([this] { return m_window.windowHandle()->isExposed(); }, 5000));
    }

    void TearDown() override { m_engine.close(); }

    // What the display shows at a point of the video widget (of the screen when full screen).
    QRgb screenPixel(QPoint inArea) const { return screenPixelOf(m_area, inArea); }

    static QRgb screenPixelOf(const QWidget* widget, QPoint inWidget)
    {
        const QPoint at = widget->mapToGlobal(inWidget);
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, at.x(), at.y(), 1, 1)
            .toImage()
            .pixel(0, 0);
    }

    bool showsBlueAt(QPoint inArea)
    {
        return waitUntil([&] { return isBlue(screenPixel(inArea)); }, 5000);
    }

    static constexpr QColor kWindowColour{0, 96, 48};
    PlaybackEngine m_engine;
    QWidget m_window;
    VideoWidget* m_area = nullptr;
};

TEST_F(OverlayEngine, VideoIsDrawnScaledIntoThePictureRectangleOnly)
{
    const QPoint outsideWindow = m_window.mapToGlobal(QPoint(-50, -50));
    const QRgb rootBefore = QGuiApplication::primaryScreen()
                                ->grabWindow(0, outsideWindow.x(), outsideWindow.y(), 1, 1)
                                .toImage()
                                .pixel(0, 0);
    ASSERT_TRUE(m_engine.open(media::videoWithAudio(), m_area).ok());
    ASSERT_NE(m_area->videoSurface()->sink(), nullptr) << "the overlay sink, not the frame copy";
    ASSERT_EQ(m_area->videoRect(), QRect(80, 0, 480, 360));

    // The 320-wide picture fills the 480-wide rectangle: its last bar reaches the right edge.
    EXPECT_TRUE(showsBlueAt(blueBarOf(m_area->videoRect())));
    EXPECT_FALSE(isBlack(screenPixel({120, 40})));
    EXPECT_TRUE(isBlack(screenPixel({40, 180})));
    EXPECT_TRUE(isBlack(screenPixel({600, 180})));
    EXPECT_EQ(QColor(screenPixel(m_area->mapFrom(&m_window, QPoint(750, 500)))), kWindowColour);
    EXPECT_EQ(QGuiApplication::primaryScreen()
                  ->grabWindow(0, outsideWindow.x(), outsideWindow.y(), 1, 1)
                  .toImage()
                  .pixel(0, 0),
              rootBefore)
        << "nothing drawn outside the window";

    ASSERT_TRUE(m_engine.togglePlay().ok());
    EXPECT_TRUE(waitUntil([this] { return m_area->frameCounts().painted > 10; }, 5000));
    m_engine.close();
    EXPECT_EQ(m_area->videoSurface()->sink(), nullptr);
    EXPECT_TRUE(waitUntil([this] { return isBlack(screenPixel({120, 40})); }, 2000));
}

TEST_F(OverlayEngine, NewSizesShowPausedAndPlayingInFullScreen)
{
    // Long enough (10 s) to play through the changes.
    ASSERT_TRUE(m_engine.open(media::damagedAfterTenSeconds(), m_area).ok());
    ASSERT_TRUE(showsBlueAt(blueBarOf(m_area->videoRect())));

    // Paused: the frame is rendered again at the smaller size.
    m_area->resize(320, 180);
    ASSERT_EQ(m_area->videoRect(), QRect(40, 0, 240, 180));
    EXPECT_TRUE(showsBlueAt(blueBarOf(m_area->videoRect())));
    EXPECT_EQ(m_engine.state(), PlayState::Paused);
    EXPECT_NEAR(m_engine.position(), 0.0, 0.01);

    // Playing through quick changes of size: a frame of the old size still on its way
    // must not stop the pipeline.
    ASSERT_TRUE(m_engine.togglePlay().ok());
    for (int i = 0; i < 12; ++i) {
        m_area->resize(i % 2 == 0 ? QSize(400, 300) : QSize(320, 180));
        waitUntil([] { return false; }, 40);
    }
    quint64 painted = m_area->frameCounts().painted;
    EXPECT_TRUE(waitUntil([&] { return m_area->frameCounts().painted > painted + 5; }, 3000));

    // In a window of its own on the whole screen, black beside the picture.
    QWidget control(&m_window);  // a control beside the video, drawn by Qt
    control.setGeometry(700, 20, 60, 30);
    control.show();
    m_engine.setFullScreen(true);
    ASSERT_TRUE(m_area->isWindow());
    ASSERT_TRUE(waitUntil([this] { return m_area->size() == m_area->screen()->size(); }, 3000));
    EXPECT_TRUE(showsBlueAt(blueBarOf(m_area->videoRect())));
    const QPoint besidePicture(m_area->width() / 2, m_area->videoRect().top() / 2);
    EXPECT_TRUE(waitUntil([&] { return isBlack(screenPixel(besidePicture)); }, 2000));
    painted = m_area->frameCounts().painted;
    EXPECT_TRUE(waitUntil([&] { return m_area->frameCounts().painted > painted + 5; }, 3000));

    // Paused, back in the window at the size it had.
    ASSERT_TRUE(m_engine.pause().ok());
    m_engine.setFullScreen(false);
    EXPECT_EQ(m_area->parentWidget(), &m_window);
    EXPECT_EQ(m_area->geometry(), QRect(10, 20, 320, 180));
    EXPECT_TRUE(showsBlueAt(blueBarOf(m_area->videoRect())));
    // The controls stay painted by the window: a native one is not flushed when the
    // window composites through OpenGL (as it does with a web view in it).
    EXPECT_FALSE(control.testAttribute(Qt::WA_NativeWindow));
    EXPECT_EQ(control.internalWinId(), 0U);
}

// The sink's window is native and lies over everything Qt paints: it leaves out the inset
// above the main picture and the main picture's label, which Qt paints.
TEST_F(OverlayEngine, TheInsetAndTheLabelShowOverTheSinksPicture)
{
    m_area->hide();
    auto* view = new ChannelsView(&m_window);
    view->setGeometry(10, 20, 640, 360);
    ChannelLayout layout;
    layout.corner = InsetCorner::TopRight;
    view->setChannelLayout(layout);
    const std::vector<VideoWidget*> channels = view->showChannels({"F", "R"});
    view->show();
    ASSERT_TRUE(m_engine.open(media::videoWithAudio(), channels[0]).ok());
    ASSERT_NE(channels[0]->videoSurface()->sink(), nullptr);
    const QRect picture = channels[0]->videoRect();
    ASSERT_EQ(picture, QRect(80, 0, 480, 360));
    const QRect inset = channels[1]->geometry();
    ASSERT_TRUE(picture.contains(inset));
    // The main picture still shows beside the inset (its blue bar above it).
    ASSERT_LT(blueBarOf(picture).y(), inset.top());
    ASSERT_TRUE(waitUntil([&] { return isBlue(screenPixelOf(view, blueBarOf(picture))); }, 5000));
    // Where the bars lie under it, the inset's black shows, and the label's black box.
    const auto blackAt = [](const QWidget* widget, QPoint at) {
        return waitUntil([&] { return isBlack(screenPixelOf(widget, at)); }, 2000);
    };
    EXPECT_TRUE(blackAt(view, inset.center() + QPoint(0, 20)));
    EXPECT_TRUE(blackAt(channels[0], channels[0]->captionRect().topLeft()));
    EXPECT_FALSE(isBlack(screenPixelOf(view, picture.topLeft() + QPoint(4, 100))));

    // Swapped: the main picture's sink now draws in the inset, at its size.
    QTest::mouseClick(channels[1], Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(view->channelAt(0), 1);
    const auto insetShowsBlue = [&] {
        return waitUntil(
            [&] { return isBlue(screenPixelOf(channels[0], blueBarOf(channels[0]->videoRect()))); },
            5000);
    };
    EXPECT_TRUE(insetShowsBlue());
    const QRect swappedInset = channels[0]->geometry();

    // Full screen and back keep the arrangement, the sink drawing on in the inset.
    view->setFullScreen(true);
    ASSERT_TRUE(view->isWindow());
    ASSERT_TRUE(waitUntil([&] { return view->size() == view->screen()->size(); }, 3000));
    EXPECT_EQ(channels[1]->geometry(), view->rect());
    EXPECT_LT(channels[0]->width(), view->width() / 2);
    EXPECT_TRUE(insetShowsBlue());
    view->setFullScreen(false);
    EXPECT_EQ(view->geometry(), QRect(10, 20, 640, 360));
    EXPECT_EQ(channels[0]->geometry(), swappedInset);
    EXPECT_TRUE(insetShowsBlue());
    m_engine.close();
}

// The widget goes first, the engine still playing: the sink must stop before its
// window is gone (a sink drawing into a dead window takes the process down).
TEST_F(OverlayEngine, WidgetDestroyedWhilePlayingStopsTheSink)
{
    ASSERT_TRUE(m_engine.open(media::videoWithAudio(), m_area).ok());
    ASSERT_TRUE(m_engine.togglePlay().ok());
    ASSERT_TRUE(waitUntil([this] { return m_area->frameCounts().painted > 3; }, 3000));
    delete m_area;
    waitUntil([] { return false; }, 500);
    EXPECT_EQ(m_engine.state(), PlayState::Running);
    m_engine.close();
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
}

}  // namespace
