#include "picture/formats/JPEGDecoder.h"

#include <optional>
#include <vector>

#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "picture/formats/JpegSession.h"

namespace {

class JpegReader {
public:
    JpegReader(CJpegSession& session, CPictureBitmap& bitmap, int& wantedDepth, CByteSource& source,
               std::optional<PictureSize> enough)
        : session_(session), info_(session.Info()), bitmap_(bitmap), wantedDepth_(wantedDepth), source_(source),
          enough_(enough)
    {
    }

    // Returns the picture's own size.
    PictureSize Decode()
    {
        session_.Attach(source_);
        session_.ReadHeader();
        SetOptions();
        if (enough_)
            ChooseReduction(*enough_);
        session_.CalculateOutputSize();
        // The bitmap is made before the library sizes its own buffers, so that
        // a picture beyond the bitmap limits is refused before anything big exists.
        CreateBitmap();
        session_.Start();
        CheckOutput();
        CWriteAccess access(bitmap_);
        if (IsGrey())
            ReadGreyRows();
        else if (IsInk())
            ReadInkRows();
        else
            ReadColourRows();
        session_.Finish();
        WriteTrace(3, "Decoding finished.\n");
        return {static_cast<int>(info_.image_width), static_cast<int>(info_.image_height)};
    }

private:
    bool IsGrey() const { return info_.out_color_space == JCS_GRAYSCALE; }
    // CMYK pictures, and YCCK ones, which the library turns into CMYK.
    bool IsInk() const { return info_.out_color_space == JCS_CMYK; }

    // Plain upsampling and the floating-point transform; no quantising.
    // Colour the library gives as RGB arrives four bytes a pixel.
    void SetOptions()
    {
        info_.do_fancy_upsampling = FALSE;
        info_.dct_method = JDCT_FLOAT;
        if (info_.out_color_space == JCS_RGB)
            info_.out_color_space = JCS_EXT_RGBX;
    }

    // The smallest of the transform's reductions (1/2, 1/4, 1/8) that still
    // gives `enough` in both directions, if any: the library then computes
    // only that many pixels of each block.
    void ChooseReduction(PictureSize enough)
    {
        for (unsigned denominator : {8u, 4u, 2u})
            if (ReducedSide(info_.image_width, denominator) >= enough.width &&
                ReducedSide(info_.image_height, denominator) >= enough.height) {
                info_.scale_num = 1;
                info_.scale_denom = denominator;
                return;
            }
    }

    // A side reduced by 1 / denominator, rounded up as the library rounds it.
    static int64_t ReducedSide(JDIMENSION side, unsigned denominator)
    {
        return (static_cast<int64_t>(side) + denominator - 1) / denominator;
    }

    // A reduced picture is refused whenever the whole one would be, so that
    // reducing changes no result.
    void CreateBitmap()
    {
        ChooseDestinationDepth(IsGrey() ? 8 : 32, wantedDepth_);
        CheckBitmapSize(info_.image_width, info_.image_height, wantedDepth_);
        bitmap_.Create(static_cast<int>(info_.output_width), static_cast<int>(info_.output_height), wantedDepth_,
                       false);
    }

    // Grey rows are one byte a pixel and colour rows four (RGBX, CMYK); the
    // library makes other layouts only of pictures with 2 or more than 4
    // components, which have no colour space it can convert.
    void CheckOutput() const
    {
        int bytesPerPixel = IsGrey() ? 1 : 4;
        if (info_.output_components != bytesPerPixel)
            ThrowDecodeError(PE_UNSUPPORTED, FormatText("JPEG decoder: %d colour components are not supported.",
                                                        info_.num_components));
        if (static_cast<int>(info_.output_width) != bitmap_.GetWidth() ||
            static_cast<int>(info_.output_height) != bitmap_.GetHeight())
            ThrowDecodeError(PE_UNSUPPORTED, "JPEG decoder: the output size differs from the picture size.");
    }

    void ReadGreyRows()
    {
        int width = bitmap_.GetWidth();
        uint8_t* const* lines = bitmap_.GetLines();
        if (wantedDepth_ == 8) {
            for (int y = 0; y < bitmap_.GetHeight(); ++y)
                session_.ReadScanline(lines[y]);
            return;
        }
        std::vector<uint8_t> row(static_cast<size_t>(width));
        for (int y = 0; y < bitmap_.GetHeight(); ++y) {
            session_.ReadScanline(row.data());
            auto* pixels = reinterpret_cast<BgraPixel*>(lines[y]);
            for (int x = 0; x < width; ++x)
                pixels[x] = OpaqueBgra(row[x], row[x], row[x]);
        }
    }

    // Red, green and blue go to the blue, green and red bytes. The fourth byte
    // stays 0, as the new bitmap has it.
    void ReadColourRows()
    {
        int width = bitmap_.GetWidth();
        uint8_t* const* lines = bitmap_.GetLines();
        std::vector<uint32_t> row(static_cast<size_t>(width));
        for (int y = 0; y < bitmap_.GetHeight(); ++y) {
            session_.ReadScanline(reinterpret_cast<uint8_t*>(row.data()));
            SwapRedAndBlue(row.data(), reinterpret_cast<uint32_t*>(lines[y]), width);
        }
    }

    // Cyan, magenta, yellow and black ink become opaque red, green and blue as
    // the TIFF decoder (libtiff's RGBA reader) makes them of CMYK: red is
    // (255 - cyan) x (255 - black) / 255. Adobe writers store every channel
    // inverted (255 for no ink) and mark their files with an APP14 segment.
    void ReadInkRows()
    {
        int width = bitmap_.GetWidth();
        uint8_t* const* lines = bitmap_.GetLines();
        uint8_t inversion = info_.saw_Adobe_marker ? 0xFF : 0;
        std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
        for (int y = 0; y < bitmap_.GetHeight(); ++y) {
            session_.ReadScanline(row.data());
            auto* pixels = reinterpret_cast<BgraPixel*>(lines[y]);
            for (int x = 0; x < width; ++x) {
                const uint8_t* ink = &row[static_cast<size_t>(x) * 4];
                unsigned black = ink[3] ^ inversion;
                pixels[x] = OpaqueBgra(LightThrough(ink[0] ^ inversion, black), LightThrough(ink[1] ^ inversion, black),
                                       LightThrough(ink[2] ^ inversion, black));
            }
        }
    }

    // What is left of full light under `ink` and `black`, each 0 (none) to 255.
    static uint8_t LightThrough(unsigned ink, unsigned black)
    {
        return static_cast<uint8_t>((255 - ink) * (255 - black) / 255);
    }

    // Each pixel read as a little-endian word: 0xXXBBGGRR in, 0x00RRGGBB out.
    static void SwapRedAndBlue(const uint32_t* __restrict in, uint32_t* __restrict out, int count)
    {
        for (int x = 0; x < count; ++x) {
            uint32_t rgbx = in[x];
            out[x] = ((rgbx & 0xFF) << 16) | (rgbx & 0xFF00) | ((rgbx >> 16) & 0xFF);
        }
    }

    CJpegSession& session_;
    jpeg_decompress_struct& info_;
    CPictureBitmap& bitmap_;
    int& wantedDepth_;
    CByteSource& source_;
    std::optional<PictureSize> enough_;
};

}  // namespace

CJPEGDecoder::CJPEGDecoder() : session_(std::make_unique<CJpegSession>()) {}

CJPEGDecoder::~CJPEGDecoder() = default;

void CJPEGDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& /*paletteOut*/, int& wantedDepth,
                               CByteSource& source)
{
    Read(source, bitmap, wantedDepth, std::nullopt);
}

PictureSize CJPEGDecoder::DecodeReduced(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth,
                                        PictureSize enough)
{
    CheckWantedDepth(wantedDepth);
    return Read(source, bitmap, wantedDepth, enough);
}

PictureSize CJPEGDecoder::Read(CByteSource& source, CPictureBitmap& bitmap, int& wantedDepth,
                               std::optional<PictureSize> enough)
{
    try {
        return JpegReader(*session_, bitmap, wantedDepth, source, enough).Decode();
    } catch (...) {
        session_->Abort();
        throw;
    }
}
