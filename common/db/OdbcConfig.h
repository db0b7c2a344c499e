// The project-local ODBC driver configuration (internal to the database library).
#pragma once

#include <string>

namespace kel::db::odbc {

// Driver names as written in connection strings.
inline constexpr const char* kSqliteDriver = "SQLite3";
inline constexpr const char* kPostgresDriver = "PostgreSQL Unicode";

// Full path of a driver library found in the usual library folders, or "".
std::string FindDriverLibrary(const std::string& fileName);

// The folder EnsureOdbcConfig wrote odbcinst.ini into ("" when ODBCSYSINI was
// already set by the user and left alone).
std::string OdbcConfigDir();

// A hint for a failed connection: names the driver libraries that were not found
// when the configuration was written ("" when all were found).
std::string MissingDriverHint();

}  // namespace kel::db::odbc
