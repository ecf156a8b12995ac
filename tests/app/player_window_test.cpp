// The player window over real GStreamer playback of real sample recordings.
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QTimer>

#include "app/about_dialog.h"
#include "app/dialog_layout.h"
#include "app/gauges.h"
#include "controls/playlist_view.h"
#include "controls/seek_slider.h"
#include "instruments/waveform_view.h"
#include "playback/channels_view.h"
#include "playback/video_widget.h"
#include "tests/app/window_fixture.h"
#include "tests/playback/media_fixtures.h"

namespace {

constexpr int kSampleSeconds = 4;
const QStringList kLayouts = {"ICAT", "A7L", "NT96650A", "SIDECAR"};

// One recording long enough for the 30 s steps, made on first use.
QString longRecordingPath()
{
    static QTemporaryDir dir;
    static QString path;
    if (path.isEmpty() && dir.isValid()) {
        QProcess maker;
        maker.start(QStringLiteral(SAMPLE_MAKER),
                    {dir.path(), QStringLiteral("45"), QStringLiteral("ICAT")});
        maker.waitForFinished(120000);
        const QStringList names =
            QDir(dir.path()).entryList({QStringLiteral("*.MOV")}, QDir::Files);
        path = names.isEmpty() ? QString() : QDir(dir.path()).filePath(names.front());
    }
    return path;
}

// Keys go to the active window; with a window manager the window clicked or shown is.
void activate(QWidget* window)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

// Chooses a command of the menu on the title strip, as the user does.
void chooseFromWindowMenu(QWidget* window, const QString& command)
{
    QStringList texts;
    onNextMenu(&texts, command);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 10),
                      window->mapToGlobal(QPointF(300, 10)), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(window, &press);
}

TEST_F(PlayerWindowTest, StartsIdleWithGaugesAtRest)
{
    EXPECT_TRUE(dlg->idlePictureShown());
    EXPECT_EQ(dlg->session().state(), PlayState::Closed);
    EXPECT_EQ(dlg->shownSpeed(), 0);
    EXPECT_EQ(dlg->shownHeading(), 180.0);
    EXPECT_EQ(speedText(), "0Km/H");
    EXPECT_EQ(dlg->size(), QSize(1024, 768));
    EXPECT_EQ(control(ctl::kSeekBar)->geometry(), QRect(9, 590, 675, 9));
    EXPECT_FALSE(control(ctl::kVolumeDown)->isEnabled());
    EXPECT_EQ(playlistView().model()->columnCount(), 3);
    EXPECT_EQ(playlistView().model()->headerData(1, Qt::Horizontal).toString(), "Files");
    // Play with nothing opened plays nothing.
    dlg->onPlay();
    EXPECT_EQ(dlg->session().state(), PlayState::Closed);
}

// Each control covers exactly what the painter drew for it on the skin.
TEST_F(PlayerWindowTest, ControlsSitWhereTheSkinDrewThem)
{
    using skin::Button;
    const std::pair<QString, Button> buttons[] = {
        {ctl::kCycle, Button::Cycle},       {ctl::kPrev, Button::Prev},
        {ctl::kPlay, Button::Play},         {ctl::kStop, Button::Stop},
        {ctl::kNext, Button::Next},         {ctl::kPrint, Button::Print},
        {ctl::kCapture, Button::Capture},   {ctl::kImport, Button::Import},
        {ctl::kClear, Button::Clear},       {ctl::kVolumeDown, Button::VolumeDown},
        {ctl::kVolumeUp, Button::VolumeUp}, {ctl::kMinimise, Button::Minimise},
        {ctl::kClose, Button::Close}};
    auto placed = [this](const QString& name) {
        const QWidget* widget = control(name);
        return widget ? widget->geometry() : QRect();
    };
    for (const auto& [name, button] : buttons) {
        EXPECT_EQ(placed(name), skin::button(button)) << name.toStdString();
    }
    for (int i = 0; i < skin::kVolumeBars; ++i) {
        EXPECT_EQ(placed(ctl::volumeBar(i)), skin::volumeBar(i)) << i;
    }
    EXPECT_EQ(placed(ctl::kSeekBar), skin::kSeekBar);
    EXPECT_EQ(placed(ctl::kPlayList), skin::withScrollBars(skin::kPlayList));
    EXPECT_EQ(placed(ctl::kWaveform), skin::kWaveform);
}

TEST_F(PlayerWindowTest, EnterAndEscapeKeepTheWindowAndCtrlQEndsIt)
{
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg.get(), &enter);
    EXPECT_TRUE(dlg->isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg.get(), &escape);
    QCoreApplication::sendEvent(dlg->findChild<VideoWidget*>(), &escape);
    EXPECT_TRUE(dlg->isVisible());
    activate(dlg.get());
    QTest::keyClick(dlg.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(PlayerWindowTest, ImportListsEveryRecordingWithItsLayout)
{
    dlg->onImport();
    ASSERT_EQ(dlg->session().catalogue().count(), 5);
    for (const QString& layout : kLayouts) {
        RecordingEntry node;
        ASSERT_TRUE(dlg->session().catalogue().entryAt(rowOf(layout), node))
            << layout.toStdString();
        EXPECT_EQ(node.layout == Layout::ICat, layout == "ICAT");
        EXPECT_EQ(node.layout == Layout::A7L, layout == "A7L");
        EXPECT_EQ(node.layout == Layout::NT96650, layout == "NT96650A");
        EXPECT_EQ(!node.sidecarPath.empty(), layout == "SIDECAR");
    }
    EXPECT_EQ(cell(rowOf("ICAT"), 2), "08:15:00 06-11-2024") << "movie header time, unconverted";
    // The whole time fits its 130-pixel column, beside the cell's text margins.
    const int timeWidth = playlistView().fontMetrics().horizontalAdvance(cell(rowOf("ICAT"), 2));
    EXPECT_LE(timeWidth + 8, playlistView().columnWidth(2));
    const int numberWidth = playlistView().fontMetrics().horizontalAdvance("*1000");
    EXPECT_LE(numberWidth + 8, playlistView().columnWidth(0)) << "a locked row 1000 is not cut";
    QStringList names;
    for (int row = 0; row < dlg->session().catalogue().count(); ++row) {
        names << cell(row, 1);
    }
    QStringList sorted = names;
    sorted.sort();
    EXPECT_EQ(names, sorted) << "listed by name, not in directory order";
    chosenFolder.clear();  // cancelled browser
    dlg->onImport();
    EXPECT_EQ(dlg->session().catalogue().count(), 5);
}

TEST_F(PlayerWindowTest, EveryLayoutPlaysWithItsTrackAndSynchronisedDisplay)
{
    dlg->onImport();
    for (const QString& layout : kLayouts) {
        SCOPED_TRACE(layout.toStdString());
        mapCalls.clear();
        playRow(rowOf(layout));
        const int entries = dlg->session().telemetry().count();
        EXPECT_EQ(entries, kSampleSeconds * 10);
        // The trip (the four movies follow each other): one call, the playing part with
        // one point per logged sample.
        EXPECT_EQ(mapCallCount("setTrip"), 1);
        const MapCall* track = last("setTrip");
        ASSERT_NE(track, nullptr);
        EXPECT_EQ(track->arguments.mid(0, 2),
                  QStringList({"4", QString::number(kLayouts.indexOf(layout))}));
        EXPECT_EQ(track->arguments.size() - 2, kSampleSeconds);
        TelemetryEntry first;
        dlg->session().telemetry().copyEntry(0, first);
        ASSERT_TRUE(first.position);
        EXPECT_EQ(track->arguments.at(2), QStringLiteral("%1,%2")
                                              .arg(first.position->latitude.value, 0, 'f', 6)
                                              .arg(first.position->longitude.value, 0, 'f', 6));
        EXPECT_EQ(seekSlider().maximum(), static_cast<int>(dlg->session().duration()) * 1000);

        ASSERT_TRUE(waitFor([&] { return dlg->session().position() >= 1.6; }, 8000));
        dlg->onPlay();  // paused, so the tick and the tables agree
        ASSERT_EQ(dlg->session().state(), PlayState::Paused);
        dlg->session().displayTick();
        const double position = dlg->session().position();
        TelemetryEntry entry;
        ASSERT_EQ(dlg->session().telemetry().copyEntry(static_cast<int>(position) * 10, entry), 0);
        EXPECT_EQ(speedText(), QStringLiteral("%1Km/H").arg(entry.speedKmh));
        EXPECT_EQ(dlg->shownSpeed(), entry.speedKmh);
        EXPECT_EQ(dlg->shownHeading(), entry.course);
        EXPECT_EQ(waveformView().cursorIndex(), static_cast<int>(position * 10));
        const MapCall* shown = last("SetLgtLat");
        ASSERT_NE(shown, nullptr);
        ASSERT_TRUE(entry.position);
        EXPECT_EQ(
            shown->arguments,
            QStringList({QString::fromStdString(degreesText(entry.position->latitude)),
                         QString::fromStdString(degreesText(entry.position->longitude)), "0"}));
        EXPECT_FALSE(dlg->idlePictureShown());
    }
}

TEST_F(PlayerWindowTest, TheSeekBarFollowsWhileRunningAndThePlayButtonSaysPause)
{
    dlg->onImport();
    playRow(rowOf("ICAT"));
    ASSERT_TRUE(waitFor([&] { return seekSlider().value() >= 1000; }, 8000));
    EXPECT_EQ(playButtonText(), "Pause");
    EXPECT_NEAR(seekSlider().value(), dlg->session().position() * 1000, 400.0);
    dlg->onPlay();  // pause
    ASSERT_TRUE(waitFor([&] { return playButtonText() == "Play"; }, 1000));
    EXPECT_EQ(dlg->session().state(), PlayState::Paused);
}

TEST_F(PlayerWindowTest, PressingTheSeekBarPausesAndReleasingSeeks)
{
    dlg->onImport();
    playRow(rowOf("A7L"));
    spin(300);
    QWidget* bar = control(ctl::kSeekBar);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 4), bar->mapToGlobal(QPointF(2, 4)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &press);
    EXPECT_EQ(dlg->session().state(), PlayState::Paused);
    seekSlider().setValue(3000);
    emit seekSlider().sliderReleased();
    ASSERT_TRUE(waitFor([&] { return std::abs(dlg->session().position() - 3.0) < 0.05; }, 3000));
    spin(300);
    EXPECT_EQ(dlg->session().state(), PlayState::Paused);
    EXPECT_EQ(waveformView().cursorIndex(), 30);
    EXPECT_EQ(seekSlider().value(), 3000) << "left to the user while paused";
    TelemetryEntry entry;
    dlg->session().telemetry().copyEntry(30, entry);
    EXPECT_EQ(dlg->shownSpeed(), entry.speedKmh);

    // While dragging, the time under the thumb shows beside it; the release plays on from there.
    const QPointF to(seekSlider().positionToPixel(2000), 4);
    QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &move);
    const int dragged = seekSlider().value();
    EXPECT_NEAR(dragged, 2000, 200);
    const QString draggedTime =
        QStringLiteral("00:%1").arg(dragged / 1000, 2, 10, QLatin1Char('0'));
    EXPECT_TRUE(
        waitFor([&] { return QToolTip::isVisible() && QToolTip::text() == draggedTime; }, 2000))
        << QToolTip::text().toStdString();
    QMouseEvent release(QEvent::MouseButtonRelease, to, bar->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &release);
    ASSERT_TRUE(waitFor([&] { return dlg->session().state() == PlayState::Running; }, 2000))
        << "resumed";
    EXPECT_NEAR(dlg->session().position(), dragged / 1000.0, 0.3);
    EXPECT_TRUE(waitFor([] { return !QToolTip::isVisible(); }, 2000));
    // A press and release while paused leaves it paused.
    dlg->onPlay();
    ASSERT_EQ(dlg->session().state(), PlayState::Paused);
    QCoreApplication::sendEvent(bar, &press);
    QCoreApplication::sendEvent(bar, &release);
    spin(300);
    EXPECT_EQ(dlg->session().state(), PlayState::Paused);
}

TEST_F(PlayerWindowTest, PausePausesAndPlayPlaysTheSelectedRowWhenNothingPlays)
{
    dlg->onImport();
    playRow(0);
    playlistView().selectExistingRow(2);  // clicked to look at it
    activate(dlg.get());
    QTest::keyClick(dlg.get(), Qt::Key_Space);
    EXPECT_EQ(dlg->session().currentIndex(), 0);
    EXPECT_EQ(dlg->session().state(), PlayState::Paused) << "Space pauses what plays";
    EXPECT_EQ(playButtonText(), "Play");
    dlg->onPlay();  // paused: the selected row is what the user wants played
    EXPECT_EQ(dlg->session().currentIndex(), 2);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    dlg->onPlay();  // the selected row is the open one: Play pauses it
    EXPECT_EQ(dlg->session().currentIndex(), 2);
    EXPECT_EQ(dlg->session().state(), PlayState::Paused);
}

TEST_F(PlayerWindowTest, VolumeButtonsStepWithinTheScaleAndLightTheBars)
{
    dlg->onImport();
    playRow(0);
    EXPECT_TRUE(control(ctl::kVolumeUp)->isEnabled());
    dlg->onVolumeUp();
    EXPECT_EQ(dlg->session().volumeLevel(), 10);
    EXPECT_EQ(dlg->litVolumeBars(), 10);
    for (int i = 0; i < 3; ++i) {
        dlg->onVolumeDown();
    }
    EXPECT_EQ(dlg->session().volumeLevel(), 7);
    EXPECT_EQ(dlg->litVolumeBars(), 7);
    for (int i = 0; i < 12; ++i) {
        dlg->onVolumeDown();
    }
    EXPECT_EQ(dlg->session().volumeLevel(), 0);
    EXPECT_EQ(dlg->litVolumeBars(), 1) << "levels 0 and 1 both light one bar";
    // The level the user set holds for every later open, and the bars keep showing it.
    dlg->session().play(PlaybackSession::Step::Next);
    EXPECT_EQ(dlg->session().volumeLevel(), 0);
    EXPECT_EQ(dlg->litVolumeBars(), 1);
}

TEST_F(PlayerWindowTest, DeletingThePlayingRecordingStopsAndClearsEverything)
{
    dlg->onImport();
    const int row = rowOf("SIDECAR");
    const QString movie = samplePath("SIDECAR");
    const QString sidecar = QString(movie).replace(".MOV", ".DAT");
    ASSERT_TRUE(QFile::exists(sidecar));
    playRow(row);
    spin(300);
    dlg->drawSpeedNeedle(50);
    playlistView().selectExistingRow(row);
    confirmAnswer = false;
    dlg->onDeleteFile();
    EXPECT_EQ(questions,
              QStringList({"Delete these 2 files from the disk?\n" + movie + "\n" + sidecar}));
    EXPECT_TRUE(QFile::exists(movie)) << "No keeps the recording";
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    confirmAnswer = true;
    mapCalls.clear();
    dlg->onDeleteFile();
    EXPECT_EQ(dlg->session().state(), PlayState::Closed);
    EXPECT_EQ(dlg->shownSpeed(), 0);
    EXPECT_EQ(dlg->shownHeading(), 180.0);
    ASSERT_FALSE(mapCalls.empty());
    EXPECT_EQ(mapCalls.back().function, "clearMap") << "the track and the marker go";
    EXPECT_EQ(dlg->session().telemetry().count(), 0);
    EXPECT_EQ(waveformView().entryCount(), 0);
    EXPECT_FALSE(QFile::exists(movie));
    EXPECT_FALSE(QFile::exists(sidecar));
    EXPECT_EQ(dlg->session().catalogue().count(), 4);
    EXPECT_EQ(dlg->session().currentIndex(), row - 1);
}

TEST_F(PlayerWindowTest, LockedRecordingsStayAndOtherRowsMoveTheCurrentIndex)
{
    dlg->onImport();
    const int playing = rowOf("NT96650A");
    playRow(playing);
    // Lock the playing row: its delete is refused and playback goes on.
    playlistView().selectExistingRow(playing);
    dlg->onToggleLock();
    EXPECT_TRUE(cell(playing, 0).startsWith('*'));
    EXPECT_FALSE(QFileInfo(samplePath("NT96650A")).permissions() &
                 (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
    dlg->onDeleteFile();
    EXPECT_EQ(statusText(), "The recording is locked.");
    EXPECT_TRUE(statusShown());
    EXPECT_TRUE(questions.isEmpty()) << "no question for what cannot be deleted";
    EXPECT_TRUE(dlg->toolTip().isEmpty())
        << "the note passes; it does not stay over the whole window";
    EXPECT_TRUE(QFile::exists(samplePath("NT96650A")));
    EXPECT_EQ(dlg->session().catalogue().count(), 5);
    EXPECT_EQ(dlg->session().currentIndex(), playing);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    EXPECT_GT(dlg->session().telemetry().count(), 0);

    // Unlock, then delete a row above the playing one: the index follows its row.
    dlg->onToggleLock();
    EXPECT_TRUE(cell(playing, 0).startsWith(' '));
    const int above = playing - 1;
    ASSERT_GE(above, 0);
    const QString aboveFile = QDir(folder.path()).filePath(cell(above, 1));
    playlistView().selectExistingRow(above);
    dlg->onDeleteFile();
    EXPECT_FALSE(QFile::exists(aboveFile));
    EXPECT_EQ(dlg->session().currentIndex(), playing - 1);
    EXPECT_EQ(dlg->session().state(), PlayState::Running)
        << "another row's delete leaves playback alone";
}

TEST_F(PlayerWindowTest, CaptureWritesTheShownFrameAndResumes)
{
    // Five and a half hours ahead of UTC, by a rule that needs no time zone data.
    const ScopedTimeZone zone("<+0530>-05:30");
    dlg->onCapture();
    EXPECT_TRUE(snapshotStarts.isEmpty()) << "no dialog before anything is opened";
    dlg->onImport();
    playRow(rowOf("ICAT"));
    ASSERT_TRUE(waitFor([&] { return dlg->session().position() >= 1.0; }, 5000));
    chosenSnapshot = QDir(folder.path()).filePath("shot.jpg");
    dlg->onCapture();
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    QImage shot(chosenSnapshot);
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(640, 360));
    // The first dialog offers the pictures folder and a name from the recording and position.
    ASSERT_EQ(snapshotStarts.size(), 1);
    EXPECT_EQ(
        QFileInfo(snapshotStarts[0]).absolutePath(),
        QDir(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)).absolutePath());
    EXPECT_EQ(QFileInfo(snapshotStarts[0]).fileName(), "20240611_081500_ICAT_00m01s.jpg");
    // A photo tool finds where and when it was taken: the entry shown at 1 s.
    TelemetryEntry shown;
    ASSERT_EQ(dlg->session().telemetry().copyEntry(10, shown), 0);
    QProcess exiftool;
    exiftool.start("exiftool", {"-n", "-s3", "-GPSLatitude", "-GPSLongitude", "-GPSSpeed",
                                "-DateTimeOriginal", "-OffsetTimeOriginal", "-GPSDateStamp",
                                "-GPSTimeStamp", "-ImageDescription", "-Model", chosenSnapshot});
    ASSERT_TRUE(exiftool.waitForFinished(20000));
    const QStringList tags =
        QString::fromUtf8(exiftool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(tags.size(), 8) << tags.join('|').toStdString();
    ASSERT_TRUE(shown.position);
    EXPECT_NEAR(tags[0].toDouble(), shown.position->latitude.value, 1e-6);
    EXPECT_NEAR(tags[1].toDouble(), shown.position->longitude.value, 1e-6);
    EXPECT_NEAR(tags[2].toDouble(), shown.speedKmh, 1e-6);
    // The fix's UTC, and the same moment on the local clock with its offset.
    EXPECT_EQ(tags[3], "2024:06:11 13:45:01");
    EXPECT_EQ(tags[4], "+05:30");
    EXPECT_EQ(tags[5], "2024:06:11");
    EXPECT_EQ(tags[6], "08:15:01");
    EXPECT_TRUE(tags[7].contains("icat")) << "the layout in the description; no camera model";

    chosenSnapshot.clear();  // cancelled
    dlg->onCapture();
    ASSERT_EQ(snapshotStarts.size(), 2);
    EXPECT_EQ(QFileInfo(snapshotStarts[1]).absolutePath(), QDir(folder.path()).absolutePath())
        << "then where the user last saved";
    EXPECT_EQ(QSettings().value("snapshot/folder").toString(), QDir(folder.path()).absolutePath())
        << "kept for the next start";

    // Nothing that is not the user's picture is written: a recording, a link, a read-only file.
    const QString movie = samplePath("A7L");
    const QByteArray movieBytes = [&] {
        QFile f(movie);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QString link = QDir(folder.path()).filePath("link.jpg");
    ASSERT_TRUE(QFile::link(movie, link));
    for (const QString& target : {movie, link}) {
        chosenSnapshot = target;
        dlg->onCapture();
        EXPECT_TRUE(statusText().startsWith("The picture was not saved")) << target.toStdString();
    }
    QFile reread(movie);
    ASSERT_TRUE(reread.open(QIODevice::ReadOnly));
    EXPECT_EQ(reread.readAll(), movieBytes);
    // A save that fails says so.
    chosenSnapshot = QDir(folder.path()).filePath("no-such-folder/shot.jpg");
    dlg->onCapture();
    EXPECT_EQ(statusText(), "Could not save the picture to " + chosenSnapshot + ".");
    dlg->onStop();
    dlg->onCapture();
    EXPECT_EQ(snapshotStarts.size(), 5) << "stopped: no dialog";
}

TEST_F(PlayerWindowTest, ABrokenRecordingIsNamedAndCycleModeGoesOn)
{
    const QString broken = QDir(folder.path()).filePath("20240611_081550_BROKEN.MOV");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is no movie");
    file.close();
    dlg->onImport();
    dlg->onCycle();  // off: the failure stays with its note
    const int row = rowOf("BROKEN");
    playRow(row - 1);
    dlg->drawSpeedNeedle(50);
    dlg->onListDoubleClick(row);
    EXPECT_TRUE(statusText().startsWith("Could not play 20240611_081550_BROKEN.MOV"))
        << statusText().toStdString();
    EXPECT_EQ(playlistView().selectedRow(), row);
    EXPECT_EQ(dlg->session().state(), PlayState::Closed) << "nothing of the failed open is kept";
    dlg->onPlay();
    EXPECT_EQ(dlg->session().state(), PlayState::Closed);
    EXPECT_EQ(dlg->shownSpeed(), 0);
    spin(300);
    EXPECT_EQ(dlg->shownSpeed(), 0) << "no tick of the recording before";
    EXPECT_EQ(dlg->session().currentIndex(), row);

    dlg->onCycle();  // on: unattended playing goes on with the next recording
    dlg->onListDoubleClick(row);
    ASSERT_TRUE(waitFor([&] { return dlg->session().currentIndex() == row + 1; }, 3000));
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
}

// Special files named like recordings, a cut and a damaged recording: the list takes only
// the regular files, and the window answers throughout while each is played.
TEST_F(PlayerWindowTest, AHostileFolderNeverBlocksTheWindow)
{
    QTemporaryDir hostile;
    const QDir dir(hostile.path());
    ASSERT_EQ(::mkfifo(dir.filePath("fifo.MOV").toUtf8().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir.filePath("loop.MOV"), dir.filePath("loop.MOV")));
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("zero.MOV")));
    ASSERT_TRUE(dir.mkdir("dir.MOV"));
    ASSERT_TRUE(QFile::copy(media::truncatedNoIndex(), dir.filePath("cut.MOV")));
    ASSERT_TRUE(QFile::copy(media::damagedAfterTenSeconds(), dir.filePath("damaged.MOV")));
    chosenFolder = hostile.path();
    dlg->onImport();
    ASSERT_EQ(dlg->session().catalogue().count(), 2);
    EXPECT_EQ(cell(0, 1), "cut.MOV");
    EXPECT_EQ(cell(1, 1), "damaged.MOV");

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer heartbeat;
    heartbeat.setInterval(50);
    QObject::connect(&heartbeat, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    heartbeat.start();
    for (int row = 0; row < 2; ++row) {
        dlg->onListDoubleClick(row);
        spin(1000);
    }
    dlg->importPaths({dir.filePath("fifo.MOV")});
    EXPECT_EQ(statusText(), "Skipped: fifo.MOV (not a regular file)");
    spin(200);
    EXPECT_LT(longestGap, 1000) << "the window stood still";
    EXPECT_TRUE(statusText().contains("cut.MOV") || dlg->session().state() != PlayState::Closed);
}

// A cut-off recording offers a repair in its row's menu; the copy is listed, marked and
// played, and the recording itself stays as it was.
TEST_F(PlayerWindowTest, ACutOffRecordingIsRepairedIntoACopyThatPlays)
{
    QTemporaryDir card;
    const QDir dir(card.path());
    ASSERT_TRUE(QFile::copy(media::videoWithAudio(), dir.filePath("A.MOV")));
    ASSERT_TRUE(QFile::copy(media::truncatedNoIndex(), dir.filePath("B.MOV")));
    QFile cut(dir.filePath("B.MOV"));
    ASSERT_TRUE(cut.open(QIODevice::ReadOnly));
    const QByteArray cutBytes = cut.readAll();
    cut.close();
    chosenFolder = card.path();
    dlg->onImport();
    ASSERT_EQ(dlg->session().catalogue().count(), 2);
    const auto menuOfRow = [this](int row, const QString& choose) {
        QStringList texts;
        onNextMenu(&texts, choose);
        dlg->showListMenu(
            playlistView().visualRect(playlistView().model()->index(row, 1)).center());
        return texts;
    };
    const QString repair = "Repair a copy (the recording was cut off)";
    EXPECT_FALSE(menuOfRow(0, {}).contains(repair)) << "a healthy recording has no repair";
    EXPECT_TRUE(menuOfRow(1, repair).contains(repair));

    ASSERT_TRUE(waitFor([&] { return dlg->session().catalogue().count() == 3; }, 30000))
        << statusText().toStdString();
    EXPECT_EQ(statusText(), "Repaired copy: B_repaired.MOV");
    const int row = dlg->session().catalogue().rowOf(dir.filePath("B_repaired.MOV").toStdString());
    ASSERT_GE(row, 0);
    EXPECT_TRUE(playlistView()
                    .model()
                    ->index(row, 1)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains("Repaired copy of a recording that was cut off"));
    EXPECT_FALSE(menuOfRow(row, {}).contains(repair));
    ASSERT_TRUE(waitFor([&] { return dlg->session().state() == PlayState::Running; }, 10000));
    EXPECT_EQ(dlg->session().currentIndex(), row);
    ASSERT_TRUE(cut.open(QIODevice::ReadOnly));
    EXPECT_EQ(cut.readAll(), cutBytes);
}

TEST_F(PlayerWindowTest, ACardMountedAfterStartIsOfferedAndPullingItOutStopsPlayback)
{
    // The card arrives whole, as a mount does.
    QTemporaryDir staging;
    ASSERT_TRUE(QDir(staging.path()).mkpath("CARD/VIDEO"));
    ASSERT_TRUE(QFile::copy(samplePath("A7L"), staging.path() + "/CARD/VIDEO/" +
                                                   QFileInfo(samplePath("A7L")).fileName()));
    const QString card = QDir(mountRoot.path()).filePath("CARD");
    ASSERT_TRUE(QDir().rename(staging.path() + "/CARD", card));
    ASSERT_TRUE(waitFor(
        [&] { return statusText() == "A camera card appeared at " + card + ". Import it?"; }, 5000))
        << statusText().toStdString();
    EXPECT_TRUE(statusShown());
    EXPECT_EQ(dlg->session().catalogue().count(), 0) << "offered, not imported unasked";
    dlg->importOfferedCard();
    ASSERT_EQ(dlg->session().catalogue().count(), 1);
    playRow(0);
    ASSERT_TRUE(QDir(card).removeRecursively());
    ASSERT_TRUE(waitFor([&] { return dlg->session().state() == PlayState::Closed; }, 5000));
    EXPECT_EQ(statusText(), "The card at " + card + " was removed; playback stopped.");
    EXPECT_EQ(dlg->shownSpeed(), 0);
}

TEST_F(PlayerWindowTest, ARightClickActsOnTheRowUnderThePointer)
{
    dlg->onImport();
    playRow(0);
    const QString playing = QDir(folder.path()).filePath(cell(0, 1));
    const QString other = QDir(folder.path()).filePath(cell(2, 1));
    QWidget* rows = playlistView().viewport();
    const auto rightClick = [rows](QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, rows->mapToGlobal(at), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QCoreApplication::sendEvent(rows, &press);
    };
    QStringList texts;
    onNextMenu(&texts, "Delete file from disk");
    rightClick(playlistView().visualRect(playlistView().model()->index(2, 1)).center());
    EXPECT_EQ(texts, QStringList({"Delete file from disk", "Lock/UnLock current file",
                                  "Export track...", "Export clip...", "Events of this trip...", "",
                                  "Show events only", "Where was I at..."}));
    EXPECT_FALSE(QFile::exists(other));
    EXPECT_TRUE(QFile::exists(playing));
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    EXPECT_EQ(dlg->session().currentIndex(), 0);

    texts.clear();
    onNextMenu(&texts, "Show events only");
    rightClick(QPoint(10, rows->height() - 5));  // below the last row
    spin(200);
    EXPECT_EQ(texts, QStringList({"Show events only", "Where was I at..."}))
        << "no file command on empty space";
    EXPECT_EQ(dlg->session().catalogue().count(), 4);
    // None of the samples is an event: the filter hides every row.
    EXPECT_TRUE(dlg->eventsOnly());
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(playlistView().isRowHidden(row)) << row;
    }
    dlg->session().toggleLock(2);  // a locked file counts as an event
    EXPECT_FALSE(playlistView().isRowHidden(2));
    EXPECT_TRUE(playlistView().isRowHidden(1));
    dlg->setEventsOnly(false);
    EXPECT_FALSE(playlistView().isRowHidden(1));
}

// Detected events on the seek bar and the chart, and the trip's list of them: the samples'
// pushes are gentle, so the thresholds are lowered (and remembered). The ICAT sample speeds
// up at 3 s (0.26 g against a mean of 0.06 g); the sidecar sample starts at 0.25 g.
TEST_F(PlayerWindowTest, DetectedEventsAreMarkedListedAndPlayedFromBefore)
{
    dlg->onImport();
    const int icat = rowOf("ICAT");
    const int sidecar = rowOf("SIDECAR");
    GEventThresholds gentle;
    gentle.longitudinalG = 0.15;
    dlg->setEventThresholds(gentle);
    EXPECT_EQ(QSettings().value("events/longitudinal_g").toString(), "0.15");
    playRow(icat);
    const std::vector<SeekTick>& ticks = seekSlider().ticks(1);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks.front().value, 3000);
    EXPECT_EQ(waveformView().eventEntries(), std::vector<int>{30});

    // Read on a worker: the dialog is there at once, and says so until the events are.
    dlg->showEvents();
    EventsDialog* events = dlg->eventsDialog();
    ASSERT_NE(events, nullptr);
    EXPECT_TRUE(events->reading());
    EXPECT_EQ(events->stateText(), "Reading...");
    ASSERT_TRUE(waitFor([&] { return !events->reading(); }, 10000));
    QTreeWidget* list = events->eventList();
    std::vector<std::pair<int, double>> found;
    int sidecarItem = -1;
    for (const TripEvent& event : events->events()) {
        if (event.row == sidecar) {
            sidecarItem = static_cast<int>(found.size());
        }
        found.emplace_back(event.row, event.event.seconds());
    }
    ASSERT_GE(found.size(), 2u);
    EXPECT_EQ(found.front(), (std::pair<int, double>{icat, 3.0}));
    ASSERT_GE(sidecarItem, 0);
    EXPECT_EQ(list->topLevelItemCount(), static_cast<int>(found.size()));
    EXPECT_EQ(list->topLevelItem(0)->text(1), "0:03");
    EXPECT_EQ(list->topLevelItem(0)->text(3), "acceleration");

    // A click plays the sidecar recording from 5 s before its event, here its start.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(events));
    QTreeWidgetItem* item = list->topLevelItem(sidecarItem);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    ASSERT_TRUE(waitFor([&] { return dlg->session().currentIndex() == sidecar; }, 5000));
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    EXPECT_LT(dlg->session().position(), 1.0);

    // The dialog's thresholds are the window's: back to the defaults, no ticks here. A
    // change reads again; one before that reading ended outdates it.
    events->setThresholds(gentle);
    events->setThresholds(GEventThresholds{});
    EXPECT_EQ(dlg->eventThresholds().longitudinalG, 0.35);
    EXPECT_TRUE(seekSlider().ticks(1).empty());
    EXPECT_TRUE(events->reading());
    ASSERT_TRUE(waitFor([&] { return !events->reading(); }, 10000));
    EXPECT_LT(events->events().size(), found.size());
    EXPECT_EQ(list->topLevelItemCount(), static_cast<int>(events->events().size()));

    // Closed while it reads, the dialog goes at once; so does the window.
    events->setThresholds(gentle);
    events->close();
    dlg->showEvents();
    restartWindow();
    EXPECT_EQ(dlg->eventsDialog(), nullptr);
}

TEST_F(PlayerWindowTest, ASingleFileFromTheCommandLineIsListedAndPlayed)
{
    dlg->importPaths({samplePath("A7L")});
    EXPECT_EQ(dlg->session().catalogue().count(), 1);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    // Played before the map page loaded: the track goes again once it has.
    ASSERT_NE(map, nullptr);
    ASSERT_TRUE(map->loaded);
    map->loaded();
    EXPECT_EQ(mapCallCount("setTrip"), 2);
    EXPECT_EQ(last("setTrip")->arguments.size() - 2, dlg->session().telemetry().count() / 10);
    // What the list does not take is named.
    const QString text = QDir(folder.path()).filePath("notes.txt");
    QFile(text).open(QIODevice::WriteOnly);
    dlg->importPaths({folder.path() + "/missing.MOV", text});
    EXPECT_EQ(statusText(), "Skipped: missing.MOV (no such file), notes.txt (not a recording)");
    EXPECT_EQ(dlg->session().catalogue().count(), 1);
    dlg->importPaths({folder.path(), samplePath("ICAT")});
    EXPECT_EQ(dlg->session().catalogue().count(), 5) << "each recording listed once";
    EXPECT_EQ(dlg->session().currentIndex(), 0) << "several paths are only listed";
}

TEST_F(PlayerWindowTest, CardDiscoveryOneSecondAfterStart)
{
    QTemporaryDir card;
    QDir(card.path()).mkpath("VIDEO");
    for (const QString& layout : {QStringLiteral("NT96650A"), QStringLiteral("ICAT")}) {
        QFile::copy(
            samplePath(layout),
            QDir(card.path()).filePath("VIDEO/" + QFileInfo(samplePath(layout)).fileName()));
    }
    volumes = {card.path().toStdString()};
    ASSERT_TRUE(waitFor([&] { return dlg->session().catalogue().count() == 2; }, 3000));
    EXPECT_EQ(cell(0, 1), "20240611_081500_ICAT.MOV") << "sorted by path";
    spin(1500);
    EXPECT_EQ(dlg->session().catalogue().count(), 2) << "once per start";
}

// After Clear nothing of the last recording shows or plays: the window is as at start.
TEST_F(PlayerWindowTest, ClearClosesTheRecordingAndResetsEveryDisplay)
{
    dlg->onImport();
    playRow(rowOf("A7L"));
    ASSERT_TRUE(waitFor([&] { return dlg->session().position() > 1.0; }, 5000));
    dlg->session().displayTick();
    ASSERT_FALSE(tripSummaryText().isEmpty());
    ASSERT_GT(seekSlider().value(), 0);
    mapCalls.clear();
    dlg->onClear();
    EXPECT_EQ(playlistView().model()->rowCount(), 0);
    EXPECT_EQ(dlg->session().state(), PlayState::Closed);
    EXPECT_TRUE(dlg->idlePictureShown());
    EXPECT_EQ(playButtonText(), "Play");
    EXPECT_EQ(seekSlider().value(), 0);
    EXPECT_EQ(waveformView().entryCount(), 0);
    EXPECT_EQ(dlg->shownSpeed(), 0);
    EXPECT_EQ(tripSummaryText(), "");
    EXPECT_FALSE(dlg->findChild<QLabel*>("summaryLine")->isVisible());
    ASSERT_FALSE(mapCalls.empty());
    EXPECT_EQ(mapCalls.back().function, "clearMap");
    activate(dlg.get());
    QTest::keyClick(dlg.get(), Qt::Key_Space);
    EXPECT_EQ(dlg->session().state(), PlayState::Closed) << "nothing left to play";
    EXPECT_FALSE(dlg->session().play(PlaybackSession::Step::Next));
}

// Import from a card's root finds today's card folders; a folder with nothing says so.
TEST_F(PlayerWindowTest, ImportOfACardsRootListsItsFoldersAndAnEmptyFolderSaysSo)
{
    QTemporaryDir card;
    const QDir root(card.path());
    for (const auto& [layout, where] :
         {std::pair{QStringLiteral("ICAT"), QStringLiteral("DCIM/Movie")},
          std::pair{QStringLiteral("A7L"), QStringLiteral("RO")},
          std::pair{QStringLiteral("NT96650A"), QStringLiteral("Event")}}) {
        ASSERT_TRUE(root.mkpath(where));
        ASSERT_TRUE(
            QFile::copy(samplePath(layout),
                        root.filePath(where + "/" + QFileInfo(samplePath(layout)).fileName())));
    }
    chosenFolder = card.path();
    dlg->onImport();
    EXPECT_EQ(dlg->session().catalogue().count(), 3);
    chosenFolder = root.filePath("DCIM");
    dlg->onImport();
    EXPECT_EQ(dlg->session().catalogue().count(), 3) << "listed already";
    EXPECT_FALSE(statusShown()) << statusText().toStdString();
    QTemporaryDir empty;
    chosenFolder = empty.path();
    dlg->onImport();
    EXPECT_TRUE(statusShown());
    EXPECT_EQ(statusText(), "No recordings found in " + empty.path());
}

// Deleting another recording of the playing trip sums the trip up again, and the rows below
// move up with their numbers.
TEST_F(PlayerWindowTest, DeletingARowRenumbersTheListAndUpdatesTheTripSummary)
{
    dlg->onImport();
    const int playing = rowOf("A7L");
    playRow(playing);
    const QString before = tripSummaryText();
    ASSERT_FALSE(before.isEmpty());
    // The trip's last part: its time then ends earlier, whatever the distances.
    const std::vector<int> trip = dlg->session().tripRows(playing);
    ASSERT_GE(trip.size(), 2u);
    const int other = trip.back() != playing ? trip.back() : trip.front();
    playlistView().selectExistingRow(other);
    dlg->onDeleteFile();
    ASSERT_EQ(dlg->session().catalogue().count(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(cell(row, 0).trimmed().remove('*'), QString::number(row + 1));
    }
    const QString after = tripSummaryText();
    EXPECT_NE(after, before) << after.toStdString();
    // What opening the recording afresh sums up for the trip that is left.
    dlg->session().playEntry(dlg->session().currentIndex());
    EXPECT_EQ(tripSummaryText(), after);
}

// The next start lists what the last one listed, but for files gone since, with the
// recording that was open selected and not playing; names with any bytes come back.
TEST_F(PlayerWindowTest, TheListIsRestoredAtTheNextStartWithTheOpenRecordingSelected)
{
    const std::string odd =
        QFile::encodeName(folder.path()).toStdString() + "/2024_0611, x\xff.MOV";
    ASSERT_TRUE(
        std::filesystem::copy_file(QFile::encodeName(samplePath("ICAT")).toStdString(), odd));
    dlg->onImport();
    ASSERT_EQ(dlg->session().catalogue().count(), 6);
    const QString open = samplePath("A7L");
    playRow(rowOf("A7L"));
    const QString gone = samplePath("NT96650A");
    std::vector<std::string> expected;
    for (int row = 0; row < dlg->session().catalogue().count(); ++row) {
        const std::string& path = dlg->session().catalogue().entryAt(row).filePath;
        if (path != QFile::encodeName(gone).toStdString()) {
            expected.push_back(path);
        }
    }
    ASSERT_TRUE(QFile::remove(gone));

    restartWindow();
    std::vector<std::string> listed;
    for (int row = 0; row < dlg->session().catalogue().count(); ++row) {
        listed.push_back(dlg->session().catalogue().entryAt(row).filePath);
    }
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(dlg->session().state(), PlayState::Closed) << "selected, not playing";
    const int row = playlistView().selectedRow();
    ASSERT_GE(row, 0);
    EXPECT_EQ(QFile::decodeName(dlg->session().catalogue().entryAt(row).filePath.c_str()), open);
    dlg->onPlay();  // nothing plays: Play plays the selected row
    EXPECT_EQ(dlg->session().currentIndex(), row);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    std::filesystem::remove(odd);  // a name QTemporaryDir cannot spell
}

// Enter on the recording already open only selects it: it goes on from where it was.
TEST_F(PlayerWindowTest, EnterOnTheOpenRowKeepsItsPlace)
{
    dlg->onImport();
    playRow(1);
    ASSERT_TRUE(waitFor([&] { return dlg->session().position() > 1.0; }, 5000));
    activate(dlg.get());
    QTest::keyClick(&playlistView(), Qt::Key_Return);
    EXPECT_EQ(dlg->session().currentIndex(), 1);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    EXPECT_GT(dlg->session().position(), 1.0) << "not started again from 0";
}

TEST_F(PlayerWindowTest, DoubleClicksOnTheVideoTurnFullScreenOnThenOff)
{
    dlg->onImport();
    playRow(0);
    auto* view = dlg->findChild<ChannelsView*>();
    ASSERT_NE(view, nullptr);
    VideoWidget* video = view->channel(0);
    ASSERT_NE(video, nullptr);
    const auto doubleClick = [video] {
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(20, 20),
                          video->mapToGlobal(QPointF(20, 20)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(video, &click);
    };
    // A press on the video stays there: passed on, it would start moving the window.
    int windowPresses = 0;
    struct PressCounter : QObject
    {
        int* count;
        bool eventFilter(QObject*, QEvent* e) override
        {
            *count += e->type() == QEvent::MouseButtonPress;
            return false;
        }
    } counter;
    counter.count = &windowPresses;
    dlg->installEventFilter(&counter);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 20),
                      video->mapToGlobal(QPointF(20, 20)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(video, &press);
    dlg->removeEventFilter(&counter);
    EXPECT_EQ(windowPresses, 0);

    doubleClick();
    EXPECT_TRUE(view->isFullScreenVideo());
    // Escape leaves full screen and nothing more.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(video, &escape);
    EXPECT_FALSE(view->isFullScreenVideo());
    EXPECT_TRUE(dlg->isVisible());
    doubleClick();
    EXPECT_TRUE(view->isFullScreenVideo());
    doubleClick();
    EXPECT_FALSE(view->isFullScreenVideo());
    // Opening the next recording puts the video back into the window; the first
    // double-click after that turns full screen on again.
    doubleClick();
    EXPECT_TRUE(view->isFullScreenVideo());
    dlg->session().play(PlaybackSession::Step::Next);
    EXPECT_FALSE(view->isFullScreenVideo());
    doubleClick();
    EXPECT_TRUE(view->isFullScreenVideo());
}

TEST_F(PlayerWindowTest, TheWindowMenuSpeaksTheInterfaceLanguage)
{
    QStringList texts;
    onNextMenu(&texts, {});
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 10),
                      dlg->mapToGlobal(QPointF(300, 10)), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(dlg.get(), &press);
    EXPECT_TRUE(texts.contains("&About Player...")) << texts.join('|').toStdString();
}

TEST_F(PlayerWindowTest, RightButtonOnTheWaveformTogglesItsView)
{
    QWidget* chart = control(ctl::kWaveform);
    ASSERT_NE(chart, nullptr);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 50),
                      chart->mapToGlobal(QPointF(50, 50)), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(chart, &press);
    EXPECT_TRUE(waveformView().isSpeedView());
}

TEST_F(PlayerWindowTest, NeedleAndCompassFollowTheDrawnValues)
{
    dlg->drawSpeedNeedle(300);
    EXPECT_EQ(dlg->shownSpeed(), 0);
    EXPECT_EQ(speedText(), "0Km/H");
    dlg->drawSpeedNeedle(130);
    EXPECT_EQ(speedText(), "130Km/H");
    dlg->drawCompass(450.0);
    EXPECT_EQ(dlg->shownHeading(), 450.0);
    const QImage shot = dlg->grab().toImage();
    EXPECT_EQ(shot.pixel(776, 640), qRgb(255, 0, 0)) << "the needle points straight up";
}

TEST_F(PlayerWindowTest, TransportKeysWorkInTheWindowAndInFullScreen)
{
    const QString longRecording = longRecordingPath();
    ASSERT_FALSE(longRecording.isEmpty());
    dlg->onImport();
    dlg->importPaths({longRecording});
    ASSERT_EQ(dlg->session().state(), PlayState::Running) << statusText().toStdString();
    const int longRow = dlg->session().currentIndex();
    ASSERT_GT(longRow, 0);
    const auto seeksTo = [&](QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers,
                             double expected) {
        QTest::keyClick(target, key, modifiers);
        return waitFor([&] { return std::abs(dlg->session().position() - expected) < 0.3; }, 3000);
    };
    QWidget* window = dlg.get();
    activate(window);
    QTest::keyClick(window, Qt::Key_Space);
    ASSERT_EQ(dlg->session().state(), PlayState::Paused);
    const double start = dlg->session().position();
    EXPECT_TRUE(seeksTo(window, Qt::Key_Right, Qt::NoModifier, start + 5));
    EXPECT_TRUE(seeksTo(window, Qt::Key_Right, Qt::ShiftModifier, start + 35));
    EXPECT_NEAR(seekSlider().value(), (start + 35) * 1000, 400);
    EXPECT_TRUE(seeksTo(window, Qt::Key_Left, Qt::ShiftModifier, start + 5));
    EXPECT_TRUE(seeksTo(&seekSlider(), Qt::Key_Up, Qt::NoModifier, start))
        << "the seek bar's own key: 5 s";
    EXPECT_TRUE(seeksTo(window, Qt::Key_Left, Qt::NoModifier, 0.0)) << "not before the start";

    // Full screen: the video is a window of its own, and the keys still reach the player.
    auto* video = dlg->findChild<ChannelsView*>();
    ASSERT_NE(video, nullptr);
    QTest::keyClick(window, Qt::Key_F);
    ASSERT_TRUE(video->isFullScreenVideo());
    EXPECT_TRUE(seeksTo(video, Qt::Key_Right, Qt::NoModifier, 5.0));
    QTest::keyClick(video, Qt::Key_Space);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    QTest::keyClick(video, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(snapshotStarts.size(), 1) << "Ctrl+S asks where to save the picture";
    QTest::keyClick(video, Qt::Key_F);
    EXPECT_FALSE(video->isFullScreenVideo());
    activate(window);
    QTest::keyClick(window, Qt::Key_F);
    ASSERT_TRUE(video->isFullScreenVideo());
    // The previous recording in play order: the long one shares the samples' trip.
    const int previous = dlg->session().trips().plan().previous(longRow);
    ASSERT_GE(previous, 0);
    QTest::keyClick(video, Qt::Key_PageUp);
    EXPECT_EQ(dlg->session().currentIndex(), previous);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    activate(window);  // the recording opened puts the video back into the window
    QTest::keyClick(window, Qt::Key_PageDown);
    EXPECT_EQ(dlg->session().currentIndex(), longRow);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
}

TEST_F(PlayerWindowTest, EnterPlaysAndDeleteAsksFirstOnTheList)
{
    dlg->onImport();
    playRow(0);
    PlaylistView& list = playlistView();
    activate(dlg.get());
    list.selectExistingRow(2);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(dlg->session().currentIndex(), 2);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);

    list.selectExistingRow(4);
    RecordingEntry node;
    ASSERT_TRUE(dlg->session().catalogue().entryAt(4, node));
    confirmAnswer = false;
    QTest::keyClick(&list, Qt::Key_Delete);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(dlg->session().catalogue().count(), 5);
    confirmAnswer = true;
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(dlg->session().catalogue().count(), 4);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(node.filePath)));
    EXPECT_EQ(dlg->session().currentIndex(), 2);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
}

TEST_F(PlayerWindowTest, AboutBoxListsTheKeys)
{
    for (const char* key :
         {"Space", "Shift+Left", "Page Up", "Enter", "Delete", "Ctrl+S", "<td>F</td>", "Escape",
          "<td>V</td>", "<td>X</td>", "<td>I / O</td>", "<td>L</td>"}) {
        EXPECT_TRUE(AboutDialog::keyboardHelp().contains(QLatin1String(key))) << key;
    }
}

TEST_F(PlayerWindowTest, SpeedUnitsAreChosenInTheWindowMenuAndRemembered)
{
    chooseFromWindowMenu(dlg.get(), "Speed in mph");
    ASSERT_EQ(dlg->units(), SpeedUnit::Mph);
    dlg->drawSpeedNeedle(100);
    EXPECT_EQ(speedText(), "62mph");
    EXPECT_EQ(waveformView().speedUnit(), SpeedUnit::Mph);
    restartWindow();
    EXPECT_EQ(dlg->units(), SpeedUnit::Mph);
    EXPECT_EQ(speedText(), "0mph");
    EXPECT_EQ(waveformView().speedUnit(), SpeedUnit::Mph);
    chooseFromWindowMenu(dlg.get(), "Speed in km/h");
    EXPECT_EQ(speedText(), "0Km/H");
    EXPECT_EQ(waveformView().speedUnit(), SpeedUnit::Kmh);
}

TEST_F(PlayerWindowTest, TheVolumeIsRemembered)
{
    dlg->onImport();
    playRow(0);
    dlg->onVolumeDown();
    dlg->onVolumeDown();
    const int level = dlg->session().volumeLevel();
    ASSERT_LT(level, 10);
    restartWindow();
    EXPECT_EQ(dlg->session().volumeLevel(), level);
    dlg->onImport();
    playRow(0);
    EXPECT_EQ(dlg->session().volumeLevel(), level);
    EXPECT_EQ(dlg->litVolumeBars(), std::max(level, 1));
}

TEST_F(PlayerWindowTest, CycleModeIsRemembered)
{
    EXPECT_TRUE(dlg->session().cycleMode());
    dlg->onCycle();
    restartWindow();
    EXPECT_FALSE(dlg->session().cycleMode());
}

TEST_F(PlayerWindowTest, TheChartViewIsRemembered)
{
    QWidget* chart = control(ctl::kWaveform);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 50),
                      chart->mapToGlobal(QPointF(50, 50)), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(chart, &press);
    ASSERT_TRUE(waveformView().isSpeedView());
    restartWindow();
    EXPECT_TRUE(waveformView().isSpeedView());
}

// The keys and the video area's menu arrange the channels of a moment; the layout is
// remembered and kept in full screen, and one channel still fills the area alone.
TEST_F(PlayerWindowTest, TheChannelKeysAndMenuArrangeTheVideoAndAreRemembered)
{
    auto* view = dlg->findChild<ChannelsView*>();
    ASSERT_NE(view, nullptr);
    view->showChannels({"F", "R", "I"});
    activate(dlg.get());
    QTest::keyClick(dlg.get(), Qt::Key_V);
    EXPECT_EQ(view->channelLayout().arrangement, ChannelArrangement::SideBySide);
    QTest::keyClick(dlg.get(), Qt::Key_X);
    EXPECT_EQ(view->channelAt(0), 1);
    QStringList texts;
    onNextMenu(&texts, "Mirror the rear inset");
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 20),
                                 view->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(view->channel(0), &rightClick);
    EXPECT_TRUE(texts.contains("Grid")) << texts.join('|').toStdString();
    EXPECT_TRUE(view->channelLayout().mirrorRear);

    restartWindow();
    view = dlg->findChild<ChannelsView*>();
    EXPECT_EQ(view->channelLayout().arrangement, ChannelArrangement::SideBySide);
    EXPECT_TRUE(view->channelLayout().mirrorRear);
    dlg->onImport();
    playRow(0);
    ASSERT_EQ(view->channelCount(), 1);
    VideoWidget* only = view->channel(0);
    EXPECT_EQ(only->geometry(), view->rect());
    EXPECT_TRUE(only->captionRect().isEmpty());
    activate(dlg.get());
    QTest::keyClick(dlg.get(), Qt::Key_F);
    ASSERT_TRUE(view->isFullScreenVideo());
    EXPECT_EQ(only->geometry(), view->rect());
    QTest::keyClick(view, Qt::Key_V);
    QTest::keyClick(view, Qt::Key_F);
    EXPECT_FALSE(view->isFullScreenVideo());
    EXPECT_EQ(only->geometry(), view->rect());
    EXPECT_EQ(view->channelLayout().arrangement, ChannelArrangement::Stacked);
}

TEST_F(PlayerWindowTest, TheImportFolderIsRemembered)
{
    dlg->onImport();
    ASSERT_EQ(folderStarts.size(), 1);
    EXPECT_TRUE(folderStarts[0].isEmpty()) << "the dialog's own start the first time";
    restartWindow();
    dlg->onImport();
    ASSERT_EQ(folderStarts.size(), 2);
    EXPECT_EQ(folderStarts[1], folder.path());
}

TEST_F(PlayerWindowTest, TheSnapshotFolderIsRemembered)
{
    dlg->onImport();
    playRow(0);
    chosenSnapshot = QDir(folder.path()).filePath("shot.jpg");
    dlg->onCapture();
    ASSERT_TRUE(QFile::exists(chosenSnapshot));
    restartWindow();
    dlg->onImport();
    playRow(0);
    chosenSnapshot.clear();
    dlg->onCapture();
    ASSERT_EQ(snapshotStarts.size(), 2);
    EXPECT_EQ(QFileInfo(snapshotStarts[1]).absolutePath(), QDir(folder.path()).absolutePath());
}

TEST_F(PlayerWindowTest, AnUnreadableOrDamagedSettingsFileGivesTheDefaults)
{
    dlg->onCycle();
    dlg->setSpeedUnit(SpeedUnit::Mph);
    const QString file = QSettings().fileName();
    ASSERT_TRUE(QFile::exists(file));
    dlg.reset();
    const auto expectDefaults = [&](const char* what) {
        makeWindow();
        EXPECT_EQ(dlg->units(), SpeedUnit::Kmh) << what;
        EXPECT_EQ(speedText(), "0Km/H") << what;
        EXPECT_TRUE(dlg->session().cycleMode()) << what;
        EXPECT_FALSE(waveformView().isSpeedView()) << what;
        EXPECT_EQ(dlg->session().volumeLevel(), -1) << what;
        EXPECT_FALSE(statusShown()) << what;
        EXPECT_EQ(dlg->findChild<ChannelsView*>()->channelLayout(), ChannelLayout()) << what;
        dlg.reset();
    };
    const QByteArray garbage[] = {
        QByteArray("\x00\xff[\x01=\x02\n\x7f", 8) + QByteArray(4096, '\xa5'),
        "[play]\nvolume=99\ncycle=banana\n[display]\nunits=parsec\nchart=\narrangement=5\n"
        "insetCorner=-1\ninsetSize=90\nmirrorRear=2\n",
    };
    for (const QByteArray& content : garbage) {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(content);
        damaged.close();
        expectDefaults("damaged");
    }
    // Unreadable, even to root: a folder where the file should be.
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    expectDefaults("unreadable");
    // Nor writable: the play list kept after an import is not, and the user is told.
    makeWindow();
    dlg->onImport();
    EXPECT_TRUE(statusText().contains("The play list could not be saved"))
        << statusText().toStdString();
    dlg.reset();
    ASSERT_TRUE(QDir().rmdir(file));
    makeWindow();
}

TEST_F(PlayerWindowTest, TheListMarksWhereEachTripStartsAndCycleFollowsTheTrip)
{
    dlg->onImport();
    // The four movies run one after another; the transport stream has no time of its own.
    EXPECT_TRUE(playlistView().isGroupStart(rowOf("ICAT")));
    for (const QString layout : {"A7L", "NT96650A", "SIDECAR"}) {
        EXPECT_FALSE(playlistView().isGroupStart(rowOf(layout))) << layout.toStdString();
    }
    EXPECT_TRUE(playlistView().isGroupStart(rowOf("PLAIN")));
    const QString tip =
        playlistView().model()->index(rowOf("ICAT"), 2).data(Qt::ToolTipRole).toString();
    EXPECT_EQ(tip, "A trip of 4 recording(s) from 08:15:00");
    // Locking rewrites the row's number cell; the mark stays.
    playlistView().selectExistingRow(rowOf("ICAT"));
    dlg->onToggleLock();
    EXPECT_TRUE(cell(rowOf("ICAT"), 0).startsWith("*"));
    EXPECT_TRUE(playlistView().isGroupStart(rowOf("ICAT")));
    EXPECT_EQ(dlg->session().trips().plan().next(rowOf("SIDECAR")), rowOf("PLAIN"));
}

TEST_F(PlayerWindowTest, TheSummaryShowsAndAClickOnThePeakMarkSeeksThere)
{
    dlg->onImport();
    playRow(rowOf("A7L"));
    const QString summary = tripSummaryText();
    EXPECT_TRUE(summary.startsWith("Trip: ")) << summary.toStdString();
    EXPECT_TRUE(summary.contains(" km, 0:00:16, max ")) << summary.toStdString();
    EXPECT_TRUE(summary.contains(" g at 08:1")) << summary.toStdString();
    EXPECT_TRUE(dlg->findChild<QLabel*>("summaryLine")->isVisible());
    playRow(rowOf("PLAIN"));  // no telemetry: nothing to sum up
    EXPECT_EQ(tripSummaryText(), "");
    EXPECT_FALSE(dlg->findChild<QLabel*>("summaryLine")->isVisible());
    playRow(rowOf("A7L"));

    dlg->onPlay();  // pause, so the seek is what moves the position
    WaveformView& chart = waveformView();
    const int peak = chart.peakIndex();
    ASSERT_GE(peak, 0);
    chart.repaint();
    const QPoint mark = chart.peakMarkRect().center();
    QMouseEvent press(QEvent::MouseButtonPress, mark, chart.mapToGlobal(mark), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &press);
    ASSERT_TRUE(
        waitFor([&] { return std::abs(dlg->session().position() - peak / 10.0) < 0.3; }, 3000))
        << dlg->session().position() << " for " << peak;
}

TEST_F(PlayerWindowTest, ExportWritesTheWholeTripAndRemembersTheFolder)
{
    dlg->onImport();
    QTemporaryDir target;
    chosenExport = QDir(target.path()).filePath("trip.gpx");
    playlistView().selectExistingRow(rowOf("NT96650A"));
    dlg->onExportTrack();
    ASSERT_TRUE(QFile::exists(chosenExport)) << statusText().toStdString();
    EXPECT_TRUE(exportStarts.front().endsWith("20240611_081500_ICAT.gpx"))
        << exportStarts.front().toStdString();

    // gpsbabel reads four segments back, every point timed.
    QProcess babel;
    babel.start("gpsbabel",
                {"-t", "-i", "gpx", "-f", chosenExport, "-o", "unicsv,utc=0", "-F", "-"});
    ASSERT_TRUE(babel.waitForFinished(30000));
    const QStringList lines =
        QString::fromUtf8(babel.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 4 * kSampleSeconds) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.at(1).contains("2024/06/11,08:15:00")) << lines.at(1).toStdString();
    EXPECT_TRUE(lines.last().contains("2024/06/11,08:15:15")) << lines.last().toStdString();
    QFile gpx(chosenExport);
    ASSERT_TRUE(gpx.open(QIODevice::ReadOnly));
    EXPECT_EQ(gpx.readAll().count("<trkseg>"), 4);

    // The next export starts where this one went; a CSV name writes the table.
    chosenExport = QDir(target.path()).filePath("trip.csv");
    dlg->onExportTrack();
    EXPECT_TRUE(exportStarts.last().startsWith(target.path())) << exportStarts.last().toStdString();
    QFile csv(chosenExport);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = csv.readAll().split('\n');
    EXPECT_EQ(rows.front(), "time,latitude,longitude,speed_kmh,course,x_g,y_g,z_g");
    EXPECT_EQ(rows.size(), 1 + 4 * kSampleSeconds + 1);  // the last line ends too

    // A target that cannot be written is said, and leaves nothing.
    chosenExport = QDir(target.path()).filePath("missing-folder/trip.gpx");
    dlg->onExportTrack();
    EXPECT_TRUE(statusText().startsWith("The track was not saved")) << statusText().toStdString();
    EXPECT_FALSE(QFile::exists(chosenExport));
}

// The summary speaks the gauges' unit, and a note takes its place only while it shows.
TEST_F(PlayerWindowTest, TheSummaryFollowsTheSpeedUnitAndGivesWayToANote)
{
    dlg->onImport();
    playRow(rowOf("A7L"));
    const QRegularExpression figures(
        "^Trip: ([0-9.]+) (km|mi), 0:00:16, max ([0-9]+) (km/h|mph), average ([0-9]+) (km/h|mph),");
    const QRegularExpressionMatch km = figures.match(tripSummaryText());
    ASSERT_TRUE(km.hasMatch()) << tripSummaryText().toStdString();
    EXPECT_EQ((km.captured(2) + km.captured(4) + km.captured(6)).toStdString(), "kmkm/hkm/h");
    ASSERT_GT(km.captured(3).toInt(), 0);

    chooseFromWindowMenu(dlg.get(), "Speed in mph");
    const QRegularExpressionMatch mi = figures.match(tripSummaryText());
    ASSERT_TRUE(mi.hasMatch()) << tripSummaryText().toStdString();
    EXPECT_EQ((mi.captured(2) + mi.captured(4) + mi.captured(6)).toStdString(), "mimphmph");
    constexpr double kMileKm = 1.609344;
    EXPECT_NEAR(mi.captured(1).toDouble(), km.captured(1).toDouble() / kMileKm, 0.11);
    EXPECT_NEAR(mi.captured(3).toInt(), km.captured(3).toInt() / kMileKm, 0.51);
    EXPECT_NEAR(mi.captured(5).toInt(), km.captured(5).toInt() / kMileKm, 1.01);

    const auto* summary = dlg->findChild<QLabel*>("summaryLine");
    ASSERT_TRUE(summary->isVisible());
    playlistView().selectExistingRow(rowOf("A7L"));
    dlg->onToggleLock();
    dlg->onDeleteFile();
    ASSERT_EQ(statusText(), "The recording is locked.");
    EXPECT_TRUE(statusShown());
    EXPECT_FALSE(summary->isVisible()) << "the note is not drawn over the summary";
    ASSERT_TRUE(waitFor([&] { return !statusShown(); }, 15000));
    EXPECT_TRUE(summary->isVisible()) << "the summary comes back after the note";
    EXPECT_TRUE(tripSummaryText().contains(" mph,")) << tripSummaryText().toStdString();
}

}  // namespace

// Larger and smaller: the video and the chart take the extra width and height, the right
// column keeps its width and its map takes the extra height; buttons keep their pictures'
// size. The window never gets smaller than its minimum.
TEST_F(PlayerWindowTest, ResizedWindowGivesTheVideoChartAndMapTheSpace)
{
    const auto geometryOf = [this](const QString& name) { return control(name)->geometry(); };
    for (const QSize size : {QSize(1300, 900), QSize(1024, 640)}) {
        dlg->resize(size);
        const int dw = size.width() - skin::kSize.width();
        const int dh = size.height() - skin::kSize.height();
        const QRect video = geometryOf(ctl::kVideo);
        const QRect chart = geometryOf(ctl::kWaveform);
        EXPECT_EQ(video.width(), skin::kVideo.width() + dw) << size.width();
        EXPECT_EQ(chart.width(), skin::kWaveform.width() + dw);
        EXPECT_EQ(video.height() + chart.height(),
                  skin::kVideo.height() + skin::kWaveform.height() + dh);
        EXPECT_GT(std::abs(video.height() - skin::kVideo.height()),
                  std::abs(chart.height() - skin::kWaveform.height()))
            << "the video takes the larger share";
        EXPECT_EQ(chart.bottom(), skin::kWaveform.bottom() + dh);
        EXPECT_EQ(geometryOf(ctl::kSeekBar).width(), skin::kSeekBar.width() + dw);
        EXPECT_EQ(geometryOf(ctl::kPlayList),
                  skin::withScrollBars(skin::kPlayList).translated(dw, 0));
        const QRect map = geometryOf(ctl::kMapHost);
        EXPECT_EQ(map.size(), skin::kMapHost.size() + QSize(0, dh));
        EXPECT_EQ(map.right(), skin::kMapHost.right() + dw);
        EXPECT_EQ(geometryOf(ctl::kSpeedText), skin::kSpeedText.translated(dw, dh));
        EXPECT_EQ(geometryOf(ctl::kClose), skin::button(skin::Button::Close).translated(dw, 0));
        EXPECT_EQ(geometryOf(ctl::kCapture),
                  skin::button(skin::Button::Capture)
                      .translated(dw, video.bottom() - skin::kVideo.bottom()));
        EXPECT_EQ(geometryOf(ctl::kStop).size(), skin::button(skin::Button::Stop).size());
    }
    dlg->resize(600, 400);
    EXPECT_GE(dlg->width(), 1024);
    EXPECT_LE(dlg->minimumHeight(), 700) << "fits a 1366 x 768 screen with a panel";
    EXPECT_GE(dlg->height(), dlg->minimumHeight());
}

// Only a left drag of the title strip beyond the drag distance moves the window; a click,
// a right-press anywhere or a drag elsewhere leaves it; a right-press on the chart
// switches the chart's view.
TEST_F(PlayerWindowTest, OnlyALeftDragOfTheTitleStripMovesTheWindow)
{
    dlg->move(100, 100);
    const QPoint start = dlg->pos();
    const auto drag = [this](QPoint from, QPoint by, Qt::MouseButton button) {
        QWidget* target = dlg->childAt(from) ? dlg->childAt(from) : dlg.get();
        const QPoint local = target->mapFrom(dlg.get(), from);
        const QPoint origin = dlg->mapToGlobal(from);
        QCursor::setPos(origin);
        QMouseEvent press(QEvent::MouseButtonPress, local, QCursor::pos(), button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        for (int step = 1; step <= 4; ++step) {
            QCursor::setPos(origin + by * step / 4);
            QMouseEvent move(QEvent::MouseMove, target->mapFromGlobal(QCursor::pos()),
                             QCursor::pos(), Qt::NoButton, button, Qt::NoModifier);
            QApplication::sendEvent(target, &move);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, target->mapFromGlobal(QCursor::pos()),
                            QCursor::pos(), button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    };
    const QPoint title(400, 14);
    const QPoint small(QApplication::startDragDistance() / 2, 0);
    drag(title, small, Qt::LeftButton);
    EXPECT_EQ(dlg->pos(), start) << "within the drag distance";
    drag(skin::kVideo.center(), QPoint(80, 60), Qt::RightButton);
    EXPECT_EQ(dlg->pos(), start) << "a right drag";
    drag(QPoint(689, 300), QPoint(80, 60), Qt::LeftButton);
    EXPECT_EQ(dlg->pos(), start) << "a left drag off the title strip";
    const QPoint chart = skin::kWaveform.center();
    const bool speedView = dlg->findChild<WaveformView*>()->isSpeedView();
    drag(chart, QPoint(0, 0), Qt::RightButton);
    EXPECT_EQ(dlg->pos(), start);
    EXPECT_NE(dlg->findChild<WaveformView*>()->isSpeedView(), speedView);
    drag(title, QPoint(80, 60), Qt::LeftButton);
    EXPECT_EQ(dlg->pos(), start + QPoint(80, 60));
}

TEST_F(PlayerWindowTest, MapTilesComeFromTheChosenFileWhileItCanBeRead)
{
    const auto tileCalls = [this] {
        QStringList files;
        for (const MapCall& call : mapCalls) {
            if (call.function == "setTileFile") {
                files << call.arguments;
            }
        }
        return files;
    };
    chosenTileFile = "/maps/alps.mbtiles";
    chooseFromWindowMenu(dlg.get(), "Map tiles from a file...");
    ASSERT_EQ(tileCalls(), QStringList{chosenTileFile});

    // A file the map cannot read is said, and the last good choice stays.
    chosenTileFile = "/maps/unreadable.mbtiles";
    chooseFromWindowMenu(dlg.get(), "Map tiles from alps.mbtiles...");
    ASSERT_EQ(tileCalls().size(), 2);
    EXPECT_EQ(statusText(), "/maps/unreadable.mbtiles is no tile file.");

    mapCalls.clear();
    restartWindow();
    EXPECT_EQ(tileCalls(), QStringList{"/maps/alps.mbtiles"});
    chooseFromWindowMenu(dlg.get(), "Map tiles from the internet");
    EXPECT_EQ(tileCalls(), (QStringList{"/maps/alps.mbtiles", ""}));
    mapCalls.clear();
    restartWindow();
    EXPECT_TRUE(tileCalls().isEmpty());
}
