#include "platform/metafile/Mapping.h"

#include <cmath>

#include "platform/metafile/GdiConstants.h"

namespace metafile {

namespace {

bool IsUsableTransform(const QTransform& transform)
{
    return std::isfinite(transform.m11()) && std::isfinite(transform.m12()) && std::isfinite(transform.m21()) &&
           std::isfinite(transform.m22()) && std::isfinite(transform.dx()) && std::isfinite(transform.dy()) &&
           transform.determinant() != 0;
}

}  // namespace

CMapping::CMapping(QSizeF devicePixels, QSizeF deviceMillimeters, Viewport viewport, QSizeF viewportExtent)
    : devicePixels_(devicePixels),
      deviceMillimeters_(deviceMillimeters),
      viewport_(viewport),
      targetExtent_(viewportExtent),
      mapMode_(viewport == Viewport::FixedToTarget ? gdi::MM_ANISOTROPIC : gdi::MM_TEXT),
      viewportExt_(viewportExtent)
{
}

bool CMapping::ExtentsSettable() const
{
    return mapMode_ == gdi::MM_ISOTROPIC || mapMode_ == gdi::MM_ANISOTROPIC;
}

void CMapping::SetMapMode(int mode)
{
    if (mode < gdi::MM_TEXT || mode > gdi::MM_ANISOTROPIC)
        return;
    if (viewport_ == Viewport::FixedToTarget) {
        // The window always fills the target; only the isotropic rule remains.
        mapMode_ = mode == gdi::MM_ISOTROPIC ? gdi::MM_ISOTROPIC : gdi::MM_ANISOTROPIC;
        KeepIsotropic();
        return;
    }
    mapMode_ = mode;
    if (mode == gdi::MM_TEXT) {
        windowExt_ = viewportExt_ = {1, 1};
    } else if (mode != gdi::MM_ANISOTROPIC) {
        SetFixedExtents();
    }
}

// The fixed map modes measure logical units in millimetres or inches of the
// device, with y growing upwards; the isotropic mode starts from 0.1 mm.
void CMapping::SetFixedExtents()
{
    double unitsPerMillimeter = 10;
    switch (mapMode_) {
    case gdi::MM_HIMETRIC: unitsPerMillimeter = 100; break;
    case gdi::MM_LOENGLISH: unitsPerMillimeter = 100 / 25.4; break;
    case gdi::MM_HIENGLISH: unitsPerMillimeter = 1000 / 25.4; break;
    case gdi::MM_TWIPS: unitsPerMillimeter = 1440 / 25.4; break;
    default: break;
    }
    windowExt_ = deviceMillimeters_ * unitsPerMillimeter;
    viewportExt_ = {devicePixels_.width(), -devicePixels_.height()};
}

void CMapping::SetWindowOrg(QPointF origin)
{
    windowOrg_ = origin;
}

void CMapping::SetWindowExt(QSizeF extent)
{
    if (!ExtentsSettable() || extent.width() == 0 || extent.height() == 0)
        return;
    windowExt_ = extent;
    KeepIsotropic();
}

void CMapping::SetViewportOrg(QPointF origin)
{
    if (viewport_ == Viewport::Free)
        viewportOrg_ = origin;
}

void CMapping::SetViewportExt(QSizeF extent)
{
    if (viewport_ != Viewport::Free || !ExtentsSettable() || extent.width() == 0 || extent.height() == 0)
        return;
    viewportExt_ = extent;
    KeepIsotropic();
}

void CMapping::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom == 0 || yDenom == 0)
        return;
    SetWindowExt({windowExt_.width() * xNum / xDenom, windowExt_.height() * yNum / yDenom});
}

void CMapping::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom == 0 || yDenom == 0)
        return;
    SetViewportExt({viewportExt_.width() * xNum / xDenom, viewportExt_.height() * yNum / yDenom});
}

// In the isotropic mode one logical unit is as long on both axes: the
// viewport extent of the axis that would be stretched more is shortened.
void CMapping::KeepIsotropic()
{
    if (viewport_ == Viewport::FixedToTarget)
        viewportExt_ = targetExtent_;
    if (mapMode_ != gdi::MM_ISOTROPIC)
        return;
    double xScale = std::abs(viewportExt_.width() / windowExt_.width());
    double yScale = std::abs(viewportExt_.height() / windowExt_.height());
    if (xScale < yScale)
        viewportExt_.setHeight(std::copysign(xScale * std::abs(windowExt_.height()), viewportExt_.height()));
    else if (yScale < xScale)
        viewportExt_.setWidth(std::copysign(yScale * std::abs(windowExt_.width()), viewportExt_.width()));
}

void CMapping::SetWorldTransform(const QTransform& world)
{
    if (IsUsableTransform(world))
        world_ = world;
}

void CMapping::ModifyWorldTransform(const QTransform& by, uint32_t mode)
{
    switch (mode) {
    case gdi::MWT_IDENTITY: world_.reset(); break;
    case gdi::MWT_LEFTMULTIPLY: SetWorldTransform(by * world_); break;
    case gdi::MWT_RIGHTMULTIPLY: SetWorldTransform(world_ * by); break;
    case gdi::MWT_SET: SetWorldTransform(by); break;
    default: break;
    }
}

QTransform CMapping::LogicalToDevice() const
{
    double xScale = viewportExt_.width() / windowExt_.width();
    double yScale = viewportExt_.height() / windowExt_.height();
    QTransform page(xScale, 0, 0, yScale, viewportOrg_.x() - windowOrg_.x() * xScale,
                    viewportOrg_.y() - windowOrg_.y() * yScale);
    return world_ * page;
}

}  // namespace metafile
