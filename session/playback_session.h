#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playback/media_engine.h"
#include "session/clip_marks.h"
#include "session/clock_text.h"
#include "session/playlist_catalogue.h"
#include "session/playlist_model.h"
#include "session/trip_index.h"
#include "session/trip_report.h"
#include "telemetry/telemetry_table.h"

class RemovableVolumes;

// What the player plays and in which order: the catalogue and its model, the engine, the
// open recording's telemetry and the trips. It decides which entry plays, what follows the
// end or the failure of a recording (cycle mode on: the next one; off: the same one again,
// or nothing after a failure), what a user's stop holds back, and what deleting or losing
// the open recording does. It is the engine's only client and knows no widget: the window
// shows what its signals say, the play position among them.
class PlaybackSession : public QObject
{
    Q_OBJECT

public:
    enum class Step { Current, Next, Previous };

    // One press of an arrow key, and of an arrow key with Shift.
    static constexpr double kShortSeekSeconds = 5.0;
    static constexpr double kLongSeekSeconds = 30.0;

    // Files given at once up to which each one's moment is looked for on disk.
    static constexpr int kMomentSearchFiles = 32;

    // How often the play position is pushed while a recording plays or is paused.
    static constexpr int kDisplayTickMs = 100;

    explicit PlaybackSession(std::unique_ptr<MediaEngine> engine, QObject* parent = nullptr);
    ~PlaybackSession() override;

    // Where the engine shows the video; null plays without a picture.
    void setVideoOutput(VideoOutput* video) { m_video = video; }

    const PlaylistCatalogue& catalogue() const { return m_catalogue; }
    PlaylistModel& model() { return m_model; }
    const TelemetryTable& telemetry() const { return m_telemetry; }
    const TripIndex& trips() const { return m_trips; }

    int currentIndex() const { return m_currentIndex; }
    bool cycleMode() const { return m_cycleMode; }
    // -1 until set or read from the engine at the first open.
    int volumeLevel() const { return m_volumeLevel; }
    PlayState state() const { return m_engine->state(); }
    bool isOpen() const { return state() != PlayState::Closed; }
    // Running or Paused: there is a place in the recording to seek from or to show.
    bool isPlayingOrPaused() const;
    double position() const { return m_engine->position(); }
    double duration() const { return m_engine->duration(); }
    // The open recording's file; empty when none is open.
    const std::string& openFile() const { return m_engine->filePath(); }
    // The telemetry sample at the play position; null past the table's end.
    const TelemetryEntry* currentSample() const;
    // Where the telemetry's channel starts in the open moment: its table's time 0, in seconds.
    double telemetryOffset() const { return m_telemetryOffset; }
    // The entry of the current index; false when there is none.
    bool currentEntry(RecordingEntry& out) const
    {
        return m_catalogue.entryAt(m_currentIndex, out);
    }
    // The timer that reads the engine for positionChanged.
    const QTimer& displayTimer() const { return m_displayTimer; }
    // One beat of that timer: pushes the position while playing or paused.
    void displayTick();

    // The open recording's trip as tripChanged last announced it (empty when none is open).
    const TripDigests& trip() const { return m_trip; }
    QString tripSummary(SpeedUnit unit) const
    {
        return tripSummaryText(m_trip, m_catalogue, m_trips, unit);
    }
    // The rows of a row's trip, in play order.
    std::vector<int> tripRows(int row);
    // The name of a row's trip's first recording, without its extension: the export's name.
    QString tripBaseName(int row);
    struct TripExport
    {
        QString problem;  // empty: written
        int recordings = 0;
    };
    // The whole trip of the row into the file: one GPX segment per recording, or CSV rows
    // when the name ends in .csv.
    TripExport exportTrip(int row, const QString& file);

    // The marks of a clip: the play position of the open recording becomes the in or the
    // out mark (false, with a note, when nothing is open). They stay until set again or the
    // list is cleared; the out mark may lie in a later recording of the trip.
    enum class Mark { In, Out };
    bool setMark(Mark which);
    const ClipMarks& marks() const { return m_marks; }
    // The recordings and times the marks cover; nothing, with the reason, when they do not
    // make a span.
    std::optional<MarkedSpan> markedSpan(QString& problem);

    // Runs `whileHeld` (a file dialog, the writing) with the shown frame held still, and
    // plays on afterwards if it played; false, and nothing run, when no frame is shown.
    bool holdFrame(const std::function<void()>& whileHeld);
    // Writes the shown frame as a JPEG with the tags; false when nothing was written.
    bool writeFrame(const QString& file, const SnapshotTags& tags);
    void setFullScreen(bool on) { m_engine->setFullScreen(on); }

    // Opens the entry of the step and plays it; false when there is no entry that way, or
    // when the list is empty.
    bool play(Step step);
    void playEntry(int row);
    // Enter or a double-click on a row: plays it, unless it is the recording already open.
    void activateRow(int row);
    // What a time of a recording counts from: the start of its moment, or the start of the
    // channel whose telemetry it shows (the table's time 0, which events are times of).
    enum class TimeBase { Moment, Telemetry };
    // Plays the row from the given second (from 0 when before the start), opening it first
    // when it is not the recording open.
    void playFrom(int row, double seconds, TimeBase base = TimeBase::Moment);
    // Pauses what plays. Else plays the selected row when it is not the one open, or
    // resumes the one open.
    void playOrPause(int selectedRow);
    void stop();  // by the user: the end of this recording then moves nowhere
    // Before the start seeks to 0; past the end ends the recording, as playing to it does.
    void seekBy(double seconds);
    void seekTo(double seconds);
    // The seek bar is held: play waits; finishSeek resumes what was playing at the press.
    void holdForSeek();
    void finishSeek();
    void setCycleMode(bool on);
    void setVolumeLevel(int level);  // remembered; applied at the next open
    void volumeDown();
    void volumeUp();

    // A chosen folder, and the card folders in it; a note when it holds no recording.
    void importFolder(const std::string& folder);
    void importCard(const RemovableVolumes& volumes);
    // Files or folders, as from the command line; a file brings its whole moment (its other
    // channels' files in its folder and the sibling channel folders) when at most
    // kMomentSearchFiles files are given; a single file given is also played.
    void importPaths(const QStringList& paths);
    // The list of an earlier run (every channel's file): the files that are still
    // recordings are listed as moments, and the one that was open becomes the current row
    // without playing. Returns that row, or -1.
    int restoreList(const std::vector<std::string>& files, const std::string& open);
    // Empties the list and closes the open recording.
    void clear();
    // Deletes the row's moment from the disk after confirm(files) agrees to the files it
    // removes (every channel's movie and sidecar); one with a locked channel is refused
    // before the question.
    void deleteRecording(int row, const std::function<bool(const QStringList& files)>& confirm);
    // Locks every channel of the row's moment, or unlocks them all.
    void toggleLock(int row);
    // A volume went away: a recording of it that is open is closed.
    void volumeRemoved(const QString& root);
    // Closes the open recording for good (the window is going).
    void shutDown();

signals:
    // The window shows the video area: a recording is about to open.
    void opening();
    // A recording opened, its telemetry read; it plays from 0 next.
    void trackLoaded(int row, double durationSeconds);
    // The row to show as the current one.
    void entryShown(int row);
    // Nothing of the recording is open any more (failed, deleted, its card gone).
    void recordingClosed();
    // A recording played to its end (before what follows it starts).
    void recordingEnded(int row);
    // The play position and the telemetry sample there (null: none), every display tick
    // while playing or paused, and at once when play stops or goes back to 0 at the end.
    void positionChanged(double seconds, const TelemetryEntry* sample);
    void seeked(double seconds);
    // The open recording's trip, once per open and when the list changes it; trip() holds it.
    void tripChanged();
    void stateChanged(PlayState state);
    void cycleModeChanged(bool on);
    void volumeChanged(int level);
    void statusNote(const QString& text);
    // Recordings were added to the list or taken from it; the trips are up to date.
    void listChanged();
    void marksChanged();

private:
    void onEndReached();
    void onFailed();
    void failRecording(const QString& note);
    void noteDisagreeingChannels(const RecordingEntry& node,
                                 const std::vector<ChannelSource>& sources, double duration);
    void closeRecording();
    void pushPosition();
    void refreshTrips();
    void refreshTrip();
    TripDigests tripOf(int row);
    void ensureTrips();
    int stepInTrips(Step step);

    PlaylistCatalogue m_catalogue;
    PlaylistModel m_model{m_catalogue};
    std::unique_ptr<MediaEngine> m_engine;
    TelemetryTable m_telemetry;
    TripIndex m_trips;
    TripDigests m_trip;
    ClipMarks m_marks;
    QTimer m_displayTimer;
    VideoOutput* m_video = nullptr;
    int m_currentIndex = 0;
    bool m_cycleMode = true;
    bool m_userStopped = false;        // the stop holds until the next open or play
    bool m_resumeAfterSeek = false;    // the seek bar was pressed while playing
    bool m_movingPastFailure = false;  // cycle mode moves on from a recording that failed
    QStringList m_failureNotes;        // the failures since the last open or start by the user
    int m_volumeLevel = -1;
    double m_telemetryOffset = 0.0;  // the telemetry channel's start in the moment, seconds
};
