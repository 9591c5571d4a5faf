#pragma once

#include <cstdint>
#include <vector>

namespace gdi {

struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// A logical palette. Screens here are true-colour, so realising one maps nothing.
class CPalette {
public:
    explicit CPalette(std::vector<PaletteEntry> entries) : entries_(std::move(entries)) {}
    const std::vector<PaletteEntry>& Entries() const { return entries_; }

private:
    std::vector<PaletteEntry> entries_;
};

// The 256-colour halftone palette: the 20 static colours of the system palette
// around a 6 x 6 x 6 colour cube and a ramp of greys.
CPalette CreateHalftonePalette();

}  // namespace gdi
