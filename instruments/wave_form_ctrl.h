#pragma once

#include "waveform_geometry.h"

#include <QFont>
#include <QFontMetrics>
#include <QPen>
#include <QPixmap>
#include <QWidget>

class CAssistInfoReader;
class QMouseEvent;
class QPainter;

// The G-sensor chart under the video: the three axes over the whole recording (or the
// speed, in the speed view), a cursor at the play position, the values at the cursor
// and the elapsed and total time. The costly curves live in a cached layer that is
// rebuilt only when stale; cursor and time moves repaint only the overlays.
class CWaveFormCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CWaveFormCtrl(QWidget* parent = nullptr);

    // The telemetry table to chart; not owned, outlives this control.
    void SetSource(CAssistInfoReader* source);
    void SetDuration(int seconds);
    // Takes the table's entry count and charts it from the start.
    void Reload();
    // Entry index (tenths of a second); ignored outside 0 .. entry count.
    void SetCursor(int index);
    void SetElapsed(int seconds);
    // Switches between the G-sensor view and the speed view.
    void ToggleMode();
    void SetSpeedView(bool speedView);
    // The unit of the speed view's scale and curve and of the speed at the cursor.
    void SetSpeedUnit(SpeedUnit unit);
    // Empties the chart and the source table.
    void Reset();
    // Marks an entry (the strongest G-sensor peak) with a flag; -1 removes the mark.
    void SetPeak(int index);
    int GetPeakIndex() const { return m_peakIndex; }
    // Where the mark's flag is drawn, in the control's pixels; empty when there is none.
    QRect PeakMarkRect() const;

    int GetEntryCount() const { return m_entryCount; }
    int GetStep() const { return m_step; }
    bool IsSpeedView() const { return m_speedView; }
    SpeedUnit GetSpeedUnit() const { return m_unit; }
    int GetCursorIndex() const { return m_cursorIndex; }
    bool IsLayerStale() const { return m_layerStale; }

signals:
    // The mark was clicked: play from its entry.
    void peakClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool CursorInRange() const { return m_cursorIndex >= 0 && m_cursorIndex <= m_entryCount; }
    const tagAssistInfo* Entry(int index) const;

    void BuildLayer(const PlotRect& plot);
    void DrawLabels(QPainter& painter, const PlotRect& plot) const;
    void DrawGrid(QPainter& painter, const PlotRect& plot) const;
    void DrawGCurves(QPainter& painter, const PlotRect& plot);
    void DrawSpeedCurve(QPainter& painter, const PlotRect& plot);
    void DrawOverlays(QPainter& painter, const PlotRect& plot) const;
    void DrawPeakMark(QPainter& painter, const PlotRect& plot) const;
    int EntryX(const PlotRect& plot, int index) const;
    void DrawText(QPainter& painter, int x, int y, const QColor& color, const std::string& text) const;

    CAssistInfoReader* m_source = nullptr;
    int m_entryCount = 0;
    int m_step = 1;
    bool m_speedView = false;
    SpeedUnit m_unit = SpeedUnit::Kmh;
    int m_cursorIndex = -1;
    int m_peakIndex = -1;
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
