#include "platform/metafile/Player.h"

#include <QFontDatabase>
#include <QImage>

#include <new>

#include "platform/metafile/EmfPlayer.h"
#include "platform/metafile/GuiApplication.h"
#include "platform/metafile/PlaybackDC.h"
#include "platform/metafile/WmfPlayer.h"

namespace metafile {

namespace {

QSizeF SizeOf(MetaSize size, MetaSize fallback)
{
    return size.cx > 0 && size.cy > 0 ? QSizeF(size.cx, size.cy) : QSizeF(fallback.cx, fallback.cy);
}

// Places the picture frame (0.01 mm, converted to pixels of the reference
// device) onto the target; the bounds stand in for an empty frame.
QTransform FrameToTarget(const EnhancedHeader& header, QSizeF device, QSizeF millimeters, int width, int height)
{
    double xPixelsPerUnit = device.width() / (millimeters.width() * 100);
    double yPixelsPerUnit = device.height() / (millimeters.height() * 100);
    QRectF frame(QPointF(header.frame.left * xPixelsPerUnit, header.frame.top * yPixelsPerUnit),
                 QPointF(header.frame.right * xPixelsPerUnit, header.frame.bottom * yPixelsPerUnit));
    if (!(frame.width() > 0 && frame.height() > 0))
        frame = QRectF(QPointF(header.bounds.left, header.bounds.top),
                       QPointF(header.bounds.right + 1.0, header.bounds.bottom + 1.0));
    if (!(frame.width() > 0 && frame.height() > 0))
        return {};
    double xScale = width / frame.width();
    double yScale = height / frame.height();
    return QTransform(xScale, 0, 0, yScale, -frame.left() * xScale, -frame.top() * yScale);
}

void PlayEnhanced(QImage& target, CByteView bytes, const EnhancedHeader& header)
{
    QSizeF device = SizeOf(header.device, kReferencePixels);
    QSizeF millimeters = SizeOf(header.millimeters, kReferenceMillimeters);
    CPlaybackDC dc(target, CMapping(device, millimeters),
                   FrameToTarget(header, device, millimeters, target.width(), target.height()), header.handles);
    CEmfPlayer(bytes, dc).Play();
}

// The window fills the picture, as the conversion to an enhanced metafile
// arranges.
void PlayWindows(QImage& target, CByteView bytes, const MetaRect& initialWindow, uint32_t objectSlots)
{
    CMapping mapping(SizeOf(kReferencePixels, kReferencePixels), SizeOf(kReferenceMillimeters, kReferenceMillimeters),
                     CMapping::Viewport::FixedToTarget, QSizeF(target.width(), target.height()));
    mapping.SetWindowOrg(QPointF(initialWindow.left, initialWindow.top));
    mapping.SetWindowExt(QSizeF(static_cast<double>(initialWindow.right) - initialWindow.left,
                                static_cast<double>(initialWindow.bottom) - initialWindow.top));
    CPlaybackDC dc(target, mapping, QTransform(), objectSlots);
    CWmfPlayer(bytes, dc).Play();
}

bool Render(const PlaybackSource& source, int width, int height, const RowSink& sink)
{
    return DrawOnWhite(width, height, sink, [&](QImage& target) {
        CByteView bytes(source.bytes, source.size);
        if (source.enhanced)
            PlayEnhanced(target, bytes, source.header);
        else
            PlayWindows(target, bytes, source.initialWindow, source.objectSlots);
    });
}

void PrepareFonts()
{
    if (EnsureGuiApplication())
        QFontDatabase::families();
}

const PlayerEntry kPlayer {&Render, &PrepareFonts, &DrawQuickDraw};

}  // namespace

}  // namespace metafile

const metafile::PlayerEntry* lumo_metafile_player()
{
    return &metafile::kPlayer;
}
