#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

// What the catalogue needs to know of a file on disk.
struct FileAttributes
{
    bool bReadOnly = false;     // no write permission bit at all
    std::time_t lastWrite = 0;  // seconds since 1970-01-01 UTC
};

// Attributes of the file the path names (symbolic links followed), or nothing.
std::optional<FileAttributes> readFileAttributes(const std::string& path);

// Locking clears every write bit. Unlocking sets writeBits, the write bits the file had
// before its lock when they are known, else (0) every write bit the process umask allows:
// a FAT card mounted with a mask takes back only all of its write bits or none. false
// when the mode could not be read or written, or the file system did not keep it.
bool setReadOnly(const std::string& path, bool readOnly, unsigned writeBits = 0);

// The write permission bits of the file (what a lock clears), or nothing.
std::optional<unsigned> writeBits(const std::string& path);

bool isRegularFile(const std::string& path);
bool isDirectory(const std::string& path);

// Characters, not bytes, of a UTF-8 path: what the path length limits count.
size_t pathCharacterCount(const std::string& path);

// Removes the file; false (and errno set) when it is still there or never was.
bool removeFile(const std::string& path);
