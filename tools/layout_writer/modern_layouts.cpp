#include <cmath>
#include <cstdio>
#include <cstring>

#include "layout_writer.h"

namespace layout_writer {

namespace {

constexpr uint32_t kIndexVersion = 0x00000101;
constexpr uint32_t kCommonLength = 0x4c;  // the word after the tag, as cameras write it
constexpr uint32_t kEarlyLength = 0x3f0;
constexpr uint32_t kSentencesLength = 0x140;
constexpr size_t kCommonTime = 48;
constexpr size_t kMinBlockHead = 92;
constexpr size_t kCameraTime = 52;

std::string Moov(uint32_t creationTime, std::string_view children)
{
    return Atom("moov", Mvhd(creationTime) + Trak(Stsz(0, {}) + Stco({})) + std::string(children));
}

std::string BE64(int64_t value)
{
    const auto bits = static_cast<uint64_t>(value);
    return BE32(static_cast<uint32_t>(bits >> 32)) + BE32(static_cast<uint32_t>(bits));
}

std::string LE32Float(double value)
{
    const auto single = static_cast<float>(value);
    uint32_t bits;
    std::memcpy(&bits, &single, sizeof bits);
    return LE32(bits);
}

std::string LE32Int(int value)
{
    return LE32(static_cast<uint32_t>(value));
}

// |degrees| as DDDMM.mmmm.
double Ddmm(double degrees)
{
    const double magnitude = std::fabs(degrees);
    const double whole = std::trunc(magnitude);
    return whole * 100.0 + (magnitude - whole) * 60.0;
}

std::string TwoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

FixOptions SentenceOptions(const GpsPoint& point)
{
    FixOptions options;
    options.status = point.status;
    options.time = TwoDigits(point.hour) + TwoDigits(point.minute) + TwoDigits(point.second);
    options.date = TwoDigits(point.day) + TwoDigits(point.month) + TwoDigits(point.year);
    return options;
}

std::string Header(uint32_t blockSize, uint32_t length)
{
    return BE32(blockSize) + "freeGPS " + LE32(length);
}

// Hour, minute, second, year from 2000, month, day; then status, hemispheres, four floats.
std::string BinaryFields(const GpsPoint& point)
{
    std::string fields;
    for (int value :
         {point.hour, point.minute, point.second, point.year - 2000, point.month, point.day})
        fields += LE32Int(value);
    fields += point.status;
    fields += point.latitude < 0 ? 'S' : 'N';
    fields += point.longitude < 0 ? 'W' : 'E';
    fields += '\0';
    for (double value : {Ddmm(point.latitude), Ddmm(point.longitude), point.knots, point.course})
        fields += LE32Float(value);
    return fields;
}

// Three int32 at 256 per g.
std::string Accelerations256(const GpsPoint& point)
{
    std::string bytes;
    for (int milli : point.milliG)
        bytes += LE32Int(static_cast<int>(std::lround(milli * 256.0 / 1000.0)));
    return bytes;
}

std::string CameraDateTime(const GpsPoint& point)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", point.year, point.month, point.day,
                  point.hour, point.minute, point.second);
    return text;
}

std::string PaddedHead(std::string head)
{
    if (head.size() < kMinBlockHead)
        head.resize(kMinBlockHead, '\0');
    return head;
}

}  // namespace

std::vector<GpsPoint> Drive(int seconds, double latitude, double longitude)
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

std::string FreeGpsBlockHead(const GpsPoint& point, FreeGpsRecord record, uint32_t blockSize)
{
    switch (record) {
    case FreeGpsRecord::Common:
        return PaddedHead(Header(blockSize, kCommonLength) + std::string(kCommonTime - 16, '\0') +
                          BinaryFields(point));
    case FreeGpsRecord::Early:
        return PaddedHead(Header(blockSize, kEarlyLength) + BinaryFields(point) +
                          Accelerations256(point));
    case FreeGpsRecord::Sentences: {
        const FixOptions options = SentenceOptions(point);
        std::string sentences =
            Rmc(point.latitude, point.longitude, point.knots, point.course, options) + "\r\n";
        // A receiver without a fix has no GGA position to give.
        if (point.status == 'A')
            sentences += Gga(point.latitude, point.longitude, options) + "\r\n";
        return PaddedHead(Header(blockSize, kSentencesLength) +
                          std::string(kCameraTime - 16, '\0') + CameraDateTime(point) +
                          std::string(2, '\0') + Accelerations256(point) + sentences);
    }
    }
    return {};
}

SparseFile FreeGpsMovie(const std::vector<GpsPoint>& points, const FreeGpsOptions& options)
{
    SparseFile file;
    const std::string ftyp = Ftyp();
    const uint64_t mdatEnd = uint64_t{options.blockSize} * (points.size() + 1);
    file.Put(0, ftyp + BE32(static_cast<uint32_t>(mdatEnd - ftyp.size())) + "mdat");
    std::string index = BE32(kIndexVersion);
    index += BE32(options.indexCountField.value_or(static_cast<uint32_t>(points.size())));
    for (size_t k = 0; k < points.size(); ++k) {
        const uint64_t position = uint64_t{options.blockSize} * (k + 1);
        file.Put(position, FreeGpsBlockHead(points[k], options.record, options.blockSize));
        index += BE32(static_cast<uint32_t>(position)) + BE32(options.blockSize);
    }
    file.Put(mdatEnd, Moov(options.creationTime, options.index ? Atom("gps ", index) : ""));
    return file;
}

std::string NmeaBoxLog(const std::vector<GpsPoint>& points, int64_t startMs)
{
    std::string log;
    for (size_t i = 0; i < points.size(); ++i) {
        const GpsPoint& p = points[i];
        const std::string time =
            "[" + std::to_string(startMs + static_cast<int64_t>(i) * 1000) + "]";
        const FixOptions options = SentenceOptions(p);
        log += time + Rmc(p.latitude, p.longitude, p.knots, p.course, options) + "\n";
        log += time + Gga(p.latitude, p.longitude, options) + "\n";
    }
    return log;
}

std::string AccelerometerRecords(const std::vector<GpsPoint>& points, int perSecond)
{
    std::string records;
    for (size_t i = 0; i < points.size(); ++i) {
        for (int k = 0; k < perSecond; ++k) {
            records +=
                BE32(static_cast<uint32_t>(i * 1000 + static_cast<size_t>(k * 1000 / perSecond)));
            for (int milli : points[i].milliG)
                records += BE16(static_cast<uint16_t>(std::lround(milli * 128.0 / 1000.0)));
        }
    }
    return records + BE32(0xFFFFFFFFu) + std::string(6, '\0');
}

std::string NmeaBoxMovie(const std::vector<GpsPoint>& points, const NmeaBoxOptions& options)
{
    const std::string boxes =
        Atom("sttm", BE64(options.startMs)) + Atom("gps ", NmeaBoxLog(points, options.startMs)) +
        Atom("3gf ", AccelerometerRecords(points, options.accelerationsPerSecond));
    const std::string mdat = Atom("mdat", std::string(64, '\0'));
    if (options.inMoov)
        return Ftyp() + mdat + Moov(options.creationTime, boxes);
    return Ftyp() + Atom("free", boxes) + mdat + Moov(options.creationTime, "");
}

}  // namespace layout_writer
