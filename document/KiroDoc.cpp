#include "document/KiroDoc.h"

#include <chrono>
#include <climits>
#include <cstdint>
#include <utility>

#include "document/FolderWalk.h"
#include "document/Thumbnail.h"
#include "document/ThumbnailStore.h"
#include "picture/decoding/PictureDecoder.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "platform/framework/FullPath.h"
#include "platform/os/CodePage.h"
#include "platform/os/FolderListing.h"

namespace {

constexpr const char* kRecordEnd = "\r\n";

// One wake-up takes finished entries in chunks, up to this many or for up to
// this long, so the interface thread answers events between batches.
constexpr size_t kTakeChunk = 16;
constexpr size_t kTakeMost = 64;
constexpr std::chrono::milliseconds kTakeTime {10};

// The progress display of a document without a frame.
class CNoProgress : public IProgressFrame {
public:
    void BeginProgress() override {}
    void SetProgressTotal(int) override {}
    void StepProgress() override {}
    void EndProgress() override {}
};

CNoProgress noProgress;

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

// The paths of the records that follow the count record, made absolute.
std::vector<std::string> ReadEntryPaths(CArchive& archive, int count)
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(FullPath(WithoutRecordEnd(archive.ReadString())));
    return paths;
}

// Offers the files named and the files below the folders named, in order.
CThumbnailLoader::Feed AddedFiles(std::vector<std::string> paths)
{
    return [paths = std::move(paths)](const CThumbnailLoader::Offer& offer) {
        for (const std::string& path : paths) {
            std::string fullPath = FullPath(path);
            if (!(os::IdentifyFolder(fullPath) ? WalkFolder(fullPath, true, offer) : offer(fullPath)))
                return;
        }
    };
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

CKiroDoc::~CKiroDoc()
{
    StopLoading();
}

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
    ImageEntry entry {fullPath, "", nullptr};
    if (!BuildThumbnail(entry))
        return false;
    AppendEntry(fullPath, std::move(entry.thumbnail));
    SetModifiedFlag();
    return true;
}

void CKiroDoc::AppendEntry(const std::string& path, std::shared_ptr<const gdi::CDibSection> thumbnail)
{
    entries_.push_back({path, os::FileNameOf(path), std::move(thumbnail)});
}

void CKiroDoc::StartAdding(std::vector<std::string> paths)
{
    StopLoading();
    CProgressScope progress(Progress());
    progressTotal_ = 0;
    StartLoad(LoadKind::Add, std::move(progress),
              [feed = AddedFiles(std::move(paths))](CThumbnailLoader& loader) mutable { loader.Start(std::move(feed)); });
}

void CKiroDoc::StartLoad(LoadKind kind, CProgressScope progress, std::function<void(CThumbnailLoader&)> start)
{
    load_ = std::make_unique<CThumbnailLoader>(loaderOptions_, [this] { RequestTake(); });
    loadProgress_.emplace(std::move(progress));
    pendingStart_ = std::move(start);
    loadKind_ = kind;
    if (interfaceThread_ != nullptr)
        RequestTake();
    else
        FinishLoading();
}

void CKiroDoc::FinishLoading()
{
    while (load_) {
        TakeLoadedEntries();
        if (load_)
            load_->WaitForResults();
    }
}

void CKiroDoc::StopLoading()
{
    if (!load_)
        return;
    load_.reset();
    pendingStart_ = nullptr;
    if (loaderOptions_.store != nullptr)
        loaderOptions_.store->Flush();
    loadProgress_.reset();
}

void CKiroDoc::SetInterfaceThread(IInterfaceThread* thread)
{
    StopLoading();
    interfaceThread_ = thread;
    takePosted_ = false;
}

void CKiroDoc::RequestTake()
{
    if (interfaceThread_ == nullptr || takePosted_.exchange(true))
        return;
    interfaceThread_->Post([this, alive = std::weak_ptr<int>(lifeToken_)] {
        if (alive.expired())
            return;
        takePosted_ = false;
        TakeLoadedEntries();
    });
}

void CKiroDoc::TakeLoadedEntries()
{
    try {
        TakeLoadedBatch();
    } catch (...) {
        StopLoading();
        throw;
    }
}

void CKiroDoc::TakeLoadedBatch()
{
    if (!load_)
        return;
    if (pendingStart_)
        std::exchange(pendingStart_, nullptr)(*load_);
    int first = GetEntryCount();
    size_t taken = 0;
    bool more = false;
    auto deadline = std::chrono::steady_clock::now() + kTakeTime;
    for (;;) {
        std::vector<CThumbnailLoader::Result> results = load_->TakeFinished(kTakeChunk);
        FollowOfferedCount();
        for (CThumbnailLoader::Result& result : results) {
            if (result.thumbnail)
                AppendEntry(result.path, std::move(result.thumbnail));
            Progress().StepProgress();
        }
        taken += results.size();
        if (results.size() < kTakeChunk)
            break;
        if (taken >= kTakeMost || std::chrono::steady_clock::now() >= deadline) {
            more = true;
            break;
        }
    }
    int appended = GetEntryCount() - first;
    if (appended > 0) {
        if (loadKind_ == LoadKind::Add)
            SetModifiedFlag();
        if (thumbnailView_ != nullptr)
            thumbnailView_->EntriesAppended(first, appended);
    }
    if (load_->IsDone())
        StopLoading();
    else if (more)
        RequestTake();
}

void CKiroDoc::FollowOfferedCount()
{
    int offered = load_->Offered();
    if (offered <= progressTotal_)
        return;
    progressTotal_ = offered;
    Progress().SetProgressTotal(offered);
}

IProgressFrame& CKiroDoc::Progress() const
{
    return mainFrame_ != nullptr ? *mainFrame_ : noProgress;
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
    WalkFolder(folder, recursive, [&count](const std::string&) {
        ++count;
        return true;
    });
    return count;
}

bool CKiroDoc::AddFolder(IProgressFrame* frame, const std::string& folder, bool recursive)
{
    WalkFolder(folder, recursive, [this, frame](const std::string& path) {
        AddEntry(path);
        if (frame != nullptr)
            frame->StepProgress();
        return true;
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
    StopLoading();
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
    CProgressScope progress(Progress());
    int count = ParseEntryCount(archive.ReadString());
    // Every record takes at least one byte: a count beyond that cannot be met.
    if (count > 0 && static_cast<uint64_t>(count) > archive.GetRemaining())
        throw CArchiveException("the count promises more records than the file holds");
    Progress().SetProgressTotal(count);
    std::vector<std::string> paths = ReadEntryPaths(archive, count);
    progressTotal_ = static_cast<int>(paths.size());
    StartLoad(LoadKind::Open, std::move(progress), [paths = std::move(paths)](CThumbnailLoader& loader) { loader.Start(paths); });
}
