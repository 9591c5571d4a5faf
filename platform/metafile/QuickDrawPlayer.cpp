#include <QTransform>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "platform/metafile/ByteView.h"
#include "platform/metafile/Limits.h"
#include "platform/metafile/PlaybackDC.h"
#include "platform/metafile/Player.h"
#include "platform/metafile/QuickDrawPainter.h"
#include "platform/metafile/RegionTools.h"

namespace metafile {

namespace {

using namespace quickdraw;

// The opcodes the player draws or keeps state for; the others change nothing.
enum QuickDrawOpcodeValue : uint16_t {
    kClip = 0x01,
    kBkPat = 0x02,
    kTxFont = 0x03,
    kTxFace = 0x04,
    kTxMode = 0x05,
    kPnSize = 0x07,
    kPnMode = 0x08,
    kPnPat = 0x09,
    kFillPat = 0x0A,
    kOvSize = 0x0B,
    kOrigin = 0x0C,
    kTxSize = 0x0D,
    kFgColor = 0x0E,
    kBkColor = 0x0F,
    kBkPixPat = 0x12,
    kPnPixPat = 0x13,
    kFillPixPat = 0x14,
    kRGBFgCol = 0x1A,
    kRGBBkCol = 0x1B,
    kLine = 0x20,
    kLineFrom = 0x21,
    kShortLine = 0x22,
    kShortLineFrom = 0x23,
    kLongText = 0x28,
    kDHText = 0x29,
    kDVText = 0x2A,
    kDHDVText = 0x2B,
    kFontName = 0x2C,
    kFirstShape = 0x30,  // rectangles, round rectangles, ovals, arcs, polygons, regions
    kLastShape = 0x8F,
};

constexpr int64_t kMaxRegionWork = int64_t {1} << 22;  // active points walked while reading one region

// Big-endian fields of the picture's bytes, checked against the opcode's data.
class CBigEndianView {
public:
    CBigEndianView(const uint8_t* data, size_t size) : bytes_(data, size) {}

    size_t Size() const { return bytes_.Size(); }
    uint8_t U8(size_t offset) const { return Checked(bytes_.U8(offset)); }
    int8_t I8(size_t offset) const { return static_cast<int8_t>(U8(offset)); }
    uint16_t U16(size_t offset) const { return Checked(bytes_.U16BE(offset)); }
    int16_t I16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(size_t offset) const { return Checked(bytes_.U32BE(offset)); }
    CByteView Bytes(size_t offset, size_t count) const
    {
        if (!bytes_.Has(offset, count))
            throw MalformedRecord {};
        return {bytes_.Data() + offset, count};
    }
    // A point: vertical, then horizontal.
    QPoint Point(size_t offset) const { return {I16(offset + 2), I16(offset)}; }
    // A rectangle: top, left, bottom, right.
    QRect Rect(size_t offset) const
    {
        return QRect(QPoint(I16(offset + 2), I16(offset)), QPoint(I16(offset + 6) - 1, I16(offset + 4) - 1));
    }

private:
    os::CByteReader bytes_;
};

QColor OldStyleColor(uint32_t value)
{
    switch (value) {
    case 30: return Qt::white;
    case 69: return Qt::yellow;
    case 137: return Qt::magenta;
    case 205: return Qt::red;
    case 273: return Qt::cyan;
    case 341: return Qt::green;
    case 409: return Qt::blue;
    default: return Qt::black;
    }
}

QColor ReadRgb(const CBigEndianView& data, size_t offset)
{
    return QColor(data.U16(offset) >> 8, data.U16(offset + 2) >> 8, data.U16(offset + 4) >> 8);
}

Pattern ReadPattern(const CBigEndianView& data, size_t offset)
{
    Pattern pattern;
    for (size_t i = 0; i < 8; ++i)
        pattern.bits[i] = data.U8(offset + i);
    return pattern;
}

// A pixel pattern: its image when the caller decoded one, the colour of a
// dithered one, else the old pattern written beside it.
Pattern ReadPixelPattern(const QuickDrawOpcode& opcode, const CBigEndianView& data)
{
    Pattern pattern = ReadPattern(data, 2);
    pattern.image = opcode.image;
    if (data.U16(0) == 2)
        pattern.color = ReadRgb(data, 10);
    return pattern;
}

std::string NameAt(const CBigEndianView& data, size_t offset)
{
    CByteView name = data.Bytes(offset + 1, data.U8(offset));
    return std::string(reinterpret_cast<const char*>(name.Data()), name.Size());
}

QPolygon ReadPolygon(const CBigEndianView& data)
{
    size_t size = data.U16(0);
    QPolygon polygon;
    for (size_t at = 10; at + 4 <= size; at += 4)
        polygon.append(data.Point(at));
    return polygon;
}

// A region: its size, its bounds, and for other than rectangles the rows
// where it changes, each a row number and the columns where insideness
// flips, ended by 0x7FFF.
QRegion ReadRegion(const CBigEndianView& data, size_t offset)
{
    size_t size = data.U16(offset);
    QRect bounds = data.Rect(offset + 2);
    if (size <= 10)
        return bounds.isValid() ? QRegion(bounds) : QRegion();
    CByteView rowBytes = data.Bytes(offset + 10, size - 10);
    CBigEndianView scan(rowBytes.Data(), rowBytes.Size());
    std::vector<int> active;  // sorted columns where the rows above flip insideness
    std::vector<QRect> rects;
    std::vector<int> flips;
    int64_t work = 0;
    size_t at = 0;
    int top = 0;
    while (at + 2 <= scan.Size()) {
        int y = scan.I16(at);
        at += 2;
        if (y == 0x7FFF)
            break;
        for (size_t i = 0; i + 1 < active.size(); i += 2)
            rects.emplace_back(QPoint(active[i], top), QPoint(active[i + 1] - 1, y - 1));
        flips.clear();
        for (int x = scan.I16(at); x != 0x7FFF; x = scan.I16(at)) {
            flips.push_back(x);
            at += 2;
        }
        at += 2;
        std::sort(flips.begin(), flips.end());
        std::vector<int> next;
        std::set_symmetric_difference(active.begin(), active.end(), flips.begin(), flips.end(),
                                      std::back_inserter(next));
        active.swap(next);
        top = y;
        work += static_cast<int64_t>(active.size() + flips.size()) + 1;
        if (rects.size() > kMaxRegionRects || work > kMaxRegionWork)
            break;
    }
    return UnionOfRects(std::move(rects));
}

// Walks the opcodes: those that set state change the port, the others draw
// through the painter. The "same" shape opcodes draw the last shape read.
class CQuickDrawPlayer {
public:
    CQuickDrawPlayer(const QuickDrawPicture& picture, CPlaybackDC& dc)
        : picture_(picture), painter_(picture, dc, port_)
    {
    }

    void Play()
    {
        uint32_t played = 0;
        for (const QuickDrawOpcode& opcode : picture_.opcodes) {
            if (++played > kMaxRecords)
                return;
            try {
                PlayOpcode(opcode, CBigEndianView(picture_.bytes + opcode.data, opcode.size));
            } catch (const MalformedRecord&) {
                // An opcode whose data cannot be read changes nothing.
            }
        }
    }

private:
    void PlayOpcode(const QuickDrawOpcode& opcode, const CBigEndianView& data)
    {
        uint16_t op = opcode.opcode;
        if (op >= kFirstShape && op <= kLastShape)
            PlayShape(op, data);
        else if (opcode.image >= 0 && (op < kBkPixPat || op > kFillPixPat))
            painter_.DrawImage(picture_.images[static_cast<size_t>(opcode.image)]);
        else if (!PlayDrawing(op, data))
            SetState(opcode, data);
    }

    void SetState(const QuickDrawOpcode& opcode, const CBigEndianView& data)
    {
        switch (opcode.opcode) {
        case kClip: painter_.SetClip(ReadRegion(data, 0)); break;
        case kBkPat: port_.backPattern = ReadPattern(data, 0); break;
        case kPnPat: port_.penPattern = ReadPattern(data, 0); break;
        case kFillPat: port_.fillPattern = ReadPattern(data, 0); break;
        case kBkPixPat: port_.backPattern = ReadPixelPattern(opcode, data); break;
        case kPnPixPat: port_.penPattern = ReadPixelPattern(opcode, data); break;
        case kFillPixPat: port_.fillPattern = ReadPixelPattern(opcode, data); break;
        case kTxFont: port_.fontNumber = data.U16(0); break;
        case kTxFace: port_.textFace = data.U8(0); break;
        case kTxMode: port_.textMode = data.U16(0); break;
        case kTxSize: port_.textSize = data.I16(0); break;
        case kFontName: port_.fontNames[data.U16(2)] = NameAt(data, 4); break;
        case kPnSize: port_.penSize = QSize(data.I16(2), data.I16(0)); break;
        case kPnMode: port_.penMode = data.U16(0); break;
        case kOvSize: port_.ovalSize = QSize(data.I16(2), data.I16(0)); break;
        case kOrigin: port_.origin += QPoint(data.I16(0), data.I16(2)); break;
        case kFgColor: port_.foreColor = OldStyleColor(data.U32(0)); break;
        case kBkColor: port_.backColor = OldStyleColor(data.U32(0)); break;
        case kRGBFgCol: port_.foreColor = ReadRgb(data, 0); break;
        case kRGBBkCol: port_.backColor = ReadRgb(data, 0); break;
        default: break;
        }
    }

    // Lines and text; false for opcodes that draw neither.
    bool PlayDrawing(uint16_t op, const CBigEndianView& data)
    {
        QPoint& pen = port_.penLocation;
        QPoint& text = port_.textLocation;
        switch (op) {
        case kLine: LineTo(data.Point(0), data.Point(4)); break;
        case kLineFrom: LineTo(pen, data.Point(0)); break;
        case kShortLine: LineTo(data.Point(0), data.Point(0) + QPoint(data.I8(4), data.I8(5))); break;
        case kShortLineFrom: LineTo(pen, pen + QPoint(data.I8(0), data.I8(1))); break;
        case kLongText:
            text = data.Point(0);
            DrawText(data, 4);
            break;
        case kDHText:
            text += QPoint(data.U8(0), 0);
            DrawText(data, 1);
            break;
        case kDVText:
            text += QPoint(0, data.U8(0));
            DrawText(data, 1);
            break;
        case kDHDVText:
            text += QPoint(data.U8(0), data.U8(1));
            DrawText(data, 2);
            break;
        default: return false;
        }
        return true;
    }

    void LineTo(QPoint from, QPoint to)
    {
        painter_.DrawLine(from, to);
        port_.penLocation = to;
    }

    // The text's length byte stands at `countAt`, its bytes after it.
    void DrawText(const CBigEndianView& data, size_t countAt)
    {
        painter_.DrawText(data.Bytes(countAt + 1, data.U8(countAt)));
    }

    void PlayShape(uint16_t op, const CBigEndianView& data)
    {
        auto family = static_cast<Family>(op >> 4);
        bool same = (op & 0x08) != 0;
        if ((op & 0x07) > static_cast<int>(Verb::Fill))
            return;  // reserved
        auto verb = static_cast<Verb>(op & 0x07);
        if (!same)
            ReadShape(family, data);
        switch (family) {
        case Family::Rect:
        case Family::RoundRect:
        case Family::Oval: painter_.DrawBox(family, verb, lastRect_); break;
        case Family::Arc: {
            size_t angles = same ? 0 : 8;
            painter_.DrawArc(verb, lastRect_, data.I16(angles), data.I16(angles + 2));
            break;
        }
        case Family::Poly: painter_.DrawPolygon(verb, lastPolygon_); break;
        case Family::Region: painter_.DrawRegion(verb, lastRegion_); break;
        }
    }

    // The shape a plain (not "same") shape opcode gives, kept for the "same" ones.
    void ReadShape(Family family, const CBigEndianView& data)
    {
        switch (family) {
        case Family::Poly: lastPolygon_ = ReadPolygon(data); break;
        case Family::Region: lastRegion_ = ReadRegion(data, 0); break;
        default: lastRect_ = data.Rect(0); break;
        }
    }

    const QuickDrawPicture& picture_;
    Port port_;
    CQuickDrawPainter painter_;
    QRect lastRect_;
    QPolygon lastPolygon_;
    QRegion lastRegion_;
};

// The picture's coordinates are device pixels; the source rectangle (the
// frame, unless the header gives one at another resolution) fills the target.
QTransform SourceToTarget(const QuickDrawPicture& picture, int width, int height)
{
    const MetaRect& source = picture.source.right > picture.source.left && picture.source.bottom > picture.source.top
                                 ? picture.source
                                 : picture.frame;
    double xScale = static_cast<double>(width) / (source.right - source.left);
    double yScale = static_cast<double>(height) / (source.bottom - source.top);
    return QTransform(xScale, 0, 0, yScale, -source.left * xScale, -source.top * yScale);
}

}  // namespace

bool DrawQuickDraw(const QuickDrawPicture& picture, const RowSink& sink)
{
    int width = picture.frame.right - picture.frame.left;
    int height = picture.frame.bottom - picture.frame.top;
    return DrawOnWhite(width, height, sink, [&](QImage& target) {
        CPlaybackDC dc(target, CMapping(QSizeF(kReferencePixels.cx, kReferencePixels.cy),
                                        QSizeF(kReferenceMillimeters.cx, kReferenceMillimeters.cy)),
                       SourceToTarget(picture, width, height), 0);
        CQuickDrawPlayer(picture, dc).Play();
    });
}

}  // namespace metafile
