#include "telemetry/layout_reader.h"

#include <new>

#include "telemetry/recording_entry.h"
#include "telemetry/timed_track_layout.h"

namespace {

// Recordings without a layout: nothing to read (the table is emptied all the same).
class NoLayout final : public LayoutReader
{
public:
    Layout id() const override { return Layout::None; }
    bool detect(BinaryFile&) const override { return false; }
    ReadOutcome read(const RecordingEntry&, BinaryFile&, TelemetryTable& table) const override
    {
        table.clear();
        return {};
    }
};

}  // namespace

const LayoutReader& noLayout()
{
    static const NoLayout reader;
    return reader;
}

ReadOutcome MovieLayoutReader::read(const RecordingEntry&, BinaryFile& movie,
                                    TelemetryTable& table) const
{
    table.clear();
    if (!movie.isOpen()) {
        return ReadOutcome::unopened(movie.failure());
    }
    // Every size a file declares is bounded, but a file that still asks for more memory
    // than there is makes this one recording unreadable, not the program end.
    try {
        return readOpened(movie, table);
    } catch (const std::bad_alloc&) {
        table.clear();
        return ReadOutcome::empty("not enough memory to read the file");
    }
}

Layout detectLayout(const std::string& path)
{
    BinaryFile movie;
    if (!movie.open(path)) {
        return Layout::None;
    }
    try {
        for (const LayoutRow& row : movieLayouts()) {
            if (row.reader().detect(movie)) {
                return row.layout;
            }
        }
    } catch (const std::bad_alloc&) {
        // As when reading: this file is not listed with a layout, the program goes on.
    }
    return Layout::None;
}

std::optional<int64_t> firstUtcMs(const std::string& path, Layout layout)
{
    BinaryFile movie;
    if (!movie.open(path)) {
        return std::nullopt;
    }
    try {
        return readerFor(layout).firstUtcMs(movie);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

ReadOutcome readTelemetry(const RecordingEntry& node, TelemetryTable& table)
{
    BinaryFile movie;
    movie.open(node.filePath);
    ReadOutcome outcome = readerFor(node.layout).read(node, movie, table);
    // A sidecar can still be read when its movie cannot: the movie's failure is reported.
    if (!movie.isOpen() && !outcome.cannotOpen) {
        outcome.cannotOpen = true;
        outcome.reason = movie.failure();
    }
    return outcome;
}

int readMovieFile(const LayoutReader& layout, const std::string& path, TelemetryTable& table)
{
    RecordingEntry node;
    node.filePath = path;
    BinaryFile movie;
    movie.open(path);
    return layout.read(node, movie, table).result;
}
