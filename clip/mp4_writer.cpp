#include "clip/mp4_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#include "clip/output_file.h"

namespace {

constexpr uint32_t kMovieScale = 1000;
constexpr double kChunkSeconds = 0.5;
constexpr size_t kMaxChunkSamples = 1024;
constexpr size_t kCopyBuffer = 4u << 20;
constexpr uint64_t kMdatHeader = 16;  // always the 64-bit form: the size is known only later

// ---- big-endian atoms ---------------------------------------------------------------

void put8(std::string& out, uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
}
void put16(std::string& out, uint32_t v)
{
    put8(out, v >> 8);
    put8(out, v);
}
void put32(std::string& out, uint32_t v)
{
    put16(out, v >> 16);
    put16(out, v);
}
void put64(std::string& out, uint64_t v)
{
    put32(out, static_cast<uint32_t>(v >> 32));
    put32(out, static_cast<uint32_t>(v));
}

std::string atom(const char* type, const std::string& content)
{
    std::string out;
    put32(out, static_cast<uint32_t>(content.size() + 8));
    out.append(type, 4);
    return out + content;
}

std::string fullAtom(const char* type, uint32_t versionAndFlags, const std::string& content)
{
    std::string body;
    put32(body, versionAndFlags);
    return atom(type, body + content);
}

void putMatrix(std::string& out)
{
    const uint32_t matrix[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    for (uint32_t v : matrix) {
        put32(out, v);
    }
}

uint64_t toMovieScale(int64_t ticks, uint32_t scale)
{
    return ticks <= 0 ? 0
                      : static_cast<uint64_t>(
                            std::llround(static_cast<double>(ticks) * kMovieScale / scale));
}

uint64_t trackMovieDuration(const ClipTrack& track)
{
    return toMovieScale(track.emptyStart + track.mediaShownEnd() - track.mediaStart,
                        track.timescale);
}

// ---- chunks ---------------------------------------------------------------------------

struct Chunk
{
    size_t track = 0;
    size_t first = 0;
    size_t count = 0;
    double time = 0.0;
    uint64_t bytes = 0;
    uint64_t offset = 0;  // in the file
};

std::vector<Chunk> trackChunks(const ClipTrack& track, size_t index)
{
    std::vector<Chunk> chunks;
    int64_t decode = track.emptyStart - track.mediaStart;
    long slot = -1;
    for (size_t i = 0; i < track.samples.size(); ++i) {
        const double time = static_cast<double>(decode) / track.timescale;
        const long sampleSlot = static_cast<long>(std::floor(time / kChunkSeconds));
        if (chunks.empty() || sampleSlot != slot || chunks.back().count == kMaxChunkSamples) {
            chunks.push_back({index, i, 0, time, 0, 0});
            slot = sampleSlot;
        }
        chunks.back().count += 1;
        chunks.back().bytes += track.samples[i].size;
        decode += track.samples[i].duration;
    }
    return chunks;
}

// Every track's chunks in time order, placed one after the other from `base`.
std::vector<Chunk> layChunks(const ClipPlan& plan, uint64_t base)
{
    std::vector<Chunk> chunks;
    for (size_t t = 0; t < plan.tracks.size(); ++t) {
        const std::vector<Chunk> own = trackChunks(plan.tracks[t], t);
        chunks.insert(chunks.end(), own.begin(), own.end());
    }
    std::stable_sort(chunks.begin(), chunks.end(),
                     [](const Chunk& a, const Chunk& b) { return a.time < b.time; });
    for (Chunk& chunk : chunks) {
        chunk.offset = base;
        base += chunk.bytes;
    }
    return chunks;
}

uint64_t mediaBytes(const ClipPlan& plan)
{
    uint64_t total = 0;
    for (const ClipTrack& track : plan.tracks) {
        for (const ClipSample& sample : track.samples) {
            total += sample.size;
        }
    }
    return total;
}

// ---- the index ------------------------------------------------------------------------

template <class Value, class Write>
std::string runTable(const char* type, uint32_t version, const std::vector<Value>& values,
                     Write&& write)
{
    std::string entries;
    uint32_t count = 0;
    for (size_t i = 0; i < values.size();) {
        size_t j = i;
        while (j < values.size() && values[j] == values[i]) {
            ++j;
        }
        write(entries, static_cast<uint32_t>(j - i), values[i]);
        ++count;
        i = j;
    }
    std::string content;
    put32(content, count);
    return fullAtom(type, version << 24, content + entries);
}

std::string timeToSample(const ClipTrack& track)
{
    std::vector<uint32_t> durations;
    for (const ClipSample& sample : track.samples) {
        durations.push_back(sample.duration);
    }
    return runTable("stts", 0, durations, [](std::string& out, uint32_t run, uint32_t value) {
        put32(out, run);
        put32(out, value);
    });
}

std::string compositionOffsets(const ClipTrack& track)
{
    std::vector<int32_t> offsets;
    bool any = false;
    bool negative = false;
    for (const ClipSample& sample : track.samples) {
        offsets.push_back(sample.composition);
        any = any || sample.composition != 0;
        negative = negative || sample.composition < 0;
    }
    if (!any) {
        return {};
    }
    return runTable("ctts", negative ? 1 : 0, offsets,
                    [](std::string& out, uint32_t run, int32_t value) {
                        put32(out, run);
                        put32(out, static_cast<uint32_t>(value));
                    });
}

std::string syncSamples(const ClipTrack& track)
{
    std::string entries;
    uint32_t count = 0;
    for (size_t i = 0; i < track.samples.size(); ++i) {
        if (track.samples[i].sync) {
            put32(entries, static_cast<uint32_t>(i + 1));
            ++count;
        }
    }
    if (count == track.samples.size()) {
        return {};  // every sample is one: no table says so
    }
    std::string content;
    put32(content, count);
    return fullAtom("stss", 0, content + entries);
}

std::string sampleSizes(const ClipTrack& track)
{
    std::string content;
    put32(content, 0);
    put32(content, static_cast<uint32_t>(track.samples.size()));
    for (const ClipSample& sample : track.samples) {
        put32(content, sample.size);
    }
    return fullAtom("stsz", 0, content);
}

std::string chunkTables(const std::vector<Chunk>& chunks, size_t track, bool wide)
{
    std::vector<uint32_t> perChunk;
    std::string offsets;
    for (const Chunk& chunk : chunks) {
        if (chunk.track != track) {
            continue;
        }
        perChunk.push_back(static_cast<uint32_t>(chunk.count));
        if (wide) {
            put64(offsets, chunk.offset);
        } else {
            put32(offsets, static_cast<uint32_t>(chunk.offset));
        }
    }
    // Sample-to-chunk runs name the first chunk of each run of equal sample counts.
    std::string runs;
    uint32_t runCount = 0;
    for (size_t i = 0; i < perChunk.size(); ++i) {
        if (i == 0 || perChunk[i] != perChunk[i - 1]) {
            put32(runs, static_cast<uint32_t>(i + 1));
            put32(runs, perChunk[i]);
            put32(runs, 1);
            ++runCount;
        }
    }
    std::string stsc;
    put32(stsc, runCount);
    std::string stco;
    put32(stco, static_cast<uint32_t>(perChunk.size()));
    return fullAtom("stsc", 0, stsc + runs) + fullAtom(wide ? "co64" : "stco", 0, stco + offsets);
}

std::string editList(const ClipTrack& track)
{
    if (track.mediaStart == 0 && track.emptyStart == 0) {
        return {};
    }
    std::string entries;
    uint32_t count = 0;
    if (track.emptyStart > 0) {
        put32(entries, static_cast<uint32_t>(toMovieScale(track.emptyStart, track.timescale)));
        put32(entries, 0xFFFFFFFFu);  // media time -1: nothing shown
        put32(entries, 0x10000);
        ++count;
    }
    put32(entries, static_cast<uint32_t>(
                       toMovieScale(track.mediaShownEnd() - track.mediaStart, track.timescale)));
    put32(entries, static_cast<uint32_t>(track.mediaStart));
    put32(entries, 0x10000);
    ++count;
    std::string content;
    put32(content, count);
    return atom("edts", fullAtom("elst", 0, content + entries));
}

std::string trackHeader(const ClipTrack& track, uint32_t id)
{
    std::string content;
    put32(content, 0);  // creation
    put32(content, 0);  // modification
    put32(content, id);
    put32(content, 0);
    put32(content, static_cast<uint32_t>(trackMovieDuration(track)));
    put64(content, 0);
    put16(content, 0);                                          // layer
    put16(content, track.kind == ClipTrackKind::Text ? 2 : 0);  // alternate group
    put16(content, track.kind == ClipTrackKind::Audio ? 0x100 : 0);
    put16(content, 0);
    putMatrix(content);
    put32(content, track.kind == ClipTrackKind::Audio ? 0 : track.width);
    put32(content, track.kind == ClipTrackKind::Audio ? 0 : track.height);
    return fullAtom("tkhd", 3, content);  // enabled, in the movie
}

std::string mediaHeader(const ClipTrack& track, uint64_t creation)
{
    const uint64_t duration = static_cast<uint64_t>(std::max<int64_t>(track.mediaDuration(), 0));
    const bool wide = duration > UINT32_MAX || creation > UINT32_MAX;
    std::string content;
    if (wide) {
        put64(content, creation);
        put64(content, creation);
        put32(content, track.timescale);
        put64(content, duration);
    } else {
        put32(content, static_cast<uint32_t>(creation));
        put32(content, static_cast<uint32_t>(creation));
        put32(content, track.timescale);
        put32(content, static_cast<uint32_t>(duration));
    }
    put16(content, track.language);
    put16(content, 0);
    return fullAtom("mdhd", wide ? 1u << 24 : 0, content);
}

std::string handler(const ClipTrack& track)
{
    static const char* const types[] = {"vide", "soun", "sbtl"};
    static const char* const names[] = {"VideoHandler", "SoundHandler", "SubtitleHandler"};
    const auto kind = static_cast<size_t>(track.kind);
    std::string content;
    put32(content, 0);
    content.append(types[kind], 4);
    content.append(12, '\0');
    content.append(names[kind]);
    content.push_back('\0');
    return fullAtom("hdlr", 0, content);
}

std::string mediaInformationHeader(const ClipTrack& track)
{
    std::string content;
    switch (track.kind) {
    case ClipTrackKind::Video:
        put16(content, 0);  // graphics mode: copy
        put16(content, 0);
        put16(content, 0);
        put16(content, 0);
        return fullAtom("vmhd", 1, content);
    case ClipTrackKind::Audio: put32(content, 0); return fullAtom("smhd", 0, content);
    case ClipTrackKind::Text: break;
    }
    return fullAtom("nmhd", 0, content);
}

std::string dataInformation()
{
    std::string content;
    put32(content, 1);
    return atom("dinf", fullAtom("dref", 0, content + fullAtom("url ", 1, {})));
}

std::string trackAtom(const ClipTrack& track, size_t index, const std::vector<Chunk>& chunks,
                      bool wide, uint64_t creation)
{
    const std::string stbl = atom(
        "stbl", track.sampleDescription + timeToSample(track) + compositionOffsets(track) +
                    syncSamples(track) + sampleSizes(track) + chunkTables(chunks, index, wide));
    const std::string minf = atom("minf", mediaInformationHeader(track) + dataInformation() + stbl);
    const std::string mdia = atom("mdia", mediaHeader(track, creation) + handler(track) + minf);
    return atom("trak",
                trackHeader(track, static_cast<uint32_t>(index + 1)) + editList(track) + mdia);
}

std::string movieHeader(const ClipPlan& plan, uint64_t creation)
{
    uint64_t duration = 0;
    for (const ClipTrack& track : plan.tracks) {
        duration = std::max(duration, trackMovieDuration(track));
    }
    std::string content;
    put32(content, static_cast<uint32_t>(creation));
    put32(content, static_cast<uint32_t>(creation));
    put32(content, kMovieScale);
    put32(content, static_cast<uint32_t>(duration));
    put32(content, 0x10000);  // rate 1.0
    put16(content, 0x100);    // volume 1.0
    content.append(10, '\0');
    putMatrix(content);
    content.append(24, '\0');
    put32(content, static_cast<uint32_t>(plan.tracks.size() + 1));
    return fullAtom("mvhd", 0, content);
}

std::string movieAtom(const ClipPlan& plan, const std::vector<Chunk>& chunks, bool wide,
                      uint64_t creation)
{
    std::string traks;
    for (size_t t = 0; t < plan.tracks.size(); ++t) {
        traks += trackAtom(plan.tracks[t], t, chunks, wide, creation);
    }
    return atom("moov", movieHeader(plan, creation) + traks);
}

std::string fileType()
{
    std::string content = "isom";
    put32(content, 0x200);
    content += "isomiso2avc1mp41";
    return atom("ftyp", content);
}

std::string mediaDataHeader(uint64_t payload)
{
    std::string header;
    put32(header, 1);
    header += "mdat";
    put64(header, payload + kMdatHeader);
    return header;
}

struct FileLayout
{
    std::string head;  // ftyp, moov, mdat header
    std::vector<Chunk> chunks;
};

// The index is sized with every offset in place, so it is built twice: once to learn its
// size, once with the offsets after it (the size does not change between the two).
FileLayout layOut(const ClipPlan& plan, uint64_t creation)
{
    const uint64_t payload = mediaBytes(plan);
    const std::string ftyp = fileType();
    const bool wide = payload > UINT32_MAX / 2;
    const std::string draft = movieAtom(plan, layChunks(plan, 0), wide, creation);
    FileLayout layout;
    layout.chunks = layChunks(plan, ftyp.size() + draft.size() + kMdatHeader);
    layout.head = ftyp + movieAtom(plan, layout.chunks, wide, creation) + mediaDataHeader(payload);
    return layout;
}

// ---- the copy -------------------------------------------------------------------------

class SourceFiles
{
public:
    ~SourceFiles()
    {
        for (int fd : m_fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    bool open(const std::vector<std::string>& paths, std::string& error)
    {
        for (const std::string& path : paths) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                error = "cannot open " + path + ": " + std::strerror(errno);
                return false;
            }
            m_fds.push_back(fd);
        }
        m_paths = paths;
        return true;
    }

    bool read(int source, uint64_t offset, char* buffer, size_t n, std::string& error) const
    {
        size_t done = 0;
        while (done < n) {
            const ssize_t got = ::pread(m_fds[static_cast<size_t>(source)], buffer + done, n - done,
                                        static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                error = "cannot read " + m_paths[static_cast<size_t>(source)] + ": " +
                        (got < 0 ? std::strerror(errno) : "the file has become shorter");
                return false;
            }
            done += static_cast<size_t>(got);
        }
        return true;
    }

private:
    std::vector<int> m_fds;
    std::vector<std::string> m_paths;
};

// Copies bytes of a source through the buffer, a buffer's worth at a time.
bool copyRange(int fd, const SourceFiles& sources, int source, uint64_t offset, uint64_t bytes,
               std::vector<char>& buffer, std::string& error)
{
    while (bytes > 0) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(bytes, buffer.size()));
        if (!sources.read(source, offset, buffer.data(), piece, error) ||
            !writeAll(fd, buffer.data(), piece, error)) {
            return false;
        }
        offset += piece;
        bytes -= piece;
    }
    return true;
}

// Copies a chunk's samples, each run of samples that lie one after the other in their
// source as one range.
bool copyChunk(int fd, const ClipTrack& track, const Chunk& chunk, const SourceFiles& sources,
               std::vector<char>& buffer, std::string& error)
{
    size_t i = chunk.first;
    const size_t end = chunk.first + chunk.count;
    while (i < end) {
        const ClipSample& first = track.samples[i];
        if (first.source < 0) {
            const std::string& payload = track.payloads[first.offset];
            if (!writeAll(fd, payload.data(), payload.size(), error)) {
                return false;
            }
            ++i;
            continue;
        }
        uint64_t bytes = first.size;
        size_t j = i + 1;
        while (j < end && track.samples[j].source == first.source &&
               track.samples[j].offset == first.offset + bytes) {
            bytes += track.samples[j++].size;
        }
        if (!copyRange(fd, sources, first.source, first.offset, bytes, buffer, error)) {
            return false;
        }
        i = j;
    }
    return true;
}

}  // namespace

uint64_t mp4FileSize(const ClipPlan& plan)
{
    return layOut(plan, 0).head.size() + mediaBytes(plan);
}

bool writeMp4(int fd, const ClipPlan& plan, const std::vector<std::string>& sources,
              const Mp4Header& header, const CopyControl& control, std::string& error)
{
    SourceFiles files;
    if (!files.open(sources, error)) {
        return false;
    }
    const FileLayout layout = layOut(plan, header.creation);
    if (!writeAll(fd, layout.head.data(), layout.head.size(), error)) {
        return false;
    }
    const double total = static_cast<double>(std::max<uint64_t>(mediaBytes(plan), 1));
    uint64_t done = 0;
    std::vector<char> buffer(kCopyBuffer);
    for (const Chunk& chunk : layout.chunks) {
        if (control.cancelled()) {
            error = "cancelled";
            return false;
        }
        if (!copyChunk(fd, plan.tracks[chunk.track], chunk, files, buffer, error)) {
            return false;
        }
        done += chunk.bytes;
        if (control.progress) {
            control.progress(static_cast<double>(done) / total);
        }
    }
    return true;
}
