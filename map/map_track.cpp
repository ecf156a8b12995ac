#include "map/map_track.h"

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
