#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/layout_writer/layout_writer.h"

namespace layout_writer {

namespace {

constexpr uint32_t kIndexVersion = 0x00000101;
constexpr uint32_t kCommonLength = 0x4c;  // the word after the tag, as cameras write it
constexpr uint32_t kEarlyLength = 0x3f0;
constexpr uint32_t kSentencesLength = 0x140;
constexpr size_t kCommonTime = 48;
constexpr size_t kMinBlockHead = 92;
constexpr size_t kCameraTime = 52;

std::string moovAtom(uint32_t creationTime, std::string_view children)
{
    return Atom("moov", mvhdAtom(creationTime) + trakAtom(stszAtom(0, {}) + stcoAtom({})) +
                            std::string(children));
}

std::string BE64(int64_t value)
{
    const auto bits = static_cast<uint64_t>(value);
    return BE32(static_cast<uint32_t>(bits >> 32)) + BE32(static_cast<uint32_t>(bits));
}

std::string le32Float(double value)
{
    const auto single = static_cast<float>(value);
    uint32_t bits;
    std::memcpy(&bits, &single, sizeof bits);
    return LE32(bits);
}

std::string le32Int(int value)
{
    return LE32(static_cast<uint32_t>(value));
}

// |degrees| as DDDMM.mmmm.
double ddmm(double degrees)
{
    const double magnitude = std::fabs(degrees);
    const double whole = std::trunc(magnitude);
    return whole * 100.0 + (magnitude - whole) * 60.0;
}

std::string twoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

FixOptions sentenceOptions(const GpsPoint& point)
{
    FixOptions options;
    options.status = point.status;
    options.time = twoDigits(point.hour) + twoDigits(point.minute) + twoDigits(point.second);
    options.date = twoDigits(point.day) + twoDigits(point.month) + twoDigits(point.year);
    return options;
}

std::string header(uint32_t blockSize, uint32_t length)
{
    return BE32(blockSize) + "freeGPS " + LE32(length);
}

// Hour, minute, second, year from 2000, month, day; then status, hemispheres, four floats.
std::string binaryFields(const GpsPoint& point)
{
    std::string fields;
    for (int value :
         {point.hour, point.minute, point.second, point.year - 2000, point.month, point.day}) {
        fields += le32Int(value);
    }
    fields += point.status;
    fields += point.latitude < 0 ? 'S' : 'N';
    fields += point.longitude < 0 ? 'W' : 'E';
    fields += '\0';
    for (double value : {ddmm(point.latitude), ddmm(point.longitude), point.knots, point.course}) {
        fields += le32Float(value);
    }
    return fields;
}

// Three int32 at 256 per g.
std::string accelerations256(const GpsPoint& point)
{
    std::string bytes;
    for (int milli : point.milliG) {
        bytes += le32Int(static_cast<int>(std::lround(milli * 256.0 / 1000.0)));
    }
    return bytes;
}

std::string cameraDateTime(const GpsPoint& point)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", point.year, point.month, point.day,
                  point.hour, point.minute, point.second);
    return text;
}

std::string paddedHead(std::string head)
{
    if (head.size() < kMinBlockHead) {
        head.resize(kMinBlockHead, '\0');
    }
    return head;
}

}  // namespace

std::vector<GpsPoint> gpsDrive(int seconds, double latitude, double longitude)
{
    std::vector<GpsPoint> points;
    const int start = 10 * 3600 + 20 * 60 + 30;
    for (int i = 0; i < seconds; ++i) {
        GpsPoint point;
        point.latitude = latitude + 0.0001 * i;
        point.longitude = longitude + 0.00015 * i;
        point.knots = 27.0 + 0.25 * (i % 8);
        point.course = 45.0 + (i % 5);
        const int clock = (start + i) % 86400;
        point.hour = clock / 3600;
        point.minute = clock / 60 % 60;
        point.second = clock % 60;
        point.milliG = {(i * 37) % 200 - 100, 50 - (i * 11) % 100, 1000 + (i % 7) * 10};
        points.push_back(point);
    }
    return points;
}

std::string freeGpsBlockHead(const GpsPoint& point, FreeGpsRecord record, uint32_t blockSize)
{
    switch (record) {
    case FreeGpsRecord::Common:
        return paddedHead(header(blockSize, kCommonLength) + std::string(kCommonTime - 16, '\0') +
                          binaryFields(point));
    case FreeGpsRecord::Early:
        return paddedHead(header(blockSize, kEarlyLength) + binaryFields(point) +
                          accelerations256(point));
    case FreeGpsRecord::Sentences: {
        const FixOptions options = sentenceOptions(point);
        std::string sentences =
            rmc(point.latitude, point.longitude, point.knots, point.course, options) + "\r\n";
        // A receiver without a fix has no GGA position to give.
        if (point.status == 'A') {
            sentences += gga(point.latitude, point.longitude, options) + "\r\n";
        }
        return paddedHead(header(blockSize, kSentencesLength) +
                          std::string(kCameraTime - 16, '\0') + cameraDateTime(point) +
                          std::string(2, '\0') + accelerations256(point) + sentences);
    }
    }
    return {};
}

SparseFile freeGpsMovie(const std::vector<GpsPoint>& points, const FreeGpsOptions& options)
{
    SparseFile file;
    const std::string ftyp = ftypAtom();
    const uint64_t mdatEnd = uint64_t{options.blockSize} * (points.size() + 1);
    file.put(0, ftyp + BE32(static_cast<uint32_t>(mdatEnd - ftyp.size())) + "mdat");
    std::string index = BE32(kIndexVersion);
    index += BE32(options.indexCountField.value_or(static_cast<uint32_t>(points.size())));
    for (size_t k = 0; k < points.size(); ++k) {
        const uint64_t position = uint64_t{options.blockSize} * (k + 1);
        file.put(position, freeGpsBlockHead(points[k], options.record, options.blockSize));
        index += BE32(static_cast<uint32_t>(position)) + BE32(options.blockSize);
    }
    file.put(mdatEnd, moovAtom(options.creationTime, options.index ? Atom("gps ", index) : ""));
    return file;
}

std::string nmeaBoxLog(const std::vector<GpsPoint>& points, int64_t startMs)
{
    std::string log;
    for (size_t i = 0; i < points.size(); ++i) {
        const GpsPoint& p = points[i];
        const std::string time =
            "[" + std::to_string(startMs + static_cast<int64_t>(i) * 1000) + "]";
        const FixOptions options = sentenceOptions(p);
        log += time + rmc(p.latitude, p.longitude, p.knots, p.course, options) + "\n";
        log += time + gga(p.latitude, p.longitude, options) + "\n";
    }
    return log;
}

std::string accelerometerRecords(const std::vector<GpsPoint>& points, int perSecond)
{
    std::string records;
    for (size_t i = 0; i < points.size(); ++i) {
        for (int k = 0; k < perSecond; ++k) {
            records +=
                BE32(static_cast<uint32_t>(i * 1000 + static_cast<size_t>(k * 1000 / perSecond)));
            for (int milli : points[i].milliG) {
                records += be16(static_cast<uint16_t>(std::lround(milli * 128.0 / 1000.0)));
            }
        }
    }
    return records + BE32(0xFFFFFFFFu) + std::string(6, '\0');
}

std::string nmeaBoxMovie(const std::vector<GpsPoint>& points, const NmeaBoxOptions& options)
{
    const std::string boxes =
        Atom("sttm", BE64(options.startMs)) + Atom("gps ", nmeaBoxLog(points, options.startMs)) +
        Atom("3gf ", accelerometerRecords(points, options.accelerationsPerSecond));
    const std::string mdat = Atom("mdat", std::string(64, '\0'));
    if (options.inMoov) {
        return ftypAtom() + mdat + moovAtom(options.creationTime, boxes);
    }
    return ftypAtom() + Atom("free", boxes) + mdat + moovAtom(options.creationTime, "");
}

}  // namespace layout_writer
