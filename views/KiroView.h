#pragma once

#include <functional>

#include "document/DocumentLinks.h"
#include "platform/framework/CommandRouter.h"
#include "platform/framework/View.h"
#include "views/ZoomView.h"

class CKiroDoc;

// The picture view: the current picture of the collection in the lower pane,
// at the zoom view's zoom. It adds the Zoom command (rectangle-zoom mode),
// dragging the picture with a hand when it is larger than the window,
// keyboard scrolling, and the zoom ratio and the pixel under the mouse for
// the status bar.
class CKiroView : public CZoomView, public CView, public IPictureView, public ICommandTarget {
public:
    explicit CKiroView(CKiroDoc& document, QWidget* parent = nullptr);

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, long hint) override;
    // Back to 1:1 with the zoom mode off, after every new current picture.
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

    // Where the screen's depth in bits per pixel comes from (the application).
    void SetScreenDepthSource(std::function<int()> source) { screenDepth_ = std::move(source); }

protected:
    void OnDraw(QPainter& painter, const QRect& exposed) override;
    void UpdateCursor() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void PanBy(QPoint movement);
    int ChooseStretchMode(int pictureDepth) const;

    CKiroDoc& document_;
    bool halftoneAllowed_ = true;
    bool zoomCommandOn_ = false;
    int mouseX_ = 0;
    int mouseY_ = 0;
    bool panning_ = false;
    QPoint panLast_;
    std::function<int()> screenDepth_;
};
