#include "session/clip_marks.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

#include "clip/clip_name.h"
#include "session/moment_sources.h"
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

// The channels of a listed moment with their starts in it; a row of one file is its channel
// alone, starting at 0.
struct PlacedChannel
{
    Channel channel = Channel::Front;
    std::string path;
    double offset = 0.0;
};

std::vector<PlacedChannel> placedChannels(const RecordingEntry& entry, const StartTimeOf& startOf)
{
    if (entry.channels.empty()) {
        return {{channelOf(entry.filePath), entry.filePath, 0.0}};
    }
    const std::vector<ChannelSource> sources = channelSources(entry, startOf);
    std::vector<PlacedChannel> placed;
    for (size_t i = 0; i < entry.channels.size(); ++i) {
        placed.push_back({entry.channels[i].channel, entry.channels[i].filePath,
                          i < sources.size() ? sources[i].offset : 0.0});
    }
    return placed;
}

const PlacedChannel* find(const std::vector<PlacedChannel>& moment, Channel channel)
{
    const auto it = std::find_if(moment.begin(), moment.end(), [channel](const PlacedChannel& c) {
        return c.channel == channel;
    });
    return it == moment.end() ? nullptr : &*it;
}

// The channel's files across the moments and the marks on its clock; nothing when it
// recorded nothing between them. A channel that starts after a mark is cut from its start.
std::optional<ChannelSpan> channelSpan(Channel channel,
                                       const std::vector<std::vector<PlacedChannel>>& moments,
                                       double in, double out)
{
    ChannelSpan span;
    span.channel = channel;
    for (const std::vector<PlacedChannel>& moment : moments) {
        span.recordings.push_back(find(moment, channel)->path);
    }
    span.in = std::max(0.0, in - find(moments.front(), channel)->offset);
    span.out = std::max(0.0, out - find(moments.back(), channel)->offset);
    if (moments.size() == 1 && span.out <= span.in) {
        return std::nullopt;
    }
    return span;
}

}  // namespace

std::optional<MarkedSpan> markedSpan(const ClipMarks& marks, const PlaylistCatalogue& list,
                                     const TripIndex& trips, const StartTimeOf& startOf,
                                     QString& problem)
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
    const Channel marked = channelOf(marks.in->file);
    if (channelOf(marks.out->file) != marked) {
        problem = QStringLiteral("the marks lie in recordings of different channels");
        return std::nullopt;
    }
    std::vector<std::vector<PlacedChannel>> moments;
    RecordingEntry entry;
    for (auto row = first; row <= last; ++row) {
        if (list.entryAt(*row, entry) && channelOf(entry.filePath) == marked) {
            moments.push_back(placedChannels(entry, startOf));
        }
    }
    if (moments.empty()) {
        problem = QStringLiteral("%1 is no longer in the list").arg(shownName(marks.in->file));
        return std::nullopt;
    }
    for (const std::vector<PlacedChannel>& moment : moments) {
        for (const PlacedChannel& channel : moments.front()) {
            if (find(moment, channel.channel) == nullptr) {
                problem = QStringLiteral("%1 has no file of channel %2")
                              .arg(shownName(moment.front().path),
                                   QChar::fromLatin1(static_cast<char>(channel.channel)));
                return std::nullopt;
            }
        }
    }
    MarkedSpan span;
    for (const PlacedChannel& channel : moments.front()) {
        if (std::optional<ChannelSpan> part =
                channelSpan(channel.channel, moments, marks.in->seconds, marks.out->seconds)) {
            span.channels.push_back(std::move(*part));
        }
    }
    if (const std::optional<int64_t> start = trips.clock(inRow).startUtcMs) {
        const double intoMain = marks.in->seconds - moments.front().front().offset;
        span.startUtcMs = *start + std::llround(intoMain * 1000);
    }
    return span;
}

std::vector<ClipRequest> clipRequests(const MarkedSpan& span, const std::string& folder,
                                      SpeedUnit unit)
{
    std::vector<ClipRequest> requests;
    for (const ChannelSpan& channel : span.channels) {
        ClipRequest& request = requests.emplace_back();
        request.recordings = channel.recordings;
        request.in = channel.in;
        request.out = channel.out;
        request.folder = folder;
        request.name =
            unusedClipName(folder, clipBaseName(channel.recordings.front(), span.startUtcMs,
                                                static_cast<char>(channel.channel)));
        request.unit = unit;
    }
    return requests;
}
