// Lutris's pga.db, read with SQLite (records module only).
//
// The file's bytes are handed to SQLite as a read-only database in memory: SQLite never opens
// the file itself, so it can neither lock it, nor make a journal or WAL file beside it, nor wait
// for Lutris. Triggers, views and extensions are off and the work one read may do is bounded, so
// a damaged or hostile file costs a refusal and nothing more.

#include "discovery/LutrisConfig.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <sqlite3.h>
#include <string>

namespace dk3::discovery {

namespace {

// "SQLite format 3" and its NUL: the first 16 bytes of every database file.
constexpr std::string_view kHeader("SQLite format 3\0", 16);
// The smallest database is one page of 512 bytes.
constexpr std::size_t kMinDatabaseBytes = 512;
// The progress handler runs every kStepsPerTick virtual machine steps; after kMaxTicks of them
// the read is given up. A library of kMaxLutrisDatabaseGames rows takes a small part of it.
constexpr int kStepsPerTick = 1000;
constexpr int kMaxTicks = 50000;

struct Connection {
    sqlite3* db = nullptr;
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { sqlite3_close(db); }
};

struct Statement {
    sqlite3_stmt* statement = nullptr;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(statement); }
};

int stopWhenTooLong(void* ticks) {
    return ++*static_cast<int*>(ticks) > kMaxTicks ? 1 : 0;
}

std::string textOf(sqlite3_stmt* statement, int column) {
    if (column < 0 || sqlite3_column_type(statement, column) != SQLITE_TEXT)
        return {};
    const unsigned char* text = sqlite3_column_text(statement, column);
    const int bytes = sqlite3_column_bytes(statement, column);
    if (!text || bytes <= 0 || static_cast<std::size_t>(bytes) > kMaxLutrisFieldBytes)
        return {};
    std::string value(reinterpret_cast<const char*>(text), static_cast<std::size_t>(bytes));
    if (value.find('\0') != std::string::npos)
        return {};
    return value;
}

std::uint32_t bigEndian(std::string_view bytes, std::size_t offset, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

// The header's page size, and its page count where the header vouches for it, fit the bytes: a
// file cut short is refused here rather than read as pages of zeros.
bool wholeFile(std::string_view bytes) {
    std::uint32_t pageSize = bigEndian(bytes, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0 || bytes.size() % pageSize != 0)
        return false;
    const std::uint32_t pages = bigEndian(bytes, 28, 4);
    const bool countIsValid = pages != 0 && bigEndian(bytes, 24, 4) == bigEndian(bytes, 92, 4);
    return !countIsValid || bytes.size() / pageSize >= pages;
}

bool configure(sqlite3* db, int* ticks) {
    int unused = 0;
    const bool off =
        sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, &unused) == SQLITE_OK &&
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, &unused) == SQLITE_OK &&
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, &unused) == SQLITE_OK &&
        sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, &unused) == SQLITE_OK &&
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, &unused) == SQLITE_OK;
    if (!off)
        return false;
    sqlite3_busy_timeout(db, 0);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, static_cast<int>(kMaxLutrisDatabaseBytes));
    sqlite3_progress_handler(db, kStepsPerTick, &stopWhenTooLong, ticks);
    // Nothing of SQLite's own goes to a temporary file either.
    return sqlite3_exec(db, "PRAGMA temp_store = MEMORY; PRAGMA cell_size_check = ON;", nullptr,
                        nullptr, nullptr) == SQLITE_OK;
}

} // namespace

std::optional<std::vector<LutrisGameRecord>> parseLutrisDatabase(std::string_view bytes) {
    if (bytes.size() < kMinDatabaseBytes || bytes.size() > kMaxLutrisDatabaseBytes ||
        bytes.substr(0, kHeader.size()) != kHeader || !wholeFile(bytes))
        return std::nullopt;
    // SQLite reads the copy where it lies. A database in WAL mode (bytes 18 and 19 are 2) is
    // marked as a plain one in the copy: what Lutris has not yet moved from its WAL file into
    // the database is not read, as with any read that leaves the WAL file alone.
    std::string image(bytes);
    for (const std::size_t version : {std::size_t{18}, std::size_t{19}}) {
        if (image[version] == 2)
            image[version] = 1;
    }

    Connection connection;
    int ticks = 0;
    if (sqlite3_open_v2(":memory:", &connection.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK ||
        !configure(connection.db, &ticks))
        return std::nullopt;
    if (sqlite3_deserialize(connection.db, "main", reinterpret_cast<unsigned char*>(image.data()),
                            static_cast<sqlite3_int64>(image.size()),
                            static_cast<sqlite3_int64>(image.size()),
                            SQLITE_DESERIALIZE_READONLY) != SQLITE_OK)
        return std::nullopt;

    // The columns the table has; Lutris has added columns over the years.
    constexpr std::array<const char*, 7> kWanted = {
        "installed", "name", "slug", "runner", "executable", "directory", "configpath"};
    std::array<bool, kWanted.size()> present{};
    {
        Statement columns;
        if (sqlite3_prepare_v2(connection.db, "PRAGMA main.table_info(games)", -1,
                               &columns.statement, nullptr) != SQLITE_OK)
            return std::nullopt;
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(columns.statement)) == SQLITE_ROW) {
            const std::string name = textOf(columns.statement, 1);
            for (std::size_t i = 0; i < kWanted.size(); ++i)
                present[i] = present[i] || name == kWanted[i];
        }
        if (step != SQLITE_DONE)
            return std::nullopt;
    }
    if (!present[0] || !(present[5] || present[6]))
        return std::nullopt;

    // Only names from kWanted go into the statement.
    std::string query = "SELECT ";
    for (std::size_t i = 1; i < kWanted.size(); ++i) {
        query += present[i] ? kWanted[i] : "NULL";
        query += i + 1 < kWanted.size() ? ", " : " ";
    }
    query += "FROM main.games WHERE installed = 1";
    Statement rows;
    if (sqlite3_prepare_v2(connection.db, query.c_str(), -1, &rows.statement, nullptr) != SQLITE_OK)
        return std::nullopt;
    std::vector<LutrisGameRecord> games;
    int step = SQLITE_ROW;
    while (games.size() < kMaxLutrisDatabaseGames &&
           (step = sqlite3_step(rows.statement)) == SQLITE_ROW) {
        LutrisGameRecord game;
        game.name = textOf(rows.statement, 0);
        game.slug = textOf(rows.statement, 1);
        game.runner = textOf(rows.statement, 2);
        game.executable = textOf(rows.statement, 3);
        game.directory = textOf(rows.statement, 4);
        game.configpath = textOf(rows.statement, 5);
        games.push_back(std::move(game));
    }
    if (step != SQLITE_ROW && step != SQLITE_DONE)
        return std::nullopt; // damaged, or it took too long
    return games;
}

} // namespace dk3::discovery
