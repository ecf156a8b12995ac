#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "telemetry/layout_reader.h"
#include "telemetry/telemetry_table.h"
#include "tools/layout_writer/layout_writer.h"

// The entry's coordinates as the player prints them; "" without a position.
inline std::string latitudeText(const TelemetryEntry& entry)
{
    return entry.position ? degreesText(entry.position->latitude) : "";
}
inline std::string longitudeText(const TelemetryEntry& entry)
{
    return entry.position ? degreesText(entry.position->longitude) : "";
}

// Samples with known decoded values: axes 100*i+1, -(50*i+7), 1000+i; an RMC fix at
// 22 deg 32.1234' N (+i/10000 minute), 113 deg 54.1234' W, 10 kn, course 45.5.
inline std::vector<layout_writer::Sample> makeSamples(int count)
{
    std::vector<layout_writer::Sample> samples;
    for (int i = 0; i < count; ++i) {
        char sentence[128];
        std::snprintf(sentence, sizeof sentence,
                      "GPRMC,1235%02d,A,2232.%04d,N,11354.1234,W,10.0,45.5,230394,,,A", i % 60,
                      1234 + i);
        samples.push_back(
            {100 * i + 1, -(50 * i + 7), 1000 + i, layout_writer::withChecksum(sentence)});
    }
    return samples;
}

// Expects entries 10*i .. 10*i+9 to hold sample i of makeSamples.
inline void expectMadeSample(const TelemetryTable& table, int entry, int i)
{
    TelemetryEntry info;
    ASSERT_EQ(table.copyEntry(entry, info), 0) << "entry " << entry;
    EXPECT_FLOAT_EQ(info.gX, (100 * i + 1) / 1000.0f) << "entry " << entry;
    EXPECT_FLOAT_EQ(info.gY, -(50 * i + 7) / 1000.0f) << "entry " << entry;
    EXPECT_FLOAT_EQ(info.gZ, (1000 + i) / 1000.0f) << "entry " << entry;
    const long long value = ((32LL * 10000 + 1234 + i) * 100) / 60;
    char latitude[32];
    std::snprintf(latitude, sizeof latitude, "22.%06lld", value);
    EXPECT_EQ(latitudeText(info), latitude) << "entry " << entry;
    EXPECT_EQ(longitudeText(info), "-113.902056") << "entry " << entry;
    EXPECT_EQ(info.speedKmh, 18);
    EXPECT_DOUBLE_EQ(info.course, 45.5);
}

// Expects the table to hold exactly the given samples of makeSamples, in order.
inline void expectMadeSamples(const TelemetryTable& table, const std::vector<int>& order)
{
    ASSERT_EQ(table.count(), static_cast<int>(order.size()) * kEntriesPerSample);
    for (size_t s = 0; s < order.size(); ++s) {
        for (int copy = 0; copy < kEntriesPerSample; copy += 9) {
            expectMadeSample(table, static_cast<int>(s) * kEntriesPerSample + copy, order[s]);
        }
    }
}

inline std::vector<int> range(int count)
{
    std::vector<int> order;
    for (int i = 0; i < count; ++i) {
        order.push_back(i);
    }
    return order;
}

#include "tests/telemetry/temp_dir.h"

// A reader over a path: the entries read, or -1 when the file does not open.
using PathReader = int (*)(const std::string& path, TelemetryTable& table);

// The movie layout of the accessor over a path.
template <const LayoutReader& (*Layout)()>
int readMovie(const std::string& path, TelemetryTable& table)
{
    return readMovieFile(Layout(), path, table);
}

inline int readSidecarFile(const std::string& path, TelemetryTable& table)
{
    return readSidecar(path, table).result;
}

// Writes bytes to a fresh file of a per-test folder and hands it to one reader.
template <PathReader Reader>
class ReaderTest : public ::testing::Test
{
protected:
    int read(std::string_view bytes) { return Reader(dir.write(nextName(), bytes), table); }
    int read(const layout_writer::SparseFile& file)
    {
        return Reader(dir.write(nextName(), file), table);
    }

    TempDir dir;
    TelemetryTable table;

private:
    std::string nextName() { return "REC" + std::to_string(++m_files) + ".MOV"; }

    int m_files = 0;
};
