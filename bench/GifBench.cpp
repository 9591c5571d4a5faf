// GIF decoding of a 4000 x 3000 picture, beside giflib's line reader and
// stb_image on the same bytes; and of that picture on a screen of one pixel.

#include <gif_lib.h>

#include <cstring>

#include "bench/BenchSupport.h"
#include "picture/formats/GIFDecoder.h"
#include "tests/support/GifWriter.h"

namespace {

const std::vector<uint8_t>& SceneFile()
{
    static const std::vector<uint8_t> file = WriteGif(SceneGif(kBenchWidth, kBenchHeight, false));
    return file;
}

// The same image on a screen of 1 x 1 pixel: all but its first row lie off the screen.
const std::vector<uint8_t>& OffScreenFile()
{
    static const std::vector<uint8_t> file = [] {
        GifPicture picture = SceneGif(kBenchWidth, kBenchHeight, false);
        picture.width = picture.height = 1;
        return WriteGif(picture);
    }();
    return file;
}

struct MemoryInput {
    const std::vector<uint8_t>& bytes;
    size_t position = 0;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* input = static_cast<MemoryInput*>(gif->UserData);
    size_t copied = std::min(static_cast<size_t>(count), input->bytes.size() - input->position);
    std::memcpy(buffer, input->bytes.data() + input->position, copied);
    input->position += copied;
    return static_cast<int>(copied);
}

// giflib alone: every image's rows into one screen-sized block of indices.
bool DecodeWithGiflib(const std::vector<uint8_t>& bytes, std::vector<GifPixelType>& screen)
{
    MemoryInput input {bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, ReadMemory, &error);
    if (gif == nullptr)
        return false;
    screen.assign(static_cast<size_t>(gif->SWidth) * gif->SHeight, static_cast<GifPixelType>(gif->SBackGroundColor));
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    bool ok = true;
    while (ok && DGifGetRecordType(gif, &type) != GIF_ERROR && type != TERMINATE_RECORD_TYPE) {
        if (type == IMAGE_DESC_RECORD_TYPE) {
            ok = DGifGetImageDesc(gif) != GIF_ERROR;
            for (int y = 0; ok && y < gif->Image.Height; ++y)
                ok = DGifGetLine(gif, screen.data() + static_cast<size_t>(y + gif->Image.Top) * gif->SWidth +
                                          gif->Image.Left,
                                 gif->Image.Width) != GIF_ERROR;
        } else if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            ok = DGifGetExtension(gif, &code, &block) != GIF_ERROR;
            while (ok && block != nullptr)
                ok = DGifGetExtensionNext(gif, &block) != GIF_ERROR;
        }
    }
    DGifCloseFile(gif, &error);
    return ok && type == TERMINATE_RECORD_TYPE;
}

void Lumo(benchmark::State& state)
{
    CGIFDecoder decoder;
    BenchDecode(state, decoder, SceneFile());
}

void LumoOffScreen(benchmark::State& state)
{
    CGIFDecoder decoder;
    BenchDecode(state, decoder, OffScreenFile());
}

void Giflib(benchmark::State& state)
{
    std::vector<GifPixelType> screen;
    for (auto _ : state) {
        if (!DecodeWithGiflib(SceneFile(), screen)) {
            state.SkipWithError("giflib refused the picture");
            return;
        }
        benchmark::DoNotOptimize(screen.data());
    }
    CountMegapixels(state);
}

void Stb(benchmark::State& state)
{
    BenchStbDecode(state, SceneFile());
}

}  // namespace

BENCHMARK(Lumo)->Name("GIF_8bit/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK(LumoOffScreen)->Name("GIF_8bit_off_screen/lumo")->Unit(benchmark::kMillisecond);
BENCHMARK(Giflib)->Name("GIF_8bit/giflib")->Unit(benchmark::kMillisecond);
BENCHMARK(Stb)->Name("GIF_8bit/stb_image")->Unit(benchmark::kMillisecond);
