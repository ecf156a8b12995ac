// The library's figures: import of 10,000 recordings into an empty library and again with
// nothing changed, "passed here" on 100,000 recordings, and the library's size per hour;
// the same with four importers at once. On SQLite files, or on the PostgreSQL server of
// tests/library/pg_cluster.sh when it names its PostGIS template database.
//
// Last figures (2 shared cores under a load of about 4 from other work, RelWithDebInfo;
// SQLite / PostgreSQL 15 with PostGIS 3):
//   import of 10,000                     2.3 s / 3.3 s
//   re-import, nothing changed           0.14 s / 0.15 s
//   passed here, 100,000 recordings      5.5 ms / 1.6 ms
//   where was I at, 100,000 recordings   0.06 ms / 0.42 ms
//   KB per hour, 50 hours from empty     15.8 / 19.8 (after VACUUM)
//   KB per hour, 100,000 recordings      14.8 / 16.2 (after VACUUM)
//   library view, days shown             56 ms / 112 ms
//   library view, a day of 1,440 opened  70 ms / 129 ms (longest stall 3.6 / 5.2 ms)
//   four importers at once, 40,000       8.4 s / 11.2 s
//   four again, nothing changed          1.1 s / 1.2 s
//   passed here while four import        38 ms / 4.7 ms
// The server's bytes per recording at 100,000 (after VACUUM): the row 159 (the card,
// layout and channels in its folder's row), the key (a hash of the path, which is also the
// path's unique index) 29, the track's GiST index 67, the start's index 20.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/library_view.h"
#include "bench/benchmark_args.h"
#include "library/library.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

namespace fs = std::filesystem;
namespace lw = layout_writer;

constexpr int kImportCount = 10000;
constexpr int kImporters = 4;
constexpr int kQueryLibrarySize = 100000;
constexpr double kMetresPerDegree = 111195.0;

const char kUsage[] =
    "usage: bench_library [BENCHMARK-OPTIONS]\n"
    "\n"
    "Imports 10,000 recordings (hard links of make-sample-recordings' samples) into an empty\n"
    "library and again unchanged, asks \"passed here\" of a library of 100,000 recordings\n"
    "(rows written directly) and \"where was I at\" there, and measures the library's bytes\n"
    "per hour of recording (on a server after VACUUM); then\n"
    "four dashcam-telemetry importers at once, each with 10,000 recordings of its own, into\n"
    "an empty library and again unchanged, and \"passed here\" while they import; and the\n"
    "library view opened on the 100,000 recordings: its days, then a day of them.\n"
    "Run by tests/library/pg_cluster.sh, it measures the same on PostgreSQL with PostGIS.\n";

// The server's template database with PostGIS, when the figures are the server's.
const char* serverTemplate()
{
    return std::getenv("LIBRARY_TEST_TEMPLATE");
}

// Runs one statement on a database of the server (libpq finds it by PGHOST); -1 when it
// fails, else the first column of its first row as a number.
qlonglong serverExec(const QString& database, const QString& sql)
{
    const QString name = QStringLiteral("bench-admin");
    qlonglong value = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setDatabaseName(database);
        QSqlQuery query(db);
        if (db.open() && query.exec(sql)) {
            value = query.next() ? query.value(0).toLongLong() : 0;
        }
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

// A new, empty library: a file in the folder, or a database on the server.
QString newLibrary(const QTemporaryDir& dir, const QString& name)
{
    if (!serverTemplate()) {
        return dir.filePath(name + QStringLiteral(".sqlite"));
    }
    // Google Benchmark may run a benchmark's function more than once.
    static int made = 0;
    const QString database = QStringLiteral("bench_%1_%2_%3").arg(name).arg(getpid()).arg(++made);
    if (serverExec(QStringLiteral("postgres"),
                   QStringLiteral("CREATE DATABASE %1 TEMPLATE %2")
                       .arg(database, QString::fromLatin1(serverTemplate()))) < 0) {
        std::abort();
    }
    return QStringLiteral("postgresql:///") + database;
}

// The bytes the library takes: the file's once its log is checkpointed into it, as SQLite
// does when the log grows or the last connection closes; or the server database's once
// vacuumed, as the server's autovacuum leaves a real library (every table and index with
// its free-space and visibility maps).
std::int64_t librarySize(const QString& location)
{
    if (!isServerLocation(location)) {
        const QString name = QStringLiteral("bench-checkpoint");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(location);
            QSqlQuery query(db);
            if (!db.open() || !query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"))) {
                std::abort();
            }
        }
        QSqlDatabase::removeDatabase(name);
        return QFileInfo(location).size() + QFileInfo(location + QStringLiteral("-wal")).size();
    }
    const QString database = location.mid(int(qstrlen("postgresql:///")));
    if (serverExec(database, QStringLiteral("VACUUM")) < 0) {
        std::abort();
    }
    return serverExec(database, QStringLiteral("SELECT pg_database_size(current_database())"));
}

// 10,000 hard links of the sample recordings (sidecars linked beside their movies).
class SampleFolder
{
public:
    SampleFolder()
    {
        const QString samples = m_dir.filePath(QStringLiteral("samples"));
        const std::string command = std::string(MAKE_SAMPLE_RECORDINGS) + " " +
                                    samples.toStdString() + " 60 >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            std::abort();
        }
        m_samples = QDir(samples).entryInfoList({QStringLiteral("*.MOV"), QStringLiteral("*.TS")});
        m_folder = linkSamples(QStringLiteral("card"));
    }
    QString folder() const { return m_folder; }
    const QTemporaryDir& dir() const { return m_dir; }

    // Another 10,000 hard links in a folder of their own.
    QString linkSamples(const QString& name) const
    {
        const QFileInfoList& movies = m_samples;
        const QString folder = m_dir.filePath(name);
        QDir().mkpath(folder);
        for (int i = 0; i < kImportCount; ++i) {
            const QFileInfo& movie = movies[i % movies.size()];
            const QString path = QStringLiteral("%1/%2_%3")
                                     .arg(folder, movie.completeBaseName())
                                     .arg(i, 5, 10, QLatin1Char('0'));
            fs::create_hard_link(movie.filePath().toStdString(),
                                 (path + QLatin1Char('.') + movie.suffix()).toStdString());
            const QString sidecar =
                movie.path() + QLatin1Char('/') + movie.completeBaseName() + QStringLiteral(".DAT");
            if (QFileInfo::exists(sidecar)) {
                fs::create_hard_link(sidecar.toStdString(), (path + ".DAT").toStdString());
            }
        }
        return folder;
    }

private:
    QTemporaryDir m_dir;
    QFileInfoList m_samples;
    QString m_folder;
};

const SampleFolder& samples()
{
    static const SampleFolder folder;
    return folder;
}

void importTenThousand(benchmark::State& state)
{
    const SampleFolder& folder = samples();  // written before the clock starts
    int run = 0;
    for (auto _ : state) {
        Library library;
        library.open(newLibrary(folder.dir(), QStringLiteral("import_%1").arg(run++)));
        const ImportSummary summary = library.importFolders({folder.folder()});
        if (summary.read != kImportCount) {
            state.SkipWithError("not every recording was read");
        }
    }
    state.SetItemsProcessed(state.iterations() * kImportCount);
}
BENCHMARK(importTenThousand)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void reimportUnchanged(benchmark::State& state)
{
    Library library;
    library.open(newLibrary(samples().dir(), QStringLiteral("reimport")));
    library.importFolders({samples().folder()});
    for (auto _ : state) {
        const ImportSummary summary = library.importFolders({samples().folder()});
        if (summary.unchanged != kImportCount) {
            state.SkipWithError("a recording was read again");
        }
    }
}
BENCHMARK(reimportUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();

// A made-up drive that turns, speeds up, slows down and stops, as town and country roads
// make it: one fix a second.
std::vector<TrackPoint> windingDrive(std::mt19937& random, double latitude, double longitude,
                                     int seconds)
{
    std::uniform_real_distribution<double> turn(-4.0, 4.0);
    std::vector<TrackPoint> points;
    double heading = std::uniform_real_distribution<double>(0, 360)(random);
    double speed = 14.0;
    for (int s = 0; s < seconds; ++s) {
        heading += turn(random) + (s % 45 == 0 ? 90.0 * (s % 2 ? 1 : -1) : 0.0);
        speed = std::clamp(speed + turn(random) / 2, 0.0, 30.0);
        if (s % 120 >= 100) {
            speed = 0;  // a red light
        }
        points.push_back({latitude, longitude, std::int64_t(s) * 1000});
        latitude += speed * std::cos(heading * M_PI / 180) / kMetresPerDegree;
        longitude += speed * std::sin(heading * M_PI / 180) /
                     (kMetresPerDegree * std::cos(latitude * M_PI / 180));
    }
    return points;
}

// 100,000 one-minute recordings written directly, over one city of 22 km by 15 km: a
// place there was passed by dozens.
class QueryLibrary
{
public:
    QueryLibrary()
    {
        m_location = newLibrary(m_dir, QStringLiteral("query"));
        m_library.open(m_location);
        std::mt19937 random(42);
        std::uniform_real_distribution<double> place(-0.1, 0.1);
        QList<RecordingRecord> batch;
        for (int i = 0; i < kQueryLibrarySize; ++i) {
            RecordingRecord r;
            r.file = {QStringLiteral("/media/fleet/car%1/DCIM/Movie/%2F.MP4")
                          .arg(i % 40)
                          .arg(i, 8, 10, QLatin1Char('0')),
                      100000000, 1700000000000 + i * 60000LL};
            r.layout = QStringLiteral("nmea-box");
            r.channels = QStringLiteral("F");
            r.startUtcMs = 1700000000000 + i * 60000LL;
            r.durationMs = 60000;
            const std::vector<TrackPoint> drive =
                windingDrive(random, 48.0 + place(random), 11.0 + place(random), 60);
            r.track = {r.startUtcMs, simplifyTrack(drive)};
            if (i == kQueryLibrarySize / 2) {
                m_asked = drive[30];
                m_askedUtcMs = *r.startUtcMs + drive[30].tMs;
            }
            batch << r;
            if (batch.size() == 1000) {
                QString error;
                if (!m_library.store(batch, error)) {
                    std::abort();
                }
                batch.clear();
            }
        }
    }
    Library& library() { return m_library; }
    TrackPoint asked() const { return m_asked; }
    std::int64_t askedUtcMs() const { return m_askedUtcMs; }
    QString location() const { return m_location; }

private:
    QTemporaryDir m_dir;
    QString m_location;
    Library m_library;
    TrackPoint m_asked;
    std::int64_t m_askedUtcMs = 0;
};

QueryLibrary& queryLibrary()
{
    static QueryLibrary library;
    return library;
}

void passedHere(benchmark::State& state)
{
    QueryLibrary& library = queryLibrary();
    const TrackPoint place = library.asked();
    size_t hits = 0;
    for (auto _ : state) {
        QString error;
        hits = library.library().passedHere(place.latitude, place.longitude, 100, error).size();
        benchmark::DoNotOptimize(hits);
    }
    if (hits == 0) {
        state.SkipWithError("the asked place was not found");
    }
    state.counters["hits"] = double(hits);
}
BENCHMARK(passedHere)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Where was I at" on the same 100,000 recordings.
void whereAt(benchmark::State& state)
{
    QueryLibrary& library = queryLibrary();
    size_t hits = 0;
    for (auto _ : state) {
        QString error;
        hits = library.library().whereAt(library.askedUtcMs(), error).size();
        benchmark::DoNotOptimize(hits);
    }
    if (hits == 0) {
        state.SkipWithError("the asked moment was not found");
    }
    state.counters["hits"] = double(hits);
}
BENCHMARK(whereAt)->Unit(benchmark::kMillisecond)->UseRealTime();

// Fifty hours of one-minute recordings in the NMEA-in-a-box layout along a winding drive,
// imported from files; the library's growth over an empty one, per hour.
void sizePerHour(benchmark::State& state)
{
    constexpr int kHours = 50;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Movie"));
    QDir().mkpath(folder);
    std::mt19937 random(7);
    const std::vector<TrackPoint> drive = windingDrive(random, 48.1, 11.5, kHours * 3600);
    const std::int64_t startMs = 1718093700000;
    for (int minute = 0; minute < kHours * 60; ++minute) {
        lw::NmeaBoxOptions options;
        options.startMs = startMs + minute * 60000LL;
        std::vector<lw::GpsPoint> points;
        for (int s = 0; s < 60; ++s) {
            const TrackPoint& p = drive[size_t(minute * 60 + s)];
            const std::time_t t = std::time_t(options.startMs / 1000 + s);
            std::tm utc{};
            gmtime_r(&t, &utc);
            lw::GpsPoint point;
            point.latitude = p.latitude;
            point.longitude = p.longitude;
            point.year = utc.tm_year + 1900;
            point.month = utc.tm_mon + 1;
            point.day = utc.tm_mday;
            point.hour = utc.tm_hour;
            point.minute = utc.tm_min;
            point.second = utc.tm_sec;
            points.push_back(point);
        }
        options.creationTime = std::uint32_t(options.startMs / 1000 + 2082844800LL);
        const QString name = QStringLiteral("%1/2024%2_%3_0001F.MP4")
                                 .arg(folder)
                                 .arg(minute, 6, 10, QLatin1Char('0'))
                                 .arg(minute);
        lw::writeFile(name.toStdString(), lw::nmeaBoxMovie(points, options));
    }
    double bytesPerHour = 0;
    for (auto _ : state) {
        const QString database = newLibrary(dir, QStringLiteral("size"));
        QFile::remove(database);
        std::int64_t empty = 0;
        {
            Library library;
            library.open(database);
            empty = librarySize(database);
            library.importFolders({folder});
        }  // closing checkpoints the log into the file
        bytesPerHour = double(librarySize(database) - empty) / kHours;
    }
    state.counters["KB_per_hour"] = bytesPerHour / 1024;
}
BENCHMARK(sizePerHour)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The bytes an hour costs in the library of 100,000 one-minute recordings (1,667 hours), over
// an empty one's: what a fleet's library grows by, with what an empty one holds set apart.
void sizePerHourOfHundredThousand(benchmark::State& state)
{
    QueryLibrary& library = queryLibrary();
    QString error;
    if (!library.library().updateTrips(error)) {  // as an import ends
        state.SkipWithError("the trips were not written");
        return;
    }
    QTemporaryDir dir;
    const QString empty = newLibrary(dir, QStringLiteral("empty"));
    Library emptyLibrary;
    emptyLibrary.open(empty);
    double bytesPerHour = 0;
    for (auto _ : state) {
        bytesPerHour = double(librarySize(library.location()) - librarySize(empty)) /
                       (kQueryLibrarySize / 60.0);
    }
    state.counters["KB_per_hour"] = bytesPerHour / 1024;
}
BENCHMARK(sizePerHourOfHundredThousand)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The library view opened on the 100,000 recordings, as the window opens it: the time to
// its days shown and to a day of 1,440 recordings opened, and the longest the window's
// thread stood still meanwhile (how late a 5 ms timer came at worst).
void libraryViewOpening(benchmark::State& state)
{
    QueryLibrary& library = queryLibrary();
    QString error;
    if (!library.library().updateTrips(error)) {
        state.SkipWithError("the trips were not written");
        return;
    }
    double daysMs = 0, dayMs = 0, stallMs = 0;
    int dayRecordings = 0;
    for (auto _ : state) {
        QElapsedTimer clock, sinceTick;
        QTimer ticks;
        ticks.setTimerType(Qt::PreciseTimer);
        ticks.setInterval(5);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            stallMs = std::max(stallMs, double(sinceTick.nsecsElapsed()) / 1e6 - 5.0);
            sinceTick.start();
        });
        QEventLoop loop;
        std::unique_ptr<LibraryView> view;
        QTimer::singleShot(0, [&] {
            clock.start();
            view = std::make_unique<LibraryView>(nullptr);
            QObject::connect(view.get(), &LibraryView::daysShown, [&] {
                daysMs = double(clock.nsecsElapsed()) / 1e6;
                // A day in the middle: a whole day's recordings.
                const QModelIndex day =
                    view->tree()->model()->index(view->tree()->model()->rowCount() / 2, 0);
                view->tree()->expand(day);
            });
            QObject::connect(view.get(), &LibraryView::dayShown, [&] {
                dayMs = double(clock.nsecsElapsed()) / 1e6;
                const QAbstractItemModel& model = *view->tree()->model();
                const QModelIndex day = model.index(model.rowCount() / 2, 0);
                dayRecordings = 0;
                for (int trip = 0; trip < model.rowCount(day); ++trip) {
                    dayRecordings += model.rowCount(model.index(trip, 0, day));
                }
                loop.quit();
            });
            view->show();
            view->load(library.location());
        });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        stallMs = 0;
        sinceTick.start();
        ticks.start();
        loop.exec();
        ticks.stop();
        if (dayRecordings == 0) {
            state.SkipWithError("no day was shown");
        }
    }
    state.counters["days_shown_ms"] = daysMs;
    state.counters["day_opened_ms"] = dayMs;
    state.counters["day_recordings"] = dayRecordings;
    state.counters["longest_stall_ms"] = stallMs;
}
BENCHMARK(libraryViewOpening)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The folders of four importers, 10,000 recordings each.
const QStringList& importerFolders()
{
    static const QStringList folders = [] {
        QStringList list;
        for (int i = 0; i < kImporters; ++i) {
            list << samples().linkSamples(QStringLiteral("importer%1").arg(i));
        }
        return list;
    }();
    return folders;
}

// Four dashcam-telemetry processes, as four machines, each importing its folder.
std::vector<pid_t> startImporters(const QString& location)
{
    std::vector<pid_t> importers;
    for (const QString& folder : importerFolders()) {
        const std::string library = location.toStdString();
        const std::string path = folder.toStdString();
        const pid_t pid = fork();
        if (pid == 0) {
            std::freopen("/dev/null", "w", stderr);
            execl(DASHCAM_TELEMETRY, DASHCAM_TELEMETRY, "--library", library.c_str(), path.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        importers.push_back(pid);
    }
    return importers;
}

// True when every importer ended well.
bool waitForImporters(const std::vector<pid_t>& importers)
{
    bool ok = true;
    for (const pid_t pid : importers) {
        int status = 0;
        ok = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

void importFourAtOnce(benchmark::State& state)
{
    importerFolders();  // written before the clock starts
    int run = 0;
    for (auto _ : state) {
        const QString location = newLibrary(samples().dir(), QStringLiteral("four_%1").arg(run++));
        if (!waitForImporters(startImporters(location))) {
            state.SkipWithError("an importer failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * kImporters * kImportCount);
}
BENCHMARK(importFourAtOnce)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void reimportFourAtOnceUnchanged(benchmark::State& state)
{
    const QString location = newLibrary(samples().dir(), QStringLiteral("four_again"));
    if (!waitForImporters(startImporters(location))) {
        state.SkipWithError("an importer failed");
        return;
    }
    for (auto _ : state) {
        if (!waitForImporters(startImporters(location))) {
            state.SkipWithError("an importer failed");
        }
    }
}
BENCHMARK(reimportFourAtOnceUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Passed here" on the 100,000 recordings while four importers add 10,000 each.
void passedHereWhileFourImport(benchmark::State& state)
{
    QueryLibrary& library = queryLibrary();
    const TrackPoint place = library.asked();
    importerFolders();
    const std::vector<pid_t> importers = startImporters(library.location());
    size_t hits = 0;
    for (auto _ : state) {
        QString error;
        hits = library.library().passedHere(place.latitude, place.longitude, 100, error).size();
        benchmark::DoNotOptimize(hits);
    }
    int running = 0;
    for (const pid_t pid : importers) {
        running += waitpid(pid, nullptr, WNOHANG) == 0 ? 1 : 0;
    }
    // The figure counts only while they all ran.
    if (running < kImporters) {
        state.SkipWithError("an importer ended before the measurement did");
    }
    for (const pid_t pid : importers) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (hits == 0) {
        state.SkipWithError("the asked place was not found");
    }
    state.counters["hits"] = double(hits);
}
BENCHMARK(passedHereWhileFourImport)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    // The library view is a window: offscreen unless a display is asked for.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int status = takeBenchmarkArgs(&argc, argv, kUsage);
    return status >= 0 ? status : runBenchmarks();
}
