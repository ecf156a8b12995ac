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
    "them: ICAT A7L NT96650A SIDECAR PLAIN. Moments of two and three channels, one per\n"
    "naming family, are written only when named here: the front with ICAT telemetry and\n"
    "sound, the others silent, starting up to 2 s after the front (as their movie headers\n"
    "say) and ending with it. Each channel's picture carries its channel and frame number,\n"
    "as text and as a row of black and white squares along the bottom.\n"
    "  MOVIE    YYYY_MMDD_HHMMSS_NNNNF.MP4, R and I 1 s later, each named at its start\n"
    "  RECORD   YYYYMMDD_HHMMSS_NF.mp4 and _NR.mp4, R 1 s later\n"
    "  HL       YYMMDD_HHMMSS_NNN_FH.MP4 and _RH.MP4, R 1 s later\n"
    "  AB       YYYY_MMDD_HHMMSS_NNNA.MP4 and B.MP4, B 2 s later\n"
    "  FOLDERS  Front/ and Rear/YYYYMMDD_HHMMSS.MP4, the rear 1 s later\n"
    "  MOMENTS  all five moments\n";

// One channel's file of a sample moment: its name as a strftime format of its own start,
// its letter, and its start after the front's.
struct ChannelSample
{
    const char* format;
    char channel;
    int offset;
};

struct MomentSample
{
    const char* family;
    std::vector<ChannelSample> channels;
};

const std::vector<MomentSample> kMoments = {
    {"MOVIE",
     {{"%Y_%m%d_%H%M%S_0001F.MP4", 'F', 0},
      {"%Y_%m%d_%H%M%S_0001R.MP4", 'R', 1},
      {"%Y_%m%d_%H%M%S_0001I.MP4", 'I', 1}}},
    {"RECORD", {{"%Y%m%d_%H%M%S_NF.mp4", 'F', 0}, {"%Y%m%d_%H%M%S_NR.mp4", 'R', 1}}},
    {"HL", {{"%y%m%d_%H%M%S_001_FH.MP4", 'F', 0}, {"%y%m%d_%H%M%S_001_RH.MP4", 'R', 1}}},
    {"AB", {{"%Y_%m%d_%H%M%S_001A.MP4", 'F', 0}, {"%Y_%m%d_%H%M%S_001B.MP4", 'R', 2}}},
    {"FOLDERS", {{"Front/%Y%m%d_%H%M%S.MP4", 'F', 0}, {"Rear/%Y%m%d_%H%M%S.MP4", 'R', 1}}},
};

// The families that name the channel in the file name also name the moment by each file's
// own start; the others by the front's.
constexpr const char* kNamedByOwnStart = "MOVIE";

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

// Only when named: a folder of the single recordings stays as it always was.
bool isMomentWanted(const MomentSample& moment, const std::vector<std::string>& wanted)
{
    return std::any_of(wanted.begin(), wanted.end(),
                       [&](const std::string& w) { return w == "MOMENTS" || w == moment.family; });
}

bool isLayout(const std::string& layout)
{
    return layout == "MOMENTS" ||
           std::any_of(std::begin(kRecordings), std::end(kRecordings),
                       [&](const Recording& rec) { return isNamed(rec, layout); }) ||
           std::any_of(kMoments.begin(), kMoments.end(),
                       [&](const MomentSample& moment) { return layout == moment.family; });
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

std::string fileNameAt(const char* format, long long utcSeconds)
{
    const std::time_t t = static_cast<std::time_t>(utcSeconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char name[128];
    return std::strftime(name, sizeof name, format, &tm) > 0 ? name : "";
}

// The channel's file, `channel.offset` seconds into the moment and as much shorter, so that
// all channels end together; the front carries the telemetry and the sound.
bool writeChannel(const MomentSample& moment, size_t index, const fs::path& dir,
                  const std::vector<DriveSample>& drive, int seconds, std::string& error)
{
    const ChannelSample& channel = moment.channels[index];
    const bool front = index == 0;
    const long long start = drive.front().utcSeconds + channel.offset;
    const bool ownStart = std::string(moment.family) == kNamedByOwnStart;
    const fs::path target =
        dir / fileNameAt(channel.format, ownStart ? start : drive.front().utcSeconds);
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    static const char* const kPatterns[] = {"smpte75", "pinwheel", "spokes"};
    ClipOptions clip;
    clip.seconds = std::max(1, seconds - channel.offset);
    clip.audio = front;
    clip.label = std::string(1, channel.channel) + "  " + target.filename().string();
    clip.stampChannel = static_cast<int>(std::string("FRIT").find(channel.channel));
    clip.pattern = kPatterns[index % std::size(kPatterns)];
    const fs::path raw = dir / (".raw-" + target.filename().string());
    if (!encodeClip(clip, raw.string(), error)) {
        return false;
    }
    const camera_movie::Movie movie{static_cast<uint32_t>(start + kEpoch1904), raw.string(),
                                    target.string()};
    std::vector<lw::Sample> samples;
    for (const DriveSample& s : drive) {
        samples.push_back(toLogged(s));
    }
    const bool ok = front ? camera_movie::writeIcat(movie, samples, error)
                          : camera_movie::writePlain(movie, error);
    fs::remove(raw, ec);
    if (ok) {
        std::printf("%s\n", target.c_str());
    }
    return ok;
}

bool writeMoment(const MomentSample& moment, const fs::path& dir,
                 const std::vector<DriveSample>& drive, int seconds)
{
    for (size_t i = 0; i < moment.channels.size(); ++i) {
        std::string error;
        if (!writeChannel(moment, i, dir, drive, seconds, error)) {
            std::fprintf(stderr, "%s moment, channel %c: %s\n", moment.family,
                         moment.channels[i].channel, error.c_str());
            return false;
        }
    }
    return true;
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
    const int slices = static_cast<int>(std::size(kRecordings) + kMoments.size());
    const std::vector<DriveSample> drive = makeDrive(seconds * slices, kDriveStartUtc);
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
    // The moments follow the single recordings along the drive.
    for (size_t i = 0; i < kMoments.size(); ++i) {
        if (!isMomentWanted(kMoments[i], wanted)) {
            continue;
        }
        const auto first = drive.begin() + static_cast<long>(std::size(kRecordings) + i) * seconds;
        if (!writeMoment(kMoments[i], dir, {first, first + seconds}, seconds)) {
            return 1;
        }
    }
    return 0;
}
