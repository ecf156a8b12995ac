#include "instruments/waveform_view.h"

#include "skin/skin_palette.h"
#include "telemetry/telemetry_table.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace {

constexpr QRgb kAxisColors[3] = {qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 255, 0)};
constexpr QRgb kCursorColor = qRgb(0, 255, 0);
constexpr QRgb kSpeedColor = qRgb(255, 255, 0);
constexpr QRgb kPeakColor = qRgb(255, 160, 0);
constexpr int kPeakFlagSize = 9;    // the flag's width and height in pixels
constexpr int kPeakClickSlack = 3;  // pixels around the flag that still hit it
constexpr int kEventTickWidth = 3;
constexpr int kEventTickHeight = 6;

constexpr int kFontCellHeight = 14;
constexpr int kValueTextX[3] = {200, 280, 360};  // X, Y, Z; from the plot's left

QPen solidPen(QRgb color)
{
    return QPen(QColor(color), 1, Qt::SolidLine, Qt::SquareCap);
}

QPen dottedPen(QRgb color)
{
    QPen pen(QColor(color), 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({3, 3});
    return pen;
}

// Arial (or its metric twin) at the largest size whose character cell, ascent plus
// descent, is at most the given height.
QFont cellHeightFont(int cellHeight)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    for (int pixels = cellHeight; pixels > 1; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= cellHeight) {
            break;
        }
    }
    return font;
}

QRect fillRect(const PlotRect& plot)
{
    return QRect(plot.left, plot.top, plot.width(), plot.height());
}

}  // namespace

WaveformView::WaveformView(QWidget* parent)
    : QWidget(parent),
      m_font(cellHeightFont(kFontCellHeight)),
      m_metrics(m_font),
      m_gridPen(solidPen(palette::kWaveGrid.rgb())),
      m_dottedGridPen(dottedPen(palette::kWaveGrid.rgb())),
      m_axisPens{solidPen(kAxisColors[0]), solidPen(kAxisColors[1]), solidPen(kAxisColors[2])},
      m_cursorPen(solidPen(kCursorColor)),
      m_speedPen(solidPen(kSpeedColor))
{
    // Every pixel is painted from the layer: nothing to erase first, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void WaveformView::setSource(const TelemetryTable* source)
{
    m_source = source;
}

void WaveformView::setDuration(int seconds)
{
    m_totalSeconds = seconds;
}

void WaveformView::reload()
{
    m_entryCount = m_source ? m_source->count() : 0;
    m_cursorIndex = 0;
    m_peakIndex = -1;
    m_step = chartStep(m_entryCount);
    m_layerStale = true;
    update();
}

void WaveformView::setCursorEntry(int index)
{
    if (index < 0 || index > m_entryCount) {
        return;
    }
    m_cursorIndex = index;
    update();
}

void WaveformView::setElapsed(int seconds)
{
    m_elapsedSeconds = seconds;
    update();
}

void WaveformView::toggleMode()
{
    setSpeedView(!m_speedView);
}

void WaveformView::setSpeedView(bool speedView)
{
    m_speedView = speedView;
    m_layerStale = true;
    update();
}

void WaveformView::setSpeedUnit(SpeedUnit unit)
{
    m_unit = unit;
    m_layerStale = true;
    update();
}

void WaveformView::reset()
{
    m_entryCount = 0;
    m_cursorIndex = 0;
    m_elapsedSeconds = 0;
    m_totalSeconds = 0;
    m_step = 1;
    m_peakIndex = -1;
    m_eventEntries.clear();
    m_layerStale = true;
    update();
}

void WaveformView::setPeak(int index)
{
    m_peakIndex = index >= 0 && index <= m_entryCount ? index : -1;
    update();
}

int WaveformView::entryX(const PlotRect& plot, int index) const
{
    return curveX(plot.left, m_xStep, cursorPoint(index, m_step, m_speedView));
}

QRect WaveformView::peakMarkRect() const
{
    if (m_peakIndex < 0 || m_peakIndex > m_entryCount) {
        return {};
    }
    const PlotRect plot = plotRectFor(width(), height());
    const int x = entryX(plot, m_peakIndex);
    return QRect(x - kPeakFlagSize / 2, plot.top, kPeakFlagSize, kPeakFlagSize);
}

void WaveformView::setEventEntries(std::vector<int> entries)
{
    m_eventEntries = std::move(entries);
    update();
}

QRect WaveformView::eventMarkRect(int index) const
{
    if (index < 0 || index > m_entryCount) {
        return {};
    }
    const PlotRect plot = plotRectFor(width(), height());
    return QRect(entryX(plot, index) - kEventTickWidth / 2, plot.top, kEventTickWidth,
                 kEventTickHeight);
}

void WaveformView::drawEventMarks(QPainter& painter) const
{
    for (const int index : m_eventEntries) {
        const QRect tick = eventMarkRect(index);
        if (!tick.isEmpty()) {
            painter.fillRect(tick, palette::kWarn);
        }
    }
}

void WaveformView::mousePressEvent(QMouseEvent* event)
{
    const QRect flag = peakMarkRect();
    const QRect target =
        flag.adjusted(-kPeakClickSlack, -kPeakClickSlack, kPeakClickSlack, kPeakClickSlack);
    if (event->button() == Qt::LeftButton && !flag.isEmpty() &&
        target.contains(event->position().toPoint())) {
        emit peakClicked(m_peakIndex);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void WaveformView::drawPeakMark(QPainter& painter, const PlotRect& plot) const
{
    const QRect flag = peakMarkRect();
    if (flag.isEmpty()) {
        return;
    }
    const int x = flag.center().x();
    QPen line(QColor(kPeakColor), 1, Qt::DashLine);
    painter.setPen(line);
    painter.drawLine(x, plot.top, x, plot.bottom);
    // A downward triangle on the top edge: the place to click.
    const QPolygon triangle({QPoint(flag.left(), flag.top()), QPoint(flag.right(), flag.top()),
                             QPoint(x, flag.bottom())});
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kPeakColor));
    painter.drawPolygon(triangle);
    painter.setBrush(Qt::NoBrush);
}

const TelemetryEntry* WaveformView::telemetryEntry(int index) const
{
    return m_source ? m_source->find(index) : nullptr;
}

void WaveformView::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0) {
        return;
    }
    const PlotRect plot = plotRectFor(width(), height());
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    // A resized or moved-to-another-screen control needs a layer of its new size.
    if (m_layerStale || m_layerPixels.size() != pixels ||
        m_layerPixels.devicePixelRatio() != ratio) {
        if (m_layerPixels.size() != pixels) {
            m_layerPixels = QPixmap(pixels);
        }
        m_layerPixels.setDevicePixelRatio(ratio);
        buildLayer(plot);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_layerPixels);
    drawOverlays(painter, plot);
}

void WaveformView::buildLayer(const PlotRect& plot)
{
    QPainter painter(&m_layerPixels);
    painter.fillRect(rect(), palette::kWaveGround);
    painter.fillRect(fillRect(plot), palette::kWavePlot);
    drawLabels(painter, plot);
    drawGrid(painter, plot);
    m_xStep = 0.0f;
    if (m_speedView) {
        drawSpeedCurve(painter, plot);
    } else {
        drawGCurves(painter, plot);
    }
    m_layerStale = false;
}

void WaveformView::drawLabels(QPainter& painter, const PlotRect& plot) const
{
    painter.setFont(m_font);
    for (const ScaleLabel& label : scaleLabels(plot, m_speedView, m_unit)) {
        drawText(painter, label.x, label.y, palette::kLabel, label.text);
    }
}

void WaveformView::drawGrid(QPainter& painter, const PlotRect& plot) const
{
    const int q = plot.quarter();
    auto horizontal = [&](const QPen& pen, int y) {
        painter.setPen(pen);
        painter.drawLine(plot.left, y, plot.right, y);
    };
    auto vertical = [&](int x) {
        painter.setPen(m_gridPen);
        painter.drawLine(x, plot.top, x, plot.bottom);
    };
    horizontal(m_dottedGridPen, plot.top + q);
    horizontal(m_gridPen, plot.top);
    horizontal(m_gridPen, plot.top + 2 * q);
    horizontal(m_gridPen, plot.bottom);
    vertical(plot.left);
    vertical(plot.right);
    horizontal(m_dottedGridPen, plot.top + 3 * q);
}

void WaveformView::drawGCurves(QPainter& painter, const PlotRect& plot)
{
    const int points = gPointCount(m_entryCount, m_step);
    if (m_entryCount < 2 || points < 2) {
        return;
    }
    const GCurveFrame frame = makeGCurveFrame(plot, points);
    m_xStep = frame.xStep;

    QPolygon curves[3] = {QPolygon(points), QPolygon(points), QPolygon(points)};
    const TelemetryEntry missing;
    for (int i = 0; i < points; ++i) {
        const TelemetryEntry* found = telemetryEntry(i * m_step);
        const TelemetryEntry& entry = found ? *found : missing;
        const int x = frame.X(i);
        curves[0][i] = QPoint(x, frame.Y(entry.gX));
        curves[1][i] = QPoint(x, frame.Y(entry.gY));
        curves[2][i] = QPoint(x, frame.Y(entry.gZ));
    }
    for (int axis = 0; axis < 3; ++axis) {
        painter.setPen(m_axisPens[axis]);
        painter.drawPolyline(curves[axis]);
    }
}

void WaveformView::drawSpeedCurve(QPainter& painter, const PlotRect& plot)
{
    const int points = speedPointCount(m_entryCount);
    if (points < 2) {
        return;
    }
    const SpeedCurveFrame frame = makeSpeedCurveFrame(plot, points, m_unit);
    m_xStep = frame.xStep;

    QPolygon curve(points);
    for (int s = 0; s < points; ++s) {
        const TelemetryEntry* entry = telemetryEntry(s * kWaveEntriesPerSecond);
        curve[s] = QPoint(frame.X(s), frame.Y(entry ? speedIn(m_unit, entry->speedKmh) : 0));
    }
    painter.setPen(m_speedPen);
    painter.drawPolyline(curve);
}

void WaveformView::drawOverlays(QPainter& painter, const PlotRect& plot) const
{
    drawEventMarks(painter);
    drawPeakMark(painter, plot);
    if (cursorInRange()) {
        const int x = entryX(plot, m_cursorIndex);
        painter.setPen(m_cursorPen);
        painter.drawLine(x, plot.top, x, plot.bottom);
    }

    painter.setFont(m_font);
    const ValueTexts values =
        formatValueTexts(telemetryEntry(cursorInRange() ? m_cursorIndex : 0), m_unit);
    const int y = plot.bottom;
    drawText(painter, plot.left + kValueTextX[0], y, QColor(kAxisColors[0]), values.x);
    drawText(painter, plot.left + kValueTextX[1], y, QColor(kAxisColors[1]), values.y);
    drawText(painter, plot.left + kValueTextX[2], y, QColor(kAxisColors[2]), values.z);
    const std::string time = formatTimeText(m_elapsedSeconds, m_totalSeconds);
    const BottomTextPlaces places =
        placeSpeedAndTime(plot, m_metrics.horizontalAdvance(QString::fromStdString(values.speed)),
                          m_metrics.horizontalAdvance(QString::fromStdString(time)));
    drawText(painter, places.speedX, y, palette::kLabel, values.speed);
    drawText(painter, places.timeX, y, palette::kLabel, time);
}

void WaveformView::drawText(QPainter& painter, int x, int y, const QColor& color,
                            const std::string& text) const
{
    // Top-left aligned at (x, y), transparent background.
    painter.setPen(color);
    painter.drawText(x, y + m_metrics.ascent(), QString::fromStdString(text));
}
