#include <cstring>
#include <vector>

#include "assist_info_reader.h"
#include "atom_walker.h"
#include "chip_detect.h"
#include "layout_reader.h"
#include "nmea_sentence.h"

namespace {

constexpr uint64_t kHeaderSize = 8;
constexpr size_t kMarkerHeader = 16;
constexpr size_t kRecordSize = 132;
constexpr size_t kTextSize = 126;
constexpr size_t kRecordsPerRead = 256;

// Content position of the telemetry atom: the fourth top-level atom, or the fifth when
// the fourth is "free". Nothing when a size is below 8 or the atoms pass the file's end.
std::optional<uint64_t> TelemetryStart(BinaryFile& file)
{
    uint64_t position = 0;
    uint32_t size = 0;
    for (int atom = 0; atom < 4; ++atom) {
        const std::optional<uint32_t> field = file.ReadBE32(position);
        if (!field || *field < kHeaderSize || position + *field > file.Size())
            return std::nullopt;
        size = *field;
        if (atom < 3)
            position += size;
    }
    char type[4];
    if (!file.ReadExact(position + 4, type, sizeof type))
        return std::nullopt;
    if (std::memcmp(type, "free", 4) == 0)
        return position + size + kHeaderSize;
    return position + kHeaderSize;
}

int16_t Unshift16(const unsigned char* bytes, int shift)
{
    const auto stored = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    return static_cast<int16_t>(static_cast<uint16_t>(stored - shift));
}

tagAssistInfo DecodeRecord(const unsigned char* record, int shift)
{
    tagAssistInfo sample;
    sample.fX = static_cast<float>(Unshift16(record, shift) / 1000.0);
    sample.fY = static_cast<float>(Unshift16(record + 2, shift) / 1000.0);
    sample.fZ = static_cast<float>(Unshift16(record + 4, shift) / 1000.0);
    char text[kTextSize];
    for (size_t i = 0; i < kTextSize; ++i)
        text[i] = static_cast<char>(record[6 + i] - shift);
    const std::string_view sentence(text, strnlen(text, kTextSize));
    ParseGPRMC(sentence, sample.strLongitude, sample.strLatitude, sample.nSpeed, sample.dCourse);
    sample.utcMs = RmcUtcMs(sentence);
    return sample;
}

ReadOutcome ReadRecords(BinaryFile& file, CAssistInfoReader& table)
{
    const std::optional<uint64_t> start = TelemetryStart(file);
    unsigned char header[kMarkerHeader];
    if (!start || !file.ReadExact(*start, header, sizeof header))
        return ReadOutcome::Empty("no telemetry atom");
    if (std::memcmp(header, "vorlan1", 7) != 0)
        return ReadOutcome::Empty("no vorlan1 marker");
    const int shift = KeyByteSum(header + 7) % 256;

    std::vector<unsigned char> records(kRecordSize * kRecordsPerRead);
    uint64_t position = *start + kMarkerHeader;
    for (;;) {
        const size_t got = file.ReadAt(position, records.data(), records.size());
        const size_t whole = got / kRecordSize;
        for (size_t i = 0; i < whole; ++i)
            table.AppendSample(DecodeRecord(records.data() + i * kRecordSize, shift));
        if (got < records.size() || table.Full())
            break;
        position += got;
    }
    return ReadOutcome::Read(table.GetCount());
}

}  // namespace

const LayoutReader& IcatLayout()
{
    // The chip name at the file's end; the log in the fourth or fifth top-level atom.
    static const FunctionLayout reader(Layout::ICat, EndsWithIcatName, ReadRecords);
    return reader;
}

int CAssistInfoReader::ReadICatMovie(const std::string& path)
{
    return ReadMovieFile(IcatLayout(), path, *this);
}
