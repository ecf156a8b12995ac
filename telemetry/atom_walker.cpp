#include "telemetry/atom_walker.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "telemetry/file_attributes.h"

namespace {

constexpr size_t kMinPathLength = 4;
constexpr uint64_t kHeaderSize = 8;
constexpr uint64_t kLargeHeaderSize = 16;  // size field 1: a 64-bit size after the type
constexpr uint32_t kLargeSizeMark = 1;
constexpr uint32_t kToEndMark = 0;  // the atom runs to the end of its parent
constexpr size_t kWindowSize = 16384;
constexpr size_t kMaxWindowedRead = kWindowSize / 8;

// Why the path is no file to read, before anything opens it; empty when it may be one.
std::string openFailure(const std::string& path)
{
    if (pathCharacterCount(path) < kMinPathLength) {
        return "path too short";
    }
    struct stat st
    {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::strerror(errno);
    }
    // Directories, pipes and devices are no recordings (a pipe or device could block or
    // be read forever).
    if (!S_ISREG(st.st_mode)) {
        return kNotRegularFile;
    }
    return {};
}

}  // namespace

BinaryFile::~BinaryFile()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

bool BinaryFile::open(const std::string& path)
{
    m_failure = openFailure(path);
    if (!m_failure.empty()) {
        return false;
    }
    m_file = std::fopen(path.c_str(), "rb");
    if (m_file == nullptr) {
        m_failure = std::strerror(errno);
        return false;
    }
    // Reads are positioned and sized by the callers: no stdio buffer in between.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    if (::fseeko(m_file, 0, SEEK_END) == 0) {
        const off_t size = ::ftello(m_file);
        m_size = size > 0 ? static_cast<uint64_t>(size) : 0;
    }
    return true;
}

size_t BinaryFile::readAt(uint64_t offset, void* buffer, size_t n)
{
    if (m_file == nullptr || n == 0 || offset >= m_size) {
        return 0;
    }
    const uint64_t windowEnd = m_windowStart + m_window.size();
    const bool inWindow = offset >= m_windowStart &&
                          (offset + n <= windowEnd || (windowEnd == m_size && offset < windowEnd));
    const bool nearLast = offset >= m_lastOffset && offset - m_lastOffset < kWindowSize;
    m_lastOffset = offset;
    if (n > kMaxWindowedRead || (!inWindow && !nearLast)) {
        return readDirect(offset, buffer, n);
    }
    if (!inWindow) {
        m_window.resize(kWindowSize);
        m_window.resize(readDirect(offset, m_window.data(), kWindowSize));
        m_windowStart = offset;
    }
    const uint64_t available = m_windowStart + m_window.size() - offset;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(n, available));
    std::copy_n(m_window.begin() + static_cast<std::ptrdiff_t>(offset - m_windowStart), count,
                static_cast<unsigned char*>(buffer));
    return count;
}

size_t BinaryFile::readDirect(uint64_t offset, void* buffer, size_t n)
{
    if (::fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0) {
        return 0;
    }
    return std::fread(buffer, 1, n, m_file);
}

std::optional<uint32_t> BinaryFile::readBE32(uint64_t offset)
{
    unsigned char bytes[4];
    if (!readExact(offset, bytes, sizeof bytes)) {
        return std::nullopt;
    }
    return loadBE32(bytes);
}

uint32_t loadBE32(const unsigned char* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
           uint32_t{bytes[3]};
}

uint32_t loadLE32(const unsigned char* bytes)
{
    return uint32_t{bytes[3]} << 24 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[1]} << 8 |
           uint32_t{bytes[0]};
}

Span wholeFile(const BinaryFile& file)
{
    return {0, file.size()};
}

AtomWalker::AtomWalker(BinaryFile& file, Span parent)
    : m_file(file), m_parent{parent.begin, std::min(parent.end, file.size())}, m_next(parent.begin)
{}

std::optional<AtomHeader> AtomWalker::next()
{
    if (m_done || m_next >= m_parent.end || m_parent.end - m_next < kHeaderSize) {
        m_done = true;
        return std::nullopt;
    }
    unsigned char header[kLargeHeaderSize];
    if (!m_file.readExact(m_next, header, kHeaderSize)) {
        m_done = m_broken = true;
        return std::nullopt;
    }
    AtomHeader atom;
    atom.start = m_next;
    atom.size = loadBE32(header);
    if (atom.size == kLargeSizeMark) {
        atom.headerSize = kLargeHeaderSize;
        if (m_parent.end - m_next < kLargeHeaderSize ||
            !m_file.readExact(m_next + kHeaderSize, header + kHeaderSize, 8)) {
            m_done = m_broken = true;
            return std::nullopt;
        }
        atom.size = uint64_t{loadBE32(header + 8)} << 32 | loadBE32(header + 12);
    } else if (atom.size == kToEndMark) {
        atom.size = m_parent.end - m_next;
    }
    if (atom.size < atom.headerSize) {
        m_done = m_broken = true;
        return std::nullopt;
    }
    atom.end = atom.size > m_parent.end - atom.start ? m_parent.end : atom.start + atom.size;
    std::copy(header + 4, header + 8, atom.type);
    m_next = atom.nextSibling();
    return atom;
}

std::optional<AtomHeader> findNthChild(BinaryFile& file, Span parent, std::string_view type, int n)
{
    AtomWalker walker(file, parent);
    int skipped = 0;
    int seen = 0;
    while (const std::optional<AtomHeader> atom = walker.next()) {
        if (atom->is(type) && ++seen == n) {
            return atom;
        }
        if (++skipped > kMaxSkippedAtoms) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<AtomHeader> findChildAtom(BinaryFile& file, Span parent, std::string_view type)
{
    return findNthChild(file, parent, type, 1);
}

std::optional<AtomHeader> findPath(BinaryFile& file, Span parent,
                                   std::initializer_list<std::string_view> types)
{
    std::optional<AtomHeader> atom;
    for (std::string_view type : types) {
        atom = findChildAtom(file, parent, type);
        if (!atom) {
            return std::nullopt;
        }
        parent = atom->content();
    }
    return atom;
}
