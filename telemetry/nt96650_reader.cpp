#include <cstring>
#include <vector>

#include "assist_info_reader.h"
#include "atom_walker.h"
#include "chip_detect.h"
#include "layout_reader.h"
#include "nmea_sentence.h"

namespace {

constexpr uint64_t kBlockSkip = 48;          // block data starts 48 bytes after its position
constexpr size_t kBlockRead = 232;
constexpr size_t kAxesAt = 76;
constexpr size_t kScrambledAt = 88;
constexpr size_t kScrambledSize = 128;
constexpr size_t kSentenceAt = 89;
constexpr size_t kKeyAt = 216;
constexpr int kAxisLimit = 10000;
constexpr uint32_t kGroup = 30;              // one block per 30 video samples
constexpr uint64_t kBlockAlign = 0x8000;
constexpr uint64_t kChunkToBlock = 0x10000;

struct ChosenTrack {
    AtomHeader trak;
    bool second = false;
};

// The second "trak" of the movie, or the first when another child (or the movie's end)
// follows it.
std::optional<ChosenTrack> ChooseTrack(BinaryFile& file, Span moov)
{
    AtomWalker walker(file, moov);
    std::optional<AtomHeader> first;
    int skipped = 0;
    while (const std::optional<AtomHeader> atom = walker.Next()) {
        if (atom->Is("trak")) {
            if (first)
                return ChosenTrack{*atom, true};
            first = atom;
        } else if (first) {
            return ChosenTrack{*first, false};
        } else if (++skipped > kMaxSkippedAtoms) {
            return std::nullopt;
        }
    }
    if (first && !walker.Broken())
        return ChosenTrack{*first, false};
    return std::nullopt;
}

int32_t ReadAxis(const unsigned char* bytes)
{
    return static_cast<int32_t>(LoadLE32(bytes));
}

tagAssistInfo DecodeBlock(unsigned char (&b)[kBlockRead])
{
    const int shift = KeyDigitSum(std::string_view(reinterpret_cast<const char*>(b + kKeyAt), 8));
    for (size_t i = kScrambledAt; i < kScrambledAt + kScrambledSize; ++i) {
        const bool twoLeft = i + 1 < kScrambledAt + kScrambledSize;
        if (twoLeft && b[i] == '\r' && b[i + 1] == '\n')
            break;
        b[i] = static_cast<unsigned char>(b[i] - shift);
    }
    int32_t x = ReadAxis(b + kAxesAt);
    int32_t y = ReadAxis(b + kAxesAt + 4);
    int32_t z = ReadAxis(b + kAxesAt + 8);
    for (int32_t axis : {x, y, z}) {
        if (axis > kAxisLimit || axis < -kAxisLimit) {
            x = y = z = 0;
            break;
        }
    }
    tagAssistInfo sample;
    sample.fX = static_cast<float>(x / 1000.0);
    sample.fY = static_cast<float>(y / 1000.0);
    sample.fZ = static_cast<float>(z / 1000.0);
    // The sentence never runs past the scrambled area.
    const char* text = reinterpret_cast<const char*>(b + kSentenceAt);
    const std::string_view sentence(text, strnlen(text, kKeyAt - kSentenceAt));
    ParseSentence(sentence, sample);
    return sample;
}

// What the video sample sizes give: the size of every 30th sample (index 30k - 1), as
// far as the table reaches, or one uniform size for all.
struct GroupSizes {
    uint32_t uniform = 0;
    uint64_t groups = 0;
    std::vector<uint32_t> sizes;  // empty when uniform

    uint32_t Size(uint64_t group) const { return uniform != 0 ? uniform : sizes[group]; }
};

GroupSizes ReadGroupSizes(BinaryFile& file, const AtomHeader& stsz)
{
    const Span content = stsz.Content();
    unsigned char head[12];  // version and flags, uniform size, sample count
    GroupSizes out;
    if (content.end - content.begin < sizeof head || !file.ReadExact(content.begin, head, sizeof head))
        return out;
    out.uniform = LoadBE32(head + 4);
    const uint32_t count = LoadBE32(head + 8);
    if (out.uniform != 0) {
        // No per-sample list: the chunk table bounds how many groups are read.
        out.groups = count / kGroup;
        return out;
    }
    ForEachBE32(file, content.begin + 12, content.end, count, [&](uint32_t i, uint32_t size) {
        if (i % kGroup == kGroup - 1)
            out.sizes.push_back(size);
        return true;
    });
    out.groups = out.sizes.size();
    return out;
}

ReadOutcome ReadBlocks(BinaryFile& file, CAssistInfoReader& table)
{
    auto readBlock = [&](uint64_t position) {
        unsigned char block[kBlockRead] = {};
        file.ReadAt(position + kBlockSkip, block, sizeof block);
        table.AppendSample(DecodeBlock(block));
        return !table.Full();
    };
    const ReadOutcome noTables = ReadOutcome::Empty("no sample tables");

    const std::optional<AtomHeader> moov = FindChild(file, WholeFile(file), "moov");
    const std::optional<ChosenTrack> track = moov ? ChooseTrack(file, moov->Content()) : std::nullopt;
    const std::optional<AtomHeader> stbl =
        track ? FindPath(file, track->trak.Content(), {"mdia", "minf", "stbl"}) : std::nullopt;
    if (!stbl)
        return noTables;

    if (track->second) {
        const std::optional<AtomHeader> stco = FindChild(file, stbl->Content(), "stco");
        if (!stco)
            return noTables;
        ForEachChunkOffset(file, *stco, [&](uint32_t, uint32_t offset) {
            return readBlock(offset + kChunkToBlock);
        });
        return ReadOutcome::Read(table.GetCount());
    }

    const std::optional<AtomHeader> stsz = FindChild(file, stbl->Content(), "stsz");
    if (!stsz)
        return noTables;
    const GroupSizes sizes = ReadGroupSizes(file, *stsz);
    if (sizes.groups == 0)
        return ReadOutcome::Empty("fewer than 30 video samples");

    // The chunk offset table is the atom right after "stsz", whatever its type.
    AtomWalker after(file, {stsz->NextSibling(), stbl->Content().end});
    const std::optional<AtomHeader> chunks = after.Next();
    if (!chunks)
        return noTables;
    uint64_t block = 0;
    ForEachChunkOffset(file, *chunks, [&](uint32_t i, uint32_t offset) {
        if (i % kGroup != kGroup - 1)
            return true;
        const uint64_t end = uint64_t{offset} + sizes.Size(block);
        return readBlock((end + kBlockAlign - 1) / kBlockAlign * kBlockAlign) &&
               ++block < sizes.groups;
    });
    return ReadOutcome::Read(table.GetCount());
}

// "NT96650A" in the user data; one log block per second beside the video data.
bool NamesNt96650(BinaryFile& movie)
{
    return NamesChip(UdtaChipText(movie), "NT96650A");
}

}  // namespace

const LayoutReader& Nt96650Layout()
{
    static const FunctionLayout reader(Layout::NT96650, NamesNt96650, ReadBlocks);
    return reader;
}

int CAssistInfoReader::ReadNT96650Movie(const std::string& path)
{
    return ReadMovieFile(Nt96650Layout(), path, *this);
}
