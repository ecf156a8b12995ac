#pragma once

#include <optional>
#include <string>

#include "telemetry/layout_reader.h"
#include "telemetry/timed_track.h"

// Tells whether the open movie is in a layout that decodes into fixes and accelerations.
using TrackDetector = bool (*)(BinaryFile& movie);
// Decodes them; nothing, with why, when the movie holds none.
using TrackDecoder = std::optional<TimedTrack> (*)(BinaryFile& movie, std::string& why);

// A layout read as a decoded track (GoPro, Novatek freeGPS, NMEA in a box): the decoder
// gives the track, fillTable makes the table, one sample per second of the movie. A new
// family is a detector, a decoder, an accessor like goProLayout() and its row in the
// layout table.
class TimedTrackLayout final : public MovieLayoutReader
{
public:
    TimedTrackLayout(Layout id, TrackDetector detect, TrackDecoder decode)
        : m_id(id), m_detect(detect), m_decode(decode)
    {}

    Layout id() const override { return m_id; }
    bool detect(BinaryFile& movie) const override { return m_detect(movie); }
    std::optional<int64_t> firstUtcMs(BinaryFile& movie) const override;

protected:
    ReadOutcome readOpened(BinaryFile& movie, TelemetryTable& table) const override;

private:
    Layout m_id;
    TrackDetector m_detect;
    TrackDecoder m_decode;
};

const LayoutReader& goProLayout();
const LayoutReader& freeGpsLayout();
const LayoutReader& nmeaBoxLayout();
