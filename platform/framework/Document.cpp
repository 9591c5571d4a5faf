#include "platform/framework/Document.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "platform/framework/FileErrors.h"
#include "platform/framework/FrameworkTexts.h"
#include "platform/framework/FrameworkUi.h"
#include "platform/framework/View.h"
#include "platform/os/CodePage.h"
#include "platform/os/FileContents.h"

CDocument::~CDocument() = default;

std::string CDocument::GetTitle() const
{
    return pathName_.empty() ? texts::kUntitled : os::FileNameOf(pathName_);
}

void CDocument::AddView(CView* view)
{
    if (std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
}

void CDocument::RemoveView(CView* view)
{
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CDocument::UpdateAllViews(CView* sender, long hint)
{
    for (CView* view : views_)
        if (view != sender)
            view->OnUpdate(sender, hint);
}

void CDocument::SendInitialUpdate()
{
    for (CView* view : views_)
        view->OnInitialUpdate();
}

void CDocument::ReportError(const std::string& text)
{
    lastErrorText_ = text;
    if (messageSink_ != nullptr)
        messageSink_->ShowMessage(text);
}

bool CDocument::OnNewDocument()
{
    DeleteContents();
    modified_ = false;
    pathName_.clear();
    lastErrorText_.clear();
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path)
{
    std::vector<uint8_t> bytes;
    int error = 0;
    try {
        error = os::ReadFileContents(path, kMaxFileBytes, bytes);
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
    }
    if (error != 0) {
        ReportError(FileErrorText(error, path));
        return false;
    }
    lastErrorText_.clear();
    return LoadFrom(bytes);
}

bool CDocument::LoadFrom(std::span<const uint8_t> bytes)
{
    DeleteContents();
    modified_ = true;  // dirty while loading: a failure leaves a document that is not the file
    try {
        CArchive archive = CArchive::ForLoading(bytes);
        Serialize(archive);
    } catch (const CArchiveException&) {
        DeleteContents();
        ReportError(texts::kUnexpectedFormat);
        return false;
    }
    modified_ = false;
    return true;
}

bool CDocument::OnSaveDocument(const std::string& path)
{
    int error = 0;
    try {
        CArchive archive = CArchive::ForStoring();
        Serialize(archive);
        error = os::ReplaceFileContents(path, archive.GetStoredBytes());
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
    } catch (const CArchiveException&) {
        error = EINVAL;
    }
    if (error != 0) {
        ReportError(FileErrorText(error, path));
        return false;
    }
    lastErrorText_.clear();
    modified_ = false;
    return true;
}
