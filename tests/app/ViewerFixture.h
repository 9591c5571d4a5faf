#pragma once

#include <gtest/gtest.h>

#include <QSize>

#include <deque>
#include <functional>
#include <memory>
#include <ostream>

#include "app/KiroApp.h"
#include "app/MainFrame.h"
#include "platform/framework/FrameworkUi.h"
#include "tests/support/TempFolder.h"

// Qt's strings in test messages as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Answers the document commands' questions from a script, and records the messages.
class ScriptedUi : public IFrameworkUi {
public:
    PromptAnswer AskYesNoCancel(const std::string& text) override;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> ChooseFileToOpen(const FileDialogSpec& spec) override;
    std::optional<std::string> ChooseFileToSave(const FileDialogSpec& spec) override;

    std::deque<PromptAnswer> answers;
    std::deque<std::string> paths;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
};

// A running viewer with no collection file, and pictures written to a temporary folder.
class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A w x h 24-bit picture whose every pixel is `rgb`, written as NAME.bmp.
    std::string WritePicture(const std::string& name, int width, int height, uint32_t rgb);
    // The same with the colour of each pixel (x, y, counted from the top) as 0xRRGGBB.
    std::string WritePicture(const std::string& name, int width, int height,
                             const std::function<uint32_t(int x, int y)>& rgbAt);
    // Adds pictures to the collection and refreshes the views.
    void AddPictures(const std::vector<std::string>& paths);
    // Adds the pictures, sizes the frame, shows the first picture and gives
    // the picture view the focus; fails unless that view becomes the active one.
    ::testing::AssertionResult ShowFirstPictureFocused(const std::vector<std::string>& paths,
                                                       QSize frameSize = {700, 600});
    // Enable and check states as the idle-time update leaves them.
    bool IsEnabled(int id);
    void Run(int id);

    CMainFrame& Frame() { return *app->MainFrame(); }
    CKiroDoc& Document() { return app->Document(); }

    TempFolder folder;
    ScriptedUi ui;
    std::unique_ptr<CKiroApp> app;
};
