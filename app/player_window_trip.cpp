// The player window's trips: the trip on the map, the summary on the title strip and
// track export.
#include "player_window.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sstream>

#include <unistd.h>

#include "player_settings.h"
#include "track_export.h"
#include "waveform_view.h"

namespace {

QString nameOf(const PlaylistCatalogue& list, int row)
{
    RecordingEntry node;
    list.entryAt(row, node);
    return QString::fromStdString(node.displayName);
}

QString duration(int seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// "12.3 km, 0:20:00, max 80 km/h, average 37 km/h", or in miles and mph.
QString tripFigures(const TripSummary& summary, SpeedUnit unit)
{
    const bool miles = unit == SpeedUnit::Mph;
    const QLatin1String length(miles ? "mi" : "km");
    const QLatin1String speed(miles ? "mph" : "km/h");
    return QStringLiteral("%1 %2, %3, max %4 %5, average %6 %5")
        .arg(inUnit(unit, summary.metres / 1000.0), 0, 'f', 1)
        .arg(length, duration(summary.seconds))
        .arg(speedIn(unit, summary.maxKmh))
        .arg(speed)
        .arg(inUnit(unit, summary.averageKmh), 0, 'f', 0);
}

// Every byte written and on the disk; why not, else nothing. A buffered write fails only at
// the flush, which commit() would not report: the file is committed only after it.
QString writeWhole(QFileDevice& out, const std::string& bytes)
{
    const auto size = static_cast<qint64>(bytes.size());
    if (out.write(bytes.data(), size) != size || !out.flush()) {
        return out.errorString();
    }
    if (out.handle() >= 0 && ::fsync(out.handle()) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    return {};
}

// Written aside and renamed over the target: a failed export leaves the old file as it was.
QString saveWhole(const QString& file, const std::string& bytes)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        return out.errorString();
    }
    if (QString problem = writeWhole(out, bytes); !problem.isEmpty()) {
        out.cancelWriting();
        return problem;
    }
    return out.commit() ? QString() : out.errorString();
}

}  // namespace

// The playing recording's trip on the map, one part per recording; each part is read once.
void PlayerWindow::sendTrack()
{
    if (!m_mapView) {
        return;
    }
    if (m_session.engine().state() == PlayState::Init) {
        m_mapView->clearMap();  // nothing is open: no trip, and no note about a recording
        return;
    }
    const TripDigests trip = m_session.tripOf(m_session.currentIndex());
    std::vector<MapTrack> parts;
    for (const TrackDigest* digest : trip.digests) {
        MapTrack& part = parts.emplace_back();
        part.reserve(digest->positions.size());
        for (const GeoPoint& p : digest->positions) {
            part.push_back({p.latitude, p.longitude});
        }
    }
    if (parts.empty()) {
        m_mapView->clearMap();
        return;
    }
    m_mapView->setTrip(parts, std::max(trip.playingPart, 0));
}

void PlayerWindow::showTripSummary()
{
    const TripDigests trip = m_session.tripOf(m_session.currentIndex());
    if (trip.playingPart >= 0) {
        m_waveformView->setPeak(trip.digests[static_cast<size_t>(trip.playingPart)]->peak.entry);
    }
    const TripSummary summary = summariseTrip(trip.digests);
    if (summary.seconds == 0) {
        clearTripSummary();  // no telemetry: nothing to sum up
        return;
    }
    QString text = QStringLiteral("Trip: %1").arg(tripFigures(summary, m_speedUnit));
    if (summary.peakPart >= 0 && summary.peakPart < static_cast<int>(trip.rows.size())) {
        const int row = trip.rows[static_cast<size_t>(summary.peakPart)];
        const RecordingClock clock = m_session.trips().clock(row);
        const int tenths = summary.peak.entry;
        const QString when = clock.startUtcMs ? utcClockText(*clock.startUtcMs + tenths * 100LL)
                                              : QStringLiteral("%1 s into %2")
                                                    .arg(tenths / 10)
                                                    .arg(nameOf(m_session.catalogue(), row));
        text += QStringLiteral(", peak %1 g at %2").arg(summary.peak.g, 0, 'f', 2).arg(when);
    }
    m_summaryLine->setText(
        m_summaryLine->fontMetrics().elidedText(text, Qt::ElideRight, m_summaryLine->width()));
    m_summaryLine->setToolTip(text);
    showSummaryWhenNoNote();
}

void PlayerWindow::clearTripSummary()
{
    m_summaryLine->clear();
    m_summaryLine->setToolTip({});
    m_summaryLine->hide();
}

// A note passes over the summary; the summary comes back when the note goes.
void PlayerWindow::showSummaryWhenNoNote()
{
    m_summaryLine->setVisible(m_statusLine->isHidden() && !m_summaryLine->text().isEmpty());
}

void PlayerWindow::onExportTrack()
{
    const int row = selectedRow();
    if (row < 0 || row >= m_session.catalogue().count() || !m_services.chooseExportFile) {
        return;
    }
    const QString file = m_services.chooseExportFile(this, exportSuggestion(row));
    if (!file.isEmpty()) {
        exportTrip(row, file);
    }
}

// The export folder, and the trip's first recording's name: 20240611_081500_ICAT.gpx.
QString PlayerWindow::exportSuggestion(int row)
{
    const std::vector<int> rows = m_session.tripRows(row);
    const QString first = nameOf(m_session.catalogue(), rows.empty() ? row : rows.front());
    return QDir(player_settings::exportFolder())
        .filePath(QFileInfo(first).completeBaseName() + QStringLiteral(".gpx"));
}

// The whole trip of the row: one GPX segment per recording, or CSV rows when the name asks.
void PlayerWindow::exportTrip(int row, const QString& file)
{
    const std::vector<int> rows = m_session.tripRows(row);
    std::vector<TelemetryTable> tables(rows.size());
    std::vector<ExportPart> parts;
    RecordingEntry node;
    for (size_t i = 0; i < rows.size(); ++i) {
        m_session.catalogue().entryAt(rows[i], node);
        tables[i].readRecording(node);
        parts.push_back(
            {node.displayName, &tables[i], m_session.trips().clock(rows[i]).startUtcMs});
    }
    std::ostringstream text;
    const bool csv = file.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    if (csv) {
        writeCsvHeader(text);
        for (const ExportPart& part : parts) {
            writeCsvRows(text, part);
        }
    } else {
        writeGpxHeader(text, "dashcam-player");
        writeGpxTrackBegin(text, parts.empty() ? std::string() : parts.front().name);
        for (const ExportPart& part : parts) {
            writeGpxSegment(text, part);
        }
        writeGpxTrackEnd(text);
        writeGpxFooter(text);
    }
    if (const QString problem = saveWhole(file, text.str()); !problem.isEmpty()) {
        showStatus(QStringLiteral("The track was not saved to %1: %2").arg(file, problem));
        return;
    }
    player_settings::setExportFolder(QFileInfo(file).absolutePath());
    showStatus(QStringLiteral("Exported the trip of %1 recording(s) to %2")
                   .arg(parts.size())
                   .arg(QFileInfo(file).fileName()));
}
