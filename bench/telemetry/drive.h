#pragma once

#include <string>
#include <vector>

#include "tools/layout_writer/layout_writer.h"

// A made-up drive logged once a second: RMC fixes with time and date, moving north-east.
std::vector<layout_writer::Sample> driveSamples(int seconds);

// The same drive as plain NMEA text, one sentence per line.
std::string driveNmea(const std::vector<layout_writer::Sample>& samples);
