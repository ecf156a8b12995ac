#include "telemetry/file_attributes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

mode_t permittedWriteBits()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return kWriteBits & ~mask;
}

}  // namespace

std::optional<FileAttributes> readFileAttributes(const std::string& path)
{
    struct stat st
    {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    FileAttributes attributes;
    attributes.bReadOnly = (st.st_mode & kWriteBits) == 0;
    attributes.lastWrite = st.st_mtime;
    return attributes;
}

bool setReadOnly(const std::string& path, bool readOnly, unsigned writeBits)
{
    struct stat st
    {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    const mode_t restored =
        (writeBits & kWriteBits) != 0 ? (writeBits & kWriteBits) : permittedWriteBits();
    const mode_t permissions = st.st_mode & 07777 & ~kWriteBits;
    const mode_t changed = readOnly ? permissions : (permissions | restored | S_IWUSR);
    if (::chmod(path.c_str(), changed) != 0) {
        return false;
    }
    // Some file systems accept a mode they cannot keep: believe only what is on disk.
    const std::optional<FileAttributes> now = readFileAttributes(path);
    return now && now->bReadOnly == readOnly;
}

std::optional<unsigned> writeBits(const std::string& path)
{
    struct stat st
    {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<unsigned>(st.st_mode & kWriteBits);
}

bool isRegularFile(const std::string& path)
{
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isDirectory(const std::string& path)
{
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

size_t pathCharacterCount(const std::string& path)
{
    return static_cast<size_t>(std::count_if(path.begin(), path.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;  // not a continuation byte
    }));
}

bool removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}
