#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Pictures decoded by the image libraries alone, with the options Lumo's
// decoders give them: the reference for tests and the peer in benchmarks.

// Where a bare decode puts its rows: given the size and the bytes of a pixel,
// returns one row pointer per line, top first.
using RowDestination = std::function<uint8_t* const*(int width, int height, int bytesPerPixel)>;

// What a JPEG file's rows hold.
struct BareJpegColours {
    bool cmyk = false;         // four channels of ink (also from YCCK)
    bool adobeMarker = false;  // Adobe's APP14 segment: the ink is stored inverted
};

// libjpeg: plain upsampling, floating-point transform, RGB as RGBX, grey and
// CMYK as they stand. False when the library refuses the data.
bool DecodeJpegBare(const std::vector<uint8_t>& bytes, const RowDestination& destination,
                    BareJpegColours* colours = nullptr);

// libpng: grey and palette images as one index a pixel, every other colour
// type as blue, green, red, alpha (0xFF without alpha); 16 bits cut to 8.
bool DecodePngBare(const std::vector<uint8_t>& bytes, const RowDestination& destination);

// A bare decode's rows in memory of their own.
struct BarePicture {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t*> rows;
    BareJpegColours jpegColours;

    RowDestination Destination();
    const uint8_t* At(int x, int y) const
    {
        return pixels.data() + (static_cast<size_t>(y) * width + x) * bytesPerPixel;
    }
};

bool DecodeJpegBare(const std::vector<uint8_t>& bytes, BarePicture& picture);
