#include "platform/gdi/Colors.h"

#include <array>
#include <cstddef>

namespace gdi {
namespace {

std::array<ColorRef, SYS_COLOR_COUNT> DefaultColors()
{
    std::array<ColorRef, SYS_COLOR_COUNT> colors {};
    colors.fill(Rgb(192, 192, 192));
    colors[COLOR_WINDOW] = Rgb(255, 255, 255);
    colors[COLOR_MENU] = Rgb(192, 192, 192);
    colors[COLOR_WINDOWTEXT] = Rgb(0, 0, 0);
    colors[COLOR_MENUTEXT] = Rgb(0, 0, 0);
    colors[COLOR_HIGHLIGHT] = Rgb(0, 0, 128);
    colors[COLOR_HIGHLIGHTTEXT] = Rgb(255, 255, 255);
    colors[COLOR_BTNFACE] = Rgb(192, 192, 192);
    colors[COLOR_BTNSHADOW] = Rgb(128, 128, 128);
    colors[COLOR_BTNTEXT] = Rgb(0, 0, 0);
    colors[COLOR_BTNHIGHLIGHT] = Rgb(255, 255, 255);
    return colors;
}

std::array<ColorRef, SYS_COLOR_COUNT> g_colors = DefaultColors();

}  // namespace

ColorRef GetSysColor(int index)
{
    if (index < 0 || index >= SYS_COLOR_COUNT)
        return 0;
    return g_colors[static_cast<size_t>(index)];
}

void SetSysColor(int index, ColorRef color)
{
    if (index >= 0 && index < SYS_COLOR_COUNT)
        g_colors[static_cast<size_t>(index)] = color;
}

void ResetSysColors()
{
    g_colors = DefaultColors();
}

}  // namespace gdi
