#include "map_track.h"

#include <charconv>
#include <cmath>

namespace {

std::optional<double> number(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<MapPoint> mapPointFromTexts(std::string_view latitude, std::string_view longitude)
{
    const std::optional<double> lat = number(latitude);
    const std::optional<double> lng = number(longitude);
    if (!lat || !lng || std::fabs(*lat) > 90 || std::fabs(*lng) > 180) {
        return std::nullopt;
    }
    return MapPoint{*lat, *lng};
}

QJsonArray trackToJson(const MapTrack& track)
{
    QJsonArray points;
    const MapPoint* last = nullptr;
    for (const MapPoint& point : track) {
        if (!last || point != *last) {
            points.append(QJsonArray{point.latitude, point.longitude});
        }
        last = &point;
    }
    return points;
}
