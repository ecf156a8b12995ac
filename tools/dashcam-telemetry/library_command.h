#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The --help text of the library commands.
extern const char kLibraryUsage[];

// dashcam-telemetry --library DB ...: imports folders into the library, or answers "passed
// here" and "where was I at", one line per hit. The exit status.
int runLibraryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
