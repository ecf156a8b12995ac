#pragma once

#include <string>

// Why a snapshot must not be written to path, or empty when it may. Checked by mode bits,
// not by access(), so that the same files are refused whoever runs the player: a symbolic
// link (it would be written through), a read-only file, a recording (a movie extension),
// or anything that is not a regular file.
std::string snapshotTargetProblem(const std::string& path);
