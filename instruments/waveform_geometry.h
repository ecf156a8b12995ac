#pragma once

#include <string>
#include <vector>

#include "telemetry/speed_unit.h"

struct TelemetryEntry;

// Chart arithmetic of the G-sensor waveform, free of drawing so that every pixel
// position can be checked exactly.

// Tables longer than this (ten minutes) are charted with every tenth entry.
inline constexpr int kWaveDenseLimit = 6000;
inline constexpr int kWaveSparseStep = 10;

// The speed view charts one point per second: the first entry of each second.
inline constexpr int kWaveEntriesPerSecond = 10;
inline constexpr int kWaveSpeedTopKmh = 120;
inline constexpr int kWaveSpeedTopMph = 80;

// The chart area. right and bottom are where the frame's edge lines lie, so the width
// and height are plain differences.
struct PlotRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    int quarter() const { return height() / 4; }  // distance between grid lines
};

// The chart area inside a client area of the given size at (0, 0): room for the scale
// labels on the left and one text line above and below.
PlotRect plotRectFor(int clientWidth, int clientHeight);

// Every step-th entry is charted.
int chartStep(int entryCount);

// Points of the G curves: entry i × step is point i.
int gPointCount(int entryCount, int step);
// Points of the speed curve: second s is point s.
int speedPointCount(int entryCount);

// x of point i: trunc(left + i × xStep).
int curveX(int left, float xStep, int i);
// Horizontal distance between two of pointCount points spread over the plot width;
// 0 when there are fewer than two points (nothing to spread).
float curveXStep(const PlotRect& plot, int pointCount);

// G view: +2 g on the top edge, 0 g on the centre line, -2 g on the bottom edge.
struct GCurveFrame
{
    int left = 0;
    float xStep = 0.0f;
    int mid = 0;
    float yScale = 0.0f;  // pixels per tenth of a g

    int X(int i) const { return curveX(left, xStep, i); }
    int Y(float g) const;  // beyond the plot for more than 2 g: no clipping
};
GCurveFrame makeGCurveFrame(const PlotRect& plot, int pointCount);

// Speed view: 0 on the bottom edge, the unit's top (120 km/h or 80 mph) on the top edge,
// as the labels say.
struct SpeedCurveFrame
{
    int left = 0;
    float xStep = 0.0f;
    int bottom = 0;
    int height = 0;
    int top = kWaveSpeedTopKmh;

    int X(int i) const { return curveX(left, xStep, i); }
    int Y(int speed) const;  // in the frame's unit
};
SpeedCurveFrame makeSpeedCurveFrame(const PlotRect& plot, int pointCount,
                                    SpeedUnit unit = SpeedUnit::Kmh);

// The charted point under the cursor: the G view moves one point per step entries,
// the speed view one point per second.
int cursorPoint(int cursorIndex, int step, bool speedView);

struct ScaleLabel
{
    const char* text;
    int x;
    int y;
};
// The labels left of the plot (and the unit under it in the speed view).
std::vector<ScaleLabel> scaleLabels(const PlotRect& plot, bool speedView,
                                    SpeedUnit unit = SpeedUnit::Kmh);

// Left edges of the speed and the time text at the end of the bottom line. Each keeps its
// place (plot left + 520, plot right - 92) where there is room; a time text wider than the
// room to the plot's right edge ends at that edge instead, and the speed text then ends at
// least kWaveTextGap before the time text.
struct BottomTextPlaces
{
    int speedX = 0;
    int timeX = 0;
};
inline constexpr int kWaveSpeedTextX = 520;
inline constexpr int kWaveTimeTextFromRight = 92;
inline constexpr int kWaveTextGap = 6;
BottomTextPlaces placeSpeedAndTime(const PlotRect& plot, int speedWidth, int timeWidth);

// "hh:mm:ss/hh:mm:ss", elapsed first.
std::string formatTimeText(int elapsedSeconds, int totalSeconds);

// The four value texts at the cursor: X, Y, Z in g and the speed; a missing entry
// (nullptr) reads as zeros.
struct ValueTexts
{
    std::string x;
    std::string y;
    std::string z;
    std::string speed;
};
ValueTexts formatValueTexts(const TelemetryEntry* entry, SpeedUnit unit = SpeedUnit::Kmh);
