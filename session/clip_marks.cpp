#include "session/clip_marks.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

#include "clip/clip_name.h"
#include "session/playlist_catalogue.h"
#include "session/trip_index.h"

namespace {

QString shownName(const std::string& file)
{
    return QFileInfo(QString::fromStdString(file)).fileName();
}

}  // namespace

std::optional<MarkedSpan> markedSpan(const ClipMarks& marks, const PlaylistCatalogue& list,
                                     const TripIndex& trips, QString& problem)
{
    if (!marks.in || !marks.out) {
        problem = marks.in ? QStringLiteral("there is no out mark (key O)")
                           : QStringLiteral("there is no in mark (key I)");
        return std::nullopt;
    }
    const int inRow = list.rowOf(marks.in->file);
    const int outRow = list.rowOf(marks.out->file);
    if (inRow < 0 || outRow < 0) {
        problem = QStringLiteral("%1 is no longer in the list")
                      .arg(shownName(inRow < 0 ? marks.in->file : marks.out->file));
        return std::nullopt;
    }
    const std::span<const int> trip = trips.plan().tripRows(inRow);
    const auto first = std::find(trip.begin(), trip.end(), inRow);
    const auto last = std::find(trip.begin(), trip.end(), outRow);
    if (first == trip.end() || last == trip.end()) {
        problem = QStringLiteral("the marks lie in different trips");
        return std::nullopt;
    }
    if (last < first || (last == first && marks.out->seconds <= marks.in->seconds)) {
        problem = QStringLiteral("the out mark is not after the in mark");
        return std::nullopt;
    }
    MarkedSpan span;
    RecordingEntry entry;
    for (auto row = first; row <= last; ++row) {
        list.entryAt(*row, entry);
        span.recordings.push_back(entry.filePath);
    }
    span.in = marks.in->seconds;
    span.out = marks.out->seconds;
    if (const std::optional<int64_t> start = trips.clock(inRow).startUtcMs) {
        span.startUtcMs = *start + std::llround(span.in * 1000);
    }
    return span;
}

std::vector<ClipRequest> clipRequests(const MarkedSpan& span, const std::string& folder,
                                      SpeedUnit unit)
{
    ClipRequest front;
    front.recordings = span.recordings;
    front.in = span.in;
    front.out = span.out;
    front.folder = folder;
    front.name =
        unusedClipName(folder, clipBaseName(span.recordings.front(), span.startUtcMs, 'F'));
    front.unit = unit;
    return {front};
}
