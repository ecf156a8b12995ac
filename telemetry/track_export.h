#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

class TelemetryTable;

// One recording's telemetry as it is exported.
struct ExportPart
{
    std::string name;  // the recording's name
    const TelemetryTable* table = nullptr;
    std::optional<std::int64_t> startUtcMs;  // sample i was logged i seconds after this
};

// "2024-06-11T08:15:00Z", with milliseconds only when there are some.
std::string isoUtcTime(std::int64_t utcMs);

// A GPX 1.1 document: the header, tracks, the footer. A track holds one segment per part
// (written one at a time, so a long trip never needs every table at once); a point has a
// <time> when its part has a start, and speed (m/s) and course when they were logged.
void writeGpxHeader(std::ostream& out, const std::string& creator);
void writeGpxTrackBegin(std::ostream& out, const std::string& name);
void writeGpxSegment(std::ostream& out, const ExportPart& part);
void writeGpxTrackEnd(std::ostream& out);
void writeGpxFooter(std::ostream& out);

// Comma-separated values: one row per logged sample of every part, after a header row:
// time,latitude,longitude,speed_kmh,course,x_g,y_g,z_g (time and position empty when unknown).
void writeCsvHeader(std::ostream& out);
void writeCsvRows(std::ostream& out, const ExportPart& part);
