// Treaty data with its participation, product share and broker sub-reinsurer
// lists (186..190).
#include <map>
#include <set>
#include <tuple>

#include "data/TransactionCodes.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"
#include "server/Store.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

// The stored columns of _ContInfoStruct, apart from the identifier and the users.
const char* const kColumns =
    "c_cont_code, c_start_date, c_end_date, c_limit_cur, c_cancel_date, c_lead_ri_cde, c_cont_no, "
    "n_lines, n_vip_lines, n_acct_period, n_loss_carry, n_unexp_rsv_ratio, n_unearned_ratio, n_quota_ratio, "
    "n_lead_share, n_comm_rate, n_tax_rate, n_prem_rsv_ratio, n_loss_rsv_ratio, n_cash_loss_limit, "
    "n_profit_comm_rate, n_mgmt_fee_rate, n_quake_comm_rate, n_quake_prem_ratio, n_act_comm_rate, "
    "n_coins_limit_coef, n_plant_rate, n_net_prem_tax_rate, c_comm_incl_tax, c_net_prem_flag";
constexpr std::size_t kColumnCount = 30;

struct ContData {
    int32_t id = 0;
    std::string code;
    std::string start;
    Params values;  // kColumns order
    std::string createUser;
    std::string updateUser;
};

ContData Parse(const _ContInfoStruct& r) {
    using wire::Real;
    ContData d;
    d.id = r.nContId;
    d.code = wire::Required(r.szContCode, "treaty code");
    d.start = wire::Date(r.szStartDate, "start date", false);
    d.values = {Text(d.code),
                Text(d.start),
                Text(wire::Date(r.szEndDate, "end date", false)),
                Text(wire::Text(r.szLimitCurr, "limit currency")),
                Text(wire::Date(r.szCancelDate, "cancellation date", true)),
                Text(wire::Text(r.szLeadRICode, "lead reinsurer")),
                Text(TrimRight(wire::Text(r.szContNo, "contract number", 10))),
                Value(r.nLines),
                Value(r.nVipLines),
                Value(r.nAcctPeriod),
                Value(r.nLossCarry),
                Value(Real(r.dUnexpRsvRatio, "unexpired-liability reserve ratio")),
                Value(Real(r.dUnearnedRatio, "unearned-premium ratio")),
                Value(Real(r.dQuotaRatio, "quota-share ratio")),
                Value(Real(r.dLeadShare, "lead reinsurer share")),
                Value(Real(r.dCommRate, "commission rate")),
                Value(Real(r.dTaxRate, "tax rate")),
                Value(Real(r.dPremRsvRatio, "premium reserve ratio")),
                Value(Real(r.dLossRsvRatio, "loss reserve ratio")),
                Value(Real(r.dCashLossLimit, "cash-loss threshold")),
                Value(Real(r.dProfitCommRate, "profit commission rate")),
                Value(Real(r.dMgmtFeeRate, "management fee rate")),
                Value(Real(r.dQuakeCommRate, "earthquake commission rate")),
                Value(Real(r.dQuakePremRatio, "earthquake premium ratio")),
                Value(Real(r.dActCommRate, "actual commission rate")),
                Value(Real(r.dCoinsLimitCoef, "co-insurance limit coefficient")),
                Value(Real(r.dPlantRate, "power-plant engineering rate")),
                Value(Real(r.dNetPremTaxRate, "net-premium tax rate")),
                Text(wire::Letter(r.cCommInclTax, "commission-includes-tax flag")),
                Text(wire::Letter(r.cNetPremFlag, "net-premium flag"))};
    d.createUser = wire::Text(r.szUserCode, "user code");
    d.updateUser = wire::Text(r.szUserCode2, "user code");
    wire::Text(r.szContTypeName, "treaty type text");  // filled by the server; only checked
    return d;
}

struct Participant {
    std::string code;
    double share;
    double limit;
};

struct Extra {
    std::string broker;
    std::string sub;
    std::string subShare;
    std::string brokerShare;
    char status;
};

struct Lists {
    std::vector<Participant> reins;
    std::vector<Params> risk;  // c_prod_no .. c_vip_limit
    std::vector<Extra> extra;
};

std::string ShareText(const char (&field)[20], const char* what) {
    std::string s = wire::Text(field, what);
    double v = 0;
    if (!s.empty() && !ParseNumber(s, v)) BadRequest(std::string(what) + " is not a number");
    return s;
}

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
        const auto r = Load<_ContReinsStruct>(body, reinsAt + i * sizeof(_ContReinsStruct));
        Participant p{wire::Required(r.szRICode, "participant code", 4), wire::Real(r.dShare, "participant share"),
                      wire::Real(r.dLimit, "participant limit")};
        if (!seen.insert(p.code).second) Refuse("reinsurer " + p.code + " takes part twice");
        lists.reins.push_back(std::move(p));
    }
    for (int i = 0; i < counts.nRisk; ++i) {
        const auto r = Load<_ContRiskStruct>(body, riskAt + i * sizeof(_ContRiskStruct));
        lists.risk.push_back(
            {Text(wire::Required(r.szProdCode, "product code")), Text(wire::Text(r.szRiskLevel, "risk level")),
             Text(wire::Letter(r.cSetType, "setting type")), Text(wire::Letter(r.cCopyFlag, "copy flag")),
             Value(wire::Real(r.fCoinsCoef, "co-insurance coefficient")),
             Value(wire::Real(r.fQuotaRatio, "quota share")), Value(wire::Real(r.dRetention, "retention")),
             Value(wire::Real(r.dContLimit, "treaty limit")), Value(r.nLines), Value(r.nVipLines),
             Text(wire::Text(r.szVipLimit, "VIP limit"))});
    }
    for (int i = 0; i < counts.nExtra; ++i) {
        const auto r = Load<_ContExtraStruct>(body, extraAt + i * sizeof(_ContExtraStruct));
        wire::Letter(r.cStatus, "sub-reinsurer status");
        lists.extra.push_back(
            {wire::Required(r.szBrokerCode, "broker code"), wire::Required(r.szSubRICode, "sub-reinsurer code"),
             ShareText(r.szSubShare, "sub-reinsurer share"), ShareText(r.szBrokerShare, "broker share"), r.cStatus});
    }
    return lists;
}

void RequireTreatyCode(Connection& db, const std::string& code) {
    if (!Exists(db, "SELECT 1 FROM t_cont_code WHERE c_cont_code = ?", {Text(code)})) Refuse("no treaty code " + code);
}

void RefuseSecondRecord(Connection& db, const ContData& d, int32_t exceptId) {
    if (Exists(db, "SELECT 1 FROM t_cont_info WHERE c_cont_code = ? AND c_start_date = ? AND n_cont_id <> ?",
               {Text(d.code), Text(d.start), Value(exceptId)}))
        Refuse("treaty " + d.code + " already has treaty data starting " + d.start);
}

const char* const kInsertExtra =
    "INSERT INTO t_cont_extra (n_cont_id, c_broker_cde, c_sub_ri_cde, c_sub_share, c_broker_share) "
    "VALUES (?, ?, ?, ?, ?)";

// Writes the participation and product share lists whole, and applies the broker
// sub-reinsurer statuses: 'D' removed, 'A' added (replacing one with the same
// codes), others kept (added when missing). Sub-reinsurers of a broker that no
// longer takes part go with it.
void StoreLists(Connection& db, int32_t id, const Lists& lists) {
    for (const Participant& p : lists.reins)
        if (!Exists(db, "SELECT 1 FROM t_ri_company WHERE c_ri_cde = ?", {Text(p.code)}))
            Refuse("no reinsurer " + p.code);
    Execute(db, "DELETE FROM t_cont_reins WHERE n_cont_id = ?", {Value(id)});
    Execute(db, "DELETE FROM t_cont_risk WHERE n_cont_id = ?", {Value(id)});
    for (const Participant& p : lists.reins)
        Execute(db, "INSERT INTO t_cont_reins (n_cont_id, c_ri_cde, n_share, n_limit) VALUES (?, ?, ?, ?)",
                {Value(id), Text(p.code), Value(p.share), Value(p.limit)});
    int seq = 0;
    for (const Params& r : lists.risk) {
        Params p{Value(id), Value(++seq)};
        p.insert(p.end(), r.begin(), r.end());
        Execute(db,
                "INSERT INTO t_cont_risk (n_cont_id, n_seq, c_prod_no, c_risk_lvl, c_set_type, c_copy_flag, "
                "n_coins_coef, n_quota_ratio, n_retention, n_cont_limit, n_lines, n_vip_lines, c_vip_limit) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                p);
    }
    const char* const kDelete =
        "DELETE FROM t_cont_extra WHERE n_cont_id = ? AND c_broker_cde = ? AND c_sub_ri_cde = ?";
    for (const Extra& e : lists.extra)
        if (e.status == kExtraDeleted) Execute(db, kDelete, {Value(id), Text(e.broker), Text(e.sub)});
    for (const Extra& e : lists.extra) {
        if (e.status == kExtraDeleted) continue;
        const Params key{Value(id), Text(e.broker), Text(e.sub)};
        if (e.status == kExtraAdded)
            Execute(db, kDelete, key);
        else if (Exists(db, "SELECT 1 FROM t_cont_extra WHERE n_cont_id = ? AND c_broker_cde = ? AND c_sub_ri_cde = ?",
                        key))
            continue;
        Execute(db, kInsertExtra, {Value(id), Text(e.broker), Text(e.sub), Text(e.subShare), Text(e.brokerShare)});
    }
    Execute(db,
            "DELETE FROM t_cont_extra WHERE n_cont_id = ? AND c_broker_cde NOT IN "
            "(SELECT c_ri_cde FROM t_cont_reins WHERE n_cont_id = ?)",
            {Value(id), Value(id)});
}

}  // namespace

void ContInfoList(Call& c) {
    const auto key = Load<_ContYearKey>(c.body);
    const std::string prefix = wire::Text(key.szStartDate, "start date key");
    const auto rs = Query(c.db,
                          "SELECT i.n_cont_id, " + Prefixed(kColumns, "i.") +
                              ", i.c_create_user, i.c_update_user, k.c_type FROM t_cont_info i "
                              "LEFT JOIN t_cont_code k ON k.c_cont_code = i.c_cont_code "
                              "WHERE substr(i.c_start_date, 1, CAST(? AS INTEGER)) = ? "
                              "ORDER BY i.c_start_date, i.c_cont_code",
                          {Value(static_cast<int64_t>(prefix.size())), Text(prefix)});
    c.answer.Reserve(rs.rows.size() * sizeof(_ContInfoStruct));
    for (const Row& row : rs.rows) {
        auto& r = c.answer.Add<_ContInfoStruct>();
        std::size_t i = 0;
        auto s = [&] { return Str(row[i++]); };
        auto n = [&] { return static_cast<int32_t>(Int(row[i++])); };
        auto d = [&] { return Num(row[i++]); };
        r.nContId = n();
        wire::Put(r.szContCode, s());
        wire::Put(r.szStartDate, s());
        wire::Put(r.szEndDate, s());
        wire::Put(r.szLimitCurr, s());
        wire::Put(r.szCancelDate, s());
        wire::Put(r.szLeadRICode, s());
        wire::Put(r.szContNo, s());
        r.nLines = n();
        r.nVipLines = n();
        r.nAcctPeriod = n();
        r.nLossCarry = n();
        r.dUnexpRsvRatio = d();
        r.dUnearnedRatio = d();
        r.dQuotaRatio = d();
        r.dLeadShare = d();
        r.dCommRate = d();
        r.dTaxRate = d();
        r.dPremRsvRatio = d();
        r.dLossRsvRatio = d();
        r.dCashLossLimit = d();
        r.dProfitCommRate = d();
        r.dMgmtFeeRate = d();
        r.dQuakeCommRate = d();
        r.dQuakePremRatio = d();
        r.dActCommRate = d();
        r.dCoinsLimitCoef = d();
        r.dPlantRate = d();
        r.dNetPremTaxRate = d();
        r.cCommInclTax = wire::LetterOf(s());
        r.cNetPremFlag = wire::LetterOf(s());
        wire::Put(r.szUserCode, s());
        wire::Put(r.szUserCode2, s());
        const std::string type = s();
        r.cAttribute = wire::LetterOf(type);
        wire::Put(r.szContTypeName, TreatyTypeText(type));
    }
}

void ContInfoInsert(Call& c) {
    const ContData d = Parse(Load<_ContInfoStruct>(c.body, sizeof(_ContSubHead)));
    const Lists lists = ParseLists(189, c.body);
    RequireTreatyCode(c.db, d.code);
    RefuseSecondRecord(c.db, d, 0);
    const int32_t id = c.store.NextId(c.db, "cont_info", "t_cont_info", "n_cont_id");
    Params p{Value(id)};
    p.insert(p.end(), d.values.begin(), d.values.end());
    p.emplace_back(d.createUser);
    p.emplace_back(d.updateUser);
    Execute(c.db,
            std::string("INSERT INTO t_cont_info (n_cont_id, ") + kColumns +
                ", c_create_user, c_update_user, n_data_rev) VALUES (" + Placeholders(kColumnCount + 3) + ", 1)",
            p);
    StoreLists(c.db, id, lists);
}

void ContInfoUpdate(Call& c) {
    const ContData d = Parse(Load<_ContInfoStruct>(c.body, sizeof(_ContSubHead)));
    const Lists lists = ParseLists(187, c.body);
    RequireTreatyData(c.db, d.id);
    RequireTreatyCode(c.db, d.code);
    RefuseSecondRecord(c.db, d, d.id);
    Params p = d.values;
    p.emplace_back(d.updateUser);
    p.emplace_back(d.id);
    Execute(c.db,
            "UPDATE t_cont_info SET " + Assignments(kColumns) +
                ", c_update_user = ?, n_data_rev = n_data_rev + 1 WHERE n_cont_id = ?",
            p);
    Execute(c.db, "UPDATE t_cont_section SET c_cont_code = ? WHERE n_cont_id = ?", {Text(d.code), Value(d.id)});
    StoreLists(c.db, d.id, lists);
}

void ContInfoDelete(Call& c) {
    const auto key = Load<_ContIdKey32>(c.body);
    const int32_t id = wire::Key(key.szContId, "treaty data identifier");
    RequireTreatyData(c.db, id);
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
        Query(c.db, "SELECT c_ri_cde, n_share, n_limit FROM t_cont_reins WHERE n_cont_id = ? ORDER BY c_ri_cde", p);
    const auto risk = Query(c.db,
                            "SELECT n_coins_coef, n_quota_ratio, n_retention, n_cont_limit, n_lines, c_prod_no, "
                            "c_risk_lvl, c_set_type, c_copy_flag, n_vip_lines, c_vip_limit FROM t_cont_risk "
                            "WHERE n_cont_id = ? ORDER BY n_seq",
                            p);
    const auto extra = Query(c.db,
                             "SELECT c_broker_cde, c_sub_ri_cde, c_sub_share, c_broker_share FROM t_cont_extra "
                             "WHERE n_cont_id = ? ORDER BY c_broker_cde, c_sub_ri_cde",
                             p);

    // Each participant points at its sub-reinsurers, which follow in participant order.
    std::map<std::string, std::vector<const Row*>> byBroker;
    for (const Row& row : extra.rows) byBroker[Str(row[0])].push_back(&row);

    std::vector<_ContReinsStruct> participants;
    std::vector<const Row*> extraOrder;
    for (const Row& row : reins.rows) {
        _ContReinsStruct r{};
        const auto& subs = byBroker[Str(row[0])];
        r.nExtraStart = static_cast<int32_t>(extraOrder.size());
        r.nExtraCount = static_cast<int32_t>(subs.size());
        extraOrder.insert(extraOrder.end(), subs.begin(), subs.end());
        r.dShare = Num(row[1]);
        r.dLimit = Num(row[2]);
        wire::Put(r.szRICode, Str(row[0]));
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
        r.fCoinsCoef = static_cast<float>(Num(row[0]));
        r.fQuotaRatio = static_cast<float>(Num(row[1]));
        r.dRetention = Num(row[2]);
        r.dContLimit = Num(row[3]);
        r.nLines = static_cast<int32_t>(Int(row[4]));
        wire::Put(r.szProdCode, Str(row[5]));
        wire::Put(r.szRiskLevel, Str(row[6]));
        r.cSetType = wire::LetterOf(Str(row[7]));
        r.cCopyFlag = wire::LetterOf(Str(row[8]));
        r.nVipLines = static_cast<int32_t>(Int(row[9]));
        wire::Put(r.szVipLimit, Str(row[10]));
        c.answer.Raw(&r, sizeof r);
    }
    for (const Row* row : extraOrder) {
        _ContExtraStruct r{};
        wire::Put(r.szBrokerCode, Str((*row)[0]));
        wire::Put(r.szSubRICode, Str((*row)[1]));
        wire::Put(r.szSubShare, Str((*row)[2]));
        r.cStatus = 'N';  // as stored: neither added nor to be deleted
        wire::Put(r.szBrokerShare, Str((*row)[3]));
        c.answer.Raw(&r, sizeof r);
    }
    c.answer.SetCount(1);
}

}  // namespace kel::server::handlers
