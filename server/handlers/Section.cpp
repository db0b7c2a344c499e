// Sections of a treaty data record and their products (191..194).
#include <map>

#include "common/records/TransactionCodes.h"
#include "server/ColumnTable.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/Store.h"
#include "server/StoredColumns.h"
#include "server/Versions.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

// The identifier is the server's; the treaty data record and its code are set when
// the section is added and never moved by an update. The section code must not be
// empty in an insert or update; a deletion names its section by the identifier.
using SectionColumns = ColumnsOf<_SectionStruct>;
const ColumnTable<_SectionStruct> kSections{
    SectionColumns::Int(&_SectionStruct::nSectId, "n_sect_id").Uses(kSelect),
    SectionColumns::Real(&_SectionStruct::dCommRate, "n_comm_rate", "commission rate")
        .Bounded(kel::records::kFractionBound),
    SectionColumns::Int(&_SectionStruct::nContId, "n_cont_id").Uses(kSelect),
    SectionColumns::Text(&_SectionStruct::szContCode, "c_cont_code", "treaty code").Uses(kSelect),
    SectionColumns::Text(&_SectionStruct::szSectCode, "c_sect_cde", "section code").Code(),
    SectionColumns::Text(&_SectionStruct::szSectName, "c_sect_nme", "section name"),
};

// A section's products; the product's name is the product table's.
using ProductColumns = ColumnsOf<_SectDetailStruct>;
const ColumnTable<_SectDetailStruct> kProducts{
    ProductColumns::Int(&_SectDetailStruct::nSectId, "n_sect_id"),
    ProductColumns::Required(&_SectDetailStruct::szProdCode, "c_prod_no", "product code"),
};
const ColumnTable<_SectDetailStruct> kProductNames{
    ProductColumns::Text(&_SectDetailStruct::szProdName, "c_nme_cn", "product name").Uses(kSelect),
};

int32_t TreatyOfSection(Connection& db, int32_t sectId) {
    const auto rs = Query(db, "SELECT n_cont_id FROM t_cont_section WHERE n_sect_id = ?", {Value(sectId)});
    if (rs.rows.empty()) Refuse("no section " + std::to_string(sectId), "该分项已不存在");
    return static_cast<int32_t>(Int(rs.rows[0][0]));
}

}  // namespace

std::vector<StoredColumns> SectionTables() {
    return {{"t_cont_section", &kSections.Rows()},
            {"t_sect_detail", &kProducts.Rows()},
            {"t_prd_prod", &kProductNames.Rows()}};
}

void SectionList(Call& c) {
    const auto key = Load<_TextKey64>(c.body);
    const int32_t contId = wire::Key(key.szKey, "treaty data identifier");
    Each(c.db,
         "SELECT " + kSections.Names(kSelect) +
             ", n_version FROM t_cont_section WHERE n_cont_id = ? ORDER BY c_sect_cde",
         {Value(contId)}, [&](const RowCells& row) {
             std::size_t at = 0;
             kSections.Pack(row, at, c.answer.Add<_SectionStruct>());
             Answered(c, "t_cont_section", std::to_string(row.Int(0)), row.Int(at));
             return true;
         });
}

void SectionStore(Call& c) {
    using namespace kel::records;
    const auto r = Load<_SectionStruct>(c.body);
    wire::Code(r.szContCode, "treaty code");  // the treaty data's own code is stored; only checked
    const Params values = kSections.Values(r, kInsert);
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
    const std::string code = Str(kSections.ValueOf(values, "c_sect_cde", kInsert));
    if (code.empty()) BadRequest("section code is empty");
    if (c.head.nOperation == kOpInsert) {
        const auto info = Query(c.db, "SELECT c_cont_code FROM t_cont_info WHERE n_cont_id = ?", {Value(r.nContId)});
        if (info.rows.empty()) Refuse("no treaty data record " + std::to_string(r.nContId), "该合约资料已不存在");
        if (Exists(c.db, "SELECT 1 FROM t_cont_section WHERE n_cont_id = ? AND c_sect_cde = ?",
                   {Value(r.nContId), Text(code)}))
            Refuse("section " + code + " exists", "分项" + code + "已存在");
        const int32_t id = c.store.NextId(c.db, "section", "t_cont_section", "n_sect_id");
        Params p{Value(id), Value(r.nContId), Text(Str(info.rows[0][0]))};
        p.insert(p.end(), values.begin(), values.end());
        Execute(c.db,
                "INSERT INTO t_cont_section (n_sect_id, n_cont_id, c_cont_code, " + kSections.Names(kInsert) +
                    ") VALUES (" + Placeholders(kSections.Count(kInsert) + 3) + ")",
                p);
        Written(c, SectionRecord(id));
        TouchTreatyData(c.db, r.nContId);
        return;
    }
    const int32_t contId = TreatyOfSection(c.db, r.nSectId);
    const StoredRecord record = SectionRecord(r.nSectId);
    RequireUnchanged(c, record);
    // The id names the section; a record naming another treaty does not move it there.
    if (r.nContId != contId)
        Refuse("section " + std::to_string(r.nSectId) + " is not of that treaty data record",
               "该分项不属于这条合约资料");
    if (Exists(c.db, "SELECT 1 FROM t_cont_section WHERE n_cont_id = ? AND c_sect_cde = ? AND n_sect_id <> ?",
               {Value(contId), Text(code), Value(r.nSectId)}))
        Refuse("section " + code + " exists", "分项" + code + "已存在");
    Params update = kSections.Values(r, kUpdate);
    update.emplace_back(r.nSectId);
    Execute(c.db, "UPDATE t_cont_section SET " + kSections.Assignments(kUpdate) + " WHERE n_sect_id = ?", update);
    Written(c, record);
    TouchTreatyData(c.db, contId);
}

void SectDetailList(Call& c) {
    const auto key = Load<_TextKey64>(c.body);
    const int32_t sectId = wire::Key(key.szKey, "section identifier");
    Each(c.db,
         "SELECT " + kProducts.Names(kSelect, "d.") + ", " + kProductNames.Names(kSelect, "p.") +
             " FROM t_sect_detail d LEFT JOIN t_prd_prod p ON p.c_prod_no = d.c_prod_no WHERE d.n_sect_id = ? "
             "ORDER BY d.c_prod_no",
         {Value(sectId)}, [&](const RowCells& row) {
             auto& r = c.answer.Add<_SectDetailStruct>();
             std::size_t at = 0;
             kProducts.Pack(row, at, r);
             kProductNames.Pack(row, at, r);
             return true;
         });
}

void SectDetailStore(Call& c) {
    if (c.head.nCount < 1) BadRequest("no product records: the section is not named");
    std::map<std::string, Params> products;  // the values of each product, once
    int32_t sectId = 0;
    for (int i = 0; i < c.head.nCount; ++i) {
        const auto r = Load<_SectDetailStruct>(c.body, i * sizeof(_SectDetailStruct));
        if (i == 0) sectId = r.nSectId;
        if (r.nSectId != sectId) BadRequest("product records of different sections");
        wire::Text(r.szProdName, "product name");  // the server's; only checked
        Params values = kProducts.Values(r, kInsert);
        std::string product = Str(kProducts.ValueOf(values, "c_prod_no", kInsert));
        products.emplace(std::move(product), std::move(values));
    }
    const int32_t contId = TreatyOfSection(c.db, sectId);
    Audited(c, "t_sect_detail " + std::to_string(sectId));
    // The product set belongs to the section: a set saved over one changed since
    // this connection read the section is refused, and a saved set moves it on.
    const StoredRecord section = SectionRecord(sectId);
    RequireUnchanged(c, section);
    for (const auto& [p, values] : products) RequireProduct(c.db, p);
    Execute(c.db, "DELETE FROM t_sect_detail WHERE n_sect_id = ?", {Value(sectId)});
    const std::string insert = "INSERT INTO t_sect_detail (" + kProducts.Names(kInsert) + ") VALUES (" +
                               Placeholders(kProducts.Count(kInsert)) + ")";
    for (const auto& [p, values] : products) Execute(c.db, insert, values);
    Written(c, section);
    TouchTreatyData(c.db, contId);
}

}  // namespace kel::server::handlers
