// A movie file through freeGPS detection and decoding.
#include <cmath>
#include <cstdint>

#include "fuzz/harnesses/fuzz_file.h"
#include "telemetry/freegps_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFile file;
    BinaryFile movie;
    if (!movie.open(file.hold(data, size))) {
        __builtin_trap();
    }
    detectFreeGps(movie);
    std::string reason;
    const std::optional<TimedTrack> track = decodeFreeGps(movie, reason);
    // A reason exactly on failure; a block takes at least its 12-byte header of the file.
    if (track.has_value() != reason.empty()) {
        __builtin_trap();
    }
    if (track &&
        (track->fixes.size() > size / 12 || track->accelerations.size() > track->fixes.size())) {
        __builtin_trap();
    }
    for (const TimedFix& fix : track ? track->fixes : std::vector<TimedFix>{}) {
        if (!std::isfinite(fix.latitude) || !std::isfinite(fix.longitude) ||
            !std::isfinite(fix.speedKmh) || !std::isfinite(fix.course)) {
            __builtin_trap();
        }
    }
    return 0;
}
