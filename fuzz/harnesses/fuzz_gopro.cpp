// GoPro GPMF: the input as one payload of the walker, and as a movie through detection, the
// sample table and the table maker.
#include <cstdint>

#include "fuzz/harnesses/fuzz_file.h"
#include "telemetry/gpmf.h"
#include "telemetry/layout_reader.h"
#include "telemetry/timed_track_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GpmfDecoder decoder;
    decoder.addPayload({data, size}, 0.0, 1.0);
    const TimedTrack payload = decoder.take();
    // A record is at least 2 bytes: nothing may come out of thin air.
    if (payload.fixes.size() + payload.accelerations.size() > size / 2) {
        __builtin_trap();
    }

    static FuzzFile file;
    const std::string& path = file.hold(data, size);
    BinaryFile movie;
    if (movie.open(path)) {
        goProLayout().detect(movie);
    }
    TelemetryTable table;
    if (readMovieFile(goProLayout(), path, table) != table.count()) {
        __builtin_trap();
    }
    return 0;
}
