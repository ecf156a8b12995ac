#include "clip/overlay_painter.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBandShare = 0.09;  // of the frame's height
constexpr double kBarShare = 0.22;   // of the frame's width
constexpr double kFullScaleG = 1.0;

void paintGBar(QPainter& painter, const QRectF& band, const OverlayText& overlay)
{
    const double g = std::hypot(overlay.gX, overlay.gY);
    const double margin = band.height() * 0.25;
    const QRectF bar(band.right() - band.width() * kBarShare, band.top() + margin,
                     band.width() * kBarShare * 0.6, band.height() - 2 * margin);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar);
    const double share = std::clamp(g / kFullScaleG, 0.0, 1.0);
    painter.fillRect(QRectF(bar.left(), bar.top(), bar.width() * share, bar.height()),
                     g < 0.35 ? QColor(80, 200, 80) : QColor(230, 70, 50));
    const QRectF label(bar.right() + margin, band.top(), band.right() - bar.right() - margin,
                       band.height());
    painter.drawText(label, Qt::AlignVCenter | Qt::AlignLeft, QString::asprintf("%.2f g", g));
}

}  // namespace

void paintOverlay(QImage& frame, const OverlayText& overlay)
{
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    const double height = std::max(frame.height() * kBandShare, 12.0);
    const QRectF band(0, frame.height() - height, frame.width(), height);
    painter.fillRect(band, QColor(0, 0, 0, 170));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(height * 0.45));
    painter.setFont(font);
    painter.setPen(Qt::white);
    const double margin = height * 0.3;
    const QRectF text(band.left() + margin, band.top(),
                      band.width() * (1.0 - kBarShare) - 2 * margin, band.height());
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(overlay.text));
    if (overlay.hasAxes) {
        paintGBar(painter, band, overlay);
    }
}
