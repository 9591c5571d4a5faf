#pragma once

#include "platform/metafile/ByteView.h"
#include "platform/metafile/DibImage.h"
#include "platform/metafile/PlaybackDC.h"
#include "platform/metafile/RecordReading.h"

namespace metafile {

// Plays the records of an enhanced metafile into a device context, from
// the record after the header to the end record. EMF+ comments are left
// aside, as the system's player does; records it does not know are skipped
// by their size, and so are records whose fields do not fit them.
class CEmfPlayer {
public:
    CEmfPlayer(CByteView bytes, CPlaybackDC& dc) : bytes_(bytes), dc_(dc) {}
    void Play();

private:
    void PlayRecord(uint32_t type, CByteView record);
    bool PlayState(uint32_t type, CByteView record);
    bool PlayMapping(uint32_t type, CByteView record);
    bool PlayObjects(uint32_t type, CByteView record);
    bool PlayShapes(uint32_t type, CByteView record);
    bool PlayPaths(uint32_t type, CByteView record);
    bool PlayClipping(uint32_t type, CByteView record);
    bool PlayText(uint32_t type, CByteView record);
    bool PlayBitmaps(uint32_t type, CByteView record);

    void CreatePen(CByteView record);
    void CreateExtendedPen(CByteView record);
    void CreatePatternBrush(CByteView record, bool monochrome);
    void CreatePalette(CByteView record);
    void SetPaletteEntries(CByteView record);
    void PolyDraw(CByteView record, PointSize size);
    void RegionCall(uint32_t type, CByteView record);
    void TextOut(CByteView record, uint64_t at, bool wide);
    void SmallTextOut(CByteView record);
    void BitBlt(uint32_t type, CByteView record);
    void StretchDibits(CByteView record);
    void SetDibitsToDevice(CByteView record);
    void AlphaOrTransparentBlt(uint32_t type, CByteView record);
    void PlgBlt(CByteView record);
    void GradientFill(CByteView record);

    // The bitmap whose header and bits the four fields at `at` locate.
    std::optional<DibImage> ReadBitmap(CByteView record, uint64_t at, uint32_t usage);
    void Put(uint32_t index, GdiObject object);

    CByteView bytes_;
    CPlaybackDC& dc_;
};

}  // namespace metafile
