#include "tools/dashcam-telemetry/recording_batch.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "telemetry/file_name.h"
#include "telemetry/trip.h"

namespace fs = std::filesystem;

namespace {

// Runs shorter than this finish before a progress line would help.
constexpr int kProgressFrom = 100;
constexpr int kProgressEvery = 50;

std::vector<std::string> folderRecordings(const std::string& folder, std::error_code& error)
{
    std::vector<std::string> found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (it->is_regular_file(ignored) && isRecordingExtension(it->path().extension().string())) {
            found.push_back(it->path().string());
        }
    }
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return fs::path(a).filename() < fs::path(b).filename();
    });
    return found;
}

}  // namespace

std::vector<std::string> expandFolders(const std::vector<std::string>& paths, std::ostream& err,
                                       int& status)
{
    std::vector<std::string> recordings;
    for (const std::string& path : paths) {
        std::error_code ignored;
        if (!fs::is_directory(path, ignored)) {
            recordings.push_back(path);
            continue;
        }
        std::error_code error;
        const std::vector<std::string> found = folderRecordings(path, error);
        if (error) {
            err << "dashcam-telemetry: cannot list " << path << ": " << error.message() << '\n';
            status = 1;
        }
        recordings.insert(recordings.end(), found.begin(), found.end());
    }
    return recordings;
}

std::vector<std::vector<int>> groupRecordings(const std::vector<std::string>& recordings,
                                              bool byTrip)
{
    if (!byTrip) {
        std::vector<std::vector<int>> each;
        for (int i = 0; i < static_cast<int>(recordings.size()); ++i) {
            each.push_back({i});
        }
        return each;
    }
    std::vector<RecordingClock> clocks;
    clocks.reserve(recordings.size());
    for (const std::string& path : recordings) {
        clocks.push_back(readRecordingClock(path));
    }
    return TripPlan(clocks).trips();
}

DumpProgress::DumpProgress(std::ostream& err, bool enabled, int total)
    : m_err(err), m_enabled(enabled && total >= kProgressFrom), m_total(total)
{}

DumpProgress::~DumpProgress()
{
    if (m_enabled) {
        m_err << "\rdashcam-telemetry: " << m_done << '/' << m_total << " recordings\n"
              << std::flush;
    }
}

void DumpProgress::step()
{
    ++m_done;
    if (m_enabled && m_done % kProgressEvery == 0) {
        m_err << "\rdashcam-telemetry: " << m_done << '/' << m_total << std::flush;
    }
}
