#include "res/painter/strips.h"

#include "res/painter/surfaces.h"
#include "res/painter/symbols.h"
#include "skin/skin_geometry.h"
#include "skin/skin_palette.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

enum class Kind { Transport, Volume, List, Title };
enum Frame { Normal = 0, Pressed = 1, Hover = 2, Disabled = 3 };

struct StripSpec
{
    const char* file;
    Symbol symbol;
    Kind kind;
    const char* label = nullptr;  // the text of the list buttons
    int lamp = -1;                // -1 none, 0 dark, 1 lit (the cycle mode)
    bool warn = false;            // the close button highlights in red
};

const StripSpec kStrips[] = {
    {"cycle-on.png", Symbol::CycleOn, Kind::Transport, nullptr, 1},
    {"next.png", Symbol::Next, Kind::Transport},
    {"play.png", Symbol::Play, Kind::Transport},
    {"previous.png", Symbol::Prev, Kind::Transport},
    {"cycle-off.png", Symbol::CycleOff, Kind::Transport, nullptr, 0},
    {"stop.png", Symbol::Stop, Kind::Transport},
    {"print.png", Symbol::Print, Kind::Transport},
    {"volume-up.png", Symbol::Plus, Kind::Volume},
    {"volume-down.png", Symbol::Minus, Kind::Volume},
    {"capture.png", Symbol::Capture, Kind::Transport},
    {"clear.png", Symbol::Clear, Kind::List, "Clear"},
    {"close.png", Symbol::Close, Kind::Title, nullptr, -1, true},
    {"import.png", Symbol::Import, Kind::List, "Import"},
    {"minimise.png", Symbol::Minimise, Kind::Title},
    {"pause.png", Symbol::Pause, Kind::Transport},
};

// Colours of a button face in one state.
struct Look
{
    QColor top, bottom, rim, ink;
    bool glow;
    qreal sink;  // the pictogram moves down when pressed
};

Look lookOf(Frame f)
{
    switch (f) {
    case Pressed: return {{28, 32, 41}, {50, 57, 73}, palette::kAccent, {186, 212, 246}, false, 1};
    case Hover:
        return {{74, 83, 106}, {45, 51, 66}, palette::kAccent, palette::kTextBright, true, 0};
    case Disabled: return {{37, 41, 51}, {32, 36, 45}, {52, 58, 72}, palette::kTextDim, false, 0};
    case Normal: break;
    }
    return {{62, 70, 89}, {37, 42, 54}, {86, 96, 121}, palette::kText, false, 0};
}

QSize frameSize(Kind kind)
{
    switch (kind) {
    case Kind::Transport: return skin::kTransportFrame;
    case Kind::Volume: return skin::kVolumeFrame;
    case Kind::List: return skin::kListFrame;
    case Kind::Title: return skin::kTitleFrame;
    }
    return {};
}

QColor faceMiddle(const Look& look)
{
    return QColor((look.top.red() + look.bottom.red()) / 2,
                  (look.top.green() + look.bottom.green()) / 2,
                  (look.top.blue() + look.bottom.blue()) / 2);
}

// A face of the given outline: drop shadow, gradient, rim, a soft sheen on the upper half
// and, when highlighted, an accent halo around it.
void paintFace(QPainter& p, const QPainterPath& outline, const Look& look)
{
    const QRectF r = outline.boundingRect();
    if (look.glow) {
        p.setPen(QPen(QColor(92, 146, 214, 90), 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(outline);
    } else {
        p.setPen(QPen(QColor(0, 0, 0, 110), 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(outline.translated(0, 1));
    }
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, look.top);
    g.setColorAt(1, look.bottom);
    p.setPen(QPen(look.rim, 1));
    p.setBrush(g);
    p.drawPath(outline);
    QLinearGradient sheen(r.topLeft(), QPointF(r.left(), r.center().y()));
    sheen.setColorAt(0, QColor(255, 255, 255, look.sink > 0 ? 0 : 26));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawPath(outline);
}

void paintLamp(QPainter& p, QPointF centre, bool lit, Frame f)
{
    const QColor on = f == Disabled ? palette::kGo.darker(260) : palette::kGo;
    const QColor colour = lit ? on : QColor(24, 27, 34);
    if (lit && f != Disabled) {
        QRadialGradient halo(centre, 4.5);
        halo.setColorAt(0, QColor(86, 196, 122, 120));
        halo.setColorAt(1, QColor(86, 196, 122, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(centre, 4.5, 4.5);
    }
    p.setPen(QPen(QColor(14, 16, 20), 0.8));
    p.setBrush(colour);
    p.drawEllipse(centre, 1.9, 1.9);
}

void paintRound(QPainter& p, const StripSpec& s, QSizeF size, Frame f)
{
    const Look look = lookOf(f);
    const QPointF c(size.width() / 2, size.height() / 2);
    const qreal radius = s.kind == Kind::Transport ? 22 : 10;
    QPainterPath circle;
    circle.addEllipse(c, radius, radius);
    paintFace(p, circle, look);
    const qreal glyph = s.kind == Kind::Transport ? 24 : 15;
    const qreal lift = s.lamp >= 0 ? 2.5 : 0;  // room for the lamp under the pictogram
    const QRectF box(c.x() - glyph / 2, c.y() - glyph / 2 - lift + look.sink, glyph, glyph);
    drawSymbol(p, s.symbol, box, look.ink, faceMiddle(look));
    if (s.lamp >= 0) {
        paintLamp(p, QPointF(c.x(), c.y() + 13.5 + look.sink), s.lamp == 1, f);
    }
}

void paintPill(QPainter& p, const StripSpec& s, QSizeF size, Frame f)
{
    const Look look = lookOf(f);
    QPainterPath pill;
    pill.addRoundedRect(QRectF(1.5, 2.5, size.width() - 3, size.height() - 5), 6, 6);
    paintFace(p, pill, look);
    // Pictogram, gap and text centred together on the face.
    const QFont font = uiFont(11, QFont::DemiBold);
    const QString label = QString::fromLatin1(s.label);
    const qreal glyph = 15, gap = 3;
    const qreal textWidth = QFontMetricsF(font).horizontalAdvance(label);
    const qreal left = qRound((size.width() - glyph - gap - textWidth) / 2);
    const qreal middle = size.height() / 2 + look.sink;
    drawSymbol(p, s.symbol, QRectF(left, middle - glyph / 2, glyph, glyph), look.ink,
               faceMiddle(look));
    p.setPen(look.ink);
    p.setFont(font);
    p.drawText(QRectF(left + glyph + gap, middle - 8, textWidth + 2, 16),
               Qt::AlignLeft | Qt::AlignVCenter, label);
}

// The minimise and close buttons are drawn without a backdrop, so their frames carry the
// title strip under them and are opaque.
void paintTitleButton(QPainter& p, const StripSpec& s, QSizeF size, Frame f, int top)
{
    p.save();
    p.translate(0, -top);
    paintTitleStrip(p, static_cast<int>(size.width()));
    p.restore();
    QColor fill = Qt::transparent;
    QColor ink = f == Disabled ? palette::kTextDim : QColor(178, 186, 200);
    if (f == Hover || f == Pressed) {
        const bool down = f == Pressed;
        fill = s.warn ? (down ? QColor(150, 40, 38) : QColor(204, 58, 52))
                      : (down ? QColor(44, 50, 64) : QColor(70, 79, 100));
        ink = down ? QColor(222, 226, 234) : palette::kTextBright;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 4, 4);
    const qreal sink = f == Pressed ? 1 : 0;
    const qreal glyph = 17;
    drawSymbol(p, s.symbol,
               QRectF((size.width() - glyph) / 2, (size.height() - glyph) / 2 + sink, glyph, glyph),
               ink, fill);
}

QImage paintStrip(const StripSpec& s)
{
    const QSize frame = frameSize(s.kind);
    QImage image = transparentImage(frame.width() * 4, frame.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (Frame f : {Normal, Pressed, Hover, Disabled}) {
        p.save();
        p.translate(f * frame.width(), 0);
        p.setClipRect(QRect(QPoint(0, 0), frame));
        switch (s.kind) {
        case Kind::Transport:
        case Kind::Volume: paintRound(p, s, frame, f); break;
        case Kind::List: paintPill(p, s, frame, f); break;
        case Kind::Title:
            paintTitleButton(p, s, frame, f, skin::button(skin::Button::Close).topLeft().y());
            break;
        }
        p.restore();
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

std::vector<Strip> paintStrips()
{
    std::vector<Strip> strips;
    for (const StripSpec& s : kStrips) {
        strips.push_back({QLatin1String(s.file), paintStrip(s)});
    }
    return strips;
}
