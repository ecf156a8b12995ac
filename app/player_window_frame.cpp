// The player window on the desktop: its size and layout, moving and resizing the
// borderless window with the mouse, maximising.
#include "app/player_window.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

#include "app/dialog_layout.h"
#include "controls/playlist_view.h"
#include "controls/seek_slider.h"
#include "controls/skin_button.h"
#include "playback/channels_view.h"
#include "res/resources.h"
#include "skin/skin_geometry.h"

namespace {

// A press this close to the window's edge resizes it.
constexpr int kResizeMargin = 6;

const QString kSeekChannelPicture = QStringLiteral("seek-channel.png");
const QString kSeekActivePicture = QStringLiteral("seek-played.png");
constexpr int kSeekBarCap = 16;  // the channel's rounded ends and then some

// Every control the window places by the skin, by id.

Qt::CursorShape cursorFor(Qt::Edges edges)
{
    if (edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge)) {
        return Qt::SizeFDiagCursor;
    }
    if (edges == (Qt::TopEdge | Qt::RightEdge) || edges == (Qt::BottomEdge | Qt::LeftEdge)) {
        return Qt::SizeBDiagCursor;
    }
    if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
        return Qt::SizeHorCursor;
    }
    return edges ? Qt::SizeVerCursor : Qt::ArrowCursor;
}

// `start` with the edges in `edges` moved by `delta`, no smaller than `minimum`: an edge
// that would pass the minimum stops there, the opposite edge stays.
QRect resized(QRect start, Qt::Edges edges, QPoint delta, QSize minimum)
{
    QRect g = start;
    if (edges & Qt::LeftEdge) {
        g.setLeft(std::min(g.left() + delta.x(), g.right() + 1 - minimum.width()));
    }
    if (edges & Qt::RightEdge) {
        g.setRight(std::max(g.right() + delta.x(), g.left() - 1 + minimum.width()));
    }
    if (edges & Qt::TopEdge) {
        g.setTop(std::min(g.top() + delta.y(), g.bottom() + 1 - minimum.height()));
    }
    if (edges & Qt::BottomEdge) {
        g.setBottom(std::max(g.bottom() + delta.y(), g.top() - 1 + minimum.height()));
    }
    return g;
}

}  // namespace

void PlayerWindow::setUpWindowFrame()
{
    setMinimumSize(skin::kMinimumSize);
    resize(skin::kSize);
    setMouseTracking(true);  // the resize cursor over the edges
    m_windowBackground = m_layout.background(m_background);
}

void PlayerWindow::resizeEvent(QResizeEvent* e)
{
    m_layout = WindowLayout(size());
    m_windowBackground = m_layout.background(m_background);
    placeControls();
    QWidget::resizeEvent(e);
}

void PlayerWindow::placeControls()
{
    for (const QString& name : placedControls()) {
        auto* control = findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
        if (control == nullptr || (control == m_videoArea && m_videoArea->isFullScreenVideo())) {
            continue;
        }
        const QRect placed = m_layout.place(controlRect(name));
        if (control == m_seekSlider) {
            fitSeekBar(placed);
        }
        // An image button is as large as its picture, the seek bar as its channel.
        if (control == m_seekSlider || dynamic_cast<SkinButton*>(control) != nullptr) {
            control->move(placed.topLeft());
        } else if (control == m_playlistView) {
            control->setGeometry(skin::withScrollBars(placed));
        } else {
            control->setGeometry(placed);
        }
    }
    m_statusLine->setGeometry(m_layout.place(ctl::kTitleStripText));
    m_summaryLine->setGeometry(m_layout.place(ctl::kTitleStripText));
}

// The seek bar's channel is as wide as the video: its rounded ends stay as drawn.
void PlayerWindow::fitSeekBar(const QRect& placed)
{
    if (m_seekSlider->width() == placed.width()) {
        return;
    }
    m_seekSlider->setChannelPictures(
        stretchedAcross(skinPicture(kSeekChannelPicture), placed.width(), kSeekBarCap),
        stretchedAcross(skinPicture(kSeekActivePicture), placed.width(), kSeekBarCap));
}

QPoint PlayerWindow::gaugeOffset() const
{
    return m_layout.place(skin::kDialCentre) - skin::kDialCentre;
}

Qt::Edges PlayerWindow::edgesAt(QPoint pos) const
{
    if (isMaximized() || isFullScreen()) {
        return {};
    }
    Qt::Edges edges;
    if (pos.x() < kResizeMargin) {
        edges |= Qt::LeftEdge;
    }
    if (pos.x() >= width() - kResizeMargin) {
        edges |= Qt::RightEdge;
    }
    if (pos.y() < kResizeMargin) {
        edges |= Qt::TopEdge;
    }
    if (pos.y() >= height() - kResizeMargin) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

void PlayerWindow::toggleMaximised()
{
    if (isMaximized()) {
        showNormal();
    } else {
        showMaximized();
    }
}

// Nothing moves on a press: under a window manager a move started by a mere click
// follows the pointer until the next press, wherever that lands. Only a left-button
// drag of the title strip or an edge beyond the platform's drag distance moves or
// resizes the window.
void PlayerWindow::mousePressEvent(QMouseEvent* e)
{
    m_drag = {};
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        const Qt::Edges edges = edgesAt(pos);
        if (edges || (pos.y() < skin::kTitleRows && !isMaximized() && !isFullScreen())) {
            m_drag.armed = true;
            m_drag.edges = edges;
            m_drag.pressGlobal = QCursor::pos();
            m_drag.startGeometry = geometry();
        }
    } else if (e->button() == Qt::RightButton && pos.y() < skin::kTitleRows) {
        showWindowMenu(e->globalPosition().toPoint());
    }
    QWidget::mousePressEvent(e);
}

void PlayerWindow::mouseMoveEvent(QMouseEvent* e)
{
    if (!(e->buttons() & Qt::LeftButton) || !m_drag.armed) {
        setCursor(cursorFor(edgesAt(e->position().toPoint())));
        QWidget::mouseMoveEvent(e);
        return;
    }
    // The pointer as the display has it: an event's global position comes from where the
    // window was, which lags behind while it moves.
    const QPoint delta = QCursor::pos() - m_drag.pressGlobal;
    if (!m_drag.manual) {
        if (delta.manhattanLength() < QApplication::startDragDistance()) {
            return;
        }
        // Wayland lets only the compositor move and resize windows. On X11 the window
        // follows the pointer itself: a move handed to the window manager mid-drag was
        // seen to land up to a hundred pixels off (openbox).
        QWindow* window = windowHandle();
        if (window != nullptr &&
            QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
            (m_drag.edges ? window->startSystemResize(m_drag.edges) : window->startSystemMove())) {
            m_drag = {};
            return;
        }
        m_drag.manual = true;
    }
    followPointer(delta);
}

void PlayerWindow::followPointer(QPoint delta)
{
    if (m_drag.edges) {
        setGeometry(resized(m_drag.startGeometry, m_drag.edges, delta, minimumSize()));
    } else {
        move(m_drag.startGeometry.topLeft() + delta);
    }
}

void PlayerWindow::mouseReleaseEvent(QMouseEvent* e)
{
    m_drag = {};
    QWidget::mouseReleaseEvent(e);
}

void PlayerWindow::mouseDoubleClickEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton && pos.y() < skin::kTitleRows) {
        m_drag = {};
        toggleMaximised();
    } else if (m_layout.place(controlRect(ctl::kVideo)).contains(pos)) {
        toggleFullScreen();
    }
    QWidget::mouseDoubleClickEvent(e);
}
