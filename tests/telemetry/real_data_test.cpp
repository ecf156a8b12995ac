#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "telemetry/chip_detect.h"
#include "telemetry/layout_reader.h"
#include "telemetry/nmea_sentence.h"
#include "telemetry/recording_entry.h"
#include "telemetry/telemetry_table.h"
#include "tests/common/shared_testdata.h"
#include "tests/telemetry/exiftool.h"
#include "tests/telemetry/test_samples.h"

namespace {

const std::filesystem::path kTestData = TELEMETRY_TESTDATA_DIR;

struct Row
{
    std::string source, sentence, lat, lon, knots, course, note;
};

std::vector<Row> readRows()
{
    std::ifstream in(kTestData / "nmea" / "real-sentences.tsv");
    std::vector<Row> rows;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::vector<std::string> cols;
        std::stringstream split(line);
        for (std::string col; std::getline(split, col, '\t');) {
            cols.push_back(col);
        }
        cols.resize(11);
        rows.push_back({cols[0], cols[1], cols[2], cols[3], cols[4], cols[5], cols[9]});
    }
    return rows;
}

// The minute-fraction digits of a coordinate field of the sentence.
size_t fractionDigits(const std::string& field)
{
    const size_t point = field.find('.');
    return point == std::string::npos ? std::string::npos : field.size() - point - 1;
}

std::vector<std::string> sentenceFields(const std::string& sentence)
{
    std::vector<std::string> fields;
    std::stringstream split(sentence);
    for (std::string field; std::getline(split, field, ',');) {
        fields.push_back(field);
    }
    return fields;
}

// Our text truncates where gpsd rounds to 9 decimals: |ours| <= |gpsd| + 5e-10 and the
// gap is less than one unit of our last digit.
void expectTruncationOf(const std::string& ours, const std::string& gpsd, size_t digits,
                        const std::string& context)
{
    ASSERT_FALSE(ours.empty()) << context;
    const size_t point = ours.find('.');
    ASSERT_NE(point, std::string::npos) << context;
    EXPECT_EQ(ours.size() - point - 1, digits == 4 ? 6u : 7u) << context;
    const double mine = std::stod(ours);
    const double theirs = std::stod(gpsd);
    const double unit = digits == 4 ? 1e-6 : 1e-7;
    EXPECT_EQ(std::signbit(mine), std::signbit(theirs)) << context;
    EXPECT_LE(std::fabs(mine), std::fabs(theirs) + 5e-10) << context;
    EXPECT_LT(std::fabs(theirs) - std::fabs(mine), unit + 5e-10) << context;
}

TEST(RealNmea, EverySentenceAgainstGpsd)
{
    SKIP_WITHOUT_SHARED_TESTDATA(kTestData);
    const std::vector<Row> rows = readRows();
    ASSERT_EQ(rows.size(), 882u);
    int compared = 0;
    int speeds = 0;
    for (const Row& row : rows) {
        const std::string context = row.source + ": " + row.sentence;
        const bool rmc = row.sentence.starts_with("$GPRMC");
        std::optional<Position> position;
        int speed = 0;
        double course = 0.0;
        const bool accepted = rmc ? parseGPRMC(row.sentence, position, speed, course)
                                  : parseGPGGA(row.sentence, position);
        EXPECT_TRUE(accepted) << context;
        std::vector<std::string> fields = sentenceFields(row.sentence);
        const size_t latField = rmc ? 3 : 2;
        fields.resize(std::max(fields.size(), latField + 4));
        bool bothRead = true;
        for (auto [gpsd, field, hemisphere] :
             {std::tuple{row.lat, fields[latField], fields[latField + 1]},
              std::tuple{row.lon, fields[latField + 2], fields[latField + 3]}}) {
            const std::optional<Degrees> ours =
                nmeaDegrees(field, hemisphere.empty() ? '\0' : hemisphere.front());
            const size_t digits = fractionDigits(field);
            if (digits != 4 && digits != 5) {
                // An empty field or other fraction counts: no coordinate.
                EXPECT_FALSE(ours) << context;
                bothRead = false;
            } else if (!gpsd.empty()) {
                ASSERT_TRUE(ours) << context;
                expectTruncationOf(degreesText(*ours), gpsd, digits, context);
                ++compared;
            } else {
                // A void fix still carrying its fields is parsed like a valid one.
                EXPECT_TRUE(ours) << context;
            }
        }
        EXPECT_EQ(position.has_value(), bothRead) << context;
        if (rmc && !row.knots.empty()) {
            // gpsd's knots are rounded through m/s: allow its 0.002 kn either way.
            const double knots = std::stod(row.knots);
            const int low = static_cast<int>((knots - 0.002) * 1.85);
            const int high = static_cast<int>((knots + 0.002) * 1.85);
            EXPECT_GE(speed, low) << context;
            EXPECT_LE(speed, high) << context;
            ++speeds;
        }
        if (rmc && !row.course.empty()) {
            EXPECT_NEAR(course, std::stod(row.course), 1e-9) << context;
        }
        if (!rmc) {
            EXPECT_EQ(speed, 0) << context;
        }
    }
    // Every receiver with 4- or 5-digit fractions was compared.
    EXPECT_GT(compared, 600);
    EXPECT_GT(speeds, 300);
}

// Only the GoPro files carry a layout (GPMF); nothing crashes, nothing is made up.
TEST(RealMovies, NoFalseLayoutAndNoCrash)
{
    SKIP_WITHOUT_SHARED_TESTDATA(kTestData);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kTestData / "real-movies")) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".mov" && ext != ".mp4" && ext != ".m4a" && ext != ".heic" && ext != ".cr3") {
            continue;
        }
        ++files;
        const std::string path = entry.path().string();
        const Layout layout = detectLayout(path);
        EXPECT_EQ(layout, ext == ".mp4" ? Layout::GoPro : Layout::None) << path;
        readMovieTime(path);
        TelemetryTable table;
        EXPECT_EQ(readMovieFile(icatLayout(), path, table), 0) << path;
        EXPECT_EQ(readMovieFile(a7lLayout(), path, table), table.count()) << path;
        const int nt = readMovieFile(nt96650Layout(), path, table);
        EXPECT_EQ(nt, table.count()) << path;
        EXPECT_EQ(nt % kEntriesPerSample, 0) << path;
    }
    EXPECT_EQ(files, 6);
}

TEST(RealMovies, CreationTimesOfTheFirstShape)
{
    SKIP_WITHOUT_SHARED_TESTDATA(kTestData);
    // ftyp, mdat, moov(mvhd ...): the times ffprobe and exiftool report.
    const auto karma = readMovieTime((kTestData / "real-movies" / "gopro-karma.mp4").string());
    ASSERT_TRUE(karma);
    EXPECT_EQ((std::array{karma->year, karma->month, karma->day, karma->hour, karma->minute,
                          karma->second}),
              (std::array{2017, 4, 17, 19, 27, 57}));
    const auto max = readMovieTime((kTestData / "real-movies" / "gopro-max-heromode.mp4").string());
    ASSERT_TRUE(max);
    EXPECT_EQ((std::array{max->year, max->month, max->day, max->hour, max->minute, max->second}),
              (std::array{2019, 11, 18, 15, 45, 32}));
}

// Both real GoPro files as the player reads them, judged by ExifTool: one sample per begun
// second of video, every position within 25 m of one of ExifTool's fixes, about 1 g at rest.
TEST(RealMovies, GoProTelemetryAgreesWithExifTool)
{
    SKIP_WITHOUT_SHARED_TESTDATA(kTestData);
    struct Expected
    {
        const char* name;
        int samples;  // ceil of the movie's duration (12.08 s, 10.52 s)
    };
    for (const Expected& file :
         {Expected{"gopro-karma.mp4", 13}, Expected{"gopro-max-heromode.mp4", 11}}) {
        const std::string path = (kTestData / "real-movies" / file.name).string();
        const std::vector<ExifFix> judge = exifToolFixes(path);
        ASSERT_GT(judge.size(), 40u) << path;
        RecordingEntry node;
        node.filePath = path;
        node.layout = detectLayout(path);
        TelemetryTable table;
        ASSERT_EQ(table.readRecording(node), file.samples * kEntriesPerSample) << path;

        int positions = 0;
        double gSum = 0.0;
        for (int i = 0; i < table.count(); ++i) {
            const TelemetryEntry& entry = *table.find(i);
            gSum += std::sqrt(entry.gX * entry.gX + entry.gY * entry.gY + entry.gZ * entry.gZ);
            if (i % kEntriesPerSample != 0 || !entry.hasPosition()) {
                continue;
            }
            ++positions;
            double nearest = 1e9;
            for (const ExifFix& fix : judge) {
                nearest = std::min(nearest, metresBetween(std::stod(latitudeText(entry)),
                                                          std::stod(longitudeText(entry)),
                                                          fix.latitude, fix.longitude));
            }
            EXPECT_LT(nearest, 25.0) << path << " sample " << i / kEntriesPerSample;
        }
        EXPECT_GE(positions, file.samples - 1) << path;
        EXPECT_NEAR(gSum / table.count(), 1.0, 0.15) << path;
    }
}

}  // namespace
