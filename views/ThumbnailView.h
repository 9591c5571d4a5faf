#pragma once

#include <QListWidget>

#include "document/DocumentLinks.h"
#include "platform/framework/View.h"

class CKiroDoc;

// The collection as a strip of 100 x 75 thumbnails with their names, in
// collection order, in columns from the left. A mouse click makes a picture
// current; when the current picture changes otherwise (the slide show), the
// highlight follows. Moving the list's selection with the keyboard does not
// change the picture.
class CThumbnailView : public QListWidget, public CView, public IThumbnailView {
public:
    explicit CThumbnailView(CKiroDoc& document, QWidget* parent = nullptr);

    void OnInitialUpdate() override;
    // Rebuilds every item from the collection; no item is highlighted afterwards.
    void OnUpdate(CView* sender, long hint) override;
    void SelectItem(int index) override;
    void EntriesAppended(int first, int count) override;
    QSize sizeHint() const override;

    static constexpr int kThumbnailWidth = 100;
    static constexpr int kThumbnailHeight = 75;

private:
    CKiroDoc& document_;
};
