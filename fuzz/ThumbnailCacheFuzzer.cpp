// Takes arbitrary bytes as the thumbnail cache's file, then opens it, looks
// thumbnails up in it and stores some, as the collection's loader does. A
// thumbnail found must be a whole one; nothing may crash, leak or hang.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "document/ThumbnailCache.h"
#include "fuzz/CacheFuzzRows.h"

namespace {

// Small enough that every write drops rows.
constexpr int64_t kCapacity = 64 << 10;

const std::string& CacheFile()
{
    static const std::string file = "/tmp/lumo-fuzz-cache-" + std::to_string(getpid()) + ".sqlite3";
    return file;
}

void RemoveCacheFiles()
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((CacheFile() + suffix).c_str());
}

void LookUpEveryRow(CThumbnailCache& cache)
{
    for (const CacheFuzzRow& row : CacheFuzzRows()) {
        std::unique_ptr<gdi::CDibSection> thumbnail;
        IThumbnailStore::Found found = cache.Find(row.file, thumbnail);
        bool whole = thumbnail && thumbnail->Width() == kThumbnailWidth && thumbnail->Height() == kThumbnailHeight;
        if ((found == IThumbnailStore::Found::Thumbnail) != whole)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RemoveCacheFiles();
    if (FILE* file = std::fopen(CacheFile().c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    {
        CThumbnailCache cache(CacheFile(), kCapacity);
        LookUpEveryRow(cache);
        for (const CacheFuzzRow& row : CacheFuzzRows())
            cache.Store(row.file, CacheFuzzThumbnail(row.depth).get());
        cache.Flush();
        LookUpEveryRow(cache);
    }
    RemoveCacheFiles();
    return 0;
}
