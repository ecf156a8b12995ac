#include "playback_session.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <span>

#include "file_attributes.h"
#include "file_name.h"
#include "recording_sources.h"
#include "track_export.h"

namespace {

QString displayName(const RecordingEntry& node)
{
    return QString::fromStdString(node.displayName);
}

// The tip on a trip's first row.
QString tripTip(const TripIndex& trips, std::span<const int> rows)
{
    const RecordingClock first = trips.clock(rows.front());
    if (!first.startUtcMs) {
        return QStringLiteral("No time in this recording: a trip of its own");
    }
    return QStringLiteral("A trip of %1 recording(s) from %2")
        .arg(rows.size())
        .arg(utcClockText(*first.startUtcMs));
}

}  // namespace

QString clockText(double seconds)
{
    const int whole = std::max(0, static_cast<int>(seconds));
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
                                       .arg(whole % 60, 2, 10, QLatin1Char('0'));
    return whole < 3600 ? minutesSeconds
                        : QStringLiteral("%1:%2").arg(whole / 3600).arg(minutesSeconds);
}

QString utcClockText(std::int64_t utcMs)
{
    // "2024-06-11T08:15:00Z" -> "08:15:00"
    return QString::fromStdString(isoUtcTime(utcMs)).mid(11, 8);
}

PlaybackSession::PlaybackSession(QObject* parent) : QObject(parent)
{
    connect(&m_engine, &PlaybackEngine::endReached, this, &PlaybackSession::onEndReached);
    connect(&m_engine, &PlaybackEngine::failed, this, &PlaybackSession::onFailed);
    connect(&m_engine, &PlaybackEngine::stateChanged, this, &PlaybackSession::stateChanged);
}

PlaybackSession::~PlaybackSession()
{
    m_engine.close();
}

bool PlaybackSession::isPlaying() const
{
    return m_engine.state() == PlayState::Paused || m_engine.state() == PlayState::Running;
}

const TelemetryEntry* PlaybackSession::currentSample() const
{
    return m_telemetry.find(static_cast<int>(m_engine.position()) * kEntriesPerSample);
}

bool PlaybackSession::play(Step step)
{
    if (!m_movingPastFailure) {
        m_failureNotes.clear();  // a new start: earlier failures are no longer news
    }
    if (isPlaying()) {
        stop();
    }
    if (step != Step::Current) {
        const int row = stepInTrips(step);
        if (row < 0) {
            return false;
        }
        m_currentIndex = row;
    }
    RecordingEntry node;
    if (!currentEntry(node)) {
        return true;
    }
    emit opening();
    if (const PlaybackResult opened = m_engine.open(node.filePath, m_video); !opened) {
        m_telemetry.clear();
        m_model.setPlayingRow(-1);
        emit recordingClosed();
        emit entryShown(m_currentIndex);
        const QString& reason = opened.reason();
        failRecording(reason.isEmpty()
                          ? QStringLiteral("Could not play %1").arg(displayName(node))
                          : QStringLiteral("Could not play %1: %2").arg(displayName(node), reason));
        return true;
    }
    m_failureNotes.clear();
    m_userStopped = false;  // a stop of the recording before does not hold for this one
    m_resumeAfterSeek = false;
    const double duration = m_engine.duration();
    m_telemetry.readRecording(node, duration);
    // The level the user set holds for every recording; the first open reads the default.
    if (m_volumeLevel == -1) {
        m_volumeLevel = m_engine.volumeLevel();
    }
    m_engine.setVolumeLevel(m_volumeLevel);
    m_model.setPlayingRow(m_currentIndex);
    emit trackLoaded(m_currentIndex, duration);
    m_engine.togglePlay();
    emit entryShown(m_currentIndex);
    return true;
}

void PlaybackSession::playEntry(int row)
{
    if (row < 0) {
        return;
    }
    m_currentIndex = row;
    play(Step::Current);
}

void PlaybackSession::activateRow(int row)
{
    if (row == m_currentIndex && m_engine.state() != PlayState::Init) {
        return;  // already open: it neither restarts nor loses its place
    }
    playEntry(row);
}

void PlaybackSession::playOrPause(int selectedRow)
{
    // While a recording plays, Pause pauses it: a row clicked to look at it waits. When
    // nothing plays, a row chosen other than the one open is what the user wants played.
    if (m_engine.state() != PlayState::Running && selectedRow >= 0 &&
        (selectedRow != m_currentIndex || m_engine.state() == PlayState::Init)) {
        playEntry(selectedRow);
        return;
    }
    m_engine.setRate(0);
    m_engine.togglePlay();
    m_userStopped = false;
}

void PlaybackSession::stop()
{
    m_userStopped = true;
    m_engine.stop();
    emit positionMoved();
}

// A recording that cannot be played, or breaks off: a note, and in cycle mode the chain
// goes on with the next one. The note keeps the failures met on the way, first one first:
// the next file failing at once must not take the place of the one the user chose.
void PlaybackSession::failRecording(const QString& note)
{
    m_failureNotes << note;
    emit statusNote(m_failureNotes.join(QStringLiteral("; ")));
    if (m_cycleMode) {
        // Queued: a card of broken recordings must not recurse once per recording.
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_movingPastFailure = true;
                play(Step::Next);
                m_movingPastFailure = false;
            },
            Qt::QueuedConnection);
    }
}

// A damaged recording stops where it broke, with its picture; it never restarts.
void PlaybackSession::onFailed()
{
    RecordingEntry node;
    currentEntry(node);
    m_userStopped = false;
    failRecording(QStringLiteral("%1 is damaged after %2")
                      .arg(displayName(node), clockText(m_engine.position())));
}

void PlaybackSession::onEndReached()
{
    emit recordingEnded(m_currentIndex);
    if (!m_userStopped) {
        play(m_cycleMode ? Step::Next : Step::Current);
    }
    emit positionMoved();
    m_userStopped = false;
}

void PlaybackSession::seekBy(double seconds)
{
    if (!isPlaying()) {
        return;
    }
    const double duration = m_engine.duration();
    const double target = std::max(0.0, m_engine.position() + seconds);
    // Past the end is the end: no frame is left to show there, and what follows it plays.
    if (duration > 0.0 && target >= duration) {
        m_userStopped = false;
        m_engine.stop();
        onEndReached();
        return;
    }
    m_engine.setPosition(target);
    emit seeked(target);
}

void PlaybackSession::seekTo(double seconds)
{
    m_engine.setPosition(seconds);
}

void PlaybackSession::holdForSeek()
{
    m_resumeAfterSeek = m_resumeAfterSeek || m_engine.state() == PlayState::Running;
    m_engine.pause();
}

void PlaybackSession::finishSeek()
{
    if (!m_resumeAfterSeek) {
        return;
    }
    m_resumeAfterSeek = false;
    if (m_engine.state() == PlayState::Paused) {
        m_engine.togglePlay();
    }
}

void PlaybackSession::setCycleMode(bool on)
{
    if (on == m_cycleMode) {
        return;
    }
    m_cycleMode = on;
    emit cycleModeChanged(on);
}

void PlaybackSession::setVolumeLevel(int level)
{
    m_volumeLevel = level;
}

void PlaybackSession::volumeDown()
{
    if (isPlaying() && m_volumeLevel > 0) {
        m_engine.setVolumeLevel(--m_volumeLevel);
        emit volumeChanged(m_volumeLevel);
    }
}

void PlaybackSession::volumeUp()
{
    if (isPlaying() && m_volumeLevel < 10) {
        m_engine.setVolumeLevel(++m_volumeLevel);
        emit volumeChanged(m_volumeLevel);
    }
}

void PlaybackSession::importFolder(const std::string& folder)
{
    if (::importFolder(folder, m_catalogue) == 0) {
        emit statusNote(
            QStringLiteral("No recordings found in %1").arg(QFile::decodeName(folder.c_str())));
    }
    refreshTrips();
}

void PlaybackSession::importCard(const RemovableVolumes& volumes)
{
    ::importCard(volumes, m_catalogue);
    refreshTrips();
}

void PlaybackSession::importPaths(const QStringList& paths)
{
    QStringList skipped;
    int played = -1;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            if (::importFolder(QFile::encodeName(info.absoluteFilePath()).toStdString(),
                               m_catalogue) == 0) {
                skipped << QStringLiteral("%1 (no recordings found)").arg(info.fileName());
            }
            continue;
        }
        const std::string file = QFile::encodeName(info.absoluteFilePath()).toStdString();
        const std::string ext = upperExtension(file);
        const char* problem = !info.exists()               ? "no such file"
                              : !isRegularFile(file)       ? "not a regular file"
                              : !isRecordingExtension(ext) ? "not a recording"
                                                           : nullptr;
        if (problem) {
            skipped << QStringLiteral("%1 (%2)").arg(info.fileName(), QLatin1String(problem));
        } else {
            m_catalogue.addFile(file, info.fileName().toStdString(), ext);
            played = m_catalogue.rowOf(file);  // listed before, or now
        }
    }
    refreshTrips();
    if (!skipped.isEmpty()) {
        const QString note = QStringLiteral("Skipped: %1").arg(skipped.join(QStringLiteral(", ")));
        emit statusNote(note);
        qWarning("%s", qPrintable(note));
    }
    // A single file given is also played, as a double-click on it would.
    if (paths.size() == 1 && played >= 0) {
        playEntry(played);
    }
}

int PlaybackSession::restoreList(const std::vector<std::string>& files, const std::string& open)
{
    for (const std::string& file : files) {
        const std::string ext = upperExtension(file);
        // Gone, or no longer a recording, since the last run: left out without a word.
        if (isRegularFile(file) && isRecordingExtension(ext)) {
            m_catalogue.addFile(file, std::filesystem::path(file).filename().string(), ext);
        }
    }
    refreshTrips();
    const int row = open.empty() ? -1 : m_catalogue.rowOf(open);
    if (row >= 0) {
        m_currentIndex = row;
    }
    return row;
}

// Nothing of the list stays: no open recording, nothing that shows it, nothing to resume.
void PlaybackSession::clear()
{
    if (m_engine.state() != PlayState::Init) {
        closeRecording();
    }
    m_catalogue.removeAll();
    m_currentIndex = 0;
    refreshTrips();
}

// Nothing of the open recording stays: the engine, its table and the playing mark.
void PlaybackSession::closeRecording()
{
    stop();
    m_engine.close();
    m_telemetry.clear();
    m_model.setPlayingRow(-1);
    emit recordingClosed();
}

void PlaybackSession::deleteRecording(int row,
                                      const std::function<bool(const QString& name)>& confirm)
{
    RecordingEntry node;
    if (row < 0 || !m_catalogue.entryAt(row, node)) {
        return;
    }
    const QString name = displayName(node);
    // A locked recording stays, and so does everything that shows it.
    const auto attributes = readFileAttributes(node.filePath);
    if (attributes && attributes->bReadOnly) {
        emit statusNote(QStringLiteral("The recording is locked."));
        return;
    }
    if (!confirm || !confirm(name)) {
        return;
    }
    if (row == m_currentIndex && m_engine.state() != PlayState::Init) {
        closeRecording();
    }
    if (!m_catalogue.deleteFileAt(row)) {
        emit statusNote(QStringLiteral("%1 could not be deleted.").arg(name));
        return;
    }
    if (m_currentIndex >= row && m_currentIndex > 0) {
        --m_currentIndex;
    }
    refreshTrips();
}

void PlaybackSession::toggleLock(int row)
{
    RecordingEntry node;
    if (row < 0 || !m_catalogue.entryAt(row, node)) {
        return;
    }
    if (!m_catalogue.toggleLock(row)) {
        emit statusNote(QStringLiteral("The file system refused to %1 %2.")
                            .arg(node.locked ? QStringLiteral("unlock") : QStringLiteral("lock"),
                                 displayName(node)));
    }
}

// A card pulled out under a recording it holds: playback stops cleanly, nothing stays.
void PlaybackSession::volumeRemoved(const QString& root)
{
    const std::string prefix = QFile::encodeName(root).toStdString() + "/";
    if (m_engine.state() == PlayState::Init ||
        m_engine.filePath().compare(0, prefix.size(), prefix) != 0) {
        return;
    }
    closeRecording();
    emit statusNote(QStringLiteral("The card at %1 was removed; playback stopped.").arg(root));
}

// After every change of the list: the trips again, and their first rows marked.
void PlaybackSession::refreshTrips()
{
    m_trips.update(m_catalogue);
    std::vector<std::pair<int, QString>> starts;
    for (const std::vector<int>& trip : m_trips.plan().trips()) {
        starts.emplace_back(trip.front(), tripTip(m_trips, trip));
    }
    m_model.setTripStarts(starts);
    emit listChanged();
}

void PlaybackSession::ensureTrips()
{
    if (m_trips.plan().rowCount() != m_catalogue.count()) {
        refreshTrips();
    }
}

// Next and previous follow the trips' time order (the list's order for camera names).
int PlaybackSession::stepInTrips(Step step)
{
    ensureTrips();
    return step == Step::Next ? m_trips.plan().next(m_currentIndex)
                              : m_trips.plan().previous(m_currentIndex);
}

std::vector<int> PlaybackSession::tripRows(int row)
{
    ensureTrips();
    const std::span<const int> rows = m_trips.plan().tripRows(row);
    return {rows.begin(), rows.end()};
}

TripDigests PlaybackSession::tripOf(int row)
{
    TripDigests trip;
    RecordingEntry node;
    for (const int tripRow : tripRows(row)) {
        if (!m_catalogue.entryAt(tripRow, node)) {
            continue;
        }
        if (tripRow == m_currentIndex) {
            trip.playingPart = static_cast<int>(trip.rows.size());
        }
        trip.rows.push_back(tripRow);
        trip.digests.push_back(
            &m_trips.digest(node, tripRow == m_currentIndex ? &m_telemetry : nullptr));
    }
    return trip;
}
