#include "res/painter/skin.h"

#include "res/painter/gauges.h"
#include "res/painter/surfaces.h"
#include "skin/skin_dial.h"
#include "skin/skin_geometry.h"
#include "skin/skin_palette.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

// A dark well exactly one pixel outside a control's rectangle.
void paintWell(QPainter& p, const QRect& control, const QColor& inside)
{
    const QRect frame = control.adjusted(-1, -1, 1, 1);
    p.fillRect(frame, palette::kRecessEdge);
    p.fillRect(control, inside);
}

void paintBackground(QPainter& p)
{
    QLinearGradient g(0, 0, 0, skin::kSize.height());
    g.setColorAt(0, palette::kBase);
    g.setColorAt(1, palette::kBaseLow);
    p.fillRect(QRect(QPoint(0, 0), skin::kSize), g);
}

void paintLogo(QPainter& p, const QRectF& box)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    p.setPen(QPen(palette::kAccent, 1.6));
    p.setBrush(QColor(24, 28, 36));
    p.drawEllipse(c, r - 1, r - 1);
    p.setPen(QPen(palette::kLabel, 1.2));
    p.drawArc(QRectF(c.x() - r + 4, c.y() - r + 4, 2 * r - 8, 2 * r - 8), -50 * 16, 280 * 16);
    p.setPen(QPen(palette::kWarn, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(r * 0.45, -r * 0.45));
    p.restore();
}

void paintTitle(QPainter& p)
{
    paintTitleStrip(p, skin::kSize.width());
    p.setPen(palette::kTitleLine);
    p.drawLine(0, skin::kTitleRows, skin::kSize.width() - 1, skin::kTitleRows);
    // A faint highlight along the top edge.
    p.setPen(QColor(70, 78, 98));
    p.drawLine(0, 0, skin::kSize.width() - 1, 0);
    paintLogo(p, QRectF(8, 5, 19, 19));
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(uiFont(13, QFont::DemiBold));
    p.setPen(palette::kText);
    p.drawText(QRect(34, 0, 400, skin::kTitleRows), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Dashcam Player"));
}

// The left column's panels all span the video's width plus a three-pixel margin.
QRect leftColumn(int top, int bottom)
{
    const QRect video = skin::kVideo;
    return QRect(QPoint(video.left() - 3, top), QPoint(video.right() + 3, bottom));
}

QRect unite(skin::Button first, skin::Button last)
{
    return skin::button(first).united(skin::button(last));
}

// The control deck under the video: the volume group, the transport group and the tools.
void paintDeck(QPainter& p)
{
    using skin::Button;
    const QRect play = skin::button(Button::Play);
    paintPanel(p, leftColumn(play.top() - 6, play.bottom() + 7), 6);
    const QRect volume = unite(Button::VolumeDown, Button::VolumeUp)
                             .united(skin::volumeBar(0))
                             .adjusted(-6, -6, 6, 6);
    paintRecess(p, volume, 8);
    paintRecess(p, unite(Button::Cycle, Button::Next).adjusted(-5, -3, 5, 3), 12);
    paintRecess(p, unite(Button::Print, Button::Capture).adjusted(-5, -3, 5, 3), 12);
}

// The seek bar and the waveform share one well.
void paintTimeline(QPainter& p)
{
    const QRect seek = skin::kSeekBar;
    const QRect wave = skin::kWaveform;
    paintRecess(p, leftColumn(seek.top() - 3, wave.bottom() + 3), 4);
    paintWell(p, wave, palette::kWaveGround);
}

void paintListArea(QPainter& p)
{
    const QRect list = skin::kPlayList;
    const QRect bars = skin::verticalScrollBar(list).united(skin::horizontalScrollBar(list));
    paintWell(p, list.united(bars), palette::kListGround);
    // Caption beside the Import and Clear buttons.
    const QRect clear = skin::button(skin::Button::Clear);
    QFont caption = uiFont(11, QFont::Bold);
    caption.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    p.setFont(caption);
    p.setPen(palette::kLabel);
    p.drawText(QRect(clear.right() + 8, clear.top(), list.right() + 12 - clear.right() - 8,
                     clear.height()),
               Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("PLAY LIST"));
}

void paintMapArea(QPainter& p)
{
    const QRect map = skin::kMapHost;
    paintWell(p, map, QColor(13, 15, 19));
    // A faint street grid until the map page covers it.
    p.save();
    p.setClipRect(map);
    p.setPen(QColor(22, 25, 32));
    for (int x = map.left() + 20; x < map.right(); x += 40) {
        p.drawLine(x, map.top(), x, map.bottom());
    }
    for (int y = map.top() + 20; y < map.bottom(); y += 40) {
        p.drawLine(map.left(), y, map.right(), y);
    }
    p.restore();
}

void paintDashboard(QPainter& p, const skin::SpeedScale& scale)
{
    const QRect map = skin::kMapHost;
    const QRect panel(map.left() - 2, map.bottom() + 5, map.width() + 4,
                      skin::kSize.height() - map.bottom() - 8);
    paintPanel(p, panel, 6);
    paintSpeedometer(p, skin::kDialCentre, scale);
    paintCompassRose(p, skin::kCompassCentre);
    // Under the speed text the face is the text's own background colour already.
    p.fillRect(skin::kSpeedText, palette::kDialFace);
}

}  // namespace

QImage paintSkin(const skin::SpeedScale& scale)
{
    QImage picture(skin::kSize, QImage::Format_RGB32);
    QPainter p(&picture);
    paintBackground(p);
    paintTitle(p);
    const QRect video = skin::kVideo;
    paintRecess(p, leftColumn(video.top() - 3, video.bottom() + 3), 4);
    paintWell(p, video, Qt::black);
    paintDeck(p);
    paintTimeline(p);
    paintListArea(p);
    paintMapArea(p);
    paintDashboard(p, scale);
    p.end();
    return picture.convertToFormat(QImage::Format_RGB888);
}

QImage paintMphDial()
{
    return paintSkin(skin::kMphScale).copy(skin::kDialPicture);
}
