#include "timed_track_layout.h"

#include "chip_detect.h"
#include "freegps_reader.h"
#include "gopro_reader.h"
#include "nmea_box_reader.h"
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

std::optional<int64_t> TimedTrackLayout::FirstUtcMs(BinaryFile& movie) const
{
    std::string why;
    const std::optional<TimedTrack> track = m_decode(movie, why);
    if (!track)
        return std::nullopt;
    for (const TimedFix& fix : track->fixes) {
        if (fix.utcMs)
            return fix.utcMs;
    }
    return std::nullopt;
}

const LayoutReader& GoProLayout()
{
    static const TimedTrackLayout reader(Layout::GoPro, DetectGoPro, ReadGoPro);
    return reader;
}

const LayoutReader& FreeGpsLayout()
{
    static const TimedTrackLayout reader(Layout::FreeGps, DetectFreeGps, DecodeFreeGps);
    return reader;
}

const LayoutReader& NmeaBoxLayout()
{
    static const TimedTrackLayout reader(Layout::NmeaBox, DetectNmeaBox, DecodeNmeaBox);
    return reader;
}
