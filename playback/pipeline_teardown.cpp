#include "playback/pipeline_teardown.h"

#include "playback/allocator_arenas.h"

#include <gst/gst.h>

namespace {

// Long enough for any pipeline that stops at all; a stuck one is left to the process's end.
constexpr std::chrono::seconds kExitWait{5};

void stopPipeline(GstElement* pipeline, gpointer)
{
    gst_element_set_state(pipeline, GST_STATE_NULL);
}

}  // namespace

PipelineTeardown::PipelineTeardown() : m_pending(std::make_shared<Pending>()) {}

PipelineTeardown::~PipelineTeardown()
{
    waitUntilIdle(kExitWait);
}

// GStreamer's own worker threads are reused from one pipeline to the next, and so
// is the memory each thread's allocator keeps.
void PipelineTeardown::release(GstElement* pipeline)
{
    // The pipelines released before this one are gone by now (a recording plays for more
    // than the moment one takes to stop): what they freed goes back to the system, or the
    // holes they left in the heap would keep their pages, recording after recording.
    releaseFreedMemory();
    {
        std::lock_guard lock(m_pending->mutex);
        ++m_pending->count;
    }
    gst_element_call_async(pipeline, stopPipeline, new std::shared_ptr<Pending>(m_pending),
                           finished);
    gst_object_unref(pipeline);
}

void PipelineTeardown::finished(void* pending)
{
    auto* ref = static_cast<std::shared_ptr<Pending>*>(pending);
    {
        std::lock_guard lock((*ref)->mutex);
        --(*ref)->count;
    }
    (*ref)->idle.notify_all();
    delete ref;
}

bool PipelineTeardown::waitUntilIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_pending->mutex);
    return m_pending->idle.wait_for(lock, timeout, [this] { return m_pending->count == 0; });
}
