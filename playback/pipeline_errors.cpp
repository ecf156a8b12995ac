#include "playback/pipeline_errors.h"

#include <gst/gst.h>

namespace {

PlaybackError errorKind(const GError* error)
{
    if (error == nullptr) {
        return PlaybackError::Failed;
    }
    if (error->domain == GST_RESOURCE_ERROR && (error->code == GST_RESOURCE_ERROR_NOT_FOUND ||
                                                error->code == GST_RESOURCE_ERROR_OPEN_READ)) {
        return PlaybackError::FileNotFound;
    }
    if (error->domain == GST_STREAM_ERROR && (error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND ||
                                              error->code == GST_STREAM_ERROR_DECODE)) {
        return PlaybackError::NoDecoder;
    }
    if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN) {
        return PlaybackError::NoDecoder;
    }
    if (error->domain == GST_STREAM_ERROR) {
        return PlaybackError::UnsupportedStream;
    }
    return PlaybackError::Failed;
}

}  // namespace

PlaybackResult parsePipelineError(GstMessage* message)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    PlaybackResult parsed(errorKind(error),
                          QString::fromUtf8(error != nullptr ? error->message : ""));
    g_clear_error(&error);
    g_free(debug);
    return parsed;
}
