#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Read-only access to a recording file by position, and a bounded walk over its
// QuickTime atoms. A size field of 1 means a 64-bit size follows the type, 0 means the atom
// runs to the end of its parent. Every walk stays inside its parent and the file, ends at
// any other size below its header, and skips at most kMaxSkippedAtoms atoms.

// What BinaryFile::Failure says of a directory, pipe or device.
inline constexpr char kNotRegularFile[] = "not a regular file";

class BinaryFile
{
public:
    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // False for a path of fewer than 4 characters, a path that is not a regular file, or
    // a file that cannot be opened for reading; failure() then says which.
    bool open(const std::string& path);
    bool isOpen() const { return m_file != nullptr; }
    // Why the last Open failed ("not a regular file", the system's text); empty after success.
    const std::string& failure() const { return m_failure; }
    uint64_t size() const { return m_size; }
    // Reads up to n bytes at offset; the count read (short at the end or on an error).
    size_t readAt(uint64_t offset, void* buffer, size_t n);
    bool readExact(uint64_t offset, void* buffer, size_t n)
    {
        return readAt(offset, buffer, n) == n;
    }
    std::optional<uint32_t> readBE32(uint64_t offset);

private:
    size_t readDirect(uint64_t offset, void* buffer, size_t n);

    std::FILE* m_file = nullptr;
    uint64_t m_size = 0;
    std::string m_failure;
    // Small reads near the previous one (chunks, blocks, atom headers in a row) are served
    // from one larger read ahead of them instead of a system call each.
    std::vector<unsigned char> m_window;
    uint64_t m_windowStart = 0;
    uint64_t m_lastOffset = 0;
};

uint32_t loadBE32(const unsigned char* bytes);
uint32_t loadLE32(const unsigned char* bytes);

inline constexpr int kMaxSkippedAtoms = 128;

// A range of file positions [begin, end).
struct Span
{
    uint64_t begin = 0;
    uint64_t end = 0;
};

struct AtomHeader
{
    uint64_t start = 0;       // position of the size field
    uint64_t size = 0;        // whole atom, header included (>= headerSize)
    uint64_t end = 0;         // start + size, cut to the parent and the file
    uint64_t headerSize = 8;  // 16 with a 64-bit size
    char type[4] = {};

    bool is(std::string_view t) const { return t.size() == 4 && t == std::string_view(type, 4); }
    Span content() const { return {start + headerSize, end}; }
    // start + size; the largest position when a 64-bit size reaches past it.
    uint64_t nextSibling() const { return size > UINT64_MAX - start ? UINT64_MAX : start + size; }
};

Span wholeFile(const BinaryFile& file);

// Visits the children of a span in order.
class AtomWalker
{
public:
    AtomWalker(BinaryFile& file, Span parent);
    // The next child; nothing at the end of the parent or when the walk broke.
    std::optional<AtomHeader> next();
    // The walk ended at a size below its header or a failed read rather than at the
    // parent's end.
    bool broken() const { return m_broken; }

private:
    BinaryFile& m_file;
    Span m_parent;
    uint64_t m_next;
    bool m_broken = false;
    bool m_done = false;
};

// First child of the given type; nothing when the walk ends first or meets a
// (kMaxSkippedAtoms + 1)-th child of another type.
std::optional<AtomHeader> findChildAtom(BinaryFile& file, Span parent, std::string_view type);
// findChildAtom through each type in turn, each inside the previous one.
std::optional<AtomHeader> findPath(BinaryFile& file, Span parent,
                                   std::initializer_list<std::string_view> types);
// The n-th (1-based) child of the given type, at most kMaxSkippedAtoms others passed.
std::optional<AtomHeader> findNthChild(BinaryFile& file, Span parent, std::string_view type, int n);

// Calls visit(index, value) for the big-endian 32-bit entries at begin, for at most count
// entries and only as far as the span and the file reach; visit returns false to stop.
// Returns the number of entries visited.
template <class Visit>
uint32_t forEachBE32(BinaryFile& file, uint64_t begin, uint64_t end, uint32_t count, Visit&& visit)
{
    constexpr size_t kChunkEntries = 4096;
    unsigned char chunk[kChunkEntries * 4];
    const uint64_t available = end > begin ? (end - begin) / 4 : 0;
    const uint64_t total = count < available ? count : available;
    uint32_t index = 0;
    while (index < total) {
        const size_t want =
            static_cast<size_t>(total - index < kChunkEntries ? total - index : kChunkEntries);
        const size_t got = file.readAt(begin + uint64_t{index} * 4, chunk, want * 4) / 4;
        for (size_t i = 0; i < got; ++i, ++index) {
            if (!visit(index, loadBE32(chunk + i * 4))) {
                return index + 1;
            }
        }
        if (got < want) {
            break;
        }
    }
    return index;
}

// forEachBE32 over the entries of a chunk offset table (version and flags, entry count,
// entries); nothing when the table is too short for its count or the count cannot be read.
template <class Visit>
void forEachChunkOffset(BinaryFile& file, const AtomHeader& table, Visit&& visit)
{
    const Span content = table.content();
    if (content.end - content.begin < 8) {
        return;
    }
    if (const std::optional<uint32_t> count = file.readBE32(content.begin + 4)) {
        forEachBE32(file, content.begin + 8, content.end, *count, visit);
    }
}
