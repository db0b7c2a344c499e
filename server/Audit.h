// Who changed what: every accepted command is written to t_audit in the
// transaction of its change, so the audit holds exactly the changes that stayed.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "server/Handlers.h"

namespace kel::server {

struct AuditEntry {
    int64_t change = 0;  // the write's number (server/Versions.h)
    std::string time;    // UTC, "YYYY-MM-DD HH:MM:SS"
    std::string user;
    int code = 0;        // transaction code
    int operation = 0;   // the request's operation
    std::string record;  // the table and key of the record it changed
};

// Writes the entry of the command `c` ran; inside its write transaction.
void WriteAudit(Call& c);

// True when `since` is a date "YYYY-MM-DD", optionally followed by " HH:MM:SS".
bool IsAuditTime(std::string_view since);

// Calls `each` with the entries from `since` on (UTC; empty: all), oldest first.
// Throws Fault(kServerFailure).
void ReadAudit(kel::db::Connection& db, const std::string& since, const std::function<void(const AuditEntry&)>& each);

// One entry as a line of text: time, user, code, operation, record. Control
// characters in the stored texts are shown as \xNN (a backslash as \\), so that
// what a client stored can neither forge lines nor steer the terminal.
std::string AuditLine(const AuditEntry& e);

}  // namespace kel::server
