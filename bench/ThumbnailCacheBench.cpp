// The thumbnail cache: a lookup in a warm cache of 1,000 thumbnails, storing
// a thumbnail (both with their share of the batched writes), and reopening a
// collection of 1,000 entries from a warm cache: open, every lookup, close.

#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "document/Thumbnail.h"
#include "document/ThumbnailCache.h"
#include "picture/decoding/AutoDecoder.h"
#include "tests/support/BmpWriter.h"

namespace {

constexpr int kEntries = 1000;

// A true-colour thumbnail, the largest kind: 30,000 bytes.
const gdi::CDibSection& SceneThumbnail()
{
    static std::unique_ptr<gdi::CDibSection> thumbnail = [] {
        CAutoDecoder decoder;
        return MakeFileThumbnail(decoder, Folder().Write("scene.bmp", SceneBmp(400, 300, 24)));
    }();
    return *thumbnail;
}

os::FileStamp Stamp(int i)
{
    return {"/home/someone/Pictures/holiday/IMG_" + std::to_string(10000 + i) + ".JPG", 4500000 + i,
            int64_t {1700000000} * 1000000000 + i};
}

// A cache file holding the thumbnails of kEntries files.
std::string WarmCacheFile()
{
    static std::string file;
    if (file.empty()) {
        file = Folder().Write("warm.sqlite3", std::vector<uint8_t>());
        CThumbnailCache cache(file);
        for (int i = 0; i < kEntries; ++i)
            cache.Store(Stamp(i), &SceneThumbnail());
    }
    return file;
}

void WarmFind(benchmark::State& state)
{
    CThumbnailCache cache(WarmCacheFile());
    int i = 0;
    for (auto _ : state) {
        std::unique_ptr<gdi::CDibSection> thumbnail;
        if (cache.Find(Stamp(i), thumbnail) != IThumbnailStore::Found::Thumbnail) {
            state.SkipWithError("a thumbnail was not found");
            return;
        }
        i = (i + 1) % kEntries;
    }
}

void Store(benchmark::State& state)
{
    std::string file = Folder().Write("store.sqlite3", std::vector<uint8_t>());
    CThumbnailCache cache(file);
    int i = 0;
    for (auto _ : state) {
        cache.Store(Stamp(i), &SceneThumbnail());
        i = (i + 1) % kEntries;
    }
    cache.Flush();
}

void Reopen(benchmark::State& state)
{
    std::string file = WarmCacheFile();
    for (auto _ : state) {
        CThumbnailCache cache(file);
        for (int i = 0; i < kEntries; ++i) {
            std::unique_ptr<gdi::CDibSection> thumbnail;
            cache.Find(Stamp(i), thumbnail);
            benchmark::DoNotOptimize(thumbnail);
        }
    }
    state.counters["entries/s"] =
        benchmark::Counter(static_cast<double>(kEntries) * state.iterations(), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(WarmFind)->Name("ThumbnailCache_WarmFind")->Unit(benchmark::kMicrosecond);
BENCHMARK(Store)->Name("ThumbnailCache_Store")->Unit(benchmark::kMicrosecond);
BENCHMARK(Reopen)->Name("ThumbnailCache_Reopen1000")->Unit(benchmark::kMillisecond);
