#pragma once

#include <QStringList>

class CKiroDoc;
class CMainFrame;
class QString;
class QWidget;

// Add (32776): the picture file dialog, then every chosen file offered to the
// collection by a load in the background, which shows its progress and
// appends the pictures as they come. The frame's picture folder becomes the
// folder the dialog ended in.
void AddPictureFiles(CMainFrame& frame, CKiroDoc& document);
// Add from folder (32780): the folder picker, starting at the frame's picture
// folder, then every file below the chosen folder offered to the collection
// the same way, the folder walked in the background too.
void AddPictureFolder(CMainFrame& frame, CKiroDoc& document);

// The folder picker titled by string `titleId`, starting at `folder` (a
// trailing slash dropped); on OK `folder` becomes the chosen folder.
bool BrowseForFolder(QWidget* owner, int titleId, QString& folder);

// The 13 filter rows of the picture file dialog; row 12 (all picture formats) is the one shown first.
QStringList PictureFileFilters();
