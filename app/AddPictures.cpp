#include "app/AddPictures.h"

#include <QFileDialog>

#include "app/PreviewFileDlg.h"
#include "document/KiroDoc.h"
#include "platform/framework/QtFrameworkUi.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"

QStringList PictureFileFilters()
{
    auto row = [](const QString& name, const QString& patterns) {
        return QtNameFilter(name.toStdString(), patterns.toStdString());
    };
    QStringList rows;
    QStringList allPatterns;
    for (int id = IDS_FILTER_FIRST; id < IDS_FILTER_FIRST + 22; id += 2) {
        rows.push_back(row(LoadString(id), LoadString(id + 1)));
        allPatterns.push_back(LoadString(id + 1));
    }
    rows.push_back(row(LoadString(IDS_FILTER_FIRST + 22), allPatterns.join(QLatin1Char(';'))));
    rows.push_back(row(LoadString(AFX_IDS_ALLFILTER), LoadString(IDS_FILTER_LAST)));
    return rows;
}

void AddPictureFiles(IAddPicturesHost& host, CKiroDoc& document)
{
    CPreviewFileDlg dialog(document.GetDecoder(), host.DialogOwner(), LoadString(IDS_ADD_IMAGE_TITLE),
                           host.PictureFolder());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    QStringList filters = PictureFileFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(11));
    bool accepted = dialog.exec() == QDialog::Accepted;
    host.SetPictureFolder(dialog.directory().absolutePath());
    if (!accepted)
        return;
    std::vector<std::string> paths;
    for (const QString& path : dialog.selectedFiles())
        paths.push_back(path.toStdString());
    document.StartAdding(std::move(paths));
}

bool BrowseForFolder(QWidget* owner, int titleId, QString& folder)
{
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    QFileDialog picker(owner, LoadString(titleId), folder);
    picker.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    picker.setFileMode(QFileDialog::Directory);
    if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty())
        return false;
    folder = picker.selectedFiles().first();
    return true;
}

void AddPictureFolder(IAddPicturesHost& host, CKiroDoc& document)
{
    QString folder = host.PictureFolder();
    if (!BrowseForFolder(host.DialogOwner(), IDS_FOLDER_TITLE, folder))
        return;
    document.StartAdding({folder.toStdString()});
}
