#include <cstring>
#include <vector>

#include "telemetry/atom_walker.h"
#include "telemetry/chip_detect.h"
#include "telemetry/layout_reader.h"
#include "telemetry/nmea_sentence.h"
#include "telemetry/telemetry_table.h"

namespace {

constexpr uint64_t kBlockSkip = 48;  // block data starts 48 bytes after its position
constexpr size_t kBlockRead = 232;
constexpr size_t kAxesAt = 76;
constexpr size_t kScrambledAt = 88;
constexpr size_t kScrambledSize = 128;
constexpr size_t kSentenceAt = 89;
constexpr size_t kKeyAt = 216;
constexpr int kAxisLimit = 10000;
constexpr uint32_t kGroup = 30;  // one block per 30 video samples
constexpr uint64_t kBlockAlign = 0x8000;
constexpr uint64_t kChunkToBlock = 0x10000;

struct ChosenTrack
{
    AtomHeader trak;
    bool second = false;
};

// The second "trak" of the movie, or the first when another child (or the movie's end)
// follows it.
std::optional<ChosenTrack> chooseTrack(BinaryFile& file, Span moov)
{
    AtomWalker walker(file, moov);
    std::optional<AtomHeader> first;
    int skipped = 0;
    while (const std::optional<AtomHeader> atom = walker.next()) {
        if (atom->is("trak")) {
            if (first) {
                return ChosenTrack{*atom, true};
            }
            first = atom;
        } else if (first) {
            return ChosenTrack{*first, false};
        } else if (++skipped > kMaxSkippedAtoms) {
            return std::nullopt;
        }
    }
    if (first && !walker.broken()) {
        return ChosenTrack{*first, false};
    }
    return std::nullopt;
}

int32_t readAxis(const unsigned char* bytes)
{
    return static_cast<int32_t>(loadLE32(bytes));
}

TelemetryEntry decodeBlock(unsigned char (&b)[kBlockRead])
{
    const int shift = keyDigitSum(std::string_view(reinterpret_cast<const char*>(b + kKeyAt), 8));
    for (size_t i = kScrambledAt; i < kScrambledAt + kScrambledSize; ++i) {
        const bool twoLeft = i + 1 < kScrambledAt + kScrambledSize;
        if (twoLeft && b[i] == '\r' && b[i + 1] == '\n') {
            break;
        }
        b[i] = static_cast<unsigned char>(b[i] - shift);
    }
    int32_t x = readAxis(b + kAxesAt);
    int32_t y = readAxis(b + kAxesAt + 4);
    int32_t z = readAxis(b + kAxesAt + 8);
    for (int32_t axis : {x, y, z}) {
        if (axis > kAxisLimit || axis < -kAxisLimit) {
            x = y = z = 0;
            break;
        }
    }
    TelemetryEntry sample;
    sample.gX = static_cast<float>(x / 1000.0);
    sample.gY = static_cast<float>(y / 1000.0);
    sample.gZ = static_cast<float>(z / 1000.0);
    // The sentence never runs past the scrambled area.
    const char* text = reinterpret_cast<const char*>(b + kSentenceAt);
    const std::string_view sentence(text, strnlen(text, kKeyAt - kSentenceAt));
    parseSentence(sentence, sample);
    return sample;
}

// What the video sample sizes give: the size of every 30th sample (index 30k - 1), as
// far as the table reaches, or one uniform size for all.
struct GroupSizes
{
    uint32_t uniform = 0;
    uint64_t groups = 0;
    std::vector<uint32_t> sizes;  // empty when uniform

    uint32_t size(uint64_t group) const { return uniform != 0 ? uniform : sizes[group]; }
};

GroupSizes readGroupSizes(BinaryFile& file, const AtomHeader& stsz)
{
    const Span content = stsz.content();
    unsigned char head[12];  // version and flags, uniform size, sample count
    GroupSizes out;
    if (content.end - content.begin < sizeof head ||
        !file.readExact(content.begin, head, sizeof head)) {
        return out;
    }
    out.uniform = loadBE32(head + 4);
    const uint32_t count = loadBE32(head + 8);
    if (out.uniform != 0) {
        // No per-sample list: the chunk table bounds how many groups are read.
        out.groups = count / kGroup;
        return out;
    }
    forEachBE32(file, content.begin + 12, content.end, count, [&](uint32_t i, uint32_t size) {
        if (i % kGroup == kGroup - 1) {
            out.sizes.push_back(size);
        }
        return true;
    });
    out.groups = out.sizes.size();
    return out;
}

ReadOutcome readBlocks(BinaryFile& file, TelemetryTable& table)
{
    auto readBlock = [&](uint64_t position) {
        unsigned char block[kBlockRead] = {};
        file.readAt(position + kBlockSkip, block, sizeof block);
        table.appendSample(decodeBlock(block));
        return !table.full();
    };
    const ReadOutcome noTables = ReadOutcome::empty("no sample tables");

    const std::optional<AtomHeader> moov = findChildAtom(file, wholeFile(file), "moov");
    const std::optional<ChosenTrack> track =
        moov ? chooseTrack(file, moov->content()) : std::nullopt;
    const std::optional<AtomHeader> stbl =
        track ? findPath(file, track->trak.content(), {"mdia", "minf", "stbl"}) : std::nullopt;
    if (!stbl) {
        return noTables;
    }

    if (track->second) {
        const std::optional<AtomHeader> stco = findChildAtom(file, stbl->content(), "stco");
        if (!stco) {
            return noTables;
        }
        forEachChunkOffset(file, *stco, [&](uint32_t, uint32_t offset) {
            return readBlock(offset + kChunkToBlock);
        });
        return ReadOutcome::read(table.count());
    }

    const std::optional<AtomHeader> stsz = findChildAtom(file, stbl->content(), "stsz");
    if (!stsz) {
        return noTables;
    }
    const GroupSizes sizes = readGroupSizes(file, *stsz);
    if (sizes.groups == 0) {
        return ReadOutcome::empty("fewer than 30 video samples");
    }

    // The chunk offset table is the atom right after "stsz", whatever its type.
    AtomWalker after(file, {stsz->nextSibling(), stbl->content().end});
    const std::optional<AtomHeader> chunks = after.next();
    if (!chunks) {
        return noTables;
    }
    uint64_t block = 0;
    forEachChunkOffset(file, *chunks, [&](uint32_t i, uint32_t offset) {
        if (i % kGroup != kGroup - 1) {
            return true;
        }
        const uint64_t end = uint64_t{offset} + sizes.size(block);
        return readBlock((end + kBlockAlign - 1) / kBlockAlign * kBlockAlign) &&
               ++block < sizes.groups;
    });
    return ReadOutcome::read(table.count());
}

// "NT96650A" in the user data; one log block per second beside the video data.
bool namesNt96650(BinaryFile& movie)
{
    return namesChip(udtaChipText(movie), "NT96650A");
}

}  // namespace

const LayoutReader& nt96650Layout()
{
    // Its log is not dated: a movie without a creation time takes the file's last write.
    constexpr bool timeFromLastWrite = true;
    static const FunctionLayout reader(Layout::NT96650, namesNt96650, readBlocks,
                                       timeFromLastWrite);
    return reader;
}
