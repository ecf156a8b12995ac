// The check that the committed pictures are what the painter draws: it forgives the level
// or two by which anti-aliased edges come out on another CPU, and nothing a real change of
// the drawing does.

#include "res/painter/pictures.h"
#include "res/resources.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

// A one-pixel-wide anti-aliased stroke, as faint as the map area's street grid.
QImage withStroke(const QImage& picture, QPointF from, QPointF to, QColor colour)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 1));
    p.drawLine(from, to);
    return out;
}

bool passes(const Picture& stored, const Picture& drawn)
{
    return withinTolerance(comparePictures(asStored(stored), asStored(drawn)),
                           storedTolerance(stored));
}

// Every `step`-th pixel two levels off, as another CPU's blending leaves edges.
QImage withNoise(const QImage& picture, int step)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int i = 0, k = 0; i < out.width() * out.height(); i += step, ++k) {
        const int x = i % out.width(), y = i / out.width();
        const QRgb c = out.pixel(x, y);
        const int d = k % 2 ? 2 : -2;
        auto level = [d](int v) { return v + d < 0 || v + d > 255 ? v - d : v + d; };
        out.setPixel(x, y, qRgb(level(qRed(c)), level(qGreen(c)), level(qBlue(c))));
    }
    return out;
}

}  // namespace

TEST(PictureTolerance, AStrokeMovedByOnePixelIsAChange)
{
    const QImage skin(skinResourcePath(QStringLiteral("skin.png")));
    const QImage idle(skinResourcePath(QStringLiteral("idle.jpg")));
    ASSERT_FALSE(skin.isNull());
    ASSERT_FALSE(idle.isNull());
    const QColor faint(22, 25, 32);
    for (const auto& [path, picture] : {std::pair(skinPath(QStringLiteral("skin.png")), skin),
                                        std::pair(skinPath(QStringLiteral("idle.jpg")), idle)}) {
        SCOPED_TRACE(path.toStdString());
        const Picture here{path, withStroke(picture, {60, 40}, {300, 200}, faint)};
        const Picture moved{path, withStroke(picture, {61, 40}, {301, 200}, faint)};
        EXPECT_TRUE(passes(here, here));
        EXPECT_FALSE(passes(here, moved));
        EXPECT_FALSE(passes(here, {path, picture})) << "the stroke left out";
    }
}

TEST(PictureTolerance, EdgeNoiseOfAnotherCpuPassesAndAWholeSurfaceShiftDoesNot)
{
    const QImage skin(skinResourcePath(QStringLiteral("skin.png")));
    const Picture stored{skinPath(QStringLiteral("skin.png")), skin};
    // 0.5 % of the pixels, the noise seen on another CPU being 17 pixels of 786432.
    EXPECT_TRUE(passes(stored, {stored.path, withNoise(skin, 200)}));
    EXPECT_FALSE(passes(stored, {stored.path, withNoise(skin, 50)})) << "2 % of the pixels";
    // A few pixels of the smallest pictures, a dozen pixels, are still noise.
    const QImage cap(skinResourcePath(QStringLiteral("vscroll-channel.png")));
    EXPECT_TRUE(passes({skinPath(QStringLiteral("vscroll-channel.png")), cap},
                       {skinPath(QStringLiteral("vscroll-channel.png")), withNoise(cap, 5)}));
}
