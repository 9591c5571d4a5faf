// TIFF decoding of a 4000 x 3000 LZW RGB picture, beside libtiff's own RGBA
// reader on the same bytes in memory (mapped, as the decoder maps them):
// into a new raster each time, as the decoder fills a new bitmap, and into
// one raster reused, which leaves the decoding alone.

#include "bench/BenchSupport.h"
#include "picture/formats/TIFFDecoder.h"
#include "tests/support/TiffReference.h"
#include "tests/support/TiffWriter.h"

namespace {

const std::vector<uint8_t>& LzwRgb()
{
    static const std::vector<uint8_t> file = WriteTiff(SceneTiff(kBenchWidth, kBenchHeight, COMPRESSION_LZW));
    return file;
}

void Lumo(benchmark::State& state)
{
    CTIFFDecoder decoder;
    BenchDecode(state, decoder, LzwRgb());
}

void Libtiff(benchmark::State& state)
{
    for (auto _ : state) {
        TiffRgba pixels = ReadTiffRgba(LzwRgb());
        if (pixels.pixels.empty()) {
            state.SkipWithError("libtiff refused the picture");
            return;
        }
        benchmark::DoNotOptimize(pixels.pixels.data());
    }
    CountMegapixels(state);
}

void LibtiffReusedRaster(benchmark::State& state)
{
    TiffRgba pixels;
    for (auto _ : state) {
        if (!ReadTiffRgbaInto(LzwRgb(), pixels)) {
            state.SkipWithError("libtiff refused the picture");
            return;
        }
        benchmark::DoNotOptimize(pixels.pixels.data());
    }
    CountMegapixels(state);
}

}  // namespace

BENCHMARK(Lumo)->Name("TIFF_LZW_RGB/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK(Libtiff)->Name("TIFF_LZW_RGB/libtiff")->Unit(benchmark::kMillisecond);
BENCHMARK(LibtiffReusedRaster)->Name("TIFF_LZW_RGB/libtiff_reuse")->Unit(benchmark::kMillisecond);
