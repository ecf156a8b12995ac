// The player window's trips: the session's trip on the map and as a summary on the title
// strip, and the export command.
#include "app/player_window.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "app/events_dialog.h"
#include "app/player_settings.h"
#include "app/window_placement.h"
#include "controls/seek_slider.h"
#include "instruments/waveform_view.h"
#include "skin/skin_palette.h"

namespace {

constexpr double kEventLeadSeconds = 5.0;  // an event plays from this long before it

}  // namespace

// The open recording's trip, as the session worked it out at the open or a change of list.
void PlayerWindow::showTrip()
{
    sendTrack();
    showTripSummary();
}

// The trip on the map, one part per recording.
void PlayerWindow::sendTrack()
{
    if (!m_mapView) {
        return;
    }
    const TripDigests& trip = m_session.trip();
    std::vector<MapTrack> parts;
    for (const TrackDigest* digest : trip.digests) {
        MapTrack& part = parts.emplace_back();
        part.reserve(digest->positions.size());
        for (const GeoPoint& p : digest->positions) {
            part.push_back({p.latitude, p.longitude});
        }
    }
    if (parts.empty()) {
        m_mapView->clearMap();  // nothing is open: no trip, and no note about a recording
        return;
    }
    m_mapView->setTrip(parts, std::max(trip.playingPart, 0));
}

void PlayerWindow::showTripSummary()
{
    const TripDigests& trip = m_session.trip();
    if (trip.playingPart >= 0) {
        m_waveformView->setPeak(trip.digests[static_cast<size_t>(trip.playingPart)]->peak.entry);
    }
    const QString text = m_session.tripSummary(m_speedUnit);
    if (text.isEmpty()) {
        clearTripSummary();  // no telemetry: nothing to sum up
        return;
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
    return QDir(player_settings::exportFolder())
        .filePath(m_session.tripBaseName(row) + QStringLiteral(".gpx"));
}

void PlayerWindow::exportTrip(int row, const QString& file)
{
    const PlaybackSession::TripExport result = m_session.exportTrip(row, file);
    if (!result.problem.isEmpty()) {
        showStatus(QStringLiteral("The track was not saved to %1: %2").arg(file, result.problem));
        return;
    }
    player_settings::setExportFolder(QFileInfo(file).absolutePath());
    showStatus(QStringLiteral("Exported the trip of %1 recording(s) to %2")
                   .arg(result.recordings)
                   .arg(QFileInfo(file).fileName()));
}

void PlayerWindow::showEventMarks()
{
    std::vector<int> entries;
    std::vector<SeekTick> ticks;
    if (m_session.isOpen()) {
        for (const GEvent& event : detectGEvents(m_session.telemetry(), m_eventThresholds)) {
            entries.push_back(event.entry);
            ticks.push_back(
                {seekBarMs(m_session.telemetryOffset() + event.seconds()), palette::kWarn});
        }
    }
    m_waveformView->setEventEntries(std::move(entries));
    m_seekSlider->setTicks(kEventTicks, std::move(ticks));
}

void PlayerWindow::setEventThresholds(const GEventThresholds& thresholds)
{
    m_eventThresholds = thresholds;
    player_settings::setEventThresholds(thresholds);
    showEventMarks();
}

void PlayerWindow::showEvents()
{
    showEventsOf(m_session.isOpen() ? m_session.currentIndex() : selectedRow());
}

void PlayerWindow::showEventsOf(int row)
{
    if (row < 0 || row >= m_session.catalogue().count()) {
        showStatus(QStringLiteral("Choose a recording to see the events of its trip."));
        return;
    }
    delete m_eventsDialog;
    m_eventsDialog = new EventsDialog(m_session.catalogue(), m_session.tripRows(row),
                                      m_eventThresholds, m_speedUnit, this);
    m_eventsDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_eventsDialog, &EventsDialog::eventChosen, this, [this](int eventRow, double seconds) {
        m_session.playFrom(eventRow, seconds - kEventLeadSeconds,
                           PlaybackSession::TimeBase::Telemetry);
    });
    connect(m_eventsDialog, &EventsDialog::thresholdsChanged, this,
            &PlayerWindow::setEventThresholds);
    placeBeside(m_eventsDialog, this);
    m_eventsDialog->show();
}
