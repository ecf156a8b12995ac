#include "clip/output_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// rename that fails with EEXIST instead of replacing the target. File systems without the
// no-replace rename (some FUSE ones) get a hard link, and those without links (FAT cards) a
// check right before a plain rename.
bool renameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return false;
    }
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    if (::access(to.c_str(), F_OK) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

bool writeAll(int fd, const void* data, size_t n, std::string& error)
{
    const char* bytes = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t written = ::write(fd, bytes, n);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error = written < 0 ? systemError("cannot write") : "cannot write: no space left";
            return false;
        }
        bytes += written;
        n -= static_cast<size_t>(written);
    }
    return true;
}

uint64_t freeBytes(const std::string& folder)
{
    struct statvfs info;
    if (::statvfs(folder.c_str(), &info) != 0) {
        return UINT64_MAX;
    }
    return uint64_t{info.f_bavail} * info.f_frsize;
}

PendingFile::~PendingFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_committed && !m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
    }
}

bool PendingFile::create(const std::string& target, std::string& error)
{
    const std::filesystem::path path(target);
    m_target = target;
    std::string pattern =
        (path.parent_path() / ("." + path.filename().string() + ".part-XXXXXX")).string();
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) {
        error = systemError("cannot create a file in " + path.parent_path().string());
        return false;
    }
    m_temporary = pattern;
    // mkostemp makes it private; a clip is for handing on. (Reading the umask would mean
    // setting it, which races with other threads creating files.)
    ::fchmod(m_fd, 0644);
    return true;
}

bool PendingFile::write(const std::string& bytes, std::string& error)
{
    return writeAll(m_fd, bytes.data(), bytes.size(), error);
}

bool PendingFile::finish(std::string& error)
{
    if (::fsync(m_fd) != 0) {
        error = systemError("cannot write " + m_target);
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        error = systemError("cannot write " + m_target);
        return false;
    }
    return true;
}

bool PendingFile::commit(std::string& error)
{
    if (!renameNoReplace(m_temporary, m_target)) {
        error = errno == EEXIST ? m_target + " already exists; it is left as it is"
                                : systemError("cannot name the file " + m_target);
        return false;
    }
    m_committed = true;
    return true;
}

void PendingFile::withdraw()
{
    if (m_committed) {
        ::unlink(m_target.c_str());
        m_committed = false;
        m_temporary.clear();
    }
}
