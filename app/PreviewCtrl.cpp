#include "app/PreviewCtrl.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>

#include "picture/decoding/PictureDecoder.h"
#include "picture/decoding/TextException.h"
#include "platform/gdi/Colors.h"
#include "views/PainterDC.h"

namespace {

QColor SysColor(int index)
{
    gdi::ColorRef color = gdi::GetSysColor(index);
    return QColor(gdi::RedOf(color), gdi::GreenOf(color), gdi::BlueOf(color));
}

}  // namespace

PreviewPlacement PlacePreview(int pictureWidth, int pictureHeight, const QRect& area)
{
    PreviewPlacement placement;
    int areaWidth = area.width();
    int areaHeight = area.height();
    if (pictureWidth > areaWidth || pictureHeight > areaHeight) {
        double byWidth = static_cast<double>(pictureWidth) / areaWidth;
        double byHeight = static_cast<double>(pictureHeight) / areaHeight;
        placement.scale = 1.0 / (byWidth > byHeight ? byWidth : byHeight);
    }
    placement.x = area.left() + (areaWidth - static_cast<int>(pictureWidth * placement.scale)) / 2;
    placement.y = area.top() + (areaHeight - static_cast<int>(pictureHeight * placement.scale)) / 2;
    return placement;
}

CPreviewCtrl::CPreviewCtrl(CPictureDecoder& decoder, QWidget* parent) : QFrame(parent), decoder_(decoder)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
}

bool CPreviewCtrl::Load(const QString& path)
{
    loaded_ = false;
    QFileInfo file(path);
    if (!path.isEmpty() && file.exists() && !file.isDir()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            decoder_.DecodeFile(path.toStdString().c_str(), picture_, 0, nullptr);
            loaded_ = true;
            picture_.RebuildDisplayPalette();
            Realize(false);
        } catch (const CTextException&) {
            loaded_ = false;
        }
        QApplication::restoreOverrideCursor();
    }
    Redraw();
    return loaded_;
}

void CPreviewCtrl::Clear()
{
    loaded_ = false;
    Redraw();
}

bool CPreviewCtrl::Realize(bool background)
{
    if (!loaded_)
        return true;
    const gdi::CPalette* palette = picture_.GetDisplayPalette();
    if (palette == nullptr)
        return false;
    QPainter painter;
    CPainterDC dc(painter);
    const gdi::CPalette* old = dc.SelectPalette(palette, background);
    int changed = dc.RealizePalette();
    dc.SelectPalette(old, true);
    if (changed == 0)
        return false;
    Redraw();
    return true;
}

void CPreviewCtrl::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    QRect area = PictureArea();
    painter.fillRect(area, SysColor(loaded_ ? gdi::COLOR_BTNFACE : gdi::COLOR_BTNSHADOW));
    if (!loaded_)
        return;
    PreviewPlacement placement = PlacePreview(picture_.GetWidth(), picture_.GetHeight(), area);
    CPainterDC dc(painter);
    picture_.StretchDrawByFactor(dc, placement.x, placement.y, placement.scale, gdi::SRCCOPY);
}
