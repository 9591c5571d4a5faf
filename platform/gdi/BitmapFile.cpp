#include "platform/gdi/BitmapFile.h"

#include <cstring>

#include "platform/gdi/BitmapInfo.h"

namespace gdi {

std::vector<uint8_t> MakeBitmapFile(const std::vector<uint8_t>& packedDib)
{
    BitmapInfoHeader header;
    if (packedDib.size() < sizeof header)
        return {};
    std::memcpy(&header, packedDib.data(), sizeof header);
    uint32_t pixelOffset = 14 + header.size + 4 * static_cast<uint32_t>(DibColorCount(header.bitCount));
    uint32_t fileSize = static_cast<uint32_t>(14 + packedDib.size());
    std::vector<uint8_t> file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    for (int i = 0; i < 4; ++i) {
        file[static_cast<size_t>(2 + i)] = static_cast<uint8_t>(fileSize >> (8 * i));
        file[static_cast<size_t>(10 + i)] = static_cast<uint8_t>(pixelOffset >> (8 * i));
    }
    file.insert(file.end(), packedDib.begin(), packedDib.end());
    return file;
}

}  // namespace gdi
