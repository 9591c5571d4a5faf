#include "views/ThumbnailView.h"

#include <QScrollBar>

#include "document/KiroDoc.h"
#include "views/PainterDC.h"

namespace {

// The thumbnail's DIB as a 24-bit picture, right way up.
QPixmap ThumbnailPixmap(const gdi::CDibSection* thumbnail)
{
    if (thumbnail == nullptr)
        return QPixmap();
    QImage image = WrapDib(thumbnail->Pixels()).mirrored(false, true).convertToFormat(QImage::Format_RGB888);
    return QPixmap::fromImage(image);
}

}  // namespace

CThumbnailView::CThumbnailView(CKiroDoc& document, QWidget* parent) : QListWidget(parent), document_(document)
{
    setViewMode(QListView::IconMode);
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setIconSize({kThumbnailWidth, kThumbnailHeight});
    setSpacing(2);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { document_.SelectPicture(row(item)); });
}

QSize CThumbnailView::sizeHint() const
{
    // One row of thumbnails with their names, above a horizontal scroll bar.
    int rowHeight = kThumbnailHeight + fontMetrics().height() + 4 * spacing() + 8;
    return {kThumbnailWidth, rowHeight + horizontalScrollBar()->sizeHint().height() + 2 * frameWidth()};
}

void CThumbnailView::OnInitialUpdate()
{
    document_.SetThumbnailView(this);
    OnUpdate(nullptr, 0);
}

void CThumbnailView::OnUpdate(CView* /*sender*/, long /*hint*/)
{
    setUpdatesEnabled(false);
    clear();
    EntriesAppended(0, document_.GetEntryCount());
    setUpdatesEnabled(true);
}

void CThumbnailView::EntriesAppended(int first, int count)
{
    const std::vector<ImageEntry>& entries = document_.GetEntries();
    for (int i = first; i < first + count && i < static_cast<int>(entries.size()); ++i) {
        const ImageEntry& entry = entries[static_cast<size_t>(i)];
        addItem(new QListWidgetItem(QIcon(ThumbnailPixmap(entry.thumbnail.get())), QString::fromStdString(entry.name)));
    }
}

void CThumbnailView::SelectItem(int index)
{
    QListWidgetItem* target = item(index);
    if (target == nullptr)
        return;
    QList<QListWidgetItem*> selected = selectedItems();
    if (!selected.isEmpty() && selected.first() == target)
        return;
    clearSelection();
    target->setSelected(true);
    setCurrentItem(target, QItemSelectionModel::Current);
    scrollToItem(target, QAbstractItemView::EnsureVisible);
}
