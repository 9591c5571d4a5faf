#pragma once

#include <cstdint>
#include <vector>

// A JPEG file to write with libjpeg's own compressor.
struct JpegImage {
    int width = 1;
    int height = 1;
    int components = 3;  // 1 grey, 3 colour, 4 CMYK; others without a colour space
    // Rows top first, width x components bytes each: grey, RGB or CMYK.
    std::vector<uint8_t> samples;
    int quality = 95;
    bool progressive = false;
    // Sampling factors of the first component (the others take 1 x 1):
    // 1 x 1 is 4:4:4, 2 x 1 is 4:2:2, 2 x 2 is 4:2:0.
    int lumaWidthFactor = 2;
    int lumaHeightFactor = 2;
    bool ycck = false;  // four components stored as YCCK rather than CMYK
    // Four components: samples are amounts of ink (255 full). With the marker
    // they are stored inverted, as Adobe's programs store them; without it (CMYK
    // only) as they stand.
    bool adobeMarker = true;
    int restartRows = 0;
};

std::vector<uint8_t> WriteJpeg(const JpegImage& image);

// The samples of a scene of 0xRRGGBB pixels as JpegImage takes them: RGB,
// or grey (the green channel) for one component.
std::vector<uint8_t> JpegSamples(const std::vector<std::vector<uint32_t>>& rows, int components);
