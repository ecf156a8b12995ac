#pragma once

#include <cstdint>
#include <vector>

#include "repair/media_scan.h"
#include "repair/reference_layout.h"

// The index (moov) of a repaired recording: a video track and, when the scan found audio,
// an audio track, with the sample descriptions of the reference and the tables of the scan.
// Chunk offsets are the scan's plus `shift` (where the media data moved in the copy); 64-bit
// offsets are written when any needs them.
std::vector<unsigned char> buildMovieIndex(const ReferenceLayout& layout, const MediaScan& scan,
                                           int64_t shift);
