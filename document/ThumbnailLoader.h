#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/gdi/DibSection.h"

class CPictureDecoder;
class IThumbnailStore;

// How a loader makes its thumbnails.
struct ThumbnailLoaderOptions {
    // Makes the decoder of one thread; empty makes a CAutoDecoder.
    std::function<std::unique_ptr<CPictureDecoder>()> makeDecoder;
    // Asked before a file is decoded and told the result after; may be null.
    IThumbnailStore* store = nullptr;
    // Decoding threads; 0 means one per core.
    int threads = 0;
};

// Makes the thumbnails of a sequence of files on a pool of threads, each with
// a decoder of its own, and hands them back in the order the paths came.
// Paths that come more than once share one decode and one thumbnail. A file
// is stamped before it is decoded: with a store, a stamped file is looked up
// first and its result stored after; a file that cannot be stamped is just
// decoded. Destroying the loader stops it: the feed is told to end, decodes
// under way finish, and every thread is joined before the destructor returns.
class CThumbnailLoader {
public:
    // One path in the order it came and its thumbnail, null when the file does not decode.
    struct Result {
        std::string path;
        std::shared_ptr<const gdi::CDibSection> thumbnail;
    };
    // Offers the next path; false when the loader is stopping and the feed should end.
    using Offer = std::function<bool(const std::string& path)>;
    // Offers paths in order and returns when there are no more.
    using Feed = std::function<void(const Offer& offer)>;

    // `wake` is called from any of the loader's threads when results can be
    // taken or the load has come to its end.
    CThumbnailLoader(ThumbnailLoaderOptions options, std::function<void()> wake);
    ~CThumbnailLoader();
    CThumbnailLoader(const CThumbnailLoader&) = delete;
    CThumbnailLoader& operator=(const CThumbnailLoader&) = delete;

    // Starts decoding a list of paths known in advance.
    void Start(const std::vector<std::string>& paths);
    // Starts decoding the paths that `feed` offers, run on a thread of its own.
    void Start(Feed feed);

    // Up to `most` finished results from the head of the order: a result
    // waits until every one before it has been taken.
    std::vector<Result> TakeFinished(size_t most);
    // The number of paths offered so far.
    int Offered() const;
    // True once the feed has ended and every result has been taken.
    bool IsDone() const;
    // Blocks until a result can be taken or the load is done.
    void WaitForResults() const;

    // The number of threads a loader with `options` decodes on.
    static int ThreadCount(const ThumbnailLoaderOptions& options);

private:
    struct Job {
        std::string path;
        bool done = false;
        std::shared_ptr<const gdi::CDibSection> thumbnail;
    };

    bool OfferPath(const std::string& path);
    void EndOffers();
    void StartWorkers();
    void Work(CPictureDecoder& decoder);
    bool HeadIsReady() const;

    ThumbnailLoaderOptions options_;
    std::function<void()> wake_;
    std::vector<std::unique_ptr<CPictureDecoder>> decoders_;

    mutable std::mutex mutex_;
    std::condition_variable workQueued_;
    mutable std::condition_variable resultsReady_;
    std::unordered_map<std::string, std::shared_ptr<Job>> jobsByPath_;
    std::deque<std::shared_ptr<Job>> queued_;   // jobs no thread has taken yet
    std::deque<std::shared_ptr<Job>> results_;  // one per path offered and not yet taken
    int offered_ = 0;
    bool offersEnded_ = false;
    bool stopping_ = false;

    std::thread feeder_;
    std::vector<std::thread> workers_;
};
