#include <cstring>
#include <vector>

#include "telemetry/atom_walker.h"
#include "telemetry/chip_detect.h"
#include "telemetry/layout_reader.h"
#include "telemetry/nmea_sentence.h"
#include "telemetry/telemetry_table.h"

namespace {

constexpr uint64_t kHeaderSize = 8;
constexpr size_t kMarkerHeader = 16;
constexpr size_t kRecordSize = 132;
constexpr size_t kTextSize = 126;
constexpr size_t kRecordsPerRead = 256;

// Content position of the telemetry atom: the fourth top-level atom, or the fifth when
// the fourth is "free". Nothing when the walk breaks or an atom passes the file's end.
std::optional<uint64_t> telemetryStart(BinaryFile& file)
{
    AtomWalker walker(file, wholeFile(file));
    std::optional<AtomHeader> atom;
    for (int i = 0; i < 4; ++i) {
        atom = walker.next();
        if (!atom || atom->nextSibling() > file.size()) {
            return std::nullopt;
        }
    }
    if (atom->is("free")) {
        return atom->nextSibling() + kHeaderSize;  // the log atom's plain header is not read
    }
    return atom->content().begin;
}

int16_t unshift16(const unsigned char* bytes, int shift)
{
    const auto stored = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    return static_cast<int16_t>(static_cast<uint16_t>(stored - shift));
}

TelemetryEntry decodeRecord(const unsigned char* record, int shift)
{
    TelemetryEntry sample;
    sample.gX = static_cast<float>(unshift16(record, shift) / 1000.0);
    sample.gY = static_cast<float>(unshift16(record + 2, shift) / 1000.0);
    sample.gZ = static_cast<float>(unshift16(record + 4, shift) / 1000.0);
    char text[kTextSize];
    for (size_t i = 0; i < kTextSize; ++i) {
        text[i] = static_cast<char>(record[6 + i] - shift);
    }
    const std::string_view sentence(text, strnlen(text, kTextSize));
    parseGPRMC(sentence, sample.position, sample.speedKmh, sample.course);
    sample.utcMs = rmcUtcMs(sentence);
    return sample;
}

ReadOutcome readRecords(BinaryFile& file, TelemetryTable& table)
{
    const std::optional<uint64_t> start = telemetryStart(file);
    unsigned char header[kMarkerHeader];
    if (!start || !file.readExact(*start, header, sizeof header)) {
        return ReadOutcome::empty("no telemetry atom");
    }
    if (std::memcmp(header, "vorlan1", 7) != 0) {
        return ReadOutcome::empty("no vorlan1 marker");
    }
    const int shift = keyByteSum(header + 7) % 256;

    std::vector<unsigned char> records(kRecordSize * kRecordsPerRead);
    uint64_t position = *start + kMarkerHeader;
    for (;;) {
        const size_t got = file.readAt(position, records.data(), records.size());
        const size_t whole = got / kRecordSize;
        for (size_t i = 0; i < whole; ++i) {
            table.appendSample(decodeRecord(records.data() + i * kRecordSize, shift));
        }
        if (got < records.size() || table.full()) {
            break;
        }
        position += got;
    }
    return ReadOutcome::read(table.count());
}

}  // namespace

const LayoutReader& icatLayout()
{
    // The chip name at the file's end; the log in the fourth or fifth top-level atom.
    static const FunctionLayout reader(Layout::ICat, endsWithIcatName, readRecords);
    return reader;
}
