#include "repair/index_writer.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr uint32_t kMovieTimescale = 1000;
constexpr uint16_t kUndeterminedLanguage = 0x55c4;  // "und", packed

class AtomBuffer
{
public:
    void u8(uint8_t v) { m_bytes.push_back(v); }
    void u16(uint16_t v)
    {
        u8(static_cast<uint8_t>(v >> 8));
        u8(static_cast<uint8_t>(v));
    }
    void u32(uint32_t v)
    {
        u16(static_cast<uint16_t>(v >> 16));
        u16(static_cast<uint16_t>(v));
    }
    void u64(uint64_t v)
    {
        u32(static_cast<uint32_t>(v >> 32));
        u32(static_cast<uint32_t>(v));
    }
    void zeros(size_t n) { m_bytes.insert(m_bytes.end(), n, 0); }
    void text(std::string_view s) { m_bytes.insert(m_bytes.end(), s.begin(), s.end()); }
    void bytes(const std::vector<unsigned char>& b)
    {
        m_bytes.insert(m_bytes.end(), b.begin(), b.end());
    }
    // Opens an atom; close() writes its size.
    void open(std::string_view type)
    {
        m_open.push_back(m_bytes.size());
        u32(0);
        text(type);
    }
    void openFull(std::string_view type, uint32_t flags = 0)
    {
        open(type);
        u32(flags);  // version 0
    }
    void close()
    {
        const size_t start = m_open.back();
        m_open.pop_back();
        const uint32_t size = static_cast<uint32_t>(m_bytes.size() - start);
        for (int i = 0; i < 4; ++i) {
            m_bytes[start + i] = static_cast<unsigned char>(size >> (24 - 8 * i));
        }
    }
    std::vector<unsigned char> take() { return std::move(m_bytes); }

private:
    std::vector<unsigned char> m_bytes;
    std::vector<size_t> m_open;
};

uint32_t movieTime(uint64_t duration, uint32_t timescale)
{
    const uint64_t ms = duration * kMovieTimescale / std::max<uint32_t>(timescale, 1);
    return static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
}

void unityMatrix(AtomBuffer& out)
{
    for (uint32_t v : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u}) {
        out.u32(v);
    }
}

void movieHeader(AtomBuffer& out, uint32_t duration, uint32_t nextTrack)
{
    out.openFull("mvhd");
    out.u32(0);  // creation and modification time
    out.u32(0);
    out.u32(kMovieTimescale);
    out.u32(duration);
    out.u32(0x10000);  // rate 1.0
    out.u16(0x100);    // volume 1.0
    out.zeros(10);
    unityMatrix(out);
    out.zeros(24);
    out.u32(nextTrack);
    out.close();
}

struct TrackPlan
{
    const TrackTemplate& format;
    const RebuiltTrack& samples;
    uint32_t id = 1;
    bool video = true;
    const CompositionOffsets* offsets = nullptr;  // video shown in another order, or null

    uint32_t frameDuration() const { return format.sampleDuration; }
};

// Composition offsets, run by run, in the media's time scale.
void compositionTable(AtomBuffer& out, const CompositionOffsets& offsets, uint32_t duration)
{
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (uint32_t frames : offsets.frames) {
        if (!runs.empty() && runs.back().second == frames * duration) {
            ++runs.back().first;
        } else {
            runs.push_back({1, frames * duration});
        }
    }
    out.openFull("ctts");
    out.u32(static_cast<uint32_t>(runs.size()));
    for (const auto& [count, offset] : runs) {
        out.u32(count);
        out.u32(offset);
    }
    out.close();
}

// The frames the offsets hold the first picture back, cut from the start of the track.
void editList(AtomBuffer& out, const TrackPlan& track)
{
    out.open("edts");
    out.openFull("elst");
    out.u32(1);
    out.u32(movieTime(track.samples.duration, track.format.timescale));
    out.u32(track.offsets->shift * track.frameDuration());
    out.u32(0x10000);  // rate 1.0
    out.close();
    out.close();
}

void trackHeader(AtomBuffer& out, const TrackPlan& track)
{
    out.openFull("tkhd", 3);  // enabled, in movie
    out.u32(0);
    out.u32(0);
    out.u32(track.id);
    out.u32(0);
    out.u32(movieTime(track.samples.duration, track.format.timescale));
    out.zeros(8);
    out.u16(0);                        // layer
    out.u16(track.video ? 0 : 1);      // alternate group
    out.u16(track.video ? 0 : 0x100);  // volume
    out.u16(0);
    unityMatrix(out);
    out.u32(uint32_t{track.format.width} << 16);
    out.u32(uint32_t{track.format.height} << 16);
    out.close();
}

void mediaHeaders(AtomBuffer& out, const TrackPlan& track)
{
    out.openFull("mdhd");
    out.u32(0);
    out.u32(0);
    out.u32(track.format.timescale);
    out.u32(static_cast<uint32_t>(std::min<uint64_t>(track.samples.duration, UINT32_MAX)));
    out.u16(kUndeterminedLanguage);
    out.u16(0);
    out.close();
    out.openFull("hdlr");
    out.u32(0);
    out.text(track.video ? "vide" : "soun");
    out.zeros(12);
    out.text(track.video ? "VideoHandler" : "SoundHandler");
    out.u8(0);
    out.close();
}

void sampleTables(AtomBuffer& out, const TrackPlan& track, int64_t shift, bool wide)
{
    const RebuiltTrack& s = track.samples;
    out.open("stbl");
    out.bytes(track.format.sampleDescription);
    out.openFull("stts");
    out.u32(static_cast<uint32_t>(s.times.size()));
    for (const RebuiltTrack::TimeRun& run : s.times) {
        out.u32(run.count);
        out.u32(run.duration);
    }
    out.close();
    if (track.offsets != nullptr) {
        compositionTable(out, *track.offsets, track.frameDuration());
    }
    if (track.video) {
        out.openFull("stss");
        out.u32(static_cast<uint32_t>(s.syncSamples.size()));
        for (uint32_t n : s.syncSamples) {
            out.u32(n);
        }
        out.close();
    }
    out.openFull("stsz");
    out.u32(s.uniformSize);
    out.u32(static_cast<uint32_t>(s.sampleCount));
    for (uint32_t size : s.sizes) {
        out.u32(size);
    }
    out.close();
    // One entry per change of the samples a chunk holds.
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (size_t i = 0; i < s.chunks.size(); ++i) {
        if (runs.empty() || runs.back().second != s.chunks[i].samples) {
            runs.push_back({static_cast<uint32_t>(i + 1), s.chunks[i].samples});
        }
    }
    out.openFull("stsc");
    out.u32(static_cast<uint32_t>(runs.size()));
    for (const auto& [firstChunk, samples] : runs) {
        out.u32(firstChunk);
        out.u32(samples);
        out.u32(1);
    }
    out.close();
    out.openFull(wide ? "co64" : "stco");
    out.u32(static_cast<uint32_t>(s.chunks.size()));
    for (const RebuiltTrack::Chunk& chunk : s.chunks) {
        const uint64_t offset = static_cast<uint64_t>(static_cast<int64_t>(chunk.offset) + shift);
        wide ? out.u64(offset) : out.u32(static_cast<uint32_t>(offset));
    }
    out.close();
    out.close();
}

void mediaInformation(AtomBuffer& out, const TrackPlan& track, int64_t shift, bool wide)
{
    out.open("minf");
    if (track.video) {
        out.openFull("vmhd", 1);
        out.zeros(8);
    } else {
        out.openFull("smhd");
        out.zeros(4);
    }
    out.close();
    out.open("dinf");
    out.openFull("dref");
    out.u32(1);
    out.openFull("url ", 1);  // the data is in this file
    out.close();
    out.close();
    out.close();
    sampleTables(out, track, shift, wide);
    out.close();
}

void track(AtomBuffer& out, const TrackPlan& plan, int64_t shift, bool wide)
{
    out.open("trak");
    trackHeader(out, plan);
    if (plan.offsets != nullptr) {
        editList(out, plan);
    }
    out.open("mdia");
    mediaHeaders(out, plan);
    mediaInformation(out, plan, shift, wide);
    out.close();
    out.close();
}

}  // namespace

std::vector<unsigned char> buildMovieIndex(const ReferenceLayout& layout, const MediaScan& scan,
                                           int64_t shift)
{
    const bool withAudio = scan.audio.sampleCount > 0;
    const bool wide = static_cast<int64_t>(scan.keptEnd) + shift > int64_t{UINT32_MAX};
    const TrackPlan video{layout.video, scan.video, 1, true,
                          scan.videoOffsets.frames.empty() ? nullptr : &scan.videoOffsets};
    const TrackPlan audio{layout.audio, scan.audio, 2, false};
    uint32_t duration = movieTime(scan.video.duration, layout.video.timescale);
    if (withAudio) {
        duration = std::max(duration, movieTime(scan.audio.duration, layout.audio.timescale));
    }
    AtomBuffer out;
    out.open("moov");
    movieHeader(out, duration, withAudio ? 3 : 2);
    track(out, video, shift, wide);
    if (withAudio) {
        track(out, audio, shift, wide);
    }
    out.close();
    return out.take();
}
