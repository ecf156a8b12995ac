#include <cmath>

#include "tools/layout_writer/layout_writer.h"

namespace layout_writer {

namespace {

constexpr double kLatLonScale = 1e7;
constexpr double kMetreScale = 1000.0;
constexpr double kSpeedScale = 100.0;
constexpr double kAccelScale = 418.0;  // what HERO cameras log
constexpr uint32_t kTimescale = 1000;
constexpr int64_t kDaysFrom1970To2000 = 10957;

int32_t scaled(double value, double scale)
{
    return static_cast<int32_t>(std::lround(value * scale));
}

// One GPMF item: key, type, record size, record count, then the data padded to 4 bytes.
std::string Klv(std::string_view key, char type, size_t recordSize, size_t records,
                std::string data)
{
    std::string item(key.substr(0, 4));
    item += type;
    item += static_cast<char>(recordSize);
    item += be16(static_cast<uint16_t>(records));
    data.resize((data.size() + 3) / 4 * 4, '\0');
    return item + data;
}

std::string nest(std::string_view key, const std::string& children)
{
    return Klv(key, '\0', 4, children.size() / 4, children);
}

std::string longs(std::initializer_list<int32_t> values)
{
    std::string out;
    for (int32_t v : values) {
        out += BE32(static_cast<uint32_t>(v));
    }
    return out;
}

std::string gps5Stream(const GpmfSecond& second)
{
    std::string records;
    for (const GpmfFix& f : second.fixes) {
        records += longs({scaled(f.latitude, kLatLonScale), scaled(f.longitude, kLatLonScale),
                          scaled(f.altitude, kMetreScale), scaled(f.speed, kMetreScale),
                          scaled(f.speed, kSpeedScale)});
    }
    std::string stream = Klv("STNM", 'c', 1, 3, "GPS");
    stream += Klv("GPSF", 'L', 4, 1, BE32(second.fixType));
    if (!second.utc.empty()) {
        stream += Klv("GPSU", 'U', 16, 1, second.utc);
    }
    stream += Klv("SCAL", 'l', 4, 5,
                  longs({scaled(1, kLatLonScale), scaled(1, kLatLonScale), scaled(1, kMetreScale),
                         scaled(1, kMetreScale), scaled(1, kSpeedScale)}));
    return stream + Klv("GPS5", 'l', 20, second.fixes.size(), records);
}

// Days since 2000 and seconds of the day of "yymmddhhmmss.sss", plus offset seconds.
std::pair<int32_t, double> gps9Time(const std::string& utc, double offset)
{
    if (utc.size() < 16) {
        return {0, offset};
    }
    const auto num = [&](size_t at, size_t n) { return std::stoi(utc.substr(at, n)); };
    const int year = 2000 + num(0, 2);
    const int month = num(2, 2);
    const int day = num(4, 2);
    // Days from civil (proleptic Gregorian), counted from 1970.
    const int y = year - (month <= 2);
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days1970 = int64_t{era} * 146097 + doe - 719468;
    const double seconds = num(6, 2) * 3600 + num(8, 2) * 60 + std::stod(utc.substr(10)) + offset;
    return {static_cast<int32_t>(days1970 - kDaysFrom1970To2000), seconds};
}

std::string gps9Stream(const GpmfSecond& second)
{
    std::string records;
    const double step = second.fixes.empty() ? 0.0 : 1.0 / second.fixes.size();
    for (size_t i = 0; i < second.fixes.size(); ++i) {
        const GpmfFix& f = second.fixes[i];
        const auto [days, seconds] = gps9Time(second.utc, step * i);
        records += longs({scaled(f.latitude, kLatLonScale), scaled(f.longitude, kLatLonScale),
                          scaled(f.altitude, kMetreScale), scaled(f.speed, kMetreScale),
                          scaled(f.speed, kSpeedScale), days, scaled(seconds, 1000)});
        records += be16(150) + be16(static_cast<uint16_t>(second.fixType));  // DOP x100, fix
    }
    std::string stream = Klv("STNM", 'c', 1, 3, "GPS");
    stream += Klv("SCAL", 'l', 4, 9,
                  longs({scaled(1, kLatLonScale), scaled(1, kLatLonScale), scaled(1, kMetreScale),
                         scaled(1, kMetreScale), scaled(1, kSpeedScale), 1, 1000, 100, 1}));
    stream += Klv("TYPE", 'c', 1, 9, "lllllllSS");
    return stream + Klv("GPS9", '?', 32, second.fixes.size(), records);
}

std::string acclStream(const GpmfSecond& second)
{
    std::string records;
    for (const auto& a : second.accelerations) {
        for (double axis : a) {
            records +=
                be16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(axis * kAccelScale))));
        }
    }
    return Klv("SCAL", 's', 2, 1, be16(static_cast<uint16_t>(kAccelScale))) +
           Klv("ACCL", 's', 6, second.accelerations.size(), records);
}

// stco, or co64 when an offset needs 64 bits.
std::string chunkOffsetAtom(const std::vector<uint64_t>& offsets)
{
    const bool wide = !offsets.empty() && offsets.back() > UINT32_MAX;
    std::string content = BE32(0) + BE32(static_cast<uint32_t>(offsets.size()));
    for (uint64_t offset : offsets) {
        if (wide) {
            content += BE32(static_cast<uint32_t>(offset >> 32));
        }
        content += BE32(static_cast<uint32_t>(offset));
    }
    return Atom(wide ? "co64" : "stco", content);
}

// Sample table of one-second samples at the given offsets.
std::string gpmdStbl(const std::vector<uint64_t>& offsets, const std::vector<uint32_t>& sizes)
{
    std::string stsd = BE32(0) + BE32(1) + Atom("gpmd", std::string(6, '\0') + be16(1));
    std::string stts =
        BE32(0) + BE32(1) + BE32(static_cast<uint32_t>(sizes.size())) + BE32(kTimescale);
    std::string stsc = BE32(0) + BE32(1) + BE32(1) + BE32(1) + BE32(1);
    return Atom("stsd", stsd) + Atom("stts", stts) + Atom("stsc", stsc) + stszAtom(0, sizes) +
           chunkOffsetAtom(offsets);
}

std::string gpmdTrak(const std::vector<uint64_t>& offsets, const std::vector<uint32_t>& sizes,
                     uint32_t creationTime)
{
    const uint32_t duration = static_cast<uint32_t>(sizes.size()) * kTimescale;
    std::string tkhd = BE32(0) + BE32(creationTime) + BE32(creationTime) + BE32(1) + BE32(0) +
                       BE32(duration) + std::string(60, '\0');
    std::string mdhd = BE32(0) + BE32(creationTime) + BE32(creationTime) + BE32(kTimescale) +
                       BE32(duration) + BE32(0);
    std::string hdlr = BE32(0) + "mhlr" + "meta" + std::string(12, '\0') + "GoPro MET" + '\0';
    std::string minf =
        Atom("gmhd", Atom("gmin", std::string(16, '\0'))) + Atom("stbl", gpmdStbl(offsets, sizes));
    return Atom("trak", Atom("tkhd", tkhd) + Atom("mdia", Atom("mdhd", mdhd) + Atom("hdlr", hdlr) +
                                                              Atom("minf", minf)));
}

std::string goProFtyp()
{
    return Atom("ftyp", std::string("mp41") + BE32(0) + "mp41isom");
}

// The payloads one after another from payloadsAt, and the movie atom that points at them.
struct GoProParts
{
    std::string payloads;
    std::string moov;
};

GoProParts goProParts(const std::vector<GpmfSecond>& seconds, const GpmfOptions& options,
                      uint64_t payloadsAt)
{
    GoProParts parts;
    std::vector<uint64_t> offsets;
    std::vector<uint32_t> sizes;
    for (const GpmfSecond& second : seconds) {
        const std::string payload = gpmfPayload(second, options);
        offsets.push_back(payloadsAt + parts.payloads.size());
        sizes.push_back(static_cast<uint32_t>(payload.size()));
        parts.payloads += payload;
    }
    const uint32_t duration = static_cast<uint32_t>(seconds.size()) * kTimescale;
    parts.moov = Atom("moov", mvhdAtom(options.creationTime, duration) +
                                  gpmdTrak(offsets, sizes, options.creationTime));
    return parts;
}

}  // namespace

std::string gpmfPayload(const GpmfSecond& second, const GpmfOptions& options)
{
    std::string device = Klv("DVID", 'L', 4, 1, BE32(1)) + Klv("DVNM", 'c', 1, 6, "Camera");
    device += nest("STRM", options.gps9 ? gps9Stream(second) : gps5Stream(second));
    device += nest("STRM", acclStream(second));
    return nest("DEVC", device);
}

std::string goProMovie(const std::vector<GpmfSecond>& seconds, const GpmfOptions& options)
{
    const std::string ftyp = goProFtyp();
    const GoProParts parts = goProParts(seconds, options, ftyp.size() + 8);
    return ftyp + Atom("mdat", parts.payloads) + parts.moov;
}

SparseFile goProLargeMovie(const std::vector<GpmfSecond>& seconds, uint64_t payloadsAt,
                           const GpmfOptions& options)
{
    const std::string ftyp = goProFtyp();
    const GoProParts parts = goProParts(seconds, options, payloadsAt);
    const uint64_t mdatSize = payloadsAt + parts.payloads.size() - ftyp.size();
    SparseFile file;
    file.put(0, ftyp + BE32(1) + "mdat" + BE32(static_cast<uint32_t>(mdatSize >> 32)) +
                    BE32(static_cast<uint32_t>(mdatSize)));
    file.put(payloadsAt, parts.payloads);
    file.put(payloadsAt + parts.payloads.size(), parts.moov);
    return file;
}

std::vector<GpmfSecond> gpmfDrive(int seconds)
{
    constexpr int kFixesPerSecond = 18;
    constexpr int kReadingsPerSecond = 200;
    std::vector<GpmfSecond> drive(static_cast<size_t>(seconds));
    for (int s = 0; s < seconds; ++s) {
        GpmfSecond& second = drive[static_cast<size_t>(s)];
        for (int k = 0; k < kFixesPerSecond; ++k) {
            const double t = s + static_cast<double>(k) / kFixesPerSecond;
            second.fixes.push_back({47.3 + t * 1e-4, 8.5 - t * 7e-5, 400.0 + std::sin(t), 12.5});
        }
        for (int k = 0; k < kReadingsPerSecond; ++k) {
            second.accelerations.push_back({0.3 * std::sin(k * 0.1), -0.2, 9.80665});
        }
    }
    return drive;
}

}  // namespace layout_writer
