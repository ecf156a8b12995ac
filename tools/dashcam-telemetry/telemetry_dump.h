#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "telemetry/layout_reader.h"
#include "telemetry/recording_entry.h"
#include "telemetry/telemetry_table.h"

// One file as the player sees it: its play list entry and the table its reader filled.
struct DumpedRecording
{
    std::string path;  // as given on the command line
    RecordingEntry node;
    ReadOutcome outcome;  // what the reader returned, and why when it read nothing
    TelemetryTable table;
};

// Lists the file as a folder import does and fills the table with the entry's reader.
void loadRecording(const std::string& path, DumpedRecording& out);

// The name with control characters escaped as in C (\t, \n, \r, \xHH) and \\ for a backslash.
std::string printableName(const std::string& name);

// The tab-separated block of one recording, ending with an empty line.
void writeTableBlock(std::ostream& out, const DumpedRecording& recording);

// The whole program over its arguments (without the program name); the exit status.
// showProgress: a progress line on err for long runs (when err is a terminal). Stops at the
// first recording out cannot take; out is left failed for the caller to report.
int runDashcamTelemetry(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                        bool showProgress = false);
