#include "playback/frame_mailbox.h"

#include <QWidget>

#include <gst/gst.h>

FrameMailbox::~FrameMailbox()
{
    clear();
}

void FrameMailbox::post(GstSample* sample)
{
    GstSample* replaced = nullptr;
    {
        std::lock_guard lock(m_mutex);
        replaced = m_sample;
        m_sample = sample;
        ++m_posted;
        // A slow paint then shows the newest frame instead of working through a backlog.
        if (m_receiver != nullptr && !m_repaintAsked) {
            m_repaintAsked = true;
            QWidget* receiver = m_receiver;
            QMetaObject::invokeMethod(
                receiver, [receiver] { receiver->update(); }, Qt::QueuedConnection);
        }
    }
    if (replaced != nullptr) {
        gst_sample_unref(replaced);
    }
}

FrameMailbox::Newest FrameMailbox::take()
{
    std::lock_guard lock(m_mutex);
    m_repaintAsked = false;
    if (m_sample == nullptr) {
        return {};
    }
    return {gst_sample_ref(m_sample), m_posted};
}

void FrameMailbox::clear()
{
    GstSample* dropped = nullptr;
    {
        std::lock_guard lock(m_mutex);
        dropped = m_sample;
        m_sample = nullptr;
    }
    if (dropped != nullptr) {
        gst_sample_unref(dropped);
    }
}

void FrameMailbox::detach()
{
    std::lock_guard lock(m_mutex);
    m_receiver = nullptr;
}

quint64 FrameMailbox::posted() const
{
    std::lock_guard lock(m_mutex);
    return m_posted;
}
