#include "document/CacheDatabase.h"

#include <sqlite3.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "document/Thumbnail.h"
#include "platform/os/ByteOrder.h"

namespace {

// "Lumo" in the file's header, so the cache knows its own file.
constexpr int64_t kApplicationId = 0x4C756D6F;
// Raised when the tables change; a file of an older schema is emptied.
constexpr int64_t kSchemaVersion = 1;
// How long a write waits for another process to finish its own.
constexpr int kBusyMilliseconds = 100;

// The file's state for one path is kept in `entries`, small enough to be
// read and updated cheaply; the thumbnail itself in `thumbnails`, under the
// same id. A file that did not decode has no thumbnail row.
const std::string kSchema =
    "BEGIN IMMEDIATE;"
    "CREATE TABLE IF NOT EXISTS entries ("
    "    id INTEGER PRIMARY KEY, path TEXT NOT NULL, format INTEGER NOT NULL,"
    "    size INTEGER NOT NULL, modified INTEGER NOT NULL, background INTEGER NOT NULL,"
    "    decoded INTEGER NOT NULL, used INTEGER NOT NULL, UNIQUE (path, format));"
    "CREATE INDEX IF NOT EXISTS entries_by_use ON entries (used);"
    "CREATE TABLE IF NOT EXISTS thumbnails ("
    "    id INTEGER PRIMARY KEY, width INTEGER NOT NULL, height INTEGER NOT NULL,"
    "    depth INTEGER NOT NULL, colors BLOB NOT NULL, bits BLOB NOT NULL);"
    "CREATE TRIGGER IF NOT EXISTS entries_take_thumbnails AFTER DELETE ON entries"
    "    BEGIN DELETE FROM thumbnails WHERE id = old.id; END;"
    "PRAGMA application_id = " + std::to_string(kApplicationId) + ";"
    "PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";"
    "COMMIT;";

// Columns of the read query, in order.
enum ReadColumn { kSize, kModified, kBackground, kDecoded, kWidth, kHeight, kDepth, kColors, kBits };

// The statements the cache prepares once, by number.
enum Query { kRead, kLastUse, kForget, kInsertEntry, kInsertThumbnail, kUse, kDropOldest, kBytesInUse, kQueryCount };
constexpr const char* kQueryTexts[] = {
    "SELECT e.size, e.modified, e.background, e.decoded, t.width, t.height, t.depth, t.colors, t.bits"
    " FROM entries AS e LEFT JOIN thumbnails AS t ON t.id = e.id WHERE e.path = ?1 AND e.format = ?2",
    "SELECT MAX(used) FROM entries",
    "DELETE FROM entries WHERE path = ?1 AND format = ?2",
    "INSERT INTO entries (path, format, size, modified, background, decoded, used)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
    "INSERT INTO thumbnails (id, width, height, depth, colors, bits) VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
    "UPDATE entries SET used = ?3 WHERE path = ?1 AND format = ?2",
    "DELETE FROM entries WHERE id = (SELECT id FROM entries ORDER BY used LIMIT 1)",
    "SELECT (page_count - freelist_count) * page_size"
    " FROM pragma_page_count(), pragma_freelist_count(), pragma_page_size()",
};
static_assert(std::size(kQueryTexts) == kQueryCount);

// Failures that say the file's contents are broken, not that it is busy or
// out of reach.
bool IsDamage(int result)
{
    int primary = result & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Whether the file starts with an SQLite header that carries the cache's
// application id, whatever follows it.
bool HeaderNamesTheCache(const std::string& file)
{
    char header[72] = {};
    std::ifstream(file, std::ios::binary).read(header, sizeof header);
    uint32_t application = os::LoadBigEndian<uint32_t>(reinterpret_cast<const uint8_t*>(header + 68));
    return std::memcmp(header, "SQLite format 3", 16) == 0 && application == kApplicationId;
}

// Clears a statement's bindings and state when a use of it ends.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* statement) : statement_(statement) {}
    ~StatementUse()
    {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    sqlite3_stmt* statement_;
};

// Runs a statement whose rows are not wanted: SQLITE_OK or the failure.
int RunToEnd(sqlite3_stmt* statement)
{
    StatementUse use(statement);
    int result = sqlite3_step(statement);
    return result == SQLITE_DONE || result == SQLITE_ROW ? SQLITE_OK : result;
}

// Binds the key of a row: the path and this thumbnail format.
void BindKey(sqlite3_stmt* statement, const std::string& path)
{
    sqlite3_bind_text(statement, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
    sqlite3_bind_int(statement, 2, kThumbnailFormatVersion);
}

void BindBlob(sqlite3_stmt* statement, int index, const std::vector<uint8_t>& bytes)
{
    // A null pointer would store NULL rather than an empty blob.
    const void* data = bytes.empty() ? static_cast<const void*>("") : bytes.data();
    sqlite3_bind_blob(statement, index, data, static_cast<int>(bytes.size()), SQLITE_STATIC);
}

bool ColumnsHold(sqlite3_stmt* statement, int first, int last, int type)
{
    for (int column = first; column <= last; ++column)
        if (sqlite3_column_type(statement, column) != type)
            return false;
    return true;
}

std::vector<uint8_t> BlobColumn(sqlite3_stmt* statement, int column)
{
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement, column));
    int count = sqlite3_column_bytes(statement, column);
    if (bytes == nullptr || count <= 0)
        return {};
    return std::vector<uint8_t>(bytes, bytes + count);
}

// The row the read query stands on, when its values are of the kinds stored.
std::optional<CacheRow> RowFrom(sqlite3_stmt* query, const std::string& path)
{
    if (!ColumnsHold(query, kSize, kDecoded, SQLITE_INTEGER))
        return std::nullopt;
    CacheRow row;
    row.path = path;
    row.size = sqlite3_column_int64(query, kSize);
    row.modifiedNs = sqlite3_column_int64(query, kModified);
    row.background = sqlite3_column_int64(query, kBackground);
    int64_t decoded = sqlite3_column_int64(query, kDecoded);
    if (decoded != 0 && decoded != 1)
        return std::nullopt;
    row.decoded = decoded == 1;
    if (!row.decoded)
        return row;
    if (!ColumnsHold(query, kWidth, kDepth, SQLITE_INTEGER) || !ColumnsHold(query, kColors, kBits, SQLITE_BLOB))
        return std::nullopt;
    row.width = sqlite3_column_int64(query, kWidth);
    row.height = sqlite3_column_int64(query, kHeight);
    row.depth = sqlite3_column_int64(query, kDepth);
    row.colors = BlobColumn(query, kColors);
    row.bits = BlobColumn(query, kBits);
    return row;
}

}  // namespace

void CCacheDatabase::DatabaseClose::operator()(sqlite3* db) const
{
    sqlite3_close_v2(db);
}

void CCacheDatabase::StatementFinalize::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

CCacheDatabase::CCacheDatabase() = default;

CCacheDatabase::~CCacheDatabase()
{
    Close();
}

bool CCacheDatabase::Open(const std::string& file)
{
    Close();
    sqlite3* db = nullptr;
    int result =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(db);
    if (result != SQLITE_OK) {
        Close();
        return false;
    }
    sqlite3_busy_timeout(db, kBusyMilliseconds);
    switch (Examine(file)) {
    case FileKind::Ours:
        Configure();
        result = Prepare();
        if (result == SQLITE_ERROR || IsDamage(result))  // tables missing or broken
            result = MakeEmpty() ? SQLITE_OK : result;
        break;
    case FileKind::Blank:
        result = CreateSchema() ? Prepare() : SQLITE_ERROR;
        break;
    case FileKind::OursToEmpty:
        result = MakeEmpty() ? SQLITE_OK : SQLITE_ERROR;
        break;
    case FileKind::NotOurs:
        result = SQLITE_ERROR;
        break;
    }
    if (result != SQLITE_OK)
        Close();
    return IsOpen();
}

CCacheDatabase::FileKind CCacheDatabase::Examine(const std::string& file)
{
    int64_t application = 0;
    int result = ReadNumber("PRAGMA application_id", application);
    if (IsDamage(result))  // SQLite cannot read it: its header says whose it is
        return HeaderNamesTheCache(file) ? FileKind::OursToEmpty : FileKind::NotOurs;
    if (result != SQLITE_OK)  // out of reach for now
        return FileKind::NotOurs;
    if (application == kApplicationId) {
        int64_t version = 0;
        if (ReadNumber("PRAGMA user_version", version) != SQLITE_OK || version > kSchemaVersion)
            return FileKind::NotOurs;
        return version == kSchemaVersion ? FileKind::Ours : FileKind::OursToEmpty;
    }
    int64_t objects = 0;
    if (application == 0 && ReadNumber("SELECT count(*) FROM sqlite_schema", objects) == SQLITE_OK && objects == 0)
        return FileKind::Blank;
    return FileKind::NotOurs;
}

void CCacheDatabase::Configure()
{
    // Readers never wait for a writer; a commit syncs nothing, a checkpoint does.
    Execute("PRAGMA journal_mode = WAL");
    Execute("PRAGMA synchronous = NORMAL");
    Execute("PRAGMA journal_size_limit = 8388608");
}

int CCacheDatabase::Prepare()
{
    queries_.clear();
    for (const char* text : kQueryTexts) {
        sqlite3_stmt* statement = nullptr;
        int result = sqlite3_prepare_v3(db_.get(), text, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
        queries_.emplace_back(statement);
        if (result != SQLITE_OK)
            return result;
    }
    return SQLITE_OK;
}

bool CCacheDatabase::CreateSchema()
{
    Configure();
    int result = Execute(kSchema.c_str());
    if (result != SQLITE_OK && !sqlite3_get_autocommit(db_.get()))
        Execute("ROLLBACK");
    return result == SQLITE_OK;
}

bool CCacheDatabase::MakeEmpty()
{
    queries_.clear();
    sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_RESET_DATABASE, 1, nullptr);
    int result = Execute("VACUUM");
    sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_RESET_DATABASE, 0, nullptr);
    return result == SQLITE_OK && CreateSchema() && Prepare() == SQLITE_OK;
}

std::optional<CacheRow> CCacheDatabase::Read(const std::string& path)
{
    if (!IsOpen())
        return std::nullopt;
    sqlite3_stmt* query = queries_[kRead].get();
    std::optional<CacheRow> row;
    int result = SQLITE_OK;
    {
        StatementUse use(query);
        BindKey(query, path);
        result = sqlite3_step(query);
        if (result == SQLITE_ROW)
            row = RowFrom(query, path);
    }
    if (result != SQLITE_ROW && result != SQLITE_DONE)
        RecoverFrom(result);
    return row;
}

bool CCacheDatabase::Write(const std::vector<CacheWrite>& writes, int64_t capacity)
{
    if (!IsOpen())
        return false;
    int result = Execute("BEGIN IMMEDIATE");
    if (result == SQLITE_OK)
        result = WriteAll(writes);
    if (result == SQLITE_OK)
        result = DropOldest(capacity);
    if (result == SQLITE_OK)
        result = Execute("COMMIT");
    if (result == SQLITE_OK)
        return true;
    if (!sqlite3_get_autocommit(db_.get()))
        Execute("ROLLBACK");
    RecoverFrom(result);
    return false;
}

int CCacheDatabase::WriteAll(const std::vector<CacheWrite>& writes)
{
    // Uses count on from the latest of any process, so these rows go last.
    int64_t use = 0;
    int result = ReadNumber(queries_[kLastUse].get(), use);
    for (auto write = writes.begin(); write != writes.end() && result == SQLITE_OK; ++write) {
        ++use;
        result = write->isUse ? MarkUse(write->row.path, use) : WriteRow(write->row, use);
    }
    return result;
}

int CCacheDatabase::MarkUse(const std::string& path, int64_t use)
{
    sqlite3_stmt* update = queries_[kUse].get();
    BindKey(update, path);
    sqlite3_bind_int64(update, 3, use);
    return RunToEnd(update);
}

int CCacheDatabase::WriteRow(const CacheRow& row, int64_t use)
{
    sqlite3_stmt* forget = queries_[kForget].get();
    BindKey(forget, row.path);
    int result = RunToEnd(forget);
    if (result != SQLITE_OK)
        return result;

    sqlite3_stmt* entry = queries_[kInsertEntry].get();
    BindKey(entry, row.path);
    sqlite3_bind_int64(entry, 3, row.size);
    sqlite3_bind_int64(entry, 4, row.modifiedNs);
    sqlite3_bind_int64(entry, 5, row.background);
    sqlite3_bind_int(entry, 6, row.decoded ? 1 : 0);
    sqlite3_bind_int64(entry, 7, use);
    result = RunToEnd(entry);
    if (result != SQLITE_OK || !row.decoded)
        return result;

    sqlite3_stmt* thumbnail = queries_[kInsertThumbnail].get();
    sqlite3_bind_int64(thumbnail, 1, sqlite3_last_insert_rowid(db_.get()));
    sqlite3_bind_int64(thumbnail, 2, row.width);
    sqlite3_bind_int64(thumbnail, 3, row.height);
    sqlite3_bind_int64(thumbnail, 4, row.depth);
    BindBlob(thumbnail, 5, row.colors);
    BindBlob(thumbnail, 6, row.bits);
    return RunToEnd(thumbnail);
}

int CCacheDatabase::DropOldest(int64_t capacity)
{
    // Each round drops a row, so the loop ends however the file counts its pages.
    for (;;) {
        int64_t bytesInUse = 0;
        int result = ReadNumber(queries_[kBytesInUse].get(), bytesInUse);
        if (result != SQLITE_OK || bytesInUse <= capacity)
            return result;
        result = RunToEnd(queries_[kDropOldest].get());
        if (result != SQLITE_OK || sqlite3_changes(db_.get()) == 0)
            return result;
    }
}

int CCacheDatabase::ReadNumber(const char* sql, int64_t& number)
{
    sqlite3_stmt* statement = nullptr;
    int result = sqlite3_prepare_v2(db_.get(), sql, -1, &statement, nullptr);
    Statement owned(statement);
    return result == SQLITE_OK ? ReadNumber(statement, number) : result;
}

int CCacheDatabase::ReadNumber(sqlite3_stmt* statement, int64_t& number)
{
    StatementUse use(statement);
    int result = sqlite3_step(statement);
    if (result != SQLITE_ROW)
        return result == SQLITE_DONE ? SQLITE_ERROR : result;
    number = sqlite3_column_int64(statement, 0);
    return SQLITE_OK;
}

int CCacheDatabase::Execute(const char* sql)
{
    return sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
}

void CCacheDatabase::RecoverFrom(int result)
{
    if (IsDamage(result) && !MakeEmpty())
        Close();
}

void CCacheDatabase::Close()
{
    queries_.clear();
    db_.reset();
}
