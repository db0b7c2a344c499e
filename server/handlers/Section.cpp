// Sections of a treaty data record and their products (191..194).
#include <set>

#include "common/records/TransactionCodes.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/Store.h"
#include "server/Versions.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

int32_t TreatyOfSection(Connection& db, int32_t sectId) {
    const auto rs = Query(db, "SELECT n_cont_id FROM t_cont_section WHERE n_sect_id = ?", {Value(sectId)});
    if (rs.rows.empty()) Refuse("no section " + std::to_string(sectId));
    return static_cast<int32_t>(Int(rs.rows[0][0]));
}

}  // namespace

void SectionList(Call& c) {
    const auto key = Load<_TextKey64>(c.body);
    const int32_t contId = wire::Key(key.szKey, "treaty data identifier");
    const auto rs = Query(c.db,
                          "SELECT n_sect_id, n_comm_rate, n_cont_id, c_cont_code, c_sect_cde, c_sect_nme, n_version "
                          "FROM t_cont_section WHERE n_cont_id = ? ORDER BY c_sect_cde",
                          {Value(contId)});
    for (const Row& row : rs.rows) {
        auto& r = c.answer.Add<_SectionStruct>();
        r.nSectId = static_cast<int32_t>(Int(row[0]));
        r.dCommRate = Num(row[1]);
        r.nContId = static_cast<int32_t>(Int(row[2]));
        wire::Put(r.szContCode, Str(row[3]));
        wire::Put(r.szSectCode, Str(row[4]));
        wire::Put(r.szSectName, Str(row[5]));
        Answered(c, "t_cont_section", std::to_string(Int(row[0])), Int(row[6]));
    }
}

void SectionStore(Call& c) {
    using namespace kel::records;
    const auto r = Load<_SectionStruct>(c.body);
    const double rate = wire::Real(r.dCommRate, "commission rate");
    wire::Text(r.szContCode, "treaty code");  // the treaty data's own code is stored
    const std::string name = wire::Text(r.szSectName, "section name");
    if (c.head.nOperation == kOpDelete) {
        const int32_t contId = TreatyOfSection(c.db, r.nSectId);
        const StoredRecord record = SectionRecord(r.nSectId);
        RequireUnchanged(c, record);
        Deleted(c, record);
        Execute(c.db, "DELETE FROM t_sect_detail WHERE n_sect_id = ?", {Value(r.nSectId)});
        Execute(c.db, "DELETE FROM t_cont_section WHERE n_sect_id = ?", {Value(r.nSectId)});
        TouchTreatyData(c.db, contId);
        return;
    }
    const std::string code = wire::Required(r.szSectCode, "section code");
    if (c.head.nOperation == kOpInsert) {
        const auto info = Query(c.db, "SELECT c_cont_code FROM t_cont_info WHERE n_cont_id = ?", {Value(r.nContId)});
        if (info.rows.empty()) Refuse("no treaty data record " + std::to_string(r.nContId));
        if (Exists(c.db, "SELECT 1 FROM t_cont_section WHERE n_cont_id = ? AND c_sect_cde = ?",
                   {Value(r.nContId), Text(code)}))
            Refuse("section " + code + " exists");
        const int32_t id = c.store.NextId(c.db, "section", "t_cont_section", "n_sect_id");
        Execute(c.db,
                "INSERT INTO t_cont_section (n_sect_id, n_cont_id, c_cont_code, c_sect_cde, c_sect_nme, n_comm_rate) "
                "VALUES (?, ?, ?, ?, ?, ?)",
                {Value(id), Value(r.nContId), Text(Str(info.rows[0][0])), Text(code), Text(name), Value(rate)});
        Written(c, SectionRecord(id));
        TouchTreatyData(c.db, r.nContId);
        return;
    }
    const int32_t contId = TreatyOfSection(c.db, r.nSectId);
    const StoredRecord record = SectionRecord(r.nSectId);
    RequireUnchanged(c, record);
    // The id names the section; a record naming another treaty does not move it there.
    if (r.nContId != contId) Refuse("section " + std::to_string(r.nSectId) + " is not of that treaty data record");
    if (Exists(c.db, "SELECT 1 FROM t_cont_section WHERE n_cont_id = ? AND c_sect_cde = ? AND n_sect_id <> ?",
               {Value(contId), Text(code), Value(r.nSectId)}))
        Refuse("section " + code + " exists");
    Execute(c.db, "UPDATE t_cont_section SET c_sect_cde = ?, c_sect_nme = ?, n_comm_rate = ? WHERE n_sect_id = ?",
            {Text(code), Text(name), Value(rate), Value(r.nSectId)});
    Written(c, record);
    TouchTreatyData(c.db, contId);
}

void SectDetailList(Call& c) {
    const auto key = Load<_TextKey64>(c.body);
    const int32_t sectId = wire::Key(key.szKey, "section identifier");
    const auto rs = Query(c.db,
                          "SELECT d.n_sect_id, d.c_prod_no, p.c_nme_cn FROM t_sect_detail d "
                          "LEFT JOIN t_prd_prod p ON p.c_prod_no = d.c_prod_no WHERE d.n_sect_id = ? "
                          "ORDER BY d.c_prod_no",
                          {Value(sectId)});
    for (const Row& row : rs.rows) {
        auto& r = c.answer.Add<_SectDetailStruct>();
        r.nSectId = static_cast<int32_t>(Int(row[0]));
        wire::Put(r.szProdCode, Str(row[1]));
        wire::Put(r.szProdName, Str(row[2]));
    }
}

void SectDetailStore(Call& c) {
    if (c.head.nCount < 1) BadRequest("no product records: the section is not named");
    std::set<std::string> products;
    int32_t sectId = 0;
    for (int i = 0; i < c.head.nCount; ++i) {
        const auto r = Load<_SectDetailStruct>(c.body, i * sizeof(_SectDetailStruct));
        if (i == 0) sectId = r.nSectId;
        if (r.nSectId != sectId) BadRequest("product records of different sections");
        wire::Text(r.szProdName, "product name");
        products.insert(wire::Required(r.szProdCode, "product code"));
    }
    const int32_t contId = TreatyOfSection(c.db, sectId);
    Audited(c, "t_sect_detail " + std::to_string(sectId));
    // The product set belongs to the section: a set saved over one changed since
    // this connection read the section is refused, and a saved set moves it on.
    const StoredRecord section = SectionRecord(sectId);
    RequireUnchanged(c, section);
    for (const std::string& p : products) RequireProduct(c.db, p);
    Execute(c.db, "DELETE FROM t_sect_detail WHERE n_sect_id = ?", {Value(sectId)});
    for (const std::string& p : products)
        Execute(c.db, "INSERT INTO t_sect_detail (n_sect_id, c_prod_no) VALUES (?, ?)", {Value(sectId), Text(p)});
    Written(c, section);
    TouchTreatyData(c.db, contId);
}

}  // namespace kel::server::handlers
