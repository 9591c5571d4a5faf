#include "platform/framework/QtFrameworkUi.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

CQtFrameworkUi::CQtFrameworkUi(QWidget* parent, const std::string& applicationTitle)
    : parent_(parent), title_(QString::fromStdString(applicationTitle))
{
}

PromptAnswer CQtFrameworkUi::AskYesNoCancel(const std::string& text)
{
    QMessageBox::StandardButton answer =
        QMessageBox::question(parent_, title_, QString::fromStdString(text),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return PromptAnswer::Yes;
    if (answer == QMessageBox::No)
        return PromptAnswer::No;
    return PromptAnswer::Cancel;
}

void CQtFrameworkUi::ShowMessage(const std::string& text)
{
    QMessageBox::warning(parent_, title_, QString::fromStdString(text));
}

std::optional<std::string> CQtFrameworkUi::ChooseFileToOpen(const FileDialogSpec& spec)
{
    return RunFileDialog(spec, false);
}

std::optional<std::string> CQtFrameworkUi::ChooseFileToSave(const FileDialogSpec& spec)
{
    return RunFileDialog(spec, true);
}

std::optional<std::string> CQtFrameworkUi::RunFileDialog(const FileDialogSpec& spec, bool save)
{
    QFileDialog dialog(parent_, QString::fromStdString(spec.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters;
    for (const auto& [name, patterns] : spec.filters)
        filters << QtNameFilter(name, patterns);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(spec.defaultExtension));
    if (!spec.initialPath.empty())
        dialog.selectFile(QString::fromStdString(spec.initialPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

QString QtNameFilter(const std::string& name, const std::string& patterns)
{
    QStringList qtPatterns = QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts);
    for (QString& pattern : qtPatterns)
        if (pattern == QStringLiteral("*.*"))
            pattern = QStringLiteral("*");
    return QString::fromStdString(name) + " (" + qtPatterns.join(' ') + ')';
}
