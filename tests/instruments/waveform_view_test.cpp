#include "instruments/waveform_view.h"
#include "skin/skin_palette.h"

#include "telemetry/telemetry_table.h"

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
const PlotRect kPlot = plotRectFor(kWidth, kHeight);

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kPlotColor = qRgb(19, 19, 19);
constexpr QRgb kGridColor = qRgb(32, 37, 42);

TelemetryEntry makeEntry(float x, float y, float z, int speed = 0)
{
    return {.gX = x, .gY = y, .gZ = z, .speedKmh = speed};
}

// x in the middle of sample k's ten points, away from the jumps between samples.
int midOfSample(int k)
{
    return kPlot.left + k * 10 + 5;
}

class WaveformViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wave.resize(kWidth, kHeight);
        wave.setSource(&table);
    }

    // Sample k = make(k), for kSamples samples, then Reload.
    void load(const std::function<TelemetryEntry(int)>& make, int samples = kSamples)
    {
        table.clear();
        for (int k = 0; k < samples; ++k) {
            table.appendSample(make(k));
        }
        wave.reload();
    }

    QImage render() { return wave.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    static QRgb pixelAt(const QImage& image, int x, int y) { return image.pixel(x, y); }

    // The value texts X, Y, Z and the speed, without the time text.
    static QImage valueStrip(const QImage& image)
    {
        return image.copy(kPlot.left + 200, kPlot.bottom, 380, kHeight - kPlot.bottom);
    }

    static int countColor(const QImage& image, const QRect& area, QRgb color)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                n += pixelAt(image, x, y) == color;
            }
        }
        return n;
    }

    static QRect plotInterior()
    {
        return QRect(kPlot.left + 1, kPlot.top + 1, kPlot.width() - 1, kPlot.height() - 1);
    }

    TelemetryTable table;
    WaveformView wave;
};

TEST_F(WaveformViewTest, NewControlShowsScaleWithoutCursor)
{
    const QImage image = render();
    EXPECT_EQ(pixelAt(image, 2, kHeight - 1), qRgb(10, 10, 10));
    EXPECT_EQ(pixelAt(image, 400, 30), kPlotColor);
    EXPECT_EQ(pixelAt(image, kPlot.left, 30), kGridColor);  // left edge, no cursor over it
    EXPECT_EQ(pixelAt(image, 400, kPlot.top), kGridColor);
    EXPECT_EQ(pixelAt(image, 400, kPlot.bottom), kGridColor);
    EXPECT_EQ(pixelAt(image, 400, kPlot.top + 80), kGridColor);
    EXPECT_EQ(countColor(image, plotInterior(), kWhite), 0);
    EXPECT_EQ(wave.cursorIndex(), -1);
}

TEST_F(WaveformViewTest, DrawsTheThreeAxesOnTheirScale)
{
    load([](int k) {
        return k == 10 ? makeEntry(-2.0f, -1.0f, 0.5f) : makeEntry(1.0f, -1.0f, 0.5f);
    });
    ASSERT_EQ(wave.entryCount(), 800);
    ASSERT_EQ(wave.stepSize(), 1);
    const QImage image = render();
    for (int k : {1, 5, 40, 79}) {
        SCOPED_TRACE(k);
        EXPECT_EQ(pixelAt(image, midOfSample(k), 54), kWhite);  // +1 g: 40 px above the centre
        EXPECT_EQ(pixelAt(image, midOfSample(k), 134), kRed);   // -1 g
        EXPECT_EQ(pixelAt(image, midOfSample(k), 74), kGreen);  // +0.5 g
    }
    EXPECT_EQ(pixelAt(image, midOfSample(10), kPlot.bottom), kWhite);  // -2 g on the bottom edge
    EXPECT_NE(pixelAt(image, midOfSample(10), 54), kWhite);
    // Reload puts the cursor on the first entry.
    EXPECT_EQ(pixelAt(image, kPlot.left, 30), kGreen);
}

TEST_F(WaveformViewTest, ChartsEveryTenthEntryAboveTenMinutes)
{
    auto flat = [](int) { return makeEntry(0.0f, 0.0f, 0.0f); };
    load(flat, 600);
    EXPECT_EQ(wave.entryCount(), 6000);
    EXPECT_EQ(wave.stepSize(), 1);
    load(flat, 601);
    EXPECT_EQ(wave.entryCount(), 6010);
    EXPECT_EQ(wave.stepSize(), 10);
    // The sparse cursor moves one point per ten entries: entry 6000 is point 600, the right edge.
    wave.setCursorEntry(6000);
    EXPECT_EQ(pixelAt(render(), kPlot.right, 30), kGreen);
}

TEST_F(WaveformViewTest, SetCursorAcceptsOnlyZeroToEntryCount)
{
    load([](int k) { return makeEntry(0.1f * (k % 7), -0.2f, 0.3f, k); });
    wave.setCursorEntry(125);
    EXPECT_EQ(wave.cursorIndex(), 125);
    const QImage at125 = render();
    EXPECT_EQ(pixelAt(at125, kPlot.left + 125, kPlot.top), kGreen);
    EXPECT_EQ(pixelAt(at125, kPlot.left + 125, 100), kGreen);
    EXPECT_EQ(pixelAt(at125, kPlot.left + 125, kPlot.bottom), kGreen);

    wave.setCursorEntry(801);
    EXPECT_EQ(wave.cursorIndex(), 125);
    wave.setCursorEntry(-1);
    EXPECT_EQ(wave.cursorIndex(), 125);
    EXPECT_EQ(render(), at125);

    // One past the last entry is accepted and reads as zeros.
    wave.setCursorEntry(800);
    EXPECT_EQ(wave.cursorIndex(), 800);
    const QImage pastEnd = valueStrip(render());
    wave.setCursorEntry(799);
    const QImage lastEntry = valueStrip(render());

    TelemetryTable zeros;
    zeros.appendSample(makeEntry(0.0f, 0.0f, 0.0f));
    WaveformView other;
    other.resize(kWidth, kHeight);
    other.setSource(&zeros);
    other.reload();
    const QImage zeroValues =
        valueStrip(other.grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(pastEnd, zeroValues);
    EXPECT_NE(lastEntry, zeroValues);
}

TEST_F(WaveformViewTest, CursorAndTimeRepaintOverTheCachedLayer)
{
    load([](int) { return makeEntry(1.0f, 0.0f, 0.0f); });
    render();
    EXPECT_FALSE(wave.isLayerStale());

    // Refill the table behind the control's back: cursor moves keep the cached curves.
    table.clear();
    for (int k = 0; k < kSamples; ++k) {
        table.appendSample(makeEntry(-1.0f, 0.0f, 0.0f));
    }
    wave.setCursorEntry(5);
    wave.setElapsed(3);
    EXPECT_FALSE(wave.isLayerStale());
    const QImage cached = render();
    EXPECT_EQ(pixelAt(cached, midOfSample(3), 54), kWhite);
    EXPECT_EQ(pixelAt(cached, kPlot.left + 5, 30), kGreen);

    wave.reload();
    EXPECT_TRUE(wave.isLayerStale());
    const QImage rebuilt = render();
    EXPECT_EQ(pixelAt(rebuilt, midOfSample(3), 134), kWhite);
    EXPECT_NE(pixelAt(rebuilt, midOfSample(3), 54), kWhite);
}

TEST_F(WaveformViewTest, ElapsedTimeChangesOnlyTheTimeText)
{
    load([](int) { return makeEntry(0.5f, 0.0f, 0.0f); });
    wave.setDuration(5400);
    wave.setElapsed(0);
    const QImage before = render();
    wave.setElapsed(3725);
    EXPECT_FALSE(wave.isLayerStale());
    const QImage after = render();
    const QRect timeText(kPlot.right - 92, kPlot.bottom + 1, kWidth - (kPlot.right - 92),
                         kHeight - kPlot.bottom - 1);
    EXPECT_NE(before.copy(timeText), after.copy(timeText));
    const QRect rest(0, 0, kWidth, kPlot.bottom);
    EXPECT_EQ(before.copy(rest), after.copy(rest));
}

TEST_F(WaveformViewTest, ToggleModeSwapsScaleAndCurves)
{
    load([](int k) { return makeEntry(1.0f, -1.0f, 0.5f, k); });
    const QImage gView = render();
    const QRect labels(0, 0, kPlot.left, kPlot.bottom);

    wave.toggleMode();
    EXPECT_TRUE(wave.isSpeedView());
    EXPECT_TRUE(wave.isLayerStale());
    const QImage speedView = render();
    EXPECT_NE(gView.copy(labels), speedView.copy(labels));
    EXPECT_EQ(countColor(speedView, plotInterior(), kWhite), 0);
    EXPECT_EQ(countColor(speedView, plotInterior(), kRed), 0);
    EXPECT_GT(countColor(gView, plotInterior(), kWhite), 700);

    wave.toggleMode();
    EXPECT_FALSE(wave.isSpeedView());
    EXPECT_EQ(render(), gView);
}

TEST_F(WaveformViewTest, SpeedViewDrawsOnePointPerSecondOnTheKmhScale)
{
    // 0, 1.5, 3 ... 118.5 km/h, with 60 km/h at second 40.
    load([](int k) { return makeEntry(1.0f, 0.0f, 0.0f, k * 3 / 2); });
    wave.toggleMode();
    wave.setCursorEntry(125);
    const QImage image = render();
    const SpeedCurveFrame frame = makeSpeedCurveFrame(kPlot, kSamples);
    for (int s = 1; s < kSamples; ++s) {
        if (s == 12) {
            continue;  // under the cursor
        }
        SCOPED_TRACE(s);
        ASSERT_EQ(pixelAt(image, frame.X(s), frame.Y(s * 3 / 2)), kYellow);
    }
    EXPECT_EQ(frame.Y(40 * 3 / 2), kPlot.top + 2 * kPlot.quarter());
    // The cursor advances one point per second: entry 125 is second 12.
    EXPECT_EQ(pixelAt(image, frame.X(12), 20), kGreen);
    EXPECT_EQ(pixelAt(image, kPlot.left + 125, 20), kPlotColor);
}

// Detected events: a tick each on the top edge at its entry, gone with a reset.
TEST_F(WaveformViewTest, EventTicksSitOnTheTopEdgeAtTheirEntries)
{
    load([](int) { return makeEntry(0.0f, 0.0f, 1.0f); });
    wave.setEventEntries({100, 400, 9999});
    const QRgb tick = QColor(palette::kWarn).rgb();
    const QImage image = render();
    for (const int entry : {100, 400}) {
        const QRect r = wave.eventMarkRect(entry);
        EXPECT_EQ(r.center().x(), kPlot.left + entry) << entry;
        EXPECT_EQ(r.top(), kPlot.top);
        EXPECT_EQ(countColor(image, r, tick), r.width() * r.height()) << entry;
    }
    EXPECT_TRUE(wave.eventMarkRect(9999).isEmpty());
    EXPECT_EQ(countColor(image, QRect(0, 0, kWidth, kHeight), tick),
              2 * wave.eventMarkRect(100).width() * wave.eventMarkRect(100).height());
    wave.reset();
    EXPECT_TRUE(wave.eventEntries().empty());
}

TEST_F(WaveformViewTest, ResetEmptiesTheChartButKeepsTheView)
{
    load([](int) { return makeEntry(1.0f, -1.0f, 0.5f, 50); });
    wave.setDuration(80);
    wave.setElapsed(12);
    wave.setCursorEntry(125);
    wave.toggleMode();
    render();

    wave.reset();
    EXPECT_GT(table.count(), 0) << "the table is its owner's to empty";
    EXPECT_EQ(wave.entryCount(), 0);
    EXPECT_EQ(wave.cursorIndex(), 0);
    EXPECT_EQ(wave.stepSize(), 1);
    EXPECT_TRUE(wave.isLayerStale());
    EXPECT_TRUE(wave.isSpeedView());

    wave.toggleMode();
    const QImage image = render();
    EXPECT_EQ(countColor(image, plotInterior(), kWhite), 0);
    EXPECT_EQ(countColor(image, plotInterior(), kYellow), 0);
    EXPECT_EQ(pixelAt(image, kPlot.left, 100), kGreen);  // cursor at the left edge
    wave.setCursorEntry(1);
    EXPECT_EQ(wave.cursorIndex(), 0);
}

TEST_F(WaveformViewTest, WorksWithoutSource)
{
    WaveformView lone;
    lone.resize(kWidth, kHeight);
    lone.reload();
    lone.reset();
    lone.toggleMode();
    EXPECT_EQ(lone.entryCount(), 0);
    const QImage image = lone.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(pixelAt(image, 400, 30), kPlotColor);
}

TEST_F(WaveformViewTest, DamagedValuesDrawBeyondThePlot)
{
    load([](int k) {
        return k % 2 ? makeEntry(1.0e6f, -1.0e6f, 0.0f, INT_MAX)
                     : makeEntry(0.0f, 0.0f, 0.0f, INT_MIN);
    });
    const QImage gView = render();
    wave.toggleMode();
    const QImage speedView = render();
    EXPECT_EQ(pixelAt(gView, 400, kPlot.top + 80), kGreen);  // Z stays on the centre line
    EXPECT_GT(countColor(speedView, plotInterior(), kYellow), 0);
}

TEST_F(WaveformViewTest, ResizeRebuildsTheLayer)
{
    load([](int) { return makeEntry(1.0f, 0.0f, 0.0f); });
    render();
    wave.resize(kWidth + 100, kHeight);
    const QImage wider = render();
    ASSERT_EQ(wider.width(), kWidth + 100);
    EXPECT_EQ(pixelAt(wider, kPlot.right + 100, 30), kGridColor);  // the new right edge
    EXPECT_EQ(pixelAt(wider, kPlot.right + 50, 54), kWhite);
}

// Columns of a rendered control that carry text on the bottom line, below the plot's edge.
std::vector<bool> bottomLineInk(const QImage& image, const PlotRect& plot)
{
    std::vector<bool> ink(image.width(), false);
    for (int x = 0; x < image.width(); ++x) {
        for (int y = plot.bottom + 1; y < image.height(); ++y) {
            ink[x] = ink[x] || image.pixel(x, y) != qRgb(10, 10, 10);
        }
    }
    return ink;
}

// The longest run of columns without text between first and last.
int widestGap(const std::vector<bool>& ink, int first, int last)
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
    const PlotRect plot = plotRectFor(width, height);
    for (int speed : {8, 50, 120}) {
        SCOPED_TRACE(speed);
        TelemetryTable table;
        for (int k = 0; k < 240; ++k) {
            table.appendSample(makeEntry(0.0f, 0.0f, 1.0f, speed));
        }
        WaveformView wave;
        wave.resize(width, height);
        wave.setSource(&table);
        wave.setDuration(240);
        wave.reload();
        wave.setCursorEntry(960);
        wave.setElapsed(96);  // 00:01:36/00:04:00
        const QImage image = wave.grab().toImage().convertToFormat(QImage::Format_RGB32);

        const std::vector<bool> ink = bottomLineInk(image, plot);
        EXPECT_FALSE(ink[width - 1]) << "the time text runs off the right edge";
        // Right of the Z value only the speed and the time are written.
        const int from = plot.left + 450;
        ASSERT_FALSE(ink[from]);
        const int first = int(std::find(ink.begin() + from, ink.end(), true) - ink.begin());
        const int last = int(ink.rend() - std::find(ink.rbegin(), ink.rend(), true)) - 1;
        ASSERT_LT(first, last);
        EXPECT_GE(widestGap(ink, first, last), 4) << "speed and time run into each other";
    }
}

}  // namespace
