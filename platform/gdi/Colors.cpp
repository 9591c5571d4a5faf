#include "platform/gdi/Colors.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <utility>

namespace gdi {
namespace {

constexpr std::array<ColorRef, SYS_COLOR_COUNT> DefaultColors()
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

using ColorTable = std::array<std::atomic<ColorRef>, SYS_COLOR_COUNT>;

template <size_t... Index>
constexpr ColorTable DefaultTable(std::index_sequence<Index...>)
{
    constexpr std::array<ColorRef, SYS_COLOR_COUNT> colors = DefaultColors();
    return {{colors[Index]...}};
}

// Thumbnails are filled with a system colour on decoding threads while the
// interface thread may set the colours anew: each entry is read and written whole.
ColorTable g_colors = DefaultTable(std::make_index_sequence<SYS_COLOR_COUNT>());

}  // namespace

ColorRef GetSysColor(int index)
{
    if (index < 0 || index >= SYS_COLOR_COUNT)
        return 0;
    return g_colors[static_cast<size_t>(index)].load(std::memory_order_relaxed);
}

void SetSysColor(int index, ColorRef color)
{
    if (index >= 0 && index < SYS_COLOR_COUNT)
        g_colors[static_cast<size_t>(index)].store(color, std::memory_order_relaxed);
}

void ResetSysColors()
{
    std::array<ColorRef, SYS_COLOR_COUNT> colors = DefaultColors();
    for (size_t i = 0; i < colors.size(); ++i)
        g_colors[i].store(colors[i], std::memory_order_relaxed);
}

}  // namespace gdi
