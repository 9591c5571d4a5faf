#pragma once

#include "platform/metafile/ByteView.h"
#include "platform/metafile/DibImage.h"
#include "platform/metafile/PlaybackDC.h"

namespace metafile {

// Plays the records of a Windows metafile (after its 18-byte header) into
// a device context. Objects take the lowest free slot of the table, even
// when their record cannot be read, so that later indices keep their
// meaning. Records it does not know are skipped by their size, and so are
// records whose fields do not fit them.
class CWmfPlayer {
public:
    CWmfPlayer(CByteView bytes, CPlaybackDC& dc) : bytes_(bytes), dc_(dc) {}
    void Play();

private:
    // The parameters of a record follow its size and function; most hold
    // their coordinates y before x.
    struct Params {
        CByteView bytes;
        int16_t Short(uint64_t word) const { return bytes.I16(2 * word); }
        uint16_t Word(uint64_t word) const { return bytes.U16(2 * word); }
        uint32_t Long(uint64_t word) const { return bytes.U32(2 * word); }
        QPointF Point(uint64_t word) const { return QPointF(Short(word + 1), Short(word)); }
        // bottom, right, top, left from `word` on.
        QRectF Box(uint64_t word) const
        {
            return QRectF(QPointF(Short(word + 3), Short(word + 2)), QPointF(Short(word + 1), Short(word)));
        }
        uint64_t Words() const { return bytes.Size() / 2; }
    };

    void PlayRecord(uint16_t function, Params params);
    bool PlayState(uint16_t function, Params params);
    bool PlayMapping(uint16_t function, Params params);
    bool PlayObjects(uint16_t function, Params params);
    bool PlayShapes(uint16_t function, Params params);
    bool PlayRegions(uint16_t function, Params params);
    bool PlayText(uint16_t function, Params params);
    bool PlayBitmaps(uint16_t function, Params params);

    void CreateObject(uint16_t function, Params params);
    GdiObject ReadObject(uint16_t function, Params params);
    LogFont ReadFont(Params params) const;
    void ChangePalette(uint16_t function, Params params);
    void TextOut(Params params);
    void ExtTextOut(Params params);
    void DrawText(QPointF reference, CByteView text, uint32_t options, std::optional<QRectF> rect,
                  std::vector<double> dx);
    void Blit(uint16_t function, Params params);
    void StretchDib(Params params);
    void SetDibToDevice(Params params);

    std::optional<DibImage> ReadPackedDib(CByteView bytes, uint32_t usage);
    // The bitmap, unless the file's allowance of pixel work is spent.
    std::optional<DibImage> Afforded(std::optional<DibImage> dib);
    LogPalette* SelectedPaletteForChange() const;
    template <class T>
    const T* ObjectAt(uint16_t index) const;

    CByteView bytes_;
    CPlaybackDC& dc_;
};

}  // namespace metafile
