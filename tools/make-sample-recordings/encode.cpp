#include "tools/make-sample-recordings/encode.h"

#include "clip/pipeline_quote.h"
#include "tools/make-sample-recordings/frame_stamp.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

constexpr int kFps = 30;

// The picture's texts: the label and the time, or, stamped, the label and the frame number
// (set frame by frame).
std::string textStages(const ClipOptions& clip)
{
    const std::string label = "textoverlay name=label valignment=top halignment=left"
                              " font-desc=\"Sans 20\" text=" +
                              pipelineQuoted(clip.label);
    if (clip.stampChannel >= 0) {
        return "identity name=stamp ! " + label;
    }
    return label + " ! timeoverlay valignment=bottom halignment=right font-desc=\"Sans 20\"";
}

std::string pipelineText(const ClipOptions& clip, const std::string& path)
{
    const int frames = clip.seconds * kFps;
    const std::string muxer = clip.transportStream ? "mpegtsmux" : "qtmux";
    // The stamp is drawn into I420 frames; other samples keep what the elements agree on.
    const std::string format = clip.stampChannel >= 0 ? "format=I420," : "";
    std::string text = "videotestsrc num-buffers=" + std::to_string(frames) +
                       " pattern=" + clip.pattern + " ! video/x-raw," + format +
                       "width=640,height=360,framerate=30/1 ! " + textStages(clip) +
                       " ! x264enc speed-preset=ultrafast key-int-max=30 bframes=0 ! h264parse ! " +
                       muxer + " name=mux ! filesink location=" + pipelineQuoted(path);
    if (clip.audio) {
        const int blocks = clip.seconds * 10;
        text +=
            " audiotestsrc num-buffers=" + std::to_string(blocks) +
            " samplesperbuffer=4800 wave=pink-noise volume=0.05 ! audio/x-raw,rate=48000,channels=1"
            " ! audioconvert ! avenc_aac ! aacparse ! mux.";
    }
    return text;
}

struct StampContext
{
    int channel = 0;
    std::string label;
    GstElement* labelOverlay = nullptr;  // owned by the pipeline
};

void fillCell(GstVideoFrame& frame, const frame_stamp::Cell& cell, bool white)
{
    auto* luma = static_cast<guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const int lumaStride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    for (int y = cell.y; y < cell.y + cell.size; ++y) {
        std::fill_n(luma + y * lumaStride + cell.x, cell.size, white ? 235 : 16);
    }
    for (int plane = 1; plane <= 2; ++plane) {
        auto* chroma = static_cast<guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane));
        const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane);
        for (int y = cell.y / 2; y < (cell.y + cell.size) / 2; ++y) {
            std::fill_n(chroma + y * stride + cell.x / 2, cell.size / 2, 128);
        }
    }
}

// Stamps each frame (I420) with its channel and number, and writes the number beside the
// label.
GstPadProbeReturn stampFrame(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    const auto* context = static_cast<const StampContext*>(data);
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    const int number =
        static_cast<int>(gst_util_uint64_scale_round(GST_BUFFER_PTS(buffer), kFps, GST_SECOND));
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstVideoInfo video;
    GstVideoFrame frame;
    if (caps != nullptr && gst_video_info_from_caps(&video, caps) &&
        gst_video_frame_map(&frame, &video, buffer, GST_MAP_WRITE)) {
        const auto bits = frame_stamp::bitsOf({context->channel, number});
        for (int i = 0; i < frame_stamp::kCells; ++i) {
            fillCell(frame, frame_stamp::cellAt(i, video.width, video.height), bits[i]);
        }
        gst_video_frame_unmap(&frame);
    }
    if (caps != nullptr) {
        gst_caps_unref(caps);
    }
    const std::string text = context->label + "  frame " + std::to_string(number);
    g_object_set(context->labelOverlay, "text", text.c_str(), nullptr);
    return GST_PAD_PROBE_OK;
}

void addStamp(GstElement* pipeline, StampContext& context)
{
    GstElement* stamp = gst_bin_get_by_name(GST_BIN(pipeline), "stamp");
    context.labelOverlay = gst_bin_get_by_name(GST_BIN(pipeline), "label");
    if (stamp == nullptr || context.labelOverlay == nullptr) {
        return;
    }
    GstPad* pad = gst_element_get_static_pad(stamp, "src");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, stampFrame, &context, nullptr);
    gst_object_unref(pad);
    gst_object_unref(stamp);
    gst_object_unref(context.labelOverlay);
}

}  // namespace

bool encodeClip(const ClipOptions& clip, const std::string& path, std::string& error)
{
    GError* parseError = nullptr;
    std::unique_ptr<GstElement, decltype(&gst_object_unref)> pipeline(
        gst_parse_launch(pipelineText(clip, path).c_str(), &parseError), gst_object_unref);
    if (parseError) {
        error = parseError->message;
        g_error_free(parseError);
        return false;
    }
    StampContext stamp{clip.stampChannel, clip.label};
    if (clip.stampChannel >= 0) {
        addStamp(pipeline.get(), stamp);
    }
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    std::unique_ptr<GstBus, decltype(&gst_object_unref)> bus(gst_element_get_bus(pipeline.get()),
                                                             gst_object_unref);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus.get(), GST_CLOCK_TIME_NONE,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    bool ok = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (!ok) {
        GError* runError = nullptr;
        gst_message_parse_error(message, &runError, nullptr);
        error = runError ? runError->message : "encoding failed";
        g_clear_error(&runError);
    }
    gst_message_unref(message);
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return ok;
}
