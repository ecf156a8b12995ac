#include "playback/moment_engine.h"
#include "playback/playback_engine.h"
#include "playback/video_widget.h"
#include "tests/playback/media_fixtures.h"
#include "tests/playback/moment_fixtures.h"
#include "tests/playback/side_by_side_channels.h"
#include "tests/playback/test_support.h"
#include "tools/make-sample-recordings/frame_stamp.h"

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace {

using frame_stamp::Stamp;

constexpr int kFps = 30;
constexpr double kRearOffset = 1.0;
constexpr int kOffsetFrames = 30;

// The stamp of the frame a widget shows: its mailbox's newest frame, not the engine's clock.
std::optional<Stamp> shownStamp(VideoWidget* widget)
{
    const FrameMailbox::Newest newest = widget->mailbox()->take();
    if (newest.sample == nullptr) {
        return std::nullopt;
    }
    std::optional<Stamp> stamp;
    GstVideoInfo info;
    GstVideoFrame frame;
    GstCaps* caps = gst_sample_get_caps(newest.sample);
    GstBuffer* buffer = gst_sample_get_buffer(newest.sample);
    if (caps != nullptr && buffer != nullptr && gst_video_info_from_caps(&info, caps) &&
        gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) {
        const auto* pixels = static_cast<const guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
        const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
        // BGRx: the green byte of each pixel.
        stamp = frame_stamp::readStamp(
            info.width, info.height, [&](int x, int y) { return pixels[y * stride + 4 * x + 1]; });
        gst_video_frame_unmap(&frame);
    }
    gst_sample_unref(newest.sample);
    return stamp;
}

std::optional<Stamp> jpegStamp(const QString& path)
{
    const DecodedJpeg jpeg = decodeJpeg(path);
    if (!jpeg.ok) {
        return std::nullopt;
    }
    return frame_stamp::readStamp(jpeg.width, jpeg.height,
                                  [&](int x, int y) { return jpeg.at(x, y).g; });
}

QByteArray runTool(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    return tool.waitForFinished(60000) && tool.exitCode() == 0 ? tool.readAllStandardOutput()
                                                               : QByteArray();
}

// Frame `index` of the file as ffmpeg decodes it, grey, and its stamp.
std::optional<Stamp> ffmpegStamp(const QString& path, int index)
{
    constexpr int kWidth = 640;
    constexpr int kHeight = 360;
    const QByteArray grey = runTool(
        "ffmpeg", {"-v", "error", "-i", path, "-vf", QStringLiteral("select=eq(n\\,%1)").arg(index),
                   "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gray", "-"});
    if (grey.size() != kWidth * kHeight) {
        return std::nullopt;
    }
    return frame_stamp::readStamp(kWidth, kHeight, [&](int x, int y) {
        return static_cast<unsigned char>(grey[y * kWidth + x]);
    });
}

QDateTime ffprobeStart(const QString& path)
{
    const QByteArray text =
        runTool("ffprobe", {"-v", "error", "-show_entries", "format_tags=creation_time", "-of",
                            "default=nw=1:nk=1", path});
    return QDateTime::fromString(QString::fromLatin1(text.trimmed()), Qt::ISODateWithMs);
}

// The sample maker's moment as independent tools read it: the rear's header starts 1 s
// after the front's, and each frame carries its channel and number.
TEST(SampleMoment, FfmpegReadsTheStampsAndFfprobeTheStarts)
{
    const media::StampedMoment moment = media::stampedMoment();
    const QDateTime front = ffprobeStart(moment.front);
    ASSERT_TRUE(front.isValid());
    EXPECT_EQ(front.secsTo(ffprobeStart(moment.rear)), 1);
    for (const auto& [path, channel, index] :
         {std::tuple{moment.front, 0, 0}, {moment.front, 0, 77}, {moment.rear, 1, 37}}) {
        const std::optional<Stamp> stamp = ffmpegStamp(path, index);
        ASSERT_TRUE(stamp) << path.toStdString() << " frame " << index;
        EXPECT_EQ(stamp->channel, channel);
        EXPECT_EQ(stamp->frame, index);
    }
}

class Moment : public testing::Test
{
protected:
    Moment()
    {
        m_engine.setAudioSink("fakesink sync=true");
        m_view.resize(1280, 360);
        m_view.show();
    }

    PlaybackResult open(const QString& rear)
    {
        return m_engine.openChannels({{"F", QFile::encodeName(m_moment.front).toStdString(), 0.0},
                                      {"R", QFile::encodeName(rear).toStdString(), kRearOffset}},
                                     &m_view);
    }

    struct Shown
    {
        std::optional<Stamp> front;
        std::optional<Stamp> rear;
    };

    // The stamps of the frames the channels show: the widgets' mailboxes' or, where an
    // overlay sink draws straight into the widget (X11), the sinks' as a snapshot takes them.
    Shown shown()
    {
        if (QGuiApplication::platformName() != "xcb") {
            return {shownStamp(m_view.channel(0)), shownStamp(m_view.channel(1))};
        }
        const QString name = m_dir.filePath(QStringLiteral("shown%1.jpg").arg(++m_snapshots));
        if (!m_engine.captureFrame(name)) {
            return {};
        }
        const QString stem = name.chopped(4);
        if (!QFile::exists(stem + "_F.jpg")) {
            return {jpegStamp(name), std::nullopt};  // the front alone has a picture
        }
        return {jpegStamp(stem + "_F.jpg"), jpegStamp(stem + "_R.jpg")};
    }

    // Both channels show frames of one moment: the rear's number is the front's less the
    // rear's later start, give or take one frame.
    void expectInStep(const char* where)
    {
        SCOPED_TRACE(where);
        const auto [front, rear] = shown();
        ASSERT_TRUE(front && rear);
        EXPECT_EQ(front->channel, 0);
        EXPECT_EQ(rear->channel, 1);
        EXPECT_NEAR(rear->frame, front->frame - kOffsetFrames, 1);
    }

    bool playToEnd()
    {
        return waitUntil([this] { return m_engine.state() == PlayState::Stopped; }, 10000);
    }

    const media::StampedMoment m_moment = media::stampedMoment();
    MomentEngine m_engine;
    SideBySideChannels m_view;
    QSignalSpy m_ended{&m_engine, &MediaEngine::endReached};
    QSignalSpy m_failed{&m_engine, &MediaEngine::failed};
    QTemporaryDir m_dir;
    int m_snapshots = 0;
};

TEST_F(Moment, ChannelsShowOneMomentPausedPlayedAndAfterSeeks)
{
    ASSERT_TRUE(open(m_moment.rear).ok());
    EXPECT_EQ(m_engine.state(), PlayState::Paused);
    EXPECT_NEAR(m_engine.duration(), 3.0, 0.05);
    // Before the rear's start: the front's first frame, the rear black with its note.
    Shown before = shown();
    ASSERT_TRUE(before.front);
    EXPECT_EQ(before.front->frame, 0);
    EXPECT_FALSE(before.rear);
    EXPECT_TRUE(m_view.note(1).startsWith("R"));

    ASSERT_TRUE(m_engine.setPosition(1.5).ok());
    expectInStep("paused after a seek");
    EXPECT_NEAR(shown().front->frame, 1.5 * kFps, 1);
    EXPECT_TRUE(m_view.note(1).isEmpty());

    ASSERT_TRUE(m_engine.togglePlay().ok());
    waitUntil([] { return false; }, 600);
    ASSERT_TRUE(m_engine.pause().ok());
    expectInStep("paused while playing");
    EXPECT_GT(shown().front->frame, 1.5 * kFps + 5);
    // A new size while paused makes an overlay sink render its frame again; the channels
    // still play on in step.
    m_view.resize(960, 270);
    waitUntil([] { return false; }, 200);
    ASSERT_TRUE(m_engine.togglePlay().ok());
    waitUntil([] { return false; }, 300);
    ASSERT_TRUE(m_engine.pause().ok());
    expectInStep("played on after a new size");

    // Back before the rear's start, then played across it.
    ASSERT_TRUE(m_engine.setPosition(0.5).ok());
    before = shown();
    EXPECT_TRUE(before.front && !before.rear);
    EXPECT_FALSE(m_view.note(1).isEmpty());
    const quint64 cued = m_view.channel(1)->frameCounts().presented;
    ASSERT_TRUE(m_engine.togglePlay().ok());
    ASSERT_TRUE(
        waitUntil([&] { return m_view.channel(1)->frameCounts().presented > cued + 5; }, 3000));
    ASSERT_TRUE(m_engine.pause().ok());
    EXPECT_TRUE(m_view.note(1).isEmpty());
    expectInStep("paused after the rear's start");

    // A snapshot of each shown channel, named by its label.
    ASSERT_TRUE(m_engine.captureFrame(m_dir.filePath("snap.jpg")));
    const std::optional<Stamp> front = jpegStamp(m_dir.filePath("snap_F.jpg"));
    const std::optional<Stamp> rear = jpegStamp(m_dir.filePath("snap_R.jpg"));
    ASSERT_TRUE(front && rear);
    EXPECT_EQ(rear->channel, 1);
    EXPECT_NEAR(rear->frame, front->frame - kOffsetFrames, 1);
    EXPECT_FALSE(QFile::exists(m_dir.filePath("snap.jpg")));
    EXPECT_FALSE(m_engine.captureFrame(m_dir.filePath("missing/snap.jpg")));

    // The moment ends with its longest channel, once, rewound to its start.
    ASSERT_TRUE(m_engine.setPosition(2.5).ok());
    ASSERT_TRUE(m_engine.togglePlay().ok());
    ASSERT_TRUE(playToEnd());
    ASSERT_TRUE(waitUntil([this] { return m_ended.count() > 0; }, 1000));
    EXPECT_EQ(m_ended.count(), 1);
    EXPECT_EQ(m_failed.count(), 0);
    EXPECT_EQ(m_engine.position(), 0.0);
    const Shown rewound = shown();
    ASSERT_TRUE(rewound.front);
    EXPECT_EQ(rewound.front->frame, 0);
    EXPECT_FALSE(rewound.rear);
}

// A rear that is missing, cut short or damaged gets a note; the front plays to the end,
// which ends the moment as it ends a recording.
TEST_F(Moment, BrokenRearNeverStopsTheFront)
{
    const QString truncated = m_dir.filePath("truncated.MP4");
    const QString damaged = m_dir.filePath("damaged.MP4");
    ASSERT_TRUE(media::truncateCopy(m_moment.rear, truncated, 0.4));
    ASSERT_TRUE(media::breakSample(m_moment.rear, damaged, 45));
    for (const QString& rear : {m_dir.filePath("absent.MP4"), truncated, damaged}) {
        SCOPED_TRACE(rear.toStdString());
        m_ended.clear();
        ASSERT_TRUE(open(rear).ok());
        ASSERT_TRUE(m_engine.setPosition(1.8).ok());
        ASSERT_TRUE(m_engine.togglePlay().ok());
        ASSERT_TRUE(playToEnd());
        ASSERT_TRUE(waitUntil([this] { return m_ended.count() > 0; }, 1000));
        EXPECT_EQ(m_ended.count(), 1);
        EXPECT_EQ(m_failed.count(), 0);
        EXPECT_TRUE(m_view.note(1).startsWith("R"));
        EXPECT_TRUE(m_view.note(0).isEmpty());
    }
}

// The front is silent here: the sound, and the volume with it, is the second channel's.
TEST_F(Moment, SoundComesFromTheFirstChannelThatHasAny)
{
    const auto channel = [](const char* label, const QString& path) {
        return ChannelSource{label, QFile::encodeName(path).toStdString(), 0.0};
    };
    ASSERT_TRUE(
        m_engine.openChannels({channel("R", m_moment.rear), channel("F", m_moment.front)}, &m_view)
            .ok());
    EXPECT_EQ(m_engine.volumeLevel(), 10);
    m_engine.setVolumeLevel(4);
    EXPECT_EQ(m_engine.volumeLevel(), 4);
    ASSERT_TRUE(
        m_engine.openChannels({channel("R", m_moment.rear), channel("I", m_moment.rear)}, &m_view)
            .ok());
    EXPECT_EQ(m_engine.volumeLevel(), 0);
}

// One recording plays through the moment engine as through the engine it always had.
TEST(MomentSingle, PlaysAsThePlaybackEngineDoes)
{
    const auto run = [](MediaEngine& engine) {
        VideoWidget area;
        QSignalSpy states(&engine, &MediaEngine::stateChanged);
        QSignalSpy ended(&engine, &MediaEngine::endReached);
        QStringList seen;
        const auto note = [&](const char* what) {
            seen << QStringLiteral("%1 %2 %3 %4")
                        .arg(what)
                        .arg(static_cast<int>(engine.state()))
                        .arg(engine.position(), 0, 'f', 1)
                        .arg(engine.duration(), 0, 'f', 1);
        };
        const std::string path = QFile::encodeName(media::videoWithAudio()).toStdString();
        seen << QString::number(engine.open(path, &area).ok());
        note("opened");
        engine.setPosition(1.5);
        engine.togglePlay();
        waitUntil([&] { return ended.count() > 0; }, 10000);
        note("ended");
        engine.close();
        note("closed");
        for (const QList<QVariant>& state : states) {
            seen << QString::number(static_cast<int>(state.at(0).value<PlayState>()));
        }
        seen << QString::number(ended.count());
        return seen;
    };
    PlaybackEngine plain;
    MomentEngine moment;
    plain.setAudioSink("fakesink sync=true");
    moment.setAudioSink("fakesink sync=true");
    EXPECT_EQ(run(moment), run(plain));
}

}  // namespace
