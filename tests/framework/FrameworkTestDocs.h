#pragma once

#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/framework/Document.h"
#include "platform/framework/FrameworkUi.h"
#include "platform/framework/View.h"

// A document of text lines: a count record, then one record a line.
class CLinesDocument : public CDocument {
public:
    std::vector<std::string> lines;

    void AddLine(const std::string& line)
    {
        lines.push_back(line);
        SetModifiedFlag();
    }
    void DeleteContents() override { lines.clear(); }
    void Serialize(CArchive& archive) override
    {
        if (archive.IsStoring()) {
            archive.WriteString(std::to_string(lines.size()));
            for (const std::string& line : lines)
                archive.WriteString(line);
            return;
        }
        int count = std::atoi(archive.ReadString().c_str());
        for (int i = 0; i < count; ++i)
            lines.push_back(archive.ReadString());
    }
};

// Answers the framework's questions from a script and keeps what it was asked.
class ScriptedUi : public IFrameworkUi {
public:
    std::deque<PromptAnswer> answers;
    std::optional<std::string> fileToOpen;
    std::optional<std::string> fileToSave;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<FileDialogSpec> dialogs;

    PromptAnswer AskYesNoCancel(const std::string& text) override
    {
        questions.push_back(text);
        PromptAnswer answer = answers.empty() ? PromptAnswer::Cancel : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> ChooseFileToOpen(const FileDialogSpec& spec) override
    {
        dialogs.push_back(spec);
        return fileToOpen;
    }
    std::optional<std::string> ChooseFileToSave(const FileDialogSpec& spec) override
    {
        dialogs.push_back(spec);
        return fileToSave;
    }
};

// Counts what the document tells its views.
class CountingView : public CView {
public:
    int initialUpdates = 0;
    int updates = 0;
    void OnInitialUpdate() override { ++initialUpdates; }
    void OnUpdate(CView* /*sender*/, long /*hint*/) override { ++updates; }
};
