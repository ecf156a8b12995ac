// The player window's playing side: what a recording shows when it opens, the play
// position, the transport and volume buttons, the seek bar, and snapshots.
#include "app/player_window.h"

#include <QLabel>
#include <QToolTip>

#include <algorithm>
#include <cmath>

#include <QDir>
#include <QFileInfo>

#include "app/dialog_layout.h"
#include "app/gauges.h"
#include "app/player_settings.h"
#include "app/snapshot_tags.h"
#include "app/snapshot_target.h"
#include "controls/seek_slider.h"
#include "controls/skin_button.h"
#include "instruments/waveform_view.h"
#include "playback/channels_view.h"
#include "res/resources.h"

namespace {

constexpr int kMsPerCursorStep = 100;

QString speedLabel(int kmh, SpeedUnit unit)
{
    return QStringLiteral("%1%2").arg(speedIn(unit, kmh)).arg(QLatin1String(speedUnitSuffix(unit)));
}

}  // namespace

// A recording opened: the seek bar's range, its chart, the volume, its trip on the map.
void PlayerWindow::showTrack(int, double durationSeconds)
{
    m_seekSlider->setRange(0, seekBarMs(static_cast<int>(durationSeconds)));
    if (!m_firstRecordingOpened) {
        m_firstRecordingOpened = true;
        update(m_videoArea->geometry());
    }
    m_waveformView->setDuration(static_cast<int>(durationSeconds));
    m_waveformView->reload();
    showEventMarks();
    drawVolumeIndicator(m_session.volumeLevel());
    resetGauges();
}

void PlayerWindow::resetGauges()
{
    drawSpeedNeedle(0);
    drawCompass(180.0);
}

// Nothing of a recording that has gone may stay on the gauges, chart or map.
void PlayerWindow::resetDisplays()
{
    resetGauges();
    m_waveformView->reset();
    m_seekSlider->setTicks(kEventTicks, {});
    m_seekSlider->setValue(0);
    clearMap();
    clearTripSummary();
}

void PlayerWindow::clearMap()
{
    if (m_mapView) {
        m_mapView->clearMap();
    }
}

void PlayerWindow::showPosition(double position, const TelemetryEntry* entry)
{
    // While paused the bar is the user's to drag.
    if (m_session.state() != PlayState::Paused) {
        m_seekSlider->setValue(seekBarMs(position));
    }
    // The chart is the telemetry channel's, which may start later in the moment.
    const double logged = position - m_session.telemetryOffset();
    m_waveformView->setCursorEntry(static_cast<int>(std::floor(logged * 1000 / kMsPerCursorStep)));
    m_waveformView->setElapsed(static_cast<int>(position));

    if (!entry) {
        drawCompass(180.0);
        drawSpeedNeedle(0);
        return;
    }
    if (!entry->hasPosition()) {
        return;  // no fix: map, needle and compass keep what they show
    }
    if (m_mapView) {
        m_mapView->setPosition(QString::fromStdString(degreesText(entry->position->latitude)),
                               QString::fromStdString(degreesText(entry->position->longitude)),
                               QStringLiteral("0"));
    }
    if (entry->speedKmh != m_shownSpeed) {
        drawSpeedNeedle(entry->speedKmh);  // also the speed text
    }
    if (entry->course != m_shownHeading) {
        drawCompass(entry->course);
    }
}

void PlayerWindow::setPlayButton(bool running)
{
    const QString wanted = running ? QStringLiteral("Pause") : QStringLiteral("Play");
    if (m_playButton->text() != wanted) {
        m_playButton->setText(wanted);
        m_playButton->setImage(
            skinPicture(running ? QStringLiteral("pause.png") : QStringLiteral("play.png")));
    }
}

void PlayerWindow::onPlay()
{
    m_session.playOrPause(selectedRow());
}

void PlayerWindow::onStop()
{
    m_session.stop();
}

// The thumb was dragged: the time under it, next to it.
void PlayerWindow::onSeekBarMoving()
{
    const int position = m_seekSlider->sliderPosition();
    const QPoint thumb(m_seekSlider->positionToPixel(position), 0);
    QToolTip::showText(m_seekSlider->mapToGlobal(thumb), clockText(seekBarSeconds(position)),
                       m_seekSlider);
}

// Released or moved by a key: play goes there, and on if it was playing before the press.
void PlayerWindow::onSeekBarMoved()
{
    m_session.seekTo(seekBarSeconds(m_seekSlider->value()));
    if (m_seekSlider->isSliderDown()) {
        return;
    }
    QToolTip::hideText();
    m_session.finishSeek();
}

void PlayerWindow::onVolumeDown()
{
    m_session.volumeDown();
}

void PlayerWindow::onVolumeUp()
{
    m_session.volumeUp();
}

void PlayerWindow::drawVolumeIndicator(int level)
{
    const int lit = level > 0 ? level - 1 : 0;
    for (int i = 0; i < ctl::kVolumeBars; ++i) {
        m_volumeBars[static_cast<size_t>(i)]->setPixmap(i <= lit ? m_volumeOn : m_volumeOff);
    }
    m_volumeDownButton->setEnabled(true);
    m_volumeUpButton->setEnabled(true);
}

int PlayerWindow::litVolumeBars() const
{
    int lit = 0;
    for (const QLabel* bar : m_volumeBars) {
        lit += bar->pixmap().cacheKey() == m_volumeOn.cacheKey() ? 1 : 0;
    }
    return lit;
}

// The window paints both gauges from m_shownSpeed and m_compassSquare, so nothing can draw
// over them: they need a repaint only when they change (the needle tick and the ticks past the
// end of the telemetry then cost nothing).
void PlayerWindow::drawSpeedNeedle(int speed)
{
    const int clamped = gauges::clampSpeed(speed);
    m_speedLabel->setText(speedLabel(clamped, m_speedUnit));
    if (clamped != m_shownSpeed) {
        m_shownSpeed = clamped;
        update(skin::kNeedleSweep.translated(gaugeOffset()));
    }
}

void PlayerWindow::setSpeedUnit(SpeedUnit unit)
{
    const QRect oldFace(m_dialFace.origin, m_dialPicture.size());
    m_speedUnit = unit;
    m_dialFace = gauges::dialFor(unit);
    m_dialPicture = QImage();
    if (!m_dialFace.picture.isEmpty()) {
        m_dialPicture = skinPicture(m_dialFace.picture);
    }
    m_waveformView->setSpeedUnit(unit);
    m_speedLabel->setText(speedLabel(m_shownSpeed, unit));
    if (!m_summaryLine->text().isEmpty()) {
        showTripSummary();  // its distance and speeds in the new unit
    }
    update(skin::kNeedleSweep.united(oldFace)
               .united(QRect(m_dialFace.origin, m_dialPicture.size()))
               .translated(gaugeOffset()));
    player_settings::setUnits(unit);
}

void PlayerWindow::drawCompass(double heading)
{
    const bool turned = skin::compassDegrees(heading) != skin::compassDegrees(m_shownHeading);
    m_shownHeading = heading;
    if (turned) {
        m_compassSquare = gauges::rotateArrow(m_compassArrow, heading);
        update(gauges::kCompassRepair.translated(gaugeOffset()));
    }
}

void PlayerWindow::onCapture()
{
    m_session.holdFrame([this] {
        const QString file = m_services.chooseSnapshotFile
                                 ? m_services.chooseSnapshotFile(this, snapshotSuggestion())
                                 : QString();
        if (!file.isEmpty()) {
            saveSnapshot(file);
        }
    });
}

// The pictures folder (or where the last one went), and the recording's name with the
// play position: 20240611_081500_00m42s.jpg.
QString PlayerWindow::snapshotSuggestion() const
{
    RecordingEntry node;
    m_session.currentEntry(node);
    const int seconds = std::max(0, static_cast<int>(m_session.position()));
    const QString name =
        QStringLiteral("%1_%2m%3s.jpg")
            .arg(QFileInfo(QString::fromStdString(node.displayName)).completeBaseName())
            .arg(seconds / 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QDir(player_settings::snapshotFolder()).filePath(name);
}

void PlayerWindow::saveSnapshot(const QString& file)
{
    const QString name = QFileInfo(file).fileName();
    const std::string problem = snapshotTargetProblem(QFile::encodeName(file).toStdString());
    if (!problem.empty()) {
        showStatus(QStringLiteral("The picture was not saved to %1: %2.")
                       .arg(name, QString::fromStdString(problem)));
        return;
    }
    setCursor(Qt::WaitCursor);
    RecordingEntry node;
    m_session.currentEntry(node);
    const SnapshotTags tags =
        snapshotTagsFor(node, m_session.currentSample(), m_session.position(), m_speedUnit);
    const bool written = m_session.writeFrame(file, tags);
    setCursor(Qt::ArrowCursor);
    if (!written) {
        showStatus(QStringLiteral("Could not save the picture to %1.").arg(file));
        return;
    }
    player_settings::setSnapshotFolder(QFileInfo(file).absolutePath());
}
