#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "telemetry/layout_reader.h"
#include "telemetry/recording_entry.h"
#include "telemetry/trip.h"
#include "tests/telemetry/exiftool.h"
#include "tests/telemetry/temp_dir.h"
#include "tests/telemetry/test_samples.h"

// Movie containers as other programs write them, past 4 GiB and with absurd sample tables.

namespace {

namespace lw = layout_writer;

std::string commandOutput(const std::string& command)
{
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            out += buffer;
        }
        ::pclose(pipe);
    }
    return out;
}

// ffprobe's creation time of the file ("2021-03-04T05:06:07.000000Z") as the list shows a
// time ("05:06:07 03-04-2021"), and as ms since 1970; empty without one.
struct JudgedTime
{
    std::string listText;
    int64_t utcMs = 0;
};

JudgedTime ffprobeCreationTime(const std::string& path)
{
    const std::string iso = commandOutput(
        "ffprobe -v error -show_entries format_tags=creation_time -of default=nw=1:nk=1 '" + path +
        "'");
    std::tm t{};
    if (::strptime(iso.c_str(), "%Y-%m-%dT%H:%M:%S", &t) == nullptr) {
        return {};
    }
    char text[32];
    std::strftime(text, sizeof text, "%H:%M:%S %m-%d-%Y", &t);
    return {text, int64_t{::timegm(&t)} * 1000};
}

TEST(MovieContainers, TimeOfFilesFromOtherMuxersIsTheOneFfprobeReads)
{
    TempDir dir;
    const std::string ffmpeg =
        "ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=5:duration=1 "
        "-c:v mpeg4 -metadata creation_time=2021-03-04T05:06:07Z ";
    // qtmux and mp4mux write the time of muxing, whatever the stream's tags say.
    const std::string gst = "gst-launch-1.0 -q videotestsrc num-buffers=5 ! "
                            "video/x-raw,width=64,height=48,framerate=5/1 ! x264enc ! ";
    struct Muxed
    {
        std::string name;
        std::string command;  // writes the file named at its end
    };
    const std::vector<Muxed> files = {
        {"ffmpeg.MOV", ffmpeg + "-f mov"},
        {"ffmpeg.MP4", ffmpeg + "-f mp4"},
        {"faststart.MP4", ffmpeg + "-f mp4 -movflags +faststart"},
        {"qtmux.MOV", gst + "qtmux ! filesink location="},
        {"mp4mux.MP4", gst + "mp4mux ! filesink location="},
    };
    for (const Muxed& file : files) {
        const std::string path = (dir.path() / file.name).string();
        const bool filesink = file.command.back() == '=';
        ASSERT_EQ(std::system((file.command + (filesink ? "" : " ") + "'" + path + "'").c_str()), 0)
            << file.command;
        const JudgedTime judged = ffprobeCreationTime(path);
        ASSERT_FALSE(judged.listText.empty()) << file.name;
        const std::string ext = file.name.substr(file.name.rfind('.'));
        EXPECT_EQ(describeRecording(path, "", ext).timeText, judged.listText) << file.name;
        EXPECT_EQ(readRecordingClock(path).startUtcMs, judged.utcMs) << file.name;
    }
}

TelemetryTable readGoProTable(const std::string& path)
{
    RecordingEntry node = describeRecording(path, "", ".MP4");
    EXPECT_EQ(node.layout, Layout::GoPro) << path;
    TelemetryTable table;
    EXPECT_EQ(readTelemetry(node, table).reason, "") << path;
    return table;
}

// A GoPro file of 4.5 GiB (sparse): a 64-bit mdat and co64 chunk offsets past 4 GiB.
TEST(MovieContainers, TelemetryPastFourGigabytes)
{
    TempDir dir;
    const std::vector<lw::GpmfSecond> drive = lw::gpmfDrive(3);
    const uint64_t payloadsAt = (uint64_t{9} << 29) + 3;
    const std::string large = dir.write("GX010001.MP4", lw::goProLargeMovie(drive, payloadsAt));
    const std::string small = dir.write("GX010002.MP4", lw::goProMovie(drive));

    // ExifTool finds the same track in both: the large file is laid out soundly.
    const std::vector<ExifFix> judged = exifToolFixes(large);
    ASSERT_EQ(judged.size(), exifToolFixes(small).size());
    ASSERT_GE(judged.size(), 3u);
    EXPECT_NEAR(judged.front().latitude, drive.front().fixes.front().latitude, 1e-5);
    const std::string mdatSize = commandOutput(
        "exiftool -api LargeFileSupport=1 -s -s -s -n -MediaDataSize '" + large + "'");
    EXPECT_GT(std::strtoull(mdatSize.c_str(), nullptr, 10), payloadsAt) << mdatSize;

    const TelemetryTable bigTable = readGoProTable(large);
    const TelemetryTable smallTable = readGoProTable(small);
    ASSERT_EQ(bigTable.count(), 3 * kEntriesPerSample);
    ASSERT_EQ(bigTable.count(), smallTable.count());
    for (int i = 0; i < bigTable.count(); ++i) {
        EXPECT_EQ(latitudeText(*bigTable.find(i)), latitudeText(*smallTable.find(i))) << i;
        EXPECT_EQ(bigTable.find(i)->gZ, smallTable.find(i)->gZ) << i;
    }
}

// A 64 MiB file whose GPMF track claims 2^32-1 samples of one byte each in one chunk: read
// in a child process, which must end normally with a reason and stay far below the 2 GiB
// a sample list of one entry per byte of file would take (with room for a sanitizer's
// held-back memory).
TEST(MovieContainers, SampleTableOfFourBillionSamplesStaysSmall)
{
    TempDir dir;
    std::string movie = lw::goProMovie(lw::gpmfDrive(1));
    lw::patchBE32(movie, lw::findAtom(movie, "stsz") + 12, 1);            // uniform size 1
    lw::patchBE32(movie, lw::findAtom(movie, "stsz") + 16, 0xFFFFFFFFu);  // samples
    lw::patchBE32(movie, lw::findAtom(movie, "stsc") + 20, 0xFFFFFFFFu);  // samples per chunk
    lw::patchBE32(movie, lw::findAtom(movie, "stts") + 16, 0xFFFFFFFFu);  // samples of one delta
    lw::patchBE32(movie, lw::findAtom(movie, "stco") + 16, 0);            // the chunk at 0
    lw::SparseFile file;
    file.put(0, movie);
    file.size = uint64_t{64} << 20;
    const std::string path = dir.write("GX010003.MP4", file);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const RecordingEntry node = describeRecording(path, "", ".MP4");
        TelemetryTable table;
        const ReadOutcome outcome = readTelemetry(node, table);
        ::_exit(node.layout == Layout::GoPro && outcome.result == 0 && !outcome.reason.empty() ? 0
                                                                                               : 1);
    }
    int status = 0;
    struct rusage usage
    {};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LT(usage.ru_maxrss, 512 * 1024) << "kilobytes";
}

}  // namespace
