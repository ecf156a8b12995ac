#pragma once

#include "playback_status.h"

#include <QString>

typedef struct _GstMessage GstMessage;

// An error message of the pipeline as the engine reports it: a status saying
// what kind of failure it was, and GStreamer's text for the owner to show.
struct PipelineError {
    PlaybackStatus status = playback_status::failed;
    QString text;
};

PipelineError parsePipelineError(GstMessage* message);
