#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// One row of the thumbnail cache: the state of the file it holds for (path,
// size, time of last modification, the thumbnails' background colour) and
// what decoding the file gave then. Read back, every number is as stored;
// nothing says it makes a sound thumbnail.
struct CacheRow {
    std::string path;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    int64_t background = 0;
    bool decoded = false;
    // The thumbnail, when the file decoded.
    int64_t width = 0;
    int64_t height = 0;
    int64_t depth = 0;
    std::vector<uint8_t> colors;  // the colour table's bytes
    std::vector<uint8_t> bits;    // the rows, bottom-up, as a DIB stores them
};

// What the cache has to write: a row stored, or a use of the row of `row.path`
// (then nothing else in `row` counts).
struct CacheWrite {
    bool isUse = false;
    CacheRow row;
};

// The SQLite file behind the thumbnail cache: rows keyed by path and the
// thumbnail format version, with a use count for dropping the least
// recently used ones. Not safe for several threads at once; the cache
// serialises its calls. Nothing here throws.
//
// A file that is clearly the cache's own (SQLite carrying the cache's
// application id) but damaged or of an older schema is emptied in place,
// through SQLite's own locking, so another process using it sees an empty
// cache rather than a broken one. Anything else (not SQLite, cut inside its
// header, another program's database, a newer schema) is left as it is and
// the cache runs without a file.
class CCacheDatabase {
public:
    CCacheDatabase();
    ~CCacheDatabase();
    CCacheDatabase(const CCacheDatabase&) = delete;
    CCacheDatabase& operator=(const CCacheDatabase&) = delete;

    // Opens the cache in `file`, making the file when it is missing; false,
    // and nothing open, when the file cannot serve as the cache.
    bool Open(const std::string& file);
    bool IsOpen() const { return db_ != nullptr; }

    // The row of `path` for this thumbnail format; nothing when there is
    // none, it holds values of the wrong kinds, or the file fails.
    std::optional<CacheRow> Read(const std::string& path);
    // Makes `writes` in order, in one transaction, then drops the least
    // recently used rows until the file's pages in use take at most
    // `capacity` bytes. False, and nothing written, when the file fails.
    bool Write(const std::vector<CacheWrite>& writes, int64_t capacity);

private:
    // What Open found: the cache's own file, a file with nothing in it yet, the
    // cache's own file to empty (damaged or of an older schema), anything else.
    enum class FileKind { Ours, Blank, OursToEmpty, NotOurs };

    struct DatabaseClose {
        void operator()(sqlite3* db) const;
    };
    struct StatementFinalize {
        void operator()(sqlite3_stmt* statement) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalize>;

    FileKind Examine(const std::string& file);
    void Configure();
    int Prepare();
    bool CreateSchema();
    // Empties the file in place and makes the tables anew.
    bool MakeEmpty();
    int WriteAll(const std::vector<CacheWrite>& writes);
    int MarkUse(const std::string& path, int64_t use);
    int WriteRow(const CacheRow& row, int64_t use);
    int DropOldest(int64_t capacity);
    // The number in the first column of the first row; SQLite's result code.
    int ReadNumber(sqlite3_stmt* statement, int64_t& number);
    int ReadNumber(const char* sql, int64_t& number);
    int Execute(const char* sql);
    // Empties a file found damaged; gives it up when even that fails.
    void RecoverFrom(int result);
    void Close();

    std::unique_ptr<sqlite3, DatabaseClose> db_;
    std::vector<Statement> queries_;  // prepared once, by the numbers of the .cpp
};
