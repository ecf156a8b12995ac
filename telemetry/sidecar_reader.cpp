#include <algorithm>
#include <array>
#include <string_view>

#include "assist_info_reader.h"
#include "atom_walker.h"
#include "layout_reader.h"
#include "nmea_sentence.h"
#include "recording_entry.h"

namespace {

constexpr size_t kPieceLength = 1023;  // a line is handled in pieces of at most this size

// Hands out the bytes of a file one at a time, reading it in large blocks.
class ByteStream {
public:
    explicit ByteStream(BinaryFile& file) : m_file(file) {}

    int Get()
    {
        if (m_pos == m_end && !Fill())
            return -1;
        return m_buffer[m_pos++];
    }

private:
    bool Fill()
    {
        m_end = m_file.ReadAt(m_offset, m_buffer.data(), m_buffer.size());
        m_offset += m_end;
        m_pos = 0;
        return m_end > 0;
    }

    BinaryFile& m_file;
    std::array<unsigned char, 65536> m_buffer;
    uint64_t m_offset = 0;
    size_t m_pos = 0;
    size_t m_end = 0;
};

// Reads up to kPieceLength bytes of a line (without its LF). lineEnded: the LF was read.
// False at the end of the file with nothing read.
bool ReadPiece(ByteStream& in, std::string& piece, bool& lineEnded)
{
    piece.clear();
    lineEnded = false;
    while (piece.size() < kPieceLength) {
        const int c = in.Get();
        if (c < 0)
            return !piece.empty();
        if (c == '\n') {
            lineEnded = true;
            return true;
        }
        piece.push_back(static_cast<char>(c));
    }
    return true;
}

// Shift of the key line: its key digit sum, or 0 when one of its first eight characters
// is '0', not a digit, or missing.
int KeyLineShift(std::string_view keyLine)
{
    const std::string_view digits = keyLine.substr(0, 8);
    const auto nonZeroDigit = [](char c) { return c >= '1' && c <= '9'; };
    if (digits.size() < 8 || !std::all_of(digits.begin(), digits.end(), nonZeroDigit))
        return 0;
    return KeyDigitSum(digits);
}

ReadOutcome ReadLines(BinaryFile& file, CAssistInfoReader& table)
{
    ByteStream in(file);

    // The key line is read to its end, so a long one never spills into the log lines.
    std::string keyLine;
    bool lineEnded = false;
    std::string piece;
    if (!ReadPiece(in, keyLine, lineEnded))
        return ReadOutcome::Empty("empty sidecar");
    while (!lineEnded && ReadPiece(in, piece, lineEnded)) {
    }
    const int shift = KeyLineShift(keyLine);
    if (shift == 0)
        return ReadOutcome::Empty("no key line");

    bool continuation = false;
    while (!table.Full() && ReadPiece(in, piece, lineEnded)) {
        // The line end of a line that filled its last piece exactly is no piece of its own.
        const bool onlyLineEnd = continuation && (piece.empty() || piece == "\r");
        if (!onlyLineEnd)
            table.ParseAssistLine(piece.data(), shift);
        continuation = !lineEnded;
    }
    return ReadOutcome::Read(table.GetCount());
}

// A text file beside the movie, found by name (not in the movie's atoms).
class SidecarReader final : public LayoutReader {
public:
    Layout Id() const override { return Layout::Sidecar; }
    bool Detect(BinaryFile&) const override { return false; }
    ReadOutcome Read(const tagFileNode& node, BinaryFile&, CAssistInfoReader& table) const override
    {
        return ReadSidecar(node.strGpsPath, table);
    }
};

}  // namespace

ReadOutcome ReadSidecar(const std::string& path, CAssistInfoReader& table)
{
    table.Clear();
    BinaryFile file;
    if (!file.Open(path))
        return ReadOutcome::Unopened("sidecar " + path + ": " + file.Failure());
    return ReadLines(file, table);
}

const LayoutReader& SidecarLayout()
{
    static const SidecarReader reader;
    return reader;
}

int CAssistInfoReader::ReadDatFile(const std::string& path)
{
    return ReadSidecar(path, *this).result;
}
