#pragma once

#include <QPointF>
#include <QSizeF>
#include <QTransform>

namespace metafile {

// How logical coordinates become device coordinates: the map mode, the
// window and viewport (origin and extent) and the world transform, with
// GDI's rules for the fixed map modes and the isotropic mode.
class CMapping {
public:
    enum class Viewport {
        Free,           // the records set it (enhanced metafiles)
        FixedToTarget,  // the target rectangle, whatever the records say (Windows metafiles)
    };

    // `devicePixels` over `deviceMillimeters` is the resolution of the
    // device for the fixed map modes; the viewport starts as `viewportExtent`.
    CMapping(QSizeF devicePixels, QSizeF deviceMillimeters, Viewport viewport = Viewport::Free,
             QSizeF viewportExtent = {1, 1});

    int MapMode() const { return mapMode_; }
    void SetMapMode(int mode);
    void SetWindowOrg(QPointF origin);
    void SetWindowExt(QSizeF extent);
    void SetViewportOrg(QPointF origin);
    void SetViewportExt(QSizeF extent);
    void OffsetWindowOrg(QPointF by) { SetWindowOrg(windowOrg_ + by); }
    void OffsetViewportOrg(QPointF by) { SetViewportOrg(viewportOrg_ + by); }
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);

    const QTransform& World() const { return world_; }
    void SetWorldTransform(const QTransform& world);
    // `mode` is one of the gdi::WorldTransformMode values.
    void ModifyWorldTransform(const QTransform& by, uint32_t mode);

    // World transform, then window to viewport.
    QTransform LogicalToDevice() const;

private:
    bool ExtentsSettable() const;
    void SetFixedExtents();
    void KeepIsotropic();

    QSizeF devicePixels_;
    QSizeF deviceMillimeters_;
    Viewport viewport_;
    QSizeF targetExtent_;
    int mapMode_;
    QPointF windowOrg_ {0, 0};
    QSizeF windowExt_ {1, 1};
    QPointF viewportOrg_ {0, 0};
    QSizeF viewportExt_ {1, 1};
    QTransform world_;
};

}  // namespace metafile
