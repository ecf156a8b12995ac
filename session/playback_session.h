#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "playback_engine.h"
#include "playlist_catalogue.h"
#include "playlist_model.h"
#include "telemetry_table.h"
#include "trip_index.h"

class RemovableVolumes;
class VideoWidget;

// "01:23", or "1:02:03" past the hour.
QString clockText(double seconds);
// "08:15:00", the UTC time of day of a time in ms since 1970.
QString utcClockText(std::int64_t utcMs);

// The recordings of a trip around the open one, for the map and the trip summary.
struct TripDigests
{
    std::vector<int> rows;                    // the trip's rows, in play order
    std::vector<const TrackDigest*> digests;  // one per row
    int playingPart = -1;                     // index of the open recording in rows
};

// What the player plays and in which order: the catalogue and its model, the engine, the
// open recording's telemetry and the trips. It decides which entry plays, what follows the
// end or the failure of a recording (cycle mode on: the next one; off: the same one again,
// or nothing after a failure), what a user's stop holds back, and what deleting or losing
// the open recording does. It knows no widget: the window shows what its signals say.
class PlaybackSession : public QObject
{
    Q_OBJECT

public:
    enum class Step { Current, Next, Previous };

    // One press of an arrow key, and of an arrow key with Shift.
    static constexpr double kShortSeekSeconds = 5.0;
    static constexpr double kLongSeekSeconds = 30.0;

    explicit PlaybackSession(QObject* parent = nullptr);
    ~PlaybackSession() override;

    // Where the engine shows the video; null plays without a picture.
    void setVideoWidget(VideoWidget* video) { m_video = video; }

    PlaybackEngine& engine() { return m_engine; }
    const PlaybackEngine& engine() const { return m_engine; }
    const PlaylistCatalogue& catalogue() const { return m_catalogue; }
    PlaylistModel& model() { return m_model; }
    const TelemetryTable& telemetry() const { return m_telemetry; }
    // The chart reads it, and empties it when it is reset.
    TelemetryTable& telemetry() { return m_telemetry; }
    const TripIndex& trips() const { return m_trips; }

    int currentIndex() const { return m_currentIndex; }
    bool cycleMode() const { return m_cycleMode; }
    // -1 until set or read from the engine at the first open.
    int volumeLevel() const { return m_volumeLevel; }
    bool isPlaying() const;
    double position() const { return m_engine.position(); }
    // The telemetry sample at the play position; null past the table's end.
    const TelemetryEntry* currentSample() const;
    // The entry of the current index; false when there is none.
    bool currentEntry(RecordingEntry& out) const
    {
        return m_catalogue.entryAt(m_currentIndex, out);
    }

    // The digests of the trip of a row (the open recording's from its table).
    TripDigests tripOf(int row);
    // The rows of a row's trip, in play order.
    std::vector<int> tripRows(int row);

    // Opens the entry of the step and plays it; false when there is no entry that way.
    bool play(Step step);
    void playEntry(int row);
    // Enter or a double-click on a row: plays it, unless it is the recording already open.
    void activateRow(int row);
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
    // Files or folders, as from the command line; a single file given is also played.
    void importPaths(const QStringList& paths);
    // The list of an earlier run: the files that are still recordings are listed, and the
    // one that was open becomes the current row without playing. Returns that row, or -1.
    int restoreList(const std::vector<std::string>& files, const std::string& open);
    // Empties the list and closes the open recording.
    void clear();
    // Deletes the row's recording from the disk after confirm(name) agrees; a locked one
    // is refused before the question.
    void deleteRecording(int row, const std::function<bool(const QString& name)>& confirm);
    void toggleLock(int row);
    // A volume went away: a recording of it that is open is closed.
    void volumeRemoved(const QString& root);

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
    // Play stopped, or went back to 0 at the end: the displays show the position now.
    void positionMoved();
    void seeked(double seconds);
    void stateChanged(PlayState state);
    void cycleModeChanged(bool on);
    void volumeChanged(int level);
    void statusNote(const QString& text);
    // Recordings were added to the list or taken from it; the trips are up to date.
    void listChanged();

private:
    void onEndReached();
    void onFailed();
    void failRecording(const QString& note);
    void closeRecording();
    void refreshTrips();
    void ensureTrips();
    int stepInTrips(Step step);

    PlaylistCatalogue m_catalogue;
    PlaylistModel m_model{m_catalogue};
    PlaybackEngine m_engine;
    TelemetryTable m_telemetry;
    TripIndex m_trips;
    VideoWidget* m_video = nullptr;
    int m_currentIndex = 0;
    bool m_cycleMode = true;
    bool m_userStopped = false;        // the stop holds until the next open or play
    bool m_resumeAfterSeek = false;    // the seek bar was pressed while playing
    bool m_movingPastFailure = false;  // cycle mode moves on from a recording that failed
    QStringList m_failureNotes;        // the failures since the last open or start by the user
    int m_volumeLevel = -1;
};
