#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QFile>
#include <QSettings>
#include <QTest>

#include "app/OptionsFile.h"
#include "app/CommandLine.h"
#include "resources/CommandIds.h"
#include "tests/app/ViewerFixture.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/KirWriter.h"

namespace {

QString SettingsFile()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kCompany, CProfile::kApplication)
        .fileName();
}

// A collection file holding `paths`.
std::vector<uint8_t> Collection(const std::vector<std::string>& paths)
{
    ByteWriter kir;
    AddRecord(kir, std::to_string(paths.size()) + "\r\n");
    for (const std::string& path : paths)
        AddRecord(kir, path + "\r\n");
    return kir.Take();
}

std::vector<std::string> EntryPaths(const CKiroDoc& document)
{
    std::vector<std::string> paths;
    for (const ImageEntry& entry : document.GetEntries())
        paths.push_back(entry.path);
    return paths;
}

}  // namespace

TEST(KiroApp, OpensTheCollectionNamedOnTheCommandLine)
{
    TempFolder folder;
    ScriptedUi ui;
    {
        CKiroApp first(&ui);
        ASSERT_TRUE(first.InitInstance({}));
        ui.paths.push_back(folder.Path() + "/start.kir");
        first.MainFrame()->Router().UpdateAll();
        first.MainFrame()->Router().Action(ID_FILE_SAVE_AS)->trigger();
        first.ExitInstance();
    }
    CKiroApp app(&ui);
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(folder.Path() + "/start.kir")}));
    EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("start.kir - Lumo?"));
    EXPECT_EQ(app.RecentFiles().GetEntries().front(), folder.Path() + "/start.kir");
}

TEST(KiroApp, EndsWhenTheCommandLinesCollectionCannotBeOpened)
{
    ScriptedUi ui;
    CKiroApp app(&ui);
    EXPECT_FALSE(app.InitInstance({QStringLiteral("/nowhere/missing.kir")}));
    EXPECT_NE(app.ExitCode(), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("/nowhere/missing.kir"), std::string::npos);
}

TEST_F(ViewerTest, QtsOwnDialogsSpeakJapanese)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Lumo?"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, &Frame());
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
    QFileDialog dialog(&Frame());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(), QStringLiteral("アドレス:"));
}

// As Add and Add from folder would add them, once the window shows; a
// collection among pictures is a file that is no picture, and is left out.
TEST(KiroApp, PicturesAndFoldersOnTheCommandLineStartAnUntitledCollection)
{
    TempFolder folder;
    std::string first = folder.Write("z-first.bmp", SceneBmp(8, 6, 24));
    std::string inFolder = folder.Write("pictures/a.bmp", SceneBmp(8, 6, 8));
    folder.Write("pictures/notes.txt", "no picture");
    std::string below = folder.Write("pictures/sub/b.bmp", SceneBmp(5, 9, 24));
    std::string collection = folder.Write("list.kir", Collection({first}));
    std::string last = folder.Write("last.bmp", SceneBmp(3, 3, 24));
    ScriptedUi ui;
    CKiroApp app(&ui);
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(first), QString::fromStdString(folder.Path() + "/pictures"),
                                  QString::fromStdString(collection), QString::fromStdString(last)}));
    EXPECT_EQ(app.Document().GetEntryCount(), 0);
    app.Document().FinishLoading();
    EXPECT_EQ(EntryPaths(app.Document()), (std::vector<std::string> {first, inFolder, below, last}));
    EXPECT_EQ(app.Document().GetPathName(), "");
    EXPECT_TRUE(app.Document().IsModified());
    EXPECT_TRUE(ui.messages.empty());
}

// Whatever its name; but a file named .kir is a collection even when it holds a picture.
TEST(KiroApp, AnArgumentThatIsNoPictureOpensAsACollection)
{
    TempFolder folder;
    std::string picture = folder.Write("a.bmp", SceneBmp(8, 6, 24));
    std::string collection = folder.Write("list.dat", Collection({picture}));
    ScriptedUi ui;
    {
        CKiroApp app(&ui);
        ASSERT_TRUE(app.InitInstance({QString::fromStdString(collection)}));
        app.Document().FinishLoading();
        EXPECT_EQ(app.Document().GetPathName(), collection);
        EXPECT_EQ(EntryPaths(app.Document()), std::vector<std::string> {picture});
        EXPECT_FALSE(app.Document().IsModified());
    }
    std::string namedAsCollection = folder.Write("photo.kir", SceneBmp(8, 6, 24));
    CKiroApp app(&ui);
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(namedAsCollection)}));
    app.Document().FinishLoading();
    EXPECT_EQ(app.Document().GetPathName(), namedAsCollection);
    EXPECT_EQ(app.Document().GetEntryCount(), 0);
}

TEST(KiroApp, AnswersHelpAndVersion)
{
    auto asked = [](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "lumo");
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        return InformationAsked(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_EQ(asked({"--help"}).value_or("").rfind("usage: lumo [COLLECTION]\n", 0), 0u);
    EXPECT_EQ(asked({"a.png", "--version"}), "lumo " + std::string(LUMO_VERSION) + "\n");
    EXPECT_EQ(asked({"a.png", "list.kir"}), std::nullopt);
}

TEST(KiroApp, UnregisterRemovesTheSettings)
{
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kCompany, CProfile::kApplication);
        settings.setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("/x.kir"));
    }
    COptionsFile().Write({}, {0, 0, 400, 300});
    ASSERT_TRUE(QFile::exists(SettingsFile()));
    for (QString argument : {QStringLiteral("/Unregister"), QStringLiteral("-Unregister"), QStringLiteral("/unregserver")}) {
        ScriptedUi ui;
        CKiroApp app(&ui);
        EXPECT_FALSE(app.InitInstance({argument}));
        EXPECT_EQ(app.ExitCode(), 0);
        EXPECT_FALSE(QFile::exists(SettingsFile()));
        EXPECT_FALSE(QFile::exists(COptionsFile::FileName()));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].rfind("ｼｽﾃﾑ ﾚｼﾞｽﾄﾘ ｴﾝﾄﾘは削除されています。", 0), 0u);
    }
}

TEST_F(ViewerTest, AsksBeforeClosingWithUnsavedChanges)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000)});
    ui.answers.push_back(PromptAnswer::Cancel);
    EXPECT_FALSE(Frame().close());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "無題 への変更を保存しますか?");
    ui.answers.push_back(PromptAnswer::No);
    EXPECT_TRUE(Frame().close());
}

TEST_F(ViewerTest, ReopensFromTheRecentlyUsedList)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000)});
    std::string first = folder.Path() + "/first.kir";
    std::string second = folder.Path() + "/second.kir";
    ui.paths.push_back(first);
    Run(ID_FILE_SAVE_AS);
    ui.paths.push_back(second);
    Run(ID_FILE_SAVE_AS);
    EXPECT_EQ(app->RecentFiles().GetEntries(), (std::vector<std::string> {second, first}));
    Run(ID_FILE_NEW);
    EXPECT_EQ(Document().GetEntryCount(), 0);
    Run(ID_FILE_MRU_FIRST + 1);
    Document().FinishLoading();
    EXPECT_EQ(Document().GetPathName(), first);
    EXPECT_EQ(Document().GetEntryCount(), 1);
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("first.kir - Lumo?"));
    EXPECT_EQ(app->RecentFiles().GetEntries().front(), first);
}

TEST_F(ViewerTest, OptionsAndTheWindowsPlaceOutliveTheProgram)
{
    ui.paths.push_back(folder.Path() + "/kept.kir");
    Run(ID_FILE_SAVE_AS);
    struct Case {
        ViewerOptions options;
        QRect geometry;
        QPoint restoredAt;
    };
    QPoint defaultPlace = Frame().geometry().topLeft();
    // A place on no screen is not taken back; the size is.
    for (const Case& test : {Case {{true, false, true, 5}, {40, 50, 500, 400}, {40, 50}},
                             Case {{false, true, false, 10}, {5000, 5000, 450, 350}, defaultPlace}}) {
        Frame().ApplyOptions(test.options);
        Frame().setGeometry(test.geometry);
        app->ExitInstance();
        app = std::make_unique<CKiroApp>(&ui);
        ASSERT_TRUE(app->InitInstance({}));

        const ViewerOptions& options = Frame().Options();
        EXPECT_EQ(options.fitOnOpen, test.options.fitOnOpen);
        EXPECT_EQ(options.smoothReduction, test.options.smoothReduction);
        EXPECT_EQ(options.alphaCheckerboard, test.options.alphaCheckerboard);
        EXPECT_EQ(options.slideShowSeconds, test.options.slideShowSeconds);
        EXPECT_EQ(Frame().SlideShow().GetInterval(), test.options.slideShowSeconds * 1000);
        EXPECT_EQ(Frame().size(), test.geometry.size());
        EXPECT_EQ(Frame().geometry().topLeft(), test.restoredAt);
    }

    // The profile keeps the recently used list and nothing else.
    QSettings profile(QSettings::NativeFormat, QSettings::UserScope, CProfile::kCompany, CProfile::kApplication);
    EXPECT_EQ(profile.childGroups(), QStringList {QStringLiteral("Recent File List")});
    EXPECT_TRUE(profile.childKeys().isEmpty());
    EXPECT_NE(COptionsFile::FileName(), profile.fileName());
    EXPECT_TRUE(QFile::exists(COptionsFile::FileName()));
}
