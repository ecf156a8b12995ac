#include "playback/video_sink.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

namespace {

using GateRef = std::shared_ptr<FrameGate>;

// Late frames are dropped like a video sink drops them, and reported upstream.
constexpr gint64 kMaxLateness = 20 * GST_MSECOND;

GstFlowReturn onNewSample(GstAppSink* sink, gpointer gate)
{
    if (GstSample* sample = gst_app_sink_pull_sample(sink)) {
        (*static_cast<GateRef*>(gate))->post(sample);
    }
    return GST_FLOW_OK;
}

GstFlowReturn onNewPreroll(GstAppSink* sink, gpointer gate)
{
    if (GstSample* sample = gst_app_sink_pull_preroll(sink)) {
        (*static_cast<GateRef*>(gate))->post(sample);
    }
    return GST_FLOW_OK;
}

void releaseGate(gpointer gate)
{
    delete static_cast<GateRef*>(gate);
}

}  // namespace

void FrameGate::post(GstSample* sample)
{
    std::lock_guard lock(m_mutex);
    if (m_mailbox != nullptr) {
        m_mailbox->post(sample);
    } else {
        gst_sample_unref(sample);
    }
}

void FrameGate::close()
{
    std::lock_guard lock(m_mutex);
    m_mailbox.reset();
}

GstElement* makeVideoSink(std::shared_ptr<FrameGate> gate)
{
    GstElement* sink = gst_element_factory_make("appsink", "video-output");
    if (sink == nullptr) {
        return nullptr;
    }
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    g_object_set(sink, "caps", caps, "max-buffers", 1u, "drop", TRUE, "sync", TRUE, "qos", TRUE,
                 "max-lateness", kMaxLateness, nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = onNewPreroll;
    callbacks.new_sample = onNewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, new GateRef(std::move(gate)),
                               releaseGate);
    return sink;
}
