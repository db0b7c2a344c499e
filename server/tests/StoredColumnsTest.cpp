// The schema as both stores make it, held against every handler's column table:
// each column a table names exists in its stored table with a type that holds the
// field, and a text a request may carry fits the column's width.
#include <cctype>
#include <map>

#include "server/StoredColumns.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

struct StoredType {
    std::string type;   // lower case: "varchar(60)", "integer", "character varying", ...
    int64_t width = 0;  // characters of a text column; 0 when unbounded
};

std::string Lower(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

bool Has(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

class StoredColumnsTest : public ServerTest {
protected:
    // The columns of `table` as the store declares them; empty when there is no such table.
    std::map<std::string, StoredType> Declared(const std::string& table) {
        std::map<std::string, StoredType> out;
        if (GetParam() == Backend::Sqlite) {
            const auto rs = Db().Query("SELECT name, type FROM pragma_table_info(?)", {kel::db::Value(table)});
            EXPECT_TRUE(rs) << Db().LastError();
            for (const auto& row : rs ? rs->rows : std::vector<kel::db::Row>{}) {
                StoredType t{Lower(sql::Str(row[1]))};
                const auto open = t.type.find('(');
                if (open != std::string::npos) t.width = std::stoll(t.type.substr(open + 1));
                out[Lower(sql::Str(row[0]))] = t;
            }
        } else {
            const auto rs = Db().Query(
                "SELECT column_name, data_type, character_maximum_length FROM information_schema.columns "
                "WHERE table_schema = current_schema() AND table_name = ?",
                {kel::db::Value(table)});
            EXPECT_TRUE(rs) << Db().LastError();
            for (const auto& row : rs ? rs->rows : std::vector<kel::db::Row>{})
                out[Lower(sql::Str(row[0]))] = StoredType{Lower(sql::Str(row[1])), sql::Int(row[2])};
        }
        return out;
    }

    // What is wrong between the column table and its stored table, one line each.
    std::vector<std::string> Problems(const std::string& table, const ColumnRows& rows) {
        std::vector<std::string> problems;
        const auto stored = Declared(table);
        if (stored.empty()) return {table + ": no such table"};
        for (const Column& c : rows.Columns()) {
            const std::string name = table + "." + c.name;
            const auto found = stored.find(c.name);
            if (found == stored.end()) {
                problems.push_back(name + ": no such column");
                continue;
            }
            const StoredType& t = found->second;
            const bool text = Has(t.type, "char") || Has(t.type, "text");
            const bool integer = Has(t.type, "int");
            const bool real = Has(t.type, "double") || Has(t.type, "real") || Has(t.type, "numeric") ||
                              Has(t.type, "float") || Has(t.type, "decimal");
            std::size_t longest = 0;  // the longest text a request may store, in characters
            switch (c.kind) {
                case ColumnKind::Int:
                    if (!integer) problems.push_back(name + ": an integer field in a " + t.type + " column");
                    continue;
                case ColumnKind::Real:
                    if (!real) problems.push_back(name + ": a real field in a " + t.type + " column");
                    continue;
                case ColumnKind::Letter: longest = 1; break;
                case ColumnKind::Date:
                case ColumnKind::OptionalDate: longest = 8; break;
                case ColumnKind::Text:
                case ColumnKind::Required:
                case ColumnKind::NumberText: longest = c.maxBytes ? c.maxBytes : c.size - 1; break;
            }
            if (!text) {
                problems.push_back(name + ": a text field in a " + t.type + " column");
                continue;
            }
            // Answers are cut to the field; what a request stores must fit whole.
            const bool written = (c.uses & (kInsert | kUpdate)) != 0;
            if (written && t.width > 0 && static_cast<std::size_t>(t.width) < longest)
                problems.push_back(name + ": " + std::to_string(longest) + " characters into " + t.type);
        }
        return problems;
    }
};

TEST_P(StoredColumnsTest, EveryColumnOfEveryTableIsStoredInAFittingType) {
    const auto all = AllStoredColumns();
    ASSERT_FALSE(all.empty());
    for (const StoredColumns& s : all) {
        ASSERT_FALSE(s.rows->Columns().empty()) << s.table;
        EXPECT_EQ(Problems(s.table, *s.rows), std::vector<std::string>{}) << s.table;
    }
}

// The check itself: a table that drifted from the schema is caught, each way it can.
TEST_P(StoredColumnsTest, ATableThatDriftedFromTheSchemaIsNamed) {
    using C = ColumnsOf<_RICompanyStruct>;
    const ColumnTable<_RICompanyStruct> drifted{
        C::Required(&_RICompanyStruct::szRICode, "c_ri_cde", "reinsurer code"),   // fits
        C::Text(&_RICompanyStruct::szChnName, "c_name_cn", "Chinese name"),       // renamed
        C::Text(&_RICompanyStruct::szAddress, "c_tel", "address"),                // 500 into 30
        C::Text(&_RICompanyStruct::szAddress, "c_tel", "address").Uses(kSelect),  // only read: cut
        C::Letter(&_RICompanyStruct::cLapsed, "c_lapsed", "lapsed flag"),         // fits
    };
    const auto problems = Problems("t_ri_company", drifted.Rows());
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0], "t_ri_company.c_name_cn: no such column");
    EXPECT_TRUE(Has(problems[1], "t_ri_company.c_tel: 500 characters into")) << problems[1];

    using S = ColumnsOf<_SectionStruct>;
    const ColumnTable<_SectionStruct> retyped{
        S::Int(&_SectionStruct::nContId, "c_cont_code"),
        S::Real(&_SectionStruct::dCommRate, "c_sect_nme", "commission rate"),
        S::Text(&_SectionStruct::szSectName, "n_comm_rate", "section name"),
    };
    EXPECT_EQ(Problems("t_cont_section", retyped.Rows()).size(), 3u);
    EXPECT_EQ(Problems("t_no_such_table", retyped.Rows()), std::vector<std::string>{"t_no_such_table: no such table"});
}

// Each field goes into its own column and is answered from it. The statements and
// the answers come from the same rows, so a field paired with another field's
// column would survive any round trip through the server: the stored row shows it.
TEST_P(StoredColumnsTest, EachFieldOfAReinsurerAndABrokerEntryIsStoredInItsOwnColumn) {
    Seed();
    auto expectStored = [&](const std::string& from, const std::vector<std::pair<const char*, std::string>>& columns) {
        for (const auto& [column, value] : columns)
            EXPECT_EQ(Text(std::string("SELECT ") + column + " FROM " + from), value) << column;
    };

    _RICompanyStruct ri{};
    Set(ri.szRICode, "07");
    Set(ri.szChnName, "泰晤桥再保险");
    Set(ri.szEngName, "Thames Re");
    Set(ri.szShortName, "TRE");
    Set(ri.szAddress, "伦敦");
    Set(ri.szPhone, "020-1");
    Set(ri.szFax, "020-2");
    ri.cBusiType = 'B';
    ri.cCompProp = 'C';
    ri.cBillType = 'D';
    ri.cPayMode = 'E';
    ri.cCompKind = 'A';
    Set(ri.szContact, "李四");
    Set(ri.szCountry, "GB");
    Set(ri.szCredit, "AAA");
    Set(ri.szSPRating, "A+");
    Set(ri.szAMBestRating, "A-");
    Set(ri.szSolvency, "充足");
    ri.cRelation = 'R';
    Set(ri.szReserveFund, "12.5");
    Set(ri.szCapital, "300");
    ri.cLapsed = 'N';
    _RIAccountStruct account{};
    Set(account.szCurrency, "03");
    Set(account.szBank, "北门银行");
    Set(account.szAccountNo, "6222");
    Set(account.szPayee, "泰晤桥");
    account.cBusiType = 'F';
    Set(account.szBankAddr, "伦敦城");
    ASSERT_EQ(Send(183, Bytes(ri) + Bytes(account), kel::records::kOpInsert, 1).Status(), 0);
    expectStored("t_ri_company WHERE c_ri_cde = '07'",
                 {{"c_nme_cn", "泰晤桥再保险"}, {"c_nme_en", "Thames Re"}, {"c_abbr", "TRE"},
                  {"c_addr", "伦敦"},           {"c_tel", "020-1"},        {"c_fax", "020-2"},
                  {"c_busi_type", "B"},         {"c_com_prop", "C"},       {"c_bill_type", "D"},
                  {"c_pay_mode", "E"},          {"c_com_kind", "A"},       {"c_contact", "李四"},
                  {"c_country_cde", "GB"},      {"c_credit_lvl", "AAA"},   {"c_sp_rating", "A+"},
                  {"c_amb_rating", "A-"},       {"c_solvency", "充足"},    {"c_related", "R"},
                  {"c_reserve_fund", "12.5"},   {"c_capital", "300"},      {"c_lapsed", "N"}});
    expectStored("t_ri_account WHERE c_ri_cde = '07' AND n_seq = 1", {{"c_cur_cde", "03"},
                                                                      {"c_bank", "北门银行"},
                                                                      {"c_account_no", "6222"},
                                                                      {"c_payee", "泰晤桥"},
                                                                      {"c_busi_type", "F"},
                                                                      {"c_bank_addr", "伦敦城"}});
    const auto looked = Send(3019, Bytes(ri)).Records<_RICompanyStruct>();
    ASSERT_EQ(looked.size(), 1u);
    EXPECT_EQ(Bytes(looked[0]), Bytes(ri));
    const auto accounts = Send(215, Bytes(ri.szRICode)).Records<_RIAccountStruct>();
    ASSERT_EQ(accounts.size(), 1u);
    EXPECT_EQ(Bytes(accounts[0]), Bytes(account));

    _RIAgentStruct entry{};
    Set(entry.szBrokerCode, "B1");
    Set(entry.szRICode, "B101");
    Set(entry.szChnName, "甲再");
    Set(entry.szEngName, "Jia Re");
    Set(entry.szShortName, "JRE");
    Set(entry.szAddress, "上海");
    Set(entry.szPhone, "021-1");
    Set(entry.szFax, "021-2");
    entry.cKind = 'B';
    Set(entry.szContact, "王五");
    Set(entry.szCountry, "CN");
    Set(entry.szCredit, "AA");
    ASSERT_EQ(SendRecord(217, entry, kel::records::kOpInsert).Status(), 0);
    expectStored("t_ri_agent WHERE c_broker_cde = 'B1' AND c_ri_cde = 'B101'", {{"c_nme_cn", "甲再"},
                                                                                {"c_nme_en", "Jia Re"},
                                                                                {"c_abbr", "JRE"},
                                                                                {"c_addr", "上海"},
                                                                                {"c_tel", "021-1"},
                                                                                {"c_fax", "021-2"},
                                                                                {"c_kind", "B"},
                                                                                {"c_contact", "王五"},
                                                                                {"c_country_cde", "CN"},
                                                                                {"c_credit_lvl", "AA"}});
    const auto entries = Send(216, Bytes(entry.szBrokerCode)).Records<_RIAgentStruct>();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(Bytes(entries[0]), Bytes(entry));
}

KELMOR_SERVER_BACKENDS(StoredColumnsTest);

}  // namespace
}  // namespace kel::server::test
