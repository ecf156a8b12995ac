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

#include "layout_writer.h"
#include "play_list.h"
#include "playlist_model.h"
#include "catalogue_fixtures.h"

namespace {

namespace lw = layout_writer;
namespace fs = std::filesystem;

constexpr uint32_t kEpoch1904To1970 = 2082844800u;
constexpr std::time_t kNewYearsEve2021 = 1640982600;   // 2021-12-31 20:30:00 UTC

// The rows the catalogue's model shows, as text.
class RecordingView {
public:
    using Row = std::array<std::string, 3>;

    explicit RecordingView(CPlayList& list) : m_model(list) {}

    std::vector<Row> Rows() const
    {
        std::vector<Row> rows;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            Row& texts = rows.emplace_back();
            for (int column = 0; column < 3; ++column)
                texts[static_cast<size_t>(column)] = m_model.index(row, column).data().toString().toStdString();
        }
        return rows;
    }

    std::vector<std::string> Labels() const
    {
        std::vector<std::string> labels;
        for (const Row& row : Rows())
            labels.push_back(row[0]);
        return labels;
    }

    PlaylistModel& Model() { return m_model; }

private:
    PlaylistModel m_model;
    // Every change the model announces is checked against what it then shows.
    QAbstractItemModelTester m_tester{&m_model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

mode_t PermissionBits(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 0777;
}

void SetPermissionBits(const std::string& path, mode_t mode)
{
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

std::string IcatBytes()
{
    return lw::IcatMovie({{1, 2, 3, lw::Rmc(22.5, 113.75, 10.0, 45.0)}});
}

std::string SidecarBytes()
{
    return lw::Sidecar({{1, 2, 3, lw::Rmc(22.5, 113.75, 10.0, 45.0)}});
}

tagFileNode NodeAt(const CPlayList& list, int index)
{
    tagFileNode node;
    EXPECT_EQ(list.GetAt(index, node), 0);
    return node;
}

class PlayListTest : public ::testing::Test {
protected:
    TempFolder folder;
    CPlayList list;
    RecordingView view{list};

    // Three plain .TS recordings with sidecars; the third is read-only.
    std::vector<std::string> AddThreeRecordings()
    {
        std::vector<std::string> movies;
        for (const char* base : {"A", "B", "C"}) {
            movies.push_back(folder.Write(std::string(base) + ".TS", "not a movie"));
            folder.Write(std::string(base) + ".DAT", SidecarBytes());
        }
        SetPermissionBits(movies[2], 0444);
        for (const std::string& movie : movies)
            list.AddFile(movie, "", ".TS");
        return movies;
    }
};

// ---- Sidecar search --------------------------------------------------------------------

TEST_F(PlayListTest, SidecarBesideTheMovieWinsOverTheMoviesOwnLayout)
{
    const std::string movie = folder.Write("A.MOV", IcatBytes());
    const std::string sidecar = folder.Write("A.DAT", SidecarBytes());
    folder.Write("gps/A.DAT", SidecarBytes());

    EXPECT_EQ(list.AddFile(movie, "A.MOV", ".MOV"), 0);
    const tagFileNode node = NodeAt(list, 0);
    EXPECT_EQ(node.strGpsPath, sidecar);
    EXPECT_EQ(node.layout, Layout::Sidecar);
}

TEST_F(PlayListTest, SidecarInTheGpsSubfolderIsFound)
{
    const std::string movie = folder.Write("A.MOV", IcatBytes());
    const std::string sidecar = folder.Write("gps/A.DAT", SidecarBytes());

    list.AddFile(movie, "A.MOV", ".MOV");
    EXPECT_EQ(NodeAt(list, 0).strGpsPath, sidecar);
    EXPECT_EQ(NodeAt(list, 0).layout, Layout::Sidecar);
}

TEST_F(PlayListTest, WithoutSidecarTheLayoutIsIdentified)
{
    const std::string movie = folder.Write("A.MOV", IcatBytes());
    list.AddFile(movie, "A.MOV", ".MOV");
    EXPECT_EQ(NodeAt(list, 0).strGpsPath, "");
    EXPECT_EQ(NodeAt(list, 0).layout, Layout::ICat);
}

TEST_F(PlayListTest, SidecarCandidatesMustBeRegularFiles)
{
    const std::string movie = folder.Write("A.MOV", "");
    fs::create_directories(folder.Path("A.DAT"));  // a folder, not a file
    std::string found = "unchanged";
    EXPECT_EQ(FindGpsFile(movie, found), -1);
    EXPECT_EQ(found, "unchanged");
}

// A card copied to a Linux disk keeps FAT's names (GPS/, .dat): any letter case of the
// folder and the extension is found, an exact spelling first.
TEST_F(PlayListTest, SidecarFolderAndExtensionInAnyCaseExactFirst)
{
    const std::string movie = folder.Write("A.MOV", "");
    const std::string upperFolder = folder.Write("GPS/A.dat", SidecarBytes());
    std::string found;
    EXPECT_EQ(FindGpsFile(movie, found), 0);
    EXPECT_EQ(found, upperFolder);

    const std::string besideInLowerCase = folder.Write("A.dat", SidecarBytes());
    EXPECT_EQ(FindGpsFile(movie, found), 0);
    EXPECT_EQ(found, besideInLowerCase) << "beside the movie before the subfolder";

    const std::string exact = folder.Write("gps/A.DAT", SidecarBytes());
    EXPECT_EQ(FindGpsFile(movie, found), 0);
    EXPECT_EQ(found, exact) << "an exact spelling wins";
}

TEST_F(PlayListTest, SidecarSharesTheBaseNameUpToTheLastDot)
{
    const std::string movie = folder.Write("trip.2021.MOV", "");
    const std::string sidecar = folder.Write("trip.2021.DAT", SidecarBytes());
    std::string found;
    EXPECT_EQ(FindGpsFile(movie, found), 0);
    EXPECT_EQ(found, sidecar);
}

// The working folder is the test folder while a test of relative paths runs.
class RelativePaths : public PlayListTest {
protected:
    fs::path saved = fs::current_path();
    void SetUp() override
    {
        PlayListTest::SetUp();
        fs::current_path(folder.Root());
    }
    void TearDown() override { fs::current_path(saved); }
};

TEST_F(RelativePaths, PathsAreUsedAsGivenNotMadeAbsolute)
{
    folder.Write("trip/A.MOV", IcatBytes());
    folder.Write("trip/gps/A.DAT", SidecarBytes());
    list.AddFile("trip/A.MOV", "", ".MOV");
    const tagFileNode node = NodeAt(list, 0);
    EXPECT_EQ(node.strFilePath, "trip/A.MOV");
    EXPECT_EQ(node.strGpsPath, "trip/gps/A.DAT");
    EXPECT_EQ(node.strFileName, "A.MOV");
}

TEST_F(RelativePaths, PathsOfSevenCharactersOrFewerAreNotSearched)
{
    folder.Write("a/b.MOV", IcatBytes());
    folder.Write("a/b.DAT", SidecarBytes());
    std::string found;
    EXPECT_EQ(FindGpsFile("a/b.MOV", found), 0);  // 7 characters
    EXPECT_EQ(found, "");

    // Such an entry gets neither a sidecar nor a layout, though the movie is ICAT.
    list.AddFile("a/b.MOV", "", ".MOV");
    const tagFileNode node = NodeAt(list, 0);
    EXPECT_EQ(node.strGpsPath, "");
    EXPECT_EQ(node.layout, Layout::None);

    folder.Write("ab/c.MOV", "");
    folder.Write("ab/c.DAT", SidecarBytes());
    EXPECT_EQ(FindGpsFile("ab/c.MOV", found), 0);
    EXPECT_EQ(found, "ab/c.DAT");
}

TEST_F(RelativePaths, TheShortPathRuleCountsCharactersNotBytes)
{
    // "é/b.MOV" is 7 characters in 8 bytes: not searched.
    folder.Write("\xC3\xA9/b.MOV", "");
    folder.Write("\xC3\xA9/b.DAT", SidecarBytes());
    std::string found;
    EXPECT_EQ(FindGpsFile("\xC3\xA9/b.MOV", found), 0);
    EXPECT_EQ(found, "");

    folder.Write("\xC3\xA9/bc.MOV", "");
    folder.Write("\xC3\xA9/bc.DAT", SidecarBytes());
    EXPECT_EQ(FindGpsFile("\xC3\xA9/bc.MOV", found), 0);
    EXPECT_EQ(found, "\xC3\xA9/bc.DAT");
}

// ---- Names, times and locks ------------------------------------------------------------

TEST_F(PlayListTest, DisplayNameIsTheGivenNameOrTheLastPartOfThePath)
{
    const std::string movie = folder.Write("A.TS", "");
    list.AddFile(movie, "", ".TS");
    list.AddFile(movie, "Morning drive", ".TS");
    EXPECT_EQ(NodeAt(list, 0).strFileName, "A.TS");
    EXPECT_EQ(NodeAt(list, 1).strFileName, "Morning drive");
    EXPECT_EQ(view.Rows()[1][1], "Morning drive");
}

TEST_F(PlayListTest, TsFilesTakeTheirLastWriteTimeInLocalTime)
{
    JapanTime japan;
    const std::string first = folder.Write("A.TS", "");
    const std::string second = folder.Write("B.TS", "");
    SetLastWrite(first, kMarch4th2021);
    SetLastWrite(second, kNewYearsEve2021);

    list.AddFile(first, "", ".TS");
    list.AddFile(second, "", ".TS");
    EXPECT_EQ(NodeAt(list, 0).strTime, "14:06:07 03-04-2021");  // month before day
    EXPECT_EQ(NodeAt(list, 1).strTime, "05:30:00 01-01-2022");  // the next day in Japan
    EXPECT_EQ(view.Rows()[0][2], "14:06:07 03-04-2021");
}

TEST_F(PlayListTest, Nt96650MoviesTakeTheirLastWriteTimeNotTheHeaderTime)
{
    JapanTime japan;
    lw::Nt96650Options options;
    options.creationTime = kEpoch1904To1970;  // would read 00:00:00 01-01-1970
    const std::string movie = folder.Write(
        "N.MOV", lw::Nt96650SecondTrackMovie({{1, 2, 3, lw::Gga(22.5, 113.75)}}, options));
    SetLastWrite(movie, kMarch4th2021);

    list.AddFile(movie, "", ".MOV");
    const tagFileNode node = NodeAt(list, 0);
    EXPECT_EQ(node.layout, Layout::NT96650);
    EXPECT_EQ(node.strTime, "14:06:07 03-04-2021");
}

TEST_F(PlayListTest, OtherMoviesTakeTheHeaderCreationTimeUnconverted)
{
    JapanTime japan;
    const uint32_t creation = kEpoch1904To1970 + static_cast<uint32_t>(kMarch4th2021);
    const std::string firstShape = folder.Write("A.MOV", lw::MovieFirstShape(creation, "video"));
    const std::string secondShape = folder.Write("B.MOV", lw::MovieSecondShape(creation));
    const std::string icat = folder.Write("C.MOV", [&] {
        lw::IcatOptions options;
        options.creationTime = creation;
        return lw::IcatMovie({{1, 2, 3, ""}}, options);
    }());
    SetLastWrite(firstShape, kNewYearsEve2021);

    for (const std::string& movie : {firstShape, secondShape, icat})
        list.AddFile(movie, "", ".MOV");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(NodeAt(list, i).strTime, "05:06:07 03-04-2021") << "movie " << i;
}

// An MP4 keeps its time as a MOV does; without one, its first dated GPS fix gives it.
TEST_F(PlayListTest, AMovieWithoutCreationTimeTakesItsFirstDatedFix)
{
    std::vector<lw::GpmfSecond> drive = lw::GpmfDrive(2);
    drive[1].utc = "240611081501.000";  // the first second has no GPS time
    lw::GpmfOptions options;
    options.creationTime = 0;
    const std::string undated = folder.Write("GOPR0001.MP4", lw::GoProMovie(drive, options));
    options.creationTime = kEpoch1904To1970 + static_cast<uint32_t>(kMarch4th2021);
    const std::string dated = folder.Write("GOPR0002.MP4", lw::GoProMovie(drive, options));

    list.AddFile(undated, "", ".MP4");
    list.AddFile(dated, "", ".MP4");
    EXPECT_EQ(NodeAt(list, 0).strTime, "08:15:01 06-11-2024");
    EXPECT_EQ(NodeAt(list, 1).strTime, "05:06:07 03-04-2021");
}

TEST_F(PlayListTest, MoviesWithoutAReadableTimeShowTheZeroDate)
{
    const std::string garbage = folder.Write("A.MOV", "neither atoms nor a time");
    list.AddFile(garbage, "", ".MOV");
    list.AddFile(folder.Path("missing.MOV"), "", ".MOV");
    EXPECT_EQ(NodeAt(list, 0).strTime, "00:00:00 01-00-1900");
    EXPECT_EQ(NodeAt(list, 1).strTime, "00:00:00 01-00-1900");
    EXPECT_EQ(NodeAt(list, 1).bLocked, 0);
}

TEST_F(PlayListTest, UnreadableFilesAreStillListedWithAnEmptyTime)
{
    EXPECT_EQ(list.AddFile(folder.Path("missing.TS"), "", ".TS"), 0);
    ASSERT_EQ(list.GetCount(), 1);
    const tagFileNode node = NodeAt(list, 0);
    EXPECT_EQ(node.strTime, "");
    EXPECT_EQ(node.bLocked, 0);
    EXPECT_EQ(node.strGpsPath, "");
    EXPECT_EQ(view.Rows().at(0), (RecordingView::Row{" 1", "missing.TS", ""}));
}

TEST_F(PlayListTest, ReadOnlyMeansNoWriteBitAtAll)
{
    const std::string ownerOnly = folder.Write("A.MOV", lw::MovieSecondShape(kEpoch1904To1970));
    const std::string groupOnly = folder.Write("B.TS", "");
    const std::string none = folder.Write("C.TS", "");
    const std::string noneMovie = folder.Write("D.MOV", lw::MovieSecondShape(kEpoch1904To1970));
    SetPermissionBits(ownerOnly, 0644);
    SetPermissionBits(groupOnly, 0464);
    SetPermissionBits(none, 0444);
    SetPermissionBits(noneMovie, 0555);

    list.AddFile(ownerOnly, "", ".MOV");
    list.AddFile(groupOnly, "", ".TS");
    list.AddFile(none, "", ".TS");
    list.AddFile(noneMovie, "", ".MOV");
    EXPECT_EQ(view.Labels(), (std::vector<std::string>{" 1", " 2", "*3", "*4"}));
    EXPECT_EQ(NodeAt(list, 2).bLocked, 1);
    EXPECT_EQ(NodeAt(list, 3).bLocked, 1);
}

// ---- Toggle, delete, remove --------------------------------------------------------------

TEST_F(PlayListTest, ToggleLockFlipsTheFileTheEntryAndTheLabel)
{
    const std::vector<std::string> movies = AddThreeRecordings();
    ASSERT_EQ(view.Labels(), (std::vector<std::string>{" 1", " 2", "*3"}));

    EXPECT_EQ(list.ToggleLock(2), 0);
    EXPECT_EQ(view.Rows()[2][0], " 3");
    EXPECT_EQ(NodeAt(list, 2).bLocked, 0);
    EXPECT_EQ(PermissionBits(movies[2]), 0644u);  // the owner gets its write bit back

    EXPECT_EQ(list.ToggleLock(2), 0);
    EXPECT_EQ(view.Rows()[2][0], "*3");
    EXPECT_EQ(NodeAt(list, 2).bLocked, 1);
    EXPECT_EQ(PermissionBits(movies[2]), 0444u);
    EXPECT_EQ(PermissionBits(folder.Path("C.DAT")) & 0200, 0200u);  // sidecar untouched
}

TEST_F(PlayListTest, LockingClearsEveryWriteBit)
{
    const std::vector<std::string> movies = AddThreeRecordings();
    SetPermissionBits(movies[0], 0666);
    EXPECT_EQ(list.ToggleLock(0), 0);
    EXPECT_EQ(PermissionBits(movies[0]), 0444u);
    EXPECT_EQ(view.Rows()[0][0], "*1");
    EXPECT_EQ(list.ToggleLock(0), 0);
    EXPECT_EQ(PermissionBits(movies[0]), 0666u) << "the write bits it had before the lock";
}

TEST_F(PlayListTest, UnlockingAFileLockedElsewhereGivesWhatTheUmaskAllows)
{
    // A FAT card mounted with a mask takes back all of its write bits or none.
    const std::vector<std::string> movies = AddThreeRecordings();
    SetPermissionBits(movies[1], 0444);
    CPlayList fresh;
    ASSERT_EQ(fresh.AddFile(movies[1], "", ".MOV"), 0);
    const mode_t saved = ::umask(002);
    EXPECT_EQ(fresh.ToggleLock(0), 0);
    ::umask(saved);
    EXPECT_EQ(PermissionBits(movies[1]), 0664u);
}

TEST_F(PlayListTest, ToggleLockOfAVanishedFileChangesNothing)
{
    const std::vector<std::string> movies = AddThreeRecordings();
    fs::remove(movies[0]);
    EXPECT_EQ(list.ToggleLock(0), -1);
    EXPECT_EQ(NodeAt(list, 0).bLocked, 0);
    EXPECT_EQ(view.Rows()[0][0], " 1");
    EXPECT_EQ(list.ToggleLock(3), -1);
    EXPECT_EQ(list.ToggleLock(-1), -1);
}

TEST_F(PlayListTest, DeletingRemovesMovieSidecarEntryAndRowButKeepsOldLabels)
{
    const std::vector<std::string> movies = AddThreeRecordings();
    EXPECT_EQ(list.DeleteFileAt(0), 0);

    EXPECT_FALSE(fs::exists(movies[0]));
    EXPECT_FALSE(fs::exists(folder.Path("A.DAT")));
    EXPECT_TRUE(fs::exists(folder.Path("B.DAT")));
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(NodeAt(list, 0).strFilePath, movies[1]);
    EXPECT_EQ(view.Labels(), (std::vector<std::string>{" 2", "*3"}));

    // Labels are written only when a row is added or toggled.
    folder.Write("D.TS", "");
    list.AddFile(folder.Path("D.TS"), "", ".TS");
    EXPECT_EQ(view.Labels(), (std::vector<std::string>{" 2", "*3", " 3"}));
    list.ToggleLock(0);
    EXPECT_EQ(view.Labels(), (std::vector<std::string>{"*1", "*3", " 3"}));
}

TEST_F(PlayListTest, ALockedRecordingIsNotDeleted)
{
    const std::vector<std::string> movies = AddThreeRecordings();
    EXPECT_EQ(list.DeleteFileAt(2), -1);
    EXPECT_TRUE(fs::exists(movies[2]));
    EXPECT_TRUE(fs::exists(folder.Path("C.DAT")));
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(view.Rows().size(), 3u);

    // Unlocked, it goes.
    list.ToggleLock(2);
    EXPECT_EQ(list.DeleteFileAt(2), 0);
    EXPECT_FALSE(fs::exists(movies[2]));
    EXPECT_FALSE(fs::exists(folder.Path("C.DAT")));
    EXPECT_EQ(view.Rows().size(), 2u);
}

// B.mov and a locked B.MOV share B.DAT, as do A.TS and A.MOV: deleting one keeps it.
TEST_F(PlayListTest, ASidecarAnotherRecordingSharesIsKept)
{
    const std::string lockedMovie = folder.Write("B.MOV", "");
    const std::string sharedB = folder.Write("B.DAT", SidecarBytes());
    SetPermissionBits(lockedMovie, 0444);
    const std::string tsMovie = folder.Write("A.TS", "");
    folder.Write("A.MOV", "");
    const std::string sharedA = folder.Write("gps/A.DAT", SidecarBytes());
    const std::string alone = folder.Write("C.MOV", "");
    const std::string own = folder.Write("C.DAT", SidecarBytes());
    list.AddFile(folder.Write("B.mov", ""), "", ".MOV");
    list.AddFile(tsMovie, "", ".TS");
    list.AddFile(alone, "", ".MOV");

    EXPECT_EQ(list.DeleteFileAt(0), 0);
    EXPECT_TRUE(fs::exists(sharedB));
    EXPECT_EQ(list.DeleteFileAt(0), 0);
    EXPECT_FALSE(fs::exists(tsMovie));
    EXPECT_TRUE(fs::exists(sharedA));
    EXPECT_EQ(list.DeleteFileAt(0), 0);
    EXPECT_FALSE(fs::exists(own)) << "a sidecar nobody else uses goes with its movie";
}

TEST_F(PlayListTest, AMovieThatCannotBeDeletedKeepsItsSidecarEntryAndRow)
{
    // A folder named like a movie cannot be unlinked, whoever runs the test.
    fs::create_directories(folder.Path("A.MOV"));
    const std::string sidecar = folder.Write("A.DAT", SidecarBytes());
    list.AddFile(folder.Path("A.MOV"), "", ".MOV");

    EXPECT_EQ(list.DeleteFileAt(0), -1);
    EXPECT_TRUE(fs::exists(sidecar));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(view.Rows().size(), 1u);
}

TEST_F(PlayListTest, AMovieAlreadyGoneLetsItsEntryGo)
{
    const std::vector<std::string> movies = AddThreeRecordings();
    fs::remove(movies[1]);
    EXPECT_EQ(list.DeleteFileAt(1), 0);
    EXPECT_FALSE(fs::exists(folder.Path("B.DAT")));
    EXPECT_EQ(view.Labels(), (std::vector<std::string>{" 1", "*3"}));
}

TEST_F(PlayListTest, BadIndicesDoNothing)
{
    const std::vector<std::string> movies = AddThreeRecordings();
    tagFileNode node;
    node.strFileName = "untouched";
    EXPECT_EQ(list.GetAt(3, node), -1);
    EXPECT_EQ(list.GetAt(-1, node), -1);
    EXPECT_EQ(node.strFileName, "untouched");
    EXPECT_EQ(list.DeleteFileAt(3), -1);
    EXPECT_EQ(list.DeleteFileAt(-1), -1);
    EXPECT_EQ(list.GetCount(), 3);
    for (const std::string& movie : movies)
        EXPECT_TRUE(fs::exists(movie));
}

TEST_F(PlayListTest, RemoveAllEmptiesListAndRowsButLeavesFiles)
{
    const std::vector<std::string> movies = AddThreeRecordings();
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_TRUE(view.Rows().empty());
    for (const std::string& movie : movies)
        EXPECT_TRUE(fs::exists(movie));

    list.AddFile(movies[0], "", ".TS");
    EXPECT_EQ(view.Labels(), (std::vector<std::string>{" 1"}));
}

// What the list view reads besides the texts: titles, alignment, lock state, the trip rule
// with its tip, and the playing row, which follows its recording when a row above goes.
TEST_F(PlayListTest, ModelRolesFollowTheCatalogue)
{
    AddThreeRecordings();
    PlaylistModel& model = view.Model();
    EXPECT_EQ(model.headerData(PlaylistModel::NameColumn, Qt::Horizontal).toString(), QStringLiteral("Files"));
    EXPECT_EQ(model.index(0, PlaylistModel::NumberColumn).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_FALSE(model.index(0, 0).data(PlaylistModel::LockedRole).toBool());
    EXPECT_TRUE(model.index(2, 0).data(PlaylistModel::LockedRole).toBool());

    model.setTripStarts({{0, QStringLiteral("first trip")}, {2, QStringLiteral("second trip")}, {7, {}}});
    EXPECT_TRUE(model.index(2, PlaylistModel::TimeColumn).data(PlaylistModel::TripStartRole).toBool());
    EXPECT_EQ(model.index(2, 1).data(Qt::ToolTipRole).toString(), QStringLiteral("second trip"));
    EXPECT_FALSE(model.index(1, 1).data(PlaylistModel::TripStartRole).toBool());
    EXPECT_FALSE(model.index(1, 1).data(Qt::ToolTipRole).isValid());
    model.setTripStarts({{1, QStringLiteral("one trip")}});
    EXPECT_FALSE(model.index(0, 0).data(PlaylistModel::TripStartRole).toBool());

    model.setPlayingRow(1);
    EXPECT_TRUE(model.index(1, 0).data(PlaylistModel::PlayingRole).toBool());
    ASSERT_EQ(list.DeleteFileAt(0), 0);
    EXPECT_EQ(model.playingRow(), 0);
    EXPECT_TRUE(model.index(0, 0).data(PlaylistModel::PlayingRole).toBool());
    ASSERT_EQ(list.DeleteFileAt(0), 0);
    EXPECT_EQ(model.playingRow(), -1) << "the playing recording is gone";
    model.setPlayingRow(5);
    EXPECT_EQ(model.playingRow(), -1);
}

TEST(PlayListWithoutView, WorksAlone)
{
    TempFolder folder;
    const std::string movie = folder.Write("A.TS", "");
    folder.Write("A.DAT", SidecarBytes());
    CPlayList list;
    list.AddFile(movie, "", ".TS");
    EXPECT_EQ(list.ToggleLock(0), 0);
    EXPECT_EQ(NodeAt(list, 0).bLocked, 1);
    EXPECT_EQ(list.DeleteFileAt(0), -1);
    EXPECT_EQ(list.ToggleLock(0), 0);
    EXPECT_EQ(list.DeleteFileAt(0), 0);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_FALSE(fs::exists(movie));
}

}  // namespace
