#pragma once

#include <QString>

#include <string>
#include <vector>

#include "telemetry/speed_unit.h"
#include "telemetry/trip_summary.h"

class PlaylistCatalogue;
class TripIndex;

// The recordings of a trip around the open one, for the map and the trip summary.
struct TripDigests
{
    std::vector<int> rows;                    // the trip's rows, in play order
    std::vector<const TrackDigest*> digests;  // one per row
    int playingPart = -1;                     // index of the open recording in rows
};

// "Trip: 12.3 km, 0:20:00, max 80 km/h, average 37 km/h, peak 1.23 g at 08:15:00", or in
// miles and mph; empty when the trip logged nothing to sum up.
QString tripSummaryText(const TripDigests& trip, const PlaylistCatalogue& list,
                        const TripIndex& trips, SpeedUnit unit);

// The trip of `rows` (in play order) as GPX, one segment per recording, or as CSV rows.
std::string tripExportText(const std::vector<int>& rows, const PlaylistCatalogue& list,
                           const TripIndex& trips, bool csv);

// Every byte written and on the disk, else why not. Written aside and renamed over the
// target: a failed save leaves the old file as it was.
QString saveWhole(const QString& file, const std::string& bytes);
