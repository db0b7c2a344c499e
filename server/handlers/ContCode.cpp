// Treaty codes (180, 181).
#include "common/records/TransactionCodes.h"
#include "server/ColumnTable.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/StoredColumns.h"
#include "server/Versions.h"

namespace kel::server::handlers {

using namespace sql;
using wire::Load;

namespace {

// The treaty code is the key: it is written once and never changed by an update.
using CodeColumns = ColumnsOf<_ContCodeStruct>;
const ColumnTable<_ContCodeStruct> kCodes{
    CodeColumns::Required(&_ContCodeStruct::szContCode, "c_cont_code", "treaty code").Uses(kSelect | kInsert),
    CodeColumns::Required(&_ContCodeStruct::szChnName, "c_name_cn", "Chinese name"),
    CodeColumns::Text(&_ContCodeStruct::szEngName, "c_name_en", "English name"),
    CodeColumns::Letter(&_ContCodeStruct::cContType, "c_type", "treaty type"),
};

}  // namespace

std::vector<StoredColumns> ContCodeTables() { return {{"t_cont_code", &kCodes.Rows()}}; }

const std::string& ContCodeListSql() {
    // 'Y' marks a code that no treaty data record uses yet.
    static const std::string sql = "SELECT " + kCodes.Names(kSelect, "k.") +
                                   ", CASE WHEN EXISTS (SELECT 1 FROM t_cont_info i WHERE i.c_cont_code = "
                                   "k.c_cont_code) THEN 'N' ELSE 'Y' END, k.n_version FROM t_cont_code k "
                                   "ORDER BY k.c_cont_code";
    return sql;
}

void ContCodeList(Call& c) {
    // Packed as the rows are stepped.
    Each(c.db, ContCodeListSql(), {}, [&](const RowCells& row) {
        auto& r = c.answer.Add<_ContCodeStruct>();
        std::size_t at = 0;
        kCodes.Pack(row, at, r);
        r.cMarkFlag = wire::LetterOf(row.Text(at));
        Answered(c, "t_cont_code", std::string(row.Text(0)), row.Int(at + 1));
        return true;
    });
}

void ContCodeStore(Call& c) {
    using namespace kel::records;
    if (c.head.nOperation == kOpDelete) {
        const auto key = Load<_ContCodeKey>(c.body);
        const std::string code = wire::Required(key.szContCode, "treaty code");
        const StoredRecord record = TreatyCodeRecord(code);
        RequireUnchanged(c, record);
        if (Exists(c.db, "SELECT 1 FROM t_cont_info WHERE c_cont_code = ?", {Text(code)}))
            Refuse("treaty code " + code + " is used by treaty data", "合约代码" + code + "已用于合约资料，不能删除");
        if (Exists(c.db, "SELECT 1 FROM t_cont_order WHERE c_cont_code = ?", {Text(code)}))
            Refuse("treaty code " + code + " is in a treaty order", "合约代码" + code + "已用于合约顺序，不能删除");
        if (Execute(c.db, "DELETE FROM t_cont_code WHERE c_cont_code = ?", {Text(code)}) == 0)
            Refuse("no treaty code " + code, "合约代码" + code + "不存在");
        Deleted(c, record);
        return;
    }
    const auto r = Load<_ContCodeStruct>(c.body);
    const Params values = kCodes.Values(r, kInsert);
    const std::string code = Str(kCodes.ValueOf(values, "c_cont_code", kInsert));
    const std::string type = Str(kCodes.ValueOf(values, "c_type", kInsert));
    if (type.empty() || kTreatyTypeLetters.find(type) == std::string_view::npos)
        BadRequest("treaty type is not one of " + std::string(kTreatyTypeLetters));
    if (c.head.nOperation == kOpInsert) {
        // Codes stored before this rule keep working; only new ones are held to it.
        if (!wire::IsCodeShape(code, 2)) BadRequest("treaty code " + code + " is not two upper-case letters or digits");
        if (Exists(c.db, "SELECT 1 FROM t_cont_code WHERE c_cont_code = ?", {Text(code)}))
            Refuse("treaty code " + code + " exists", "合约代码" + code + "已存在");
        Execute(c.db,
                "INSERT INTO t_cont_code (" + kCodes.Names(kInsert) + ") VALUES (" +
                    Placeholders(kCodes.Count(kInsert)) + ")",
                values);
        Written(c, TreatyCodeRecord(code));
        return;
    }
    const StoredRecord record = TreatyCodeRecord(code);
    RequireUnchanged(c, record);
    Params update = kCodes.Values(r, kUpdate);
    update.push_back(Text(code));
    if (Execute(c.db, "UPDATE t_cont_code SET " + kCodes.Assignments(kUpdate) + " WHERE c_cont_code = ?", update) == 0)
        Refuse("no treaty code " + code, "合约代码" + code + "不存在");
    Written(c, record);
}

}  // namespace kel::server::handlers
