#pragma once

#include <QListView>

#include "document/DocumentLinks.h"
#include "platform/framework/View.h"

class CKiroDoc;
class CThumbnailModel;

// The collection as a strip of 100 x 75 thumbnails with their names, in
// collection order, in columns from the left. A mouse click makes a picture
// current; when the current picture changes otherwise (the slide show), the
// highlight follows. Moving the list's selection with the keyboard does not
// change the picture; Enter makes the item moved to current. Each item paints its entry's own thumbnail straight from
// the document: the strip keeps no copy of any picture.
class CThumbnailView : public QListView, public CView, public IThumbnailView {
public:
    explicit CThumbnailView(CKiroDoc& document, QWidget* parent = nullptr);

    void OnInitialUpdate() override;
    // Shows every entry of the collection afresh; no item is highlighted afterwards.
    void OnUpdate(CView* sender, long hint) override;
    void SelectItem(int index) override;
    // Adds items up to entry `first + count - 1`, keeping the highlight.
    void EntriesAppended(int first, int count) override;
    QSize sizeHint() const override;

    // One item of the strip as a list widget shows it: its name and whether it is highlighted.
    class Item {
    public:
        Item(const CThumbnailView& view, const QModelIndex& index) : view_(view), index_(index) {}
        QString text() const;
        bool isSelected() const;
        const QModelIndex& Index() const { return index_; }
        const Item* operator->() const { return this; }

    private:
        const CThumbnailView& view_;
        QModelIndex index_;
    };
    int count() const;
    Item item(int row) const;
    QRect visualItemRect(const Item& item) const { return visualRect(item.Index()); }

    static constexpr int kThumbnailWidth = 100;
    static constexpr int kThumbnailHeight = 75;

private:
    void ScrollFullyIntoView(const QModelIndex& index);

    CKiroDoc& document_;
    CThumbnailModel* model_;
};
