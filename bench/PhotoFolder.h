#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Photo-like JPEG files for the benchmarks of collections. A smooth scene
// would decode far faster than a camera's photo, so each picture is the test
// scene with a texture of two scales and sensor-like noise, seeded by its
// number: at 4000 x 3000 and quality 90 (4:2:0) a file takes about 3 MB and
// libjpeg about as long to decode as a real photo of that size.

// The RGB rows, top first, of photo number `seed`.
std::vector<uint8_t> PhotoSamples(int width, int height, uint32_t seed);
// Photo number `seed` as a JPEG file of quality 90.
std::vector<uint8_t> PhotoJpeg(int width, int height, uint32_t seed);

// A folder of the benchmark build holding `count` distinct photos of
// width x height (photo-00000.jpg and on). They are written on every core
// the first time it is asked for and kept for later runs.
std::string PhotoFolder(int count, int width, int height);
// The paths of that folder's photos, in name order.
std::vector<std::string> PhotoPaths(int count, int width, int height);
