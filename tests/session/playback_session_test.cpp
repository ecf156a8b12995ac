// The play policy without a window: real GStreamer on generated recordings, the session's
// signals read with QSignalSpy.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "media_fixtures.h"
#include "playback_session.h"

namespace {

constexpr int kClipSeconds = 2;  // media::videoWithAudio()

class PlaybackSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        session.engine().setAudioSink(QStringLiteral("fakesink sync=true"));
    }

    // Copies of the two-second clip, named so the list keeps their order.
    void listClips(int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(
                QFile::copy(media::videoWithAudio(), path(QStringLiteral("CLIP%1.MOV").arg(i))));
        session.importFolder(QFile::encodeName(folder.path()).toStdString());
        ASSERT_EQ(session.catalogue().count(), count);
    }

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    static std::vector<int> signalRows(const QSignalSpy& spy)
    {
        std::vector<int> rows;
        for (const QList<QVariant>& call : spy)
            rows.push_back(call.at(0).toInt());
        return rows;
    }

    QTemporaryDir folder;
    PlaybackSession session;
};

TEST_F(PlaybackSessionTest, CycleOnPlaysThroughTheListAndStopsAtItsEnd)
{
    listClips(2);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    QSignalSpy ended(&session, &PlaybackSession::recordingEnded);
    QSignalSpy shown(&session, &PlaybackSession::entryShown);
    session.playEntry(0);
    ASSERT_EQ(session.engine().state(), PlayState::Running);
    EXPECT_EQ(loaded.at(0).at(1).toDouble(), session.engine().duration());
    EXPECT_TRUE(session.model().index(0, 0).data(PlaylistModel::PlayingRole).toBool());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.size() == 2; }, (kClipSeconds * 2 + 8) * 1000));
    QTest::qWait(300);
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{0, 1}));
    EXPECT_EQ(signalRows(ended), (std::vector<int>{0, 1}));
    EXPECT_EQ(signalRows(shown), (std::vector<int>{0, 1}));
    EXPECT_EQ(session.currentIndex(), 1) << "no wrap-around";
    EXPECT_EQ(session.engine().state(), PlayState::Stopped);
    EXPECT_NEAR(session.position(), 0.0, 0.1) << "rewound to the first frame";
    // Next on the last entry stops what plays and opens nothing.
    session.playOrPause(-1);
    ASSERT_EQ(session.engine().state(), PlayState::Running);
    EXPECT_FALSE(session.play(PlaybackSession::Step::Next));
    EXPECT_EQ(session.engine().state(), PlayState::Stopped);
    EXPECT_EQ(session.currentIndex(), 1);
}

TEST_F(PlaybackSessionTest, ARecordingStartedByHandMovesOnAtItsEnd)
{
    listClips(3);
    session.playEntry(0);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    session.play(
        PlaybackSession::Step::Next);  // stops the first one: that stop must not hold for the next
    ASSERT_EQ(session.currentIndex(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.size() == 2; }, (kClipSeconds + 8) * 1000))
        << "moved on at the end";
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1, 2}));
}

TEST_F(PlaybackSessionTest, CycleOffPlaysTheSameRecordingAgain)
{
    listClips(2);
    QSignalSpy cycle(&session, &PlaybackSession::cycleModeChanged);
    session.setCycleMode(false);
    session.setCycleMode(false);
    EXPECT_EQ(cycle.size(), 1) << "only a change is announced";
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    session.playEntry(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.size() == 2; }, (kClipSeconds + 8) * 1000));
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{0, 0}));
    EXPECT_EQ(session.engine().state(), PlayState::Running);
}

TEST_F(PlaybackSessionTest, AUserStopHoldsAndPlayResumesWhereItWas)
{
    listClips(2);
    session.playEntry(0);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    QSignalSpy moved(&session, &PlaybackSession::positionMoved);
    session.stop();
    EXPECT_EQ(moved.size(), 1);
    QTest::qWait((kClipSeconds + 1) * 1000);
    EXPECT_TRUE(loaded.isEmpty()) << "a stop never moves on";
    EXPECT_EQ(session.engine().state(), PlayState::Stopped);
    session.playOrPause(0);  // the open row selected: play on, no new open
    EXPECT_EQ(session.engine().state(), PlayState::Running);
    EXPECT_TRUE(loaded.isEmpty());
    session.playOrPause(1);  // playing: Pause pauses, whatever row was clicked to look at
    EXPECT_EQ(session.engine().state(), PlayState::Paused);
    EXPECT_TRUE(loaded.isEmpty());
    session.playOrPause(1);  // nothing plays: the row selected opens
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1}));
    EXPECT_EQ(session.engine().state(), PlayState::Running);
}

// Enter or a double-click on the open row keeps its place; on another row it plays that.
TEST_F(PlaybackSessionTest, ActivatingTheOpenRowNeitherRestartsNorReopensIt)
{
    listClips(2);
    session.playEntry(0);
    session.seekTo(1.0);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    session.activateRow(0);
    EXPECT_TRUE(loaded.isEmpty());
    EXPECT_EQ(session.engine().state(), PlayState::Running);
    EXPECT_GT(session.position(), 0.9) << "not back to the start";
    session.activateRow(1);
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1}));
}

TEST_F(PlaybackSessionTest, SeekingHoldsPlayAndResumesAndStopsAtTheStart)
{
    listClips(1);
    session.seekBy(1.0);  // nothing open: nothing to seek
    session.playEntry(0);
    QSignalSpy seeked(&session, &PlaybackSession::seeked);
    session.seekBy(-PlaybackSession::kLongSeekSeconds);
    session.seekBy(1.0);
    ASSERT_EQ(seeked.size(), 2);
    EXPECT_EQ(seeked.at(0).at(0).toDouble(), 0.0);
    EXPECT_NEAR(seeked.at(1).at(0).toDouble(), 1.0, 0.1);
    session.seekTo(0.5);
    session.holdForSeek();
    EXPECT_EQ(session.engine().state(), PlayState::Paused);
    session.holdForSeek();  // a second press still remembers it was playing
    session.finishSeek();
    EXPECT_EQ(session.engine().state(), PlayState::Running);
}

// A seek past the end leaves no frame to show: it is the end, and what follows the end
// follows it (the next recording, the same again with cycle mode off, nothing after the last).
TEST_F(PlaybackSessionTest, SeekingPastTheEndEndsTheRecordingAsPlayingToItDoes)
{
    listClips(2);
    session.playEntry(0);
    QSignalSpy ended(&session, &PlaybackSession::recordingEnded);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    session.seekBy(PlaybackSession::kLongSeekSeconds);
    EXPECT_EQ(signalRows(ended), (std::vector<int>{0}));
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1}));
    EXPECT_EQ(session.engine().state(), PlayState::Running);
    EXPECT_LT(session.position(), 1.0);

    session.setCycleMode(false);
    session.seekBy(PlaybackSession::kShortSeekSeconds);
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1, 1})) << "the same again";
    EXPECT_EQ(session.engine().state(), PlayState::Running);

    session.setCycleMode(true);
    session.seekBy(PlaybackSession::kShortSeekSeconds);  // the last: nothing follows
    EXPECT_EQ(signalRows(ended), (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(loaded.size(), 2);
    EXPECT_EQ(session.engine().state(), PlayState::Stopped);
    EXPECT_NEAR(session.position(), 0.0, 0.1) << "rewound to the first frame";
}

// After a power cut a card holds a half-written recording and an empty one after it. Cycle
// mode skips both at once; the note still begins with the one the user chose.
TEST_F(PlaybackSessionTest, TheNoteNamesTheRecordingThatFailedFirst)
{
    ASSERT_TRUE(QFile::copy(media::truncatedNoIndex(), path(QStringLiteral("A_CUT.MOV"))));
    QFile empty(path(QStringLiteral("B_EMPTY.MOV")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    ASSERT_TRUE(QFile::copy(media::videoWithAudio(), path(QStringLiteral("C_GOOD.MOV"))));
    session.importFolder(QFile::encodeName(folder.path()).toStdString());
    ASSERT_EQ(session.catalogue().count(), 3);
    QSignalSpy notes(&session, &PlaybackSession::statusNote);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);

    session.playEntry(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, 5000));
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{2}));
    const QString shown = notes.last().at(0).toString();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Could not play A_CUT.MOV: ")))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("no index"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Could not play B_EMPTY.MOV")))
        << shown.toStdString();

    session.playEntry(1);  // a new start: the failures before are no longer news
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.size() == 2; }, 5000));
    EXPECT_TRUE(notes.last().at(0).toString().startsWith(QStringLiteral("Could not play B_EMPTY")));
    EXPECT_FALSE(notes.last().at(0).toString().contains(QStringLiteral("A_CUT")));
}

TEST_F(PlaybackSessionTest, ABrokenRecordingIsNamedAndOnlyCycleModeGoesOn)
{
    ASSERT_TRUE(QFile::copy(media::textRenamedMov(), path(QStringLiteral("A_BROKEN.MOV"))));
    ASSERT_TRUE(QFile::copy(media::videoWithAudio(), path(QStringLiteral("B_GOOD.MOV"))));
    session.importFolder(QFile::encodeName(folder.path()).toStdString());
    QSignalSpy notes(&session, &PlaybackSession::statusNote);
    QSignalSpy closed(&session, &PlaybackSession::recordingClosed);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);

    session.setCycleMode(false);
    session.playEntry(0);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(
        notes.at(0).at(0).toString().startsWith(QStringLiteral("Could not play A_BROKEN.MOV")));
    EXPECT_EQ(closed.size(), 1);
    QTest::qWait(300);
    EXPECT_TRUE(loaded.isEmpty());
    EXPECT_EQ(session.engine().state(), PlayState::Init);

    session.setCycleMode(true);
    session.playEntry(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, 5000));
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1}));
}

TEST_F(PlaybackSessionTest, ADamagedRecordingStopsWhereItBroke)
{
    ASSERT_TRUE(QFile::copy(media::damagedAfterTenSeconds(), path(QStringLiteral("DAMAGED.MOV"))));
    session.importFolder(QFile::encodeName(folder.path()).toStdString());
    session.setCycleMode(false);
    QSignalSpy notes(&session, &PlaybackSession::statusNote);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    session.playEntry(0);
    session.seekTo(9.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notes.isEmpty(); }, 8000));
    EXPECT_TRUE(notes.at(0).at(0).toString().contains(
        QRegularExpression("^DAMAGED\\.MOV is damaged after 00:(09|10)$")))
        << notes.at(0).at(0).toString().toStdString();
    QTest::qWait(1000);
    EXPECT_EQ(loaded.size(), 1) << "never started again";
    EXPECT_EQ(session.engine().state(), PlayState::Stopped);
    EXPECT_GT(session.position(), 9.0) << "the picture where it broke";
}

TEST_F(PlaybackSessionTest, DeletingFollowsTheLockAndTheOpenRecording)
{
    listClips(3);
    session.playEntry(2);
    QSignalSpy notes(&session, &PlaybackSession::statusNote);
    QSignalSpy closed(&session, &PlaybackSession::recordingClosed);
    QStringList asked;
    const auto yes = [&](const QString& name) {
        asked << name;
        return true;
    };

    session.toggleLock(1);
    session.deleteRecording(1, yes);
    EXPECT_TRUE(asked.isEmpty()) << "no question for what cannot be deleted";
    EXPECT_EQ(notes.at(0).at(0).toString(), QStringLiteral("The recording is locked."));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("CLIP1.MOV"))));
    session.deleteRecording(0, [](const QString&) { return false; });
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("CLIP0.MOV")))) << "No keeps it";

    session.deleteRecording(0, yes);  // above the open one: the index follows its row
    EXPECT_EQ(asked, QStringList{QStringLiteral("CLIP0.MOV")});
    EXPECT_EQ(session.currentIndex(), 1);
    EXPECT_EQ(session.engine().state(), PlayState::Running);
    EXPECT_TRUE(closed.isEmpty());

    session.deleteRecording(1, yes);  // the open one
    EXPECT_EQ(closed.size(), 1);
    EXPECT_EQ(session.engine().state(), PlayState::Init);
    EXPECT_EQ(session.telemetry().count(), 0);
    EXPECT_EQ(session.model().playingRow(), -1);
    EXPECT_EQ(session.catalogue().count(), 1);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("CLIP2.MOV"))));
    session.toggleLock(0);  // leaves the folder deletable for the next test
}

TEST_F(PlaybackSessionTest, AVolumeGoingAwayClosesOnlyItsOwnRecording)
{
    listClips(1);
    session.playEntry(0);
    QSignalSpy notes(&session, &PlaybackSession::statusNote);
    session.volumeRemoved(folder.path() + QStringLiteral("-other"));
    EXPECT_EQ(session.engine().state(), PlayState::Running);
    session.volumeRemoved(folder.path());
    EXPECT_EQ(session.engine().state(), PlayState::Init);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes.at(0).at(0).toString(),
              QStringLiteral("The card at %1 was removed; playback stopped.").arg(folder.path()));
}

TEST_F(PlaybackSessionTest, TheVolumeLevelHoldsForEveryOpenWithinTheScale)
{
    listClips(2);
    session.setVolumeLevel(1);
    session.volumeDown();  // nothing plays: no change
    EXPECT_EQ(session.volumeLevel(), 1);
    session.playEntry(0);
    EXPECT_EQ(session.engine().volumeLevel(), 1);
    QSignalSpy changed(&session, &PlaybackSession::volumeChanged);
    session.volumeDown();
    session.volumeDown();
    EXPECT_EQ(changed.size(), 1) << "0 is the bottom";
    session.play(PlaybackSession::Step::Next);
    EXPECT_EQ(session.engine().volumeLevel(), 0);
}

}  // namespace
