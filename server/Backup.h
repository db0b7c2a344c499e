// Backup and restore of a SQLite store while the server runs, through SQLite's
// online backup: the copy is one consistent state of the store, however many
// requests write meanwhile. (A PostgreSQL store is backed up with its own tools.)
#pragma once

#include <string>

namespace kel::server {

// `database` is what --database takes; it must name a SQLite file (a path, or the
// SQLite driver's connection string).

// Writes a copy of the store to `copy`, replacing one that is there only once the
// new copy is whole (written beside it and renamed). false with `error`.
bool BackupStore(const std::string& database, const std::string& copy, std::string& error);

// Brings the copy back into the store, through the backup API as well: a server
// running on the store sees the old state or the restored one, never a mixture,
// and notices the change. The copy must be a sound store of this server: every
// table and column a new store gets, and at least one user. What the store held
// before is kept first as `database` + ".before-restore". The restored store's
// write numbers go on above every number the old store handed out, so no record
// version is ever given twice.
bool RestoreStore(const std::string& copy, const std::string& database, std::string& error);

}  // namespace kel::server
