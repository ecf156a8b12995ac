#include "layout_reader.h"

#include <array>

#include "recording_entry.h"
#include "timed_track_layout.h"

namespace {

// Recordings without a layout: nothing to read (the table is emptied all the same).
class NoLayout final : public LayoutReader {
public:
    Layout Id() const override { return Layout::None; }
    bool Detect(BinaryFile&) const override { return false; }
    ReadOutcome Read(const tagFileNode&, BinaryFile&, CAssistInfoReader& table) const override
    {
        table.Clear();
        return {};
    }
};

}  // namespace

const char* LayoutName(Layout layout)
{
    switch (layout) {
    case Layout::None: return "none";
    case Layout::Sidecar: return "sidecar";
    case Layout::ICat: return "icat";
    case Layout::A7L: return "a7l";
    case Layout::NT96650: return "nt96650";
    case Layout::GoPro: return "gopro";
    case Layout::FreeGps: return "freegps";
    case Layout::NmeaBox: return "nmeabox";
    }
    return "none";
}

ReadOutcome MovieLayoutReader::Read(const tagFileNode&, BinaryFile& movie,
                                    CAssistInfoReader& table) const
{
    table.Clear();
    if (!movie.IsOpen())
        return ReadOutcome::Unopened(movie.Failure());
    return ReadOpened(movie, table);
}

std::span<const LayoutReader* const> MovieLayouts()
{
    // The four camera layouts of old keep their order; newer families come after them
    // (GoPro, then Novatek freeGPS and NMEA in a box).
    static const std::array layouts = {&IcatLayout(), &A7lLayout(), &Nt96650Layout(),
                                       &GoProLayout(), &FreeGpsLayout(), &NmeaBoxLayout()};
    return layouts;
}

const LayoutReader& ReaderFor(Layout layout)
{
    static const NoLayout none;
    if (layout == Layout::Sidecar)
        return SidecarLayout();
    for (const LayoutReader* reader : MovieLayouts()) {
        if (reader->Id() == layout)
            return *reader;
    }
    return none;
}

Layout DetectLayout(const std::string& path)
{
    BinaryFile movie;
    if (!movie.Open(path))
        return Layout::None;
    for (const LayoutReader* reader : MovieLayouts()) {
        if (reader->Detect(movie))
            return reader->Id();
    }
    return Layout::None;
}

std::optional<int64_t> FirstUtcMs(const std::string& path, Layout layout)
{
    BinaryFile movie;
    if (!movie.Open(path))
        return std::nullopt;
    return ReaderFor(layout).FirstUtcMs(movie);
}

ReadOutcome ReadTelemetry(const tagFileNode& node, CAssistInfoReader& table)
{
    BinaryFile movie;
    movie.Open(node.strFilePath);
    ReadOutcome outcome = ReaderFor(node.layout).Read(node, movie, table);
    // A sidecar can still be read when its movie cannot: the movie's failure is reported.
    if (!movie.IsOpen() && !outcome.cannotOpen) {
        outcome.cannotOpen = true;
        outcome.reason = movie.Failure();
    }
    return outcome;
}

int ReadMovieFile(const LayoutReader& layout, const std::string& path, CAssistInfoReader& table)
{
    tagFileNode node;
    node.strFilePath = path;
    BinaryFile movie;
    movie.Open(path);
    return layout.Read(node, movie, table).result;
}
