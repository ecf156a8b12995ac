#include "telemetry/sample_table.h"

#include <algorithm>
#include <optional>

namespace {

// More samples than a week of one-second payloads, and far more than any camera's track
// holds: tables and samples past it are not read, so a table that claims billions of
// samples costs at most this many entries of memory.
constexpr uint32_t kMaxTrackSamples = 1u << 20;

struct ChunkRun
{
    uint32_t firstChunk = 0;  // 1-based
    uint32_t samplesPerChunk = 0;
};

struct TimeRun
{
    uint32_t count = 0;
    uint32_t delta = 0;
};

// The big-endian 32-bit entries of a table atom after its version, flags and entry count,
// as many as the count says and the atom holds, at most kMaxTrackSamples entries.
std::vector<uint32_t> tableWords(BinaryFile& file, const AtomHeader& table, uint32_t wordsPerEntry,
                                 uint32_t skipWords = 0)
{
    std::vector<uint32_t> words;
    const Span content = table.content();
    const uint64_t headerBytes = 8 + uint64_t{skipWords} * 4;
    if (content.end - content.begin < headerBytes) {
        return words;
    }
    const std::optional<uint32_t> count =
        file.readBE32(content.begin + 4 + uint64_t{skipWords} * 4);
    if (!count) {
        return words;
    }
    const uint64_t entries = std::min(*count, kMaxTrackSamples);
    const uint64_t wanted = entries * wordsPerEntry;
    forEachBE32(file, content.begin + headerBytes, content.end, static_cast<uint32_t>(wanted),
                [&](uint32_t, uint32_t word) {
                    words.push_back(word);
                    return true;
                });
    words.resize(words.size() / wordsPerEntry * wordsPerEntry);
    return words;
}

std::vector<uint64_t> chunkOffsets(BinaryFile& file, Span stbl)
{
    std::vector<uint64_t> offsets;
    if (const std::optional<AtomHeader> stco = findChildAtom(file, stbl, "stco")) {
        for (uint32_t word : tableWords(file, *stco, 1)) {
            offsets.push_back(word);
        }
    } else if (const std::optional<AtomHeader> co64 = findChildAtom(file, stbl, "co64")) {
        const std::vector<uint32_t> words = tableWords(file, *co64, 2);
        for (size_t i = 0; i < words.size(); i += 2) {
            offsets.push_back(uint64_t{words[i]} << 32 | words[i + 1]);
        }
    }
    return offsets;
}

// Sample sizes: the uniform size (a list of one) or one per sample; count is the sample
// count the atom claims.
struct SampleSizes
{
    uint32_t uniform = 0;
    uint32_t count = 0;
    std::vector<uint32_t> sizes;

    std::optional<uint32_t> size(uint32_t index) const
    {
        if (index >= count) {
            return std::nullopt;
        }
        if (uniform != 0) {
            return uniform;
        }
        return index < sizes.size() ? std::optional(sizes[index]) : std::nullopt;
    }
};

SampleSizes readSizes(BinaryFile& file, Span stbl)
{
    SampleSizes out;
    const std::optional<AtomHeader> stsz = findChildAtom(file, stbl, "stsz");
    if (!stsz || stsz->content().end - stsz->content().begin < 12) {
        return out;
    }
    const std::optional<uint32_t> uniform = file.readBE32(stsz->content().begin + 4);
    const std::optional<uint32_t> count = file.readBE32(stsz->content().begin + 8);
    if (!uniform || !count) {
        return out;
    }
    out.uniform = *uniform;
    // Samples of one size cannot be more than the file has bytes for.
    out.count = out.uniform == 0
                    ? *count
                    : static_cast<uint32_t>(std::min<uint64_t>(*count, file.size() / out.uniform));
    if (out.uniform == 0) {
        out.sizes = tableWords(file, *stsz, 1, 1);
    }
    return out;
}

template <class Run>
std::vector<Run> readRuns(BinaryFile& file, Span stbl, std::string_view type)
{
    std::vector<Run> runs;
    const std::optional<AtomHeader> table = findChildAtom(file, stbl, type);
    if (!table) {
        return runs;
    }
    const std::vector<uint32_t> words = tableWords(file, *table, type == "stsc" ? 3 : 2);
    for (size_t i = 0; i + 1 < words.size(); i += type == "stsc" ? 3 : 2) {
        runs.push_back({words[i], words[i + 1]});
    }
    return runs;
}

// Places the samples chunk by chunk; stops at the first sample outside the file or at
// kMaxTrackSamples.
std::vector<MediaSample> placeSamples(BinaryFile& file, const std::vector<uint64_t>& chunks,
                                      const std::vector<ChunkRun>& runs, const SampleSizes& sizes)
{
    std::vector<MediaSample> samples;
    size_t run = 0;
    uint32_t index = 0;
    for (size_t chunk = 0; chunk < chunks.size(); ++chunk) {
        while (run + 1 < runs.size() && runs[run + 1].firstChunk <= chunk + 1) {
            ++run;
        }
        const uint32_t inChunk = runs.empty() ? 0 : runs[run].samplesPerChunk;
        uint64_t offset = chunks[chunk];
        for (uint32_t k = 0; k < inChunk; ++k, ++index) {
            const std::optional<uint32_t> size = sizes.size(index);
            if (!size || offset + *size > file.size() || samples.size() == kMaxTrackSamples) {
                return samples;
            }
            samples.push_back({offset, *size, 0.0, 0.0});
            offset += *size;
        }
    }
    return samples;
}

void timeSamples(const std::vector<TimeRun>& runs, uint32_t timescale,
                 std::vector<MediaSample>& samples)
{
    uint64_t ticks = 0;
    size_t next = 0;
    for (const TimeRun& run : runs) {
        for (uint32_t k = 0; k < run.count && next < samples.size(); ++k, ++next) {
            samples[next].start = static_cast<double>(ticks) / timescale;
            samples[next].duration = static_cast<double>(run.delta) / timescale;
            ticks += run.delta;
        }
    }
    samples.resize(next);  // a sample without a time has no place on the time line
}

}  // namespace

std::vector<MediaSample> readSampleTable(BinaryFile& file, Span stbl, uint32_t timescale)
{
    if (timescale == 0) {
        return {};
    }
    std::vector<MediaSample> samples =
        placeSamples(file, chunkOffsets(file, stbl), readRuns<ChunkRun>(file, stbl, "stsc"),
                     readSizes(file, stbl));
    timeSamples(readRuns<TimeRun>(file, stbl, "stts"), timescale, samples);
    return samples;
}

uint32_t readMediaTimescale(BinaryFile& file, Span trak)
{
    const std::optional<AtomHeader> mdhd = findPath(file, trak, {"mdia", "mdhd"});
    if (!mdhd) {
        return 0;
    }
    const uint64_t begin = mdhd->content().begin;
    unsigned char version = 0;
    if (!file.readExact(begin, &version, 1)) {
        return 0;
    }
    // Version 1 has 64-bit creation and modification times before the time scale.
    const uint64_t at = begin + (version == 1 ? 20 : 12);
    if (at + 4 > mdhd->end) {
        return 0;
    }
    return file.readBE32(at).value_or(0);
}
