// Treaty codes (180, 181).
#include "data/TransactionCodes.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"

namespace kel::server::handlers {

using namespace sql;
using wire::Load;

void ContCodeList(Call& c) {
    // 'Y' marks a code that no treaty data record uses yet.
    const auto rs = Query(c.db,
                          "SELECT k.c_cont_code, k.c_name_cn, k.c_name_en, k.c_type, "
                          "CASE WHEN EXISTS (SELECT 1 FROM t_cont_info i WHERE i.c_cont_code = k.c_cont_code) "
                          "THEN 'N' ELSE 'Y' END FROM t_cont_code k ORDER BY k.c_cont_code");
    for (const Row& row : rs.rows) {
        auto& r = c.answer.Add<_ContCodeStruct>();
        wire::Put(r.szContCode, Str(row[0]));
        wire::Put(r.szChnName, Str(row[1]));
        wire::Put(r.szEngName, Str(row[2]));
        r.cContType = wire::LetterOf(Str(row[3]));
        r.cMarkFlag = wire::LetterOf(Str(row[4]));
    }
}

void ContCodeStore(Call& c) {
    using namespace kel::records;
    if (c.head.nOperation == kOpDelete) {
        const auto key = Load<_ContCodeKey>(c.body);
        const std::string code = wire::Required(key.szContCode, "treaty code");
        if (Exists(c.db, "SELECT 1 FROM t_cont_info WHERE c_cont_code = ?", {Text(code)}))
            Refuse("treaty code " + code + " is used by treaty data");
        if (Exists(c.db, "SELECT 1 FROM t_cont_order WHERE c_cont_code = ?", {Text(code)}))
            Refuse("treaty code " + code + " is in a treaty order");
        if (Execute(c.db, "DELETE FROM t_cont_code WHERE c_cont_code = ?", {Text(code)}) == 0)
            Refuse("no treaty code " + code);
        return;
    }
    const auto r = Load<_ContCodeStruct>(c.body);
    const std::string code = wire::Required(r.szContCode, "treaty code");
    const std::string nameCn = wire::Required(r.szChnName, "Chinese name");
    const std::string nameEn = wire::Text(r.szEngName, "English name");
    const std::string type = wire::Letter(r.cContType, "treaty type");
    if (type.empty() || kTreatyTypeLetters.find(type) == std::string_view::npos)
        BadRequest("treaty type is not one of " + std::string(kTreatyTypeLetters));
    if (c.head.nOperation == kOpInsert) {
        if (Exists(c.db, "SELECT 1 FROM t_cont_code WHERE c_cont_code = ?", {Text(code)}))
            Refuse("treaty code " + code + " exists");
        Execute(c.db, "INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_name_en, c_type) VALUES (?, ?, ?, ?)",
                {Text(code), Text(nameCn), Text(nameEn), Text(type)});
    } else if (Execute(c.db, "UPDATE t_cont_code SET c_name_cn = ?, c_name_en = ?, c_type = ? WHERE c_cont_code = ?",
                       {Text(nameCn), Text(nameEn), Text(type), Text(code)}) == 0) {
        Refuse("no treaty code " + code);
    }
}

}  // namespace kel::server::handlers
