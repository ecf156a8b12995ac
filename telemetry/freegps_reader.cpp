#include "telemetry/freegps_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "telemetry/nmea_box_reader.h"

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kTag = "freeGPS ";
constexpr uint64_t kTagOffset = 4;
constexpr size_t kBlockHeader = 12;
// Shortest block with a record (the common record ends at 92).
constexpr size_t kMinRecordBlock = 92;
// The binary records and usually the sentences end before this; sentence records without
// a whole RMC sentence in it are read further.
constexpr size_t kFirstRead = 512;
constexpr size_t kSentenceRead = 4096;
constexpr uint64_t kBoundary = 0x8000;
constexpr uint64_t kDetectSpan = 1024 * 1024;
constexpr uint32_t kIndexProbeEntries = 8;
constexpr size_t kScanChunk = 1024 * 1024;

constexpr double kKnotsToKmh = 1.852;
constexpr double kAccelPerG = 256.0;

// Field positions of the sentence record.
constexpr size_t kCameraTime = 52;
constexpr size_t kCameraTimeDigits = 14;
constexpr size_t kSentenceAccel = 68;
// Where the binary records' int32 hour field lies; the other fields follow it.
constexpr size_t kEarlyTime = 16;
constexpr size_t kCommonTime = 48;
constexpr size_t kStatusAfterTime = 24;
constexpr size_t kFloatsAfterTime = 28;
constexpr size_t kAccelAfterTime = 44;
// Latitude and longitude repeated as doubles by some cameras of the common record.
constexpr size_t kDoubleLatitude = 112;
constexpr size_t kDoubleLongitude = 128;
constexpr double kDoubleAgreement = 0.001;
// A record without accelerations counts 1 to 6 in six int16 there.
constexpr std::string_view kNoAccelCount = "\1\0\2\0\3\0\4\0\5\0\6\0"sv;
constexpr std::string_view kNoAccelZero = "\0\0\0\0\0\0\0\0\0\0\0\0"sv;

enum class Shape { Sentences, Early, Common, Unknown };

const unsigned char* bytesAt(std::string_view block, size_t at)
{
    return reinterpret_cast<const unsigned char*>(block.data()) + at;
}

int32_t int32(std::string_view block, size_t at)
{
    return static_cast<int32_t>(loadLE32(bytesAt(block, at)));
}

double float32(std::string_view block, size_t at)
{
    const uint32_t bits = loadLE32(bytesAt(block, at));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double float64(std::string_view block, size_t at)
{
    const uint64_t bits =
        uint64_t{loadLE32(bytesAt(block, at + 4))} << 32 | loadLE32(bytesAt(block, at));
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// DDDMM.mmmm to degrees, the sign kept.
double ddmmToDegrees(double value)
{
    const double degrees = std::trunc(value / 100.0);
    return degrees + (value - degrees * 100.0) / 60.0;
}

bool isDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// 'A' with both hemisphere letters, or 'V' (a void record may leave the letters out).
bool statusAt(std::string_view block, size_t at)
{
    if (at + 3 > block.size()) {
        return false;
    }
    if (block[at] == 'V') {
        return true;
    }
    return block[at] == 'A' && (block[at + 1] == 'N' || block[at + 1] == 'S') &&
           (block[at + 2] == 'E' || block[at + 2] == 'W');
}

Shape classify(std::string_view block)
{
    if (block.size() < kMinRecordBlock) {
        return Shape::Unknown;
    }
    if (isDigits(block.substr(kCameraTime, kCameraTimeDigits))) {
        return Shape::Sentences;
    }
    if (block.substr(kEarlyTime + kStatusAfterTime - 3, 3) == "\0\0\0"sv &&
        statusAt(block, kEarlyTime + kStatusAfterTime)) {
        return Shape::Early;
    }
    if (statusAt(block, kCommonTime + kStatusAfterTime)) {
        return Shape::Common;
    }
    return Shape::Unknown;
}

TimedAcceleration accelerationAt(std::string_view block, size_t at, double seconds)
{
    return {seconds, int32(block, at) / kAccelPerG, int32(block, at + 4) / kAccelPerG,
            int32(block, at + 8) / kAccelPerG};
}

struct BlockRecord
{
    std::optional<TimedFix> fix;
    std::optional<TimedAcceleration> acceleration;
};

// The common and the early record: see the header.
BlockRecord decodeBinary(std::string_view block, size_t time, double seconds)
{
    const bool early = time == kEarlyTime;
    const size_t status = time + kStatusAfterTime;
    const size_t floats = time + kFloatsAfterTime;
    double latitude = float32(block, floats);
    double longitude = float32(block, floats + 4);
    if (!early && block.size() >= kDoubleLongitude + 8) {
        const double latitude2 = float64(block, kDoubleLatitude);
        const double longitude2 = float64(block, kDoubleLongitude);
        if (std::fabs(latitude2 - latitude) < kDoubleAgreement &&
            std::fabs(longitude2 - longitude) < kDoubleAgreement) {
            latitude = latitude2;
            longitude = longitude2;
        }
    }
    TimedFix fix;
    fix.videoSeconds = seconds;
    fix.speedKmh = float32(block, floats + 8) * kKnotsToKmh;
    fix.course = float32(block, floats + 12);
    fix.valid = block[status] == 'A';
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || !std::isfinite(fix.speedKmh) ||
        !std::isfinite(fix.course)) {
        fix.valid = false;
        latitude = longitude = fix.speedKmh = fix.course = 0.0;
    }
    fix.latitude = ddmmToDegrees(latitude) * (block[status + 1] == 'S' ? -1.0 : 1.0);
    fix.longitude = ddmmToDegrees(longitude) * (block[status + 2] == 'W' ? -1.0 : 1.0);
    // Years from 2000; a full year in the early record is the camera's local time.
    const int year = int32(block, time + 12);
    if (year < 2000 || !early) {
        fix.utcMs = utcMilliseconds(year < 2000 ? year + 2000 : year, int32(block, time + 16),
                                    int32(block, time + 20), int32(block, time),
                                    int32(block, time + 4), int32(block, time + 8));
    }
    BlockRecord record{fix, std::nullopt};
    const std::string_view accel = block.substr(time + kAccelAfterTime, 12);
    if (early && accel != kNoAccelZero && accel != kNoAccelCount) {
        record.acceleration = accelerationAt(block, time + kAccelAfterTime, seconds);
    }
    return record;
}

// The text up to the first CR, LF or NUL.
std::string_view upToLineEnd(std::string_view text)
{
    size_t end = 0;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != '\0') {
        ++end;
    }
    return text.substr(0, end);
}

bool hasWholeRmc(std::string_view block)
{
    const size_t rmc = block.find("RMC,");
    return rmc != std::string_view::npos &&
           upToLineEnd(block.substr(rmc)).size() < block.size() - rmc;
}

// The first "$..RMC" sentence of the block, or its first "$..GGA".
std::optional<TimedFix> firstSentenceFix(std::string_view block)
{
    std::optional<TimedFix> gga;
    for (size_t at = block.find('$'); at != std::string_view::npos; at = block.find('$', at + 1)) {
        const std::string_view sentence = upToLineEnd(block.substr(at));
        if (sentence.size() < 7) {
            continue;
        }
        const std::string_view type = sentence.substr(3, 3);
        if (type == "RMC") {
            if (std::optional<TimedFix> fix = fixFromSentence(sentence)) {
                return fix;
            }
        } else if (type == "GGA" && !gga) {
            gga = fixFromSentence(sentence);
        }
    }
    return gga;
}

BlockRecord decodeSentences(std::string_view block, double seconds)
{
    BlockRecord record;
    record.fix = firstSentenceFix(block);
    if (!record.fix) {
        return record;
    }
    record.fix->videoSeconds = seconds;
    // The accelerations are only meaningful beside a position.
    if (record.fix->valid) {
        record.acceleration = accelerationAt(block, kSentenceAccel, seconds);
    }
    return record;
}

// Gathers the decoded blocks in order; block k is second k.
class Collector
{
public:
    explicit Collector(BinaryFile& file) : m_file(file) {}

    // The block whose size field is at position and claims size, unless it is no freeGPS
    // block or starts inside the bytes read of the previous one.
    void add(uint64_t position, uint64_t size)
    {
        if (position < m_nextFree || size < kBlockHeader) {
            return;
        }
        if (!read(position, size, kFirstRead) ||
            m_buffer.compare(kTagOffset, kTag.size(), kTag) != 0) {
            return;
        }
        const Shape shape = classify(m_buffer);
        if (shape == Shape::Sentences && size > m_buffer.size() && !hasWholeRmc(m_buffer)) {
            read(position, size, kSentenceRead);
        }
        // The next block starts after the bytes read: a tag inside them is no block, and
        // a wrong size field does not hide the blocks after it.
        m_nextFree = position + m_buffer.size();
        decode(shape, static_cast<double>(m_blocks++));
    }

    int blocks() const { return m_blocks; }
    int known() const { return m_known; }
    TimedTrack take() { return std::move(m_track); }

private:
    bool read(uint64_t position, uint64_t size, size_t limit)
    {
        m_buffer.resize(static_cast<size_t>(std::min<uint64_t>(size, limit)));
        m_buffer.resize(m_file.readAt(position, m_buffer.data(), m_buffer.size()));
        return m_buffer.size() >= kBlockHeader;
    }

    void decode(Shape shape, double seconds)
    {
        BlockRecord record;
        switch (shape) {
        case Shape::Sentences: record = decodeSentences(m_buffer, seconds); break;
        case Shape::Early: record = decodeBinary(m_buffer, kEarlyTime, seconds); break;
        case Shape::Common: record = decodeBinary(m_buffer, kCommonTime, seconds); break;
        case Shape::Unknown: break;
        }
        if (record.fix) {
            ++m_known;
            m_track.fixes.push_back(*record.fix);
        }
        if (record.acceleration) {
            m_track.accelerations.push_back(*record.acceleration);
        }
    }

    BinaryFile& m_file;
    std::string m_buffer;
    TimedTrack m_track;
    uint64_t m_nextFree = 0;
    int m_blocks = 0;
    int m_known = 0;
};

std::optional<AtomHeader> findIndex(BinaryFile& file)
{
    return findPath(file, wholeFile(file), {"moov", "gps "});
}

// Calls visit(position, size) for the index entries, at most maxEntries and as far as the
// atom reaches; visit returns false to stop.
template <class Visit>
void forEachIndexEntry(BinaryFile& file, const AtomHeader& index, uint64_t maxEntries,
                       Visit&& visit)
{
    const Span content = index.content();
    if (content.end - content.begin < 8) {
        return;
    }
    const std::optional<uint32_t> count = file.readBE32(content.begin + 4);
    if (!count) {
        return;
    }
    const uint64_t entries = std::min<uint64_t>(*count, maxEntries);
    const uint64_t words = std::min<uint64_t>(entries * 2, (content.end - content.begin - 8) / 4);
    uint64_t position = 0;
    forEachBE32(file, content.begin + 8, content.end, static_cast<uint32_t>(words),
                [&](uint32_t word, uint32_t value) {
                    if (word % 2 == 0) {
                        position = value;
                        return true;
                    }
                    return visit(position, value);
                });
}

bool isBlockAt(BinaryFile& file, uint64_t position)
{
    char header[kBlockHeader];
    return file.readExact(position, header, sizeof header) &&
           std::string_view(header + kTagOffset, kTag.size()) == kTag;
}

bool indexPointsAtBlock(BinaryFile& file, const AtomHeader& index)
{
    bool found = false;
    forEachIndexEntry(file, index, kIndexProbeEntries, [&](uint64_t position, uint32_t) {
        found = isBlockAt(file, position);
        return !found;
    });
    return found;
}

bool blockNearMediaStart(BinaryFile& file)
{
    const std::optional<AtomHeader> mdat = findChildAtom(file, wholeFile(file), "mdat");
    if (!mdat) {
        return false;
    }
    const Span content = mdat->content();
    const uint64_t end = std::min(content.end, content.begin + kDetectSpan);
    for (uint64_t at = (content.begin + kBoundary - 1) / kBoundary * kBoundary;
         at + kBlockHeader <= end; at += kBoundary) {
        if (isBlockAt(file, at)) {
            return true;
        }
    }
    return false;
}

void addIndexedBlocks(BinaryFile& file, const AtomHeader& index, Collector& blocks)
{
    // Each entry read lies at least a block header after the previous one, so the reads
    // stay proportional to the file's size whatever the count says.
    uint64_t next = 0;
    forEachIndexEntry(file, index, UINT32_MAX, [&](uint64_t position, uint32_t size) {
        if (position >= next && position + kBlockHeader <= file.size()) {
            next = position + kBlockHeader;
            blocks.add(position, size);
        }
        return true;
    });
}

// Every "freeGPS " tag in the span, in file order, at any alignment.
void scanSpan(BinaryFile& file, Span span, Collector& blocks)
{
    std::string chunk(static_cast<size_t>(std::min<uint64_t>(kScanChunk, span.end - span.begin)),
                      '\0');
    uint64_t position = span.begin;
    while (position < span.end) {
        const size_t want =
            static_cast<size_t>(std::min<uint64_t>(kScanChunk, span.end - position));
        const size_t got = file.readAt(position, chunk.data(), want);
        const std::string_view view(chunk.data(), got);
        for (size_t at = view.find(kTag); at != std::string_view::npos;
             at = view.find(kTag, at + 1)) {
            const uint64_t start = position + at;
            if (start < span.begin + kTagOffset) {
                continue;
            }
            if (const std::optional<uint32_t> size = file.readBE32(start - kTagOffset)) {
                blocks.add(start - kTagOffset,
                           std::min<uint64_t>(*size, span.end - (start - kTagOffset)));
            }
        }
        if (got < want || position + got >= span.end) {
            break;
        }
        // Overlap by a tag's length less one, so a tag across the seam is found once.
        position += got - (kTag.size() - 1);
    }
}

void scanMediaData(BinaryFile& file, Collector& blocks)
{
    AtomWalker walker(file, wholeFile(file));
    int visited = 0;
    while (const std::optional<AtomHeader> atom = walker.next()) {
        if (++visited > kMaxSkippedAtoms) {
            break;
        }
        if (atom->is("mdat")) {
            scanSpan(file, atom->content(), blocks);
        }
    }
}

}  // namespace

bool detectFreeGps(BinaryFile& file)
{
    const std::optional<AtomHeader> index = findIndex(file);
    return (index && indexPointsAtBlock(file, *index)) || blockNearMediaStart(file);
}

std::optional<TimedTrack> decodeFreeGps(BinaryFile& file, std::string& reason)
{
    Collector blocks(file);
    const std::optional<AtomHeader> index = findIndex(file);
    if (index) {
        addIndexedBlocks(file, *index, blocks);
    }
    if (blocks.blocks() == 0) {
        scanMediaData(file, blocks);
    }
    if (blocks.blocks() == 0) {
        reason = index ? "the `gps ` index lists no freeGPS block and the media data holds none"
                       : "no `gps ` index in moov and no freeGPS block in the media data";
        return std::nullopt;
    }
    if (blocks.known() == 0) {
        reason = std::to_string(blocks.blocks()) + " freeGPS blocks, none with a known record";
        return std::nullopt;
    }
    return blocks.take();
}
