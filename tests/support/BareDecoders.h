#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Pictures decoded by the image libraries alone, with the options Lumo's
// decoders give them: the reference for tests and the peer in benchmarks.
struct BarePicture {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    std::unique_ptr<uint8_t[]> pixels;  // rows top first, as the library delivers them

    const uint8_t* At(int x, int y) const
    {
        return pixels.get() + (static_cast<size_t>(y) * width + x) * bytesPerPixel;
    }
};

// libjpeg: plain upsampling, floating-point transform, RGB as RGBX, grey and
// CMYK as they stand. False when the library refuses the data.
bool DecodeJpegBare(const std::vector<uint8_t>& bytes, BarePicture& picture);

// libpng: grey and palette images as one index a pixel, every other colour
// type as blue, green, red, alpha (0xFF without alpha); 16 bits cut to 8.
bool DecodePngBare(const std::vector<uint8_t>& bytes, BarePicture& picture);
