#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "document/FolderWalk.h"
#include "document/KiroDoc.h"
#include "document/Thumbnail.h"
#include "document/ThumbnailStore.h"
#include "picture/decoding/PictureError.h"
#include "picture/decoding/TextException.h"
#include "tests/document/DocumentTestSupport.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/CountingDecoder.h"
#include "tests/support/GifWriter.h"
#include "tests/support/JpegWriter.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPictures.h"

namespace {

bool SameThumbnail(const gdi::CDibSection* a, const gdi::CDibSection* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    size_t bytes = static_cast<size_t>(a->Stride()) * static_cast<size_t>(a->Height());
    auto sameColour = [](const gdi::RgbQuad& x, const gdi::RgbQuad& y) {
        return std::memcmp(&x, &y, sizeof(gdi::RgbQuad)) == 0;
    };
    return std::memcmp(&a->Header(), &b->Header(), sizeof(gdi::BitmapInfoHeader)) == 0 &&
           std::equal(a->ColorTable().begin(), a->ColorTable().end(), b->ColorTable().begin(), b->ColorTable().end(),
                      sameColour) &&
           std::memcmp(a->Bits(), b->Bits(), bytes) == 0;
}

std::unique_ptr<gdi::CDibSection> CopyOf(const gdi::CDibSection& section)
{
    std::unique_ptr<gdi::CDibSection> copy = gdi::CDibSection::Create(section.Header(), section.ColorTable().data());
    std::memcpy(copy->Bits(), section.Bits(), static_cast<size_t>(section.Stride()) * section.Height());
    return copy;
}

// top/ a.bmp  b8.bmp  broken.bmp  c.gif  notes.txt  sub/ (d.jpg  e32.bmp)
class CollectionLoadTest : public testing::Test {
protected:
    CollectionLoadTest() : top(folder.Path() + "/top")
    {
        folder.Write("top/a.bmp", SceneBmp(120, 90, 24));
        folder.Write("top/b8.bmp", SceneBmp(30, 20, 8));
        std::vector<uint8_t> cut = SceneBmp(64, 48, 24);
        cut.resize(cut.size() / 2);
        folder.Write("top/broken.bmp", cut);
        folder.Write("top/c.gif", WriteGif(SceneGif(40, 30, false)));
        folder.Write("top/notes.txt", "not a picture");
        JpegImage jpeg;
        jpeg.width = 320;
        jpeg.height = 200;
        jpeg.samples = JpegSamples(SceneRows(jpeg.width, jpeg.height), 3);
        folder.Write("top/sub/d.jpg", WriteJpeg(jpeg));
        folder.Write("top/sub/e32.bmp", SceneBmp(200, 50, 32));
        reference.OnNewDocument();
    }

    // A document whose loads decode on `threads` threads with counted decoders.
    std::unique_ptr<CKiroDoc> LoadingDocument(int threads)
    {
        auto document = std::make_unique<CKiroDoc>(decoder);
        document->SetLoaderOptions({[this] { return std::make_unique<CCountingDecoder>(tally); }, nullptr, threads});
        document->OnNewDocument();
        return document;
    }

    std::vector<uint8_t> Saved(CKiroDoc& document)
    {
        std::string path = folder.Path() + "/saved.kir";
        EXPECT_TRUE(document.OnSaveDocument(path));
        return ReadFileBytes(path);
    }

    void ExpectSameEntries(CKiroDoc& document, CKiroDoc& expected)
    {
        ASSERT_EQ(document.GetEntryCount(), expected.GetEntryCount());
        for (size_t i = 0; i < document.GetEntries().size(); ++i) {
            const ImageEntry& entry = document.GetEntries()[i];
            const ImageEntry& wanted = expected.GetEntries()[i];
            EXPECT_EQ(entry.path, wanted.path) << i;
            EXPECT_EQ(entry.name, wanted.name) << i;
            EXPECT_TRUE(SameThumbnail(entry.thumbnail.get(), wanted.thumbnail.get())) << i;
        }
        EXPECT_EQ(Saved(document), Saved(expected));
    }

    TempFolder folder;
    std::string top;
    CAutoDecoder decoder;
    CKiroDoc reference {decoder};
    DecoderTally tally;
};

// Stands in for a persistent store: what it holds for which stamp, and what it was asked and told.
class MemoryStore : public IThumbnailStore {
public:
    struct Kept {
        os::FileStamp stamp;
        std::shared_ptr<const gdi::CDibSection> thumbnail;  // null: did not decode
    };

    Found Find(const os::FileStamp& file, std::unique_ptr<gdi::CDibSection>& thumbnail) override
    {
        std::lock_guard lock(mutex_);
        asked.push_back(file.path);
        auto kept = held.find(file.path);
        if (kept == held.end() || !(kept->second.stamp == file))
            return Found::Nothing;
        if (!kept->second.thumbnail)
            return Found::Refused;
        thumbnail = CopyOf(*kept->second.thumbnail);
        return Found::Thumbnail;
    }

    void Store(const os::FileStamp& file, const gdi::CDibSection* thumbnail) override
    {
        std::lock_guard lock(mutex_);
        stored[file.path] = {file, thumbnail != nullptr ? std::shared_ptr(CopyOf(*thumbnail)) : nullptr};
    }

    void Flush() override
    {
        std::lock_guard lock(mutex_);
        flushedWith = stored.size();
    }

    std::map<std::string, Kept> held;
    size_t flushedWith = 0;  // what had been stored at the last flush
    std::vector<std::string> asked;
    std::map<std::string, Kept> stored;

private:
    std::mutex mutex_;
};

}  // namespace

TEST_F(CollectionLoadTest, ParallelLoadsGiveTheEntriesAndFileOfOneByOneAdding)
{
    // Add: the folder, one of its files, the folder again.
    reference.AddFolder(nullptr, top, true);
    reference.AddEntry(top + "/a.bmp");
    reference.AddFolder(nullptr, top, true);
    // Open: every file tried, a folder and a missing file among them, one after another.
    std::vector<std::string> named = {top + "/sub/d.jpg", top, top + "/missing.bmp", top + "/a.bmp"};
    WalkFolder(top, true, [&named](const std::string& path) {
        named.push_back(path);
        return true;
    });
    CKiroDoc opened {decoder};
    opened.OnNewDocument();
    ByteWriter kir;
    AddRecord(kir, std::to_string(named.size()) + "\r\n");
    for (const std::string& path : named) {
        AddRecord(kir, path + "\r\n");
        opened.AddEntry(path);
    }
    std::string kirPath = folder.Write("named.kir", kir.Take());

    for (int threads : {1, 2, 4}) {
        SCOPED_TRACE(threads);
        std::unique_ptr<CKiroDoc> document = LoadingDocument(threads);
        document->StartAdding({top, top + "/a.bmp", top});
        EXPECT_TRUE(document->IsModified());
        ExpectSameEntries(*document, reference);

        ASSERT_TRUE(document->OnOpenDocument(kirPath));
        EXPECT_FALSE(document->IsModified());
        ExpectSameEntries(*document, opened);
    }
}

TEST_F(CollectionLoadTest, AFileNamedManyTimesIsDecodedOnceAndSharesOneThumbnail)
{
    ByteWriter kir;
    AddRecord(kir, "3000\r\n");
    for (int i = 0; i < 1000; ++i)
        for (const char* name : {"/a.bmp", "/notes.txt", "/a.bmp"})
            AddRecord(kir, top + name + "\r\n");
    std::unique_ptr<CKiroDoc> document = LoadingDocument(2);
    ASSERT_TRUE(document->OnOpenDocument(folder.Write("many.kir", kir.Take())));
    EXPECT_EQ(tally.decodes, 2);
    ASSERT_EQ(document->GetEntryCount(), 2000);
    for (const ImageEntry& entry : document->GetEntries())
        EXPECT_EQ(entry.thumbnail, document->GetEntries()[0].thumbnail);
}

TEST_F(CollectionLoadTest, StoppingAnAddKeepsExactlyTheEntriesMadeBeforeIt)
{
    std::vector<std::string> expected;
    for (int i = 0; i < 100; ++i)
        expected.push_back(folder.Write("many/p" + std::to_string(1000 + i) + ".bmp", SceneBmp(4, 3, 24)));
    CallQueue queue;
    LinkLog links;
    std::unique_ptr<CKiroDoc> document = LoadingDocument(2);
    document->SetInterfaceThread(&queue);
    document->SetThumbnailView(&links);
    document->SetMainFrame(&links);

    document->StartAdding({folder.Path() + "/many"});
    EXPECT_EQ(tally.alive, 0);  // nothing starts before the interface thread comes round
    while (document->GetEntryCount() == 0)
        queue.RunNext();
    int made = document->GetEntryCount();
    ASSERT_LT(made, 100);  // one wake-up takes a bounded batch
    document->StopLoading();
    EXPECT_FALSE(document->IsLoading());
    EXPECT_EQ(tally.alive, 0);
    EXPECT_EQ(links.calls.back(), "end");

    size_t callsAtStop = links.calls.size();
    queue.RunPosted();
    EXPECT_EQ(links.calls.size(), callsAtStop);
    ASSERT_EQ(document->GetEntryCount(), made);
    for (int i = 0; i < made; ++i)
        EXPECT_EQ(document->GetEntries()[static_cast<size_t>(i)].path, expected[static_cast<size_t>(i)]);
    EXPECT_TRUE(document->IsModified());
}

TEST_F(CollectionLoadTest, ALoadStoppedByNewOpenOrTheDocumentsEndLeavesNothingRunning)
{
    for (int i = 0; i < 40; ++i)
        folder.Write("many/p" + std::to_string(1000 + i) + ".bmp", SceneBmp(64, 48, 24));
    reference.AddEntry(top + "/a.bmp");
    std::string other = folder.Path() + "/other.kir";
    ASSERT_TRUE(reference.OnSaveDocument(other));

    const std::pair<const char*, std::function<void(std::unique_ptr<CKiroDoc>&)>> stops[] = {
        {"new", [](std::unique_ptr<CKiroDoc>& document) { document->OnNewDocument(); }},
        {"open", [&](std::unique_ptr<CKiroDoc>& document) { ASSERT_TRUE(document->OnOpenDocument(other)); }},
        {"end", [](std::unique_ptr<CKiroDoc>& document) { document.reset(); }},
    };
    for (const auto& [name, stop] : stops) {
        SCOPED_TRACE(name);
        CallQueue queue;
        LinkLog links;
        std::unique_ptr<CKiroDoc> document = LoadingDocument(2);
        document->SetInterfaceThread(&queue);
        document->SetThumbnailView(&links);
        document->StartAdding({folder.Path() + "/many"});
        queue.RunNext();  // the load starts
        ASSERT_GT(tally.alive, 0);
        stop(document);
        EXPECT_EQ(tally.alive, 0);  // the opened collection's own load waits for the interface thread
        size_t callsAtStop = links.calls.size();
        queue.RunPosted();
        if (!document) {
            EXPECT_EQ(links.calls.size(), callsAtStop);  // nothing reached the document after its end
            continue;
        }
        document->FinishLoading();
        EXPECT_LE(document->GetEntryCount(), 1);
        for (const ImageEntry& entry : document->GetEntries())
            EXPECT_EQ(entry.path, top + "/a.bmp");
        EXPECT_FALSE(document->IsModified());
    }
}

TEST_F(CollectionLoadTest, AStoreIsAskedFirstAndToldWhatEachFileGave)
{
    MemoryStore store;
    auto stampOf = [](const std::string& path) { return os::StampFile(path).value(); };
    std::string a = top + "/a.bmp";
    std::string b = top + "/b8.bmp";
    std::string d = top + "/sub/d.jpg";
    std::string stale = top + "/c.gif";
    std::string notes = top + "/notes.txt";
    std::string missing = top + "/missing.bmp";
    std::shared_ptr<const gdi::CDibSection> stored = MakeFileThumbnail(decoder, top + "/sub/e32.bmp");
    store.held[a] = {stampOf(a), stored};
    store.held[b] = {stampOf(b), nullptr};
    os::FileStamp older = stampOf(stale);
    --older.modifiedNs;
    store.held[stale] = {older, stored};

    auto document = std::make_unique<CKiroDoc>(decoder);
    document->SetLoaderOptions({{}, &store, 2});
    document->OnNewDocument();
    document->StartAdding({a, b, stale, d, notes, missing});

    // a comes from the store, b was refused by it; the others were decoded.
    ASSERT_EQ(document->GetEntryCount(), 3);
    EXPECT_EQ(document->GetEntries()[0].path, a);
    EXPECT_TRUE(SameThumbnail(document->GetEntries()[0].thumbnail.get(), stored.get()));
    EXPECT_EQ(document->GetEntries()[1].path, stale);
    EXPECT_EQ(document->GetEntries()[2].path, d);
    EXPECT_EQ(store.asked.size(), 5u);  // a file that cannot be stamped is not looked up
    EXPECT_EQ(std::count(store.asked.begin(), store.asked.end(), missing), 0);

    ASSERT_EQ(store.stored.size(), 3u);
    for (const std::string& path : {stale, d}) {
        EXPECT_EQ(store.stored[path].stamp, stampOf(path)) << path;
        EXPECT_TRUE(SameThumbnail(store.stored[path].thumbnail.get(), MakeFileThumbnail(decoder, path).get())) << path;
    }
    EXPECT_EQ(store.stored[notes].stamp, stampOf(notes));
    EXPECT_EQ(store.stored[notes].thumbnail, nullptr);
    EXPECT_EQ(store.flushedWith, 3u);  // the load's end makes it last
}

// Fails every thumbnail decode with one error code.
class CFailingDecoder : public CAutoDecoder {
public:
    explicit CFailingDecoder(int code) : code_(code) {}
    PictureSize DecodeReduced(CByteSource&, CPictureBitmap&, int, PictureSize) override
    {
        throw CTextException(code_, "made to fail");
    }

private:
    int code_;
};

TEST_F(CollectionLoadTest, OnlyFailuresThatLastAreStoredAsRefusals)
{
    struct Case {
        int code;
        bool stored;
    };
    for (Case c : {Case {PE_FORMAT_ERROR, true}, Case {PE_END_OF_FILE, true}, Case {PE_ALLOC_FAILED, false}}) {
        MemoryStore store;
        CKiroDoc document(decoder);
        document.SetLoaderOptions({[&c] { return std::make_unique<CFailingDecoder>(c.code); }, &store, 1});
        document.OnNewDocument();
        document.StartAdding({top + "/a.bmp"});
        EXPECT_EQ(document.GetEntryCount(), 0);
        EXPECT_EQ(store.stored.count(top + "/a.bmp"), c.stored ? 1u : 0u) << c.code;
    }
}
