#include <sys/stat.h>

#include <gtest/gtest.h>

#include "layout_reader.h"
#include "recording_entry.h"
#include "temp_dir.h"
#include "test_samples.h"

namespace {

namespace lw = layout_writer;

tagFileNode Entry(const std::string& movie, Layout layout, const std::string& sidecar = "")
{
    tagFileNode node;
    node.strFilePath = movie;
    node.strGpsPath = sidecar;
    node.layout = layout;
    return node;
}

TEST(LayoutReader, EveryFailureSaysWhy)
{
    TempDir dir;
    CAssistInfoReader table;
    table.AppendSample({});  // every outcome starts from an emptied table

    const ReadOutcome missing = ReadTelemetry(Entry((dir.Path() / "gone.MOV").string(), Layout::ICat), table);
    EXPECT_EQ(missing.result, -1);
    EXPECT_TRUE(missing.cannotOpen);
    EXPECT_EQ(missing.reason, "No such file or directory");
    EXPECT_EQ(table.GetCount(), 0);

    const std::string fifo = (dir.Path() / "pipe.MOV").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const ReadOutcome pipe = ReadTelemetry(Entry(fifo, Layout::A7L), table);  // must not block
    EXPECT_TRUE(pipe.cannotOpen);
    EXPECT_EQ(pipe.reason, kNotRegularFile);

    lw::IcatOptions noMarker;
    noMarker.marker = "vorlan2";
    const std::string icat = dir.Write("I.MOV", lw::IcatMovie(MakeSamples(2), noMarker));
    const ReadOutcome unmarked = ReadTelemetry(Entry(icat, Layout::ICat), table);
    EXPECT_EQ(unmarked.result, 0);
    EXPECT_FALSE(unmarked.cannotOpen);
    EXPECT_EQ(unmarked.reason, "no vorlan1 marker");

    const std::string good = dir.Write("G.MOV", lw::IcatMovie(MakeSamples(2)));
    const ReadOutcome read = ReadTelemetry(Entry(good, Layout::ICat), table);
    EXPECT_EQ(read.result, 20);
    EXPECT_EQ(read.reason, "");
}

TEST(LayoutReader, ASidecarIsReadEvenWhenItsMovieIsGone)
{
    TempDir dir;
    const std::string sidecar = dir.Write("A.DAT", lw::Sidecar(MakeSamples(3)));
    CAssistInfoReader table;
    const ReadOutcome outcome =
        ReadTelemetry(Entry((dir.Path() / "A.MOV").string(), Layout::Sidecar, sidecar), table);
    EXPECT_EQ(outcome.result, 30);
    EXPECT_TRUE(outcome.cannotOpen);
    EXPECT_EQ(outcome.reason, "No such file or directory");
}

TEST(LayoutReader, OldLayoutsAreTriedInTheirOrderBeforeNewerOnes)
{
    const auto layouts = MovieLayouts();
    ASSERT_GE(layouts.size(), 3u);
    EXPECT_EQ(layouts[0]->Id(), Layout::ICat);
    EXPECT_EQ(layouts[1]->Id(), Layout::A7L);
    EXPECT_EQ(layouts[2]->Id(), Layout::NT96650);
    for (const LayoutReader* layout : layouts)
        EXPECT_EQ(&ReaderFor(layout->Id()), layout);
}

}  // namespace
