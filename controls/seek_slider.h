#pragma once

#include <QAbstractSlider>
#include <QColor>
#include <QImage>
#include <QMargins>
#include <QRect>

#include <vector>

#include <map>
#include <vector>

class QPainter;

// A mark on the seek bar at a value, drawn as a line across the channel in its colour.
struct SeekTick
{
    int value = 0;
    QColor colour;
};

// Horizontal slider drawn from a channel and a thumb picture, each with a second picture:
// the channel's left of the thumb (the played part), the thumb's while it is held. The
// value is whatever unit the owner chooses (the player's seek bar: milliseconds).
// A press jumps the thumb's centre to the pointer unless it lands on the thumb, which then
// keeps its grip; the keys step down with Left, Up and Page Up and up with Right, Down and
// Page Down, each as an action (actionTriggered; a drag's moves are SliderMove actions).
class SeekSlider : public QAbstractSlider
{
    Q_OBJECT

public:
    explicit SeekSlider(QWidget* parent = nullptr);

    // The control takes the channel's size; a null channel leaves nothing to draw, a null
    // second picture means none.
    void setChannelPictures(const QImage& channel, const QImage& played);
    void setThumbPictures(const QImage& thumb, const QImage& held);
    // The thumb's travel inside the channel; its top is drawn at the top margin.
    void setMargins(const QMargins& margins);
    // A dotted frame, drawn by inversion, while the slider has the keyboard focus.
    void setFocusFrame(bool show);
    // The ticks of one kind (marks, events ...), replacing that kind's earlier ones; each
    // kind keeps its own, drawn under the thumb in the order of their kinds.
    void setTicks(int kind, std::vector<SeekTick> ticks);
    const std::vector<SeekTick>& ticks(int kind) const;
    // Where a value's tick is drawn, in the control's pixels.
    QRect tickRect(int value) const;

    // Thumb centre for a value and back; both rest at the left end when the range or the
    // travel is empty.
    int positionToPixel(int value) const;
    int pixelToPosition(int x) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void dragTo(int x);
    int thumbTravel() const;
    void drawChannel(QPainter& painter) const;
    void drawTicks(QPainter& painter) const;

    QImage m_channel;
    QImage m_played;
    QImage m_thumb;
    QImage m_heldThumb;
    QMargins m_margins;
    std::map<int, std::vector<SeekTick>> m_ticks;
    int m_dragOffset = 0;
    bool m_showFocusFrame = true;
};
