// dashcam-clip: cuts a span of dashcam recordings into a clip by stream copy, with its
// telemetry as a text track, a GPX and a CSV.
#include <atomic>
#include <csignal>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "clip/clip_export.h"
#include "clip/clip_name.h"
#include "clip/overlay_encoder.h"
#include "tools/dashcam-clip/clip_span.h"
#include "tools/dashcam-clip/repair_command.h"

namespace {

const char kUsage[] =
    "usage: dashcam-clip [-o DIR] [--overlay] [--channel F|R|I|all] --from WHEN --to WHEN\n"
    "       dashcam-clip --repair FILE [--like HEALTHY-FILE] [-o DIR]\n"
    "\n"
    "Cuts the span between two moments of a trip out of its recordings, without\n"
    "re-encoding: the clip starts at the key frame at or before --from and ends at or after\n"
    "--to, across as many recordings as the span covers. Beside the clip (MP4, with the\n"
    "time, speed, position and heading as a subtitle track) it writes the span's track as\n"
    "GPX and CSV. Prints each file written, one per line.\n"
    "\n"
    "  WHEN             FILE@SECONDS (a position in a recording) or a UTC time such as\n"
    "                   2024-06-11T08:15:12Z. The recordings between come from FILE's\n"
    "                   folder (the current folder when both are times), in trip order.\n"
    "  -o DIR           where the clip goes (the current folder by default); an existing\n"
    "                   file is never replaced: the clip takes the next free name\n"
    "  --channel C      F (front), R (rear), I (interior) or all (the default): one clip\n"
    "                   per channel of the moment, its files paired by their names\n"
    "  --mph            speeds in mph instead of km/h\n"
    "  --overlay        draw the time, speed, position, heading and a G bar into the\n"
    "                   picture (re-encodes the video as H.264; no subtitle track)\n"
    "\n"
    "Exits 0, or 1 with the reason on standard error (2 for a wrong command line).\n";

constexpr char kProgram[] = "dashcam-clip";

std::atomic<bool> g_interrupted{false};  // set by SIGINT/SIGTERM: the copy stops and cleans up

extern "C" void onInterrupt(int)
{
    g_interrupted = true;
}

struct Options
{
    std::string folder = ".";
    std::string channel = "all";
    std::string from;
    std::string to;
    bool overlay = false;
    SpeedUnit unit = SpeedUnit::Kmh;
};

int usageError(const std::string& message)
{
    std::cerr << kProgram << ": " << message << "\n" << kUsage;
    return 2;
}

// Parses the command line; an exit status when the program ends here.
std::optional<int> parseOptions(const std::vector<std::string>& args, Options& options)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue =
            arg == "-o" || arg == "--channel" || arg == "--from" || arg == "--to";
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage << '\n' << kRepairUsage;
            return 0;
        }
        if (takesValue && i + 1 == args.size()) {
            return usageError(arg + " needs a value");
        }
        if (arg == "-o") {
            options.folder = args[++i];
        } else if (arg == "--channel") {
            options.channel = args[++i];
        } else if (arg == "--from") {
            options.from = args[++i];
        } else if (arg == "--to") {
            options.to = args[++i];
        } else if (arg == "--overlay") {
            options.overlay = true;
        } else if (arg == "--mph") {
            options.unit = SpeedUnit::Mph;
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            return usageError("unexpected argument " + arg);
        }
    }
    if (options.from.empty() || options.to.empty()) {
        return usageError("--from and --to are both needed");
    }
    if (options.channel != "F" && options.channel != "R" && options.channel != "I" &&
        options.channel != "all") {
        return usageError("--channel takes F, R, I or all");
    }
    return std::nullopt;
}

int fail(const std::string& reason)
{
    std::cerr << kProgram << ": " << reason << '\n';
    return 1;
}

std::optional<Channel> wantedChannel(const std::string& choice)
{
    if (choice == "all") {
        return std::nullopt;
    }
    return static_cast<Channel>(choice.front());
}

ClipRequest clipRequest(const ResolvedSpan& span, const ChannelRecordings& channel,
                        const Options& options)
{
    ClipRequest request;
    request.recordings = channel.recordings;
    request.in = span.in;
    request.out = span.out;
    request.folder = options.folder;
    request.name =
        unusedClipName(options.folder, clipBaseName(channel.recordings.front(), span.startUtcMs,
                                                    static_cast<char>(channel.channel)));
    request.unit = options.unit;
    if (options.overlay) {
        request.reencode = encodeWithOverlay;
    }
    return request;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (isRepairCommand(args)) {
        return runRepairCommand(args, std::cout, std::cerr);
    }
    Options options;
    if (const std::optional<int> status = parseOptions(args, options)) {
        return *status;
    }
    std::string error;
    const std::optional<When> from = parseWhen(options.from, error);
    const std::optional<When> to = from ? parseWhen(options.to, error) : std::nullopt;
    const std::optional<ResolvedSpan> span =
        to ? resolveSpan(*from, *to, ".", wantedChannel(options.channel), error) : std::nullopt;
    if (!span) {
        return fail(error);
    }
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    // Text needs a GUI application for its fonts; no window is ever shown.
    std::unique_ptr<QGuiApplication> fonts;
    if (options.overlay) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        fonts = std::make_unique<QGuiApplication>(argc, argv);
    }
    for (const ChannelRecordings& channel : span->channels) {
        const ClipResult result =
            exportClip(clipRequest(*span, channel, options), {nullptr, &g_interrupted});
        if (!result.ok) {
            return fail(result.error);
        }
        for (const std::string& path : result.written) {
            std::cout << path << '\n';
        }
        std::cout.flush();
    }
    return std::cout ? 0 : 1;
}
