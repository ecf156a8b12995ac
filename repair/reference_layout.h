#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "repair/nal_units.h"

// What a healthy recording of the same camera tells about the tracks a cut-off one was
// going to be indexed with: the sample descriptions, time scales and sample durations.

struct TrackTemplate
{
    std::vector<unsigned char> sampleDescription;  // the whole stsd atom, copied as it is
    uint32_t timescale = 0;
    uint32_t sampleDuration = 0;  // the most common one, in the time scale
    uint16_t width = 0;           // video only
    uint16_t height = 0;
};

enum class AudioFraming {
    None,
    Aac,    // raw AAC frames of varying size
    Fixed,  // samples of one size (PCM and the like)
};

struct ReferenceLayout
{
    TrackTemplate video;
    NalRules nalRules;
    std::vector<unsigned char> videoConfig;  // the avcC or hvcC contents

    TrackTemplate audio;
    AudioFraming audioFraming = AudioFraming::None;
    uint32_t audioSampleSize = 0;            // Fixed: bytes per sample; Aac: the mean frame size
    std::vector<unsigned char> audioConfig;  // Aac: the AudioSpecificConfig
};

// The layout of a recording with an index and an H.264 or H.265 video track; nothing,
// with the reason, otherwise.
std::optional<ReferenceLayout> readReferenceLayout(const std::string& path, std::string& reason);
