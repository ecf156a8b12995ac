// Writes the seed corpora of the harnesses: one folder per harness under the given folder.
#include <filesystem>
#include <string>
#include <vector>

#include "layout_writer.h"

namespace {

namespace lw = layout_writer;
namespace fs = std::filesystem;

std::vector<lw::Sample> Samples()
{
    return {{100, -250, 1020, lw::Rmc(22.5, -113.75, 10.0, 45.5)},
            {-3, 0, 7, lw::Gga(-33.25, 151.5, {5})},
            {1, 2, 3, "$GPGSV,3,1,11,03,03,111,00*74"},
            {20000, -20000, 0, lw::Rmc(-0.5, 0.25, 0.5, 359.9, {5, 'V'})}};
}

bool Put(const fs::path& folder, const std::string& name, const std::string& bytes)
{
    fs::create_directories(folder);
    return lw::WriteFile((folder / name).string(), bytes);
}

bool AssistLines(const fs::path& folder)
{
    bool ok = true;
    int n = 0;
    for (const lw::Sample& sample : Samples()) {
        const int shift = 37 + n;
        ok &= Put(folder, "line" + std::to_string(n++),
                  std::string(1, static_cast<char>(shift)) +
                      lw::Scramble(lw::LogLineText(sample), shift) + "\r\n");
    }
    return ok;
}

bool DatFiles(const fs::path& folder)
{
    lw::SidecarOptions lf;
    lf.lineEnd = "\n";
    lf.keyLine = "98765432 trailing text";
    std::vector<lw::Sample> longLine = {{1, 1, 1, "$GPRMC," + std::string(1500, '9')}};
    return Put(folder, "crlf.DAT", lw::Sidecar(Samples())) &&
           Put(folder, "lf.DAT", lw::Sidecar(Samples(), lf)) &&
           Put(folder, "long.DAT", lw::Sidecar(longLine)) &&
           Put(folder, "key-only.DAT", lw::Sidecar({}));
}

bool Movies(const fs::path& folder)
{
    lw::IcatOptions icatFree;
    icatFree.freeAtom = true;
    icatFree.chip = "ICAT6330";
    lw::A7lOptions a7lLateKey;
    a7lLateKey.keyIndex = 2;
    return Put(folder, "icat.MOV", lw::IcatMovie(Samples())) &&
           Put(folder, "icat-free.MOV", lw::IcatMovie(Samples(), icatFree)) &&
           Put(folder, "a7l.MOV", lw::A7lMovie(Samples())) &&
           Put(folder, "a7l-late-key.MOV", lw::A7lMovie(Samples(), a7lLateKey)) &&
           Put(folder, "nt-second-track.MOV", lw::Nt96650SecondTrackMovie(Samples())) &&
           Put(folder, "nt-first-track.MOV", lw::Nt96650FirstTrackMovie(Samples()).Flatten()) &&
           Put(folder, "first-shape.MOV", lw::MovieFirstShape(3600000000u, "video")) &&
           Put(folder, "second-shape.MOV", lw::MovieSecondShape(3600000000u));
}

bool GoProFiles(const fs::path& folder)
{
    std::vector<lw::GpmfSecond> drive = lw::GpmfDrive(2);
    for (lw::GpmfSecond& second : drive) {
        second.fixes.resize(3);
        second.accelerations.resize(4);
        second.utc = "240611081500.000";
    }
    lw::GpmfOptions gps9;
    gps9.gps9 = true;
    return Put(folder, "gps5.MP4", lw::GoProMovie(drive)) &&
           Put(folder, "gps9.MP4", lw::GoProMovie(drive, gps9)) &&
           Put(folder, "payload-gps5", lw::GpmfPayload(drive[0])) &&
           Put(folder, "payload-gps9", lw::GpmfPayload(drive[0], gps9));
}

bool FreeGpsMovies(const fs::path& folder)
{
    std::vector<lw::GpsPoint> points = lw::Drive(3, -12.5, -77.25);
    points[1].status = 'V';
    bool ok = true;
    for (auto record : {lw::FreeGpsRecord::Common, lw::FreeGpsRecord::Early,
                        lw::FreeGpsRecord::Sentences}) {
        lw::FreeGpsOptions options;
        options.record = record;
        options.blockSize = 512;
        const std::string name = "record" + std::to_string(static_cast<int>(record));
        ok = ok && Put(folder, name + "-indexed.MP4", lw::FreeGpsMovie(points, options).Flatten());
        options.index = false;
        ok = ok && Put(folder, name + "-scanned.MP4", lw::FreeGpsMovie(points, options).Flatten());
    }
    // Camera-sized blocks: two fit under the smoke's input limit.
    points.resize(2);
    return ok && Put(folder, "camera-blocks.MP4", lw::FreeGpsMovie(points).Flatten());
}

bool NmeaBoxMovies(const fs::path& folder)
{
    std::vector<lw::GpsPoint> points = lw::Drive(3, 35.5, 139.75);
    points[2].status = 'V';
    lw::NmeaBoxOptions inMoov;
    inMoov.inMoov = true;
    inMoov.accelerationsPerSecond = 2;
    return Put(folder, "free.MP4", lw::NmeaBoxMovie(points)) &&
           Put(folder, "moov.MP4", lw::NmeaBoxMovie(points, inMoov));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const fs::path root = argv[1];
    const bool ok = AssistLines(root / "fuzz_assist_line") && DatFiles(root / "fuzz_dat_file") &&
                    Movies(root / "fuzz_movie") && GoProFiles(root / "fuzz_gopro") &&
                    FreeGpsMovies(root / "fuzz_freegps") && NmeaBoxMovies(root / "fuzz_nmea_box");
    return ok ? 0 : 1;
}
