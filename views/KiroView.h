#pragma once

#include <QTimer>
#include <functional>

#include "document/DocumentLinks.h"
#include "platform/framework/CommandRouter.h"
#include "platform/framework/View.h"
#include "views/ReducedPicture.h"
#include "views/ZoomView.h"

class CDisplayBitmap;
class CKiroDoc;

// The picture view: the current picture of the collection in the lower pane,
// at the zoom view's zoom. It adds the Zoom command (rectangle-zoom mode),
// dragging the picture with a hand when it is larger than the window,
// keyboard scrolling, zooming with Ctrl+wheel about the pointer and
// sideways scrolling with Shift+wheel, and the zoom ratio and the pixel under
// the mouse for the status bar. Three options change how pictures are shown:
// fitting large pictures as they open, drawing reduced pictures averaged
// rather than by the nearest pixel, and drawing pictures with alpha over a
// checkerboard; all are off at first.
class CKiroView : public CZoomView, public CView, public IPictureView, public ICommandTarget {
public:
    explicit CKiroView(CKiroDoc& document, QWidget* parent = nullptr);

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, long hint) override;
    // Back to 1:1 with the zoom mode off, after every new current picture;
    // with fit on open, a picture larger than the window is fitted instead.
    void ShowActualSize() override;

    // The status panes of the zoom ratio and of the pixel under the mouse.
    bool OnUpdateCommand(CCmdUI& ui) override;

    // Realises the picture's palette (as a foreground palette when
    // `activeView` is this view); 1 when colours changed. Screens here are
    // true-colour, so nothing ever changes.
    int OnRealizePalette(const QWidget* activeView);

    // The Zoom command: the rectangle-zoom mode on or off. The frame routes
    // it here whichever view has the focus.
    void ToggleZoomCommand();
    bool IsZoomCommandOn() const { return zoomCommandOn_; }
    // The picture pixel under the mouse; -1 outside the picture.
    QPoint GetMousePixel() const { return {mouseX_, mouseY_}; }
    QString ZoomRatioText() const;

    // The zoom commands' steps, about the window centre.
    void ZoomInStep();
    void ZoomOutStep();
    void ZoomToActualSize();

    void SetFitOnOpen(bool on) { fitOnOpen_ = on; }
    bool IsFitOnOpen() const { return fitOnOpen_; }
    void SetSmoothReduction(bool on);
    bool IsSmoothReduction() const { return smoothReduction_; }
    // The averaged copy of the current picture at the current zoom is whole.
    bool IsReducedPictureReady() const;
    void SetAlphaCheckerboard(bool on);
    bool IsAlphaCheckerboard() const { return alphaCheckerboard_; }

    // The zoom step of the zoom commands, the wheel and the mouse.
    static constexpr double kZoomStep = 1.25;

    // Where the screen's depth in bits per pixel comes from (the application).
    void SetScreenDepthSource(std::function<int()> source) { screenDepth_ = std::move(source); }

protected:
    void OnDraw(QPainter& painter, const QRect& exposed) override;
    void UpdateCursor() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void ResetToActualSize();
    void PanBy(QPoint movement);
    int ChooseStretchMode(int pictureDepth) const;
    bool IsReduced() const;
    bool DrawReduced(QPainter& painter, const CDisplayBitmap& picture, bool alpha);
    void ContinueReducing();
    void DrawCheckerboard(QPainter& painter) const;

    CKiroDoc& document_;
    bool halftoneAllowed_ = true;
    bool zoomCommandOn_ = false;
    int mouseX_ = 0;
    int mouseY_ = 0;
    bool panning_ = false;
    QPoint panLast_;  // device pixels
    int wheelZoomDelta_ = 0;  // Ctrl+wheel turns not yet taken as a zoom step, in eighths of a degree
    bool fitOnOpen_ = false;
    bool smoothReduction_ = false;
    bool alphaCheckerboard_ = false;
    CReducedPicture reduced_;
    QTimer reduceTimer_;
    std::function<int()> screenDepth_;
};
