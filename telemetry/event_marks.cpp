#include "telemetry/event_marks.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> kEventFolders = {"event", "ro", "evt_rec", "parking"};
constexpr std::array<std::string_view, 6> kChannelFolders = {"front",    "rear",  "inside",
                                                             "interior", "cabin", "tele"};
constexpr std::string_view kChannelLetters = "FRIT";
constexpr std::string_view kEventLetters = "EP";

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

bool hasLetter(std::string_view letters, char c)
{
    return letters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(c)))) !=
           std::string_view::npos;
}

// "..._EF", "...0001EF": an event letter and a channel letter after a separator or digit.
bool namedAsEvent(std::string_view path)
{
    std::string_view folder;
    std::string_view base = lastPart(path, folder);
    base = base.substr(0, std::min(base.rfind('.'), base.size()));
    if (base.size() < 3) {
        return false;
    }
    const char before = base[base.size() - 3];
    const bool separated =
        before == '_' || before == '-' || std::isdigit(static_cast<unsigned char>(before)) != 0;
    return separated && hasLetter(kEventLetters, base[base.size() - 2]) &&
           hasLetter(kChannelLetters, base.back());
}

}  // namespace

bool isEventPath(const std::string& path)
{
    return inEventFolder(path) || namedAsEvent(path);
}
