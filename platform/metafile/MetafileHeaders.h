#pragma once

#include <optional>
#include <vector>

#include "platform/metafile/ByteView.h"
#include "platform/metafile/Metafile.h"

// Reading the headers of both kinds of metafile, and what a first walk over
// the records tells before anything is drawn.
namespace metafile {

constexpr uint32_t kEnhancedSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kEmfHeaderMinimum = 88;
constexpr uint32_t kWmfHeaderSize = 18;

// The header record of an enhanced metafile and its size; none when the
// bytes do not begin with one.
std::optional<EnhancedHeader> ReadEnhancedHeader(CByteView bytes, uint32_t& headerSize);
// The palette of an enhanced metafile's end record, as many entries as the
// header announces and the record holds.
std::vector<PaletteColor> ReadEnhancedPalette(CByteView bytes, const EnhancedHeader& header);

// The header of a Windows metafile (without the placeable header).
struct WindowsHeader {
    uint16_t objects = 0;
};
std::optional<WindowsHeader> ReadWindowsHeader(CByteView bytes);

// What a walk over a Windows metafile's records finds.
struct WindowsScan {
    uint32_t records = 0;
    std::optional<MetaRect> window;  // the first window origin and extent the records set
    std::vector<PaletteColor> palette;  // the colours of the palettes created, each once
};
WindowsScan ScanWindowsRecords(CByteView bytes);

// The header a Windows metafile reports once converted: a frame with the
// window's proportions as large as fits the reference screen, or the whole
// screen when there is no window.
EnhancedHeader ConvertedHeader(const std::optional<MetaRect>& window, uint32_t bytes, const WindowsScan& scan,
                               uint16_t objects);

}  // namespace metafile
