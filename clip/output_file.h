#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes all n bytes to fd, going on after short writes; false with the reason otherwise.
bool writeAll(int fd, const void* data, size_t n, std::string& error);

// Bytes the folder's file system still gives to this user; nothing known gives UINT64_MAX.
uint64_t freeBytes(const std::string& folder);

// A file written under a hidden temporary name in its target's folder, which becomes the
// target only by commit(): until then (and when anything fails) the target does not
// exist, and the temporary file is removed when the object goes.
class PendingFile
{
public:
    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file beside target; false with the reason.
    bool create(const std::string& target, std::string& error);
    int fd() const { return m_fd; }
    bool write(const std::string& bytes, std::string& error);
    // Flushes the data to the device and closes the file; false with the reason (a full
    // disk, a pulled card).
    bool finish(std::string& error);
    // Gives the file its target name, never replacing a file that has it meanwhile.
    bool commit(std::string& error);
    // Removes the committed file again (a later part of the same export failed).
    void withdraw();
    const std::string& target() const { return m_target; }
    // Where the file is until commit(), for a writer that opens it by name.
    const std::string& temporaryPath() const { return m_temporary; }

private:
    int m_fd = -1;
    std::string m_target;
    std::string m_temporary;
    bool m_committed = false;
};
