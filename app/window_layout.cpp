#include "app/window_layout.h"

#include <QPainter>

#include <algorithm>
#include <numeric>

#include "skin/skin_geometry.h"

StretchAxis::StretchAxis(std::vector<skin::Band> bands, int extra, int shift)
    : m_bands(std::move(bands)), m_shift(shift)
{
    const int weights =
        std::accumulate(m_bands.begin(), m_bands.end(), 0,
                        [](int sum, const skin::Band& b) { return sum + b.weight; });
    int given = 0;
    for (size_t i = 0; i < m_bands.size(); ++i) {
        // The last band takes what rounding leaves.
        const int part =
            i + 1 == m_bands.size() ? extra - given : extra * m_bands[i].weight / weights;
        m_extra.push_back(part);
        given += part;
    }
}

int StretchAxis::map(int coordinate) const
{
    int moved = m_shift;
    for (size_t i = 0; i < m_bands.size(); ++i) {
        const skin::Band& band = m_bands[i];
        if (coordinate >= band.end) {
            moved += m_extra[i];
        } else if (coordinate > band.begin) {
            const int length = band.end - band.begin;
            moved += (coordinate - band.begin) * m_extra[i] / length;
        }
    }
    return coordinate + moved;
}

std::vector<int> StretchAxis::cuts(int from, int to) const
{
    std::vector<int> edges{from, to};
    for (const skin::Band& band : m_bands) {
        for (int edge : {band.begin, band.end}) {
            if (edge > from && edge < to) {
                edges.push_back(edge);
            }
        }
    }
    std::sort(edges.begin(), edges.end());
    return edges;
}

namespace {

constexpr int kTitleHeight = skin::kTitleRows + 1;  // with the light line closing it

}  // namespace

WindowLayout::WindowLayout(QSize window)
    : m_size(window.expandedTo(skin::kMinimumSize)),
      m_titleAcross({skin::kTitleAcross}, m_size.width() - skin::kSize.width()),
      m_leftAcross({skin::kLeftAcross}, m_size.width() - skin::kSize.width()),
      m_rightAcross({}, 0, m_size.width() - skin::kSize.width()),
      m_titleDown({}, 0),
      m_leftDown({skin::kVideoDown, skin::kChartDown}, m_size.height() - skin::kSize.height()),
      m_rightDown({skin::kMapDown}, m_size.height() - skin::kSize.height())
{}

WindowLayout::Piece WindowLayout::pieceOf(QPoint skinPoint)
{
    if (skinPoint.y() < kTitleHeight) {
        return Piece::Title;
    }
    return skinPoint.x() < skin::kColumnSplit ? Piece::Left : Piece::Right;
}

const StretchAxis& WindowLayout::across(Piece piece) const
{
    switch (piece) {
    case Piece::Title: return m_titleAcross;
    case Piece::Left: return m_leftAcross;
    case Piece::Right: break;
    }
    return m_rightAcross;
}

const StretchAxis& WindowLayout::down(Piece piece) const
{
    switch (piece) {
    case Piece::Title: return m_titleDown;
    case Piece::Left: return m_leftDown;
    case Piece::Right: break;
    }
    return m_rightDown;
}

QRect WindowLayout::place(const QRect& skinRect) const
{
    const Piece piece = pieceOf(skinRect.topLeft());
    const StretchAxis& x = across(piece);
    const StretchAxis& y = down(piece);
    const QPoint topLeft(x.map(skinRect.left()), y.map(skinRect.top()));
    const QPoint end(x.map(skinRect.left() + skinRect.width()),
                     y.map(skinRect.top() + skinRect.height()));
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
}

QPoint WindowLayout::place(QPoint skinPoint) const
{
    const Piece piece = pieceOf(skinPoint);
    return {across(piece).map(skinPoint.x()), down(piece).map(skinPoint.y())};
}

// Cell by cell: cells outside the bands are copied pixel for pixel, cells in a band are
// scaled without smoothing (a band is the same all along, so nothing blurs).
QImage WindowLayout::background(const QImage& skinPicture) const
{
    QImage picture(m_size, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    const QRect pieces[] = {
        {0, 0, skin::kSize.width(), kTitleHeight},
        {0, kTitleHeight, skin::kColumnSplit, skin::kSize.height() - kTitleHeight},
        {skin::kColumnSplit, kTitleHeight, skin::kSize.width() - skin::kColumnSplit,
         skin::kSize.height() - kTitleHeight}};
    for (const QRect& piece : pieces) {
        const Piece which = pieceOf(piece.topLeft());
        const StretchAxis& x = across(which);
        const StretchAxis& y = down(which);
        const std::vector<int> columns = x.cuts(piece.left(), piece.left() + piece.width());
        const std::vector<int> rows = y.cuts(piece.top(), piece.top() + piece.height());
        for (size_t r = 0; r + 1 < rows.size(); ++r) {
            for (size_t c = 0; c + 1 < columns.size(); ++c) {
                const QRect source(QPoint(columns[c], rows[r]),
                                   QPoint(columns[c + 1] - 1, rows[r + 1] - 1));
                const QRect target(QPoint(x.map(columns[c]), y.map(rows[r])),
                                   QPoint(x.map(columns[c + 1]) - 1, y.map(rows[r + 1]) - 1));
                painter.drawImage(target, skinPicture, source);
            }
        }
    }
    return picture;
}

QImage stretchedAcross(const QImage& picture, int width, int cap)
{
    if (picture.isNull() || width == picture.width() || width < 2 * cap + 1 ||
        picture.width() < 2 * cap + 1) {
        return picture;
    }
    QImage out(width, picture.height(), picture.format());
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const int h = picture.height();
    painter.drawImage(QPoint(0, 0), picture, QRect(0, 0, cap, h));
    painter.drawImage(QRect(cap, 0, width - 2 * cap, h), picture,
                      QRect(cap, 0, picture.width() - 2 * cap, h));
    painter.drawImage(QPoint(width - cap, 0), picture, QRect(picture.width() - cap, 0, cap, h));
    return out;
}
