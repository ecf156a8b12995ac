#include "repair/reference_layout.h"

#include "repair/aac_frames.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "telemetry/atom_walker.h"
#include "telemetry/sample_table.h"

namespace {

constexpr uint64_t kMaxSampleDescription = 64u << 10;
constexpr uint32_t kMaxTableEntries = 1u << 20;
// A visual sample entry's fixed fields before its child atoms, after the atom header.
constexpr uint64_t kVisualEntryFields = 78;
constexpr uint64_t kVisualSizeAt = 24;  // width and height within those fields

std::vector<unsigned char> readSpan(BinaryFile& file, Span span)
{
    std::vector<unsigned char> bytes(static_cast<size_t>(span.end - span.begin));
    if (!file.readExact(span.begin, bytes.data(), bytes.size())) {
        bytes.clear();
    }
    return bytes;
}

std::string handlerType(BinaryFile& file, Span trak)
{
    const std::optional<AtomHeader> hdlr = findPath(file, trak, {"mdia", "hdlr"});
    char type[4] = {};
    if (!hdlr || hdlr->content().end - hdlr->content().begin < 12 ||
        !file.readExact(hdlr->content().begin + 8, type, 4)) {
        return {};
    }
    return std::string(type, 4);
}

// The most common sample duration of stts, and the sample size of stsz: its uniform size,
// else the mean of its entries.
struct SampleStatistics
{
    uint32_t duration = 0;
    uint32_t uniformSize = 0;
    uint32_t meanSize = 0;
};

SampleStatistics sampleStatistics(BinaryFile& file, Span stbl)
{
    SampleStatistics out;
    if (const std::optional<AtomHeader> stts = findChildAtom(file, stbl, "stts")) {
        std::map<uint32_t, uint64_t> counts;
        uint32_t count = 0;
        const Span content = stts->content();
        const uint32_t entries =
            content.end - content.begin < 8
                ? 0
                : std::min(file.readBE32(content.begin + 4).value_or(0), kMaxTableEntries);
        forEachBE32(file, content.begin + 8, content.end, entries * 2,
                    [&](uint32_t index, uint32_t word) {
                        if (index % 2 == 0) {
                            count = word;
                        } else {
                            counts[word] += count;
                        }
                        return true;
                    });
        const auto most = std::max_element(counts.begin(), counts.end(),
                                           [](auto& a, auto& b) { return a.second < b.second; });
        out.duration = most == counts.end() ? 0 : most->first;
    }
    const std::optional<AtomHeader> stsz = findChildAtom(file, stbl, "stsz");
    if (!stsz || stsz->content().end - stsz->content().begin < 12) {
        return out;
    }
    out.uniformSize = file.readBE32(stsz->content().begin + 4).value_or(0);
    const uint32_t count =
        std::min(file.readBE32(stsz->content().begin + 8).value_or(0), kMaxTableEntries);
    uint64_t total = 0;
    const uint32_t read = forEachBE32(file, stsz->content().begin + 12, stsz->content().end, count,
                                      [&](uint32_t, uint32_t size) {
                                          total += size;
                                          return true;
                                      });
    out.meanSize = read == 0 ? 0 : static_cast<uint32_t>(total / read);
    return out;
}

// The sample description atom and its first entry.
std::optional<AtomHeader> sampleEntry(BinaryFile& file, Span stbl, TrackTemplate& track)
{
    const std::optional<AtomHeader> stsd = findChildAtom(file, stbl, "stsd");
    if (!stsd || stsd->end - stsd->start > kMaxSampleDescription ||
        stsd->content().end - stsd->content().begin < 8) {
        return std::nullopt;
    }
    track.sampleDescription = readSpan(file, {stsd->start, stsd->end});
    // The atom is copied whole, so its size field must say what was read.
    if (track.sampleDescription.size() < 16 || stsd->size != track.sampleDescription.size()) {
        return std::nullopt;
    }
    AtomWalker entries(file, {stsd->content().begin + 8, stsd->content().end});
    return entries.next();
}

// Length size and picture parameter sets from an avcC or hvcC configuration.
bool readAvcConfiguration(const std::vector<unsigned char>& c, ReferenceLayout& layout)
{
    if (c.size() < 7) {
        return false;
    }
    layout.nalRules.lengthSize = (c[4] & 3) + 1;
    size_t at = 5;
    for (int list = 0; list < 2; ++list) {
        if (at >= c.size()) {
            return false;
        }
        const int count = list == 0 ? c[at] & 0x1f : c[at];
        ++at;
        for (int i = 0; i < count; ++i) {
            if (at + 2 > c.size() || at + 2 + (c[at] << 8 | c[at + 1]) > c.size()) {
                return false;
            }
            const size_t size = c[at] << 8 | c[at + 1];
            const unsigned char* nal = c.data() + at + 2;
            if (list == 0 && i == 0) {
                layout.nalRules.order = readPictureOrderRules(nal, size);
            }
            if (list == 1) {
                if (const std::optional<uint32_t> id = pictureSetId(VideoCoding::H264, nal, size)) {
                    layout.nalRules.pictureSets.push_back(*id);
                }
            }
            at += 2 + size;
        }
    }
    return !layout.nalRules.pictureSets.empty();
}

bool readHevcConfiguration(const std::vector<unsigned char>& c, ReferenceLayout& layout)
{
    constexpr size_t kArraysAt = 22;
    if (c.size() <= kArraysAt) {
        return false;
    }
    layout.nalRules.lengthSize = (c[21] & 3) + 1;
    size_t at = kArraysAt + 1;
    for (int array = 0; array < c[kArraysAt]; ++array) {
        if (at + 3 > c.size()) {
            return false;
        }
        const int type = c[at] & 0x3f;
        const int count = c[at + 1] << 8 | c[at + 2];
        at += 3;
        for (int i = 0; i < count; ++i) {
            if (at + 2 > c.size() || at + 2 + (c[at] << 8 | c[at + 1]) > c.size()) {
                return false;
            }
            const size_t size = c[at] << 8 | c[at + 1];
            const unsigned char* nal = c.data() + at + 2;
            if (type == 34) {
                if (const std::optional<uint32_t> id = pictureSetId(VideoCoding::H265, nal, size)) {
                    layout.nalRules.pictureSets.push_back(*id);
                }
            }
            at += 2 + size;
        }
    }
    return !layout.nalRules.pictureSets.empty();
}

bool readVideoEntry(BinaryFile& file, const AtomHeader& entry, ReferenceLayout& layout)
{
    const bool avc = entry.is("avc1") || entry.is("avc3");
    const bool hevc = entry.is("hvc1") || entry.is("hev1");
    const Span content = entry.content();
    if ((!avc && !hevc) || content.end - content.begin < kVisualEntryFields) {
        return false;
    }
    unsigned char size[4];
    if (!file.readExact(content.begin + kVisualSizeAt, size, 4)) {
        return false;
    }
    layout.video.width = static_cast<uint16_t>(size[0] << 8 | size[1]);
    layout.video.height = static_cast<uint16_t>(size[2] << 8 | size[3]);
    layout.nalRules.coding = avc ? VideoCoding::H264 : VideoCoding::H265;
    if (avc) {
        layout.nalRules.maxMacroblocks =
            uint32_t{(layout.video.width + 15u) / 16} * ((layout.video.height + 15u) / 16);
    }
    const std::optional<AtomHeader> config = findChildAtom(
        file, {content.begin + kVisualEntryFields, content.end}, avc ? "avcC" : "hvcC");
    if (!config) {
        return false;
    }
    layout.videoConfig = readSpan(file, config->content());
    return avc ? readAvcConfiguration(layout.videoConfig, layout)
               : readHevcConfiguration(layout.videoConfig, layout);
}

bool readTrack(BinaryFile& file, Span trak, TrackTemplate& track, SampleStatistics& statistics,
               std::optional<AtomHeader>& entry)
{
    const std::optional<AtomHeader> stbl = findPath(file, trak, {"mdia", "minf", "stbl"});
    track.timescale = readMediaTimescale(file, trak);
    if (!stbl || track.timescale == 0) {
        return false;
    }
    statistics = sampleStatistics(file, stbl->content());
    track.sampleDuration = statistics.duration;
    entry = sampleEntry(file, stbl->content(), track);
    return entry && track.sampleDuration != 0;
}

// The AudioSpecificConfig of an mp4a entry's esds, directly inside it or in a QuickTime
// `wave` atom.
std::vector<unsigned char> aacConfiguration(BinaryFile& file, const AtomHeader& entry)
{
    constexpr uint64_t kSoundEntryFields = 28;
    constexpr uint64_t kExtraFields[] = {0, 16, 36};  // by the QuickTime sound version
    const Span content = entry.content();
    unsigned char version[2];
    if (content.end - content.begin < kSoundEntryFields ||
        !file.readExact(content.begin + 8, version, 2) || version[0] != 0 || version[1] > 2) {
        return {};
    }
    const Span children{content.begin + kSoundEntryFields + kExtraFields[version[1]], content.end};
    if (children.begin >= children.end) {
        return {};
    }
    std::optional<AtomHeader> esds = findChildAtom(file, children, "esds");
    if (!esds) {
        esds = findPath(file, children, {"wave", "esds"});
    }
    if (!esds || esds->content().end - esds->content().begin < 4) {
        return {};
    }
    const std::vector<unsigned char> bytes = readSpan(file, esds->content());
    return bytes.size() < 4 ? bytes : audioSpecificConfig(bytes.data() + 4, bytes.size() - 4);
}

void readAudioTrack(BinaryFile& file, Span trak, ReferenceLayout& layout)
{
    SampleStatistics statistics;
    std::optional<AtomHeader> entry;
    if (!readTrack(file, trak, layout.audio, statistics, entry)) {
        return;
    }
    if (statistics.uniformSize != 0) {
        layout.audioFraming = AudioFraming::Fixed;
        layout.audioSampleSize = statistics.uniformSize;
    } else if (entry->is("mp4a") && statistics.meanSize != 0) {
        layout.audioConfig = aacConfiguration(file, *entry);
        if (!layout.audioConfig.empty()) {
            layout.audioFraming = AudioFraming::Aac;
            layout.audioSampleSize = statistics.meanSize;
        }
    }
}

}  // namespace

std::optional<ReferenceLayout> readReferenceLayout(const std::string& path, std::string& reason)
{
    BinaryFile file;
    if (!file.open(path)) {
        reason = path + ": " + file.failure();
        return std::nullopt;
    }
    const std::optional<AtomHeader> moov = findChildAtom(file, wholeFile(file), "moov");
    if (!moov) {
        reason = path + ": no index (moov) to learn the tracks from";
        return std::nullopt;
    }
    ReferenceLayout layout;
    bool video = false;
    AtomWalker walker(file, moov->content());
    for (int seen = 0; seen < kMaxSkippedAtoms; ++seen) {
        const std::optional<AtomHeader> atom = walker.next();
        if (!atom) {
            break;
        }
        if (!atom->is("trak")) {
            continue;
        }
        const std::string handler = handlerType(file, atom->content());
        if (handler == "vide" && !video) {
            SampleStatistics statistics;
            std::optional<AtomHeader> entry;
            video = readTrack(file, atom->content(), layout.video, statistics, entry) &&
                    readVideoEntry(file, *entry, layout);
        } else if (handler == "soun" && layout.audioFraming == AudioFraming::None) {
            readAudioTrack(file, atom->content(), layout);
        }
    }
    if (!video) {
        reason = path + ": no H.264 or H.265 video track with its configuration";
        return std::nullopt;
    }
    return layout;
}
