#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// dashcam-clip --repair FILE [--like HEALTHY-FILE] [-o DIR]

// The usage lines of the repair command.
extern const char kRepairUsage[];

// True when the arguments ask for a repair.
bool isRepairCommand(const std::vector<std::string>& args);

// Repairs a copy and prints its path on out; 0, or 1 with the reason on err (2 for
// arguments it does not take).
int runRepairCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
