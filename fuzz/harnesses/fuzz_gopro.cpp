// GoPro GPMF: the input as one payload of the walker, and as a movie through detection, the
// sample table and the table maker.
#include <cstdint>

#include "fuzz_file.h"
#include "gpmf.h"
#include "layout_reader.h"
#include "timed_track_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GpmfDecoder decoder;
    decoder.AddPayload({data, size}, 0.0, 1.0);
    const TimedTrack payload = decoder.Take();
    // A record is at least 2 bytes: nothing may come out of thin air.
    if (payload.fixes.size() + payload.accelerations.size() > size / 2)
        __builtin_trap();

    static FuzzFile file;
    const std::string& path = file.Hold(data, size);
    BinaryFile movie;
    if (movie.Open(path))
        GoProLayout().Detect(movie);
    CAssistInfoReader table;
    if (ReadMovieFile(GoProLayout(), path, table) != table.GetCount())
        __builtin_trap();
    return 0;
}
