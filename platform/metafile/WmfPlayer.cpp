#include "platform/metafile/WmfPlayer.h"

#include "platform/metafile/BitmapDrawer.h"
#include "platform/metafile/FontMapper.h"
#include "platform/metafile/MetafileHeaders.h"
#include "platform/metafile/RecordReading.h"
#include "platform/metafile/RegionData.h"
#include "platform/metafile/TextDrawer.h"
#include "platform/metafile/WmfRecords.h"

namespace metafile {

namespace {

constexpr uint64_t kRecordHeader = 6;  // size in words, function

// Records drawn from a bitmap, which have a form without one: theirs is
// that many words long in all, the function's high byte plus three.
bool HasNoBitmap(uint16_t function, uint64_t recordWords)
{
    return recordWords == (function >> 8) + 3u;
}

QSizeF ExtentOf(const QPointF& point)
{
    return QSizeF(point.x(), point.y());
}

}  // namespace

void CWmfPlayer::Play()
{
    uint64_t at = kWmfHeaderSize;
    for (uint32_t played = 0; played < kMaxRecords && bytes_.Has(at, kRecordHeader); ++played) {
        uint64_t words = bytes_.U32(at);
        uint16_t function = bytes_.U16(at + 4);
        if (words < 3 || !bytes_.Has(at, 2 * words) || function == meta::EOF_RECORD)
            break;
        try {
            PlayRecord(function, Params {bytes_.Sub(at + kRecordHeader, 2 * words - kRecordHeader)});
        } catch (const MalformedRecord&) {
        }
        at += 2 * words;
    }
}

void CWmfPlayer::PlayRecord(uint16_t function, Params params)
{
    PlayState(function, params) || PlayMapping(function, params) || PlayObjects(function, params) ||
        PlayShapes(function, params) || PlayRegions(function, params) || PlayText(function, params) ||
        PlayBitmaps(function, params);
}

bool CWmfPlayer::PlayState(uint16_t function, Params params)
{
    DcState& state = dc_.State();
    switch (function) {
    case meta::SETBKCOLOR: state.backgroundColor = params.Long(0); break;
    case meta::SETBKMODE: state.backgroundMode = params.Word(0); break;
    case meta::SETROP2: state.rop2 = params.Word(0); break;
    case meta::SETPOLYFILLMODE: state.fillMode = params.Word(0); break;
    case meta::SETSTRETCHBLTMODE: state.stretchMode = params.Word(0); break;
    case meta::SETTEXTCHAREXTRA: state.textCharacterExtra = params.Short(0); break;
    case meta::SETTEXTCOLOR: state.textColor = params.Long(0); break;
    case meta::SETTEXTALIGN: state.textAlign = params.Word(0); break;
    case meta::SAVEDC: dc_.Save(); break;
    case meta::RESTOREDC: dc_.Restore(params.Short(0)); break;
    case meta::MOVETO: dc_.MoveTo(params.Point(0)); break;
    case meta::SETRELABS:
    case meta::ESCAPE: break;
    default: return false;
    }
    return true;
}

// The window fills the picture whatever these say about the viewport.
bool CWmfPlayer::PlayMapping(uint16_t function, Params params)
{
    CMapping& mapping = dc_.State().mapping;
    switch (function) {
    case meta::SETMAPMODE: mapping.SetMapMode(params.Word(0)); break;
    case meta::SETWINDOWORG: mapping.SetWindowOrg(params.Point(0)); break;
    case meta::SETWINDOWEXT: mapping.SetWindowExt(ExtentOf(params.Point(0))); break;
    case meta::OFFSETWINDOWORG: mapping.OffsetWindowOrg(params.Point(0)); break;
    case meta::SCALEWINDOWEXT:
        mapping.ScaleWindowExt(params.Short(3), params.Short(2), params.Short(1), params.Short(0));
        break;
    case meta::SETVIEWPORTORG: mapping.SetViewportOrg(params.Point(0)); break;
    case meta::SETVIEWPORTEXT: mapping.SetViewportExt(ExtentOf(params.Point(0))); break;
    case meta::OFFSETVIEWPORTORG: mapping.OffsetViewportOrg(params.Point(0)); break;
    case meta::SCALEVIEWPORTEXT:
        mapping.ScaleViewportExt(params.Short(3), params.Short(2), params.Short(1), params.Short(0));
        break;
    default: return false;
    }
    return true;
}

// ---- objects

template <class T>
const T* CWmfPlayer::ObjectAt(uint16_t index) const
{
    ObjectPtr object = dc_.Objects().Get(index);
    return object ? std::get_if<T>(object.get()) : nullptr;
}

LogPalette* CWmfPlayer::SelectedPaletteForChange() const
{
    const ObjectPtr& palette = dc_.State().palette;
    // The stock palette stays as it is.
    if (!palette || palette == GetStockObject(gdi::DEFAULT_PALETTE))
        return nullptr;
    return std::get_if<LogPalette>(palette.get());
}

bool CWmfPlayer::PlayObjects(uint16_t function, Params params)
{
    switch (function) {
    case meta::CREATEPENINDIRECT:
    case meta::CREATEBRUSHINDIRECT:
    case meta::CREATEFONTINDIRECT:
    case meta::CREATEPALETTE:
    case meta::CREATEPATTERNBRUSH:
    case meta::DIBCREATEPATTERNBRUSH:
    case meta::CREATEREGION: CreateObject(function, params); break;
    case meta::SELECTOBJECT: dc_.Select(dc_.Objects().Get(params.Word(0))); break;
    case meta::SELECTPALETTE: {
        ObjectPtr palette = dc_.Objects().Get(params.Word(0));
        if (palette && std::holds_alternative<LogPalette>(*palette))
            dc_.State().palette = palette;
        break;
    }
    case meta::DELETEOBJECT: dc_.Objects().Delete(params.Word(0)); break;
    case meta::SETPALENTRIES:
    case meta::ANIMATEPALETTE:
    case meta::RESIZEPALETTE: ChangePalette(function, params); break;
    case meta::REALIZEPALETTE: break;
    default: return false;
    }
    return true;
}

void CWmfPlayer::CreateObject(uint16_t function, Params params)
{
    GdiObject object;
    try {
        object = ReadObject(function, params);
    } catch (const MalformedRecord&) {
        // The object keeps its slot all the same.
    }
    dc_.Objects().PutInLowestFreeSlot(std::make_shared<GdiObject>(std::move(object)));
}

GdiObject CWmfPlayer::ReadObject(uint16_t function, Params params)
{
    switch (function) {
    case meta::CREATEPENINDIRECT: {
        LogPen pen;
        pen.style = params.Word(0);
        pen.width = params.Short(1);
        pen.color = params.Long(3);
        return pen;
    }
    case meta::CREATEBRUSHINDIRECT: {
        LogBrush brush;
        brush.style = params.Word(0);
        brush.color = params.Long(1);
        brush.hatch = params.Word(3);
        if (brush.style == gdi::BS_PATTERN || brush.style == gdi::BS_DIBPATTERN)
            brush.style = gdi::BS_SOLID;  // without a bitmap
        return brush;
    }
    case meta::CREATEFONTINDIRECT: return ReadFont(params);
    case meta::CREATEPALETTE: {
        LogPalette palette;
        uint16_t count = params.Word(1);
        for (uint16_t i = 0; i < count; ++i) {
            uint64_t at = 4 + 4 * uint64_t {i};
            CByteView bytes = params.bytes;
            palette.entries.push_back({bytes.U8(at), bytes.U8(at + 1), bytes.U8(at + 2), bytes.U8(at + 3)});
        }
        return palette;
    }
    case meta::CREATEPATTERNBRUSH: {
        // A 14-byte bitmap header, 18 reserved bytes, then the rows.
        LogBrush brush;
        brush.style = gdi::BS_PATTERN;
        if (std::optional<DibImage> bitmap = Afforded(DecodeBitmap16(params.bytes, 32))) {
            brush.monochrome = params.bytes.U8(9) == 1;
            brush.pattern = bitmap->image;
        }
        return brush;
    }
    case meta::DIBCREATEPATTERNBRUSH: {
        LogBrush brush;
        brush.style = gdi::BS_DIBPATTERNPT;
        if (std::optional<DibImage> dib = ReadPackedDib(params.bytes.From(4), params.Word(1)))
            brush.pattern = dib->image;
        return brush;
    }
    case meta::CREATEREGION: {
        std::optional<QRegion> region = ReadWindowsRegion(params.bytes);
        if (!region)
            throw MalformedRecord {};
        return LogRegion {*region};
    }
    default: throw MalformedRecord {};
    }
}

// Height, width, escapement, orientation, weight, italic, underline,
// strike-out, character set, three precisions, pitch and family, the face.
LogFont CWmfPlayer::ReadFont(Params params) const
{
    LogFont font;
    CByteView bytes = params.bytes;
    font.height = params.Short(0);
    font.width = params.Short(1);
    font.escapement = params.Short(2);
    font.weight = params.Short(4);
    font.italic = bytes.U8(10) != 0;
    font.underline = bytes.U8(11) != 0;
    font.strikeOut = bytes.U8(12) != 0;
    font.charSet = bytes.U8(13);
    font.pitchAndFamily = bytes.U8(17);
    uint64_t length = 0;
    while (length < 32 && bytes.Has(18 + length, 1) && bytes.U8(18 + length) != 0)
        ++length;
    for (const TextChar& c : DecodeBytes(bytes.Sub(18, length), font.charSet, FaceEncoding::Text))
        font.faceName += c.text.toStdU16String();
    return font;
}

void CWmfPlayer::ChangePalette(uint16_t function, Params params)
{
    LogPalette* palette = SelectedPaletteForChange();
    if (palette == nullptr)
        return;
    if (function == meta::RESIZEPALETTE) {
        palette->entries.resize(std::min<uint32_t>(params.Word(0), kMaxPaletteEntries));
        return;
    }
    uint16_t start = params.Word(0);
    uint16_t count = params.Word(1);
    for (uint16_t i = 0; i < count && start + i < static_cast<int>(palette->entries.size()); ++i) {
        uint64_t at = 4 + 4 * uint64_t {i};
        CByteView bytes = params.bytes;
        palette->entries[start + i] = {bytes.U8(at), bytes.U8(at + 1), bytes.U8(at + 2), bytes.U8(at + 3)};
    }
}

// ---- shapes

bool CWmfPlayer::PlayShapes(uint16_t function, Params params)
{
    using Kind = CPlaybackDC::ArcKind;
    switch (function) {
    case meta::LINETO: dc_.LineTo(params.Point(0)); break;
    case meta::POLYGON: dc_.Polygon(ReadPoints(params.bytes, 2, params.Word(0), PointSize::Short)); break;
    case meta::POLYLINE: dc_.Polyline(ReadPoints(params.bytes, 2, params.Word(0), PointSize::Short)); break;
    case meta::POLYPOLYGON: {
        uint64_t polygons = params.Word(0);
        uint64_t total = 0;
        for (uint64_t i = 0; i < polygons; ++i)
            total += params.Word(1 + i);
        dc_.PolyPolygon(ReadPolyPoints(params.bytes, polygons, 2, total, 2, 2 + 2 * polygons, PointSize::Short));
        break;
    }
    case meta::RECTANGLE: dc_.Rectangle(params.Box(0)); break;
    case meta::ELLIPSE: dc_.Ellipse(params.Box(0)); break;
    case meta::ROUNDRECT: dc_.RoundRect(params.Box(2), QSizeF(params.Short(1), params.Short(0))); break;
    case meta::ARC:
    case meta::PIE:
    case meta::CHORD: {
        Kind kind = function == meta::ARC ? Kind::Arc : function == meta::PIE ? Kind::Pie : Kind::Chord;
        dc_.Arc(kind, params.Box(4), params.Point(2), params.Point(0));
        break;
    }
    case meta::SETPIXEL: dc_.SetPixel(params.Point(2), params.Long(0)); break;
    case meta::FLOODFILL: dc_.FloodFill(params.Point(2), params.Long(0), true); break;
    case meta::EXTFLOODFILL: dc_.FloodFill(params.Point(3), params.Long(1), params.Word(0) == 0); break;
    default: return false;
    }
    return true;
}

// ---- regions and clipping

bool CWmfPlayer::PlayRegions(uint16_t function, Params params)
{
    switch (function) {
    case meta::EXCLUDECLIPRECT: dc_.ExcludeClipRect(params.Box(0)); break;
    case meta::INTERSECTCLIPRECT: dc_.IntersectClipRect(params.Box(0)); break;
    case meta::OFFSETCLIPRGN: dc_.OffsetClip(params.Point(0)); break;
    case meta::SELECTCLIPREGION: dc_.Select(dc_.Objects().Get(params.Word(0))); break;
    case meta::FILLREGION:
        if (const auto* region = ObjectAt<LogRegion>(params.Word(0)))
            if (const auto* brush = ObjectAt<LogBrush>(params.Word(1)))
                dc_.FillRegion(region->region, *brush);
        break;
    case meta::FRAMEREGION:
        if (const auto* region = ObjectAt<LogRegion>(params.Word(0)))
            if (const auto* brush = ObjectAt<LogBrush>(params.Word(1)))
                dc_.FrameRegion(region->region, *brush, QSizeF(params.Short(3), params.Short(2)));
        break;
    case meta::INVERTREGION:
        if (const auto* region = ObjectAt<LogRegion>(params.Word(0)))
            dc_.InvertRegion(region->region);
        break;
    case meta::PAINTREGION:
        if (const auto* region = ObjectAt<LogRegion>(params.Word(0)))
            dc_.PaintRegion(region->region);
        break;
    default: return false;
    }
    return true;
}

// ---- text

bool CWmfPlayer::PlayText(uint16_t function, Params params)
{
    switch (function) {
    case meta::TEXTOUT: TextOut(params); break;
    case meta::EXTTEXTOUT: ExtTextOut(params); break;
    default: return false;
    }
    return true;
}

// The length, the string padded to a whole word, then y and x.
void CWmfPlayer::TextOut(Params params)
{
    uint16_t length = params.Word(0);
    uint64_t padded = (length + 1u) & ~1u;
    CByteView text = params.bytes.Sub(2, length);
    uint64_t pointWord = (2 + padded) / 2;
    DrawText(params.Point(pointWord), text, 0, std::nullopt, {});
}

// y, x, length, options, the rectangle when the options clip or fill it,
// the string padded to a whole word, then an advance per byte if present.
void CWmfPlayer::ExtTextOut(Params params)
{
    QPointF reference = params.Point(0);
    uint16_t length = params.Word(2);
    uint16_t options = params.Word(3);
    uint64_t textAt = 8;
    std::optional<QRectF> rect;
    if (options & (gdi::ETO_OPAQUE | gdi::ETO_CLIPPED)) {
        rect = QRectF(QPointF(params.Short(4), params.Short(5)), QPointF(params.Short(6), params.Short(7)));
        textAt += 8;
    }
    CByteView text = params.bytes.Sub(textAt, length);
    uint64_t dxAt = textAt + ((length + 1u) & ~1u);
    std::vector<double> dx;
    if (params.bytes.Has(dxAt, 2 * uint64_t {length}))
        for (uint16_t i = 0; i < length; ++i)
            dx.push_back(params.bytes.I16(dxAt + 2 * uint64_t {i}));
    DrawText(reference, text, options, rect, std::move(dx));
}

void CWmfPlayer::DrawText(QPointF reference, CByteView text, uint32_t options, std::optional<QRectF> rect,
                          std::vector<double> dx)
{
    TextCall call;
    call.reference = reference;
    call.options = options;
    call.rect = rect;
    call.dx = std::move(dx);
    const LogFont& font = dc_.State().font;
    call.chars = DecodeBytes(text, font.charSet, EncodingOf(font));
    metafile::DrawText(dc_, call);
}

// ---- bitmaps

std::optional<DibImage> CWmfPlayer::ReadPackedDib(CByteView bytes, uint32_t usage)
{
    return Afforded(DecodePackedDib(bytes, usage, dc_.State().Palette()));
}

std::optional<DibImage> CWmfPlayer::Afforded(std::optional<DibImage> dib)
{
    return dc_.SpendPixelWork(PixelsOf(dib)) ? std::move(dib) : std::nullopt;
}

bool CWmfPlayer::PlayBitmaps(uint16_t function, Params params)
{
    switch (function) {
    case meta::PATBLT: {
        BlitPlacement placement;
        placement.destOrigin = params.Point(4);
        placement.destSize = ExtentOf(params.Point(2));
        metafile::Blit(dc_, placement, nullptr, params.Long(0));
        break;
    }
    case meta::BITBLT:
    case meta::DIBBITBLT:
    case meta::STRETCHBLT:
    case meta::DIBSTRETCHBLT: Blit(function, params); break;
    case meta::STRETCHDIB: StretchDib(params); break;
    case meta::SETDIBTODEV: SetDibToDevice(params); break;
    default: return false;
    }
    return true;
}

// The raster operation, for stretches the source size, the source origin,
// a reserved word when there is no bitmap, the destination size and origin,
// then the bitmap: a packed DIB, or an old device bitmap for BITBLT and
// STRETCHBLT. The source origin counts from the top.
void CWmfPlayer::Blit(uint16_t function, Params params)
{
    bool stretch = function == meta::STRETCHBLT || function == meta::DIBSTRETCHBLT;
    bool noBitmap = HasNoBitmap(function, params.Words() + 3);
    uint64_t word = 2;
    BlitPlacement placement;
    if (stretch) {
        placement.sourceSize = ExtentOf(params.Point(word));
        word += 2;
    }
    placement.sourceOrigin = params.Point(word);
    word += noBitmap ? 3 : 2;
    placement.destSize = ExtentOf(params.Point(word));
    placement.destOrigin = params.Point(word + 2);
    if (!stretch)
        placement.sourceSize = placement.destSize;
    std::optional<DibImage> source;
    if (!noBitmap) {
        CByteView bitmap = params.bytes.From(2 * (word + 4));
        bool deviceBitmap = function == meta::BITBLT || function == meta::STRETCHBLT;
        source = deviceBitmap ? Afforded(DecodeBitmap16(bitmap, 10)) : ReadPackedDib(bitmap, gdi::DIB_RGB_COLORS);
    }
    metafile::Blit(dc_, placement, source ? &*source : nullptr, params.Long(0));
}

// The raster operation, usage, source height, width, y, x, destination
// height, width, y, x, then the packed DIB; bottom-up bitmaps count their
// source rows from the bottom.
void CWmfPlayer::StretchDib(Params params)
{
    std::optional<DibImage> source = ReadPackedDib(params.bytes.From(22), params.Word(2));
    if (!source)
        return;
    BlitPlacement placement;
    placement.sourceSize = ExtentOf(params.Point(3));
    QPointF sourceOrigin = params.Point(5);
    placement.destSize = ExtentOf(params.Point(7));
    placement.destOrigin = params.Point(9);
    double y = source->bottomUp ? source->image.height() - sourceOrigin.y() - placement.sourceSize.height()
                                : sourceOrigin.y();
    placement.sourceOrigin = QPointF(sourceOrigin.x(), y);
    metafile::Blit(dc_, placement, &*source, params.Long(0));
}

// Usage, scan count, start scan, source y, x, height, width, destination
// y, x, then the packed DIB holding the scans.
void CWmfPlayer::SetDibToDevice(Params params)
{
    std::optional<DibImage> band =
        Afforded(DecodePackedDib(params.bytes.From(18), params.Word(0), dc_.State().Palette(), params.Word(1)));
    if (band)
        SetBitsToDevice(dc_, params.Point(7), params.Point(3), ExtentOf(params.Point(5)), params.Word(2), *band);
}

}  // namespace metafile
