#pragma once

#include "frame_mailbox.h"

#include <memory>

typedef struct _GstElement GstElement;

// The pipeline's video output: an appsink taking full-size BGRx frames in step
// with the clock, as a video sink does, and posting each (the cued frame too)
// to `mailbox`, which it keeps alive. Without a mailbox the frames are only
// kept as the sink's last sample. Returns a floating reference, or null.
GstElement* makeVideoSink(std::shared_ptr<FrameMailbox> mailbox);
