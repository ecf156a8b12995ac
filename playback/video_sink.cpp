#include "video_sink.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

namespace {

using MailboxRef = std::shared_ptr<FrameMailbox>;

// Late frames are dropped like a video sink drops them, and reported upstream.
constexpr gint64 kMaxLateness = 20 * GST_MSECOND;

GstFlowReturn onNewSample(GstAppSink* sink, gpointer mailbox)
{
    if (GstSample* sample = gst_app_sink_pull_sample(sink))
        (*static_cast<MailboxRef*>(mailbox))->post(sample);
    return GST_FLOW_OK;
}

GstFlowReturn onNewPreroll(GstAppSink* sink, gpointer mailbox)
{
    if (GstSample* sample = gst_app_sink_pull_preroll(sink))
        (*static_cast<MailboxRef*>(mailbox))->post(sample);
    return GST_FLOW_OK;
}

void releaseMailbox(gpointer mailbox)
{
    delete static_cast<MailboxRef*>(mailbox);
}

}  // namespace

GstElement* makeVideoSink(std::shared_ptr<FrameMailbox> mailbox)
{
    GstElement* sink = gst_element_factory_make("appsink", "video-output");
    if (sink == nullptr)
        return nullptr;
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    g_object_set(sink, "caps", caps, "max-buffers", 1u, "drop", TRUE, "sync", TRUE, "qos", TRUE,
                 "max-lateness", kMaxLateness, nullptr);
    gst_caps_unref(caps);
    if (mailbox != nullptr) {
        GstAppSinkCallbacks callbacks{};
        callbacks.new_preroll = onNewPreroll;
        callbacks.new_sample = onNewSample;
        gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks,
                                   new MailboxRef(std::move(mailbox)), releaseMailbox);
    }
    return sink;
}
