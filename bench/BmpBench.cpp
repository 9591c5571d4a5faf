// BMP decoding of a 4000 x 3000 picture, beside stb_image on the same bytes.

#include "bench/BenchSupport.h"
#include "picture/formats/BMPDecoder.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/TestPictures.h"

namespace {

const std::vector<uint8_t>& Bmp(int kind)
{
    static std::vector<uint8_t> files[3];
    std::vector<uint8_t>& file = files[kind];
    if (!file.empty())
        return file;
    if (kind < 2) {
        file = SceneBmp(kBenchWidth, kBenchHeight, kind == 0 ? 24 : 8);
        return file;
    }
    BmpImage image;
    image.width = kBenchWidth;
    image.height = kBenchHeight;
    image.compression = 1;
    image.colors = CubePalette();
    image.pixels = EncodeRle8(BandIndices(kBenchWidth, kBenchHeight, 16));
    file = WriteBmp(image);
    return file;
}

void Lumo(benchmark::State& state, int kind)
{
    CBMPDecoder decoder;
    BenchDecode(state, decoder, Bmp(kind));
}

void Stb(benchmark::State& state, int kind)
{
    BenchStb(state, Bmp(kind));
}

}  // namespace

BENCHMARK_CAPTURE(Lumo, 0, 0)->Name("BMP_24bit/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 0, 0)->Name("BMP_24bit/stb_image")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lumo, 1, 1)->Name("BMP_8bit/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 1, 1)->Name("BMP_8bit/stb_image")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lumo, 2, 2)->Name("BMP_RLE8/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 2, 2)->Name("BMP_RLE8/stb_image")->Unit(benchmark::kMillisecond);
