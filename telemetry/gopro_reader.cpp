#include "telemetry/gopro_reader.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "telemetry/chip_detect.h"
#include "telemetry/gpmf.h"
#include "telemetry/sample_table.h"
#include "telemetry/track_table.h"

namespace {

constexpr uint32_t kMaxPayload = 4u << 20;  // real payloads hold a few kilobytes

// A track whose handler (mdia/hdlr) is of the given type.
bool handlerIs(BinaryFile& file, Span trak, const char (&type)[5])
{
    const std::optional<AtomHeader> hdlr = findPath(file, trak, {"mdia", "hdlr"});
    char bytes[12];  // version and flags, pre-defined, handler type
    return hdlr && hdlr->content().end - hdlr->content().begin >= sizeof bytes &&
           file.readExact(hdlr->content().begin, bytes, sizeof bytes) &&
           std::memcmp(bytes + 8, type, 4) == 0;
}

// A track whose first sample description (mdia/minf/stbl/stsd) has the given format.
bool formatIs(BinaryFile& file, Span trak, const char (&format)[5])
{
    const std::optional<AtomHeader> stsd = findPath(file, trak, {"mdia", "minf", "stbl", "stsd"});
    char bytes[16];  // version and flags, entry count, first entry's size and format
    return stsd && stsd->content().end - stsd->content().begin >= sizeof bytes &&
           file.readExact(stsd->content().begin, bytes, sizeof bytes) &&
           std::memcmp(bytes + 12, format, 4) == 0;
}

std::optional<AtomHeader> findGpmdTrack(BinaryFile& file)
{
    const std::optional<AtomHeader> moov = findChildAtom(file, wholeFile(file), "moov");
    if (!moov) {
        return std::nullopt;
    }
    AtomWalker walker(file, moov->content());
    for (int seen = 0; seen <= kMaxSkippedAtoms; ++seen) {
        const std::optional<AtomHeader> atom = walker.next();
        if (!atom) {
            break;
        }
        if (atom->is("trak") && handlerIs(file, atom->content(), "meta") &&
            formatIs(file, atom->content(), "gpmd")) {
            return atom;
        }
    }
    return std::nullopt;
}

}  // namespace

bool detectGoPro(BinaryFile& movie)
{
    return findGpmdTrack(movie).has_value();
}

std::optional<TimedTrack> readGoPro(BinaryFile& movie, std::string& why)
{
    const std::optional<AtomHeader> trak = findGpmdTrack(movie);
    if (!trak) {
        why = "no gpmd track";
        return std::nullopt;
    }
    const std::optional<AtomHeader> stbl =
        findPath(movie, trak->content(), {"mdia", "minf", "stbl"});
    const uint32_t timescale = readMediaTimescale(movie, trak->content());
    const std::vector<MediaSample> samples =
        stbl ? readSampleTable(movie, stbl->content(), timescale) : std::vector<MediaSample>();
    if (samples.empty()) {
        why = "gpmd track without samples";
        return std::nullopt;
    }
    // Payloads that start after the table's last sample and its look-ahead add nothing:
    // the movie's length bounds the work, whatever durations the track declares.
    const std::optional<double> movieSeconds = readMovieSeconds(movie);
    const double useful = movieSeconds ? std::ceil(*movieSeconds) + kTrackWindowSeconds : HUGE_VAL;
    GpmfDecoder decoder;
    std::vector<unsigned char> payload;
    for (const MediaSample& sample : samples) {
        if (sample.start >= useful) {
            break;
        }
        if (sample.size > kMaxPayload) {
            continue;
        }
        payload.resize(sample.size);
        if (movie.readExact(sample.offset, payload.data(), payload.size())) {
            decoder.addPayload(payload, sample.start, sample.duration);
        }
    }
    TimedTrack track = decoder.take();
    if (track.fixes.empty() && track.accelerations.empty()) {
        why = "no GPS or accelerometer data in the gpmd track";
        return std::nullopt;
    }
    return track;
}
