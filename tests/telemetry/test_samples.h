#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assist_info_reader.h"
#include "layout_writer.h"

// Samples with known decoded values: axes 100*i+1, -(50*i+7), 1000+i; an RMC fix at
// 22 deg 32.1234' N (+i/10000 minute), 113 deg 54.1234' W, 10 kn, course 45.5.
inline std::vector<layout_writer::Sample> MakeSamples(int count)
{
    std::vector<layout_writer::Sample> samples;
    for (int i = 0; i < count; ++i) {
        char sentence[128];
        std::snprintf(sentence, sizeof sentence,
                      "GPRMC,1235%02d,A,2232.%04d,N,11354.1234,W,10.0,45.5,230394,,,A", i % 60,
                      1234 + i);
        samples.push_back({100 * i + 1, -(50 * i + 7), 1000 + i,
                           layout_writer::WithChecksum(sentence)});
    }
    return samples;
}

// Expects entries 10*i .. 10*i+9 to hold sample i of MakeSamples.
inline void ExpectMadeSample(const CAssistInfoReader& table, int entry, int i)
{
    tagAssistInfo info;
    ASSERT_EQ(table.GetAssistInfo(entry, info), 0) << "entry " << entry;
    EXPECT_FLOAT_EQ(info.fX, (100 * i + 1) / 1000.0f) << "entry " << entry;
    EXPECT_FLOAT_EQ(info.fY, -(50 * i + 7) / 1000.0f) << "entry " << entry;
    EXPECT_FLOAT_EQ(info.fZ, (1000 + i) / 1000.0f) << "entry " << entry;
    const long long value = ((32LL * 10000 + 1234 + i) * 100) / 60;
    char latitude[32];
    std::snprintf(latitude, sizeof latitude, "22.%06lld", value);
    EXPECT_EQ(info.strLatitude, latitude) << "entry " << entry;
    EXPECT_EQ(info.strLongitude, "-113.902056") << "entry " << entry;
    EXPECT_EQ(info.nSpeed, 18);
    EXPECT_DOUBLE_EQ(info.dCourse, 45.5);
}

// Expects the table to hold exactly the given samples of MakeSamples, in order.
inline void ExpectMadeSamples(const CAssistInfoReader& table, const std::vector<int>& order)
{
    ASSERT_EQ(table.GetCount(), static_cast<int>(order.size()) * ENTRIES_PER_SAMPLE);
    for (size_t s = 0; s < order.size(); ++s) {
        for (int copy = 0; copy < ENTRIES_PER_SAMPLE; copy += 9)
            ExpectMadeSample(table, static_cast<int>(s) * ENTRIES_PER_SAMPLE + copy, order[s]);
    }
}

inline std::vector<int> Range(int count)
{
    std::vector<int> order;
    for (int i = 0; i < count; ++i)
        order.push_back(i);
    return order;
}

#include "temp_dir.h"

// Writes bytes to a fresh file of a per-test folder and hands it to one reader of the table.
template <int (CAssistInfoReader::*Reader)(const std::string&)>
class ReaderTest : public ::testing::Test {
protected:
    int Read(std::string_view bytes) { return (table.*Reader)(dir.Write(NextName(), bytes)); }
    int Read(const layout_writer::SparseFile& file)
    {
        return (table.*Reader)(dir.Write(NextName(), file));
    }

    TempDir dir;
    CAssistInfoReader table;

private:
    std::string NextName() { return "REC" + std::to_string(++m_files) + ".MOV"; }

    int m_files = 0;
};
