#pragma once

#include <QEvent>
#include <QObject>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;

// The window message by which the pipeline tells its owner that events wait.
inline constexpr int WM_GRAPHNOTIFY = 1037;
inline constexpr QEvent::Type kGraphNotifyEvent = static_cast<QEvent::Type>(WM_GRAPHNOTIFY);

// Collects the pipeline bus messages the engine acts on (end of stream, errors)
// as they are posted, from any thread, and posts one WM_GRAPHNOTIFY event to the
// target while some wait. The target drains them on its own thread. One queue
// serves one pipeline: a pipeline still stopping can post nothing into the next.
class GraphEventQueue {
public:
    GraphEventQueue() = default;
    GraphEventQueue(const GraphEventQueue&) = delete;
    GraphEventQueue& operator=(const GraphEventQueue&) = delete;
    ~GraphEventQueue();

    // The bus keeps the queue alive for as long as it may still call it.
    static void attach(const std::shared_ptr<GraphEventQueue>& queue, GstBus* bus);
    static void detach(GstBus* bus);

    // Null stops the notifications; messages are still collected.
    void setTarget(QObject* target);
    // The waiting messages, oldest first; the caller owns the references.
    std::vector<GstMessage*> takeAll();
    // Waits up to `timeout` for an error message to be queued; true when one is.
    bool waitForError(std::chrono::milliseconds timeout);
    bool hasError();
    void clear();

    // Keeps `message` if the engine acts on it; called on the posting thread.
    void collect(GstMessage* message);

private:
    void notifyLocked();
    bool errorQueuedLocked() const;

    std::mutex m_mutex;
    std::condition_variable m_errorQueued;
    std::deque<GstMessage*> m_messages;
    QObject* m_target = nullptr;
    bool m_notified = false;
};
