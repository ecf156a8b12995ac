#pragma once

#include <QtGlobal>

#include <mutex>

class QWidget;
typedef struct _GstSample GstSample;

// Hands the newest decoded frame from GStreamer's streaming thread to the video
// widget. The pipeline keeps the mailbox alive by a shared reference of its own,
// so a frame that arrives while the widget is being destroyed lands here and
// goes nowhere further: the widget detaches itself first.
class FrameMailbox
{
public:
    struct Newest
    {
        GstSample* sample = nullptr;  // a reference of its own, or null
        quint64 sequence = 0;         // how many frames were posted up to this one
    };

    explicit FrameMailbox(QWidget* receiver) : m_receiver(receiver) {}
    FrameMailbox(const FrameMailbox&) = delete;
    FrameMailbox& operator=(const FrameMailbox&) = delete;
    ~FrameMailbox();

    // Any thread; takes over the caller's reference. Asks the receiver to
    // repaint, at most once until it takes the frame.
    void post(GstSample* sample);
    // The receiver's thread.
    Newest take();
    void clear();
    void detach();
    quint64 posted() const;

private:
    mutable std::mutex m_mutex;
    QWidget* m_receiver;
    GstSample* m_sample = nullptr;
    quint64 m_posted = 0;
    bool m_repaintAsked = false;
};
