// The player window plays a recording the library found: into the play list as an import
// of the file would put it, and from the asked moment.
#include "app/player_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>

#include "telemetry/trip.h"

namespace {

// How far past its nearest dated sample a moment may lie and still be placed from it: the
// log's own step. Further out, the nearest sample is the best there is.
constexpr double kSampleSpanSeconds = 1.0;
constexpr int kMissingNoteShownMs = 8000;  // a note with a path takes longer to read

// Where in the telemetry's time the table reaches the UTC moment, by the log's own dates;
// nothing when the log dates none of its samples.
std::optional<double> datedSeconds(const TelemetryTable& table, std::int64_t utcMs)
{
    std::optional<double> best;
    std::int64_t bestGap = 0;
    for (int s = 0; s < table.sampleCount(); ++s) {
        const std::optional<std::int64_t>& dated = table.find(s * kEntriesPerSample)->utcMs;
        if (!dated) {
            continue;
        }
        const std::int64_t gap = utcMs - *dated;
        if (!best || std::llabs(gap) < std::llabs(bestGap)) {
            best = s + std::clamp(gap / 1000.0, -kSampleSpanSeconds, kSampleSpanSeconds);
            bestGap = gap;
        }
    }
    return best;
}

}  // namespace

void PlayerWindow::playFromLibrary(const QString& path, std::optional<qint64> utcMs)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        showStatus(QStringLiteral("Cannot play %1: the file is not there (is its card or disk "
                                  "in?).")
                       .arg(QDir::toNativeSeparators(path)),
                   kMissingNoteShownMs);
        return;
    }
    const std::string file = QFile::encodeName(info.absoluteFilePath()).toStdString();
    int row = m_session.catalogue().rowOf(file);
    if (row < 0) {
        m_session.importPaths({info.absoluteFilePath()});  // its whole moment, and plays it
        row = m_session.catalogue().rowOf(file);
    }
    if (row < 0) {
        return;  // the import said why
    }
    if (row != m_session.currentIndex() || !m_session.isPlayingOrPaused()) {
        m_session.playEntry(row);
    }
    if (row != m_session.currentIndex() || !m_session.isPlayingOrPaused()) {
        return;  // it did not open: the failure is already told
    }
    if (!utcMs) {
        m_session.playFrom(row, 0.0);
        return;
    }
    // The library dates a track as it is read here: by the log's dates, else by the
    // recording's clock plus the second in the log.
    std::optional<double> seconds = datedSeconds(m_session.telemetry(), *utcMs);
    if (!seconds) {
        const std::optional<std::int64_t> start = readRecordingClock(file).startUtcMs;
        seconds = start ? (*utcMs - *start) / 1000.0 : 0.0;
    }
    // A moment past the end would end the recording rather than show it.
    const double last = m_session.duration() - m_session.telemetryOffset() - 1.0;
    m_session.playFrom(row, std::min(*seconds, std::max(last, 0.0)),
                       PlaybackSession::TimeBase::Telemetry);
}
