#include "pipeline_errors.h"

#include <gst/gst.h>

namespace {

namespace status = playback_status;

PlaybackStatus statusFromError(const GError* error)
{
    if (error == nullptr)
        return status::failed;
    if (error->domain == GST_RESOURCE_ERROR
        && (error->code == GST_RESOURCE_ERROR_NOT_FOUND
            || error->code == GST_RESOURCE_ERROR_OPEN_READ))
        return status::fileNotFound;
    if (error->domain == GST_STREAM_ERROR
        && (error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND
            || error->code == GST_STREAM_ERROR_DECODE))
        return status::noDecoder;
    if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN)
        return status::noDecoder;
    if (error->domain == GST_STREAM_ERROR)
        return status::unsupportedStream;
    return status::failed;
}

}  // namespace

PipelineError parsePipelineError(GstMessage* message)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    PipelineError parsed{statusFromError(error),
                         QString::fromUtf8(error != nullptr ? error->message : "")};
    g_clear_error(&error);
    g_free(debug);
    return parsed;
}
