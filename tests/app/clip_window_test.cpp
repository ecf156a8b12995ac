// Marks and the clip export in the real window, over real playback of sample recordings.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QTest>

#include "controls/seek_slider.h"
#include "skin/skin_palette.h"
#include "tests/app/window_fixture.h"

namespace {

void activate(QWidget* window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
}

// I in one recording and O in the next of its trip: each recording's bar shows its own
// mark, and the export writes the clip of the span while the player plays on.
TEST_F(PlayerWindowTest, MarksInTwoRecordingsShowOnTheirBarsAndExportTheSpan)
{
    dlg->onImport();
    const auto markAt = [&](const QString& layout, double seconds, Qt::Key key) {
        playRow(rowOf(layout));
        activate(dlg.get());
        QTest::keyClick(dlg.get(), Qt::Key_Space);
        dlg->session().seekTo(seconds);
        QTest::keyClick(dlg.get(), key);
    };
    markAt(QStringLiteral("ICAT"), 1.0, Qt::Key_I);
    ASSERT_EQ(seekSlider().ticks(0).size(), 1u);
    EXPECT_EQ(seekSlider().ticks(0).front().value, 1000);
    EXPECT_EQ(seekSlider().ticks(0).front().colour, palette::kGo);
    markAt(QStringLiteral("A7L"), 3.0, Qt::Key_O);
    ASSERT_EQ(seekSlider().ticks(0).size(), 1u) << "the in mark lies in the other recording";
    EXPECT_EQ(seekSlider().ticks(0).front().value, 3000);
    EXPECT_EQ(seekSlider().ticks(0).front().colour, palette::kWarn);

    dlg->onPlay();
    const QTemporaryDir target;
    chosenClip = ClipTarget{target.path(), false};
    dlg->onExportClip();
    EXPECT_TRUE(dlg->clipExportRunning());
    EXPECT_NE(dlg->findChild<QProgressDialog*>(), nullptr);
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    ASSERT_TRUE(waitFor([&] { return !dlg->clipExportRunning(); }, 30000));
    const QString clip = QStringLiteral("clip_20240611_081501_F");
    EXPECT_EQ(statusText(), QStringLiteral("Saved %1.mp4, %1.gpx, %1.csv in %2")
                                .arg(clip, QDir(target.path()).absolutePath()));
    EXPECT_GT(QFileInfo(QDir(target.path()).filePath(clip + ".mp4")).size(), 0);
    EXPECT_TRUE(waitFor([&] { return dlg->findChild<QProgressDialog*>() == nullptr; }, 2000));

    // With the overlay: the same span again, re-encoded, under the next free name.
    chosenClip = ClipTarget{target.path(), true};
    dlg->onExportClip();
    ASSERT_TRUE(waitFor([&] { return !dlg->clipExportRunning(); }, 60000));
    EXPECT_EQ(statusText(), QStringLiteral("Saved %1-2.mp4, %1-2.gpx, %1-2.csv in %2")
                                .arg(clip, QDir(target.path()).absolutePath()));
    EXPECT_GT(QFileInfo(QDir(target.path()).filePath(clip + "-2.mp4")).size(), 0);

    dlg->onClear();
    EXPECT_TRUE(seekSlider().ticks(0).empty());
    dlg->onExportClip();
    EXPECT_EQ(statusText(), QStringLiteral("No clip to export: there is no in mark (key I)."));
}

}  // namespace

// A moment of two channels, the rear 2 s behind the front: the export writes a clip of
// each, named with its channel's letter, and ffprobe finds a picture in both.
TEST_F(PlayerWindowTest, ExportClipWritesAClipOfEveryChannelOfTheMoment)
{
    const QTemporaryDir moment;
    QProcess maker;
    maker.start(QStringLiteral(SAMPLE_MAKER), {moment.path(), QStringLiteral("6"), "AB"});
    ASSERT_TRUE(maker.waitForFinished(120000) && maker.exitCode() == 0);
    chosenFolder = moment.path();
    dlg->onImport();
    ASSERT_EQ(dlg->session().catalogue().count(), 1);
    playRow(0);
    activate(dlg.get());
    QTest::keyClick(dlg.get(), Qt::Key_Space);
    dlg->session().seekTo(2.5);
    QTest::keyClick(dlg.get(), Qt::Key_I);
    dlg->session().seekTo(4.5);
    QTest::keyClick(dlg.get(), Qt::Key_O);

    const QTemporaryDir target;
    chosenClip = ClipTarget{target.path(), false};
    dlg->onExportClip();
    ASSERT_TRUE(waitFor([&] { return !dlg->clipExportRunning(); }, 30000));
    const QString clip = QStringLiteral("clip_20240611_081550_");
    EXPECT_EQ(statusText(), QStringLiteral("Saved %1F.mp4, %1F.gpx, %1F.csv, %1R.mp4, %1R.gpx, "
                                           "%1R.csv in %2")
                                .arg(clip, QDir(target.path()).absolutePath()))
        << statusText().toStdString();
    for (const QString& channel : {QStringLiteral("F"), QStringLiteral("R")}) {
        QProcess probe;
        probe.start(QStringLiteral("ffprobe"),
                    {"-v", "error", "-select_streams", "v", "-show_entries", "stream=codec_type",
                     "-of", "csv=p=0", QDir(target.path()).filePath(clip + channel + ".mp4")});
        ASSERT_TRUE(probe.waitForFinished(30000));
        EXPECT_EQ(probe.readAllStandardOutput().trimmed(), "video") << channel.toStdString();
    }
}
