#pragma once

#include <QImage>
#include <QSize>
#include <chrono>

#include "platform/gdi/DibPixels.h"

// A picture drawn smaller than 1:1, box-averaged by the drawing layer's
// stretch routine into a true-colour copy of the zoomed size (indexed pictures
// by their colours). The copy is made a band of rows at a time, so that no
// step holds the interface thread for long; until it is whole, the view draws
// the picture the plain way.
class CReducedPicture {
public:
    // Begins a copy of `picture` at `size` unless that is the one held or being made.
    void Prepare(const void* picture, QSize size);
    // Forgets the copy; the picture it was made from may be gone.
    void Clear();
    // The copy of `picture` at `size` is whole.
    bool IsReadyFor(const void* picture, QSize size) const;
    // A copy is begun and not yet whole.
    bool IsInProgress() const { return picture_ != nullptr && nextRow_ < image_.height(); }
    const void* Picture() const { return picture_; }

    // Reduces `source` (the pixels of the picture prepared) a band at a time
    // until the copy is whole or `budget` has passed; true when it is whole.
    bool Continue(const gdi::DibPixels& source, std::chrono::microseconds budget);

    const QImage& Image() const { return image_; }

private:
    const void* picture_ = nullptr;
    QImage image_;
    int nextRow_ = 0;
};
