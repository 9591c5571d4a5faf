#include "picture/formats/PICTDecoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "picture/formats/PictBands.h"
#include "picture/formats/PictOpcodes.h"
#include "picture/formats/PictRows.h"
#include "platform/gdi/BitmapInfo.h"
#include "platform/os/ByteOrder.h"

namespace {

// A Macintosh file header, the picture size word and the picture frame.
constexpr size_t kPreambleBytes = 512 + 2 + 8;
constexpr uint8_t kVersionOpcode = 0x11;
constexpr int kPaletteSize = 256;
constexpr uint16_t kPixMapFlag = 0x8000;

enum PictOpcodeValue : uint16_t {
    kClip = 0x01,
    kBkPixPat = 0x12,
    kPnPixPat = 0x13,
    kFillPixPat = 0x14,
    kLongText = 0x28,
    kDHText = 0x29,
    kDVText = 0x2A,
    kDHDVText = 0x2B,
    kFramePoly = 0x70,
    kLastPoly = 0x77,
    kFrameRgn = 0x80,
    kLastRgn = 0x87,
    kBitsRect = 0x90,
    kBitsRgn = 0x91,
    kPackBitsRect = 0x98,
    kPackBitsRgn = 0x99,
    kDirectBitsRect = 0x9A,
    kDirectBitsRgn = 0x9B,
    kLongComment = 0xA1,
    kEndOfPicture = 0xFF,
    kHeaderOp = 0x0C00,
    kCompressedQuickTime = 0x8200,
    kEndOfPictureWord = 0xFFFF,
};

struct PixMapRecord {
    PictRect bounds;
    uint16_t version = 0;
    uint16_t packType = 0;
    uint32_t packSize = 0;
    uint16_t pixelSize = 0;
    uint16_t cmpCount = 0;
    uint16_t cmpSize = 0;
    uint32_t planeBytes = 0;
};

// One-bit bitmaps show set bits black on white.
constexpr BgraPixel kBitmapColors[2] = {OpaqueBgra(255, 255, 255), OpaqueBgra(0, 0, 0)};

class PictReader {
public:
    PictReader(CPictureBitmap& bitmap, PaletteBuffer& palette, int& wantedDepth, CByteSource& source,
               CPictureDecoder* jpegDecoder)
        : bitmap_(bitmap),
          palette_(palette),
          wantedDepth_(wantedDepth),
          callerDepth_(wantedDepth),
          source_(source),
          jpegDecoder_(jpegDecoder)
    {
    }

    void Decode()
    {
        WriteTrace(2, "Decoding mac pict.\n");
        ReadHeader();
        while (!DecodeOpcode(ReadOpcode())) {
        }
        if (placement_.IsPlainCopy())
            ComposePictBands(bitmap_, placement_.destinationRect, ReadFollowingBands());
    }

private:
    void ReadHeader()
    {
        source_.Skip(kPreambleBytes);
        uint8_t byte = 0;
        do
            byte = source_.ReadU8();
        while (byte == 0);
        if (byte != kVersionOpcode)
            ThrowDecodeError(PE_WRONG_SIGNATURE, "Error decoding pict: Version number missing.");
        uint8_t version = source_.ReadU8();
        if (version == 2 && source_.ReadU8() == 0xFF)
            version_ = 2;
        else if (version == 1)
            version_ = 1;
        else
            ThrowDecodeError(PE_WRONG_SIGNATURE, "Illegal version number.");
        WriteTraceFormat(2, "PICT version %d found.\n", version_);
    }

    // Version 2 opcodes are words at even offsets.
    uint16_t ReadOpcode()
    {
        if (version_ == 1)
            return source_.ReadU8();
        if (source_.GetPosition() % 2 != 0)
            source_.Skip(1);
        return source_.ReadU16BE();
    }

    // Returns true once the picture's image is decoded.
    bool DecodeOpcode(uint16_t opcode)
    {
        if (opcode == kEndOfPicture || opcode == kEndOfPictureWord) {
            WriteTrace(2, "Opcode: End of pict.\n");
            ThrowDecodeError(PE_UNSUPPORTED, "PICT contained only vector data!\n");
        }
        if (opcode < kPictTableOpcodes)
            return DecodeTableOpcode(opcode);
        if (opcode == kHeaderOp) {
            WriteTrace(2, "Opcode: Header.\n");
            source_.Skip(24);
            return false;
        }
        if (opcode == kCompressedQuickTime) {
            WriteTrace(2, "Opcode: JPEG.\n");
            DecodeEmbeddedJpeg();
            return true;
        }
        WriteTraceFormat(2, "Opcode: reserved 0x%x.\n", opcode);
        SkipReservedOpcode(opcode);
        return false;
    }

    bool DecodeTableOpcode(uint16_t opcode)
    {
        const PictOpcode& row = PictOpcodeAt(opcode);
        if (std::strcmp(row.name, "reserved") == 0)
            WriteTraceFormat(2, "Opcode: reserved=0x%x\n", opcode);
        else
            WriteTraceFormat(2, "Opcode: %s\n", row.name);
        if (row.length >= 0) {
            source_.Skip(static_cast<size_t>(row.length));
            return false;
        }
        if (row.length == kPictLengthWord) {
            source_.Skip(source_.ReadU16BE());
            return false;
        }
        return ReadOpcodeData(opcode);
    }

    bool ReadOpcodeData(uint16_t opcode)
    {
        switch (opcode) {
        case kClip: SkipSizedData(); return false;
        case kBkPixPat:
        case kPnPixPat:
        case kFillPixPat: SkipPattern(); return false;
        case kLongText: SkipText(4); return false;
        case kDHText:
        case kDVText: SkipText(1); return false;
        case kDHDVText: SkipText(2); return false;
        case kBitsRect:
        case kBitsRgn:
        case kPackBitsRect:
        case kPackBitsRgn: DecodeBits(opcode); return true;
        case kDirectBitsRect:
        case kDirectBitsRgn: DecodeDirectBits(opcode == kDirectBitsRgn); return true;
        case kLongComment:
            source_.Skip(2);  // kind
            source_.Skip(source_.ReadU16BE());
            return false;
        default:
            if ((opcode >= kFramePoly && opcode <= kLastPoly) || (opcode >= kFrameRgn && opcode <= kLastRgn)) {
                SkipPolygonOrRegion();
                return false;
            }
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Error decoding pict: No reader for opcode 0x%x.", opcode));
        }
    }

    static bool IsRasterOpcode(uint16_t opcode)
    {
        return opcode == kBitsRect || opcode == kBitsRgn || opcode == kPackBitsRect || opcode == kPackBitsRgn ||
               opcode == kDirectBitsRect || opcode == kDirectBitsRgn;
    }

    // Programs short of memory wrote large images as a column of strips, one
    // raster opcode each. The strips that follow the first one up to the end
    // of the picture are read here, and those that can join it are kept (a
    // mask or an icon of another depth is left out); an error in what follows
    // the first image only ends the search.
    std::vector<PictBand> ReadFollowingBands()
    {
        std::vector<PictBand> bands;
        // The strips together may take no more memory than one bitmap may.
        int64_t budget = kMaxBitmapBytes;
        try {
            while (budget > 0) {
                uint16_t opcode = ReadOpcode();
                if (opcode == kEndOfPicture || opcode == kEndOfPictureWord)
                    break;
                if (!IsRasterOpcode(opcode) && opcode != kCompressedQuickTime) {
                    DecodeOpcode(opcode);
                    continue;
                }
                PictBand band = ReadBand(opcode, budget);
                budget -= band.pixels->GetMemorySize();
                if (band.placeable)
                    bands.push_back(std::move(band));
            }
        } catch (const CTextException&) {
        }
        return bands;
    }

    // One strip, decoded at the first image's depth, and whether it can be
    // placed beside the first image unchanged.
    PictBand ReadBand(uint16_t opcode, int64_t budget)
    {
        auto pixels = std::make_unique<CPlainBitmap>();
        PaletteBuffer palette;
        int depth = bitmap_.GetBitsPerPixel();
        PictReader reader(*pixels, palette, depth, source_, jpegDecoder_);
        reader.version_ = version_;
        reader.bandBudget_ = budget;
        if (opcode == kCompressedQuickTime) {
            WriteTrace(2, "Opcode: JPEG.\n");
            reader.DecodeEmbeddedJpeg();
        } else {
            WriteTraceFormat(2, "Opcode: %s\n", PictOpcodeAt(opcode).name);
            reader.ReadOpcodeData(opcode);
        }
        PictBand band;
        band.destination = reader.placement_.destinationRect;
        band.placeable = reader.placement_.IsPlainCopy() && BandMatches(bitmap_, *pixels);
        band.pixels = std::move(pixels);
        return band;
    }

    // The opcodes beyond the table are stepped over by their range.
    void SkipReservedOpcode(uint16_t opcode)
    {
        if (opcode <= 0xAF)
            source_.Skip(source_.ReadU16BE());
        else if (opcode <= 0xCF)
            return;
        else if (opcode <= 0xFE)
            source_.Skip(source_.ReadU32BE());
        else if (opcode <= 0x7FFF)
            source_.Skip((opcode >> 7) & 0xFF);
        else if (opcode <= 0x80FF)
            return;
        else
            source_.Skip(source_.ReadU32BE());
    }

    // A text opcode: `skip` bytes of position, a count byte, that many characters.
    void SkipText(size_t skip)
    {
        source_.Skip(skip);
        source_.Skip(source_.ReadU8());
    }

    // Regions and polygons begin with a size word that counts itself.
    void SkipSizedData()
    {
        uint16_t size = source_.ReadU16BE();
        if (size < 2)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Error decoding pict: Region or polygon of %d bytes.", size));
        source_.Skip(size - 2u);
    }

    void SkipPolygonOrRegion()
    {
        WriteTrace(3, "Skipping polygon or region.\n");
        SkipSizedData();
    }

    // A dithered pattern is an old pattern and a colour; a full pixel pattern
    // carries a pixmap, a colour table and rows.
    void SkipPattern()
    {
        uint16_t type = source_.ReadU16BE();
        if (type == 2) {
            source_.Skip(8 + 5);  // the next opcode's alignment takes the colour's sixth byte
            return;
        }
        if (type != 1)
            ThrowDecodeError(PE_FORMAT_ERROR, "Unknown pattern type in pixPat.");
        source_.Skip(8);
        uint16_t rowBytes = source_.ReadU16BE() & ~kPixMapFlag;
        PixMapRecord pixMap = ReadPixMap();
        ReadColorTable();  // not needed to step over the rows
        SkipPictRows(source_, RowLayoutOf(pixMap, rowBytes, true));
    }

    PictRect ReadRect()
    {
        PictRect rect;
        rect.top = static_cast<int16_t>(source_.ReadU16BE());
        rect.left = static_cast<int16_t>(source_.ReadU16BE());
        rect.bottom = static_cast<int16_t>(source_.ReadU16BE());
        rect.right = static_cast<int16_t>(source_.ReadU16BE());
        return rect;
    }

    static void TraceRect(const char* label, const PictRect& rect)
    {
        WriteTraceFormat(2, "%s (%d,%d) (%d,%d).\n", label, rect.left, rect.top, rect.right, rect.bottom);
    }

    // The bounds and the pixmap fields behind them, traced.
    PixMapRecord ReadPixMap()
    {
        PixMapRecord pixMap;
        pixMap.bounds = ReadRect();
        pixMap.version = source_.ReadU16BE();
        pixMap.packType = source_.ReadU16BE();
        pixMap.packSize = source_.ReadU32BE();
        source_.Skip(8 + 2);  // resolutions, pixel type
        pixMap.pixelSize = source_.ReadU16BE();
        pixMap.cmpCount = source_.ReadU16BE();
        pixMap.cmpSize = source_.ReadU16BE();
        pixMap.planeBytes = source_.ReadU32BE();
        source_.Skip(8);  // colour table handle, reserved
        WriteTrace(2, "PixMap header info:\n");
        TraceRect("  Bounds:", pixMap.bounds);
        WriteTraceFormat(2, "  version: 0x%x\n", pixMap.version);
        WriteTraceFormat(2, "  packType: %d\n", pixMap.packType);
        WriteTraceFormat(2, "  packSize: %ld\n", static_cast<long>(static_cast<int32_t>(pixMap.packSize)));
        WriteTraceFormat(2, "  pixelSize: %d\n", pixMap.pixelSize);
        WriteTraceFormat(2, "  cmpCount: %d\n", pixMap.cmpCount);
        WriteTraceFormat(2, "  cmpSize: %d.\n", pixMap.cmpSize);
        WriteTraceFormat(2, "  planeBytes: %ld.\n", static_cast<long>(static_cast<int32_t>(pixMap.planeBytes)));
        return pixMap;
    }

    // 256 opaque entries; entries the table does not name are black, and
    // entries beyond 255 are read and dropped. A size word of 0xFFFF is an
    // empty table.
    PaletteBuffer ReadColorTable()
    {
        WriteTrace(3, "Getting color table info.\n");
        source_.Skip(4);  // seed
        bool indexOrder = (source_.ReadU16BE() & 0x8000) != 0;
        int entries = (source_.ReadU16BE() + 1) & 0xFFFF;
        WriteTraceFormat(2, "Palette Size:  %d\n", entries);
        WriteTrace(3, "Reading Palette.\n");
        PaletteBuffer table(new (std::nothrow) BgraPixel[kPaletteSize]);
        if (table == nullptr)
            ThrowDecodeError(PE_ALLOC_FAILED, "Out of memory allocationg color table.");
        std::fill_n(table.get(), kPaletteSize, OpaqueBgra(0, 0, 0));
        const uint8_t* data = source_.Read(static_cast<size_t>(entries) * 8);
        for (int i = 0; i < entries; ++i, data += 8) {
            int index = indexOrder ? i : os::LoadBigEndian<uint16_t>(data);
            if (index >= entries)
                ThrowDecodeError(PE_FORMAT_ERROR, "pixel value greater than colour table size.");
            // Each 16-bit component keeps its high byte.
            if (index < kPaletteSize)
                table[index] = OpaqueBgra(data[2], data[4], data[6]);
        }
        return table;
    }

    static PictRowLayout RowLayoutOf(const PixMapRecord& pixMap, int rowBytes, bool packable)
    {
        PictRowLayout layout;
        layout.width = std::max(pixMap.bounds.Width(), 0);
        layout.height = std::max(pixMap.bounds.Height(), 0);
        layout.pixelSize = pixMap.pixelSize;
        layout.components = pixMap.cmpCount;
        layout.rowBytes = rowBytes;
        layout.packable = packable;
        return layout;
    }

    // BitsRect and friends: a one-bit bitmap, or a pixmap when rowBytes has
    // its flag. The copybits opcodes store their rows unpacked.
    void DecodeBits(uint16_t opcode)
    {
        uint16_t rowBytes = source_.ReadU16BE();
        bool region = opcode == kBitsRgn || opcode == kPackBitsRgn;
        bool packable = opcode == kPackBitsRect || opcode == kPackBitsRgn;
        if ((rowBytes & kPixMapFlag) != 0)
            DecodePixMap(rowBytes & ~kPixMapFlag, region, packable);
        else
            DecodeBitmap(rowBytes, region, packable);
    }

    void DecodeBitmap(uint16_t rowBytes, bool region, bool packable)
    {
        WriteTrace(2, "Reading version 1 bitmap.\n");
        PixMapRecord bitmap;
        bitmap.bounds = ReadRect();
        bitmap.pixelSize = 1;
        TraceRect("  Bounds", bitmap.bounds);
        ReadPlacement(bitmap.bounds);
        if (region)
            SkipPolygonOrRegion();
        PictRowLayout layout = RowLayoutOf(bitmap, rowBytes, packable);
        CheckLayout(bitmap, layout);
        CreateBitmap(layout, 1, false);
        if (wantedDepth_ == 8)
            std::copy(std::begin(kBitmapColors), std::end(kBitmapColors), bitmap_.GetPalette());
        CWriteAccess access(bitmap_);
        ReadPictRows(source_, layout, kBitmapColors, bitmap_);
    }

    void DecodePixMap(uint16_t rowBytes, bool region, bool packable)
    {
        PixMapRecord pixMap = ReadPixMap();
        palette_ = ReadColorTable();
        ReadPlacement(pixMap.bounds);
        if (region)
            SkipPolygonOrRegion();
        PictRowLayout layout = RowLayoutOf(pixMap, rowBytes, packable);
        CheckLayout(pixMap, layout);
        CreateBitmap(layout, pixMap.pixelSize, HasAlpha(pixMap));
        if (wantedDepth_ == 8)
            bitmap_.SetPaletteEntries(palette_.get());
        CWriteAccess access(bitmap_);
        ReadPictRows(source_, layout, palette_.get(), bitmap_);
    }

    // Direct pixels carry no colour table; pixels of up to 8 bits are grey
    // levels and decode to 32 bits.
    void DecodeDirectBits(bool region)
    {
        source_.Skip(4 + 2);  // base address, rowBytes
        PixMapRecord pixMap = ReadPixMap();
        ReadPlacement(pixMap.bounds);
        if (region)
            SkipPolygonOrRegion();
        PictRowLayout layout = RowLayoutOf(pixMap, 0, true);
        CheckLayout(pixMap, layout);
        if (pixMap.pixelSize <= 8) {
            wantedDepth_ = 32;
            palette_ = std::make_unique<BgraPixel[]>(kPaletteSize);
            FillGreyRamp(palette_.get(), 1 << pixMap.pixelSize);
        }
        CreateBitmap(layout, pixMap.pixelSize, HasAlpha(pixMap));
        CWriteAccess access(bitmap_);
        ReadPictRows(source_, layout, palette_.get(), bitmap_);
    }

    // The source and destination rectangles, and the transfer mode, which is not used.
    void ReadPlacement(const PictRect& bounds)
    {
        placement_.bounds = bounds;
        placement_.sourceRect = ReadRect();
        placement_.destinationRect = ReadRect();
        source_.Skip(2);
    }

    static bool HasAlpha(const PixMapRecord& pixMap) { return pixMap.pixelSize == 32 && pixMap.cmpCount == 4; }

    // All checks before the bitmap is allocated: the pixel layout, the size,
    // and enough data for every row.
    void CheckLayout(const PixMapRecord& pixMap, const PictRowLayout& layout) const
    {
        static constexpr int kPixelSizes[] = {1, 2, 4, 8, 16, 32};
        if (std::find(std::begin(kPixelSizes), std::end(kPixelSizes), layout.pixelSize) == std::end(kPixelSizes))
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Illegal bpp value in unpackbits: %d\n", layout.pixelSize));
        if (layout.pixelSize == 32 && layout.components != 3 && layout.components != 4)
            ThrowDecodeError(PE_UNSUPPORTED_VARIANT,
                             FormatText("Error decoding pict: 32-bit pixels of %d components.", layout.components));
        if (pixMap.bounds.Width() <= 0 || pixMap.bounds.Height() <= 0)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Error decoding pict: the picture size %d x %d is not positive.",
                                                         pixMap.bounds.Width(), pixMap.bounds.Height()));
        CheckPictRowsPresent(source_, layout);
    }

    void CreateBitmap(const PictRowLayout& layout, int sourceDepth, bool alpha)
    {
        ChooseDestinationDepth(sourceDepth, wantedDepth_);
        if (bandBudget_ >= 0 && gdi::DibStride(layout.width, wantedDepth_) * layout.height > bandBudget_)
            ThrowDecodeError(PE_ALLOC_FAILED, "Error decoding pict: no memory left for another strip.");
        bitmap_.Create(layout.width, layout.height, wantedDepth_, alpha && wantedDepth_ == 32);
    }

    // QuickTime data are searched for the start of a JPEG stream, which goes
    // to the JPEG decoder. The source is left at the end of the opcode's data.
    void DecodeEmbeddedJpeg()
    {
        uint64_t length = source_.ReadU32BE();
        uint64_t end = static_cast<uint64_t>(source_.GetPosition()) + length;
        PictRect destination;
        bool translated = ReadQuickTimeTranslation(length, destination);
        DecodeJpegIn(length);
        if (end > static_cast<uint64_t>(source_.GetSize()))
            return;
        source_.Skip(static_cast<size_t>(end - static_cast<uint64_t>(source_.GetPosition())));
        if (translated) {
            placement_.bounds = {0, 0, static_cast<int16_t>(bitmap_.GetHeight()), static_cast<int16_t>(bitmap_.GetWidth())};
            placement_.sourceRect = placement_.bounds;
            destination.bottom = static_cast<int16_t>(destination.top + bitmap_.GetHeight());
            destination.right = static_cast<int16_t>(destination.left + bitmap_.GetWidth());
            placement_.destinationRect = destination;
        }
    }

    // The image description begins with a version word and a 3 x 3 matrix of
    // 16.16 numbers (the last column 2.30). True when it only moves the image
    // by whole pixels; `destination` then holds its top-left corner.
    bool ReadQuickTimeTranslation(uint64_t length, PictRect& destination)
    {
        constexpr size_t kMatrixEnd = 2 + 9 * 4;
        if (length < kMatrixEnd || static_cast<uint64_t>(source_.GetRemaining()) < kMatrixEnd)
            return false;
        os::CByteReader description(source_.Peek(kMatrixEnd), kMatrixEnd);
        int32_t m[9];
        for (int i = 0; i < 9; ++i)
            m[i] = static_cast<int32_t>(description.U32BE(2 + 4 * i).value_or(0));
        constexpr int32_t kOne = 0x10000;
        constexpr int32_t kOneFract = 0x40000000;
        if (m[0] != kOne || m[1] != 0 || m[2] != 0 || m[3] != 0 || m[4] != kOne || m[5] != 0 || m[8] != kOneFract ||
            m[6] % kOne != 0 || m[7] % kOne != 0)
            return false;
        destination.left = static_cast<int16_t>(m[6] / kOne);
        destination.top = static_cast<int16_t>(m[7] / kOne);
        return true;
    }

    void DecodeJpegIn(uint64_t length)
    {
        size_t available = static_cast<size_t>(source_.GetRemaining());
        os::CByteReader data(source_.Peek(available), available);
        for (uint64_t offset = 0; offset < length; ++offset) {
            if (!data.Has(offset, 1))
                ThrowEndOfFile();
            if (data.U8(offset) == 0xFF && data.U8(offset + 1) == 0xD8 && data.U8(offset + 2) == 0xFF) {
                if (jpegDecoder_ == nullptr)
                    ThrowDecodeError(PE_UNSUPPORTED, "Library not compiled for PICT/JPEG.");
                source_.Skip(static_cast<size_t>(offset));
                jpegDecoder_->Decode(source_, bitmap_, callerDepth_);
                return;
            }
        }
        ThrowDecodeError(PE_UNSUPPORTED, "PICT file contains unrecognized quicktime data.\n");
    }

    CPictureBitmap& bitmap_;
    PaletteBuffer& palette_;
    int& wantedDepth_;
    int callerDepth_;
    CByteSource& source_;
    CPictureDecoder* jpegDecoder_;
    int version_ = 1;
    PictPlacement placement_;
    int64_t bandBudget_ = -1;  // bytes a strip's bitmap may take; -1 for the first image
};

}  // namespace

void CPICTDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                               CByteSource& source)
{
    PictReader(bitmap, paletteOut, wantedDepth, source, jpegDecoder_).Decode();
}
