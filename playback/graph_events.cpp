#include "graph_events.h"

#include <QCoreApplication>

#include <gst/gst.h>

#include <algorithm>

namespace {

using QueueRef = std::shared_ptr<GraphEventQueue>;

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

GraphEventQueue::~GraphEventQueue()
{
    clear();
}

void GraphEventQueue::attach(const std::shared_ptr<GraphEventQueue>& queue, GstBus* bus)
{
    gst_bus_set_sync_handler(bus, onBusMessage, new QueueRef(queue), releaseQueue);
}

void GraphEventQueue::detach(GstBus* bus)
{
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
}

void GraphEventQueue::setTarget(QObject* target)
{
    std::lock_guard lock(m_mutex);
    m_target = target;
    m_notified = false;
    if (!m_messages.empty())
        notifyLocked();
}

std::vector<GstMessage*> GraphEventQueue::takeAll()
{
    std::lock_guard lock(m_mutex);
    std::vector<GstMessage*> messages(m_messages.begin(), m_messages.end());
    m_messages.clear();
    m_notified = false;
    return messages;
}

bool GraphEventQueue::waitForError(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_errorQueued.wait_for(lock, timeout, [this] { return errorQueuedLocked(); });
}

bool GraphEventQueue::hasError()
{
    std::lock_guard lock(m_mutex);
    return errorQueuedLocked();
}

bool GraphEventQueue::errorQueuedLocked() const
{
    return std::any_of(m_messages.begin(), m_messages.end(), [](GstMessage* message) {
        return GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
    });
}

void GraphEventQueue::clear()
{
    for (GstMessage* message : takeAll())
        gst_message_unref(message);
}

void GraphEventQueue::collect(GstMessage* message)
{
    // Only what the engine acts on is kept; the rest (state changes, tags,
    // stream status) would only wake the owner for nothing.
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type != GST_MESSAGE_EOS && type != GST_MESSAGE_ERROR)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(gst_message_ref(message));
        notifyLocked();
    }
    if (type == GST_MESSAGE_ERROR)
        m_errorQueued.notify_all();
}

void GraphEventQueue::notifyLocked()
{
    if (m_target == nullptr || m_notified)
        return;
    m_notified = true;
    QCoreApplication::postEvent(m_target, new QEvent(kGraphNotifyEvent));
}
