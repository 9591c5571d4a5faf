#include "picture/formats/GIFDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"

namespace {

// What giflib's read callback reads from: the source, and the exception the
// source raised (a read past the end), kept until giflib has returned.
struct GifInput {
    CByteSource& source;
    std::exception_ptr kept;
};

// No exception may unwind through giflib: a failed read is kept and reported
// to giflib as a short read, so the call fails and returns to us.
int ReadFromSource(GifFileType* gif, GifByteType* buffer, int count) noexcept
{
    auto* input = static_cast<GifInput*>(gif->UserData);
    if (input->kept || count <= 0)
        return 0;
    try {
        std::memcpy(buffer, input->source.Read(static_cast<size_t>(count)), static_cast<size_t>(count));
        return count;
    } catch (...) {
        input->kept = std::current_exception();
        return 0;
    }
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

const char* GifMessage(int error)
{
    const char* message = GifErrorString(error);
    return message != nullptr ? message : "Unknown giflib error";
}

// The standard interlace passes: first rows and row steps.
constexpr int kPassStart[] = {0, 4, 2, 1};
constexpr int kPassStep[] = {8, 8, 4, 2};

class GifReader {
public:
    GifReader(CPictureBitmap& bitmap, int& wantedDepth, CByteSource& source)
        : bitmap_(bitmap), wantedDepth_(wantedDepth), input_ {source, nullptr}
    {
    }

    void Decode()
    {
        ChooseDestinationDepth(8, wantedDepth_);
        Open();
        // A screen of 0 x 0 takes the extent of the first image. The screen is
        // made when that image arrives, so a file without images allocates nothing.
        zeroScreen_ = gif_->SWidth == 0 && gif_->SHeight == 0;
        if (!zeroScreen_)
            CheckScreen(gif_->SWidth, gif_->SHeight);
        ReadRecords();
        if (!created_)
            ThrowDecodeError(PE_FORMAT_ERROR, "GIF decoder: the file holds no image.");
        SetPalette();
        gif_.reset();
        if (wantedDepth_ == 32)
            bitmap_.CopyFrom(bitmap_, 32);
    }

private:
    void Open()
    {
        int error = 0;
        gif_.reset(DGifOpen(&input_, ReadFromSource, &error));
        RethrowKept();
        if (!gif_)
            ThrowDecodeError(PE_WRONG_SIGNATURE, GifMessage(error));
    }

    void RethrowKept() const
    {
        if (input_.kept)
            std::rethrow_exception(input_.kept);
    }

    // After every giflib call: a kept exception ends the decode; a giflib
    // error is only reported (in debug builds) and the decode goes on.
    bool Succeeded(int result) const
    {
        RethrowKept();
        if (result != GIF_ERROR)
            return true;
#ifndef NDEBUG
        std::fprintf(stderr, "\nGIF-LIB error: %s.\n", GifMessage(gif_->Error));
#endif
        return false;
    }

    void CheckScreen(int width, int height) const
    {
        if (width <= 0 || height <= 0)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("GIF decoder: the logical screen is %d x %d.", width, height));
        if (!FitsBitmapLimits(width, height, wantedDepth_))
            ThrowDecodeError(PE_FORMAT_ERROR,
                             FormatText("GIF decoder: the logical screen %d x %d is too large.", width, height));
    }

    // Pixels no image covers keep the screen's background index.
    void CreateScreen(int width, int height)
    {
        CheckScreen(width, height);
        bitmap_.Create(width, height, 8, false);
        created_ = true;
        CWriteAccess access(bitmap_);
        for (int y = 0; y < height; ++y)
            std::memset(bitmap_.GetLines()[y], gif_->SBackGroundColor & 0xFF, static_cast<size_t>(width));
    }

    // Until the terminator; unknown record bytes are read past one by one.
    void ReadRecords()
    {
        for (;;) {
            GifRecordType type = UNDEFINED_RECORD_TYPE;
            if (!Succeeded(DGifGetRecordType(gif_.get(), &type)))
                continue;
            if (type == TERMINATE_RECORD_TYPE)
                return;
            if (type == IMAGE_DESC_RECORD_TYPE)
                ReadImage();
            else if (type == EXTENSION_RECORD_TYPE)
                SkipExtension();
        }
    }

    void SkipExtension()
    {
        int code = 0;
        GifByteType* block = nullptr;
        if (!Succeeded(DGifGetExtension(gif_.get(), &code, &block)))
            return;
        while (block != nullptr)
            if (!Succeeded(DGifGetExtensionNext(gif_.get(), &block)))
                return;
    }

    void ReadImage()
    {
        if (!Succeeded(DGifGetImageDesc(gif_.get())))
            return;
        ++imageCount_;
        const GifImageDesc& image = gif_->Image;
        if (!created_ && zeroScreen_)
            CreateScreen(image.Left + image.Width, image.Top + image.Height);
        else if (!created_)
            CreateScreen(gif_->SWidth, gif_->SHeight);
#ifndef NDEBUG
        if (image.Left + image.Width > bitmap_.GetWidth() || image.Top + image.Height > bitmap_.GetHeight())
            std::fprintf(stderr, "Image %d is not confined to screen dimension, aborted.\n", imageCount_);
#endif
        if (image.Width <= 0 || image.Height <= 0)
            SkipImageData();
        else
            ReadRows(image);
    }

    // Rows are read in file order while a row still to come can reach the
    // screen; the rest of the data is then skipped unread, so an image far
    // larger than the screen costs no more than its visible part. What lies
    // outside the screen is dropped. A row giflib fails on keeps what it had.
    void ReadRows(const GifImageDesc& image)
    {
        int visibleRows = VisibleRows(image);
        std::vector<GifPixelType> row(static_cast<size_t>(image.Width));
        CWriteAccess access(bitmap_);
        int passes = image.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            int start = image.Interlace ? kPassStart[pass] : 0;
            int step = image.Interlace ? kPassStep[pass] : 1;
            for (int y = start; y < image.Height; y += step) {
                if (!RowStillToComeIsVisible(image.Interlace, pass, y, visibleRows)) {
                    SkipImageData();
                    return;
                }
                if (Succeeded(DGifGetLine(gif_.get(), row.data(), image.Width)))
                    DrawRow(image, image.Top + y, row.data());
            }
        }
    }

    // The number of the image's top rows that fall on the screen.
    int VisibleRows(const GifImageDesc& image) const
    {
        if (image.Left >= bitmap_.GetWidth())
            return 0;
        return std::clamp(bitmap_.GetHeight() - image.Top, 0, image.Height);
    }

    // Whether row y of `pass`, or any row after it in file order, is one of
    // the visible rows. Rows grow within a pass; a later interlace pass
    // starts again near the top.
    static bool RowStillToComeIsVisible(bool interlaced, int pass, int y, int visibleRows)
    {
        if (y < visibleRows)
            return true;
        for (int later = pass + 1; interlaced && later < 4; ++later)
            if (kPassStart[later] < visibleRows)
                return true;
        return false;
    }

    void DrawRow(const GifImageDesc& image, int y, const GifPixelType* row) const
    {
        if (y >= bitmap_.GetHeight() || image.Left >= bitmap_.GetWidth())
            return;
        int count = std::min(image.Width, bitmap_.GetWidth() - image.Left);
        std::memcpy(bitmap_.GetLines()[y] + image.Left, row, static_cast<size_t>(count));
    }

    // Skips the image's data blocks that are not read yet, up to their
    // terminator, as giflib does itself after an image's last row: the next
    // record follows. An image without pixels has only blocks to skip.
    void SkipImageData()
    {
        GifByteType* block = nullptr;
        do
            if (!Succeeded(DGifGetCodeNext(gif_.get(), &block)))
                return;
        while (block != nullptr);
    }

    // The last image's own colour map, else the global one; entries beyond
    // the map keep the grey ramp.
    void SetPalette()
    {
        const ColorMapObject* map = gif_->Image.ColorMap != nullptr ? gif_->Image.ColorMap : gif_->SColorMap;
        if (map == nullptr)
            return;
        BgraPixel palette[256];
        std::copy_n(bitmap_.GetPalette(), 256, palette);
        int count = std::clamp(map->ColorCount, 0, 256);
        for (int i = 0; i < count; ++i)
            palette[i] = OpaqueBgra(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
        bitmap_.SetPaletteEntries(palette);
    }

    CPictureBitmap& bitmap_;
    int& wantedDepth_;
    GifInput input_;
    GifHandle gif_;
    bool zeroScreen_ = false;
    bool created_ = false;
    int imageCount_ = 0;
};

}  // namespace

void CGIFDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& /*paletteOut*/, int& wantedDepth,
                              CByteSource& source)
{
    GifReader(bitmap, wantedDepth, source).Decode();
}
