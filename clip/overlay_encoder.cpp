#include "clip/overlay_encoder.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include <QImage>

#include <memory>

#include "clip/overlay_painter.h"
#include "clip/pipeline_quote.h"

namespace {

constexpr GstClockTime kPoll = 100 * GST_MSECOND;

template <class T>
struct GstUnref
{
    void operator()(T* object) const { gst_object_unref(object); }
};
template <class T>
using GstHandle = std::unique_ptr<T, GstUnref<T>>;

std::string pipelineText(const Reencode& job)
{
    std::string text = "filesrc location=" + pipelineQuoted(job.source) +
                       " ! qtdemux name=demux demux.video_0 ! queue ! decodebin ! videoconvert"
                       " ! video/x-raw,format=BGRx ! identity name=paint ! videoconvert"
                       " ! x264enc speed-preset=veryfast pass=qual quantizer=21 key-int-max=60"
                       " ! h264parse ! mp4mux name=mux ! filesink location=" +
                       pipelineQuoted(job.target);
    if (job.hasAudio) {
        text += " demux.audio_0 ! queue ! aacparse ! mux.";
    }
    return text;
}

// Paints each frame where it passes, at its time in the clip.
GstPadProbeReturn paintFrame(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    const auto* job = static_cast<const Reencode*>(data);
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstVideoInfo video;
    const bool known = caps && gst_video_info_from_caps(&video, caps);
    if (caps) {
        gst_caps_unref(caps);
    }
    GstMapInfo map;
    if (!known || !gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) {
        return GST_PAD_PROBE_OK;
    }
    QImage frame(map.data, GST_VIDEO_INFO_WIDTH(&video), GST_VIDEO_INFO_HEIGHT(&video),
                 GST_VIDEO_INFO_PLANE_STRIDE(&video, 0), QImage::Format_RGB32);
    const double seconds = GST_BUFFER_PTS_IS_VALID(buffer)
                               ? static_cast<double>(GST_BUFFER_PTS(buffer)) / GST_SECOND
                               : 0.0;
    paintOverlay(frame, job->overlayAt(seconds));
    gst_buffer_unmap(buffer, &map);
    return GST_PAD_PROBE_OK;
}

std::string messageError(GstMessage* message)
{
    GError* failure = nullptr;
    gst_message_parse_error(message, &failure, nullptr);
    const std::string text = failure ? failure->message : "the encoder failed";
    g_clear_error(&failure);
    return text;
}

void reportProgress(GstElement* pipeline, const Reencode& job, const CopyControl& control)
{
    gint64 position = 0;
    if (control.progress && job.seconds > 0.0 &&
        gst_element_query_position(pipeline, GST_FORMAT_TIME, &position)) {
        control.progress(std::min(1.0, static_cast<double>(position) / GST_SECOND / job.seconds));
    }
}

// Runs the pipeline to its end; false with the reason on an error or a cancel.
bool runToEnd(GstElement* pipeline, const Reencode& job, const CopyControl& control,
              std::string& error)
{
    GstHandle<GstBus> bus(gst_element_get_bus(pipeline));
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        error = "the encoder does not start";
        return false;
    }
    for (;;) {
        if (control.cancelled()) {
            error = "cancelled";
            return false;
        }
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus.get(), kPoll, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (!message) {
            reportProgress(pipeline, job, control);
            continue;
        }
        const bool ended = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
        if (!ended) {
            error = messageError(message);
        }
        gst_message_unref(message);
        return ended;
    }
}

}  // namespace

bool encodeWithOverlay(const Reencode& job, const CopyControl& control, std::string& error)
{
    if (!gst_is_initialized()) {
        gst_init(nullptr, nullptr);
    }
    GError* parseError = nullptr;
    GstHandle<GstElement> pipeline(gst_parse_launch(pipelineText(job).c_str(), &parseError));
    if (parseError) {
        error = std::string("cannot make the encoder: ") + parseError->message;
        g_error_free(parseError);
        return false;
    }
    GstHandle<GstElement> paint(gst_bin_get_by_name(GST_BIN(pipeline.get()), "paint"));
    GstHandle<GstPad> pad(gst_element_get_static_pad(paint.get(), "src"));
    gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, paintFrame, const_cast<Reencode*>(&job),
                      nullptr);
    const bool ok = runToEnd(pipeline.get(), job, control, error);
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return ok;
}
