#pragma once

// The project's own metafile player: Windows metafiles (WMF) and enhanced
// metafiles (EMF) loaded from bytes, measured and drawn into 32-bit pixels.
// It stands in for the system's metafile functions (loading enhanced or
// Windows metafile bits, the header and palette queries, playing into a
// rectangle). This header is plain C++; the drawing behind it uses Qt.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace metafile {

struct MetaRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct MetaSize {
    int32_t cx = 0;
    int32_t cy = 0;
};

// What the header query of an enhanced metafile reports. A Windows metafile
// reports the header of the enhanced metafile it was converted to.
struct EnhancedHeader {
    MetaRect bounds;  // inclusive, in pixels of the reference device
    MetaRect frame;   // inclusive, in 0.01 mm
    uint32_t version = 0;
    uint32_t bytes = 0;
    uint32_t records = 0;
    uint16_t handles = 0;
    uint32_t paletteEntries = 0;
    MetaSize device;       // the reference device in pixels
    MetaSize millimeters;  // the reference device in millimetres
};

struct PaletteColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
    friend bool operator==(const PaletteColor&, const PaletteColor&) = default;
};

// The screen that Windows metafiles are converted against: 96 pixels per
// inch, 1024 x 768 pixels on 271 x 203 mm.
constexpr int kLogicalPixelsPerInch = 96;
constexpr MetaSize kReferencePixels {1024, 768};
constexpr MetaSize kReferenceMillimeters {271, 203};

// Receives a rendered picture one row at a time, top row first: as many
// pixels as the picture is wide, each 0xFFRRGGBB.
using RowSink = std::function<void(int y, const uint32_t* pixels)>;

class CMetafile {
public:
    // An enhanced metafile from its bytes (which are copied); null when they
    // do not begin with a valid enhanced-metafile header.
    static std::unique_ptr<CMetafile> LoadEnhanced(const uint8_t* data, size_t size);
    // A Windows metafile from its bytes without any placeable header (which
    // are copied), converted against the reference screen so that its window
    // fills the picture. `placeableBounds`, when the file had that header,
    // stands in for a window the records never set. Null when the bytes do
    // not begin with a valid Windows-metafile header.
    static std::unique_ptr<CMetafile> LoadWindows(const uint8_t* data, size_t size,
                                                  const MetaRect* placeableBounds = nullptr);

    ~CMetafile();
    CMetafile(const CMetafile&) = delete;
    CMetafile& operator=(const CMetafile&) = delete;

    // The size in bytes of the header record; 0 when there is none.
    uint32_t GetHeaderSize() const;
    const EnhancedHeader& GetHeader() const { return header_; }
    // The palette the picture carries (an enhanced metafile's end record,
    // the palettes a Windows metafile creates); often none.
    const std::vector<PaletteColor>& GetPaletteEntries() const { return palette_; }

    // Draws the picture scaled into (0, 0, width, height) over white and
    // hands the rows to `sink`. False, with nothing handed over, when no
    // drawing surface of that size can be made.
    bool Render(int width, int height, const RowSink& sink) const;

private:
    enum class Kind { Enhanced, Windows };
    CMetafile(Kind kind, const uint8_t* data, size_t size);

    Kind kind_;
    std::vector<uint8_t> bytes_;
    EnhancedHeader header_;
    uint32_t headerSize_ = 0;
    std::vector<PaletteColor> palette_;
    MetaRect initialWindow_;  // Windows metafiles: the window until the records set one
    uint32_t objectSlots_ = 0;  // Windows metafiles: the object table's size
};

// Text needs fonts, and fonts need a Qt GUI application, which belongs on the
// main thread. Call this once there before metafiles are drawn on other
// threads: it makes the application where the program has none (on the
// offscreen platform) and loads the font database. Without it the first text
// drawn does both, on whatever thread draws it. Drawing itself may then run
// on any number of threads, each with its own CMetafile.
void PrepareTextDrawing();

}  // namespace metafile
