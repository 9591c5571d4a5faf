// Decoding from a file: a 4000 x 3000 24-bit BMP read from a file beside the
// same bytes decoded from memory, and the cost of trying a 100 MB file that
// is no picture, as adding a folder does for every file in it.

#include "bench/BenchSupport.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/TextException.h"
#include "tests/support/BmpWriter.h"

namespace {

const std::vector<uint8_t>& Bmp()
{
    static const std::vector<uint8_t> bytes = SceneBmp(kBenchWidth, kBenchHeight, 24);
    return bytes;
}

void FromMemory(benchmark::State& state)
{
    CAutoDecoder decoder;
    BenchDecode(state, decoder, Bmp());
}

void FromFile(benchmark::State& state)
{
    static const std::string path = Folder().Write("scene.bmp", Bmp());
    CAutoDecoder decoder;
    CDibSectionBitmap bitmap;
    for (auto _ : state) {
        decoder.DecodeFile(path.c_str(), bitmap, 0, nullptr);
        benchmark::DoNotOptimize(bitmap.GetLines());
    }
    CountMegapixels(state);
}

void LargeFileThatIsNoPicture(benchmark::State& state)
{
    static const std::string path = Folder().Write("video.mov", std::vector<uint8_t>(100 << 20, 'x'));
    CAutoDecoder decoder;
    CDibSectionBitmap bitmap;
    for (auto _ : state) {
        try {
            decoder.DecodeFile(path.c_str(), bitmap, 0, nullptr);
            state.SkipWithError("the file decoded");
            return;
        } catch (const CTextException& error) {
            benchmark::DoNotOptimize(error.GetCode());
        }
    }
}

}  // namespace

BENCHMARK(FromMemory)->Name("BMP_24bit_file/from_memory")->Unit(benchmark::kMillisecond);
BENCHMARK(FromFile)->Name("BMP_24bit_file/from_file")->Unit(benchmark::kMillisecond);
BENCHMARK(LargeFileThatIsNoPicture)->Name("Refuse_100MB_non_picture_file")->Unit(benchmark::kMicrosecond);
