#include "clip/source_movie.h"

#include <algorithm>
#include <cmath>

#include "telemetry/atom_walker.h"
#include "telemetry/movie_header.h"
#include "telemetry/sample_table.h"

namespace {

// A sample description is a few hundred bytes; anything far larger is no real one.
constexpr uint64_t kMaxSampleDescription = 1 << 16;

uint64_t loadBE64(const unsigned char* bytes)
{
    return uint64_t{loadBE32(bytes)} << 32 | loadBE32(bytes + 4);
}

std::string handlerType(BinaryFile& file, Span trak)
{
    const std::optional<AtomHeader> hdlr = findPath(file, trak, {"mdia", "hdlr"});
    char type[4];
    if (!hdlr || hdlr->content().end - hdlr->content().begin < 12 ||
        !file.readExact(hdlr->content().begin + 8, type, 4)) {
        return {};
    }
    return std::string(type, 4);
}

bool readAtomBytes(BinaryFile& file, const AtomHeader& atom, std::string& out)
{
    if (atom.end - atom.start > kMaxSampleDescription) {
        return false;
    }
    out.resize(static_cast<size_t>(atom.end - atom.start));
    return file.readExact(atom.start, out.data(), out.size()) &&
           loadBE32(reinterpret_cast<const unsigned char*>(out.data())) == out.size();
}

// Sample numbers of the sync sample table; every sample is one without the table.
void markSyncSamples(BinaryFile& file, Span stbl, std::vector<SourceSample>& samples)
{
    const std::optional<AtomHeader> stss = findChildAtom(file, stbl, "stss");
    if (!stss) {
        return;
    }
    for (SourceSample& sample : samples) {
        sample.sync = false;
    }
    forEachChunkOffset(file, *stss, [&](uint32_t, uint32_t number) {
        if (number >= 1 && number <= samples.size()) {
            samples[number - 1].sync = true;
        }
        return true;
    });
}

void readCompositionOffsets(BinaryFile& file, Span stbl, std::vector<SourceSample>& samples)
{
    const std::optional<AtomHeader> ctts = findChildAtom(file, stbl, "ctts");
    if (!ctts || ctts->content().end - ctts->content().begin < 8) {
        return;
    }
    const std::optional<uint32_t> count = file.readBE32(ctts->content().begin + 4);
    if (!count) {
        return;
    }
    size_t next = 0;
    uint32_t runCount = 0;
    // Entries are pairs: a run of samples and its offset (signed in version 1, and in practice
    // never beyond 2^31 in version 0 either).
    forEachBE32(file, ctts->content().begin + 8, ctts->content().end,
                static_cast<uint32_t>(std::min<uint64_t>(uint64_t{*count} * 2, UINT32_MAX)),
                [&](uint32_t index, uint32_t word) {
                    if (index % 2 == 0) {
                        runCount = word;
                        return true;
                    }
                    for (uint32_t k = 0; k < runCount && next < samples.size(); ++k) {
                        samples[next++].composition = static_cast<int32_t>(word);
                    }
                    return next < samples.size();
                });
}

// The edit list's shift of presentation against media time (see SourceTrack).
int64_t readPresentationShift(BinaryFile& file, Span trak, uint32_t movieScale, uint32_t scale)
{
    const std::optional<AtomHeader> elst = findPath(file, trak, {"edts", "elst"});
    unsigned char head[8];
    if (!elst || movieScale == 0 || !file.readExact(elst->content().begin, head, 8)) {
        return 0;
    }
    const bool wide = head[0] == 1;
    const uint32_t count = loadBE32(head + 4);
    const uint64_t entrySize = wide ? 20 : 12;
    uint64_t emptyMovieTicks = 0;
    for (uint32_t i = 0; i < count && i < 16; ++i) {
        unsigned char entry[20];
        if (elst->content().begin + 8 + (i + 1) * entrySize > elst->end ||
            !file.readExact(elst->content().begin + 8 + i * entrySize, entry, entrySize)) {
            return 0;
        }
        const uint64_t duration = wide ? loadBE64(entry) : loadBE32(entry);
        const int64_t mediaTime = wide ? static_cast<int64_t>(loadBE64(entry + 8))
                                       : static_cast<int32_t>(loadBE32(entry + 4));
        if (mediaTime == -1) {
            emptyMovieTicks += duration;
            continue;
        }
        const double empty = static_cast<double>(emptyMovieTicks) / movieScale * scale;
        return mediaTime - std::llround(empty);
    }
    return 0;
}

void readTrackHeader(BinaryFile& file, Span trak, SourceTrack& track)
{
    const std::optional<AtomHeader> tkhd = findChildAtom(file, trak, "tkhd");
    unsigned char version = 0;
    if (!tkhd || !file.readExact(tkhd->content().begin, &version, 1)) {
        return;
    }
    const uint64_t at = tkhd->content().begin + (version == 1 ? 88 : 76);
    if (at + 8 <= tkhd->end) {
        track.width = file.readBE32(at).value_or(0);
        track.height = file.readBE32(at + 4).value_or(0);
    }
    const std::optional<AtomHeader> mdhd = findPath(file, trak, {"mdia", "mdhd"});
    unsigned char mdhdVersion = 0;
    if (mdhd && file.readExact(mdhd->content().begin, &mdhdVersion, 1)) {
        const uint64_t languageAt = mdhd->content().begin + (mdhdVersion == 1 ? 32 : 20);
        unsigned char language[2];
        if (languageAt + 2 <= mdhd->end && file.readExact(languageAt, language, 2)) {
            track.language = static_cast<uint16_t>(language[0] << 8 | language[1]);
        }
    }
}

std::optional<SourceTrack> readTrack(BinaryFile& file, Span trak, TrackKind kind,
                                     uint32_t movieScale)
{
    SourceTrack track;
    track.kind = kind;
    track.timescale = readMediaTimescale(file, trak);
    const std::optional<AtomHeader> stbl = findPath(file, trak, {"mdia", "minf", "stbl"});
    const std::optional<AtomHeader> stsd =
        stbl ? findChildAtom(file, stbl->content(), "stsd") : std::nullopt;
    if (track.timescale == 0 || !stsd || !readAtomBytes(file, *stsd, track.sampleDescription)) {
        return std::nullopt;
    }
    for (const MediaSample& sample : readSampleTable(file, stbl->content(), track.timescale)) {
        track.samples.push_back(
            {sample.offset, sample.size, std::llround(sample.start * track.timescale),
             static_cast<uint32_t>(std::llround(sample.duration * track.timescale)), 0, true});
    }
    markSyncSamples(file, stbl->content(), track.samples);
    readCompositionOffsets(file, stbl->content(), track.samples);
    track.presentationShift = readPresentationShift(file, trak, movieScale, track.timescale);
    readTrackHeader(file, trak, track);
    return track;
}

}  // namespace

int64_t SourceTrack::end() const
{
    return samples.empty() ? 0 : samples.back().decode + samples.back().duration;
}

double SourceTrack::presentation(const SourceSample& sample) const
{
    return static_cast<double>(sample.decode + sample.composition - presentationShift) / timescale;
}

double SourceMovie::videoSeconds() const
{
    return static_cast<double>(video.end()) / video.timescale;
}

std::optional<SourceMovie> readSourceMovie(const std::string& path, std::string& error)
{
    BinaryFile file;
    if (!file.open(path)) {
        error = path + ": " + file.failure();
        return std::nullopt;
    }
    const std::optional<AtomHeader> moov = findChildAtom(file, wholeFile(file), "moov");
    if (!moov) {
        error = path + ": no movie index (moov); the recording may have been cut off";
        return std::nullopt;
    }
    const std::optional<MovieHeader> header = readMovieHeader(file);
    const uint32_t movieScale = header ? header->timescale : 0;
    SourceMovie movie{path, {}, std::nullopt};
    bool haveVideo = false;
    AtomWalker walker(file, moov->content());
    while (const std::optional<AtomHeader> trak = walker.next()) {
        if (!trak->is("trak")) {
            continue;
        }
        const std::string handler = handlerType(file, trak->content());
        if (handler == "vide" && !haveVideo) {
            if (std::optional<SourceTrack> track =
                    readTrack(file, trak->content(), TrackKind::Video, movieScale)) {
                movie.video = std::move(*track);
                haveVideo = !movie.video.samples.empty();
            }
        } else if (handler == "soun" && !movie.audio) {
            movie.audio = readTrack(file, trak->content(), TrackKind::Audio, movieScale);
            if (movie.audio && movie.audio->samples.empty()) {
                movie.audio.reset();
            }
        }
    }
    if (!haveVideo) {
        error = path + ": no readable video track";
        return std::nullopt;
    }
    return movie;
}
