#include "tools/dashcam-clip/clip_span.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "telemetry/file_name.h"
#include "telemetry/recording_entry.h"
#include "telemetry/track_export.h"
#include "telemetry/trip.h"

namespace fs = std::filesystem;

namespace {

std::optional<int64_t> parseUtc(const std::string& text)
{
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    int hour = 0;
    int minute = 0;
    double second = 0.0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2u-%2uT%2d:%2d:%lf%n", &year, &month, &day, &hour, &minute,
                    &second, &consumed) != 6 ||
        text.substr(static_cast<size_t>(consumed)) != "Z") {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year), std::chrono::month(month),
                              std::chrono::day(day)};
    if (!date.ok() || hour > 23 || minute > 59 || second < 0.0 || second >= 60.0) {
        return std::nullopt;
    }
    const int64_t dayMs = duration_cast<milliseconds>(sys_days(date).time_since_epoch()).count();
    return dayMs + (int64_t{hour} * 3600 + minute * 60) * 1000 + std::llround(second * 1000);
}

// The moments of a folder's movie recordings (transport streams cannot be cut here), in the
// order of their first file's name, each with the clock of its first channel's file.
struct FolderMoments
{
    std::vector<MomentFiles> moments;
    std::vector<RecordingClock> clocks;
};

const std::string& firstPath(const MomentFiles& moment)
{
    return moment.channels.front().path;
}

bool listFolder(const std::string& folder, FolderMoments& found, std::string& error)
{
    std::vector<std::string> paths;
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        const std::string extension = upperExtension(it->path().string());
        std::error_code ignored;
        if (it->is_regular_file(ignored) && isRecordingExtension(extension) && extension != ".TS") {
            paths.push_back(it->path().string());
        }
    }
    if (code) {
        error = "cannot list " + folder + ": " + code.message();
        return false;
    }
    std::sort(paths.begin(), paths.end(), [](const auto& a, const auto& b) {
        return fs::path(a).filename() < fs::path(b).filename();
    });
    found.moments = groupMoments(paths, recordingStartTime);
    for (const MomentFiles& moment : found.moments) {
        found.clocks.push_back(readRecordingClock(firstPath(moment)));
    }
    return true;
}

// Recordings of one channel follow each other; two that run at the same time are channels
// of one moment that the names did not pair.
constexpr int64_t kOverlapMs = 1000;

bool overlapping(const RecordingClock& earlier, const RecordingClock& later)
{
    return earlier.startUtcMs && later.startUtcMs &&
           *later.startUtcMs + kOverlapMs <
               *earlier.startUtcMs + std::llround(earlier.seconds * 1000);
}

struct Place
{
    int row = -1;
    double seconds = 0.0;
};

bool holds(const MomentFiles& moment, const std::string& file)
{
    return std::any_of(moment.channels.begin(), moment.channels.end(),
                       [&](const ChannelFile& channel) {
                           std::error_code ignored;
                           return fs::equivalent(file, channel.path, ignored);
                       });
}

std::optional<Place> findPlace(const When& when, const FolderMoments& folder, std::string& error)
{
    for (int row = 0; row < static_cast<int>(folder.moments.size()); ++row) {
        const RecordingClock& clock = folder.clocks[static_cast<size_t>(row)];
        if (!when.file.empty()) {
            if (!holds(folder.moments[static_cast<size_t>(row)], when.file)) {
                continue;
            }
            if (clock.seconds > 0.0 && when.seconds > clock.seconds) {
                error = when.file + ": the recording is only " +
                        std::to_string(static_cast<int>(clock.seconds)) + " s long";
                return std::nullopt;
            }
            return Place{row, when.seconds};
        }
        const double into =
            clock.startUtcMs ? static_cast<double>(when.utcMs - *clock.startUtcMs) / 1000.0 : -1.0;
        if (into >= 0.0 && into < clock.seconds) {
            return Place{row, into};
        }
    }
    std::error_code ignored;
    error = !when.file.empty() && !fs::is_regular_file(when.file, ignored)
                ? when.file + ": no such file"
            : when.file.empty() ? "no recording was running at " + isoUtcTime(when.utcMs)
                                : when.file + ": not a movie recording that can be cut";
    return std::nullopt;
}

// Every channel of a moment: a moment of one file may have its other channels in the
// channel folders beside its own.
MomentFiles wholeMoment(const MomentFiles& moment)
{
    return moment.channels.size() == 1 ? findMoment(firstPath(moment), recordingStartTime) : moment;
}

const char* channelName(Channel channel)
{
    switch (channel) {
    case Channel::Front: return "front";
    case Channel::Rear: return "rear";
    case Channel::Interior: return "interior";
    case Channel::Tele: return "tele";
    }
    return "";
}

// The recordings of each wanted channel (every channel of the first moment when none is
// named), moment by moment; nothing when a moment lacks one.
std::optional<std::vector<ChannelRecordings>>
channelRecordings(const std::vector<MomentFiles>& moments, std::optional<Channel> wanted,
                  std::string& error)
{
    std::vector<ChannelRecordings> channels;
    for (const ChannelFile& file : moments.front().channels) {
        if (!wanted || file.channel == *wanted) {
            channels.push_back({file.channel, {}});
        }
    }
    if (channels.empty()) {
        channels.push_back({*wanted, {}});
    }
    for (const MomentFiles& moment : moments) {
        for (ChannelRecordings& channel : channels) {
            const auto file =
                std::find_if(moment.channels.begin(), moment.channels.end(),
                             [&](const ChannelFile& f) { return f.channel == channel.channel; });
            if (file == moment.channels.end()) {
                error = std::string("no ") + channelName(channel.channel) +
                        " recording of the moment of " + firstPath(moment);
                return std::nullopt;
            }
            channel.recordings.push_back(file->path);
        }
    }
    return channels;
}

}  // namespace

std::optional<When> parseWhen(const std::string& text, std::string& error)
{
    const size_t at = text.rfind('@');
    if (at == std::string::npos) {
        if (const std::optional<int64_t> utcMs = parseUtc(text)) {
            return When{{}, 0.0, *utcMs};
        }
        error = text + ": neither FILE@SECONDS nor a UTC time such as 2024-06-11T08:15:12Z";
        return std::nullopt;
    }
    const std::string number = text.substr(at + 1);
    char* end = nullptr;
    const double seconds = std::strtod(number.c_str(), &end);
    if (at == 0 || number.empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0.0) {
        error = text + ": FILE@SECONDS needs a file and a number of seconds from 0 on";
        return std::nullopt;
    }
    return When{text.substr(0, at), seconds, 0};
}

std::optional<ResolvedSpan> resolveSpan(const When& from, const When& to, const std::string& folder,
                                        std::optional<Channel> wanted, std::string& error)
{
    const std::string& file = from.file.empty() ? to.file : from.file;
    FolderMoments recordings;
    const std::string parent = fs::path(file).parent_path().string();
    if (!listFolder(file.empty() ? folder : parent.empty() ? "." : parent, recordings, error)) {
        return std::nullopt;
    }
    const std::optional<Place> begin = findPlace(from, recordings, error);
    const std::optional<Place> end = begin ? findPlace(to, recordings, error) : std::nullopt;
    if (!end) {
        return std::nullopt;
    }
    const TripPlan trips(recordings.clocks);
    const std::span<const int> trip = trips.tripRows(begin->row);
    const auto first = std::find(trip.begin(), trip.end(), begin->row);
    const auto last = std::find(trip.begin(), trip.end(), end->row);
    if (last == trip.end()) {
        error = "the end is not in the trip of the start";
        return std::nullopt;
    }
    if (last < first || (last == first && end->seconds <= begin->seconds)) {
        error = "the end is not after the start";
        return std::nullopt;
    }
    std::vector<MomentFiles> moments;
    for (auto row = first; row <= last; ++row) {
        const auto index = static_cast<size_t>(*row);
        const auto previous = static_cast<size_t>(row == first ? *row : row[-1]);
        if (row != first && overlapping(recordings.clocks[previous], recordings.clocks[index])) {
            error = firstPath(recordings.moments[index]) + " runs at the same time as " +
                    firstPath(recordings.moments[previous]) +
                    ": channels whose names do not tell them apart";
            return std::nullopt;
        }
        moments.push_back(wholeMoment(recordings.moments[index]));
    }
    std::optional<std::vector<ChannelRecordings>> channels =
        channelRecordings(moments, wanted, error);
    if (!channels) {
        return std::nullopt;
    }
    ResolvedSpan span;
    span.channels = std::move(*channels);
    span.in = begin->seconds;
    span.out = end->seconds;
    if (const auto start = recordings.clocks[static_cast<size_t>(begin->row)].startUtcMs) {
        span.startUtcMs = *start + std::llround(begin->seconds * 1000);
    }
    return span;
}
