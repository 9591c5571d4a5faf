#pragma once

#include <array>
#include <cstdint>
#include <vector>

using GifColors = std::vector<std::array<uint8_t, 3>>;  // red, green, blue per entry

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    bool interlaced = false;
    GifColors colors;              // the local colour map; empty: none
    std::vector<uint8_t> indices;  // width x height, rows top-down
    int transparentIndex = -1;     // 0 or more: a graphics control extension in front
    // Above height: the descriptor claims this many rows, while the data end
    // after the `height` rows of `indices`, which are stored as given (for an
    // interlaced image, in pass order).
    int claimedHeight = 0;
};

// A GIF to write with giflib. Colour maps are padded to a power of two. A
// picture without any colour map is written without one.
struct GifPicture {
    int width = 1;
    int height = 1;
    int background = 0;
    bool gif89 = true;
    GifColors colors;  // the global colour map; empty: none
    std::vector<GifFrame> frames;
};

// Throws std::runtime_error with giflib's complaint when it refuses.
std::vector<uint8_t> WriteGif(const GifPicture& picture);

// The scene of TestPictures reduced to the colour cube, as one image.
GifPicture SceneGif(int width, int height, bool interlaced);
