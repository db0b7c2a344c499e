// Reinsurers with their bank accounts (182, 183, 214, 215) and the reinsurer
// look-up by its code (3019).
#include "common/records/TransactionCodes.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/Versions.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

// The columns of t_ri_company in the order of _RICompanyStruct.
const char* const kColumns =
    "c_ri_cde, c_nme_cn, c_nme_en, c_abbr, c_addr, c_tel, c_fax, c_busi_type, c_com_prop, c_bill_type, "
    "c_pay_mode, c_com_kind, c_contact, c_country_cde, c_credit_lvl, c_sp_rating, c_amb_rating, c_solvency, "
    "c_related, c_reserve_fund, c_capital, c_lapsed";

constexpr std::size_t kVersionAt = 22;  // n_version after the columns

// The record's values in column order; checks every field.
Params Values(const _RICompanyStruct& r) {
    return {Text(wire::Required(r.szRICode, "reinsurer code")),
            Text(wire::Text(r.szChnName, "Chinese name")),
            Text(wire::Text(r.szEngName, "English name")),
            Text(wire::Text(r.szShortName, "abbreviation")),
            Text(wire::Text(r.szAddress, "address")),
            Text(wire::Text(r.szPhone, "telephone")),
            Text(wire::Text(r.szFax, "fax")),
            Text(wire::Letter(r.cBusiType, "business type")),
            Text(wire::Letter(r.cCompProp, "company property")),
            Text(wire::Letter(r.cBillType, "bill type")),
            Text(wire::Letter(r.cPayMode, "payment method")),
            Text(wire::Letter(r.cCompKind, "company kind")),
            Text(wire::Text(r.szContact, "contact person")),
            Text(wire::Text(r.szCountry, "country or region")),
            Text(wire::Text(r.szCredit, "credit rating")),
            Text(wire::Text(r.szSPRating, "S&P rating")),
            Text(wire::Text(r.szAMBestRating, "A.M.Best rating")),
            Text(wire::Text(r.szSolvency, "solvency")),
            Text(wire::Letter(r.cRelation, "related-party relation")),
            Text(wire::Text(r.szReserveFund, "reserve fund")),
            Text(wire::Text(r.szCapital, "capital")),
            Text(wire::Letter(r.cLapsed, "lapsed flag"))};
}

void Fill(_RICompanyStruct& r, const Row& row) {
    wire::Put(r.szRICode, Str(row[0]));
    wire::Put(r.szChnName, Str(row[1]));
    wire::Put(r.szEngName, Str(row[2]));
    wire::Put(r.szShortName, Str(row[3]));
    wire::Put(r.szAddress, Str(row[4]));
    wire::Put(r.szPhone, Str(row[5]));
    wire::Put(r.szFax, Str(row[6]));
    r.cBusiType = wire::LetterOf(Str(row[7]));
    r.cCompProp = wire::LetterOf(Str(row[8]));
    r.cBillType = wire::LetterOf(Str(row[9]));
    r.cPayMode = wire::LetterOf(Str(row[10]));
    r.cCompKind = wire::LetterOf(Str(row[11]));
    wire::Put(r.szContact, Str(row[12]));
    wire::Put(r.szCountry, Str(row[13]));
    wire::Put(r.szCredit, Str(row[14]));
    wire::Put(r.szSPRating, Str(row[15]));
    wire::Put(r.szAMBestRating, Str(row[16]));
    wire::Put(r.szSolvency, Str(row[17]));
    r.cRelation = wire::LetterOf(Str(row[18]));
    wire::Put(r.szReserveFund, Str(row[19]));
    wire::Put(r.szCapital, Str(row[20]));
    r.cLapsed = wire::LetterOf(Str(row[21]));
}

Params AccountValues(const std::string& code, int seq, const _RIAccountStruct& a) {
    return {Text(code),
            Value(seq),
            Text(wire::Text(a.szCurrency, "account currency")),
            Text(wire::Text(a.szBank, "bank")),
            Text(wire::Text(a.szAccountNo, "account number")),
            Text(wire::Text(a.szPayee, "payee")),
            Text(wire::Letter(a.cBusiType, "account business type")),
            Text(wire::Text(a.szBankAddr, "bank address"))};
}

}  // namespace

void RICompanyList(Call& c) {
    const auto rs = Query(c.db, std::string("SELECT ") + kColumns + ", n_version FROM t_ri_company ORDER BY c_ri_cde");
    c.answer.Reserve(rs.rows.size() * sizeof(_RICompanyStruct));
    for (const Row& row : rs.rows) {
        Fill(c.answer.Add<_RICompanyStruct>(), row);
        Answered(c, "t_ri_company", Str(row[0]), Int(row[kVersionAt]));
    }
}

void RICompanyStore(Call& c) {
    const auto record = Load<_RICompanyStruct>(c.body);
    const Params values = Values(record);
    const std::string code = Str(values[0]);
    // Every account is checked before anything is written.
    std::vector<Params> accounts;
    for (int i = 0; i < c.head.nCount; ++i)
        accounts.push_back(AccountValues(
            code, i + 1, Load<_RIAccountStruct>(c.body, sizeof(_RICompanyStruct) + i * sizeof(_RIAccountStruct))));

    const bool exists = Exists(c.db, "SELECT 1 FROM t_ri_company WHERE c_ri_cde = ?", {Text(code)});
    if (c.head.nOperation == kel::records::kOpInsert) {
        if (exists) Refuse("reinsurer " + code + " exists");
        Execute(c.db,
                std::string("INSERT INTO t_ri_company (") + kColumns +
                    ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                values);
    } else {
        if (!exists) Refuse("no reinsurer " + code);
        RequireUnchanged(c, ReinsurerRecord(code));
        Params update(values.begin() + 1, values.end());
        update.push_back(values[0]);
        Execute(c.db,
                "UPDATE t_ri_company SET c_nme_cn = ?, c_nme_en = ?, c_abbr = ?, c_addr = ?, c_tel = ?, c_fax = ?, "
                "c_busi_type = ?, c_com_prop = ?, c_bill_type = ?, c_pay_mode = ?, c_com_kind = ?, c_contact = ?, "
                "c_country_cde = ?, c_credit_lvl = ?, c_sp_rating = ?, c_amb_rating = ?, c_solvency = ?, "
                "c_related = ?, c_reserve_fund = ?, c_capital = ?, c_lapsed = ? WHERE c_ri_cde = ?",
                update);
        Execute(c.db, "DELETE FROM t_ri_account WHERE c_ri_cde = ?", {Text(code)});
    }
    for (const Params& a : accounts)
        Execute(c.db,
                "INSERT INTO t_ri_account (c_ri_cde, n_seq, c_cur_cde, c_bank, c_account_no, c_payee, c_busi_type, "
                "c_bank_addr) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                a);
    Written(c, ReinsurerRecord(code));
}

void RICompanyDelete(Call& c) {
    const auto key = Load<_RICodeKey>(c.body);
    const std::string code = wire::Required(key.szRICode, "reinsurer code");
    const Params p{Text(code)};
    if (!Exists(c.db, "SELECT 1 FROM t_ri_company WHERE c_ri_cde = ?", p)) Refuse("no reinsurer " + code);
    const StoredRecord record = ReinsurerRecord(code);
    RequireUnchanged(c, record);
    // Treaty data keeps its participants: a reinsurer in use stays.
    if (Exists(c.db, "SELECT 1 FROM t_cont_reins WHERE c_ri_cde = ?", p) ||
        Exists(c.db, "SELECT 1 FROM t_cont_info WHERE c_lead_ri_cde = ?", p) ||
        Exists(c.db, "SELECT 1 FROM t_cont_extra WHERE c_broker_cde = ? OR c_sub_ri_cde = ?",
               {Text(code), Text(code)}) ||
        Exists(c.db, "SELECT 1 FROM t_cont_detail WHERE c_ri_cde = ?", p))
        Refuse("reinsurer " + code + " takes part in treaty data");
    Execute(c.db, "DELETE FROM t_ri_account WHERE c_ri_cde = ?", p);
    Execute(c.db, "DELETE FROM t_ri_agent WHERE c_broker_cde = ?", p);
    Execute(c.db, "DELETE FROM t_ri_company WHERE c_ri_cde = ?", p);
    Deleted(c, record);
}

void RIAccountList(Call& c) {
    const auto key = Load<_RICodeKey>(c.body);
    const std::string code = wire::Text(key.szRICode, "reinsurer code");
    const auto rs = Query(c.db,
                          "SELECT c_cur_cde, c_bank, c_account_no, c_payee, c_busi_type, c_bank_addr "
                          "FROM t_ri_account WHERE c_ri_cde = ? ORDER BY n_seq",
                          {Text(code)});
    for (const Row& row : rs.rows) {
        auto& a = c.answer.Add<_RIAccountStruct>();
        wire::Put(a.szCurrency, Str(row[0]));
        wire::Put(a.szBank, Str(row[1]));
        wire::Put(a.szAccountNo, Str(row[2]));
        wire::Put(a.szPayee, Str(row[3]));
        a.cBusiType = wire::LetterOf(Str(row[4]));
        wire::Put(a.szBankAddr, Str(row[5]));
    }
}

void RICompanyLookup(Call& c) {
    const auto record = Load<_RILookupStruct>(c.body);
    const std::string typed = wire::Required(record.szRICode, "reinsurer code");
    // The exact code: the broker form puts the answer's code behind the broker's,
    // so a longer code found by its beginning would not fit the entry's field.
    const auto rs = Query(c.db, std::string("SELECT ") + kColumns + ", n_version FROM t_ri_company WHERE c_ri_cde = ?",
                          {Text(typed)});
    if (rs.rows.empty()) Refuse("no reinsurer " + typed);
    Fill(c.answer.Add<_RICompanyStruct>(), rs.rows[0]);
    Answered(c, "t_ri_company", Str(rs.rows[0][0]), Int(rs.rows[0][kVersionAt]));
}

}  // namespace kel::server::handlers
