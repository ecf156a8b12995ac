// The player window's playing loop: opening a recording with its telemetry and track, the
// 100 ms display tick, the transport and volume buttons, and the end of a recording.
#include "player_dlg.h"

#include <QLabel>

#include <algorithm>

#include <QDir>
#include <QFileInfo>

#include "bitmap_slider.h"
#include "dialog_layout.h"
#include "gauges.h"
#include "player_settings.h"
#include "png_button.h"
#include "snapshot_target.h"
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

QString DisplayName(const tagFileNode& node)
{
    return QString::fromStdString(node.strFileName);
}

// "01:23", or "1:02:03" past the hour.
QString ClockText(double seconds)
{
    const int whole = std::max(0, static_cast<int>(seconds));
    const QString minutesSeconds =
        QStringLiteral("%1:%2").arg(whole / 60 % 60, 2, 10, QLatin1Char('0')).arg(whole % 60, 2, 10, QLatin1Char('0'));
    return whole < 3600 ? minutesSeconds : QStringLiteral("%1:%2").arg(whole / 3600).arg(minutesSeconds);
}

}  // namespace

int CPlayerDlg::playRecording(PlayDirection direction)
{
    if (IsPlaying(engine.state())) {
        userStop();
    }
    if (direction != Current) {
        const int row = StepInTrips(direction);
        if (row < 0) {
            return 0;
        }
        currentIndex = row;
    }
    tagFileNode node;
    if (catalogue.GetCount() == 0 || catalogue.GetAt(currentIndex, node) != 0) {
        return 1;
    }
    videoArea->show();
    if (engine.open(QString::fromStdString(node.strFilePath), videoArea, this) != 0) {
        engine.close();
        telemetry.Clear();
        ResetDisplays();
        SelectCurrentRow();
        const QString reason = engine.errorText();
        OnRecordingFailed(reason.isEmpty() ? QStringLiteral("Could not play %1").arg(DisplayName(node))
                                           : QStringLiteral("Could not play %1: %2").arg(DisplayName(node), reason));
        return 1;
    }
    userStopped = 0;  // a stop of the recording before does not hold for this one
    lastPosition = 0.0;
    const double duration = engine.getDuration();
    seekBar->SetRange(0, static_cast<int>(duration) * 1000 / kMsPerSeekStep, false);
    if (!firstRecordingOpened) {
        firstRecordingOpened = true;
        update(videoArea->geometry());
    }
    telemetry.ReadRecording(node);
    waveform->SetDuration(static_cast<int>(duration));
    waveform->Reload();
    // The level the user set holds for every recording; the first open reads the default.
    if (savedVolumeLevel == -1) {
        savedVolumeLevel = engine.getVolumeLevel();
    }
    engine.setVolumeLevel(savedVolumeLevel);
    drawVolumeIndicator(savedVolumeLevel);
    ResetGauges();
    SendTrack();
    ShowTripSummary();
    engine.togglePlay();
    SelectCurrentRow();
    return 1;
}

// A recording that cannot be played, or breaks off: a note, and in cycle mode the chain
// goes on with the next one.
void CPlayerDlg::OnRecordingFailed(const QString& note)
{
    ShowStatus(note);
    if (cycleMode) {
        // Queued: a card of broken recordings must not recurse once per recording.
        QMetaObject::invokeMethod(this, [this] { playRecording(Next); }, Qt::QueuedConnection);
    }
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
    lastPosition = position;
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
    const double position = std::max(lastPosition, engine.getPosition());
    const PlaybackStatus result = engine.handleGraphEvents();
    if (before == PlayState::Stopped || engine.state() != PlayState::Stopped) {
        return;
    }
    if (result < 0) {
        // A damaged recording stops where it broke, with its picture; it never restarts.
        tagFileNode node;
        catalogue.GetAt(currentIndex, node);
        userStopped = 0;
        OnRecordingFailed(QStringLiteral("%1 is damaged after %2").arg(DisplayName(node), ClockText(position)));
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
    if (savedVolumeLevel > 0) {
        engine.setVolumeLevel(--savedVolumeLevel);
    }
    drawVolumeIndicator(savedVolumeLevel);
}

void CPlayerDlg::OnVolumeUp()
{
    if (!IsPlaying(engine.state())) {
        return;
    }
    if (savedVolumeLevel < 10) {
        engine.setVolumeLevel(++savedVolumeLevel);
    }
    drawVolumeIndicator(savedVolumeLevel);
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
    catalogue.GetAt(currentIndex, node);
    const int seconds = std::max(0, static_cast<int>(engine.getPosition()));
    const QString name = QStringLiteral("%1_%2m%3s.jpg")
                             .arg(QFileInfo(DisplayName(node)).completeBaseName())
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
    const int written = engine.captureFrame(file);
    setCursor(Qt::ArrowCursor);
    if (written == 0) {
        ShowStatus(QStringLiteral("Could not save the picture to %1.").arg(file));
        return;
    }
    player_settings::SetSnapshotFolder(QFileInfo(file).absolutePath());
}
