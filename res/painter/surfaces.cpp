#include "res/painter/surfaces.h"

#include "skin/skin_geometry.h"
#include "skin/skin_palette.h"

#include <QLinearGradient>
#include <QPainter>

void paintTitleStrip(QPainter& p, int width)
{
    QLinearGradient g(0, 0, 0, skin::kTitleRows);
    g.setColorAt(0, palette::kTitleTop);
    g.setColorAt(1, palette::kTitleBottom);
    p.fillRect(QRect(0, 0, width, skin::kTitleRows), g);
}

void paintPanel(QPainter& p, const QRectF& r, qreal radius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, palette::kPanel.lighter(108));
    g.setColorAt(1, palette::kPanel);
    p.setPen(QPen(palette::kPanelEdge, 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
}

void paintRecess(QPainter& p, const QRectF& r, qreal radius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette::kRecessEdge, 1));
    p.setBrush(palette::kRecess);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
}

QFont uiFont(int pixelSize, QFont::Weight weight)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage hardEdged(const QImage& argb, const QColor& matte)
{
    const QImage source = argb.convertToFormat(QImage::Format_ARGB32);
    QImage out(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int a = qAlpha(row[x]);
            if (a < 128) {
                out.setPixelColor(x, y, Qt::transparent);
                continue;
            }
            auto mix = [a](int over, int under) { return (over * a + under * (255 - a)) / 255; };
            out.setPixelColor(x, y,
                              QColor(mix(qRed(row[x]), matte.red()),
                                     mix(qGreen(row[x]), matte.green()),
                                     mix(qBlue(row[x]), matte.blue())));
        }
    }
    return out;
}
