#pragma once

#include <string>

#include "platform/framework/FrameworkUi.h"

class CDocument;
class IProfileStore;
class CRecentFileList;

// What the document template says about its files.
struct DocumentTemplateStrings {
    std::string windowTitle = "Lumo?";
    std::string filterName = "Lumo?(*.kir)";
    std::string filterPattern = "*.kir";
    std::string extension = "kir";
};

// The single-document commands: New, Open (from the dialog, the command line
// or the recently used list), Save, Save As, and the question whether to save
// a modified document before it is discarded. The one document is reused.
// Paths are made absolute when a file is opened or saved under a new name, so
// the document's path and the recently used list keep their meaning.
class CSingleDocTemplate {
public:
    // `profile` may be null: the recently used list is then kept in memory only.
    CSingleDocTemplate(CDocument& document, IFrameworkUi& ui, CRecentFileList& recentFiles, IProfileStore* profile,
                       DocumentTemplateStrings strings = {});

    bool OnFileNew();
    bool OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    // Opens entry `index` of the recently used list; an entry whose file
    // cannot be opened is taken off the list.
    bool OnOpenRecentFile(int index);
    // Opens `path` after the save question; false when cancelled or failed.
    bool OpenDocumentFile(const std::string& path);
    // Asks "… への変更を保存しますか?" when the document is modified, after
    // stopping its background work; false when the user cancels or the save fails.
    bool SaveModified();

    // "<document title> - <application title>".
    std::string GetWindowTitle() const;

private:
    bool LoadFile(const std::string& path);
    // Saves to `path`, or to a path the user chooses when it is empty.
    bool DoSave(const std::string& path);
    FileDialogSpec DialogSpec(const char* title, const std::string& initialPath) const;
    void Remember(const std::string& path);

    CDocument& document_;
    IFrameworkUi& ui_;
    CRecentFileList& recentFiles_;
    IProfileStore* profile_;
    DocumentTemplateStrings strings_;
};
