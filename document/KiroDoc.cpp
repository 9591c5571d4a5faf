#include "document/KiroDoc.h"

#include <climits>
#include <cstdint>

#include "document/FolderWalk.h"
#include "document/Thumbnail.h"
#include "picture/decoding/PictureDecoder.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "platform/framework/FullPath.h"
#include "platform/os/CodePage.h"

namespace {

constexpr const char* kRecordEnd = "\r\n";

// Brackets a load with the frame's progress display, when there is a frame.
class ProgressScope {
public:
    explicit ProgressScope(IProgressFrame* frame) : frame_(frame)
    {
        if (frame_ != nullptr)
            frame_->BeginProgress();
    }
    ~ProgressScope()
    {
        if (frame_ != nullptr)
            frame_->EndProgress();
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void SetTotal(int total)
    {
        if (frame_ != nullptr)
            frame_->SetProgressTotal(total);
    }
    void Step()
    {
        if (frame_ != nullptr)
            frame_->StepProgress();
    }

private:
    IProgressFrame* frame_;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A record without its last two characters, whatever they are.
std::string WithoutRecordEnd(std::string record)
{
    record.resize(record.size() >= 2 ? record.size() - 2 : 0);
    return record;
}

}  // namespace

int ParseEntryCount(const std::string& record)
{
    size_t i = 0;
    while (i < record.size() && IsSpace(record[i]))
        ++i;
    bool negative = false;
    if (i < record.size() && (record[i] == '+' || record[i] == '-'))
        negative = record[i++] == '-';
    int64_t value = 0;
    for (; i < record.size() && record[i] >= '0' && record[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (record[i] - '0'), int64_t {INT_MAX} + 1);
    value = negative ? -value : std::min<int64_t>(value, INT_MAX);
    return static_cast<int>(value);
}

CKiroDoc::CKiroDoc(CPictureDecoder& decoder) : decoder_(decoder) {}

CKiroDoc::~CKiroDoc() = default;

bool CKiroDoc::LoadPicture(const std::string& path, CDisplayBitmap& picture)
{
    try {
        decoder_.DecodeFile(path.c_str(), picture, 0, this);
    } catch (const CTextException&) {
        return false;
    }
    picture.SetBlank(false);
    return true;
}

bool CKiroDoc::BuildThumbnail(ImageEntry& entry)
{
    entry.thumbnail = MakeFileThumbnail(decoder_, entry.path);
    return entry.thumbnail != nullptr;
}

bool CKiroDoc::AddEntry(const std::string& path)
{
    std::string fullPath = FullPath(path);
    ImageEntry entry {fullPath, os::FileNameOf(fullPath), nullptr};
    if (!BuildThumbnail(entry))
        return false;
    entries_.push_back(std::move(entry));
    SetModifiedFlag();
    return true;
}

void CKiroDoc::SelectPicture(int index)
{
    if (index == currentIndex_ || index < 0 || index >= GetEntryCount())
        return;
    currentPicture_ = std::make_unique<CDisplayBitmap>();
    LoadPicture(entries_[static_cast<size_t>(index)].path, *currentPicture_);
    currentIndex_ = index;
    if (thumbnailView_ != nullptr)
        thumbnailView_->SelectItem(index);
    if (pictureView_ != nullptr)
        pictureView_->ShowActualSize();
}

void CKiroDoc::RemoveAll()
{
    DeleteContents();
    currentPicture_ = std::make_unique<CDisplayBitmap>();
}

bool CKiroDoc::RemoveCurrentEntry()
{
    if (currentIndex_ < 0 || currentIndex_ >= GetEntryCount())
        return false;
    entries_.erase(entries_.begin() + currentIndex_);
    currentIndex_ = -1;
    currentPicture_ = std::make_unique<CDisplayBitmap>();
    SetModifiedFlag();
    return true;
}

int CKiroDoc::CountFolderFiles(const std::string& folder, bool recursive) const
{
    int count = 0;
    WalkFolder(folder, recursive, [&count](const std::string&) { ++count; });
    return count;
}

bool CKiroDoc::AddFolder(IProgressFrame* frame, const std::string& folder, bool recursive)
{
    WalkFolder(folder, recursive, [this, frame](const std::string& path) {
        AddEntry(path);
        if (frame != nullptr)
            frame->StepProgress();
    });
    return true;
}

std::string CKiroDoc::GetImageInfoText() const
{
    if (!currentPicture_)
        return "";
    return FormatText(" %d x %d; %d bpp; %d kb", currentPicture_->GetWidth(), currentPicture_->GetHeight(),
                      currentPicture_->GetBitsPerPixel(), static_cast<int>(currentPicture_->GetMemorySize() / 1024));
}

void CKiroDoc::DeleteContents()
{
    currentIndex_ = -1;
    entries_.clear();
    entries_.shrink_to_fit();
    currentPicture_.reset();
}

bool CKiroDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return false;
    currentPicture_ = std::make_unique<CDisplayBitmap>();
    return true;
}

bool CKiroDoc::OnOpenDocument(const std::string& path)
{
    bool opened = CDocument::OnOpenDocument(path);
    // A file that could not be read left the collection, its current entry
    // and picture as they were; one that was read emptied them.
    if (!currentPicture_)
        currentPicture_ = std::make_unique<CDisplayBitmap>();
    return opened;
}

void CKiroDoc::Serialize(CArchive& archive)
{
    if (archive.IsStoring())
        StoreEntries(archive);
    else
        LoadEntries(archive);
}

void CKiroDoc::StoreEntries(CArchive& archive) const
{
    archive.WriteString(FormatText("%d%s", GetEntryCount(), kRecordEnd));
    for (const ImageEntry& entry : entries_)
        archive.WriteString(entry.path + kRecordEnd);
}

void CKiroDoc::LoadEntries(CArchive& archive)
{
    ProgressScope progress(mainFrame_);
    int count = ParseEntryCount(archive.ReadString());
    // Every record takes at least one byte: a count beyond that cannot be met.
    if (count > 0 && static_cast<uint64_t>(count) > archive.GetRemaining())
        throw CArchiveException("the count promises more records than the file holds");
    progress.SetTotal(count);
    for (int i = 0; i < count; ++i) {
        AddEntry(WithoutRecordEnd(archive.ReadString()));
        progress.Step();
    }
}
