// Treaty data with its participation, product share and broker sub-reinsurer
// lists (186..190).
#include <map>
#include <set>

#include "common/records/TransactionCodes.h"
#include "common/text/GbkText.h"
#include "server/ColumnTable.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/Store.h"
#include "server/StoredColumns.h"
#include "server/Versions.h"
#include "server/handlers/ContListColumns.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using kel::records::kAmountBound;
using kel::records::kCoefficientBound;
using kel::records::kFractionBound;
using wire::Load;

// The stored columns of each record. A request carries every column that goes into
// an INSERT or UPDATE; the identifier is the server's and the creating user is
// written once.
using InfoColumns = ColumnsOf<_ContInfoStruct>;
const ColumnTable<_ContInfoStruct> kInfo{
    InfoColumns::Int(&_ContInfoStruct::nContId, "n_cont_id").Uses(kSelect),
    InfoColumns::Required(&_ContInfoStruct::szContCode, "c_cont_code", "treaty code"),
    InfoColumns::Date(&_ContInfoStruct::szStartDate, "c_start_date", "start date"),
    InfoColumns::Date(&_ContInfoStruct::szEndDate, "c_end_date", "end date"),
    InfoColumns::Text(&_ContInfoStruct::szLimitCurr, "c_limit_cur", "limit currency").Code(),
    InfoColumns::Date(&_ContInfoStruct::szCancelDate, "c_cancel_date", "cancellation date", true),
    InfoColumns::Text(&_ContInfoStruct::szLeadRICode, "c_lead_ri_cde", "lead reinsurer").Code(),
    InfoColumns::Text(&_ContInfoStruct::szContNo, "c_cont_no", "contract number").Max(10).TrimRight().Code(),
    InfoColumns::Int(&_ContInfoStruct::nLines, "n_lines"),
    InfoColumns::Int(&_ContInfoStruct::nVipLines, "n_vip_lines"),
    InfoColumns::Int(&_ContInfoStruct::nAcctPeriod, "n_acct_period"),
    InfoColumns::Int(&_ContInfoStruct::nLossCarry, "n_loss_carry"),
    InfoColumns::Real(&_ContInfoStruct::dUnexpRsvRatio, "n_unexp_rsv_ratio", "unexpired-liability reserve ratio")
        .Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dUnearnedRatio, "n_unearned_ratio", "unearned-premium ratio")
        .Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dQuotaRatio, "n_quota_ratio", "quota-share ratio").Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dLeadShare, "n_lead_share", "lead reinsurer share").Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dCommRate, "n_comm_rate", "commission rate").Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dTaxRate, "n_tax_rate", "tax rate").Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dPremRsvRatio, "n_prem_rsv_ratio", "premium reserve ratio")
        .Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dLossRsvRatio, "n_loss_rsv_ratio", "loss reserve ratio")
        .Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dCashLossLimit, "n_cash_loss_limit", "cash-loss threshold")
        .Bounded(kAmountBound),
    InfoColumns::Real(&_ContInfoStruct::dProfitCommRate, "n_profit_comm_rate", "profit commission rate")
        .Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dMgmtFeeRate, "n_mgmt_fee_rate", "management fee rate").Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dQuakeCommRate, "n_quake_comm_rate", "earthquake commission rate")
        .Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dQuakePremRatio, "n_quake_prem_ratio", "earthquake premium ratio")
        .Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dActCommRate, "n_act_comm_rate", "actual commission rate")
        .Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dCoinsLimitCoef, "n_coins_limit_coef", "co-insurance limit coefficient")
        .Bounded(kCoefficientBound),
    InfoColumns::Real(&_ContInfoStruct::dPlantRate, "n_plant_rate", "power-plant engineering rate")
        .Bounded(kFractionBound),
    InfoColumns::Real(&_ContInfoStruct::dNetPremTaxRate, "n_net_prem_tax_rate", "net-premium tax rate")
        .Bounded(kFractionBound),
    InfoColumns::Letter(&_ContInfoStruct::cCommInclTax, "c_comm_incl_tax", "commission-includes-tax flag"),
    InfoColumns::Letter(&_ContInfoStruct::cNetPremFlag, "c_net_prem_flag", "net-premium flag"),
    InfoColumns::Text(&_ContInfoStruct::szUserCode, "c_create_user", "user code").Uses(kSelect | kInsert),
    InfoColumns::Text(&_ContInfoStruct::szUserCode2, "c_update_user", "user code"),
};

using ReinsColumns = ColumnsOf<_ContReinsStruct>;
const ColumnTable<_ContReinsStruct> kReins{
    ReinsColumns::Required(&_ContReinsStruct::szRICode, "c_ri_cde", "participant code").Max(4),
    ReinsColumns::Real(&_ContReinsStruct::dShare, "n_share", "participant share").Bounded(kFractionBound),
    ReinsColumns::Real(&_ContReinsStruct::dLimit, "n_limit", "participant limit").Bounded(kAmountBound),
};

using RiskColumns = ColumnsOf<_ContRiskStruct>;
const ColumnTable<_ContRiskStruct> kRisk{
    RiskColumns::Required(&_ContRiskStruct::szProdCode, "c_prod_no", "product code"),
    RiskColumns::Text(&_ContRiskStruct::szRiskLevel, "c_risk_lvl", "risk level").Code(),
    RiskColumns::Letter(&_ContRiskStruct::cSetType, "c_set_type", "setting type"),
    RiskColumns::Letter(&_ContRiskStruct::cCopyFlag, "c_copy_flag", "copy flag"),
    RiskColumns::Real(&_ContRiskStruct::fCoinsCoef, "n_coins_coef", "co-insurance coefficient")
        .Bounded(kCoefficientBound),
    RiskColumns::Real(&_ContRiskStruct::fQuotaRatio, "n_quota_ratio", "quota share").Bounded(kFractionBound),
    RiskColumns::Real(&_ContRiskStruct::dRetention, "n_retention", "retention").Bounded(kAmountBound),
    RiskColumns::Real(&_ContRiskStruct::dContLimit, "n_cont_limit", "treaty limit").Bounded(kAmountBound),
    RiskColumns::Int(&_ContRiskStruct::nLines, "n_lines"),
    RiskColumns::Int(&_ContRiskStruct::nVipLines, "n_vip_lines"),
    RiskColumns::NumberText(&_ContRiskStruct::szVipLimit, "c_vip_limit", "VIP limit").Bounded(kAmountBound),
};

// The status letter is not stored: it says what to do with the row.
using ExtraColumns = ColumnsOf<_ContExtraStruct>;
const ColumnTable<_ContExtraStruct> kExtra{
    ExtraColumns::Required(&_ContExtraStruct::szBrokerCode, "c_broker_cde", "broker code"),
    ExtraColumns::Required(&_ContExtraStruct::szSubRICode, "c_sub_ri_cde", "sub-reinsurer code"),
    ExtraColumns::NumberText(&_ContExtraStruct::szSubShare, "c_sub_share", "sub-reinsurer share")
        .Bounded(kFractionBound),
    ExtraColumns::NumberText(&_ContExtraStruct::szBrokerShare, "c_broker_share", "broker share")
        .Bounded(kFractionBound),
};

struct ContData {
    int32_t id = 0;
    std::string code;
    std::string start;
    Params insert;  // kInsert columns of kInfo
    Params update;  // kUpdate columns of kInfo
};

// The record as stored: the creating and updating user are the connection's
// logged-on user, whatever the request carries.
ContData Parse(const Call& c, _ContInfoStruct r) {
    wire::Put(r.szUserCode, c.user);
    wire::Put(r.szUserCode2, c.user);
    ContData d;
    d.id = r.nContId;
    d.insert = kInfo.Values(r, kInsert);
    d.update = kInfo.Values(r, kUpdate);
    d.code = Str(kInfo.ValueOf(d.insert, "c_cont_code", kInsert));
    d.start = Str(kInfo.ValueOf(d.insert, "c_start_date", kInsert));
    wire::Text(r.szContTypeName, "treaty type text");  // filled by the server; only checked
    return d;
}

struct Extra {
    Params values;  // kInsert columns of kExtra
    char status;
};

struct Lists {
    std::vector<Params> reins;  // kInsert columns of kReins
    std::vector<Params> risk;   // kInsert columns of kRisk
    std::vector<Extra> extra;
};

// The lists behind the main record; 189 carries participants first, 187 product shares first.
Lists ParseLists(int code, std::string_view body) {
    _ContSubHead head;
    std::memcpy(&head, body.data(), sizeof head);
    const auto counts = *kel::records::ContSubCountsOf(code, head);
    std::size_t reinsAt = sizeof(_ContSubHead) + sizeof(_ContInfoStruct);
    std::size_t riskAt = reinsAt + counts.nReins * sizeof(_ContReinsStruct);
    if (code == 187) {
        riskAt = reinsAt;
        reinsAt = riskAt + counts.nRisk * sizeof(_ContRiskStruct);
    }
    const std::size_t extraAt = sizeof(_ContSubHead) + sizeof(_ContInfoStruct) +
                                counts.nReins * sizeof(_ContReinsStruct) + counts.nRisk * sizeof(_ContRiskStruct);

    Lists lists;
    std::set<std::string> seen;
    for (int i = 0; i < counts.nReins; ++i) {
        Params p = kReins.Values(Load<_ContReinsStruct>(body, reinsAt + i * sizeof(_ContReinsStruct)), kInsert);
        const std::string ri = Str(kReins.ValueOf(p, "c_ri_cde", kInsert));
        if (!seen.insert(ri).second)
            Refuse("reinsurer " + ri + " takes part twice", "再保人" + ri + "在分出比例中出现了两次");
        lists.reins.push_back(std::move(p));
    }
    for (int i = 0; i < counts.nRisk; ++i) {
        const auto r = Load<_ContRiskStruct>(body, riskAt + i * sizeof(_ContRiskStruct));
        // The form lets a copied row go without its product: the reason names the row.
        if (wire::Text(r.szProdCode, "product code").empty())
            BadRequest("product share row " + std::to_string(i + 1) + " has no product code",
                       "合约份额第" + std::to_string(i + 1) + "行没有险种(险类)代码");
        lists.risk.push_back(kRisk.Values(r, kInsert));
    }
    for (int i = 0; i < counts.nExtra; ++i) {
        const auto r = Load<_ContExtraStruct>(body, extraAt + i * sizeof(_ContExtraStruct));
        wire::Letter(r.cStatus, "sub-reinsurer status");
        lists.extra.push_back({kExtra.Values(r, kInsert), r.cStatus});
    }
    return lists;
}

void RequireTreatyCode(Connection& db, const std::string& code) {
    if (!Exists(db, "SELECT 1 FROM t_cont_code WHERE c_cont_code = ?", {Text(code)}))
        Refuse("no treaty code " + code, "合约代码" + code + "不存在");
}

void RefuseSecondRecord(Connection& db, const ContData& d, int32_t exceptId) {
    if (Exists(db, "SELECT 1 FROM t_cont_info WHERE c_cont_code = ? AND c_start_date = ? AND n_cont_id <> ?",
               {Text(d.code), Text(d.start), Value(exceptId)}))
        Refuse("treaty " + d.code + " already has treaty data starting " + d.start,
               "合约" + d.code + "已有起始日期为" + ShownDate(d.start) + "的合约资料");
}

// Writes the participation and product share lists whole, and applies the broker
// sub-reinsurer statuses: 'D' removed, 'A' added (replacing one with the same
// codes), others kept (added when missing). Sub-reinsurers of a broker that no
// longer takes part go with it.
void StoreLists(Connection& db, int32_t id, const Lists& lists) {
    for (const Params& p : lists.reins) {
        const Value& ri = kReins.ValueOf(p, "c_ri_cde", kInsert);
        if (!Exists(db, "SELECT 1 FROM t_ri_company WHERE c_ri_cde = ?", {ri}))
            Refuse("no reinsurer " + Str(ri), "再保人" + Str(ri) + "不存在");
    }
    Execute(db, "DELETE FROM t_cont_reins WHERE n_cont_id = ?", {Value(id)});
    Execute(db, "DELETE FROM t_cont_risk WHERE n_cont_id = ?", {Value(id)});
    const std::string insertReins = "INSERT INTO t_cont_reins (n_cont_id, " + kReins.Names(kInsert) + ") VALUES (" +
                                    Placeholders(kReins.Count(kInsert) + 1) + ")";
    for (const Params& r : lists.reins) {
        Params p{Value(id)};
        p.insert(p.end(), r.begin(), r.end());
        Execute(db, insertReins, p);
    }
    const std::string insertRisk = "INSERT INTO t_cont_risk (n_cont_id, n_seq, " + kRisk.Names(kInsert) + ") VALUES (" +
                                   Placeholders(kRisk.Count(kInsert) + 2) + ")";
    int seq = 0;
    for (const Params& r : lists.risk) {
        Params p{Value(id), Value(++seq)};
        p.insert(p.end(), r.begin(), r.end());
        Execute(db, insertRisk, p);
    }
    const std::string insertExtra = "INSERT INTO t_cont_extra (n_cont_id, " + kExtra.Names(kInsert) + ") VALUES (" +
                                    Placeholders(kExtra.Count(kInsert) + 1) + ")";
    const char* const kWhere = " FROM t_cont_extra WHERE n_cont_id = ? AND c_broker_cde = ? AND c_sub_ri_cde = ?";
    const std::string deleteExtra = std::string("DELETE") + kWhere;
    auto keyOf = [&](const Extra& e) {
        return Params{Value(id), kExtra.ValueOf(e.values, "c_broker_cde", kInsert),
                      kExtra.ValueOf(e.values, "c_sub_ri_cde", kInsert)};
    };
    for (const Extra& e : lists.extra)
        if (e.status == kExtraDeleted) Execute(db, deleteExtra, keyOf(e));
    for (const Extra& e : lists.extra) {
        if (e.status == kExtraDeleted) continue;
        const Params key = keyOf(e);
        if (e.status == kExtraAdded)
            Execute(db, deleteExtra, key);
        else if (Exists(db, std::string("SELECT 1") + kWhere, key))
            continue;
        Params p{Value(id)};
        p.insert(p.end(), e.values.begin(), e.values.end());
        Execute(db, insertExtra, p);
    }
    Execute(db,
            "DELETE FROM t_cont_extra WHERE n_cont_id = ? AND c_broker_cde NOT IN "
            "(SELECT c_ri_cde FROM t_cont_reins WHERE n_cont_id = ?)",
            {Value(id), Value(id)});
}

}  // namespace

const ColumnTable<_ContReinsStruct>& ContReinsColumns() { return kReins; }
const ColumnTable<_ContRiskStruct>& ContRiskColumns() { return kRisk; }
const ColumnTable<_ContExtraStruct>& ContExtraColumns() { return kExtra; }

// The treaty data records whose start date begins with a prefix (its length, then the prefix).
const char* const kStartingWith = " WHERE substr(i.c_start_date, 1, CAST(? AS INTEGER)) = ?";

const std::string& ContInfoListSql() {
    static const std::string sql =
        "SELECT " + kInfo.Names(kSelect, "i.") +
        ", k.c_type, i.n_version FROM t_cont_info i LEFT JOIN t_cont_code k ON k.c_cont_code = i.c_cont_code" +
        kStartingWith + " ORDER BY i.c_start_date, i.c_cont_code";
    return sql;
}

std::vector<StoredColumns> ContInfoTables() {
    return {{"t_cont_info", &kInfo.Rows()},
            {"t_cont_reins", &kReins.Rows()},
            {"t_cont_risk", &kRisk.Rows()},
            {"t_cont_extra", &kExtra.Rows()}};
}

void ContInfoList(Call& c) {
    const auto key = Load<_ContYearKey>(c.body);
    const std::string prefix = wire::Code(key.szStartDate, "start date key");
    const Params p{Value(static_cast<int64_t>(prefix.size())), Text(prefix)};
    // Counted first: an answer too large for its count is refused before its rows
    // are sorted and read, and the body is sized once.
    const std::size_t count =
        CountForAnswer(c.db, std::string("SELECT 1 FROM t_cont_info i") + kStartingWith, p, sizeof(_ContInfoStruct));
    c.answer.Reserve(count * sizeof(_ContInfoStruct));
    // Packed as the rows are stepped: no copy of the whole result.
    Each(c.db, ContInfoListSql(), p, [&](const RowCells& row) {
        // Rows added since the count: still bounded.
        if (c.answer.Count() >= kMaxAnswerRecords) throw Fault(kAnswerTooLarge, "too many records to answer");
        auto& r = c.answer.Add<_ContInfoStruct>();
        std::size_t at = 0;
        kInfo.Pack(row, at, r);
        const std::string_view type = row.Text(at);
        r.cAttribute = wire::LetterOf(type);
        wire::Put(r.szContTypeName, TreatyTypeText(type));
        Answered(c, "t_cont_info", std::to_string(row.Int(0)), row.Int(at + 1));
        return true;
    });
}

void ContInfoInsert(Call& c) {
    const ContData d = Parse(c, Load<_ContInfoStruct>(c.body, sizeof(_ContSubHead)));
    const Lists lists = ParseLists(189, c.body);
    RequireTreatyCode(c.db, d.code);
    RefuseSecondRecord(c.db, d, 0);
    const int32_t id = c.store.NextId(c.db, "cont_info", "t_cont_info", "n_cont_id");
    Params p{Value(id)};
    p.insert(p.end(), d.insert.begin(), d.insert.end());
    Execute(c.db,
            "INSERT INTO t_cont_info (n_cont_id, " + kInfo.Names(kInsert) + ", n_data_rev) VALUES (" +
                Placeholders(kInfo.Count(kInsert) + 1) + ", 1)",
            p);
    StoreLists(c.db, id, lists);
    Written(c, TreatyDataRecord(id));
}

void ContInfoUpdate(Call& c) {
    const ContData d = Parse(c, Load<_ContInfoStruct>(c.body, sizeof(_ContSubHead)));
    const Lists lists = ParseLists(187, c.body);
    RequireTreatyData(c.db, d.id);
    const StoredRecord record = TreatyDataRecord(d.id);
    RequireUnchanged(c, record);
    RequireTreatyCode(c.db, d.code);
    RefuseSecondRecord(c.db, d, d.id);
    Params p = d.update;
    p.emplace_back(d.id);
    Execute(
        c.db,
        "UPDATE t_cont_info SET " + kInfo.Assignments(kUpdate) + ", n_data_rev = n_data_rev + 1 WHERE n_cont_id = ?",
        p);
    Execute(c.db, "UPDATE t_cont_section SET c_cont_code = ? WHERE n_cont_id = ?", {Text(d.code), Value(d.id)});
    StoreLists(c.db, d.id, lists);
    Written(c, record);
}

void ContInfoDelete(Call& c) {
    const auto key = Load<_ContIdKey32>(c.body);
    const int32_t id = wire::Key(key.szContId, "treaty data identifier");
    RequireTreatyData(c.db, id);
    const StoredRecord record = TreatyDataRecord(id);
    RequireUnchanged(c, record);
    Deleted(c, record);
    const Params p{Value(id)};
    Execute(c.db,
            "DELETE FROM t_sect_detail WHERE n_sect_id IN (SELECT n_sect_id FROM t_cont_section WHERE n_cont_id = ?)",
            p);
    for (const char* table : {"t_cont_section", "t_class_detail", "t_insrnc_sect", "t_cont_detail", "t_cont_extra",
                              "t_cont_risk", "t_cont_reins", "t_cont_info"})
        Execute(c.db, std::string("DELETE FROM ") + table + " WHERE n_cont_id = ?", p);
}

void ContSubList(Call& c) {
    const auto key = Load<_ContIdKey10>(c.body);
    const int32_t id = wire::Key(key.szContId, "treaty data identifier");
    RequireTreatyData(c.db, id);
    const Params p{Value(id)};
    const auto reins =
        Query(c.db, "SELECT " + kReins.Names(kSelect) + " FROM t_cont_reins WHERE n_cont_id = ? ORDER BY c_ri_cde", p);
    const auto risk =
        Query(c.db, "SELECT " + kRisk.Names(kSelect) + " FROM t_cont_risk WHERE n_cont_id = ? ORDER BY n_seq", p);
    const auto extra = Query(c.db,
                             "SELECT " + kExtra.Names(kSelect) +
                                 " FROM t_cont_extra WHERE n_cont_id = ? ORDER BY c_broker_cde, c_sub_ri_cde",
                             p);

    // Each participant points at its sub-reinsurers, which follow in participant order.
    std::map<std::string, std::vector<_ContExtraStruct>> byBroker;
    for (const Row& row : extra.rows) {
        _ContExtraStruct r{};
        std::size_t at = 0;
        kExtra.Pack(row, at, r);
        r.cStatus = 'N';  // as stored: neither added nor to be deleted
        byBroker[kel::text::GetRawField(r.szBrokerCode, sizeof r.szBrokerCode)].push_back(r);
    }

    std::vector<_ContReinsStruct> participants;
    std::vector<_ContExtraStruct> extraOrder;
    for (const Row& row : reins.rows) {
        _ContReinsStruct r{};
        std::size_t at = 0;
        kReins.Pack(row, at, r);
        const auto& subs = byBroker[kel::text::GetRawField(r.szRICode, sizeof r.szRICode)];
        r.nExtraStart = static_cast<int32_t>(extraOrder.size());
        r.nExtraCount = static_cast<int32_t>(subs.size());
        extraOrder.insert(extraOrder.end(), subs.begin(), subs.end());
        participants.push_back(r);
    }
    _ContSubListHead head{};
    head.nReinsCount = static_cast<int32_t>(participants.size());
    head.nRiskCount = static_cast<int32_t>(risk.rows.size());
    head.nExtraCount = static_cast<int32_t>(extraOrder.size());
    c.answer.Raw(&head, sizeof head);
    for (const auto& r : participants) c.answer.Raw(&r, sizeof r);
    for (const Row& row : risk.rows) {
        _ContRiskStruct r{};
        std::size_t at = 0;
        kRisk.Pack(row, at, r);
        c.answer.Raw(&r, sizeof r);
    }
    for (const auto& r : extraOrder) c.answer.Raw(&r, sizeof r);
    c.answer.SetCount(1);
}

}  // namespace kel::server::handlers
