#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <png.h>

#include "picture/formats/LibraryGuard.h"

class CByteSource;

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
};

// The libpng transformations a decode asks for.
struct PngTransforms {
    bool grayToRgb = false;
    bool expand = false;
    bool bgr = false;
    bool filler = false;  // 0xFF after the colour bytes
    bool strip16 = false;
    bool packing = false;
};

// libpng at arm's length for one decode: owns the read and info structures
// and releases them on every path. Bytes come through the source, whose
// PE_END_OF_FILE is kept while the library is left and then thrown again;
// library errors become PE_FORMAT_ERROR with libpng's text; warnings are dropped.
class CPngSession {
public:
    explicit CPngSession(CByteSource& source);
    ~CPngSession();
    CPngSession(const CPngSession&) = delete;
    CPngSession& operator=(const CPngSession&) = delete;

    PngHeader ReadHeader();
    std::vector<png_color> Palette();
    // Asks for the transformations (and for de-interlacing) and returns the
    // bytes of one output row.
    size_t Transform(const PngTransforms& transforms);
    // Reads every row into `lines` (row 0 at the top), then the chunks after them.
    void ReadImage(uint8_t* const* lines);

private:
    template <typename Call>
    void Guarded(Call&& call);

    static void OnError(png_structp png, png_const_charp message);
    static void OnWarning(png_structp png, png_const_charp message);
    static void OnRead(png_structp png, png_bytep out, size_t count);

    CByteSource& source_;
    CLibraryGuard guard_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};
