#pragma once

#include <QString>

#include <cstdint>

// "01:23", or "1:02:03" past the hour.
QString clockText(double seconds);
// "08:15:00", the UTC time of day of a time in ms since 1970.
QString utcClockText(std::int64_t utcMs);
