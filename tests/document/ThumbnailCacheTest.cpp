#include <gtest/gtest.h>

#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "document/Thumbnail.h"
#include "document/ThumbnailCache.h"
#include "picture/decoding/AutoDecoder.h"
#include "platform/gdi/Colors.h"
#include "tests/document/DocumentTestSupport.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TiffWriter.h"

namespace fs = std::filesystem;
using Found = IThumbnailStore::Found;

namespace {

// A thumbnail of every depth, and a file that does not decode.
const char* const kPictures[] = {"mono.tif", "cube.bmp", "scene.bmp", "broken.bmp"};
constexpr int kPictureCount = 4;
constexpr const char* kCacheName = "/cache/thumbnails.sqlite3";

void WritePictures(const TempFolder& folder)
{
    TiffImage mono;  // black and white TIFF files decode to 1 bit
    mono.width = 160;
    mono.height = 90;
    mono.bitsPerSample = 1;
    std::vector<std::vector<uint32_t>> rows(90, std::vector<uint32_t>(160));
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 160; ++x)
            rows[y][x] = (x / 8 + y / 8) % 2;
    mono.pixels = PackSamples(rows, 1);
    folder.Write("mono.tif", WriteTiff(mono));
    folder.Write("cube.bmp", SceneBmp(300, 200, 8));
    folder.Write("scene.bmp", SceneBmp(400, 300, 24));
    folder.Write("broken.bmp", std::string("BM not really"));
}

bool SameThumbnail(const gdi::CDibSection* kept, const gdi::CDibSection* fresh)
{
    if (kept == nullptr || fresh == nullptr)
        return kept == fresh;
    size_t bits = static_cast<size_t>(fresh->Stride()) * static_cast<size_t>(fresh->Height());
    return std::memcmp(&kept->Header(), &fresh->Header(), sizeof(gdi::BitmapInfoHeader)) == 0 &&
           kept->ColorTable() == fresh->ColorTable() && std::memcmp(kept->Bits(), fresh->Bits(), bits) == 0;
}

struct Outcome {
    int hits = 0;         // answers found in the cache
    int differences = 0;  // answers that differ from a fresh build
};

// Runs every picture of `folder` through `cache` as a loader does: the answer
// kept, else a fresh thumbnail, which is then stored.
Outcome RunThrough(CThumbnailCache& cache, const std::string& folder)
{
    CAutoDecoder decoder;
    Outcome run;
    for (const char* name : kPictures) {
        std::string path = folder + "/" + name;
        os::FileStamp stamp = *os::StampFile(path);
        std::unique_ptr<gdi::CDibSection> fresh = MakeFileThumbnail(decoder, path);
        std::unique_ptr<gdi::CDibSection> kept;
        Found found = cache.Find(stamp, kept);
        if (found == Found::Nothing) {
            cache.Store(stamp, fresh.get());
            continue;
        }
        ++run.hits;
        if ((found == Found::Refused) != (fresh == nullptr) || !SameThumbnail(kept.get(), fresh.get()))
            ++run.differences;
    }
    return run;
}

// Runs the pictures of `folder` through two caches on its cache file, one
// after the other; the number of answers that differ from a fresh build.
int DifferencesInTwoRuns(const std::string& folder)
{
    int differences = 0;
    for (int i = 0; i < 2; ++i) {
        CThumbnailCache cache(folder + kCacheName);
        differences += RunThrough(cache, folder).differences;
    }
    return differences;
}

// A connection of its own to a cache file, as another process or program has.
class OtherConnection {
public:
    explicit OtherConnection(const std::string& file) { sqlite3_open(file.c_str(), &db_); }
    ~OtherConnection() { sqlite3_close(db_); }
    OtherConnection(const OtherConnection&) = delete;
    OtherConnection& operator=(const OtherConnection&) = delete;

    int Run(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }

private:
    sqlite3* db_ = nullptr;
};

class ThumbnailCacheTest : public testing::Test {
protected:
    ThumbnailCacheTest() : cacheFile(folder.Path() + kCacheName) { WritePictures(folder); }

    // The bytes of a cache file that holds every picture.
    std::vector<uint8_t> FilledCacheBytes()
    {
        TempFolder other;
        std::string file = other.Path() + "/thumbnails.sqlite3";
        {
            CThumbnailCache cache(file);
            RunThrough(cache, folder.Path());
        }
        return ReadFileBytes(file);
    }

    void WriteCacheFile(const std::vector<uint8_t>& bytes) const
    {
        fs::create_directory(folder.Path() + "/cache");
        folder.Write(kCacheName + 1, bytes);
    }

    TempFolder folder;
    std::string cacheFile;
};

}  // namespace

TEST_F(ThumbnailCacheTest, AnswersKeptAreWhatAFreshBuildGives)
{
    {
        CThumbnailCache cache(cacheFile);
        Outcome first = RunThrough(cache, folder.Path());
        EXPECT_EQ(first.hits, 0);
        Outcome waiting = RunThrough(cache, folder.Path());  // kept in memory, not yet written
        EXPECT_EQ(waiting.hits, kPictureCount);
        EXPECT_EQ(waiting.differences, 0);
    }
    CThumbnailCache reopened(cacheFile);
    Outcome kept = RunThrough(reopened, folder.Path());
    EXPECT_EQ(kept.hits, kPictureCount);  // the broken file's refusal too
    EXPECT_EQ(kept.differences, 0);
}

TEST_F(ThumbnailCacheTest, AnotherStateOfTheFileIsAMiss)
{
    auto setTime = [](const std::string& path, timespec time) {
        timespec times[2] = {time, time};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    auto timeOf = [](const std::string& path) {
        struct stat status {};
        stat(path.c_str(), &status);
        return status.st_mtim;
    };
    struct Change {
        const char* name;
        std::function<void(const std::string& picture)> make;
    };
    const Change changes[] = {
        {"one byte more, same time",
         [&](const std::string& picture) {
             timespec time = timeOf(picture);
             std::vector<uint8_t> bytes = SceneBmp(400, 300, 24);
             bytes.push_back(0);
             folder.Write("scene.bmp", bytes);
             setTime(picture, time);
         }},
        {"a nanosecond later", [&](const std::string& picture) {
             timespec time = timeOf(picture);
             time.tv_nsec = (time.tv_nsec + 1) % 1000000000;
             setTime(picture, time);
         }},
        {"another background",
         [&](const std::string&) { gdi::SetSysColor(gdi::COLOR_BTNFACE, gdi::Rgb(10, 20, 30)); }},
        {"thumbnails made differently before",
         [&](const std::string&) { OtherConnection(cacheFile).Run("UPDATE entries SET format = format - 1"); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        std::string picture = folder.Write("scene.bmp", SceneBmp(400, 300, 24));
        fs::remove(cacheFile);
        {
            CThumbnailCache cache(cacheFile);
            RunThrough(cache, folder.Path());
        }
        change.make(picture);
        CThumbnailCache cache(cacheFile);
        std::unique_ptr<gdi::CDibSection> kept;
        EXPECT_EQ(cache.Find(*os::StampFile(picture), kept), Found::Nothing);
        EXPECT_EQ(kept, nullptr);
        gdi::ResetSysColors();
    }
}

TEST_F(ThumbnailCacheTest, RowsThatMakeNoSoundThumbnailAreMisses)
{
    struct Damage {
        const char* sql;
        int hits;  // the refusal stays unless the entry itself is damaged
    };
    const Damage damages[] = {
        {"UPDATE thumbnails SET width = 101", 1},
        {"UPDATE thumbnails SET height = 74", 1},
        {"UPDATE thumbnails SET depth = 24", 1},
        {"UPDATE thumbnails SET depth = 8 WHERE depth = 1", 3},
        {"UPDATE thumbnails SET colors = substr(colors, 5) WHERE depth = 8", 3},
        {"UPDATE thumbnails SET bits = substr(bits, 2)", 1},
        {"UPDATE thumbnails SET bits = bits || x'00'", 1},
        {"UPDATE thumbnails SET bits = 7", 1},
        {"UPDATE thumbnails SET width = 'wide'", 1},
        {"UPDATE entries SET decoded = 2", 0},
        {"UPDATE entries SET size = 'big'", 0},
        {"DELETE FROM thumbnails", 1},
    };
    std::vector<uint8_t> filled = FilledCacheBytes();
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.sql);
        WriteCacheFile(filled);
        ASSERT_EQ(OtherConnection(cacheFile).Run(damage.sql), SQLITE_OK);
        CThumbnailCache cache(cacheFile);
        Outcome run = RunThrough(cache, folder.Path());
        EXPECT_EQ(run.hits, damage.hits);
        EXPECT_EQ(run.differences, 0);
    }
}

TEST_F(ThumbnailCacheTest, DamagedOrForeignFilesChangeNoResult)
{
    // A file that is clearly the cache's own is emptied and used; anything
    // else is left as it is and the cache runs without a file.
    std::vector<uint8_t> filled = FilledCacheBytes();
    auto cut = [&](size_t size) { return std::vector<uint8_t>(filled.begin(), filled.begin() + size); };
    auto overwritten = [&]() {
        std::vector<uint8_t> bytes = filled;
        std::fill(bytes.begin() + 4096, bytes.end(), 0xA5);
        return bytes;
    };
    auto edited = [&](const char* sql) {
        return [&, sql]() { ASSERT_EQ(OtherConnection(cacheFile).Run(sql), SQLITE_OK); };
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::function<void()> edit;
        bool used;
    };
    const std::string text = "a file of someone else's that is no database at all";
    const Case cases[] = {
        {"empty", {}, nullptr, true},
        {"not SQLite", std::vector<uint8_t>(text.begin(), text.end()), nullptr, false},
        {"cut inside the header", cut(50), nullptr, false},
        {"cut short", cut(filled.size() / 2), nullptr, true},
        {"pages overwritten", overwritten(), nullptr, true},
        {"another program's database", {}, edited("CREATE TABLE photos (name TEXT)"), false},
        {"a newer schema", filled, edited("PRAGMA user_version = 2"), false},
        {"an older schema", filled, edited("PRAGMA user_version = 0"), true},
        {"a table missing", filled, edited("DROP TABLE thumbnails"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteCacheFile(c.bytes);
        if (c.edit)
            c.edit();
        std::vector<uint8_t> before = ReadFileBytes(cacheFile);
        int differences = 0;
        int hits = 0;
        for (int i = 0; i < 2; ++i) {
            CThumbnailCache cache(cacheFile);
            EXPECT_EQ(cache.IsUsable(), c.used);
            Outcome run = RunThrough(cache, folder.Path());
            differences += run.differences;
            hits = run.hits;
        }
        EXPECT_EQ(differences, 0);
        EXPECT_EQ(hits, c.used ? kPictureCount : 0);
        if (!c.used) {
            EXPECT_EQ(ReadFileBytes(cacheFile), before);
        }
    }
}

TEST_F(ThumbnailCacheTest, UnwritableCacheFolderChangesNoResult)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to give its rights up";
    // Root makes the cache, someone else without the right to write there uses it.
    fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    for (bool withFile : {false, true}) {
        SCOPED_TRACE(withFile ? "a cache file made before" : "no cache file yet");
        fs::create_directory(folder.Path() + "/cache");
        if (withFile) {
            CThumbnailCache cache(cacheFile);
            RunThrough(cache, folder.Path());
        }
        for (const char* name : kPictures)
            fs::permissions(folder.Path() + "/" + name, fs::perms::others_read, fs::perm_options::add);
        int differences = RunWithoutRoot(
            [](const std::string& top) { return DifferencesInTwoRuns(top); }, folder.Path());
        if (differences < 0)
            GTEST_SKIP() << "cannot give up root's rights here";
        EXPECT_EQ(differences, 0);
        fs::remove_all(folder.Path() + "/cache");
    }
}

TEST_F(ThumbnailCacheTest, ReadOnlyFileSystemChangesNoResult)
{
    fs::create_directory(folder.Path() + "/cache");
    ScratchMount disk(folder.Path() + "/cache", 1 << 20);
    if (!disk.IsMounted())
        GTEST_SKIP() << "cannot mount a file system here";
    {
        CThumbnailCache cache(cacheFile);
        RunThrough(cache, folder.Path());
    }
    ASSERT_TRUE(disk.RemountReadOnly());
    EXPECT_EQ(DifferencesInTwoRuns(folder.Path()), 0);
}

TEST_F(ThumbnailCacheTest, AFullDiskChangesNoResultAndRoomBringsTheCacheBack)
{
    fs::create_directory(folder.Path() + "/cache");
    ScratchMount disk(folder.Path() + "/cache", 1 << 20);
    if (!disk.IsMounted())
        GTEST_SKIP() << "cannot mount a file system here";
    CThumbnailCache cache(cacheFile);
    ASSERT_TRUE(cache.IsUsable());
    disk.FillUp();
    Outcome full = RunThrough(cache, folder.Path());
    cache.Flush();  // fails: nothing is kept
    Outcome stillFull = RunThrough(cache, folder.Path());
    cache.Flush();
    EXPECT_EQ(full.differences + stillFull.differences, 0);
    EXPECT_EQ(stillFull.hits, 0);
    EXPECT_EQ(DifferencesInTwoRuns(folder.Path()), 0);  // other caches opened on the full disk

    fs::remove(folder.Path() + "/cache/filler");
    RunThrough(cache, folder.Path());
    cache.Flush();
    CThumbnailCache reopened(cacheFile);
    EXPECT_EQ(RunThrough(reopened, folder.Path()).hits, kPictureCount);
}

TEST_F(ThumbnailCacheTest, AFileLockedByAnotherWriterChangesNoResult)
{
    {
        CThumbnailCache made(cacheFile);
    }
    OtherConnection other(cacheFile);
    ASSERT_EQ(other.Run("BEGIN EXCLUSIVE"), SQLITE_OK);
    EXPECT_EQ(DifferencesInTwoRuns(folder.Path()), 0);
    CThumbnailCache cache(cacheFile);
    EXPECT_EQ(RunThrough(cache, folder.Path()).hits, 0);  // nothing could be written
    ASSERT_EQ(other.Run("COMMIT"), SQLITE_OK);
    cache.Flush();
    CThumbnailCache after(cacheFile);
    EXPECT_EQ(RunThrough(after, folder.Path()).hits, kPictureCount);
}

TEST_F(ThumbnailCacheTest, TwoCachesOnOneFileBothWork)
{
    CThumbnailCache first(cacheFile);
    CThumbnailCache second(cacheFile);
    EXPECT_EQ(RunThrough(first, folder.Path()).hits, 0);
    EXPECT_EQ(RunThrough(second, folder.Path()).hits, 0);
    first.Flush();
    second.Flush();
    for (CThumbnailCache* cache : {&first, &second}) {
        Outcome run = RunThrough(*cache, folder.Path());
        EXPECT_EQ(run.hits, kPictureCount);
        EXPECT_EQ(run.differences, 0);
    }
}

TEST_F(ThumbnailCacheTest, CapacityDropsTheLeastRecentlyUsedFirst)
{
    CAutoDecoder decoder;
    std::unique_ptr<gdi::CDibSection> thumbnail = MakeFileThumbnail(decoder, folder.Path() + "/scene.bmp");
    ASSERT_NE(thumbnail, nullptr);
    auto stamp = [](int i) { return os::FileStamp {"/pictures/" + std::to_string(i) + ".bmp", 100, 1}; };
    std::unique_ptr<gdi::CDibSection> kept;
    {
        // Room for about twelve of these 30,000-byte thumbnails.
        CThumbnailCache cache(cacheFile, 12 * 31000);
        for (int i = 0; i < 8; ++i)
            cache.Store(stamp(i), thumbnail.get());
        ASSERT_EQ(cache.Find(stamp(0), kept), Found::Thumbnail);
        for (int i = 8; i < 16; ++i)
            cache.Store(stamp(i), thumbnail.get());
    }
    CThumbnailCache cache(cacheFile);
    EXPECT_EQ(cache.Find(stamp(0), kept), Found::Thumbnail);
    EXPECT_EQ(cache.Find(stamp(1), kept), Found::Nothing);
    EXPECT_EQ(cache.Find(stamp(4), kept), Found::Nothing);
    EXPECT_EQ(cache.Find(stamp(15), kept), Found::Thumbnail);
}

TEST_F(ThumbnailCacheTest, ManyThreadsFindAndStoreAtOnce)
{
    CAutoDecoder decoder;
    std::vector<os::FileStamp> stamps;
    std::vector<std::unique_ptr<gdi::CDibSection>> fresh;
    for (const char* name : kPictures) {
        std::string path = folder.Path() + "/" + name;
        stamps.push_back(*os::StampFile(path));
        fresh.push_back(MakeFileThumbnail(decoder, path));
    }
    CThumbnailCache cache(cacheFile);
    std::atomic<int> differences {0};
    auto work = [&](int seed) {
        for (int round = 0; round < 200; ++round) {
            size_t i = static_cast<size_t>(seed + round) % stamps.size();
            std::unique_ptr<gdi::CDibSection> kept;
            Found found = cache.Find(stamps[i], kept);
            if (found == Found::Nothing)
                cache.Store(stamps[i], fresh[i].get());
            else if (!SameThumbnail(kept.get(), fresh[i].get()))
                ++differences;
            if (round % 50 == 0)
                cache.Flush();
        }
    };
    std::vector<std::thread> threads;
    for (int seed = 0; seed < 4; ++seed)
        threads.emplace_back(work, seed);
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(differences, 0);
}

TEST(ThumbnailCacheFile, DefaultFileIsInTheUsersCacheFolder)
{
    struct Environment {
        const char* cacheHome;
        const char* home;
        std::string file;
    };
    const Environment environments[] = {
        {"/var/cache/someone", "/home/someone", "/var/cache/someone/lumo/thumbnails.sqlite3"},
        {nullptr, "/home/someone", "/home/someone/.cache/lumo/thumbnails.sqlite3"},
        {"", "/home/someone", "/home/someone/.cache/lumo/thumbnails.sqlite3"},
        {"relative/cache", "/home/someone", "/home/someone/.cache/lumo/thumbnails.sqlite3"},
        {nullptr, nullptr, ""},
    };
    std::string oldCacheHome = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
    std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    auto set = [](const char* name, const char* value) {
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    };
    for (const Environment& environment : environments) {
        set("XDG_CACHE_HOME", environment.cacheHome);
        set("HOME", environment.home);
        EXPECT_EQ(CThumbnailCache::DefaultFile(), environment.file);
    }

    // The folder is made when missing, for the owner alone.
    TempFolder cacheHome;
    set("XDG_CACHE_HOME", cacheHome.Path().c_str());
    {
        CThumbnailCache cache(CThumbnailCache::DefaultFile());
        EXPECT_TRUE(cache.IsUsable());
    }
    EXPECT_TRUE(fs::is_regular_file(cacheHome.Path() + "/lumo/thumbnails.sqlite3"));
    EXPECT_EQ(fs::status(cacheHome.Path() + "/lumo").permissions(), fs::perms::owner_all);
    set("XDG_CACHE_HOME", oldCacheHome.empty() ? nullptr : oldCacheHome.c_str());
    set("HOME", oldHome.empty() ? nullptr : oldHome.c_str());
}
