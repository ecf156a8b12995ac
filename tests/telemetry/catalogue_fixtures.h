#pragma once

#include <sys/time.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/telemetry/temp_dir.h"

// The test's temporary folder, addressed by relative paths that may name subfolders.
class TempFolder
{
public:
    std::string root() const { return m_dir.path().string(); }
    std::string path(std::string_view relative) const { return (m_dir.path() / relative).string(); }

    // Writes the bytes to a file below the folder, creating its parent folders.
    std::string write(std::string_view relative, std::string_view bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
        return m_dir.write(std::string(relative), bytes);
    }

private:
    TempDir m_dir;
};

// Local time is Japan's (UTC+9, no daylight saving) while one lives.
class JapanTime
{
public:
    JapanTime()
    {
        if (const char* tz = std::getenv("TZ")) {
            m_saved = tz;
        }
        ::setenv("TZ", "JST-9", 1);
        ::tzset();
    }
    ~JapanTime()
    {
        if (m_saved.empty()) {
            ::unsetenv("TZ");
        } else {
            ::setenv("TZ", m_saved.c_str(), 1);
        }
        ::tzset();
    }
    JapanTime(const JapanTime&) = delete;
    JapanTime& operator=(const JapanTime&) = delete;

private:
    std::string m_saved;
};

inline void setLastWrite(const std::string& path, std::time_t time)
{
    const struct timeval times[2] = {{time, 0}, {time, 0}};
    ASSERT_EQ(::utimes(path.c_str(), times), 0);
}

inline constexpr std::time_t kMarch4th2021 = 1614834367;  // 2021-03-04 05:06:07 UTC
