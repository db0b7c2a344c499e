#include "server/Audit.h"

#include <ctime>

#include "server/Sql.h"
#include "server/Versions.h"

namespace kel::server {

using namespace sql;

namespace {

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    return text;
}

bool Digits(std::string_view s) {
    for (char ch : s)
        if (ch < '0' || ch > '9') return false;
    return true;
}

const char* OperationName(int operation) {
    switch (operation) {
        case 0: return "insert";
        case 1: return "update";
        case 2: return "delete";
        default: return "";
    }
}

// A stored text as it may be printed: a control character (a line break, an escape
// sequence of the terminal) as \xNN, a backslash doubled; other text as it is.
std::string Printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace

void WriteAudit(Call& c) {
    Execute(c.db,
            "INSERT INTO t_audit (n_change, c_time, c_user_cde, n_trans_code, n_operation, c_record_key) "
            "VALUES (?, ?, ?, ?, ?, ?)",
            {Value(ChangeNumber(c)), Text(UtcNow()), Text(c.user), Value(static_cast<int64_t>(c.head.nTransCode)),
             Value(static_cast<int64_t>(c.head.nOperation)), Text(c.auditKey.substr(0, 200))});
}

bool IsAuditTime(std::string_view s) {
    if (s.size() != 10 && s.size() != 19) return false;
    if (!Digits(s.substr(0, 4)) || s[4] != '-' || !Digits(s.substr(5, 2)) || s[7] != '-' || !Digits(s.substr(8, 2)))
        return false;
    if (s.size() == 10) return true;
    return s[10] == ' ' && Digits(s.substr(11, 2)) && s[13] == ':' && Digits(s.substr(14, 2)) && s[16] == ':' &&
           Digits(s.substr(17, 2));
}

void ReadAudit(kel::db::Connection& db, const std::string& since, const std::function<void(const AuditEntry&)>& each) {
    Each(db,
         "SELECT n_change, c_time, c_user_cde, n_trans_code, n_operation, c_record_key FROM t_audit "
         "WHERE c_time >= ? ORDER BY n_change",
         {Text(since)}, [&](const RowCells& row) {
             AuditEntry e;
             e.change = row.Int(0);
             e.time = std::string(row.Text(1));
             e.user = std::string(row.Text(2));
             e.code = static_cast<int>(row.Int(3));
             e.operation = static_cast<int>(row.Int(4));
             e.record = std::string(row.Text(5));
             each(e);
             return true;
         });
}

std::string AuditLine(const AuditEntry& e) {
    const char* name = OperationName(e.operation);
    return Printable(e.time) + "  " + Printable(e.user) + "  " + std::to_string(e.code) + "  " +
           (*name ? std::string(name) : "op " + std::to_string(e.operation)) + "  " + Printable(e.record);
}

}  // namespace kel::server
