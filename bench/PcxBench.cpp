// PCX decoding of a 4000 x 3000 picture, 256 colours and 24-bit colour.
// stb_image does not read PCX, so Lumo stands alone here.

#include "bench/BenchSupport.h"
#include "picture/formats/PCXDecoder.h"
#include "tests/support/PcxWriter.h"
#include "tests/support/TestPictures.h"

namespace {

const std::vector<uint8_t>& Pcx(bool trueColour)
{
    static std::vector<uint8_t> files[2];
    std::vector<uint8_t>& file = files[trueColour];
    if (!file.empty())
        return file;
    PcxImage image = trueColour ? EncodedPcx(SceneRows(kBenchWidth, kBenchHeight), 8, 3)
                                : EncodedPcx(Widen(SceneIndices(kBenchWidth, kBenchHeight)), 8, 1);
    if (!trueColour)
        image.palette = CubePalette();
    file = WritePcx(image);
    return file;
}

void Lumo(benchmark::State& state, bool trueColour)
{
    CPCXDecoder decoder;
    BenchDecode(state, decoder, Pcx(trueColour));
}

}  // namespace

BENCHMARK_CAPTURE(Lumo, vga, false)->Name("PCX_8bit/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lumo, rgb, true)->Name("PCX_24bit/lumo")->Unit(benchmark::kMillisecond);
