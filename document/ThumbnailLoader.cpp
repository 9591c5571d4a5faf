#include "document/ThumbnailLoader.h"

#include <algorithm>
#include <optional>

#include "document/Thumbnail.h"
#include "document/ThumbnailStore.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/PictureError.h"
#include "picture/decoding/TextException.h"
#include "platform/os/FileStamp.h"

namespace {

// A decode's thumbnail, telling `store` what the file gave. Running out of
// memory says nothing lasting about the file, so it is not stored.
std::unique_ptr<gdi::CDibSection> DecodeAndStore(CPictureDecoder& decoder, IThumbnailStore* store,
                                                 const os::FileStamp& stamp)
{
    std::unique_ptr<gdi::CDibSection> made;
    try {
        made = DecodeThumbnail(decoder, stamp.path);
    } catch (const CTextException& error) {
        if (error.GetCode() != PE_ALLOC_FAILED)
            store->Store(stamp, nullptr);
        return nullptr;
    }
    if (made)
        store->Store(stamp, made.get());
    return made;
}

// The thumbnail of one file: the store's answer when it has one, else a
// decode, whose result the store is then told.
std::shared_ptr<const gdi::CDibSection> ThumbnailOf(CPictureDecoder& decoder, IThumbnailStore* store,
                                                    const std::string& path)
{
    std::optional<os::FileStamp> stamp = store != nullptr ? os::StampFile(path) : std::nullopt;
    if (stamp) {
        std::unique_ptr<gdi::CDibSection> stored;
        switch (store->Find(*stamp, stored)) {
        case IThumbnailStore::Found::Thumbnail: return stored;
        case IThumbnailStore::Found::Refused: return nullptr;
        case IThumbnailStore::Found::Nothing: break;
        }
    }
    if (!stamp)
        return MakeFileThumbnail(decoder, path);
    return DecodeAndStore(decoder, store, *stamp);
}

}  // namespace

CThumbnailLoader::CThumbnailLoader(ThumbnailLoaderOptions options, std::function<void()> wake)
    : options_(std::move(options)), wake_(std::move(wake))
{
    if (!options_.makeDecoder)
        options_.makeDecoder = [] { return std::make_unique<CAutoDecoder>(); };
}

CThumbnailLoader::~CThumbnailLoader()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workQueued_.notify_all();
    resultsReady_.notify_all();
    if (feeder_.joinable())
        feeder_.join();
    for (std::thread& worker : workers_)
        worker.join();
}

int CThumbnailLoader::ThreadCount(const ThumbnailLoaderOptions& options)
{
    if (options.threads > 0)
        return options.threads;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void CThumbnailLoader::Start(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
        OfferPath(path);
    EndOffers();
    StartWorkers();
}

void CThumbnailLoader::Start(Feed feed)
{
    StartWorkers();
    feeder_ = std::thread([this, feed = std::move(feed)] {
        feed([this](const std::string& path) { return OfferPath(path); });
        EndOffers();
    });
}

void CThumbnailLoader::StartWorkers()
{
    int count = ThreadCount(options_);
    // Decoders are made here, on the caller's thread, so the factory need not be thread-safe.
    for (int i = 0; i < count; ++i)
        decoders_.push_back(options_.makeDecoder());
    for (const std::unique_ptr<CPictureDecoder>& decoder : decoders_)
        workers_.emplace_back([this, &decoder = *decoder] { Work(decoder); });
}

bool CThumbnailLoader::OfferPath(const std::string& path)
{
    bool ready = false;
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return false;
        std::shared_ptr<Job>& job = jobsByPath_[path];
        if (!job) {
            job = std::make_shared<Job>();
            job->path = path;
            queued_.push_back(job);
        }
        results_.push_back(job);
        ++offered_;
        ready = results_.size() == 1 && job->done;
    }
    workQueued_.notify_one();
    if (ready) {
        resultsReady_.notify_all();
        wake_();
    }
    return true;
}

void CThumbnailLoader::EndOffers()
{
    bool stopping = false;
    {
        std::lock_guard lock(mutex_);
        offersEnded_ = true;
        stopping = stopping_;
    }
    workQueued_.notify_all();
    resultsReady_.notify_all();
    if (!stopping)
        wake_();
}

void CThumbnailLoader::Work(CPictureDecoder& decoder)
{
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            workQueued_.wait(lock, [this] { return stopping_ || offersEnded_ || !queued_.empty(); });
            if (stopping_ || queued_.empty())
                return;
            job = queued_.front();
            queued_.pop_front();
        }
        std::shared_ptr<const gdi::CDibSection> thumbnail = ThumbnailOf(decoder, options_.store, job->path);
        bool ready = false;
        {
            std::lock_guard lock(mutex_);
            job->thumbnail = std::move(thumbnail);
            job->done = true;
            ready = !stopping_ && HeadIsReady();
        }
        resultsReady_.notify_all();
        if (ready)
            wake_();
    }
}

bool CThumbnailLoader::HeadIsReady() const
{
    return !results_.empty() && results_.front()->done;
}

std::vector<CThumbnailLoader::Result> CThumbnailLoader::TakeFinished(size_t most)
{
    std::vector<Result> finished;
    std::lock_guard lock(mutex_);
    while (finished.size() < most && HeadIsReady()) {
        const Job& job = *results_.front();
        finished.push_back({job.path, job.thumbnail});
        results_.pop_front();
    }
    return finished;
}

int CThumbnailLoader::Offered() const
{
    std::lock_guard lock(mutex_);
    return offered_;
}

bool CThumbnailLoader::IsDone() const
{
    std::lock_guard lock(mutex_);
    return offersEnded_ && results_.empty();
}

void CThumbnailLoader::WaitForResults() const
{
    std::unique_lock lock(mutex_);
    resultsReady_.wait(lock, [this] { return stopping_ || HeadIsReady() || (offersEnded_ && results_.empty()); });
}
