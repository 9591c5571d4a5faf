#include "app/PreviewFileDlg.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/PreviewCtrl.h"

namespace {

// The preview panel is laid out in dialog units of its font: a quarter of the
// average character width across, an eighth of the character height down.
QSize DialogUnits(const QFont& font, int across, int down)
{
    QFontMetrics metrics(font);
    return {across * metrics.averageCharWidth() / 4, down * metrics.height() / 8};
}

QLineEdit* FileNameEdit(const QFileDialog& dialog)
{
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

}  // namespace

CPreviewFileDlg::CPreviewFileDlg(CPictureDecoder& decoder, QWidget* parent, const QString& caption,
                                 const QString& folder)
    : QFileDialog(parent, caption, folder)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    previewBox_ = new CPreviewCtrl(decoder, this);
    checkBox_ = new QCheckBox(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ表示(&P)"), this);
    checkBox_->setChecked(previewOn_);
    AddPreviewPanel();
    connect(this, &QFileDialog::currentChanged, this, [this] { OnSelectionChanged(); });
    if (QLineEdit* edit = FileNameEdit(*this))
        connect(edit, &QLineEdit::textChanged, this, [this] { OnSelectionChanged(); });
    connect(checkBox_, &QCheckBox::clicked, this, [this] { OnPreviewClicked(); });
}

void CPreviewFileDlg::AddPreviewPanel()
{
    QFont panelFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    checkBox_->setFont(panelFont);
    previewBox_->setFixedSize(DialogUnits(panelFont, 89, 85));
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->addSpacing(DialogUnits(panelFont, 0, 20).height());
    column->addWidget(previewBox_);
    column->addSpacing(DialogUnits(panelFont, 0, 8).height());
    column->addWidget(checkBox_);
    column->addStretch(1);
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (grid != nullptr)
        grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);
}

QString CPreviewFileDlg::CurrentPath() const
{
    QLineEdit* edit = FileNameEdit(*this);
    QString name = edit != nullptr ? edit->text().trimmed() : QString();
    // Several selected files show as quoted names: no single file to preview.
    if (name.isEmpty() || name.startsWith(QLatin1Char('"')))
        return QString();
    return directory().absoluteFilePath(name);
}

// A click in the file list announces the new current item before the name box
// names it, and a selection made in code clears the list first: each selection
// reaches here more than once, sometimes while the box still names the file
// selected before. Only a path the box is not already showing is decoded.
void CPreviewFileDlg::OnSelectionChanged()
{
    if (previewOn_ && CurrentPath() != previewedPath_)
        Preview(CurrentPath());
}

void CPreviewFileDlg::OnPreviewClicked()
{
    previewOn_ = !previewOn_;
    if (previewOn_) {
        Preview(CurrentPath());
    } else {
        previewedPath_.clear();
        previewBox_->Clear();
    }
}

void CPreviewFileDlg::Preview(const QString& path)
{
    previewedPath_ = path;
    previewBox_->Load(path);
}
