#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A WHEN of the command line: FILE@SECONDS, or a UTC time (2024-06-11T08:15:12Z).
struct When
{
    std::string file;  // empty for a time
    double seconds = 0.0;
    int64_t utcMs = 0;  // for a time
};

std::optional<When> parseWhen(const std::string& text, std::string& error);

// The recordings a span covers, in play order, and where it begins and ends in them.
struct ResolvedSpan
{
    std::vector<std::string> recordings;
    double in = 0.0;                    // in the first
    double out = 0.0;                   // in the last
    std::optional<int64_t> startUtcMs;  // of the in mark, when the first recording has a time
};

// Finds both ends among the movie recordings of the folder (FILE's folder, else `folder`)
// and takes the recordings between them by trip order; both must lie in one trip, the
// end after the start. Nothing with the reason otherwise.
std::optional<ResolvedSpan> resolveSpan(const When& from, const When& to, const std::string& folder,
                                        std::string& error);
