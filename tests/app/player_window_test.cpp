// The player window over real GStreamer playback of real sample recordings.
#include <QDir>
#include <algorithm>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>

#include "bitmap_slider.h"
#include "dialog_layout.h"
#include "gauges.h"
#include "skin_list.h"
#include "slider_messages.h"
#include "video_widget.h"
#include "wave_form_ctrl.h"
#include "window_fixture.h"

namespace {

constexpr int kSampleSeconds = 4;
const QStringList kLayouts = {"ICAT", "A7L", "NT96650A", "SIDECAR"};

TEST_F(PlayerWindowTest, StartsIdleWithGaugesAtRest)
{
    EXPECT_TRUE(dlg->IdlePictureShown());
    EXPECT_EQ(dlg->Engine().state(), PlayState::Init);
    EXPECT_EQ(dlg->ShownSpeed(), 0);
    EXPECT_EQ(dlg->ShownHeading(), 180.0);
    EXPECT_EQ(dlg->SpeedText(), "0Km/H");
    EXPECT_EQ(dlg->size(), QSize(1024, 768));
    EXPECT_EQ(dlg->Control(ctl::kSeekBar)->geometry(), QRect(9, 590, 675, 9));
    EXPECT_FALSE(dlg->Control(ctl::kVolumeDown)->isEnabled());
    EXPECT_EQ(dlg->PlayList().model()->columnCount(), 3);
    EXPECT_EQ(dlg->PlayList().model()->headerData(1, Qt::Horizontal).toString(), "Files");
    // Play with nothing opened plays nothing.
    dlg->OnPlay();
    EXPECT_EQ(dlg->Engine().state(), PlayState::Init);
}

TEST_F(PlayerWindowTest, EnterKeepsTheWindowAndEscapeEndsIt)
{
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg.get(), &enter);
    EXPECT_TRUE(dlg->isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg.get(), &escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(PlayerWindowTest, ImportListsEveryRecordingWithItsLayout)
{
    dlg->OnImport();
    ASSERT_EQ(dlg->Catalogue().GetCount(), 5);
    for (const QString& layout : kLayouts) {
        tagFileNode node;
        ASSERT_EQ(dlg->Catalogue().GetAt(RowOf(layout), node), 0) << layout.toStdString();
        EXPECT_EQ(node.layout == Layout::ICat, layout == "ICAT");
        EXPECT_EQ(node.layout == Layout::A7L, layout == "A7L");
        EXPECT_EQ(node.layout == Layout::NT96650, layout == "NT96650A");
        EXPECT_EQ(!node.strGpsPath.empty(), layout == "SIDECAR");
    }
    EXPECT_EQ(Cell(RowOf("ICAT"), 2), "08:15:00 06-11-2024") << "movie header time, unconverted";
    // The whole time fits its 130-pixel column, beside the cell's text margins.
    const int timeWidth = dlg->PlayList().fontMetrics().horizontalAdvance(Cell(RowOf("ICAT"), 2));
    EXPECT_LE(timeWidth + 8, dlg->PlayList().columnWidth(2));
    chosenFolder.clear();  // cancelled browser
    dlg->OnImport();
    EXPECT_EQ(dlg->Catalogue().GetCount(), 5);
}

TEST_F(PlayerWindowTest, EveryLayoutPlaysWithItsTrackAndSynchronisedDisplay)
{
    dlg->OnImport();
    for (const QString& layout : kLayouts) {
        SCOPED_TRACE(layout.toStdString());
        mapCalls.clear();
        PlayRow(RowOf(layout));
        const int entries = dlg->Telemetry().GetCount();
        EXPECT_EQ(entries, kSampleSeconds * 10);
        // The track: newPolyLine, one point per entry with a position (ten per second),
        // renderPolyLine, in one run.
        const auto start = std::find_if(mapCalls.begin(), mapCalls.end(),
                                        [](const MapCall& c) { return c.function == "newPolyLine"; });
        ASSERT_LE(std::distance(start, mapCalls.end()), static_cast<long>(mapCalls.size()));
        ASSERT_GE(std::distance(start, mapCalls.end()), entries + 2L);
        for (int i = 1; i <= entries; ++i) {
            EXPECT_EQ(start[i].function, "putMarkerToLine");
        }
        EXPECT_EQ(start[entries + 1].function, "renderPolyLine");
        EXPECT_EQ(Count("newPolyLine"), 1);
        tagAssistInfo first;
        dlg->Telemetry().GetAssistInfo(0, first);
        EXPECT_EQ(start[1].arguments,
                  QStringList({QString::fromStdString(first.strLatitude), QString::fromStdString(first.strLongitude)}));
        EXPECT_EQ(dlg->SeekBar().GetRangeMax(), static_cast<int>(dlg->Engine().getDuration()) * 5);

        ASSERT_TRUE(WaitFor([&] { return dlg->Engine().getPosition() >= 1.6; }, 8000));
        dlg->Engine().pause();
        dlg->displayTick();
        const double position = dlg->Engine().getPosition();
        tagAssistInfo entry;
        ASSERT_EQ(dlg->Telemetry().GetAssistInfo(static_cast<int>(position) * 10, entry), 0);
        EXPECT_EQ(dlg->SpeedText(), QStringLiteral("%1Km/H").arg(entry.nSpeed));
        EXPECT_EQ(dlg->ShownSpeed(), entry.nSpeed);
        EXPECT_EQ(dlg->ShownHeading(), entry.dCourse);
        EXPECT_EQ(dlg->Waveform().GetCursorIndex(), static_cast<int>(position * 10));
        const MapCall* shown = Last("SetLgtLat");
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->arguments,
                  QStringList({QString::fromStdString(entry.strLatitude), QString::fromStdString(entry.strLongitude), "0"}));
        EXPECT_FALSE(dlg->IdlePictureShown());
    }
}

TEST_F(PlayerWindowTest, TheSeekBarFollowsWhileRunningAndThePlayButtonSaysPause)
{
    dlg->OnImport();
    PlayRow(RowOf("ICAT"));
    ASSERT_TRUE(WaitFor([&] { return dlg->SeekBar().GetPosition() >= 5; }, 8000));
    EXPECT_EQ(dlg->PlayButtonText(), "Pause");
    EXPECT_NEAR(dlg->SeekBar().GetPosition(), dlg->Engine().getPosition() * 5, 2.0);
    dlg->OnPlay();  // pause
    ASSERT_TRUE(WaitFor([&] { return dlg->PlayButtonText() == "Play"; }, 1000));
    EXPECT_EQ(dlg->Engine().state(), PlayState::Paused);
}

TEST_F(PlayerWindowTest, WithCycleOnTheListPlaysThroughAndStopsAtItsEnd)
{
    dlg->OnImport();
    const int last = dlg->Catalogue().GetCount() - 1;
    PlayRow(last - 1);
    ASSERT_TRUE(WaitFor([&] { return dlg->CurrentIndex() == last; }, 15000)) << "moved on at the end";
    EXPECT_EQ(dlg->Engine().state(), PlayState::Running);
    ASSERT_TRUE(WaitFor([&] { return dlg->Engine().state() == PlayState::Stopped; }, 15000));
    Spin(500);
    EXPECT_EQ(dlg->CurrentIndex(), last) << "no wrap-around";
    EXPECT_EQ(dlg->Engine().state(), PlayState::Stopped);
    EXPECT_NEAR(dlg->Engine().getPosition(), 0.0, 0.1) << "rewound to the first frame";
    // Next on the last entry stops what plays and opens nothing.
    dlg->OnPlay();
    ASSERT_EQ(dlg->Engine().state(), PlayState::Running);
    EXPECT_EQ(dlg->playRecording(CPlayerDlg::Next), 0);
    EXPECT_EQ(dlg->Engine().state(), PlayState::Stopped);
    EXPECT_EQ(dlg->CurrentIndex(), last);
}

TEST_F(PlayerWindowTest, WithCycleOffTheSameRecordingRepeats)
{
    dlg->OnImport();
    dlg->OnCycle();
    EXPECT_EQ(dlg->CycleMode(), 0);
    PlayRow(0);
    ASSERT_TRUE(WaitFor([&] { return dlg->Engine().getPosition() > 2.0; }, 8000));
    ASSERT_TRUE(WaitFor([&] { return dlg->Engine().getPosition() < 1.0; }, 8000)) << "started again";
    EXPECT_EQ(dlg->CurrentIndex(), 0);
    EXPECT_EQ(dlg->Engine().state(), PlayState::Running);
}

TEST_F(PlayerWindowTest, StopNeverMovesOn)
{
    dlg->OnImport();
    PlayRow(0);
    Spin(500);
    dlg->OnStop();
    EXPECT_EQ(dlg->Engine().state(), PlayState::Stopped);
    Spin((kSampleSeconds + 1) * 1000);
    EXPECT_EQ(dlg->CurrentIndex(), 0);
    EXPECT_EQ(dlg->Engine().state(), PlayState::Stopped);
    EXPECT_EQ(dlg->SeekBar().GetPosition(), 0);
}

TEST_F(PlayerWindowTest, PressingTheSeekBarPausesAndReleasingSeeks)
{
    dlg->OnImport();
    PlayRow(RowOf("A7L"));
    Spin(300);
    QWidget* bar = dlg->Control(ctl::kSeekBar);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 4), bar->mapToGlobal(QPointF(2, 4)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &press);
    EXPECT_EQ(dlg->Engine().state(), PlayState::Paused);
    dlg->SeekBar().SetPosition(15);  // 3.0 s
    QCoreApplication::postEvent(bar->parent(), new CSliderEvent(WM_SLIDER_MOVED, ctl::kSeekBar, 15));
    ASSERT_TRUE(WaitFor([&] { return std::abs(dlg->Engine().getPosition() - 3.0) < 0.05; }, 3000));
    Spin(300);
    EXPECT_EQ(dlg->Engine().state(), PlayState::Paused);
    EXPECT_EQ(dlg->Waveform().GetCursorIndex(), 30);
    EXPECT_EQ(dlg->SeekBar().GetPosition(), 15) << "left to the user while paused";
    tagAssistInfo entry;
    dlg->Telemetry().GetAssistInfo(30, entry);
    EXPECT_EQ(dlg->ShownSpeed(), entry.nSpeed);
}

TEST_F(PlayerWindowTest, VolumeButtonsStepWithinTheScaleAndLightTheBars)
{
    dlg->OnImport();
    PlayRow(0);
    EXPECT_EQ(dlg->SavedVolumeLevel(), dlg->Engine().getVolumeLevel());
    EXPECT_TRUE(dlg->Control(ctl::kVolumeUp)->isEnabled());
    dlg->OnVolumeUp();
    EXPECT_EQ(dlg->Engine().getVolumeLevel(), 10);
    EXPECT_EQ(dlg->LitVolumeBars(), 10);
    for (int i = 0; i < 3; ++i) {
        dlg->OnVolumeDown();
    }
    EXPECT_EQ(dlg->Engine().getVolumeLevel(), 7);
    EXPECT_EQ(dlg->LitVolumeBars(), 7);
    for (int i = 0; i < 12; ++i) {
        dlg->OnVolumeDown();
    }
    EXPECT_EQ(dlg->Engine().getVolumeLevel(), 0);
    EXPECT_EQ(dlg->LitVolumeBars(), 1) << "levels 0 and 1 both light one bar";
    // The level read at the first open is applied to every later open.
    PlayRow(1);
    EXPECT_EQ(dlg->Engine().getVolumeLevel(), dlg->SavedVolumeLevel());
}

TEST_F(PlayerWindowTest, DeletingThePlayingRecordingStopsAndClearsEverything)
{
    dlg->OnImport();
    const int row = RowOf("SIDECAR");
    const QString movie = Sample("SIDECAR");
    const QString sidecar = QString(movie).replace(".MOV", ".DAT");
    ASSERT_TRUE(QFile::exists(sidecar));
    PlayRow(row);
    Spin(300);
    dlg->PlayList().SelectRow(row);
    dlg->OnDeleteFile();
    EXPECT_EQ(dlg->Engine().state(), PlayState::Init);
    EXPECT_EQ(dlg->Telemetry().GetCount(), 0);
    EXPECT_EQ(dlg->Waveform().GetEntryCount(), 0);
    ASSERT_NE(Last("SetLgtLat"), nullptr);
    EXPECT_EQ(Last("SetLgtLat")->arguments, QStringList({"", "", ""}));
    EXPECT_FALSE(QFile::exists(movie));
    EXPECT_FALSE(QFile::exists(sidecar));
    EXPECT_EQ(dlg->Catalogue().GetCount(), 4);
    EXPECT_EQ(dlg->CurrentIndex(), row - 1);
}

TEST_F(PlayerWindowTest, LockedRecordingsStayAndOtherRowsMoveTheCurrentIndex)
{
    dlg->OnImport();
    const int playing = RowOf("NT96650A");
    PlayRow(playing);
    // Lock the playing row: its delete is refused and playback goes on.
    dlg->PlayList().SelectRow(playing);
    dlg->OnToggleLock();
    EXPECT_TRUE(Cell(playing, 0).startsWith('*'));
    EXPECT_FALSE(QFileInfo(Sample("NT96650A")).permissions() &
                 (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
    dlg->OnDeleteFile();
    EXPECT_EQ(dlg->StatusText(), "The recording is locked.");
    EXPECT_TRUE(dlg->toolTip().isEmpty()) << "the note passes; it does not stay over the whole window";
    EXPECT_TRUE(QFile::exists(Sample("NT96650A")));
    EXPECT_EQ(dlg->Catalogue().GetCount(), 5);
    EXPECT_EQ(dlg->CurrentIndex(), playing);
    EXPECT_EQ(dlg->Engine().state(), PlayState::Running);
    EXPECT_GT(dlg->Telemetry().GetCount(), 0);

    // Unlock, then delete a row above the playing one: the index follows its row.
    dlg->OnToggleLock();
    EXPECT_TRUE(Cell(playing, 0).startsWith(' '));
    const int above = playing - 1;
    ASSERT_GE(above, 0);
    const QString aboveFile = QDir(folder.path()).filePath(Cell(above, 1));
    dlg->PlayList().SelectRow(above);
    dlg->OnDeleteFile();
    EXPECT_FALSE(QFile::exists(aboveFile));
    EXPECT_EQ(dlg->CurrentIndex(), playing - 1);
    EXPECT_EQ(dlg->Engine().state(), PlayState::Running) << "another row's delete leaves playback alone";
}

TEST_F(PlayerWindowTest, CaptureWritesTheShownFrameAndResumes)
{
    dlg->OnCapture();
    EXPECT_TRUE(snapshotStarts.isEmpty()) << "no dialog before anything is opened";
    dlg->OnImport();
    PlayRow(RowOf("ICAT"));
    Spin(500);
    chosenSnapshot = QDir(folder.path()).filePath("shot.jpg");
    dlg->OnCapture();
    EXPECT_EQ(dlg->Engine().state(), PlayState::Running);
    QImage shot(chosenSnapshot);
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(640, 360));

    chosenSnapshot.clear();  // cancelled
    dlg->OnPlay();           // paused
    dlg->OnCapture();
    EXPECT_EQ(dlg->Engine().state(), PlayState::Paused);
    EXPECT_EQ(snapshotStarts, QStringList({"/", ""})) << "the root first, then where the user last saved";
    dlg->OnStop();
    dlg->OnCapture();
    EXPECT_EQ(snapshotStarts.size(), 2) << "stopped: no dialog";
}

TEST_F(PlayerWindowTest, ABrokenRecordingSaysPlayFileFailed)
{
    const QString broken = QDir(folder.path()).filePath("broken.MOV");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is no movie");
    file.close();
    dlg->ImportPaths({broken});
    EXPECT_EQ(errors, QStringList({"Play file failed!"}));
    EXPECT_EQ(dlg->PlayList().GetSelectedRow(), 0);
    EXPECT_NE(dlg->Engine().state(), PlayState::Running);
}

TEST_F(PlayerWindowTest, ASingleFileFromTheCommandLineIsListedAndPlayed)
{
    dlg->ImportPaths({Sample("A7L")});
    EXPECT_EQ(dlg->Catalogue().GetCount(), 1);
    EXPECT_EQ(dlg->Engine().state(), PlayState::Running);
    dlg->ImportPaths({folder.path(), Sample("ICAT")});
    EXPECT_EQ(dlg->Catalogue().GetCount(), 1 + 5 + 1);
    EXPECT_EQ(dlg->CurrentIndex(), 0) << "several paths are only listed";
}

TEST_F(PlayerWindowTest, CardDiscoveryOneSecondAfterStart)
{
    QTemporaryDir card;
    QDir(card.path()).mkpath("VIDEO");
    for (const QString& layout : {QStringLiteral("NT96650A"), QStringLiteral("ICAT")}) {
        QFile::copy(Sample(layout), QDir(card.path()).filePath("VIDEO/" + QFileInfo(Sample(layout)).fileName()));
    }
    volumes = {card.path().toStdString()};
    ASSERT_TRUE(WaitFor([&] { return dlg->Catalogue().GetCount() == 2; }, 3000));
    EXPECT_EQ(Cell(0, 1), "20240611_081500_ICAT.MOV") << "sorted by path";
    Spin(1500);
    EXPECT_EQ(dlg->Catalogue().GetCount(), 2) << "once per start";
}

TEST_F(PlayerWindowTest, ClearEmptiesTheListButKeepsTheIndex)
{
    dlg->OnImport();
    PlayRow(2);
    dlg->OnClear();
    EXPECT_EQ(dlg->Catalogue().GetCount(), 0);
    EXPECT_EQ(dlg->PlayList().GetRowCount(), 0);
    EXPECT_EQ(dlg->Engine().state(), PlayState::Stopped);
    EXPECT_EQ(dlg->CurrentIndex(), 2);
    EXPECT_EQ(dlg->playRecording(CPlayerDlg::Next), 0);
    EXPECT_EQ(dlg->playRecording(CPlayerDlg::Current), 1) << "nothing to open";
    EXPECT_EQ(dlg->Engine().state(), PlayState::Stopped);
}

TEST_F(PlayerWindowTest, DoubleClicksOnTheVideoTurnFullScreenOnThenOff)
{
    dlg->OnImport();
    PlayRow(0);
    auto* video = dlg->findChild<VideoWidget*>();
    ASSERT_NE(video, nullptr);
    const auto doubleClick = [video] {
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(20, 20), video->mapToGlobal(QPointF(20, 20)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(video, &click);
    };
    doubleClick();
    EXPECT_TRUE(video->isFullScreenVideo());
    doubleClick();
    EXPECT_FALSE(video->isFullScreenVideo());
    // Opening the next recording puts the video back into the window; the first
    // double-click after that turns full screen on again.
    doubleClick();
    EXPECT_TRUE(video->isFullScreenVideo());
    dlg->playRecording(CPlayerDlg::Next);
    EXPECT_FALSE(video->isFullScreenVideo());
    doubleClick();
    EXPECT_TRUE(video->isFullScreenVideo());
}

TEST_F(PlayerWindowTest, RightButtonOnTheWaveformTogglesItsView)
{
    QWidget* chart = dlg->Control(ctl::kWaveform);
    ASSERT_NE(chart, nullptr);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 50), chart->mapToGlobal(QPointF(50, 50)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(chart, &press);
    EXPECT_TRUE(dlg->Waveform().IsSpeedView());
}

TEST_F(PlayerWindowTest, NeedleAndCompassFollowTheDrawnValues)
{
    dlg->drawSpeedNeedle(300);
    EXPECT_EQ(dlg->ShownSpeed(), 0);
    EXPECT_EQ(dlg->SpeedText(), "0Km/H");
    dlg->drawSpeedNeedle(130);
    EXPECT_EQ(dlg->SpeedText(), "130Km/H");
    dlg->drawCompass(450.0);
    EXPECT_EQ(dlg->ShownHeading(), 450.0);
    const QImage shot = dlg->grab().toImage();
    EXPECT_EQ(shot.pixel(776, 640), qRgb(255, 0, 0)) << "the needle points straight up";
}

}  // namespace
