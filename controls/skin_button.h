#pragma once

#include <QAbstractButton>
#include <QImage>

#include <vector>

// Push button drawn from a PNG strip of four frames (normal, pressed, highlighted,
// disabled) over the piece of the owner's skin that lies under it; lights up while the
// mouse is over it.
class SkinButton : public QAbstractButton
{
public:
    explicit SkinButton(QWidget* parent = nullptr);

    // The owner's skin, drawn under the frame; not owned, may be null.
    void setBackdrop(const QImage* skin);
    // The strip of four frames. The first call sizes the button to one frame keeping its
    // top-left corner; later calls keep the size and redraw the frame that was showing. A
    // null image stands for a missing picture.
    void setImage(const QImage& strip);

    int shownFrame() const { return m_frames.back(); }
    int frameWidth() const { return m_frameWidth; }
    bool isHovering() const { return m_hovering; }

protected:
    // Leaving, the focus, enabling and showing change the frame shown.
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Paints frame k (0..3) over the backdrop.
    void drawFrame(QPainter& painter, int k) const;
    // Shows these frames, one over the other, at once.
    void showFrames(std::vector<int> list);
    // The frames the button's state asks for: focus (and pressed), disabled, or normal.
    std::vector<int> stateFrames() const;
    void ownerDraw();
    void resetToNormal();

    int m_frameWidth = 0;
    QImage m_image;
    const QImage* m_backdrop = nullptr;
    bool m_hovering = false;
    std::vector<int> m_frames{0};  // what the last drawing put on screen, bottom first; never empty
};
