#include "timed_track_layout.h"

#include "chip_detect.h"
#include "gopro_reader.h"
#include "track_table.h"

ReadOutcome TimedTrackLayout::ReadOpened(BinaryFile& movie, CAssistInfoReader& table) const
{
    std::string why;
    const std::optional<TimedTrack> track = m_decode(movie, why);
    if (!track)
        return ReadOutcome::Empty(why.empty() ? "no telemetry" : why);
    FillTable(*track, ReadMovieSeconds(movie), table);
    return ReadOutcome::Read(table.GetCount());
}

const LayoutReader& GoProLayout()
{
    static const TimedTrackLayout reader(Layout::GoPro, DetectGoPro, ReadGoPro);
    return reader;
}
