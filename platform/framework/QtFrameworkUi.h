#pragma once

#include <QString>

#include "platform/framework/FrameworkUi.h"

class QWidget;

// The document commands' questions as Qt dialogs: message boxes titled with the
// application title and Qt's own file dialogs.
class CQtFrameworkUi : public IFrameworkUi {
public:
    CQtFrameworkUi(QWidget* parent, const std::string& applicationTitle);

    PromptAnswer AskYesNoCancel(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    std::optional<std::string> ChooseFileToOpen(const FileDialogSpec& spec) override;
    std::optional<std::string> ChooseFileToSave(const FileDialogSpec& spec) override;

    void SetParent(QWidget* parent) { parent_ = parent; }

private:
    std::optional<std::string> RunFileDialog(const FileDialogSpec& spec, bool save);

    QWidget* parent_;
    QString title_;
};

// A filter row as QFileDialog takes it: the name, then the patterns in
// brackets as Qt reads them ("*.a *.b"). Dialogs that show the name alone
// (QFileDialog::HideNameFilterDetails) show it exactly as it is. "*.*" means
// every file, as it does on Windows; for Qt it becomes "*", since Qt lists
// only names with a dot for it.
QString QtNameFilter(const std::string& name, const std::string& patterns);
