#pragma once

#include <climits>

// Truncation toward zero, saturated at the int limits (NaN gives INT_MIN).
inline int truncToInt(double value)
{
    if (!(value > INT_MIN)) {
        return INT_MIN;
    }
    if (value >= INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}
