#include <gtest/gtest.h>

#include <QImage>

#include "app/dialog_layout.h"
#include "app/gauges.h"

namespace {

// A 20 x 72 arrow whose every pixel is distinct, so any misplaced copy shows.
QImage numberedArrow()
{
    QImage arrow(20, 72, QImage::Format_RGB32);
    for (int y = 0; y < arrow.height(); ++y) {
        for (int x = 0; x < arrow.width(); ++x) {
            arrow.setPixel(x, y, qRgb(x * 10, y * 3, 7));
        }
    }
    return arrow;
}

TEST(SpeedNeedle, EndsAtTheDialMarks)
{
    EXPECT_EQ(gauges::needleEnd(0), QPoint(738, 716));
    EXPECT_EQ(gauges::needleEnd(260), QPoint(814, 716));
    EXPECT_EQ(gauges::needleEnd(130), QPoint(776, 634));
    EXPECT_EQ(gauges::needleEnd(120), QPoint(768, 635));
}

TEST(SpeedNeedle, SpeedsOutsideTheScaleShowAsZero)
{
    EXPECT_EQ(gauges::clampSpeed(300), 0);
    EXPECT_EQ(gauges::clampSpeed(-1), 0);
    EXPECT_EQ(gauges::clampSpeed(261), 0);
    EXPECT_EQ(gauges::clampSpeed(260), 260);
    EXPECT_EQ(gauges::needleEnd(300), gauges::needleEnd(0));
}

TEST(SpeedNeedle, AFaceInMphTurnsByItsOwnMarks)
{
    gauges::DialFace mph;
    mph.marks = SpeedUnit::Mph;
    mph.degreesPerUnit = 1.5;
    EXPECT_EQ(gauges::needleEnd(161, mph), gauges::needleEnd(150));  // 100 mph, 150 degrees
    EXPECT_EQ(gauges::needleEnd(0, mph), gauges::needleEnd(0));
    // The committed mph face marks each speed where its km/h reading points.
    const gauges::DialFace face = gauges::dialFor(SpeedUnit::Mph);
    EXPECT_FALSE(face.picture.isEmpty());
    for (int kmh = 0; kmh <= 260; kmh += 10) {
        EXPECT_LE((gauges::needleEnd(kmh, face) - gauges::needleEnd(kmh)).manhattanLength(), 2)
            << kmh;
    }
}

TEST(Compass, HeadingZeroMirrorsTheArrowIntoTheSquare)
{
    const QImage arrow = numberedArrow();
    const QImage square = gauges::rotateArrow(arrow, 0.0);
    ASSERT_EQ(square.size(), QSize(72, 72));
    const int offX = (72 - 20) / 2;
    for (int k = 0; k + 1 < 20; ++k) {
        for (int r = 0; r < 72; r += 7) {
            EXPECT_EQ(square.pixel(offX + 1 + k, r), arrow.pixel(20 - 1 - k, r)) << k << "," << r;
        }
    }
    EXPECT_EQ(qAlpha(square.pixel(0, 0)), 0) << "outside the arrow stays transparent";
}

TEST(Compass, HalfTurnAndWholeTurnsAreReduced)
{
    const QImage arrow = numberedArrow();
    EXPECT_EQ(gauges::rotateArrow(arrow, 450.0), gauges::rotateArrow(arrow, 90.0));
    EXPECT_EQ(gauges::rotateArrow(arrow, 90.7), gauges::rotateArrow(arrow, 90.0))
        << "whole degrees only";
    const QImage zero = gauges::rotateArrow(arrow, 0.0);
    const QImage half = gauges::rotateArrow(arrow, 180.0);
    // Turned half a revolution about the square's centre. In the quadrant where the tiny
    // sine of 3.1415926 lifts every coordinate above a whole number, (i, j) comes from
    // exactly (72 - i, 72 - j) of the heading-0 picture.
    int opaque = 0;
    int matches = 0;
    for (int j = 37; j < 72; ++j) {
        for (int i = 1; i <= 36; ++i) {
            if (qAlpha(half.pixel(i, j)) != 0) {
                ++opaque;
                matches += half.pixel(i, j) == zero.pixel(72 - i, 72 - j) ? 1 : 0;
            }
        }
    }
    EXPECT_GT(opaque, 300);
    EXPECT_EQ(matches, opaque);
}

TEST(Compass, ClearStaysClear)
{
    QImage arrow(20, 72, QImage::Format_ARGB32);
    arrow.fill(Qt::transparent);
    arrow.setPixel(10, 10, qRgb(1, 2, 3));
    const QImage square = gauges::rotateArrow(arrow, 0.0);
    int opaque = 0;
    for (int j = 0; j < 72; ++j) {
        for (int i = 0; i < 72; ++i) {
            opaque += qAlpha(square.pixel(i, j)) != 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(opaque, 1);
}

TEST(DialogLayout, ControlsTakeTheirPlaceOnTheSkin)
{
    EXPECT_EQ(controlRect(ctl::kSeekBar), QRect(9, 590, 675, 9));
    EXPECT_EQ(controlRect(ctl::kVideo), QRect(7, 37, 679, 479));
    EXPECT_EQ(controlRect(ctl::volumeBar(0)), QRect(51, 544, 4, 20)) << "the whole bar picture";
    EXPECT_EQ(controlRect(ctl::volumeBar(9)).left(), 114);  // 29 + 36 units, rounded half up
    EXPECT_EQ(controlRect(ctl::kClose), QRect(991, 5, 22, 21));
    EXPECT_TRUE(controlRect(QStringLiteral("noSuchControl")).isEmpty());
}

}  // namespace
