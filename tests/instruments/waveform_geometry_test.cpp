#include "instruments/waveform_geometry.h"

#include "telemetry/telemetry_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

// Client 664 x 188: plot 639 x 160, so q = 40 and 640 points lie one pixel apart.
const PlotRect kPlot160 = plotRectFor(664, 188);
// The player's own control: 677 x 161, plot height 133.
const PlotRect kPlotPlayer = plotRectFor(677, 161);

TEST(WaveformGeometry, PlotRectLeavesRoomForLabelsAndTexts)
{
    EXPECT_EQ(kPlot160.left, 24);
    EXPECT_EQ(kPlot160.top, 14);
    EXPECT_EQ(kPlot160.right, 663);
    EXPECT_EQ(kPlot160.bottom, 174);
    EXPECT_EQ(kPlot160.height(), 160);
    EXPECT_EQ(kPlot160.quarter(), 40);
    EXPECT_EQ(kPlotPlayer.height(), 133);
    EXPECT_EQ(kPlotPlayer.quarter(), 33);
}

TEST(WaveformGeometry, StepTurnsSparseAboveTenMinutes)
{
    EXPECT_EQ(chartStep(0), 1);
    EXPECT_EQ(chartStep(6000), 1);
    EXPECT_EQ(gPointCount(6000, chartStep(6000)), 6000);
    EXPECT_EQ(chartStep(6001), 10);
    EXPECT_EQ(gPointCount(6001, chartStep(6001)), 600);
    EXPECT_EQ(gPointCount(36000, chartStep(36000)), 3600);
}

TEST(WaveformGeometry, GCurvePointsOnA160PixelPlot)
{
    const GCurveFrame f = makeGCurveFrame(kPlot160, 640);
    EXPECT_FLOAT_EQ(f.xStep, 1.0f);
    EXPECT_FLOAT_EQ(f.yScale, 4.0f);
    EXPECT_EQ(f.mid, 94);
    EXPECT_EQ(f.X(0), 24);
    EXPECT_EQ(f.X(125), 149);
    EXPECT_EQ(f.X(639), 663);

    EXPECT_EQ(f.Y(2.0f), kPlot160.top);
    EXPECT_EQ(f.Y(1.0f), 94 - 40);
    EXPECT_EQ(f.Y(0.0f), 94);
    EXPECT_EQ(f.Y(-1.0f), 94 + 40);
    EXPECT_EQ(f.Y(-2.0f), kPlot160.bottom);
    EXPECT_EQ(f.Y(0.25f), 84);
    // Beyond the scale: drawn outside the plot, truncated toward zero (not floored).
    EXPECT_EQ(f.Y(3.0f), -26);
    EXPECT_EQ(f.Y(2.51f), -6);

    const GCurveFrame wide = makeGCurveFrame(kPlot160, 3);
    EXPECT_EQ(wide.X(1), 343);  // 639 / 2 = 319.5
    EXPECT_EQ(wide.X(2), 663);
}

TEST(WaveformGeometry, GCurveTruncatesOnAnUnevenPlot)
{
    const GCurveFrame f = makeGCurveFrame(kPlotPlayer, 2);
    EXPECT_EQ(f.mid, 14 + 66);
    EXPECT_EQ(f.Y(1.0f), 46);    // 80 - 33.25
    EXPECT_EQ(f.Y(-1.0f), 113);  // 80 + 33.25
    EXPECT_EQ(f.X(1), kPlotPlayer.right);
}

TEST(WaveformGeometry, FewerThanTwoPointsHaveNoSpread)
{
    EXPECT_EQ(curveXStep(kPlot160, 0), 0.0f);
    EXPECT_EQ(curveXStep(kPlot160, 1), 0.0f);
    EXPECT_EQ(makeSpeedCurveFrame(kPlot160, 1).X(5), kPlot160.left);
}

TEST(WaveformGeometry, SpeedCurveFollowsTheKmhLabels)
{
    const SpeedCurveFrame f = makeSpeedCurveFrame(kPlot160, 2);
    const int q = kPlot160.quarter();
    EXPECT_EQ(f.Y(0), kPlot160.bottom);
    EXPECT_EQ(f.Y(30), kPlot160.top + 3 * q);
    EXPECT_EQ(f.Y(60), kPlot160.top + 2 * q);
    EXPECT_EQ(f.Y(90), kPlot160.top + q);
    EXPECT_EQ(f.Y(120), kPlot160.top);
    EXPECT_EQ(f.Y(150), -26);
    EXPECT_EQ(f.X(1), kPlot160.right);
    EXPECT_EQ(makeSpeedCurveFrame(kPlotPlayer, 2).Y(60), 80);  // 147 - 66.5
}

TEST(WaveformGeometry, InMphTheCurveLabelsAndValueAgree)
{
    const SpeedCurveFrame f = makeSpeedCurveFrame(kPlot160, 2, SpeedUnit::Mph);
    const std::vector<ScaleLabel> labels = scaleLabels(kPlot160, true, SpeedUnit::Mph);
    ASSERT_EQ(labels.size(), 6u);
    // Each mark's label sits where the curve draws that speed, as in km/h.
    for (int mark = 0; mark < 4; ++mark) {
        EXPECT_EQ(f.Y(std::atoi(labels[mark].text)), kPlot160.top + mark * kPlot160.quarter())
            << labels[mark].text;
    }
    EXPECT_STREQ(labels[5].text, "(mph)");
    TelemetryEntry entry;
    entry.speedKmh = 100;
    EXPECT_EQ(formatValueTexts(&entry, SpeedUnit::Mph).speed, "62mph");
    EXPECT_EQ(speedIn(SpeedUnit::Mph, 161), 100);
}

TEST(WaveformGeometry, DamagedValuesStayFarOutsideButDefined)
{
    const GCurveFrame g = makeGCurveFrame(kPlot160, 2);
    const SpeedCurveFrame s = makeSpeedCurveFrame(kPlot160, 2);
    EXPECT_LT(s.Y(INT_MAX), -100000);
    EXPECT_GT(s.Y(INT_MIN), 100000);
    EXPECT_LT(g.Y(3.0e38f), -100000);
    EXPECT_LT(g.Y(std::nanf("")), -100000);
}

TEST(WaveformGeometry, CursorMovesOnePointPerStepOrPerSecond)
{
    EXPECT_EQ(cursorPoint(125, 1, false), 125);
    EXPECT_EQ(cursorPoint(125, 10, false), 12);
    EXPECT_EQ(cursorPoint(125, 1, true), 12);
    EXPECT_EQ(cursorPoint(0, 10, true), 0);
}

TEST(WaveformGeometry, SpeedAndTimeKeepTheirPlacesWhereTheyFit)
{
    // Player's plot: left 24, right 676; the places are 544 and 584.
    const BottomTextPlaces fits = placeSpeedAndTime(kPlotPlayer, 34, 92);
    EXPECT_EQ(fits.speedX, 544);
    EXPECT_EQ(fits.timeX, 584);

    // A wider time ends at the plot's right edge; the speed moves clear of it.
    const BottomTextPlaces wide = placeSpeedAndTime(kPlotPlayer, 45, 98);
    EXPECT_EQ(wide.timeX, 676 - 98);
    EXPECT_EQ(wide.speedX, 676 - 98 - kWaveTextGap - 45);

    // A wide speed alone moves only the speed.
    const BottomTextPlaces longSpeed = placeSpeedAndTime(kPlotPlayer, 60, 80);
    EXPECT_EQ(longSpeed.timeX, 584);
    EXPECT_EQ(longSpeed.speedX, 584 - kWaveTextGap - 60);
}

TEST(WaveformGeometry, TimeText)
{
    EXPECT_EQ(formatTimeText(3725, 5400), "01:02:05/01:30:00");
    EXPECT_EQ(formatTimeText(0, 0), "00:00:00/00:00:00");
    EXPECT_EQ(formatTimeText(59, 3600), "00:00:59/01:00:00");
    EXPECT_EQ(formatTimeText(359999, 36000), "99:59:59/10:00:00");
}

TEST(WaveformGeometry, ValueTexts)
{
    const ValueTexts none = formatValueTexts(nullptr);
    EXPECT_EQ(none.x, "X: 0.0000");
    EXPECT_EQ(none.y, "Y: 0.0000");
    EXPECT_EQ(none.z, "Z: 0.0000");
    EXPECT_EQ(none.speed, "0Km/H");

    TelemetryEntry entry;
    entry.gX = -1.23456f;
    entry.gY = 0.5f;
    entry.gZ = 2.0f;
    entry.speedKmh = 87;
    const ValueTexts v = formatValueTexts(&entry);
    EXPECT_EQ(v.x, "X: -1.2346");
    EXPECT_EQ(v.y, "Y: 0.5000");
    EXPECT_EQ(v.z, "Z: 2.0000");
    EXPECT_EQ(v.speed, "87Km/H");
}

}  // namespace
