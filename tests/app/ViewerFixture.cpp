#include "tests/app/ViewerFixture.h"

#include <QAction>
#include <QFile>
#include <QSettings>
#include <QTest>

#include "app/OptionsFile.h"
#include "tests/support/BmpWriter.h"
#include "views/KiroView.h"

PromptAnswer ScriptedUi::AskYesNoCancel(const std::string& text)
{
    questions.push_back(text);
    if (answers.empty())
        return PromptAnswer::No;
    PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedUi::ChooseFileToOpen(const FileDialogSpec& /*spec*/)
{
    if (paths.empty())
        return std::nullopt;
    std::string path = paths.front();
    paths.pop_front();
    return path;
}

std::optional<std::string> ScriptedUi::ChooseFileToSave(const FileDialogSpec& spec)
{
    return ChooseFileToOpen(spec);
}

void ViewerTest::SetUp()
{
    // Each test starts with no settings, and so with no recently used files
    // and every option at its default.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kCompany, CProfile::kApplication).clear();
    QFile::remove(COptionsFile::FileName());
    app = std::make_unique<CKiroApp>(&ui);
    ASSERT_TRUE(app->InitInstance({}));
    // Shortcuts reach only the active window.
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
}

void ViewerTest::TearDown()
{
    app.reset();
}

std::string ViewerTest::WritePicture(const std::string& name, int width, int height, uint32_t rgb)
{
    return WritePicture(name, width, height, [rgb](int, int) { return rgb; });
}

std::string ViewerTest::WritePicture(const std::string& name, int width, int height,
                                     const std::function<uint32_t(int x, int y)>& rgbAt)
{
    BmpImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = 24;
    std::vector<std::vector<uint32_t>> rows(static_cast<size_t>(height), std::vector<uint32_t>(static_cast<size_t>(width)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[static_cast<size_t>(y)][static_cast<size_t>(x)] = rgbAt(x, y);
    image.pixels = BmpRows(rows, 24);
    return folder.Write(name + ".bmp", WriteBmp(image));
}

void ViewerTest::AddPictures(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
        ASSERT_TRUE(Document().AddEntry(path)) << path;
    Frame().RefreshAllViews();
}

::testing::AssertionResult ViewerTest::ShowFirstPictureFocused(const std::vector<std::string>& paths,
                                                               QSize frameSize)
{
    AddPictures(paths);
    Frame().resize(frameSize);
    Document().SelectPicture(0);
    Frame().PictureView()->setFocus();
    QTest::qWait(10);
    if (Frame().ActiveView() != Frame().PictureView())
        return ::testing::AssertionFailure() << "the picture view is not the active view";
    return ::testing::AssertionSuccess();
}

bool ViewerTest::IsEnabled(int id)
{
    Frame().Router().UpdateAll();
    return Frame().Router().Action(id)->isEnabled();
}

void ViewerTest::Run(int id)
{
    // As a user meets it: the states were refreshed when the event loop last went idle.
    Frame().Router().UpdateAll();
    Frame().Router().Action(id)->trigger();
}
