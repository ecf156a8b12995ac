#include "wave_form_ctrl.h"

#include "assist_info_reader.h"
#include "skin_palette.h"

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

constexpr int kFontCellHeight = 14;
constexpr int kValueTextX[3] = {200, 280, 360};  // X, Y, Z; from the plot's left

QPen SolidPen(QRgb color)
{
    return QPen(QColor(color), 1, Qt::SolidLine, Qt::SquareCap);
}

QPen DottedPen(QRgb color)
{
    QPen pen(QColor(color), 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({3, 3});
    return pen;
}

// Arial (or its metric twin) at the largest size whose character cell, ascent plus
// descent, is at most the given height.
QFont CellHeightFont(int cellHeight)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    for (int pixels = cellHeight; pixels > 1; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= cellHeight)
            break;
    }
    return font;
}

QRect FillRect(const PlotRect& plot)
{
    return QRect(plot.left, plot.top, plot.Width(), plot.Height());
}

}  // namespace

CWaveFormCtrl::CWaveFormCtrl(QWidget* parent)
    : QWidget(parent),
      m_font(CellHeightFont(kFontCellHeight)),
      m_metrics(m_font),
      m_gridPen(SolidPen(palette::kWaveGrid.rgb())),
      m_dottedGridPen(DottedPen(palette::kWaveGrid.rgb())),
      m_axisPens{SolidPen(kAxisColors[0]), SolidPen(kAxisColors[1]), SolidPen(kAxisColors[2])},
      m_cursorPen(SolidPen(kCursorColor)),
      m_speedPen(SolidPen(kSpeedColor))
{
    // Every pixel is painted from the layer: nothing to erase first, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void CWaveFormCtrl::SetSource(CAssistInfoReader* source)
{
    m_source = source;
}

void CWaveFormCtrl::SetDuration(int seconds)
{
    m_totalSeconds = seconds;
}

void CWaveFormCtrl::Reload()
{
    m_entryCount = m_source ? m_source->GetCount() : 0;
    m_cursorIndex = 0;
    m_peakIndex = -1;
    m_step = ChartStep(m_entryCount);
    m_layerStale = true;
    update();
}

void CWaveFormCtrl::SetCursor(int index)
{
    if (index < 0 || index > m_entryCount)
        return;
    m_cursorIndex = index;
    update();
}

void CWaveFormCtrl::SetElapsed(int seconds)
{
    m_elapsedSeconds = seconds;
    update();
}

void CWaveFormCtrl::ToggleMode()
{
    SetSpeedView(!m_speedView);
}

void CWaveFormCtrl::SetSpeedView(bool speedView)
{
    m_speedView = speedView;
    m_layerStale = true;
    update();
}

void CWaveFormCtrl::SetSpeedUnit(SpeedUnit unit)
{
    m_unit = unit;
    m_layerStale = true;
    update();
}

void CWaveFormCtrl::Reset()
{
    m_entryCount = 0;
    m_cursorIndex = 0;
    m_elapsedSeconds = 0;
    m_totalSeconds = 0;
    m_step = 1;
    m_peakIndex = -1;
    if (m_source)
        m_source->Clear();
    m_layerStale = true;
    update();
}

void CWaveFormCtrl::SetPeak(int index)
{
    m_peakIndex = index >= 0 && index <= m_entryCount ? index : -1;
    update();
}

int CWaveFormCtrl::EntryX(const PlotRect& plot, int index) const
{
    return CurveX(plot.left, m_xStep, CursorPoint(index, m_step, m_speedView));
}

QRect CWaveFormCtrl::PeakMarkRect() const
{
    if (m_peakIndex < 0 || m_peakIndex > m_entryCount)
        return {};
    const PlotRect plot = PlotRectFor(width(), height());
    const int x = EntryX(plot, m_peakIndex);
    return QRect(x - kPeakFlagSize / 2, plot.top, kPeakFlagSize, kPeakFlagSize);
}

void CWaveFormCtrl::mousePressEvent(QMouseEvent* event)
{
    const QRect flag = PeakMarkRect();
    const QRect target = flag.adjusted(-kPeakClickSlack, -kPeakClickSlack, kPeakClickSlack, kPeakClickSlack);
    if (event->button() == Qt::LeftButton && !flag.isEmpty() && target.contains(event->position().toPoint())) {
        emit peakClicked(m_peakIndex);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CWaveFormCtrl::DrawPeakMark(QPainter& painter, const PlotRect& plot) const
{
    const QRect flag = PeakMarkRect();
    if (flag.isEmpty())
        return;
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

const tagAssistInfo* CWaveFormCtrl::Entry(int index) const
{
    return m_source ? m_source->Find(index) : nullptr;
}

void CWaveFormCtrl::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    const PlotRect plot = PlotRectFor(width(), height());
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    // A resized or moved-to-another-screen control needs a layer of its new size.
    if (m_layerStale || m_layerPixels.size() != pixels || m_layerPixels.devicePixelRatio() != ratio) {
        if (m_layerPixels.size() != pixels)
            m_layerPixels = QPixmap(pixels);
        m_layerPixels.setDevicePixelRatio(ratio);
        BuildLayer(plot);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_layerPixels);
    DrawOverlays(painter, plot);
}

void CWaveFormCtrl::BuildLayer(const PlotRect& plot)
{
    QPainter painter(&m_layerPixels);
    painter.fillRect(rect(), palette::kWaveGround);
    painter.fillRect(FillRect(plot), palette::kWavePlot);
    DrawLabels(painter, plot);
    DrawGrid(painter, plot);
    m_xStep = 0.0f;
    if (m_speedView)
        DrawSpeedCurve(painter, plot);
    else
        DrawGCurves(painter, plot);
    m_layerStale = false;
}

void CWaveFormCtrl::DrawLabels(QPainter& painter, const PlotRect& plot) const
{
    painter.setFont(m_font);
    for (const ScaleLabel& label : ScaleLabels(plot, m_speedView, m_unit))
        DrawText(painter, label.x, label.y, palette::kLabel, label.text);
}

void CWaveFormCtrl::DrawGrid(QPainter& painter, const PlotRect& plot) const
{
    const int q = plot.Quarter();
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

void CWaveFormCtrl::DrawGCurves(QPainter& painter, const PlotRect& plot)
{
    const int points = GPointCount(m_entryCount, m_step);
    if (m_entryCount < 2 || points < 2)
        return;
    const GCurveFrame frame = MakeGCurveFrame(plot, points);
    m_xStep = frame.xStep;

    QPolygon curves[3] = {QPolygon(points), QPolygon(points), QPolygon(points)};
    const tagAssistInfo missing;
    for (int i = 0; i < points; ++i) {
        const tagAssistInfo* found = Entry(i * m_step);
        const tagAssistInfo& entry = found ? *found : missing;
        const int x = frame.X(i);
        curves[0][i] = QPoint(x, frame.Y(entry.fX));
        curves[1][i] = QPoint(x, frame.Y(entry.fY));
        curves[2][i] = QPoint(x, frame.Y(entry.fZ));
    }
    for (int axis = 0; axis < 3; ++axis) {
        painter.setPen(m_axisPens[axis]);
        painter.drawPolyline(curves[axis]);
    }
}

void CWaveFormCtrl::DrawSpeedCurve(QPainter& painter, const PlotRect& plot)
{
    const int points = SpeedPointCount(m_entryCount);
    if (points < 2)
        return;
    const SpeedCurveFrame frame = MakeSpeedCurveFrame(plot, points, m_unit);
    m_xStep = frame.xStep;

    QPolygon curve(points);
    for (int s = 0; s < points; ++s) {
        const tagAssistInfo* entry = Entry(s * kWaveEntriesPerSecond);
        curve[s] = QPoint(frame.X(s), frame.Y(entry ? SpeedIn(m_unit, entry->nSpeed) : 0));
    }
    painter.setPen(m_speedPen);
    painter.drawPolyline(curve);
}

void CWaveFormCtrl::DrawOverlays(QPainter& painter, const PlotRect& plot) const
{
    DrawPeakMark(painter, plot);
    if (CursorInRange()) {
        const int x = EntryX(plot, m_cursorIndex);
        painter.setPen(m_cursorPen);
        painter.drawLine(x, plot.top, x, plot.bottom);
    }

    painter.setFont(m_font);
    const ValueTexts values = FormatValueTexts(Entry(CursorInRange() ? m_cursorIndex : 0), m_unit);
    const int y = plot.bottom;
    DrawText(painter, plot.left + kValueTextX[0], y, QColor(kAxisColors[0]), values.x);
    DrawText(painter, plot.left + kValueTextX[1], y, QColor(kAxisColors[1]), values.y);
    DrawText(painter, plot.left + kValueTextX[2], y, QColor(kAxisColors[2]), values.z);
    const std::string time = FormatTimeText(m_elapsedSeconds, m_totalSeconds);
    const BottomTextPlaces places =
        PlaceSpeedAndTime(plot, m_metrics.horizontalAdvance(QString::fromStdString(values.speed)),
                          m_metrics.horizontalAdvance(QString::fromStdString(time)));
    DrawText(painter, places.speedX, y, palette::kLabel, values.speed);
    DrawText(painter, places.timeX, y, palette::kLabel, time);
}

void CWaveFormCtrl::DrawText(QPainter& painter, int x, int y, const QColor& color,
                             const std::string& text) const
{
    // Top-left aligned at (x, y), transparent background.
    painter.setPen(color);
    painter.drawText(x, y + m_metrics.ascent(), QString::fromStdString(text));
}
