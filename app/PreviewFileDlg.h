#pragma once

#include <QFileDialog>

class CPictureDecoder;
class CPreviewCtrl;
class QCheckBox;

// Qt's own open-file dialog with a preview panel to the right of its controls:
// the preview box, which shows the selected file decoded and scaled to fit,
// and the check box "ﾌﾟﾚﾋﾞｭｰ表示(&P)" that switches the preview on and off
// (on at the start of every run).
class CPreviewFileDlg : public QFileDialog {
public:
    CPreviewFileDlg(CPictureDecoder& decoder, QWidget* parent, const QString& caption, const QString& folder);

    bool IsPreviewOn() const { return previewOn_; }
    CPreviewCtrl& PreviewBox() const { return *previewBox_; }
    QCheckBox& PreviewCheckBox() const { return *checkBox_; }
    // The one file the name box names now; empty for several names or none.
    QString CurrentPath() const;

private:
    void AddPreviewPanel();
    void OnSelectionChanged();
    void OnPreviewClicked();
    void Preview(const QString& path);

    bool previewOn_ = true;
    // The path the box was last asked to show while the preview is on.
    QString previewedPath_;
    CPreviewCtrl* previewBox_ = nullptr;
    QCheckBox* checkBox_ = nullptr;
};
