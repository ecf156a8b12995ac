#pragma once

#include <cstdint>
#include <vector>

#include "telemetry/atom_walker.h"

// One sample of a track: where its bytes are and when it plays, in seconds of the track.
struct MediaSample
{
    uint64_t offset = 0;
    uint32_t size = 0;
    double start = 0.0;
    double duration = 0.0;
};

// The samples of a track's sample table atom ("stbl": stsz, stco or co64, stsc, stts), in
// decoding order. Only samples whose bytes lie inside the file are listed, and no table is
// trusted beyond the entries its atom holds.
std::vector<MediaSample> readSampleTable(BinaryFile& file, Span stbl, uint32_t timescale);

// The media time scale of a track ("mdia/mdhd", versions 0 and 1), or 0.
uint32_t readMediaTimescale(BinaryFile& file, Span trak);
