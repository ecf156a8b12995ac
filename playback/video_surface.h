#pragma once

#include <QWidget>

typedef struct _GstElement GstElement;

// The native window an overlay video sink draws into, laid by the video widget over
// the picture's rectangle. Qt never paints it: the sink does, and draws its last
// frame again when the window is exposed. The surface holds its sink and stops it
// before the window goes away, whichever goes first, so that no sink ever draws
// into a window that no longer exists.
class VideoSurface : public QWidget
{
    Q_OBJECT

public:
    explicit VideoSurface(QWidget* parent);
    ~VideoSurface() override;

    // GUI thread. Takes a reference to `sink` and has it draw here from now on; a
    // sink attached before is stopped first.
    void attach(GstElement* sink);
    // Takes over the sink of `other` without stopping it: it draws here from now on,
    // and `other` may go.
    void adopt(VideoSurface& other);
    // Stops the sink, which stays in the null state, and lets it go.
    void detach();
    GstElement* sink() const { return m_sink; }

    QPaintEngine* paintEngine() const override { return nullptr; }

signals:
    // The sink cannot scale and was given the new size: a paused pipeline shows it
    // only once it renders its frame again.
    void frameSizeChanged();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void pointSinkHere();
    QSize pixelSize() const;

    GstElement* m_sink = nullptr;
};
