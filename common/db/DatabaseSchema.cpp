// Running SQL scripts (schema files) statement by statement.
#include "common/db/Database.h"

#include <cctype>

namespace kel::db {
namespace {

bool IsBlank(const std::string& s) {
    for (unsigned char c : s)
        if (!std::isspace(c)) return false;
    return true;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// First line of a statement, for messages.
std::string Headline(const std::string& stmt) {
    std::string line = stmt.substr(0, stmt.find('\n'));
    if (line.size() > 100) line = line.substr(0, 100) + "...";
    return line;
}

}  // namespace

std::vector<std::string> SplitSqlScript(const std::string& sql) {
    std::vector<std::string> out;
    std::string cur;
    auto flush = [&] {
        if (!IsBlank(cur)) out.push_back(Trim(cur));
        cur.clear();
    };
    char quote = 0;  // ' or " while inside a literal or a quoted name
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            cur += c;
            if (c == quote) quote = 0;  // a doubled quote simply re-enters
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            cur += c;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            while (i < sql.size() && sql[i] != '\n') ++i;  // drop the comment
            cur += '\n';
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const auto end = sql.find("*/", i + 2);
            i = (end == std::string::npos) ? sql.size() : end + 1;
            cur += ' ';
        } else if (c == ';') {
            flush();
        } else {
            cur += c;
        }
    }
    flush();
    return out;
}

bool ApplySchema(Connection& db, const std::string& sqlText, std::string* error) {
    auto fail = [error](std::string message) {
        if (error) *error = std::move(message);
        return false;
    };
    const auto statements = SplitSqlScript(sqlText);
    if (!db.Begin()) return fail("cannot begin the schema transaction: " + db.LastError());
    for (std::size_t i = 0; i < statements.size(); ++i) {
        if (db.Execute(statements[i]) < 0) {
            std::string message =
                "statement " + std::to_string(i + 1) + " (" + Headline(statements[i]) + ") failed: " + db.LastError();
            db.Rollback();
            return fail(std::move(message));
        }
    }
    if (!db.Commit()) {
        std::string message = "cannot commit the schema: " + db.LastError();
        db.Rollback();
        return fail(std::move(message));
    }
    if (error) error->clear();
    return true;
}

}  // namespace kel::db
