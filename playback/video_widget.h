#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

#include <atomic>
#include <mutex>
#include <optional>

typedef struct _GstSample GstSample;

// The video area: paints the newest decoded frame (BGRx) into the rectangle the
// placement rule gives for the widget's current size, black everywhere else.
// Frames arrive from GStreamer's streaming thread; painting happens on the
// widget's own thread.
class VideoWidget : public QWidget {
    Q_OBJECT

public:
    struct FrameCounts {
        quint64 presented = 0;  // frames handed over by the pipeline
        quint64 painted = 0;    // of those, frames that reached the screen
    };

    explicit VideoWidget(QWidget* parent = nullptr);
    ~VideoWidget() override;

    // Thread-safe; takes over the caller's reference to `sample`.
    void presentSample(GstSample* sample);

    // The native size of the picture to place, or nothing to place (audio only).
    void setVideoSize(std::optional<QSize> nativeSize);
    // Forgets the picture and the placement: the area turns black.
    void clearPicture();
    // Where the picture goes at the current size; empty when nothing is placed.
    QRect videoRect() const;

    // Shows the video alone on the whole screen, or puts it back where it was.
    void setFullScreen(bool on);
    bool isFullScreenVideo() const { return m_fullScreen; }

    FrameCounts frameCounts() const;

signals:
    void doubleClicked();
    void escapePressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Newest {
        GstSample* sample = nullptr;  // a reference of its own, or null
        quint64 sequence = 0;
    };
    Newest takeNewest();
    void paintSample(QPainter& painter, GstSample* sample, const QRect& target);

    mutable std::mutex m_mutex;
    GstSample* m_sample = nullptr;  // guarded by m_mutex
    quint64 m_presented = 0;        // guarded by m_mutex
    std::atomic<bool> m_repaintQueued{false};

    quint64 m_painted = 0;
    quint64 m_paintedSequence = 0;
    std::optional<QSize> m_videoSize;
    bool m_fullScreen = false;
    QRect m_normalGeometry;
};
