#include "tools/make-sample-recordings/encode.h"

#include <gst/gst.h>

#include <memory>

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::string pipelineText(const ClipOptions& clip, const std::string& path)
{
    const int frames = clip.seconds * 30;
    const std::string muxer = clip.transportStream ? "mpegtsmux" : "qtmux";
    std::string text = "videotestsrc num-buffers=" + std::to_string(frames) +
                       " pattern=smpte75 ! video/x-raw,width=640,height=360,framerate=30/1"
                       " ! textoverlay valignment=top halignment=left font-desc=\"Sans 20\" text=" +
                       quoted(clip.label) +
                       " ! timeoverlay valignment=bottom halignment=right font-desc=\"Sans 20\""
                       " ! x264enc speed-preset=ultrafast key-int-max=30 bframes=0 ! h264parse ! " +
                       muxer + " name=mux ! filesink location=" + quoted(path);
    if (clip.audio) {
        const int blocks = clip.seconds * 10;
        text +=
            " audiotestsrc num-buffers=" + std::to_string(blocks) +
            " samplesperbuffer=4800 wave=pink-noise volume=0.05 ! audio/x-raw,rate=48000,channels=1"
            " ! audioconvert ! avenc_aac ! aacparse ! mux.";
    }
    return text;
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
