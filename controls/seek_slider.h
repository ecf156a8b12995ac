#pragma once

#include <QImage>
#include <QMargins>
#include <QRect>
#include <QWidget>

#include <cstdint>

class QPainter;

// Horizontal slider drawn from a channel and a thumb picture (each with an optional active
// picture).
class SeekSlider : public QWidget
{
    Q_OBJECT

public:
    explicit SeekSlider(QWidget* parent = nullptr);

    // Bitmap resources ":/BITMAP/<id>"; channel id 0 clears. False when a picture is missing.
    bool setChannelImages(int channelId, int activeId, bool transparent,
                          std::uint32_t transparentColour, int sampleX, int sampleY);
    bool setThumbImages(int thumbId, int activeId, bool transparent,
                        std::uint32_t transparentColour, int sampleX, int sampleY);
    // The same with pictures in hand; a null channel clears, a null active picture means none.
    bool setChannelImages(const QImage& channel, const QImage& active, bool transparent,
                          std::uint32_t transparentColour, int sampleX, int sampleY);
    bool setThumbImages(const QImage& thumb, const QImage& active, bool transparent,
                        std::uint32_t transparentColour, int sampleX, int sampleY);

    void setRangeMax(int max, bool redraw);
    void setRangeMin(int min, bool redraw);
    void setRange(int min, int max, bool redraw);
    int rangeMax() const { return m_rangeMax; }
    int rangeMin() const { return m_rangeMin; }
    void setPosition(int pos);
    int position() const { return m_position; }
    int setPageStep(int step);  // Page Up / Page Down; returns the previous step
    int setLineStep(int step);  // the arrow keys; returns the previous step
    void setMargins(int left, int top, int right, int bottom);
    void setSliderEnabled(bool enable);
    bool isSliderEnabled() const { return m_enabled; }
    void setFocusFrame(bool show, bool redraw);
    bool isDragging() const { return m_dragging; }

    // Thumb centre for a position and back; both rest at the left end when the range or
    // the travel is empty.
    int positionToPixel(int pos) const;
    int pixelToPosition(int x) const;

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
    struct Picture
    {
        QImage image, mask, active, activeMask;
        bool transparent = false;

        void set(const QImage& picture, const QImage& activePicture, bool keyed,
                 std::uint32_t transparentColour, int sampleX, int sampleY);
        bool isNull() const { return image.isNull(); }
    };

    void dragTo(int x);
    int thumbTravel() const;
    void drawChannel(QPainter& painter);
    void drawThumb(QPainter& painter);
    void drawFocusFrame(QPainter& painter) const;

    int m_rangeMax = 100;
    int m_rangeMin = 0;
    int m_position = 0;
    int m_pageStep = 20;
    int m_lineStep = 1;
    QRect m_clientRect;
    QSize m_channelSize;
    QSize m_thumbSize;
    QMargins m_margins;
    int m_dragOffset = 0;
    bool m_dragging = false;
    bool m_hasKeyboardFocus = false;  // QWidget::hasFocus() keeps its meaning
    bool m_showFocusFrame = true;
    bool m_enabled = true;
    Picture m_channel;
    Picture m_thumb;
};
