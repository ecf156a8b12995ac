// The clip with the telemetry drawn into its picture, judged by ffprobe and ffmpeg: its
// streams, its length in frames against the lossless cut's, and a decoded picture whose
// band differs from the source's where the overlay lies and not elsewhere.
#include <sys/wait.h>

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clip/overlay_export.h"

namespace {

constexpr int kWidth = 640;  // the sample recordings' picture
constexpr int kHeight = 360;

// What a shell command prints on standard output; empty when it fails.
std::string output(const std::string& command)
{
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        return text;
    }
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        text.append(chunk, n);
    }
    const int status = ::pclose(pipe);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : std::string();
}

std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

// The picture shown at a time, as 8-bit grey.
std::string greyPicture(const std::string& movie, double seconds)
{
    return output("ffmpeg -v error -ss " + std::to_string(seconds) + " -i " + quoted(movie) +
                  " -frames:v 1 -f rawvideo -pix_fmt gray -");
}

// The mean difference of two grey pictures over rows [top, bottom).
double meanDifference(const std::string& a, const std::string& b, int top, int bottom)
{
    double sum = 0.0;
    for (int row = top; row < bottom; ++row) {
        for (int x = 0; x < kWidth; ++x) {
            const size_t at = static_cast<size_t>(row * kWidth + x);
            sum += std::abs(static_cast<unsigned char>(a[at]) - static_cast<unsigned char>(b[at]));
        }
    }
    return sum / ((bottom - top) * kWidth);
}

class OverlayExport : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        samples = new QTemporaryDir;
        made = std::system((quoted(MAKE_SAMPLE_RECORDINGS) + " " +
                            quoted(samples->path().toStdString()) + " 12 ICAT A7L >/dev/null")
                               .c_str()) == 0;
    }
    static void TearDownTestSuite() { delete samples; }

    // From 2 s into the first recording to 5 s into the second: 15 s across the boundary.
    ClipRequest request(const std::string& name, bool overlay) const
    {
        const QDir from(samples->path());
        ClipRequest clip;
        clip.recordings = {from.filePath("20240611_081500_ICAT.MOV").toStdString(),
                           from.filePath("20240611_081600_A7L.MOV").toStdString()};
        clip.in = 2.0;
        clip.out = 5.0;
        clip.folder = target.path().toStdString();
        clip.name = name;
        if (overlay) {
            clip.reencode = reencodeWithOverlay;
        }
        return clip;
    }

    static inline QTemporaryDir* samples = nullptr;
    static inline bool made = false;
    QTemporaryDir target;
};

TEST_F(OverlayExport, EveryPictureOfTheSpanCarriesTheOverlayAndTheAudioRunsAlong)
{
    ASSERT_TRUE(made);
    const ClipResult lossless = exportClip(request("lossless", false), {});
    const ClipResult drawn = exportClip(request("drawn", true), {});
    ASSERT_TRUE(lossless.ok) << lossless.error;
    ASSERT_TRUE(drawn.ok) << drawn.error;
    ASSERT_EQ(drawn.written.size(), 3u);
    const std::string movie = drawn.written.front();

    EXPECT_EQ(output("ffprobe -v error -show_entries stream=codec_type,codec_name,width,height "
                     "-of csv=p=0 " +
                     quoted(movie)),
              "h264,video,640,360\naac,audio\n");
    const auto frames = [](const std::string& file) {
        return std::atoi(output("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                "stream=nb_read_frames -of csv=p=0 " +
                                quoted(file))
                             .c_str());
    };
    const int cut = frames(lossless.written.front());
    EXPECT_GE(cut, 15 * 30);
    EXPECT_EQ(frames(movie), cut) << "one painted picture for every picture of the cut";
    const double audio = std::atof(output("ffprobe -v error -select_streams a:0 -show_entries "
                                          "stream=duration -of csv=p=0 " +
                                          quoted(movie))
                                       .c_str());
    EXPECT_NEAR(audio, cut / 30.0, 0.2);

    // In the second recording: the band at the bottom is drawn, the rest is the picture.
    const std::string source = greyPicture(lossless.written.front(), 11.0);
    const std::string painted = greyPicture(movie, 11.0);
    ASSERT_EQ(source.size(), static_cast<size_t>(kWidth * kHeight));
    ASSERT_EQ(painted.size(), source.size());
    EXPECT_GT(meanDifference(source, painted, kHeight - kHeight / 12, kHeight), 20.0);
    EXPECT_LT(meanDifference(source, painted, 0, kHeight / 2), 4.0);
}

// A cancel during the re-encode leaves nothing, neither the clip nor its lossless cut.
TEST_F(OverlayExport, ACancelWhileEncodingLeavesNoFile)
{
    ASSERT_TRUE(made);
    std::atomic<bool> cancel{false};
    const CopyControl control{[&cancel](double share) { cancel = cancel || share > 0.5; }, &cancel};
    const ClipResult result = exportClip(request("cancelled", true), control);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "cancelled");
    EXPECT_TRUE(
        QDir(target.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

}  // namespace

// The overlay's text needs the fonts of a GUI application; no screen.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
