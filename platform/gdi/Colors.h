#pragma once

#include <cstdint>

namespace gdi {

// A colour as GDI writes it: 0x00BBGGRR.
using ColorRef = uint32_t;

constexpr ColorRef Rgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) | (static_cast<ColorRef>(blue) << 16);
}
constexpr uint8_t RedOf(ColorRef color) { return static_cast<uint8_t>(color); }
constexpr uint8_t GreenOf(ColorRef color) { return static_cast<uint8_t>(color >> 8); }
constexpr uint8_t BlueOf(ColorRef color) { return static_cast<uint8_t>(color >> 16); }

// A colour-table entry of a DIB: blue, green, red, reserved.
struct RgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};
static_assert(sizeof(RgbQuad) == 4);

// System colour indices, numbered as GDI numbers them.
enum SysColor {
    COLOR_WINDOW = 5,
    COLOR_MENU = 4,
    COLOR_WINDOWTEXT = 8,
    COLOR_MENUTEXT = 7,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    SYS_COLOR_COUNT = 31,
};

// The system colours start as the classic desktop scheme; the application
// replaces them with its widget style's colours at start-up. Any thread may
// read them while another sets them.
ColorRef GetSysColor(int index);
void SetSysColor(int index, ColorRef color);
void ResetSysColors();

}  // namespace gdi
