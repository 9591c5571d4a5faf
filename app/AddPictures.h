#pragma once

#include <QStringList>

#include <QString>

class CKiroDoc;
class QWidget;

// What Add needs of the window it is chosen in: the owner of its dialogs and
// the folder they open in, which the file dialog of Add changes.
class IAddPicturesHost {
public:
    virtual ~IAddPicturesHost() = default;
    virtual QWidget* DialogOwner() = 0;
    virtual const QString& PictureFolder() const = 0;
    virtual void SetPictureFolder(const QString& folder) = 0;
};

// Add (32776): the picture file dialog, then every chosen file offered to the
// collection by a load in the background, which shows its progress and
// appends the pictures as they come. The host's picture folder becomes the
// folder the dialog ended in.
void AddPictureFiles(IAddPicturesHost& host, CKiroDoc& document);
// Add from folder (32780): the folder picker, starting at the host's picture
// folder, then every file below the chosen folder offered to the collection
// the same way, the folder walked in the background too.
void AddPictureFolder(IAddPicturesHost& host, CKiroDoc& document);

// The folder picker titled by string `titleId`, starting at `folder` (a
// trailing slash dropped); on OK `folder` becomes the chosen folder.
bool BrowseForFolder(QWidget* owner, int titleId, QString& folder);

// The 13 filter rows of the picture file dialog; row 12 (all picture formats) is the one shown first.
QStringList PictureFileFilters();
