#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "telemetry/atom_walker.h"
#include "telemetry/layout.h"
#include "telemetry/telemetry_table.h"

struct RecordingEntry;

// What reading a recording's telemetry came to.
struct ReadOutcome
{
    int result = -1;          // entries in the table, or -1 when the file to read did not open
    bool cannotOpen = false;  // the movie or its sidecar could not be opened (reason says why)
    std::string reason;       // why the table is empty or incomplete; empty when all went well

    static ReadOutcome read(int entries) { return {entries, false, {}}; }
    static ReadOutcome empty(std::string why) { return {0, false, std::move(why)}; }
    static ReadOutcome unopened(std::string why) { return {-1, true, std::move(why)}; }
};

// One telemetry layout: how it shows in a movie's atoms and how it becomes the table.
class LayoutReader
{
public:
    virtual ~LayoutReader() = default;
    virtual Layout id() const = 0;
    // Whether the open movie is in this layout. Cheap: the play list asks for every file.
    virtual bool detect(BinaryFile& movie) const = 0;
    // Empties the table, then fills it from the recording. movie is the entry's movie file,
    // opened (or with its open failure when it would not open).
    virtual ReadOutcome read(const RecordingEntry& node, BinaryFile& movie,
                             TelemetryTable& table) const = 0;
    // UTC of the recording's first dated fix, ms since 1970, for a movie without a
    // creation time; nothing when the layout does not date its fixes.
    virtual std::optional<int64_t> firstUtcMs(BinaryFile&) const { return std::nullopt; }
    // Whether the camera's clock shows only in the file's last write (its log is not dated),
    // so that a movie without a creation time takes that time.
    virtual bool timeFromLastWrite() const { return false; }
};

// A layout read from the movie file alone: an unopened movie gives -1 and its failure.
class MovieLayoutReader : public LayoutReader
{
public:
    ReadOutcome read(const RecordingEntry& node, BinaryFile& movie,
                     TelemetryTable& table) const final;

protected:
    // Fills the emptied table from the open movie.
    virtual ReadOutcome readOpened(BinaryFile& movie, TelemetryTable& table) const = 0;
};

// A movie layout whose detection and reading are two plain functions of the open movie.
class FunctionLayout final : public MovieLayoutReader
{
public:
    using Detector = bool (*)(BinaryFile& movie);
    using Reader = ReadOutcome (*)(BinaryFile& movie, TelemetryTable& table);

    FunctionLayout(Layout id, Detector detect, Reader read, bool timeFromLastWrite = false)
        : m_id(id), m_detect(detect), m_read(read), m_timeFromLastWrite(timeFromLastWrite)
    {}

    Layout id() const override { return m_id; }
    bool detect(BinaryFile& movie) const override { return m_detect(movie); }
    bool timeFromLastWrite() const override { return m_timeFromLastWrite; }

protected:
    ReadOutcome readOpened(BinaryFile& movie, TelemetryTable& table) const override
    {
        return m_read(movie, table);
    }

private:
    Layout m_id;
    Detector m_detect;
    Reader m_read;
    bool m_timeFromLastWrite;
};

// Recordings without telemetry: a reader that finds nothing.
const LayoutReader& noLayout();
const LayoutReader& sidecarLayout();
// The sidecar reader over a path of its own (an unopenable one gives -1 and why).
ReadOutcome readSidecar(const std::string& path, TelemetryTable& table);
const LayoutReader& icatLayout();
const LayoutReader& a7lLayout();
const LayoutReader& nt96650Layout();

// One camera layout: its value, the name the tools print, and its reader.
struct LayoutRow
{
    Layout layout;
    const char* name;
    const LayoutReader& (*reader)();
};

// Every layout, from the one table in layout_table.cpp.
std::span<const LayoutRow> layoutTable();
// The layouts found inside movies, in detection order.
std::span<const LayoutRow> movieLayouts();
// The reader of a layout (one that is not in the table: the reader that finds nothing).
const LayoutReader& readerFor(Layout layout);

// The first movie layout whose detection accepts the file; None when none does or the file
// does not open.
Layout detectLayout(const std::string& path);

// The first dated fix of the entry's movie in its layout, or nothing.
std::optional<int64_t> firstUtcMs(const std::string& path, Layout layout);

// The entry's layout reader over the entry's files.
ReadOutcome readTelemetry(const RecordingEntry& node, TelemetryTable& table);

// One movie layout over the file at path: the entries read, or -1 when it does not open.
int readMovieFile(const LayoutReader& layout, const std::string& path, TelemetryTable& table);
