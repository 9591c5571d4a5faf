// PICT decoding of a 4000 x 3000 picture: 32-bit direct pixels and an 8-bit
// PackBits pixmap. stb_image does not read PICT, so Lumo stands alone here.

#include "bench/BenchSupport.h"
#include "picture/formats/PICTDecoder.h"
#include "tests/support/PictWriter.h"
#include "tests/support/TestPictures.h"

namespace {

const std::vector<uint8_t>& Pict(bool direct)
{
    static std::vector<uint8_t> files[2];
    std::vector<uint8_t>& file = files[direct];
    if (file.empty())
        file = direct ? PictDirect(SceneRows(kBenchWidth, kBenchHeight), 32)
                      : PictIndexed(SceneIndices(kBenchWidth, kBenchHeight), 8, CubePalette());
    return file;
}

void Lumo(benchmark::State& state, bool direct)
{
    CPICTDecoder decoder(nullptr);
    BenchDecode(state, decoder, Pict(direct));
}

}  // namespace

BENCHMARK_CAPTURE(Lumo, direct, true)->Name("PICT_Direct32/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lumo, packbits, false)->Name("PICT_PackBits8/lumo")->Unit(benchmark::kMillisecond);
