// What an engine leaves behind over many recordings: memory, descriptors, pipelines.
#include "playback/allocator_arenas.h"
#include "playback/pipeline_teardown.h"
#include "playback/playback_engine.h"
#include "playback/video_widget.h"
#include "tests/playback/media_fixtures.h"
#include "tests/playback/test_support.h"

#include <QDir>
#include <QFile>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>

namespace {

long vmRssKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

// What the process holds once the allocator has handed back the memory it keeps
// for its threads: without the trim, what each of GStreamer's threads once freed
// makes the figure wander by several MB from run to run.
long residentKiB()
{
    malloc_trim(0);
    return vmRssKiB();
}

// A frame's worth of memory, every page written.
char* touchedFrame(std::size_t bytes)
{
    auto* frame = static_cast<char*>(std::malloc(bytes));
    if (frame != nullptr) {
        std::memset(frame, 1, bytes);
    }
    return frame;
}

qsizetype openDescriptors()
{
    return QDir("/proc/self/fd")
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

// Lowers the soft descriptor limit for its lifetime; the hard limit stays, so it can go back.
class DescriptorLimit
{
public:
    explicit DescriptorLimit(rlim_t soft)
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = soft;
        m_ok = setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &m_saved); }
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    bool m_ok = false;
};

class EngineLifetime : public testing::Test
{
protected:
    EngineLifetime()
    {
        m_engine.setAudioSink("fakesink sync=true");
        m_area.resize(320, 240);
    }

    // Opens, plays until a frame or two has been shown, and closes.
    void playBriefly(const QString& path)
    {
        ASSERT_TRUE(m_engine.open(path, &m_area).ok());
        const quint64 before = m_area.frameCounts().presented;
        ASSERT_TRUE(m_engine.togglePlay().ok());
        waitUntil([&] { return m_area.frameCounts().presented > before + 1; }, 2000);
        m_engine.close();
    }

    PlaybackEngine m_engine;
    VideoWidget m_area;
};

TEST_F(EngineLifetime, TwoHundredRecordingsKeepMemoryAndDescriptorsFlat)
{
    const QString path = media::videoWithAudio();
    const DescriptorLimit limit(64);
    ASSERT_TRUE(limit.ok());
    for (int i = 0; i < 20; ++i) {
        ASSERT_NO_FATAL_FAILURE(playBriefly(path)) << "open " << i;
    }
    // The first opens load plugins and fill caches; from here on nothing may pile up.
    waitUntil([] { return false; }, 200);
    const long residentBefore = residentKiB();
    const qsizetype descriptorsBefore = openDescriptors();
    for (int i = 20; i < 200; ++i) {
        ASSERT_NO_FATAL_FAILURE(playBriefly(path)) << "open " << i;
    }
    // Pipelines stop on a worker: give the last one time to go.
    waitUntil([&] { return openDescriptors() <= descriptorsBefore; }, 2000);
    EXPECT_LE(openDescriptors(), descriptorsBefore);
    EXPECT_LT(residentKiB() - residentBefore, 8 * 1024);
}

// Video frames freed while smaller allocations made between them live on (a pipeline's
// caps, events and tags) leave no holes that keep their pages, also after a larger
// frame freed has moved glibc's own threshold for mapping blocks apart above them.
TEST(Allocator, FreedFramesGiveTheirPagesBack)
{
    tuneAllocator();
    constexpr std::size_t kFrameBytes = 1280 * 720 * 3 / 2;  // a 720p frame in I420
    constexpr int kFrames = 40;
    constexpr long kFramesKiB = kFrames * static_cast<long>(kFrameBytes) / 1024;
    // Too large to fit into what earlier frees left elsewhere: they sit between the frames.
    constexpr std::size_t kLiveBytes = 192 * 1024;
    constexpr long kLiveKiB = kFrames * static_cast<long>(kLiveBytes) / 1024;
    char* larger = touchedFrame(2 * kFrameBytes);  // a frame of a larger recording before
    long written = larger[2 * kFrameBytes - 1];
    std::free(larger);
    const long before = vmRssKiB();
    std::vector<char*> frames;
    std::vector<char*> live;
    for (int i = 0; i < kFrames; ++i) {
        frames.push_back(touchedFrame(kFrameBytes));
        live.push_back(touchedFrame(kLiveBytes));
    }
    for (const char* frame : frames) {
        written += frame[kFrameBytes - 1];
    }
    EXPECT_EQ(written, kFrames + 1);
    const long held = vmRssKiB();
    for (char* frame : frames) {
        std::free(frame);
    }
    const long after = vmRssKiB();
    for (char* block : live) {
        std::free(block);
    }
    EXPECT_GT(held - before, kFramesKiB * 9 / 10);
    EXPECT_LT(after - before, kLiveKiB + kFramesKiB / 10) << "held " << held - before << " KiB";
}

// Stopping this pipeline waits for its streaming thread, asleep for 1.5 s in identity.
TEST(PipelineTeardown, StopsAPipelineWithoutHoldingTheCaller)
{
    GstElement* pipeline =
        gst_parse_launch("fakesrc ! identity sleep-time=1500000 ! fakesink", nullptr);
    ASSERT_NE(pipeline, nullptr);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    waitUntil([] { return false; }, 100);
    PipelineTeardown teardown;
    teardown.release(pipeline);
    EXPECT_FALSE(teardown.waitUntilIdle(std::chrono::milliseconds(0)));
    EXPECT_TRUE(teardown.waitUntilIdle(std::chrono::seconds(10)));
}

}  // namespace
