#include "telemetry/channel_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <regex>
#include <set>
#include <string_view>
#include <system_error>
#include <unordered_map>

#include "telemetry/file_name.h"

namespace fs = std::filesystem;

namespace {

// Sub-match numbers of a family's pattern; 0 where the family has no such field.
struct NameFields
{
    int year, month, day, hour, minute, second;
    int sequence;  // part of the moment key: the channels of a moment share it
    int mark;      // N, E, P or M
    int channel;   // the channel letter; a name without one is the front
};

// One naming family. letters[i] names the channel channels[i].
struct NamingFamily
{
    const char* name;
    const char* pattern;  // the whole stem, any letter case
    NameFields fields;
    const char* letters;
    const char* channels;
    bool twoDigitYear;
};

// Every naming family, tried in this order. The mode-letter family comes before the
// dated-sequence one: "..._EF" reads the same in both, "..._NF" only in the first.
constexpr std::array kFamilies = {
    NamingFamily{"mode letter",
                 R"((\d{4})(\d{2})(\d{2})_(\d{2})(\d{2})(\d{2})_([NEPM])([FRI]))",
                 {1, 2, 3, 4, 5, 6, 0, 7, 8},
                 "FRI",
                 "FRI",
                 false},
    NamingFamily{
        "dated sequence",
        R"((\d{4})_?(\d{2})(\d{2})_(\d{2})(\d{2})(\d{2})(?:_(\d{3,6}))?_?([EP]?)([FRIT]?))",
        {1, 2, 3, 4, 5, 6, 7, 8, 9},
        "FRIT",
        "FRIT",
        false},
    NamingFamily{"short date",
                 R"((\d{2})(\d{2})(\d{2})_(\d{2})(\d{2})(\d{2})_(\d{3,6})_([FR])[HL])",
                 {1, 2, 3, 4, 5, 6, 7, 0, 8},
                 "FR",
                 "FR",
                 true},
    NamingFamily{"A/B",
                 R"((\d{4})_?(\d{2})(\d{2})_(\d{2})(\d{2})(\d{2})_(\d{3,6})([AB]))",
                 {1, 2, 3, 4, 5, 6, 7, 0, 8},
                 "AB",
                 "FR",
                 false},
};

constexpr char kChannelFolderFamily[] = "channel folder";

// Folders a camera sorts one moment's files into; a moment's files lie under the folder
// above them (its tree).
constexpr std::array<std::string_view, 9> kCameraFolders = {
    "front", "rear", "interior", "movie", "ro", "parking", "event", "normal", "record"};

// How far below a tree findMoment looks, and how many entries it reads at most.
constexpr int kMaxTreeDepth = 3;
constexpr size_t kMaxScannedEntries = 100000;

// Start times of a moment's channels lie this close; names this many seconds.
constexpr double kFallbackStartSeconds = 2.0;
constexpr int64_t kNameSeconds = 1;

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::optional<Channel> channelFolder(const std::string& folderName)
{
    const std::string name = lower(folderName);
    if (name == "front") {
        return Channel::Front;
    }
    if (name == "rear") {
        return Channel::Rear;
    }
    if (name == "interior") {
        return Channel::Interior;
    }
    return std::nullopt;
}

bool isCameraFolder(const fs::path& folder)
{
    const std::string name = lower(folder.filename().string());
    return std::find(kCameraFolders.begin(), kCameraFolders.end(), name) != kCameraFolders.end();
}

// The folder above the camera's own folders the file lies in.
fs::path treeOf(const fs::path& file)
{
    fs::path folder = file.parent_path();
    while (!folder.empty() && isCameraFolder(folder)) {
        folder = folder.parent_path();
    }
    return folder;
}

int rank(Channel channel)
{
    constexpr std::array kOrder = {Channel::Front, Channel::Rear, Channel::Interior, Channel::Tele};
    return static_cast<int>(std::find(kOrder.begin(), kOrder.end(), channel) - kOrder.begin());
}

int number(const std::smatch& match, int field)
{
    return std::stoi(match[field].str());
}

// Seconds since 1970 of the named date and time, counted as if UTC; nothing for a date
// that does not exist.
std::optional<int64_t> namedTime(const std::smatch& match, const NamingFamily& family)
{
    using namespace std::chrono;
    const NameFields& f = family.fields;
    const int year = number(match, f.year) + (family.twoDigitYear ? 2000 : 0);
    const year_month_day date{std::chrono::year(year),
                              std::chrono::month(static_cast<unsigned>(number(match, f.month))),
                              std::chrono::day(static_cast<unsigned>(number(match, f.day)))};
    const int hour = number(match, f.hour), minute = number(match, f.minute),
              second = number(match, f.second);
    if (!date.ok() || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    const auto days = sys_days(date).time_since_epoch();
    return duration_cast<seconds>(days).count() + hour * 3600 + minute * 60 + second;
}

char upperLetter(const std::smatch& match, int field)
{
    const std::string text = field == 0 ? std::string() : match[field].str();
    return text.empty() ? '\0'
                        : static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
}

// The compiled naming families.
class NameParser
{
public:
    NameParser()
    {
        for (const NamingFamily& family : kFamilies) {
            m_patterns.emplace_back(family.pattern, std::regex::ECMAScript | std::regex::icase);
        }
    }

    std::optional<ChannelName> parse(const fs::path& path) const
    {
        std::optional<NamedStem> named = parseName(path.stem().string());
        if (named && named->lettered) {
            return named->name;
        }
        const std::optional<Channel> folder = channelFolder(path.parent_path().filename().string());
        if (named) {
            // A name without a channel letter under Rear/ is the rear.
            named->name.channel = folder.value_or(Channel::Front);
            return named->name;
        }
        if (!folder) {
            return std::nullopt;
        }
        return ChannelName{kChannelFolderFamily, *folder, path.filename().string(), std::nullopt,
                           false};
    }

private:
    struct NamedStem
    {
        ChannelName name;
        bool lettered;  // the name carries its channel letter
    };

    std::optional<NamedStem> parseName(const std::string& stem) const
    {
        std::smatch match;
        for (size_t i = 0; i < kFamilies.size(); ++i) {
            if (!std::regex_match(stem, match, m_patterns[i])) {
                continue;
            }
            const NamingFamily& family = kFamilies[i];
            const std::optional<int64_t> time = namedTime(match, family);
            if (!time) {
                continue;
            }
            const char letter = upperLetter(match, family.fields.channel);
            const char* at = letter == '\0' ? nullptr : std::strchr(family.letters, letter);
            const Channel channel =
                at ? static_cast<Channel>(family.channels[at - family.letters]) : Channel::Front;
            const char mark = upperLetter(match, family.fields.mark);
            const std::string sequence =
                family.fields.sequence == 0 ? std::string() : match[family.fields.sequence].str();
            return NamedStem{{family.name, channel, std::string(family.name) + "#" + sequence, time,
                              mark == 'E' || mark == 'P'},
                             at != nullptr};
        }
        return std::nullopt;
    }

    std::vector<std::regex> m_patterns;
};

bool isChannelLetter(char c)
{
    return c != '\0' && std::strchr("FRIT", std::toupper(static_cast<unsigned char>(c))) != nullptr;
}

bool isLetter(const std::string& text, size_t i)
{
    return i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]));
}

// A stem of no family: its last channel letter that stands alone (no letter beside it),
// and the stem with that letter taken out.
struct LetteredStem
{
    Channel channel;
    std::string rest;
};

std::optional<LetteredStem> letteredStem(const std::string& stem)
{
    for (size_t i = stem.size(); i-- > 0;) {
        if (isChannelLetter(stem[i]) && (i == 0 || !isLetter(stem, i - 1)) &&
            !isLetter(stem, i + 1)) {
            const auto letter =
                static_cast<char>(std::toupper(static_cast<unsigned char>(stem[i])));
            return LetteredStem{static_cast<Channel>(letter),
                                stem.substr(0, i) + '\x01' + stem.substr(i + 1)};
        }
    }
    return std::nullopt;
}

// How one file may join a moment.
struct Identity
{
    enum Kind { Named, Fallback, Lone } kind = Lone;
    Channel channel = Channel::Front;
    std::string key;     // with the tree; empty for a lone file
    int64_t time = 0;    // the named time
    int64_t spread = 0;  // how far the partners' named times may lie from it
};

// Compiled once: a pattern costs far more to compile than to match, and matching a const
// regex is safe from any thread.
const NameParser& nameParser()
{
    static const NameParser parser;
    return parser;
}

Identity identify(const std::string& path)
{
    const fs::path file(path);
    const std::string tree = treeOf(file).string() + '\n';
    if (const std::optional<ChannelName> name = nameParser().parse(file)) {
        if (std::string_view(name->family) == kChannelFolderFamily) {
            // Only the direct channel folder counts, so the tree is its parent.
            const std::string parent = file.parent_path().parent_path().string() + '\n';
            return {Identity::Named, name->channel, parent + name->momentKey, 0, 0};
        }
        return {Identity::Named, name->channel, tree + name->momentKey, name->time.value_or(0),
                kNameSeconds};
    }
    if (std::optional<LetteredStem> lettered = letteredStem(file.stem().string())) {
        return {Identity::Fallback, lettered->channel, tree + lettered->rest, 0, 0};
    }
    return {};
}

class MomentGrouper
{
public:
    explicit MomentGrouper(const StartTimeOf& startOf) : m_startOf(startOf) {}

    // `position` is the file's place among the paths given: moments keep the order of
    // their first files.
    void add(const std::string& path, const Identity& id, size_t position)
    {
        if (const std::optional<size_t> joined = findMoment(id, path)) {
            Moment& moment = m_moments[*joined];
            moment.files.channels.push_back({id.channel, path});
            moment.position = std::min(moment.position, position);
            // A named channel is a partner's time in its own right: the next may be named a
            // second after it.
            if (id.kind == Identity::Named) {
                m_index[indexKey(id.key, id.time)].push_back(*joined);
            }
            return;
        }
        Moment moment{MomentFiles{{ChannelFile{id.channel, path}}}, id.kind, path, std::nullopt,
                      position};
        m_moments.push_back(std::move(moment));
        if (id.kind != Identity::Lone) {
            m_index[indexKey(id.key, id.time)].push_back(m_moments.size() - 1);
        }
    }

    std::vector<MomentFiles> take()
    {
        std::stable_sort(m_moments.begin(), m_moments.end(),
                         [](const Moment& a, const Moment& b) { return a.position < b.position; });
        std::vector<MomentFiles> result;
        result.reserve(m_moments.size());
        for (Moment& moment : m_moments) {
            auto& channels = moment.files.channels;
            if (moment.kind == Identity::Fallback && channels.size() == 1) {
                // A letter in a name of no family is no channel until a partner confirms it.
                channels.front().channel = Channel::Front;
            }
            std::stable_sort(channels.begin(), channels.end(),
                             [](const ChannelFile& a, const ChannelFile& b) {
                                 return rank(a.channel) < rank(b.channel);
                             });
            result.push_back(std::move(moment.files));
        }
        return result;
    }

private:
    struct Moment
    {
        MomentFiles files;
        Identity::Kind kind;
        std::string anchor;  // the first file: times are compared with its
        std::optional<std::optional<double>> anchorStart;
        size_t position = 0;  // the first of its files among the paths given
    };

    static std::string indexKey(const std::string& key, int64_t time)
    {
        return key + '@' + std::to_string(time);
    }

    bool lacks(const Moment& moment, Channel channel) const
    {
        return std::none_of(moment.files.channels.begin(), moment.files.channels.end(),
                            [channel](const ChannelFile& file) { return file.channel == channel; });
    }

    bool startsClose(Moment& moment, std::optional<std::optional<double>>& start,
                     const std::string& path)
    {
        if (!moment.anchorStart) {
            moment.anchorStart = m_startOf ? m_startOf(moment.anchor) : std::nullopt;
        }
        if (!start) {
            start = m_startOf ? m_startOf(path) : std::nullopt;
        }
        return *moment.anchorStart && *start &&
               std::abs(**moment.anchorStart - **start) <= kFallbackStartSeconds;
    }

    std::optional<size_t> findMoment(const Identity& id, const std::string& path)
    {
        if (id.kind == Identity::Lone) {
            return std::nullopt;
        }
        std::optional<std::optional<double>> start;  // read once, only when a partner is near
        for (int64_t t = id.time - id.spread; t <= id.time + id.spread; ++t) {
            const auto found = m_index.find(indexKey(id.key, t));
            if (found == m_index.end()) {
                continue;
            }
            for (size_t index : found->second) {
                Moment& moment = m_moments[index];
                if (moment.kind == id.kind && lacks(moment, id.channel) &&
                    (id.kind == Identity::Named || startsClose(moment, start, path))) {
                    return index;
                }
            }
        }
        return std::nullopt;
    }

    const StartTimeOf& m_startOf;
    std::vector<Moment> m_moments;
    std::unordered_map<std::string, std::vector<size_t>> m_index;
};

// Directories that hold the file's moment: its own folder first, then every camera folder
// under its tree, a few levels deep.
std::vector<fs::path> momentFolders(const fs::path& file)
{
    const fs::path own = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    std::vector<fs::path> folders = {own};
    const fs::path tree = treeOf(file);
    std::vector<std::pair<fs::path, int>> pending = {{tree.empty() ? fs::path(".") : tree, 0}};
    size_t scanned = 0;
    while (!pending.empty()) {
        const auto [folder, depth] = pending.back();
        pending.pop_back();
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (++scanned > kMaxScannedEntries) {
                return folders;
            }
            std::error_code typeError;
            if (depth < kMaxTreeDepth && isCameraFolder(it->path()) &&
                it->is_directory(typeError)) {
                folders.push_back(it->path());
                pending.emplace_back(it->path(), depth + 1);
            }
        }
    }
    return folders;
}

bool sameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return a.lexically_normal() == b.lexically_normal() || fs::equivalent(a, b, error);
}

// The recordings in the folders, the file itself first and not again.
std::vector<std::string> momentCandidates(const fs::path& file)
{
    std::vector<std::string> paths = {file.string()};
    std::set<fs::path> seen;
    size_t scanned = 0;
    for (const fs::path& folder : momentFolders(file)) {
        std::error_code canonicalError;
        if (!seen.insert(fs::weakly_canonical(folder, canonicalError)).second) {
            continue;
        }
        const bool own = sameFolder(folder, file.parent_path().empty() ? "." : file.parent_path());
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (++scanned > kMaxScannedEntries) {
                return paths;
            }
            std::error_code typeError;
            const fs::path& entry = it->path();
            if ((own && entry.filename() == file.filename()) ||
                !isRecordingExtension(upperExtension(entry.string())) ||
                !it->is_regular_file(typeError)) {
                continue;
            }
            paths.push_back(entry.string());
        }
    }
    return paths;
}

}  // namespace

std::optional<ChannelName> parseChannelName(const std::string& path)
{
    return nameParser().parse(fs::path(path));
}

std::vector<MomentFiles> groupMoments(const std::vector<std::string>& paths,
                                      const StartTimeOf& startOf)
{
    std::vector<Identity> ids;
    ids.reserve(paths.size());
    for (const std::string& path : paths) {
        ids.push_back(identify(path));
    }
    // Named files join in the order of their named times, so that channels named a second
    // apart one after another meet whatever order the paths come in.
    std::vector<size_t> order(paths.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&ids](size_t a, size_t b) { return ids[a].time < ids[b].time; });
    MomentGrouper grouper(startOf);
    for (size_t i : order) {
        grouper.add(paths[i], ids[i], i);
    }
    return grouper.take();
}

MomentFiles findMoment(const std::string& path, const StartTimeOf& startOf)
{
    const fs::path file(path);
    const std::optional<ChannelName> own = parseChannelName(path);
    if (!own && !letteredStem(file.stem().string())) {
        return {{{Channel::Front, path}}};
    }
    std::vector<MomentFiles> moments = groupMoments(momentCandidates(file), startOf);
    return moments.front();
}
