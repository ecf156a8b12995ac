#pragma once

#include <cmath>

// Cameras log km/h and every table keeps it; the unit matters only where a speed is shown.
enum class SpeedUnit { Kmh, Mph };

inline constexpr double kKmPerMile = 1.609344;

// A length in km, or a speed in km/h, in the unit's own: miles (per hour) for mph.
inline double inUnit(SpeedUnit unit, double km)
{
    return unit == SpeedUnit::Mph ? km / kKmPerMile : km;
}

// A km/h speed in the unit, to the nearest whole unit.
inline int speedIn(SpeedUnit unit, int kmh)
{
    return static_cast<int>(std::lround(inUnit(unit, kmh)));
}

// What follows a shown speed: "Km/H" or "mph".
inline const char* speedUnitSuffix(SpeedUnit unit)
{
    return unit == SpeedUnit::Mph ? "mph" : "Km/H";
}
