// What is refused before a pipeline is built: files that are not regular, and indexes
// beyond what a camera writes. Real camera recordings pass.
#include "playback/recording_check.h"
#include "tests/common/shared_testdata.h"
#include "tests/playback/media_fixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

std::string bytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::string atom(const char* type, const std::string& content)
{
    const auto size = static_cast<std::uint32_t>(content.size() + 8);
    const char header[4] = {char(size >> 24), char(size >> 16), char(size >> 8), char(size)};
    return std::string(header, 4) + type + content;
}

// A QuickTime file whose index lists `tracks` (empty) tracks.
std::string indexWithTracks(int tracks)
{
    std::string moov = atom("mvhd", std::string(100, '\0'));
    for (int i = 0; i < tracks; ++i) {
        moov += atom("trak", atom("tkhd", std::string(84, '\0')));
    }
    return atom("ftyp", "qt  \0\0\0\0qt  ") + atom("moov", moov) + atom("mdat", "data");
}

class RecordingCheck : public testing::Test
{
protected:
    std::string write(const char* name, const std::string& content)
    {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.data(), static_cast<qint64>(content.size()));
        return bytes(file.fileName());
    }
    std::string path(const char* name) const { return bytes(m_dir.filePath(name)); }

    QTemporaryDir m_dir;
};

TEST_F(RecordingCheck, RealCameraRecordingsPass)
{
    SKIP_WITHOUT_SHARED_TESTDATA(PLAYBACK_TESTDATA_DIR);
    for (const char* name :
         {"gopro-karma.mp4", "gopro-max-heromode.mp4", "exiftool-QuickTime.mov"}) {
        const std::string file = std::string(PLAYBACK_TESTDATA_DIR "/real-movies/") + name;
        EXPECT_TRUE(checkRecording(file).ok()) << name;
    }
    EXPECT_TRUE(checkRecording(bytes(media::videoWithAudio())).ok());
}

TEST_F(RecordingCheck, OnlyRegularFilesPassSymbolicLinksFollowed)
{
    ASSERT_EQ(mkfifo(path("x.MOV").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", path("zero.MOV").c_str()), 0);
    ASSERT_EQ(symlink(path("loop.MOV").c_str(), path("loop.MOV").c_str()), 0);
    ASSERT_EQ(mkdir(path("folder.MOV").c_str(), 0700), 0);
    for (const char* name : {"x.MOV", "zero.MOV", "loop.MOV", "folder.MOV"}) {
        const PlaybackResult refused = checkRecording(path(name));
        ASSERT_FALSE(refused.ok()) << name;
        EXPECT_FALSE(refused.reason().isEmpty()) << name;
    }
    EXPECT_EQ(checkRecording(path("absent.MOV")).error(), PlaybackError::FileNotFound);

    ASSERT_EQ(symlink(bytes(media::videoWithAudio()).c_str(), path("link.MOV").c_str()), 0);
    EXPECT_TRUE(checkRecording(path("link.MOV")).ok());
}

TEST_F(RecordingCheck, IndexOfMoreTracksThanACameraWritesIsRefused)
{
    EXPECT_TRUE(checkRecording(write("eight.MOV", indexWithTracks(8))).ok());
    const PlaybackResult refused = checkRecording(write("nine.MOV", indexWithTracks(9)));
    EXPECT_EQ(refused.error(), PlaybackError::UnsupportedStream);
    EXPECT_TRUE(refused.reason().contains("tracks")) << refused.reason().toStdString();
}

TEST_F(RecordingCheck, RecordingCutBeforeItsIndexIsRefused)
{
    const PlaybackResult refused = checkRecording(bytes(media::truncatedNoIndex()));
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.reason().contains("index")) << refused.reason().toStdString();
    // Not every file is QuickTime: what does not look like one is left to GStreamer.
    EXPECT_TRUE(checkRecording(write("stream.TS", std::string(188 * 20, '\x47'))).ok());
}

}  // namespace
