#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;

// Collects the pipeline bus messages the engine acts on (end of stream, errors)
// as they are posted, from any thread, and calls the wake-up once while some wait;
// the wake-up only schedules the engine, which drains them on its own thread. One
// queue serves one pipeline: a pipeline still stopping can post nothing into the next.
class PipelineMessageQueue
{
public:
    PipelineMessageQueue() = default;
    PipelineMessageQueue(const PipelineMessageQueue&) = delete;
    PipelineMessageQueue& operator=(const PipelineMessageQueue&) = delete;
    ~PipelineMessageQueue();

    // The bus keeps the queue alive for as long as it may still call it.
    static void attach(const std::shared_ptr<PipelineMessageQueue>& queue, GstBus* bus);
    static void detach(GstBus* bus);

    // Called on the posting thread, under the queue's lock, when the first message
    // waits; empty stops the wake-ups (messages are still collected).
    void setWakeUp(std::function<void()> wakeUp);
    // The waiting messages, oldest first; the caller owns the references.
    std::vector<GstMessage*> takeAll();
    // Waits up to `timeout` for an error message to be queued; true when one is.
    bool waitForError(std::chrono::milliseconds timeout);
    bool hasError();
    void clear();

    // Keeps `message` if the engine acts on it; called on the posting thread.
    void collect(GstMessage* message);

private:
    void wakeLocked();
    bool errorQueuedLocked() const;

    std::mutex m_mutex;
    std::condition_variable m_errorQueued;
    std::deque<GstMessage*> m_messages;
    std::function<void()> m_wakeUp;
    bool m_woken = false;
};
