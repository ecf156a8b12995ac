#include "tools/make-sample-recordings/drive.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadius = 6371000.0;

// Target speed over the drive: a stop at a junction, bends slower than straights.
double targetSpeed(int second)
{
    const int phase = second % 90;
    if (phase < 3) {
        return 0.0;
    }
    return 55.0 + 35.0 * std::sin(second * 2 * kPi / 45.0) + (phase > 60 ? 25.0 : 0.0);
}

// Turn rate in degrees per second: gentle S-bends with a sharper corner now and then.
double turnRate(int second)
{
    return 6.0 * std::sin(second * 2 * kPi / 30.0) + ((second % 50) == 20 ? 25.0 : 0.0);
}

}  // namespace

std::vector<DriveSample> makeDrive(int seconds, long long startUtc)
{
    std::vector<DriveSample> drive;
    DriveSample s;
    s.latitude = 47.3712;
    s.longitude = 8.5417;
    s.course = 35.0;
    for (int t = 0; t < seconds; ++t) {
        const double previousSpeed = s.speedKmh;
        const double target = targetSpeed(t);
        s.speedKmh = previousSpeed + std::clamp(target - previousSpeed, -14.0, 9.0);
        const double turn = s.speedKmh > 1.0 ? turnRate(t) : 0.0;
        s.course = std::fmod(s.course + turn + 360.0, 360.0);
        const double metres = s.speedKmh / 3.6;
        const double heading = s.course * kPi / 180.0;
        s.latitude += metres * std::cos(heading) / kEarthRadius * 180.0 / kPi;
        s.longitude += metres * std::sin(heading) /
                       (kEarthRadius * std::cos(s.latitude * kPi / 180.0)) * 180.0 / kPi;
        const double along = (s.speedKmh - previousSpeed) / 3.6 / 9.81;
        const double across = metres * (turn * kPi / 180.0) / 9.81;
        s.gX = static_cast<int>(std::lround(along * 1000));
        s.gY = static_cast<int>(std::lround(across * 1000));
        s.gZ = 1000 + static_cast<int>(std::lround(40 * std::sin(t * 1.7)));
        s.utcSeconds = startUtc + t;
        drive.push_back(s);
    }
    return drive;
}
