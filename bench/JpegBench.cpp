// JPEG decoding of a 4000 x 3000 picture, beside libjpeg alone with the same
// options and beside stb_image, on the same bytes: the smooth test scene in
// colour and grey, and a photo-like picture (noise and texture, about 3 MB),
// which costs what a camera's photo costs.

#include "bench/BenchSupport.h"
#include "bench/PhotoFolder.h"
#include "picture/formats/JPEGDecoder.h"
#include "tests/support/JpegWriter.h"
#include "tests/support/TestPictures.h"

namespace {

// 0: colour, 4:2:0; 1: grey; 2: photo-like colour, 4:2:0. Quality 90, as
// cameras and editors commonly write.
const std::vector<uint8_t>& Jpeg(int kind)
{
    static std::vector<uint8_t> files[3];
    std::vector<uint8_t>& file = files[kind];
    if (!file.empty())
        return file;
    if (kind == 2) {
        file = PhotoJpeg(kBenchWidth, kBenchHeight, 0);
        return file;
    }
    JpegImage image;
    image.width = kBenchWidth;
    image.height = kBenchHeight;
    image.components = kind == 0 ? 3 : 1;
    image.samples = JpegSamples(SceneRows(kBenchWidth, kBenchHeight), image.components);
    image.quality = 90;
    file = WriteJpeg(image);
    return file;
}

void Lumo(benchmark::State& state, int kind)
{
    CJPEGDecoder decoder;
    BenchDecode(state, decoder, Jpeg(kind));
}

void Libjpeg(benchmark::State& state, int kind)
{
    BenchBare(state, Jpeg(kind), [](const std::vector<uint8_t>& bytes, const RowDestination& destination) {
        return DecodeJpegBare(bytes, destination);
    });
}

void Stb(benchmark::State& state, int kind)
{
    BenchStbDecode(state, Jpeg(kind));
}

}  // namespace

BENCHMARK_CAPTURE(Lumo, 0, 0)->Name("JPEG_colour/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libjpeg, 0, 0)->Name("JPEG_colour/libjpeg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 0, 0)->Name("JPEG_colour/stb_image")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lumo, 1, 1)->Name("JPEG_grey/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libjpeg, 1, 1)->Name("JPEG_grey/libjpeg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 1, 1)->Name("JPEG_grey/stb_image")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Lumo, 2, 2)->Name("JPEG_photo/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libjpeg, 2, 2)->Name("JPEG_photo/libjpeg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 2, 2)->Name("JPEG_photo/stb_image")->Unit(benchmark::kMillisecond);
