// Targa decoding of a 4000 x 3000 picture, beside stb_image on the same bytes.

#include "bench/BenchSupport.h"
#include "picture/formats/TGADecoder.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TgaWriter.h"

namespace {

const std::vector<uint8_t>& Tga(bool runLength)
{
    static std::vector<uint8_t> files[2];
    std::vector<uint8_t>& file = files[runLength];
    if (!file.empty())
        return file;
    TgaImage image;
    image.width = kBenchWidth;
    image.height = kBenchHeight;
    image.pixels = TgaRows(SceneRows(kBenchWidth, kBenchHeight), 24);
    if (runLength) {
        image.imageType = 10;
        image.pixels = EncodeTgaRle(image.pixels, 3, kBenchWidth);
    }
    file = WriteTga(image);
    return file;
}

void Lumo(benchmark::State& state, bool runLength)
{
    CTGADecoder decoder;
    BenchDecode(state, decoder, Tga(runLength));
}

void Stb(benchmark::State& state, bool runLength)
{
    BenchStbDecode(state, Tga(runLength));
}

}  // namespace

BENCHMARK_CAPTURE(Lumo, raw, false)->Name("TGA_24bit/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, raw, false)->Name("TGA_24bit/stb_image")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lumo, rle, true)->Name("TGA_RLE24/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, rle, true)->Name("TGA_RLE24/stb_image")->Unit(benchmark::kMillisecond);
