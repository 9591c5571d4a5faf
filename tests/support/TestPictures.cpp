#include "tests/support/TestPictures.h"

#include <algorithm>

namespace {

uint8_t CubeLevel(uint32_t component)
{
    return static_cast<uint8_t>((component * 5 + 127) / 255);
}

}  // namespace

uint32_t ScenePixel(int x, int y, int width, int height)
{
    uint32_t red = static_cast<uint32_t>(255 * x / std::max(1, width - 1));
    uint32_t green = static_cast<uint32_t>(255 * y / std::max(1, height - 1));
    uint32_t blue = static_cast<uint32_t>(128 + ((x ^ y) & 0x3F));
    // A white disc in the upper left third and a dark square to the right.
    int dx = x - width / 3;
    int dy = y - height / 3;
    int radius = std::min(width, height) / 5;
    if (dx * dx + dy * dy < radius * radius)
        return 0xFFFFFF;
    if (x > width * 2 / 3 && x < width * 5 / 6 && y > height / 2 && y < height * 3 / 4)
        return 0x202040;
    return (red << 16) | (green << 8) | blue;
}

std::vector<std::vector<uint32_t>> SceneRows(int width, int height)
{
    std::vector<std::vector<uint32_t>> rows(static_cast<size_t>(height), std::vector<uint32_t>(static_cast<size_t>(width)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[static_cast<size_t>(y)][static_cast<size_t>(x)] = ScenePixel(x, y, width, height);
    return rows;
}

std::vector<std::array<uint8_t, 3>> CubePalette()
{
    std::vector<std::array<uint8_t, 3>> palette;
    for (int red = 0; red < 6; ++red)
        for (int green = 0; green < 6; ++green)
            for (int blue = 0; blue < 6; ++blue)
                palette.push_back({static_cast<uint8_t>(red * 51), static_cast<uint8_t>(green * 51),
                                   static_cast<uint8_t>(blue * 51)});
    return palette;
}

std::vector<std::vector<uint8_t>> SceneIndices(int width, int height)
{
    std::vector<std::vector<uint8_t>> rows;
    for (const auto& row : SceneRows(width, height)) {
        std::vector<uint8_t> indices;
        for (uint32_t pixel : row)
            indices.push_back(static_cast<uint8_t>(CubeLevel(pixel >> 16) * 36 + CubeLevel((pixel >> 8) & 0xFF) * 6 +
                                                   CubeLevel(pixel & 0xFF)));
        rows.push_back(std::move(indices));
    }
    return rows;
}

std::vector<std::vector<uint8_t>> BandIndices(int width, int height, int colours)
{
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < height; ++y) {
        std::vector<uint8_t> row(static_cast<size_t>(width));
        for (int x = 0; x < width; ++x) {
            int band = (y * colours / std::max(1, height) + x / std::max(1, width / 7)) % colours;
            // A little noise every few pixels keeps absolute runs in the data.
            row[static_cast<size_t>(x)] = static_cast<uint8_t>(x % 37 == 0 ? (band + 1) % colours : band);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::vector<uint32_t>> Widen(const std::vector<std::vector<uint8_t>>& rows)
{
    std::vector<std::vector<uint32_t>> wide;
    for (const auto& row : rows)
        wide.emplace_back(row.begin(), row.end());
    return wide;
}

std::vector<uint8_t> Flatten(const std::vector<std::vector<uint8_t>>& rows)
{
    std::vector<uint8_t> flat;
    for (const auto& row : rows)
        flat.insert(flat.end(), row.begin(), row.end());
    return flat;
}
