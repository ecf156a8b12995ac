#pragma once

#include "telemetry/telemetry_table.h"

#include <algorithm>
#include <random>

// A plausible town-and-road drive, one sample per second: starts, cruising, braking
// and turns give changing longitudinal (X) and lateral (Y) forces; Z carries gravity
// with road noise and the odd pothole. Deterministic for a given seed.
inline void fillSampleDrive(TelemetryTable& table, int seconds, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, 0.025f);
    std::uniform_int_distribution<int> phaseLength(12, 50);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const double targets[] = {0, 30, 50, 50, 70, 90, 110};

    double speed = 0.0;
    double target = 0.0;
    float lateral = 0.0f;
    int phaseLeft = 0;
    for (int s = 0; s < seconds; ++s) {
        if (--phaseLeft <= 0) {
            phaseLeft = phaseLength(rng);
            target = targets[rng() % std::size(targets)];
            lateral = unit(rng) < 0.35f ? (unit(rng) - 0.5f) * 0.7f : 0.0f;
        }
        // Brakes harder than it accelerates, as drivers do.
        const double accel = std::clamp((target - speed) * 0.2, -14.0, 7.0);  // km/h per s
        speed = std::max(0.0, speed + accel);

        TelemetryEntry sample;
        sample.gX = static_cast<float>(accel / 3.6 / 9.81) + noise(rng);
        sample.gY = (speed > 5.0 ? lateral : 0.0f) + noise(rng);
        sample.gZ = 1.0f + 2.0f * noise(rng) + (unit(rng) < 0.02f ? 0.6f : 0.0f);
        sample.speedKmh = static_cast<int>(speed);
        sample.course = 90.0;
        table.appendSample(sample);
    }
}
