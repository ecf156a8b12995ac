#pragma once

// Writes the camera telemetry layouts byte by byte: scrambled log lines, sidecar .DAT
// files and the three in-movie layouts (ICAT, AMBARELLA A7L, NT96650A), plus NMEA
// sentences. Used by tests, fuzz seed corpora, benchmarks and the sample-recording maker.
// Byte strings are std::string (binary safe).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "telemetry/nmea_sentence.h"

namespace layout_writer {

// One logged second: G-sensor axes in thousandths of g and the NMEA sentence.
struct Sample
{
    int x = 0;
    int y = 0;
    int z = 0;
    std::string sentence;
};

// ---- Byte primitives -------------------------------------------------------------------

std::string be16(uint16_t value);
std::string BE32(uint32_t value);
std::string LE16(uint16_t value);
std::string LE32(uint32_t value);

// An atom: 4-byte big-endian size (header included), type, content.
std::string Atom(std::string_view type, std::string_view content);
// An atom whose size field says sizeField instead of its real size.
std::string atomWithSize(uint32_t sizeField, std::string_view type, std::string_view content);
// "ftyp" with brand "qt  ".
std::string ftypAtom();
// Version-0 movie header (100 content bytes) with the given creation time (1904 epoch),
// time scale 1000.
std::string mvhdAtom(uint32_t creationTime, uint32_t durationMs = 0);
// "udta" holding one child atom "name" whose content is padBefore zero bytes, then the
// chip text; 4 zero bytes follow the child. Empty chip: an empty "udta".
std::string udtaAtom(std::string_view chip, size_t padBefore = 0);
// trak > mdia > minf > stbl > the given stbl children.
std::string trakAtom(std::string_view stblChildren);
// "stco" with the given offsets; countField replaces the entry count word when set.
std::string stcoAtom(const std::vector<uint32_t>& offsets,
                     std::optional<uint32_t> countField = std::nullopt);
// "stsz": uniformSize 0 lists sizes; otherwise no per-sample sizes, count = countField or 0.
std::string stszAtom(uint32_t uniformSize, const std::vector<uint32_t>& sizes,
                     std::optional<uint32_t> countField = std::nullopt);

// Offset of the first atom header of this type at or after from (type at offset + 4),
// or std::string::npos. A plain byte search: meant for patching fixtures in tests.
size_t findAtom(std::string_view bytes, std::string_view type, size_t from = 0);
// Overwrites 4 bytes at offset with value, big-endian (offset + 4 must be in range).
void patchBE32(std::string& bytes, size_t offset, uint32_t value);

// ---- Scrambling and key digits ---------------------------------------------------------

// Every byte plus shift, modulo 256.
std::string scramble(std::string_view text, int shift);
// The readers' own key digit sum.
using ::keyDigitSum;

// "%d\t%d\t%d\t%s" of the sample, unscrambled, without line end.
std::string logLineText(const Sample& sample);

// ---- NMEA sentences --------------------------------------------------------------------

// "$" + body + "*" + two upper-case hex digits of the XOR checksum.
std::string withChecksum(std::string_view body);
// NMEA angle (d)ddmm.f... of |degrees| with fractionDigits minute digits (degree width 2
// for latitude, 3 for longitude). The hemisphere letter is not included.
std::string nmeaAngle(double degrees, bool longitude, int fractionDigits);

struct FixOptions
{
    int fractionDigits = 4;       // minute fraction digits of latitude and longitude
    char status = 'A';            // RMC status
    std::string time = "123519";  // UTC hhmmss
    std::string date = "230394";  // RMC ddmmyy
};
// "$GPRMC" sentence with checksum from decimal degrees (south/west negative).
std::string rmc(double latitude, double longitude, double knots, double course,
                const FixOptions& options = {});
// "$GPGGA" sentence with checksum (fix quality 1, 8 satellites).
std::string gga(double latitude, double longitude, const FixOptions& options = {});

// ---- Files -----------------------------------------------------------------------------

// A file image of which only some ranges hold data; the rest reads as zeros. Lets huge
// layouts (blocks every 32 KiB) be written as sparse files.
struct SparseFile
{
    uint64_t size = 0;
    std::vector<std::pair<uint64_t, std::string>> pieces;  // offset, bytes

    void put(uint64_t offset, std::string bytes);
    std::string flatten() const;
};

// Writes the bytes to path (created or truncated); false on any failure.
bool writeFile(const std::string& path, std::string_view bytes);
bool writeFile(const std::string& path, const SparseFile& file);

// ---- Sidecar .DAT ----------------------------------------------------------------------

struct SidecarOptions
{
    std::string keyLine = "12345678";  // the whole first line, without line end
    std::string lineEnd = "\r\n";      // after the key line and after every log line
};
// Key line, then one scrambled log line per sample (shift: the key line's key digit sum).
std::string sidecar(const std::vector<Sample>& samples, const SidecarOptions& options = {});

// ---- ICAT ------------------------------------------------------------------------------

struct IcatOptions
{
    // Header bytes 7..14 of the telemetry atom; shift = weighted byte sum modulo 256.
    std::array<uint8_t, 8> keyBytes = {'1', '2', '3', '4', '5', '6', '7', '8'};
    std::string marker = "vorlan1";  // 7 bytes
    bool freeAtom = false;           // a "free" atom as 4th top-level atom
    std::string chip = "ICAT6350";   // trailing name; empty for none
    // The first three top-level atoms; empty: ftyp, mdat, moov(mvhd).
    std::vector<std::string> leadingAtoms;
    // Size field of the telemetry atom; default its real size (header, 16, records).
    std::optional<uint32_t> telemetrySizeField;
    uint32_t creationTime = 3600000000u;
};
int icatShift(const std::array<uint8_t, 8>& keyBytes);
// One 132-byte record: axes plus shift (16-bit LE), 126 sentence bytes plus shift.
std::string icatRecord(const Sample& sample, int shift);
// The telemetry atom: header, marker, key bytes, one spare byte, records.
std::string icatTelemetryAtom(const std::vector<Sample>& samples, const IcatOptions& options);
std::string icatMovie(const std::vector<Sample>& samples, const IcatOptions& options = {});

// ---- AMBARELLA A7L ---------------------------------------------------------------------

struct A7lOptions
{
    std::string keyDigits = "12345678";
    std::optional<size_t> keyIndex = 0;  // chunk index of the key sample; none: no key
    int trackCount = 3;                  // the third track holds the telemetry
    std::string lineEnd = "\r\n";        // after each scrambled log line
    std::string chip = "AMBARELLA A7L";
    uint32_t creationTime = 3600000000u;
};
// Chunk text of a log sample: one ignored byte, the scrambled log line, the line end.
std::string a7lSampleText(const Sample& sample, int shift, std::string_view lineEnd);
// Chunk text of the key sample (11 bytes): one ignored byte, 8 digits, CR LF.
std::string a7lKeyText(std::string_view keyDigits);
// Movie whose third track's chunks are the given texts (each stored as be16 length + text).
std::string a7lMovieFromChunks(const std::vector<std::string>& chunkTexts,
                               const A7lOptions& options = {});
// Samples in order with the key sample inserted at keyIndex.
std::string a7lMovie(const std::vector<Sample>& samples, const A7lOptions& options = {});

// ---- NT96650A --------------------------------------------------------------------------

inline constexpr uint32_t kNtBlockRead = 232;  // bytes read per block, from position + 48
inline constexpr uint32_t kNtBlockSpan = 280;  // 48 + 232

struct Nt96650Options
{
    std::string chip = "NT96650A";
    std::vector<std::string> keyDigits = {"12345678"};  // block i uses entry i % size
    bool crlf = true;                                   // plain CR LF after the scrambled sentence
    uint32_t creationTime = 3600000000u;

    // First-track variant (blocks after every 30th video sample, rounded to 32 KiB).
    uint32_t videoSampleSize = 4000;
    bool uniformSize = false;                    // stsz uniform-size word instead of a list
    std::optional<uint32_t> videoSampleCount{};  // default 30 per sample
    std::optional<uint32_t> chunkCount{};        // chunk table entries; default sample count
    std::optional<uint32_t> stszCountField{};    // replaces the stsz count word
    std::optional<uint32_t> stcoCountField{};    // replaces the stco count word
    uint32_t firstBlockSlot = 1;                 // block k lies at 32768 * (firstBlockSlot + k - 1)
    uint32_t slack = 0;                          // gap between the end of sample 30k-1 and block k
    bool udtaFirst = false;  // udta before the trak: moov ends right after the trak
};
// The 232 bytes read at block position + 48.
std::string nt96650Block(const Sample& sample, std::string_view keyDigits, bool crlf = true);
// Video track sample tables + blocks; sparse (one 32 KiB slot per block).
SparseFile nt96650FirstTrackMovie(const std::vector<Sample>& samples,
                                  const Nt96650Options& options = {});
// A second track whose chunk offsets + 65536 are the block positions.
std::string nt96650SecondTrackMovie(const std::vector<Sample>& samples,
                                    const Nt96650Options& options = {});

// ---- GoPro GPMF -----------------------------------------------------------------------

// One second of a GoPro recording: GPS fixes (spread evenly over the second) and
// accelerometer readings in m/s².
struct GpmfFix
{
    double latitude = 0.0;
    double longitude = 0.0;
    double altitude = 0.0;  // metres
    double speed = 0.0;     // 2D ground speed, m/s
};
struct GpmfSecond
{
    std::vector<GpmfFix> fixes;
    uint32_t fixType = 3;  // GPSF: 0 no lock, 2 2D, 3 3D
    std::string utc;       // GPSU "yymmddhhmmss.sss"; empty for none
    std::vector<std::array<double, 3>> accelerations;
};
struct GpmfOptions
{
    bool gps9 = false;  // GPS9 records (own time and fix) instead of GPS5
    uint32_t creationTime = 3600000000u;
};
// One GPMF payload: DEVC holding a GPS stream (SCAL, GPSF, GPSU, GPS5 or TYPE and GPS9) and
// an accelerometer stream (SCAL, ACCL).
std::string gpmfPayload(const GpmfSecond& second, const GpmfOptions& options = {});
// An MP4 (ftyp, mdat of payloads, moov) whose metadata track ("meta" handler, "gpmd"
// samples of one second each) carries one payload per second.
std::string goProMovie(const std::vector<GpmfSecond>& seconds, const GpmfOptions& options = {});
// The same payloads from payloadsAt (at least 32) in an mdat with a 64-bit size, then moov;
// chunk offsets in co64 when they pass 4 GiB. Sparse: zeros up to the payloads.
SparseFile goProLargeMovie(const std::vector<GpmfSecond>& seconds, uint64_t payloadsAt,
                           const GpmfOptions& options = {});
// A drive for the GoPro layout: count seconds of 18 fixes and 200 readings near 1 g.
std::vector<GpmfSecond> gpmfDrive(int seconds);

// ---- Movie-time shapes -----------------------------------------------------------------

// ftyp, mdat(payload), moov(mvhd): creation value at s1 + s2 + 20.
std::string movieFirstShape(uint32_t creationTime, std::string_view mdatPayload = {});
// A 24-byte first atom, then moov(mvhd): creation value at offset 44.
std::string movieSecondShape(uint32_t creationTime);

// ---- Modern layouts: Novatek freeGPS blocks and NMEA in a box --------------------------

// One logged second of a modern layout.
struct GpsPoint
{
    double latitude = 0.0;   // decimal degrees, south negative
    double longitude = 0.0;  // decimal degrees, west negative
    double knots = 0.0;
    double course = 0.0;
    char status = 'A';
    int year = 2023;  // UTC
    int month = 5;
    int day = 17;
    int hour = 10;
    int minute = 20;
    int second = 30;
    std::array<int, 3> milliG = {0, 0, 1000};  // thousandths of g
};
// A made-up drive of one point a second from the given place, heading north-east at
// about 50 km/h from 10:20:30 UTC on 2023-05-17 (the date does not roll over).
std::vector<GpsPoint> gpsDrive(int seconds, double latitude = 48.1173, double longitude = 11.5167);

enum class FreeGpsRecord {
    Common,     // int32 time fields at 48, status at 72, floats at 76
    Early,      // the same 32 bytes earlier, accelerations at 60
    Sentences,  // camera date-time text at 52, accelerations at 68, RMC and GGA from 80
};
inline constexpr uint32_t kFreeGpsBlockSize = 0x8000;

struct FreeGpsOptions
{
    FreeGpsRecord record = FreeGpsRecord::Common;
    bool index = true;                        // `gps ` index in moov; false: none
    std::optional<uint32_t> indexCountField;  // replaces the index's entry count
    uint32_t blockSize = kFreeGpsBlockSize;   // size and spacing of the blocks (>= 256)
    uint32_t creationTime = 3600000000u;
};
// The meaningful head of one block: size field, "freeGPS ", the record; the rest of the
// block is zeros.
std::string freeGpsBlockHead(const GpsPoint& point, FreeGpsRecord record,
                             uint32_t blockSize = kFreeGpsBlockSize);
// ftyp, mdat holding block k at blockSize * (k + 1) of the file, moov (mvhd, trak and the
// `gps ` index of (position, size) pairs). Sparse: the blocks are mostly zeros.
SparseFile freeGpsMovie(const std::vector<GpsPoint>& points, const FreeGpsOptions& options = {});

struct NmeaBoxOptions
{
    bool inMoov = false;              // the boxes in moov instead of a top-level free atom
    int64_t startMs = 1684318830000;  // unix milliseconds of the first line and of sttm
    int accelerationsPerSecond = 10;
    uint32_t creationTime = 3600000000u;
};
// "[ms]$GPRMC...\n[ms]$GPGGA...\n" per point, one second apart from startMs.
std::string nmeaBoxLog(const std::vector<GpsPoint>& points, int64_t startMs);
// `3gf ` records (video milliseconds, three axes at 128 per g, big-endian), perSecond per
// point, then the all-ones end record.
std::string accelerometerRecords(const std::vector<GpsPoint>& points, int perSecond);
// ftyp, free (sttm, `gps ` log, `3gf ` records), mdat, moov(mvhd, trak); or with inMoov the
// three boxes at the end of moov.
std::string nmeaBoxMovie(const std::vector<GpsPoint>& points, const NmeaBoxOptions& options = {});

}  // namespace layout_writer
