// Versions of the records a screen reads and then saves, so that a save never
// overwrites a change it has not seen.
//
// Each such record carries n_version: the number of the write that last stored it.
// Write numbers come from one counter in the database (t_id_counter 'change'),
// taken under the write lock, so they grow across every server on the database and
// a record deleted and stored again never gets an old number back. A connection
// remembers the version of each record it was answered or wrote; an update or
// delete of a record whose stored version differs is refused (status 1): the user
// reads it again. A record the connection never read is updated as it always was
// (screens read before they save), unless the connection had to forget versions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/Handlers.h"
#include "server/Sql.h"

namespace kel::server {

// One stored record: its table, the WHERE clause and values of its key, and its
// key as text (what the connection remembers it by, and the audit shows).
struct StoredRecord {
    const char* table;
    std::string where;
    sql::Params key;
    std::string keyText;
};

StoredRecord TreatyCodeRecord(const std::string& code);
StoredRecord ReinsurerRecord(const std::string& code);
StoredRecord BrokerEntryRecord(const std::string& broker, const std::string& reinsurer);
StoredRecord TreatyDataRecord(int32_t contId);
StoredRecord SectionRecord(int32_t sectId);
StoredRecord ClassRecord(int32_t contId, const std::string& classCode);
StoredRecord DetailLineRecord(int32_t contId, const std::string& product, const std::string& risk,
                              const std::string& company, const std::string& reinsurer);

// Key texts as the read handlers build them for each answered row.
std::string KeyText(std::initializer_list<std::string_view> parts);

// The answer of a read carries the record (table, key text) at `version`.
void Answered(Call& c, const char* table, const std::string& keyText, int64_t version);

// Refuses (status 1) when the record changed since this connection read it. A
// missing record passes: the handler says what that means.
void RequireUnchanged(Call& c, const StoredRecord& r);

// Marks the record written by this request (a new version the connection knows).
void Written(Call& c, const StoredRecord& r);

// The record is deleted by this request.
void Deleted(Call& c, const StoredRecord& r);

// Names the record a write changed, for the audit (the first one named counts).
void Audited(Call& c, std::string key);

// The number of this write (the version it gives what it stores); taken once.
int64_t ChangeNumber(Call& c);

// Adds n_version where a table lacks it: the shared code-list tables (whose schema
// the host applies to its own database too, without versions) and the tables of
// an older database; then, on SQLite, the index the treaty code list reads (it holds
// n_version). Throws Fault(kServerFailure).
void UpgradeVersionColumns(kel::db::Connection& db);

}  // namespace kel::server
