#include "playback/overlay_sink.h"

#include <gst/gst.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

namespace {

constexpr const char* kSizeFilterName = "window-size";
// Bounds the wait for the conversion's own small pipeline.
constexpr GstClockTime kConvertTimeout = 3 * GST_SECOND;

// A sink that cannot even open its display fails on the way to READY.
GstElement* openedSink(const char* factory)
{
    GstElement* sink = gst_element_factory_make(factory, nullptr);
    if (sink == nullptr) {
        return nullptr;
    }
    gst_object_ref_sink(sink);
    if (gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_SUCCESS) {
        gst_element_set_state(sink, GST_STATE_NULL);
        gst_object_unref(sink);
        return nullptr;
    }
    return sink;
}

// ximagesink draws frames at their own size: a filter in front of it asks the
// pipeline's scaler for the window's size.
GstElement* withSizeFilter(GstElement* sink)
{
    GstElement* bin = gst_bin_new("video-output");
    GstElement* filter = gst_element_factory_make("capsfilter", kSizeFilterName);
    // A frame of the old size already on its way when the size changes is let through,
    // not refused as a negotiation error that would stop the pipeline.
    gst_util_set_object_arg(G_OBJECT(filter), "caps-change-mode", "delayed");
    gst_bin_add_many(GST_BIN(bin), filter, sink, nullptr);
    gst_element_link(filter, sink);
    GstPad* target = gst_element_get_static_pad(filter, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", target));
    gst_object_unref(target);
    return bin;
}

// The element that draws: the sink itself, or the one inside the size bin.
GstElement* overlayOf(GstElement* sink)
{
    if (!GST_IS_BIN(sink)) {
        return GST_IS_VIDEO_OVERLAY(sink) ? GST_ELEMENT(gst_object_ref(sink)) : nullptr;
    }
    return gst_bin_get_by_interface(GST_BIN(sink), GST_TYPE_VIDEO_OVERLAY);
}

}  // namespace

GstElement* makeOverlaySink(const QString& platformName)
{
    // Only X11 for now: on Wayland a widget's window id is not the wl_surface that
    // waylandsink and glimagesink draw into, and they need the application's
    // wl_display handed over as a context besides.
    if (platformName != QLatin1String("xcb")) {
        return nullptr;
    }
    for (const char* factory : {"xvimagesink", "ximagesink"}) {
        GstElement* sink = openedSink(factory);
        if (sink == nullptr) {
            continue;
        }
        g_object_set(sink, "enable-last-sample", TRUE, nullptr);
        gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(sink), FALSE);
        const bool scales = g_strcmp0(factory, "ximagesink") != 0;
        if (scales) {
            g_object_force_floating(G_OBJECT(sink));
            return sink;
        }
        GstElement* bin = withSizeFilter(sink);
        gst_object_unref(sink);
        return bin;
    }
    return nullptr;
}

void setOverlayWindow(GstElement* sink, unsigned long handle)
{
    if (GstElement* overlay = overlayOf(sink)) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlay), handle);
        gst_object_unref(overlay);
    }
}

bool fitOverlaySink(GstElement* sink, QSize pixels)
{
    if (!GST_IS_BIN(sink) || pixels.isEmpty()) {
        return false;
    }
    GstElement* filter = gst_bin_get_by_name(GST_BIN(sink), kSizeFilterName);
    if (filter == nullptr) {
        return false;
    }
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, pixels.width(),
                                        "height", G_TYPE_INT, pixels.height(), "pixel-aspect-ratio",
                                        GST_TYPE_FRACTION, 1, 1, nullptr);
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    gst_object_unref(filter);
    return true;
}

void exposeOverlay(GstElement* sink)
{
    if (GstElement* overlay = overlayOf(sink)) {
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay));
        gst_object_unref(overlay);
    }
}

void stopOverlaySink(GstElement* sink)
{
    gst_element_set_locked_state(sink, TRUE);
    gst_element_set_state(sink, GST_STATE_NULL);
}

OverlayFrameCounts overlayFrameCounts(GstElement* sink)
{
    OverlayFrameCounts counts;
    GstElement* overlay = overlayOf(sink);
    if (overlay == nullptr) {
        return counts;
    }
    GstStructure* stats = nullptr;
    g_object_get(overlay, "stats", &stats, nullptr);
    guint64 rendered = 0;
    guint64 dropped = 0;
    if (stats != nullptr) {
        gst_structure_get_uint64(stats, "rendered", &rendered);
        gst_structure_get_uint64(stats, "dropped", &dropped);
        gst_structure_free(stats);
    }
    gst_object_unref(overlay);
    return {rendered + dropped, rendered};
}

GstSample* bgrxSample(GstSample* sample, QSize size)
{
    if (sample == nullptr) {
        return nullptr;
    }
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
    if (!size.isEmpty()) {
        gst_caps_set_simple(caps, "width", G_TYPE_INT, size.width(), "height", G_TYPE_INT,
                            size.height(), "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
    }
    GError* error = nullptr;
    GstSample* converted = gst_video_convert_sample(sample, caps, kConvertTimeout, &error);
    g_clear_error(&error);
    gst_caps_unref(caps);
    return converted;
}
