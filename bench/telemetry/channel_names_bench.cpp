// Pairing a card's channels into moments: the names alone, and one file's moment found on
// disk as when it is opened from a file manager.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/benchmark_args.h"
#include <benchmark/benchmark.h>

#include "telemetry/channel_names.h"

namespace {

namespace fs = std::filesystem;

// A full card: a day's one-minute moments of front, rear and interior.
constexpr int kMoments = 1440;

// Front, rear and interior of every minute; the rear named a second later.
std::vector<std::string> cardNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (int m = 0; m < kMoments; ++m) {
        char name[64];
        for (const char* channel : {"F", "R", "I"}) {
            const int second = channel[0] == 'R' ? 1 : 0;
            std::snprintf(name, sizeof name, "/2026_0820_%02d%02d%02d_%04d%s.MP4", m / 60, m % 60,
                          second, m, channel);
            names.push_back(folder + name);
        }
    }
    return names;
}

const StartTimeOf kNoStartTimes = [](const std::string&) { return std::nullopt; };

void groupCard(benchmark::State& state)
{
    const std::vector<std::string> names = cardNames("/card/DCIM/Movie");
    for (auto _ : state) {
        benchmark::DoNotOptimize(groupMoments(names, kNoStartTimes).size());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
BENCHMARK(groupCard)->Unit(benchmark::kMillisecond);

// The card's files written once (empty: only names count), removed at exit.
class Card
{
public:
    Card() : m_root(fs::temp_directory_path() / "bench-channel-names")
    {
        fs::remove_all(m_root);
        fs::create_directories(m_root / "DCIM" / "Movie" / "RO");
        m_names = cardNames((m_root / "DCIM" / "Movie").string());
        for (const std::string& name : m_names) {
            if (!std::ofstream(name)) {
                std::abort();
            }
        }
    }
    ~Card() { fs::remove_all(m_root); }
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;

    const std::vector<std::string>& names() const { return m_names; }

private:
    fs::path m_root;
    std::vector<std::string> m_names;
};

void findMomentOnCard(benchmark::State& state)
{
    static const Card card;
    const std::string& rear = card.names()[card.names().size() / 2 + 1];
    for (auto _ : state) {
        const MomentFiles moment = findMoment(rear, kNoStartTimes);
        if (moment.channels.size() != 3) {
            state.SkipWithError("the moment lost a channel");
        }
    }
}
BENCHMARK(findMomentOnCard)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (const int status =
            takeBenchmarkArgs(&argc, argv, "usage: bench_channel_names [benchmark options]\n");
        status >= 0) {
        return status;
    }
    return runBenchmarks();
}
