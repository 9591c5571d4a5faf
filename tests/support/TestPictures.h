#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Synthetic picture content shared by the tests, the samples and the benchmarks:
// colour gradients with a few shapes, so every region of a picture differs.

// 0xRRGGBB of the picture at (x, y) of a width x height scene.
uint32_t ScenePixel(int x, int y, int width, int height);
std::vector<std::vector<uint32_t>> SceneRows(int width, int height);

// The 6 x 6 x 6 colour cube as a palette (red, green, blue), 216 entries.
std::vector<std::array<uint8_t, 3>> CubePalette();
// The scene reduced to cube indices.
std::vector<std::vector<uint8_t>> SceneIndices(int width, int height);
// Horizontal bands of a few colours: what run-length encoding suits.
std::vector<std::vector<uint8_t>> BandIndices(int width, int height, int colours);

std::vector<std::vector<uint32_t>> Widen(const std::vector<std::vector<uint8_t>>& rows);

// The rows one after the other.
std::vector<uint8_t> Flatten(const std::vector<std::vector<uint8_t>>& rows);
