#include "views/ThumbnailView.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

#include "document/KiroDoc.h"
#include "views/PainterDC.h"

// The entries the strip shows, in collection order: row i is entry i, with
// its name as the text. It holds nothing of its own but the row count, which
// changes only when the view says so: entries the collection gains reach the
// list when they are announced.
class CThumbnailModel : public QAbstractListModel {
public:
    CThumbnailModel(const CKiroDoc& document, QObject* parent) : QAbstractListModel(parent), document_(document) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows_; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const ImageEntry* entry = Entry(index);
        if (entry == nullptr || role != Qt::DisplayRole)
            return {};
        return QString::fromStdString(entry->name);
    }

    // Null for a row the collection no longer holds.
    const gdi::CDibSection* Thumbnail(const QModelIndex& index) const
    {
        const ImageEntry* entry = Entry(index);
        return entry == nullptr ? nullptr : entry->thumbnail.get();
    }

    void ShowAll()
    {
        beginResetModel();
        rows_ = document_.GetEntryCount();
        endResetModel();
    }

    // Appends rows up to entry `end - 1`, as far as the collection reaches.
    void ShowUpTo(int end)
    {
        end = std::min(end, document_.GetEntryCount());
        if (end <= rows_)
            return;
        beginInsertRows(QModelIndex(), rows_, end - 1);
        rows_ = end;
        endInsertRows();
    }

private:
    const ImageEntry* Entry(const QModelIndex& index) const
    {
        const std::vector<ImageEntry>& entries = document_.GetEntries();
        if (!index.isValid() || index.row() >= static_cast<int>(entries.size()))
            return nullptr;
        return &entries[static_cast<size_t>(index.row())];
    }

    const CKiroDoc& document_;
    int rows_ = 0;
};

namespace {

// Paints an item as the style paints an icon-mode item, with the entry's
// thumbnail in the icon's place, drawn from the thumbnail's own memory.
class CThumbnailDelegate : public QStyledItemDelegate {
public:
    CThumbnailDelegate(const CThumbnailModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

    // Every item is as large as one whose name fits under its thumbnail; longer names are elided.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.text = QStringLiteral(" ");
        return Style(item).sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), item.widget);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        QStyle& style = Style(item);
        style.drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
        if (const gdi::CDibSection* thumbnail = model_.Thumbnail(index)) {
            QRect place = style.subElementRect(QStyle::SE_ItemViewItemDecoration, &item, item.widget);
            DrawThumbnail(*painter, *thumbnail, place.topLeft(), item);
        }
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->features |= QStyleOptionViewItem::HasDecoration;  // the thumbnail's place
    }

private:
    static QStyle& Style(const QStyleOptionViewItem& item)
    {
        return item.widget != nullptr ? *item.widget->style() : *QApplication::style();
    }

    // Draws the thumbnail unscaled from `at`; a highlighted item's is tinted
    // with the highlight colour, as the style tints a selected icon.
    static void DrawThumbnail(QPainter& painter, const gdi::CDibSection& thumbnail, QPoint at,
                              const QStyleOptionViewItem& item)
    {
        QRect place(at, QSize(thumbnail.Width(), thumbnail.Height()));
        gdi::Rect target {place.left(), place.top(), place.right() + 1, place.bottom() + 1};
        gdi::Rect whole {0, 0, thumbnail.Width(), thumbnail.Height()};
        CPainterDC(painter).StretchDib(thumbnail.Pixels(), target, whole, gdi::StretchQuality::Nearest, gdi::SRCCOPY);
        if (item.state & QStyle::State_Selected) {
            QColor tint = item.palette.color(QPalette::Normal, QPalette::Highlight);
            tint.setAlphaF(0.3f);
            painter.fillRect(place, tint);
        }
    }

    const CThumbnailModel& model_;
};

}  // namespace

QString CThumbnailView::Item::text() const
{
    return index_.data().toString();
}

bool CThumbnailView::Item::isSelected() const
{
    return view_.selectionModel()->isSelected(index_);
}

CThumbnailView::CThumbnailView(CKiroDoc& document, QWidget* parent)
    : QListView(parent), document_(document), model_(new CThumbnailModel(document, this))
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
    // Items of one size spare the layout a look at every name.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new CThumbnailDelegate(*model_, this));
    setModel(model_);
    connect(this, &QListView::clicked, this,
            [this](const QModelIndex& index) { document_.SelectPicture(index.row()); });
    // Enter chooses the item the arrow keys have moved to.
    connect(this, &QListView::activated, this,
            [this](const QModelIndex& index) { document_.SelectPicture(index.row()); });
}

QSize CThumbnailView::sizeHint() const
{
    // One row of thumbnails with their names, above a horizontal scroll bar.
    int rowHeight = kThumbnailHeight + fontMetrics().height() + 4 * spacing() + 8;
    return {kThumbnailWidth, rowHeight + horizontalScrollBar()->sizeHint().height() + 2 * frameWidth()};
}

int CThumbnailView::count() const
{
    return model_->rowCount();
}

CThumbnailView::Item CThumbnailView::item(int row) const
{
    return Item(*this, model_->index(row));
}

void CThumbnailView::OnInitialUpdate()
{
    document_.SetThumbnailView(this);
    OnUpdate(nullptr, 0);
}

void CThumbnailView::OnUpdate(CView* /*sender*/, long /*hint*/)
{
    model_->ShowAll();
}

void CThumbnailView::EntriesAppended(int first, int count)
{
    model_->ShowUpTo(first + count);
}

void CThumbnailView::SelectItem(int index)
{
    QModelIndex target = model_->index(index);
    if (!target.isValid() || selectionModel()->isSelected(target))
        return;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    ScrollFullyIntoView(target);
}

void CThumbnailView::ScrollFullyIntoView(const QModelIndex& index)
{
    scrollTo(index, QAbstractItemView::EnsureVisible);
    // The list stops one pixel short of an item that lies right of or below the viewport.
    QRect place = visualRect(index);
    QRect area = viewport()->rect();
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + std::max(0, place.right() - area.right()));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + std::max(0, place.bottom() - area.bottom()));
}
