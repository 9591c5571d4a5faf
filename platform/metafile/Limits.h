#pragma once

#include <cstdint>

// Hard limits of the player, so that no file makes it allocate without
// bound or play for ever, whatever its counts say. Real pictures stay far
// below every one of them.
namespace metafile {

constexpr uint32_t kMaxRecords = 1u << 20;          // records played from one file
constexpr uint32_t kMaxPointsPerCall = 1u << 20;    // points of one drawing call
constexpr uint32_t kMaxPolygonsPerCall = 1u << 16;  // figures of one poly-polygon call
constexpr uint64_t kMaxBitmapPixels = 1u << 25;     // pixels of one embedded bitmap (128 MiB at 32 bits)
constexpr int kMaxSaveDepth = 1024;                 // nested saved states
constexpr int kMaxClipOperations = 1 << 14;         // clip and region operations of one file
constexpr uint32_t kMaxRegionRects = 1u << 16;      // rectangles of one region
constexpr uint32_t kMaxObjects = 1u << 16;          // slots of the object table
constexpr uint32_t kMaxTextChars = 1u << 16;        // characters of one text call
constexpr uint32_t kMaxPaletteEntries = 1u << 16;   // entries of one palette
constexpr double kMaxDeviceCoordinate = 1 << 24;    // device coordinates are clamped to +-this
constexpr double kMaxPenWidth = 1 << 14;            // device pixels
// Pixels the player's own loops (bitmaps decoded, raster operations mixed,
// flood fills, regions of paths, gradient triangles) may touch in one file.
constexpr int64_t kMaxPixelWork = int64_t {1} << 32;

}  // namespace metafile
