#include "tests/support/GifWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "tests/support/TestPictures.h"

namespace {

int AppendBytes(GifFileType* gif, const GifByteType* data, int count)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(gif->UserData);
    bytes->insert(bytes->end(), data, data + count);
    return count;
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMap = std::unique_ptr<ColorMapObject, MapDeleter>;

ColorMap MakeMap(const GifColors& colors)
{
    if (colors.empty())
        return nullptr;
    int size = 2;
    while (size < static_cast<int>(colors.size()))
        size *= 2;
    ColorMap map(GifMakeMapObject(size, nullptr));
    for (int i = 0; i < size; ++i) {
        std::array<uint8_t, 3> color = i < static_cast<int>(colors.size()) ? colors[static_cast<size_t>(i)]
                                                                             : std::array<uint8_t, 3> {0, 0, 0};
        map->Colors[i] = {color[0], color[1], color[2]};
    }
    return map;
}

class GifOutput {
public:
    explicit GifOutput(std::vector<uint8_t>& bytes)
    {
        int error = 0;
        gif_ = EGifOpen(&bytes, AppendBytes, &error);
        if (gif_ == nullptr)
            throw std::runtime_error(GifErrorString(error));
    }
    ~GifOutput()
    {
        if (gif_ != nullptr)
            EGifCloseFile(gif_, nullptr);
    }
    GifOutput(const GifOutput&) = delete;
    GifOutput& operator=(const GifOutput&) = delete;

    void Check(int result) const
    {
        if (result == GIF_ERROR)
            throw std::runtime_error(std::string("giflib refused: ") + GifErrorString(gif_->Error));
    }
    GifFileType* operator->() const { return gif_; }
    GifFileType* Get() const { return gif_; }
    void Close()
    {
        int error = 0;
        GifFileType* gif = gif_;
        gif_ = nullptr;
        if (EGifCloseFile(gif, &error) == GIF_ERROR)
            throw std::runtime_error(GifErrorString(error));
    }

private:
    GifFileType* gif_ = nullptr;
};

void PutTransparency(const GifOutput& out, int index)
{
    GraphicsControlBlock control {};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.TransparentColor = index;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    out.Check(EGifPutExtension(out.Get(), GRAPHICS_EXT_FUNC_CODE, 4, extension));
}

// Rewrites the height and the interlace flag of the image descriptor at `at`.
void ClaimHeight(std::vector<uint8_t>& bytes, size_t at, int height, bool interlaced)
{
    if (bytes.at(at) != ',')
        throw std::runtime_error("no image descriptor where giflib was to write it");
    bytes[at + 7] = static_cast<uint8_t>(height);
    bytes[at + 8] = static_cast<uint8_t>(height >> 8);
    if (interlaced)
        bytes[at + 9] |= 0x40;
}

void PutFrame(const GifOutput& out, const GifFrame& frame)
{
    if (frame.transparentIndex >= 0)
        PutTransparency(out, frame.transparentIndex);
    ColorMap local = MakeMap(frame.colors);
    // giflib 5.2 forgets, without freeing it, the previous image's own map
    // when this image has none.
    if (!local && out->Image.ColorMap != nullptr) {
        GifFreeMapObject(out->Image.ColorMap);
        out->Image.ColorMap = nullptr;
    }
    auto& bytes = *static_cast<std::vector<uint8_t>*>(out->UserData);
    size_t descriptor = bytes.size();
    bool claimsMore = frame.claimedHeight > frame.height;
    out.Check(EGifPutImageDesc(out.Get(), frame.left, frame.top, frame.width, frame.height,
                               frame.interlaced && !claimsMore, local.get()));
    std::vector<GifPixelType> row(static_cast<size_t>(frame.width));
    auto put = [&](int y) {
        std::copy_n(frame.indices.begin() + static_cast<long>(y) * frame.width, frame.width, row.begin());
        out.Check(EGifPutLine(out.Get(), row.data(), frame.width));
    };
    if (claimsMore) {
        for (int y = 0; y < frame.height; ++y)
            put(y);
        ClaimHeight(bytes, descriptor, frame.claimedHeight, frame.interlaced);
        return;
    }
    if (!frame.interlaced) {
        for (int y = 0; y < frame.height; ++y)
            put(y);
        return;
    }
    const int starts[] = {0, 4, 2, 1};
    const int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < frame.height; y += steps[pass])
            put(y);
}

bool HasAnyColorMap(const GifPicture& picture)
{
    if (!picture.colors.empty())
        return true;
    for (const GifFrame& frame : picture.frames)
        if (!frame.colors.empty())
            return true;
    return false;
}

// giflib writes no image without a colour map: such pictures are written
// with a two-entry global map that is then taken out of the file.
void RemoveGlobalMap(std::vector<uint8_t>& bytes)
{
    uint8_t& flags = bytes[10];
    size_t mapBytes = 3u << ((flags & 7) + 1);
    flags &= 0x7F;
    bytes.erase(bytes.begin() + 13, bytes.begin() + 13 + static_cast<long>(mapBytes));
}

}  // namespace

std::vector<uint8_t> WriteGif(const GifPicture& picture)
{
    std::vector<uint8_t> bytes;
    bool anyMap = HasAnyColorMap(picture);
    {
        GifOutput out(bytes);
        EGifSetGifVersion(out.Get(), picture.gif89);
        ColorMap global = MakeMap(anyMap ? picture.colors : GifColors {{0, 0, 0}, {255, 255, 255}});
        out.Check(EGifPutScreenDesc(out.Get(), picture.width, picture.height, 8, picture.background, global.get()));
        for (const GifFrame& frame : picture.frames)
            PutFrame(out, frame);
        out.Close();
    }
    if (!anyMap)
        RemoveGlobalMap(bytes);
    return bytes;
}

GifPicture SceneGif(int width, int height, bool interlaced)
{
    GifPicture picture;
    picture.width = width;
    picture.height = height;
    picture.colors = CubePalette();
    GifFrame frame;
    frame.width = width;
    frame.height = height;
    frame.interlaced = interlaced;
    frame.indices = Flatten(SceneIndices(width, height));
    picture.frames.push_back(std::move(frame));
    return picture;
}
