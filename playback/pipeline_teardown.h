#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

typedef struct _GstElement GstElement;

// Takes pipelines to the null state and drops them on GStreamer's worker threads,
// so that a pipeline slow to stop holds up no caller. The destructor waits, within
// a bound, for the pipelines still stopping.
class PipelineTeardown
{
public:
    PipelineTeardown();
    PipelineTeardown(const PipelineTeardown&) = delete;
    PipelineTeardown& operator=(const PipelineTeardown&) = delete;
    ~PipelineTeardown();

    // Takes over the caller's reference; the worker drops the last one.
    void release(GstElement* pipeline);
    // True once every pipeline released so far is gone, false after `timeout`.
    bool waitUntilIdle(std::chrono::milliseconds timeout);

private:
    struct Pending
    {
        std::mutex mutex;
        std::condition_variable idle;
        int count = 0;
    };
    static void finished(void* pending);

    std::shared_ptr<Pending> m_pending;
};
