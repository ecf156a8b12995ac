// The player window's playing loop: opening a recording with its telemetry and track, the
// 100 ms display tick, the transport and volume buttons, and the end of a recording.
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

bool IsPlaying(PlayState state)
{
    return state == PlayState::Paused || state == PlayState::Running;
}

QString SpeedLabel(int kmh, SpeedUnit unit)
{
    return QStringLiteral("%1%2").arg(SpeedIn(unit, kmh)).arg(QLatin1String(SpeedUnitSuffix(unit)));
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
    if (const PlaybackResult opened = engine.open(node.strFilePath, videoArea); !opened) {
        telemetry.Clear();
        ResetDisplays();
        SelectCurrentRow();
        const QString& reason = opened.reason();
        OnRecordingFailed(reason.isEmpty() ? QStringLiteral("Could not play %1").arg(DisplayName(node))
                                           : QStringLiteral("Could not play %1: %2").arg(DisplayName(node), reason));
        return 1;
    }
    userStopped = 0;  // a stop of the recording before does not hold for this one
    resumeAfterSeek = false;
    const double duration = engine.duration();
    seekBar->SetRange(0, static_cast<int>(duration) * 1000 / kMsPerSeekStep, false);
    if (!firstRecordingOpened) {
        firstRecordingOpened = true;
        update(videoArea->geometry());
    }
    telemetry.ReadRecording(node, duration);
    waveform->SetDuration(static_cast<int>(duration));
    waveform->Reload();
    // The level the user set holds for every recording; the first open reads the default.
    if (savedVolumeLevel == -1) {
        savedVolumeLevel = engine.volumeLevel();
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
    const double position = engine.position();
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

// A damaged recording stops where it broke, with its picture; it never restarts.
void CPlayerDlg::OnRecordingBroke()
{
    tagFileNode node;
    catalogue.GetAt(currentIndex, node);
    userStopped = 0;
    OnRecordingFailed(QStringLiteral("%1 is damaged after %2").arg(DisplayName(node), ClockText(engine.position())));
}

void CPlayerDlg::OnRecordingEnded()
{
    if (userStopped == 0) {
        playRecording(cycleMode ? Next : Current);
    }
    displayTick();
    userStopped = 0;
}

void CPlayerDlg::OnPlay()
{
    // A row chosen in the list, other than the one open, is what the user wants played.
    const int row = SelectedRow();
    if (row >= 0 && (row != currentIndex || engine.state() == PlayState::Init)) {
        OnListDoubleClick(row);
        return;
    }
    engine.setRate(0);
    engine.togglePlay();
    userStopped = 0;
}

void CPlayerDlg::OnStop()
{
    userStop();
}

void CPlayerDlg::SeekBy(double seconds)
{
    if (!IsPlaying(engine.state())) {
        return;
    }
    const double target = std::clamp(engine.position() + seconds, 0.0, engine.duration());
    engine.setPosition(target);
    seekBar->SetPosition(static_cast<int>(target * 1000 / kMsPerSeekStep));
}

// The thumb was dragged: the time under it, next to it.
void CPlayerDlg::OnSeekBarMoving()
{
    const int position = seekBar->GetPosition();
    const QPoint thumb(seekBar->PositionToPixel(position), 0);
    QToolTip::showText(seekBar->mapToGlobal(thumb), ClockText(position * kMsPerSeekStep / 1000.0), seekBar);
}

// Released or moved by a key: play goes there, and on if it was playing before the press.
void CPlayerDlg::OnSeekBarMoved()
{
    engine.setPosition(seekBar->GetPosition() * kMsPerSeekStep / 1000.0);
    if (seekBar->IsDragging()) {
        return;
    }
    QToolTip::hideText();
    if (resumeAfterSeek) {
        resumeAfterSeek = false;
        if (engine.state() == PlayState::Paused) {
            engine.togglePlay();
        }
    }
}

void CPlayerDlg::OnVolumeDown()
{
    if (!IsPlaying(engine.state())) {
        return;
    }
    if (savedVolumeLevel > 0) {
        engine.setVolumeLevel(--savedVolumeLevel);
        player_settings::SetVolumeLevel(savedVolumeLevel);
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
        player_settings::SetVolumeLevel(savedVolumeLevel);
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
    speedText->setText(SpeedLabel(clamped, speedUnit));
    if (clamped != shownSpeed) {
        shownSpeed = clamped;
        update(gauges::kNeedleRepair);
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
    update(gauges::kNeedleRepair.united(oldFace).united(QRect(dialFace.origin, dialPicture.size())));
    player_settings::SetUnits(unit);
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
    const int seconds = std::max(0, static_cast<int>(engine.position()));
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
    tagFileNode node;
    catalogue.GetAt(currentIndex, node);
    const double position = engine.position();
    const SnapshotTags tags = SnapshotTagsFor(
        node, telemetry.Find(static_cast<int>(position) * ENTRIES_PER_SAMPLE), position, speedUnit);
    const bool written = engine.captureFrame(file, &tags);
    setCursor(Qt::ArrowCursor);
    if (!written) {
        ShowStatus(QStringLiteral("Could not save the picture to %1.").arg(file));
        return;
    }
    player_settings::SetSnapshotFolder(QFileInfo(file).absolutePath());
}
