#include "document/ThumbnailCache.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "document/Thumbnail.h"
#include "platform/gdi/Colors.h"

namespace {

// Stores and uses are written once this many have gathered, or once the
// first of them has waited this long, so a crash loses little.
constexpr size_t kWritesPerTransaction = 64;
constexpr std::chrono::seconds kLongestWait {1};

constexpr const char* kFileName = "/lumo/thumbnails.sqlite3";

// The thumbnails' background colour, which every thumbnail's margins show.
int64_t Background()
{
    return gdi::GetSysColor(gdi::COLOR_BTNFACE);
}

bool HoldsFor(const CacheRow& row, const os::FileStamp& file)
{
    return row.size == file.size && row.modifiedNs == file.modifiedNs && row.background == Background();
}

CacheRow RowOf(const os::FileStamp& file, const gdi::CDibSection* thumbnail)
{
    CacheRow row;
    row.path = file.path;
    row.size = file.size;
    row.modifiedNs = file.modifiedNs;
    row.background = Background();
    row.decoded = thumbnail != nullptr;
    if (thumbnail == nullptr)
        return row;
    row.width = thumbnail->Width();
    row.height = thumbnail->Height();
    row.depth = thumbnail->BitsPerPixel();
    const auto* colors = reinterpret_cast<const uint8_t*>(thumbnail->ColorTable().data());
    row.colors.assign(colors, colors + thumbnail->ColorTable().size() * sizeof(gdi::RgbQuad));
    row.bits.assign(thumbnail->Bits(), thumbnail->Bits() + int64_t {thumbnail->Stride()} * thumbnail->Height());
    return row;
}

CacheWrite UseOf(const std::string& path)
{
    CacheWrite use;
    use.isUse = true;
    use.row.path = path;
    return use;
}

// The thumbnail a row holds, when it makes a sound one: the thumbnail's size,
// a depth of 1, 8 or 32 bits, a whole colour table and every row's bits.
std::unique_ptr<gdi::CDibSection> ThumbnailOf(const CacheRow& row)
{
    if (row.width != kThumbnailWidth || row.height != kThumbnailHeight)
        return nullptr;
    if (row.depth != 1 && row.depth != 8 && row.depth != 32)
        return nullptr;
    int depth = static_cast<int>(row.depth);
    if (row.colors.size() != gdi::DibColorCount(depth) * sizeof(gdi::RgbQuad) ||
        static_cast<int64_t>(row.bits.size()) != gdi::DibStride(kThumbnailWidth, depth) * kThumbnailHeight)
        return nullptr;
    gdi::BitmapInfoHeader header;
    header.width = kThumbnailWidth;
    header.height = kThumbnailHeight;
    header.bitCount = static_cast<uint16_t>(depth);
    std::unique_ptr<gdi::CDibSection> thumbnail =
        gdi::CDibSection::Create(header, reinterpret_cast<const gdi::RgbQuad*>(row.colors.data()));
    if (thumbnail)
        std::memcpy(thumbnail->Bits(), row.bits.data(), row.bits.size());
    return thumbnail;
}

}  // namespace

CThumbnailCache::CThumbnailCache(const std::string& file, int64_t capacity) : capacity_(capacity)
{
    if (file.empty())
        return;
    std::error_code ignored;
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (std::filesystem::create_directories(folder, ignored))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    database_.Open(file);
}

CThumbnailCache::~CThumbnailCache()
{
    Flush();
}

std::string CThumbnailCache::DefaultFile()
{
    // Relative folders do not count, as the XDG base directory rules say.
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    if (cacheHome != nullptr && cacheHome[0] == '/')
        return cacheHome + std::string(kFileName);
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home + std::string("/.cache") + kFileName;
    return "";
}

IThumbnailStore::Found CThumbnailCache::Find(const os::FileStamp& file, std::unique_ptr<gdi::CDibSection>& thumbnail)
{
    thumbnail.reset();
    try {
        std::lock_guard lock(mutex_);
        std::optional<CacheRow> row;
        if (const CacheRow* waiting = FindWaiting(file.path))
            row = *waiting;
        else
            row = database_.Read(file.path);
        if (!row || !HoldsFor(*row, file))
            return Found::Nothing;
        if (row->decoded) {
            thumbnail = ThumbnailOf(*row);
            if (!thumbnail)
                return Found::Nothing;
        }
        Wait(UseOf(file.path));
        return row->decoded ? Found::Thumbnail : Found::Refused;
    } catch (const std::exception&) {
        thumbnail.reset();
        return Found::Nothing;
    }
}

void CThumbnailCache::Store(const os::FileStamp& file, const gdi::CDibSection* thumbnail)
{
    try {
        std::lock_guard lock(mutex_);
        Wait(CacheWrite {false, RowOf(file, thumbnail)});
    } catch (const std::exception&) {
        // Not kept: the file is decoded again next time.
    }
}

void CThumbnailCache::Flush()
{
    try {
        std::lock_guard lock(mutex_);
        WriteWaiting();
    } catch (const std::exception&) {
        // Not kept: the files are decoded again next time.
    }
}

bool CThumbnailCache::IsUsable()
{
    std::lock_guard lock(mutex_);
    return database_.IsOpen();
}

const CacheRow* CThumbnailCache::FindWaiting(const std::string& path) const
{
    for (auto write = waiting_.rbegin(); write != waiting_.rend(); ++write)
        if (!write->isUse && write->row.path == path)
            return &write->row;
    return nullptr;
}

void CThumbnailCache::Wait(CacheWrite write)
{
    if (!database_.IsOpen())
        return;
    auto now = std::chrono::steady_clock::now();
    if (waiting_.empty())
        firstWaiting_ = now;
    waiting_.push_back(std::move(write));
    if (waiting_.size() >= kWritesPerTransaction || now - firstWaiting_ >= kLongestWait)
        WriteWaiting();
}

void CThumbnailCache::WriteWaiting()
{
    // Writes the file refuses are dropped: the files are decoded again next time.
    if (!waiting_.empty())
        database_.Write(waiting_, capacity_);
    waiting_.clear();
}
