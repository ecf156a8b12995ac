#include "clip/clip_telemetry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "telemetry/file_name.h"
#include "telemetry/recording_entry.h"
#include "telemetry/track_export.h"
#include "telemetry/trip.h"

namespace {

constexpr uint32_t kTextScale = 1000;

// "2024-06-11 08:15:12 UTC"
std::string cueTime(int64_t utcMs)
{
    std::string text = isoUtcTime(utcMs - utcMs % 1000);
    text[10] = ' ';
    text.back() = ' ';
    return text + "UTC";
}

std::string textDescription()
{
    // A tx3g sample entry: white text, centred at the bottom, one font.
    static const unsigned char entry[] = {
        0, 0,    0, 0,  0,   0,   0,   1,                        // reserved, data reference 1
        0, 0,    0, 0,                                           // display flags
        1, 0xFF,                                                 // centred, bottom
        0, 0,    0, 0,                                           // background
        0, 0,    0, 0,  0,   0,   0,   0,                        // default text box
        0, 0,    0, 0,  0,   1,   0,   18,  255, 255, 255, 255,  // style: font 1, 18 px, white
        0, 0,    0, 18, 'f', 't', 'a', 'b', 0,   1,   0,   1,   5, 'S', 'e', 'r', 'i', 'f'};
    const std::string body(reinterpret_cast<const char*>(entry), sizeof entry);
    const auto be32 = [](uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 8), static_cast<char>(v)};
    };
    const std::string sampleEntry = be32(static_cast<uint32_t>(body.size() + 8)) + "tx3g" + body;
    const std::string content = be32(0) + be32(1) + sampleEntry;
    return be32(static_cast<uint32_t>(content.size() + 8)) + "stsd" + content;
}

const RecordingSpan* spanAt(const ClipPlan& plan, double clipSeconds)
{
    for (const RecordingSpan& span : plan.spans) {
        if (clipSeconds < span.clipEnd) {
            return &span;
        }
    }
    return plan.spans.empty() ? nullptr : &plan.spans.back();
}

// The logged samples of the seconds a recording shows in the clip, and when the first was.
struct ShownSamples
{
    TelemetryTable table;
    std::optional<int64_t> startUtcMs;
};

ShownSamples shownSamples(const RecordingSpan& span, const RecordingTelemetry& recording)
{
    ShownSamples shown;
    const int count = recording.table.sampleCount();
    const int first =
        std::clamp(static_cast<int>(std::floor(span.clipBegin - span.shift)), 0, count);
    const int end =
        std::clamp(static_cast<int>(std::ceil(span.clipEnd - span.shift)), first, count);
    for (int i = first; i < end; ++i) {
        shown.table.appendSample(*recording.table.find(i * kEntriesPerSample));
    }
    if (recording.startUtcMs) {
        shown.startUtcMs = *recording.startUtcMs + int64_t{first} * 1000;
    }
    return shown;
}

}  // namespace

RecordingTelemetry readRecordingTelemetry(const std::string& path, double videoSeconds)
{
    RecordingTelemetry recording;
    const RecordingEntry entry = describeRecording(path, "", upperExtension(path));
    recording.name = entry.displayName;
    recording.table.readRecording(entry, videoSeconds);
    recording.startUtcMs = readRecordingClock(path).startUtcMs;
    return recording;
}

std::string cueText(const RecordingTelemetry& recording, double seconds, SpeedUnit unit)
{
    const int index = static_cast<int>(std::floor(std::max(seconds, 0.0) * 10));
    const TelemetryEntry* entry = recording.table.find(index);
    std::optional<int64_t> utcMs = entry ? entry->utcMs : std::nullopt;
    if (!utcMs && recording.startUtcMs) {
        utcMs = *recording.startUtcMs + std::llround(seconds * 1000);
    }
    std::vector<std::string> parts;
    if (utcMs) {
        parts.push_back(cueTime(*utcMs));
    }
    if (entry && entry->position) {
        char motion[64];
        std::snprintf(motion, sizeof motion, "%d %s", speedIn(unit, entry->speedKmh),
                      unit == SpeedUnit::Mph ? "mph" : "km/h");
        parts.push_back(motion);
        parts.push_back(degreesText(entry->position->latitude) + ", " +
                        degreesText(entry->position->longitude));
        std::snprintf(motion, sizeof motion, "%.0f\xC2\xB0", entry->course);
        parts.push_back(motion);
    } else if (entry) {
        parts.push_back("no GPS fix");
    }
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : "  ") + part;
    }
    return text;
}

OverlayText overlayAt(const ClipPlan& plan, const std::vector<RecordingTelemetry>& telemetry,
                      SpeedUnit unit, double clipSeconds)
{
    OverlayText overlay;
    const RecordingSpan* span = spanAt(plan, clipSeconds);
    if (!span) {
        return overlay;
    }
    const RecordingTelemetry& recording = telemetry[static_cast<size_t>(span->source)];
    const double seconds = clipSeconds - span->shift;
    overlay.text = cueText(recording, seconds, unit);
    if (const TelemetryEntry* entry =
            recording.table.find(static_cast<int>(std::floor(std::max(seconds, 0.0) * 10)))) {
        overlay.hasAxes = true;
        overlay.gX = entry->gX;
        overlay.gY = entry->gY;
        overlay.gZ = entry->gZ;
    }
    return overlay;
}

ClipTrack textTrack(const ClipPlan& plan, const std::vector<RecordingTelemetry>& telemetry,
                    SpeedUnit unit)
{
    ClipTrack track;
    track.kind = ClipTrackKind::Text;
    track.timescale = kTextScale;
    track.sampleDescription = textDescription();
    track.width = plan.tracks.front().width;
    track.height = plan.tracks.front().height;
    const int64_t total = std::llround(plan.seconds * kTextScale);
    for (int64_t at = 0; at < total; at += kTextScale) {
        const double clipSeconds = static_cast<double>(at) / kTextScale;
        const RecordingSpan* span = spanAt(plan, clipSeconds);
        std::string text = span ? cueText(telemetry[static_cast<size_t>(span->source)],
                                          clipSeconds - span->shift, unit)
                                : std::string();
        text.resize(std::min<size_t>(text.size(), 0xFFFF));
        const std::string payload =
            std::string{static_cast<char>(text.size() >> 8), static_cast<char>(text.size())} + text;
        track.samples.push_back({-1, track.payloads.size(), static_cast<uint32_t>(payload.size()),
                                 static_cast<uint32_t>(std::min<int64_t>(kTextScale, total - at)),
                                 0, true});
        track.payloads.push_back(payload);
    }
    return track;
}

std::string clipGpx(const ClipPlan& plan, const std::vector<RecordingTelemetry>& telemetry,
                    const std::string& name)
{
    std::ostringstream out;
    writeGpxHeader(out, "dashcam-clip");
    writeGpxTrackBegin(out, name);
    for (const RecordingSpan& span : plan.spans) {
        const RecordingTelemetry& recording = telemetry[static_cast<size_t>(span.source)];
        const ShownSamples shown = shownSamples(span, recording);
        writeGpxSegment(out, {recording.name, &shown.table, shown.startUtcMs});
    }
    writeGpxTrackEnd(out);
    writeGpxFooter(out);
    return out.str();
}

std::string clipCsv(const ClipPlan& plan, const std::vector<RecordingTelemetry>& telemetry)
{
    std::ostringstream out;
    writeCsvHeader(out);
    for (const RecordingSpan& span : plan.spans) {
        const RecordingTelemetry& recording = telemetry[static_cast<size_t>(span.source)];
        const ShownSamples shown = shownSamples(span, recording);
        writeCsvRows(out, {recording.name, &shown.table, shown.startUtcMs});
    }
    return out.str();
}
