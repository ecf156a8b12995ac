#include "playback/decoder_preference.h"
#include "playback/playback_engine.h"
#include "playback/video_placement.h"
#include "playback/video_widget.h"
#include "tests/playback/media_fixtures.h"
#include "tests/playback/test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <memory>

namespace {

class Engine : public testing::Test
{
protected:
    Engine()
    {
        m_engine.setAudioSink("fakesink sync=true");
        m_area.resize(640, 360);
    }

    PlaybackResult open(const QString& path) { return m_engine.open(path, &m_area); }

    // Runs until the engine reports the end of the stream.
    bool playToEnd(int milliseconds = 15000)
    {
        return waitUntil([this] { return m_engine.state() == PlayState::Stopped; }, milliseconds);
    }

    QRgb pixelAt(QPoint point) { return m_area.grab().toImage().pixel(point); }

    PlaybackEngine m_engine;
    VideoWidget m_area;
    QSignalSpy m_ended{&m_engine, &PlaybackEngine::endReached};
    QSignalSpy m_failed{&m_engine, &PlaybackEngine::failed};
    QTemporaryDir m_dir;
};

bool isBlack(QRgb pixel)
{
    return qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16;
}

TEST_F(Engine, OpenCuesPausedAtZeroWithTheDuration)
{
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
    ASSERT_TRUE(open(media::videoWithAudio()).ok());
    EXPECT_EQ(m_engine.state(), PlayState::Paused);
    EXPECT_NEAR(m_engine.position(), 0.0, 0.01);
    EXPECT_NEAR(m_engine.duration(), 2.0, 0.1);
    EXPECT_EQ(m_engine.fileName(), media::videoWithAudio());
    // 320 x 240 in 640 x 360 is pillarboxed by the placement rule.
    EXPECT_EQ(m_area.videoRect(), placeVideo({320, 240}, {640, 360}));
    EXPECT_EQ(m_area.videoRect(), QRect(80, 0, 480, 360));
}

TEST_F(Engine, VideoAreaShowsTheFirstFrameInsideBlackBars)
{
    ASSERT_TRUE(open(media::videoWithAudio()).ok());
    ASSERT_TRUE(waitUntil([this] { return m_area.frameCounts().presented > 0; }, 5000));
    // Colour bars inside the placement, black in the bars beside it.
    EXPECT_FALSE(isBlack(pixelAt({120, 40})));
    EXPECT_TRUE(isBlack(pixelAt({40, 180})));
    EXPECT_TRUE(isBlack(pixelAt({600, 180})));

    m_engine.close();
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
    EXPECT_TRUE(m_engine.fileName().isEmpty());
    EXPECT_TRUE(isBlack(pixelAt({120, 40})));
}

TEST_F(Engine, StateTable)
{
    ASSERT_TRUE(open(media::videoWithAudio()).ok());
    EXPECT_TRUE(m_engine.togglePlay().ok());
    EXPECT_EQ(m_engine.state(), PlayState::Running);
    EXPECT_TRUE(m_engine.togglePlay().ok());
    EXPECT_EQ(m_engine.state(), PlayState::Paused);
    EXPECT_TRUE(m_engine.togglePlay().ok());
    EXPECT_TRUE(m_engine.pause().ok());
    EXPECT_EQ(m_engine.state(), PlayState::Paused);

    ASSERT_TRUE(m_engine.setPosition(1.0).ok());
    EXPECT_TRUE(m_engine.stop().ok());
    EXPECT_EQ(m_engine.state(), PlayState::Stopped);
    EXPECT_NEAR(m_engine.position(), 0.0, 0.01);
    // Stop only acts when paused or running.
    EXPECT_TRUE(m_engine.stop().ok());
    EXPECT_EQ(m_engine.state(), PlayState::Stopped);

    EXPECT_TRUE(m_engine.togglePlay().ok());
    EXPECT_EQ(m_engine.state(), PlayState::Running);
    EXPECT_TRUE(m_engine.stop().ok());
    EXPECT_EQ(m_engine.state(), PlayState::Stopped);

    m_engine.close();
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
}

TEST_F(Engine, OperationsWithoutAFileDoNothing)
{
    EXPECT_TRUE(m_engine.togglePlay().ok());
    EXPECT_TRUE(m_engine.pause().ok());
    EXPECT_TRUE(m_engine.stop().ok());
    EXPECT_TRUE(m_engine.setPosition(1.0).ok());
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
    EXPECT_EQ(m_engine.position(), 0.0);
    EXPECT_EQ(m_engine.duration(), 0.0);
    m_engine.setVolumeLevel(7);
    EXPECT_EQ(m_engine.volumeLevel(), 0);
    EXPECT_FALSE(m_engine.captureFrame(m_dir.filePath("before.jpg")));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("before.jpg")));
}

TEST_F(Engine, EndOfStreamRewindsAndIsSignalledOnce)
{
    ASSERT_TRUE(open(media::videoWithAudio()).ok());
    ASSERT_TRUE(m_engine.setPosition(1.5).ok());
    ASSERT_TRUE(m_engine.togglePlay().ok());
    ASSERT_TRUE(playToEnd());
    ASSERT_TRUE(waitUntil([this] { return m_ended.count() > 0; }, 1000));
    EXPECT_EQ(m_ended.count(), 1);
    EXPECT_EQ(m_failed.count(), 0);
    EXPECT_NEAR(m_engine.position(), 0.0, 0.01);
    // The first frame is shown again, and playing starts over.
    EXPECT_FALSE(isBlack(pixelAt({120, 40})));
    EXPECT_TRUE(m_engine.togglePlay().ok());
    EXPECT_EQ(m_engine.state(), PlayState::Running);
}

TEST_F(Engine, SetPositionThenGetPosition)
{
    ASSERT_TRUE(open(media::videoWithAudio()).ok());
    ASSERT_TRUE(m_engine.setPosition(1.2).ok());
    EXPECT_NEAR(m_engine.position(), 1.2, 0.04);
    ASSERT_TRUE(m_engine.setPosition(0.4).ok());
    EXPECT_NEAR(m_engine.position(), 0.4, 0.04);
    EXPECT_EQ(m_engine.state(), PlayState::Paused);
}

TEST_F(Engine, VolumeLevelRoundTripsForEveryLevel)
{
    ASSERT_TRUE(open(media::videoWithAudio()).ok());
    EXPECT_EQ(m_engine.volumeLevel(), 10);
    for (int level = 0; level <= 10; ++level) {
        m_engine.setVolumeLevel(level);
        EXPECT_EQ(m_engine.volumeLevel(), level);
    }
    // Beyond the renderer's range the volume stays as it was.
    m_engine.setVolumeLevel(4);
    m_engine.setVolumeLevel(11);
    m_engine.setVolumeLevel(-30);
    EXPECT_EQ(m_engine.volumeLevel(), 4);
}

TEST_F(Engine, FailedOpenLeavesTheEngineClosed)
{
    ASSERT_TRUE(open(media::videoWithAudio()).ok());
    ASSERT_TRUE(m_engine.setPosition(1.0).ok());
    const PlaybackResult refused = open(m_dir.filePath("absent.MOV"));
    EXPECT_EQ(refused.error(), PlaybackError::FileNotFound);
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
    EXPECT_FALSE(refused.reason().isEmpty());
    // Nothing of the recording before or of the failed one answers any more.
    EXPECT_EQ(m_engine.position(), 0.0);
    EXPECT_EQ(m_engine.duration(), 0.0);
    EXPECT_TRUE(m_engine.togglePlay().ok());
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
    EXPECT_FALSE(m_engine.open(QString(), &m_area).ok());
    // An output it cannot draw into is refused, not drawn past.
    ASSERT_TRUE(open(media::videoWithAudio()).ok());
    struct Elsewhere : VideoOutput
    {
    } elsewhere;
    const std::string path = QFile::encodeName(media::videoWithAudio()).toStdString();
    EXPECT_EQ(m_engine.open(path, &elsewhere).error(), PlaybackError::InvalidArgument);
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
}

TEST_F(Engine, TextFileNamedMovIsRefused)
{
    const PlaybackResult refused = open(media::textRenamedMov());
    EXPECT_EQ(refused.error(), PlaybackError::UnsupportedStream);
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
    EXPECT_FALSE(refused.reason().isEmpty());
    // A good file opens afterwards on the same engine.
    EXPECT_TRUE(open(media::videoWithAudio()).ok());
}

TEST_F(Engine, VideoWithoutDecoderIsRefused)
{
    const PlaybackResult refused = open(media::undecodableVideo());
    EXPECT_EQ(refused.error(), PlaybackError::NoDecoder);
    EXPECT_FALSE(refused.reason().isEmpty());
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
}

// The demuxer's error does not fail the change of state; about every other open
// waited for the whole cue bound until the error ended the wait.
TEST_F(Engine, RecordingCutBeforeItsIndexIsRefusedAtTheDemuxersError)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const PlaybackResult opened = open(media::truncatedNoIndex());
        EXPECT_FALSE(opened.ok());
        EXPECT_NE(opened.error(), PlaybackError::TimedOut) << "attempt " << attempt;
        EXPECT_FALSE(opened.reason().isEmpty());
        EXPECT_EQ(m_engine.state(), PlayState::Closed);
    }
}

TEST_F(Engine, ErrorInTheMiddleStopsThereAndIsToldFromTheEnd)
{
    ASSERT_TRUE(open(media::damagedAfterTenSeconds()).ok());
    ASSERT_TRUE(m_engine.setPosition(8.0).ok());  // near the damage, to meet it soon
    ASSERT_TRUE(m_engine.togglePlay().ok());
    QSignalSpy states(&m_engine, &PlaybackEngine::stateChanged);
    ASSERT_TRUE(waitUntil([this] { return m_failed.count() + m_ended.count() > 0; }, 15000));
    ASSERT_EQ(m_failed.count(), 1);
    EXPECT_EQ(m_ended.count(), 0);
    EXPECT_FALSE(m_failed.at(0).at(0).toString().isEmpty());
    ASSERT_GE(states.count(), 1);
    EXPECT_EQ(states.last().at(0).value<PlayState>(), PlayState::Stopped);
    // The demuxer reads a few seconds ahead of the picture, and fails there.
    const double brokeAt = m_engine.position();
    EXPECT_GT(brokeAt, 2.0);
    EXPECT_LT(brokeAt, 10.2);
    // Nothing starts again by itself; the position and the picture of that moment stay.
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(m_engine.state(), PlayState::Stopped);
    EXPECT_NEAR(m_engine.position(), brokeAt, 0.01);
    EXPECT_FALSE(isBlack(pixelAt({120, 40})));
}

// A pipeline would block in opening the pipe for as long as no one writes to it.
TEST_F(Engine, PipeNamedLikeARecordingIsRefusedWithoutAPipeline)
{
    const QByteArray pipe = QFile::encodeName(m_dir.filePath("x.MOV"));
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    const PlaybackResult refused = open(m_dir.filePath("x.MOV"));
    EXPECT_EQ(refused.error(), PlaybackError::InvalidArgument);
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
    EXPECT_FALSE(refused.reason().isEmpty());
}

TEST_F(Engine, NameThatIsNotUtf8Plays)
{
    const std::string path = QFile::encodeName(m_dir.path()).toStdString() + "/caf\xE9.MOV";
    std::filesystem::copy_file(QFile::encodeName(media::videoWithAudio()).toStdString(), path);
    ASSERT_TRUE(m_engine.open(path, &m_area).ok());
    EXPECT_EQ(m_engine.filePath(), path);
    EXPECT_NEAR(m_engine.duration(), 2.0, 0.1);
}

TEST_F(Engine, RecordingCutAfterItsIndexEndsCleanly)
{
    if (!open(media::truncatedIndexed())) {
        GTEST_SKIP() << "refused at open";
    }
    ASSERT_TRUE(m_engine.togglePlay().ok());
    EXPECT_TRUE(playToEnd());
    EXPECT_NEAR(m_engine.position(), 0.0, 0.01);
}

TEST_F(Engine, AudioOnlyPlacesNoVideo)
{
    ASSERT_TRUE(open(media::audioOnly()).ok());
    EXPECT_EQ(m_engine.state(), PlayState::Paused);
    EXPECT_NEAR(m_engine.duration(), 2.0, 0.1);
    EXPECT_TRUE(m_area.videoRect().isEmpty());
    EXPECT_TRUE(isBlack(pixelAt({320, 180})));
    EXPECT_FALSE(m_engine.captureFrame(m_dir.filePath("audio.jpg")));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("audio.jpg")));
    ASSERT_TRUE(m_engine.setPosition(1.6).ok());
    ASSERT_TRUE(m_engine.togglePlay().ok());
    EXPECT_TRUE(playToEnd());
}

TEST_F(Engine, CaptureWritesTheShownFrameUpright)
{
    ASSERT_TRUE(open(media::videoWithAudio()).ok());
    const QString path = m_dir.filePath("snap.jpg");
    ASSERT_TRUE(m_engine.captureFrame(path));
    const DecodedJpeg jpeg = decodeJpeg(path);
    ASSERT_TRUE(jpeg.ok);
    EXPECT_EQ(jpeg.width, 320);
    EXPECT_EQ(jpeg.height, 240);
    // SMPTE bars: the top row ends with red then blue bars; near the bottom, past
    // the middle, lies a black block.
    const auto red = jpeg.at(320 * 11 / 14, 2);
    EXPECT_GT(red.r, 150);
    EXPECT_LT(red.b, 80);
    const auto blue = jpeg.at(320 * 13 / 14, 2);
    EXPECT_GT(blue.b, 150);
    EXPECT_LT(blue.r, 80);
    const auto bottomBlack = jpeg.at(172, 230);
    EXPECT_LT(bottomBlack.r + bottomBlack.g + bottomBlack.b, 120);

    EXPECT_FALSE(m_engine.captureFrame(m_dir.filePath("missing/folder/snap.jpg")));
}

TEST_F(Engine, PathsLongerThanTheOldLimitAreNotCut)
{
    const QString folder = m_dir.filePath(QString(150, 'a') + '/' + QString(150, 'b'));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/recording.MOV";
    ASSERT_TRUE(QFile::copy(media::videoWithAudio(), path));
    ASSERT_GT(path.size(), 300);
    EXPECT_TRUE(open(path).ok());
    EXPECT_EQ(m_engine.fileName(), path);
}

TEST_F(Engine, FullScreenShowsTheVideoAloneAndReturns)
{
    QWidget window;
    window.resize(800, 600);
    auto* area = new VideoWidget(&window);
    area->setGeometry(10, 20, 640, 360);
    window.show();
    ASSERT_TRUE(m_engine.open(media::videoWithAudio(), area).ok());

    m_engine.setFullScreen(true);
    EXPECT_TRUE(area->isWindow());
    EXPECT_TRUE(area->isFullScreen());
    m_engine.setFullScreen(false);
    EXPECT_FALSE(area->isWindow());
    EXPECT_EQ(area->parentWidget(), &window);
    EXPECT_EQ(area->geometry(), QRect(10, 20, 640, 360));
    m_engine.close();
}

TEST_F(Engine, VideoAreaDestroyedWhilePlayingIsLeftAlone)
{
    auto area = std::make_unique<VideoWidget>();
    ASSERT_TRUE(m_engine.open(media::videoWithAudio(), area.get()).ok());
    ASSERT_TRUE(m_engine.togglePlay().ok());
    waitUntil([&] { return area->frameCounts().presented > 3; }, 3000);
    area.reset();
    // Frames keep coming for a while and must go nowhere.
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(m_engine.state(), PlayState::Running);
    m_engine.setFullScreen(true);
    m_engine.close();
    EXPECT_EQ(m_engine.state(), PlayState::Closed);
}

TEST(DecoderPreference, FirstExistingDecoderOutranksTheOthers)
{
    const std::array<const char*, 3> candidates{"no-such-decoder", "avdec_h264", "openh264dec"};
    EXPECT_EQ(preferDecoder(candidates), "avdec_h264");
    GstPluginFeature* chosen = gst_registry_lookup_feature(gst_registry_get(), "avdec_h264");
    GstPluginFeature* other = gst_registry_lookup_feature(gst_registry_get(), "openh264dec");
    ASSERT_NE(chosen, nullptr);
    if (other != nullptr) {
        EXPECT_GT(gst_plugin_feature_get_rank(chosen), gst_plugin_feature_get_rank(other));
        gst_object_unref(other);
    }
    gst_object_unref(chosen);

    const std::array<const char*, 1> none{"no-such-decoder"};
    EXPECT_EQ(preferDecoder(none), "");
    EXPECT_EQ(std::string(preferredDecoders().front()), "vah264dec");
}

}  // namespace
