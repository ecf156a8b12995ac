#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "clip/clip_plan.h"

// What a long copy reports and obeys: the share done (0..1), and a flag that stops it.
struct CopyControl
{
    std::function<void(double)> progress;
    const std::atomic<bool>* cancel = nullptr;

    bool cancelled() const { return cancel && cancel->load(); }
};

// What the clip's file says of itself.
struct Mp4Header
{
    uint64_t creation = 0;  // seconds since 1904-01-01 UTC; 0 when unknown
};

// The size of the file writeMp4 writes for the plan.
uint64_t mp4FileSize(const ClipPlan& plan);

// Writes the plan as an MP4 to fd: ftyp, the index (moov) first so that the clip plays
// while it is still arriving, then the samples, in half-second chunks of each track in
// time order, copied from the source files (sources[n] for ClipSample::source n) through
// one bounded buffer. False with the reason on a failed read or write, or on cancel.
bool writeMp4(int fd, const ClipPlan& plan, const std::vector<std::string>& sources,
              const Mp4Header& header, const CopyControl& control, std::string& error);
