#include "app/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTimerEvent>
#include <QToolBar>
#include <QUrl>

#include "app/ActionTable.h"
#include "app/AddPictures.h"
#include "app/KiroApp.h"
#include "app/OptionsFile.h"
#include "app/StyledStatusBar.h"
#include "document/KiroDoc.h"
#include "platform/framework/RecentFileList.h"
#include "platform/framework/SingleDocTemplate.h"
#include "platform/os/CodePage.h"
#include "resources/CommandIds.h"
#include "resources/Icons.h"
#include "resources/Strings.h"
#include "views/KiroView.h"
#include "views/ThumbnailView.h"

namespace {

const int kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_ZOOM, ID_INDICATOR_X, ID_INDICATOR_Y, ID_INDICATOR_IMAGE_INFO};
const QString kPaneFont = QStringLiteral("ＭＳ Ｐゴシック");
constexpr int kPaneFontSize = 90;  // tenths of a point
// Adds `action` to a menu or the toolbar, parted by a separator from an item of another group.
void AddGrouped(QWidget* bar, QAction* action, int group, int& lastGroup)
{
    if (lastGroup != 0 && group != lastGroup) {
        auto* separator = new QAction(bar);
        separator->setSeparator(true);
        bar->addAction(separator);
    }
    lastGroup = group;
    bar->addAction(action);
}

// A long path shortened in the middle, as recently used entries show it.
QString AbbreviatedPath(const QString& path)
{
    constexpr int kMaxLength = 60;
    if (path.size() <= kMaxLength)
        return path;
    return path.left(15) + QStringLiteral("...") + path.right(kMaxLength - 18);
}

// `text` shown as it is in a menu item: "&" doubled, so none marks a mnemonic.
QString LiteralMenuText(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The interval commands stand for the choices of kSlideShowSeconds, in order.
int IntervalCommand(size_t choice)
{
    return ID_INTERVAL_1 + static_cast<int>(choice);
}

bool IsIntervalCommand(int id)
{
    return id >= ID_INTERVAL_1 && id < IntervalCommand(kSlideShowSeconds.size());
}

int IntervalSeconds(int intervalCommand)
{
    return kSlideShowSeconds[static_cast<size_t>(intervalCommand - ID_INTERVAL_1)];
}

// The local paths a drag carries, in its order; none when it carries anything else.
std::vector<std::string> DroppedPaths(const QMimeData* data)
{
    std::vector<std::string> paths;
    if (data == nullptr)
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths.push_back(url.toLocalFile().toStdString());
    }
    return paths;
}

// The command a drop of `paths` stands for: Open for one collection file, Add otherwise.
int DropCommand(const std::vector<std::string>& paths)
{
    return paths.size() == 1 && os::HasExtension(paths.front(), "kir") ? ID_FILE_OPEN : ID_ADD_IMAGE;
}

}  // namespace

CMainFrame::CMainFrame(CKiroDoc& document, CSingleDocTemplate& docTemplate, CRecentFileList& recentFiles,
                       ICommandTarget& documentCommands, ICommandTarget& application)
    : document_(document), template_(docTemplate), recentFiles_(recentFiles), documentCommands_(documentCommands),
      application_(application), pictureFolder_(QDir::currentPath())
{
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableSize() * 3 / 4);
    CreateViews();
    CreateActions();
    CreateMenus();
    CreateToolBar();
    if (!CreateStatusBar())
        throw std::runtime_error("Unable to create Statusbar.");
    slideShow_.SetOwner(this);
    router_.SetRoute([this] { return Route(); });
    document_.SetMainFrame(this);
    document_.SetInterfaceThread(this);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &CMainFrame::OnEscape);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (QWidget* view : {static_cast<QWidget*>(thumbnailView_), static_cast<QWidget*>(pictureView_)})
            if (now != nullptr && (now == view || view->isAncestorOf(now)))
                activeView_ = view;
    });
    UpdateTitle();
}

CMainFrame::~CMainFrame()
{
    slideShow_.Stop();
    document_.SetInterfaceThread(nullptr);
    document_.SetMainFrame(nullptr);
    document_.RemoveView(thumbnailView_);
    document_.RemoveView(pictureView_);
    document_.SetThumbnailView(nullptr);
    document_.SetPictureView(nullptr);
}

void CMainFrame::CreateViews()
{
    splitter_ = new QSplitter(Qt::Vertical, this);
    thumbnailView_ = new CThumbnailView(document_, splitter_);
    pictureView_ = new CKiroView(document_, splitter_);
    pictureView_->SetScreenDepthSource(&GetScreenDepth);
    splitter_->addWidget(thumbnailView_);
    splitter_->addWidget(pictureView_);
    splitter_->setChildrenCollapsible(false);
    // The strip is as high as one row of thumbnails with their names needs.
    splitter_->setSizes({thumbnailView_->sizeHint().height(), 100});
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    document_.AddView(thumbnailView_);
    document_.AddView(pictureView_);
    activeView_ = thumbnailView_;
}

QAction* CMainFrame::MakeAction(int id, const ActionRow& row)
{
    auto* action = new QAction(MenuText(id), this);
    action->setStatusTip(PromptStatusText(id));
    action->setToolTip(PromptTooltip(id));
    action->setIconVisibleInMenu(false);
    action->setCheckable(row.checkable);
    if (row.toolbarIcon != nullptr)
        action->setIcon(QIcon(QPixmap(row.toolbarIcon)));
    addAction(action);
    router_.AddAction(id, action);
    return action;
}

void CMainFrame::CreateActions()
{
    for (const ActionRow& row : ActionTable()) {
        // A checkable run of ids is one choice among them.
        QActionGroup* choice = row.checkable && row.count > 1 ? new QActionGroup(this) : nullptr;
        for (int id = row.id; id < row.id + row.count; ++id) {
            QAction* action = MakeAction(id, row);
            if (choice != nullptr)
                choice->addAction(action);
        }
        if (!row.shortcut.isEmpty())
            router_.AddShortcut(row.id, row.shortcut, this);
    }
}

QMenu* CMainFrame::MenuFor(Menu place, std::map<Menu, MenuBuild>& built)
{
    if (QMenu* menu = built[place].menu)
        return menu;
    QString title = LoadString(MenuTitleId(place));
    QMenu* menu = nullptr;
    if (place == Menu::kIntervals) {
        // The interval menu is an item of the Image menu, in the group of its commands.
        QMenu* image = MenuFor(Menu::kImage, built);
        menu = new QMenu(title, image);
        AddGrouped(image, menu->menuAction(), FindActionRow(ID_INTERVAL_1)->menuGroup, built[Menu::kImage].lastGroup);
    } else {
        menu = menuBar()->addMenu(title);
    }
    built[place].menu = menu;
    return menu;
}

void CMainFrame::CreateMenus()
{
    std::map<Menu, MenuBuild> built;
    for (const ActionRow& row : ActionTable()) {
        if (row.menu == Menu::kNone)
            continue;
        QMenu* menu = MenuFor(row.menu, built);
        int& lastGroup = built[row.menu].lastGroup;
        if (row.id == ID_FILE_MRU_FIRST) {
            AddRecentFileItems(menu, row, lastGroup);
            continue;
        }
        for (int id = row.id; id < row.id + row.count; ++id)
            AddGrouped(menu, router_.Action(id), row.menuGroup, lastGroup);
    }
    // The recently used entries are rebuilt before the states are refreshed.
    connect(fileMenu_, &QMenu::aboutToShow, this, &CMainFrame::RebuildRecentFileMenu);
    for (const auto& [place, build] : built)
        router_.WatchMenu(build.menu);
}

// The line shown while the list is empty, then one hidden item per entry.
void CMainFrame::AddRecentFileItems(QMenu* menu, const ActionRow& row, int& lastGroup)
{
    fileMenu_ = menu;
    recentPlaceholder_ = new QAction(LoadString(IDS_NO_RECENT_FILES), menu);
    recentPlaceholder_->setEnabled(false);
    AddGrouped(menu, recentPlaceholder_, row.menuGroup, lastGroup);
    for (int id = row.id; id < row.id + row.count; ++id) {
        QAction* action = router_.Action(id);
        action->setVisible(false);
        recentActions_.push_back(action);
        menu->addAction(action);
    }
}

void CMainFrame::CreateToolBar()
{
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize({16, 15});
    toolBar_->setMovable(true);
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    int lastGroup = 0;
    for (const ActionRow& row : ActionTable())
        if (row.toolbarGroup != 0)
            AddGrouped(toolBar_, router_.Action(row.id), row.toolbarGroup, lastGroup);
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

bool CMainFrame::CreateStatusBar()
{
    statusBar_ = new CStyledStatusBar(this);
    setStatusBar(statusBar_);
    if (!statusBar_->CreateBar(this, kIndicators, 5, SBPS_STRETCH))
        return false;
    statusBar_->SetPaneStyle(0, statusBar_->GetPaneStyle(0) | SBPS_NOBORDERS);
    for (int i = 0; i < statusBar_->GetPaneCount(); ++i)
        statusBar_->GetPaneInfo(i).SetPaneFont(kPaneFont, kPaneFontSize);
    statusBar_->SetIdleMessage(LoadString(AFX_IDS_IDLEMESSAGE));
    for (int i = 1; i < statusBar_->GetPaneCount(); ++i)
        router_.AddTextIndicator(kIndicators[i], [this, i](const QString& text) { statusBar_->SetPaneText(i, text); });
    statusBar_->updateGeometry();
    return true;
}

std::vector<ICommandTarget*> CMainFrame::Route() const
{
    std::vector<ICommandTarget*> targets;
    if (activeView_ == pictureView_)
        targets.push_back(pictureView_);
    targets.push_back(&documentCommands_);
    targets.push_back(const_cast<CMainFrame*>(this));
    targets.push_back(&application_);
    return targets;
}

bool CMainFrame::Allows(EnableRule rule) const
{
    bool running = slideShow_.IsRunning();
    bool loading = document_.IsLoading();
    int count = document_.GetEntryCount();
    switch (rule) {
    case EnableRule::kAlways: return true;
    case EnableRule::kOutsideShow: return !running;
    case EnableRule::kIdle: return !running && !loading;
    case EnableRule::kIdleWithPictures: return !running && !loading && count > 0;
    case EnableRule::kWithPictures: return !running && count > 0;
    case EnableRule::kPictureShown: {
        const CDisplayBitmap* picture = document_.GetCurrentPicture();
        return !running && picture != nullptr && !picture->IsBlank();
    }
    case EnableRule::kShowCanStart: return !running && count > 1;
    case EnableRule::kShowCanStop: return running && count > 1;
    case EnableRule::kRecentFiles:
        return !running && !recentFiles_.GetEntries().empty() && !recentFiles_.GetEntries().front().empty();
    }
    return false;
}

bool CMainFrame::IsChecked(int id, const ActionRow& row) const
{
    if (row.option != nullptr)
        return options_.*row.option;
    if (IsIntervalCommand(id))
        return IntervalSeconds(id) == options_.slideShowSeconds;
    switch (id) {
    case ID_VIEW_TOOLBAR: return toolBar_->isVisible();
    case ID_VIEW_STATUS_BAR: return statusBar_->isVisible();
    case ID_FULL_SCREEN: return windowed_.has_value();
    case ID_ZOOM: return pictureView_->IsZoomCommandOn();
    default: return false;
    }
}

bool CMainFrame::OnUpdateCommand(CCmdUI& ui)
{
    int id = ui.GetId();
    switch (id) {
    case ID_INDICATOR_ZOOM:
    case ID_INDICATOR_X:
    case ID_INDICATOR_Y:
        // The picture view's panes describe the picture whichever view has the focus.
        return pictureView_->OnUpdateCommand(ui);
    case ID_INDICATOR_IMAGE_INFO:
        ui.SetText(QString());
        return true;
    default:
        break;
    }
    const ActionRow* row = FindActionRow(id);
    if (row == nullptr)
        return false;
    ui.Enable(Allows(row->enable));
    if (row->checkable)
        ui.SetCheck(IsChecked(id, *row));
    return true;
}

bool CMainFrame::OnCommand(int id)
{
    switch (id) {
    case ID_ADD_IMAGE: AddPictureFiles(*this, document_); return true;
    case ID_ADD_FOLDER: AddPictureFolder(*this, document_); return true;
    case ID_REMOVE_IMAGE: OnRemoveImage(); return true;
    case ID_REMOVE_ALL: OnRemoveAll(); return true;
    case ID_COPY: OnCopy(); return true;
    case ID_ZOOM: pictureView_->ToggleZoomCommand(); return true;
    case ID_SLIDESHOW_START: OnSlideShowStart(); return true;
    case ID_SLIDESHOW_STOP: slideShow_.Stop(); return true;
    case ID_VIEW_TOOLBAR: toolBar_->setVisible(!toolBar_->isVisible()); return true;
    case ID_VIEW_STATUS_BAR: statusBar_->setVisible(!statusBar_->isVisible()); return true;
    case ID_NEXT_PANE: SwitchPane(true); return true;
    case ID_PREV_PANE: SwitchPane(false); return true;
    case ID_NEXT_PICTURE: StepPicture(1); return true;
    case ID_PREV_PICTURE: StepPicture(-1); return true;
    case ID_FULL_SCREEN: SetFullScreen(!windowed_); return true;
    default:
        if (!IsIntervalCommand(id))
            return OnViewCommand(id);
        SetSlideShowSeconds(IntervalSeconds(id));
        return true;
    }
}

// The picture view's zoom steps and display options, whichever view has the focus.
bool CMainFrame::OnViewCommand(int id)
{
    switch (id) {
    case ID_ZOOM_IN: pictureView_->ZoomInStep(); return true;
    case ID_ZOOM_OUT: pictureView_->ZoomOutStep(); return true;
    case ID_ZOOM_ACTUAL_SIZE: pictureView_->ZoomToActualSize(); return true;
    case ID_ZOOM_FIT: pictureView_->ZoomToFit(); return true;
    default: break;
    }
    const ActionRow* row = FindActionRow(id);
    if (row == nullptr || row->option == nullptr)
        return false;
    options_.*row->option = !(options_.*row->option);
    ApplyViewOptions();
    return true;
}

void CMainFrame::ApplyViewOptions()
{
    pictureView_->SetFitOnOpen(options_.fitOnOpen);
    pictureView_->SetSmoothReduction(options_.smoothReduction);
    pictureView_->SetAlphaCheckerboard(options_.alphaCheckerboard);
}

void CMainFrame::RefreshAllViews()
{
    document_.UpdateAllViews(nullptr, 0);
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(QString::fromStdString(template_.GetWindowTitle()));
}

void CMainFrame::OnCopy()
{
    if (CDisplayBitmap* picture = document_.GetCurrentPicture())
        picture->CopyToClipboard();
}

void CMainFrame::OnRemoveImage()
{
    if (!document_.RemoveCurrentEntry())
        return;
    RefreshAllViews();
    pictureView_->ShowActualSize();
}

void CMainFrame::OnRemoveAll()
{
    document_.RemoveAll();
    RefreshAllViews();
    pictureView_->ShowActualSize();
}

void CMainFrame::OnSlideShowStart()
{
    slideShow_.Start(document_, pictureView_);
}

void CMainFrame::SwitchPane(bool /*forward*/)
{
    // With two panes, the next and the previous pane are the same one.
    QWidget* next = activeView_ == pictureView_ ? static_cast<QWidget*>(thumbnailView_) : pictureView_;
    next->setFocus(Qt::ShortcutFocusReason);
    activeView_ = next;
}

void CMainFrame::RebuildRecentFileMenu()
{
    const std::vector<std::string>& entries = recentFiles_.GetEntries();
    recentPlaceholder_->setVisible(entries.empty());
    for (size_t i = 0; i < recentActions_.size(); ++i) {
        QAction* action = recentActions_[i];
        action->setVisible(i < entries.size());
        if (i < entries.size())
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(
                LiteralMenuText(AbbreviatedPath(QString::fromStdString(entries[i])))));
    }
}

void CMainFrame::BeginProgress()
{
    progressCount_ = 0;
    progressTotal_ = 100;
    statusBar_->SavePane(0);
    statusBar_->SetPaneStyle(0, statusBar_->GetPaneStyle(0) & ~SBPS_NOBORDERS);
    CStatusPaneInfo& pane = statusBar_->GetPaneInfo(0);
    pane.SetPaneKind(kPaneKindProgress, statusBar_);
    if (QProgressBar* control = pane.Control())
        control->setRange(0, 100);
    statusBar_->repaint();
}

void CMainFrame::SetProgressTotal(int total)
{
    progressTotal_ = total != 0 ? total : 100;
}

void CMainFrame::StepProgress()
{
    ++progressCount_;
    int position = static_cast<int>(static_cast<double>(progressCount_) / progressTotal_ * 100.0);
    QProgressBar* control = statusBar_->GetPaneInfo(0).Control();
    // The bar is painted again only when it moves: a load steps it thousands of times.
    if (control == nullptr || control->value() == position)
        return;
    control->setValue(position);
    statusBar_->repaint();
}

void CMainFrame::Post(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void CMainFrame::EndProgress()
{
    if (QProgressBar* control = statusBar_->GetPaneInfo(0).Control())
        control->setValue(100);
    statusBar_->repaint();
    statusBar_->RestorePane(0);
    statusBar_->SetPaneStyle(0, statusBar_->GetPaneStyle(0) | SBPS_NOBORDERS);
}

QSize CMainFrame::MinimumTrackingSize(QSize maximumTrackingSize)
{
    return {2 * maximumTrackingSize.width() / 5, 2 * maximumTrackingSize.height() / 5};
}

void CMainFrame::showEvent(QShowEvent* event)
{
    // Windows may be dragged as large as the screen and a little border.
    if (QScreen* screen = this->screen())
        setMinimumSize(MinimumTrackingSize(screen->virtualSize() + QSize(10, 10)));
    QMainWindow::showEvent(event);
}

void CMainFrame::timerEvent(QTimerEvent* event)
{
    if (slideShow_.IsOwnTimer(event->timerId()))
        slideShow_.Step();
    else
        QMainWindow::timerEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!template_.SaveModified()) {
        event->ignore();
        return;
    }
    document_.StopLoading();
    slideShow_.Stop();
    event->accept();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        OnQueryNewPalette();
    else if (event->type() == QEvent::PaletteChange)
        OnPaletteChanged();
}

// The screen's colours changed: every picture view realises its palette, the
// active one in the foreground.
int CMainFrame::OnPaletteChanged()
{
    int realised = 0;
    for (CKiroView* view : findChildren<CKiroView*>())
        realised += view->OnRealizePalette(activeView_);
    return realised;
}

// Gaining the focus: the active view realises its palette in the foreground.
int CMainFrame::OnQueryNewPalette()
{
    if (activeView_ == pictureView_)
        return pictureView_->OnRealizePalette(activeView_);
    return 0;
}

void CMainFrame::ApplyOptions(const ViewerOptions& options)
{
    options_ = options;
    slideShow_.SetInterval(options_.slideShowSeconds * 1000);
    ApplyViewOptions();
}

void CMainFrame::SetSlideShowSeconds(int seconds)
{
    ViewerOptions options = options_;
    options.slideShowSeconds = seconds;
    ApplyOptions(options);
}

QRect CMainFrame::WindowedGeometry() const
{
    return windowed_ ? windowed_->normalGeometry : normalGeometry();
}

void CMainFrame::RestoreWindowGeometry(const QRect& geometry)
{
    resize(geometry.size());
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(geometry)) {
            setGeometry(geometry);
            return;
        }
}

// The next (step 1) or previous (step -1) entry, wrapping at either end as
// the slide show does; with no current entry, the first or the last.
void CMainFrame::StepPicture(int step)
{
    int count = document_.GetEntryCount();
    if (count == 0)
        return;
    int current = document_.GetCurrentIndex();
    int next = current < 0 ? (step > 0 ? 0 : count - 1) : (current + step + count) % count;
    document_.SelectPicture(next);
}

void CMainFrame::SetFullScreen(bool on)
{
    if (on == windowed_.has_value())
        return;
    if (on)
        EnterFullScreen();
    else
        LeaveFullScreen();
}

void CMainFrame::EnterFullScreen()
{
    windowed_ = WindowedLayout {toolBar_->isVisible(), statusBar_->isVisible(), isMaximized(), normalGeometry(),
                                pictureView_->palette(), pictureView_->frameShape()};
    for (QWidget* widget : {static_cast<QWidget*>(menuBar()), static_cast<QWidget*>(toolBar_),
                            static_cast<QWidget*>(statusBar_), static_cast<QWidget*>(thumbnailView_)})
        widget->hide();
    QPalette black = pictureView_->palette();
    black.setColor(QPalette::Base, Qt::black);
    black.setColor(QPalette::Window, Qt::black);
    pictureView_->setPalette(black);
    pictureView_->setFrameShape(QFrame::NoFrame);
    pictureView_->setFocus(Qt::OtherFocusReason);
    // The whole screen even where no window manager makes it so.
    if (QScreen* screen = this->screen())
        setGeometry(screen->geometry());
    showFullScreen();
}

void CMainFrame::LeaveFullScreen()
{
    WindowedLayout windowed = *windowed_;
    windowed_.reset();
    pictureView_->setPalette(windowed.pictureViewPalette);
    pictureView_->setFrameShape(windowed.pictureViewFrame);
    menuBar()->show();
    thumbnailView_->show();
    toolBar_->setVisible(windowed.toolBarVisible);
    statusBar_->setVisible(windowed.statusBarVisible);
    if (windowed.maximized) {
        showMaximized();
    } else {
        showNormal();
        setGeometry(windowed.normalGeometry);
    }
}

// Esc stops what runs: an add, the slide show, full screen.
void CMainFrame::OnEscape()
{
    if (document_.IsAdding())
        document_.StopLoading();
    slideShow_.Stop();
    SetFullScreen(false);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    std::vector<std::string> paths = DroppedPaths(event->mimeData());
    if (!paths.empty() && router_.Query(DropCommand(paths)).IsEnabled())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    std::vector<std::string> paths = DroppedPaths(event->mimeData());
    if (paths.empty() || !router_.Query(DropCommand(paths)).IsEnabled())
        return;
    event->acceptProposedAction();
    // Carried out once the drag has ended: opening may ask whether to save first.
    Post([this, paths = std::move(paths)]() mutable { OpenOrAddDropped(std::move(paths)); });
}

void CMainFrame::OpenOrAddDropped(std::vector<std::string> paths)
{
    if (DropCommand(paths) == ID_FILE_OPEN) {
        template_.OpenDocumentFile(paths.front());
        UpdateTitle();
    } else {
        document_.StartAdding(std::move(paths));
    }
}
