// make-sample-recordings DIR [SECONDS [LAYOUT...]]: writes short, real, playable dashcam recordings
// with telemetry in each camera layout, along one made-up drive.
#include <gst/gst.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "telemetry/layout.h"
#include "tools/layout_writer/layout_writer.h"
#include "tools/make-sample-recordings/camera_movie.h"
#include "tools/make-sample-recordings/drive.h"
#include "tools/make-sample-recordings/encode.h"
#include "tools/program_args/program_args.h"

namespace fs = std::filesystem;
namespace lw = layout_writer;

namespace {

constexpr long long kDriveStartUtc = 1718093700;  // 2024-06-11 08:15:00 UTC
constexpr uint32_t kEpoch1904 = 2082844800u;      // 1970-01-01 in the movie epoch
constexpr char kSidecarKey[] = "27182818";

struct Recording
{
    const char* name;
    Layout layout;
};

const char kUsage[] =
    "usage: make-sample-recordings DIR [SECONDS [LAYOUT...]]\n"
    "\n"
    "Writes short, real, playable dashcam recordings (H.264, SECONDS long, 12 by default)\n"
    "into DIR, one per camera layout, along one made-up drive. LAYOUT chooses some of\n"
    "them: ICAT A7L NT96650A SIDECAR PLAIN.\n";

constexpr Recording kRecordings[] = {
    {"20240611_081500_ICAT.MOV", Layout::ICat},
    {"20240611_081600_A7L.MOV", Layout::A7L},
    {"20240611_081700_NT96650A.MOV", Layout::NT96650},
    {"20240611_081800_SIDECAR.MOV", Layout::Sidecar},
    {"20240611_081900_PLAIN.TS", Layout::None},
};

std::string two(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

lw::Sample toLogged(const DriveSample& s)
{
    const std::time_t t = static_cast<std::time_t>(s.utcSeconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    lw::FixOptions fix;
    fix.time = two(tm.tm_hour) + two(tm.tm_min) + two(tm.tm_sec);
    fix.date = two(tm.tm_mday) + two(tm.tm_mon + 1) + two(tm.tm_year % 100);
    // Knots a hair high, so that the player's knots x 1.85 truncation gives back the km/h.
    const double knots = s.speedKmh / 1.85 + 0.004;
    return {s.gX, s.gY, s.gZ, lw::rmc(s.latitude, s.longitude, knots, s.course, fix)};
}

bool isNamed(const Recording& rec, const std::string& layout)
{
    return std::string(rec.name).find("_" + layout + ".") != std::string::npos;
}

// No names: every layout; else those whose file name has "_NAME.".
bool isWanted(const Recording& rec, const std::vector<std::string>& wanted)
{
    return wanted.empty() || std::any_of(wanted.begin(), wanted.end(),
                                         [&](const std::string& w) { return isNamed(rec, w); });
}

bool isLayout(const std::string& layout)
{
    return std::any_of(std::begin(kRecordings), std::end(kRecordings),
                       [&](const Recording& rec) { return isNamed(rec, layout); });
}

bool writeRecording(const Recording& rec, const fs::path& dir,
                    const std::vector<DriveSample>& drive, int seconds, std::string& error)
{
    std::vector<lw::Sample> samples;
    for (const DriveSample& s : drive) {
        samples.push_back(toLogged(s));
    }
    const fs::path target = dir / rec.name;
    ClipOptions clip{seconds, rec.layout != Layout::NT96650, rec.layout == Layout::None, rec.name};
    if (clip.transportStream) {
        return encodeClip(clip, target.string(), error);
    }
    const fs::path raw = dir / (std::string(".raw-") + rec.name);
    if (!encodeClip(clip, raw.string(), error)) {
        return false;
    }
    const camera_movie::Movie movie{static_cast<uint32_t>(drive.front().utcSeconds + kEpoch1904),
                                    raw.string(), target.string()};
    bool ok = false;
    switch (rec.layout) {
    case Layout::ICat: ok = camera_movie::writeIcat(movie, samples, error); break;
    case Layout::A7L: ok = camera_movie::writeA7l(movie, samples, error); break;
    case Layout::NT96650: ok = camera_movie::writeNt96650(movie, samples, error); break;
    case Layout::Sidecar: {
        lw::SidecarOptions options;
        options.keyLine = kSidecarKey;
        ok = camera_movie::writePlain(movie, error) &&
             lw::writeFile(fs::path(target).replace_extension(".DAT").string(),
                           lw::sidecar(samples, options));
        if (!ok && error.empty()) {
            error = "cannot write the sidecar file";
        }
        break;
    }
    default: break;  // the samples are in the layouts of old and plain
    }
    std::error_code ignored;
    fs::remove(raw, ignored);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    gst_init(&argc, &argv);
    const ProgramArgs args = parseProgramArgs(argc, argv, kUsage, {1});
    if (args.exitStatus) {
        return *args.exitStatus;
    }
    const std::vector<std::string>& operands = args.operands;
    const fs::path dir = operands[0];
    const int seconds = operands.size() >= 2 ? std::atoi(operands[1].c_str()) : 12;
    const std::vector<std::string> wanted(operands.begin() + std::min<size_t>(operands.size(), 2),
                                          operands.end());
    if (seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "make-sample-recordings: SECONDS must be 1..3600\n");
        return 2;
    }
    for (const std::string& layout : wanted) {
        if (!isLayout(layout)) {
            std::fprintf(stderr, "make-sample-recordings: no layout %s\n%s", layout.c_str(),
                         kUsage);
            return 2;
        }
    }
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }
    const std::vector<DriveSample> drive =
        makeDrive(seconds * static_cast<int>(std::size(kRecordings)), kDriveStartUtc);
    for (size_t i = 0; i < std::size(kRecordings); ++i) {
        if (!isWanted(kRecordings[i], wanted)) {
            continue;
        }
        const auto first = drive.begin() + static_cast<long>(i) * seconds;
        std::string error;
        if (!writeRecording(kRecordings[i], dir, {first, first + seconds}, seconds, error)) {
            std::fprintf(stderr, "%s: %s\n", kRecordings[i].name, error.c_str());
            return 1;
        }
        std::printf("%s\n", (dir / kRecordings[i].name).c_str());
    }
    return 0;
}
