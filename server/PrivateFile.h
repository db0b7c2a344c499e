// The SQLite file holds the users' password hashes: the folders and the file the
// server creates for it are private to the server's user (0700 and 0600; SQLite
// gives its journal files the file's mode). An existing file keeps its mode, but one
// that every local user may read is reported.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace kel::server {

// For a database that is a SQLite file (a path, or the SQLite driver's connection
// string; nothing for PostgreSQL and other ODBC targets): creates the
// missing folders and the empty file, private. false with `error` when it cannot.
// `warn` gets the words about a world-readable file; nullptr: stderr.
bool PrepareDatabaseFile(const std::string& database, std::string* error = nullptr,
                         const std::function<void(std::string_view)>& warn = nullptr);

// Creates the folder and its missing parents with mode 0700; existing ones are left alone.
bool MakePrivateFolders(const std::filesystem::path& folder, std::string* error = nullptr);

}  // namespace kel::server
