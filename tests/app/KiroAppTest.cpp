#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QFile>
#include <QSettings>
#include <QTest>

#include "resources/CommandIds.h"
#include "tests/app/ViewerFixture.h"

namespace {

QString SettingsFile()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kCompany, CProfile::kApplication)
        .fileName();
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

TEST(KiroApp, UnregisterRemovesTheSettings)
{
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kCompany, CProfile::kApplication);
        settings.setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("/x.kir"));
    }
    ASSERT_TRUE(QFile::exists(SettingsFile()));
    for (QString argument : {QStringLiteral("/Unregister"), QStringLiteral("-Unregister"), QStringLiteral("/unregserver")}) {
        ScriptedUi ui;
        CKiroApp app(&ui);
        EXPECT_FALSE(app.InitInstance({argument}));
        EXPECT_EQ(app.ExitCode(), 0);
        EXPECT_FALSE(QFile::exists(SettingsFile()));
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
