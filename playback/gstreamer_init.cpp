#include "playback/gstreamer_init.h"

#include "playback/decoder_preference.h"

#include <gst/gst.h>

bool initGStreamer(QString* reason)
{
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        if (reason != nullptr) {
            *reason =
                QString::fromUtf8(error != nullptr ? error->message : "GStreamer did not start");
        }
        g_clear_error(&error);
        return false;
    }
    // The rank lives in the process-wide registry: raising it once serves every open.
    static const bool preferred = (preferDecoder(preferredDecoders()), true);
    return preferred;
}
