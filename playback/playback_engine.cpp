#include "playback/playback_engine.h"

#include "playback/channel_outputs.h"
#include "playback/frame_capture.h"
#include "playback/gstreamer_init.h"
#include "playback/overlay_sink.h"
#include "playback/pipeline_errors.h"
#include "playback/recording_check.h"
#include "playback/video_sink.h"
#include "playback/video_surface.h"
#include "playback/video_widget.h"

#include <QFile>
#include <QGuiApplication>

#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Waits are bounded so that a file that never finishes prerolling cannot hang
// the GUI thread; an error ends them at once.
constexpr std::chrono::milliseconds kCueTimeout{10000};
constexpr std::chrono::milliseconds kSeekTimeout{5000};
constexpr std::chrono::milliseconds kErrorMessageWait{500};
constexpr GstClockTime kSettleSlice = 20 * GST_MSECOND;

// playbin's flags: video and audio; no subtitles, no deinterlacing or colour
// balance stages. The volume is a stage of our own audio output: the one
// playbin adds for its software-volume flag is never freed (GStreamer 1.22).
constexpr guint kPlayFlags = 0x01 | 0x02;
constexpr guint kVideoOnly = 0x01;
constexpr const char* kDefaultAudioSink = "autoaudiosink";

// The audio renderer's scale: hundredths of a decibel, -10000 (silence) to 0 (full).
constexpr int kMinCentibels = -10000;

double linearFromCentibels(int centibels)
{
    return std::pow(10.0, centibels / 2000.0);
}

int centibelsFromLinear(double linear)
{
    if (!(linear > 0.0)) {
        return kMinCentibels;
    }
    const long centibels = std::lround(2000.0 * std::log10(linear));
    return static_cast<int>(std::clamp<long>(centibels, kMinCentibels, 0));
}

}  // namespace

PlaybackEngine::PlaybackEngine(QObject* parent) : MediaEngine(parent)
{
    initGStreamer();
}

PlaybackEngine::~PlaybackEngine()
{
    close();
}

PlaybackResult PlaybackEngine::open(const QString& fileName, VideoWidget* videoWindow)
{
    return open(QFile::encodeName(fileName).toStdString(), videoWindow);
}

PlaybackResult PlaybackEngine::open(const std::string& path, VideoOutput* video)
{
    const PlaybackResult begun = beginOpen(path, video);
    return begun ? finishOpen() : begun;
}

PlaybackResult PlaybackEngine::beginOpen(const std::string& path, VideoOutput* video)
{
    if (path.empty()) {
        close();
        return {PlaybackError::InvalidArgument, QStringLiteral("No file name.")};
    }
    auto* videoWindow = dynamic_cast<VideoWidget*>(video);
    auto* channels = dynamic_cast<ChannelOutputs*>(video);
    if (video && !videoWindow && !channels) {
        close();
        return {PlaybackError::InvalidArgument, QStringLiteral("No video widget to draw into.")};
    }
    if (m_playbin != nullptr) {
        releaseAll();
    }

    // A view of channels shows the recording as its one channel.
    m_channels = channels;
    m_videoWindow = channels ? channels->showChannels({QString()}).front() : videoWindow;
    m_blanked = false;
    if (m_videoWindow && !m_inStep) {
        m_videoWindow->show();
        m_videoWindow->raise();
        m_videoWindow->update();
    }
    m_path = path;
    m_errorPosition = 0.0;
    m_runningFrom = 0.0;
    setState(PlayState::Stopped);

    const PlaybackResult result = openPipeline();
    if (!result) {
        // Nothing of a failed open stays: no pipeline to start, no position to report.
        close();
    }
    return result;
}

PlaybackResult PlaybackEngine::finishOpen()
{
    if (m_playbin == nullptr) {
        return {PlaybackError::Failed, QStringLiteral("Nothing is being opened.")};
    }
    const PlaybackResult result = finishCue();
    if (!result) {
        close();
        return result;
    }
    // Queued: the wake-up comes on a streaming thread, the messages are read on ours.
    m_events->setWakeUp([this] {
        QMetaObject::invokeMethod(this, &PlaybackEngine::takePipelineMessages,
                                  Qt::QueuedConnection);
    });
    const PlaybackResult placement = initVideoWindow();
    setState(PlayState::Paused);
    if (m_videoWindow && !m_inStep) {
        m_videoWindow->setFocus();
    }
    return placement;
}

QString PlaybackEngine::fileName() const
{
    return QFile::decodeName(QByteArray::fromStdString(m_path));
}

// What the file is gets checked before any pipeline is built: a pipeline can
// block on a special file, or take minutes over an index of thousands of tracks.
PlaybackResult PlaybackEngine::openPipeline()
{
    if (PlaybackResult refused = checkRecording(m_path); !refused) {
        return refused;
    }
    const PlaybackResult result = buildPipeline();
    if (result) {
        m_cueChange = gst_element_set_state(m_playbin, GST_STATE_PAUSED);
    }
    return result;
}

PlaybackResult PlaybackEngine::buildPipeline()
{
    m_playbin = gst_element_factory_make("playbin", "recording");
    if (m_playbin == nullptr) {
        return {PlaybackError::Failed, QStringLiteral("GStreamer has no playbin.")};
    }
    gst_object_ref_sink(m_playbin);

    m_events = std::make_shared<PipelineMessageQueue>();
    GstBus* bus = gst_element_get_bus(m_playbin);
    PipelineMessageQueue::attach(m_events, bus);
    gst_object_unref(bus);

    gchar* uri = gst_filename_to_uri(m_path.c_str(), nullptr);
    if (uri == nullptr) {
        return {PlaybackError::FileNotFound, QStringLiteral("The name is not a path.")};
    }
    m_videoSink = makeOverlayOutput();
    if (m_videoSink == nullptr) {
        m_frames = std::make_shared<FrameGate>(m_videoWindow ? m_videoWindow->mailbox() : nullptr);
        m_videoSink = makeVideoSink(m_frames);
    }
    if (m_videoSink != nullptr) {
        g_object_set(m_playbin, "uri", uri, "flags", m_audioWanted ? kPlayFlags : kVideoOnly,
                     "video-sink", m_videoSink, nullptr);
    }
    g_free(uri);
    if (m_videoSink == nullptr) {
        return {PlaybackError::Failed, QStringLiteral("No video output.")};
    }

    const QString output = m_audioSink.isEmpty() ? QString(kDefaultAudioSink) : m_audioSink;
    GError* error = nullptr;
    GstElement* audioSink =
        gst_parse_bin_from_description(("volume ! " + output).toUtf8().constData(), TRUE, &error);
    g_clear_error(&error);
    if (audioSink == nullptr) {
        return {PlaybackError::InvalidArgument,
                QStringLiteral("The audio output cannot be built.")};
    }
    g_object_set(m_playbin, "audio-sink", audioSink, nullptr);
    // The system clock drives the pipeline, whatever the audio output offers.
    GstClock* clock = gst_system_clock_obtain();
    gst_pipeline_use_clock(GST_PIPELINE(m_playbin), clock);
    gst_object_unref(clock);
    if (m_inStep) {
        // The base time is the caller's, the same for every channel.
        gst_element_set_start_time(m_playbin, GST_CLOCK_TIME_NONE);
    }
    return {};
}

// Waits until the file is rendered up to its first frame, paused.
PlaybackResult PlaybackEngine::finishCue()
{
    const auto change = static_cast<GstStateChangeReturn>(m_cueChange);
    const auto settled = change == GST_STATE_CHANGE_ASYNC
                             ? static_cast<GstStateChangeReturn>(settle(kCueTimeout))
                             : change;
    if (settled == GST_STATE_CHANGE_SUCCESS || settled == GST_STATE_CHANGE_NO_PREROLL) {
        return {};
    }
    if (settled == GST_STATE_CHANGE_ASYNC && !m_events->hasError()) {
        return {PlaybackError::TimedOut,
                QStringLiteral("No picture within %1 s.").arg(kCueTimeout.count() / 1000)};
    }
    return failedStatus();
}

// Waits until the pipeline has finished changing state, an error has come, or
// `bound` has passed; returns the last answer, still ASYNC when it has not finished.
// A demuxer's error does not fail the change of state: without the look at the
// queue the wait would run to its bound.
int PlaybackEngine::settle(std::chrono::milliseconds bound) const
{
    const auto slices = std::max<std::int64_t>(1, bound.count() * GST_MSECOND / kSettleSlice);
    GstStateChangeReturn result = GST_STATE_CHANGE_ASYNC;
    for (std::int64_t i = 0; i < slices && result == GST_STATE_CHANGE_ASYNC; ++i) {
        if (m_events->hasError()) {
            break;
        }
        result = gst_element_get_state(m_playbin, nullptr, nullptr, kSettleSlice);
    }
    return result;
}

// Why cueing failed, from the error the pipeline posted. The failed state
// change can be seen a moment before the error message that caused it arrives.
PlaybackResult PlaybackEngine::failedStatus()
{
    m_events->waitForError(kErrorMessageWait);
    std::optional<PlaybackResult> result;
    for (GstMessage* message : m_events->takeAll()) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && !result) {
            result = parsePipelineError(message);
        }
        gst_message_unref(message);
    }
    return result.value_or(PlaybackResult(PlaybackError::Failed));
}

std::optional<QSize> PlaybackEngine::nativeVideoSize() const
{
    gint videoStreams = 0;
    g_object_get(m_playbin, "n-video", &videoStreams, nullptr);
    if (videoStreams <= 0 || m_videoSink == nullptr) {
        return std::nullopt;
    }
    QSize size(0, 0);
    // The decoded stream's size: an overlay sink may be given frames scaled to its window.
    GstPad* pad = nullptr;
    g_signal_emit_by_name(m_playbin, "get-video-pad", 0, &pad);
    if (pad == nullptr) {
        return size;
    }
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        GstVideoInfo info;
        if (gst_video_info_from_caps(&info, caps)) {
            size = QSize(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
        }
        gst_caps_unref(caps);
    }
    gst_object_unref(pad);
    return size;
}

// Audio only places nothing; otherwise the widget keeps the aspect ratio.
PlaybackResult PlaybackEngine::initVideoWindow()
{
    const std::optional<QSize> size = nativeVideoSize();
    if (size && m_videoWindow) {
        m_videoWindow->setVideoSize(size);
    }
    if (m_videoWindow && m_overlay) {
        m_videoWindow->setSurfaceShown(true);
    }
    return {};
}

// The video drawn by an overlay sink straight into the widget's video surface, when
// the platform has one that opens; null keeps the frames going through the
// widget's mailbox. The surface's window exists before the pipeline cues.
GstElement* PlaybackEngine::makeOverlayOutput()
{
    if (!m_videoWindow) {
        return nullptr;
    }
    GstElement* sink = makeOverlaySink(QGuiApplication::platformName());
    if (sink == nullptr) {
        return nullptr;
    }
    VideoSurface* surface = m_videoWindow->videoSurface();
    surface->attach(sink);
    m_overlay = true;
    m_refit = connect(m_videoWindow, &VideoWidget::surfaceFrameSizeChanged, this,
                      &PlaybackEngine::renderAgain);
    // Only a moment's inset is ever mirrored, and a filter in front of the sink made a
    // two-channel moment take 60 % more processor time even passing frames through: it is
    // there only for a picture mirrored when it opens.
    if (m_inStep && m_videoWindow->isMirrored()) {
        addOverlayMirror();
    }
    return sink;
}

// The overlay sink draws the frames itself, past Qt's painting: a mirrored picture (a rear
// inset as a rear-view mirror shows it) is turned before the sink, and turned back when the
// mirror is switched off while it plays.
void PlaybackEngine::addOverlayMirror()
{
    m_flip = gst_element_factory_make("videoflip", nullptr);
    if (m_flip == nullptr) {
        return;
    }
    g_object_set(m_playbin, "video-filter", m_flip, nullptr);
    const auto turn = [this](bool mirrored) {
        g_object_set(m_flip, "video-direction",
                     mirrored ? GST_VIDEO_ORIENTATION_HORIZ : GST_VIDEO_ORIENTATION_IDENTITY,
                     nullptr);
    };
    turn(m_videoWindow->isMirrored());
    m_mirror = connect(m_videoWindow, &VideoWidget::mirroredChanged, this, [this, turn](bool on) {
        turn(on);
        renderAgain();
    });
}

// A paused pipeline renders the frame it shows once more, for a sink that was given
// a new size.
void PlaybackEngine::renderAgain()
{
    GstState current = GST_STATE_NULL;
    if (m_playbin == nullptr ||
        gst_element_get_state(m_playbin, &current, nullptr, 0) != GST_STATE_CHANGE_SUCCESS ||
        current != GST_STATE_PAUSED) {
        return;
    }
    // Paused without a start time of its own, the pipeline reports the shown frame's end:
    // a seek there would show the next one.
    seek(m_inStep ? shownFrameTime().value_or(position()) : position());
}

std::optional<double> PlaybackEngine::shownFrameTime() const
{
    GstSample* sample = nullptr;
    g_object_get(m_playbin, "sample", &sample, nullptr);
    if (sample == nullptr) {
        return std::nullopt;
    }
    std::optional<double> seconds;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    const GstSegment* segment = gst_sample_get_segment(sample);
    if (buffer != nullptr && segment != nullptr && GST_BUFFER_PTS_IS_VALID(buffer)) {
        const guint64 time =
            gst_segment_to_stream_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
        if (time != GST_CLOCK_TIME_NONE) {
            seconds = static_cast<double>(time) / GST_SECOND;
        }
    }
    gst_sample_unref(sample);
    return seconds;
}

// The frame being shown as BGRx at the video's native size; a new reference or null.
GstSample* PlaybackEngine::shownFrame() const
{
    GstSample* sample = nullptr;
    g_object_get(m_playbin, "sample", &sample, nullptr);
    if (sample == nullptr || !m_overlay) {
        return sample;
    }
    GstSample* converted = bgrxSample(sample, nativeVideoSize().value_or(QSize()));
    gst_sample_unref(sample);
    return converted;
}

// A stopped overlay sink may let its window go blank: the widget paints a copy of
// the frame instead.
void PlaybackEngine::holdStillPicture()
{
    if (!m_videoWindow) {
        return;
    }
    if (GstSample* still = shownFrame()) {
        m_videoWindow->mailbox()->post(still);
    }
    m_videoWindow->setSurfaceShown(false);
}

// The pipeline is cut off from the widget and the owner here, and stopped on a
// worker: stopping can take long, and must not hold the GUI thread.
void PlaybackEngine::releaseAll()
{
    // The sink stops here, on the GUI thread, while the window it draws into exists.
    if (m_overlay) {
        QObject::disconnect(m_refit);
        QObject::disconnect(m_mirror);
        m_flip = nullptr;
        if (m_videoWindow) {
            m_videoWindow->setSurfaceShown(false);
            m_videoWindow->videoSurface()->detach();
        }
        m_overlay = false;
    }
    if (m_frames != nullptr) {
        m_frames->close();
    }
    if (m_playbin != nullptr) {
        GstBus* bus = gst_element_get_bus(m_playbin);
        PipelineMessageQueue::detach(bus);
        gst_object_unref(bus);
        m_teardown.release(m_playbin);
    }
    m_playbin = nullptr;
    m_videoSink = nullptr;
    m_frames.reset();
    m_events->setWakeUp({});
    m_events = std::make_shared<PipelineMessageQueue>();
    if (m_videoWindow) {
        showFullScreen(false);
        m_videoWindow->clearPicture();
    }
}

void PlaybackEngine::close()
{
    releaseAll();
    m_path.clear();
    m_errorPosition = 0.0;
    setState(PlayState::Closed);
    if (m_videoWindow) {
        m_videoWindow->update();
    }
}

void PlaybackEngine::setState(PlayState state)
{
    if (state == m_state) {
        return;
    }
    m_state = state;
    emit stateChanged(state);
}

PlaybackResult PlaybackEngine::changeState(int gstState)
{
    if (m_playbin == nullptr) {
        return {};
    }
    const auto change = gst_element_set_state(m_playbin, static_cast<GstState>(gstState));
    if (change == GST_STATE_CHANGE_FAILURE) {
        return {PlaybackError::Failed, QStringLiteral("The pipeline refused to change state.")};
    }
    if (m_overlay && m_videoWindow && gstState >= GST_STATE_PAUSED && !m_blanked) {
        m_videoWindow->setSurfaceShown(true);
    }
    return {};
}

PlaybackResult PlaybackEngine::togglePlay()
{
    if (m_playbin == nullptr) {
        return {};
    }
    const bool start = m_state == PlayState::Paused || m_state == PlayState::Stopped;
    const PlaybackResult result = changeState(start ? GST_STATE_PLAYING : GST_STATE_PAUSED);
    if (result) {
        m_errorPosition = 0.0;
        setState(start ? PlayState::Running : PlayState::Paused);
    }
    return result;
}

PlaybackResult PlaybackEngine::pause()
{
    if (m_playbin == nullptr) {
        return {};
    }
    const PlaybackResult result = changeState(GST_STATE_PAUSED);
    if (result) {
        setState(PlayState::Paused);
    }
    return result;
}

PlaybackResult PlaybackEngine::stop()
{
    if (m_playbin == nullptr || (m_state != PlayState::Paused && m_state != PlayState::Running)) {
        return {};
    }
    // Paused at 0 rather than torn down, so that the first frame shows.
    const PlaybackResult result = changeState(GST_STATE_PAUSED);
    if (!result) {
        return result;
    }
    setState(PlayState::Stopped);
    return seek(0.0);
}

void PlaybackEngine::setInStep(bool audio)
{
    m_inStep = true;
    m_audioWanted = audio;
}

PlaybackResult PlaybackEngine::playAt(std::uint64_t baseTime)
{
    if (m_playbin == nullptr) {
        return {};
    }
    gst_element_set_base_time(m_playbin, baseTime);
    const PlaybackResult result = changeState(GST_STATE_PLAYING);
    if (result) {
        m_errorPosition = 0.0;
        setState(PlayState::Running);
    }
    return result;
}

void PlaybackEngine::setPictureBlanked(bool blanked)
{
    m_blanked = blanked;
    if (!m_videoWindow) {
        return;
    }
    if (blanked) {
        m_videoWindow->mailbox()->clear();
    }
    if (m_overlay) {
        m_videoWindow->setSurfaceShown(!blanked);
    }
    m_videoWindow->update();
}

bool PlaybackEngine::hasAudio() const
{
    gint audioStreams = 0;
    if (m_playbin != nullptr) {
        g_object_get(m_playbin, "n-audio", &audioStreams, nullptr);
    }
    return audioStreams > 0;
}

double PlaybackEngine::position() const
{
    gint64 position = 0;
    if (m_playbin == nullptr) {
        return 0.0;
    }
    if (!gst_element_query_position(m_playbin, GST_FORMAT_TIME, &position)) {
        return m_errorPosition;
    }
    return static_cast<double>(position) / GST_SECOND;
}

PlaybackResult PlaybackEngine::setPosition(double seconds)
{
    if (m_playbin == nullptr) {
        return {};
    }
    return seek(seconds);
}

double PlaybackEngine::duration() const
{
    gint64 duration = 0;
    if (m_playbin == nullptr ||
        !gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration)) {
        return 0.0;
    }
    return static_cast<double>(duration) / GST_SECOND;
}

// Returns once the pipeline shows the new position.
PlaybackResult PlaybackEngine::seek(double seconds)
{
    const PlaybackResult begun = beginSeek(seconds);
    return begun ? waitUntilCued() : begun;
}

PlaybackResult PlaybackEngine::beginSeek(double seconds)
{
    if (m_playbin == nullptr) {
        return {};
    }
    const auto position = static_cast<gint64>(std::max(0.0, seconds) * GST_SECOND);
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    const bool accepted = gst_element_seek_simple(m_playbin, GST_FORMAT_TIME, flags, position);
    if (!accepted) {
        return {PlaybackError::Failed, QStringLiteral("The pipeline refused the seek.")};
    }
    m_runningFrom = std::max(0.0, seconds);
    return {};
}

PlaybackResult PlaybackEngine::waitUntilCued()
{
    if (m_playbin == nullptr) {
        return {};
    }
    const int settled = settle(kSeekTimeout);
    if (settled == GST_STATE_CHANGE_FAILURE || m_events->hasError()) {
        return {PlaybackError::Failed, QStringLiteral("The seek failed.")};
    }
    if (settled == GST_STATE_CHANGE_ASYNC) {
        return {PlaybackError::TimedOut, QStringLiteral("The seek did not finish in time.")};
    }
    return {};
}

int PlaybackEngine::volumeLevel() const
{
    if (m_playbin == nullptr) {
        return 0;
    }
    gdouble linear = 1.0;
    g_object_get(m_playbin, "volume", &linear, nullptr);
    return 10 - std::abs(centibelsFromLinear(linear) / 300);
}

void PlaybackEngine::setVolumeLevel(int level)
{
    const int centibels = level * 300 - 3000;
    // A level outside the eleven steps is refused, not clamped.
    if (m_playbin == nullptr || centibels < kMinCentibels || centibels > 0) {
        return;
    }
    g_object_set(m_playbin, "volume", linearFromCentibels(centibels), nullptr);
}

void PlaybackEngine::setFullScreen(bool on)
{
    if (m_playbin != nullptr && m_videoWindow) {
        showFullScreen(on);
    }
}

// The whole view of channels, else the video widget alone. The view owns the widget: it
// is there while the widget is.
void PlaybackEngine::showFullScreen(bool on)
{
    if (m_channels != nullptr) {
        m_channels->setFullScreen(on);
    } else {
        m_videoWindow->setFullScreen(on);
    }
}

bool PlaybackEngine::captureFrame(const QString& fileName, const SnapshotTags* tags)
{
    if (m_playbin == nullptr) {
        return false;
    }
    GstSample* sample = shownFrame();
    if (sample == nullptr) {
        return false;
    }
    GstVideoInfo info;
    GstVideoFrame frame;
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    int written = 0;
    if (caps != nullptr && buffer != nullptr && gst_video_info_from_caps(&info, caps) &&
        GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_BGRx &&
        gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) {
        const std::vector<std::uint8_t> block =
            makeFrameBlock(static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                           GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                           GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0));
        gst_video_frame_unmap(&frame);
        written = saveFrameBlock(block, fileName, tags);
    }
    gst_sample_unref(sample);
    return written;
}

// What the streaming threads queued, acted on here: the end of the stream rewinds to 0;
// an error stops the pipeline where it was. Either leaves the engine Stopped.
void PlaybackEngine::takePipelineMessages()
{
    std::optional<PlaybackResult> error;
    bool ended = false;
    for (GstMessage* message : m_events->takeAll()) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && !error) {
            error = parsePipelineError(message);
        }
        ended = ended || GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
        gst_message_unref(message);
    }
    if (m_playbin == nullptr) {
        return;
    }
    // An error outweighs an end that follows it: the rest was never played. A pipeline
    // often posts more than one error as it breaks; once stopped by the first (or by the
    // user), the others are stale and must not fail the recording again.
    if (error) {
        if (m_state != PlayState::Stopped) {
            stopAfterError(*error);
        }
        return;
    }
    // An end that comes after a stop is stale: the stop has already rewound.
    if (ended && m_state != PlayState::Stopped) {
        if (!m_inStep) {
            rewindToStart();
        }
        emit endReached();
    }
}

// The end of the stream: back to 0, paused there so that the first frame shows.
PlaybackResult PlaybackEngine::rewindToStart()
{
    if (PlaybackResult paused = changeState(GST_STATE_PAUSED); !paused) {
        return paused;
    }
    if (!seek(0.0)) {
        if (PlaybackResult ready = changeState(GST_STATE_READY); !ready) {
            return ready;
        }
        if (PlaybackResult paused = changeState(GST_STATE_PAUSED); !paused) {
            return paused;
        }
    }
    setState(PlayState::Stopped);
    return {};
}

// A failing pipeline is stopped outright: cueing it again could fail again and
// loop. The picture of the moment stays, and the position is reported as it was;
// playing again starts afresh from 0.
void PlaybackEngine::stopAfterError(const PlaybackResult& error)
{
    m_errorPosition = position();
    if (m_overlay) {
        holdStillPicture();
    }
    changeState(GST_STATE_READY);
    setState(PlayState::Stopped);
    emit failed(error.reason());
}
