#include "common/db/CodeLists.h"

#include "common/text/GbkText.h"

#include <strings.h>
#include <array>
#include <cstdlib>
#include <cstring>

namespace kel::codelist {
namespace {

// The tables are those of sql/codelists.sql.
constexpr std::array kLists = {
    CodeListDef{kCurrency, "currency", "t_currency", "c_cur_cde", "c_cur_nme", "", false},
    CodeListDef{kCountryRegion, "country or region", "t_country", "c_country_cde", "c_country_nme", "", false},
    // Per year in the table: the same level repeats across years.
    CodeListDef{kRiskLevel, "risk level", "t_risk_cde", "c_risk_lvl_cde", "c_risk_lvl_nme", "", true},
    CodeListDef{kProduct, "product", "t_prd_prod", "c_prod_no", "c_nme_cn", "", false},
    CodeListDef{kReinsurer, "reinsurer", "t_ri_company", "c_ri_cde", "c_nme_cn", "", false},
    // A reinsurer can stand behind several brokers.
    CodeListDef{kSubReinsurer, "sub-reinsurer", "t_ri_agent", "c_ri_cde", "c_nme_cn", "", true},
    CodeListDef{kCompanyProperty, "company property", "t_com_property", "c_prop_cde", "c_prop_nme", "", false},
    CodeListDef{kTreatyName, "treaty name", "t_cont_code", "c_cont_code", "c_name_cn", "", false},
    CodeListDef{kProductClass, "product class", "t_prd_class", "c_class_no", "c_nme_cn", "", false},
    CodeListDef{kTreatyCode, "treaty code", "t_cont_code", "c_cont_code", "c_name_cn", "", false},
    CodeListDef{kInsuringCompany, "insuring company", "t_insr_company", "c_com_cde", "c_nme_cn", "", false},
    CodeListDef{kTreatySection, "treaty section", "t_cont_section", "c_sect_cde", "c_sect_nme", "", true},
    // A derived table, so that a screen's condition names plain columns (n_cont_id).
    CodeListDef{kTreatyReinsurer, "treaty reinsurer",
                "(SELECT r.n_cont_id, r.c_ri_cde, c.c_nme_cn FROM t_cont_reins r "
                "LEFT JOIN t_ri_company c ON c.c_ri_cde = r.c_ri_cde) tr",
                "c_ri_cde", "c_nme_cn", "", true},
};

void SetError(std::string* error, std::string message) {
    if (error) *error = std::move(message);
}

std::string_view TrimView(std::string_view s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string TrimRight(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

}  // namespace

const CodeListDef* FindCodeList(int id) {
    for (const auto& def : kLists)
        if (def.id == id) return &def;
    return nullptr;
}

std::span<const CodeListDef> AllCodeLists() { return kLists; }

bool IsSafeCondition(std::string_view c) {
    return c.find(';') == std::string_view::npos && c.find("--") == std::string_view::npos &&
           c.find("/*") == std::string_view::npos && c.find("*/") == std::string_view::npos &&
           c.find('\0') == std::string_view::npos;
}

std::optional<std::string> CodeListSql(int id, std::string_view extraCondition, std::string* error) {
    const CodeListDef* def = FindCodeList(id);
    if (!def) {
        SetError(error, "unknown code list " + std::to_string(id));
        return std::nullopt;
    }
    if (!IsSafeCondition(extraCondition)) {
        SetError(error, "code list " + std::to_string(id) +
                            ": condition refused (';' and comments are not allowed): " + std::string(extraCondition));
        return std::nullopt;
    }
    std::string_view extra = TrimView(extraCondition);
    if (extra.size() > 5 && strncasecmp(extra.data(), "where", 5) == 0 &&
        (extra[5] == ' ' || extra[5] == '\t' || extra[5] == '\n' || extra[5] == '('))
        extra = TrimView(extra.substr(5));

    std::string sql = "SELECT ";
    if (def->distinct) sql += "DISTINCT ";
    sql += std::string(def->codeColumn) + ", " + std::string(def->nameColumn) + " FROM " + std::string(def->source);
    // Each condition in parentheses: an OR in the screen's text must not escape.
    if (!def->condition.empty() && !extra.empty())
        sql += " WHERE (" + std::string(def->condition) + ") AND (" + std::string(extra) + ")";
    else if (!def->condition.empty())
        sql += " WHERE (" + std::string(def->condition) + ")";
    else if (!extra.empty())
        sql += " WHERE (" + std::string(extra) + ")";
    sql += " ORDER BY " + std::string(def->codeColumn);
    return sql;
}

std::optional<std::vector<CodeItem>> LoadCodeList(kel::db::Connection& db, int id, const std::string& extraCondition,
                                                  std::string* error) {
    const auto sql = CodeListSql(id, extraCondition, error);
    if (!sql) return std::nullopt;
    const auto result = db.Query(*sql);
    if (!result) {
        SetError(error, "code list " + std::to_string(id) + " (" + std::string(FindCodeList(id)->title) +
                            "): " + db.LastError());
        return std::nullopt;
    }
    std::vector<CodeItem> items;
    items.reserve(result->rows.size());
    for (const auto& row : result->rows) {
        if (row.size() < 2 || row[0].IsNull()) continue;
        items.push_back(CodeItem{TrimRight(row[0].ToText()), TrimRight(row[1].ToText())});
    }
    return items;
}

_CodeListStruct* GetCodeListDataTable(kel::db::Connection& db, const std::string& sql, int& count,
                                      const std::string& tableName, std::string* error) {
    const int columns = count;
    count = 0;
    auto fail = [&](std::string message) -> _CodeListStruct* {
        SetError(error, tableName + ": " + message);
        return nullptr;
    };
    if (columns < 1 || columns > 2)
        return fail("a code-list row holds 1 or 2 columns, asked for " + std::to_string(columns));
    const auto result = db.Query(sql);
    if (!result) return fail(db.LastError());
    if (result->columns.size() < static_cast<std::size_t>(columns))
        return fail("the query gives " + std::to_string(result->columns.size()) + " column(s), " +
                    std::to_string(columns) + " asked for");

    const std::size_t rows = result->rows.size();
    // Never a zero-size allocation: an empty result is an empty table, not a failure.
    auto* table = static_cast<_CodeListStruct*>(std::calloc(rows ? rows : 1, sizeof(_CodeListStruct)));
    if (!table) return fail("out of memory for " + std::to_string(rows) + " rows");
    for (std::size_t r = 0; r < rows; ++r) {
        char* fields[2] = {table[r].szCode, table[r].szName};
        const std::size_t widths[2] = {sizeof table[r].szCode, sizeof table[r].szName};
        for (int c = 0; c < columns; ++c) {
            const std::string text = result->rows[r][c].ToText();
            if (kel::text::PutField(fields[c], widths[c], text) == kel::text::PutResult::NotGbk) {
                std::free(table);
                return fail("row " + std::to_string(r + 1) + ", column " + std::to_string(c + 1) +
                            ": text not representable in GBK: " + text);
            }
        }
    }
    count = static_cast<int>(rows);
    return table;
}

bool ApplyCodeListSchema(kel::db::Connection& db, std::string* error) {
    return kel::db::ApplySchema(db, CodeListSchemaSql(), error);
}

}  // namespace kel::codelist
