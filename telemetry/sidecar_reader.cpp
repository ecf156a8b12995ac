#include <algorithm>
#include <array>
#include <string_view>

#include "telemetry/atom_walker.h"
#include "telemetry/layout_reader.h"
#include "telemetry/nmea_sentence.h"
#include "telemetry/recording_entry.h"
#include "telemetry/telemetry_table.h"

namespace {

constexpr size_t kPieceLength = 1023;  // a line is handled in pieces of at most this size

// Hands out the bytes of a file one at a time, reading it in large blocks.
class ByteStream
{
public:
    explicit ByteStream(BinaryFile& file) : m_file(file) {}

    int get()
    {
        if (m_pos == m_end && !fill()) {
            return -1;
        }
        return m_buffer[m_pos++];
    }

private:
    bool fill()
    {
        m_end = m_file.readAt(m_offset, m_buffer.data(), m_buffer.size());
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
bool readPiece(ByteStream& in, std::string& piece, bool& lineEnded)
{
    piece.clear();
    lineEnded = false;
    while (piece.size() < kPieceLength) {
        const int c = in.get();
        if (c < 0) {
            return !piece.empty();
        }
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
int keyLineShift(std::string_view keyLine)
{
    const std::string_view digits = keyLine.substr(0, 8);
    const auto nonZeroDigit = [](char c) { return c >= '1' && c <= '9'; };
    if (digits.size() < 8 || !std::all_of(digits.begin(), digits.end(), nonZeroDigit)) {
        return 0;
    }
    return keyDigitSum(digits);
}

ReadOutcome readLines(BinaryFile& file, TelemetryTable& table)
{
    ByteStream in(file);

    // The key line is read to its end, so a long one never spills into the log lines.
    std::string keyLine;
    bool lineEnded = false;
    std::string piece;
    if (!readPiece(in, keyLine, lineEnded)) {
        return ReadOutcome::empty("empty sidecar");
    }
    while (!lineEnded && readPiece(in, piece, lineEnded)) {}
    const int shift = keyLineShift(keyLine);
    if (shift == 0) {
        return ReadOutcome::empty("no key line");
    }

    bool continuation = false;
    while (!table.full() && readPiece(in, piece, lineEnded)) {
        // The line end of a line that filled its last piece exactly is no piece of its own.
        const bool onlyLineEnd = continuation && (piece.empty() || piece == "\r");
        if (!onlyLineEnd) {
            table.parseAssistLine(piece.data(), shift);
        }
        continuation = !lineEnded;
    }
    return ReadOutcome::read(table.count());
}

// A text file beside the movie, found by name (not in the movie's atoms).
class SidecarReader final : public LayoutReader
{
public:
    Layout id() const override { return Layout::Sidecar; }
    bool detect(BinaryFile&) const override { return false; }
    ReadOutcome read(const RecordingEntry& node, BinaryFile&, TelemetryTable& table) const override
    {
        return readSidecar(node.sidecarPath, table);
    }
};

}  // namespace

ReadOutcome readSidecar(const std::string& path, TelemetryTable& table)
{
    table.clear();
    BinaryFile file;
    if (!file.open(path)) {
        return ReadOutcome::unopened("sidecar " + path + ": " + file.failure());
    }
    return readLines(file, table);
}

const LayoutReader& sidecarLayout()
{
    static const SidecarReader reader;
    return reader;
}
