// The player window's trips: the list's trip marks, the trip on the map, play order
// through the trip, the summary on the title strip and track export.
#include "player_dlg.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>

#include <sstream>

#include "player_settings.h"
#include "skin_list.h"
#include "track_export.h"
#include "wave_form_ctrl.h"

namespace {

QString NameOf(const CPlayList& list, int row)
{
    tagFileNode node;
    list.GetAt(row, node);
    return QString::fromStdString(node.strFileName);
}

QString UtcClock(std::int64_t utcMs)
{
    // "2024-06-11T08:15:00Z" -> "08:15:00"
    return QString::fromStdString(IsoUtcTime(utcMs)).mid(11, 8);
}

QString Duration(int seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString TripTip(const TripIndex& trips, std::span<const int> rows)
{
    const RecordingClock first = trips.Clock(rows.front());
    if (!first.startUtcMs) {
        return QStringLiteral("No time in this recording: a trip of its own");
    }
    return QStringLiteral("A trip of %1 recording(s) from %2").arg(rows.size()).arg(UtcClock(*first.startUtcMs));
}

}  // namespace

// After every change of the list: the trips again, and their first rows marked.
void CPlayerDlg::RefreshTrips()
{
    trips.Update(catalogue);
    std::vector<std::pair<int, QString>> starts;
    for (const std::vector<int>& trip : trips.Plan().Trips()) {
        starts.emplace_back(trip.front(), TripTip(trips, trip));
    }
    playlistModel.setTripStarts(starts);
}

void CPlayerDlg::EnsureTrips()
{
    if (trips.Plan().RowCount() != catalogue.GetCount()) {
        RefreshTrips();
    }
}

// Next and previous follow the trips' time order (the list's order for camera names).
int CPlayerDlg::StepInTrips(PlayDirection direction)
{
    EnsureTrips();
    return direction == Next ? trips.Plan().Next(currentIndex) : trips.Plan().Previous(currentIndex);
}

// The playing recording's trip on the map, one part per recording; each part is read once.
void CPlayerDlg::SendTrack()
{
    if (!mapView) {
        return;
    }
    if (engine.state() == PlayState::Init) {
        mapView->clearMap();  // nothing is open: no trip, and no note about a recording
        return;
    }
    EnsureTrips();
    std::vector<MapTrack> parts;
    int playing = 0;
    tagFileNode node;
    for (const int row : trips.Plan().TripRows(currentIndex)) {
        if (catalogue.GetAt(row, node) != 0) {
            continue;
        }
        if (row == currentIndex) {
            playing = static_cast<int>(parts.size());
        }
        const TrackDigest& digest = trips.Digest(node, row == currentIndex ? &telemetry : nullptr);
        MapTrack& part = parts.emplace_back();
        part.reserve(digest.positions.size());
        for (const GeoPoint& p : digest.positions) {
            part.push_back({p.latitude, p.longitude});
        }
    }
    if (parts.empty()) {
        mapView->clearMap();
        return;
    }
    mapView->setTrip(parts, playing);
}

void CPlayerDlg::ShowTripSummary()
{
    EnsureTrips();
    const std::span<const int> rows = trips.Plan().TripRows(currentIndex);
    std::vector<const TrackDigest*> digests;
    tagFileNode node;
    for (const int row : rows) {
        if (catalogue.GetAt(row, node) == 0) {
            digests.push_back(&trips.Digest(node, row == currentIndex ? &telemetry : nullptr));
        }
    }
    if (catalogue.GetAt(currentIndex, node) == 0) {
        waveform->SetPeak(trips.Digest(node, &telemetry).peak.entry);
    }
    const TripSummary summary = SummariseTrip(digests);
    if (summary.seconds == 0) {
        ClearTripSummary();  // no telemetry: nothing to sum up
        return;
    }
    QString text = QStringLiteral("Trip: %1 km, %2, max %3 km/h, average %4 km/h")
                       .arg(summary.metres / 1000.0, 0, 'f', 1)
                       .arg(Duration(summary.seconds))
                       .arg(summary.maxKmh)
                       .arg(summary.averageKmh, 0, 'f', 0);
    if (summary.peakPart >= 0 && summary.peakPart < static_cast<int>(rows.size())) {
        const int row = rows[static_cast<size_t>(summary.peakPart)];
        const RecordingClock clock = trips.Clock(row);
        const int tenths = summary.peak.entry;
        const QString when = clock.startUtcMs ? UtcClock(*clock.startUtcMs + tenths * 100LL)
                                              : QStringLiteral("%1 s into %2").arg(tenths / 10).arg(NameOf(catalogue, row));
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

QString CPlayerDlg::TripSummaryText() const
{
    return summaryLine->toolTip();
}

void CPlayerDlg::OnExportTrack()
{
    const int row = SelectedRow();
    if (row < 0 || row >= catalogue.GetCount() || !services.chooseExportFile) {
        return;
    }
    EnsureTrips();
    const QString file = services.chooseExportFile(this, ExportSuggestion(row));
    if (!file.isEmpty()) {
        ExportTrip(row, file);
    }
}

// The export folder, and the trip's first recording's name: 20240611_081500_ICAT.gpx.
QString CPlayerDlg::ExportSuggestion(int row) const
{
    const std::span<const int> rows = trips.Plan().TripRows(row);
    const QString first = NameOf(catalogue, rows.empty() ? row : rows.front());
    return QDir(player_settings::ExportFolder()).filePath(QFileInfo(first).completeBaseName() + QStringLiteral(".gpx"));
}

// The whole trip of the row: one GPX segment per recording, or CSV rows when the name asks.
void CPlayerDlg::ExportTrip(int row, const QString& file)
{
    EnsureTrips();
    const std::span<const int> rows = trips.Plan().TripRows(row);
    std::vector<CAssistInfoReader> tables(rows.size());
    std::vector<ExportPart> parts;
    tagFileNode node;
    for (size_t i = 0; i < rows.size(); ++i) {
        catalogue.GetAt(rows[i], node);
        tables[i].ReadRecording(node);
        parts.push_back({node.strFileName, &tables[i], trips.Clock(rows[i]).startUtcMs});
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
