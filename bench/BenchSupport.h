#pragma once

#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/PictureDecoder.h"
#include "tests/support/BareDecoders.h"

// The size of every decoding benchmark's picture: 12 megapixels.
constexpr int kBenchWidth = 4000;
constexpr int kBenchHeight = 3000;

// Sets the megapixels-per-second counter of a decoding benchmark.
inline void CountMegapixels(benchmark::State& state, int width = kBenchWidth, int height = kBenchHeight)
{
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(width) * height / 1e6 * state.iterations(),
                                                benchmark::Counter::kIsRate);
}

// Decodes `bytes` into one reused bitmap, as the viewer does, each iteration.
inline void BenchDecode(benchmark::State& state, CPictureDecoder& decoder, const std::vector<uint8_t>& bytes)
{
    CDibSectionBitmap bitmap;
    for (auto _ : state) {
        decoder.DecodeMemory(bytes.data(), bytes.size(), bitmap, 0);
        benchmark::DoNotOptimize(bitmap.GetLines());
    }
    CountMegapixels(state, bitmap.GetWidth(), bitmap.GetHeight());
}

// Decodes `bytes` with stb_image each iteration, into as many channels as the file has.
inline void BenchStbDecode(benchmark::State& state, const std::vector<uint8_t>& bytes)
{
    for (auto _ : state) {
        int width = 0;
        int height = 0;
        int channels = 0;
        stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                                                &channels, 0);
        if (pixels == nullptr) {
            state.SkipWithError(stbi_failure_reason());
            return;
        }
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    CountMegapixels(state);
}

// Decodes `bytes` with an image library alone each iteration. The rows go to
// a bitmap made afresh for each decode, as a decoder's do, so that both pay
// the same for their memory.
inline void BenchBare(benchmark::State& state, const std::vector<uint8_t>& bytes,
                      bool (*decode)(const std::vector<uint8_t>&, const RowDestination&))
{
    CDibSectionBitmap bitmap;
    RowDestination intoBitmap = [&](int width, int height, int bytesPerPixel) {
        bitmap.Create(width, height, bytesPerPixel == 1 ? 8 : 32, false);
        return bitmap.GetLines();
    };
    for (auto _ : state) {
        if (!decode(bytes, intoBitmap)) {
            state.SkipWithError("the library refused the picture");
            return;
        }
        benchmark::DoNotOptimize(bitmap.GetLines());
    }
    CountMegapixels(state);
}

// A folder for the benchmarks' files, removed at exit.
class BenchFolder {
public:
    BenchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lumo-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::string& Path() const { return path_; }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::string path = (std::filesystem::path(path_) / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::string path_;
};

// The one folder of the benchmark run.
inline BenchFolder& Folder()
{
    static BenchFolder folder;
    return folder;
}
