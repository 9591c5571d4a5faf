#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/DocumentLinks.h"
#include "document/ImageEntry.h"
#include "document/ThumbnailLoader.h"
#include "picture/bitmap/DisplayBitmap.h"
#include "picture/decoding/ByteSource.h"
#include "platform/framework/Document.h"

class CPictureDecoder;

// The image collection: an ordered list of picture files, each with its name
// and thumbnail, the index of the current entry and the decoded current
// picture. Every picture enters through AddEntry, which refuses files that do
// not decode. The collection file (.kir) holds the count and then the paths,
// each a length-prefixed string ending in CR LF.
//
// Opening a collection and adding files in bulk run as a load: the thumbnails
// are made on a CThumbnailLoader's threads while the document, which changes
// only on the interface thread, takes the finished entries in order, appends
// them, tells the thumbnail view and steps the progress. With an interface
// thread link the load goes on in the background, one bounded batch per
// posted call, and starts only when the interface thread comes round again;
// without one (the command-line tool, tests) it runs to its end before the
// call that started it returns.
class CKiroDoc : public CDocument, public CDecodeProgress {
public:
    // Every picture is decoded with `decoder`, the application's shared one.
    explicit CKiroDoc(CPictureDecoder& decoder);
    ~CKiroDoc() override;

    // Decodes the file, builds its thumbnail and appends it under its full
    // path (a relative one, as a collection file may hold, is taken against
    // the current folder now); false and no change when it does not decode.
    bool AddEntry(const std::string& path);
    // Makes entry `index` current and decodes it into a new current picture
    // (blank when it no longer decodes), then moves the views to it. Nothing
    // happens for the current index or an index outside the collection.
    void SelectPicture(int index);
    // Empties the collection; the current picture becomes a new blank one.
    // The modified flag stays as it was.
    void RemoveAll();
    // Takes the current entry (and its thumbnail) out of the collection and
    // marks it modified; afterwards there is no current entry and the current
    // picture is a new blank one. False, and no change, without a current entry.
    bool RemoveCurrentEntry();

    // Adds each file named, and every file below each folder named (walked
    // recursively where it stands in the list), as a load: the pictures that
    // decode arrive in that order and mark the collection modified.
    void StartAdding(std::vector<std::string> paths);
    // True from the start of a load (opening a collection, adding) to its end.
    bool IsLoading() const { return load_ != nullptr; }
    // True while the load under way adds to the collection.
    bool IsAdding() const { return IsLoading() && loadKind_ == LoadKind::Add; }
    // Ends the load under way: the entries already in the collection stay,
    // no other arrives, and no thread of the load is left running.
    void StopLoading();
    // Waits for the load under way and takes every entry it makes.
    void FinishLoading();

    // The number of files below `folder` (pictures or not), as AddFolder will try them.
    int CountFolderFiles(const std::string& folder, bool recursive) const;
    // Offers every file below `folder` to AddEntry and steps `frame`'s
    // progress (when there is a frame) after each.
    bool AddFolder(IProgressFrame* frame, const std::string& folder, bool recursive);

    // " W x H; B bpp; K kb" of the current picture, for the status bar.
    std::string GetImageInfoText() const;

    // The application's shared decoder, which decodes every picture.
    CPictureDecoder& GetDecoder() const { return decoder_; }
    int GetEntryCount() const { return static_cast<int>(entries_.size()); }
    const std::vector<ImageEntry>& GetEntries() const { return entries_; }
    int GetCurrentIndex() const { return currentIndex_; }
    // Null only before the first New or Open.
    CDisplayBitmap* GetCurrentPicture() const { return currentPicture_.get(); }

    void SetThumbnailView(IThumbnailView* view) { thumbnailView_ = view; }
    void SetPictureView(IPictureView* view) { pictureView_ = view; }
    // The frame whose progress display shows a collection loading.
    void SetMainFrame(IProgressFrame* frame) { mainFrame_ = frame; }
    // Where the finished entries of a load are taken; with none, loads run to
    // their end at once. A load under way is stopped first.
    void SetInterfaceThread(IInterfaceThread* thread);
    // The decoders, store and threads loads make thumbnails with.
    void SetLoaderOptions(ThumbnailLoaderOptions options) { loaderOptions_ = std::move(options); }

    // Decodes `path` into `picture` at the file's own depth and clears its
    // blank flag; false, with nothing shown, when it does not decode.
    bool LoadPicture(const std::string& path, CDisplayBitmap& picture);
    // Decodes the entry's file and stores its thumbnail in it.
    bool BuildThumbnail(ImageEntry& entry);

    void StopBackgroundWork() override { StopLoading(); }
    void DeleteContents() override;
    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    void Serialize(CArchive& archive) override;

    // Decoding progress is not shown.
    void OnProgress(double /*fraction*/) override {}

private:
    enum class LoadKind { Open, Add };

    void StoreEntries(CArchive& archive) const;
    void LoadEntries(CArchive& archive);
    void AppendEntry(const std::string& path, std::shared_ptr<const gdi::CDibSection> thumbnail);
    // Starts a load that shows `progress` until it stops; `start` hands the loader its paths.
    void StartLoad(LoadKind kind, CProgressScope progress, std::function<void(CThumbnailLoader&)> start);
    // Asks, from any thread, for TakeLoadedEntries on the interface thread.
    void RequestTake();
    // Appends one batch of finished entries; ends the load after its last or
    // when taking them throws.
    void TakeLoadedEntries();
    void TakeLoadedBatch();
    // The progress total follows the number of paths the load has been offered.
    void FollowOfferedCount();
    IProgressFrame& Progress() const;

    CPictureDecoder& decoder_;
    int currentIndex_ = -1;
    std::unique_ptr<CDisplayBitmap> currentPicture_;
    std::vector<ImageEntry> entries_;
    IPictureView* pictureView_ = nullptr;
    IThumbnailView* thumbnailView_ = nullptr;
    IProgressFrame* mainFrame_ = nullptr;

    ThumbnailLoaderOptions loaderOptions_;
    std::unique_ptr<CThumbnailLoader> load_;
    std::optional<CProgressScope> loadProgress_;
    std::function<void(CThumbnailLoader&)> pendingStart_;
    LoadKind loadKind_ = LoadKind::Open;
    int progressTotal_ = 0;
    IInterfaceThread* interfaceThread_ = nullptr;
    std::atomic<bool> takePosted_ {false};
    // Calls posted to the interface thread run only while this lives.
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);
};

// The entry count of a collection file's first record, read as the C
// library's atoi reads it (white space, a sign, digits up to the first
// non-digit; none gives 0), held to the range of int.
int ParseEntryCount(const std::string& record);
