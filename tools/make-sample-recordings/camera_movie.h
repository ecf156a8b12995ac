#pragma once

#include <string>
#include <vector>

#include "tools/layout_writer/layout_writer.h"

// Rewrites a muxer's QuickTime file into the shape the cameras write (ftyp, mdat, moov,
// then the camera's own atoms) with its telemetry embedded. Every function reads the
// movie at `source` and writes `target`; false with a message on error.
namespace camera_movie {

struct Movie
{
    uint32_t creationTime = 0;  // seconds since 1904-01-01
    std::string source;
    std::string target;
};

// No telemetry in the movie (a sidecar file goes beside it).
bool writePlain(const Movie& movie, std::string& error);
// Telemetry atom as the fourth top-level atom, ending with the chip name.
bool writeIcat(const Movie& movie, const std::vector<layout_writer::Sample>& samples,
               std::string& error);
// Telemetry as the samples of a third track (needs a movie with video and audio).
bool writeA7l(const Movie& movie, const std::vector<layout_writer::Sample>& samples,
              std::string& error);
// Telemetry blocks after every 30th video sample at 32 KiB boundaries (video-only movie).
bool writeNt96650(const Movie& movie, const std::vector<layout_writer::Sample>& samples,
                  std::string& error);

}  // namespace camera_movie
