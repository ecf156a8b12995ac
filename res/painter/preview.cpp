#include "res/painter/preview.h"

#include "res/painter/surfaces.h"
#include "skin/skin_dial.h"
#include "skin/skin_geometry.h"
#include "skin/skin_palette.h"

#include <QPainter>
#include <QtMath>

namespace {

QImage picture(const std::vector<Picture>& all, const char* file)
{
    return findPicture(all, skinPath(QLatin1String(file)));
}

void drawFrame(QPainter& p, const std::vector<Picture>& all, const char* file, skin::Button b,
               int frame)
{
    const QImage s = picture(all, file);
    const int w = s.width() / 4;
    p.drawImage(skin::button(b).topLeft(), s, QRect(frame * w, 0, w, s.height()));
}

void drawButtons(QPainter& p, const std::vector<Picture>& all)
{
    using skin::Button;
    for (const Button b : skin::kButtons) {
        drawFrame(p, all, skin::stripPicture(b), b, b == Button::Play ? 2 : 0);
    }
    for (int i = 0; i < 10; ++i) {
        p.drawImage(skin::volumeBar(i).topLeft(),
                    picture(all, i < 6 ? "volume-lit.png" : "volume-unlit.png"));
    }
}

void drawSeekBar(QPainter& p, const std::vector<Picture>& all)
{
    const QRect bar = skin::kSeekBar;
    const int thumbCentre = 9 + 657 * 2 / 5;
    p.drawImage(bar.topLeft(), picture(all, "seek-played.png"),
                QRect(0, 0, thumbCentre, bar.height()));
    p.drawImage(bar.topLeft() + QPoint(thumbCentre, 0), picture(all, "seek-channel.png"),
                QRect(thumbCentre, 0, bar.width() - thumbCentre, bar.height()));
    p.save();
    p.setClipRect(bar);
    p.drawImage(bar.topLeft() + QPoint(thumbCentre - 9, -5), picture(all, "seek-thumb.png"));
    p.restore();
}

void drawHeader(QPainter& p, const std::vector<Picture>& all, const QRect& list)
{
    const QImage face = picture(all, "header-face.png");
    p.fillRect(QRect(list.left(), list.top(), list.width(), 24), palette::kHeaderGround);
    p.drawImage(QRect(list.left() + 2, list.top(), list.width(), 24), face, QRect(0, 0, 1, 24));
    const int widths[] = {32, 140, 130};
    const char* titles[] = {"No.", "Files", "Time"};
    int left = list.left();
    p.setFont(uiFont(16));
    for (int i = 0; i < 3; ++i) {
        const QRect r(left, list.top(), widths[i], 24);
        if (i == 0) {
            p.drawImage(r.topLeft(), picture(all, "header-left-edge.png"), QRect(0, 0, 2, 24));
        } else {
            p.fillRect(QRect(r.left() - 1, r.top(), 2, 24), Qt::black);
            p.drawImage(QRect(r.left() + 1, r.top(), 1, 24), face, QRect(0, 0, 1, 24));
        }
        p.drawImage(QPoint(r.right() + 1 - 2, r.top()), picture(all, "header-right-edge.png"),
                    QRect(0, 0, 2, 24));
        p.setPen(Qt::black);
        p.drawText(r.adjusted(2, 2, -2, -2), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromLatin1(titles[i]));
        left += widths[i];
    }
}

void drawList(QPainter& p, const std::vector<Picture>& all)
{
    const QRect list = skin::kPlayList;
    p.fillRect(list, palette::kListGround);
    drawHeader(p, all, list);
    p.setFont(uiFont(12));
    for (int row = 0; row < 8; ++row) {
        const QRect r(list.left(), list.top() + 25 + row * 18, list.width(), 18);
        const bool selected = row == 2;
        if (selected) {
            p.fillRect(r, palette::kListSelectedBack);
        }
        p.setPen(selected ? palette::kListSelectedText : Qt::black);
        p.drawText(QRect(r.left(), r.top(), 32, 18), Qt::AlignCenter, QString::number(row + 1));
        p.drawText(QRect(r.left() + 36, r.top(), 136, 18), Qt::AlignVCenter,
                   QStringLiteral("20240611_0814%1.MOV").arg(row * 3, 2, 10, QLatin1Char('0')));
        p.drawText(QRect(r.left() + 176, r.top(), 130, 18), Qt::AlignVCenter,
                   QStringLiteral("2024-06-11 08:%1").arg(14 + row, 2, 10, QLatin1Char('0')));
    }
}

void drawVerticalBar(QPainter& p, const std::vector<Picture>& all)
{
    const QRect v = skin::verticalScrollBar(skin::kPlayList);
    const int h = v.height();
    p.fillRect(v, palette::kVScrollFill);
    p.drawImage(v.topLeft(), picture(all, "vscroll-top-cap.png"));
    p.drawImage(v.topLeft() + QPoint(0, 11), picture(all, "vscroll-up.png"));
    p.drawImage(QRect(v.left(), v.top() + 37, 12, h - 37), picture(all, "vscroll-channel.png"));
    p.drawImage(v.topLeft() + QPoint(0, h - 37), picture(all, "vscroll-down.png"));
    p.drawImage(v.topLeft() + QPoint(1, h - 11), picture(all, "vscroll-bottom-cap.png"));
    p.drawImage(v.topLeft() + QPoint(0, 36 + (h - 98) / 3), picture(all, "vscroll-thumb.png"));
}

void drawHorizontalBar(QPainter& p, const std::vector<Picture>& all)
{
    const QRect hb = skin::horizontalScrollBar(skin::kPlayList);
    const int w = hb.width();
    p.fillRect(hb, palette::kHScrollFill);
    p.drawImage(hb.topLeft(), picture(all, "hscroll-left.png"));
    p.drawImage(QRect(hb.left() + 26, hb.top(), w - 26, 12), picture(all, "hscroll-channel.png"));
    p.drawImage(hb.topLeft() + QPoint(w - 26, 0), picture(all, "hscroll-right.png"));
    p.drawImage(hb.topLeft() + QPoint(25, 0), picture(all, "hscroll-thumb.png"));
}

void drawNeedle(QPainter& p, int kmh)
{
    p.setPen(QPen(QColor(255, 0, 0), 2));
    p.drawLine(skin::kDialCentre, skin::needleEnd(kmh, skin::kKmhScale.kmhPerUnit));
    p.fillRect(skin::kSpeedText, palette::kDialFace);
    p.setPen(palette::kLabel);
    p.setFont(uiFont(12));
    p.drawText(skin::kSpeedText, Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("%1Km/H").arg(kmh));
}

// The arrow turned as the player turns it: pixel by pixel into a 72 x 72 square.
void drawCompass(QPainter& p, const QImage& arrow, double heading)
{
    const skin::ArrowTurn turn(arrow.size(), heading);
    QImage square(turn.side(), turn.side(), QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    for (int i = 0; i < turn.side(); ++i) {
        for (int j = 0; j < turn.side(); ++j) {
            const QPoint from = turn.sourceOf(i, j);
            if (arrow.rect().contains(from)) {
                square.setPixelColor(i, j, arrow.pixelColor(from));
            }
        }
    }
    p.drawImage(skin::kCompassOrigin, square);
}

void drawWaveform(QPainter& p)
{
    const QRect c = skin::kWaveform;
    const QRect plot(QPoint(c.left() + 24, c.top() + 14), QPoint(c.right() - 1, c.bottom() - 14));
    p.fillRect(c, palette::kWaveGround);
    p.fillRect(plot, palette::kWavePlot);
    p.setPen(palette::kWaveGrid);
    p.drawRect(plot);
    p.drawLine(plot.left(), plot.center().y(), plot.right(), plot.center().y());
    const QColor pens[] = {Qt::white, QColor(255, 0, 0), QColor(0, 255, 0)};
    for (int axis = 0; axis < 3; ++axis) {
        p.setPen(pens[axis]);
        QPolygon line;
        for (int x = plot.left(); x <= plot.right(); x += 3) {
            const double v = 0.3 * std::sin(x / (17.0 + 9 * axis) + axis) + (axis == 2 ? 0.5 : 0);
            line << QPoint(x, plot.center().y() - static_cast<int>(v * plot.height() / 4));
        }
        p.drawPolyline(line);
    }
}

}  // namespace

QImage composePreview(const std::vector<Picture>& all)
{
    QImage window = findPicture(all, skinPath(QStringLiteral("skin.png")))
                        .convertToFormat(QImage::Format_RGB32);
    QPainter p(&window);
    p.drawImage(skin::kVideo.topLeft(), picture(all, "idle.jpg"));
    drawButtons(p, all);
    drawSeekBar(p, all);
    drawWaveform(p);
    drawList(p, all);
    drawVerticalBar(p, all);
    drawHorizontalBar(p, all);
    drawNeedle(p, 88);
    drawCompass(p, picture(all, "compass-arrow.png"), 45.0);
    p.setPen(palette::kLabel);
    p.setFont(uiFont(12));
    p.drawText(skin::kMapHost, Qt::AlignCenter, QStringLiteral("Loading..."));
    p.end();
    return window;
}
