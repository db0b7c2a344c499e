#include "server/store/ConnectionString.h"

#include <algorithm>
#include <cctype>

namespace kel::server::store {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// A conninfo value in single quotes, backslash and quote escaped.
std::string Quoted(const std::string& v) {
    std::string out = "'";
    for (char c : v) {
        if (c == '\\' || c == '\'') out += '\\';
        out += c;
    }
    return out + "'";
}

}  // namespace

std::optional<std::map<std::string, std::string>> OdbcKeywords(const std::string& conn) {
    std::map<std::string, std::string> out;
    std::size_t i = 0;
    while (i < conn.size()) {
        const std::size_t eq = conn.find('=', i);
        const std::size_t semi = conn.find(';', i);
        if (eq == std::string::npos || (semi != std::string::npos && semi < eq)) {
            if (!Trim(conn.substr(i, semi == std::string::npos ? std::string::npos : semi - i)).empty())
                return std::nullopt;  // a keyword without a value
            if (semi == std::string::npos) break;
            i = semi + 1;
            continue;
        }
        const std::string key = Lower(Trim(conn.substr(i, eq - i)));
        std::size_t at = eq + 1;
        while (at < conn.size() && conn[at] == ' ') ++at;
        std::string value;
        if (at < conn.size() && conn[at] == '{') {
            for (++at;; ++at) {
                if (at >= conn.size()) return std::nullopt;  // no closing brace
                if (conn[at] == '}') {
                    if (at + 1 < conn.size() && conn[at + 1] == '}') {
                        value += '}';
                        ++at;
                        continue;
                    }
                    break;
                }
                value += conn[at];
            }
            const std::size_t end = conn.find(';', at);
            i = end == std::string::npos ? conn.size() : end + 1;
        } else {
            const std::size_t end = conn.find(';', at);
            value = Trim(conn.substr(at, end == std::string::npos ? std::string::npos : end - at));
            i = end == std::string::npos ? conn.size() : end + 1;
        }
        if (key.empty()) return std::nullopt;
        out[key] = value;
    }
    return out;
}

std::string PgConnInfo(const std::map<std::string, std::string>& keywords) {
    // ODBC keywords (and their aliases) as libpq names them.
    static const std::pair<const char*, const char*> kNames[] = {
        {"server", "host"},     {"servername", "host"}, {"host", "host"},         {"port", "port"},
        {"database", "dbname"}, {"dbname", "dbname"},   {"uid", "user"},          {"username", "user"},
        {"user", "user"},       {"pwd", "password"},    {"password", "password"}, {"sslmode", "sslmode"},
    };
    std::map<std::string, std::string> libpq;
    for (const auto& [odbc, name] : kNames)
        if (const auto it = keywords.find(odbc); it != keywords.end() && !it->second.empty()) libpq[name] = it->second;
    std::string out;
    for (const auto& [name, value] : libpq) out += name + "=" + Quoted(value) + " ";
    return out + "client_encoding=UTF8";
}

std::optional<Target> ReadTarget(const std::string& target, std::string* error) {
    auto fail = [error](std::string why) -> std::optional<Target> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    if (target.empty()) return fail("no database given");
    const std::string lower = Lower(target);
    if (lower.rfind("postgresql://", 0) == 0 || lower.rfind("postgres://", 0) == 0)
        return Target{TargetKind::Postgres, target};
    if (target.find('=') == std::string::npos) return Target{TargetKind::SqliteFile, target};
    const auto keywords = OdbcKeywords(target);
    if (!keywords) return fail("cannot read the connection string");
    const auto driver = keywords->find("driver");
    const std::string name = driver == keywords->end() ? "" : Lower(driver->second);
    if (name.find("postgres") != std::string::npos || name.find("psql") != std::string::npos)
        return Target{TargetKind::Postgres, PgConnInfo(*keywords)};
    if (name.find("sqlite") != std::string::npos) {
        const auto file = keywords->find("database");
        if (file == keywords->end() || file->second.empty()) return fail("the SQLite connection string names no file");
        return Target{TargetKind::SqliteFile, file->second};
    }
    return Target{TargetKind::OtherOdbc, target};
}

}  // namespace kel::server::store
