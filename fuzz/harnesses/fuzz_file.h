#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The readers take paths: each input is written to one temporary file of this process.
class FuzzFile
{
public:
    FuzzFile()
    {
        // Memory-backed when the machine has it: the file is rewritten for every input.
        std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        pattern += "/dashcam-fuzz-XXXXXX";
        m_fd = ::mkstemp(pattern.data());
        if (m_fd < 0)
            ::abort();
        m_path = pattern;
    }
    ~FuzzFile()
    {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }
    FuzzFile(const FuzzFile&) = delete;
    FuzzFile& operator=(const FuzzFile&) = delete;

    // Replaces the file's content with the input; the path to hand to a reader.
    const std::string& hold(const uint8_t* data, size_t size)
    {
        if (::ftruncate(m_fd, 0) != 0)
            ::abort();
        size_t written = 0;
        while (written < size) {
            const ssize_t n =
                ::pwrite(m_fd, data + written, size - written, static_cast<off_t>(written));
            if (n <= 0)
                ::abort();
            written += static_cast<size_t>(n);
        }
        return m_path;
    }

private:
    int m_fd = -1;
    std::string m_path;
};
