#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <tuple>

#include "library/library.h"
#include "tests/common/shared_testdata.h"
#include "tools/layout_writer/layout_writer.h"

namespace lw = layout_writer;

namespace {

// A track in the form the first version wrote: a version byte, the count, and per point
// latitude, longitude (1e-5 degrees) and time (tenths of a second) as zigzag varint deltas.
QByteArray firstVersionTrack(const std::vector<TrackPoint>& points)
{
    QByteArray out(1, '\x01');
    auto put = [&out](std::int64_t value) {
        auto zigzag = (std::uint64_t(value) << 1) ^ std::uint64_t(value >> 63);
        for (; zigzag >= 0x80; zigzag >>= 7) {
            out.append(char((zigzag & 0x7F) | 0x80));
        }
        out.append(char(zigzag));
    };
    put(std::int64_t(points.size()));
    std::int64_t lat = 0, lon = 0, t = 0;
    for (const TrackPoint& p : points) {
        const std::int64_t pLat = std::llround(p.latitude * 1e5);
        const std::int64_t pLon = std::llround(p.longitude * 1e5);
        const std::int64_t pT = p.tMs / 100;
        put(pLat - lat);
        put(pLon - lon);
        put(pT - t);
        lat = pLat;
        lon = pLon;
        t = pT;
    }
    return out;
}

constexpr std::int64_t kEpoch1904 = 2082844800;

// The great-circle distance by the atan2 form, apart from the library's own.
double metresBetween(double lat1, double lon1, double lat2, double lon2)
{
    const double r = M_PI / 180.0;
    const double a =
        std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
        std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 6371000.0 * 2 * std::atan2(std::sqrt(a), std::sqrt(1 - a));
}

// A drive of one fix a second from the place, dated from startMs (UTC), as a camera with
// NMEA in a box writes it.
struct Drive
{
    std::string path;
    std::int64_t startMs = 0;
    std::vector<lw::GpsPoint> points;
};

Drive writeDrive(const QString& folder, const char* name, double latitude, double longitude,
                 std::int64_t startMs, int seconds = 60)
{
    Drive drive{(folder + QLatin1Char('/') + QLatin1String(name)).toStdString(), startMs,
                lw::gpsDrive(seconds, latitude, longitude)};
    for (size_t i = 0; i < drive.points.size(); ++i) {
        const std::time_t t = static_cast<std::time_t>(startMs / 1000 + std::int64_t(i));
        std::tm utc{};
        gmtime_r(&t, &utc);
        lw::GpsPoint& p = drive.points[i];
        p.year = utc.tm_year + 1900;
        p.month = utc.tm_mon + 1;
        p.day = utc.tm_mday;
        p.hour = utc.tm_hour;
        p.minute = utc.tm_min;
        p.second = utc.tm_sec;
    }
    lw::NmeaBoxOptions options;
    options.startMs = startMs;
    options.creationTime = static_cast<std::uint32_t>(startMs / 1000 + kEpoch1904);
    EXPECT_TRUE(lw::writeFile(drive.path, lw::nmeaBoxMovie(drive.points, options)));
    return drive;
}

// The raw fix closest to the place, by the test's own distance.
struct RawClosest
{
    double metres = 1e300;
    std::int64_t utcMs = 0;
};
RawClosest rawClosest(const Drive& drive, double latitude, double longitude)
{
    RawClosest best;
    for (size_t i = 0; i < drive.points.size(); ++i) {
        const double d =
            metresBetween(latitude, longitude, drive.points[i].latitude, drive.points[i].longitude);
        if (d < best.metres) {
            best = {d, drive.startMs + std::int64_t(i) * 1000};
        }
    }
    return best;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct CommandResult
{
    int status = -1;
    std::string out, err;
};

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The command's exit status and output (its arguments hold no blanks or quotes).
CommandResult runCommand(const QTemporaryDir& dir, const std::string& command)
{
    const std::string out = dir.filePath("out.txt").toStdString();
    const std::string err = dir.filePath("err.txt").toStdString();
    const int status = std::system((command + " >" + out + " 2>" + err).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(out), readText(err)};
}

CommandResult telemetry(const QTemporaryDir& dir, const std::string& args)
{
    return runCommand(dir, std::string(DASHCAM_TELEMETRY) + " " + args);
}

// Starts dashcam-telemetry in a child process of its own (output discarded).
pid_t startTelemetry(const std::vector<std::string>& args)
{
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(DASHCAM_TELEMETRY)};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execv(DASHCAM_TELEMETRY, argv.data());
        _exit(127);
    }
    return pid;
}

int exitStatus(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// `count` hard links to one recording in a new folder.
QString linkedFolder(const QTemporaryDir& dir, const QString& name, const Drive& drive, int count)
{
    const QString folder = dir.filePath(name);
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        std::filesystem::create_hard_link(
            drive.path,
            QStringLiteral("%1/%2.MP4").arg(folder).arg(i, 5, 10, QLatin1Char('0')).toStdString());
    }
    return folder;
}

std::string integrityCheck(const QString& database)
{
    QTemporaryDir dir;
    return runCommand(dir, "sqlite3 " + database.toStdString() + " 'PRAGMA integrity_check'").out;
}

// The back-end the tests run on: SQLite files, or the PostgreSQL server that
// tests/library/pg_cluster.sh starts, when it names a template database with PostGIS.
const char* serverTemplate()
{
    return std::getenv("LIBRARY_TEST_TEMPLATE");
}

// Runs one statement on the server's maintenance database (libpq finds it by PGHOST).
void adminExec(const QString& sql)
{
    const QString name = QStringLiteral("admin");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setDatabaseName(QStringLiteral("postgres"));
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(sql)) << query.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

// The process's local time zone set to a rule for a test, and put back after it.
class LocalZone
{
public:
    explicit LocalZone(const char* rule)
        : m_saved(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", rule);
        ::tzset();
    }
    ~LocalZone()
    {
        m_had ? qputenv("TZ", m_saved) : qunsetenv("TZ");
        ::tzset();
    }
    LocalZone(const LocalZone&) = delete;
    LocalZone& operator=(const LocalZone&) = delete;

private:
    QByteArray m_saved;
    bool m_had;
};

class LibraryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.filePath(QStringLiteral("card"));
        QDir().mkpath(m_folder);
        if (!serverTemplate()) {
            m_database = m_dir.filePath(QStringLiteral("library.sqlite"));
            return;
        }
        static int counter = 0;
        m_serverDatabase = QStringLiteral("library_test_%1_%2").arg(getpid()).arg(++counter);
        adminExec(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2")
                      .arg(m_serverDatabase, QString::fromLatin1(serverTemplate())));
        // The socket's folder given in the URL, as a user would.
        m_database = QStringLiteral("postgresql:///%1?host=%2")
                         .arg(m_serverDatabase, QString::fromLocal8Bit(qgetenv("PGHOST")));
    }

    void TearDown() override
    {
        closeInspection();
        if (!m_serverDatabase.isEmpty()) {
            adminExec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(m_serverDatabase));
        }
    }

    bool onServer() const { return !m_serverDatabase.isEmpty(); }

    // The library at location (holding the three drives) opens read-only, answers and
    // refuses an import.
    void expectReadOnly(const QString& location)
    {
        Library library;
        const LibraryOpening opening = library.open(location);
        ASSERT_TRUE(opening.ok) << opening.error.toStdString();
        EXPECT_TRUE(opening.readOnly);
        QString error;
        EXPECT_EQ(library.passedHere(kPlaceLat, kPlaceLon, 40, error).size(), 2u);
        const ImportSummary refused = library.importFolders({m_folder});
        EXPECT_TRUE(refused.error.contains(QStringLiteral("read-only")))
            << refused.error.toStdString();
    }

    // A connection of the test's own to the library, beside the library's.
    QSqlDatabase inspection()
    {
        const QString name = QStringLiteral("inspect");
        if (QSqlDatabase::contains(name)) {
            return QSqlDatabase::database(name);
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(onServer() ? "QPSQL" : "QSQLITE", name);
        db.setDatabaseName(onServer() ? m_serverDatabase : m_database);
        if (!onServer()) {
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        }
        return db;
    }
    void closeInspection()
    {
        if (QSqlDatabase::contains(QStringLiteral("inspect"))) {
            QSqlDatabase::database(QStringLiteral("inspect"), false).close();
            QSqlDatabase::removeDatabase(QStringLiteral("inspect"));
        }
    }
    // The statement's one number; nothing when it fails.
    std::optional<int> countOf(const QString& sql)
    {
        QSqlDatabase db = inspection();
        QSqlQuery query(db);
        if ((!db.isOpen() && !db.open()) || !query.exec(sql) || !query.next()) {
            return std::nullopt;
        }
        return query.value(0).toInt();
    }
    // The rows the statement gives, a line each, columns joined by ' '; "" when it fails.
    std::string rows(const QString& sql)
    {
        QSqlDatabase db = inspection();
        if (!db.isOpen() && !db.open()) {
            return {};
        }
        QSqlQuery query(db);
        std::string text;
        if (!query.exec(sql)) {
            ADD_FAILURE() << query.lastError().text().toStdString();
        }
        while (query.next()) {
            for (int i = 0; i < query.record().count(); ++i) {
                text += (i ? " " : "") + query.value(i).toString().toStdString();
            }
            text += '\n';
        }
        return text;
    }

    // Three drives: two through one place on two days, one on the other side of the world.
    void writeDrives()
    {
        m_older = writeDrive(m_folder, "OLDER.MP4", kPlaceLat - 0.002, kLineLon - 0.003,
                             1684318800000);  // 2023-05-17 10:20 UTC
        m_newer = writeDrive(m_folder, "NEWER.MP4", kPlaceLat - 0.0035, kLineLon - 0.00525,
                             1706788800000);  // 2024-02-01 12:00 UTC
        m_away = writeDrive(m_folder, "AWAY.MP4", -33.86, 151.2, 1709294400000);
    }

    // The drives run through (kPlaceLat, kLineLon), 0.0001 north and 0.00015 east a second;
    // the place lies 12 m east of that point, 8.4 m from the line.
    static constexpr double kPlaceLat = 48.1200;
    static constexpr double kLineLon = 11.5200;
    static constexpr double kPlaceLon = kLineLon + 0.00016;

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_database;        // the library's location: a file or a server's URL
    QString m_serverDatabase;  // the server's database, on a server
    Drive m_older, m_newer, m_away;
};

TEST_F(LibraryTest, ReimportReadsOnlyWhatChanged)
{
    writeDrives();
    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    const ImportSummary first = library.importFolders({m_folder});
    EXPECT_TRUE(first.error.isEmpty()) << first.error.toStdString();
    EXPECT_EQ(first.found, 3);
    EXPECT_EQ(first.read, 3);
    if (!onServer()) {
        EXPECT_EQ(
            runCommand(m_dir, "sqlite3 " + m_database.toStdString() + " 'PRAGMA journal_mode'").out,
            "wal\n");
    }
    const ImportSummary again = library.importFolders({m_folder});
    EXPECT_EQ(again.read, 0);
    EXPECT_EQ(again.unchanged, 3);
    // A recording written anew (another size) is read again, and answers with its new track.
    writeDrive(m_folder, "AWAY.MP4", 10.0, 10.0, 1709294400000, 30);
    const ImportSummary changed = library.importFolders({m_folder});
    EXPECT_EQ(changed.read, 1);
    EXPECT_EQ(changed.unchanged, 2);
    QString error;
    EXPECT_TRUE(library.passedHere(-33.86, 151.2, 100, error).empty());
    EXPECT_EQ(library.passedHere(10.0, 10.0, 100, error).size(), 1u);
}

TEST_F(LibraryTest, RecordingsMinutesApartShareATrip)
{
    writeDrive(m_folder, "A.MP4", 48.0, 11.0, 1684318800000);               // 10:20:00 - 10:21:00
    writeDrive(m_folder, "B.MP4", 48.006, 11.009, 1684318800000 + 150000);  // 90 s after A
    writeDrive(m_folder, "C.MP4", 48.0, 11.0, 1684318800000 + 400000);      // 3 min after B
    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    ASSERT_EQ(library.importFolders({m_folder}).read, 3);
    EXPECT_EQ(rows(QStringLiteral("SELECT t.start_utc_ms, r.name FROM recordings r JOIN trips t "
                                  "ON t.id = r.trip_id ORDER BY t.start_utc_ms, r.name")),
              "1684318800000 A.MP4\n1684318800000 B.MP4\n1684319200000 C.MP4\n");
}

// The view's days are local days: a recording that starts at the zone's midnight is the next
// day's, one a minute before it the day before's, in a zone half an hour off the UTC hours.
TEST_F(LibraryTest, DaysAreLocalDaysSplitAtTheZonesMidnight)
{
    const LocalZone zone("IST-5:30");             // India: UTC+5:30, no summer time
    const std::int64_t midnight = 1710095400000;  // 2024-03-11 00:00 local, 18:30 UTC
    writeDrive(m_folder, "BEFORE.MP4", 48.0, 11.0, midnight - 90000);  // 23:58:30 to 23:59:30
    writeDrive(m_folder, "AT.MP4", 48.01, 11.01, midnight);
    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    ASSERT_EQ(library.importFolders({m_folder}).read, 2);
    QString error;
    const std::vector<LibraryDay> days = library.days(error);
    const std::vector<LibraryRecording> before = library.recordingsOn(QDate(2024, 3, 10), error);
    const std::vector<LibraryRecording> at = library.recordingsOn(QDate(2024, 3, 11), error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].day, QDate(2024, 3, 11));  // newest first
    EXPECT_EQ(days[0].recordings, 1);
    EXPECT_EQ(days[1].day, QDate(2024, 3, 10));
    EXPECT_EQ(days[1].recordings, 1);
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_TRUE(before[0].path.endsWith(QStringLiteral("/BEFORE.MP4")));
    EXPECT_TRUE(at[0].path.endsWith(QStringLiteral("/AT.MP4")));
    // One trip across midnight, shown under both days.
    ASSERT_TRUE(before[0].tripId && at[0].tripId);
    EXPECT_EQ(*before[0].tripId, *at[0].tripId);
    EXPECT_EQ(at[0].tripRecordings, 2);
    EXPECT_EQ(at[0].tripStartUtcMs, midnight - 90000);
    const std::optional<StoredTrack> track = library.trackOf(at[0].id, error);
    ASSERT_TRUE(track && !track->points.empty()) << error.toStdString();
    EXPECT_NEAR(track->points.front().latitude, 48.01, 1e-4);
}

TEST_F(LibraryTest, PassedHereFindsTheClosestApproachNewestFirst)
{
    writeDrives();
    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    ASSERT_EQ(library.importFolders({m_folder}).read, 3);
    QString error;
    const std::vector<LibraryHit> hits = library.passedHere(kPlaceLat, kPlaceLon, 40, error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].path.toStdString(), m_newer.path);
    EXPECT_EQ(hits[1].path.toStdString(), m_older.path);
    for (size_t i = 0; i < hits.size(); ++i) {
        const RawClosest raw = rawClosest(i == 0 ? m_newer : m_older, kPlaceLat, kPlaceLon);
        ASSERT_TRUE(hits[i].utcMs);
        EXPECT_NEAR(double(*hits[i].utcMs), double(raw.utcMs), 1000.0);
        const double metres =
            metresBetween(kPlaceLat, kPlaceLon, hits[i].latitude, hits[i].longitude);
        EXPECT_LE(metres, raw.metres + 1.5);
        EXPECT_NEAR(hits[i].metres, metres, 0.5);
    }
    // Closer than the drives came: nothing, and that is no error.
    EXPECT_TRUE(library.passedHere(kPlaceLat, kPlaceLon, 5, error).empty());
    EXPECT_TRUE(error.isEmpty());
}

TEST_F(LibraryTest, WhereAtGivesThePositionThen)
{
    writeDrives();
    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    ASSERT_EQ(library.importFolders({m_folder}).read, 3);
    QString error;
    const std::int64_t moment = m_newer.startMs + 17500;
    const std::vector<LibraryHit> hits = library.whereAt(moment, error);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path.toStdString(), m_newer.path);
    EXPECT_EQ(hits[0].utcMs, moment);
    const lw::GpsPoint& a = m_newer.points[17];
    const lw::GpsPoint& b = m_newer.points[18];
    EXPECT_LT(metresBetween(hits[0].latitude, hits[0].longitude, (a.latitude + b.latitude) / 2,
                            (a.longitude + b.longitude) / 2),
              6.5);
    EXPECT_TRUE(library.whereAt(m_newer.startMs - 1000, error).empty());
    EXPECT_TRUE(library.whereAt(m_newer.startMs + 60000, error).empty());
}

// Tracks the usual way of storing or finding them may miss: a single fix, none at all, and
// one logged hours away from its recording's start (a camera clock set wrong).
TEST_F(LibraryTest, OddTracksAreStoredAndFound)
{
    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    const std::int64_t start = 1706788800000;
    auto record = [&](const char* name, std::int64_t base, std::vector<TrackPoint> points) {
        RecordingRecord r;
        r.file = {m_folder + QLatin1Char('/') + QLatin1String(name), 1000, start};
        r.layout = QStringLiteral("nmea-box");
        r.channels = QStringLiteral("F");
        r.startUtcMs = start;
        r.durationMs = 60000;
        r.track = {base, std::move(points)};
        return r;
    };
    const std::int64_t late = start + 3 * 3600 * 1000;
    QString error;
    ASSERT_TRUE(library.store(
        {record("ONE.MP4", start, {{kPlaceLat, kPlaceLon, 0}}), record("NONE.MP4", start, {}),
         record("LATE.MP4", late, {{-33.86, 151.2, 0}, {-33.859, 151.2, 30000}})},
        error))
        << error.toStdString();
    const std::vector<LibraryHit> one = library.passedHere(kPlaceLat, kPlaceLon, 10, error);
    ASSERT_EQ(one.size(), 1u) << error.toStdString();
    EXPECT_TRUE(one[0].path.endsWith(QLatin1String("ONE.MP4")));
    EXPECT_EQ(library.whereAt(start, error).size(), 1u);
    const std::vector<LibraryHit> far = library.whereAt(late + 15000, error);
    ASSERT_EQ(far.size(), 1u) << error.toStdString();
    EXPECT_TRUE(far[0].path.endsWith(QLatin1String("LATE.MP4")));
    EXPECT_NEAR(far[0].latitude, -33.8595, 1e-5);
    EXPECT_TRUE(library.whereAt(late + 31000, error).empty());
}

TEST_F(LibraryTest, DamagedFileIsMovedAsideAndTheLibraryRebuilt)
{
    if (onServer()) {
        GTEST_SKIP() << "a damaged file is SQLite's; the server keeps its own files";
    }
    writeDrives();
    QByteArray garbage(8192, '\x5a');
    garbage.replace(0, 16, QByteArray("SQLite format 3\0", 16));
    {
        QFile file(m_database);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    Library library;
    const LibraryOpening opening = library.open(m_database);
    ASSERT_TRUE(opening.ok) << opening.error.toStdString();
    EXPECT_TRUE(opening.note.contains(QStringLiteral("damaged"))) << opening.note.toStdString();
    const QStringList aside =
        QDir(m_dir.path()).entryList({QStringLiteral("library.sqlite.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(fileBytes(m_dir.filePath(aside[0])), garbage);
    EXPECT_EQ(library.importFolders({m_folder}).read, 3);
    EXPECT_EQ(integrityCheck(m_database), "ok\n");
}

// A full disk: the import stops with the reason and what was stored before stays whole.
TEST_F(LibraryTest, FullDiskStopsTheImportWithTheReason)
{
    if (onServer()) {
        GTEST_SKIP() << "the library's own file system is SQLite's; the server keeps its own";
    }
    if (geteuid() != 0) {
        GTEST_SKIP() << "a small file system of its own needs root to mount";
    }
    const QString small = m_dir.filePath(QStringLiteral("small"));
    QDir().mkpath(small);
    if (::mount("tmpfs", small.toLocal8Bit().constData(), "tmpfs", 0, "size=512k") != 0) {
        GTEST_SKIP() << "no tmpfs mount here: " << std::strerror(errno);
    }
    struct Unmount
    {
        QString path;
        ~Unmount() { ::umount(path.toLocal8Bit().constData()); }
    } unmount{small};
    writeDrives();
    const QString database = small + QStringLiteral("/library.sqlite");
    Library library;
    ASSERT_TRUE(library.open(database).ok);
    ASSERT_EQ(library.importFolders({m_folder}).read, 3);
    // What is left of the disk after a filler: less than a batch of recordings needs.
    runCommand(m_dir, "dd if=/dev/zero of=" + small.toStdString() + "/filler bs=1k");
    const QString many = linkedFolder(m_dir, QStringLiteral("many"), m_away, 1000);
    const ImportSummary full = library.importFolders({many});
    EXPECT_TRUE(full.error.contains(QStringLiteral("full"))) << full.error.toStdString();
    EXPECT_LT(full.read, 1000);
    QString error;
    EXPECT_EQ(library.passedHere(kPlaceLat, kPlaceLon, 40, error).size(), 2u);
    QFile::remove(small + QStringLiteral("/filler"));
    EXPECT_EQ(integrityCheck(database), "ok\n");
}

// A card from a FAT image on a loop device, mounted by the kernel or, where the kernel has no
// FAT, by fusefat: the library stores the label and UUID that blkid reads off the device.
TEST_F(LibraryTest, CardLabelAndUuidAreTheOnesBlkidReads)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "mounting a card image needs root";
    }
    const std::string image = m_dir.filePath(QStringLiteral("card.img")).toStdString();
    const CommandResult made = runCommand(m_dir, "mkfs.vfat -C -n DASHCAM07 " + image + " 8192");
    ASSERT_EQ(made.status, 0) << made.err;
    const CommandResult attached = runCommand(m_dir, "losetup -f --show " + image);
    if (attached.status != 0) {
        GTEST_SKIP() << "no loop device here: " << attached.err;
    }
    const QString card = m_dir.filePath(QStringLiteral("mounted"));
    QDir().mkpath(card);
    struct Detach
    {
        std::string loop, card;
        ~Detach()
        {
            ::umount(card.c_str());
            std::system(("losetup -d " + loop).c_str());
        }
    } detach{attached.out.substr(0, attached.out.find('\n')), card.toStdString()};
    const std::string& loop = detach.loop;
    if (::mount(loop.c_str(), detach.card.c_str(), "vfat", 0, nullptr) != 0) {
        const std::string kernel = std::strerror(errno);
        const CommandResult fuse =
            runCommand(m_dir, "fusefat -o rw+ " + loop + " " + detach.card + " -o fsname=" + loop);
        if (fuse.status != 0) {
            GTEST_SKIP() << "no FAT mount here: the kernel says " << kernel << ", fusefat "
                         << fuse.err;
        }
    }
    QDir().mkpath(card + QStringLiteral("/DCIM"));
    writeDrive(card + QStringLiteral("/DCIM"), "CARD.MP4", kPlaceLat, kPlaceLon, 1706788800000);

    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    const ImportSummary imported = library.importFolders({card});
    ASSERT_EQ(imported.read, 1) << imported.problems.join('\n').toStdString();
    const std::string label = runCommand(m_dir, "blkid -p -o value -s LABEL " + loop).out;
    const std::string uuid = runCommand(m_dir, "blkid -p -o value -s UUID " + loop).out;
    ASSERT_EQ(label, "DASHCAM07\n");
    ASSERT_FALSE(uuid.empty());
    QString error;
    const std::vector<LibraryDay> days = library.days(error);
    ASSERT_EQ(days.size(), 1u) << error.toStdString();
    const std::vector<LibraryRecording> stored = library.recordingsOn(days[0].day, error);
    ASSERT_EQ(stored.size(), 1u) << error.toStdString();
    EXPECT_EQ(stored[0].cardLabel.toStdString() + "\n", label);
    EXPECT_EQ(stored[0].cardUuid.toStdString() + "\n", uuid);
}

TEST_F(LibraryTest, NewerLibraryIsRefusedAndLeftAlone)
{
    {
        Library library;
        ASSERT_TRUE(library.open(m_database).ok);
    }
    rows(QStringLiteral("UPDATE library_meta SET value = '99' WHERE key = 'schema_version'"));
    closeInspection();
    const QByteArray before = fileBytes(m_database);
    Library library;
    const LibraryOpening opening = library.open(m_database);
    EXPECT_FALSE(opening.ok);
    EXPECT_TRUE(opening.error.contains(QStringLiteral("newer"))) << opening.error.toStdString();
    EXPECT_EQ(fileBytes(m_database), before);  // a server's database: no file, both empty
    EXPECT_EQ(rows(QStringLiteral("SELECT value FROM library_meta")), "99\n");
}

// A library written by the first version (tracks in their own rows, in the form before
// TWKB; on a server beside a table of index lines) is brought up to date when opened, and
// answers as before.
TEST_F(LibraryTest, FirstVersionLibraryIsUpgradedAndAnswersAsBefore)
{
    writeDrives();
    {
        Library library;
        ASSERT_TRUE(library.open(m_database).ok);
        ASSERT_EQ(library.importFolders({m_folder}).read, 3);
    }
    ASSERT_TRUE(inspection().isOpen() || inspection().open());
    if (onServer()) {  // numbered by a sequence, as the first and second versions did
        rows(QStringLiteral("UPDATE recordings r SET id = n.n, trip_id = NULL FROM (SELECT id, "
                            "row_number() OVER (ORDER BY id) AS n FROM recordings) n "
                            "WHERE r.id = n.id"));
        rows(QStringLiteral("DELETE FROM trips"));
    }
    QSqlQuery tracks(inspection());
    ASSERT_TRUE(
        tracks.exec(QStringLiteral("SELECT recording_id, base_utc_ms, points FROM tracks")));
    std::vector<std::tuple<qlonglong, QVariant, QByteArray>> old;
    while (tracks.next()) {
        const QByteArray blob = tracks.value(2).toByteArray();
        const auto points = decodeTrack(std::string_view(blob.constData(), size_t(blob.size())));
        ASSERT_TRUE(points);
        old.emplace_back(tracks.value(0).toLongLong(), tracks.value(1), firstVersionTrack(*points));
    }
    tracks.finish();
    ASSERT_EQ(old.size(), 3u);
    if (onServer()) {  // the card, layout and channels in each recording's row
        rows(QStringLiteral("ALTER TABLE recordings ADD COLUMN card_label TEXT, ADD COLUMN "
                            "card_uuid TEXT, ADD COLUMN layout TEXT, ADD COLUMN channels TEXT, "
                            "ADD UNIQUE (folder_id, name), ALTER COLUMN locked DROP DEFAULT, ALTER "
                            "COLUMN locked TYPE smallint USING locked::integer, ALTER COLUMN "
                            "event DROP DEFAULT, ALTER COLUMN event TYPE smallint USING "
                            "event::integer"));
        rows(QStringLiteral("UPDATE recordings r SET card_label = f.card_label, card_uuid = "
                            "f.card_uuid, layout = f.layout, channels = f.channels FROM folders f "
                            "WHERE f.id = r.folder_id"));
        rows(QStringLiteral("ALTER TABLE folders DROP COLUMN card_label, DROP COLUMN card_uuid, "
                            "DROP COLUMN layout, DROP COLUMN channels, ADD UNIQUE (path)"));
        rows(QStringLiteral("DROP VIEW tracks"));
        rows(QStringLiteral("ALTER TABLE recordings DROP COLUMN base_utc_ms, DROP COLUMN points, "
                            "ADD FOREIGN KEY (trip_id) REFERENCES trips(id) ON DELETE SET NULL"));
        rows(QStringLiteral("CREATE TABLE tracks (recording_id BIGINT PRIMARY KEY REFERENCES "
                            "recordings(id) ON DELETE CASCADE, base_utc_ms BIGINT, point_count "
                            "INTEGER NOT NULL, points BYTEA NOT NULL)"));
        rows(QStringLiteral("CREATE TABLE track_box (id BIGINT PRIMARY KEY REFERENCES "
                            "recordings(id) ON DELETE CASCADE, line geography(LINESTRING, 4326) "
                            "NOT NULL, span tstzrange NOT NULL)"));
    }
    QSqlQuery write(inspection());
    write.prepare(onServer() ? QStringLiteral("INSERT INTO tracks VALUES (:id, :base, 0, :points)")
                             : QStringLiteral("UPDATE tracks SET points = :points WHERE "
                                              "recording_id = :id"));
    for (const auto& [id, base, points] : old) {
        write.bindValue(QStringLiteral(":id"), id);
        write.bindValue(QStringLiteral(":base"), base);
        write.bindValue(QStringLiteral(":points"), points);
        ASSERT_TRUE(write.exec()) << write.lastError().text().toStdString();
    }
    rows(QStringLiteral("UPDATE recordings SET locked = 1 WHERE name = 'NEWER.MP4'"));
    rows(QStringLiteral("UPDATE library_meta SET value = '1' WHERE key = 'schema_version'"));
    closeInspection();

    Library library;
    const LibraryOpening opening = library.open(m_database);
    ASSERT_TRUE(opening.ok) << opening.error.toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT value FROM library_meta")), onServer() ? "3\n" : "2\n");
    QString error;
    const std::vector<LibraryHit> hits = library.passedHere(kPlaceLat, kPlaceLon, 40, error);
    ASSERT_EQ(hits.size(), 2u) << error.toStdString();
    EXPECT_EQ(hits[0].path.toStdString(), m_newer.path);
    EXPECT_EQ(library.whereAt(m_newer.startMs + 17500, error).size(), 1u);
    EXPECT_EQ(countOf(QStringLiteral("SELECT count(*) FROM recordings WHERE trip_id IS NULL")), 0);
    const std::vector<LibraryRecording> newer =
        library.recordingsOn(QDateTime::fromMSecsSinceEpoch(m_newer.startMs).date(), error);
    ASSERT_EQ(newer.size(), 1u) << error.toStdString();
    EXPECT_EQ(newer[0].layout, QStringLiteral("nmeabox"));
    EXPECT_TRUE(newer[0].locked);
    // A recording written anew replaces its upgraded row.
    writeDrive(m_folder, "AWAY.MP4", 10.0, 10.0, 1709294400000, 30);
    EXPECT_EQ(library.importFolders({m_folder}).read, 1);
    EXPECT_EQ(countOf(QStringLiteral("SELECT count(*) FROM recordings")), 3);
    EXPECT_EQ(library.passedHere(10.0, 10.0, 100, error).size(), 1u);
    if (onServer()) {  // PostGIS itself reads the converted tracks, and no line twice
        EXPECT_EQ(countOf(QStringLiteral("SELECT count(*) FROM recordings WHERE "
                                         "ST_NPoints(ST_GeomFromTWKB(points)) > 1")),
                  3);
        EXPECT_EQ(countOf(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename IN "
                                         "('tracks', 'track_box')")),
                  0);
    }
}

// Where a recording's id is a hash of its path: a path whose id holds another path (here
// one renamed in place, as a collision would leave it) takes its next id, and both stay.
TEST_F(LibraryTest, PathsWhoseIdsCollideAreKeptApart)
{
    if (!onServer()) {
        GTEST_SKIP() << "a file library numbers its recordings itself";
    }
    writeDrives();
    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    ASSERT_EQ(library.importFolders({m_folder}).read, 3);
    rows(QStringLiteral("UPDATE recordings SET name = 'ELSE.MP4' WHERE name = 'AWAY.MP4'"));
    const std::string before =
        rows(QStringLiteral("SELECT id, size, points FROM recordings WHERE name = 'ELSE.MP4'"));
    writeDrive(m_folder, "AWAY.MP4", 10.0, 10.0, 1709294400000, 30);
    ASSERT_EQ(library.importFolders({m_folder}).read, 1);
    writeDrive(m_folder, "AWAY.MP4", 20.0, 20.0, 1709294400000, 20);
    ASSERT_EQ(library.importFolders({m_folder}).read, 1);  // found again past the other
    EXPECT_EQ(countOf(QStringLiteral("SELECT count(*) FROM recordings")), 4);
    EXPECT_EQ(
        rows(QStringLiteral("SELECT id, size, points FROM recordings WHERE name = 'ELSE.MP4'")),
        before);
    QString error;
    EXPECT_EQ(library.passedHere(20.0, 20.0, 100, error).size(), 1u);
    EXPECT_EQ(library.passedHere(-33.86, 151.2, 100, error).size(), 1u);  // the renamed one's
}

// A read-only library: as root only a read-only mount makes one, elsewhere the file's mode.
TEST_F(LibraryTest, ReadOnlyLibraryAnswersAndRefusesImports)
{
    if (onServer()) {
        GTEST_SKIP() << "a file's mode or mount";
    }
    writeDrives();
    {
        Library library;
        ASSERT_TRUE(library.open(m_database).ok);
        ASSERT_EQ(library.importFolders({m_folder}).read, 3);
    }
    const QString shelf = m_dir.filePath(QStringLiteral("shelf"));
    QDir().mkpath(shelf);
    const QString database = shelf + QStringLiteral("/library.sqlite");
    ASSERT_TRUE(QFile::copy(m_database, database));
    const bool root = geteuid() == 0;
    // Undone however the test ends: the temporary folder must be removable.
    struct Restore
    {
        QString shelf;
        bool root;
        ~Restore()
        {
            if (root) {
                ::umount(shelf.toLocal8Bit().constData());
            }
            QFile::setPermissions(shelf, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    } restore{shelf, root};
    if (root) {
        if (::mount("none", shelf.toLocal8Bit().constData(), nullptr,
                    MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0 &&
            (::mount(shelf.toLocal8Bit().constData(), shelf.toLocal8Bit().constData(), nullptr,
                     MS_BIND, nullptr) != 0 ||
             ::mount("none", shelf.toLocal8Bit().constData(), nullptr,
                     MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)) {
            GTEST_SKIP() << "no read-only bind mount here: " << std::strerror(errno);
        }
    } else {
        QFile::setPermissions(database, QFile::ReadOwner | QFile::ReadGroup);
        QFile::setPermissions(shelf, QFile::ReadOwner | QFile::ExeOwner);
    }
    const QByteArray before = fileBytes(database);
    expectReadOnly(database);
    EXPECT_EQ(fileBytes(database), before);
}

// A server's database set read-only, as a standby is: it answers and refuses imports too.
TEST_F(LibraryTest, ReadOnlyServerDatabaseAnswersAndRefusesImports)
{
    if (!onServer()) {
        GTEST_SKIP() << "a server's setting";
    }
    writeDrives();
    {
        Library library;
        ASSERT_TRUE(library.open(m_database).ok);
        ASSERT_EQ(library.importFolders({m_folder}).read, 3);
    }
    adminExec(QStringLiteral("ALTER DATABASE %1 SET default_transaction_read_only = on")
                  .arg(m_serverDatabase));
    expectReadOnly(m_database);
}

TEST_F(LibraryTest, KilledImportLeavesAConsistentLibrary)
{
    const Drive drive = writeDrive(m_folder, "ONE.MP4", 48.0, 11.0, 1684318800000);
    const int total = 3000;
    const QString folder = linkedFolder(m_dir, QStringLiteral("many"), drive, total);
    const pid_t child =
        startTelemetry({"--library", m_database.toStdString(), folder.toStdString()});
    // Killed as soon as its first batch shows (or once it is done, on a very fast machine).
    int stored = 0;
    for (int i = 0; i < 3000 && stored == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        // Not before the file is there: SQLite would make it.
        if (onServer() || QFile::exists(m_database)) {
            stored = countOf(QStringLiteral("SELECT count(*) FROM recordings")).value_or(0);
        }
    }
    kill(child, SIGKILL);
    exitStatus(child);
    closeInspection();
    ASSERT_GT(stored, 0);
    if (!onServer()) {
        EXPECT_EQ(integrityCheck(m_database), "ok\n");
    }
    const int kept = countOf(QStringLiteral("SELECT count(*) FROM recordings")).value_or(-1);
    const int withoutTrack = countOf(QStringLiteral("SELECT count(*) FROM recordings r LEFT JOIN "
                                                    "tracks t ON t.recording_id = r.id WHERE "
                                                    "t.recording_id IS NULL"))
                                 .value_or(-1);
    RecordProperty("stored_when_killed", kept);
    EXPECT_TRUE(kept == total || kept % 200 == 0) << kept << ": whole batches only";
    EXPECT_EQ(withoutTrack, 0);
    // The next import reads only what the killed one did not store.
    const CommandResult again =
        telemetry(m_dir, "--library " + m_database.toStdString() + " " + folder.toStdString());
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find(std::to_string(total - kept) + " read, " + std::to_string(kept) +
                             " unchanged"),
              std::string::npos)
        << again.err;
}

// Four importers at once, each with a folder of its own and all of them with one shared
// folder (named first by some, last by others): every recording once, none lost.
TEST_F(LibraryTest, ImportersAtOnceNeitherLoseNorDuplicate)
{
    constexpr int kImporters = 4;
    constexpr int kEach = 300;
    const Drive one = writeDrive(m_folder, "ONE.MP4", 48.0, 11.0, 1684318800000);
    const Drive two = writeDrive(m_folder, "TWO.MP4", 49.0, 12.0, 1706788800000);
    const QString shared = linkedFolder(m_dir, QStringLiteral("shared"), two, kEach);
    std::vector<pid_t> importers;
    for (int i = 0; i < kImporters; ++i) {
        const QString own = linkedFolder(m_dir, QStringLiteral("own%1").arg(i), one, kEach);
        const bool sharedFirst = i % 2 == 0;
        importers.push_back(startTelemetry({"--library", m_database.toStdString(),
                                            (sharedFirst ? shared : own).toStdString(),
                                            (sharedFirst ? own : shared).toStdString()}));
    }
    for (const pid_t importer : importers) {
        EXPECT_EQ(exitStatus(importer), 0);
    }
    if (!onServer()) {
        EXPECT_EQ(integrityCheck(m_database), "ok\n");
    }
    const int total = (kImporters + 1) * kEach;
    EXPECT_EQ(countOf(QStringLiteral("SELECT count(*) FROM recordings")), total);
    EXPECT_EQ(countOf(QStringLiteral("SELECT count(DISTINCT f.path || '/' || r.name) FROM "
                                     "recordings r JOIN folders f ON f.id = r.folder_id")),
              total);
    EXPECT_EQ(countOf(QStringLiteral("SELECT count(*) FROM tracks")), total);
    if (!onServer()) {  // a server indexes the track in its recording's row
        EXPECT_EQ(countOf(QStringLiteral("SELECT count(*) FROM track_box")), total);
    }
    EXPECT_EQ(countOf(QStringLiteral("SELECT count(*) FROM folders")), kImporters + 1);
    QString error;
    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    EXPECT_EQ(library.passedHere(49.0, 12.0, 50, error).size(), size_t(kEach));
}

TEST_F(LibraryTest, CommandLinePrintsOneLinePerHit)
{
    writeDrives();
    const std::string library = "--library " + m_database.toStdString();
    const CommandResult import = telemetry(m_dir, library + " " + m_folder.toStdString());
    ASSERT_EQ(import.status, 0) << import.err;
    const CommandResult passed = telemetry(m_dir, library + " --passed 48.12,11.52016,40");
    EXPECT_EQ(passed.status, 0) << passed.err;
    const RawClosest raw = rawClosest(m_newer, kPlaceLat, kPlaceLon);
    char rawTime[32];
    const std::time_t seconds = raw.utcMs / 1000;
    std::strftime(rawTime, sizeof rawTime, "%Y-%m-%dT%H:%M", std::gmtime(&seconds));
    // Newest first: path, ISO time, latitude, longitude.
    std::istringstream lines(passed.out);
    std::string path, time;
    double latitude = 0, longitude = 0;
    ASSERT_TRUE(lines >> path >> time >> latitude >> longitude) << passed.out;
    EXPECT_EQ(path, m_newer.path);
    EXPECT_EQ(time.substr(0, 16), rawTime);
    EXPECT_EQ(time.back(), 'Z');
    EXPECT_LT(metresBetween(kPlaceLat, kPlaceLon, latitude, longitude), 40);
    ASSERT_TRUE(lines >> path >> time >> latitude >> longitude);
    EXPECT_EQ(path, m_older.path);
    EXPECT_FALSE(lines >> path);

    const CommandResult at = telemetry(m_dir, library + " --at 2024-02-01T13:00:10+01:00");
    EXPECT_EQ(at.status, 0) << at.err;
    EXPECT_EQ(at.out.substr(0, at.out.find('\t')), m_newer.path);
    EXPECT_NE(at.out.find("\t2024-02-01T12:00:10Z\t"), std::string::npos) << at.out;

    const CommandResult none = telemetry(m_dir, library + " --at 2020-01-01T00:00:00Z");
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(telemetry(m_dir, library + " --passed 48.12,11.52").status, 2);
    EXPECT_EQ(telemetry(m_dir, library + " --at yesterday").status, 2);
}

}  // namespace

namespace {

// A real camera's GPS track (a GoPro in flight): the library's closest approach against
// ExifTool's reading of the same fixes.
TEST_F(LibraryTest, PassedHereOnARealTrackAgreesWithExifTool)
{
    const std::string dir = std::string(LIBRARY_TESTDATA_DIR) + "/real-movies";
    SKIP_WITHOUT_SHARED_TESTDATA(dir);
    const std::string movie = dir + "/gopro-karma.mp4";
    const CommandResult exif =
        runCommand(m_dir, "exiftool -ee -n -p '$GPSDateTime $GPSLatitude $GPSLongitude' " + movie);
    struct Fix
    {
        std::int64_t utcMs;
        double latitude, longitude;
    };
    std::vector<Fix> fixes;
    std::istringstream lines(exif.out);
    for (std::string line; std::getline(lines, line);) {
        std::tm time{};
        double seconds = 0;
        Fix fix{};
        if (std::sscanf(line.c_str(), "%d:%d:%d %d:%d:%lf %lf %lf", &time.tm_year, &time.tm_mon,
                        &time.tm_mday, &time.tm_hour, &time.tm_min, &seconds, &fix.latitude,
                        &fix.longitude) == 8) {
            time.tm_year -= 1900;
            time.tm_mon -= 1;
            fix.utcMs = std::int64_t(timegm(&time)) * 1000 + std::llround(seconds * 1000);
            fixes.push_back(fix);
        }
    }
    ASSERT_GE(fixes.size(), 10u) << exif.out << exif.err;
    Library library;
    ASSERT_TRUE(library.open(m_database).ok);
    ASSERT_EQ(library.importFolders({QString::fromStdString(movie)}).read, 1);
    // 15 m west of a fix in the middle of the flight.
    const Fix& middle = fixes[fixes.size() / 2];
    const double latitude = middle.latitude;
    const double longitude =
        middle.longitude - 15.0 / (111195.0 * std::cos(latitude * M_PI / 180.0));
    const Fix* closest = &fixes.front();
    for (const Fix& fix : fixes) {
        if (metresBetween(latitude, longitude, fix.latitude, fix.longitude) <
            metresBetween(latitude, longitude, closest->latitude, closest->longitude)) {
            closest = &fix;
        }
    }
    QString error;
    const std::vector<LibraryHit> hits = library.passedHere(latitude, longitude, 50, error);
    ASSERT_EQ(hits.size(), 1u) << error.toStdString();
    ASSERT_TRUE(hits[0].utcMs);
    EXPECT_NEAR(double(*hits[0].utcMs), double(closest->utcMs), 1000.0);
    EXPECT_LE(metresBetween(latitude, longitude, hits[0].latitude, hits[0].longitude),
              metresBetween(latitude, longitude, closest->latitude, closest->longitude) + 2.0);
    const std::vector<LibraryHit> then = library.whereAt(middle.utcMs, error);
    ASSERT_EQ(then.size(), 1u);
    EXPECT_LT(metresBetween(then[0].latitude, then[0].longitude, middle.latitude, middle.longitude),
              kTrackToleranceMetres + 2.0);
}

}  // namespace
