#pragma once

#include "playback/frame_mailbox.h"

#include <memory>
#include <mutex>

typedef struct _GstElement GstElement;
typedef struct _GstSample GstSample;

// The way from one pipeline's video output to the video widget's mailbox. Once
// closed, no frame of that pipeline reaches the mailbox any more, not even one
// already on its way: a pipeline still stopping on another thread cannot paint
// over the next recording.
class FrameGate
{
public:
    explicit FrameGate(std::shared_ptr<FrameMailbox> mailbox) : m_mailbox(std::move(mailbox)) {}
    FrameGate(const FrameGate&) = delete;
    FrameGate& operator=(const FrameGate&) = delete;

    // Any thread; takes over the caller's reference.
    void post(GstSample* sample);
    void close();

private:
    std::mutex m_mutex;
    std::shared_ptr<FrameMailbox> m_mailbox;
};

// The pipeline's video output: an appsink taking full-size BGRx frames in step
// with the clock, as a video sink does, and posting each (the cued frame too)
// through `gate`, which it keeps alive. Frames are also kept as the sink's last
// sample. Returns a floating reference, or null.
GstElement* makeVideoSink(std::shared_ptr<FrameGate> gate);
