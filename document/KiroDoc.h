#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/DocumentLinks.h"
#include "document/ImageEntry.h"
#include "picture/bitmap/DisplayBitmap.h"
#include "picture/decoding/ByteSource.h"
#include "platform/framework/Document.h"

class CPictureDecoder;

// The image collection: an ordered list of picture files, each with its name
// and thumbnail, the index of the current entry and the decoded current
// picture. Every picture enters through AddEntry, which refuses files that do
// not decode. The collection file (.kir) holds the count and then the paths,
// each a length-prefixed string ending in CR LF.
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

    // Decodes `path` into `picture` at the file's own depth and clears its
    // blank flag; false, with nothing shown, when it does not decode.
    bool LoadPicture(const std::string& path, CDisplayBitmap& picture);
    // Decodes the entry's file and stores its thumbnail in it.
    bool BuildThumbnail(ImageEntry& entry);

    void DeleteContents() override;
    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    void Serialize(CArchive& archive) override;

    // Decoding progress is not shown.
    void OnProgress(double /*fraction*/) override {}

private:
    void StoreEntries(CArchive& archive) const;
    void LoadEntries(CArchive& archive);

    CPictureDecoder& decoder_;
    int currentIndex_ = -1;
    std::unique_ptr<CDisplayBitmap> currentPicture_;
    std::vector<ImageEntry> entries_;
    IPictureView* pictureView_ = nullptr;
    IThumbnailView* thumbnailView_ = nullptr;
    IProgressFrame* mainFrame_ = nullptr;
};

// The entry count of a collection file's first record, read as the C
// library's atoi reads it (white space, a sign, digits up to the first
// non-digit; none gives 0), held to the range of int.
int ParseEntryCount(const std::string& record);
