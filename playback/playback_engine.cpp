#include "playback_engine.h"

#include "decoder_preference.h"
#include "frame_capture.h"
#include "pipeline_errors.h"
#include "video_sink.h"
#include "video_widget.h"

#include <QFile>

#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

namespace status = playback_status;

constexpr std::array kRates{1.0, 2.0, 3.0, 8.0, -1.0, -2.0, -3.0, -8.0};

// Waits are bounded so that a file that never finishes prerolling cannot hang
// the GUI thread.
constexpr GstClockTime kCueTimeout = 10 * GST_SECOND;
constexpr GstClockTime kSeekTimeout = 5 * GST_SECOND;
constexpr std::chrono::milliseconds kErrorMessageWait{500};

// playbin's flags: video and audio; no subtitles, no deinterlacing or colour
// balance stages. The volume is a stage of our own audio output: the one
// playbin adds for its software-volume flag is never freed (GStreamer 1.22).
constexpr guint kPlayFlags = 0x01 | 0x02;
constexpr const char* kDefaultAudioSink = "autoaudiosink";

// The audio renderer's scale: hundredths of a decibel, -10000 (silence) to 0 (full).
constexpr int kMinCentibels = -10000;

double linearFromCentibels(int centibels)
{
    return std::pow(10.0, centibels / 2000.0);
}

int centibelsFromLinear(double linear)
{
    if (!(linear > 0.0))
        return kMinCentibels;
    const long centibels = std::lround(2000.0 * std::log10(linear));
    return static_cast<int>(std::clamp<long>(centibels, kMinCentibels, 0));
}

}  // namespace

PlaybackEngine::PlaybackEngine()
{
    gst_init(nullptr, nullptr);
    // The rank lives in the process-wide registry: raising it once serves every open.
    preferDecoder(preferredDecoders());
}

PlaybackEngine::~PlaybackEngine()
{
    close();
}

PlaybackStatus PlaybackEngine::open(const QString& fileName, VideoWidget* videoWindow,
                                    QObject* notifyWindow)
{
    if (fileName.isNull())
        return status::nullPointer;
    if (m_playbin != nullptr)
        releaseAll();

    m_videoWindow = videoWindow;
    if (m_videoWindow) {
        m_videoWindow->show();
        m_videoWindow->raise();
        m_videoWindow->update();
    }
    m_fileName = fileName;
    m_state = PlayState::Stopped;
    m_errorText.clear();

    PlaybackStatus result = buildPipeline();
    if (result < 0)
        return result;
    result = cue();
    if (result < 0)
        return result;
    m_events.setTarget(notifyWindow);
    const PlaybackStatus placement = initVideoWindow();
    m_rate = 1.0;
    m_state = PlayState::Paused;
    if (m_videoWindow)
        m_videoWindow->setFocus();
    return placement;
}

PlaybackStatus PlaybackEngine::buildPipeline()
{
    m_playbin = gst_element_factory_make("playbin", "recording");
    if (m_playbin == nullptr)
        return status::failed;
    gst_object_ref_sink(m_playbin);

    GstBus* bus = gst_element_get_bus(m_playbin);
    m_events.attach(bus);
    gst_object_unref(bus);

    gchar* uri = gst_filename_to_uri(QFile::encodeName(m_fileName).constData(), nullptr);
    if (uri == nullptr)
        return status::fileNotFound;
    m_videoSink = makeVideoSink(m_videoWindow ? m_videoWindow->mailbox() : nullptr);
    if (m_videoSink != nullptr)
        g_object_set(m_playbin, "uri", uri, "flags", kPlayFlags, "video-sink", m_videoSink, nullptr);
    g_free(uri);
    if (m_videoSink == nullptr)
        return status::failed;

    const QString output = m_audioSink.isEmpty() ? QString(kDefaultAudioSink) : m_audioSink;
    GError* error = nullptr;
    GstElement* audioSink = gst_parse_bin_from_description(
        ("volume ! " + output).toUtf8().constData(), TRUE, &error);
    g_clear_error(&error);
    if (audioSink == nullptr)
        return status::invalidArgument;
    g_object_set(m_playbin, "audio-sink", audioSink, nullptr);
    // The system clock drives the pipeline, whatever the audio output offers.
    GstClock* clock = gst_system_clock_obtain();
    gst_pipeline_use_clock(GST_PIPELINE(m_playbin), clock);
    gst_object_unref(clock);
    return status::ok;
}

// Renders the file up to its first frame, paused.
PlaybackStatus PlaybackEngine::cue()
{
    const GstStateChangeReturn change = gst_element_set_state(m_playbin, GST_STATE_PAUSED);
    GstStateChangeReturn settled = change;
    if (change == GST_STATE_CHANGE_ASYNC)
        settled = gst_element_get_state(m_playbin, nullptr, nullptr, kCueTimeout);
    if (settled == GST_STATE_CHANGE_SUCCESS || settled == GST_STATE_CHANGE_NO_PREROLL)
        return status::ok;
    const PlaybackStatus result =
        settled == GST_STATE_CHANGE_ASYNC ? status::timedOut : failedStatus();
    gst_element_set_state(m_playbin, GST_STATE_NULL);
    return result;
}

// Why cueing failed, from the error the pipeline posted. The failed state
// change can be seen a moment before the error message that caused it arrives.
PlaybackStatus PlaybackEngine::failedStatus()
{
    m_events.waitForError(kErrorMessageWait);
    PlaybackStatus result = status::failed;
    bool first = true;
    for (GstMessage* message : m_events.takeAll()) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && first) {
            const PipelineError error = parsePipelineError(message);
            result = error.status;
            m_errorText = error.text;
            first = false;
        }
        gst_message_unref(message);
    }
    return result;
}

std::optional<QSize> PlaybackEngine::nativeVideoSize() const
{
    gint videoStreams = 0;
    g_object_get(m_playbin, "n-video", &videoStreams, nullptr);
    if (videoStreams <= 0 || m_videoSink == nullptr)
        return std::nullopt;
    QSize size(0, 0);
    GstPad* pad = gst_element_get_static_pad(m_videoSink, "sink");
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        GstVideoInfo info;
        if (gst_video_info_from_caps(&info, caps))
            size = QSize(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
        gst_caps_unref(caps);
    }
    gst_object_unref(pad);
    return size;
}

// Audio only places nothing; otherwise the widget keeps the aspect ratio.
PlaybackStatus PlaybackEngine::initVideoWindow()
{
    const std::optional<QSize> size = nativeVideoSize();
    if (!size)
        return status::ok;
    if (m_videoWindow)
        m_videoWindow->setVideoSize(size);
    return status::ok;
}

void PlaybackEngine::releaseAll()
{
    if (m_playbin != nullptr) {
        gst_element_set_state(m_playbin, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(m_playbin);
        m_events.detach(bus);
        gst_object_unref(bus);
        gst_object_unref(m_playbin);
    }
    m_playbin = nullptr;
    m_videoSink = nullptr;
    m_events.setTarget(nullptr);
    m_events.clear();
    if (m_videoWindow) {
        m_videoWindow->setFullScreen(false);
        m_videoWindow->clearPicture();
    }
}

void PlaybackEngine::close()
{
    releaseAll();
    m_fileName.clear();
    m_state = PlayState::Init;
    if (m_videoWindow)
        m_videoWindow->update();
}

PlaybackStatus PlaybackEngine::changeState(int gstState)
{
    if (m_playbin == nullptr)
        return status::ok;
    const auto change = gst_element_set_state(m_playbin, static_cast<GstState>(gstState));
    return change == GST_STATE_CHANGE_FAILURE ? status::failed : status::ok;
}

PlaybackStatus PlaybackEngine::togglePlay()
{
    if (m_playbin == nullptr)
        return status::ok;
    const bool start = m_state == PlayState::Paused || m_state == PlayState::Stopped;
    const PlaybackStatus result = changeState(start ? GST_STATE_PLAYING : GST_STATE_PAUSED);
    if (result >= 0)
        m_state = start ? PlayState::Running : PlayState::Paused;
    return result;
}

PlaybackStatus PlaybackEngine::pause()
{
    if (m_playbin == nullptr)
        return status::ok;
    const PlaybackStatus result = changeState(GST_STATE_PAUSED);
    if (result >= 0)
        m_state = PlayState::Paused;
    return result;
}

PlaybackStatus PlaybackEngine::stop()
{
    if (m_playbin == nullptr
        || (m_state != PlayState::Paused && m_state != PlayState::Running))
        return status::ok;
    // Paused at 0 rather than torn down, so that the first frame shows.
    PlaybackStatus result = changeState(GST_STATE_PAUSED);
    if (result < 0)
        return result;
    m_state = PlayState::Stopped;
    return seek(m_rate, 0.0);
}

double PlaybackEngine::getPosition() const
{
    gint64 position = 0;
    if (m_playbin == nullptr || !gst_element_query_position(m_playbin, GST_FORMAT_TIME, &position))
        return 0.0;
    return static_cast<double>(position) / GST_SECOND;
}

PlaybackStatus PlaybackEngine::setPosition(double seconds)
{
    if (m_playbin == nullptr)
        return status::ok;
    return seek(m_rate, seconds);
}

double PlaybackEngine::getDuration() const
{
    gint64 duration = 0;
    if (m_playbin == nullptr || !gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration))
        return 0.0;
    return static_cast<double>(duration) / GST_SECOND;
}

// Forward rates play from `seconds` to the end, reverse rates from `seconds`
// back to the start. Returns once the pipeline shows the new position.
PlaybackStatus PlaybackEngine::seek(double rate, double seconds)
{
    const auto position = static_cast<gint64>(std::max(0.0, seconds) * GST_SECOND);
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    const bool accepted =
        rate > 0 ? gst_element_seek(m_playbin, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                                    position, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE)
                 : gst_element_seek(m_playbin, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, 0,
                                    GST_SEEK_TYPE_SET, position);
    if (!accepted)
        return status::failed;
    return waitForSettle();
}

PlaybackStatus PlaybackEngine::waitForSettle() const
{
    const auto settled = gst_element_get_state(m_playbin, nullptr, nullptr, kSeekTimeout);
    if (settled == GST_STATE_CHANGE_FAILURE)
        return status::failed;
    return settled == GST_STATE_CHANGE_ASYNC ? status::timedOut : status::ok;
}

PlaybackStatus PlaybackEngine::setRate(int index)
{
    const double rate =
        index >= 0 && index < static_cast<int>(kRates.size()) ? kRates[static_cast<std::size_t>(index)] : 1.0;
    if (m_playbin == nullptr)
        return status::ok;
    // The player asks for normal speed before every start; a seek then would
    // only cost a stall.
    if (rate == m_rate)
        return status::ok;
    const PlaybackStatus result = seek(rate, getPosition());
    if (result >= 0)
        m_rate = rate;
    return result;
}

int PlaybackEngine::getVolumeLevel() const
{
    if (m_playbin == nullptr)
        return 0;
    gdouble linear = 1.0;
    g_object_get(m_playbin, "volume", &linear, nullptr);
    return 10 - std::abs(centibelsFromLinear(linear) / 300);
}

void PlaybackEngine::setVolumeLevel(int level)
{
    const int centibels = level * 300 - 3000;
    // Outside the renderer's range the old renderer refused the value; so do we.
    if (m_playbin == nullptr || centibels < kMinCentibels || centibels > 0)
        return;
    g_object_set(m_playbin, "volume", linearFromCentibels(centibels), nullptr);
}

void PlaybackEngine::setFullScreen(bool on)
{
    if (m_playbin != nullptr && m_videoWindow)
        m_videoWindow->setFullScreen(on);
}

int PlaybackEngine::captureFrame(const QString& fileName)
{
    if (m_playbin == nullptr)
        return 0;
    GstSample* sample = nullptr;
    g_object_get(m_playbin, "sample", &sample, nullptr);
    if (sample == nullptr)
        return 0;
    GstVideoInfo info;
    GstVideoFrame frame;
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    int written = 0;
    if (caps != nullptr && buffer != nullptr && gst_video_info_from_caps(&info, caps)
        && GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_BGRx
        && gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) {
        const std::vector<std::uint8_t> block = makeFrameBlock(
            static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
            GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
            GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0));
        gst_video_frame_unmap(&frame);
        written = saveFrameBlock(block, fileName);
    }
    gst_sample_unref(sample);
    return written;
}

PlaybackStatus PlaybackEngine::handleGraphEvents()
{
    PlaybackStatus result = status::ok;
    for (GstMessage* message : m_events.takeAll()) {
        if (m_playbin != nullptr) {
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS)
                result = rewindToStart();
            else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
                result = stopAfterError(message);
        }
        gst_message_unref(message);
    }
    return result;
}

// The end of the stream: back to 0, paused there so that the first frame shows.
PlaybackStatus PlaybackEngine::rewindToStart()
{
    PlaybackStatus result = changeState(GST_STATE_PAUSED);
    if (result < 0)
        return result;
    if (seek(m_rate, 0.0) < 0) {
        result = changeState(GST_STATE_READY);
        if (result < 0)
            return result;
        result = changeState(GST_STATE_PAUSED);
        if (result < 0)
            return result;
    }
    m_state = PlayState::Stopped;
    return status::ok;
}

// A failing pipeline is stopped outright: cueing it again could fail again and
// loop. Playing again starts it afresh from 0.
PlaybackStatus PlaybackEngine::stopAfterError(GstMessage* error)
{
    const PipelineError parsed = parsePipelineError(error);
    m_errorText = parsed.text;
    const PlaybackStatus result = changeState(GST_STATE_READY);
    if (result < 0)
        return result;
    m_state = PlayState::Stopped;
    return parsed.status;
}
