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

// A file's channel by its name; a name that says none is the front camera's.
Channel channelOf(const std::string& path)
{
    const std::optional<ChannelName> name = parseChannelName(path);
    return name ? name->channel : Channel::Front;
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
    span.channel = channelOf(marks.in->file);
    if (channelOf(marks.out->file) != span.channel) {
        problem = QStringLiteral("the marks lie in recordings of different channels");
        return std::nullopt;
    }
    RecordingEntry entry;
    for (auto row = first; row <= last; ++row) {
        if (list.entryAt(*row, entry) && channelOf(entry.filePath) == span.channel) {
            span.recordings.push_back(entry.filePath);
        }
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
    ClipRequest request;
    request.recordings = span.recordings;
    request.in = span.in;
    request.out = span.out;
    request.folder = folder;
    request.name = unusedClipName(folder, clipBaseName(span.recordings.front(), span.startUtcMs,
                                                       static_cast<char>(span.channel)));
    request.unit = unit;
    return {request};
}
