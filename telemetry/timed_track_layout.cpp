#include "telemetry/timed_track_layout.h"

#include "telemetry/chip_detect.h"
#include "telemetry/freegps_reader.h"
#include "telemetry/gopro_reader.h"
#include "telemetry/nmea_box_reader.h"
#include "telemetry/track_table.h"

ReadOutcome TimedTrackLayout::readOpened(BinaryFile& movie, TelemetryTable& table) const
{
    std::string why;
    const std::optional<TimedTrack> track = m_decode(movie, why);
    if (!track) {
        return ReadOutcome::empty(why.empty() ? "no telemetry" : why);
    }
    fillTable(*track, readMovieSeconds(movie), table);
    return ReadOutcome::read(table.count());
}

std::optional<int64_t> TimedTrackLayout::firstUtcMs(BinaryFile& movie) const
{
    std::string why;
    const std::optional<TimedTrack> track = m_decode(movie, why);
    if (!track) {
        return std::nullopt;
    }
    for (const TimedFix& fix : track->fixes) {
        if (fix.utcMs) {
            return fix.utcMs;
        }
    }
    return std::nullopt;
}

const LayoutReader& goProLayout()
{
    static const TimedTrackLayout reader(Layout::GoPro, detectGoPro, readGoPro);
    return reader;
}

const LayoutReader& freeGpsLayout()
{
    static const TimedTrackLayout reader(Layout::FreeGps, detectFreeGps, decodeFreeGps);
    return reader;
}

const LayoutReader& nmeaBoxLayout()
{
    static const TimedTrackLayout reader(Layout::NmeaBox, detectNmeaBox, decodeNmeaBox);
    return reader;
}
