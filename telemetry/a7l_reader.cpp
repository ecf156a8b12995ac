#include <array>
#include <vector>

#include "telemetry/atom_walker.h"
#include "telemetry/chip_detect.h"
#include "telemetry/layout_reader.h"
#include "telemetry/nmea_sentence.h"
#include "telemetry/telemetry_table.h"

namespace {

constexpr int kTelemetryTrack = 3;
constexpr size_t kSampleBuffer = 128;  // zero-filled; a longer sample keeps 127 bytes
constexpr uint16_t kKeySampleLength = 11;
constexpr uint32_t kMaxEarlySamples = 20;

using SampleText = std::array<char, kSampleBuffer>;

// The sample of a chunk: 2-byte big-endian length, then the text. False when the length
// or the text cannot be read in full.
bool readChunkSample(BinaryFile& file, uint32_t offset, SampleText& text, uint16_t& length)
{
    unsigned char bytes[2 + kSampleBuffer - 1];
    const size_t got = file.readAt(offset, bytes, sizeof bytes);
    if (got < 2) {
        return false;
    }
    length = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
    const bool complete =
        length < kSampleBuffer ? got >= 2u + length : uint64_t{offset} + 2 + length <= file.size();
    if (!complete) {
        return false;
    }
    text.fill('\0');
    const size_t kept = length < kSampleBuffer ? length : kSampleBuffer - 1;
    std::copy(bytes + 2, bytes + 2 + kept, text.begin());
    text[0] = ' ';  // the first byte of every sample is not part of it
    return true;
}

ReadOutcome readSamples(BinaryFile& file, TelemetryTable& table)
{
    const std::optional<AtomHeader> moov = findChildAtom(file, wholeFile(file), "moov");
    const std::optional<AtomHeader> trak =
        moov ? findNthChild(file, moov->content(), "trak", kTelemetryTrack) : std::nullopt;
    const std::optional<AtomHeader> stco =
        trak ? findPath(file, trak->content(), {"mdia", "minf", "stbl", "stco"}) : std::nullopt;
    if (!stco) {
        return ReadOutcome::empty("no chunk table in the third track");
    }

    // Samples before the key sample wait (at most 20 of them) until the shift is known.
    std::optional<int> shift;
    std::vector<SampleText> early;
    SampleText text;
    forEachChunkOffset(file, *stco, [&](uint32_t j, uint32_t offset) {
        uint16_t length = 0;
        if (!readChunkSample(file, offset, text, length)) {
            return false;
        }
        if (shift) {
            table.parseAssistLine(text.data() + 1, *shift);
        } else if (length == kKeySampleLength) {
            shift = keyDigitSum(std::string_view(text.data() + 1, 8));
            for (SampleText& kept : early) {
                table.parseAssistLine(kept.data() + 1, *shift);
            }
            early.clear();
        } else if (j < kMaxEarlySamples) {
            early.push_back(text);
        }
        return !table.full();
    });
    if (!shift) {
        return ReadOutcome::empty("no key sample");
    }
    return ReadOutcome::read(table.count());
}

// "AMBARELLA A7L" in the user data; the log in the third track's chunks.
bool namesA7l(BinaryFile& movie)
{
    return namesChip(udtaChipText(movie), "AMBARELLA A7L");
}

}  // namespace

const LayoutReader& a7lLayout()
{
    static const FunctionLayout reader(Layout::A7L, namesA7l, readSamples);
    return reader;
}
