#include "platform/metafile/EmfPlayer.h"

#include <cmath>

#include "platform/metafile/BitmapDrawer.h"
#include "platform/metafile/EmfRecords.h"
#include "platform/metafile/FontMapper.h"
#include "platform/metafile/RecordReading.h"
#include "platform/metafile/RegionData.h"
#include "platform/metafile/TextDrawer.h"

namespace metafile {

namespace {

constexpr uint32_t kMaxDashEntries = 64;

QSizeF ReadSize(CByteView record, uint64_t at)
{
    return QSizeF(record.I32(at), record.I32(at + 4));
}

QPointF ReadPoint(CByteView record, uint64_t at)
{
    return QPointF(record.I32(at), record.I32(at + 4));
}

// Miter limits are stored as whole numbers by the format's description and
// as floats by the system's writer; a float's bits read as a huge number.
double ReadMiterLimit(CByteView record)
{
    uint32_t value = record.U32(8);
    double limit = value <= 1000 ? value : record.F32(8);
    return std::isfinite(limit) && limit > 0 ? limit : 10;
}

// Bottom-up bitmaps count their source rows from the bottom.
double TopDownSourceY(const DibImage& dib, double y, double height)
{
    return dib.bottomUp ? dib.image.height() - y - height : y;
}

QColor GradientColor(CByteView record, uint64_t at)
{
    return QColor(record.U16(at) >> 8, record.U16(at + 2) >> 8, record.U16(at + 4) >> 8);
}

}  // namespace

void CEmfPlayer::Play()
{
    // The header record was read when the metafile was loaded.
    uint64_t at = bytes_.U32(4);
    for (uint32_t played = 0; played < kMaxRecords && bytes_.Has(at, 8); ++played) {
        uint32_t type = bytes_.U32(at);
        uint32_t size = bytes_.U32(at + 4);
        if (size < 8 || !bytes_.Has(at, size) || type == emr::EOF_RECORD)
            break;
        try {
            PlayRecord(type, bytes_.Sub(at, size));
        } catch (const MalformedRecord&) {
        }
        at += size;
    }
}

void CEmfPlayer::PlayRecord(uint32_t type, CByteView record)
{
    PlayState(type, record) || PlayMapping(type, record) || PlayObjects(type, record) || PlayShapes(type, record) ||
        PlayPaths(type, record) || PlayClipping(type, record) || PlayText(type, record) ||
        PlayBitmaps(type, record);
}

bool CEmfPlayer::PlayState(uint32_t type, CByteView record)
{
    DcState& state = dc_.State();
    switch (type) {
    case emr::SETBKMODE: state.backgroundMode = static_cast<int>(record.U32(8)); break;
    case emr::SETPOLYFILLMODE: state.fillMode = static_cast<int>(record.U32(8)); break;
    case emr::SETROP2: state.rop2 = static_cast<int>(record.U32(8)); break;
    case emr::SETSTRETCHBLTMODE: state.stretchMode = static_cast<int>(record.U32(8)); break;
    case emr::SETTEXTALIGN: state.textAlign = record.U32(8); break;
    case emr::SETTEXTCOLOR: state.textColor = record.U32(8); break;
    case emr::SETBKCOLOR: state.backgroundColor = record.U32(8); break;
    case emr::SETARCDIRECTION: state.clockwiseArcs = record.U32(8) == gdi::AD_CLOCKWISE; break;
    case emr::SETMITERLIMIT: state.miterLimit = ReadMiterLimit(record); break;
    case emr::SETBRUSHORGEX: state.brushOrigin = QPoint(record.I32(8), record.I32(12)); break;
    case emr::MOVETOEX: dc_.MoveTo(ReadPoint(record, 8)); break;
    case emr::SAVEDC: dc_.Save(); break;
    case emr::RESTOREDC: dc_.Restore(record.I32(8)); break;
    default: return false;
    }
    return true;
}

bool CEmfPlayer::PlayMapping(uint32_t type, CByteView record)
{
    CMapping& mapping = dc_.State().mapping;
    switch (type) {
    case emr::SETMAPMODE: mapping.SetMapMode(static_cast<int>(record.U32(8))); break;
    case emr::SETWINDOWEXTEX: mapping.SetWindowExt(ReadSize(record, 8)); break;
    case emr::SETWINDOWORGEX: mapping.SetWindowOrg(ReadPoint(record, 8)); break;
    case emr::SETVIEWPORTEXTEX: mapping.SetViewportExt(ReadSize(record, 8)); break;
    case emr::SETVIEWPORTORGEX: mapping.SetViewportOrg(ReadPoint(record, 8)); break;
    case emr::SCALEVIEWPORTEXTEX:
    case emr::SCALEWINDOWEXTEX: {
        double values[4] = {static_cast<double>(record.I32(8)), static_cast<double>(record.I32(12)),
                            static_cast<double>(record.I32(16)), static_cast<double>(record.I32(20))};
        if (type == emr::SCALEWINDOWEXTEX)
            mapping.ScaleWindowExt(values[0], values[1], values[2], values[3]);
        else
            mapping.ScaleViewportExt(values[0], values[1], values[2], values[3]);
        break;
    }
    case emr::SETWORLDTRANSFORM: mapping.SetWorldTransform(ReadTransform(record, 8)); break;
    case emr::MODIFYWORLDTRANSFORM: mapping.ModifyWorldTransform(ReadTransform(record, 8), record.U32(32)); break;
    default: return false;
    }
    return true;
}

// ---- objects

void CEmfPlayer::Put(uint32_t index, GdiObject object)
{
    // Slot 0 is the metafile itself, and stock objects cannot be replaced.
    if (index != 0 && !(index & gdi::kStockFlag))
        dc_.Objects().Put(index, std::make_shared<GdiObject>(std::move(object)));
}

bool CEmfPlayer::PlayObjects(uint32_t type, CByteView record)
{
    switch (type) {
    case emr::SELECTOBJECT: dc_.Select(dc_.Objects().Get(record.U32(8))); break;
    case emr::SELECTPALETTE: {
        ObjectPtr palette = dc_.Objects().Get(record.U32(8));
        if (palette && std::holds_alternative<LogPalette>(*palette))
            dc_.State().palette = palette;
        break;
    }
    case emr::DELETEOBJECT: dc_.Objects().Delete(record.U32(8)); break;
    case emr::CREATEPEN: CreatePen(record); break;
    case emr::EXTCREATEPEN: CreateExtendedPen(record); break;
    case emr::CREATEBRUSHINDIRECT: {
        LogBrush brush;
        brush.style = record.U32(12);
        brush.color = record.U32(16);
        brush.hatch = record.U32(20);
        Put(record.U32(8), brush);
        break;
    }
    case emr::CREATEDIBPATTERNBRUSHPT: CreatePatternBrush(record, false); break;
    case emr::CREATEMONOBRUSH: CreatePatternBrush(record, true); break;
    case emr::EXTCREATEFONTINDIRECTW: {
        LogFont font;
        font.height = record.I32(12);
        font.width = record.I32(16);
        font.escapement = record.I32(20);
        font.weight = record.I32(28);
        font.italic = record.U8(32) != 0;
        font.underline = record.U8(33) != 0;
        font.strikeOut = record.U8(34) != 0;
        font.charSet = record.U8(35);
        font.pitchAndFamily = record.U8(39);
        for (uint64_t i = 0; i < 32 && record.Has(40 + 2 * i, 2) && record.U16(40 + 2 * i) != 0; ++i)
            font.faceName.push_back(static_cast<char16_t>(record.U16(40 + 2 * i)));
        Put(record.U32(8), font);
        break;
    }
    case emr::CREATEPALETTE: CreatePalette(record); break;
    case emr::SETPALETTEENTRIES: SetPaletteEntries(record); break;
    case emr::RESIZEPALETTE: {
        ObjectPtr palette = record.U32(8) & gdi::kStockFlag ? nullptr : dc_.Objects().Get(record.U32(8));
        if (auto* entries = palette ? std::get_if<LogPalette>(palette.get()) : nullptr)
            entries->entries.resize(std::min(record.U32(12), kMaxPaletteEntries));
        break;
    }
    case emr::REALIZEPALETTE: break;
    default: return false;
    }
    return true;
}

void CEmfPlayer::CreatePen(CByteView record)
{
    LogPen pen;
    pen.style = record.U32(12);
    pen.width = record.I32(16);
    pen.color = record.U32(24);
    Put(record.U32(8), pen);
}

// LOGPEN32 at 28: style, width, brush style, colour, hatch, dash entries.
void CEmfPlayer::CreateExtendedPen(CByteView record)
{
    LogPen pen;
    pen.extended = true;
    pen.style = record.U32(28);
    pen.width = static_cast<int32_t>(std::min<uint32_t>(record.U32(32), INT32_MAX));
    pen.color = record.U32(40);
    if (record.U32(36) == gdi::BS_NULL)
        pen.style = (pen.style & ~gdi::PS_STYLE_MASK) | gdi::PS_NULL;
    uint32_t entries = record.U32(48);
    if ((pen.style & gdi::PS_STYLE_MASK) == gdi::PS_USERSTYLE && entries <= kMaxDashEntries)
        for (uint32_t i = 0; i < entries; ++i)
            pen.userDashes.push_back(record.U32(52 + 4 * uint64_t {i}));
    Put(record.U32(8), pen);
}

void CEmfPlayer::CreatePatternBrush(CByteView record, bool monochrome)
{
    uint32_t usage = record.U32(12);
    LogBrush brush;
    brush.style = gdi::BS_DIBPATTERNPT;
    if (std::optional<DibImage> dib = ReadBitmap(record, 16, usage)) {
        brush.monochrome = monochrome && dib->image.depth() > 0;
        brush.pattern = monochrome ? TwoToneMask(*dib) : dib->image;
    }
    Put(record.U32(8), brush);
}

void CEmfPlayer::CreatePalette(CByteView record)
{
    uint16_t count = record.U16(14);
    LogPalette palette;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = 16 + 4 * uint64_t {i};
        palette.entries.push_back({record.U8(at), record.U8(at + 1), record.U8(at + 2), record.U8(at + 3)});
    }
    Put(record.U32(8), palette);
}

void CEmfPlayer::SetPaletteEntries(CByteView record)
{
    uint32_t index = record.U32(8);
    ObjectPtr object = index & gdi::kStockFlag ? nullptr : dc_.Objects().Get(index);
    auto* palette = object ? std::get_if<LogPalette>(object.get()) : nullptr;
    uint32_t start = record.U32(12);
    uint32_t count = record.U32(16);
    if (palette == nullptr || start > kMaxPaletteEntries || count > kMaxPaletteEntries - start)
        return;
    if (palette->entries.size() < start + count)
        palette->entries.resize(start + count);
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = 20 + 4 * uint64_t {i};
        palette->entries[start + i] = {record.U8(at), record.U8(at + 1), record.U8(at + 2), record.U8(at + 3)};
    }
}

// ---- shapes

bool CEmfPlayer::PlayShapes(uint32_t type, CByteView record)
{
    switch (type) {
    case emr::POLYBEZIER: dc_.PolyBezier(ReadPoints(record, 28, record.U32(24), PointSize::Long)); break;
    case emr::POLYGON: dc_.Polygon(ReadPoints(record, 28, record.U32(24), PointSize::Long)); break;
    case emr::POLYLINE: dc_.Polyline(ReadPoints(record, 28, record.U32(24), PointSize::Long)); break;
    case emr::POLYBEZIERTO: dc_.PolyBezierTo(ReadPoints(record, 28, record.U32(24), PointSize::Long)); break;
    case emr::POLYLINETO: dc_.PolylineTo(ReadPoints(record, 28, record.U32(24), PointSize::Long)); break;
    case emr::POLYBEZIER16: dc_.PolyBezier(ReadPoints(record, 28, record.U32(24), PointSize::Short)); break;
    case emr::POLYGON16: dc_.Polygon(ReadPoints(record, 28, record.U32(24), PointSize::Short)); break;
    case emr::POLYLINE16: dc_.Polyline(ReadPoints(record, 28, record.U32(24), PointSize::Short)); break;
    case emr::POLYBEZIERTO16: dc_.PolyBezierTo(ReadPoints(record, 28, record.U32(24), PointSize::Short)); break;
    case emr::POLYLINETO16: dc_.PolylineTo(ReadPoints(record, 28, record.U32(24), PointSize::Short)); break;
    case emr::POLYPOLYLINE:
    case emr::POLYPOLYGON:
    case emr::POLYPOLYLINE16:
    case emr::POLYPOLYGON16: {
        bool small = type == emr::POLYPOLYLINE16 || type == emr::POLYPOLYGON16;
        uint64_t polygons = record.U32(24);
        auto figures = ReadPolyPoints(record, polygons, 32, record.U32(28), 4, 32 + 4 * polygons,
                                      small ? PointSize::Short : PointSize::Long);
        if (type == emr::POLYPOLYGON || type == emr::POLYPOLYGON16)
            dc_.PolyPolygon(figures);
        else
            dc_.PolyPolyline(figures);
        break;
    }
    case emr::POLYDRAW: PolyDraw(record, PointSize::Long); break;
    case emr::POLYDRAW16: PolyDraw(record, PointSize::Short); break;
    case emr::LINETO: dc_.LineTo(ReadPoint(record, 8)); break;
    case emr::RECTANGLE: dc_.Rectangle(ReadEdges(record, 8)); break;
    case emr::ELLIPSE: dc_.Ellipse(ReadEdges(record, 8)); break;
    case emr::ROUNDRECT: dc_.RoundRect(ReadEdges(record, 8), ReadSize(record, 24)); break;
    case emr::ARC:
    case emr::ARCTO:
    case emr::CHORD:
    case emr::PIE: {
        using Kind = CPlaybackDC::ArcKind;
        Kind kind = type == emr::ARC ? Kind::Arc : type == emr::ARCTO ? Kind::ArcTo : type == emr::CHORD ? Kind::Chord
                                                                                                       : Kind::Pie;
        dc_.Arc(kind, ReadEdges(record, 8), ReadPoint(record, 24), ReadPoint(record, 32));
        break;
    }
    case emr::ANGLEARC:
        dc_.AngleArc(ReadPoint(record, 8), record.U32(16), record.F32(20), record.F32(24));
        break;
    case emr::SETPIXELV: dc_.SetPixel(ReadPoint(record, 8), record.U32(16)); break;
    case emr::EXTFLOODFILL: dc_.FloodFill(ReadPoint(record, 8), record.U32(16), record.U32(20) == 0); break;
    default: return false;
    }
    return true;
}

void CEmfPlayer::PolyDraw(CByteView record, PointSize size)
{
    uint32_t count = record.U32(24);
    std::vector<QPointF> points = ReadPoints(record, 28, count, size);
    uint64_t typesAt = 28 + uint64_t {count} * (size == PointSize::Short ? 4 : 8);
    std::vector<uint8_t> types;
    for (uint32_t i = 0; i < count; ++i)
        types.push_back(record.U8(typesAt + i));
    dc_.PolyDraw(points, types);
}

bool CEmfPlayer::PlayPaths(uint32_t type, CByteView record)
{
    switch (type) {
    case emr::BEGINPATH: dc_.BeginPath(); break;
    case emr::ENDPATH: dc_.EndPath(); break;
    case emr::CLOSEFIGURE: dc_.CloseFigure(); break;
    case emr::FILLPATH: dc_.FillPath(); break;
    case emr::STROKEANDFILLPATH: dc_.StrokeAndFillPath(); break;
    case emr::STROKEPATH: dc_.StrokePath(); break;
    case emr::FLATTENPATH: dc_.FlattenPath(); break;
    case emr::WIDENPATH: dc_.WidenPath(); break;
    case emr::SELECTCLIPPATH: dc_.SelectClipPath(static_cast<int>(record.U32(8))); break;
    case emr::ABORTPATH: dc_.AbortPath(); break;
    default: return false;
    }
    return true;
}

// ---- clipping and regions

bool CEmfPlayer::PlayClipping(uint32_t type, CByteView record)
{
    switch (type) {
    case emr::EXCLUDECLIPRECT: dc_.ExcludeClipRect(ReadEdges(record, 8)); break;
    case emr::INTERSECTCLIPRECT: dc_.IntersectClipRect(ReadEdges(record, 8)); break;
    case emr::OFFSETCLIPRGN: dc_.OffsetClip(ReadPoint(record, 8)); break;
    case emr::SETMETARGN: dc_.SetMetaRegion(); break;
    case emr::EXTSELECTCLIPRGN: {
        uint32_t size = record.U32(8);
        int mode = static_cast<int>(record.U32(12));
        std::optional<QRegion> region;
        if (size > 0) {
            region = ReadRegionData(record.Sub(16, size));
            if (!region)
                break;
        }
        dc_.SelectClipRegion(region, mode);
        break;
    }
    case emr::FILLRGN:
    case emr::FRAMERGN:
    case emr::INVERTRGN:
    case emr::PAINTRGN: RegionCall(type, record); break;
    default: return false;
    }
    return true;
}

void CEmfPlayer::RegionCall(uint32_t type, CByteView record)
{
    uint32_t size = record.U32(24);
    uint64_t dataAt = type == emr::FILLRGN ? 32 : type == emr::FRAMERGN ? 40 : 28;
    std::optional<QRegion> region = ReadRegionData(record.Sub(dataAt, size));
    if (!region)
        return;
    if (type == emr::INVERTRGN) {
        dc_.InvertRegion(*region);
    } else if (type == emr::PAINTRGN) {
        dc_.PaintRegion(*region);
    } else {
        ObjectPtr object = dc_.Objects().Get(record.U32(28));
        const auto* brush = object ? std::get_if<LogBrush>(object.get()) : nullptr;
        if (brush == nullptr)
            return;
        if (type == emr::FILLRGN)
            dc_.FillRegion(*region, *brush);
        else
            dc_.FrameRegion(*region, *brush, ReadSize(record, 32));
    }
}

// ---- text

bool CEmfPlayer::PlayText(uint32_t type, CByteView record)
{
    switch (type) {
    case emr::EXTTEXTOUTA:
    case emr::EXTTEXTOUTW: TextOut(record, 36, type == emr::EXTTEXTOUTW); break;
    case emr::POLYTEXTOUTA:
    case emr::POLYTEXTOUTW: {
        uint32_t strings = record.U32(36);
        if (!record.Has(40, 40 * uint64_t {strings}))
            throw MalformedRecord {};
        for (uint32_t i = 0; i < strings; ++i)
            TextOut(record, 40 + 40 * uint64_t {i}, type == emr::POLYTEXTOUTW);
        break;
    }
    case emr::SMALLTEXTOUT: SmallTextOut(record); break;
    default: return false;
    }
    return true;
}

// EMRTEXT at `at`: reference point, character count, string offset,
// options, rectangle, offset of the advances.
void CEmfPlayer::TextOut(CByteView record, uint64_t at, bool wide)
{
    TextCall call;
    call.reference = ReadPoint(record, at);
    uint32_t count = std::min(record.U32(at + 8), kMaxTextChars);
    uint32_t stringAt = record.U32(at + 12);
    call.options = record.U32(at + 16);
    if ((call.options & (gdi::ETO_OPAQUE | gdi::ETO_CLIPPED)) && !(call.options & gdi::ETO_NO_RECT))
        call.rect = ReadEdges(record, at + 20);
    uint32_t dxAt = record.U32(at + 36);

    CByteView text = record.Sub(stringAt, uint64_t {count} * (wide ? 2 : 1));
    FaceEncoding encoding = EncodingOf(dc_.State().font);
    if (call.options & gdi::ETO_GLYPH_INDEX)
        call.chars = DecodeGlyphIndices(text, wide ? count : 0, HasStandardGlyphOrder(dc_.State().font));
    else if (wide)
        call.chars = DecodeUtf16(text, count, encoding);
    else
        call.chars = DecodeBytes(text, dc_.State().font.charSet, encoding);
    bool pairs = (call.options & gdi::ETO_PDY) != 0;
    if (dxAt != 0 && record.Has(dxAt, uint64_t {count} * (pairs ? 8 : 4))) {
        for (uint32_t i = 0; i < count; ++i) {
            uint64_t entry = dxAt + uint64_t {i} * (pairs ? 8 : 4);
            call.dx.push_back(record.I32(entry));
            if (pairs)
                call.dy.push_back(record.I32(entry + 4));
        }
    }
    DrawText(dc_, call);
}

// Reference point, count, options, graphics mode, two scales, the
// rectangle unless ETO_NO_RECT, then 8-bit (ETO_SMALL_CHARS) or wide text.
void CEmfPlayer::SmallTextOut(CByteView record)
{
    TextCall call;
    call.reference = ReadPoint(record, 8);
    uint32_t count = std::min(record.U32(16), kMaxTextChars);
    call.options = record.U32(20);
    uint64_t textAt = 36;
    if (!(call.options & gdi::ETO_NO_RECT)) {
        call.rect = ReadEdges(record, 36);
        textAt += 16;
    }
    FaceEncoding encoding = EncodingOf(dc_.State().font);
    if (call.options & gdi::ETO_SMALL_CHARS)
        call.chars = DecodeBytes(record.Sub(textAt, count), dc_.State().font.charSet, encoding);
    else
        call.chars = DecodeUtf16(record.Sub(textAt, 2 * uint64_t {count}), count, encoding);
    DrawText(dc_, call);
}

// ---- bitmaps

// None without a bitmap, with one that cannot be read, and once the file's
// allowance of pixel work is spent.
std::optional<DibImage> CEmfPlayer::ReadBitmap(CByteView record, uint64_t at, uint32_t usage)
{
    uint32_t infoAt = record.U32(at);
    uint32_t infoSize = record.U32(at + 4);
    uint32_t bitsAt = record.U32(at + 8);
    uint32_t bitsSize = record.U32(at + 12);
    if (infoSize == 0)
        return std::nullopt;
    std::optional<DibImage> dib =
        DecodeDib(record.Sub(infoAt, infoSize), record.Sub(bitsAt, bitsSize), usage, dc_.State().Palette());
    return dc_.SpendPixelWork(PixelsOf(dib)) ? dib : std::nullopt;
}

bool CEmfPlayer::PlayBitmaps(uint32_t type, CByteView record)
{
    switch (type) {
    case emr::BITBLT:
    case emr::STRETCHBLT:
    case emr::MASKBLT: BitBlt(type, record); break;
    case emr::STRETCHDIBITS: StretchDibits(record); break;
    case emr::SETDIBITSTODEVICE: SetDibitsToDevice(record); break;
    case emr::ALPHABLEND:
    case emr::TRANSPARENTBLT: AlphaOrTransparentBlt(type, record); break;
    case emr::PLGBLT: PlgBlt(record); break;
    case emr::GRADIENTFILL: GradientFill(record); break;
    default: return false;
    }
    return true;
}

// Destination at 24, raster operation at 40, source origin at 44 and its
// transform at 52, the bitmap's usage at 80 and location at 84; StretchBlt
// adds the source size at 100, MaskBlt the mask's origin, usage and
// location there.
void CEmfPlayer::BitBlt(uint32_t type, CByteView record)
{
    BlitPlacement placement;
    placement.destOrigin = ReadPoint(record, 24);
    placement.destSize = ReadSize(record, 32);
    uint32_t rop = record.U32(40);
    QTransform sourceTransform = ReadTransform(record, 52);
    QPointF sourceOrigin = ReadPoint(record, 44);
    QSizeF sourceSize = type == emr::STRETCHBLT ? ReadSize(record, 100) : placement.destSize;
    QPointF sourceEnd = sourceTransform.map(sourceOrigin + QPointF(sourceSize.width(), sourceSize.height()));
    placement.sourceOrigin = sourceTransform.map(sourceOrigin);
    placement.sourceSize = QSizeF(sourceEnd.x() - placement.sourceOrigin.x(), sourceEnd.y() - placement.sourceOrigin.y());
    std::optional<DibImage> source = ReadBitmap(record, 84, record.U32(80));
    if (type == emr::MASKBLT && source) {
        if (std::optional<DibImage> mask = ReadBitmap(record, 112, record.U32(108))) {
            MaskedBlit(dc_, placement, *source, *mask, ReadPoint(record, 100), rop);
            return;
        }
    }
    Blit(dc_, placement, source ? &*source : nullptr, rop & 0x00FFFFFF);
}

void CEmfPlayer::StretchDibits(CByteView record)
{
    std::optional<DibImage> source = ReadBitmap(record, 48, record.U32(64));
    uint32_t rop = record.U32(68);
    BlitPlacement placement;
    placement.destOrigin = ReadPoint(record, 24);
    placement.destSize = ReadSize(record, 72);
    QPointF sourceOrigin = ReadPoint(record, 32);
    placement.sourceSize = ReadSize(record, 40);
    if (source)
        placement.sourceOrigin =
            QPointF(sourceOrigin.x(), TopDownSourceY(*source, sourceOrigin.y(), placement.sourceSize.height()));
    Blit(dc_, placement, source ? &*source : nullptr, rop);
}

// The bits hold `scans` rows from `startScan` on.
void CEmfPlayer::SetDibitsToDevice(CByteView record)
{
    uint32_t infoSize = record.U32(52);
    if (infoSize == 0)
        return;
    std::optional<DibImage> band = DecodeDib(record.Sub(record.U32(48), infoSize),
                                             record.Sub(record.U32(56), record.U32(60)), record.U32(64),
                                             dc_.State().Palette(), record.U32(72));
    if (band && dc_.SpendPixelWork(PixelsOf(band)))
        SetBitsToDevice(dc_, ReadPoint(record, 24), ReadPoint(record, 32), ReadSize(record, 40), record.U32(68), *band);
}

// Both share the layout of StretchBlt; AlphaBlend's blend function and
// TransparentBlt's colour sit where the raster operation would.
void CEmfPlayer::AlphaOrTransparentBlt(uint32_t type, CByteView record)
{
    std::optional<DibImage> source = ReadBitmap(record, 84, record.U32(80));
    if (!source)
        return;
    BlitPlacement placement;
    placement.destOrigin = ReadPoint(record, 24);
    placement.destSize = ReadSize(record, 32);
    placement.sourceOrigin = ReadPoint(record, 44);
    placement.sourceSize = ReadSize(record, 100);
    if (type == emr::ALPHABLEND) {
        AlphaBlend(dc_, placement, *source, record.U8(42), (record.U8(43) & gdi::AC_SRC_ALPHA) != 0);
    } else {
        uint32_t key = record.U32(40);
        TransparentBlt(dc_, placement, *source, qRgb(key & 0xFF, (key >> 8) & 0xFF, (key >> 16) & 0xFF));
    }
}

// Three destination corners at 24 (top-left, top-right, bottom-left), the
// source rectangle at 48, the bitmap's usage at 92 and location at 96.
void CEmfPlayer::PlgBlt(CByteView record)
{
    std::optional<DibImage> source = ReadBitmap(record, 96, record.U32(92));
    if (!source)
        return;
    QPointF corners[3] = {ReadPoint(record, 24), ReadPoint(record, 32), ReadPoint(record, 40)};
    QRectF sourceRect(ReadPoint(record, 48), ReadSize(record, 56));
    ParallelogramBlit(dc_, corners, *source, sourceRect);
}

void CEmfPlayer::GradientFill(CByteView record)
{
    uint32_t vertexCount = record.U32(24);
    uint32_t objectCount = record.U32(28);
    uint32_t mode = record.U32(32);
    uint64_t objectSize = mode == gdi::GRADIENT_FILL_TRIANGLE ? 12 : 8;
    uint64_t objectsAt = 36 + 16 * uint64_t {vertexCount};
    if (vertexCount > kMaxPointsPerCall || objectCount > kMaxPointsPerCall ||
        !record.Has(objectsAt, objectSize * objectCount))
        throw MalformedRecord {};
    std::vector<GradientVertex> vertices;
    for (uint32_t i = 0; i < vertexCount; ++i) {
        uint64_t at = 36 + 16 * uint64_t {i};
        vertices.push_back({ReadPoint(record, at), GradientColor(record, at + 8)});
    }
    if (mode == gdi::GRADIENT_FILL_TRIANGLE) {
        std::vector<std::array<uint32_t, 3>> triangles;
        for (uint32_t i = 0; i < objectCount; ++i) {
            uint64_t at = objectsAt + 12 * uint64_t {i};
            triangles.push_back({record.U32(at), record.U32(at + 4), record.U32(at + 8)});
        }
        GradientFillTriangles(dc_, vertices, triangles);
    } else {
        std::vector<std::pair<uint32_t, uint32_t>> rects;
        for (uint32_t i = 0; i < objectCount; ++i)
            rects.emplace_back(record.U32(objectsAt + 8 * uint64_t {i}), record.U32(objectsAt + 8 * uint64_t {i} + 4));
        GradientFillRects(dc_, vertices, rects, mode == gdi::GRADIENT_FILL_RECT_V);
    }
}

}  // namespace metafile
