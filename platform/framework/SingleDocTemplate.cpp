#include "platform/framework/SingleDocTemplate.h"

#include "platform/framework/Document.h"
#include "platform/framework/FrameworkTexts.h"
#include "platform/framework/FullPath.h"
#include "platform/framework/ProfileStore.h"
#include "platform/framework/RecentFileList.h"

CSingleDocTemplate::CSingleDocTemplate(CDocument& document, IFrameworkUi& ui, CRecentFileList& recentFiles,
                                       IProfileStore* profile, DocumentTemplateStrings strings)
    : document_(document), ui_(ui), recentFiles_(recentFiles), profile_(profile), strings_(std::move(strings))
{
    document_.SetMessageSink(&ui_);
}

bool CSingleDocTemplate::OnFileNew()
{
    if (!SaveModified())
        return false;
    if (!document_.OnNewDocument())
        return false;
    document_.SendInitialUpdate();
    return true;
}

bool CSingleDocTemplate::OnFileOpen()
{
    std::optional<std::string> path = ui_.ChooseFileToOpen(DialogSpec(texts::kOpenTitle, ""));
    return path && OpenDocumentFile(*path);
}

bool CSingleDocTemplate::OpenDocumentFile(const std::string& path)
{
    return SaveModified() && LoadFile(path);
}

bool CSingleDocTemplate::OnOpenRecentFile(int index)
{
    const auto& entries = recentFiles_.GetEntries();
    if (index < 0 || index >= static_cast<int>(entries.size()))
        return false;
    std::string path = entries[static_cast<size_t>(index)];
    if (!SaveModified())
        return false;
    if (LoadFile(path))
        return true;
    recentFiles_.Remove(index);
    if (profile_ != nullptr)
        recentFiles_.WriteList(*profile_);
    return false;
}

bool CSingleDocTemplate::LoadFile(const std::string& path)
{
    std::string fullPath = FullPath(path);
    bool wasModified = document_.IsModified();
    document_.SetModifiedFlag(false);
    if (document_.OnOpenDocument(fullPath)) {
        document_.SetPathName(fullPath);
        Remember(fullPath);
        document_.SendInitialUpdate();
        return true;
    }
    if (!document_.IsModified()) {
        // The file could not be read: the document is as it was.
        document_.SetModifiedFlag(wasModified);
    } else {
        // The file was damaged and the document emptied: start an untitled one.
        document_.OnNewDocument();
        document_.SendInitialUpdate();
    }
    return false;
}

bool CSingleDocTemplate::OnFileSave()
{
    return DoSave(document_.GetPathName());
}

bool CSingleDocTemplate::OnFileSaveAs()
{
    return DoSave("");
}

bool CSingleDocTemplate::DoSave(const std::string& path)
{
    std::string target = path;
    if (target.empty()) {
        std::optional<std::string> chosen =
            ui_.ChooseFileToSave(DialogSpec(texts::kSaveAsTitle, document_.GetPathName()));
        if (!chosen || chosen->empty())
            return false;
        target = FullPath(*chosen);
    }
    if (!document_.OnSaveDocument(target))
        return false;
    document_.SetPathName(target);
    Remember(target);
    return true;
}

bool CSingleDocTemplate::SaveModified()
{
    if (!document_.IsModified())
        return true;
    // The question, and the save it may lead to, are about the document as it stands.
    document_.StopBackgroundWork();
    switch (ui_.AskYesNoCancel(texts::Format1(texts::kAskToSave, document_.GetTitle()))) {
    case PromptAnswer::Yes:
        return OnFileSave();
    case PromptAnswer::No:
        return true;
    case PromptAnswer::Cancel:
        break;
    }
    return false;
}

std::string CSingleDocTemplate::GetWindowTitle() const
{
    return document_.GetTitle() + " - " + strings_.windowTitle;
}

FileDialogSpec CSingleDocTemplate::DialogSpec(const char* title, const std::string& initialPath) const
{
    return {title,
            {{strings_.filterName, strings_.filterPattern}, {texts::kAllFilesName, texts::kAllFilesPattern}},
            strings_.extension,
            initialPath};
}

void CSingleDocTemplate::Remember(const std::string& path)
{
    recentFiles_.Add(path);
    if (profile_ != nullptr)
        recentFiles_.WriteList(*profile_);
}
