// The player window's playing side: what a recording shows when it opens, the display
// tick, the transport and volume buttons, the seek bar, and snapshots.
#include "player_dlg.h"

#include <QLabel>
#include <QToolTip>

#include <algorithm>

#include <QDir>
#include <QFileInfo>

#include "bitmap_slider.h"
#include "blit.h"
#include "dialog_layout.h"
#include "gauges.h"
#include "player_settings.h"
#include "png_button.h"
#include "resource_image.h"
#include "snapshot_tags.h"
#include "snapshot_target.h"
#include "video_widget.h"
#include "wave_form_ctrl.h"

namespace {

constexpr int kMsPerCursorStep = 100;

QString SpeedLabel(int kmh, SpeedUnit unit)
{
    return QStringLiteral("%1%2").arg(SpeedIn(unit, kmh)).arg(QLatin1String(SpeedUnitSuffix(unit)));
}

}  // namespace

// A recording opened: the seek bar's range, its chart, the volume, its trip on the map.
void CPlayerDlg::showTrack(int, double durationSeconds)
{
    seekBar->SetRange(0, seekBarUnits(static_cast<int>(durationSeconds)), false);
    if (!firstRecordingOpened) {
        firstRecordingOpened = true;
        update(videoArea->geometry());
    }
    waveform->SetDuration(static_cast<int>(durationSeconds));
    waveform->Reload();
    drawVolumeIndicator(m_session.volumeLevel());
    ResetGauges();
    SendTrack();
    ShowTripSummary();
}

void CPlayerDlg::ResetGauges()
{
    drawSpeedNeedle(0);
    drawCompass(180.0);
}

// Nothing of a recording that has gone may stay on the gauges, chart or map.
void CPlayerDlg::ResetDisplays()
{
    ResetGauges();
    waveform->Reset();
    seekBar->SetPosition(0);
    ClearMap();
    ClearTripSummary();
}

void CPlayerDlg::ClearMap()
{
    if (mapView) {
        mapView->clearMap();
    }
}

void CPlayerDlg::displayTick()
{
    const PlayState state = m_session.engine().state();
    const double position = m_session.position();
    if (state == PlayState::Running || state == PlayState::Stopped) {
        seekBar->SetPosition(seekBarUnits(position));
    }
    waveform->SetCursor(static_cast<int>(position * 1000 / kMsPerCursorStep));
    waveform->SetElapsed(static_cast<int>(position));

    const tagAssistInfo* entry = m_session.currentSample();
    if (!entry) {
        drawCompass(180.0);
        drawSpeedNeedle(0);
        return;
    }
    if (!entry->HasPosition()) {
        return;  // no fix: map, needle and compass keep what they show
    }
    if (mapView) {
        mapView->SetLgtLat(QString::fromStdString(entry->strLatitude), QString::fromStdString(entry->strLongitude),
                           QStringLiteral("0"));
    }
    if (entry->nSpeed != shownSpeed) {
        drawSpeedNeedle(entry->nSpeed);  // also the speed text
    }
    if (entry->dCourse != shownHeading) {
        drawCompass(entry->dCourse);
    }
}

void CPlayerDlg::onDisplayTick()
{
    if (m_session.isPlaying()) {
        displayTick();
    }
    SetPlayButton(m_session.engine().state() == PlayState::Running);
}

void CPlayerDlg::SetPlayButton(bool running)
{
    const QString wanted = running ? QStringLiteral("Pause") : QStringLiteral("Play");
    if (playButton->text() != wanted) {
        playButton->setText(wanted);
        playButton->SetImage(running ? 167 : 152);
    }
}

void CPlayerDlg::onNeedleTick()
{
    drawSpeedNeedle(shownSpeed);
    drawCompass(shownHeading);
}

void CPlayerDlg::OnPlay()
{
    m_session.playOrPause(SelectedRow());
}

void CPlayerDlg::OnStop()
{
    m_session.stop();
}

// The thumb was dragged: the time under it, next to it.
void CPlayerDlg::OnSeekBarMoving()
{
    const int position = seekBar->GetPosition();
    const QPoint thumb(seekBar->PositionToPixel(position), 0);
    QToolTip::showText(seekBar->mapToGlobal(thumb), ClockText(seekBarSeconds(position)), seekBar);
}

// Released or moved by a key: play goes there, and on if it was playing before the press.
void CPlayerDlg::OnSeekBarMoved()
{
    m_session.seekTo(seekBarSeconds(seekBar->GetPosition()));
    if (seekBar->IsDragging()) {
        return;
    }
    QToolTip::hideText();
    m_session.finishSeek();
}

void CPlayerDlg::OnVolumeDown()
{
    m_session.volumeDown();
}

void CPlayerDlg::OnVolumeUp()
{
    m_session.volumeUp();
}

void CPlayerDlg::drawVolumeIndicator(int level)
{
    const int lit = level > 0 ? level - 1 : 0;
    for (int i = 0; i < ctl::kVolumeBars; ++i) {
        volumeBars[static_cast<size_t>(i)]->setPixmap(i <= lit ? volumeOn : volumeOff);
    }
    volumeDownButton->setEnabled(true);
    volumeUpButton->setEnabled(true);
}

int CPlayerDlg::LitVolumeBars() const
{
    int lit = 0;
    for (const QLabel* bar : volumeBars) {
        lit += bar->pixmap().cacheKey() == volumeOn.cacheKey() ? 1 : 0;
    }
    return lit;
}

// The window paints both gauges from shownSpeed and compassSquare, so nothing can draw
// over them: they need a repaint only when they change (the needle tick and the ticks past the
// end of the telemetry then cost nothing).
void CPlayerDlg::drawSpeedNeedle(int speed)
{
    const int clamped = gauges::ClampSpeed(speed);
    speedText->setText(SpeedLabel(clamped, speedUnit));
    if (clamped != shownSpeed) {
        shownSpeed = clamped;
        update(skin::kNeedleSweep);
    }
}

void CPlayerDlg::SetSpeedUnit(SpeedUnit unit)
{
    const QRect oldFace(dialFace.origin, dialPicture.size());
    speedUnit = unit;
    dialFace = gauges::DialFor(unit);
    dialPicture = QImage();
    if (dialFace.picture != 0) {
        LoadResourceImage(dialFace.picture, QStringLiteral("PNG"), dialPicture);
    }
    waveform->SetSpeedUnit(unit);
    speedText->setText(SpeedLabel(shownSpeed, unit));
    update(skin::kNeedleSweep.united(oldFace).united(QRect(dialFace.origin, dialPicture.size())));
    player_settings::SetUnits(unit);
}

void CPlayerDlg::drawCompass(double heading)
{
    const bool turned = skin::compassDegrees(heading) != skin::compassDegrees(shownHeading);
    shownHeading = heading;
    if (turned) {
        compassSquare = gauges::RotateArrow(compassArrow, heading);
        update(gauges::kCompassRepair);
    }
}

void CPlayerDlg::OnCapture()
{
    PlaybackEngine& engine = m_session.engine();
    const PlayState state = engine.state();
    if (state == PlayState::Stopped || state == PlayState::Init) {
        return;
    }
    const bool resume = state == PlayState::Running;
    if (resume) {
        engine.pause();
    }
    const QString file = services.chooseSnapshotFile ? services.chooseSnapshotFile(this, SnapshotSuggestion()) : QString();
    if (!file.isEmpty()) {
        SaveSnapshot(file);
    }
    if (resume) {
        engine.togglePlay();
    }
}

// The pictures folder (or where the last one went), and the recording's name with the
// play position: 20240611_081500_00m42s.jpg.
QString CPlayerDlg::SnapshotSuggestion() const
{
    tagFileNode node;
    m_session.currentEntry(node);
    const int seconds = std::max(0, static_cast<int>(m_session.position()));
    const QString name = QStringLiteral("%1_%2m%3s.jpg")
                             .arg(QFileInfo(QString::fromStdString(node.strFileName)).completeBaseName())
                             .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QDir(player_settings::SnapshotFolder()).filePath(name);
}

void CPlayerDlg::SaveSnapshot(const QString& file)
{
    const QString name = QFileInfo(file).fileName();
    const std::string problem = SnapshotTargetProblem(QFile::encodeName(file).toStdString());
    if (!problem.empty()) {
        ShowStatus(QStringLiteral("The picture was not saved to %1: %2.").arg(name, QString::fromStdString(problem)));
        return;
    }
    setCursor(Qt::WaitCursor);
    tagFileNode node;
    m_session.currentEntry(node);
    const SnapshotTags tags = SnapshotTagsFor(node, m_session.currentSample(), m_session.position(), speedUnit);
    const bool written = m_session.engine().captureFrame(file, &tags);
    setCursor(Qt::ArrowCursor);
    if (!written) {
        ShowStatus(QStringLiteral("Could not save the picture to %1.").arg(file));
        return;
    }
    player_settings::SetSnapshotFolder(QFileInfo(file).absolutePath());
}
