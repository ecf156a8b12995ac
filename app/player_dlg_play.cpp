// The player window's playing loop: opening a recording with its telemetry and track, the
// 100 ms display tick, the transport and volume buttons, and the end of a recording.
#include "player_dlg.h"

#include <QLabel>

#include "bitmap_slider.h"
#include "dialog_layout.h"
#include "gauges.h"
#include "png_button.h"
#include "video_widget.h"
#include "wave_form_ctrl.h"

namespace {

constexpr int kMsPerSeekStep = 200;
constexpr int kMsPerCursorStep = 100;

bool IsPlaying(PlayState state)
{
    return state == PlayState::Paused || state == PlayState::Running;
}

QString SpeedLabel(int speed)
{
    return QStringLiteral("%1Km/H").arg(speed);
}

}  // namespace

int CPlayerDlg::playRecording(PlayDirection direction)
{
    if (IsPlaying(engine.state())) {
        userStop();
    }
    if (direction == Next) {
        if (currentIndex >= catalogue.GetCount() - 1) {
            return 0;
        }
        ++currentIndex;
    } else if (direction == Previous) {
        if (currentIndex < 1) {
            return 0;
        }
        --currentIndex;
    }
    tagFileNode node;
    if (catalogue.GetCount() == 0 || catalogue.GetAt(currentIndex, node) != 0) {
        return 1;
    }
    videoArea->show();
    if (engine.open(QString::fromStdString(node.strFilePath), videoArea, this) != 0) {
        if (services.showError) {
            services.showError(this, QStringLiteral("Play file failed!"));
        }
        SelectCurrentRow();
        return 1;
    }
    const double duration = engine.getDuration();
    seekBar->SetRange(0, static_cast<int>(duration) * 1000 / kMsPerSeekStep, false);
    if (idlePictureDone == 0) {
        idlePictureDone = 3;
        update(videoArea->geometry());
    }
    telemetry.ReadRecording(node, duration);
    waveform->SetDuration(static_cast<int>(duration));
    waveform->Reload();
    if (savedVolumeLevel != -1) {
        engine.setVolumeLevel(savedVolumeLevel);
    } else {
        savedVolumeLevel = engine.getVolumeLevel();
        drawVolumeIndicator(savedVolumeLevel);
    }
    SendTrack();
    engine.togglePlay();
    SelectCurrentRow();
    return 1;
}

void CPlayerDlg::SendTrack()
{
    if (!mapView) {
        return;
    }
    mapView->newPolyLine();
    for (int i = 0, count = telemetry.GetCount(); i < count; ++i) {
        const tagAssistInfo* entry = telemetry.Find(i);
        if (entry && entry->HasPosition()) {
            mapView->putMarkerToLine(QString::fromStdString(entry->strLatitude),
                                     QString::fromStdString(entry->strLongitude));
        }
    }
    mapView->renderPolyLine();
}

void CPlayerDlg::userStop()
{
    userStopped = 1;
    engine.stop();
    displayTick();
}

void CPlayerDlg::displayTick()
{
    const PlayState state = engine.state();
    const double position = engine.getPosition();
    if (state == PlayState::Running || state == PlayState::Stopped) {
        seekBar->SetPosition(static_cast<int>(position * 1000 / kMsPerSeekStep));
    }
    waveform->SetCursor(static_cast<int>(position * 1000 / kMsPerCursorStep));
    waveform->SetElapsed(static_cast<int>(position));

    const int index = static_cast<int>(position) * ENTRIES_PER_SAMPLE;
    const tagAssistInfo* entry = telemetry.Find(index);
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

void CPlayerDlg::OnTimer1()
{
    if (IsPlaying(engine.state())) {
        displayTick();
    }
    SetPlayButton(engine.state() == PlayState::Running);
}

void CPlayerDlg::SetPlayButton(bool running)
{
    const QString wanted = running ? QStringLiteral("Pause") : QStringLiteral("Play");
    if (playButton->text() != wanted) {
        playButton->setText(wanted);
        playButton->SetImage(running ? 167 : 152);
    }
}

void CPlayerDlg::OnTimer2()
{
    drawSpeedNeedle(shownSpeed);
    drawCompass(shownHeading);
}

void CPlayerDlg::OnGraphNotify()
{
    const PlayState before = engine.state();
    engine.handleGraphEvents();
    if (before == PlayState::Stopped || engine.state() != PlayState::Stopped) {
        return;
    }
    if (userStopped == 0) {
        playRecording(cycleMode ? Next : Current);
    }
    displayTick();
    userStopped = 0;
}

void CPlayerDlg::OnPlay()
{
    engine.setRate(0);
    engine.togglePlay();
    userStopped = 0;
}

void CPlayerDlg::OnStop()
{
    userStop();
}

void CPlayerDlg::OnVolumeDown()
{
    if (!IsPlaying(engine.state())) {
        return;
    }
    int level = engine.getVolumeLevel();
    if (level > 0) {
        engine.setVolumeLevel(--level);
    }
    drawVolumeIndicator(level);
}

void CPlayerDlg::OnVolumeUp()
{
    if (!IsPlaying(engine.state())) {
        return;
    }
    int level = engine.getVolumeLevel();
    if (level < 10) {
        engine.setVolumeLevel(++level);
    }
    drawVolumeIndicator(level);
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
// over them: they need a repaint only when they change (timer 2 and the ticks past the
// end of the telemetry then cost nothing).
void CPlayerDlg::drawSpeedNeedle(int speed)
{
    const int clamped = gauges::ClampSpeed(speed);
    speedText->setText(SpeedLabel(clamped));
    if (clamped != shownSpeed) {
        shownSpeed = clamped;
        update(gauges::kNeedleRepair);
    }
}

void CPlayerDlg::drawCompass(double heading)
{
    const bool turned = gauges::CompassAngle(heading) != gauges::CompassAngle(shownHeading);
    shownHeading = heading;
    if (turned) {
        compassSquare = gauges::RotateArrow(compassArrow, heading);
        update(gauges::kCompassRepair);
    }
}

void CPlayerDlg::OnCapture()
{
    const PlayState state = engine.state();
    if (state == PlayState::Stopped || state == PlayState::Init) {
        return;
    }
    const bool resume = state == PlayState::Running;
    if (resume) {
        engine.pause();
    }
    const QString file = services.chooseSnapshotFile ? services.chooseSnapshotFile(this, snapshotFolder) : QString();
    snapshotFolder.clear();  // later dialogs open where the user last saved
    if (!file.isEmpty()) {
        setCursor(Qt::WaitCursor);
        engine.captureFrame(file);
        setCursor(Qt::ArrowCursor);
    }
    if (resume) {
        engine.togglePlay();
    }
}
