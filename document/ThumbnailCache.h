#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "document/CacheDatabase.h"
#include "document/ThumbnailStore.h"

// The thumbnails of files decoded before, kept in an SQLite file between
// runs, so that a collection opened again is not decoded again. A row holds
// for one state of a file: its path, size and modification time, the
// thumbnail format version and the thumbnails' background colour; any other
// state is a miss, and storing it replaces the row. Every row read is checked
// before it becomes a thumbnail; a row that does not make a sound one is a
// miss. A file that cannot be used (missing folder, no rights, full, locked,
// damaged, another program's) makes the cache find nothing; no call throws.
//
// Stores and uses wait in memory and are written together, in one
// transaction, once enough have gathered, at the first call after the oldest
// has waited a while, and at Flush and destruction. Each write then drops the least recently used
// rows beyond the capacity. Calls may come from several threads at once.
class CThumbnailCache : public IThumbnailStore {
public:
    static constexpr int64_t kDefaultCapacity = int64_t {256} << 20;

    // The cache in `file`, made (with its folder) when missing, holding at
    // most about `capacity` bytes.
    explicit CThumbnailCache(const std::string& file, int64_t capacity = kDefaultCapacity);
    ~CThumbnailCache() override;
    CThumbnailCache(const CThumbnailCache&) = delete;
    CThumbnailCache& operator=(const CThumbnailCache&) = delete;

    // The user's cache: $XDG_CACHE_HOME/lumo/thumbnails.sqlite3, else the
    // same below ~/.cache; empty when neither folder is known.
    static std::string DefaultFile();

    Found Find(const os::FileStamp& file, std::unique_ptr<gdi::CDibSection>& thumbnail) override;
    void Store(const os::FileStamp& file, const gdi::CDibSection* thumbnail) override;
    // Writes everything stored and used so far.
    void Flush() override;
    // False when the cache runs without a file.
    bool IsUsable();

private:
    const CacheRow* FindWaiting(const std::string& path) const;
    void Wait(CacheWrite write);
    void WriteWaiting();

    std::mutex mutex_;
    CCacheDatabase database_;
    int64_t capacity_;
    std::vector<CacheWrite> waiting_;
    std::chrono::steady_clock::time_point firstWaiting_;
};
