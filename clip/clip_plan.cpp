#include "clip/clip_plan.h"

#include <algorithm>
#include <cmath>

namespace {

// Longer than any trip: a clip past it comes from damaged tables, and its cues would never
// end.
constexpr double kMaxClipSeconds = 7 * 24 * 3600;

struct SampleRange
{
    size_t first = 0;
    size_t end = 0;  // one past the last
};

// The last key frame shown at or before `in`, else the first key frame.
std::optional<size_t> keyFrameAtOrBefore(const SourceTrack& video, double in)
{
    std::optional<size_t> found;
    for (size_t i = 0; i < video.samples.size(); ++i) {
        const SourceSample& sample = video.samples[i];
        if (!sample.sync) {
            continue;
        }
        if (!found || video.presentation(sample) <= in) {
            found = i;
        }
        if (video.presentation(sample) > in) {
            break;
        }
    }
    return found;
}

// One past the last sample in decoding order that is shown before `out`: every frame shown
// up to out, and what it needs, decodes from the samples before it.
size_t endAtOrAfter(const SourceTrack& video, double out)
{
    size_t end = 0;
    for (size_t i = 0; i < video.samples.size(); ++i) {
        if (video.presentation(video.samples[i]) < out) {
            end = i + 1;
        }
    }
    return end;
}

void clearBytes(std::string& text, size_t at, size_t n)
{
    if (at < text.size()) {
        text.replace(at, std::min(n, text.size() - at), std::min(n, text.size() - at), '\0');
    }
}

// Skips an MPEG-4 descriptor's tag and length (1 to 4 bytes of 7 bits); the position of its
// content, or npos.
size_t descriptorContent(const std::string& text, size_t at, unsigned char tag)
{
    if (at >= text.size() || static_cast<unsigned char>(text[at]) != tag) {
        return std::string::npos;
    }
    ++at;
    for (int i = 0; i < 4 && at < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[at++]) & 0x80) == 0) {
            return at;
        }
    }
    return std::string::npos;
}

// Clears the buffer size and bit rates of an "esds" box's decoder configuration.
void clearStreamBitRates(std::string& description, size_t esds)
{
    size_t at = descriptorContent(description, esds + 8, 0x03);  // after version and flags
    if (at == std::string::npos || at + 3 > description.size()) {
        return;
    }
    const auto flags = static_cast<unsigned char>(description[at + 2]);
    at += 3;
    at += (flags & 0x80) ? 2 : 0;
    if ((flags & 0x40) && at < description.size()) {
        at += 1 + static_cast<unsigned char>(description[at]);
    }
    at += (flags & 0x20) ? 2 : 0;
    at = descriptorContent(description, at, 0x04);
    if (at != std::string::npos) {
        clearBytes(description, at + 2, 11);  // after object and stream type
    }
}

// The sample description without the bit rates the encoder noted ("btrt", and those of an
// "esds"), which differ from one recording to the next of the same stream.
std::string comparableDescription(std::string description)
{
    for (size_t at = description.find("btrt"); at != std::string::npos;
         at = description.find("btrt", at + 4)) {
        clearBytes(description, at + 4, 12);
    }
    if (const size_t esds = description.find("esds"); esds != std::string::npos) {
        clearStreamBitRates(description, esds);
    }
    return description;
}

bool sameFormat(const SourceTrack& a, const SourceTrack& b)
{
    return a.timescale == b.timescale &&
           comparableDescription(a.sampleDescription) == comparableDescription(b.sampleDescription);
}

bool checkFormats(const std::vector<SourceMovie>& movies, std::string& error)
{
    const SourceTrack* audio = nullptr;
    for (const SourceMovie& movie : movies) {
        if (!sameFormat(movie.video, movies.front().video)) {
            error = movie.path + ": its video is not in the format of " + movies.front().path;
            return false;
        }
        if (movie.audio && audio && !sameFormat(*movie.audio, *audio)) {
            error = movie.path + ": its audio is not in the format of the recording before";
            return false;
        }
        audio = movie.audio ? &*movie.audio : audio;
    }
    return true;
}

std::vector<SampleRange> videoRanges(const std::vector<SourceMovie>& movies, double in, double out,
                                     std::string& error)
{
    std::vector<SampleRange> ranges;
    for (const SourceMovie& movie : movies) {
        ranges.push_back({0, movie.video.samples.size()});
    }
    const std::optional<size_t> key = keyFrameAtOrBefore(movies.front().video, in);
    if (!key) {
        error = movies.front().path + ": no key frame to start the clip at";
        return {};
    }
    ranges.front().first = *key;
    SampleRange& last = ranges.back();
    last.end = std::max(endAtOrAfter(movies.back().video, out), last.first + 1);
    return ranges;
}

ClipTrack emptyTrack(ClipTrackKind kind, const SourceTrack& source)
{
    ClipTrack track;
    track.kind = kind;
    track.timescale = source.timescale;
    track.sampleDescription = source.sampleDescription;
    track.width = source.width;
    track.height = source.height;
    track.language = source.language;
    return track;
}

ClipTrack planVideo(const std::vector<SourceMovie>& movies, const std::vector<SampleRange>& ranges,
                    std::vector<RecordingSpan>& spans)
{
    ClipTrack track = emptyTrack(ClipTrackKind::Video, movies.front().video);
    const SourceSample& key = movies.front().video.samples[ranges.front().first];
    track.mediaStart = key.composition;  // the key frame is shown at the clip's start
    const double scale = track.timescale;
    int64_t decode = 0;
    for (size_t m = 0; m < movies.size(); ++m) {
        const SourceTrack& video = movies[m].video;
        const SourceSample& first = video.samples[ranges[m].first];
        RecordingSpan span;
        span.source = static_cast<int>(m);
        span.shift = static_cast<double>(decode - first.decode - track.mediaStart +
                                         video.presentationShift) /
                     scale;
        span.clipBegin = static_cast<double>(decode - track.mediaStart) / scale;
        for (size_t i = ranges[m].first; i < ranges[m].end; ++i) {
            const SourceSample& s = video.samples[i];
            track.samples.push_back(
                {static_cast<int>(m), s.offset, s.size, s.duration, s.composition, s.sync});
            decode += s.duration;
        }
        span.clipEnd = static_cast<double>(decode - track.mediaStart) / scale;
        spans.push_back(span);
    }
    return track;
}

struct PlacedAudio
{
    int64_t start = 0;  // clip time in the audio time scale
    ClipSample sample;
};

// The audio samples of each recording at their clip times, from the one that sounds at the
// clip's start to the last that starts before its end.
std::vector<std::vector<PlacedAudio>> placeAudio(const std::vector<SourceMovie>& movies,
                                                 const std::vector<RecordingSpan>& spans,
                                                 uint32_t scale, double clipSeconds)
{
    std::vector<std::vector<PlacedAudio>> placed(movies.size());
    for (size_t m = 0; m < movies.size(); ++m) {
        if (!movies[m].audio) {
            continue;
        }
        const SourceTrack& audio = *movies[m].audio;
        for (const SourceSample& s : audio.samples) {
            const double at = audio.presentation(s) + spans[m].shift;
            const double end = at + static_cast<double>(s.duration) / scale;
            if (end <= 0.0 || at >= clipSeconds) {
                continue;
            }
            placed[m].push_back({std::llround(at * scale),
                                 {static_cast<int>(m), s.offset, s.size, s.duration, 0, true}});
        }
    }
    return placed;
}

std::optional<ClipTrack> planAudio(const std::vector<SourceMovie>& movies,
                                   const std::vector<RecordingSpan>& spans, double clipSeconds)
{
    const auto withAudio = std::find_if(movies.begin(), movies.end(),
                                        [](const SourceMovie& movie) { return movie.audio; });
    if (withAudio == movies.end()) {
        return std::nullopt;
    }
    ClipTrack track = emptyTrack(ClipTrackKind::Audio, *withAudio->audio);
    std::vector<PlacedAudio> joined;
    for (const std::vector<PlacedAudio>& recording :
         placeAudio(movies, spans, track.timescale, clipSeconds)) {
        if (recording.empty()) {
            continue;
        }
        while (!joined.empty() && joined.back().start >= recording.front().start) {
            joined.pop_back();
        }
        joined.insert(joined.end(), recording.begin(), recording.end());
    }
    if (joined.empty()) {
        return std::nullopt;
    }
    for (size_t i = 0; i + 1 < joined.size(); ++i) {
        joined[i].sample.duration = static_cast<uint32_t>(
            std::min<int64_t>(joined[i + 1].start - joined[i].start, UINT32_MAX));
    }
    const int64_t start = joined.front().start;
    track.mediaStart = start < 0 ? -start : 0;
    track.emptyStart = start > 0 ? start : 0;
    for (const PlacedAudio& placed : joined) {
        track.samples.push_back(placed.sample);
    }
    return track;
}

}  // namespace

int64_t ClipTrack::mediaDuration() const
{
    int64_t total = 0;
    for (const ClipSample& sample : samples) {
        total += sample.duration;
    }
    return total;
}

int64_t ClipTrack::mediaShownEnd() const
{
    int64_t decode = 0;
    int64_t end = 0;
    for (const ClipSample& sample : samples) {
        end = std::max(end, decode + sample.composition + sample.duration);
        decode += sample.duration;
    }
    return end;
}

double ClipTrack::seconds() const
{
    return timescale == 0
               ? 0.0
               : static_cast<double>(emptyStart + mediaShownEnd() - mediaStart) / timescale;
}

std::optional<ClipPlan> planClip(const std::vector<SourceMovie>& movies, double in, double out,
                                 std::string& error)
{
    if (movies.empty()) {
        error = "no recording to cut";
        return std::nullopt;
    }
    if (movies.size() == 1 && out <= in) {
        error = "the end of the clip is not after its start";
        return std::nullopt;
    }
    if (!checkFormats(movies, error)) {
        return std::nullopt;
    }
    const std::vector<SampleRange> ranges = videoRanges(movies, in, out, error);
    if (ranges.empty()) {
        return std::nullopt;
    }
    ClipPlan plan;
    plan.tracks.push_back(planVideo(movies, ranges, plan.spans));
    plan.seconds = plan.tracks.front().seconds();
    if (!(plan.seconds <= kMaxClipSeconds)) {
        error = "the recordings' tables give the clip an impossible length";
        return std::nullopt;
    }
    plan.firstSecond = -plan.spans.front().shift;
    if (std::optional<ClipTrack> audio = planAudio(movies, plan.spans, plan.seconds)) {
        plan.tracks.push_back(std::move(*audio));
    }
    return plan;
}
