#include "telemetry/gpmf.h"

#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

#include "telemetry/nmea_sentence.h"

namespace {

constexpr double kStandardGravity = 9.80665;  // m/s² in one g
constexpr double kMetresPerSecondToKmh = 3.6;
constexpr int64_t kDaysFrom1970To2000 = 10957;
constexpr int64_t kMsPerDay = 86400000;
constexpr size_t kMaxElements = 16;       // no stream we read has more per record
constexpr double kCourseMinMetres = 1.0;  // closer fixes keep the previous course
// What the table takes: one fix a second, one acceleration a tenth of a second.
constexpr double kFixesPerSecond = 1.0;
constexpr double kReadingsPerSecond = 10.0;
constexpr double kTakeSlack = 1e-6;

// One key-length-value item: 4-byte key, type, size of one record, record count.
struct Klv
{
    std::string_view key;
    char type = 0;
    size_t recordSize = 0;
    size_t records = 0;
    std::span<const unsigned char> data;  // recordSize * records bytes
};

// The item at the front of bytes, and the bytes after it (padded to 4); nothing when the
// item does not fit.
std::optional<Klv> nextKlv(std::span<const unsigned char>& bytes)
{
    if (bytes.size() < 8) {
        return std::nullopt;
    }
    Klv item;
    item.key = std::string_view(reinterpret_cast<const char*>(bytes.data()), 4);
    item.type = static_cast<char>(bytes[4]);
    item.recordSize = bytes[5];
    item.records = static_cast<size_t>(bytes[6] << 8 | bytes[7]);
    const size_t size = item.recordSize * item.records;
    if (size > bytes.size() - 8) {
        return std::nullopt;
    }
    item.data = bytes.subspan(8, size);
    const size_t padded = (size + 3) & ~size_t{3};
    bytes = bytes.subspan(std::min(bytes.size(), 8 + padded));
    return item;
}

size_t typeSize(char type)
{
    switch (type) {
    case 'b':
    case 'B':
    case 'c': return 1;
    case 's':
    case 'S': return 2;
    case 'l':
    case 'L':
    case 'f':
    case 'q': return 4;
    case 'd':
    case 'j':
    case 'J':
    case 'Q': return 8;
    default: return 0;
    }
}

uint64_t loadBE(const unsigned char* p, size_t n)
{
    uint64_t value = 0;
    for (size_t i = 0; i < n; ++i) {
        value = value << 8 | p[i];
    }
    return value;
}

double value(char type, const unsigned char* p)
{
    const uint64_t raw = loadBE(p, typeSize(type));
    switch (type) {
    case 'b': return static_cast<int8_t>(raw);
    case 'B': return static_cast<uint8_t>(raw);
    case 's': return static_cast<int16_t>(raw);
    case 'S': return static_cast<uint16_t>(raw);
    case 'l': return static_cast<int32_t>(raw);
    case 'L': return static_cast<uint32_t>(raw);
    case 'j': return static_cast<double>(static_cast<int64_t>(raw));
    case 'J': return static_cast<double>(raw);
    case 'q': return static_cast<int32_t>(raw) / 65536.0;
    case 'Q': return static_cast<double>(static_cast<int64_t>(raw)) / 4294967296.0;
    case 'f': {
        const auto bits = static_cast<uint32_t>(raw);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    case 'd': {
        double d;
        std::memcpy(&d, &raw, sizeof d);
        return d;
    }
    default: return 0.0;
    }
}

// The element types of one record: the item's own type repeated, or a stream's TYPE.
std::string elementTypes(const Klv& item, std::string_view streamTypes)
{
    if (item.type == '?') {
        size_t total = 0;
        for (char t : streamTypes) {
            total += typeSize(t);
        }
        return total == item.recordSize && typeSize(streamTypes.empty() ? 0 : streamTypes[0]) != 0
                   ? std::string(streamTypes)
                   : std::string();
    }
    const size_t size = typeSize(item.type);
    if (size == 0 || item.recordSize % size != 0) {
        return {};
    }
    return std::string(item.recordSize / size, item.type);
}

// What a stream says before its data: divisors, record layout, GPS fix and time.
struct StreamState
{
    std::vector<double> scale;
    std::string types;
    std::optional<uint32_t> gpsFix;
    std::optional<int64_t> gpsUtcMs;

    double divisor(size_t element) const
    {
        const double d = scale.size() == 1        ? scale[0]
                         : element < scale.size() ? scale[element]
                                                  : 1.0;
        return d == 0.0 || !std::isfinite(d) ? 1.0 : d;
    }
};

// The divisors of a SCAL item, record after record: as many as a record of ours has
// elements at most.
std::vector<double> divisors(const Klv& item)
{
    std::vector<double> out;
    const std::string types = elementTypes(item, {});
    for (size_t r = 0; r < item.records && !types.empty(); ++r) {
        const unsigned char* p = item.data.data() + r * item.recordSize;
        for (char t : types) {
            if (out.size() == kMaxElements) {
                return out;
            }
            out.push_back(value(t, p));
            p += typeSize(t);
        }
    }
    return out;
}

// "yymmddhhmmss.sss" (GPSU) in milliseconds since 1970.
std::optional<int64_t> gpsuMs(std::span<const unsigned char> text)
{
    if (text.size() < 16) {
        return std::nullopt;
    }
    const std::string_view s(reinterpret_cast<const char*>(text.data()), 16);
    // The RMC rule reads "hhmmss.sss" and "ddmmyy": rebuild the two fields from it.
    std::string sentence = "$GPRMC,";
    sentence.append(s.substr(6, 10));
    sentence += ",A,,,,,,,";
    sentence.append(s.substr(4, 2)).append(s.substr(2, 2)).append(s.substr(0, 2));
    sentence += ",";
    return rmcUtcMs(sentence);
}

// The records of one data item, decoded element by element when asked for, with their
// times spread evenly over the payload.
struct Records
{
    const unsigned char* data = nullptr;
    size_t recordSize = 0;
    size_t count = 0;
    size_t perRecord = 0;
    std::array<char, kMaxElements> types{};
    std::array<size_t, kMaxElements> offsets{};
    std::array<double, kMaxElements> divisors{};
    double start = 0.0;
    double step = 0.0;

    double valueAt(size_t record, size_t element) const
    {
        return value(types[element], data + record * recordSize + offsets[element]) /
               divisors[element];
    }
    double time(size_t record) const { return start + step * static_cast<double>(record); }
};

Records scaledRecords(const Klv& item, const StreamState& state, double start, double duration)
{
    Records r;
    const std::string types = elementTypes(item, state.types);
    if (types.empty() || types.size() > kMaxElements || item.records == 0) {
        return r;
    }
    size_t offset = 0;
    for (size_t e = 0; e < types.size(); ++e) {
        r.types[e] = types[e];
        r.offsets[e] = offset;
        r.divisors[e] = state.divisor(e);
        offset += typeSize(types[e]);
    }
    r.data = item.data.data();
    r.recordSize = item.recordSize;
    r.count = item.records;
    r.perRecord = types.size();
    r.start = start;
    r.step = duration / static_cast<double>(item.records);
    return r;
}

bool hasFix(std::optional<uint32_t> fix, double latitude, double longitude)
{
    const bool inRange = std::fabs(latitude) <= 90.0 && std::fabs(longitude) <= 180.0;
    return (!fix || *fix >= 2) && inRange && !(latitude == 0.0 && longitude == 0.0);
}

// The fix type a record logs (2: 2D, 3: 3D); a value no receiver writes counts as none.
std::optional<uint32_t> fixType(double logged)
{
    return logged >= 0 && logged < 16 ? static_cast<uint32_t>(logged) : 0;
}

// Record i's position at elements first and first + 1, its ground speed (m/s) at speed.
TimedFix Fix(const Records& r, size_t i, std::optional<uint32_t> fixType, size_t first = 0,
             size_t speed = 3)
{
    TimedFix fix;
    fix.videoSeconds = r.time(i);
    fix.latitude = r.valueAt(i, first);
    fix.longitude = r.valueAt(i, first + 1);
    fix.valid = hasFix(fixType, fix.latitude, fix.longitude);
    fix.speedKmh = r.valueAt(i, speed) * kMetresPerSecondToKmh;
    return fix;
}

// Calls visit(i) for the records the table can take: the first at or after each
// 1/perSecond of a second (looked for a hair before and after each such time, so float
// rounding never drops the one the table takes). Cameras log GPS 10-18 times and the
// accelerometer a few hundred times a second; the rest is neither kept nor decoded.
// One pass over the records: a file that spreads three records over years costs no more
// than one that spreads them over a second.
template <class Visit>
void forEachTaken(const Records& r, double perSecond, Visit&& visit)
{
    // How many edges k / perSecond - slack and k / perSecond + slack lie at or before t (up
    // to a constant): a record is the first at or after an edge when one of the counts grew
    // since the record before it.
    struct Edges
    {
        double minusSlack;
        double plusSlack;
    };
    const auto edgesUpTo = [perSecond](double t) {
        return Edges{std::floor((t + kTakeSlack) * perSecond),
                     std::floor((t - kTakeSlack) * perSecond)};
    };
    Edges previous{};
    for (size_t i = 0; i < r.count; ++i) {
        const Edges edges = edgesUpTo(r.time(i));
        if (i == 0 || edges.minusSlack > previous.minusSlack ||
            edges.plusSlack > previous.plusSlack) {
            visit(i);
        }
        previous = edges;
    }
}

// lat, lon, alt, 2D speed, 3D speed; one fix state and one UTC time per payload.
void addGps5(const Records& r, const StreamState& state, std::vector<TimedFix>& out)
{
    if (r.perRecord < 5) {
        return;
    }
    forEachTaken(r, kFixesPerSecond, [&](size_t i) {
        TimedFix fix = Fix(r, i, state.gpsFix);
        if (state.gpsUtcMs) {
            fix.utcMs = *state.gpsUtcMs + std::llround((r.time(i) - r.start) * 1000.0);
        }
        out.push_back(fix);
    });
}

// lat, lon, alt, 2D speed, 3D speed, days since 2000, seconds of the day, DOP, fix.
void addGps9(const Records& r, std::vector<TimedFix>& out)
{
    if (r.perRecord < 9) {
        return;
    }
    forEachTaken(r, kFixesPerSecond, [&](size_t i) {
        TimedFix fix = Fix(r, i, fixType(r.valueAt(i, 8)));
        const double days = r.valueAt(i, 5);
        const double seconds = r.valueAt(i, 6);
        if (days >= 0 && days < 100000 && seconds >= 0 && seconds < 86401) {
            fix.utcMs = (kDaysFrom1970To2000 + static_cast<int64_t>(days)) * kMsPerDay +
                        std::llround(seconds * 1000.0);
        }
        out.push_back(fix);
    });
}

// A drone's raw GPS: time, lat, lon, alt, eph, epv, speed, course, fix, satellites.
void addGpri(const Records& r, std::vector<TimedFix>& out)
{
    if (r.perRecord < 9) {
        return;
    }
    forEachTaken(r, kFixesPerSecond, [&](size_t i) {
        TimedFix fix = Fix(r, i, fixType(r.valueAt(i, 8)), 1, 6);
        fix.course = r.valueAt(i, 7);
        out.push_back(fix);
    });
}

// Three axes in m/s².
void addAccl(const Records& r, std::vector<TimedAcceleration>& out)
{
    if (r.perRecord != 3) {
        return;
    }
    forEachTaken(r, kReadingsPerSecond, [&](size_t i) {
        out.push_back({r.time(i), r.valueAt(i, 0) / kStandardGravity,
                       r.valueAt(i, 1) / kStandardGravity, r.valueAt(i, 2) / kStandardGravity});
    });
}

bool is(const Klv& item, std::string_view key)
{
    return item.key == key;
}

// Course over ground from each fix's predecessor, for streams that log none.
void fillCourses(std::vector<TimedFix>& fixes)
{
    constexpr double kRadians = 3.14159265358979323846 / 180.0;
    constexpr double kEarthMetres = 6371000.0;
    const TimedFix* previous = nullptr;
    double course = 0.0;
    for (TimedFix& fix : fixes) {
        if (!fix.valid) {
            continue;
        }
        if (previous) {
            const double north = (fix.latitude - previous->latitude) * kRadians;
            const double east = (fix.longitude - previous->longitude) * kRadians *
                                std::cos(previous->latitude * kRadians);
            if (std::hypot(north, east) * kEarthMetres >= kCourseMinMetres) {
                course = std::atan2(east, north) / kRadians;
                course = course < 0.0 ? course + 360.0 : course;
                previous = &fix;
            }
        } else {
            previous = &fix;
        }
        fix.course = course;
    }
}

}  // namespace

class GpmfWalk
{
public:
    GpmfWalk(GpmfDecoder& out, double start, double duration)
        : m_out(out), m_start(start), m_duration(duration)
    {}

    void decodeContainer(std::span<const unsigned char> bytes, int depth)
    {
        StreamState state;
        while (const std::optional<Klv> item = nextKlv(bytes)) {
            if (item->type == 0) {
                if (depth < kMaxGpmfDepth) {
                    decodeContainer(item->data, depth + 1);
                }
                continue;
            }
            decodeItem(*item, state);
        }
    }

private:
    void decodeItem(const Klv& item, StreamState& state)
    {
        if (is(item, "SCAL")) {
            state.scale = divisors(item);
        } else if (is(item, "TYPE")) {
            state.types.assign(reinterpret_cast<const char*>(item.data.data()), item.data.size());
            state.types.resize(std::min(state.types.find('\0'), state.types.size()));
        } else if (is(item, "GPSF") && typeSize(item.type) != 0 &&
                   item.data.size() >= typeSize(item.type)) {
            state.gpsFix = fixType(value(item.type, item.data.data()));
        } else if (is(item, "GPSU")) {
            state.gpsUtcMs = gpsuMs(item.data);
        } else if (is(item, "GPS5")) {
            addGps5(scaled(item, state), state, m_out.m_gps5);
        } else if (is(item, "GPS9")) {
            addGps9(scaled(item, state), m_out.m_gps9);
        } else if (is(item, "GPRI")) {
            addGpri(scaled(item, state), m_out.m_gpri);
        } else if (is(item, "ACCL")) {
            addAccl(scaled(item, state), m_out.m_accl);
        }
    }

    Records scaled(const Klv& item, const StreamState& state) const
    {
        return scaledRecords(item, state, m_start, m_duration);
    }

    GpmfDecoder& m_out;
    double m_start;
    double m_duration;
};

void GpmfDecoder::addPayload(std::span<const unsigned char> payload, double start, double duration)
{
    GpmfWalk(*this, start, duration).decodeContainer(payload, 0);
}

TimedTrack GpmfDecoder::take()
{
    TimedTrack track;
    if (!m_gps9.empty()) {
        track.fixes = std::move(m_gps9);
        fillCourses(track.fixes);
    } else if (!m_gps5.empty()) {
        track.fixes = std::move(m_gps5);
        fillCourses(track.fixes);
    } else {
        track.fixes = std::move(m_gpri);
    }
    track.accelerations = std::move(m_accl);
    *this = GpmfDecoder();
    return track;
}
