#include "gopro_reader.h"

#include <cstring>
#include <vector>

#include "gpmf.h"
#include "sample_table.h"

namespace {

constexpr uint32_t kMaxPayload = 4u << 20;  // real payloads hold a few kilobytes

// A track whose handler (mdia/hdlr) is of the given type.
bool HandlerIs(BinaryFile& file, Span trak, const char (&type)[5])
{
    const std::optional<AtomHeader> hdlr = FindPath(file, trak, {"mdia", "hdlr"});
    char bytes[12];  // version and flags, pre-defined, handler type
    return hdlr && hdlr->Content().end - hdlr->Content().begin >= sizeof bytes &&
           file.ReadExact(hdlr->Content().begin, bytes, sizeof bytes) &&
           std::memcmp(bytes + 8, type, 4) == 0;
}

// A track whose first sample description (mdia/minf/stbl/stsd) has the given format.
bool FormatIs(BinaryFile& file, Span trak, const char (&format)[5])
{
    const std::optional<AtomHeader> stsd = FindPath(file, trak, {"mdia", "minf", "stbl", "stsd"});
    char bytes[16];  // version and flags, entry count, first entry's size and format
    return stsd && stsd->Content().end - stsd->Content().begin >= sizeof bytes &&
           file.ReadExact(stsd->Content().begin, bytes, sizeof bytes) &&
           std::memcmp(bytes + 12, format, 4) == 0;
}

std::optional<AtomHeader> FindGpmdTrack(BinaryFile& file)
{
    const std::optional<AtomHeader> moov = FindChild(file, WholeFile(file), "moov");
    if (!moov)
        return std::nullopt;
    AtomWalker walker(file, moov->Content());
    for (int seen = 0; seen <= kMaxSkippedAtoms; ++seen) {
        const std::optional<AtomHeader> atom = walker.Next();
        if (!atom)
            break;
        if (atom->Is("trak") && HandlerIs(file, atom->Content(), "meta") &&
            FormatIs(file, atom->Content(), "gpmd"))
            return atom;
    }
    return std::nullopt;
}

}  // namespace

bool DetectGoPro(BinaryFile& movie)
{
    return FindGpmdTrack(movie).has_value();
}

std::optional<TimedTrack> ReadGoPro(BinaryFile& movie, std::string& why)
{
    const std::optional<AtomHeader> trak = FindGpmdTrack(movie);
    if (!trak) {
        why = "no gpmd track";
        return std::nullopt;
    }
    const std::optional<AtomHeader> stbl = FindPath(movie, trak->Content(), {"mdia", "minf", "stbl"});
    const uint32_t timescale = ReadMediaTimescale(movie, trak->Content());
    const std::vector<MediaSample> samples =
        stbl ? ReadSampleTable(movie, stbl->Content(), timescale) : std::vector<MediaSample>();
    if (samples.empty()) {
        why = "gpmd track without samples";
        return std::nullopt;
    }
    GpmfDecoder decoder;
    std::vector<unsigned char> payload;
    for (const MediaSample& sample : samples) {
        if (sample.size > kMaxPayload)
            continue;
        payload.resize(sample.size);
        if (movie.ReadExact(sample.offset, payload.data(), payload.size()))
            decoder.AddPayload(payload, sample.start, sample.duration);
    }
    TimedTrack track = decoder.Take();
    if (track.fixes.empty() && track.accelerations.empty()) {
        why = "no GPS or accelerometer data in the gpmd track";
        return std::nullopt;
    }
    return track;
}
