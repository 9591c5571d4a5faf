#pragma once

// The files the thumbnail cache's fuzz target looks up and stores, which its
// seeds hold too: a thumbnail of each depth and a file that did not decode.

#include <array>
#include <memory>

#include "document/Thumbnail.h"
#include "platform/gdi/DibSection.h"
#include "platform/os/FileStamp.h"

struct CacheFuzzRow {
    os::FileStamp file;
    int depth;  // 0: the file did not decode
};

inline const std::array<CacheFuzzRow, 4>& CacheFuzzRows()
{
    static const std::array<CacheFuzzRow, 4> rows {{
        {{"/pictures/mono.tif", 1200, 1000000001}, 1},
        {{"/pictures/cube.bmp", 60000, 1000000002}, 8},
        {{"/pictures/scene.jpg", 250000, 1000000003}, 32},
        {{"/pictures/broken.png", 13, 1000000004}, 0},
    }};
    return rows;
}

// A thumbnail of that depth with a colour table and bits of a simple pattern;
// null for depth 0.
inline std::unique_ptr<gdi::CDibSection> CacheFuzzThumbnail(int depth)
{
    if (depth == 0)
        return nullptr;
    gdi::BitmapInfoHeader header;
    header.width = kThumbnailWidth;
    header.height = kThumbnailHeight;
    header.bitCount = static_cast<uint16_t>(depth);
    std::unique_ptr<gdi::CDibSection> thumbnail = gdi::CDibSection::Create(header, nullptr);
    if (!thumbnail)
        return nullptr;
    for (size_t i = 0; i < thumbnail->ColorTable().size(); ++i) {
        auto level = static_cast<uint8_t>(i);
        gdi::RgbQuad color {level, static_cast<uint8_t>(255 - level), level, 0};
        thumbnail->SetColorTable(static_cast<int>(i), 1, &color);
    }
    int bytes = thumbnail->Stride() * thumbnail->Height();
    for (int i = 0; i < bytes; ++i)
        thumbnail->Bits()[i] = static_cast<uint8_t>(i * 7 + depth);
    return thumbnail;
}
