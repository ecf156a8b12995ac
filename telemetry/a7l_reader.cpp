#include <array>
#include <vector>

#include "assist_info_reader.h"
#include "atom_walker.h"
#include "chip_detect.h"
#include "layout_reader.h"
#include "nmea_sentence.h"

namespace {

constexpr int kTelemetryTrack = 3;
constexpr size_t kSampleBuffer = 128;  // zero-filled; a longer sample keeps 127 bytes
constexpr uint16_t kKeySampleLength = 11;
constexpr uint32_t kMaxEarlySamples = 20;

using SampleText = std::array<char, kSampleBuffer>;

// The sample of a chunk: 2-byte big-endian length, then the text. False when the length
// or the text cannot be read in full.
bool ReadChunkSample(BinaryFile& file, uint32_t offset, SampleText& text, uint16_t& length)
{
    unsigned char bytes[2 + kSampleBuffer - 1];
    const size_t got = file.ReadAt(offset, bytes, sizeof bytes);
    if (got < 2)
        return false;
    length = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
    const bool complete = length < kSampleBuffer ? got >= 2u + length
                                                 : uint64_t{offset} + 2 + length <= file.Size();
    if (!complete)
        return false;
    text.fill('\0');
    const size_t kept = length < kSampleBuffer ? length : kSampleBuffer - 1;
    std::copy(bytes + 2, bytes + 2 + kept, text.begin());
    text[0] = ' ';  // the first byte of every sample is not part of it
    return true;
}

ReadOutcome ReadSamples(BinaryFile& file, CAssistInfoReader& table)
{
    const std::optional<AtomHeader> moov = FindChild(file, WholeFile(file), "moov");
    const std::optional<AtomHeader> trak =
        moov ? FindNthChild(file, moov->Content(), "trak", kTelemetryTrack) : std::nullopt;
    const std::optional<AtomHeader> stco =
        trak ? FindPath(file, trak->Content(), {"mdia", "minf", "stbl", "stco"}) : std::nullopt;
    if (!stco)
        return ReadOutcome::Empty("no chunk table in the third track");

    // Samples before the key sample wait (at most 20 of them) until the shift is known.
    std::optional<int> shift;
    std::vector<SampleText> early;
    SampleText text;
    ForEachChunkOffset(file, *stco, [&](uint32_t j, uint32_t offset) {
        uint16_t length = 0;
        if (!ReadChunkSample(file, offset, text, length))
            return false;
        if (shift) {
            table.ParseAssistLine(text.data() + 1, *shift);
        } else if (length == kKeySampleLength) {
            shift = KeyDigitSum(std::string_view(text.data() + 1, 8));
            for (SampleText& kept : early)
                table.ParseAssistLine(kept.data() + 1, *shift);
            early.clear();
        } else if (j < kMaxEarlySamples) {
            early.push_back(text);
        }
        return !table.Full();
    });
    if (!shift)
        return ReadOutcome::Empty("no key sample");
    return ReadOutcome::Read(table.GetCount());
}

// "AMBARELLA A7L" in the user data; the log in the third track's chunks.
bool NamesA7l(BinaryFile& movie)
{
    return NamesChip(UdtaChipText(movie), "AMBARELLA A7L");
}

}  // namespace

const LayoutReader& A7lLayout()
{
    static const FunctionLayout reader(Layout::A7L, NamesA7l, ReadSamples);
    return reader;
}

int CAssistInfoReader::ReadA7LMovie(const std::string& path)
{
    return ReadMovieFile(A7lLayout(), path, *this);
}
