#pragma once

#include <QFrame>
#include <QMainWindow>
#include <QPalette>
#include <map>
#include <optional>
#include <vector>

#include "app/ActionTable.h"
#include "app/AddPictures.h"
#include "app/SlideShow.h"
#include "app/ViewerOptions.h"
#include "document/DocumentLinks.h"
#include "platform/framework/CommandRouter.h"

class CKiroDoc;
class CKiroView;
class CThumbnailView;
class CStyledStatusBar;
class CSingleDocTemplate;
class CRecentFileList;
class QMenu;
class QSplitter;
class QToolBar;

// The program's main window: menu, toolbar, the five-pane status bar, and the
// thumbnail strip above the picture view. It handles the commands that change
// the collection, decides which commands are enabled (every command that
// changes the collection or the view is off while a slide show runs), owns the
// slide show, shows progress in status pane 0 and keeps a minimum size. The
// document's loads post their batches to the frame's event queue; while one
// runs, the commands that change or save the collection are off and Esc stops
// an add. Full screen shows the picture view alone on black; Esc leaves it and
// stops a slide show. Picture files and folders dropped on the window are
// added as Add adds them; one collection file dropped is opened.
class CMainFrame : public QMainWindow,
                   public ICommandTarget,
                   public IProgressFrame,
                   public IInterfaceThread,
                   public IAddPicturesHost {
public:
    // Commands the frame does not handle go on to `document` and `application`.
    CMainFrame(CKiroDoc& document, CSingleDocTemplate& docTemplate, CRecentFileList& recentFiles,
               ICommandTarget& documentCommands, ICommandTarget& application);
    ~CMainFrame() override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    void BeginProgress() override;
    void SetProgressTotal(int total) override;
    void StepProgress() override;
    void EndProgress() override;

    // Runs `call` on the interface thread when the event loop comes to it.
    void Post(std::function<void()> call) override;

    // Refreshes every view from the document (update-all-views with hint 0).
    void RefreshAllViews();
    // The window title of the document template.
    void UpdateTitle();

    CCommandRouter& Router() { return router_; }
    CStyledStatusBar* StatusBar() const { return statusBar_; }
    CKiroView* PictureView() const { return pictureView_; }
    CThumbnailView* ThumbnailView() const { return thumbnailView_; }
    QToolBar* ToolBar() const { return toolBar_; }
    CSlideShow& SlideShow() { return slideShow_; }
    // The view that had the keyboard focus last (the thumbnail strip at first).
    QWidget* ActiveView() const { return activeView_; }
    int ProgressCount() const { return progressCount_; }
    int ProgressTotal() const { return progressTotal_; }
    // The folder the picture dialogs open in: where the file dialog of Add
    // ended last, the current folder at first. Nothing changes the process's
    // current folder, which relative paths are taken against.
    const QString& PictureFolder() const override { return pictureFolder_; }
    void SetPictureFolder(const QString& folder) override { pictureFolder_ = folder; }
    QWidget* DialogOwner() override { return this; }

    // The smallest size: two fifths of the largest a window may be dragged to.
    static QSize MinimumTrackingSize(QSize maximumTrackingSize);

    // The options the viewer runs with. The frame sets the slide show's
    // interval from them and hands the picture view its drawing options.
    const ViewerOptions& Options() const { return options_; }
    void ApplyOptions(const ViewerOptions& options);
    // The size and place (client area) of the window outside full screen.
    QRect WindowedGeometry() const;
    // Takes back a size and place the window had; a place on no screen is
    // left to the system.
    void RestoreWindowGeometry(const QRect& geometry);

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    bool CreateStatusBar();
    void CreateViews();
    // A menu being built and the group of its last item.
    struct MenuBuild {
        QMenu* menu = nullptr;
        int lastGroup = 0;
    };
    QAction* MakeAction(int id, const ActionRow& row);
    QMenu* MenuFor(Menu place, std::map<Menu, MenuBuild>& built);
    void AddRecentFileItems(QMenu* menu, const ActionRow& row, int& lastGroup);
    void RebuildRecentFileMenu();
    void SwitchPane(bool forward);
    std::vector<ICommandTarget*> Route() const;
    bool Allows(EnableRule rule) const;
    bool IsChecked(int id, const ActionRow& row) const;

    void OnCopy();
    void OnRemoveImage();
    void OnRemoveAll();
    void OnSlideShowStart();
    bool OnViewCommand(int id);
    void ApplyViewOptions();
    int OnQueryNewPalette();
    int OnPaletteChanged();

    // Picture stepping, full screen, Esc and the slide show's interval.
    void StepPicture(int step);
    void SetFullScreen(bool on);
    void EnterFullScreen();
    void LeaveFullScreen();
    void OnEscape();
    void SetSlideShowSeconds(int seconds);
    // Carries out a drop of `paths`: opens one collection file, adds anything else.
    void OpenOrAddDropped(std::vector<std::string> paths);

    CKiroDoc& document_;
    CSingleDocTemplate& template_;
    CRecentFileList& recentFiles_;
    ICommandTarget& documentCommands_;
    ICommandTarget& application_;
    CCommandRouter router_;
    QSplitter* splitter_ = nullptr;
    CThumbnailView* thumbnailView_ = nullptr;
    CKiroView* pictureView_ = nullptr;
    QWidget* activeView_ = nullptr;
    CStyledStatusBar* statusBar_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* recentPlaceholder_ = nullptr;
    std::vector<QAction*> recentActions_;
    CSlideShow slideShow_;
    int progressCount_ = 0;
    int progressTotal_ = 100;
    QString pictureFolder_;
    ViewerOptions options_;
    // What full screen hides or changes, as it was before.
    struct WindowedLayout {
        bool toolBarVisible;
        bool statusBarVisible;
        bool maximized;
        QRect normalGeometry;
        QPalette pictureViewPalette;
        QFrame::Shape pictureViewFrame;
    };
    std::optional<WindowedLayout> windowed_;
};
