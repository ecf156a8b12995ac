#include "clip/overlay_export.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/video/video-info.h>

#include <QFont>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "clip/clip_telemetry.h"

namespace {

// The quality of the picture, as x264's constant-quality quantizer: about what the cameras
// write themselves.
constexpr int kQuantizer = 23;
constexpr guint64 kPullTimeout = 100 * GST_MSECOND;
// A pipeline that gives nothing for this long is stuck (a stream it cannot take apart):
// the export fails instead of waiting for ever.
constexpr int kStalledPulls = 300;
constexpr int kQueuedFrames = 4;

// The clip's video decoded into BGRx pictures for the painter, and the painted pictures
// encoded again; the clip's audio, decoded and encoded as AAC, joins them in the muxer.
// The file sink changes state at once: it gets nothing before the first picture is
// painted, which the frames' sink hands out only once the pipeline plays.
std::string pipelineText(bool hasAudio)
{
    std::string text =
        "filesrc name=source ! qtdemux name=demux "
        "demux.video_0 ! queue ! decodebin ! videoconvert ! video/x-raw,format=BGRx ! "
        "appsink name=frames sync=false max-buffers=" +
        std::to_string(kQueuedFrames) +
        " "
        "appsrc name=painted format=time block=true ! videoconvert ! "
        "x264enc speed-preset=veryfast pass=qual quantizer=" +
        std::to_string(kQuantizer) +
        " ! video/x-h264,profile=high ! h264parse ! mp4mux name=mux ! filesink name=target "
        "async=false ";
    if (hasAudio) {
        // Audio leads the video by the encoder's look-ahead at most; the queue holds that.
        text += "demux.audio_0 ! queue max-size-buffers=0 max-size-bytes=0 "
                "max-size-time=20000000000 ! decodebin ! audioconvert ! audioresample ! "
                "avenc_aac ! aacparse ! mux.";
    }
    return text;
}

struct PipelineDeleter
{
    void operator()(GstElement* pipeline) const
    {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
using Pipeline = std::unique_ptr<GstElement, PipelineDeleter>;

struct ObjectDeleter
{
    void operator()(gpointer object) const { gst_object_unref(object); }
};
template <typename T>
using Ref = std::unique_ptr<T, ObjectDeleter>;

bool startGStreamer(std::string& error)
{
    GError* problem = nullptr;
    if (!gst_init_check(nullptr, nullptr, &problem)) {
        error = std::string("cannot start GStreamer: ") + (problem ? problem->message : "");
        g_clear_error(&problem);
        return false;
    }
    return true;
}

// The first error the pipeline posted, if any.
bool pipelineFailed(GstBus* bus, std::string& error)
{
    GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    if (!message) {
        return false;
    }
    GError* problem = nullptr;
    gst_message_parse_error(message, &problem, nullptr);
    error = std::string("re-encoding: ") + (problem ? problem->message : "unknown error");
    g_clear_error(&problem);
    gst_message_unref(message);
    return true;
}

// A copy of the decoded picture with the overlay painted in, for the encoder.
GstBuffer* paintedCopy(GstBuffer* decoded, const GstVideoInfo& info, const OverlayText& overlay)
{
    GstBuffer* painted = gst_buffer_copy_deep(decoded);
    GstMapInfo map;
    if (!gst_buffer_map(painted, &map, GST_MAP_READWRITE)) {
        return painted;
    }
    QImage picture(map.data, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                   GST_VIDEO_INFO_PLANE_STRIDE(&info, 0), QImage::Format_RGB32);
    paintOverlay(picture, overlay);
    gst_buffer_unmap(painted, &map);
    return painted;
}

class OverlayEncoder
{
public:
    OverlayEncoder(const Reencode& job, const CopyControl& control) : m_job(job), m_control(control)
    {}

    bool run(std::string& error)
    {
        if (!build(error) || !start(error)) {
            return false;
        }
        for (int idle = 0; idle < kStalledPulls; ++idle) {
            if (m_control.cancelled()) {
                error = "cancelled";
                return false;
            }
            if (pipelineFailed(m_bus.get(), error)) {
                return false;
            }
            GstSample* sample = gst_app_sink_try_pull_sample(m_frames, kPullTimeout);
            if (sample) {
                idle = -1;
                const bool pushed = paintAndPush(sample);
                gst_sample_unref(sample);
                if (!pushed) {
                    if (!pipelineFailed(m_bus.get(), error)) {
                        error = "cannot encode the picture";
                    }
                    return false;
                }
            } else if (gst_app_sink_is_eos(m_frames)) {
                gst_app_src_end_of_stream(m_painted);
                return waitForEnd(error);
            }
        }
        error = "re-encoding: the decoder gave no picture for 30 s";
        return false;
    }

private:
    bool build(std::string& error)
    {
        GError* problem = nullptr;
        m_pipeline.reset(gst_parse_launch(pipelineText(m_job.hasAudio).c_str(), &problem));
        if (!m_pipeline || problem) {
            error = std::string("cannot re-encode: ") + (problem ? problem->message : "");
            g_clear_error(&problem);
            return false;
        }
        const Ref<GstElement> source(gst_bin_get_by_name(GST_BIN(m_pipeline.get()), "source"));
        const Ref<GstElement> target(gst_bin_get_by_name(GST_BIN(m_pipeline.get()), "target"));
        g_object_set(source.get(), "location", m_job.source.c_str(), nullptr);
        g_object_set(target.get(), "location", m_job.target.c_str(), nullptr);
        // The bin holds them as long as the pipeline lives.
        m_frames = GST_APP_SINK(
            Ref<GstElement>(gst_bin_get_by_name(GST_BIN(m_pipeline.get()), "frames")).get());
        m_painted = GST_APP_SRC(
            Ref<GstElement>(gst_bin_get_by_name(GST_BIN(m_pipeline.get()), "painted")).get());
        m_bus.reset(gst_element_get_bus(m_pipeline.get()));
        return true;
    }

    bool start(std::string& error)
    {
        if (gst_element_set_state(m_pipeline.get(), GST_STATE_PLAYING) ==
            GST_STATE_CHANGE_FAILURE) {
            if (!pipelineFailed(m_bus.get(), error)) {
                error = "cannot re-encode " + m_job.source;
            }
            return false;
        }
        return true;
    }

    // The painter draws what the clip shows at the picture's own time.
    bool paintAndPush(GstSample* sample)
    {
        GstCaps* caps = gst_sample_get_caps(sample);
        GstBuffer* decoded = gst_sample_get_buffer(sample);
        GstVideoInfo info;
        if (!caps || !decoded || !gst_video_info_from_caps(&info, caps)) {
            return false;
        }
        if (!m_capsSet) {
            gst_app_src_set_caps(m_painted, caps);
            m_capsSet = true;
        }
        const GstClockTime pts = GST_BUFFER_PTS(decoded);
        const double seconds = GST_CLOCK_TIME_IS_VALID(pts) ? pts / double(GST_SECOND) : 0.0;
        const double tenth = std::floor(seconds * 10);
        if (tenth != m_overlayTenth) {
            m_overlay = m_job.overlayAt(seconds);
            m_overlayTenth = tenth;
        }
        if (gst_app_src_push_buffer(m_painted, paintedCopy(decoded, info, m_overlay)) !=
            GST_FLOW_OK) {
            return false;
        }
        if (m_control.progress && m_job.seconds > 0.0) {
            m_control.progress(std::clamp(seconds / m_job.seconds, 0.0, 1.0));
        }
        return true;
    }

    // The muxer writes its index at the end of the stream: only then is the file whole.
    bool waitForEnd(std::string& error)
    {
        for (int idle = 0; idle < kStalledPulls; ++idle) {
            if (m_control.cancelled()) {
                error = "cancelled";
                return false;
            }
            GstMessage* message = gst_bus_timed_pop_filtered(
                m_bus.get(), kPullTimeout,
                static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
            if (!message) {
                continue;
            }
            const bool ended = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
            if (!ended) {
                GError* problem = nullptr;
                gst_message_parse_error(message, &problem, nullptr);
                error = std::string("re-encoding: ") + (problem ? problem->message : "");
                g_clear_error(&problem);
            }
            gst_message_unref(message);
            return ended;
        }
        error = "re-encoding: the clip's end was not written within 30 s";
        return false;
    }

    const Reencode& m_job;
    const CopyControl& m_control;
    Pipeline m_pipeline;
    Ref<GstBus> m_bus;
    GstAppSink* m_frames = nullptr;
    GstAppSrc* m_painted = nullptr;
    bool m_capsSet = false;
    OverlayText m_overlay;
    double m_overlayTenth = -1.0;
};

QColor forceColour(double g)
{
    if (g < 0.35) {
        return QColor(86, 196, 122);
    }
    return g < 0.7 ? QColor(236, 196, 92) : QColor(214, 72, 64);
}

}  // namespace

void paintOverlay(QImage& picture, const OverlayText& overlay)
{
    const int width = picture.width();
    const int band = std::max(20, picture.height() / 12);
    const QRect area(0, picture.height() - band, width, band);
    QPainter painter(&picture);
    painter.fillRect(area, QColor(0, 0, 0, 160));
    const int margin = band / 4;
    const int barWidth = width / 6;
    const QRect bar(width - margin - barWidth, area.top() + band / 3, barWidth, band / 3);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(10, band * 9 / 20));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(area.adjusted(margin, 0, -(barWidth + 3 * margin), 0),
                     Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromStdString(overlay.text.empty() ? "no telemetry" : overlay.text));
    painter.setPen(QColor(200, 200, 200));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar.adjusted(0, 0, -1, -1));
    if (overlay.hasAxes) {
        const double g = std::hypot(overlay.gX, overlay.gY);
        const int filled = static_cast<int>(std::lround(std::min(g, 1.0) * (bar.width() - 2)));
        painter.fillRect(bar.left() + 1, bar.top() + 1, filled, bar.height() - 2, forceColour(g));
        painter.setPen(Qt::white);
        painter.drawText(QRect(bar.left() - 2 * band, area.top(), 2 * band - margin, band),
                         Qt::AlignVCenter | Qt::AlignRight,
                         QStringLiteral("%1 g").arg(g, 0, 'f', 2));
    }
}

bool reencodeWithOverlay(const Reencode& job, const CopyControl& control, std::string& error)
{
    if (!startGStreamer(error)) {
        return false;
    }
    OverlayEncoder encoder(job, control);
    return encoder.run(error);
}
