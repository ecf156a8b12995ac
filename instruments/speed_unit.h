#pragma once

#include <cmath>

// Cameras log km/h and every table keeps it; the unit matters only where a speed is shown.
enum class SpeedUnit { Kmh, Mph };

// A km/h speed in the unit, to the nearest whole unit.
inline int speedIn(SpeedUnit unit, int kmh)
{
    return unit == SpeedUnit::Mph ? static_cast<int>(std::lround(kmh / 1.609344)) : kmh;
}

// What follows a shown speed: "Km/H" or "mph".
inline const char* speedUnitSuffix(SpeedUnit unit)
{
    return unit == SpeedUnit::Mph ? "mph" : "Km/H";
}
