// The collection document: a thumbnail from a 4000 x 3000 BMP file (decode
// and drawing, as adding a picture costs), and loading a collection of 1,000
// entries of 640 x 480 BMPs with its time, peak memory and memory per entry.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchSupport.h"
#include "document/KiroDoc.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/Trace.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/KirWriter.h"

namespace {

constexpr int kCollectionEntries = 1000;

// A field of /proc/self/status in kilobytes (VmRSS, VmHWM).
double StatusKilobytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::atof(line.c_str() + field.size() + 1);
    return 0;
}

// Starts a new peak of the resident set size.
void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void Thumbnail(benchmark::State& state, int bitsPerPixel)
{
    static std::string paths[33];
    std::string& path = paths[bitsPerPixel];
    if (path.empty())
        path = Folder().Write(FormatText("thumb%d.bmp", bitsPerPixel),
                              SceneBmp(kBenchWidth, kBenchHeight, bitsPerPixel));
    CAutoDecoder decoder;
    CKiroDoc document(decoder);
    for (auto _ : state) {
        ImageEntry entry {path, "", nullptr};
        if (!document.BuildThumbnail(entry)) {
            state.SkipWithError("the picture did not decode");
            return;
        }
        benchmark::DoNotOptimize(entry.thumbnail);
    }
    CountMegapixels(state);
}

std::string CollectionFile()
{
    static std::string path;
    if (!path.empty())
        return path;
    std::vector<uint8_t> picture = SceneBmp(640, 480, 24);
    ByteWriter file;
    AddRecord(file, FormatText("%d\r\n", kCollectionEntries));
    for (int i = 0; i < kCollectionEntries; ++i)
        AddRecord(file, FormatText("%s\r\n", Folder().Write(FormatText("p%d.bmp", i), picture).c_str()));
    path = Folder().Write("collection.kir", file.Take());
    return path;
}

void LoadCollection(benchmark::State& state)
{
    std::string path = CollectionFile();
    CAutoDecoder decoder;
    CKiroDoc document(decoder);
    double peakKilobytes = 0;
    double entryBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        document.OnNewDocument();
        double before = StatusKilobytes("VmRSS");
        ResetPeakMemory();
        state.ResumeTiming();
        if (!document.OnOpenDocument(path) || document.GetEntryCount() != kCollectionEntries) {
            state.SkipWithError("the collection did not load whole");
            return;
        }
        state.PauseTiming();
        peakKilobytes = StatusKilobytes("VmHWM");
        // The first load shows the growth best: later ones reuse the heap the previous one freed.
        entryBytes = std::max(entryBytes, (StatusKilobytes("VmRSS") - before) * 1024 / kCollectionEntries);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakKilobytes / 1024;
    state.counters["bytes/entry"] = entryBytes;
    state.counters["entries/s"] = benchmark::Counter(static_cast<double>(kCollectionEntries) * state.iterations(),
                                                     benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_CAPTURE(Thumbnail, 24, 24)->Name("Thumbnail_24bit/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Thumbnail, 8, 8)->Name("Thumbnail_8bit/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadCollection)->Name("LoadCollection_1000x640x480")->Unit(benchmark::kMillisecond)->Iterations(3);
