#include "bench/telemetry/drive.h"

#include <cstdio>

namespace lw = layout_writer;

std::vector<lw::Sample> driveSamples(int seconds)
{
    std::vector<lw::Sample> samples;
    samples.reserve(static_cast<size_t>(seconds));
    for (int s = 0; s < seconds; ++s) {
        lw::FixOptions fix;
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d", 8 + s / 3600, s / 60 % 60, s % 60);
        fix.time = time;
        fix.date = "040321";
        samples.push_back(
            {s % 200 - 100, -(s % 50), 1000,
             lw::rmc(47.3 + s * 0.0001, 8.5 + s * 0.00012, 30.0 + s % 20, 40.0, fix)});
    }
    return samples;
}

std::string driveNmea(const std::vector<lw::Sample>& samples)
{
    std::string text;
    for (const lw::Sample& sample : samples) {
        text += sample.sentence + "\r\n";
    }
    return text;
}
