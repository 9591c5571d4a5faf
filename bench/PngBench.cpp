// PNG decoding of a 4000 x 3000 picture, beside libpng alone with the same
// transformations and beside stb_image, on the same bytes.

#include <png.h>

#include "bench/BenchSupport.h"
#include "picture/formats/PNGDecoder.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestPictures.h"

namespace {

// 0: RGB, 8 bits; 1: palette of the 6 x 6 x 6 colour cube.
const std::vector<uint8_t>& Png(int kind)
{
    static std::vector<uint8_t> files[2];
    std::vector<uint8_t>& file = files[kind];
    if (!file.empty())
        return file;
    PngImage image;
    image.width = kBenchWidth;
    image.height = kBenchHeight;
    if (kind == 0) {
        for (const auto& row : SceneRows(kBenchWidth, kBenchHeight)) {
            std::vector<uint16_t> samples;
            for (uint32_t pixel : row)
                samples.insert(samples.end(), {static_cast<uint16_t>(pixel >> 16),
                                               static_cast<uint16_t>((pixel >> 8) & 0xFF),
                                               static_cast<uint16_t>(pixel & 0xFF)});
            image.rows.push_back(std::move(samples));
        }
    } else {
        image.colorType = PNG_COLOR_TYPE_PALETTE;
        image.palette = CubePalette();
        for (const auto& row : SceneIndices(kBenchWidth, kBenchHeight))
            image.rows.emplace_back(row.begin(), row.end());
    }
    file = WritePng(image);
    return file;
}

void Lumo(benchmark::State& state, int kind)
{
    CPNGDecoder decoder;
    BenchDecode(state, decoder, Png(kind));
}

void Libpng(benchmark::State& state, int kind)
{
    BenchBare(state, Png(kind), DecodePngBare);
}

void Stb(benchmark::State& state, int kind)
{
    BenchStbDecode(state, Png(kind));
}

}  // namespace

BENCHMARK_CAPTURE(Lumo, 0, 0)->Name("PNG_RGB/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libpng, 0, 0)->Name("PNG_RGB/libpng")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 0, 0)->Name("PNG_RGB/stb_image")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lumo, 1, 1)->Name("PNG_palette/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libpng, 1, 1)->Name("PNG_palette/libpng")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 1, 1)->Name("PNG_palette/stb_image")->Unit(benchmark::kMillisecond);
