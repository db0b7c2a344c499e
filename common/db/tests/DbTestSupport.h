// Shared pieces of the database tests: a throw-away folder, seeded code-list rows,
// and the round trip that runs on SQLite and, when configured, on PostgreSQL.
#pragma once

#include "common/db/Database.h"

#include <filesystem>
#include <memory>
#include <string>

namespace kel::dbtest {

// A fresh folder under the temp directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Opens (creating) a SQLite file in `dir`; fails the test when it cannot.
std::unique_ptr<kel::db::Connection> OpenSqlite(const TempDir& dir, const std::string& fileName = "kelmor.db");

// Inserts a few rows into every table behind a code list, through bound parameters.
void SeedCodeLists(kel::db::Connection& db);

// Writes and reads back Chinese text, quotes, NULLs, integers, reals and a long
// text in a table of its own; checks with gtest assertions.
void CheckRoundTrip(kel::db::Connection& db);

// Loads every registered code list from the seeded rows and checks the first items.
void CheckAllCodeListsLoad(kel::db::Connection& db);

}  // namespace kel::dbtest
