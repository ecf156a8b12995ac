#pragma once

#include <QImage>
#include <QMargins>
#include <QRect>
#include <QWidget>

#include <cstdint>

class QPainter;

// Horizontal slider drawn from a channel and a thumb picture (each with an optional active
// picture).
class CBitmapSlider : public QWidget {
    Q_OBJECT

public:
    explicit CBitmapSlider(QWidget* parent = nullptr);

    // Bitmap resources ":/BITMAP/<id>"; channel id 0 clears. False when a picture is missing.
    bool SetChannelImages(int channelId, int activeId, bool transparent,
                          std::uint32_t transparentColour, int sampleX, int sampleY);
    bool SetThumbImages(int thumbId, int activeId, bool transparent,
                        std::uint32_t transparentColour, int sampleX, int sampleY);
    // The same with pictures in hand; a null channel clears, a null active picture means none.
    bool SetChannelImages(const QImage& channel, const QImage& active, bool transparent,
                          std::uint32_t transparentColour, int sampleX, int sampleY);
    bool SetThumbImages(const QImage& thumb, const QImage& active, bool transparent,
                        std::uint32_t transparentColour, int sampleX, int sampleY);

    void SetRangeMax(int max, bool redraw);
    void SetRangeMin(int min, bool redraw);
    void SetRange(int min, int max, bool redraw);
    int GetRangeMax() const { return rangeMax; }
    int GetRangeMin() const { return rangeMin; }
    void SetPosition(int pos);
    int GetPosition() const { return position; }
    int SetPageStep(int step);  // Page Up / Page Down; returns the previous step
    int SetLineStep(int step);  // the arrow keys; returns the previous step
    void SetMargins(int left, int top, int right, int bottom);
    void SetEnabled(bool enable);
    bool IsEnabled() const { return enabled; }
    void SetFocusFrame(bool show, bool redraw);
    bool IsDragging() const { return dragging; }

    // Thumb centre for a position and back; both rest at the left end when the range or
    // the travel is empty.
    int PositionToPixel(int pos) const;
    int PixelToPosition(int x) const;

signals:
    // While the thumb is dragged, each time it moved to another position.
    void moved(int position);
    // On release of the mouse, and after each handled key: where the thumb came to rest.
    void released(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The channel or the thumb: its picture, the picture while active (none: null), and
    // their masks when the key colour is transparent.
    struct Picture {
        QImage image, mask, active, activeMask;
        bool transparent = false;

        void set(const QImage& picture, const QImage& activePicture, bool keyed,
                 std::uint32_t transparentColour, int sampleX, int sampleY);
        bool isNull() const { return image.isNull(); }
    };

    void DragTo(int x);
    int Travel() const;
    void DrawChannel(QPainter& painter);
    void DrawThumb(QPainter& painter);
    void DrawFocusFrame(QPainter& painter) const;

    int rangeMax = 100;
    int rangeMin = 0;
    int position = 0;
    int pageStep = 20;
    int lineStep = 1;
    QRect clientRect;
    QSize channelSize;
    QSize thumbSize;
    QMargins margins;
    int dragOffset = 0;
    bool dragging = false;
    bool hasKeyboardFocus = false;  // QWidget::hasFocus() keeps its meaning
    bool showFocusFrame = true;
    bool enabled = true;
    Picture channel;
    Picture thumb;
};
