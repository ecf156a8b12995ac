// The play rules on an engine of virtual time: the test moves the clock and drives the
// display tick, so nothing here waits in real time. The real engine has its own tests.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "playback/exif_tags.h"
#include "session/playback_session.h"
#include "session/trip_events.h"
#include "tests/session/fake_media_engine.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

namespace lw = layout_writer;

class PlaybackSessionTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    // Empty recordings, named so the list keeps their order; the engine plays each for 2 s.
    void listClips(int count)
    {
        for (int i = 0; i < count; ++i) {
            makeFile(QStringLiteral("CLIP%1.MOV").arg(i));
        }
        importFolder();
        ASSERT_EQ(session.catalogue().count(), count);
    }
    void makeFile(const QString& name, const std::string& bytes = {})
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
                  static_cast<qint64>(bytes.size()));
    }
    void importFolder() { session.importFolder(QFile::encodeName(folder.path()).toStdString()); }

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    static std::vector<int> signalRows(const QSignalSpy& spy)
    {
        std::vector<int> rows;
        for (const QList<QVariant>& call : spy) {
            rows.push_back(call.at(0).toInt());
        }
        return rows;
    }
    static QString lastNote(const QSignalSpy& notes) { return notes.last().at(0).toString(); }

    QTemporaryDir folder;
    std::unique_ptr<FakeMediaEngine> made = std::make_unique<FakeMediaEngine>();
    FakeMediaEngine& engine = *made;
    PlaybackSession session{std::move(made)};
};

TEST_F(PlaybackSessionTest, CycleOnPlaysThroughTheListAndStopsAtItsEnd)
{
    listClips(2);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    QSignalSpy ended(&session, &PlaybackSession::recordingEnded);
    QSignalSpy shown(&session, &PlaybackSession::entryShown);
    EXPECT_TRUE(session.play(PlaybackSession::Step::Current));
    ASSERT_EQ(session.state(), PlayState::Running);
    EXPECT_EQ(loaded.at(0).at(1).toDouble(), 2.0);
    EXPECT_TRUE(session.model().index(0, 0).data(PlaylistModel::PlayingRole).toBool());
    engine.advance(2.0);
    engine.advance(2.0);
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{0, 1}));
    EXPECT_EQ(signalRows(ended), (std::vector<int>{0, 1}));
    EXPECT_EQ(signalRows(shown), (std::vector<int>{0, 1}));
    EXPECT_EQ(session.currentIndex(), 1) << "no wrap-around";
    EXPECT_EQ(session.state(), PlayState::Stopped);
    // Next on the last entry stops what plays and opens nothing.
    session.playOrPause(-1);
    ASSERT_EQ(session.state(), PlayState::Running);
    EXPECT_FALSE(session.play(PlaybackSession::Step::Next));
    EXPECT_EQ(session.state(), PlayState::Stopped);
    EXPECT_EQ(session.currentIndex(), 1);
    EXPECT_EQ(engine.opened.size(), 2u);
}

TEST_F(PlaybackSessionTest, NothingToPlayIsNoPlay)
{
    EXPECT_FALSE(session.play(PlaybackSession::Step::Current));
    EXPECT_TRUE(engine.opened.empty());
    EXPECT_FALSE(session.isOpen());
}

TEST_F(PlaybackSessionTest, ARecordingStartedByHandMovesOnAtItsEnd)
{
    listClips(3);
    session.playEntry(0);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    // Stops the first one: that stop must not hold for the next.
    session.play(PlaybackSession::Step::Next);
    ASSERT_EQ(session.currentIndex(), 1);
    engine.advance(2.0);
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1, 2})) << "moved on at the end";
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
    engine.advance(2.0);
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{0, 0}));
    EXPECT_EQ(session.state(), PlayState::Running);
}

TEST_F(PlaybackSessionTest, AUserStopHoldsAndPlayResumesWhereItWas)
{
    listClips(2);
    session.playEntry(0);
    engine.advance(1.0);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    QSignalSpy moved(&session, &PlaybackSession::positionChanged);
    session.stop();
    ASSERT_EQ(moved.size(), 1) << "the displays learn of the stop at once";
    EXPECT_EQ(moved.at(0).at(0).toDouble(), 0.0);
    session.playOrPause(0);  // the open row selected: play on, no new open
    EXPECT_EQ(session.state(), PlayState::Running);
    session.stop();
    engine.advance(10.0);
    EXPECT_TRUE(loaded.isEmpty()) << "a stop never moves on";
    session.playOrPause(0);
    EXPECT_EQ(session.state(), PlayState::Running);
    EXPECT_TRUE(loaded.isEmpty());
    session.playOrPause(1);  // playing: Pause pauses, whatever row was clicked to look at
    EXPECT_EQ(session.state(), PlayState::Paused);
    EXPECT_TRUE(loaded.isEmpty());
    session.playOrPause(1);  // nothing plays: the row selected opens
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1}));
    EXPECT_EQ(session.state(), PlayState::Running);
}

// Enter or a double-click on the open row keeps its place; on another row it plays that.
TEST_F(PlaybackSessionTest, ActivatingTheOpenRowNeitherRestartsNorReopensIt)
{
    listClips(2);
    session.playEntry(0);
    engine.advance(1.0);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    session.activateRow(0);
    EXPECT_TRUE(loaded.isEmpty());
    EXPECT_EQ(session.state(), PlayState::Running);
    EXPECT_EQ(session.position(), 1.0) << "not back to the start";
    session.activateRow(1);
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1}));
}

// The events of a trip's recordings, each read from its files with the thresholds given,
// and a click on one: its recording plays from five seconds before it.
TEST_F(PlaybackSessionTest, ATripsEventsAndPlayingFromOne)
{
    for (const auto& [name, pushAt] : {std::pair{"A.MOV", 20}, std::pair{"B.MOV", 40}}) {
        std::vector<lw::Sample> samples;
        for (int s = 0; s < 60; ++s) {
            samples.push_back(
                {s == pushAt ? -500 : 0, s == 50 ? 380 : 0, 1000, lw::rmc(47.0, 8.5, 10.0, 90.0)});
        }
        makeFile(QString::fromLatin1(name), lw::icatMovie(samples));
    }
    importFolder();
    ASSERT_EQ(session.catalogue().count(), 2);

    const std::vector<TripEvent> events =
        detectTripEvents(tripRecordings(session.catalogue(), {1, 0, 7}), {});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].row, 1);
    EXPECT_EQ(events[0].event.seconds(), 40.0);
    EXPECT_EQ(events[1].row, 0);
    EXPECT_EQ(events[1].event.kind, GEventKind::Braking);
    GEventThresholds lower;
    lower.lateralG = 0.35;  // the corners at 50 s (0.38 g) count too
    EXPECT_EQ(detectTripEvents(tripRecordings(session.catalogue(), {0, 1}), lower).size(), 4u);

    session.playEntry(0);
    engine.advance(1.0);
    session.playFrom(events[0].row, events[0].event.seconds() - 5.0);
    EXPECT_EQ(session.currentIndex(), 1);
    EXPECT_EQ(session.position(), 35.0);
    EXPECT_EQ(session.state(), PlayState::Running);
    session.stop();
    session.playFrom(1, -3.0);  // an event in the first seconds plays from the start
    EXPECT_EQ(session.position(), 0.0);
    EXPECT_EQ(session.state(), PlayState::Running);
}

TEST_F(PlaybackSessionTest, SeekingHoldsPlayAndResumesAndStopsAtTheStart)
{
    engine.scripts["CLIP0.MOV"].duration = 60.0;
    listClips(1);
    session.seekBy(1.0);  // nothing open: nothing to seek
    EXPECT_TRUE(engine.opened.empty());
    session.playEntry(0);
    QSignalSpy seeked(&session, &PlaybackSession::seeked);
    session.seekBy(-PlaybackSession::kLongSeekSeconds);
    session.seekBy(PlaybackSession::kShortSeekSeconds);
    ASSERT_EQ(seeked.size(), 2);
    EXPECT_EQ(seeked.at(0).at(0).toDouble(), 0.0) << "before the start is the start";
    EXPECT_EQ(seeked.at(1).at(0).toDouble(), PlaybackSession::kShortSeekSeconds);
    EXPECT_EQ(session.position(), PlaybackSession::kShortSeekSeconds);
    session.holdForSeek();
    EXPECT_EQ(session.state(), PlayState::Paused);
    session.holdForSeek();  // a second press still remembers it was playing
    session.seekTo(40.0);
    session.finishSeek();
    EXPECT_EQ(session.state(), PlayState::Running);
    EXPECT_EQ(session.position(), 40.0);
    // Held while paused, it stays paused.
    session.playOrPause(0);
    session.holdForSeek();
    session.finishSeek();
    EXPECT_EQ(session.state(), PlayState::Paused);
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
    EXPECT_EQ(session.state(), PlayState::Running);
    EXPECT_EQ(session.position(), 0.0);

    session.setCycleMode(false);
    session.seekBy(PlaybackSession::kShortSeekSeconds);
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1, 1})) << "the same again";
    EXPECT_EQ(session.state(), PlayState::Running);

    session.setCycleMode(true);
    session.seekBy(PlaybackSession::kShortSeekSeconds);  // the last: nothing follows
    EXPECT_EQ(signalRows(ended), (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(loaded.size(), 2);
    EXPECT_EQ(session.state(), PlayState::Stopped);
    EXPECT_EQ(session.position(), 0.0);
}

// After a power cut a card holds a half-written recording and an empty one after it. Cycle
// mode skips both; the note still begins with the one the user chose.
TEST_F(PlaybackSessionTest, TheNoteNamesTheRecordingThatFailedFirst)
{
    engine.scripts["A_CUT.MOV"].refusal = QStringLiteral("no index");
    engine.scripts["B_EMPTY.MOV"].refusal = QStringLiteral("empty");
    makeFile(QStringLiteral("A_CUT.MOV"));
    makeFile(QStringLiteral("B_EMPTY.MOV"));
    makeFile(QStringLiteral("C_GOOD.MOV"));
    importFolder();
    QSignalSpy notes(&session, &PlaybackSession::statusNote);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    QSignalSpy closed(&session, &PlaybackSession::recordingClosed);

    session.playEntry(0);
    EXPECT_TRUE(loaded.isEmpty()) << "the move past a failure waits for the event loop";
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{2}));
    EXPECT_EQ(closed.size(), 2);
    EXPECT_EQ(
        lastNote(notes),
        QStringLiteral("Could not play A_CUT.MOV: no index; Could not play B_EMPTY.MOV: empty"));

    session.playEntry(1);  // a new start: the failures before are no longer news
    QCoreApplication::processEvents();
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{2, 2}));
    EXPECT_EQ(lastNote(notes), QStringLiteral("Could not play B_EMPTY.MOV: empty"));
}

TEST_F(PlaybackSessionTest, ABrokenRecordingIsNamedAndOnlyCycleModeGoesOn)
{
    engine.scripts["A_BROKEN.MOV"].refusal = QStringLiteral("not a movie");
    makeFile(QStringLiteral("A_BROKEN.MOV"));
    makeFile(QStringLiteral("B_GOOD.MOV"));
    importFolder();
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);

    session.setCycleMode(false);
    session.playEntry(0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(loaded.isEmpty());
    EXPECT_EQ(session.state(), PlayState::Closed);
    EXPECT_FALSE(session.displayTimer().isActive());

    session.setCycleMode(true);
    session.playEntry(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(signalRows(loaded), (std::vector<int>{1}));
}

TEST_F(PlaybackSessionTest, ADamagedRecordingStopsWhereItBroke)
{
    engine.scripts["DAMAGED.MOV"] = {20.0, {}, 9.7};
    makeFile(QStringLiteral("DAMAGED.MOV"));
    importFolder();
    session.setCycleMode(false);
    QSignalSpy notes(&session, &PlaybackSession::statusNote);
    QSignalSpy loaded(&session, &PlaybackSession::trackLoaded);
    session.playEntry(0);
    session.seekTo(9.5);
    engine.advance(0.5);
    QCoreApplication::processEvents();
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(lastNote(notes), QStringLiteral("DAMAGED.MOV is damaged after 00:09"));
    EXPECT_EQ(loaded.size(), 1) << "never started again";
    EXPECT_EQ(session.state(), PlayState::Stopped);
    EXPECT_EQ(session.position(), 9.7) << "the picture where it broke";
}

TEST_F(PlaybackSessionTest, DeletingFollowsTheLockAndTheOpenRecording)
{
    listClips(3);
    session.playEntry(2);
    QSignalSpy notes(&session, &PlaybackSession::statusNote);
    QSignalSpy closed(&session, &PlaybackSession::recordingClosed);
    QStringList asked;
    const auto yes = [&](const QStringList& files) {
        asked << files;
        return true;
    };

    session.toggleLock(1);
    session.deleteRecording(1, yes);
    EXPECT_TRUE(asked.isEmpty()) << "no question for what cannot be deleted";
    EXPECT_EQ(notes.at(0).at(0).toString(), QStringLiteral("The recording is locked."));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("CLIP1.MOV"))));
    session.deleteRecording(0, [](const QStringList&) { return false; });
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("CLIP0.MOV")))) << "No keeps it";

    session.deleteRecording(0, yes);  // above the open one: the index follows its row
    EXPECT_EQ(asked, QStringList{path(QStringLiteral("CLIP0.MOV"))});
    EXPECT_EQ(session.currentIndex(), 1);
    EXPECT_EQ(session.state(), PlayState::Running);
    EXPECT_TRUE(closed.isEmpty());

    session.deleteRecording(1, yes);  // the open one
    EXPECT_EQ(closed.size(), 1);
    EXPECT_EQ(session.state(), PlayState::Closed);
    EXPECT_FALSE(session.displayTimer().isActive());
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
    EXPECT_EQ(session.state(), PlayState::Running);
    session.volumeRemoved(folder.path());
    EXPECT_EQ(session.state(), PlayState::Closed);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(lastNote(notes),
              QStringLiteral("The card at %1 was removed; playback stopped.").arg(folder.path()));
}

TEST_F(PlaybackSessionTest, TheVolumeLevelHoldsForEveryOpenWithinTheScale)
{
    listClips(2);
    session.setVolumeLevel(1);
    session.volumeDown();  // nothing plays: no change
    EXPECT_EQ(session.volumeLevel(), 1);
    session.playEntry(0);
    EXPECT_EQ(engine.volumeLevel(), 1);
    QSignalSpy changed(&session, &PlaybackSession::volumeChanged);
    session.volumeDown();
    session.volumeDown();
    EXPECT_EQ(changed.size(), 1) << "0 is the bottom";
    session.play(PlaybackSession::Step::Next);
    EXPECT_EQ(engine.volumeLevel(), 0) << "the new recording opened at the level set";
}

// The session reads the engine on its own display timer and pushes the position and the
// telemetry sample there; nothing is pushed once play stops or nothing is open.
TEST_F(PlaybackSessionTest, ThePositionIsPushedWithItsSampleWhilePlayingOrPaused)
{
    std::vector<lw::Sample> samples;
    for (int second = 0; second < 5; ++second) {
        samples.push_back({0, 0, 1000, lw::rmc(22.5, 113.75, 10.0, 10.0 * second)});
    }
    makeFile(QStringLiteral("ICAT.MOV"), lw::icatMovie(samples));
    engine.scripts["ICAT.MOV"].duration = 5.0;
    importFolder();
    EXPECT_FALSE(session.displayTimer().isActive());
    session.playEntry(0);
    EXPECT_TRUE(session.displayTimer().isActive());
    EXPECT_EQ(session.displayTimer().interval(), PlaybackSession::kDisplayTickMs);

    QSignalSpy pushed(&session, &PlaybackSession::positionChanged);
    engine.advance(3.4);
    session.displayTick();
    ASSERT_EQ(pushed.size(), 1);
    EXPECT_EQ(pushed.at(0).at(0).toDouble(), 3.4);
    const auto* sample = pushed.at(0).at(1).value<const TelemetryEntry*>();
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->course, 30.0) << "the sample of the fourth second";

    session.playOrPause(0);  // paused: a seek still shows
    session.seekTo(1.2);
    session.displayTick();
    ASSERT_EQ(pushed.size(), 2);
    EXPECT_EQ(pushed.at(1).at(1).value<const TelemetryEntry*>()->course, 10.0);

    session.stop();  // once, at once
    session.displayTick();
    EXPECT_EQ(pushed.size(), 3);
    session.clear();
    EXPECT_FALSE(session.displayTimer().isActive());
}

// A snapshot: the frame is held still while the file is chosen and written, and play goes
// on after only when it was playing.
TEST_F(PlaybackSessionTest, ACaptureHoldsTheFrameAndPlayGoesOnAsItWas)
{
    listClips(1);
    const auto capture = [&] {
        return session.holdFrame(
            [&] { session.writeFrame(QStringLiteral("shot.jpg"), SnapshotTags{}); });
    };
    EXPECT_FALSE(capture()) << "nothing open";
    session.playEntry(0);
    ASSERT_TRUE(capture());
    ASSERT_EQ(engine.captures.size(), 1u);
    EXPECT_EQ(engine.captures[0].state, PlayState::Paused);
    EXPECT_NE(engine.captures[0].tags, nullptr);
    EXPECT_EQ(session.state(), PlayState::Running);
    session.playOrPause(0);
    ASSERT_TRUE(capture());
    EXPECT_EQ(session.state(), PlayState::Paused);
    session.stop();
    EXPECT_FALSE(capture()) << "stopped: no frame is shown";
    EXPECT_EQ(engine.captures.size(), 2u);
}

// The trip is worked out once per open, and again only when the list changes it.
TEST_F(PlaybackSessionTest, TheTripIsAnnouncedOncePerOpenAndOnChangesOfTheList)
{
    listClips(2);
    QSignalSpy trip(&session, &PlaybackSession::tripChanged);
    importFolder();
    EXPECT_TRUE(trip.isEmpty()) << "nothing open: no trip";
    session.playEntry(1);
    ASSERT_EQ(trip.size(), 1);
    EXPECT_EQ(session.trip().rows, std::vector<int>{1}) << "no clock: a trip of its own";
    EXPECT_EQ(session.trip().playingPart, 0);
    makeFile(QStringLiteral("CLIP2.MOV"));
    importFolder();
    EXPECT_EQ(trip.size(), 2);
    session.clear();
    EXPECT_TRUE(session.trip().rows.empty());
}

// ---- Moments of several channels ------------------------------------------------------

// A camera's name of one channel of a moment ("2026_0820_045542_0001F.MP4").
QString channelFile(const char* time, char channel)
{
    return QStringLiteral("2026_0820_%1_0001%2.MP4").arg(QLatin1String(time)).arg(channel);
}

QStringList labelsOf(const std::vector<ChannelSource>& sources)
{
    QStringList labels;
    for (const ChannelSource& source : sources) {
        labels << source.label;
    }
    return labels;
}

bool writable(const QString& file)
{
    return QFileInfo(file).permissions() &
           (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
}

// A car logged by two channels: `metresApart` north of it on the rear, which starts a second
// after the front. It moves 67 m a second, so a channel read a second out of step would
// place it too far away.
std::pair<std::string, std::string> twoLoggingChannels(double metresApart)
{
    constexpr double kDegreesPerSecond = 0.0006;
    constexpr double kMetresPerDegree = 111195.0;
    std::vector<lw::Sample> front;
    std::vector<lw::Sample> rear;
    for (int second = 0; second < 6; ++second) {
        const double north = 22.5 + kDegreesPerSecond * second;
        front.push_back({0, 0, 1000, lw::rmc(north, 113.75, 10.0, 10.0 * second)});
        rear.push_back({0, 0, 1000,
                        lw::rmc(north + kDegreesPerSecond + metresApart / kMetresPerDegree, 113.75,
                                10.0, 10.0 * (second + 1))});
    }
    lw::IcatOptions late;
    late.creationTime += 1;
    return {lw::icatMovie(front), lw::icatMovie(rear, late)};
}

TEST_F(PlaybackSessionTest, AMomentIsOneRowThatItsChannelsJoinAndThatPlaysAsOne)
{
    const QString front = channelFile("045542", 'F');
    const QString rear = channelFile("045542", 'R');
    const QString next = channelFile("050042", 'F');
    makeFile(front);
    makeFile(next);
    importFolder();
    makeFile(rear);
    importFolder();  // the rear of a listed moment joins its row
    ASSERT_EQ(session.catalogue().count(), 2);
    const RecordingEntry& moment = session.catalogue().entryAt(0);
    ASSERT_EQ(moment.channels.size(), 2u);
    EXPECT_EQ(moment.filePath, path(front).toStdString()) << "the front is the main channel";
    EXPECT_EQ(moment.channels[1].filePath, path(rear).toStdString());
    const QAbstractItemModel& model = session.model();
    EXPECT_EQ(model.index(0, PlaylistModel::NameColumn).data(), front + QStringLiteral(" [F R]"));
    EXPECT_EQ(model.index(1, PlaylistModel::NameColumn).data(), next) << "one channel: no mark";

    session.playEntry(0);
    engine.advance(2.0);  // cycle mode moves on by rows
    ASSERT_EQ(engine.openedChannels.size(), 2u);
    EXPECT_EQ(labelsOf(engine.openedChannels[0]), QStringList({"F", "R"}));
    EXPECT_EQ(labelsOf(engine.openedChannels[1]), QStringList({"F"}));
    EXPECT_EQ(session.currentIndex(), 1);

    // The saved list holds every channel's file; restored, they are the same two rows.
    session.clear();
    const int open = session.restoreList(
        {path(front).toStdString(), path(rear).toStdString(), path(next).toStdString()},
        path(front).toStdString());
    EXPECT_EQ(open, 0);
    EXPECT_EQ(session.catalogue().count(), 2);
    EXPECT_EQ(session.catalogue().entryAt(0).channels.size(), 2u);
}

TEST_F(PlaybackSessionTest, DeleteAndLockActOnEveryChannelOfAMoment)
{
    const QString front = channelFile("045542", 'F');
    const QString rear = channelFile("045542", 'R');
    const QStringList files = {path(front), path(QString(front).replace(".MP4", ".DAT")),
                               path(rear), path(QString(rear).replace(".MP4", ".DAT"))};
    for (const QString& file : files) {
        makeFile(QFileInfo(file).fileName());
    }
    importFolder();
    ASSERT_EQ(session.catalogue().count(), 1);

    session.toggleLock(0);
    EXPECT_FALSE(writable(files[0]));
    EXPECT_FALSE(writable(files[2]));
    EXPECT_TRUE(session.model().index(0, 0).data(PlaylistModel::LockedRole).toBool());
    session.toggleLock(0);
    EXPECT_TRUE(writable(files[0]));
    EXPECT_TRUE(writable(files[2]));

    // The rear locked elsewhere keeps the whole moment, and no question is asked.
    ASSERT_TRUE(QFile::setPermissions(files[2], QFile::ReadOwner | QFile::ReadGroup));
    QSignalSpy notes(&session, &PlaybackSession::statusNote);
    QStringList asked;
    const auto yes = [&](const QStringList& listed) {
        asked = listed;
        return true;
    };
    session.deleteRecording(0, yes);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(lastNote(notes), QStringLiteral("The recording is locked."));
    EXPECT_TRUE(QFile::exists(files[0]));
    session.toggleLock(0);  // one channel locked: the toggle unlocks them all
    EXPECT_TRUE(writable(files[2]));

    session.deleteRecording(0, yes);
    EXPECT_EQ(asked, files) << "every channel's movie and sidecar is named";
    for (const QString& file : files) {
        EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
    }
    EXPECT_EQ(session.catalogue().count(), 0);
}

// Open-with of the rear file: the whole moment, front first, the rear a second later; the
// telemetry comes from the rear, the only channel that logs, on the rear's own clock.
TEST_F(PlaybackSessionTest, OpeningARearFileOpensItsMomentWithTheRearsTelemetry)
{
    const QString front = channelFile("045542", 'F');
    const QString rear = channelFile("045542", 'R');
    makeFile(front,
             lw::ftypAtom() + lw::Atom("moov", lw::mvhdAtom(lw::IcatOptions{}.creationTime)));
    makeFile(rear, twoLoggingChannels(0.0).second);
    engine.scripts[front.toStdString()].duration = 6.0;

    session.importPaths({path(rear)});
    ASSERT_EQ(session.catalogue().count(), 1);
    ASSERT_EQ(engine.openedChannels.size(), 1u);
    const std::vector<ChannelSource>& sources = engine.openedChannels[0];
    ASSERT_EQ(labelsOf(sources), QStringList({"F", "R"}));
    EXPECT_EQ(QFileInfo(QString::fromStdString(sources[0].path)).fileName(), front);
    EXPECT_EQ(QFileInfo(QString::fromStdString(sources[1].path)).fileName(), rear);
    EXPECT_EQ(sources[0].offset, 0.0);
    EXPECT_EQ(sources[1].offset, 1.0);
    EXPECT_EQ(session.state(), PlayState::Running);

    ASSERT_GT(session.telemetry().count(), 0) << "read from the rear";
    engine.advance(3.5);  // the rear's 2.5 s: its third sample
    ASSERT_NE(session.currentSample(), nullptr);
    EXPECT_EQ(session.currentSample()->course, 30.0);
    session.seekTo(0.5);  // before the rear starts
    EXPECT_EQ(session.currentSample(), nullptr);
}

// An event is a time of the telemetry's table: played from, it lands that far after the
// start of the channel that logs (the rear, a second into the moment), of the row opened
// for it, not of the one open before.
TEST_F(PlaybackSessionTest, PlayingFromATelemetryTimeCountsFromTheLoggingChannelsStart)
{
    const QString front = channelFile("045542", 'F');
    const QString rear = channelFile("045542", 'R');
    const QString other = channelFile("050042", 'F');
    makeFile(front,
             lw::ftypAtom() + lw::Atom("moov", lw::mvhdAtom(lw::IcatOptions{}.creationTime)));
    makeFile(rear, twoLoggingChannels(0.0).second);
    makeFile(other, twoLoggingChannels(0.0).first);
    engine.scripts[front.toStdString()].duration = 6.0;
    engine.scripts[other.toStdString()].duration = 6.0;
    importFolder();
    ASSERT_EQ(session.catalogue().count(), 2);
    session.playEntry(1);
    EXPECT_EQ(session.telemetryOffset(), 0.0);

    session.playFrom(0, 2.0, PlaybackSession::TimeBase::Telemetry);
    EXPECT_EQ(session.currentIndex(), 0);
    EXPECT_EQ(session.telemetryOffset(), 1.0);
    EXPECT_DOUBLE_EQ(session.position(), 3.0);
    session.playFrom(0, -0.5, PlaybackSession::TimeBase::Telemetry);
    EXPECT_DOUBLE_EQ(session.position(), 0.5) << "before the rear's start, in the moment";
    session.playFrom(0, 2.0);
    EXPECT_DOUBLE_EQ(session.position(), 2.0);
}

TEST_F(PlaybackSessionTest, ChannelsThatPlaceTheCarOver50mApartAreNotedOncePerOpen)
{
    const auto [frontNear, rearNear] = twoLoggingChannels(30.0);
    const auto [frontFar, rearFar] = twoLoggingChannels(70.0);
    makeFile(channelFile("045542", 'F'), frontNear);
    makeFile(channelFile("045542", 'R'), rearNear);
    makeFile(channelFile("050042", 'F'), frontFar);
    makeFile(channelFile("050042", 'R'), rearFar);
    engine.scripts[channelFile("045542", 'F').toStdString()].duration = 6.0;
    engine.scripts[channelFile("050042", 'F').toStdString()].duration = 6.0;
    importFolder();
    ASSERT_EQ(session.catalogue().count(), 2);
    QSignalSpy notes(&session, &PlaybackSession::statusNote);

    session.playEntry(0);
    EXPECT_TRUE(notes.isEmpty()) << "30 m apart, the rear read a second later";
    session.playEntry(1);
    for (int tick = 0; tick < 5; ++tick) {
        engine.advance(1.0);
        session.displayTick();
    }
    session.seekTo(1.0);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(lastNote(notes).contains(QStringLiteral("50 m"))) << lastNote(notes).toStdString();
}

}  // namespace
