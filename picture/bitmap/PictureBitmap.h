#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "picture/bitmap/BgraPixel.h"
#include "picture/bitmap/PLObject.h"

// Limits on any bitmap, checked before storage is allocated.
constexpr int kMaxBitmapSide = 1 << 20;
constexpr int64_t kMaxBitmapBytes = int64_t {1} << 30;

// A further limit on the pixels of every bitmap, for a program that takes
// only pictures of a bounded size (a thumbnailer); 0, the default, sets none.
// It holds for the whole process: set it before decoding starts.
void SetBitmapPixelLimit(int64_t pixels);

// Whether a picture of that size and depth stays within the limits, so that
// decoders can refuse a size before they allocate anything for it.
bool FitsBitmapLimits(int64_t width, int64_t height, int bitsPerPixel);
// Throws what Create throws for a size it refuses (empty or beyond the limits).
void CheckBitmapSize(int64_t width, int64_t height, int bitsPerPixel);

// The in-memory picture every decoder fills: 1, 8 or 32 bits per pixel, a
// palette of 2 or 256 entries for 1 and 8 bits, an alpha flag for 32 bits, and
// a line table whose entry 0 is the top row whatever the storage order.
//
// Writers follow one protocol: Create, SetPaletteEntries for 8 bits,
// BeginAccess(false, true), rows through GetLines(), EndAccess().
class CPictureBitmap : public CPLObject {
public:
    ~CPictureBitmap() override = default;
    CPictureBitmap(const CPictureBitmap&) = delete;
    CPictureBitmap& operator=(const CPictureBitmap&) = delete;

    // Replaces the storage by a new picture whose palette is the grey ramp.
    // A size beyond the limits is refused before anything changes, as out of memory.
    virtual void Create(int width, int height, int bitsPerPixel, bool alphaFlag);
    virtual int64_t GetMemorySize() const = 0;
    virtual int GetLineSize() const = 0;
    virtual void BeginAccess(bool readable, bool writable);
    virtual void EndAccess();

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    std::pair<int, int> GetSize() const { return {width_, height_}; }
    int GetBitsPerPixel() const { return bitsPerPixel_; }
    bool GetAlphaFlag() const { return alphaFlag_; }
    BgraPixel* GetPalette() const { return palette_; }
    uint8_t* const* GetLines() const { return lines_.data(); }

    // Copies 2^bitsPerPixel entries into the palette.
    void SetPaletteEntries(const BgraPixel* entries);
    // Makes this a copy of source at `bitsPerPixel` (0 keeps the source's depth).
    void CopyFrom(CPictureBitmap& source, int bitsPerPixel);

protected:
    CPictureBitmap() = default;

    virtual void AllocateStorage(int width, int height, int bitsPerPixel, bool alphaFlag) = 0;
    virtual void ReleaseStorage() = 0;
    virtual void BuildLineTable() = 0;

    // The common tail of every AllocateStorage.
    void FinishCreate(int width, int height, int bitsPerPixel, bool alphaFlag);
    void SetPalettePointer(BgraPixel* palette) { palette_ = palette; }
    std::vector<uint8_t*>& LineTable() { return lines_; }
    void ClearFields();

private:
    void CopyPixels(CPictureBitmap& source);
    void ConvertTo32(CPictureBitmap& source);
    void ConvertTo1(CPictureBitmap& source);
    void Convert1To8(CPictureBitmap& source);
    void Convert32To8(CPictureBitmap& source);

    int width_ = 0;
    int height_ = 0;
    uint16_t bitsPerPixel_ = 0;
    BgraPixel* palette_ = nullptr;
    bool alphaFlag_ = false;
    std::vector<uint8_t*> lines_;
    int accessCount_ = 0;
};

// Fills `count` entries with the default grey ramp: step 255 / (count - 1).
void FillGreyRamp(BgraPixel* palette, int count);
