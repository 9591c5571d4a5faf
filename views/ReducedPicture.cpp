#include "views/ReducedPicture.h"

#include <algorithm>

#include "platform/gdi/StretchBits.h"

namespace {

// Rows reduced between two looks at the clock.
constexpr int kBandRows = 8;

}  // namespace

void CReducedPicture::Prepare(const void* picture, QSize size)
{
    if (picture == picture_ && size == image_.size())
        return;
    picture_ = picture;
    image_ = QImage(size, QImage::Format_RGB32);
    nextRow_ = image_.isNull() ? size.height() : 0;
}

void CReducedPicture::Clear()
{
    picture_ = nullptr;
    image_ = QImage();
    nextRow_ = 0;
}

bool CReducedPicture::IsReadyFor(const void* picture, QSize size) const
{
    return picture_ != nullptr && picture == picture_ && size == image_.size() && nextRow_ >= image_.height();
}

bool CReducedPicture::Continue(const gdi::DibPixels& source, std::chrono::microseconds budget)
{
    auto start = std::chrono::steady_clock::now();
    int width = image_.width();
    int height = image_.height();
    gdi::Rect whole {0, 0, source.width, source.height};
    while (nextRow_ < height && std::chrono::steady_clock::now() - start < budget) {
        int rows = std::min(kBandRows, height - nextRow_);
        // The band as a bottom-up DIB of negative stride, so that its row y is scanLine(nextRow_ + y);
        // the whole copy's rectangle is placed so that the band's rows fall on it.
        gdi::DibPixels band {width, rows, 32, -static_cast<int>(image_.bytesPerLine()),
                             image_.scanLine(nextRow_ + rows - 1), nullptr, 0};
        gdi::StretchBits(band, {0, -nextRow_, width, height - nextRow_}, source, whole,
                         gdi::StretchQuality::AverageColors);
        nextRow_ += rows;
    }
    return nextRow_ >= height;
}
