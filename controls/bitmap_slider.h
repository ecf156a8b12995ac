#pragma once

#include <QImage>
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
    void SetMarginLeft(int margin) { marginLeft = margin; }
    void SetMarginTop(int margin) { marginTop = margin; }
    void SetMarginRight(int margin) { marginRight = margin; }
    void SetMarginBottom(int margin) { marginBottom = margin; }
    void SetEnabled(bool enable);
    bool IsEnabled() const { return enabled != 0; }
    void SetFocusFrame(bool show, bool redraw);
    bool IsDragging() const { return dragging != 0; }

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
    bool ChannelLoaded() const { return !channelImage.isNull(); }
    bool ThumbLoaded() const { return !thumbImage.isNull(); }
    void ReleaseChannel();
    void ReleaseThumb();
    void DragTo(int x);
    int Travel() const;
    void DrawChannel(QPainter& painter);
    void DrawThumb(QPainter& painter);
    void DrawFocusFrame(QPainter& painter) const;
    void Redraw();

    int rangeMax = 100;
    int rangeMin = 0;
    int position = 0;
    int pageStep = 20;
    int lineStep = 1;
    QRect clientRect;
    int channelWidth = 0;
    int channelHeight = 0;
    int thumbWidth = 0;
    int thumbHeight = 0;
    int marginLeft = 0;
    int marginRight = 0;
    int marginTop = 0;
    int marginBottom = 0;
    int dragOffset = 0;
    int channelTransparent = 0;
    int thumbTransparent = 0;
    int dragging = 0;
    int hasKeyboardFocus = 0;  // QWidget::hasFocus() keeps its meaning
    int showFocusFrame = 1;
    int enabled = 1;
    QImage channelImage, channelMask;
    QImage activeChannelImage, activeChannelMask;
    QImage thumbImage, thumbMask;
    QImage activeThumbImage, activeThumbMask;
};
