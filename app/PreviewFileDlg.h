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

    bool previewOn_ = true;
    CPreviewCtrl* previewBox_ = nullptr;
    QCheckBox* checkBox_ = nullptr;
};
