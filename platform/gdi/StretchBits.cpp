#include "platform/gdi/StretchBits.h"

#include <array>
#include <cstring>
#include <vector>

namespace gdi {
namespace {

// For each target column (or row) of the visible span: the source span it takes.
struct Span {
    int first = 0;
    int end = 0;  // exclusive; first == end means no source pixel
};

// A mirrored axis takes the source span from its far end.
std::vector<Span> MapAxis(int visibleFrom, int visibleTo, int dstFrom, int dstSize, int srcFrom, int srcSize,
                          bool mirrored, int sourceLimit, bool average)
{
    std::vector<Span> spans(static_cast<size_t>(visibleTo - visibleFrom));
    bool box = average && srcSize > dstSize;
    for (int d = visibleFrom; d < visibleTo; ++d) {
        int64_t i = mirrored ? dstFrom + dstSize - 1 - d : d - dstFrom;
        int64_t first;
        int64_t end;
        if (box) {
            first = srcFrom + i * srcSize / dstSize;
            end = srcFrom + (i + 1) * srcSize / dstSize;
        } else {
            first = srcFrom + (2 * i + 1) * srcSize / (2 * static_cast<int64_t>(dstSize));
            end = first + 1;
        }
        first = std::max<int64_t>(first, 0);
        end = std::min<int64_t>(end, sourceLimit);
        if (first < end)
            spans[static_cast<size_t>(d - visibleFrom)] = {static_cast<int>(first), static_cast<int>(end)};
    }
    return spans;
}

int ReadIndex(const uint8_t* row, int x, int bitsPerPixel)
{
    if (bitsPerPixel == 8)
        return row[x];
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

void WriteIndex(uint8_t* row, int x, int bitsPerPixel, int index)
{
    if (bitsPerPixel == 8) {
        row[x] = static_cast<uint8_t>(index);
        return;
    }
    uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
    if (index & 1)
        row[x >> 3] |= mask;
    else
        row[x >> 3] &= static_cast<uint8_t>(~mask);
}

bool SameColorTable(const DibPixels& a, const DibPixels& b)
{
    if (a.bitsPerPixel != b.bitsPerPixel || a.colorCount != b.colorCount || a.colors == nullptr || b.colors == nullptr)
        return false;
    for (int i = 0; i < a.colorCount; ++i) {
        const RgbQuad& x = a.colors[i];
        const RgbQuad& y = b.colors[i];
        if (x.red != y.red || x.green != y.green || x.blue != y.blue)
            return false;
    }
    return true;
}

// The colours of an indexed source, padded to 256 entries so any index is safe.
std::array<RgbQuad, 256> SourceColors(const DibPixels& source)
{
    std::array<RgbQuad, 256> colors {};
    for (int i = 0; i < source.colorCount && i < 256; ++i)
        colors[static_cast<size_t>(i)] = source.colors[i];
    return colors;
}

class Stretcher {
public:
    Stretcher(const DibPixels& target, const DibPixels& source, const Rect& visible, std::vector<Span> columns,
              std::vector<Span> rows)
        : target_(target), source_(source), visible_(visible), columns_(std::move(columns)), rows_(std::move(rows))
    {
    }

    // `averageIndexed`: an indexed source is averaged by its colours, as a true-colour one is.
    void Run(bool averageIndexed)
    {
        if (source_.bitsPerPixel > 8) {
            CopyColors([](const uint8_t* row, int x) { return row + 4 * x; });
        } else if (averageIndexed) {
            std::array<RgbQuad, 256> colors = SourceColors(source_);
            int depth = source_.bitsPerPixel;
            CopyColors([&](const uint8_t* row, int x) {
                return reinterpret_cast<const uint8_t*>(&colors[static_cast<size_t>(ReadIndex(row, x, depth))]);
            });
        } else if (target_.bitsPerPixel <= 8 && SameColorTable(source_, target_)) {
            CopyIndices();
        } else {
            CopyFromIndexed();
        }
    }

private:
    template <typename WritePixel>
    void ForEachNearest(WritePixel write)
    {
        for (int y = visible_.top; y < visible_.bottom; ++y) {
            const Span& rowSpan = rows_[static_cast<size_t>(y - visible_.top)];
            if (rowSpan.first == rowSpan.end)
                continue;
            const uint8_t* sourceRow = source_.Row(rowSpan.first);
            uint8_t* targetRow = target_.Row(y);
            for (int x = visible_.left; x < visible_.right; ++x) {
                const Span& columnSpan = columns_[static_cast<size_t>(x - visible_.left)];
                if (columnSpan.first != columnSpan.end)
                    write(targetRow, x, sourceRow, columnSpan.first);
            }
        }
    }

    void CopyIndices()
    {
        int sourceDepth = source_.bitsPerPixel;
        int targetDepth = target_.bitsPerPixel;
        ForEachNearest([&](uint8_t* targetRow, int x, const uint8_t* sourceRow, int sx) {
            WriteIndex(targetRow, x, targetDepth, ReadIndex(sourceRow, sx, sourceDepth));
        });
    }

    void CopyFromIndexed()
    {
        std::array<RgbQuad, 256> colors = SourceColors(source_);
        int sourceDepth = source_.bitsPerPixel;
        if (target_.bitsPerPixel == 32) {
            ForEachNearest([&](uint8_t* targetRow, int x, const uint8_t* sourceRow, int sx) {
                std::memcpy(targetRow + 4 * x, &colors[static_cast<size_t>(ReadIndex(sourceRow, sx, sourceDepth))], 4);
            });
            return;
        }
        std::array<uint8_t, 256> map {};
        for (size_t i = 0; i < colors.size(); ++i)
            map[i] = static_cast<uint8_t>(
                NearestColorIndex(target_.colors, target_.colorCount, colors[i].red, colors[i].green, colors[i].blue));
        int targetDepth = target_.bitsPerPixel;
        ForEachNearest([&](uint8_t* targetRow, int x, const uint8_t* sourceRow, int sx) {
            WriteIndex(targetRow, x, targetDepth, map[static_cast<size_t>(ReadIndex(sourceRow, sx, sourceDepth))]);
        });
    }

    // `pixelAt`(row, x) gives the blue, green, red and alpha bytes of a source pixel.
    template <typename PixelAt>
    void CopyColors(PixelAt pixelAt)
    {
        // Colours averaged (or sampled) from the source, then stored by target depth.
        std::vector<uint8_t> line(static_cast<size_t>(visible_.Width()) * 4);
        std::vector<uint64_t> sums(line.size());
        uint32_t cachedColor = 0;
        int cachedIndex = -1;
        for (int y = visible_.top; y < visible_.bottom; ++y) {
            const Span& rowSpan = rows_[static_cast<size_t>(y - visible_.top)];
            if (rowSpan.first == rowSpan.end)
                continue;
            SampleLine(rowSpan, line, sums, pixelAt);
            uint8_t* targetRow = target_.Row(y);
            for (int x = visible_.left; x < visible_.right; ++x) {
                size_t c = static_cast<size_t>(x - visible_.left);
                if (columns_[c].first == columns_[c].end)
                    continue;
                const uint8_t* bgra = &line[4 * c];
                if (target_.bitsPerPixel == 32) {
                    std::memcpy(targetRow + 4 * x, bgra, 4);
                    continue;
                }
                uint32_t color = bgra[0] | (bgra[1] << 8) | (bgra[2] << 16);
                if (cachedIndex < 0 || color != cachedColor) {
                    cachedColor = color;
                    cachedIndex = NearestColorIndex(target_.colors, target_.colorCount, bgra[2], bgra[1], bgra[0]);
                }
                WriteIndex(targetRow, x, target_.bitsPerPixel, cachedIndex);
            }
        }
    }

    // Fills `line` with the colour each visible column takes from the source rows of `rowSpan`.
    template <typename PixelAt>
    void SampleLine(const Span& rowSpan, std::vector<uint8_t>& line, std::vector<uint64_t>& sums, PixelAt pixelAt)
    {
        size_t columnCount = columns_.size();
        bool single = rowSpan.end - rowSpan.first == 1;
        if (single) {
            const uint8_t* sourceRow = source_.Row(rowSpan.first);
            bool anyBox = false;
            for (size_t c = 0; c < columnCount; ++c) {
                const Span& s = columns_[c];
                if (s.end - s.first == 1)
                    std::memcpy(&line[4 * c], pixelAt(sourceRow, s.first), 4);
                else if (s.end > s.first)
                    anyBox = true;
            }
            if (!anyBox)
                return;
        }
        std::fill(sums.begin(), sums.end(), 0);
        for (int sy = rowSpan.first; sy < rowSpan.end; ++sy) {
            const uint8_t* sourceRow = source_.Row(sy);
            for (size_t c = 0; c < columnCount; ++c) {
                const Span& s = columns_[c];
                for (int sx = s.first; sx < s.end; ++sx) {
                    const uint8_t* p = pixelAt(sourceRow, sx);
                    sums[4 * c] += p[0];
                    sums[4 * c + 1] += p[1];
                    sums[4 * c + 2] += p[2];
                    sums[4 * c + 3] += p[3];
                }
            }
        }
        uint64_t rowCount = static_cast<uint64_t>(rowSpan.end - rowSpan.first);
        for (size_t c = 0; c < columnCount; ++c) {
            uint64_t count = rowCount * static_cast<uint64_t>(columns_[c].end - columns_[c].first);
            if (count == 0)
                continue;
            for (size_t k = 0; k < 4; ++k)
                line[4 * c + k] = static_cast<uint8_t>((sums[4 * c + k] + count / 2) / count);
        }
    }

    const DibPixels& target_;
    const DibPixels& source_;
    Rect visible_;
    std::vector<Span> columns_;
    std::vector<Span> rows_;
};

bool IsDrawableDepth(int depth)
{
    return depth == 1 || depth == 8 || depth == 32;
}

}  // namespace

int NearestColorIndex(const RgbQuad* colors, int count, uint8_t red, uint8_t green, uint8_t blue)
{
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < count; ++i) {
        int dr = colors[i].red - red;
        int dg = colors[i].green - green;
        int db = colors[i].blue - blue;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
            if (distance == 0)
                break;
        }
    }
    return best;
}

bool StretchBits(const DibPixels& target, const Rect& dst, const DibPixels& source, const Rect& src,
                 StretchQuality quality)
{
    Rect from = src.Normalized();
    if (dst.IsEmpty() || from.IsEmpty() || !IsDrawableDepth(target.bitsPerPixel) ||
        !IsDrawableDepth(source.bitsPerPixel))
        return false;
    Rect visible = dst.Intersected({0, 0, target.width, target.height});
    if (visible.IsEmpty())
        return true;
    bool averageIndexed = quality == StretchQuality::AverageColors && target.bitsPerPixel == 32;
    bool average = quality != StretchQuality::Nearest && (source.bitsPerPixel == 32 || averageIndexed);
    std::vector<Span> columns = MapAxis(visible.left, visible.right, dst.left, dst.Width(), from.left, from.Width(),
                                        src.Width() < 0, source.width, average);
    std::vector<Span> rows = MapAxis(visible.top, visible.bottom, dst.top, dst.Height(), from.top, from.Height(),
                                     src.Height() < 0, source.height, average);
    Stretcher(target, source, visible, std::move(columns), std::move(rows)).Run(averageIndexed);
    return true;
}

}  // namespace gdi
