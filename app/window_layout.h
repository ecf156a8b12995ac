#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

#include "skin/skin_geometry.h"
#include "skin/skin_stretch.h"

// One axis of a piece of the skin: where a skin coordinate lands when the piece's bands
// take `extra` pixels between them (negative: give them back).
class StretchAxis
{
public:
    StretchAxis(std::vector<skin::Band> bands, int extra, int shift = 0);
    int map(int coordinate) const;
    // The skin's edges along this axis between `from` and `to`: where the copy changes scale.
    std::vector<int> cuts(int from, int to) const;

private:
    std::vector<skin::Band> m_bands;
    std::vector<int> m_extra;  // each band's part of the extra
    int m_shift;
};

// Where the skin's parts go in a window of any size from skin::kMinimumSize on.
class WindowLayout
{
public:
    explicit WindowLayout(QSize window);

    // A control's rectangle on the skin, in the window.
    QRect place(const QRect& skinRect) const;
    // A point on the skin (the dial's centre, say), in the window.
    QPoint place(QPoint skinPoint) const;
    // The skin's picture stretched to the window.
    QImage background(const QImage& skinPicture) const;

private:
    enum class Piece { Title, Left, Right };
    static Piece pieceOf(QPoint skinPoint);
    const StretchAxis& across(Piece piece) const;
    const StretchAxis& down(Piece piece) const;

    QSize m_size;
    StretchAxis m_titleAcross, m_leftAcross, m_rightAcross;
    StretchAxis m_titleDown, m_leftDown, m_rightDown;
};

// `picture` made `width` wide: `cap` pixels at either end as they are, the middle scaled
// across (for a bar whose middle is the same all along, such as the seek bar's channel).
QImage stretchedAcross(const QImage& picture, int width, int cap);
