#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <map>
#include <new>
#include <optional>
#include <string>

#include "platform/gdi/Colors.h"
#include "platform/metafile/ByteView.h"
#include "platform/metafile/FontMapper.h"
#include "platform/metafile/Limits.h"
#include "platform/metafile/PlaybackDC.h"
#include "platform/metafile/Player.h"
#include "platform/metafile/RegionTools.h"
#include "platform/metafile/TextDrawer.h"

namespace metafile {

namespace {

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

// The five ways of drawing a shape, the low three bits of its opcode.
enum class Verb { Frame, Paint, Erase, Invert, Fill };

// The shape families, the opcode's bits 4 to 7 (each has a plain and a "same" row).
enum class Family { Rect = 3, RoundRect = 4, Oval = 5, Arc = 6, Poly = 7, Region = 8 };

// Transfer modes: the low two bits choose copy, or, xor, bic; bit 2 inverts
// the pattern; the pattern modes are the source modes plus 8.
constexpr int kModeXor = 2;
constexpr int kModeBic = 3;
constexpr int kSrcOr = 1;
constexpr int kTransparent = 36;
constexpr int kPatCopy = 8;
constexpr int kSrcCopy = 0;

constexpr int kDefaultTextSize = 12;
constexpr int64_t kMaxRegionWork = int64_t {1} << 22;  // active points walked while reading one region

using Pattern8 = std::array<uint8_t, 8>;
constexpr Pattern8 kBlack = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr Pattern8 kWhite = {};

// A pen, fill or background pattern: eight rows of bits, 1 the foreground
// colour and 0 the background; or the image of a pixel pattern.
struct Pattern {
    Pattern8 bits = kBlack;
    int image = -1;
    std::optional<QColor> color;  // a dithered pixel pattern's colour
};

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

gdi::ColorRef ColorRefOf(const QColor& color)
{
    return ::gdi::Rgb(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
                    static_cast<uint8_t>(color.blue()));
}

// The Macintosh faces as the faces the font mapper knows.
std::u16string WindowsFaceOf(const std::string& macName)
{
    static const std::pair<const char*, const char16_t*> kFaces[] = {
        {"times", u"Times New Roman"}, {"new york", u"Times New Roman"}, {"palatino", u"Times New Roman"},
        {"courier", u"Courier New"},   {"monaco", u"Courier New"},       {"symbol", u"Symbol"},
    };
    std::string lower = macName;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto& [mac, windows] : kFaces)
        if (lower.find(mac) != std::string::npos)
            return windows;
    return u"Arial";  // Chicago, Geneva, Helvetica and the rest
}

// The names of the system's font numbers.
std::string StandardFontName(int number)
{
    switch (number) {
    case 2: return "New York";
    case 4: return "Monaco";
    case 20: return "Times";
    case 21: return "Helvetica";
    case 22: return "Courier";
    case 23: return "Symbol";
    default: return "Geneva";
    }
}

// The convex outline a rectangular pen of `size` sweeps from `from` to `to`,
// counter-clockwise, so that the sweeps of one call unite under the winding rule.
QPolygonF PenSweep(QPoint from, QPoint to, QSize size)
{
    std::vector<QPointF> corners;
    for (QPoint at : {from, to})
        for (QPoint corner : {QPoint(0, 0), QPoint(size.width(), 0), QPoint(size.width(), size.height()),
                              QPoint(0, size.height())})
            corners.emplace_back(at + corner);
    std::sort(corners.begin(), corners.end(),
              [](QPointF a, QPointF b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
    auto cross = [](QPointF o, QPointF a, QPointF b) {
        return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
    };
    std::vector<QPointF> hull(2 * corners.size());
    size_t k = 0;
    for (size_t i = 0; i < corners.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], corners[i]) <= 0)
            --k;
        hull[k++] = corners[i];
    }
    for (size_t i = corners.size() - 1, lower = k + 1; i > 0; --i) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], corners[i - 1]) <= 0)
            --k;
        hull[k++] = corners[i - 1];
    }
    hull.resize(k - 1);
    return QPolygonF(hull.begin(), hull.end());
}

class CQuickDrawPlayer {
public:
    CQuickDrawPlayer(const QuickDrawPicture& picture, CPlaybackDC& dc) : picture_(picture), dc_(dc) {}

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
        if (op >= kFirstShape && op <= kLastShape) {
            PlayShape(op, data);
            return;
        }
        if (opcode.image >= 0 && (op < kBkPixPat || op > kFillPixPat)) {
            DrawImage(picture_.images[static_cast<size_t>(opcode.image)]);
            return;
        }
        switch (op) {
        case kClip: SetClip(ReadRegion(data, 0)); break;
        case kBkPat: backPattern_ = ReadPattern(data, 0); break;
        case kPnPat: penPattern_ = ReadPattern(data, 0); break;
        case kFillPat: fillPattern_ = ReadPattern(data, 0); break;
        case kBkPixPat: backPattern_ = ReadPixelPattern(opcode, data); break;
        case kPnPixPat: penPattern_ = ReadPixelPattern(opcode, data); break;
        case kFillPixPat: fillPattern_ = ReadPixelPattern(opcode, data); break;
        case kTxFont: fontNumber_ = data.U16(0); break;
        case kTxFace: textFace_ = data.U8(0); break;
        case kTxMode: textMode_ = data.U16(0); break;
        case kTxSize: textSize_ = data.I16(0); break;
        case kFontName: fontNames_[data.U16(2)] = NameAt(data, 4); break;
        case kPnSize: penSize_ = QSize(data.I16(2), data.I16(0)); break;
        case kPnMode: penMode_ = data.U16(0); break;
        case kOvSize: ovalSize_ = QSize(data.I16(2), data.I16(0)); break;
        case kOrigin: origin_ += QPoint(data.I16(0), data.I16(2)); break;
        case kFgColor: foreColor_ = OldStyleColor(data.U32(0)); break;
        case kBkColor: backColor_ = OldStyleColor(data.U32(0)); break;
        case kRGBFgCol: foreColor_ = ReadRgb(data, 0); break;
        case kRGBBkCol: backColor_ = ReadRgb(data, 0); break;
        case kLine: DrawLine(data.Point(0), data.Point(4)); break;
        case kLineFrom: DrawLine(penLocation_, data.Point(0)); break;
        case kShortLine: DrawLine(data.Point(0), data.Point(0) + QPoint(data.I8(4), data.I8(5))); break;
        case kShortLineFrom: DrawLine(penLocation_, penLocation_ + QPoint(data.I8(0), data.I8(1))); break;
        case kLongText:
            textLocation_ = data.Point(0);
            DrawText(data, 4);
            break;
        case kDHText:
            textLocation_ += QPoint(data.U8(0), 0);
            DrawText(data, 1);
            break;
        case kDVText:
            textLocation_ += QPoint(0, data.U8(0));
            DrawText(data, 1);
            break;
        case kDHDVText:
            textLocation_ += QPoint(data.U8(0), data.U8(1));
            DrawText(data, 2);
            break;
        default: break;
        }
    }

    // ---- state

    static Pattern ReadPattern(const CBigEndianView& data, size_t offset)
    {
        Pattern pattern;
        for (size_t i = 0; i < 8; ++i)
            pattern.bits[i] = data.U8(offset + i);
        return pattern;
    }

    // A pixel pattern: its image when the caller decoded one, the colour of a
    // dithered one, else the old pattern written beside it.
    static Pattern ReadPixelPattern(const QuickDrawOpcode& opcode, const CBigEndianView& data)
    {
        Pattern pattern = ReadPattern(data, 2);
        pattern.image = opcode.image;
        if (data.U16(0) == 2)
            pattern.color = ReadRgb(data, 10);
        return pattern;
    }

    static QColor ReadRgb(const CBigEndianView& data, size_t offset)
    {
        return QColor(data.U16(offset) >> 8, data.U16(offset + 2) >> 8, data.U16(offset + 4) >> 8);
    }

    static std::string NameAt(const CBigEndianView& data, size_t offset)
    {
        CByteView name = data.Bytes(offset + 1, data.U8(offset));
        return std::string(reinterpret_cast<const char*>(name.Data()), name.Size());
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

    void SetClip(const QRegion& local)
    {
        dc_.SelectClipRegion(local.translated(-origin_), gdi::RGN_COPY);
    }

    // ---- shapes

    void PlayShape(uint16_t op, const CBigEndianView& data)
    {
        auto family = static_cast<Family>(op >> 4);
        bool same = (op & 0x08) != 0;
        if ((op & 0x07) > static_cast<int>(Verb::Fill))
            return;  // reserved
        auto verb = static_cast<Verb>(op & 0x07);
        switch (family) {
        case Family::Rect:
        case Family::RoundRect:
        case Family::Oval:
            if (!same)
                lastRect_ = data.Rect(0);
            DrawBoxShape(family, verb);
            break;
        case Family::Arc: {
            size_t angles = same ? 0 : 8;
            if (!same)
                lastRect_ = data.Rect(0);
            DrawArc(verb, data.I16(angles), data.I16(angles + 2));
            break;
        }
        case Family::Poly:
            if (!same)
                lastPolygon_ = ReadPolygon(data);
            DrawPolygon(verb);
            break;
        case Family::Region:
            if (!same)
                lastRegion_ = ReadRegion(data, 0);
            DrawRegion(verb);
            break;
        }
    }

    static QPolygon ReadPolygon(const CBigEndianView& data)
    {
        size_t size = data.U16(0);
        QPolygon polygon;
        for (size_t at = 10; at + 4 <= size; at += 4)
            polygon.append(data.Point(at));
        return polygon;
    }

    // The outline of a rectangle, round rectangle or oval in `box`.
    QPainterPath BoxOutline(Family family, const QRectF& box) const
    {
        QPainterPath path;
        if (family == Family::Rect)
            path.addRect(box);
        else if (family == Family::Oval)
            path.addEllipse(box);
        else
            path.addRoundedRect(box, std::min(std::abs(ovalSize_.width()) / 2.0, box.width() / 2),
                                std::min(std::abs(ovalSize_.height()) / 2.0, box.height() / 2));
        return path;
    }

    QRectF LastBox() const { return QRectF(lastRect_.topLeft(), lastRect_.bottomRight() + QPoint(1, 1)); }

    // A frame is what the pen covers inside the shape's edge: the shape
    // without the shape shrunk by the pen's size.
    QPainterPath FrameOf(const std::function<QPainterPath(const QRectF&)>& outline, const QRectF& box) const
    {
        QPainterPath frame = outline(box);
        QRectF inner = box.adjusted(penSize_.width(), penSize_.height(), -penSize_.width(), -penSize_.height());
        if (inner.width() > 0 && inner.height() > 0)
            frame.addPath(outline(inner));
        frame.setFillRule(Qt::OddEvenFill);
        return frame;
    }

    void DrawBoxShape(Family family, Verb verb)
    {
        QRectF box = LastBox();
        if (box.width() <= 0 || box.height() <= 0)
            return;
        auto outline = [&](const QRectF& rect) { return BoxOutline(family, rect); };
        Draw(verb, verb == Verb::Frame ? FrameOf(outline, box) : outline(box));
    }

    // Arcs start at `start` degrees clockwise from twelve o'clock and run
    // `sweep` degrees clockwise; painted, they are wedges of the oval.
    void DrawArc(Verb verb, int start, int sweep)
    {
        QRectF box = LastBox();
        if (box.width() <= 0 || box.height() <= 0)
            return;
        QRectF around = box.adjusted(-box.width(), -box.height(), box.width(), box.height());
        QPainterPath wedge;
        wedge.moveTo(box.center());
        wedge.arcTo(around, 90 - start, -sweep);
        wedge.closeSubpath();
        auto oval = [](const QRectF& rect) {
            QPainterPath path;
            path.addEllipse(rect);
            return path;
        };
        QPainterPath shape = verb == Verb::Frame ? FrameOf(oval, box) : oval(box);
        Draw(verb, shape.intersected(wedge));
    }

    void DrawPolygon(Verb verb)
    {
        if (lastPolygon_.size() < 2 || !SpendShapeWork(lastPolygon_.size()))
            return;
        if (verb == Verb::Frame) {
            DrawPenPath(lastPolygon_);
            return;
        }
        QPainterPath shape;
        shape.addPolygon(QPolygonF(lastPolygon_));
        shape.closeSubpath();
        shape.setFillRule(Qt::OddEvenFill);
        Draw(verb, shape);
    }

    void DrawRegion(Verb verb)
    {
        if (!SpendShapeWork(lastRegion_.rectCount()))
            return;
        QRegion region = lastRegion_;
        if (verb == Verb::Frame) {
            int dx = std::clamp(penSize_.width(), 0, 4096);
            int dy = std::clamp(penSize_.height(), 0, 4096);
            if (dx == 0 || dy == 0)
                return;
            region -= region & region.translated(dx, 0) & region.translated(-dx, 0) & region.translated(0, dy) &
                      region.translated(0, -dy);
        }
        QPainterPath shape;
        shape.addRegion(region);
        Draw(verb, shape);
    }

    // Frames and paints use the pen's pattern and mode, erasing the
    // background pattern, filling the fill pattern.
    void Draw(Verb verb, const QPainterPath& local)
    {
        switch (verb) {
        case Verb::Frame:
            if (penSize_.width() > 0 && penSize_.height() > 0)
                FillWith(local, penPattern_, penMode_);
            break;
        case Verb::Paint: FillWith(local, penPattern_, penMode_); break;
        case Verb::Erase: FillWith(local, backPattern_, kPatCopy); break;
        case Verb::Fill: FillWith(local, fillPattern_, kPatCopy); break;
        case Verb::Invert: Invert(local); break;
        }
    }

    // ---- lines

    void DrawLine(QPoint from, QPoint to)
    {
        DrawPenPath(QPolygon({from, to}));
        penLocation_ = to;
    }

    // The pen hangs below and to the right of the points it goes through.
    // Each segment is filled alone, which is quick however many cross; in
    // the xor modes they are filled as one, so that joints are not inverted
    // twice.
    void DrawPenPath(const QPolygon& points)
    {
        if (penSize_.width() <= 0 || penSize_.height() <= 0 || points.isEmpty())
            return;
        QPainterPath swept;
        swept.setFillRule(Qt::WindingFill);
        QSize size(std::min(penSize_.width(), 4096), std::min(penSize_.height(), 4096));
        bool together = (penMode_ & 3) == kModeXor;
        for (qsizetype i = 0; i + 1 < points.size() || i == 0; ++i) {
            swept.addPolygon(PenSweep(points[i], points[std::min(i + 1, points.size() - 1)], size));
            swept.closeSubpath();
            if (!together) {
                FillWith(swept, penPattern_, penMode_);
                swept.clear();
            }
        }
        if (together)
            FillWith(swept, penPattern_, penMode_);
    }

    // ---- painting

    // The brush of a pattern in a mode: copy draws both colours, or draws the
    // set bits in the foreground colour, bic draws them in the background
    // colour, xor inverts under them; the "not" modes take the bits inverted.
    QBrush BrushOf(const Pattern& pattern, int mode) const
    {
        int op = mode & 3;
        if (pattern.color && op != kModeXor)
            return QBrush(*pattern.color);
        if (pattern.image >= 0 && op != kModeXor)
            return QBrush(ImageOf(picture_.images[static_cast<size_t>(pattern.image)]));
        Pattern8 bits = pattern.bits;
        if ((mode & 4) != 0)
            for (uint8_t& row : bits)
                row = static_cast<uint8_t>(~row);
        QColor set = op == kModeBic ? backColor_ : op == kModeXor ? QColor(Qt::white) : foreColor_;
        QColor clear = op == kModeXor ? QColor(Qt::black) : op == 0 ? backColor_ : QColor(Qt::transparent);
        if (bits == kBlack)
            return QBrush(set);
        if (bits == kWhite)
            return clear.alpha() == 0 ? QBrush(Qt::NoBrush) : QBrush(clear);
        QImage tile(8, 8, QImage::Format_ARGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                tile.setPixelColor(x, y, (bits[static_cast<size_t>(y)] & (0x80 >> x)) != 0 ? set : clear);
        return QBrush(tile);
    }

    void FillWith(const QPainterPath& local, const Pattern& pattern, int mode)
    {
        QBrush brush = BrushOf(pattern, mode);
        if (brush.style() == Qt::NoBrush)
            return;
        QPainterPath target = dc_.ToTarget(local.translated(-origin_));
        if (!SpendPaintWork(target))
            return;
        DcState& state = dc_.State();
        state.rop2 = (mode & 3) == kModeXor ? gdi::R2_XORPEN : gdi::R2_COPYPEN;
        state.fillMode = local.fillRule() == Qt::WindingFill ? gdi::WINDING : gdi::ALTERNATE;
        state.brushOrigin = dc_.ToTarget(QPointF(0, 0)).toPoint();
        dc_.FillTarget(target, brush);
    }

    void Invert(const QPainterPath& local)
    {
        QPainterPath target = dc_.ToTarget(local.translated(-origin_));
        if (!SpendPaintWork(target))
            return;
        DcState& state = dc_.State();
        state.rop2 = gdi::R2_NOT;
        state.fillMode = local.fillRule() == Qt::WindingFill ? gdi::WINDING : gdi::ALTERNATE;
        dc_.FillTarget(target, QBrush(Qt::black));
    }

    // Shapes count the pixels of their box, and the rows each of their
    // edges crosses, against the file's allowance, so that no picture keeps
    // painting for long, whether with large shapes or with shapes of many
    // edges.
    bool SpendPaintWork(const QPainterPath& target)
    {
        constexpr int64_t kEdgeRowCost = 256;  // an edge on a row costs about as much as 256 pixels filled
        QRect area = PixelsWithin(target.controlPointRect(), dc_.Target().rect());
        if (area.isEmpty())
            return false;
        int64_t edgeRows = int64_t {target.elementCount()} * area.height() * kEdgeRowCost;
        return dc_.SpendPixelWork(int64_t {area.width()} * area.height() + edgeRows);
    }

    // Polygons and regions are paid for by their points and rectangles before
    // they become paths, so that one drawn again and again ends soon, even
    // once the allowance is spent.
    bool SpendShapeWork(int64_t elements)
    {
        constexpr int64_t kElementCost = 1024;  // pixels filled in the time a point or rectangle is handled
        return dc_.SpendPixelWork(std::max<int64_t>(elements, 1) * kElementCost);
    }

    static QImage ImageOf(const QuickDrawImage& image)
    {
        return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                      static_cast<qsizetype>(image.width) * 4, QImage::Format_RGB32);
    }

    // Images copied in the "or" and transparent modes leave their white out.
    void DrawImage(const QuickDrawImage& image)
    {
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height) ||
            !dc_.SpendPixelWork(int64_t {image.width} * image.height))
            return;
        QImage pixels = ImageOf(image);
        if (image.mode == kSrcOr || image.mode == kTransparent) {
            pixels = pixels.convertToFormat(QImage::Format_ARGB32);
            QRgb white = qRgb(255, 255, 255);
            for (int y = 0; y < pixels.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(y));
                for (int x = 0; x < pixels.width(); ++x)
                    if (line[x] == white)
                        line[x] = 0;
            }
        }
        const MetaRect& d = image.destination;
        QRectF destination(dc_.ToTarget(QPointF(d.left, d.top) - origin_),
                           dc_.ToTarget(QPointF(d.right, d.bottom) - origin_));
        const MetaRect& s = image.source;
        QRectF source(QPointF(s.left, s.top), QPointF(s.right, s.bottom));
        if (destination.width() <= 0 || destination.height() <= 0 || source.width() <= 0 || source.height() <= 0)
            return;
        QPainter& painter = dc_.Painter();
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(destination, pixels, source);
    }

    // ---- text

    // Text in the current font, face and size, its baseline at the text location.
    void DrawText(const CBigEndianView& data, size_t countAt)
    {
        CByteView text = data.Bytes(countAt + 1, data.U8(countAt));
        LogFont font;
        font.height = -(textSize_ > 0 ? textSize_ : kDefaultTextSize);
        font.weight = (textFace_ & 1) != 0 ? 700 : 400;
        font.italic = (textFace_ & 2) != 0;
        font.underline = (textFace_ & 4) != 0;
        font.charSet = gdi::MAC_CHARSET;
        auto named = fontNames_.find(fontNumber_);
        font.faceName = WindowsFaceOf(named != fontNames_.end() ? named->second : StandardFontName(fontNumber_));
        DcState& state = dc_.State();
        state.font = font;
        state.textColor = ColorRefOf(foreColor_);
        state.backgroundColor = ColorRefOf(backColor_);
        state.backgroundMode = textMode_ == kSrcCopy ? gdi::OPAQUE : gdi::TRANSPARENT;
        state.textAlign = gdi::TA_BASELINE;
        state.rop2 = gdi::R2_COPYPEN;
        TextCall call;
        call.reference = QPointF(textLocation_ - origin_);
        call.chars = DecodeBytes(text, font.charSet, EncodingOf(font));
        metafile::DrawText(dc_, call);
    }

    const QuickDrawPicture& picture_;
    CPlaybackDC& dc_;
    QPoint origin_;
    QPoint penLocation_;
    QSize penSize_ {1, 1};
    int penMode_ = kPatCopy;
    Pattern penPattern_;
    Pattern fillPattern_;
    Pattern backPattern_ {kWhite, -1, std::nullopt};
    QColor foreColor_ = Qt::black;
    QColor backColor_ = Qt::white;
    QSize ovalSize_;
    QRect lastRect_;
    QPolygon lastPolygon_;
    QRegion lastRegion_;
    QPoint textLocation_;
    int fontNumber_ = 0;
    int textFace_ = 0;
    int textMode_ = kSrcOr;
    int textSize_ = 0;
    std::map<int, std::string> fontNames_;
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
