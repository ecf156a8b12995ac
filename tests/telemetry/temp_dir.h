#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "tools/layout_writer/layout_writer.h"

// A fresh folder per test, removed afterwards; Write puts bytes in a file inside it.
class TempDir
{
public:
    TempDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("telemetry-") + info->test_suite_name() + "-" + info->name();
        for (char& c : name) {
            if (c == '/') {
                c = '_';
            }
        }
        m_path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    std::string write(const std::string& name, std::string_view bytes) const
    {
        const std::string path = (m_path / name).string();
        EXPECT_TRUE(layout_writer::writeFile(path, bytes));
        return path;
    }

    std::string write(const std::string& name, const layout_writer::SparseFile& file) const
    {
        const std::string path = (m_path / name).string();
        EXPECT_TRUE(layout_writer::writeFile(path, file));
        return path;
    }

private:
    std::filesystem::path m_path;
};
