#pragma once

// What the QuickDraw player's opcodes set and draw with: QuickDraw's port
// state, and the painter that draws shapes, lines, images and text in that
// state through the metafile player's device context.

#include <QColor>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/metafile/ByteView.h"
#include "platform/metafile/PlaybackDC.h"
#include "platform/metafile/QuickDraw.h"

namespace metafile::quickdraw {

// The five ways of drawing a shape, the low three bits of its opcode.
enum class Verb { Frame, Paint, Erase, Invert, Fill };

// The shape families, the opcode's bits 4 to 7 (each has a plain and a "same" row).
enum class Family { Rect = 3, RoundRect = 4, Oval = 5, Arc = 6, Poly = 7, Region = 8 };

// Transfer modes: the low two bits choose copy, or, xor, bic; bit 2 inverts
// the pattern; the pattern modes are the source modes plus 8.
constexpr int kSrcCopy = 0;
constexpr int kSrcOr = 1;
constexpr int kModeXor = 2;
constexpr int kModeBic = 3;
constexpr int kPatCopy = 8;
constexpr int kTransparent = 36;

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

// The port: what the opcodes set and the drawing reads, in picture coordinates.
struct Port {
    QPoint origin;
    QPoint penLocation;
    QSize penSize {1, 1};
    int penMode = kPatCopy;
    Pattern penPattern;
    Pattern fillPattern;
    Pattern backPattern {kWhite, -1, std::nullopt};
    QColor foreColor = Qt::black;
    QColor backColor = Qt::white;
    QSize ovalSize;
    QPoint textLocation;
    int fontNumber = 0;
    int textFace = 0;
    int textMode = kSrcOr;
    int textSize = 0;
    std::map<int, std::string> fontNames;
};

// Draws in the port's current state, moved by its origin, on the device
// context; each drawing spends the context's pixel allowance.
class CQuickDrawPainter {
public:
    CQuickDrawPainter(const QuickDrawPicture& picture, CPlaybackDC& dc, const Port& port)
        : picture_(picture), dc_(dc), port_(port)
    {
    }

    void SetClip(const QRegion& local);
    // A rectangle, round rectangle or oval in `box`.
    void DrawBox(Family family, Verb verb, const QRect& box);
    // Arcs start at `start` degrees clockwise from twelve o'clock and run
    // `sweep` degrees clockwise; painted, they are wedges of the oval in `box`.
    void DrawArc(Verb verb, const QRect& box, int start, int sweep);
    void DrawPolygon(Verb verb, const QPolygon& polygon);
    void DrawRegion(Verb verb, const QRegion& region);
    void DrawLine(QPoint from, QPoint to);
    // Images copied in the "or" and transparent modes leave their white out.
    void DrawImage(const QuickDrawImage& image);
    // Text in the port's font, face and size, its baseline at the text location.
    void DrawText(CByteView text);

private:
    using Outline = std::function<QPainterPath(const QRectF&)>;

    QPainterPath BoxOutline(Family family, const QRectF& box) const;
    QPainterPath FrameOf(const Outline& outline, const QRectF& box) const;
    void Draw(Verb verb, const QPainterPath& local);
    void DrawPenPath(const QPolygon& points);
    QBrush BrushOf(const Pattern& pattern, int mode) const;
    void FillWith(const QPainterPath& local, const Pattern& pattern, int mode);
    void Invert(const QPainterPath& local);
    bool SpendPaintWork(const QPainterPath& target);
    bool SpendShapeWork(int64_t elements);

    const QuickDrawPicture& picture_;
    CPlaybackDC& dc_;
    const Port& port_;
};

}  // namespace metafile::quickdraw
