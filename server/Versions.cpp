#include "server/Versions.h"

#include "server/Status.h"

namespace kel::server {

using namespace sql;

namespace {

// Every table whose records carry a version.
constexpr const char* kVersionedTables[] = {"t_cont_code",    "t_ri_company",  "t_ri_agent",   "t_cont_info",
                                            "t_cont_section", "t_insrnc_sect", "t_cont_detail"};

StoredRecord Make(const char* table, std::string where, Params key) {
    std::string text;
    for (const Value& v : key) {
        if (!text.empty()) text += '|';
        text += Str(v);
    }
    return {table, std::move(where), std::move(key), std::move(text)};
}

}  // namespace

std::string KeyText(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view p : parts) {
        if (!text.empty()) text += '|';
        text.append(p);
    }
    return text;
}

StoredRecord TreatyCodeRecord(const std::string& code) { return Make("t_cont_code", "c_cont_code = ?", {Text(code)}); }
StoredRecord ReinsurerRecord(const std::string& code) { return Make("t_ri_company", "c_ri_cde = ?", {Text(code)}); }
StoredRecord BrokerEntryRecord(const std::string& broker, const std::string& reinsurer) {
    return Make("t_ri_agent", "c_broker_cde = ? AND c_ri_cde = ?", {Text(broker), Text(reinsurer)});
}
StoredRecord TreatyDataRecord(int32_t contId) { return Make("t_cont_info", "n_cont_id = ?", {Value(contId)}); }
StoredRecord SectionRecord(int32_t sectId) { return Make("t_cont_section", "n_sect_id = ?", {Value(sectId)}); }
StoredRecord ClassRecord(int32_t contId, const std::string& classCode) {
    return Make("t_insrnc_sect", "n_cont_id = ? AND c_class_cde = ?", {Value(contId), Text(classCode)});
}
StoredRecord DetailLineRecord(int32_t contId, const std::string& product, const std::string& risk,
                              const std::string& company, const std::string& reinsurer) {
    return Make("t_cont_detail",
                "n_cont_id = ? AND c_prod_no = ? AND c_risk_lvl = ? AND c_com_cde = ? AND c_ri_cde = ?",
                {Value(contId), Text(product), Text(risk), Text(company), Text(reinsurer)});
}

void Answered(Call& c, const char* table, const std::string& keyText, int64_t version) {
    c.seen.emplace_back(HashRecord(table, keyText), version);
}

void RequireUnchanged(Call& c, const StoredRecord& r) {
    const auto rs = Query(c.db, std::string("SELECT n_version FROM ") + r.table + " WHERE " + r.where, r.key);
    if (rs.rows.empty()) return;
    const int64_t stored = Int(rs.rows[0][0]);
    bool forgotten = false;
    const auto known = c.client.VersionOf(HashRecord(r.table, r.keyText), forgotten);
    if (known && *known != stored)
        Refuse(std::string(r.table) + " " + r.keyText + " was changed since this connection read it",
               "该记录已被其他用户修改，请重新查询后再操作");
    // Nobody need have changed it: the session's reads are gone (its server died,
    // or it read more than is remembered), so the clerk is not told that somebody did.
    if (!known && forgotten)
        Refuse(std::string(r.table) + " " + r.keyText + " may have changed: this session's reads were lost",
               "应用服务器已不记得您读取该记录时的版本（如服务器曾意外停止），无法确认其间是否有其他用户修改，"
               "请重新查询后再操作");
}

void Written(Call& c, const StoredRecord& r) {
    const int64_t version = ChangeNumber(c);
    Params p{Value(version)};
    p.insert(p.end(), r.key.begin(), r.key.end());
    Execute(c.db, std::string("UPDATE ") + r.table + " SET n_version = ? WHERE " + r.where, p);
    c.seen.emplace_back(HashRecord(r.table, r.keyText), version);
    Audited(c, std::string(r.table) + " " + r.keyText);
}

void Deleted(Call& c, const StoredRecord& r) {
    c.gone.push_back(HashRecord(r.table, r.keyText));
    Audited(c, std::string(r.table) + " " + r.keyText);
}

void Audited(Call& c, std::string key) {
    if (c.auditKey.empty()) c.auditKey = std::move(key);
}

int64_t ChangeNumber(Call& c) {
    if (c.change) return c.change;
    // Taken and moved on in one statement: one round trip fewer inside the write.
    const auto rs =
        Query(c.db, "UPDATE t_id_counter SET n_next = n_next + 1 WHERE c_name = 'change' RETURNING n_next - 1");
    const int64_t number = rs.rows.empty() ? 1 : Int(rs.rows[0][0]);
    if (number >= INT32_MAX) throw Fault(kServerFailure, "no write numbers left");
    if (rs.rows.empty())
        Execute(c.db, "INSERT INTO t_id_counter (c_name, n_next) VALUES ('change', ?)", {Value(number + 1)});
    c.change = number;
    return number;
}

void UpgradeVersionColumns(kel::db::Connection& db) {
    for (const char* table : kVersionedTables) {
        const std::string probe = std::string("SELECT n_version FROM ") + table + " WHERE 1 = 0";
        if (db.Query(probe)) continue;
        // Another server may add it at the same moment: what counts is that it is there.
        db.Execute(std::string("ALTER TABLE ") + table + " ADD COLUMN n_version INTEGER NOT NULL DEFAULT 0");
        if (!db.Query(probe)) throw Fault(kServerFailure, std::string("cannot add n_version to ") + table);
    }
    // 180 reads every treaty code with its version in code order: on SQLite an index
    // holding all of it answers without a look-up in the table for each code. Only a
    // help: a store without it answers the same.
    if (db.Dialect() == "sqlite")
        db.Execute(
            "CREATE INDEX IF NOT EXISTS ix_cont_code_list ON t_cont_code (c_cont_code, c_name_cn, c_name_en, c_type, "
            "n_version)");
}

}  // namespace kel::server
