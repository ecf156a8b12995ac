#include "telemetry/event_marks.h"

#include "telemetry/channel_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> kEventFolders = {"event", "ro", "evt_rec", "parking"};
constexpr std::array<std::string_view, 6> kChannelFolders = {"front",    "rear",  "inside",
                                                             "interior", "cabin", "tele"};

bool sameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

template <size_t N>
bool isOneOf(std::string_view name, const std::array<std::string_view, N>& names)
{
    return std::any_of(names.begin(), names.end(),
                       [name](std::string_view n) { return sameLetters(name, n); });
}

// The path's last part, and what is left before it (without the slash).
std::string_view lastPart(std::string_view path, std::string_view& before)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        before = {};
        return path;
    }
    before = path.substr(0, slash);
    return path.substr(slash + 1);
}

bool inEventFolder(std::string_view path)
{
    std::string_view rest;
    lastPart(path, rest);
    std::string_view above;
    const std::string_view parent = lastPart(rest, above);
    if (isOneOf(parent, kEventFolders)) {
        return true;
    }
    return isOneOf(parent, kChannelFolders) && !above.empty() &&
           isOneOf(lastPart(above, rest), kEventFolders);
}

}  // namespace

bool isEventPath(const std::string& path)
{
    if (inEventFolder(path)) {
        return true;
    }
    const std::optional<ChannelName> name = parseChannelName(path);
    return name && name->event;
}
