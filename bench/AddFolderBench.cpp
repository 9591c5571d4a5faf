// A folder of 1,000 photo-like JPEG files of 4000 x 3000 in the viewer on
// Qt's offscreen platform: added with an empty thumbnail cache, then a
// collection of the same photos opened by a new viewer, whose cache now holds
// every thumbnail. Each reports the time to its last thumbnail and the
// longest the interface thread kept a 1 ms timer waiting meanwhile. The
// cache lives in the run's own XDG_CACHE_HOME (set by BenchMain).

#include <filesystem>

#include "app/KiroApp.h"
#include "app/MainFrame.h"
#include "bench/BenchSupport.h"
#include "bench/PhotoFolder.h"
#include "bench/ViewerSupport.h"
#include "document/ThumbnailCache.h"
#include "picture/decoding/Trace.h"
#include "tests/support/KirWriter.h"

namespace {

constexpr int kPhotos = 1000;

// The collection of the folder's photos, in the order adding the folder gives.
QString PhotoCollection()
{
    ByteWriter kir;
    AddRecord(kir, FormatText("%d\r\n", kPhotos));
    for (const std::string& path : PhotoPaths(kPhotos, kBenchWidth, kBenchHeight))
        AddRecord(kir, path + "\r\n");
    return QString::fromStdString(Folder().Write("photos.kir", kir.Take()));
}

LoadTimes Open(const QString& collection)
{
    CKiroApp app;
    LoadTimes times = RunLoad(app.Document(), [&] { app.InitInstance({collection}); });
    times.entries = app.Document().GetEntryCount();
    return times;
}

void Report(benchmark::State& state, const LoadTimes& times)
{
    state.SetIterationTime(times.seconds);
    state.counters["ms_per_file"] = 1000.0 * times.seconds / kPhotos;
    state.counters["longest_gap_ms"] = times.longestGapMs;
    if (times.entries != kPhotos)
        state.SkipWithError("not every photo was added");
}

void AddFolderCold(benchmark::State& state)
{
    Application();
    std::string folder = PhotoFolder(kPhotos, kBenchWidth, kBenchHeight);
    for (auto _ : state) {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(CThumbnailCache::DefaultFile()).parent_path(), ignored);
        CKiroApp app;
        app.InitInstance({});
        app.MainFrame()->resize(1024, 768);
        LoadTimes times = RunLoad(app.Document(), [&] { app.Document().StartAdding({folder}); });
        times.entries = app.Document().GetEntryCount();
        Report(state, times);
    }
}

void ReopenWarm(benchmark::State& state)
{
    Application();
    QString collection = PhotoCollection();
    // Fills the cache when this runs alone; after the add it takes well under a second.
    Open(collection);
    for (auto _ : state)
        Report(state, Open(collection));
}

}  // namespace

BENCHMARK(AddFolderCold)
    ->Name("Collection/add_folder_1000_photos_4000x3000_cold_cache")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK(ReopenWarm)
    ->Name("Collection/open_1000_photos_4000x3000_warm_cache")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
