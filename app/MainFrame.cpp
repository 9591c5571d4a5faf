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
constexpr int kMaxRecentFiles = 10;

bool IsRecentFileCommand(int id)
{
    return id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST;
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

QAction* CMainFrame::MakeAction(int id, const QString& text, const QKeySequence& shortcut)
{
    auto* action = new QAction(text, this);
    action->setStatusTip(PromptStatusText(id));
    action->setToolTip(PromptTooltip(id));
    action->setIconVisibleInMenu(false);
    QPixmap icon = ToolbarPixmap(id);
    if (!icon.isNull())
        action->setIcon(QIcon(icon));
    addAction(action);
    router_.AddAction(id, action);
    if (!shortcut.isEmpty())
        router_.AddShortcut(id, shortcut, this);
    return action;
}

void CMainFrame::CreateActions()
{
    MakeAction(ID_FILE_NEW, QStringLiteral("新規作成(&N)\tCtrl+N"), QKeySequence(Qt::CTRL | Qt::Key_N));
    MakeAction(ID_FILE_OPEN, QStringLiteral("開く(&O)...\tCtrl+O"), QKeySequence(Qt::CTRL | Qt::Key_O));
    MakeAction(ID_FILE_SAVE, QStringLiteral("上書き保存(&S)\tCtrl+S"), QKeySequence(Qt::CTRL | Qt::Key_S));
    MakeAction(ID_FILE_SAVE_AS, QStringLiteral("名前を付けて保存(&A)..."));
    MakeAction(ID_APP_EXIT, QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"));
    MakeAction(ID_ADD_IMAGE, QStringLiteral("追加(&A)...\tCtrl+A"), QKeySequence(Qt::CTRL | Qt::Key_A));
    MakeAction(ID_ADD_FOLDER, QStringLiteral("ﾌｫﾙﾀﾞから追加(&F)\tCtrl+L"), QKeySequence(Qt::CTRL | Qt::Key_L));
    MakeAction(ID_REMOVE_IMAGE, QStringLiteral("削除(&R)\tDEL"), QKeySequence(Qt::Key_Delete));
    MakeAction(ID_REMOVE_ALL, QStringLiteral("全て削除(&M)\tCtrl+DEL"), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    MakeAction(ID_ZOOM, QStringLiteral("ｽﾞｰﾑ(&Z)\tCtrl+M"), QKeySequence(Qt::CTRL | Qt::Key_M))->setCheckable(true);
    MakeAction(ID_COPY, QStringLiteral("ｺﾋﾟｰ(&C)\tCtrl+C"), QKeySequence(Qt::CTRL | Qt::Key_C));
    // Ctrl+S is Save's key; F5 starts the show.
    MakeAction(ID_SLIDESHOW_START, QStringLiteral("ｽﾗｲﾄﾞｼｮｳ開始(&S)\tF5"), QKeySequence(Qt::Key_F5));
    MakeAction(ID_SLIDESHOW_STOP, QStringLiteral("ｽﾗｲﾄﾞｼｮｳ中止(&T)\tCtrl+T"), QKeySequence(Qt::CTRL | Qt::Key_T));
    MakeAction(ID_VIEW_TOOLBAR, QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"))->setCheckable(true);
    MakeAction(ID_VIEW_STATUS_BAR, QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"))->setCheckable(true);
    MakeAction(ID_APP_ABOUT, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."));
    // The picture view's zoom steps and display options, in the View menu.
    MakeAction(ID_ZOOM_IN, QStringLiteral("拡大(&I)\t+"), QKeySequence(Qt::Key_Plus));
    MakeAction(ID_ZOOM_OUT, QStringLiteral("縮小(&O)\t-"), QKeySequence(Qt::Key_Minus));
    MakeAction(ID_ZOOM_ACTUAL_SIZE, QStringLiteral("原寸(&A)\t0"), QKeySequence(Qt::Key_0));
    MakeAction(ID_ZOOM_FIT, QStringLiteral("ｳｨﾝﾄﾞｳに合わせる(&W)\t*"), QKeySequence(Qt::Key_Asterisk));
    MakeAction(ID_VIEW_FIT_ON_OPEN, QStringLiteral("開くときｳｨﾝﾄﾞｳに合わせる(&P)"))->setCheckable(true);
    MakeAction(ID_VIEW_SMOOTH_REDUCTION, QStringLiteral("なめらかに縮小(&M)"))->setCheckable(true);
    MakeAction(ID_VIEW_ALPHA_CHECKERBOARD, QStringLiteral("透明部分を市松模様で表示(&K)"))->setCheckable(true);
    MakeAction(ID_NEXT_PANE, QString(), QKeySequence(Qt::Key_F6));
    MakeAction(ID_PREV_PANE, QString(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        QAction* action = MakeAction(ID_FILE_MRU_FIRST + i, QString());
        action->setVisible(false);
        recentActions_.push_back(action);
    }
    CreateViewingActions();
}

void CMainFrame::CreateViewingActions()
{
    MakeAction(ID_NEXT_PICTURE, QStringLiteral("次の画像(&N)\tSpace"), QKeySequence(Qt::Key_Space));
    MakeAction(ID_PREV_PICTURE, QStringLiteral("前の画像(&P)\tBackspace"), QKeySequence(Qt::Key_Backspace));
    MakeAction(ID_FULL_SCREEN, QStringLiteral("全画面表示(&F)\tF11"), QKeySequence(Qt::Key_F11))->setCheckable(true);
    auto* intervals = new QActionGroup(this);
    for (size_t i = 0; i < kSlideShowSeconds.size(); ++i) {
        int seconds = kSlideShowSeconds[i];
        QAction* action = MakeAction(IntervalCommand(i), QStringLiteral("%1秒(&%2)").arg(seconds).arg(seconds % 10));
        action->setCheckable(true);
        intervals->addAction(action);
    }
}

void CMainFrame::CreateMenus()
{
    fileMenu_ = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    fileMenu_->addAction(router_.Action(ID_FILE_NEW));
    fileMenu_->addAction(router_.Action(ID_FILE_OPEN));
    fileMenu_->addAction(router_.Action(ID_FILE_SAVE));
    fileMenu_->addAction(router_.Action(ID_FILE_SAVE_AS));
    fileMenu_->addSeparator();
    recentPlaceholder_ = fileMenu_->addAction(QStringLiteral("最近使ったﾌｧｲﾙ"));
    recentPlaceholder_->setEnabled(false);
    for (QAction* action : recentActions_)
        fileMenu_->addAction(action);
    fileMenu_->addSeparator();
    fileMenu_->addAction(router_.Action(ID_APP_EXIT));
    // The recently used entries are rebuilt before the states are refreshed.
    connect(fileMenu_, &QMenu::aboutToShow, this, &CMainFrame::RebuildRecentFileMenu);
    router_.WatchMenu(fileMenu_);

    QMenu* image = menuBar()->addMenu(QStringLiteral("画像(&I)"));
    for (int id : std::initializer_list<int> {ID_ADD_IMAGE, ID_ADD_FOLDER, ID_REMOVE_IMAGE, ID_REMOVE_ALL, 0,
                                              ID_ZOOM, 0, ID_COPY, 0,
                   ID_SLIDESHOW_START, ID_SLIDESHOW_STOP}) {
        if (id == 0)
            image->addSeparator();
        else
            image->addAction(router_.Action(id));
    }
    // The slide show's interval, then picture stepping.
    QMenu* intervals = image->addMenu(QStringLiteral("ｽﾗｲﾄﾞｼｮｳの間隔(&I)"));
    for (size_t i = 0; i < kSlideShowSeconds.size(); ++i)
        intervals->addAction(router_.Action(IntervalCommand(i)));
    router_.WatchMenu(intervals);
    image->addSeparator();
    image->addAction(router_.Action(ID_NEXT_PICTURE));
    image->addAction(router_.Action(ID_PREV_PICTURE));
    router_.WatchMenu(image);

    QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    view->addAction(router_.Action(ID_VIEW_TOOLBAR));
    view->addAction(router_.Action(ID_VIEW_STATUS_BAR));
    for (int id : std::initializer_list<int> {0, ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_ACTUAL_SIZE, ID_ZOOM_FIT, 0,
                                              ID_VIEW_FIT_ON_OPEN, ID_VIEW_SMOOTH_REDUCTION,
                                              ID_VIEW_ALPHA_CHECKERBOARD}) {
        if (id == 0)
            view->addSeparator();
        else
            view->addAction(router_.Action(id));
    }
    // Full screen.
    view->addSeparator();
    view->addAction(router_.Action(ID_FULL_SCREEN));
    router_.WatchMenu(view);

    QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->addAction(router_.Action(ID_APP_ABOUT));
    router_.WatchMenu(help);
}

void CMainFrame::CreateToolBar()
{
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize({16, 15});
    toolBar_->setMovable(true);
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int id : std::initializer_list<int> {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE_AS, 0, ID_ADD_IMAGE,
                                              ID_ADD_FOLDER, ID_REMOVE_IMAGE,
                   ID_REMOVE_ALL, 0, ID_ZOOM, 0, ID_COPY, 0, ID_SLIDESHOW_START, ID_SLIDESHOW_STOP}) {
        if (id == 0)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(router_.Action(id));
    }
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

bool CMainFrame::Enabled(int id) const
{
    bool running = slideShow_.IsRunning();
    bool loading = document_.IsLoading();
    int count = document_.GetEntryCount();
    switch (id) {
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
    case ID_ADD_IMAGE:
    case ID_ADD_FOLDER:
        return !running && !loading;
    case ID_REMOVE_IMAGE:
    case ID_REMOVE_ALL:
        return !running && !loading && count > 0;
    case ID_COPY: {
        const CDisplayBitmap* picture = document_.GetCurrentPicture();
        return !running && picture != nullptr && !picture->IsBlank();
    }
    case ID_SLIDESHOW_START:
        return !running && count > 1;
    case ID_SLIDESHOW_STOP:
        return running && count > 1;
    case ID_NEXT_PICTURE:
    case ID_PREV_PICTURE:
        return !running && count > 0;
    default:
        if (IsRecentFileCommand(id))
            return !running && !recentFiles_.GetEntries().empty() && !recentFiles_.GetEntries().front().empty();
        return !running;
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
    case ID_VIEW_TOOLBAR:
        ui.SetCheck(toolBar_->isVisible());
        return true;
    case ID_VIEW_STATUS_BAR:
        ui.SetCheck(statusBar_->isVisible());
        return true;
    case ID_APP_EXIT:
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        return true;
    case ID_FULL_SCREEN:
        ui.SetCheck(windowed_.has_value());
        return true;
    case ID_NEXT_PICTURE:
    case ID_PREV_PICTURE:
        ui.Enable(Enabled(id));
        return true;
    case ID_ZOOM:
        ui.Enable(Enabled(id));
        ui.SetCheck(pictureView_->IsZoomCommandOn());
        return true;
    case ID_VIEW_FIT_ON_OPEN:
    case ID_VIEW_SMOOTH_REDUCTION:
    case ID_VIEW_ALPHA_CHECKERBOARD:
        ui.Enable(Enabled(id));
        ui.SetCheck(id == ID_VIEW_FIT_ON_OPEN        ? options_.fitOnOpen
                    : id == ID_VIEW_SMOOTH_REDUCTION ? options_.smoothReduction
                                                     : options_.alphaCheckerboard);
        return true;
    case ID_ZOOM_IN:
    case ID_ZOOM_OUT:
    case ID_ZOOM_ACTUAL_SIZE:
    case ID_ZOOM_FIT:
    case ID_ADD_IMAGE:
    case ID_ADD_FOLDER:
    case ID_REMOVE_IMAGE:
    case ID_REMOVE_ALL:
    case ID_COPY:
    case ID_SLIDESHOW_START:
    case ID_SLIDESHOW_STOP:
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
    case ID_APP_ABOUT:
        ui.Enable(Enabled(id));
        return true;
    default:
        if (IsIntervalCommand(id)) {
            ui.SetCheck(IntervalSeconds(id) == options_.slideShowSeconds);
            return true;
        }
        if (!IsRecentFileCommand(id))
            return false;
        ui.Enable(Enabled(id));
        return true;
    }
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
    case ID_VIEW_FIT_ON_OPEN: options_.fitOnOpen = !options_.fitOnOpen; break;
    case ID_VIEW_SMOOTH_REDUCTION: options_.smoothReduction = !options_.smoothReduction; break;
    case ID_VIEW_ALPHA_CHECKERBOARD: options_.alphaCheckerboard = !options_.alphaCheckerboard; break;
    default: return false;
    }
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
