#include "instruments/waveform_geometry.h"

#include "telemetry/telemetry_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kLabelColumn = 24;  // room for the scale labels left of the plot
constexpr int kTextLine = 14;     // one text line above and below the plot

// Far enough outside any widget to look the same as the true point, near enough that
// the conversion to int stays defined whatever value a damaged table holds.
constexpr double kFarPixel = 1 << 20;

int truncPixel(double v)
{
    if (!(v > -kFarPixel)) {  // also NaN
        return static_cast<int>(-kFarPixel);
    }
    if (v > kFarPixel) {
        return static_cast<int>(kFarPixel);
    }
    return static_cast<int>(v);
}

std::string formatClock(int t)
{
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t / 3600, (t % 3600) / 60, t % 60);
    return text;
}

std::string format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

PlotRect plotRectFor(int clientWidth, int clientHeight)
{
    return {kLabelColumn, kTextLine, clientWidth - 1, clientHeight - kTextLine};
}

int chartStep(int entryCount)
{
    return entryCount > kWaveDenseLimit ? kWaveSparseStep : 1;
}

int gPointCount(int entryCount, int step)
{
    return step > 0 ? entryCount / step : 0;
}

int speedPointCount(int entryCount)
{
    return entryCount / kWaveEntriesPerSecond;
}

int curveX(int left, float xStep, int i)
{
    return truncPixel(left + i * xStep);
}

float curveXStep(const PlotRect& plot, int pointCount)
{
    if (pointCount < 2) {
        return 0.0f;
    }
    return static_cast<float>(plot.width()) / static_cast<float>(pointCount - 1);
}

int GCurveFrame::Y(float g) const
{
    return truncPixel(mid - g * 10 * yScale);
}

GCurveFrame makeGCurveFrame(const PlotRect& plot, int pointCount)
{
    // The scale spans -2 g to +2 g in tenths of a g.
    const float yScale = static_cast<float>(plot.height()) / ((2 - (-2)) * 10);
    return {plot.left, curveXStep(plot, pointCount), plot.top + plot.height() / 2, yScale};
}

int SpeedCurveFrame::Y(int speed) const
{
    // Divide last so that the quarter marks (30, 60, 90 km/h) land exactly on the grid.
    return truncPixel(bottom - static_cast<double>(speed) * height / top);
}

SpeedCurveFrame makeSpeedCurveFrame(const PlotRect& plot, int pointCount, SpeedUnit unit)
{
    const int top = unit == SpeedUnit::Mph ? kWaveSpeedTopMph : kWaveSpeedTopKmh;
    return {plot.left, curveXStep(plot, pointCount), plot.bottom, plot.height(), top};
}

int cursorPoint(int cursorIndex, int step, bool speedView)
{
    if (speedView) {
        return cursorIndex / kWaveEntriesPerSecond;
    }
    return step > 0 ? cursorIndex / step : cursorIndex;
}

namespace {

// The speed view's marks from the top edge down the grid lines, each ending 2 pixels
// left of the plot, then 0 and the unit under the plot.
std::vector<ScaleLabel> speedLabels(const PlotRect& plot, const std::array<const char*, 4>& marks,
                                    const char* unit)
{
    const int left = plot.left;
    const int top = plot.top;
    const int q = plot.quarter();
    const auto x = [left](const char* text) {
        return left - 2 - 6 * static_cast<int>(std::strlen(text));
    };
    return {
        {marks[0], x(marks[0]), top},
        {marks[1], x(marks[1]), top + q - 8},
        {marks[2], x(marks[2]), top + 2 * q - 8},
        {marks[3], x(marks[3]), top + 3 * q - 8},
        {"0", left - 8, top + 4 * q - 16},
        {unit, left - 18, plot.bottom},
    };
}

}  // namespace

std::vector<ScaleLabel> scaleLabels(const PlotRect& plot, bool speedView, SpeedUnit unit)
{
    if (speedView) {
        return unit == SpeedUnit::Mph ? speedLabels(plot, {"80", "60", "40", "20"}, "(mph)")
                                      : speedLabels(plot, {"120", "90", "60", "30"}, "(Km/H)");
    }
    const int left = plot.left;
    const int top = plot.top;
    const int q = plot.quarter();
    return {
        {"+2G", left - 22, top},
        {"+1G", left - 22, top + q - 8},
        {" 0G", left - 22, top + 2 * q - 8},
        {"-1G", left - 22, top + 3 * q - 8},
        {"-2G", left - 22, top + 4 * q - 10},
    };
}

BottomTextPlaces placeSpeedAndTime(const PlotRect& plot, int speedWidth, int timeWidth)
{
    const int timeX = std::min(plot.right - kWaveTimeTextFromRight, plot.right - timeWidth);
    const int speedX = std::min(plot.left + kWaveSpeedTextX, timeX - kWaveTextGap - speedWidth);
    return {speedX, timeX};
}

std::string formatTimeText(int elapsedSeconds, int totalSeconds)
{
    return formatClock(elapsedSeconds) + "/" + formatClock(totalSeconds);
}

ValueTexts formatValueTexts(const TelemetryEntry* entry, SpeedUnit unit)
{
    const TelemetryEntry zeros;
    const TelemetryEntry& e = entry ? *entry : zeros;
    char speed[32];
    std::snprintf(speed, sizeof speed, "%d%s", speedIn(unit, e.speedKmh), speedUnitSuffix(unit));
    return {format("X: %0.4f", e.gX), format("Y: %0.4f", e.gY), format("Z: %0.4f", e.gZ), speed};
}
