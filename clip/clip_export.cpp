#include "clip/clip_export.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>

#include "clip/clip_telemetry.h"
#include "clip/output_file.h"

namespace {

constexpr int64_t kSecondsFrom1904To1970 = 2082844800;
// Room left over for the file system's own records of the new files.
constexpr uint64_t kSpaceMargin = 1u << 20;
constexpr int kMaxNameTries = 1000;

bool exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

std::string megabytes(uint64_t bytes)
{
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

bool readMovies(const std::vector<std::string>& paths, std::vector<SourceMovie>& movies,
                std::string& error)
{
    for (const std::string& path : paths) {
        std::optional<SourceMovie> movie = readSourceMovie(path, error);
        if (!movie) {
            return false;
        }
        movies.push_back(std::move(*movie));
    }
    return true;
}

uint64_t creationTime(const RecordingTelemetry& first, double firstSecond)
{
    if (!first.startUtcMs) {
        return 0;
    }
    return static_cast<uint64_t>(*first.startUtcMs / 1000 + std::llround(firstSecond) +
                                 kSecondsFrom1904To1970);
}

struct ClipContent
{
    ClipPlan plan;
    std::vector<RecordingTelemetry> telemetry;
    Mp4Header header;
    std::string gpx;
    std::string csv;
};

bool prepare(const ClipRequest& request, ClipContent& content, std::string& error)
{
    std::vector<SourceMovie> movies;
    if (!readMovies(request.recordings, movies, error)) {
        return false;
    }
    std::optional<ClipPlan> plan = planClip(movies, request.in, request.out, error);
    if (!plan) {
        return false;
    }
    std::vector<RecordingTelemetry>& telemetry = content.telemetry;
    for (const SourceMovie& movie : movies) {
        telemetry.push_back(readRecordingTelemetry(movie.path, movie.videoSeconds()));
    }
    plan->tracks.push_back(textTrack(*plan, telemetry, request.unit));
    content.header.creation = creationTime(telemetry.front(), plan->firstSecond);
    content.gpx = clipGpx(*plan, telemetry, request.name);
    content.csv = clipCsv(*plan, telemetry);
    content.plan = std::move(*plan);
    return true;
}

bool checkRoom(const ClipRequest& request, const ClipContent& content,
               const std::vector<std::string>& targets, std::string& error)
{
    for (const std::string& target : targets) {
        if (exists(target)) {
            error = target + " already exists; it is left as it is";
            return false;
        }
    }
    const uint64_t needed =
        mp4FileSize(content.plan) + content.gpx.size() + content.csv.size() + kSpaceMargin;
    const uint64_t available = freeBytes(request.folder);
    if (available < needed) {
        error = "not enough free space in " + request.folder + ": the clip needs " +
                megabytes(needed) + ", " + megabytes(available) + " are free";
        return false;
    }
    return true;
}

// A control for one stage of the work: its progress is the share [from, to) of the whole.
CopyControl stage(const CopyControl& control, double from, double to)
{
    CopyControl part{nullptr, control.cancel};
    if (control.progress) {
        part.progress = [&control, from, to](double done) {
            control.progress(from + (to - from) * done);
        };
    }
    return part;
}

// The share of a re-encoding export the lossless cut takes.
constexpr double kCutShare = 0.1;

bool writeClip(const ClipRequest& request, const ClipContent& content, PendingFile& clip,
               const CopyControl& control, std::string& error)
{
    if (!request.reencode) {
        return writeMp4(clip.fd(), content.plan, request.recordings, content.header, control,
                        error) &&
               clip.finish(error);
    }
    PendingFile lossless;
    if (!lossless.create(clip.target() + ".lossless", error) ||
        !writeMp4(lossless.fd(), content.plan, request.recordings, content.header,
                  stage(control, 0.0, kCutShare), error) ||
        !lossless.finish(error)) {
        return false;
    }
    Reencode job;
    job.source = lossless.temporaryPath();
    job.target = clip.temporaryPath();
    job.hasAudio =
        std::any_of(content.plan.tracks.begin(), content.plan.tracks.end(),
                    [](const ClipTrack& track) { return track.kind == ClipTrackKind::Audio; });
    job.seconds = content.plan.seconds;
    job.overlayAt = [&](double seconds) {
        return overlayAt(content.plan, content.telemetry, request.unit, seconds);
    };
    return request.reencode(job, stage(control, kCutShare, 1.0), error) && clip.finish(error);
}

bool writeFiles(const ClipRequest& request, const ClipContent& content,
                std::array<PendingFile, 3>& files, const std::vector<std::string>& targets,
                const CopyControl& control, std::string& error)
{
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].create(targets[i], error)) {
            return false;
        }
    }
    std::string detail;
    const bool ok = writeClip(request, content, files[0], control, detail) &&
                    files[1].write(content.gpx, detail) && files[1].finish(detail) &&
                    files[2].write(content.csv, detail) && files[2].finish(detail);
    if (!ok) {
        error = detail == "cancelled" ? detail : "writing the clip: " + detail;
    }
    return ok;
}

bool commitAll(std::array<PendingFile, 3>& files, std::string& error)
{
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].commit(error)) {
            for (size_t k = 0; k < i; ++k) {
                files[k].withdraw();
            }
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<std::string> clipFiles(const std::string& folder, const std::string& name)
{
    const std::filesystem::path base = std::filesystem::path(folder) / name;
    return {base.string() + ".mp4", base.string() + ".gpx", base.string() + ".csv"};
}

std::string unusedClipName(const std::string& folder, const std::string& name)
{
    for (int n = 1; n <= kMaxNameTries; ++n) {
        const std::string candidate = n == 1 ? name : name + "-" + std::to_string(n);
        bool free = true;
        for (const std::string& path : clipFiles(folder, candidate)) {
            free = free && !exists(path);
        }
        if (free) {
            return candidate;
        }
    }
    return name;  // the export then says that the file exists
}

ClipResult exportClip(const ClipRequest& request, const CopyControl& control)
{
    ClipResult result;
    ClipContent content;
    const std::vector<std::string> targets = clipFiles(request.folder, request.name);
    if (!prepare(request, content, result.error) ||
        !checkRoom(request, content, targets, result.error)) {
        return result;
    }
    std::array<PendingFile, 3> files;
    if (!writeFiles(request, content, files, targets, control, result.error) ||
        !commitAll(files, result.error)) {
        return result;
    }
    result.ok = true;
    result.written = targets;
    return result;
}
