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

// A filter row as QFileDialog takes it: "name (*.a *.b)", or the name alone
// when it already ends with its patterns in brackets.
QString QtNameFilter(const std::string& name, const std::string& patterns);
