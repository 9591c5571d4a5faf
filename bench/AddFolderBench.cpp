// Adding a folder of 200 pictures of 4000 x 3000 (the same 24-bit bitmap
// under 200 names): time per file and the peak memory of the process.

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "bench/BenchSupport.h"
#include "document/KiroDoc.h"
#include "picture/decoding/AutoDecoder.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr int kPictures = 200;

std::filesystem::path MakeFolder()
{
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("lumo-bench-folder-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    BmpImage image;
    image.width = kBenchWidth;
    image.height = kBenchHeight;
    image.bitsPerPixel = 24;
    image.pixels = BmpRows(SceneRows(kBenchWidth, kBenchHeight), 24);
    std::vector<uint8_t> bytes = WriteBmp(image);
    std::filesystem::path first = folder / "picture-000.bmp";
    std::ofstream(first, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    for (int i = 1; i < kPictures; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "picture-%03d.bmp", i);
        std::filesystem::create_hard_link(first, folder / name);
    }
    return folder;
}

double PeakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void AddFolder(benchmark::State& state)
{
    std::filesystem::path folder = MakeFolder();
    CAutoDecoder decoder;
    double seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        CKiroDoc document(decoder);
        document.OnNewDocument();
        document.AddFolder(nullptr, folder.string(), true);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (document.GetEntryCount() != kPictures)
            state.SkipWithError("not every picture was added");
    }
    state.counters["ms_per_file"] = 1000.0 * seconds / (static_cast<double>(kPictures) * state.iterations());
    state.counters["peak_MB"] = PeakMegabytes();
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(AddFolder)->Name("Document/add_folder_200_pictures_4000x3000")->Unit(benchmark::kSecond)->Iterations(1);
