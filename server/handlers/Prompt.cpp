// Prompt settings (163, 164) and the documents waiting for a user (165..167).
#include <algorithm>

#include "common/records/Records.h"
#include "server/ColumnTable.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/StoredColumns.h"
#include "server/Versions.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

constexpr std::size_t kUserCodeMax = 20;

// The prompt types a user has switched on; the action is the request's, not stored.
using PromptColumns = ColumnsOf<_PromptSetStruct>;
const ColumnTable<_PromptSetStruct> kPrompts{
    PromptColumns::Text(&_PromptSetStruct::szUserCode, "c_user_cde", "user code").Max(kUserCodeMax).Code(),
    PromptColumns::Letter(&_PromptSetStruct::cPromptType, "c_prompt_type", "prompt type"),
};

// A waiting item as answered; its key is the item's number, written as decimal text.
using ItemColumns = ColumnsOf<_DetailInfoStruct>;
const ColumnTable<_DetailInfoStruct> kItems{
    ItemColumns::Text(&_DetailInfoStruct::szDocNo, "c_doc_no", "document number").Uses(kSelect),
    ItemColumns::Letter(&_DetailInfoStruct::cDocType, "c_doc_type", "document type").Uses(kSelect),
    ItemColumns::Letter(&_DetailInfoStruct::cPromptType, "c_prompt_type", "prompt type").Uses(kSelect),
    ItemColumns::Text(&_DetailInfoStruct::szDescription, "c_description", "description").Uses(kSelect),
};

// Waiting items of the user, of the prompt types the user has switched on.
const char* const kWaiting =
    " FROM t_detail_info d WHERE d.c_user_cde = ? AND d.c_processed = 'N' AND d.c_prompt_type IN "
    "(SELECT s.c_prompt_type FROM t_prompt_set s WHERE s.c_user_cde = ?)";

// The user code a request names, which must be the logged-on user's: a user's
// prompts and waiting items are nobody else's to read or change.
std::string OwnUser(const Call& c, const char (&field)[21]) {
    std::string user = wire::Required(field, "user code", kUserCodeMax);
    if (user != c.user)
        Refuse("user " + c.user + " asked for the items of user " + user, "只能处理本人(" + c.user + ")的事项");
    return user;
}

std::string UserOf(const Call& c) { return OwnUser(c, Load<_UserCodeBody>(c.body).szUserCode); }

}  // namespace

std::vector<StoredColumns> PromptTables() {
    return {{"t_prompt_set", &kPrompts.Rows()}, {"t_detail_info", &kItems.Rows()}};
}

void PromptLoad(Call& c) {
    const std::string user = UserOf(c);
    Each(c.db, "SELECT " + kPrompts.Names(kSelect) + " FROM t_prompt_set WHERE c_user_cde = ? ORDER BY c_prompt_type",
         {Text(user)}, [&](const RowCells& row) {
             auto& r = c.answer.Add<_PromptSetStruct>();
             std::size_t at = 0;
             kPrompts.Pack(row, at, r);
             r.cAction = kPromptOn;
             return true;
         });
}

void PromptSet(Call& c) {
    const auto b = Load<_PromptSetStruct>(c.body);
    const std::string user = OwnUser(c, b.szUserCode);
    if (b.cPromptType < 'A' || b.cPromptType > 'E') BadRequest("prompt type is not A to E");
    if (b.cAction != kPromptOn && b.cAction != kPromptOff) BadRequest("action is neither 'A' nor 'D'");
    if (!Exists(c.db, "SELECT 1 FROM t_user WHERE c_user_cde = ?", {Text(user)}))
        Refuse("no user " + user, "用户" + user + "不存在");
    const std::string type(1, b.cPromptType);
    Audited(c, "t_prompt_set " + user + "|" + type);
    Execute(c.db, "DELETE FROM t_prompt_set WHERE c_user_cde = ? AND c_prompt_type = ?", {Text(user), Text(type)});
    if (b.cAction == kPromptOn)
        Execute(c.db,
                "INSERT INTO t_prompt_set (" + kPrompts.Names(kInsert) + ") VALUES (" +
                    Placeholders(kPrompts.Count(kInsert)) + ")",
                kPrompts.Values(b, kInsert));
}

void DetailInfoCount(Call& c) {
    const std::string user = UserOf(c);
    const auto rs = Query(c.db, std::string("SELECT COUNT(*)") + kWaiting, {Text(user), Text(user)});
    // The count travels in the head's 16-bit field; more items than it holds read as its largest value.
    c.answer.SetCount(static_cast<std::size_t>(std::min<int64_t>(Int(rs.rows[0][0]), INT16_MAX)));
}

void DetailInfoList(Call& c) {
    const std::string user = UserOf(c);
    Each(c.db, "SELECT " + kItems.Names(kSelect, "d.") + ", d.n_item_id" + kWaiting + " ORDER BY d.n_item_id",
         {Text(user), Text(user)}, [&](const RowCells& row) {
             auto& r = c.answer.Add<_DetailInfoStruct>();
             std::size_t at = 0;
             kItems.Pack(row, at, r);
             kel::records::PutDecimalKey(r.szItemKey, static_cast<int32_t>(row.Int(at)));
             return true;
         });
}

void DetailInfoDone(Call& c) {
    const auto b = Load<_DetailActBody>(c.body);
    const int32_t item = wire::Key(b.szItemKey, "item key");
    Audited(c, "t_detail_info " + std::to_string(item));
    const std::string user = OwnUser(c, b.szUserCode);
    const int64_t n = Execute(c.db,
                              "UPDATE t_detail_info SET c_processed = 'Y' "
                              "WHERE n_item_id = ? AND c_user_cde = ? AND c_processed = 'N'",
                              {Value(item), Text(user)});
    if (n == 0) {
        const bool handled = Exists(c.db, "SELECT 1 FROM t_detail_info WHERE n_item_id = ? AND c_user_cde = ?",
                                    {Value(item), Text(user)});
        Refuse("no waiting item " + std::to_string(item) + " of user " + user,
               handled ? "已由其他会话处理" : "该事项已不存在");
    }
}

}  // namespace kel::server::handlers
