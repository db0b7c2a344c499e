// Insurance classes of a treaty data record and their products (198, 199, 211, 212).
#include <set>

#include "common/records/TransactionCodes.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/Versions.h"

namespace kel::server::handlers {

using namespace sql;
using wire::Load;

void InsrncSectList(Call& c) {
    const auto key = Load<_TextKey64>(c.body);
    const int32_t contId = wire::Key(key.szKey, "treaty data identifier");
    const auto rs =
        Query(c.db,
              "SELECT n_cont_id, c_class_cde, c_class_nme, n_version FROM t_insrnc_sect WHERE n_cont_id = ? "
              "ORDER BY c_class_cde",
              {Value(contId)});
    for (const Row& row : rs.rows) {
        auto& r = c.answer.Add<_InsrncSectStruct>();
        r.nContId = static_cast<int32_t>(Int(row[0]));
        wire::Put(r.szClassCode, Str(row[1]));
        wire::Put(r.szClassName, Str(row[2]));
        Answered(c, "t_insrnc_sect", KeyText({std::to_string(Int(row[0])), Str(row[1])}), Int(row[3]));
    }
}

void InsrncSectStore(Call& c) {
    using namespace kel::records;
    const auto r = Load<_InsrncSectStruct>(c.body);
    const std::string code = wire::Required(r.szClassCode, "class code");
    const std::string name = wire::Text(r.szClassName, "class name");
    const Params key{Value(r.nContId), Text(code)};
    const bool exists = Exists(c.db, "SELECT 1 FROM t_insrnc_sect WHERE n_cont_id = ? AND c_class_cde = ?", key);
    const StoredRecord record = ClassRecord(r.nContId, code);
    switch (c.head.nOperation) {
        case kOpInsert:
            RequireTreatyData(c.db, r.nContId);
            if (exists) Refuse("class " + code + " exists");
            Execute(c.db, "INSERT INTO t_insrnc_sect (n_cont_id, c_class_cde, c_class_nme) VALUES (?, ?, ?)",
                    {Value(r.nContId), Text(code), Text(name)});
            Written(c, record);
            break;
        case kOpUpdate:
            if (!exists) Refuse("no class " + code);
            RequireUnchanged(c, record);
            Execute(c.db, "UPDATE t_insrnc_sect SET c_class_nme = ? WHERE n_cont_id = ? AND c_class_cde = ?",
                    {Text(name), Value(r.nContId), Text(code)});
            Written(c, record);
            break;
        default:
            if (!exists) Refuse("no class " + code);
            RequireUnchanged(c, record);
            Deleted(c, record);
            Execute(c.db, "DELETE FROM t_class_detail WHERE n_cont_id = ? AND c_class_cde = ?", key);
            Execute(c.db, "DELETE FROM t_insrnc_sect WHERE n_cont_id = ? AND c_class_cde = ?", key);
            break;
    }
}

void InsrClassDtlList(Call& c) {
    const auto f = Load<_InsrClassDtlFilter>(c.body).stFilter;
    const std::string code = wire::Text(f.szClassCode, "class code");
    wire::Text(f.szProdCode, "product code");
    wire::Text(f.szProdName, "product name");
    // An empty class code asks for the products of every class of the treaty.
    const auto rs = Query(c.db,
                          "SELECT d.n_cont_id, d.c_class_cde, d.c_prod_no, p.c_nme_cn FROM t_class_detail d "
                          "LEFT JOIN t_prd_prod p ON p.c_prod_no = d.c_prod_no "
                          "WHERE d.n_cont_id = ? AND (? = '' OR d.c_class_cde = ?) "
                          "ORDER BY d.c_class_cde, d.c_prod_no",
                          {Value(f.nContId), Text(code), Text(code)});
    for (const Row& row : rs.rows) {
        auto& r = c.answer.Add<_InsrClassDtlStruct>();
        r.nContId = static_cast<int32_t>(Int(row[0]));
        wire::Put(r.szClassCode, Str(row[1]));
        wire::Put(r.szProdCode, Str(row[2]));
        wire::Put(r.szProdName, Str(row[3]));
    }
}

void InsrClassDtlStore(Call& c) {
    if (c.head.nCount < 1) BadRequest("no product records: the class is not named");
    std::set<std::string> products;
    int32_t contId = 0;
    std::string code;
    for (int i = 0; i < c.head.nCount; ++i) {
        const auto r = Load<_InsrClassDtlStruct>(c.body, i * sizeof(_InsrClassDtlStruct));
        const std::string classCode = wire::Required(r.szClassCode, "class code");
        if (i == 0) {
            contId = r.nContId;
            code = classCode;
        }
        if (r.nContId != contId || classCode != code) BadRequest("product records of different classes");
        wire::Text(r.szProdName, "product name");
        products.insert(wire::Required(r.szProdCode, "product code"));
    }
    const Params key{Value(contId), Text(code)};
    if (!Exists(c.db, "SELECT 1 FROM t_insrnc_sect WHERE n_cont_id = ? AND c_class_cde = ?", key))
        Refuse("no class " + code);
    Audited(c, "t_class_detail " + KeyText({std::to_string(contId), code}));
    // The product set belongs to the class (see the section's products).
    const StoredRecord cls = ClassRecord(contId, code);
    RequireUnchanged(c, cls);
    for (const std::string& p : products) RequireProduct(c.db, p);
    Execute(c.db, "DELETE FROM t_class_detail WHERE n_cont_id = ? AND c_class_cde = ?", key);
    for (const std::string& p : products)
        Execute(c.db, "INSERT INTO t_class_detail (n_cont_id, c_class_cde, c_prod_no) VALUES (?, ?, ?)",
                {Value(contId), Text(code), Text(p)});
    Written(c, cls);
}

}  // namespace kel::server::handlers
