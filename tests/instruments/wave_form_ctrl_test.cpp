#include "wave_form_ctrl.h"

#include "assist_info_reader.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

namespace {

// Client 824 x 188: plot 799 x 160 (q = 40), so 800 entries lie one pixel apart:
// entry i is drawn at x = 24 + i; +1 g at y = 54, 0 g at 94, -1 g at 134, -2 g at 174.
constexpr int kWidth = 824;
constexpr int kHeight = 188;
constexpr int kSamples = 80;
const PlotRect kPlot = PlotRectFor(kWidth, kHeight);

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kPlotColor = qRgb(19, 19, 19);
constexpr QRgb kGridColor = qRgb(32, 37, 42);

tagAssistInfo Sample(float x, float y, float z, int speed = 0)
{
    tagAssistInfo s;
    s.fX = x;
    s.fY = y;
    s.fZ = z;
    s.nSpeed = speed;
    return s;
}

// x in the middle of sample k's ten points, away from the jumps between samples.
int MidOfSample(int k)
{
    return kPlot.left + k * 10 + 5;
}

class WaveFormCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wave.resize(kWidth, kHeight);
        wave.SetSource(&table);
    }

    // Sample k = make(k), for kSamples samples, then Reload.
    void Load(const std::function<tagAssistInfo(int)>& make, int samples = kSamples)
    {
        table.Clear();
        for (int k = 0; k < samples; ++k)
            table.AppendSample(make(k));
        wave.Reload();
    }

    QImage Render() { return wave.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    static QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y); }

    // The value texts X, Y, Z and the speed, without the time text.
    static QImage ValueStrip(const QImage& image)
    {
        return image.copy(kPlot.left + 200, kPlot.bottom, 380, kHeight - kPlot.bottom);
    }

    static int CountColor(const QImage& image, const QRect& area, QRgb color)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += At(image, x, y) == color;
        return n;
    }

    static QRect PlotInterior() { return QRect(kPlot.left + 1, kPlot.top + 1, kPlot.Width() - 1, kPlot.Height() - 1); }

    CAssistInfoReader table;
    CWaveFormCtrl wave;
};

TEST_F(WaveFormCtrlTest, NewControlShowsScaleWithoutCursor)
{
    const QImage image = Render();
    EXPECT_EQ(At(image, 2, kHeight - 1), qRgb(10, 10, 10));
    EXPECT_EQ(At(image, 400, 30), kPlotColor);
    EXPECT_EQ(At(image, kPlot.left, 30), kGridColor);  // left edge, no cursor over it
    EXPECT_EQ(At(image, 400, kPlot.top), kGridColor);
    EXPECT_EQ(At(image, 400, kPlot.bottom), kGridColor);
    EXPECT_EQ(At(image, 400, kPlot.top + 80), kGridColor);
    EXPECT_EQ(CountColor(image, PlotInterior(), kWhite), 0);
    EXPECT_EQ(wave.GetCursorIndex(), -1);
}

TEST_F(WaveFormCtrlTest, DrawsTheThreeAxesOnTheirScale)
{
    Load([](int k) { return k == 10 ? Sample(-2.0f, -1.0f, 0.5f) : Sample(1.0f, -1.0f, 0.5f); });
    ASSERT_EQ(wave.GetEntryCount(), 800);
    ASSERT_EQ(wave.GetStep(), 1);
    const QImage image = Render();
    for (int k : {1, 5, 40, 79}) {
        SCOPED_TRACE(k);
        EXPECT_EQ(At(image, MidOfSample(k), 54), kWhite);  // +1 g: 40 px above the centre
        EXPECT_EQ(At(image, MidOfSample(k), 134), kRed);   // -1 g
        EXPECT_EQ(At(image, MidOfSample(k), 74), kGreen);  // +0.5 g
    }
    EXPECT_EQ(At(image, MidOfSample(10), kPlot.bottom), kWhite);  // -2 g on the bottom edge
    EXPECT_NE(At(image, MidOfSample(10), 54), kWhite);
    // Reload puts the cursor on the first entry.
    EXPECT_EQ(At(image, kPlot.left, 30), kGreen);
}

TEST_F(WaveFormCtrlTest, ChartsEveryTenthEntryAboveTenMinutes)
{
    auto flat = [](int) { return Sample(0.0f, 0.0f, 0.0f); };
    Load(flat, 600);
    EXPECT_EQ(wave.GetEntryCount(), 6000);
    EXPECT_EQ(wave.GetStep(), 1);
    Load(flat, 601);
    EXPECT_EQ(wave.GetEntryCount(), 6010);
    EXPECT_EQ(wave.GetStep(), 10);
    // The sparse cursor moves one point per ten entries: entry 6000 is point 600, the right edge.
    wave.SetCursor(6000);
    EXPECT_EQ(At(Render(), kPlot.right, 30), kGreen);
}

TEST_F(WaveFormCtrlTest, SetCursorAcceptsOnlyZeroToEntryCount)
{
    Load([](int k) { return Sample(0.1f * (k % 7), -0.2f, 0.3f, k); });
    wave.SetCursor(125);
    EXPECT_EQ(wave.GetCursorIndex(), 125);
    const QImage at125 = Render();
    EXPECT_EQ(At(at125, kPlot.left + 125, kPlot.top), kGreen);
    EXPECT_EQ(At(at125, kPlot.left + 125, 100), kGreen);
    EXPECT_EQ(At(at125, kPlot.left + 125, kPlot.bottom), kGreen);

    wave.SetCursor(801);
    EXPECT_EQ(wave.GetCursorIndex(), 125);
    wave.SetCursor(-1);
    EXPECT_EQ(wave.GetCursorIndex(), 125);
    EXPECT_EQ(Render(), at125);

    // One past the last entry is accepted and reads as zeros.
    wave.SetCursor(800);
    EXPECT_EQ(wave.GetCursorIndex(), 800);
    const QImage pastEnd = ValueStrip(Render());
    wave.SetCursor(799);
    const QImage lastEntry = ValueStrip(Render());

    CAssistInfoReader zeros;
    zeros.AppendSample(Sample(0.0f, 0.0f, 0.0f));
    CWaveFormCtrl other;
    other.resize(kWidth, kHeight);
    other.SetSource(&zeros);
    other.Reload();
    const QImage zeroValues = ValueStrip(other.grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(pastEnd, zeroValues);
    EXPECT_NE(lastEntry, zeroValues);
}

TEST_F(WaveFormCtrlTest, CursorAndTimeRepaintOverTheCachedLayer)
{
    Load([](int) { return Sample(1.0f, 0.0f, 0.0f); });
    Render();
    EXPECT_FALSE(wave.IsLayerStale());

    // Refill the table behind the control's back: cursor moves keep the cached curves.
    table.Clear();
    for (int k = 0; k < kSamples; ++k)
        table.AppendSample(Sample(-1.0f, 0.0f, 0.0f));
    wave.SetCursor(5);
    wave.SetElapsed(3);
    EXPECT_FALSE(wave.IsLayerStale());
    const QImage cached = Render();
    EXPECT_EQ(At(cached, MidOfSample(3), 54), kWhite);
    EXPECT_EQ(At(cached, kPlot.left + 5, 30), kGreen);

    wave.Reload();
    EXPECT_TRUE(wave.IsLayerStale());
    const QImage rebuilt = Render();
    EXPECT_EQ(At(rebuilt, MidOfSample(3), 134), kWhite);
    EXPECT_NE(At(rebuilt, MidOfSample(3), 54), kWhite);
}

TEST_F(WaveFormCtrlTest, ElapsedTimeChangesOnlyTheTimeText)
{
    Load([](int) { return Sample(0.5f, 0.0f, 0.0f); });
    wave.SetDuration(5400);
    wave.SetElapsed(0);
    const QImage before = Render();
    wave.SetElapsed(3725);
    EXPECT_FALSE(wave.IsLayerStale());
    const QImage after = Render();
    const QRect timeText(kPlot.right - 92, kPlot.bottom + 1, kWidth - (kPlot.right - 92), kHeight - kPlot.bottom - 1);
    EXPECT_NE(before.copy(timeText), after.copy(timeText));
    const QRect rest(0, 0, kWidth, kPlot.bottom);
    EXPECT_EQ(before.copy(rest), after.copy(rest));
}

TEST_F(WaveFormCtrlTest, ToggleModeSwapsScaleAndCurves)
{
    Load([](int k) { return Sample(1.0f, -1.0f, 0.5f, k); });
    const QImage gView = Render();
    const QRect labels(0, 0, kPlot.left, kPlot.bottom);

    wave.ToggleMode();
    EXPECT_TRUE(wave.IsSpeedView());
    EXPECT_TRUE(wave.IsLayerStale());
    const QImage speedView = Render();
    EXPECT_NE(gView.copy(labels), speedView.copy(labels));
    EXPECT_EQ(CountColor(speedView, PlotInterior(), kWhite), 0);
    EXPECT_EQ(CountColor(speedView, PlotInterior(), kRed), 0);
    EXPECT_GT(CountColor(gView, PlotInterior(), kWhite), 700);

    wave.ToggleMode();
    EXPECT_FALSE(wave.IsSpeedView());
    EXPECT_EQ(Render(), gView);
}

TEST_F(WaveFormCtrlTest, SpeedViewDrawsOnePointPerSecondOnTheKmhScale)
{
    // 0, 1.5, 3 ... 118.5 km/h, with 60 km/h at second 40.
    Load([](int k) { return Sample(1.0f, 0.0f, 0.0f, k * 3 / 2); });
    wave.ToggleMode();
    wave.SetCursor(125);
    const QImage image = Render();
    const SpeedCurveFrame frame = MakeSpeedCurveFrame(kPlot, kSamples);
    for (int s = 1; s < kSamples; ++s) {
        if (s == 12)
            continue;  // under the cursor
        SCOPED_TRACE(s);
        ASSERT_EQ(At(image, frame.X(s), frame.Y(s * 3 / 2)), kYellow);
    }
    EXPECT_EQ(frame.Y(40 * 3 / 2), kPlot.top + 2 * kPlot.Quarter());
    // The cursor advances one point per second: entry 125 is second 12.
    EXPECT_EQ(At(image, frame.X(12), 20), kGreen);
    EXPECT_EQ(At(image, kPlot.left + 125, 20), kPlotColor);
}

TEST_F(WaveFormCtrlTest, ResetEmptiesTableAndChartButKeepsTheView)
{
    Load([](int) { return Sample(1.0f, -1.0f, 0.5f, 50); });
    wave.SetDuration(80);
    wave.SetElapsed(12);
    wave.SetCursor(125);
    wave.ToggleMode();
    Render();

    wave.Reset();
    EXPECT_EQ(table.GetCount(), 0);
    EXPECT_EQ(wave.GetEntryCount(), 0);
    EXPECT_EQ(wave.GetCursorIndex(), 0);
    EXPECT_EQ(wave.GetStep(), 1);
    EXPECT_TRUE(wave.IsLayerStale());
    EXPECT_TRUE(wave.IsSpeedView());

    wave.ToggleMode();
    const QImage image = Render();
    EXPECT_EQ(CountColor(image, PlotInterior(), kWhite), 0);
    EXPECT_EQ(CountColor(image, PlotInterior(), kYellow), 0);
    EXPECT_EQ(At(image, kPlot.left, 100), kGreen);  // cursor at the left edge
    wave.SetCursor(1);
    EXPECT_EQ(wave.GetCursorIndex(), 0);
}

TEST_F(WaveFormCtrlTest, WorksWithoutSource)
{
    CWaveFormCtrl lone;
    lone.resize(kWidth, kHeight);
    lone.Reload();
    lone.Reset();
    lone.ToggleMode();
    EXPECT_EQ(lone.GetEntryCount(), 0);
    const QImage image = lone.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(At(image, 400, 30), kPlotColor);
}

TEST_F(WaveFormCtrlTest, DamagedValuesDrawBeyondThePlot)
{
    Load([](int k) { return k % 2 ? Sample(1.0e6f, -1.0e6f, 0.0f, INT_MAX) : Sample(0.0f, 0.0f, 0.0f, INT_MIN); });
    const QImage gView = Render();
    wave.ToggleMode();
    const QImage speedView = Render();
    EXPECT_EQ(At(gView, 400, kPlot.top + 80), kGreen);  // Z stays on the centre line
    EXPECT_GT(CountColor(speedView, PlotInterior(), kYellow), 0);
}

TEST_F(WaveFormCtrlTest, ResizeRebuildsTheLayer)
{
    Load([](int) { return Sample(1.0f, 0.0f, 0.0f); });
    Render();
    wave.resize(kWidth + 100, kHeight);
    const QImage wider = Render();
    ASSERT_EQ(wider.width(), kWidth + 100);
    EXPECT_EQ(At(wider, kPlot.right + 100, 30), kGridColor);  // the new right edge
    EXPECT_EQ(At(wider, kPlot.right + 50, 54), kWhite);
}

// Columns of a rendered control that carry text on the bottom line, below the plot's edge.
std::vector<bool> BottomLineInk(const QImage& image, const PlotRect& plot)
{
    std::vector<bool> ink(image.width(), false);
    for (int x = 0; x < image.width(); ++x)
        for (int y = plot.bottom + 1; y < image.height(); ++y)
            ink[x] = ink[x] || image.pixel(x, y) != qRgb(10, 10, 10);
    return ink;
}

// The longest run of columns without text between first and last.
int WidestGap(const std::vector<bool>& ink, int first, int last)
{
    int widest = 0;
    int run = 0;
    for (int x = first; x <= last; ++x) {
        run = ink[x] ? 0 : run + 1;
        widest = std::max(widest, run);
    }
    return widest;
}

// At the player's size the speed and the time at the end of the bottom line are both whole
// and apart, for the widest speed of a drive and a time of the usual length.
TEST(WaveFormBottomLineTest, SpeedAndTimeFitApartAtThePlayersSize)
{
    constexpr int width = 677;
    constexpr int height = 161;
    const PlotRect plot = PlotRectFor(width, height);
    for (int speed : {8, 50, 120}) {
        SCOPED_TRACE(speed);
        CAssistInfoReader table;
        for (int k = 0; k < 240; ++k)
            table.AppendSample(Sample(0.0f, 0.0f, 1.0f, speed));
        CWaveFormCtrl wave;
        wave.resize(width, height);
        wave.SetSource(&table);
        wave.SetDuration(240);
        wave.Reload();
        wave.SetCursor(960);
        wave.SetElapsed(96);  // 00:01:36/00:04:00
        const QImage image = wave.grab().toImage().convertToFormat(QImage::Format_RGB32);

        const std::vector<bool> ink = BottomLineInk(image, plot);
        EXPECT_FALSE(ink[width - 1]) << "the time text runs off the right edge";
        // Right of the Z value only the speed and the time are written.
        const int from = plot.left + 450;
        ASSERT_FALSE(ink[from]);
        const int first = int(std::find(ink.begin() + from, ink.end(), true) - ink.begin());
        const int last = int(ink.rend() - std::find(ink.rbegin(), ink.rend(), true)) - 1;
        ASSERT_LT(first, last);
        EXPECT_GE(WidestGap(ink, first, last), 4) << "speed and time run into each other";
    }
}

}  // namespace
