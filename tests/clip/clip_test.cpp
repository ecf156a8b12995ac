// The clip cut, judged by independent tools: ffmpeg's decoded frame checksums and packet
// times, ffprobe's streams, gpsbabel's reading of the GPX.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clip/clip_export.h"

namespace fs = std::filesystem;

namespace {

struct CommandRun
{
    int status = -1;
    std::string out;
    std::string err;
};

std::string readWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        found.push_back(line);
    }
    return found;
}

// A fresh folder for one test, removed afterwards.
class Folder
{
public:
    explicit Folder(const std::string& name)
        : m_path(fs::temp_directory_path() /
                 ("clip-test-" + name + "-" + std::to_string(::getpid())))
    {
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const fs::path& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

CommandRun run(const std::string& command)
{
    const Folder capture("capture");
    CommandRun result;
    const int raw = std::system(
        (command + " >'" + (capture / "out") + "' 2>'" + (capture / "err") + "'").c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readWhole(capture / "out");
    result.err = readWhole(capture / "err");
    return result;
}

std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

// The checksums of the decoded frames of a stream ("v", "a"), in presentation order.
std::vector<std::string> frameChecksums(const std::string& movie, const std::string& stream)
{
    const CommandRun framemd5 = run("ffmpeg -v error -i " + quoted(movie) + " -map 0:" + stream +
                                    " -f framemd5 - | grep -v '^#' | cut -d, -f6");
    EXPECT_EQ(framemd5.status, 0) << framemd5.err;
    return lines(framemd5.out);
}

std::vector<double> packetTimes(const std::string& movie, const std::string& stream)
{
    const CommandRun probe = run("ffprobe -v error -select_streams " + stream +
                                 " -show_entries packet=pts_time -of csv=p=0 " + quoted(movie));
    std::vector<double> times;
    for (const std::string& line : lines(probe.out)) {
        times.push_back(std::atof(line.c_str()));
    }
    std::sort(times.begin(), times.end());
    return times;
}

std::vector<std::string> slice(const std::vector<std::string>& all, size_t first, size_t count)
{
    first = std::min(first, all.size());
    return {all.begin() + static_cast<long>(first),
            all.begin() + static_cast<long>(std::min(all.size(), first + count))};
}

// Two camera recordings, one after the other, 20 s each at 30 frames per second with a
// key frame every second, AAC audio and telemetry (made by make-sample-recordings), and two
// that ffmpeg made with B-frames and AAC whose priming an edit list hides. They are made
// once for the build and kept.
bool makeRecordings(const fs::path& folder)
{
    const CommandRun samples =
        run(std::string(MAKE_SAMPLE_RECORDINGS) + " " + quoted(folder.string()) + " 20 ICAT A7L");
    EXPECT_EQ(samples.status, 0) << samples.err;
    fs::create_directories(folder / "bframes");
    for (const char* part : {"-t 8 -metadata creation_time=2024-06-11T09:00:00Z A.mp4",
                             "-ss 8 -t 8 -metadata creation_time=2024-06-11T09:00:08Z B.mp4"}) {
        const CommandRun made =
            run("cd " + quoted((folder / "bframes").string()) +
                " && ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25 -f lavfi"
                " -i sine=frequency=440:sample_rate=44100 -c:v libx264 -g 25 -bf 2 -c:a aac"
                " " +
                part);
        EXPECT_EQ(made.status, 0) << made.err;
        if (made.status != 0) {
            return false;
        }
    }
    return samples.status == 0;
}

constexpr char kReady[] = "ready-2";

class ClipCut : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const fs::path media = CLIP_MEDIA_DIR;
        // The stamp names the set: a new set of recordings gets a new name.
        if (fs::exists(media / kReady)) {
            return;
        }
        // Made aside and moved in whole, so that tests run side by side see all or nothing.
        const fs::path making = media.string() + ".making-" + std::to_string(::getpid());
        fs::remove_all(making);
        fs::create_directories(making);
        ASSERT_TRUE(makeRecordings(making));
        std::ofstream(making / kReady) << "ready\n";
        std::error_code ignored;
        const fs::path outdated = media.string() + ".outdated-" + std::to_string(::getpid());
        if (!fs::exists(media / kReady)) {
            fs::rename(media, outdated, ignored);
        }
        fs::rename(making, media, ignored);  // fails when another test placed its set first
        fs::remove_all(making, ignored);
        fs::remove_all(outdated, ignored);
    }

    static std::string recording(const std::string& name)
    {
        return (fs::path(CLIP_MEDIA_DIR) / name).string();
    }

    static CommandRun cut(const std::string& folder, const std::string& from, const std::string& to,
                          const std::string& cwd = ".")
    {
        return run("cd " + quoted(cwd) + " && " + DASHCAM_CLIP + " -o " + quoted(folder) +
                   " --from " + quoted(from) + " --to " + quoted(to));
    }
};

ClipRequest request(const std::vector<std::string>& recordings, double in, double out,
                    const fs::path& folder, const std::string& name)
{
    ClipRequest made;
    made.recordings = recordings;
    made.in = in;
    made.out = out;
    made.folder = folder.string();
    made.name = name;
    return made;
}

const char kFirst[] = "20240611_081500_ICAT.MOV";
const char kSecond[] = "20240611_081600_A7L.MOV";

TEST_F(ClipCut, SpanAcrossTwoRecordingsIsTheSourceFramesWithTheirTelemetry)
{
    const Folder out("across");
    const CommandRun clip =
        cut(out.path(), recording(kFirst) + "@15.5", recording(kSecond) + "@4.2");
    ASSERT_EQ(clip.status, 0) << clip.err;
    const std::string base = out / "clip_20240611_081515_F";
    ASSERT_EQ(lines(clip.out),
              (std::vector<std::string>{base + ".mp4", base + ".gpx", base + ".csv"}));
    EXPECT_EQ(clip.err, "");

    // From the key frame at 15 s (frame 450) to the end, then the second recording's
    // frames shown before 4.2 s: 150 + 126 frames, each as the source decodes it.
    std::vector<std::string> expected = slice(frameChecksums(recording(kFirst), "v"), 450, 150);
    const std::vector<std::string> second = slice(frameChecksums(recording(kSecond), "v"), 0, 126);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(frameChecksums(base + ".mp4", "v"), expected);

    // Frame times step by one frame across the boundary: no gap, no frame twice.
    const std::vector<double> video = packetTimes(base + ".mp4", "v");
    ASSERT_EQ(video.size(), 276u);
    for (size_t i = 0; i < video.size(); ++i) {
        EXPECT_NEAR(video[i], i / 30.0, 1e-3) << "frame " << i;
    }
    // Audio runs along: it starts with the picture and ends with it, within one AAC frame,
    // and a sample of the second recording starts where its picture does.
    const std::vector<double> audio = packetTimes(base + ".mp4", "a");
    ASSERT_FALSE(audio.empty());
    EXPECT_NEAR(audio.front(), 0.0, 1024.0 / 48000);
    EXPECT_NEAR(audio.back(), 276 / 30.0, 2 * 1024.0 / 48000);
    EXPECT_TRUE(
        std::any_of(audio.begin(), audio.end(), [](double t) { return std::abs(t - 5.0) < 1e-3; }));

    const CommandRun streams =
        run("ffprobe -v error -show_entries stream=codec_type,codec_name -of "
            "csv=p=0 " +
            quoted(base + ".mp4"));
    EXPECT_EQ(streams.out, "h264,video\naac,audio\nmov_text,subtitle\n");
    const CommandRun cues =
        run("ffmpeg -v error -i " + quoted(base + ".mp4") + " -map 0:s -f srt -");
    EXPECT_NE(cues.out.find("2024-06-11 08:15:15 UTC  85 km/h  47.371626, 8.544341  88"),
              std::string::npos)
        << cues.out;
    EXPECT_NE(cues.out.find("\n10\n00:00:09,000 --> 00:00:09,2"), std::string::npos) << cues.out;
    EXPECT_EQ(cues.out.find("\n11\n"), std::string::npos) << cues.out;

    // gpsbabel reads the GPX: one point per second shown, at the camera's fix times.
    const CommandRun babel =
        run("gpsbabel -t -i gpx -f " + quoted(base + ".gpx") + " -o unicsv,utc=0 -F -");
    ASSERT_EQ(babel.status, 0) << babel.err;
    const std::vector<std::string> points = lines(babel.out);
    ASSERT_EQ(points.size(), 1u + 5 + 5);
    EXPECT_NE(points[1].find("2024/06/11,08:15:15"), std::string::npos) << points[1];
    EXPECT_NE(points[10].find("2024/06/11,08:15:24"), std::string::npos) << points[10];
    EXPECT_EQ(lines(readWhole(base + ".csv")).size(), 1u + 5 + 5);

    // The same span by UTC times, from the recordings' folder, cuts the same clip.
    const Folder byTime("by-time");
    const CommandRun timed = cut(byTime.path(), "2024-06-11T08:15:15.5Z", "2024-06-11T08:15:24.2Z",
                                 std::string(CLIP_MEDIA_DIR));
    ASSERT_EQ(timed.status, 0) << timed.err;
    EXPECT_EQ(readWhole(byTime / "clip_20240611_081515_F.mp4"), readWhole(base + ".mp4"));
}

// The mean PSNR (dB) of a band of the frames of two movies: top and height as shares of the
// frame's height.
double bandPsnr(const std::string& a, const std::string& b, double top, double height)
{
    const std::string crop =
        "crop=iw:ih*" + std::to_string(height) + ":0:ih*" + std::to_string(top);
    const CommandRun psnr = run("ffmpeg -v info -nostats -i " + quoted(a) + " -i " + quoted(b) +
                                " -lavfi '[0:v]" + crop + "[a];[1:v]" + crop +
                                "[b];[a][b]psnr' -f null - 2>&1 | grep -o 'average:[0-9.inf]*'");
    EXPECT_EQ(psnr.status, 0) << psnr.err;
    return std::atof(psnr.out.substr(psnr.out.find(':') + 1).c_str());
}

// The folder's quotes and backslash must reach the encoder's file sink as they are.
TEST_F(ClipCut, OverlayDrawsTheTelemetryIntoTheSameFrames)
{
    const Folder out("overlay \"to\" a\\b");
    const CommandRun lossless =
        cut(out.path(), recording(kFirst) + "@15.5", recording(kSecond) + "@4.2");
    ASSERT_EQ(lossless.status, 0) << lossless.err;
    const CommandRun overlay = run(
        std::string(DASHCAM_CLIP) + " --overlay -o " + quoted(out.path().string()) + " --from " +
        quoted(recording(kFirst) + "@15.5") + " --to " + quoted(recording(kSecond) + "@4.2"));
    ASSERT_EQ(overlay.status, 0) << overlay.err;
    const std::string drawn = lines(overlay.out).at(0);
    EXPECT_EQ(drawn, out / "clip_20240611_081515_F-2.mp4");
    const CommandRun streams = run("ffprobe -v error -show_entries stream=codec_name,nb_frames "
                                   "-of csv=p=0 " +
                                   quoted(drawn));
    EXPECT_EQ(streams.out, "h264,276\naac,431\n");
    // The picture is the clip's above the band, and something else in it.
    const std::string source = lines(lossless.out).at(0);
    EXPECT_GT(bandPsnr(drawn, source, 0.0, 0.85), 30.0);
    EXPECT_LT(bandPsnr(drawn, source, 0.92, 0.08), 20.0);
}

TEST_F(ClipCut, BFramesAndPrimedAudioKeepEveryFrame)
{
    const Folder out("bframes");
    const std::string folder = recording("bframes");
    const CommandRun clip = cut(out.path(), folder + "/A.mp4@3.3", folder + "/B.mp4@2.5");
    ASSERT_EQ(clip.status, 0) << clip.err;
    const std::string movie = lines(clip.out).at(0);
    // Key frame at 3 s (frame 75) to the end, then every frame shown before 2.5 s and the
    // frames decoded before them.
    std::vector<std::string> expected = slice(frameChecksums(folder + "/A.mp4", "v"), 75, 125);
    const std::vector<std::string> second = slice(frameChecksums(folder + "/B.mp4", "v"), 0, 63);
    expected.insert(expected.end(), second.begin(), second.end());
    const std::vector<std::string> frames = frameChecksums(movie, "v");
    ASSERT_GE(frames.size(), expected.size());
    EXPECT_EQ(slice(frames, 0, expected.size()), expected);
    EXPECT_EQ(run("ffmpeg -v error -i " + quoted(movie) + " -f null -").err, "");
}

// Front and rear files of two moments in one folder, paired by their names: one clip per
// channel, each of its own channel's recordings.
TEST_F(ClipCut, EveryChannelOfTheMomentIsCut)
{
    const Folder channels("channels");
    const Folder out("channels-out");
    fs::copy_file(recording(kFirst), channels / "20240611_081500_F.MOV");
    fs::copy_file(recording(kSecond), channels / "20240611_081500_R.MOV");
    fs::copy_file(recording(kSecond), channels / "20240611_081520_F.MOV");
    fs::copy_file(recording(kFirst), channels / "20240611_081520_R.MOV");
    const CommandRun clip = cut(out.path(), channels / "20240611_081500_F.MOV@18",
                                channels / "20240611_081520_F.MOV@2");
    ASSERT_EQ(clip.status, 0) << clip.err;
    const std::string front = out / "clip_20240611_081518_F";
    const std::string rear = out / "clip_20240611_081518_R";
    ASSERT_EQ(lines(clip.out),
              (std::vector<std::string>{front + ".mp4", front + ".gpx", front + ".csv",
                                        rear + ".mp4", rear + ".gpx", rear + ".csv"}));
    const std::vector<std::string> first = frameChecksums(recording(kFirst), "v");
    const std::vector<std::string> second = frameChecksums(recording(kSecond), "v");
    std::vector<std::string> frontFrames = slice(first, 540, 60);
    std::vector<std::string> rearFrames = slice(second, 540, 60);
    for (size_t i = 0; i < 60; ++i) {
        frontFrames.push_back(second[i]);
        rearFrames.push_back(first[i]);
    }
    EXPECT_EQ(frameChecksums(front + ".mp4", "v"), frontFrames);
    EXPECT_EQ(frameChecksums(rear + ".mp4", "v"), rearFrames);

    const CommandRun rearOnly =
        run("cd " + quoted(out.path().string()) + " && " + DASHCAM_CLIP + " --channel R --from " +
            quoted(channels / "20240611_081500_F.MOV@18") + " --to " +
            quoted(channels / "20240611_081520_F.MOV@2"));
    ASSERT_EQ(rearOnly.status, 0) << rearOnly.err;
    EXPECT_EQ(lines(rearOnly.out).at(0), "./clip_20240611_081518_R-2.mp4");
}

TEST_F(ClipCut, NeverReplacesAFile)
{
    const Folder out("twice");
    const std::string from = recording(kFirst) + "@2";
    const std::string to = recording(kFirst) + "@4";
    fs::create_directories(out.path());
    std::ofstream(out / "clip_20240611_081502_F.gpx") << "kept";
    const CommandRun first = cut(out.path(), from, to);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(lines(first.out).at(0), out / "clip_20240611_081502_F-2.mp4");
    const std::string made = readWhole(out / "clip_20240611_081502_F-2.mp4");
    const CommandRun second = cut(out.path(), from, to);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(lines(second.out).at(0), out / "clip_20240611_081502_F-3.mp4");
    EXPECT_EQ(readWhole(out / "clip_20240611_081502_F.gpx"), "kept");
    EXPECT_EQ(readWhole(out / "clip_20240611_081502_F-2.mp4"), made);

    // The library itself refuses a name that is taken.
    const ClipResult refused =
        exportClip(request({recording(kFirst)}, 2, 4, out.path(), "clip_20240611_081502_F"), {});
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("already exists"), std::string::npos) << refused.error;
    EXPECT_EQ(readWhole(out / "clip_20240611_081502_F.gpx"), "kept");
}

size_t entries(const fs::path& folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// A file system of the test's own: read-only, or too small for the clip. Mounting needs root;
// without it a folder without write permission stands in for the read-only one.
class TestMount
{
public:
    TestMount(const fs::path& at, const char* options)
        : m_at(at), m_mounted(::mount("tmpfs", at.c_str(), "tmpfs", 0, options) == 0)
    {}
    ~TestMount()
    {
        if (m_mounted) {
            ::umount2(m_at.c_str(), MNT_DETACH);
        }
    }
    bool mounted() const { return m_mounted; }

private:
    fs::path m_at;
    bool m_mounted;
};

TEST_F(ClipCut, UnwritableOrFullFolderFailsWithTheReasonAndLeavesNothing)
{
    const Folder out("unwritable");
    const bool root = ::geteuid() == 0;
    std::optional<TestMount> readOnly;
    if (root) {
        readOnly.emplace(out.path(), "ro,size=4m");
        if (!readOnly->mounted()) {
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        }
    } else {
        fs::permissions(out.path(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    const auto writable = [&] {
        if (!root) {
            fs::permissions(out.path(), fs::perms::owner_all);
        }
    };
    const CommandRun refused = cut(out.path(), recording(kFirst) + "@1", recording(kFirst) + "@9");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(std::strerror(root ? EROFS : EACCES)), std::string::npos)
        << refused.err;
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(entries(out.path()), 0u);
    writable();

    if (!root) {
        return;  // a full disk needs a small file system of its own
    }
    const Folder small("small");
    const TestMount disk(small.path(), "size=256k");
    ASSERT_TRUE(disk.mounted());
    const CommandRun full = cut(small.path(), recording(kFirst) + "@1", recording(kFirst) + "@9");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("not enough free space"), std::string::npos) << full.err;
    EXPECT_EQ(entries(small.path()), 0u);
}

TEST_F(ClipCut, CancelLeavesNothing)
{
    const Folder out("cancel");
    std::atomic<bool> cancel{false};
    int reports = 0;
    const CopyControl control{[&](double) { cancel = ++reports == 2; }, &cancel};
    const ClipResult result = exportClip(
        request({recording(kFirst), recording(kSecond)}, 1, 19, out.path(), "cancelled"), control);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "cancelled");
    EXPECT_EQ(reports, 2);
    EXPECT_EQ(entries(out.path()), 0u);
}

TEST_F(ClipCut, RefusesABackwardsSpanACutOffRecordingOrAMissingChannel)
{
    const Folder out("refused");
    const CommandRun backwards =
        cut(out.path(), recording(kSecond) + "@3", recording(kFirst) + "@5");
    EXPECT_EQ(backwards.status, 1);
    EXPECT_EQ(backwards.err, "dashcam-clip: the end is not after the start\n");

    // The first half of a recording whose index came last: the camera lost power.
    const Folder recordings("cut-off");
    const std::string whole = readWhole(recording(kFirst));
    const std::string cutOff = recordings / kFirst;
    std::ofstream(cutOff, std::ios::binary) << whole.substr(0, whole.size() / 2);
    const CommandRun damaged = cut(out.path(), cutOff + "@1", cutOff + "@3");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.err.find("no movie index"), std::string::npos) << damaged.err;

    // A rear channel that the second moment lacks.
    const Folder channels("one-rear");
    fs::copy_file(recording(kFirst), channels / "20240611_081500_F.MOV");
    fs::copy_file(recording(kFirst), channels / "20240611_081500_R.MOV");
    fs::copy_file(recording(kSecond), channels / "20240611_081520_F.MOV");
    const CommandRun rear = cut(out.path(), channels / "20240611_081500_F.MOV@15",
                                channels / "20240611_081520_F.MOV@4");
    EXPECT_EQ(rear.status, 1);
    EXPECT_EQ(rear.err, "dashcam-clip: no rear recording of the moment of " +
                            (channels / "20240611_081520_F.MOV") + "\n");
    EXPECT_EQ(entries(out.path()), 0u);
}

}  // namespace
