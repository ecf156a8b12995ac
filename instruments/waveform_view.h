#pragma once

#include "instruments/waveform_geometry.h"

#include <QFont>
#include <QFontMetrics>
#include <QPen>
#include <QPixmap>
#include <QWidget>

#include <vector>

class TelemetryTable;
class QMouseEvent;
class QPainter;

// The G-sensor chart under the video: the three axes over the whole recording (or the
// speed, in the speed view), a cursor at the play position, the values at the cursor
// and the elapsed and total time. The costly curves live in a cached layer that is
// rebuilt only when stale; cursor and time moves repaint only the overlays.
class WaveformView : public QWidget
{
    Q_OBJECT

public:
    explicit WaveformView(QWidget* parent = nullptr);

    // The telemetry table to chart; not owned, outlives this control.
    void setSource(const TelemetryTable* source);
    void setDuration(int seconds);
    // Takes the table's entry count and charts it from the start.
    void reload();
    // Entry index (tenths of a second); ignored outside 0 .. entry count.
    void setCursorEntry(int index);
    void setElapsed(int seconds);
    // Switches between the G-sensor view and the speed view.
    void toggleMode();
    void setSpeedView(bool speedView);
    // The unit of the speed view's scale and curve and of the speed at the cursor.
    void setSpeedUnit(SpeedUnit unit);
    // Empties the chart; the table is left to its owner.
    void reset();
    // Marks an entry (the strongest G-sensor peak) with a flag; -1 removes the mark.
    void setPeak(int index);
    int peakIndex() const { return m_peakIndex; }
    // Where the mark's flag is drawn, in the control's pixels; empty when there is none.
    QRect peakMarkRect() const;
    // Marks entries (the detected events) with a tick each on the top edge.
    void setEventEntries(std::vector<int> entries);
    const std::vector<int>& eventEntries() const { return m_eventEntries; }
    // Where an entry's tick is drawn; empty outside 0 .. entry count.
    QRect eventMarkRect(int index) const;

    int entryCount() const { return m_entryCount; }
    int stepSize() const { return m_step; }
    bool isSpeedView() const { return m_speedView; }
    SpeedUnit speedUnit() const { return m_unit; }
    int cursorIndex() const { return m_cursorIndex; }
    bool isLayerStale() const { return m_layerStale; }

signals:
    // The mark was clicked: play from its entry.
    void peakClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool cursorInRange() const { return m_cursorIndex >= 0 && m_cursorIndex <= m_entryCount; }
    const TelemetryEntry* telemetryEntry(int index) const;

    void buildLayer(const PlotRect& plot);
    void drawLabels(QPainter& painter, const PlotRect& plot) const;
    void drawGrid(QPainter& painter, const PlotRect& plot) const;
    void drawGCurves(QPainter& painter, const PlotRect& plot);
    void drawSpeedCurve(QPainter& painter, const PlotRect& plot);
    void drawOverlays(QPainter& painter, const PlotRect& plot) const;
    void drawPeakMark(QPainter& painter, const PlotRect& plot) const;
    void drawEventMarks(QPainter& painter) const;
    int entryX(const PlotRect& plot, int index) const;
    void drawText(QPainter& painter, int x, int y, const QColor& color,
                  const std::string& text) const;

    const TelemetryTable* m_source = nullptr;
    int m_entryCount = 0;
    int m_step = 1;
    bool m_speedView = false;
    SpeedUnit m_unit = SpeedUnit::Kmh;
    int m_cursorIndex = -1;
    int m_peakIndex = -1;
    std::vector<int> m_eventEntries;
    int m_elapsedSeconds = 0;
    int m_totalSeconds = 0;
    float m_xStep = 0.0f;  // of the curve in the layer; the cursor follows it
    bool m_layerStale = true;
    QPixmap m_layerPixels;  // background, labels, grid and curves

    QFont m_font;
    QFontMetrics m_metrics;  // of m_font, kept for the texts drawn on every repaint
    QPen m_gridPen;
    QPen m_dottedGridPen;
    QPen m_axisPens[3];  // X, Y, Z
    QPen m_cursorPen;
    QPen m_speedPen;
};
