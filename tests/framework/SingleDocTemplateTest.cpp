#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/framework/FileErrors.h"
#include "platform/framework/FullPath.h"
#include "platform/framework/Profile.h"
#include "platform/framework/QtFrameworkUi.h"
#include "platform/framework/RecentFileList.h"
#include "platform/framework/SingleDocTemplate.h"
#include "tests/framework/FrameworkTestDocs.h"
#include "tests/support/TempFolder.h"

namespace {

class SingleDocTemplateTest : public testing::Test {
protected:
    SingleDocTemplateTest() : docTemplate(document, ui, recentFiles, nullptr) { document.AddView(&view); }

    // A saved document of these lines.
    std::string WriteLines(const std::string& name, const std::vector<std::string>& lines)
    {
        CLinesDocument other;
        other.lines = lines;
        std::string path = folder.Path() + "/" + name;
        EXPECT_TRUE(other.OnSaveDocument(path));
        return path;
    }

    TempFolder folder;
    CLinesDocument document;
    ScriptedUi ui;
    CRecentFileList recentFiles;
    CSingleDocTemplate docTemplate;
    CountingView view;
};

}  // namespace

TEST_F(SingleDocTemplateTest, NewAsksToSaveOnlyAModifiedDocument)
{
    EXPECT_TRUE(docTemplate.OnFileNew());
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(view.initialUpdates, 1);
    EXPECT_EQ(docTemplate.GetWindowTitle(), "無題 - Lumo?");

    document.AddLine("kept");
    ui.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(docTemplate.OnFileNew());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "無題 への変更を保存しますか?");
    EXPECT_EQ(document.lines.size(), 1u);
    EXPECT_TRUE(document.IsModified());

    ui.answers = {PromptAnswer::No};
    EXPECT_TRUE(docTemplate.OnFileNew());
    EXPECT_TRUE(document.lines.empty());
    EXPECT_FALSE(document.IsModified());
}

TEST_F(SingleDocTemplateTest, YesSavesAnUntitledDocumentUnderTheChosenName)
{
    document.AddLine("first");
    ui.answers = {PromptAnswer::Yes};
    ui.fileToSave = folder.Path() + "/saved.kir";
    EXPECT_TRUE(docTemplate.OnFileNew());
    ASSERT_EQ(ui.dialogs.size(), 1u);
    const FileDialogSpec& spec = ui.dialogs[0];
    EXPECT_EQ(spec.title, "名前を付けて保存");
    ASSERT_EQ(spec.filters.size(), 2u);
    EXPECT_EQ(spec.filters[0], std::make_pair(std::string("Lumo?(*.kir)"), std::string("*.kir")));
    EXPECT_EQ(spec.filters[1], std::make_pair(std::string("すべてのﾌｧｲﾙ (*.*)"), std::string("*.*")));
    EXPECT_EQ(spec.defaultExtension, "kir");
    EXPECT_EQ(recentFiles.GetEntries(), std::vector<std::string> {*ui.fileToSave});

    CLinesDocument reread;
    EXPECT_TRUE(reread.OnOpenDocument(*ui.fileToSave));
    EXPECT_EQ(reread.lines, std::vector<std::string> {"first"});

    // Cancelling the name dialog cancels the New.
    document.AddLine("second");
    ui.answers = {PromptAnswer::Yes};
    ui.fileToSave.reset();
    EXPECT_FALSE(docTemplate.OnFileNew());
    EXPECT_EQ(document.lines.size(), 1u);
}

TEST_F(SingleDocTemplateTest, OpenLoadsTheFileAndRemembersIt)
{
    std::string path = WriteLines("three.kir", {"a", "b", "c"});
    ui.fileToOpen = path;
    EXPECT_TRUE(docTemplate.OnFileOpen());
    EXPECT_EQ(ui.dialogs.back().title, "開く");
    EXPECT_EQ(document.lines, (std::vector<std::string> {"a", "b", "c"}));
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(document.GetPathName(), path);
    EXPECT_EQ(docTemplate.GetWindowTitle(), "three.kir - Lumo?");
    EXPECT_EQ(recentFiles.GetEntries().front(), path);
    EXPECT_EQ(view.initialUpdates, 1);

    ui.fileToOpen.reset();
    EXPECT_FALSE(docTemplate.OnFileOpen());
    EXPECT_EQ(document.lines.size(), 3u);
}

TEST_F(SingleDocTemplateTest, AFileThatCannotBeReadLeavesTheDocumentAsItWas)
{
    document.AddLine("mine");
    ui.answers = {PromptAnswer::No};
    std::string missing = folder.Path() + "/missing.kir";
    EXPECT_FALSE(docTemplate.OpenDocumentFile(missing));
    EXPECT_EQ(ui.messages, std::vector<std::string> {missing + " が見つかりませんでした。"});
    EXPECT_EQ(document.lines, std::vector<std::string> {"mine"});
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(recentFiles.GetEntries().empty());

    ui.answers = {PromptAnswer::No};
    EXPECT_FALSE(docTemplate.OpenDocumentFile(folder.Path()));
    EXPECT_EQ(ui.messages.back(), folder.Path() + " へのｱｸｾｽは拒否されました。");
}

TEST_F(SingleDocTemplateTest, ADamagedFileLeavesAnEmptyUntitledDocument)
{
    std::string good = WriteLines("good.kir", {"x"});
    ASSERT_TRUE(docTemplate.OpenDocumentFile(good));
    // The count promises two lines; the file holds one.
    std::string damaged = folder.Write("damaged.kir", std::string("\x01" "2" "\x01" "y", 4));
    EXPECT_FALSE(docTemplate.OpenDocumentFile(damaged));
    EXPECT_EQ(ui.messages, std::vector<std::string> {"予期しないﾌｧｲﾙ形式です。"});
    EXPECT_TRUE(document.lines.empty());
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(document.GetTitle(), "無題");
    EXPECT_EQ(recentFiles.GetEntries(), std::vector<std::string> {good});
}

TEST_F(SingleDocTemplateTest, SaveWritesInPlaceAndAFailureKeepsTheDocumentModified)
{
    std::string path = WriteLines("doc.kir", {"old"});
    ASSERT_TRUE(docTemplate.OpenDocumentFile(path));
    document.AddLine("new");
    EXPECT_TRUE(docTemplate.OnFileSave());
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_FALSE(document.IsModified());

    // Save As into a folder that does not exist.
    document.AddLine("newer");
    ui.fileToSave = folder.Path() + "/gone/doc.kir";
    EXPECT_FALSE(docTemplate.OnFileSaveAs());
    EXPECT_EQ(ui.messages, std::vector<std::string> {*ui.fileToSave + " が見つかりませんでした。"});
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.GetPathName(), path);
    EXPECT_EQ(document.GetLastErrorText(), ui.messages.back());

    ui.fileToSave = folder.Path() + "/other.kir";
    EXPECT_TRUE(docTemplate.OnFileSaveAs());
    EXPECT_EQ(document.GetPathName(), *ui.fileToSave);
    EXPECT_EQ(recentFiles.GetEntries().front(), *ui.fileToSave);
    EXPECT_TRUE(document.GetLastErrorText().empty());
}

TEST_F(SingleDocTemplateTest, ARecentFileThatCannotBeOpenedLeavesTheList)
{
    std::string kept = WriteLines("kept.kir", {"k"});
    std::string lost = WriteLines("lost.kir", {"l"});
    ASSERT_TRUE(docTemplate.OpenDocumentFile(kept));
    ASSERT_TRUE(docTemplate.OpenDocumentFile(lost));
    std::filesystem::remove(lost);

    // Cancelling the save question is no failure of the file.
    document.AddLine("unsaved");
    ui.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(docTemplate.OnOpenRecentFile(0));
    EXPECT_EQ(recentFiles.GetEntries().size(), 2u);

    ui.answers = {PromptAnswer::No};
    EXPECT_FALSE(docTemplate.OnOpenRecentFile(0));
    EXPECT_EQ(recentFiles.GetEntries(), std::vector<std::string> {kept});
    EXPECT_TRUE(document.IsModified());  // the unreadable file replaced nothing
    ui.answers = {PromptAnswer::No};
    EXPECT_TRUE(docTemplate.OnOpenRecentFile(0));
    EXPECT_EQ(document.lines, std::vector<std::string> {"k"});
    EXPECT_FALSE(docTemplate.OnOpenRecentFile(5));
}

TEST(RecentFileList, KeepsTenMostRecentFirstInTheProfile)
{
    CRecentFileList list;
    for (int i = 0; i < 12; ++i)
        list.Add("/c/" + std::to_string(i) + ".kir");
    list.Add("/c/5.kir");
    ASSERT_EQ(list.GetEntries().size(), 10u);
    EXPECT_EQ(list.GetEntries()[0], "/c/5.kir");
    EXPECT_EQ(list.GetEntries()[1], "/c/11.kir");
    EXPECT_EQ(list.GetEntries()[9], "/c/2.kir");

    CProfile profile;
    list.WriteList(profile);
    EXPECT_EQ(profile.GetString("Recent File List", "File1"), "/c/5.kir");
    EXPECT_EQ(profile.GetString("Recent File List", "File10"), "/c/2.kir");
    EXPECT_FALSE(profile.GetString("Recent File List", "File11"));
    // The settings live in the user's configuration folder, under the company and the title.
    std::string store = std::string(std::getenv("XDG_CONFIG_HOME")) + "/QX-Studio/Lumo?.conf";
    EXPECT_TRUE(std::filesystem::exists(store)) << store;

    CRecentFileList reread;
    reread.ReadList(profile);
    EXPECT_EQ(reread.GetEntries(), list.GetEntries());

    // A shorter list leaves no stale entries behind.
    CRecentFileList shorter;
    shorter.Add("/c/only.kir");
    shorter.WriteList(profile);
    reread.ReadList(profile);
    EXPECT_EQ(reread.GetEntries(), std::vector<std::string> {"/c/only.kir"});
}

TEST(FileErrors, TextsFollowTheCauseAndNameTheFile)
{
    EXPECT_EQ(FileErrorText(ENOENT, "a.kir"), "a.kir が見つかりませんでした。");
    for (int error : {EACCES, EPERM, EROFS})
        EXPECT_EQ(FileErrorText(error, "a.kir"), "a.kir へのｱｸｾｽは拒否されました。");
    for (int error : {ENOSPC, EDQUOT})
        EXPECT_EQ(FileErrorText(error, "a.kir"), "a.kir へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
    for (int error : {EBUSY, ETXTBSY})
        EXPECT_EQ(FileErrorText(error, "a.kir"), "a.kir へのｱｸｾｽ中に共有違反が発生しました。");
    EXPECT_EQ(FileErrorText(EIO, "a.kir"), "a.kir へのｱｸｾｽ中に予期しないｴﾗｰが発生しました。");
}

TEST(Document, TitleViewsAndTheSaveQuestionUseTheFileName)
{
    CLinesDocument document;
    EXPECT_EQ(document.GetTitle(), "無題");
    document.SetPathName("/home/u/pictures/holiday.kir");
    EXPECT_EQ(document.GetTitle(), "holiday.kir");

    CountingView first;
    CountingView second;
    document.AddView(&first);
    document.AddView(&second);
    document.AddView(&second);
    document.UpdateAllViews(&first);
    EXPECT_EQ(first.updates, 0);
    EXPECT_EQ(second.updates, 1);
    document.RemoveView(&second);
    document.UpdateAllViews(nullptr);
    EXPECT_EQ(first.updates, 1);
    EXPECT_EQ(second.updates, 1);
}

TEST(QtFrameworkUi, FilterRowsBecomeQtNameFilters)
{
    EXPECT_EQ(QtNameFilter("BMPﾌｧｲﾙ", "*.bmp;*.dib;*.rle"), QString::fromUtf8("BMPﾌｧｲﾙ (*.bmp *.dib *.rle)"));
    // The name stays whole, whatever brackets it holds; "*.*" is every file.
    EXPECT_EQ(QtNameFilter("Lumo?(*.kir)", "*.kir"), QString("Lumo?(*.kir) (*.kir)"));
    EXPECT_EQ(QtNameFilter("すべてのﾌｧｲﾙ (*.*)", "*.*"), QString::fromUtf8("すべてのﾌｧｲﾙ (*.*) (*)"));
}

TEST(FullPath, TakesRelativePathsAgainstTheCurrentFolder)
{
    std::string here = std::filesystem::current_path().string();
    const std::pair<std::string, std::string> cases[] = {
        {"a.kir", here + "/a.kir"},
        {"./sub/a.kir", here + "/sub/a.kir"},
        {"/x/./y//a.kir", "/x/y/a.kir"},
        {"/x/link/../a.kir", "/x/link/../a.kir"},  // a link's parent is not "/x"
        {"", ""},
    };
    for (const auto& [path, full] : cases)
        EXPECT_EQ(FullPath(path), full) << path;
}
