#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/telemetry/catalogue_fixtures.h"
#include "tests/telemetry/test_samples.h"
#include "tools/dashcam-telemetry/telemetry_dump.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

namespace lw = layout_writer;

// Two samples: an RMC fix with motion, then a GGA fix in the south-east.
std::vector<lw::Sample> twoSamples()
{
    return {{100, -250, 1020, lw::rmc(22.5, -113.75, 10.0, 45.5)},
            {-3, 0, 7, lw::gga(-33.25, 151.5)}};
}

std::string tenLines(int first, const std::string& fields)
{
    std::string lines;
    for (int i = first; i < first + 10; ++i) {
        lines += std::to_string(i) + "\t" + fields + "\n";
    }
    return lines;
}

const std::string kRmcFields = "0.1000\t-0.2500\t1.0200\t22.500000\t-113.750000\t18\t45.500";
const std::string kGgaFields = "-0.0030\t0.0000\t0.0070\t-33.250000\t151.500000\t0\t0.000";

std::string header(const std::string& path, const std::string& layout, const std::string& sidecar,
                   const std::string& time, int locked, int result, int count)
{
    std::ostringstream header;
    header << "file\t" << path << "\nlayout\t" << layout << "\nsidecar\t" << sidecar << "\ntime\t"
           << time << "\nlocked\t" << locked << "\nresult\t" << result << "\ncount\t" << count
           << "\n";
    return header.str();
}

struct ToolRun
{
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun runInProcess(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    ToolRun run;
    run.status = runDashcamTelemetry(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a shell command with stdout and stderr caught in files of the folder.
ToolRun runCommand(const TempFolder& folder, const std::string& command)
{
    const std::string outPath = folder.path("stdout.txt");
    const std::string errPath = folder.path("stderr.txt");
    ToolRun run;
    const int raw = std::system((command + " >'" + outPath + "' 2>'" + errPath + "'").c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readWhole(outPath);
    run.err = readWhole(errPath);
    return run;
}

// The GPX file's tracks read back by gpsbabel (-t) in the given CSV format: its lines, the
// header first.
std::vector<std::string> gpsbabelCsv(const TempFolder& folder, const std::string& gpxPath,
                                     const std::string& format)
{
    const ToolRun babel =
        runCommand(folder, "gpsbabel -t -i gpx -f '" + gpxPath + "' -o " + format + " -F -");
    EXPECT_EQ(babel.status, 0) << babel.err;
    std::vector<std::string> lines;
    std::istringstream in(babel.out);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// ---- The table dump, layout by layout --------------------------------------------------

TEST(DashcamTelemetry, SidecarRecording)
{
    TempFolder folder;
    const std::string movie = folder.write("A.mov", lw::movieSecondShape(3600000000u));
    const std::string sidecar = folder.write("gps/A.DAT", lw::sidecar(twoSamples()));

    const ToolRun run = runInProcess({movie});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    // The extension is upper-cased as a folder import does: the header time is used.
    EXPECT_EQ(run.out, header(movie, "sidecar", sidecar, "16:00:00 01-28-2018", 0, 20, 20) +
                           tenLines(0, kRmcFields) + tenLines(10, kGgaFields) + "\n");
}

TEST(DashcamTelemetry, IcatRecordingReadsOnlyRmcSentences)
{
    TempFolder folder;
    const std::string movie = folder.write("I.MOV", lw::icatMovie(twoSamples()));

    const ToolRun run = runInProcess({movie});
    EXPECT_EQ(run.out, header(movie, "icat", "", "16:00:00 01-28-2018", 0, 20, 20) +
                           tenLines(0, kRmcFields) +
                           tenLines(10, "-0.0030\t0.0000\t0.0070\t\t\t0\t0.000") + "\n");
}

// A void fix and a fix with one unreadable coordinate have no position: both fields empty,
// while speed and course still print.
TEST(DashcamTelemetry, NoFixPrintsEmptyPositionFields)
{
    TempFolder folder;
    const std::string movie = folder.write(
        "V.MOV", lw::icatMovie({{1, 2, 3, "$GPRMC,,V,,,,,,,,,,N*53"},
                                {1, 2, 3, "$GPRMC,1,A,4807.038,N,01131.0004,E,22.4,84.4"}}));

    const ToolRun run = runInProcess({movie});
    EXPECT_EQ(run.out, header(movie, "icat", "", "16:00:00 01-28-2018", 0, 20, 20) +
                           tenLines(0, "0.0010\t0.0020\t0.0030\t\t\t0\t0.000") +
                           tenLines(10, "0.0010\t0.0020\t0.0030\t\t\t41\t84.400") + "\n");
}

TEST(DashcamTelemetry, A7lRecording)
{
    TempFolder folder;
    // Telemetry chunks follow the movie atom: the header time is found in the second shape.
    const std::string movie = folder.write("L.MOV", lw::a7lMovie(twoSamples()));

    const ToolRun run = runInProcess({movie});
    EXPECT_EQ(run.out, header(movie, "a7l", "", "16:00:00 01-28-2018", 0, 20, 20) +
                           tenLines(0, kRmcFields) + tenLines(10, kGgaFields) + "\n");
}

TEST(DashcamTelemetry, Nt96650RecordingsOfBothTrackChoices)
{
    JapanTime japan;
    TempFolder folder;
    const std::string second = folder.write("N2.MOV", lw::nt96650SecondTrackMovie(twoSamples()));
    const std::string first = folder.path("N1.MOV");
    ASSERT_TRUE(lw::writeFile(first, lw::nt96650FirstTrackMovie(twoSamples())));
    setLastWrite(second, kMarch4th2021);
    setLastWrite(first, kMarch4th2021);

    const std::string table = tenLines(0, kRmcFields) + tenLines(10, kGgaFields) + "\n";
    const ToolRun run = runInProcess({second, first});
    // The movie header's time, not the file's last write.
    EXPECT_EQ(run.out, header(second, "nt96650", "", "16:00:00 01-28-2018", 0, 20, 20) + table +
                           header(first, "nt96650", "", "16:00:00 01-28-2018", 0, 20, 20) + table);
}

TEST(DashcamTelemetry, RecordingWithoutTelemetry)
{
    JapanTime japan;
    TempFolder folder;
    const std::string movie = folder.write("plain.ts", "no telemetry here");
    setLastWrite(movie, kMarch4th2021);
    ASSERT_EQ(::chmod(movie.c_str(), 0444), 0);

    const ToolRun run = runInProcess({movie});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, header(movie, "none", "", "14:06:07 03-04-2021", 1, -1, 0) + "\n");
}

// ---- Arguments and exit status ---------------------------------------------------------

TEST(DashcamTelemetry, UnopenableFilesAreReportedAndFoldersStandForTheirRecordings)
{
    TempFolder folder;
    const std::string missing = folder.path("missing.TS");
    const std::string good = folder.write("good.TS", "");
    folder.write("notes.txt", "not a recording");

    const ToolRun run = runInProcess({missing, good, folder.root()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "dashcam-telemetry: cannot open " + missing + ": No such file or directory\n");
    EXPECT_EQ(run.out.find(header(missing, "none", "", "", 0, -1, 0) + "\n"), 0u);
    // The folder lists good.TS a second time, and nothing else.
    const size_t once = run.out.find("file\t" + good + "\n");
    ASSERT_NE(once, std::string::npos);
    EXPECT_NE(run.out.find("file\t" + good + "\n", once + 1), std::string::npos);
    EXPECT_EQ(run.out.find("notes.txt"), std::string::npos);
}

TEST(DashcamTelemetry, PipesAreRefusedUnopenedAndNamesPrintedOnOneLine)
{
    TempFolder folder;
    const std::string fifo = folder.path("live.MOV");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // opening it for reading would block
    const std::string odd = folder.write("a\nb\\c\x01.TS", "");

    const ToolRun run = runInProcess({fifo, odd});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dashcam-telemetry: cannot open " + fifo + ": not a regular file\n");
    EXPECT_NE(run.out.find("file\t" + folder.path("a\\nb\\\\c\\x01.TS") + "\nlayout\t"),
              std::string::npos);
}

TEST(DashcamTelemetry, UsageErrorsAndHelp)
{
    const ToolRun none = runInProcess({});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("usage: dashcam-telemetry [--trip] FILE|FOLDER..."), std::string::npos);

    const ToolRun unknown = runInProcess({"--kml", "a.MOV"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_NE(unknown.err.find("--kml"), std::string::npos);

    EXPECT_EQ(runInProcess({"--gpx"}).status, 2);

    const ToolRun help = runInProcess({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("dashcam-telemetry --csv [--trip] FILE|FOLDER..."), std::string::npos);
    EXPECT_EQ(help.err, "");
}

// One line per push, tab-separated; a recording without pushes or telemetry adds none.
TEST(DashcamTelemetry, EventsOneLinePerPush)
{
    TempFolder folder;
    std::vector<lw::Sample> samples;
    for (int i = 0; i < 100; ++i) {
        lw::FixOptions at;
        char time[8];
        std::snprintf(time, sizeof time, "08%02d%02d", 15 + i / 60, i % 60);
        at.time = time;
        at.date = "110624";
        // Two seconds of braking at 0.6 g from 50 s on, at 40 knots (74 km/h in the table).
        const int x = i == 50 || i == 51 ? -600 : 0;
        samples.push_back({x, 0, 1000, lw::rmc(47.0, 8.5, 40.0, 90.0, at)});
    }
    const std::string pushed = folder.write("tab\tname.MOV", lw::icatMovie(samples));
    samples[50].x = samples[51].x = 0;
    const std::string calm = folder.write("calm.MOV", lw::icatMovie(samples));
    const std::string plain = folder.write("plain.MOV", lw::movieSecondShape(3600000000u));

    const ToolRun run = runInProcess({"--events", pushed, calm, plain});
    EXPECT_EQ(run.status, 0);
    // 0.6 g less the push's share of the mean (0.012 g).
    EXPECT_EQ(run.out,
              folder.path("tab\\tname.MOV") + "\t50.0\t2024-06-11T08:15:50Z\tbraking\t0.59\t74\n");
    EXPECT_NE(runInProcess({"--help"}).out.find("dashcam-telemetry --events FILE|FOLDER..."),
              std::string::npos);
}

TEST(DashcamTelemetry, DoubleDashEndsOptions)
{
    TempFolder folder;
    const ToolRun run = runInProcess({"--", "--gpx"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find("file\t--gpx\n"), 0u);
}

TEST(DashcamTelemetry, TheProgramExitsWithTheStatusItReports)
{
    TempFolder folder;
    const std::string movie = folder.write("I.MOV", lw::icatMovie(twoSamples()));
    const std::string program = DASHCAM_TELEMETRY;

    const ToolRun good = runCommand(folder, program + " '" + movie + "'");
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out, runInProcess({movie}).out);

    const ToolRun missing =
        runCommand(folder, program + " '" + movie + "' '" + folder.path("x.MOV") + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot open " + folder.path("x.MOV")), std::string::npos);

    const ToolRun usage = runCommand(folder, program);
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("usage:"), std::string::npos);
}

// A name of a few characters, relative to the working folder, is read as any other.
TEST(DashcamTelemetry, AShortRelativeNameIsRead)
{
    TempFolder folder;
    folder.write("G.MP4", lw::goProMovie(lw::gpmfDrive(2)));
    const ToolRun run =
        runCommand(folder, "cd '" + folder.root() + "' && " + DASHCAM_TELEMETRY + " G.MP4");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("file\tG.MP4\nlayout\tgopro\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\ncount\t20\n"), std::string::npos) << run.out;
}

// A full disk under the output: every format fails with the reason, whether the first
// failed write comes mid-run (output beyond the program's buffer) or at the final flush.
TEST(DashcamTelemetry, AFullOutputIsAnError)
{
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this machine";
    }
    TempFolder folder;
    std::vector<lw::Sample> samples;
    for (int i = 0; i < 60; ++i) {
        samples.push_back({i, -i, 1000, lw::rmc(47.0 + i * 0.001, 8.5, i, 90.0)});
    }
    const std::string movie = folder.write("drive.MOV", lw::icatMovie(samples));
    const std::string program = DASHCAM_TELEMETRY;
    std::string manyCopies;
    for (int i = 0; i < 8; ++i) {
        manyCopies += " '" + movie + "'";
    }
    ASSERT_GT(runInProcess({movie, movie, movie, movie, movie, movie, movie, movie}).out.size(),
              1u << 17);
    for (const std::string& files : {" '" + movie + "'", manyCopies}) {
        for (const char* format : {"", " --gpx", " --csv"}) {
            const std::string command = program + format + files + " >/dev/full";
            const std::string errPath = folder.path("stderr.txt");
            const int raw = std::system((command + " 2>'" + errPath + "'").c_str());
            ASSERT_TRUE(WIFEXITED(raw)) << command;
            EXPECT_EQ(WEXITSTATUS(raw), 1) << command;
            EXPECT_NE(readWhole(errPath).find("cannot write the output: No space left on device"),
                      std::string::npos)
                << command;
        }
    }
}

// ---- GPX -------------------------------------------------------------------------------

TEST(DashcamTelemetryGpx, OneTrackPerFileOnePointPerSampleWithPosition)
{
    TempFolder folder;
    std::vector<lw::Sample> samples = twoSamples();
    samples.insert(samples.begin() + 1, {5, 5, 5, "$GPGSV,garbage"});  // no position
    const std::string movie = folder.write("R&D <1>.MOV", lw::a7lMovie(samples));
    const std::string empty = folder.write("empty.TS", "");

    const ToolRun run = runInProcess({"--gpx", movie, empty});
    EXPECT_EQ(run.status, 0);
    const std::string& gpx = run.out;
    EXPECT_EQ(gpx.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\"", 0), 0u);
    EXPECT_NE(gpx.find("<trk>\n<name>R&amp;D &lt;1&gt;.MOV</name>\n<trkseg>\n"
                       "<trkpt lat=\"22.500000\" lon=\"-113.750000\">"
                       "<time>1994-03-23T12:35:19Z</time><extensions>"
                       "<gpxtpx:TrackPointExtension><gpxtpx:speed>5.000</gpxtpx:speed>"
                       "<gpxtpx:course>45.500</gpxtpx:course></gpxtpx:TrackPointExtension>"
                       "</extensions></trkpt>\n"
                       "<trkpt lat=\"-33.250000\" "
                       "lon=\"151.500000\"><time>2018-01-28T16:00:02Z</time></trkpt>\n"
                       "</trkseg>\n</trk>\n"),
              std::string::npos);
    EXPECT_NE(gpx.find("<trk>\n<name>empty.TS</name>\n<trkseg>\n</trkseg>\n</trk>\n</gpx>\n"),
              std::string::npos);
}

TEST(DashcamTelemetryGpx, GpsbabelReadsTheSamePointsBack)
{
    TempFolder folder;
    std::vector<lw::Sample> samples;
    for (int i = 0; i < 50; ++i) {
        samples.push_back({i, -i, 1000, lw::rmc(47.0 + i * 0.001, 8.5 - i * 0.0007, i, i * 7.0)});
    }
    const std::string movie = folder.write("drive.MOV", lw::icatMovie(samples));
    const std::string gpxPath = folder.path("track.gpx");
    const std::string program = DASHCAM_TELEMETRY;
    const ToolRun dump = runCommand(folder, program + " --gpx '" + movie + "'");
    ASSERT_EQ(dump.status, 0);
    ASSERT_TRUE(lw::writeFile(gpxPath, dump.out));

    const std::vector<std::string> lines = gpsbabelCsv(folder, gpxPath, "unicsv");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("No,Latitude,Longitude", 0), 0u);

    DumpedRecording recording;
    loadRecording(movie, recording);
    int points = 0;
    size_t next = 1;
    for (int i = 0; i < recording.table.count(); i += kEntriesPerSample) {
        ASSERT_LT(next, lines.size());
        const std::string& line = lines[next++];
        int number = 0;
        double latitude = 0;
        double longitude = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d,%lf,%lf", &number, &latitude, &longitude), 3);
        const TelemetryEntry& sample = *recording.table.find(i);
        EXPECT_EQ(number, ++points);
        EXPECT_NEAR(latitude, std::stod(latitudeText(sample)), 1e-6);
        EXPECT_NEAR(longitude, std::stod(longitudeText(sample)), 1e-6);
    }
    EXPECT_EQ(points, 50);
    EXPECT_EQ(next, lines.size());
}

// A file name is bytes: what is no UTF-8 becomes U+FFFD, valid characters stay, and an XML
// parser and gpsbabel both read the whole document.
TEST(DashcamTelemetryGpx, ANameThatIsNoUtf8KeepsTheDocumentReadable)
{
    TempFolder folder;
    std::vector<lw::Sample> samples;
    for (int i = 0; i < 5; ++i) {
        samples.push_back({0, 0, 1000, lw::rmc(47.0 + i * 0.001, 8.5, 10.0, 90.0)});
    }
    // Latin-1 é, a lone 0xFF, an encoded surrogate, valid ü, a cut sequence.
    const std::string movie =
        folder.write("\xE9t\xE9 \xFF\xED\xA0\x80 \xC3\xBC\xC3.MOV", lw::icatMovie(samples));
    const std::string gpxPath = folder.path("track.gpx");
    const ToolRun dump =
        runCommand(folder, std::string(DASHCAM_TELEMETRY) + " --gpx '" + movie + "'");
    ASSERT_EQ(dump.status, 0) << dump.err;
    ASSERT_TRUE(lw::writeFile(gpxPath, dump.out));

    const std::string script = folder.write(
        "read.py",
        "import sys, xml.etree.ElementTree as ET\n"
        "ns = {'g': 'http://www.topografix.com/GPX/1/1'}\n"
        "root = ET.parse(sys.argv[1]).getroot()\n"
        "print(ascii(root.find('g:trk/g:name', ns).text), len(root.findall('.//g:trkpt', ns)))\n");
    const ToolRun python = runCommand(folder, "python3 '" + script + "' '" + gpxPath + "'");
    ASSERT_EQ(python.status, 0) << python.err;
    EXPECT_EQ(python.out, "'\\ufffdt\\ufffd \\ufffd\\ufffd\\ufffd\\ufffd \\xfc\\ufffd.MOV' 5\n");
    EXPECT_EQ(gpsbabelCsv(folder, gpxPath, "unicsv").size(), 6u);  // header and five points
}

// ---- Trips and CSV ---------------------------------------------------------------------

constexpr uint32_t kMorning1904 = 2082844800u + 1718093700u;  // 2024-06-11 08:15:00 UTC

// Three ICAT recordings of five samples: the second starts a minute after the first, the
// third five minutes after the second (the headers give no length).
std::vector<std::string> threeRecordings(const TempFolder& folder)
{
    std::vector<std::string> paths;
    const uint32_t starts[] = {kMorning1904, kMorning1904 + 60, kMorning1904 + 360};
    for (int r = 0; r < 3; ++r) {
        std::vector<lw::Sample> samples;
        for (int i = 0; i < 5; ++i) {
            // The fixes are dated as the camera's clock runs: header start plus i seconds.
            const uint32_t second = starts[r] - 2082844800u + static_cast<uint32_t>(i);
            char hhmmss[8];
            std::snprintf(hhmmss, sizeof hhmmss, "%02u%02u%02u", second / 3600 % 24,
                          second / 60 % 60, second % 60);
            lw::FixOptions fix;
            fix.time = hhmmss;
            fix.date = "110624";
            samples.push_back(
                {i * 10, -i, 1000 + r, lw::rmc(47.0 + r * 0.01 + i * 0.001, 8.5, 20.0, 90.0, fix)});
        }
        lw::IcatOptions options;
        options.creationTime = starts[r];
        paths.push_back(folder.write("drive/2024061" + std::to_string(r) + ".MOV",
                                     lw::icatMovie(samples, options)));
    }
    return paths;
}

TEST(DashcamTelemetryTrips, GpsbabelReadsOneTrackPerTripWithItsTimes)
{
    TempFolder folder;
    threeRecordings(folder);
    const std::string gpxPath = folder.path("trips.gpx");
    const ToolRun dump = runCommand(folder, std::string(DASHCAM_TELEMETRY) + " --gpx --trip '" +
                                                folder.path("drive") + "'");
    ASSERT_EQ(dump.status, 0) << dump.err;
    ASSERT_TRUE(lw::writeFile(gpxPath, dump.out));
    EXPECT_EQ(dump.err, "") << "no progress line when standard error is no terminal";

    // Two tracks (trips); the first has two segments (recordings), the second one.
    const auto count = [](const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    };
    const size_t secondTrack = dump.out.find("<trk>", dump.out.find("<trk>") + 1);
    ASSERT_NE(secondTrack, std::string::npos);
    EXPECT_EQ(count(dump.out, "<trk>"), 2u);
    EXPECT_EQ(count(dump.out.substr(0, secondTrack), "<trkseg>"), 2u);
    EXPECT_EQ(count(dump.out.substr(secondTrack), "<trkseg>"), 1u);

    const std::vector<std::string> lines = gpsbabelCsv(folder, gpxPath, "unicsv,utc=0");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("Date"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("Time"), std::string::npos) << lines[0];
    std::vector<std::string> times;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const size_t date = line.find("2024/06/11,");
        ASSERT_NE(date, std::string::npos) << line;
        times.push_back(line.substr(date + 11, 8));
    }
    ASSERT_EQ(times.size(), 15u);
    EXPECT_EQ(times[0], "08:15:00");
    EXPECT_EQ(times[4], "08:15:04");
    EXPECT_EQ(times[5], "08:16:00");
    EXPECT_EQ(times[10], "08:21:00");
}

TEST(DashcamTelemetryTrips, PythonReadsTheCsvBack)
{
    TempFolder folder;
    const std::vector<std::string> paths = threeRecordings(folder);
    const std::string csvPath = folder.path("drive.csv");
    const ToolRun dump = runCommand(folder, std::string(DASHCAM_TELEMETRY) + " --csv '" + paths[2] +
                                                "' '" + paths[0] + "'");
    ASSERT_EQ(dump.status, 0) << dump.err;
    ASSERT_TRUE(lw::writeFile(csvPath, dump.out));
    const std::string script = folder.write(
        "read.py",
        "import csv, sys\n"
        "rows = list(csv.DictReader(open(sys.argv[1], newline='')))\n"
        "print(len(rows), list(rows[0].keys()))\n"
        "for r in (rows[0], rows[9]):\n"
        "    print(r['time'], round(float(r['latitude']), 5), round(float(r['longitude']), 5), "
        "int(r['speed_kmh']),\n"
        "          float(r['course']), float(r['x_g']), float(r['y_g']), float(r['z_g']))\n");
    const ToolRun python = runCommand(folder, "python3 '" + script + "' '" + csvPath + "'");
    ASSERT_EQ(python.status, 0) << python.err;
    // The third recording first (as given), then the first; 20 knots is 37 km/h.
    EXPECT_EQ(python.out,
              "10 ['time', 'latitude', 'longitude', 'speed_kmh', 'course', 'x_g', 'y_g', 'z_g']\n"
              "2024-06-11T08:21:00Z 47.02 8.5 37 90.0 0.0 0.0 1.002\n"
              "2024-06-11T08:15:04Z 47.004 8.5 37 90.0 0.04 -0.004 1.0\n");
}

TEST(DashcamTelemetryTrips, ALongRunShowsItsProgressOnlyWhenAsked)
{
    TempFolder folder;
    for (int i = 0; i < 120; ++i) {
        folder.write("card/" + std::to_string(1000 + i) + ".TS", "");
    }
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runDashcamTelemetry({"--csv", folder.path("card")}, out, err, true), 0);
    EXPECT_EQ(err.str(), "\rdashcam-telemetry: 50/120\rdashcam-telemetry: 100/120"
                         "\rdashcam-telemetry: 120/120 recordings\n");
    std::ostringstream quiet;
    runDashcamTelemetry({"--csv", folder.path("card")}, out, quiet, false);
    EXPECT_EQ(quiet.str(), "");
}

}  // namespace
