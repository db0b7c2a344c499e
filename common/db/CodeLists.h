// The code-list registry: a code-list ID names the SQL of a choice list (table,
// code column, name column, optional fixed condition, ordered by code). A combo
// whose control ID is a code-list ID shows that list as "code  name" items; a grid
// code column shows the name for each code.
#pragma once

#include "common/db/CodeListStruct.h"
#include "common/db/Database.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kel::codelist {

// IDs the screens use.
inline constexpr int kCurrency = 20108;         // 币种
inline constexpr int kCountryRegion = 20142;    // 国家地区
inline constexpr int kRiskLevel = 20179;        // 风险等级 (narrowed by year and product)
inline constexpr int kProduct = 20265;          // 险种
inline constexpr int kReinsurer = 20313;        // 再保公司
inline constexpr int kSubReinsurer = 20314;     // 经纪公司所属再保公司
inline constexpr int kCompanyProperty = 20317;  // 公司属性
inline constexpr int kTreatyName = 20318;       // 合约名称
inline constexpr int kProductClass = 20323;     // 险类

// Lists of our own, for the combos that name no ID of their own (29001 and up).
inline constexpr int kTreatyCode = 29001;       // 合约代码
inline constexpr int kInsuringCompany = 29002;  // 承保公司
inline constexpr int kTreatySection = 29003;    // SECTION of one treaty (condition: n_cont_id = ...)
inline constexpr int kTreatyReinsurer = 29004;  // reinsurers of one treaty (condition: n_cont_id = ...)

struct CodeListDef {
    int id;
    std::string_view title;   // what the list holds, for messages
    std::string_view source;  // table, or a derived table with an alias
    std::string_view codeColumn;
    std::string_view nameColumn;
    std::string_view condition;  // fixed condition, "" for none
    bool distinct;               // the source can repeat a code
};

struct CodeItem {
    std::string code;  // UTF-8, trailing blanks removed
    std::string name;
};

// The definition of a code list, or nullptr for an unknown ID.
const CodeListDef* FindCodeList(int id);
std::span<const CodeListDef> AllCodeLists();

// True when a condition text handed over by a screen may be placed into the list's
// WHERE clause: no ';', no comment marker ("--", "/*", "*/"), no NUL.
bool IsSafeCondition(std::string_view condition);

// The SELECT of a code list with the screen's extra condition (may be empty; a
// leading "where" is accepted). nullopt with `error` for an unknown ID or an
// unsafe condition.
std::optional<std::string> CodeListSql(int id, std::string_view extraCondition, std::string* error = nullptr);

// Loads a code list in code order. Rows with a NULL code are skipped; a NULL name
// reads as "". nullopt with `error` on an unknown ID, an unsafe condition or a
// failed query.
std::optional<std::vector<CodeItem>> LoadCodeList(kel::db::Connection& db, int id,
                                                  const std::string& extraCondition = "", std::string* error = nullptr);

// Behind CBASEBASE::GetCodeListDataTable: runs `sql` and returns one _CodeListStruct
// per row, the first column's text at offset 0 and (when columnCount is 2) the
// second's at offset 32, GBK-encoded. `count` holds the column count (1 or 2) on
// entry and the number of rows on return. The array comes from malloc and the
// caller frees it with free(); an empty result still returns an array (count 0).
// nullptr on failure (count 0, `error` tells): a bad column count, a failed query,
// fewer columns than asked for, or a text GBK cannot hold. `tableName` only names
// the table in messages.
_CodeListStruct* GetCodeListDataTable(kel::db::Connection& db, const std::string& sql, int& count,
                                      const std::string& tableName, std::string* error = nullptr);

// The schema of the tables behind every code list (sql/codelists.sql, built in).
const std::string& CodeListSchemaSql();

// Creates those tables where missing.
bool ApplyCodeListSchema(kel::db::Connection& db, std::string* error = nullptr);

}  // namespace kel::codelist
