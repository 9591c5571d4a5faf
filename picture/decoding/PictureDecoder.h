#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "picture/bitmap/BgraPixel.h"
#include "picture/bitmap/PLObject.h"
#include "picture/bitmap/PictureBitmap.h"
#include "picture/decoding/ByteSource.h"

// A palette a decoder allocates and hands back; the decoder base frees it.
using PaletteBuffer = std::unique_ptr<BgraPixel[]>;

// A picture's width and height in pixels.
struct PictureSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// Base of every format decoder: opens the data source, calls the format's
// DecodeImage, and always releases what it opened. Failures arrive as
// CTextException, running out of memory included (PE_ALLOC_FAILED from
// DecodeFile and DecodeMemory). Decoders keep no state between decodes.
class CPictureDecoder : public CPLObject {
public:
    ~CPictureDecoder() override;

    // wantedDepth: 0 lets the format decide, else 8 or 32.
    virtual void DecodeFile(const char* path, CPictureBitmap& bitmap, int wantedDepth, CDecodeProgress* progress);
    virtual void DecodeMemory(const uint8_t* data, size_t size, CPictureBitmap& bitmap, int wantedDepth,
                              void* unused = nullptr);
    virtual void Decode(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth);

    // Decodes for a picture that is wanted no larger than `enough`: a format
    // that can leave detail out while decoding (JPEG, by its DCT scaling) may
    // give a bitmap reduced to as little as `enough` in both directions; the
    // others give the whole picture. Returns the picture's own size, of which
    // the bitmap is the whole or a reduction. The wanted depth is honoured as
    // by DecodeFile.
    PictureSize DecodeFileReduced(const char* path, CPictureBitmap& bitmap, int wantedDepth, PictureSize enough);
    virtual PictureSize DecodeReduced(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth,
                                      PictureSize enough);

protected:
    CPictureDecoder() = default;

    // The per-format step. A palette stored in paletteOut is freed after the
    // decode; wantedDepth may be resolved in place.
    virtual void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth, CByteSource& source);

    // Checks a wanted depth before any decoding starts.
    static void CheckWantedDepth(int wantedDepth);
};

// A wanted depth of 0 becomes 8 for sources of up to 8 bits, else 32. A wish
// for 8 bits from a deeper source becomes 32, since 8 bits cannot hold it.
void ChooseDestinationDepth(int sourceDepth, int& wantedDepth);

// Brackets writing a bitmap: BeginAccess(false, true) now, EndAccess() on every exit.
class CWriteAccess {
public:
    explicit CWriteAccess(CPictureBitmap& bitmap) : bitmap_(bitmap) { bitmap_.BeginAccess(false, true); }
    ~CWriteAccess() { bitmap_.EndAccess(); }
    CWriteAccess(const CWriteAccess&) = delete;
    CWriteAccess& operator=(const CWriteAccess&) = delete;

private:
    CPictureBitmap& bitmap_;
};
