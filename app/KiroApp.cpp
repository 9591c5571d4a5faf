#include "app/KiroApp.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QPalette>
#include <QScreen>
#include <QSettings>

#include <algorithm>

#include "app/AboutBox.h"
#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/OptionsFile.h"
#include "document/UserThumbnailStore.h"
#include "picture/decoding/DecodingThreads.h"
#include "platform/gdi/Colors.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"

namespace {

const char* const kUnregistered =
    "ｼｽﾃﾑ ﾚｼﾞｽﾄﾘ ｴﾝﾄﾘは削除されています。また、INI ﾌｧｲﾙがある場合は、INI ﾌｧｲﾙも削除されました。";
const char* const kNotUnregistered = "一部のｼｽﾃﾑ ﾚｼﾞｽﾄﾘ ｴﾝﾄﾘ (または INI ﾌｧｲﾙ) は削除されませんでした。";

bool IsUnregisterSwitch(const QString& argument)
{
    if (argument.size() < 2 || (argument[0] != QLatin1Char('/') && argument[0] != QLatin1Char('-')))
        return false;
    QString name = argument.mid(1);
    return name.compare(QStringLiteral("Unregister"), Qt::CaseInsensitive) == 0 ||
           name.compare(QStringLiteral("unregserver"), Qt::CaseInsensitive) == 0;
}

// Qt's Japanese translation (Debian's qt6-translations-l10n), whatever the
// system's language: the program is Japanese. Without it Qt speaks English.
void InstallJapaneseQtTexts(QTranslator& translator)
{
    if (translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
}

gdi::ColorRef ColorRefOf(const QColor& color)
{
    return gdi::Rgb(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
                    static_cast<uint8_t>(color.blue()));
}

// Removes a settings file; true when it is gone.
bool RemoveSettingsFile(QSettings& settings)
{
    QString file = settings.fileName();
    settings.clear();
    settings.sync();
    return !QFile::exists(file) || QFile::remove(file);
}

}  // namespace

int GetScreenDepth()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->depth() : 32;
}

void ApplySystemColors(const QPalette& palette)
{
    gdi::SetSysColor(gdi::COLOR_BTNFACE, ColorRefOf(palette.color(QPalette::Button)));
    gdi::SetSysColor(gdi::COLOR_BTNSHADOW, ColorRefOf(palette.color(QPalette::Dark)));
    gdi::SetSysColor(gdi::COLOR_BTNHIGHLIGHT, ColorRefOf(palette.color(QPalette::Light)));
    gdi::SetSysColor(gdi::COLOR_BTNTEXT, ColorRefOf(palette.color(QPalette::ButtonText)));
    gdi::SetSysColor(gdi::COLOR_MENU, ColorRefOf(palette.color(QPalette::Window)));
    gdi::SetSysColor(gdi::COLOR_MENUTEXT, ColorRefOf(palette.color(QPalette::WindowText)));
    gdi::SetSysColor(gdi::COLOR_WINDOW, ColorRefOf(palette.color(QPalette::Base)));
    gdi::SetSysColor(gdi::COLOR_WINDOWTEXT, ColorRefOf(palette.color(QPalette::Text)));
    gdi::SetSysColor(gdi::COLOR_HIGHLIGHT, ColorRefOf(palette.color(QPalette::Highlight)));
    gdi::SetSysColor(gdi::COLOR_HIGHLIGHTTEXT, ColorRefOf(palette.color(QPalette::HighlightedText)));
}

CKiroApp::CKiroApp(IFrameworkUi* ui)
    : thumbnailStore_(OpenUserThumbnailStore()),
      document_(decoder_),
      dialogs_(nullptr, LoadString(AFX_IDS_APP_TITLE).toStdString()),
      ui_(ui != nullptr ? *ui : dialogs_),
      template_(document_, ui_, recentFiles_, &profile_),
      documentCommands_(document_, template_, [this] { AfterDocumentChange(); })
{
    InstallJapaneseQtTexts(qtTexts_);
    document_.SetLoaderOptions({{}, thumbnailStore_.get(), 0});
    os::SetClipboardBackend(&clipboard_);
}

CKiroApp::~CKiroApp()
{
    frame_.reset();
    os::SetClipboardBackend(nullptr);
}

bool CKiroApp::InitInstance(const QStringList& arguments)
{
    for (const QString& argument : arguments)
        if (IsUnregisterSwitch(argument)) {
            exitCode_ = Unregister() ? 0 : 1;
            return false;
        }
    recentFiles_.ReadList(profile_);
    ApplySystemColors(QApplication::palette());
    PrepareDecodingThreads();
    try {
        frame_ = std::make_unique<CMainFrame>(document_, template_, recentFiles_, documentCommands_, *this);
    } catch (const std::exception&) {
        exitCode_ = 1;
        return false;
    }
    dialogs_.SetParent(frame_.get());
    COptionsFile options;
    frame_->ApplyOptions(options.ReadOptions());
    if (std::optional<QRect> geometry = options.ReadWindowGeometry())
        frame_->RestoreWindowGeometry(*geometry);

    if (!OpenArguments(arguments)) {
        exitCode_ = 1;
        return false;
    }
    AfterDocumentChange();
    frame_->show();
    frame_->repaint();
    return true;
}

bool CKiroApp::OpenArguments(const QStringList& arguments)
{
    std::vector<std::string> paths;
    for (const QString& argument : arguments)
        paths.push_back(argument.toStdString());
    if (paths.empty())
        return template_.OnFileNew();
    if (std::none_of(paths.begin(), paths.end(), NamesPictures))
        return template_.OpenDocumentFile(paths.front());
    // As Add would add them, in the background once the window shows.
    if (!template_.OnFileNew())
        return false;
    document_.StartAdding(std::move(paths));
    return true;
}

void CKiroApp::ExitInstance()
{
    recentFiles_.WriteList(profile_);
    profile_.Flush();
    if (frame_)
        COptionsFile().Write(frame_->Options(), frame_->WindowedGeometry());
}

bool CKiroApp::Unregister()
{
    // The settings of this program are the profile and the options file.
    QSettings profile(QSettings::NativeFormat, QSettings::UserScope, CProfile::kCompany, CProfile::kApplication);
    QSettings options(COptionsFile::FileName(), QSettings::IniFormat);
    bool removed = RemoveSettingsFile(profile);
    removed = RemoveSettingsFile(options) && removed;
    ui_.ShowMessage(removed ? kUnregistered : kNotUnregistered);
    return removed;
}

void CKiroApp::AfterDocumentChange()
{
    if (frame_)
        frame_->UpdateTitle();
}

bool CKiroApp::OnCommand(int id)
{
    switch (id) {
    case ID_FILE_NEW: template_.OnFileNew(); break;
    case ID_FILE_OPEN: template_.OnFileOpen(); break;
    case ID_APP_EXIT:
        if (frame_)
            frame_->close();
        break;
    case ID_APP_ABOUT: OnAppAbout(); break;
    default:
        if (id < ID_FILE_MRU_FIRST || id > ID_FILE_MRU_LAST)
            return false;
        template_.OnOpenRecentFile(id - ID_FILE_MRU_FIRST);
        break;
    }
    AfterDocumentChange();
    return true;
}

bool CKiroApp::OnUpdateCommand(CCmdUI& /*ui*/)
{
    return false;
}

void CKiroApp::OnAppAbout()
{
    CAboutBox about(frame_.get());
    about.exec();
}
