// The player window's trips: the trip on the map, the summary on the title strip and
// track export.
#include "player_dlg.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>

#include <sstream>

#include "player_settings.h"
#include "track_export.h"
#include "wave_form_ctrl.h"

namespace {

QString NameOf(const CPlayList& list, int row)
{
    tagFileNode node;
    list.GetAt(row, node);
    return QString::fromStdString(node.strFileName);
}

QString Duration(int seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

// The playing recording's trip on the map, one part per recording; each part is read once.
void CPlayerDlg::SendTrack()
{
    if (!mapView) {
        return;
    }
    if (m_session.engine().state() == PlayState::Init) {
        mapView->clearMap();  // nothing is open: no trip, and no note about a recording
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
        mapView->clearMap();
        return;
    }
    mapView->setTrip(parts, std::max(trip.playingPart, 0));
}

void CPlayerDlg::ShowTripSummary()
{
    const TripDigests trip = m_session.tripOf(m_session.currentIndex());
    if (trip.playingPart >= 0) {
        waveform->SetPeak(trip.digests[static_cast<size_t>(trip.playingPart)]->peak.entry);
    }
    const TripSummary summary = SummariseTrip(trip.digests);
    if (summary.seconds == 0) {
        ClearTripSummary();  // no telemetry: nothing to sum up
        return;
    }
    QString text = QStringLiteral("Trip: %1 km, %2, max %3 km/h, average %4 km/h")
                       .arg(summary.metres / 1000.0, 0, 'f', 1)
                       .arg(Duration(summary.seconds))
                       .arg(summary.maxKmh)
                       .arg(summary.averageKmh, 0, 'f', 0);
    if (summary.peakPart >= 0 && summary.peakPart < static_cast<int>(trip.rows.size())) {
        const int row = trip.rows[static_cast<size_t>(summary.peakPart)];
        const RecordingClock clock = m_session.trips().Clock(row);
        const int tenths = summary.peak.entry;
        const QString when = clock.startUtcMs ? UtcClockText(*clock.startUtcMs + tenths * 100LL)
                                              : QStringLiteral("%1 s into %2").arg(tenths / 10).arg(NameOf(m_session.catalogue(), row));
        text += QStringLiteral(", peak %1 g at %2").arg(summary.peak.g, 0, 'f', 2).arg(when);
    }
    summaryLine->setText(summaryLine->fontMetrics().elidedText(text, Qt::ElideRight, summaryLine->width()));
    summaryLine->setToolTip(text);
    ShowSummaryWhenNoNote();
}

void CPlayerDlg::ClearTripSummary()
{
    summaryLine->clear();
    summaryLine->setToolTip({});
    summaryLine->hide();
}

// A note passes over the summary; the summary comes back when the note goes.
void CPlayerDlg::ShowSummaryWhenNoNote()
{
    summaryLine->setVisible(!statusLine->isVisible() && !summaryLine->text().isEmpty());
}

void CPlayerDlg::OnExportTrack()
{
    const int row = SelectedRow();
    if (row < 0 || row >= m_session.catalogue().GetCount() || !services.chooseExportFile) {
        return;
    }
    const QString file = services.chooseExportFile(this, ExportSuggestion(row));
    if (!file.isEmpty()) {
        ExportTrip(row, file);
    }
}

// The export folder, and the trip's first recording's name: 20240611_081500_ICAT.gpx.
QString CPlayerDlg::ExportSuggestion(int row)
{
    const std::vector<int> rows = m_session.tripRows(row);
    const QString first = NameOf(m_session.catalogue(), rows.empty() ? row : rows.front());
    return QDir(player_settings::ExportFolder()).filePath(QFileInfo(first).completeBaseName() + QStringLiteral(".gpx"));
}

// The whole trip of the row: one GPX segment per recording, or CSV rows when the name asks.
void CPlayerDlg::ExportTrip(int row, const QString& file)
{
    const std::vector<int> rows = m_session.tripRows(row);
    std::vector<CAssistInfoReader> tables(rows.size());
    std::vector<ExportPart> parts;
    tagFileNode node;
    for (size_t i = 0; i < rows.size(); ++i) {
        m_session.catalogue().GetAt(rows[i], node);
        tables[i].ReadRecording(node);
        parts.push_back({node.strFileName, &tables[i], m_session.trips().Clock(rows[i]).startUtcMs});
    }
    std::ostringstream text;
    const bool csv = file.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    if (csv) {
        WriteCsvHeader(text);
        for (const ExportPart& part : parts) {
            WriteCsvRows(text, part);
        }
    } else {
        WriteGpxHeader(text, "dashcam-player");
        WriteGpxTrackBegin(text, parts.empty() ? std::string() : parts.front().name);
        for (const ExportPart& part : parts) {
            WriteGpxSegment(text, part);
        }
        WriteGpxTrackEnd(text);
        WriteGpxFooter(text);
    }
    // Written aside and renamed over the target: a failed export leaves no half file.
    QSaveFile out(file);
    const std::string bytes = text.str();
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !out.commit()) {
        ShowStatus(QStringLiteral("The track was not saved to %1: %2").arg(file, out.errorString()));
        return;
    }
    player_settings::SetExportFolder(QFileInfo(file).absolutePath());
    ShowStatus(QStringLiteral("Exported the trip of %1 recording(s) to %2").arg(parts.size()).arg(QFileInfo(file).fileName()));
}
