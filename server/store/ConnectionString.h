// Reading the database targets the server is given: a SQLite file path, a
// PostgreSQL URI, or an ODBC connection string ("DRIVER={PostgreSQL Unicode};
// Server=..;Port=..;Database=..;Uid=..;Pwd=..;" as users have configured it).
#pragma once

#include <map>
#include <optional>
#include <string>

namespace kel::server::store {

// The keywords of an ODBC connection string, lower-cased, with their values
// ("{...}" unwrapped, "}}" inside braces read as "}"). nullopt when malformed.
std::optional<std::map<std::string, std::string>> OdbcKeywords(const std::string& conn);

// libpq's connection string for an ODBC one naming the PostgreSQL driver: host,
// port, dbname, user, password and sslmode, each value quoted.
std::string PgConnInfo(const std::map<std::string, std::string>& keywords);

enum class TargetKind { SqliteFile, Postgres, OtherOdbc };

struct Target {
    TargetKind kind;
    std::string location;  // the file path, or libpq's conninfo or URI
};

// What `target` names. nullopt (with `error`) when it cannot be read.
std::optional<Target> ReadTarget(const std::string& target, std::string* error);

}  // namespace kel::server::store
