// A movie file through NMEA-in-a-box detection and decoding.
#include <cstdint>

#include "fuzz/harnesses/fuzz_file.h"
#include "telemetry/nmea_box_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFile file;
    BinaryFile movie;
    if (!movie.open(file.hold(data, size))) {
        __builtin_trap();
    }
    detectNmeaBox(movie);
    std::string reason;
    const std::optional<TimedTrack> track = decodeNmeaBox(movie, reason);
    // A reason exactly on failure; a fix takes a line of the file, an acceleration 10 bytes.
    if (track.has_value() != reason.empty()) {
        __builtin_trap();
    }
    if (track && (track->fixes.size() > size / 7 || track->accelerations.size() > size / 10)) {
        __builtin_trap();
    }
    return 0;
}
