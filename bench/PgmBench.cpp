// Binary PGM decoding of a 4000 x 3000 picture, beside stb_image on the same bytes.

#include "bench/BenchSupport.h"
#include "picture/formats/PGMDecoder.h"
#include "tests/support/PgmWriter.h"
#include "tests/support/TestPictures.h"

namespace {

const std::vector<uint8_t>& Pgm()
{
    static std::vector<uint8_t> file;
    if (file.empty()) {
        std::vector<std::vector<uint32_t>> greys = SceneRows(kBenchWidth, kBenchHeight);
        for (auto& row : greys)
            for (uint32_t& pixel : row)
                pixel = ((pixel >> 16) + (pixel >> 8 & 0xFF) + (pixel & 0xFF)) / 3;
        file = WritePgm(greys, 255, true);
    }
    return file;
}

void Lumo(benchmark::State& state)
{
    CPGMDecoder decoder;
    BenchDecode(state, decoder, Pgm());
}

void Stb(benchmark::State& state)
{
    BenchStbDecode(state, Pgm());
}

}  // namespace

BENCHMARK(Lumo)->Name("PGM_P5/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK(Stb)->Name("PGM_P5/stb_image")->Unit(benchmark::kMillisecond);
