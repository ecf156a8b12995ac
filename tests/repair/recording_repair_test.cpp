#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "repair/recording_repair.h"
#include "telemetry/atom_walker.h"
#include "telemetry/freegps_reader.h"
#include "telemetry/nmea_box_reader.h"
#include "tools/layout_writer/layout_writer.h"

// Recordings ffmpeg writes with their index last, as a camera does, cut where a camera
// losing power would leave them; the repaired copies judged by ffprobe and ffmpeg alone.

namespace {

namespace fs = std::filesystem;
namespace lw = layout_writer;

const std::string kH264 = "-c:v libx264 -bf 0 -g 30 -pix_fmt yuv420p";
// Pictures stored in another order than they are shown.
const std::string kH264BFrames = "-c:v libx264 -bf 2 -g 30 -pix_fmt yuv420p";
const std::string kH265 =
    "-c:v libx265 -x265-params log-level=error:bframes=0 -tag:v hvc1 -pix_fmt yuv420p";

std::string commandOutput(const std::string& command)
{
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            out.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return out;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

std::string fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class Folder
{
public:
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "repair-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~Folder() { fs::remove_all(m_path); }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// A healthy recording: test pictures and a tone, the audio interleaved with the video.
fs::path record(const fs::path& path, int seconds, const std::string& video,
                const std::string& size = "320x240")
{
    const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc2=size=" + size +
                                ":rate=30 -f lavfi -i sine=frequency=440:sample_rate=44100 -t " +
                                std::to_string(seconds) + " " + video +
                                " -c:a aac -shortest -f mp4 '" + path.string() + "' 2>&1";
    EXPECT_EQ(commandOutput(command), "");
    return path;
}

// The packets of a stream ("v" or "a") whose bytes lie wholly before `cut`.
size_t packetsBefore(const fs::path& path, const char* stream, uint64_t cut)
{
    size_t count = 0;
    for (const std::string& line : lines(
             commandOutput(std::string("ffprobe -v error -select_streams ") + stream +
                           " -show_entries packet=pos,size -of csv=p=0 '" + path.string() + "'"))) {
        uint64_t size = 0;  // ffprobe writes the size before the position
        uint64_t pos = 0;
        if (std::sscanf(line.c_str(), "%lu,%lu", &size, &pos) == 2 && pos + size <= cut) {
            ++count;
        }
    }
    return count;
}

struct Packet
{
    uint64_t pos = 0;
    uint64_t size = 0;
};

// The keyframes of the video, in file order.
std::vector<Packet> keyframes(const std::string& bytes, const fs::path& scratch)
{
    writeBytes(scratch, bytes);
    std::vector<Packet> packets;
    for (const std::string& line : lines(
             commandOutput("ffprobe -v error -select_streams v -show_entries packet=pos,size,flags "
                           "-of csv=p=0 '" +
                           scratch.string() + "'"))) {
        Packet packet;
        char key = 0;
        if (std::sscanf(line.c_str(), "%lu,%lu,%c", &packet.size, &packet.pos, &key) == 3 &&
            key == 'K') {
            packets.push_back(packet);
        }
    }
    fs::remove(scratch);
    std::sort(packets.begin(), packets.end(),
              [](const Packet& a, const Packet& b) { return a.pos < b.pos; });
    return packets;
}

// The checksum of every decoded frame of the stream, in order.
std::vector<std::string> frameDigests(const fs::path& path, const char* stream)
{
    std::vector<std::string> digests;
    for (const std::string& line :
         lines(commandOutput(std::string("ffmpeg -v error -i '") + path.string() +
                             "' -map 0:" + stream + " -f framemd5 -"))) {
        if (!line.empty() && line[0] != '#') {
            digests.push_back(line.substr(line.rfind(',') + 1));
        }
    }
    return digests;
}

// How many of the source's first decoded frames follow one another in the copy's.
size_t framesKeptInOrder(const std::vector<std::string>& source,
                         const std::vector<std::string>& copy)
{
    if (source.empty()) {
        return 0;
    }
    // The source's index may trim the encoder's first audio frame; the copy keeps it.
    const auto start = std::find(copy.begin(), copy.end(), source.front());
    size_t kept = 0;
    for (auto it = start; it != copy.end() && kept < source.size() && *it == source[kept]; ++it) {
        ++kept;
    }
    return kept;
}

std::vector<std::string> folderNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Cut
{
    const std::string* video;
    int percent;
};

TEST(RecordingRepair, CopyOfACutRecordingHoldsTheFramesWrittenBeforeTheCut)
{
    Folder sources;
    const fs::path h264 = record(sources.path() / "h264.MP4", 10, kH264);
    const fs::path h264BFrames = record(sources.path() / "h264b.MP4", 6, kH264BFrames);
    const fs::path h265 = record(sources.path() / "h265.MP4", 6, kH265);
    for (const Cut& cut : {Cut{&kH264, 30}, Cut{&kH264, 60}, Cut{&kH264, 90},
                           Cut{&kH264BFrames, 60}, Cut{&kH265, 60}}) {
        SCOPED_TRACE(*cut.video + " cut at " + std::to_string(cut.percent) + " %");
        const fs::path& source = cut.video == &kH264          ? h264
                                 : cut.video == &kH264BFrames ? h264BFrames
                                                              : h265;
        // The camera's folder: a healthy recording of another resolution just before the
        // cut one, one of the same resolution after it.
        Folder card;
        record(card.path() / "0000.MP4", 2, *cut.video, "640x480");
        record(card.path() / "0002.MP4", 3, *cut.video);
        const std::string whole = fileBytes(source);
        const uint64_t cutAt = whole.size() * cut.percent / 100;
        const fs::path damaged = card.path() / "0001.MP4";
        writeBytes(damaged, whole.substr(0, cutAt));

        std::string reason;
        const std::optional<std::string> repaired =
            repairRecording({damaged.string(), {}, {}}, reason);
        ASSERT_TRUE(repaired) << reason;
        EXPECT_EQ(*repaired, (card.path() / "0001_repaired.MP4").string());
        EXPECT_EQ(fileBytes(damaged), whole.substr(0, cutAt));
        EXPECT_EQ(commandOutput("ffmpeg -v error -i '" + *repaired + "' -f null - 2>&1"), "");

        const size_t pictures = packetsBefore(source, "v", cutAt);
        const size_t keptPictures =
            framesKeptInOrder(frameDigests(source, "v"), frameDigests(*repaired, "v"));
        EXPECT_GE(keptPictures, pictures * 95 / 100) << "of " << pictures;
        const size_t sounds = packetsBefore(source, "a", cutAt);
        const size_t keptSounds =
            framesKeptInOrder(frameDigests(source, "a"), frameDigests(*repaired, "a"));
        EXPECT_GE(keptSounds, sounds * 95 / 100) << "of " << sounds;
    }
}

// A camera of the modern layouts: NMEA lines in a free atom before the media data, and a
// freeGPS block before every keyframe, as the camera writes one a second.
TEST(RecordingRepair, TelemetryOfTheCutRecordingIsReadFromTheCopy)
{
    Folder card;
    record(card.path() / "0000.MP4", 2, kH264);
    const std::string whole = fileBytes(record(card.path() / "source.MP4", 8, kH264));
    std::vector<uint64_t> starts;
    for (const Packet& packet : keyframes(whole, card.path() / "source.MP4")) {
        starts.push_back(packet.pos);
    }
    ASSERT_EQ(starts.size(), 8u);
    const std::vector<lw::GpsPoint> points = lw::gpsDrive(static_cast<int>(starts.size()));

    constexpr uint32_t kBlockSize = 256;
    std::string media;
    uint64_t copied = starts.front();
    for (size_t k = 0; k < starts.size(); ++k) {
        media += whole.substr(copied, starts[k] - copied);
        std::string block = lw::freeGpsBlockHead(points[k], lw::FreeGpsRecord::Common, kBlockSize);
        block.resize(kBlockSize, '\0');
        media += block;
        copied = starts[k];
    }
    media += whole.substr(copied, whole.rfind("moov") - 4 - copied);
    const std::string log =
        lw::Atom("sttm", std::string(8, '\0')) + lw::Atom("gps ", lw::nmeaBoxLog(points, 0));
    // A camera that lost power leaves the media data's size at 0.
    const std::string ftyp =
        whole.substr(0, loadBE32(reinterpret_cast<const unsigned char*>(whole.data())));
    const std::string damaged = ftyp + lw::Atom("free", log) + lw::BE32(0) + "mdat" + media;
    const size_t cutAt = damaged.size() * 7 / 10;
    const fs::path cut = card.path() / "0001.MP4";
    writeBytes(cut, damaged.substr(0, cutAt));

    std::string reason;
    const std::optional<std::string> repaired = repairRecording({cut.string(), {}, {}}, reason);
    ASSERT_TRUE(repaired) << reason;
    EXPECT_EQ(commandOutput("ffmpeg -v error -i '" + *repaired + "' -f null - 2>&1"), "");
    BinaryFile copy;
    ASSERT_TRUE(copy.open(*repaired));
    const std::optional<TimedTrack> blocks = decodeFreeGps(copy, reason);
    ASSERT_TRUE(blocks) << reason;
    // Block k sits before keyframe k, moved on by the blocks before it and the log's atom;
    // one after the last whole picture goes with the cut.
    const size_t shift = ftyp.size() + log.size() + 16 - starts.front();
    size_t blocksBeforeCut = 0;
    for (size_t k = 0; k < starts.size(); ++k) {
        blocksBeforeCut += starts[k] + shift + (k + 1) * kBlockSize <= cutAt ? 1 : 0;
    }
    EXPECT_GE(blocks->fixes.size() + 1, blocksBeforeCut);
    EXPECT_LE(blocks->fixes.size(), blocksBeforeCut);
    EXPECT_NEAR(blocks->fixes.front().latitude, points.front().latitude, 1e-4);
    const std::optional<TimedTrack> logged = decodeNmeaBox(copy, reason);
    ASSERT_TRUE(logged) << reason;
    EXPECT_EQ(logged->fixes.size(), points.size());
}

// The picture the cut went through may hold bytes that look like a whole picture: they are
// not taken for one.
TEST(RecordingRepair, NoPictureIsFoundInsideThePictureTheCutWentThrough)
{
    Folder card;
    const std::string healthy = fileBytes(record(card.path() / "0000.MP4", 2, kH264));
    const std::vector<Packet> found = keyframes(healthy, card.path() / "probe.MP4");
    ASSERT_FALSE(found.empty());
    const std::string keyframe = healthy.substr(found.front().pos, found.front().size);
    // After the encoder's note, the keyframe's slice: its start again as a short picture.
    const uint32_t note = loadBE32(reinterpret_cast<const unsigned char*>(keyframe.data()));
    const std::string lookalike = lw::BE32(60) + keyframe.substr(4 + note + 4, 60);
    const std::string ftyp =
        healthy.substr(0, loadBE32(reinterpret_cast<const unsigned char*>(healthy.data())));
    writeBytes(card.path() / "0001.MP4", ftyp + lw::BE32(0) + "mdat" + keyframe +
                                             keyframe.substr(0, 200) + lookalike +
                                             keyframe.substr(200, 100));

    std::string reason;
    const std::optional<std::string> repaired =
        repairRecording({(card.path() / "0001.MP4").string(), {}, {}}, reason);
    ASSERT_TRUE(repaired) << reason;
    EXPECT_EQ(commandOutput("ffmpeg -v error -i '" + *repaired + "' -f null - 2>&1"), "");
    EXPECT_EQ(commandOutput("ffprobe -v error -select_streams v -show_entries stream=nb_frames "
                            "-of csv=p=0 '" +
                            *repaired + "'"),
              "1\n");
}

TEST(RecordingRepair, MediaDataWithoutPicturesGivesAReasonAndNoFile)
{
    Folder card;
    record(card.path() / "0000.MP4", 2, kH264);
    const std::string healthy = fileBytes(card.path() / "0000.MP4");
    // The healthy file's header, then noise where the pictures should be.
    std::string garbage = healthy.substr(0, healthy.find("mdat") + 4);
    std::srand(7);
    while (garbage.size() < 300000) {
        garbage.push_back(static_cast<char>(std::rand()));
    }
    writeBytes(card.path() / "0001.MP4", garbage);
    const std::vector<std::string> before = folderNames(card.path());

    std::string reason;
    EXPECT_FALSE(repairRecording({(card.path() / "0001.MP4").string(), {}, {}}, reason));
    EXPECT_NE(reason.find("picture"), std::string::npos) << reason;
    EXPECT_EQ(folderNames(card.path()), before);
    EXPECT_EQ(fileBytes(card.path() / "0001.MP4"), garbage);
}

// The command line: the copy's path on success; on failure exit 1, the reason, no file.
TEST(RecordingRepair, CommandPrintsTheCopyOrWhyThereIsNone)
{
    Folder card;
    Folder out;
    const fs::path healthy = record(card.path() / "A.MP4", 2, kH264);
    const std::string whole = fileBytes(record(out.path() / "B.MP4", 3, kH264));
    fs::remove(out.path() / "B.MP4");
    writeBytes(card.path() / "B.MP4", whole.substr(0, whole.size() / 2));
    const std::string command = std::string(DASHCAM_CLIP) + " --repair '" +
                                (card.path() / "B.MP4").string() + "' --like '" + healthy.string() +
                                "' -o '" + out.path().string() + "'";
    EXPECT_EQ(commandOutput(command + " 2>&1"), (out.path() / "B_repaired.MP4").string() + "\n");
    // A second repair does not replace the first copy.
    const std::string first = fileBytes(out.path() / "B_repaired.MP4");
    EXPECT_NE(commandOutput(command + " 2>&1; echo $?").find("exists\n1\n"), std::string::npos);
    EXPECT_EQ(fileBytes(out.path() / "B_repaired.MP4"), first);
    EXPECT_EQ(folderNames(out.path()), std::vector<std::string>{"B_repaired.MP4"});

    // A healthy recording is no repair's input.
    EXPECT_NE(commandOutput(std::string(DASHCAM_CLIP) + " --repair '" + healthy.string() +
                            "' 2>&1; echo $?")
                  .find("needs no repair\n1\n"),
              std::string::npos);
}

// A full disk (as root, a small tmpfs of the test's own) or a read-only folder: the reason,
// and nothing left behind.
TEST(RecordingRepair, AFolderThatCannotTakeTheCopyGivesAReasonAndNoFile)
{
    Folder card;
    Folder out;
    record(card.path() / "A.MP4", 2, kH264);
    const std::string whole = fileBytes(record(out.path() / "B.MP4", 4, kH264));
    writeBytes(card.path() / "B.MP4", whole.substr(0, whole.size() / 2));
    fs::remove(out.path() / "B.MP4");
    ASSERT_GT(whole.size() / 2, 64u << 10);
    const bool root = ::geteuid() == 0;
    if (root && ::mount("tmpfs", out.path().c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    if (!root) {
        ::chmod(out.path().c_str(), 0555);
    }
    std::string reason;
    EXPECT_FALSE(
        repairRecording({(card.path() / "B.MP4").string(), "", out.path().string()}, reason));
    EXPECT_NE(reason.find(root ? "No space left" : "Permission denied"), std::string::npos)
        << reason;
    EXPECT_TRUE(fs::is_empty(out.path()));
    if (root) {
        ::umount2(out.path().c_str(), MNT_DETACH);
    } else {
        ::chmod(out.path().c_str(), 0755);
    }
}

}  // namespace
