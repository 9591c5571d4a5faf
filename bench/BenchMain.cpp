// Runs every benchmark, then sets each decoder beside its peers: benchmarks
// named "<case>/<decoder>" report megapixels per second ("MP/s"), and the
// summary gives each decoder's speed as a ratio to the first one of its case.
// The thumbnail cache of the run lives in its own temporary folder, never in
// the user's.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto counter = run.counters.find("MP/s");
            if (counter == run.counters.end() || run.run_type != Run::RT_Iteration)
                continue;
            std::string name = run.benchmark_name();
            size_t slash = name.find('/');
            if (slash == std::string::npos)
                continue;
            std::string group = name.substr(0, slash);
            if (speeds_.find(group) == speeds_.end())
                order_.push_back(group);
            speeds_[group].push_back({name.substr(slash + 1), counter->second.value});
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-28s %-14s %12s %10s\n", "case", "decoder", "MP/s", "ratio");
        for (const std::string& group : order_) {
            const auto& entries = speeds_[group];
            for (const auto& [decoder, speed] : entries)
                std::printf("%-28s %-14s %12.1f %10.2f\n", group.c_str(), decoder.c_str(), speed,
                            speed / entries.front().second);
        }
    }

private:
    std::vector<std::string> order_;
    std::map<std::string, std::vector<std::pair<std::string, double>>> speeds_;
};

}  // namespace

int main(int argc, char** argv)
{
    setenv("XDG_CACHE_HOME", (Folder().Path() + "/cache").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
