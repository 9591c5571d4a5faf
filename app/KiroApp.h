#pragma once

#include <QStringList>
#include <QTranslator>
#include <memory>

#include "app/DocumentCommands.h"
#include "app/QtClipboard.h"
#include "document/KiroDoc.h"
#include "document/ThumbnailStore.h"
#include "picture/decoding/AutoDecoder.h"
#include "platform/framework/CommandRouter.h"
#include "platform/framework/Profile.h"
#include "platform/framework/QtFrameworkUi.h"
#include "platform/framework/RecentFileList.h"
#include "platform/framework/SingleDocTemplate.h"

class CMainFrame;
class QPalette;

// The screen's colour depth in bits per pixel.
int GetScreenDepth();
// Takes the system colours of the drawing layer from the widget style.
void ApplySystemColors(const QPalette& palette);

// The application: the one picture decoder everything shares, the settings
// and recently used list, the options file, the collection document and its
// template, the main window, and the commands New, Open, recently used files,
// Exit and About. Qt's own texts (file dialogs, message-box buttons) are
// Japanese like the program's, whatever language the system is set to.
class CKiroApp : public ICommandTarget {
public:
    // Questions and messages go to `ui`, or to dialogs when it is null.
    explicit CKiroApp(IFrameworkUi* ui = nullptr);
    ~CKiroApp() override;

    // Start-up with the command line's arguments (the program name left out):
    // none opens a new collection; pictures and folders start an untitled
    // collection that they are added to, in order; otherwise the first path
    // opens as a collection; the unregister switch removes the settings.
    // False ends the program with ExitCode().
    bool InitInstance(const QStringList& arguments);
    int ExitCode() const { return exitCode_; }
    // Writes the recently used list, the options and the window's place back.
    void ExitInstance();

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnAppAbout();

    CAutoDecoder& Decoder() { return decoder_; }
    CKiroDoc& Document() { return document_; }
    CMainFrame* MainFrame() const { return frame_.get(); }
    CRecentFileList& RecentFiles() { return recentFiles_; }
    CSingleDocTemplate& Template() { return template_; }

private:
    bool Unregister();
    bool OpenArguments(const QStringList& arguments);
    void AfterDocumentChange();

    QTranslator qtTexts_;
    CAutoDecoder decoder_;
    // Outlives the document, whose loads ask it.
    std::unique_ptr<IThumbnailStore> thumbnailStore_;
    CProfile profile_;
    CRecentFileList recentFiles_;
    CKiroDoc document_;
    CQtFrameworkUi dialogs_;
    IFrameworkUi& ui_;
    CSingleDocTemplate template_;
    CDocumentCommands documentCommands_;
    CQtClipboard clipboard_;
    std::unique_ptr<CMainFrame> frame_;
    int exitCode_ = 0;
};
