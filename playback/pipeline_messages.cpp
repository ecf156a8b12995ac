#include "playback/pipeline_messages.h"

#include <gst/gst.h>

#include <algorithm>

namespace {

using QueueRef = std::shared_ptr<PipelineMessageQueue>;

// A handler that drops a message owns it: the queue keeps its own reference.
GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer queue)
{
    (*static_cast<QueueRef*>(queue))->collect(message);
    gst_message_unref(message);
    return GST_BUS_DROP;
}

void releaseQueue(gpointer queue)
{
    delete static_cast<QueueRef*>(queue);
}

}  // namespace

PipelineMessageQueue::~PipelineMessageQueue()
{
    clear();
}

void PipelineMessageQueue::attach(const std::shared_ptr<PipelineMessageQueue>& queue, GstBus* bus)
{
    gst_bus_set_sync_handler(bus, onBusMessage, new QueueRef(queue), releaseQueue);
}

void PipelineMessageQueue::detach(GstBus* bus)
{
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
}

void PipelineMessageQueue::setWakeUp(std::function<void()> wakeUp)
{
    std::lock_guard lock(m_mutex);
    m_wakeUp = std::move(wakeUp);
    m_woken = false;
    if (!m_messages.empty()) {
        wakeLocked();
    }
}

std::vector<GstMessage*> PipelineMessageQueue::takeAll()
{
    std::lock_guard lock(m_mutex);
    std::vector<GstMessage*> messages(m_messages.begin(), m_messages.end());
    m_messages.clear();
    m_woken = false;
    return messages;
}

bool PipelineMessageQueue::waitForError(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_errorQueued.wait_for(lock, timeout, [this] { return errorQueuedLocked(); });
}

bool PipelineMessageQueue::hasError()
{
    std::lock_guard lock(m_mutex);
    return errorQueuedLocked();
}

bool PipelineMessageQueue::errorQueuedLocked() const
{
    return std::any_of(m_messages.begin(), m_messages.end(), [](GstMessage* message) {
        return GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
    });
}

void PipelineMessageQueue::clear()
{
    for (GstMessage* message : takeAll()) {
        gst_message_unref(message);
    }
}

void PipelineMessageQueue::collect(GstMessage* message)
{
    // Only what the engine acts on is kept; the rest (state changes, tags,
    // stream status) would only wake the owner for nothing.
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type != GST_MESSAGE_EOS && type != GST_MESSAGE_ERROR) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(gst_message_ref(message));
        wakeLocked();
    }
    if (type == GST_MESSAGE_ERROR) {
        m_errorQueued.notify_all();
    }
}

void PipelineMessageQueue::wakeLocked()
{
    if (!m_wakeUp || m_woken) {
        return;
    }
    m_woken = true;
    m_wakeUp();
}
