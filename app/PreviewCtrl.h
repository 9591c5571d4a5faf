#pragma once

#include <QFrame>

#include "picture/bitmap/DisplayBitmap.h"

class CPictureDecoder;

// Where and how large a picture is drawn in a preview area: never enlarged,
// shrunk to fit, centred.
struct PreviewPlacement {
    int x = 0;
    int y = 0;
    double scale = 1.0;
};
PreviewPlacement PlacePreview(int pictureWidth, int pictureHeight, const QRect& area);

// The preview box of the picture file dialog: decodes the selected file with
// the application's decoder and draws it scaled to fit. A folder, a file that
// does not decode or no file at all leaves it empty (the button-shadow colour).
class CPreviewCtrl : public QFrame {
public:
    CPreviewCtrl(CPictureDecoder& decoder, QWidget* parent = nullptr);

    // Decodes `path`; true when it now shows a picture.
    bool Load(const QString& path);
    void Clear();
    void Redraw() { update(); }
    // Realises the picture's palette; on true-colour screens nothing changes.
    bool Realize(bool background);

    bool IsLoaded() const { return loaded_; }
    const CDisplayBitmap& Picture() const { return picture_; }
    // The area inside the box's one-pixel frame.
    QRect PictureArea() const { return rect().adjusted(1, 1, -1, -1); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CPictureDecoder& decoder_;
    CDisplayBitmap picture_;
    bool loaded_ = false;
};
