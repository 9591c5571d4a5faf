#include "platform/gdi/Palette.h"

#include <array>

namespace gdi {
namespace {

constexpr std::array<PaletteEntry, 10> kFirstStaticColors = {{
    {0, 0, 0, 0}, {128, 0, 0, 0}, {0, 128, 0, 0}, {128, 128, 0, 0}, {0, 0, 128, 0},
    {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
}};
constexpr std::array<PaletteEntry, 10> kLastStaticColors = {{
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0}, {0, 255, 0, 0},
    {255, 255, 0, 0}, {0, 0, 255, 0}, {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0},
}};

}  // namespace

CPalette CreateHalftonePalette()
{
    std::vector<PaletteEntry> entries(kFirstStaticColors.begin(), kFirstStaticColors.end());
    for (int red = 0; red < 6; ++red)
        for (int green = 0; green < 6; ++green)
            for (int blue = 0; blue < 6; ++blue)
                entries.push_back({static_cast<uint8_t>(red * 51), static_cast<uint8_t>(green * 51),
                                   static_cast<uint8_t>(blue * 51), 0});
    // Greys between the cube's steps fill the table up to the last static colours.
    for (int i = 1; entries.size() < 256 - kLastStaticColors.size(); ++i) {
        auto grey = static_cast<uint8_t>(i * 255 / 27);
        entries.push_back({grey, grey, grey, 0});
    }
    entries.insert(entries.end(), kLastStaticColors.begin(), kLastStaticColors.end());
    return CPalette(std::move(entries));
}

}  // namespace gdi
