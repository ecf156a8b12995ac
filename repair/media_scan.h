#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "repair/reference_layout.h"
#include "telemetry/atom_walker.h"

// The samples of one track as found in the media data, in the shape of its index tables.
struct RebuiltTrack
{
    struct Chunk
    {
        uint64_t offset = 0;
        uint32_t samples = 0;
    };
    struct TimeRun
    {
        uint32_t count = 0;
        uint32_t duration = 0;
    };

    std::vector<uint32_t> sizes;  // one per sample; empty when every sample has uniformSize
    uint32_t uniformSize = 0;
    uint64_t sampleCount = 0;
    std::vector<TimeRun> times;
    std::vector<uint32_t> syncSamples;  // 1-based numbers of the keyframes
    std::vector<Chunk> chunks;
    uint64_t duration = 0;  // in the track's time scale
    uint64_t chunkEnd = 0;  // where the last chunk's bytes end

    // Adds count samples of the given size and duration at offset, in a chunk of their own
    // unless they continue the last one.
    void add(uint64_t offset, uint32_t size, uint32_t duration, uint32_t count, bool keyframe);
};

struct MediaScan
{
    RebuiltTrack video;
    CompositionOffsets videoOffsets;  // when pictures are shown in another order
    RebuiltTrack audio;
    uint64_t keptEnd = 0;  // the end of the last byte any sample uses
};

// The samples of the media data in [data.begin, data.end): complete pictures that start with
// a keyframe, validated NAL unit by NAL unit, and the audio between them as the layout
// frames it; free and skip atoms inside are passed over. Stops at the first picture the
// cut left incomplete, and at a limit of samples far beyond a camera's longest recording.
MediaScan scanMediaData(BinaryFile& file, Span data, const ReferenceLayout& layout);
