#pragma once

#include "playback/playback_result.h"

typedef struct _GstMessage GstMessage;

// An error message of the pipeline as the engine reports it: what kind of failure it
// was, and GStreamer's text for the owner to show.
PlaybackResult parsePipelineError(GstMessage* message);
