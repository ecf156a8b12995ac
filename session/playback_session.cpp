#include "session/playback_session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <span>
#include <unordered_set>

#include "session/moment_sources.h"
#include "session/recording_sources.h"
#include "telemetry/channel_names.h"
#include "telemetry/file_attributes.h"
#include "telemetry/file_name.h"
#include "telemetry/track_export.h"

namespace {

QString displayName(const RecordingEntry& node)
{
    return QString::fromStdString(node.displayName);
}

// A file to list, named as on disk.
ListedFile namedOnDisk(const std::string& path)
{
    return {path, std::filesystem::path(path).filename().string(), upperExtension(path)};
}

QString nativeList(const std::vector<std::string>& paths)
{
    QStringList names;
    for (const std::string& path : paths) {
        names << QDir::toNativeSeparators(QFile::decodeName(path.c_str()));
    }
    return names.join(QStringLiteral(", "));
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

PlaybackSession::PlaybackSession(std::unique_ptr<MediaEngine> engine, QObject* parent)
    : QObject(parent), m_engine(std::move(engine))
{
    connect(m_engine.get(), &MediaEngine::endReached, this, &PlaybackSession::onEndReached);
    connect(m_engine.get(), &MediaEngine::failed, this, &PlaybackSession::onFailed);
    connect(m_engine.get(), &MediaEngine::stateChanged, this, &PlaybackSession::stateChanged);
    m_displayTimer.setInterval(kDisplayTickMs);
    connect(&m_displayTimer, &QTimer::timeout, this, &PlaybackSession::displayTick);
}

PlaybackSession::~PlaybackSession()
{
    m_engine->close();
}

bool PlaybackSession::isPlayingOrPaused() const
{
    return state() == PlayState::Paused || state() == PlayState::Running;
}

const TelemetryEntry* PlaybackSession::currentSample() const
{
    // The table runs on its channel's own clock, which starts at its offset in the moment.
    const double seconds = std::floor(m_engine->position() - m_telemetryOffset);
    return m_telemetry.find(static_cast<int>(seconds) * kEntriesPerSample);
}

void PlaybackSession::displayTick()
{
    if (isPlayingOrPaused()) {
        pushPosition();
    }
}

void PlaybackSession::pushPosition()
{
    emit positionChanged(m_engine->position(), currentSample());
}

bool PlaybackSession::play(Step step)
{
    if (!m_movingPastFailure) {
        m_failureNotes.clear();  // a new start: earlier failures are no longer news
    }
    if (isPlayingOrPaused()) {
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
        return false;
    }
    emit opening();
    const std::vector<ChannelSource> sources = channelSources(node, recordingStartTime);
    if (const PlaybackResult opened = m_engine->openChannels(sources, m_video); !opened) {
        m_displayTimer.stop();
        m_telemetry.clear();
        m_trip = {};
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
    const double duration = m_engine->duration();
    m_telemetry.readRecording(node, duration);
    const size_t telemetrySource = telemetryChannel(node);
    m_telemetryOffset = telemetrySource < sources.size() ? sources[telemetrySource].offset : 0.0;
    noteDisagreeingChannels(node, sources, duration);
    // The level the user set holds for every recording; the first open reads the default.
    if (m_volumeLevel == -1) {
        m_volumeLevel = m_engine->volumeLevel();
    }
    m_engine->setVolumeLevel(m_volumeLevel);
    m_model.setPlayingRow(m_currentIndex);
    emit trackLoaded(m_currentIndex, duration);
    refreshTrip();
    m_engine->togglePlay();
    m_displayTimer.start();
    emit entryShown(m_currentIndex);
    return true;
}

// Channels that each log positions and place the car far apart: the user learns it once per
// open, and the map shows the channel the telemetry comes from.
void PlaybackSession::noteDisagreeingChannels(const RecordingEntry& node,
                                              const std::vector<ChannelSource>& sources,
                                              double duration)
{
    const size_t used = telemetryChannel(node);
    if (used >= node.channels.size() || sources.size() != node.channels.size()) {
        return;
    }
    for (size_t other = 0; other < node.channels.size(); ++other) {
        if (other == used || node.channels[other].layout == Layout::None) {
            continue;
        }
        TelemetryTable table;
        table.readRecording(channelRecording(node, other), duration);
        if (positionsDisagree(m_telemetry, sources[used].offset, table, sources[other].offset,
                              kChannelsApartMetres)) {
            emit statusNote(QStringLiteral("The %1 and %2 channels place the car more than %3 m "
                                           "apart; the map follows %1.")
                                .arg(sources[used].label, sources[other].label)
                                .arg(kChannelsApartMetres));
            return;
        }
    }
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
    if (row == m_currentIndex && isOpen()) {
        return;  // already open: it neither restarts nor loses its place
    }
    playEntry(row);
}

void PlaybackSession::playFrom(int row, double seconds, TimeBase base)
{
    if (row != m_currentIndex || !isPlayingOrPaused()) {
        playEntry(row);  // a stopped one too: it has no place to seek from
    }
    if (!isPlayingOrPaused() || m_currentIndex != row) {
        return;  // it did not open: the failure is already told
    }
    // The offset is the row's own, known once it is open.
    const double offset = base == TimeBase::Telemetry ? m_telemetryOffset : 0.0;
    seekTo(std::max(seconds + offset, 0.0));
    if (state() == PlayState::Paused) {
        m_engine->togglePlay();
    }
}

void PlaybackSession::playOrPause(int selectedRow)
{
    // While a recording plays, Pause pauses it: a row clicked to look at it waits. When
    // nothing plays, a row chosen other than the one open is what the user wants played.
    if (state() != PlayState::Running && selectedRow >= 0 &&
        (selectedRow != m_currentIndex || !isOpen())) {
        playEntry(selectedRow);
        return;
    }
    m_engine->togglePlay();
    m_userStopped = false;
}

void PlaybackSession::stop()
{
    m_userStopped = true;
    m_engine->stop();
    pushPosition();
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
                      .arg(displayName(node), clockText(m_engine->position())));
}

void PlaybackSession::onEndReached()
{
    emit recordingEnded(m_currentIndex);
    if (!m_userStopped) {
        play(m_cycleMode ? Step::Next : Step::Current);
    }
    pushPosition();
    m_userStopped = false;
}

void PlaybackSession::seekBy(double seconds)
{
    if (!isPlayingOrPaused()) {
        return;
    }
    const double duration = m_engine->duration();
    const double target = std::max(0.0, m_engine->position() + seconds);
    // Past the end is the end: no frame is left to show there, and what follows it plays.
    if (duration > 0.0 && target >= duration) {
        m_userStopped = false;
        m_engine->stop();
        onEndReached();
        return;
    }
    m_engine->setPosition(target);
    emit seeked(target);
}

void PlaybackSession::seekTo(double seconds)
{
    m_engine->setPosition(seconds);
}

void PlaybackSession::holdForSeek()
{
    m_resumeAfterSeek = m_resumeAfterSeek || state() == PlayState::Running;
    m_engine->pause();
}

void PlaybackSession::finishSeek()
{
    if (!m_resumeAfterSeek) {
        return;
    }
    m_resumeAfterSeek = false;
    if (state() == PlayState::Paused) {
        m_engine->togglePlay();
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
    if (isPlayingOrPaused() && m_volumeLevel > 0) {
        m_engine->setVolumeLevel(--m_volumeLevel);
        emit volumeChanged(m_volumeLevel);
    }
}

void PlaybackSession::volumeUp()
{
    if (isPlayingOrPaused() && m_volumeLevel < 10) {
        m_engine->setVolumeLevel(++m_volumeLevel);
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
    std::string played;
    // Each file's moment is looked for on disk, unless so many files are given that the
    // search would take long: then they are what the user chose, grouped among themselves.
    const bool searchMoments = std::count_if(paths.begin(), paths.end(), [](const QString& path) {
                                   return !QFileInfo(path).isDir();
                               }) <= kMomentSearchFiles;
    std::vector<ListedFile> files;
    std::unordered_set<std::string> collected;
    const auto listFiles = [&] {
        m_catalogue.addFiles(files);
        files.clear();
    };
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            listFiles();  // the rows keep the order given
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
            continue;
        }
        played = file;
        if (collected.insert(file).second) {
            files.push_back({file, info.fileName().toStdString(), ext});
        }
        if (!searchMoments) {
            continue;
        }
        // One channel's file stands for its whole moment.
        for (const ChannelFile& channel : findMoment(file, recordingStartTime).channels) {
            if (collected.insert(channel.path).second) {
                files.push_back(namedOnDisk(channel.path));
            }
        }
    }
    listFiles();
    refreshTrips();
    if (!skipped.isEmpty()) {
        const QString note = QStringLiteral("Skipped: %1").arg(skipped.join(QStringLiteral(", ")));
        emit statusNote(note);
        qWarning("%s", qPrintable(note));
    }
    // A single file given is also played, as a double-click on it would.
    if (paths.size() == 1 && !played.empty()) {
        playEntry(m_catalogue.rowOf(played));
    }
}

int PlaybackSession::restoreList(const std::vector<std::string>& files, const std::string& open)
{
    std::vector<ListedFile> present;
    for (const std::string& file : files) {
        // Gone, or no longer a recording, since the last run: left out without a word.
        if (isRegularFile(file) && isRecordingExtension(upperExtension(file))) {
            present.push_back(namedOnDisk(file));
        }
    }
    m_catalogue.addFiles(present);
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
    if (isOpen()) {
        closeRecording();
    }
    m_catalogue.removeAll();
    m_currentIndex = 0;
    refreshTrips();
    if (m_marks.in || m_marks.out) {
        m_marks = {};
        emit marksChanged();
    }
}

// Nothing of the open recording stays: the engine, its table and the playing mark.
void PlaybackSession::closeRecording()
{
    stop();
    m_engine->close();
    m_displayTimer.stop();
    m_telemetry.clear();
    m_trip = {};
    m_model.setPlayingRow(-1);
    emit recordingClosed();
}

void PlaybackSession::shutDown()
{
    m_displayTimer.stop();
    m_engine->close();
}

void PlaybackSession::deleteRecording(int row,
                                      const std::function<bool(const QStringList&)>& confirm)
{
    RecordingEntry node;
    if (row < 0 || !m_catalogue.entryAt(row, node)) {
        return;
    }
    const QString name = displayName(node);
    // A locked channel keeps its whole moment, and everything that shows it.
    const bool locked = std::any_of(node.channels.begin(), node.channels.end(), [](const auto& c) {
        const auto attributes = readFileAttributes(c.filePath);
        return attributes && attributes->bReadOnly;
    });
    if (locked) {
        emit statusNote(QStringLiteral("The recording is locked."));
        return;
    }
    QStringList files;
    for (const std::string& file : m_catalogue.filesToDelete(row)) {
        files << QDir::toNativeSeparators(QFile::decodeName(file.c_str()));
    }
    if (!confirm || !confirm(files)) {
        return;
    }
    if (row == m_currentIndex && isOpen()) {
        closeRecording();
    }
    if (!m_catalogue.deleteFileAt(row)) {
        std::vector<std::string> left;
        for (const ChannelEntry& channel : m_catalogue.entryAt(row).channels) {
            left.push_back(channel.filePath);
        }
        emit statusNote(
            QStringLiteral("%1 could not be deleted: %2 stayed.").arg(name, nativeList(left)));
        refreshTrips();
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
    if (!isOpen() || m_engine->filePath().compare(0, prefix.size(), prefix) != 0) {
        return;
    }
    closeRecording();
    emit statusNote(QStringLiteral("The card at %1 was removed; playback stopped.").arg(root));
}

// After every change of the list: the trips again, and their first rows marked.
void PlaybackSession::refreshTrips()
{
    m_trips.update(m_catalogue);
    if (isOpen()) {
        // The digests of rows gone went with the update: the open trip points anew at once.
        m_trip = tripOf(m_currentIndex);
    }
    std::vector<std::pair<int, QString>> starts;
    for (const std::vector<int>& trip : m_trips.plan().trips()) {
        starts.emplace_back(trip.front(), tripTip(m_trips, trip));
    }
    m_model.setTripStarts(starts);
    emit listChanged();
    if (isOpen()) {
        refreshTrip();
    }
}

// The open recording's trip, read again and announced.
void PlaybackSession::refreshTrip()
{
    m_trip = tripOf(m_currentIndex);
    emit tripChanged();
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

QString PlaybackSession::tripBaseName(int row)
{
    const std::vector<int> rows = tripRows(row);
    RecordingEntry node;
    m_catalogue.entryAt(rows.empty() ? row : rows.front(), node);
    return QFileInfo(QString::fromStdString(node.displayName)).completeBaseName();
}

bool PlaybackSession::setMark(Mark which)
{
    if (!isPlayingOrPaused()) {
        emit statusNote(QStringLiteral("Open a recording to mark where the clip begins or ends."));
        return false;
    }
    (which == Mark::In ? m_marks.in : m_marks.out) = ClipMark{openFile(), position()};
    emit statusNote(QStringLiteral("%1 mark at %2 of %3")
                        .arg(which == Mark::In ? QStringLiteral("In") : QStringLiteral("Out"),
                             clockText(position()),
                             QFileInfo(QString::fromStdString(openFile())).fileName()));
    emit marksChanged();
    return true;
}

std::optional<MarkedSpan> PlaybackSession::markedSpan(QString& problem)
{
    ensureTrips();
    return ::markedSpan(m_marks, m_catalogue, m_trips, recordingStartTime, problem);
}

PlaybackSession::TripExport PlaybackSession::exportTrip(int row, const QString& file)
{
    const std::vector<int> rows = tripRows(row);
    const bool csv = file.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    return {saveWhole(file, tripExportText(rows, m_catalogue, m_trips, csv)),
            static_cast<int>(rows.size())};
}

bool PlaybackSession::holdFrame(const std::function<void()>& whileHeld)
{
    if (!isPlayingOrPaused()) {
        return false;
    }
    const bool resume = state() == PlayState::Running;
    if (resume) {
        m_engine->pause();
    }
    whileHeld();
    if (resume) {
        m_engine->togglePlay();
    }
    return true;
}

bool PlaybackSession::writeFrame(const QString& file, const SnapshotTags& tags)
{
    return m_engine->captureFrame(file, &tags);
}
