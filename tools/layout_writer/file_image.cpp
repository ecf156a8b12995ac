#include "tools/layout_writer/layout_writer.h"

#include <fstream>

namespace layout_writer {

void SparseFile::put(uint64_t offset, std::string bytes)
{
    size = std::max<uint64_t>(size, offset + bytes.size());
    pieces.emplace_back(offset, std::move(bytes));
}

std::string SparseFile::flatten() const
{
    std::string out(static_cast<size_t>(size), '\0');
    for (const auto& [offset, bytes] : pieces) {
        out.replace(static_cast<size_t>(offset), bytes.size(), bytes);
    }
    return out;
}

bool writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool writeFile(const std::string& path, const SparseFile& file)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const auto& [offset, bytes] : file.pieces) {
        out.seekp(static_cast<std::streamoff>(offset));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // The tail may be a hole: place one byte at the end unless a piece already covers it.
    bool endCovered = file.size == 0;
    for (const auto& [offset, bytes] : file.pieces) {
        endCovered = endCovered || offset + bytes.size() == file.size;
    }
    if (!endCovered) {
        out.seekp(static_cast<std::streamoff>(file.size - 1));
        out.put('\0');
    }
    out.close();
    return static_cast<bool>(out);
}

}  // namespace layout_writer
