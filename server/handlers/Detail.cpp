// Treaty details: generation (200), commission adjustment (201), search (205),
// line update and delete (206).
#include "common/records/TransactionCodes.h"
#include "server/ColumnTable.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Limits.h"
#include "server/Sql.h"
#include "server/StoredColumns.h"
#include "server/Versions.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using kel::records::kAmountBound;
using kel::records::kFractionBound;
using kel::records::WithinBound;
using wire::Load;

// The line's key (treaty data, product, risk level, insuring company, reinsurer)
// is written by the generation only; an update changes the figures.
using LineColumns = ColumnsOf<_ContDetailStruct>;
const ColumnTable<_ContDetailStruct> kLines{
    LineColumns::Int(&_ContDetailStruct::nContId, "n_cont_id").Uses(kSelect),
    LineColumns::Real(&_ContDetailStruct::dQuotaRatio, "n_quota_ratio", "quota share").Bounded(kFractionBound),
    LineColumns::Real(&_ContDetailStruct::dContLimit, "n_cont_limit", "treaty limit").Bounded(kAmountBound),
    LineColumns::Real(&_ContDetailStruct::dShare, "n_share", "reinsurer share").Bounded(kFractionBound),
    LineColumns::Real(&_ContDetailStruct::dRILimit, "n_ri_limit", "reinsurer limit").Bounded(kAmountBound),
    LineColumns::Real(&_ContDetailStruct::dCommRate, "n_comm_rate", "commission rate").Bounded(kFractionBound),
    LineColumns::Text(&_ContDetailStruct::szRICode, "c_ri_cde", "reinsurer code").Uses(kSelect),
    LineColumns::Text(&_ContDetailStruct::szCompCode, "c_com_cde", "insuring company").Uses(kSelect),
    LineColumns::Text(&_ContDetailStruct::szProdCode, "c_prod_no", "product code").Uses(kSelect),
    LineColumns::Text(&_ContDetailStruct::szRiskLevel, "c_risk_lvl", "risk level").Uses(kSelect),
};

// A generation may write more lines than one answer carries, but a search narrowed
// to one product, insuring company and risk level finds at most one line per
// reinsurer taking part, directly or through a broker: every line can be listed.
static_assert(kMaxParticipants + kMaxSubReinsurers <= kMaxAnswerRecords);

const std::string& LineSelect() {
    static const std::string sql = "SELECT " + kLines.Names(kSelect) + ", n_version FROM t_cont_detail";
    return sql;
}
const char* const kLineOrder = " ORDER BY c_prod_no, c_risk_lvl, c_com_cde, c_ri_cde";

}  // namespace

std::vector<StoredColumns> DetailTables() { return {{"t_cont_detail", &kLines.Rows()}}; }

const std::string& ContDetailListSql() {
    static const std::string sql = LineSelect() + " WHERE n_cont_id = ?" + kLineOrder;
    return sql;
}

void GenerateCont(Call& c) {
    const auto deadline = std::chrono::steady_clock::now() + c.limits.generationTime;
    // The identifier names the treaty data record; a request without one (0) names
    // it by treaty code and contract number, which only works while no two periods
    // share the contract number.
    const auto r = Load<_ContInfoStruct>(c.body);
    const std::string code = wire::Required(r.szContCode, "treaty code");
    const std::string contNo = TrimRight(wire::Text(r.szContNo, "contract number", 10));
    for (const char* f : {r.szStartDate, r.szEndDate, r.szCancelDate}) wire::Text(f, 9, "date", 8);
    if (r.nContId != 0) {
        const auto rs = Query(c.db, "SELECT c_cont_code FROM t_cont_info WHERE n_cont_id = ?", {Value(r.nContId)});
        if (rs.rows.empty()) Refuse("no treaty data record " + std::to_string(r.nContId), "该合约资料已不存在");
        if (Str(rs.rows[0][0]) != code)
            Refuse("treaty data record " + std::to_string(r.nContId) + " is not of treaty " + code,
                   "该合约资料不属于合约" + code);
        Audited(c, "t_cont_detail " + std::to_string(r.nContId));
        GenerateDetails(c.db, r.nContId, ChangeNumber(c), &c.limits, deadline);
        return;
    }
    const auto rs = Query(c.db, "SELECT n_cont_id FROM t_cont_info WHERE c_cont_code = ? AND c_cont_no = ?",
                          {Text(code), Text(contNo)});
    if (rs.rows.empty())
        Refuse("no treaty data of treaty " + code + " with contract number " + contNo,
               "合约" + code + "没有合同号为" + contNo + "的合约资料");
    if (rs.rows.size() > 1)
        Refuse("several treaty data records of treaty " + code + " carry contract number " + contNo,
               "合约" + code + "有多条合同号为" + contNo + "的合约资料，无法确定调整哪一条");
    Audited(c, "t_cont_detail " + std::to_string(Int(rs.rows[0][0])));
    GenerateDetails(c.db, static_cast<int32_t>(Int(rs.rows[0][0])), ChangeNumber(c), &c.limits, deadline);
}

void AdjustDetail(Call& c) {
    using namespace kel::records;
    const auto b = Load<_CommAdjustBody>(c.body);
    const double rate = wire::Real(b.dCommRate, "commission rate");
    if (!WithinBound(rate, kFractionBound)) BadRequest("commission rate " + std::to_string(rate) + " is not 0 to 1");
    const std::string ri = wire::Code(b.szRICode, "reinsurer code");
    const std::string sect = wire::Code(b.szSectCode, "section code");
    const int32_t mode = c.head.nOperation;
    const bool bySection = mode == kAdjustBySection || mode == kAdjustBySectionAndReinsurer;
    const bool byReinsurer = mode == kAdjustByReinsurer || mode == kAdjustBySectionAndReinsurer;
    if (bySection && sect.empty()) BadRequest("no section for an adjustment by section");
    if (byReinsurer && ri.empty()) BadRequest("no reinsurer for an adjustment by reinsurer");
    RequireTreatyData(c.db, b.nContId);
    Audited(c, "t_cont_detail " + std::to_string(b.nContId));

    // The lines adjusted are changed records: a line read before is saved only after reading it again.
    std::string sql = "UPDATE t_cont_detail SET n_comm_rate = ?, n_version = ? WHERE n_cont_id = ?";
    Params p{Value(rate), Value(ChangeNumber(c)), Value(b.nContId)};
    if (bySection) {
        if (!Exists(c.db, "SELECT 1 FROM t_cont_section WHERE n_cont_id = ? AND c_sect_cde = ?",
                    {Value(b.nContId), Text(sect)}))
            Refuse("no section " + sect, "分项" + sect + "不存在");
        sql +=
            " AND c_prod_no IN (SELECT d.c_prod_no FROM t_sect_detail d JOIN t_cont_section s "
            "ON s.n_sect_id = d.n_sect_id WHERE s.n_cont_id = ? AND s.c_sect_cde = ?)";
        p.emplace_back(b.nContId);
        p.emplace_back(sect);
    }
    if (byReinsurer) {
        // A broker's lines belong to its sub-reinsurers: choosing the broker adjusts
        // them all, as commission on brokered business is agreed with the broker.
        sql +=
            " AND (c_ri_cde = ? OR c_ri_cde IN (SELECT c_sub_ri_cde FROM t_cont_extra "
            "WHERE n_cont_id = ? AND c_broker_cde = ?))";
        p.emplace_back(ri);
        p.emplace_back(b.nContId);
        p.emplace_back(ri);
    }
    if (Execute(c.db, sql, p) == 0) Refuse("no treaty detail line to adjust", "没有符合条件的合约明细可调整");
}

void ContDetailList(Call& c) {
    const auto f = Load<_ContDetailStruct>(c.body);
    wire::Text(f.szRICode, "reinsurer code");
    std::string where = " WHERE n_cont_id = ?";
    Params p{Value(f.nContId)};
    const std::pair<std::string, const char*> filters[] = {
        {wire::Text(f.szProdCode, "product code"), " AND c_prod_no = ?"},
        {wire::Text(f.szCompCode, "insuring company"), " AND c_com_cde = ?"},
        {wire::Text(f.szRiskLevel, "risk level"), " AND c_risk_lvl = ?"},
    };
    for (const auto& [value, clause] : filters) {
        if (value.empty()) continue;
        where += clause;
        p.emplace_back(value);
    }
    // Counted first: more lines than one answer carries are refused before a row is
    // read (the client then asks for a narrower search), and the body is sized once.
    const std::size_t count = CountForAnswer(c.db, "SELECT 1 FROM t_cont_detail" + where, p, sizeof(_ContDetailStruct));
    c.answer.Reserve(count * sizeof(_ContDetailStruct));
    // Packed as the rows are stepped: no copy of the whole result.
    std::string key;  // the line's key text as KeyText gives it, built in place
    Each(c.db, LineSelect() + where + kLineOrder, p, [&](const RowCells& row) {
        if (c.answer.Count() >= kMaxAnswerRecords) throw Fault(kAnswerTooLarge, "too many records to answer");
        auto& r = c.answer.Add<_ContDetailStruct>();
        std::size_t at = 0;
        kLines.Pack(row, at, r);
        key = std::to_string(r.nContId);
        for (const std::size_t i : {8, 9, 7, 6}) key.append(1, '|').append(row.Text(i));  // each copied at once
        Answered(c, "t_cont_detail", key, row.Int(at));
        return true;
    });
}

void ContDetailStore(Call& c) {
    const auto r = Load<_ContDetailStruct>(c.body);
    const StoredRecord record = DetailLineRecord(
        r.nContId, wire::Required(r.szProdCode, "product code"), wire::Code(r.szRiskLevel, "risk level"),
        wire::Required(r.szCompCode, "insuring company"), wire::Required(r.szRICode, "reinsurer code"));
    const Params& key = record.key;
    const char* const where =
        " WHERE n_cont_id = ? AND c_prod_no = ? AND c_risk_lvl = ? AND c_com_cde = ? AND c_ri_cde = ?";
    int64_t n = 0;
    RequireUnchanged(c, record);
    if (c.head.nOperation == kel::records::kOpUpdate) {
        Params p = kLines.Values(r, kUpdate);
        p.insert(p.end(), key.begin(), key.end());
        n = Execute(c.db, "UPDATE t_cont_detail SET " + kLines.Assignments(kUpdate) + where, p);
    } else {
        n = Execute(c.db, std::string("DELETE FROM t_cont_detail") + where, key);
    }
    if (n == 0) Refuse("no such treaty detail line", "该合约明细已不存在");
    if (c.head.nOperation == kel::records::kOpUpdate)
        Written(c, record);
    else
        Deleted(c, record);
}

}  // namespace kel::server::handlers
