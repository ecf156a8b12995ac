#include "preview.h"

#include "skin_dial.h"
#include "skin_geometry.h"
#include "skin_palette.h"
#include "surfaces.h"

#include <QPainter>
#include <QtMath>

namespace {

QImage bitmap(const std::vector<Picture>& all, int id)
{
    return findPicture(all, bitmapPath(id));
}

QImage strip(const std::vector<Picture>& all, int id)
{
    return findPicture(all, pngPath(id));
}

// Copies `image` to `at` leaving out the pixels of the colour key.
void drawKeyed(QPainter& p, QPoint at, const QImage& image)
{
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if (argb.pixelColor(x, y) == palette::kKey) {
                argb.setPixelColor(x, y, Qt::transparent);
            }
        }
    }
    p.drawImage(at, argb);
}

void drawFrame(QPainter& p, const std::vector<Picture>& all, int id, skin::Button b, int frame)
{
    const QImage s = strip(all, id);
    const int w = s.width() / 4;
    p.drawImage(skin::button(b).topLeft(), s, QRect(frame * w, 0, w, s.height()));
}

void drawButtons(QPainter& p, const std::vector<Picture>& all)
{
    using skin::Button;
    const std::pair<Button, int> buttons[] = {
        {Button::Cycle, 149},      {Button::Prev, 153},     {Button::Play, 152},
        {Button::Stop, 155},       {Button::Next, 151},     {Button::Print, 158},
        {Button::Capture, 161},    {Button::Import, 164},   {Button::Clear, 162},
        {Button::VolumeDown, 160}, {Button::VolumeUp, 159}, {Button::Minimise, 165},
        {Button::Close, 163}};
    for (const auto& [b, id] : buttons) {
        drawFrame(p, all, id, b, b == Button::Play ? 2 : 0);
    }
    for (int i = 0; i < 10; ++i) {
        p.drawImage(skin::volumeBar(i).topLeft(), bitmap(all, i < 6 ? 156 : 157));
    }
}

void drawSeekBar(QPainter& p, const std::vector<Picture>& all)
{
    const QRect bar = skin::kSeekBar;
    const int thumbCentre = 9 + 657 * 2 / 5;
    p.drawImage(bar.topLeft(), bitmap(all, 130), QRect(0, 0, thumbCentre, bar.height()));
    p.drawImage(bar.topLeft() + QPoint(thumbCentre, 0), bitmap(all, 129),
                QRect(thumbCentre, 0, bar.width() - thumbCentre, bar.height()));
    p.save();
    p.setClipRect(bar);
    drawKeyed(p, bar.topLeft() + QPoint(thumbCentre - 9, -5), bitmap(all, 131));
    p.restore();
}

void drawHeader(QPainter& p, const std::vector<Picture>& all, const QRect& list)
{
    const QImage face = bitmap(all, 136);
    p.fillRect(QRect(list.left(), list.top(), list.width(), 24), palette::kHeaderGround);
    p.drawImage(QRect(list.left() + 2, list.top(), list.width(), 24), face, QRect(0, 0, 1, 24));
    const int widths[] = {32, 140, 130};
    const char* titles[] = {"No.", "Files", "Time"};
    int left = list.left();
    p.setFont(uiFont(16));
    for (int i = 0; i < 3; ++i) {
        const QRect r(left, list.top(), widths[i], 24);
        if (i == 0) {
            p.drawImage(r.topLeft(), bitmap(all, 137), QRect(0, 0, 2, 24));
        } else {
            p.fillRect(QRect(r.left() - 1, r.top(), 2, 24), Qt::black);
            p.drawImage(QRect(r.left() + 1, r.top(), 1, 24), face, QRect(0, 0, 1, 24));
        }
        p.drawImage(QPoint(r.right() + 1 - 2, r.top()), bitmap(all, 135), QRect(0, 0, 2, 24));
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
    p.drawImage(v.topLeft(), bitmap(all, 147));
    p.drawImage(v.topLeft() + QPoint(0, 11), bitmap(all, 148));
    p.drawImage(QRect(v.left(), v.top() + 37, 12, h - 37), bitmap(all, 145));
    p.drawImage(v.topLeft() + QPoint(0, h - 37), bitmap(all, 144));
    p.drawImage(v.topLeft() + QPoint(1, h - 11), bitmap(all, 143));
    p.drawImage(v.topLeft() + QPoint(0, 36 + (h - 98) / 3), bitmap(all, 146));
}

void drawHorizontalBar(QPainter& p, const std::vector<Picture>& all)
{
    const QRect hb = skin::horizontalScrollBar(skin::kPlayList);
    const int w = hb.width();
    p.fillRect(hb, palette::kHScrollFill);
    p.drawImage(hb.topLeft(), bitmap(all, 138));
    p.drawImage(QRect(hb.left() + 26, hb.top(), w - 26, 12), bitmap(all, 140));
    p.drawImage(hb.topLeft() + QPoint(w - 26, 0), bitmap(all, 139));
    p.drawImage(hb.topLeft() + QPoint(25, 0), bitmap(all, 141));
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
    QImage square(turn.side(), turn.side(), QImage::Format_RGB888);
    square.fill(palette::kKey);
    for (int i = 0; i < turn.side(); ++i) {
        for (int j = 0; j < turn.side(); ++j) {
            const QPoint from = turn.sourceOf(i, j);
            if (arrow.rect().contains(from)) {
                square.setPixelColor(i, j, arrow.pixelColor(from));
            }
        }
    }
    drawKeyed(p, skin::kCompassOrigin, square);
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
    QImage window = findPicture(all, pngPath(150)).convertToFormat(QImage::Format_RGB32);
    QPainter p(&window);
    p.drawImage(skin::kVideo.topLeft(), findPicture(all, QStringLiteral("JPG/168.jpg")));
    drawButtons(p, all);
    drawSeekBar(p, all);
    drawWaveform(p);
    drawList(p, all);
    drawVerticalBar(p, all);
    drawHorizontalBar(p, all);
    drawNeedle(p, 88);
    drawCompass(p, bitmap(all, 169), 45.0);
    p.setPen(palette::kLabel);
    p.setFont(uiFont(12));
    p.drawText(skin::kMapHost, Qt::AlignCenter, QStringLiteral("Loading..."));
    p.end();
    return window;
}
