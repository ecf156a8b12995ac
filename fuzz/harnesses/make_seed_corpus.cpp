// Writes the seed corpora of the harnesses: one folder per harness under the given folder.
#include <filesystem>
#include <string>
#include <vector>

#include "tools/layout_writer/layout_writer.h"

namespace {

namespace lw = layout_writer;
namespace fs = std::filesystem;

std::vector<lw::Sample> samples()
{
    return {{100, -250, 1020, lw::rmc(22.5, -113.75, 10.0, 45.5)},
            {-3, 0, 7, lw::gga(-33.25, 151.5, {5})},
            {1, 2, 3, "$GPGSV,3,1,11,03,03,111,00*74"},
            {20000, -20000, 0, lw::rmc(-0.5, 0.25, 0.5, 359.9, {5, 'V'})}};
}

bool put(const fs::path& folder, const std::string& name, const std::string& bytes)
{
    fs::create_directories(folder);
    return lw::writeFile((folder / name).string(), bytes);
}

bool assistLines(const fs::path& folder)
{
    bool ok = true;
    int n = 0;
    for (const lw::Sample& sample : samples()) {
        const int shift = 37 + n;
        ok &= put(folder, "line" + std::to_string(n++),
                  std::string(1, static_cast<char>(shift)) +
                      lw::scramble(lw::logLineText(sample), shift) + "\r\n");
    }
    return ok;
}

bool datFiles(const fs::path& folder)
{
    lw::SidecarOptions lf;
    lf.lineEnd = "\n";
    lf.keyLine = "98765432 trailing text";
    std::vector<lw::Sample> longLine = {{1, 1, 1, "$GPRMC," + std::string(1500, '9')}};
    return put(folder, "crlf.DAT", lw::sidecar(samples())) &&
           put(folder, "lf.DAT", lw::sidecar(samples(), lf)) &&
           put(folder, "long.DAT", lw::sidecar(longLine)) &&
           put(folder, "key-only.DAT", lw::sidecar({}));
}

// One payload of three records whose sample plays 2^32-1 units at one unit a second: the
// records lie years apart. Mutations alone never reach such a time line.
std::string endlessPayloadMovie(uint32_t creationTime)
{
    std::vector<lw::GpmfSecond> drive = lw::gpmfDrive(1);
    drive[0].fixes.resize(3);
    drive[0].accelerations.resize(3);
    lw::GpmfOptions options;
    options.creationTime = creationTime;
    std::string movie = lw::goProMovie(drive, options);
    lw::patchBE32(movie, lw::findAtom(movie, "mdhd") + 20, 1);            // time scale
    lw::patchBE32(movie, lw::findAtom(movie, "stts") + 20, 0xFFFFFFFFu);  // delta
    return movie;
}

// A sample table that claims 2^32-1 one-byte samples in one chunk: every byte of the file
// after the chunk's start could be a sample.
std::string oneByteSamplesMovie()
{
    std::string movie = lw::goProMovie(lw::gpmfDrive(1));
    const size_t stts = lw::findAtom(movie, "stts");
    lw::patchBE32(movie, stts + 16, 0xFFFFFFFFu);                         // sample count
    lw::patchBE32(movie, stts + 20, 1);                                   // delta
    lw::patchBE32(movie, lw::findAtom(movie, "stsc") + 20, 0xFFFFFFFFu);  // samples per chunk
    const size_t stsz = lw::findAtom(movie, "stsz");
    lw::patchBE32(movie, stsz + 12, 1);  // every sample one byte
    lw::patchBE32(movie, stsz + 16, 0xFFFFFFFFu);
    return movie;
}

bool movies(const fs::path& folder)
{
    lw::IcatOptions icatFree;
    icatFree.freeAtom = true;
    icatFree.chip = "ICAT6330";
    lw::A7lOptions a7lLateKey;
    a7lLateKey.keyIndex = 2;
    return put(folder, "icat.MOV", lw::icatMovie(samples())) &&
           put(folder, "icat-free.MOV", lw::icatMovie(samples(), icatFree)) &&
           put(folder, "a7l.MOV", lw::a7lMovie(samples())) &&
           put(folder, "a7l-late-key.MOV", lw::a7lMovie(samples(), a7lLateKey)) &&
           put(folder, "nt-second-track.MOV", lw::nt96650SecondTrackMovie(samples())) &&
           put(folder, "nt-first-track.MOV", lw::nt96650FirstTrackMovie(samples()).flatten()) &&
           put(folder, "first-shape.MOV", lw::movieFirstShape(3600000000u, "video")) &&
           put(folder, "second-shape.MOV", lw::movieSecondShape(3600000000u)) &&
           put(folder, "one-byte-samples.MP4", oneByteSamplesMovie());
}

bool goProFiles(const fs::path& folder)
{
    std::vector<lw::GpmfSecond> drive = lw::gpmfDrive(2);
    for (lw::GpmfSecond& second : drive) {
        second.fixes.resize(3);
        second.accelerations.resize(4);
        second.utc = "240611081500.000";
    }
    lw::GpmfOptions gps9;
    gps9.gps9 = true;
    return put(folder, "gps5.MP4", lw::goProMovie(drive)) &&
           put(folder, "gps9.MP4", lw::goProMovie(drive, gps9)) &&
           put(folder, "payload-gps5", lw::gpmfPayload(drive[0])) &&
           put(folder, "payload-gps9", lw::gpmfPayload(drive[0], gps9)) &&
           put(folder, "endless-payload.MP4", endlessPayloadMovie(3600000000u)) &&
           put(folder, "endless-payload-no-time.MP4", endlessPayloadMovie(0)) &&
           put(folder, "one-byte-samples.MP4", oneByteSamplesMovie());
}

bool freeGpsMovies(const fs::path& folder)
{
    std::vector<lw::GpsPoint> points = lw::gpsDrive(3, -12.5, -77.25);
    points[1].status = 'V';
    bool ok = true;
    for (auto record :
         {lw::FreeGpsRecord::Common, lw::FreeGpsRecord::Early, lw::FreeGpsRecord::Sentences}) {
        lw::FreeGpsOptions options;
        options.record = record;
        options.blockSize = 512;
        const std::string name = "record" + std::to_string(static_cast<int>(record));
        ok = ok && put(folder, name + "-indexed.MP4", lw::freeGpsMovie(points, options).flatten());
        options.index = false;
        ok = ok && put(folder, name + "-scanned.MP4", lw::freeGpsMovie(points, options).flatten());
    }
    // Camera-sized blocks: two fit under the smoke's input limit.
    points.resize(2);
    return ok && put(folder, "camera-blocks.MP4", lw::freeGpsMovie(points).flatten());
}

bool nmeaBoxMovies(const fs::path& folder)
{
    std::vector<lw::GpsPoint> points = lw::gpsDrive(3, 35.5, 139.75);
    points[2].status = 'V';
    lw::NmeaBoxOptions inMoov;
    inMoov.inMoov = true;
    inMoov.accelerationsPerSecond = 2;
    return put(folder, "free.MP4", lw::nmeaBoxMovie(points)) &&
           put(folder, "moov.MP4", lw::nmeaBoxMovie(points, inMoov));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        return 2;
    }
    const fs::path root = argv[1];
    const bool ok = assistLines(root / "fuzz_assist_line") && datFiles(root / "fuzz_dat_file") &&
                    movies(root / "fuzz_movie") && goProFiles(root / "fuzz_gopro") &&
                    freeGpsMovies(root / "fuzz_freegps") && nmeaBoxMovies(root / "fuzz_nmea_box");
    return ok ? 0 : 1;
}
