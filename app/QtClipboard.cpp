#include "app/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cstring>

#include "platform/gdi/BitmapFile.h"
#include "platform/gdi/BitmapInfo.h"
#include "platform/gdi/Colors.h"

bool CQtClipboard::Open()
{
    if (open_)
        return false;
    open_ = true;
    return true;
}

void CQtClipboard::Empty()
{
    dib_.clear();
}

void CQtClipboard::SetDib(os::PackedDib dib)
{
    dib_ = std::move(dib);
}

bool CQtClipboard::Close()
{
    if (!open_)
        return false;
    open_ = false;
    auto* data = new QMimeData;
    QImage image = ImageFromPackedDib(dib_);
    if (!image.isNull())
        data->setImageData(image);
    data->setData(QStringLiteral("image/bmp"), BitmapFileFromPackedDib(dib_));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

QImage ImageFromPackedDib(const os::PackedDib& dib)
{
    gdi::BitmapInfoHeader header;
    if (dib.size() < sizeof header)
        return QImage();
    std::memcpy(&header, dib.data(), sizeof header);
    int depth = header.bitCount;
    if (header.width <= 0 || header.height <= 0 || (depth != 1 && depth != 8 && depth != 32))
        return QImage();
    size_t tableEntries = static_cast<size_t>(gdi::DibColorCount(depth));
    size_t stride = static_cast<size_t>(gdi::DibStride(header.width, depth));
    size_t pixelsAt = header.size + 4 * tableEntries;
    if (pixelsAt + stride * static_cast<size_t>(header.height) > dib.size())
        return QImage();

    QImage::Format format = depth == 32 ? QImage::Format_RGB32 : depth == 8 ? QImage::Format_Indexed8 : QImage::Format_Mono;
    QImage image(header.width, header.height, format);
    for (int y = 0; y < header.height; ++y)
        std::memcpy(image.scanLine(y), dib.data() + pixelsAt + stride * static_cast<size_t>(header.height - 1 - y),
                    std::min(stride, static_cast<size_t>(image.bytesPerLine())));
    if (tableEntries > 0) {
        QList<QRgb> table;
        for (size_t i = 0; i < tableEntries; ++i) {
            const uint8_t* entry = dib.data() + header.size + 4 * i;
            table.push_back(qRgb(entry[2], entry[1], entry[0]));
        }
        image.setColorTable(table);
    }
    return image;
}

QByteArray BitmapFileFromPackedDib(const os::PackedDib& dib)
{
    std::vector<uint8_t> file = gdi::MakeBitmapFile(dib);
    return QByteArray(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
}
