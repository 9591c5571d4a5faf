#include "picture/formats/MetafileDecoder.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <unordered_map>

#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "platform/gdi/StretchBits.h"
#include "platform/metafile/Metafile.h"
#include "platform/os/ByteOrder.h"
#include "platform/os/CodePage.h"

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeaderSize = 22;
constexpr int kDefaultWidth = 320;
constexpr int kDefaultHeight = 200;

// The placeable header in front of some Windows metafiles: the picture's
// bounds in metafile units and how many of those make an inch.
struct PlaceableHeader {
    metafile::MetaRect bounds;
    uint16_t unitsPerInch = 0;
};

int16_t I16At(const uint8_t* p)
{
    return static_cast<int16_t>(os::LoadLittleEndian<uint16_t>(p));
}

// a * b / c truncated toward zero, 0 when c is 0; wide enough for any
// 32-bit values, and far beyond the bitmap limits when it saturates.
int64_t MulDiv(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return 0;
    long double quotient = std::trunc(static_cast<long double>(a) * b / c);
    return static_cast<int64_t>(std::clamp<long double>(quotient, -(1LL << 40), 1LL << 40));
}

// The 8-bit read-back: each drawn colour becomes an index. The metafile's
// palette comes first, drawn colours take the free entries as they appear,
// and once the palette is full the rest take the nearest entry.
class CColorIndexer {
public:
    explicit CColorIndexer(const BgraPixel* palette, int used) : used_(used)
    {
        std::copy_n(palette, 256, palette_);
        for (int i = 0; i < used; ++i)
            indices_.emplace(Key(palette[i]), static_cast<uint8_t>(i));
    }

    uint8_t IndexOf(uint32_t rgb)
    {
        rgb &= 0x00FFFFFF;
        auto found = indices_.find(rgb);
        if (found != indices_.end())
            return found->second;
        uint8_t index = used_ < 256 ? Add(rgb) : Nearest(rgb);
        indices_.emplace(rgb, index);
        return index;
    }

    const BgraPixel* Palette() const { return palette_; }

private:
    static uint32_t Key(const BgraPixel& entry)
    {
        return (static_cast<uint32_t>(entry.red) << 16) | (static_cast<uint32_t>(entry.green) << 8) | entry.blue;
    }

    uint8_t Add(uint32_t rgb)
    {
        palette_[used_] = OpaqueBgra(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                                     static_cast<uint8_t>(rgb));
        return static_cast<uint8_t>(used_++);
    }

    uint8_t Nearest(uint32_t rgb) const
    {
        return static_cast<uint8_t>(gdi::NearestColorIndex(reinterpret_cast<const gdi::RgbQuad*>(palette_), 256,
                                                           static_cast<uint8_t>(rgb >> 16),
                                                           static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)));
    }

    BgraPixel palette_[256];
    int used_;
    std::unordered_map<uint32_t, uint8_t> indices_;
};

class MetafileReader {
public:
    MetafileReader(CPictureBitmap& bitmap, PaletteBuffer& palette, int& wantedDepth, CByteSource& source)
        : bitmap_(bitmap), palette_(palette), wantedDepth_(wantedDepth), source_(source)
    {
    }

    void Decode()
    {
        bool enhanced = IsEnhancedByName();
        Load(enhanced);
        if (metafile_->GetHeaderSize() == 0)
            ThrowDecodeError(PE_FORMAT_ERROR, "No header information in metafile");
        ComputeSize();
        BuildPalette();
        CreateBitmap();
        Render();
        WriteTrace(3, "Decoding finished.\n");
    }

private:
    // Enhanced metafiles are known by their file name's extension alone;
    // "Mem" never is one.
    bool IsEnhancedByName() const
    {
        return source_.GetName() != nullptr && os::HasExtension(source_.GetName(), "emf");
    }

    void Load(bool enhanced)
    {
        size_t size = static_cast<size_t>(source_.GetRemaining());
        const uint8_t* data = source_.Read(size);
        if (enhanced) {
            metafile_ = metafile::CMetafile::LoadEnhanced(data, size);
        } else if (size >= 4 && os::LoadLittleEndian<uint32_t>(data) == kPlaceableKey) {
            if (size >= kPlaceableHeaderSize) {
                placeable_ = ReadPlaceableHeader(data);
                metafile_ = metafile::CMetafile::LoadWindows(data + kPlaceableHeaderSize, size - kPlaceableHeaderSize,
                                                             &placeable_->bounds);
            }
        } else {
            metafile_ = metafile::CMetafile::LoadWindows(data, size);
        }
        if (!metafile_)
            ThrowDecodeError(PE_UNSUPPORTED, "Windows Metafile functions failed to load this image.");
    }

    static PlaceableHeader ReadPlaceableHeader(const uint8_t* data)
    {
        PlaceableHeader header;
        header.bounds = {I16At(data + 6), I16At(data + 8), I16At(data + 10), I16At(data + 12)};
        header.unitsPerInch = os::LoadLittleEndian<uint16_t>(data + 14);
        return header;
    }

    // Placeable files measure their bounds at 96 pixels per inch; the others
    // measure their frame (0.01 mm) on their reference device. A size of
    // nothing (or of a zero unit) falls back to 320 x 200.
    void ComputeSize()
    {
        int64_t width = 0;
        int64_t height = 0;
        if (placeable_) {
            const metafile::MetaRect& bounds = placeable_->bounds;
            int dpi = metafile::kLogicalPixelsPerInch;
            width = MulDiv(static_cast<int64_t>(bounds.right) - bounds.left, dpi, placeable_->unitsPerInch);
            height = MulDiv(static_cast<int64_t>(bounds.bottom) - bounds.top, dpi, placeable_->unitsPerInch);
        } else {
            const metafile::EnhancedHeader& header = metafile_->GetHeader();
            width = MulDiv(static_cast<int64_t>(header.frame.right) - header.frame.left, header.device.cx,
                           static_cast<int64_t>(header.millimeters.cx) * 100);
            height = MulDiv(static_cast<int64_t>(header.frame.bottom) - header.frame.top, header.device.cy,
                            static_cast<int64_t>(header.millimeters.cy) * 100);
        }
        width_ = width > 0 ? width : kDefaultWidth;
        height_ = height > 0 ? height : kDefaultHeight;
        // The picture is drawn at 32 bits first, so that size must fit the limits.
        if (width_ > kMaxBitmapSide || height_ > kMaxBitmapSide || width_ * height_ * 4 > kMaxBitmapBytes)
            ThrowDecodeError(PE_ALLOC_FAILED, "Cannot allocate memory bitmap.");
    }

    // A palette of 1 to 255 colours makes an 8-bit picture with those
    // colours first; the other entries start black.
    void BuildPalette()
    {
        const std::vector<metafile::PaletteColor>& entries = metafile_->GetPaletteEntries();
        if (entries.empty() || entries.size() > 255)
            return;
        try {
            palette_ = std::make_unique<BgraPixel[]>(256);
        } catch (const std::bad_alloc&) {
            ThrowDecodeError(PE_ALLOC_FAILED, "Cannot allocate palette.");
        }
        std::fill_n(palette_.get(), 256, OpaqueBgra(0, 0, 0));
        for (size_t i = 0; i < entries.size(); ++i)
            palette_[i] = OpaqueBgra(entries[i].red, entries[i].green, entries[i].blue);
        paletteColors_ = static_cast<int>(entries.size());
    }

    void CreateBitmap()
    {
        ChooseDestinationDepth(palette_ ? 8 : 32, wantedDepth_);
        bitmap_.Create(static_cast<int>(width_), static_cast<int>(height_), wantedDepth_, wantedDepth_ >= 32);
        if (palette_ && wantedDepth_ < 24)
            bitmap_.SetPaletteEntries(palette_.get());
    }

    // The drawn rows go into the bitmap's lines; at 8 bits the colour table
    // becomes the palette the drawn colours were given.
    void Render()
    {
        CWriteAccess access(bitmap_);
        uint8_t* const* lines = bitmap_.GetLines();
        bool ok = false;
        if (wantedDepth_ == 32) {
            ok = metafile_->Render(bitmap_.GetWidth(), bitmap_.GetHeight(), [&](int y, const uint32_t* pixels) {
                auto* line = reinterpret_cast<uint32_t*>(lines[y]);
                for (int x = 0; x < bitmap_.GetWidth(); ++x)
                    line[x] = pixels[x] | 0xFF000000;
            });
        } else {
            CColorIndexer indexer(palette_.get(), paletteColors_);
            ok = metafile_->Render(bitmap_.GetWidth(), bitmap_.GetHeight(), [&](int y, const uint32_t* pixels) {
                for (int x = 0; x < bitmap_.GetWidth(); ++x)
                    lines[y][x] = indexer.IndexOf(pixels[x]);
            });
            bitmap_.SetPaletteEntries(indexer.Palette());
        }
        if (!ok)
            ThrowDecodeError(PE_ALLOC_FAILED, "Cannot allocate memory bitmap.");
    }

    CPictureBitmap& bitmap_;
    PaletteBuffer& palette_;
    int& wantedDepth_;
    CByteSource& source_;
    std::unique_ptr<metafile::CMetafile> metafile_;
    std::optional<PlaceableHeader> placeable_;
    int paletteColors_ = 0;
    int64_t width_ = 0;
    int64_t height_ = 0;
};

}  // namespace

void CMetafileDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                                   CByteSource& source)
{
    MetafileReader(bitmap, paletteOut, wantedDepth, source).Decode();
}
