// The thumbnail of a 4000 x 3000 photo-like JPEG file of quality 90, as
// adding a picture makes it: from the whole picture (the way every thumbnail
// was made before JPEG files were reduced while decoding) and through
// MakeFileThumbnail, which decodes at the smallest DCT scale that still gives
// twice the thumbnail's size.

#include "bench/BenchSupport.h"
#include "bench/PhotoFolder.h"
#include "document/Thumbnail.h"
#include "picture/bitmap/DisplayBitmap.h"
#include "picture/decoding/AutoDecoder.h"

namespace {

const std::string& PhotoFile()
{
    static const std::string path = PhotoPaths(1, kBenchWidth, kBenchHeight).front();
    return path;
}

void FromWholePicture(benchmark::State& state)
{
    CAutoDecoder decoder;
    for (auto _ : state) {
        CDisplayBitmap picture;
        decoder.DecodeFile(PhotoFile().c_str(), picture, 0, nullptr);
        benchmark::DoNotOptimize(MakeThumbnail(picture));
    }
    CountMegapixels(state);
}

void ReducedWhileDecoding(benchmark::State& state)
{
    CAutoDecoder decoder;
    for (auto _ : state) {
        std::unique_ptr<gdi::CDibSection> thumbnail = MakeFileThumbnail(decoder, PhotoFile());
        if (!thumbnail) {
            state.SkipWithError("the picture did not decode");
            return;
        }
        benchmark::DoNotOptimize(thumbnail);
    }
    CountMegapixels(state);
}

}  // namespace

BENCHMARK(FromWholePicture)->Name("JpegThumbnail/whole")->Unit(benchmark::kMillisecond);
BENCHMARK(ReducedWhileDecoding)->Name("JpegThumbnail/reduced")->Unit(benchmark::kMillisecond);
