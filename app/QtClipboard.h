#pragma once

#include <QImage>

#include "platform/os/Clipboard.h"

// The system clipboard as the picture library's clipboard backend: a packed
// DIB goes there as a picture (its exact pixels) and as "image/bmp" (the DIB
// behind a bitmap file header).
class CQtClipboard : public os::IClipboardBackend {
public:
    bool Open() override;
    void Empty() override;
    void SetDib(os::PackedDib dib) override;
    bool Close() override;

private:
    os::PackedDib dib_;
    bool open_ = false;
};

// The pixels of a packed DIB of 1, 8 or 32 bits as an image; null for anything else.
QImage ImageFromPackedDib(const os::PackedDib& dib);
// A bitmap file: the 14-byte file header in front of the packed DIB.
QByteArray BitmapFileFromPackedDib(const os::PackedDib& dib);
