#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "session/playlist_catalogue.h"
#include "session/playlist_model.h"
#include "session/trip_index.h"
#include "telemetry/trip_summary.h"
#include "tests/telemetry/catalogue_fixtures.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

namespace lw = layout_writer;
namespace fs = std::filesystem;

constexpr uint32_t kEpoch1904To1970 = 2082844800u;
constexpr std::time_t kNewYearsEve2021 = 1640982600;  // 2021-12-31 20:30:00 UTC

// The rows the catalogue's model shows, as text.
class RecordingView
{
public:
    using Row = std::array<std::string, 3>;

    explicit RecordingView(PlaylistCatalogue& list) : m_model(list) {}

    std::vector<Row> signalRows() const
    {
        std::vector<Row> rows;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            Row& texts = rows.emplace_back();
            for (int column = 0; column < 3; ++column) {
                texts[static_cast<size_t>(column)] =
                    m_model.index(row, column).data().toString().toStdString();
            }
        }
        return rows;
    }

    std::vector<std::string> labels() const
    {
        std::vector<std::string> labels;
        for (const Row& row : signalRows()) {
            labels.push_back(row[0]);
        }
        return labels;
    }

    PlaylistModel& Model() { return m_model; }

private:
    PlaylistModel m_model;
    // Every change the model announces is checked against what it then shows.
    QAbstractItemModelTester m_tester{&m_model,
                                      QAbstractItemModelTester::FailureReportingMode::Fatal};
};

mode_t permissionBits(const std::string& path)
{
    struct stat st
    {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 0777;
}

void setPermissionBits(const std::string& path, mode_t mode)
{
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

std::string icatBytes()
{
    return lw::icatMovie({{1, 2, 3, lw::rmc(22.5, 113.75, 10.0, 45.0)}});
}

std::string sidecarBytes()
{
    return lw::sidecar({{1, 2, 3, lw::rmc(22.5, 113.75, 10.0, 45.0)}});
}

RecordingEntry nodeAt(const PlaylistCatalogue& list, int index)
{
    RecordingEntry node;
    EXPECT_TRUE(list.entryAt(index, node));
    return node;
}

class PlaylistCatalogueTest : public ::testing::Test
{
protected:
    TempFolder folder;
    PlaylistCatalogue list;
    RecordingView view{list};

    // Three plain .TS recordings with sidecars; the third is read-only.
    std::vector<std::string> addThreeRecordings()
    {
        std::vector<std::string> movies;
        for (const char* base : {"A", "B", "C"}) {
            movies.push_back(folder.write(std::string(base) + ".TS", "not a movie"));
            folder.write(std::string(base) + ".DAT", sidecarBytes());
        }
        setPermissionBits(movies[2], 0444);
        for (const std::string& movie : movies) {
            list.addFile(movie, "", ".TS");
        }
        return movies;
    }
};

// ---- Sidecar search --------------------------------------------------------------------

TEST_F(PlaylistCatalogueTest, SidecarBesideTheMovieWinsOverTheMoviesOwnLayout)
{
    const std::string movie = folder.write("A.MOV", icatBytes());
    const std::string sidecar = folder.write("A.DAT", sidecarBytes());
    folder.write("gps/A.DAT", sidecarBytes());

    list.addFile(movie, "A.MOV", ".MOV");
    const RecordingEntry node = nodeAt(list, 0);
    EXPECT_EQ(node.sidecarPath, sidecar);
    EXPECT_EQ(node.layout, Layout::Sidecar);
}

TEST_F(PlaylistCatalogueTest, SidecarInTheGpsSubfolderIsFound)
{
    const std::string movie = folder.write("A.MOV", icatBytes());
    const std::string sidecar = folder.write("gps/A.DAT", sidecarBytes());

    list.addFile(movie, "A.MOV", ".MOV");
    EXPECT_EQ(nodeAt(list, 0).sidecarPath, sidecar);
    EXPECT_EQ(nodeAt(list, 0).layout, Layout::Sidecar);
}

TEST_F(PlaylistCatalogueTest, WithoutSidecarTheLayoutIsIdentified)
{
    const std::string movie = folder.write("A.MOV", icatBytes());
    list.addFile(movie, "A.MOV", ".MOV");
    EXPECT_EQ(nodeAt(list, 0).sidecarPath, "");
    EXPECT_EQ(nodeAt(list, 0).layout, Layout::ICat);
}

TEST_F(PlaylistCatalogueTest, SidecarCandidatesMustBeRegularFiles)
{
    const std::string movie = folder.write("A.MOV", "");
    fs::create_directories(folder.path("A.DAT"));  // a folder, not a file
    EXPECT_EQ(findGpsFile(movie), std::nullopt);
}

// A card copied to a Linux disk keeps FAT's names (GPS/, .dat): any letter case of the
// folder and the extension is found, an exact spelling first.
TEST_F(PlaylistCatalogueTest, SidecarFolderAndExtensionInAnyCaseExactFirst)
{
    const std::string movie = folder.write("A.MOV", "");
    const std::string upperFolder = folder.write("GPS/A.dat", sidecarBytes());
    EXPECT_EQ(findGpsFile(movie), upperFolder);

    const std::string besideInLowerCase = folder.write("A.dat", sidecarBytes());
    EXPECT_EQ(findGpsFile(movie), besideInLowerCase) << "beside the movie before the subfolder";

    const std::string exact = folder.write("gps/A.DAT", sidecarBytes());
    EXPECT_EQ(findGpsFile(movie), exact) << "an exact spelling wins";
}

TEST_F(PlaylistCatalogueTest, SidecarSharesTheBaseNameUpToTheLastDot)
{
    const std::string movie = folder.write("trip.2021.MOV", "");
    const std::string sidecar = folder.write("trip.2021.DAT", sidecarBytes());
    EXPECT_EQ(findGpsFile(movie), sidecar);
}

// The working folder is the test folder while a test of relative paths runs.
class RelativePaths : public PlaylistCatalogueTest
{
protected:
    fs::path saved = fs::current_path();
    void SetUp() override
    {
        PlaylistCatalogueTest::SetUp();
        fs::current_path(folder.root());
    }
    void TearDown() override { fs::current_path(saved); }
};

TEST_F(RelativePaths, PathsAreUsedAsGivenNotMadeAbsolute)
{
    folder.write("trip/A.MOV", icatBytes());
    folder.write("trip/gps/A.DAT", sidecarBytes());
    list.addFile("trip/A.MOV", "", ".MOV");
    const RecordingEntry node = nodeAt(list, 0);
    EXPECT_EQ(node.filePath, "trip/A.MOV");
    EXPECT_EQ(node.sidecarPath, "trip/gps/A.DAT");
    EXPECT_EQ(node.displayName, "A.MOV");
}

// A short relative name is a recording like any other: its sidecar is found, and without
// one its layout is detected.
TEST_F(RelativePaths, ShortNamesAreSearchedAndDetected)
{
    folder.write("a/b.MOV", icatBytes());
    folder.write("a/b.DAT", sidecarBytes());
    folder.write("C.MOV", icatBytes());
    EXPECT_EQ(findGpsFile("a/b.MOV"), "a/b.DAT");
    EXPECT_EQ(findGpsFile("C.MOV"), std::nullopt);

    list.addFile("a/b.MOV", "", ".MOV");
    list.addFile("C.MOV", "", ".MOV");
    EXPECT_EQ(nodeAt(list, 0).sidecarPath, "a/b.DAT");
    EXPECT_EQ(nodeAt(list, 0).layout, Layout::Sidecar);
    EXPECT_EQ(nodeAt(list, 1).sidecarPath, "");
    EXPECT_EQ(nodeAt(list, 1).layout, Layout::ICat);
}

// ---- Names, times and locks ------------------------------------------------------------

TEST_F(PlaylistCatalogueTest, DisplayNameIsTheGivenNameOrTheLastPartOfThePath)
{
    list.addFile(folder.write("A.TS", ""), "", ".TS");
    list.addFile(folder.write("B.TS", ""), "Morning drive", ".TS");
    EXPECT_EQ(nodeAt(list, 0).displayName, "A.TS");
    EXPECT_EQ(nodeAt(list, 1).displayName, "Morning drive");
    EXPECT_EQ(view.signalRows()[1][1], "Morning drive");
}

TEST_F(PlaylistCatalogueTest, TsFilesTakeTheirLastWriteTimeInLocalTime)
{
    JapanTime japan;
    const std::string first = folder.write("A.TS", "");
    const std::string second = folder.write("B.TS", "");
    setLastWrite(first, kMarch4th2021);
    setLastWrite(second, kNewYearsEve2021);

    list.addFile(first, "", ".TS");
    list.addFile(second, "", ".TS");
    EXPECT_EQ(nodeAt(list, 0).timeText, "14:06:07 03-04-2021");  // month before day
    EXPECT_EQ(nodeAt(list, 1).timeText, "05:30:00 01-01-2022");  // the next day in Japan
    EXPECT_EQ(view.signalRows()[0][2], "14:06:07 03-04-2021");
}

TEST_F(PlaylistCatalogueTest, Nt96650MoviesWithAnUnsetClockTakeTheirLastWriteTime)
{
    JapanTime japan;
    lw::Nt96650Options options;
    options.creationTime = kEpoch1904To1970;  // would read 00:00:00 01-01-1970
    const std::string movie = folder.write(
        "N.MOV", lw::nt96650SecondTrackMovie({{1, 2, 3, lw::gga(22.5, 113.75)}}, options));
    setLastWrite(movie, kMarch4th2021);

    list.addFile(movie, "", ".MOV");
    const RecordingEntry node = nodeAt(list, 0);
    EXPECT_EQ(node.layout, Layout::NT96650);
    EXPECT_EQ(node.timeText, "14:06:07 03-04-2021");
}

TEST_F(PlaylistCatalogueTest, OtherMoviesTakeTheHeaderCreationTimeUnconverted)
{
    JapanTime japan;
    const uint32_t creation = kEpoch1904To1970 + static_cast<uint32_t>(kMarch4th2021);
    const std::string firstShape = folder.write("A.MOV", lw::movieFirstShape(creation, "video"));
    const std::string secondShape = folder.write("B.MOV", lw::movieSecondShape(creation));
    const std::string icat = folder.write("C.MOV", [&] {
        lw::IcatOptions options;
        options.creationTime = creation;
        return lw::icatMovie({{1, 2, 3, ""}}, options);
    }());
    setLastWrite(firstShape, kNewYearsEve2021);

    for (const std::string& movie : {firstShape, secondShape, icat}) {
        list.addFile(movie, "", ".MOV");
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(nodeAt(list, i).timeText, "05:06:07 03-04-2021") << "movie " << i;
    }
}

// An MP4 keeps its time as a MOV does; without one, its first dated GPS fix gives it.
TEST_F(PlaylistCatalogueTest, AMovieWithoutCreationTimeTakesItsFirstDatedFix)
{
    std::vector<lw::GpmfSecond> drive = lw::gpmfDrive(2);
    drive[1].utc = "240611081501.000";  // the first second has no GPS time
    lw::GpmfOptions options;
    options.creationTime = 0;
    const std::string undated = folder.write("GOPR0001.MP4", lw::goProMovie(drive, options));
    options.creationTime = kEpoch1904To1970 + static_cast<uint32_t>(kMarch4th2021);
    const std::string dated = folder.write("GOPR0002.MP4", lw::goProMovie(drive, options));

    list.addFile(undated, "", ".MP4");
    list.addFile(dated, "", ".MP4");
    EXPECT_EQ(nodeAt(list, 0).timeText, "08:15:01 06-11-2024");
    EXPECT_EQ(nodeAt(list, 1).timeText, "05:06:07 03-04-2021");
}

TEST_F(PlaylistCatalogueTest, MoviesWithoutAReadableTimeShowNoTime)
{
    const std::string garbage = folder.write("A.MOV", "neither atoms nor a time");
    list.addFile(garbage, "", ".MOV");
    list.addFile(folder.path("missing.MOV"), "", ".MOV");
    EXPECT_EQ(nodeAt(list, 0).timeText, "");
    EXPECT_EQ(nodeAt(list, 1).timeText, "");
    EXPECT_FALSE(nodeAt(list, 1).locked);
}

TEST_F(PlaylistCatalogueTest, UnreadableFilesAreStillListedWithAnEmptyTime)
{
    list.addFile(folder.path("missing.TS"), "", ".TS");
    ASSERT_EQ(list.count(), 1);
    const RecordingEntry node = nodeAt(list, 0);
    EXPECT_EQ(node.timeText, "");
    EXPECT_FALSE(node.locked);
    EXPECT_EQ(node.sidecarPath, "");
    EXPECT_EQ(view.signalRows().at(0), (RecordingView::Row{" 1", "missing.TS", ""}));
}

TEST_F(PlaylistCatalogueTest, ReadOnlyMeansNoWriteBitAtAll)
{
    const std::string ownerOnly = folder.write("A.MOV", lw::movieSecondShape(kEpoch1904To1970));
    const std::string groupOnly = folder.write("B.TS", "");
    const std::string none = folder.write("C.TS", "");
    const std::string noneMovie = folder.write("D.MOV", lw::movieSecondShape(kEpoch1904To1970));
    setPermissionBits(ownerOnly, 0644);
    setPermissionBits(groupOnly, 0464);
    setPermissionBits(none, 0444);
    setPermissionBits(noneMovie, 0555);

    list.addFile(ownerOnly, "", ".MOV");
    list.addFile(groupOnly, "", ".TS");
    list.addFile(none, "", ".TS");
    list.addFile(noneMovie, "", ".MOV");
    EXPECT_EQ(view.labels(), (std::vector<std::string>{" 1", " 2", "*3", "*4"}));
    EXPECT_TRUE(nodeAt(list, 2).locked);
    EXPECT_TRUE(nodeAt(list, 3).locked);
}

// ---- Trips -----------------------------------------------------------------------------

// The trip index gives each digest its recording's clock, so the summary counts the break
// between two recordings (a minute apart, five logged seconds each, no header length).
TEST_F(PlaylistCatalogueTest, TripDigestsKnowTheirClocksSoBreaksCountInTheTime)
{
    constexpr uint32_t kMorning1904 = 2082844800u + 1718093700u;  // 2024-06-11 08:15:00 UTC
    for (const uint32_t start : {kMorning1904, kMorning1904 + 60}) {
        std::vector<lw::Sample> samples;
        for (int i = 0; i < 5; ++i) {
            samples.push_back({0, 0, 1000, lw::rmc(47.0 + i * 0.001, 8.5, 20.0, 90.0)});
        }
        lw::IcatOptions options;
        options.creationTime = start;
        const std::string movie =
            folder.write(std::to_string(start) + ".MOV", lw::icatMovie(samples, options));
        list.addFile(movie, "", ".MOV");
    }
    TripIndex index;
    index.update(list);
    const TrackDigest* parts[] = {&index.digest(list.entryAt(0)), &index.digest(list.entryAt(1))};
    ASSERT_TRUE(parts[0]->clock.startUtcMs);
    EXPECT_EQ(*parts[0]->clock.startUtcMs, 1718093700000);
    EXPECT_EQ(summariseTrip(parts).seconds, 60 + 5);
}

// ---- Toggle, delete, remove --------------------------------------------------------------

TEST_F(PlaylistCatalogueTest, ToggleLockFlipsTheFileTheEntryAndTheLabel)
{
    const std::vector<std::string> movies = addThreeRecordings();
    ASSERT_EQ(view.labels(), (std::vector<std::string>{" 1", " 2", "*3"}));

    EXPECT_TRUE(list.toggleLock(2));
    EXPECT_EQ(view.signalRows()[2][0], " 3");
    EXPECT_FALSE(nodeAt(list, 2).locked);
    EXPECT_EQ(permissionBits(movies[2]), 0644u);  // the owner gets its write bit back

    EXPECT_TRUE(list.toggleLock(2));
    EXPECT_EQ(view.signalRows()[2][0], "*3");
    EXPECT_TRUE(nodeAt(list, 2).locked);
    EXPECT_EQ(permissionBits(movies[2]), 0444u);
    EXPECT_EQ(permissionBits(folder.path("C.DAT")) & 0200, 0200u);  // sidecar untouched
}

// Camera-marked events carry a '!' (a locked one its '*'), a tip, and the role the list's
// "events only" filter reads; unlocking a file the camera did not mark takes the mark away.
TEST_F(PlaylistCatalogueTest, CameraMarkedEventsAreMarkedInTheList)
{
    const std::vector<std::string> movies = addThreeRecordings();
    list.addFile(folder.write("Event/E.TS", "not a movie"), "", ".TS");
    list.addFile(folder.write("20240611_081500_EF.TS", "not a movie"), "", ".TS");
    EXPECT_EQ(view.labels(), (std::vector<std::string>{" 1", " 2", "*3", "!4", "!5"}));
    PlaylistModel& model = view.Model();
    const auto eventRows = [&model] {
        std::vector<int> rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.index(row, 0).data(PlaylistModel::EventRole).toBool()) {
                rows.push_back(row);
            }
        }
        return rows;
    };
    EXPECT_EQ(eventRows(), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(model.index(3, PlaylistModel::NumberColumn).data(Qt::ToolTipRole).toString(),
              QStringLiteral("Event recording"));
    EXPECT_TRUE(list.toggleLock(2));
    EXPECT_EQ(eventRows(), (std::vector<int>{3, 4}));
}

TEST_F(PlaylistCatalogueTest, LockingClearsEveryWriteBit)
{
    const std::vector<std::string> movies = addThreeRecordings();
    setPermissionBits(movies[0], 0666);
    EXPECT_TRUE(list.toggleLock(0));
    EXPECT_EQ(permissionBits(movies[0]), 0444u);
    EXPECT_EQ(view.signalRows()[0][0], "*1");
    EXPECT_TRUE(list.toggleLock(0));
    EXPECT_EQ(permissionBits(movies[0]), 0666u) << "the write bits it had before the lock";
}

TEST_F(PlaylistCatalogueTest, UnlockingAFileLockedElsewhereGivesWhatTheUmaskAllows)
{
    // A FAT card mounted with a mask takes back all of its write bits or none.
    const std::vector<std::string> movies = addThreeRecordings();
    setPermissionBits(movies[1], 0444);
    PlaylistCatalogue fresh;
    fresh.addFile(movies[1], "", ".MOV");
    const mode_t saved = ::umask(002);
    EXPECT_TRUE(fresh.toggleLock(0));
    ::umask(saved);
    EXPECT_EQ(permissionBits(movies[1]), 0664u);
}

TEST_F(PlaylistCatalogueTest, ToggleLockOfAVanishedFileChangesNothing)
{
    const std::vector<std::string> movies = addThreeRecordings();
    fs::remove(movies[0]);
    EXPECT_FALSE(list.toggleLock(0));
    EXPECT_FALSE(nodeAt(list, 0).locked);
    EXPECT_EQ(view.signalRows()[0][0], " 1");
    EXPECT_FALSE(list.toggleLock(3));
    EXPECT_FALSE(list.toggleLock(-1));
}

TEST_F(PlaylistCatalogueTest, DeletingRemovesMovieSidecarEntryAndRowAndRenumbers)
{
    const std::vector<std::string> movies = addThreeRecordings();
    EXPECT_TRUE(list.deleteFileAt(0));

    EXPECT_FALSE(fs::exists(movies[0]));
    EXPECT_FALSE(fs::exists(folder.path("A.DAT")));
    EXPECT_TRUE(fs::exists(folder.path("B.DAT")));
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(nodeAt(list, 0).filePath, movies[1]);
    EXPECT_EQ(view.labels(), (std::vector<std::string>{" 1", "*2"})) << "no gap";

    folder.write("D.TS", "");
    list.addFile(folder.path("D.TS"), "", ".TS");
    EXPECT_EQ(view.labels(), (std::vector<std::string>{" 1", "*2", " 3"}));
    list.toggleLock(0);
    EXPECT_EQ(view.labels(), (std::vector<std::string>{"*1", "*2", " 3"}));
}

TEST_F(PlaylistCatalogueTest, ALockedRecordingIsNotDeleted)
{
    const std::vector<std::string> movies = addThreeRecordings();
    EXPECT_FALSE(list.deleteFileAt(2));
    EXPECT_TRUE(fs::exists(movies[2]));
    EXPECT_TRUE(fs::exists(folder.path("C.DAT")));
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(view.signalRows().size(), 3u);

    // Unlocked, it goes.
    list.toggleLock(2);
    EXPECT_TRUE(list.deleteFileAt(2));
    EXPECT_FALSE(fs::exists(movies[2]));
    EXPECT_FALSE(fs::exists(folder.path("C.DAT")));
    EXPECT_EQ(view.signalRows().size(), 2u);
}

// B.mov and a locked B.MOV share B.DAT, as do A.TS and A.MOV: deleting one keeps it.
TEST_F(PlaylistCatalogueTest, ASidecarAnotherRecordingSharesIsKept)
{
    const std::string lockedMovie = folder.write("B.MOV", "");
    const std::string sharedB = folder.write("B.DAT", sidecarBytes());
    setPermissionBits(lockedMovie, 0444);
    const std::string tsMovie = folder.write("A.TS", "");
    folder.write("A.MOV", "");
    const std::string sharedA = folder.write("gps/A.DAT", sidecarBytes());
    const std::string alone = folder.write("C.MOV", "");
    const std::string own = folder.write("C.DAT", sidecarBytes());
    list.addFile(folder.write("B.mov", ""), "", ".MOV");
    list.addFile(tsMovie, "", ".TS");
    list.addFile(alone, "", ".MOV");

    EXPECT_TRUE(list.deleteFileAt(0));
    EXPECT_TRUE(fs::exists(sharedB));
    EXPECT_TRUE(list.deleteFileAt(0));
    EXPECT_FALSE(fs::exists(tsMovie));
    EXPECT_TRUE(fs::exists(sharedA));
    EXPECT_TRUE(list.deleteFileAt(0));
    EXPECT_FALSE(fs::exists(own)) << "a sidecar nobody else uses goes with its movie";
}

TEST_F(PlaylistCatalogueTest, AMovieThatCannotBeDeletedKeepsItsSidecarEntryAndRow)
{
    // A folder named like a movie cannot be unlinked, whoever runs the test.
    fs::create_directories(folder.path("A.MOV"));
    const std::string sidecar = folder.write("A.DAT", sidecarBytes());
    list.addFile(folder.path("A.MOV"), "", ".MOV");

    EXPECT_FALSE(list.deleteFileAt(0));
    EXPECT_TRUE(fs::exists(sidecar));
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(view.signalRows().size(), 1u);
}

// A moment whose front cannot be unlinked: the rear goes, the row stays with the front alone,
// and nothing claims the moment was deleted.
TEST_F(PlaylistCatalogueTest, AMomentPartlyDeletedKeepsTheChannelsLeft)
{
    const std::string front = folder.path("2026_0820_045542_0001F.MP4");
    fs::create_directories(front);
    const std::string rear = folder.write("2026_0820_045542_0001R.MP4", "");
    EXPECT_EQ(list.addFiles({{front, "", ".MP4"}, {rear, "", ".MP4"}}), 2);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.filesToDelete(0), (std::vector<std::string>{front, rear}));

    EXPECT_FALSE(list.deleteFileAt(0));
    EXPECT_FALSE(fs::exists(rear));
    ASSERT_EQ(list.count(), 1);
    ASSERT_EQ(nodeAt(list, 0).channels.size(), 1u);
    EXPECT_EQ(nodeAt(list, 0).filePath, front);
    EXPECT_EQ(view.signalRows()[0][1], "2026_0820_045542_0001F.MP4") << "no channel mark left";
    folder.write("2026_0820_045542_0001R.MP4", "");
    EXPECT_EQ(list.addFiles({{rear, "", ".MP4"}}), 1) << "a rear written again is listed again";
    EXPECT_EQ(nodeAt(list, 0).channels.size(), 2u);
}

TEST_F(PlaylistCatalogueTest, AMovieAlreadyGoneLetsItsEntryGo)
{
    const std::vector<std::string> movies = addThreeRecordings();
    fs::remove(movies[1]);
    EXPECT_TRUE(list.deleteFileAt(1));
    EXPECT_FALSE(fs::exists(folder.path("B.DAT")));
    EXPECT_EQ(view.labels(), (std::vector<std::string>{" 1", "*2"}));
}

TEST_F(PlaylistCatalogueTest, BadIndicesDoNothing)
{
    const std::vector<std::string> movies = addThreeRecordings();
    RecordingEntry node;
    node.displayName = "untouched";
    EXPECT_FALSE(list.entryAt(3, node));
    EXPECT_FALSE(list.entryAt(-1, node));
    EXPECT_EQ(node.displayName, "untouched");
    EXPECT_FALSE(list.deleteFileAt(3));
    EXPECT_FALSE(list.deleteFileAt(-1));
    EXPECT_EQ(list.count(), 3);
    for (const std::string& movie : movies) {
        EXPECT_TRUE(fs::exists(movie));
    }
}

TEST_F(PlaylistCatalogueTest, RemoveAllEmptiesListAndRowsButLeavesFiles)
{
    const std::vector<std::string> movies = addThreeRecordings();
    list.removeAll();
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(view.signalRows().empty());
    for (const std::string& movie : movies) {
        EXPECT_TRUE(fs::exists(movie));
    }

    list.addFile(movies[0], "", ".TS");
    EXPECT_EQ(view.labels(), (std::vector<std::string>{" 1"}));
}

// What the list view reads besides the texts: titles, alignment, lock state, the trip rule
// with its tip, and the playing row, which follows its recording when a row above goes.
TEST_F(PlaylistCatalogueTest, ModelRolesFollowTheCatalogue)
{
    addThreeRecordings();
    PlaylistModel& model = view.Model();
    EXPECT_EQ(model.headerData(PlaylistModel::NameColumn, Qt::Horizontal).toString(),
              QStringLiteral("Files"));
    EXPECT_EQ(model.index(0, PlaylistModel::NumberColumn)
                  .data(Qt::TextAlignmentRole)
                  .value<Qt::Alignment>(),
              Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_FALSE(model.index(0, 0).data(PlaylistModel::LockedRole).toBool());
    EXPECT_TRUE(model.index(2, 0).data(PlaylistModel::LockedRole).toBool());

    model.setTripStarts(
        {{0, QStringLiteral("first trip")}, {2, QStringLiteral("second trip")}, {7, {}}});
    EXPECT_TRUE(
        model.index(2, PlaylistModel::TimeColumn).data(PlaylistModel::TripStartRole).toBool());
    EXPECT_EQ(model.index(2, PlaylistModel::TimeColumn).data(Qt::ToolTipRole).toString(),
              QStringLiteral("second trip"));
    EXPECT_FALSE(model.index(1, 1).data(PlaylistModel::TripStartRole).toBool());
    EXPECT_FALSE(model.index(1, PlaylistModel::TimeColumn).data(Qt::ToolTipRole).isValid());
    // The name's tip is the whole name, which the view may shorten; with the trip's below.
    EXPECT_EQ(model.index(1, PlaylistModel::NameColumn).data(Qt::ToolTipRole).toString(),
              QStringLiteral("B.TS"));
    EXPECT_EQ(model.index(2, PlaylistModel::NameColumn).data(Qt::ToolTipRole).toString(),
              QStringLiteral("C.TS\nsecond trip"));
    model.setTripStarts({{1, QStringLiteral("one trip")}});
    EXPECT_FALSE(model.index(0, 0).data(PlaylistModel::TripStartRole).toBool());

    model.setPlayingRow(1);
    EXPECT_TRUE(model.index(1, 0).data(PlaylistModel::PlayingRole).toBool());
    ASSERT_TRUE(list.deleteFileAt(0));
    EXPECT_EQ(model.playingRow(), 0);
    EXPECT_TRUE(model.index(0, 0).data(PlaylistModel::PlayingRole).toBool());
    ASSERT_TRUE(list.deleteFileAt(0));
    EXPECT_EQ(model.playingRow(), -1) << "the playing recording is gone";
    model.setPlayingRow(5);
    EXPECT_EQ(model.playingRow(), -1);
}

TEST(PlayListWithoutView, WorksAlone)
{
    TempFolder folder;
    const std::string movie = folder.write("A.TS", "");
    folder.write("A.DAT", sidecarBytes());
    PlaylistCatalogue list;
    list.addFile(movie, "", ".TS");
    EXPECT_TRUE(list.toggleLock(0));
    EXPECT_TRUE(nodeAt(list, 0).locked);
    EXPECT_FALSE(list.deleteFileAt(0));
    EXPECT_TRUE(list.toggleLock(0));
    EXPECT_TRUE(list.deleteFileAt(0));
    EXPECT_EQ(list.count(), 0);
    EXPECT_FALSE(fs::exists(movie));
}

}  // namespace
