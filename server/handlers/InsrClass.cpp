// Insurance classes of a treaty data record and their products (198, 199, 211, 212).
#include <map>

#include "common/records/TransactionCodes.h"
#include "server/ColumnTable.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/StoredColumns.h"
#include "server/Versions.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

// The treaty data record and the class code are the key: written once, never
// changed by an update.
using ClassColumns = ColumnsOf<_InsrncSectStruct>;
const ColumnTable<_InsrncSectStruct> kClasses{
    ClassColumns::Int(&_InsrncSectStruct::nContId, "n_cont_id").Uses(kSelect | kInsert),
    ClassColumns::Required(&_InsrncSectStruct::szClassCode, "c_class_cde", "class code").Uses(kSelect | kInsert),
    ClassColumns::Text(&_InsrncSectStruct::szClassName, "c_class_nme", "class name"),
};

// A class's products; the product's name is the product table's.
using ProductColumns = ColumnsOf<_InsrClassDtlStruct>;
const ColumnTable<_InsrClassDtlStruct> kProducts{
    ProductColumns::Int(&_InsrClassDtlStruct::nContId, "n_cont_id"),
    ProductColumns::Required(&_InsrClassDtlStruct::szClassCode, "c_class_cde", "class code"),
    ProductColumns::Required(&_InsrClassDtlStruct::szProdCode, "c_prod_no", "product code"),
};
const ColumnTable<_InsrClassDtlStruct> kProductNames{
    ProductColumns::Text(&_InsrClassDtlStruct::szProdName, "c_nme_cn", "product name").Uses(kSelect),
};

}  // namespace

std::vector<StoredColumns> InsrClassTables() {
    return {{"t_insrnc_sect", &kClasses.Rows()},
            {"t_class_detail", &kProducts.Rows()},
            {"t_prd_prod", &kProductNames.Rows()}};
}

void InsrncSectList(Call& c) {
    const auto key = Load<_TextKey64>(c.body);
    const int32_t contId = wire::Key(key.szKey, "treaty data identifier");
    Each(
        c.db,
        "SELECT " + kClasses.Names(kSelect) + ", n_version FROM t_insrnc_sect WHERE n_cont_id = ? ORDER BY c_class_cde",
        {Value(contId)}, [&](const RowCells& row) {
            std::size_t at = 0;
            kClasses.Pack(row, at, c.answer.Add<_InsrncSectStruct>());
            Answered(c, "t_insrnc_sect", KeyText({std::to_string(row.Int(0)), std::string(row.Text(1))}), row.Int(at));
            return true;
        });
}

void InsrncSectStore(Call& c) {
    using namespace kel::records;
    const auto r = Load<_InsrncSectStruct>(c.body);
    const Params values = kClasses.Values(r, kInsert);
    const std::string code = Str(kClasses.ValueOf(values, "c_class_cde", kInsert));
    const Params key{Value(r.nContId), Text(code)};
    const bool exists = Exists(c.db, "SELECT 1 FROM t_insrnc_sect WHERE n_cont_id = ? AND c_class_cde = ?", key);
    const StoredRecord record = ClassRecord(r.nContId, code);
    switch (c.head.nOperation) {
        case kOpInsert:
            RequireTreatyData(c.db, r.nContId);
            if (exists) Refuse("class " + code + " exists", "险类" + code + "已存在");
            Execute(c.db,
                    "INSERT INTO t_insrnc_sect (" + kClasses.Names(kInsert) + ") VALUES (" +
                        Placeholders(kClasses.Count(kInsert)) + ")",
                    values);
            Written(c, record);
            break;
        case kOpUpdate: {
            if (!exists) Refuse("no class " + code, "险类" + code + "不存在");
            RequireUnchanged(c, record);
            Params update = kClasses.Values(r, kUpdate);
            update.insert(update.end(), key.begin(), key.end());
            Execute(c.db,
                    "UPDATE t_insrnc_sect SET " + kClasses.Assignments(kUpdate) +
                        " WHERE n_cont_id = ? AND c_class_cde = ?",
                    update);
            Written(c, record);
            break;
        }
        default:
            if (!exists) Refuse("no class " + code, "险类" + code + "不存在");
            RequireUnchanged(c, record);
            Deleted(c, record);
            Execute(c.db, "DELETE FROM t_class_detail WHERE n_cont_id = ? AND c_class_cde = ?", key);
            Execute(c.db, "DELETE FROM t_insrnc_sect WHERE n_cont_id = ? AND c_class_cde = ?", key);
            break;
    }
}

void InsrClassDtlList(Call& c) {
    const auto f = Load<_InsrClassDtlFilter>(c.body).stFilter;
    const std::string code = wire::Code(f.szClassCode, "class code");
    wire::Code(f.szProdCode, "product code");
    wire::Text(f.szProdName, "product name");
    // An empty class code asks for the products of every class of the treaty.
    Each(c.db,
         "SELECT " + kProducts.Names(kSelect, "d.") + ", " + kProductNames.Names(kSelect, "p.") +
             " FROM t_class_detail d LEFT JOIN t_prd_prod p ON p.c_prod_no = d.c_prod_no "
             "WHERE d.n_cont_id = ? AND (? = '' OR d.c_class_cde = ?) ORDER BY d.c_class_cde, d.c_prod_no",
         {Value(f.nContId), Text(code), Text(code)}, [&](const RowCells& row) {
             auto& r = c.answer.Add<_InsrClassDtlStruct>();
             std::size_t at = 0;
             kProducts.Pack(row, at, r);
             kProductNames.Pack(row, at, r);
             return true;
         });
}

void InsrClassDtlStore(Call& c) {
    if (c.head.nCount < 1) BadRequest("no product records: the class is not named");
    std::map<std::string, Params> products;  // the values of each product, once
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
        wire::Text(r.szProdName, "product name");  // the server's; only checked
        Params values = kProducts.Values(r, kInsert);
        std::string product = Str(kProducts.ValueOf(values, "c_prod_no", kInsert));
        products.emplace(std::move(product), std::move(values));
    }
    const Params key{Value(contId), Text(code)};
    if (!Exists(c.db, "SELECT 1 FROM t_insrnc_sect WHERE n_cont_id = ? AND c_class_cde = ?", key))
        Refuse("no class " + code, "险类" + code + "不存在");
    Audited(c, "t_class_detail " + KeyText({std::to_string(contId), code}));
    // The product set belongs to the class (see the section's products).
    const StoredRecord cls = ClassRecord(contId, code);
    RequireUnchanged(c, cls);
    for (const auto& [p, values] : products) RequireProduct(c.db, p);
    Execute(c.db, "DELETE FROM t_class_detail WHERE n_cont_id = ? AND c_class_cde = ?", key);
    const std::string insert = "INSERT INTO t_class_detail (" + kProducts.Names(kInsert) + ") VALUES (" +
                               Placeholders(kProducts.Count(kInsert)) + ")";
    for (const auto& [p, values] : products) Execute(c.db, insert, values);
    Written(c, cls);
}

}  // namespace kel::server::handlers
