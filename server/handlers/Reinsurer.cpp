// Reinsurers with their bank accounts (182, 183, 214, 215) and the reinsurer
// look-up by its code (3019).
#include "common/records/TransactionCodes.h"
#include "server/ColumnTable.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/StoredColumns.h"
#include "server/Versions.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

// The reinsurer code is the key: written once, never changed by an update.
using RIColumns = ColumnsOf<_RICompanyStruct>;
const ColumnTable<_RICompanyStruct> kReinsurers{
    RIColumns::Required(&_RICompanyStruct::szRICode, "c_ri_cde", "reinsurer code").Uses(kSelect | kInsert),
    RIColumns::Text(&_RICompanyStruct::szChnName, "c_nme_cn", "Chinese name"),
    RIColumns::Text(&_RICompanyStruct::szEngName, "c_nme_en", "English name"),
    RIColumns::Text(&_RICompanyStruct::szShortName, "c_abbr", "abbreviation"),
    RIColumns::Text(&_RICompanyStruct::szAddress, "c_addr", "address"),
    RIColumns::Text(&_RICompanyStruct::szPhone, "c_tel", "telephone"),
    RIColumns::Text(&_RICompanyStruct::szFax, "c_fax", "fax"),
    RIColumns::Letter(&_RICompanyStruct::cBusiType, "c_busi_type", "business type"),
    RIColumns::Letter(&_RICompanyStruct::cCompProp, "c_com_prop", "company property"),
    RIColumns::Letter(&_RICompanyStruct::cBillType, "c_bill_type", "bill type"),
    RIColumns::Letter(&_RICompanyStruct::cPayMode, "c_pay_mode", "payment method"),
    RIColumns::Letter(&_RICompanyStruct::cCompKind, "c_com_kind", "company kind"),
    RIColumns::Text(&_RICompanyStruct::szContact, "c_contact", "contact person"),
    RIColumns::Text(&_RICompanyStruct::szCountry, "c_country_cde", "country or region").Code(),
    RIColumns::Text(&_RICompanyStruct::szCredit, "c_credit_lvl", "credit rating"),
    RIColumns::Text(&_RICompanyStruct::szSPRating, "c_sp_rating", "S&P rating"),
    RIColumns::Text(&_RICompanyStruct::szAMBestRating, "c_amb_rating", "A.M.Best rating"),
    RIColumns::Text(&_RICompanyStruct::szSolvency, "c_solvency", "solvency"),
    RIColumns::Letter(&_RICompanyStruct::cRelation, "c_related", "related-party relation"),
    RIColumns::NumberText(&_RICompanyStruct::szReserveFund, "c_reserve_fund", "reserve fund")
        .Bounded(kel::records::kFundBound),
    RIColumns::NumberText(&_RICompanyStruct::szCapital, "c_capital", "capital").Bounded(kel::records::kFundBound),
    RIColumns::Letter(&_RICompanyStruct::cLapsed, "c_lapsed", "lapsed flag"),
};

// An account's reinsurer and its place in the list are the server's.
using AccountColumns = ColumnsOf<_RIAccountStruct>;
const ColumnTable<_RIAccountStruct> kAccounts{
    AccountColumns::Text(&_RIAccountStruct::szCurrency, "c_cur_cde", "account currency").Code(),
    AccountColumns::Text(&_RIAccountStruct::szBank, "c_bank", "bank"),
    AccountColumns::Text(&_RIAccountStruct::szAccountNo, "c_account_no", "account number").Code(),
    AccountColumns::Text(&_RIAccountStruct::szPayee, "c_payee", "payee"),
    AccountColumns::Letter(&_RIAccountStruct::cBusiType, "c_busi_type", "account business type"),
    AccountColumns::Text(&_RIAccountStruct::szBankAddr, "c_bank_addr", "bank address"),
};

const std::string& SelectReinsurers() {
    static const std::string sql = "SELECT " + kReinsurers.Names(kSelect) + ", n_version FROM t_ri_company";
    return sql;
}

// Packs one selected reinsurer and notes the version it was read at.
void PackReinsurer(Call& c, const RowCells& row) {
    std::size_t at = 0;
    kReinsurers.Pack(row, at, c.answer.Add<_RICompanyStruct>());
    Answered(c, "t_ri_company", std::string(row.Text(0)), row.Int(at));
}

}  // namespace

std::vector<StoredColumns> ReinsurerTables() {
    return {{"t_ri_company", &kReinsurers.Rows()}, {"t_ri_account", &kAccounts.Rows()}};
}

void RICompanyList(Call& c) {
    Each(c.db, SelectReinsurers() + " ORDER BY c_ri_cde", {}, [&](const RowCells& row) {
        PackReinsurer(c, row);
        return true;
    });
}

void RICompanyStore(Call& c) {
    const auto record = Load<_RICompanyStruct>(c.body);
    const Params values = kReinsurers.Values(record, kInsert);
    const std::string code = Str(kReinsurers.ValueOf(values, "c_ri_cde", kInsert));
    // Every account is checked before anything is written.
    std::vector<Params> accounts;
    for (int i = 0; i < c.head.nCount; ++i) {
        Params a{Text(code), Value(i + 1)};
        const Params fields = kAccounts.Values(
            Load<_RIAccountStruct>(c.body, sizeof(_RICompanyStruct) + i * sizeof(_RIAccountStruct)), kInsert);
        a.insert(a.end(), fields.begin(), fields.end());
        accounts.push_back(std::move(a));
    }

    const bool exists = Exists(c.db, "SELECT 1 FROM t_ri_company WHERE c_ri_cde = ?", {Text(code)});
    if (c.head.nOperation == kel::records::kOpInsert) {
        if (exists) Refuse("reinsurer " + code + " exists", "再保人" + code + "已存在");
        // Codes stored before keep working; a new one has the agreed shape.
        if (!wire::IsCodeShape(code, 2))
            BadRequest("reinsurer code " + code + " is not two upper-case letters or digits",
                       "再保人代码" + code + "必须是两位大写字母或数字");
        Execute(c.db,
                "INSERT INTO t_ri_company (" + kReinsurers.Names(kInsert) + ") VALUES (" +
                    Placeholders(kReinsurers.Count(kInsert)) + ")",
                values);
    } else {
        if (!exists) Refuse("no reinsurer " + code, "再保人" + code + "不存在");
        RequireUnchanged(c, ReinsurerRecord(code));
        Params update = kReinsurers.Values(record, kUpdate);
        update.push_back(Text(code));
        Execute(c.db, "UPDATE t_ri_company SET " + kReinsurers.Assignments(kUpdate) + " WHERE c_ri_cde = ?", update);
        Execute(c.db, "DELETE FROM t_ri_account WHERE c_ri_cde = ?", {Text(code)});
    }
    const std::string insertAccount = "INSERT INTO t_ri_account (c_ri_cde, n_seq, " + kAccounts.Names(kInsert) +
                                      ") VALUES (" + Placeholders(kAccounts.Count(kInsert) + 2) + ")";
    for (const Params& a : accounts) Execute(c.db, insertAccount, a);
    Written(c, ReinsurerRecord(code));
}

void RICompanyDelete(Call& c) {
    const auto key = Load<_RICodeKey>(c.body);
    const std::string code = wire::Required(key.szRICode, "reinsurer code");
    const Params p{Text(code)};
    if (!Exists(c.db, "SELECT 1 FROM t_ri_company WHERE c_ri_cde = ?", p))
        Refuse("no reinsurer " + code, "再保人" + code + "不存在");
    const StoredRecord record = ReinsurerRecord(code);
    RequireUnchanged(c, record);
    // Treaty data keeps its participants: a reinsurer in use stays.
    const auto users = Query(c.db,
                             "SELECT c_cont_no FROM t_cont_info WHERE n_cont_id IN ("
                             "SELECT n_cont_id FROM t_cont_reins WHERE c_ri_cde = ? "
                             "UNION SELECT n_cont_id FROM t_cont_info WHERE c_lead_ri_cde = ? "
                             "UNION SELECT n_cont_id FROM t_cont_extra WHERE c_broker_cde = ? OR c_sub_ri_cde = ? "
                             "UNION SELECT n_cont_id FROM t_cont_detail WHERE c_ri_cde = ?) ORDER BY c_cont_no",
                             {Text(code), Text(code), Text(code), Text(code), Text(code)});
    if (!users.rows.empty()) {
        const std::string first = Str(users.rows[0][0]);
        const std::size_t n = users.rows.size();
        Refuse(
            "reinsurer " + code + " takes part in treaty data",
            "再保人" + code + "已用于合约资料" + first + (n > 1 ? "等" + std::to_string(n) + "条" : "") + "，不能删除");
    }
    Execute(c.db, "DELETE FROM t_ri_account WHERE c_ri_cde = ?", p);
    Execute(c.db, "DELETE FROM t_ri_agent WHERE c_broker_cde = ?", p);
    Execute(c.db, "DELETE FROM t_ri_company WHERE c_ri_cde = ?", p);
    Deleted(c, record);
}

void RIAccountList(Call& c) {
    const auto key = Load<_RICodeKey>(c.body);
    const std::string code = wire::Code(key.szRICode, "reinsurer code");
    Each(c.db, "SELECT " + kAccounts.Names(kSelect) + " FROM t_ri_account WHERE c_ri_cde = ? ORDER BY n_seq",
         {Text(code)}, [&](const RowCells& row) {
             std::size_t at = 0;
             kAccounts.Pack(row, at, c.answer.Add<_RIAccountStruct>());
             return true;
         });
}

void RICompanyLookup(Call& c) {
    const auto record = Load<_RILookupStruct>(c.body);
    const std::string typed = wire::Required(record.szRICode, "reinsurer code");
    // The exact code: the broker form puts the answer's code behind the broker's,
    // so a longer code found by its beginning would not fit the entry's field.
    Each(c.db, SelectReinsurers() + " WHERE c_ri_cde = ?", {Text(typed)}, [&](const RowCells& row) {
        PackReinsurer(c, row);
        return false;
    });
    if (c.answer.Count() == 0) Refuse("no reinsurer " + typed, "再保人" + typed + "不存在");
}

}  // namespace kel::server::handlers
