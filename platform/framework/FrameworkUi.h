#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class PromptAnswer { Yes, No, Cancel };

// What a file dialog shows: its title, the filter rows (name, patterns
// separated by ';'), the extension a typed name without one gets, and the
// file it starts at.
struct FileDialogSpec {
    std::string title;
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultExtension;  // without the dot
    std::string initialPath;
};

// The questions and messages of the document commands. The application
// answers them with dialogs and message boxes; tests answer them directly.
class IFrameworkUi {
public:
    virtual ~IFrameworkUi() = default;
    virtual PromptAnswer AskYesNoCancel(const std::string& text) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> ChooseFileToOpen(const FileDialogSpec& spec) = 0;
    virtual std::optional<std::string> ChooseFileToSave(const FileDialogSpec& spec) = 0;
};
