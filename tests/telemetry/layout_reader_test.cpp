#include <sys/stat.h>

#include <set>

#include <gtest/gtest.h>

#include "telemetry/layout_reader.h"
#include "telemetry/recording_entry.h"
#include "tests/telemetry/temp_dir.h"
#include "tests/telemetry/test_samples.h"

namespace {

namespace lw = layout_writer;

RecordingEntry recordingEntry(const std::string& movie, Layout layout,
                              const std::string& sidecar = "")
{
    return {.filePath = movie, .sidecarPath = sidecar, .layout = layout};
}

TEST(LayoutReader, EveryFailureSaysWhy)
{
    TempDir dir;
    TelemetryTable table;
    table.appendSample({});  // every outcome starts from an emptied table

    const ReadOutcome missing =
        readTelemetry(recordingEntry((dir.path() / "gone.MOV").string(), Layout::ICat), table);
    EXPECT_EQ(missing.result, -1);
    EXPECT_TRUE(missing.cannotOpen);
    EXPECT_EQ(missing.reason, "No such file or directory");
    EXPECT_EQ(table.count(), 0);

    const std::string fifo = (dir.path() / "pipe.MOV").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const ReadOutcome pipe =
        readTelemetry(recordingEntry(fifo, Layout::A7L), table);  // must not block
    EXPECT_TRUE(pipe.cannotOpen);
    EXPECT_EQ(pipe.reason, kNotRegularFile);

    lw::IcatOptions noMarker;
    noMarker.marker = "vorlan2";
    const std::string icat = dir.write("I.MOV", lw::icatMovie(makeSamples(2), noMarker));
    const ReadOutcome unmarked = readTelemetry(recordingEntry(icat, Layout::ICat), table);
    EXPECT_EQ(unmarked.result, 0);
    EXPECT_FALSE(unmarked.cannotOpen);
    EXPECT_EQ(unmarked.reason, "no vorlan1 marker");

    const std::string good = dir.write("G.MOV", lw::icatMovie(makeSamples(2)));
    const ReadOutcome read = readTelemetry(recordingEntry(good, Layout::ICat), table);
    EXPECT_EQ(read.result, 20);
    EXPECT_EQ(read.reason, "");
}

TEST(LayoutReader, ASidecarIsReadEvenWhenItsMovieIsGone)
{
    TempDir dir;
    const std::string sidecar = dir.write("A.DAT", lw::sidecar(makeSamples(3)));
    TelemetryTable table;
    const ReadOutcome outcome = readTelemetry(
        recordingEntry((dir.path() / "A.MOV").string(), Layout::Sidecar, sidecar), table);
    EXPECT_EQ(outcome.result, 30);
    EXPECT_TRUE(outcome.cannotOpen);
    EXPECT_EQ(outcome.reason, "No such file or directory");
}

TEST(LayoutReader, OldLayoutsAreTriedInTheirOrderBeforeNewerOnes)
{
    const auto layouts = movieLayouts();
    ASSERT_GE(layouts.size(), 3u);
    EXPECT_EQ(layouts[0].layout, Layout::ICat);
    EXPECT_EQ(layouts[1].layout, Layout::A7L);
    EXPECT_EQ(layouts[2].layout, Layout::NT96650);
}

// A row that names another layout's reader, or two rows with one name, show here.
TEST(LayoutReader, EveryRowHasItsOwnReaderAndName)
{
    std::set<std::string> names;
    for (const LayoutRow& row : layoutTable()) {
        EXPECT_EQ(readerFor(row.layout).id(), row.layout) << row.name;
        EXPECT_STREQ(layoutName(row.layout), row.name);
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
    }
    EXPECT_EQ(readerFor(static_cast<Layout>(99)).id(), Layout::None);
}

}  // namespace
