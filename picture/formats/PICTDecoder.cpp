#include "picture/formats/PICTDecoder.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "picture/bitmap/PlainBitmap.h"
#include "picture/decoding/MemoryByteSource.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "picture/formats/PictBands.h"
#include "picture/formats/PictOpcodes.h"
#include "picture/formats/PictQuickTime.h"
#include "picture/formats/PictRows.h"
#include "platform/gdi/BitmapInfo.h"
#include "platform/metafile/QuickDraw.h"
#include "platform/os/ByteOrder.h"

namespace {

// The Macintosh file header in front of a picture, then the picture size
// word and the picture frame.
constexpr size_t kPreambleBytes = 512;
constexpr size_t kSizeAndFrameBytes = 2 + 8;
constexpr uint8_t kVersionOpcode = 0x11;
constexpr int kPaletteSize = 256;
constexpr uint16_t kPixMapFlag = 0x8000;
constexpr int kLastShapeVerb = 4;  // a shape opcode's low three bits: frame, paint, erase, invert, fill
constexpr size_t kMaxDrawingOpcodes = size_t {1} << 20;

enum PictOpcodeValue : uint16_t {
    kClip = 0x01,
    kBkPixPat = 0x12,
    kPnPixPat = 0x13,
    kFillPixPat = 0x14,
    kLine = 0x20,
    kShortLineFrom = 0x23,
    kLongText = 0x28,
    kDHText = 0x29,
    kDVText = 0x2A,
    kDHDVText = 0x2B,
    kFrameRect = 0x30,
    kFramePoly = 0x70,
    kLastPoly = 0x77,
    kFrameRgn = 0x80,
    kLastRgn = 0x87,
    kLastShape = 0x8F,
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
               const PictEmbeddedDecoders& embedded)
        : bitmap_(bitmap),
          palette_(palette),
          wantedDepth_(wantedDepth),
          callerDepth_(wantedDepth),
          source_(source),
          embedded_(embedded)
    {
    }

    void Decode()
    {
        Trace(2, "Decoding mac pict.\n");
        if (HoldsDrawing()) {
            PlayDrawing();
            return;
        }
        ReadHeader();
        while (!DecodeOpcode(ReadOpcode())) {
        }
        if (placement_.IsPlainCopy())
            ComposePictBands(bitmap_, placement_.destinationRect, ReadFollowingBands());
    }

private:
    void Trace(int level, std::string_view text) const
    {
        if (!quiet_)
            WriteTrace(level, text);
    }

    template <typename... Args>
    void TraceFormat(int level, const char* format, Args... args) const
    {
        if (!quiet_ && TraceEnabled(level))
            WriteTraceFormat(level, format, args...);
    }

    static bool IsDrawingOpcode(uint16_t opcode)
    {
        bool line = opcode >= kLine && opcode <= kShortLineFrom;
        bool text = opcode >= kLongText && opcode <= kDHDVText;
        bool shape = opcode >= kFrameRect && opcode <= kLastShape && (opcode & 0x07) <= kLastShapeVerb;
        return line || text || shape;
    }

    // Whether the picture draws lines, shapes or text before it ends: read
    // ahead over a copy of the source, without a trace, the rows of its
    // images stepped over. A picture that cannot be read up to the end of its
    // first drawing opcode does not.
    bool HoldsDrawing()
    {
        size_t size = static_cast<size_t>(source_.GetRemaining());
        CMemoryByteSource copy;
        copy.OpenMemory(source_.Peek(size), size);
        CPlainBitmap unused;
        PaletteBuffer palette;
        int depth = 32;
        PictReader ahead(unused, palette, depth, copy, {});
        ahead.quiet_ = true;
        ahead.skipRows_ = true;
        try {
            ahead.ReadHeader();
            for (uint16_t opcode = ahead.ReadOpcode(); !IsEnd(opcode); opcode = ahead.ReadOpcode()) {
                if (IsDrawingOpcode(opcode)) {
                    ahead.DecodeOpcode(opcode);  // it draws only when its data can be read
                    return true;
                }
                if (opcode == kCompressedQuickTime)
                    copy.Skip(copy.ReadU32BE());
                else
                    ahead.DecodeOpcode(opcode);
            }
        } catch (const CTextException&) {
        }
        return false;
    }

    // A picture that draws is played by the QuickDraw player onto its frame,
    // its raster images decoded here first.
    void PlayDrawing()
    {
        int64_t start = source_.GetPosition();
        const uint8_t* bytes = source_.Peek(static_cast<size_t>(source_.GetRemaining()));
        metafile::QuickDrawPicture picture;
        picture.bytes = bytes;
        picture.size = static_cast<size_t>(source_.GetRemaining());
        ReadHeader();
        picture.frame = {frame_.left, frame_.top, frame_.right, frame_.bottom};
        int width = picture.frame.right - picture.frame.left;
        int height = picture.frame.bottom - picture.frame.top;
        if (width <= 0 || height <= 0)
            ThrowDecodeError(PE_FORMAT_ERROR,
                             FormatText("Error decoding pict: the picture size %d x %d is not positive.", width, height));
        if (!FitsBitmapLimits(width, height, 32))
            ThrowDecodeError(PE_ALLOC_FAILED, "The picture has more pixels than this program takes.");
        CollectOpcodes(picture, start);
        ChooseDestinationDepth(32, wantedDepth_);
        bitmap_.Create(width, height, wantedDepth_, false);
        CWriteAccess access(bitmap_);
        uint8_t* const* lines = bitmap_.GetLines();
        // The player's pixels are opaque 0xFFRRGGBB, the layout of BgraPixel.
        bool drawn = metafile::PlayQuickDraw(picture, [&](int y, const uint32_t* pixels) {
            std::memcpy(lines[y], pixels, static_cast<size_t>(width) * 4);
        });
        if (!drawn)
            ThrowDecodeError(PE_ALLOC_FAILED, "Cannot allocate memory bitmap.");
    }

    // Walks the opcodes up to the end of the picture, noting where each one's
    // data lie, and decodes the raster images and pixel patterns at 32 bits.
    // A picture cut short keeps what was read before; one holding QuickTime
    // data of a codec this library lacks is refused, as it cannot be shown.
    void CollectOpcodes(metafile::QuickDrawPicture& picture, int64_t start)
    {
        // The images together may take no more than half a bitmap: each is
        // copied once more for the player, beside the picture it draws on.
        int64_t budget = kMaxBitmapBytes / 2;
        bool afterQuickTime = false;
        try {
            while (picture.opcodes.size() < kMaxDrawingOpcodes) {
                uint16_t opcode = ReadOpcode();
                if (IsEnd(opcode)) {
                    Trace(2, "Opcode: End of pict.\n");
                    break;
                }
                metafile::QuickDrawOpcode entry;
                entry.opcode = opcode;
                entry.data = static_cast<size_t>(source_.GetPosition() - start);
                if (opcode == kHeaderOp)
                    picture.source = ReadSourceRect();
                if (IsRasterOpcode(opcode) || opcode == kCompressedQuickTime || IsPixelPattern(opcode))
                    entry.image = ReadImage(opcode, budget, CornerOf(picture), picture.images);
                else
                    DecodeOpcode(opcode);
                entry.size = static_cast<size_t>(source_.GetPosition() - start) - entry.data;
                // What follows a QuickTime image is its stand-in for readers without QuickTime.
                if (opcode == kCompressedQuickTime && entry.image >= 0)
                    afterQuickTime = true;
                if (!afterQuickTime || opcode == kCompressedQuickTime)
                    picture.opcodes.push_back(entry);
            }
        } catch (const CTextException& error) {
            if (error.GetCode() == PE_UNSUPPORTED)
                throw;
        }
    }

    // The extended version 2 header (version -2) gives the rectangle of the
    // picture's coordinates that its frame shows, at the resolution it gives;
    // none otherwise.
    metafile::MetaRect ReadSourceRect()
    {
        os::CByteReader header(source_.Peek(24), 24);
        if (header.U16BE(0) != 0xFFFE)
            return {};
        auto word = [&](size_t offset) { return static_cast<int16_t>(header.U16BE(offset).value_or(0)); };
        return {word(14), word(12), word(18), word(16)};
    }

    // Where a QuickTime image without a placement goes: the top-left corner
    // of the picture's coordinates.
    static metafile::MetaRect CornerOf(const metafile::QuickDrawPicture& picture)
    {
        return picture.source.right > picture.source.left ? picture.source : picture.frame;
    }

    static bool IsPixelPattern(uint16_t opcode) { return opcode >= kBkPixPat && opcode <= kFillPixPat; }

    // One raster image or pixel pattern, decoded at 32 bits into `images`;
    // its index there, or -1 when it gave no picture.
    int ReadImage(uint16_t opcode, int64_t& budget, const metafile::MetaRect& corner,
                  std::vector<metafile::QuickDrawImage>& images)
    {
        CPlainBitmap pixels;
        PaletteBuffer palette;
        int depth = 32;
        PictReader reader(pixels, palette, depth, source_, embedded_);
        reader.version_ = version_;
        reader.bandBudget_ = budget;
        TraceFormat(2, "Opcode: %s\n", opcode == kCompressedQuickTime ? "JPEG." : PictOpcodeAt(opcode).name);
        if (opcode == kCompressedQuickTime)
            reader.DecodeQuickTime();
        else if (IsPixelPattern(opcode))
            reader.SkipPattern(&pixels);
        else
            reader.ReadOpcodeData(opcode);
        if (pixels.GetWidth() <= 0 || pixels.GetBitsPerPixel() != 32)
            return -1;
        budget -= pixels.GetMemorySize();
        images.push_back(ImageOf(pixels, reader.placement_, opcode == kCompressedQuickTime, corner));
        return static_cast<int>(images.size() - 1);
    }

    // QuickTime images without a placement of their own go to `origin`'s corner.
    static metafile::QuickDrawImage ImageOf(CPlainBitmap& pixels, const PictPlacement& placement, bool quickTime,
                                            const metafile::MetaRect& origin)
    {
        metafile::QuickDrawImage image;
        image.width = pixels.GetWidth();
        image.height = pixels.GetHeight();
        image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
        pixels.BeginAccess(true, false);
        for (int y = 0; y < image.height; ++y)
            std::memcpy(image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width),
                        pixels.GetLines()[y], static_cast<size_t>(image.width) * 4);
        pixels.EndAccess();
        const PictRect& bounds = placement.bounds;
        const PictRect& source = placement.sourceRect;
        const PictRect& destination = placement.destinationRect;
        if (quickTime && destination == PictRect {}) {
            image.source = {0, 0, image.width, image.height};
            image.destination = {origin.left, origin.top, origin.left + image.width, origin.top + image.height};
        } else {
            image.source = {source.left - bounds.left, source.top - bounds.top, source.right - bounds.left,
                            source.bottom - bounds.top};
            image.destination = {destination.left, destination.top, destination.right, destination.bottom};
        }
        image.mode = placement.mode;
        return image;
    }

    // Files with the preamble are read as they always were; a file without
    // it is known by its header at the start.
    void ReadHeader()
    {
        size_t available = static_cast<size_t>(std::min<int64_t>(source_.GetRemaining(), kPreambleBytes + 16));
        std::span<const uint8_t> start(source_.Peek(available), available);
        bool bare = !IsPictHeaderAt(start, kPreambleBytes) && IsPictHeaderAt(start, 0);
        source_.Skip((bare ? 0 : kPreambleBytes) + 2);  // the picture size
        frame_ = ReadRect();
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
        TraceFormat(2, "PICT version %d found.\n", version_);
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
        if (IsEnd(opcode)) {
            Trace(2, "Opcode: End of pict.\n");
            ThrowDecodeError(PE_UNSUPPORTED, "PICT contained only vector data!\n");
        }
        if (opcode < kPictTableOpcodes)
            return DecodeTableOpcode(opcode);
        if (opcode == kHeaderOp) {
            Trace(2, "Opcode: Header.\n");
            source_.Skip(24);
            return false;
        }
        if (opcode == kCompressedQuickTime) {
            Trace(2, "Opcode: JPEG.\n");
            DecodeQuickTime();
            return true;
        }
        TraceFormat(2, "Opcode: reserved 0x%x.\n", opcode);
        SkipReservedOpcode(opcode);
        return false;
    }

    bool DecodeTableOpcode(uint16_t opcode)
    {
        const PictOpcode& row = PictOpcodeAt(opcode);
        if (std::strcmp(row.name, "reserved") == 0)
            TraceFormat(2, "Opcode: reserved=0x%x\n", opcode);
        else
            TraceFormat(2, "Opcode: %s\n", row.name);
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

    static bool IsEnd(uint16_t opcode) { return opcode == kEndOfPicture || opcode == kEndOfPictureWord; }

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
                if (IsEnd(opcode))
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
        PictReader reader(*pixels, palette, depth, source_, embedded_);
        reader.version_ = version_;
        reader.bandBudget_ = budget;
        if (opcode == kCompressedQuickTime) {
            Trace(2, "Opcode: JPEG.\n");
            reader.DecodeQuickTime();
        } else {
            TraceFormat(2, "Opcode: %s\n", PictOpcodeAt(opcode).name);
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
        Trace(3, "Skipping polygon or region.\n");
        SkipSizedData();
    }

    // A dithered pattern is an old pattern and a colour; a full pixel pattern
    // carries a pixmap, a colour table and rows.
    // `into`, when given, receives the pixels of a full pixel pattern of up
    // to 8 bits at 32 bits.
    void SkipPattern(CPictureBitmap* into = nullptr)
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
        PaletteBuffer table = ReadPictColorTable(source_, !quiet_);
        PictRowLayout layout = RowLayoutOf(pixMap, rowBytes, true);
        constexpr int64_t kMaxPatternPixels = 1 << 16;
        bool decodable = into != nullptr && layout.width > 0 && layout.height > 0 && layout.pixelSize <= 8 &&
                         int64_t {layout.width} * layout.height <= kMaxPatternPixels;
        if (!decodable) {
            SkipPictRows(source_, layout);
            return;
        }
        CheckLayout(pixMap, layout);
        into->Create(layout.width, layout.height, 32, false);
        CWriteAccess access(*into);
        ReadPictRows(source_, layout, table.get(), *into);
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

    void TraceRect(const char* label, const PictRect& rect) const
    {
        TraceFormat(2, "%s (%d,%d) (%d,%d).\n", label, rect.left, rect.top, rect.right, rect.bottom);
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
        Trace(2, "PixMap header info:\n");
        TraceRect("  Bounds:", pixMap.bounds);
        TraceFormat(2, "  version: 0x%x\n", pixMap.version);
        TraceFormat(2, "  packType: %d\n", pixMap.packType);
        TraceFormat(2, "  packSize: %ld\n", static_cast<long>(static_cast<int32_t>(pixMap.packSize)));
        TraceFormat(2, "  pixelSize: %d\n", pixMap.pixelSize);
        TraceFormat(2, "  cmpCount: %d\n", pixMap.cmpCount);
        TraceFormat(2, "  cmpSize: %d.\n", pixMap.cmpSize);
        TraceFormat(2, "  planeBytes: %ld.\n", static_cast<long>(static_cast<int32_t>(pixMap.planeBytes)));
        return pixMap;
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
        Trace(2, "Reading version 1 bitmap.\n");
        PixMapRecord bitmap;
        bitmap.bounds = ReadRect();
        bitmap.pixelSize = 1;
        TraceRect("  Bounds", bitmap.bounds);
        ReadPlacement(bitmap.bounds);
        if (region)
            SkipPolygonOrRegion();
        PictRowLayout layout = RowLayoutOf(bitmap, rowBytes, packable);
        CheckLayout(bitmap, layout);
        if (skipRows_) {
            SkipPictRows(source_, layout);
            return;
        }
        CreateBitmap(layout, 1, false);
        if (wantedDepth_ == 8)
            std::copy(std::begin(kBitmapColors), std::end(kBitmapColors), bitmap_.GetPalette());
        CWriteAccess access(bitmap_);
        ReadPictRows(source_, layout, kBitmapColors, bitmap_);
    }

    void DecodePixMap(uint16_t rowBytes, bool region, bool packable)
    {
        PixMapRecord pixMap = ReadPixMap();
        palette_ = ReadPictColorTable(source_, !quiet_);
        ReadPlacement(pixMap.bounds);
        if (region)
            SkipPolygonOrRegion();
        PictRowLayout layout = RowLayoutOf(pixMap, rowBytes, packable);
        CheckLayout(pixMap, layout);
        if (skipRows_) {
            SkipPictRows(source_, layout);
            return;
        }
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
        if (skipRows_) {
            SkipPictRows(source_, layout);
            return;
        }
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
        placement_.mode = source_.ReadU16BE();
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

    // QuickTime data. The source is left at the end of the opcode's data.
    void DecodeQuickTime()
    {
        uint64_t length = source_.ReadU32BE();
        uint64_t end = static_cast<uint64_t>(source_.GetPosition()) + length;
        std::optional<PictRect> corner = PictQuickTimeTranslation(source_, length);
        DecodePictQuickTime(source_, length, embedded_, {bitmap_, wantedDepth_, callerDepth_});
        if (end > static_cast<uint64_t>(source_.GetSize()))
            return;
        source_.Skip(static_cast<size_t>(end - static_cast<uint64_t>(source_.GetPosition())));
        if (corner) {
            PictRect destination = *corner;
            placement_.bounds = {0, 0, static_cast<int16_t>(bitmap_.GetHeight()), static_cast<int16_t>(bitmap_.GetWidth())};
            placement_.sourceRect = placement_.bounds;
            destination.bottom = static_cast<int16_t>(destination.top + bitmap_.GetHeight());
            destination.right = static_cast<int16_t>(destination.left + bitmap_.GetWidth());
            placement_.destinationRect = destination;
        }
    }

    CPictureBitmap& bitmap_;
    PaletteBuffer& palette_;
    int& wantedDepth_;
    int callerDepth_;
    CByteSource& source_;
    PictEmbeddedDecoders embedded_;
    int version_ = 1;
    PictRect frame_;
    PictPlacement placement_;
    int64_t bandBudget_ = -1;  // bytes a strip's bitmap may take; -1 for the first image
    bool quiet_ = false;       // no trace: the look-ahead for drawing
    bool skipRows_ = false;    // raster opcodes are stepped over
};

bool StartsWith(const os::CByteReader& bytes, size_t offset, std::initializer_list<uint8_t> values)
{
    for (uint8_t value : values)
        if (bytes.U8(offset++) != value)
            return false;
    return true;
}

}  // namespace

bool IsPictHeaderAt(std::span<const uint8_t> bytes, size_t offset)
{
    os::CByteReader h(bytes.data(), bytes.size());
    size_t version = offset + kSizeAndFrameBytes;
    // Version 1 pictures begin with a clip region, or with comments.
    return StartsWith(h, version, {0x00, 0x11, 0x02, 0xFF}) || StartsWith(h, version, {0x00, 0x11, 0x01}) ||
           StartsWith(h, version, {0x11, 0x01, 0x01, 0x00}) || StartsWith(h, version, {0x11, 0x01, 0xA0}) ||
           StartsWith(h, version, {0x11, 0x01, 0xA1});
}

bool IsBarePictHeader(std::span<const uint8_t> bytes)
{
    os::CByteReader h(bytes.data(), bytes.size());
    auto word = [&](size_t offset) { return static_cast<int16_t>(h.U16BE(offset).value_or(0)); };
    bool frameNotEmpty = word(2) < word(6) && word(4) < word(8);  // top < bottom, left < right
    return frameNotEmpty && IsPictHeaderAt(bytes, 0);
}

void CPICTDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                               CByteSource& source)
{
    PictReader(bitmap, paletteOut, wantedDepth, source, embedded_).Decode();
}
