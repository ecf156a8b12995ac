#pragma once

#include <optional>
#include <string>

// A copy of a recording that was cut off before its index (moov) was written, with an
// index rebuilt from its media data and the track layout of a healthy recording of the
// same camera. The damaged file is only read.

struct RepairRequest
{
    std::string damaged;
    std::string reference;  // empty: a healthy recording from the damaged one's folder
    std::string outputDir;  // empty: the damaged one's folder
};

// The repaired copy's path ("NAME_repaired.EXT"), written under a temporary name and
// renamed when whole; nothing, with the reason, when no copy was made. An existing file of
// that name is never replaced.
std::optional<std::string> repairRecording(const RepairRequest& request, std::string& reason);

// True for a movie file whose top-level atoms hold media data but no whole index.
bool lacksIndex(const std::string& path);

// True for the name repairRecording gives its copies.
bool isRepairedCopyName(const std::string& path);
