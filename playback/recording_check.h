#pragma once

#include "playback/pipeline_errors.h"

#include <string>

// Why a file is not handed to a pipeline at all, or success when it may be. Only
// regular files are played (symbolic links followed): a pipe or a device could
// block or be read forever. A recording whose index declares more tracks than a
// camera writes is refused too: GStreamer spends memory and time on every track,
// at open and again at teardown. The index is walked within fixed bounds.
PlaybackResult checkRecording(const std::string& path);
