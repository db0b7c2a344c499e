// The treaty check (207): readable lines of at most 40 GBK bytes, none when all is well.
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "common/records/Records.h"
#include "server/Common.h"
#include "server/Handlers.h"
#include "server/Sql.h"

namespace kel::server::handlers {
namespace {

using namespace sql;
using wire::Load;

std::string Fixed4(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

// The text that stands for "no limit set" in the product share rows.
constexpr double kUnsetLimit = 9999999999.99;

}  // namespace

void CheckCont(Call& c) {
    const auto key = Load<_TextKey64>(c.body);
    const int32_t id = wire::Key(key.szKey, "treaty data identifier");
    const Params p{Value(id)};
    const auto info = Query(c.db,
                            "SELECT c_start_date, c_end_date, n_data_rev, n_detail_rev FROM t_cont_info "
                            "WHERE n_cont_id = ?",
                            p);
    if (info.rows.empty()) Refuse("no treaty data record " + std::to_string(id), "该合约资料已不存在");
    std::vector<std::string> out;

    // Participation.
    const auto reins =
        Query(c.db, "SELECT c_ri_cde, n_share FROM t_cont_reins WHERE n_cont_id = ? ORDER BY c_ri_cde", p);
    double total = 0;
    for (const Row& r : reins.rows) total += Num(r[1]);
    if (reins.rows.empty())
        out.push_back("没有再保人参与本合约");
    else if (Fixed4(total) != "1.0000")
        out.push_back("再保人份额合计" + Fixed4(total) + "，不等于1");

    // Brokers: the sub-reinsurers' shares add up to the broker's.
    const auto extra = Query(c.db, "SELECT c_broker_cde, c_sub_share FROM t_cont_extra WHERE n_cont_id = ?", p);
    std::map<std::string, double> subTotal;
    for (const Row& e : extra.rows) {
        double v = 0;
        ParseNumber(Str(e[1]), v);
        subTotal[Str(e[0])] += v;
    }
    for (const Row& r : reins.rows) {
        const auto found = subTotal.find(Str(r[0]));
        if (found != subTotal.end() && Fixed4(found->second) != Fixed4(Num(r[1])))
            out.push_back("经纪人" + Str(r[0]) + "下属再保人份额合计不等于其份额");
    }

    // Product shares.
    const auto risk =
        Query(c.db,
              "SELECT c_prod_no, c_risk_lvl, c_set_type, n_cont_limit FROM t_cont_risk WHERE n_cont_id = ? "
              "ORDER BY n_seq",
              p);
    const auto sect = Query(c.db,
                            "SELECT d.c_prod_no, COUNT(*) FROM t_sect_detail d JOIN t_cont_section s "
                            "ON s.n_sect_id = d.n_sect_id WHERE s.n_cont_id = ? GROUP BY d.c_prod_no",
                            p);
    std::map<std::string, int64_t> sectionsOf;
    for (const Row& r : sect.rows) sectionsOf[Str(r[0])] = Int(r[1]);
    // A class row ('S') names an insurance class: its products are the class's.
    const auto classes =
        Query(c.db, "SELECT c_class_cde, c_prod_no FROM t_class_detail WHERE n_cont_id = ? ORDER BY c_prod_no", p);
    const auto classNames = Query(c.db, "SELECT c_class_cde FROM t_insrnc_sect WHERE n_cont_id = ?", p);
    std::multimap<std::string, std::string> productsOfClass;
    for (const Row& r : classes.rows) productsOfClass.emplace(Str(r[0]), Str(r[1]));
    std::set<std::string> classSeen;
    for (const Row& r : classNames.rows) classSeen.insert(Str(r[0]));

    std::set<std::pair<std::string, std::string>> rowsSeen;
    std::set<std::string> productsSeen;
    auto checkSection = [&](const std::string& product) {
        if (!productsSeen.insert(product).second) return;
        const auto found = sectionsOf.find(product);
        if (found == sectionsOf.end())
            out.push_back("险种" + product + "不属于任何SECTION");
        else if (found->second > 1)
            out.push_back("险种" + product + "属于多个SECTION");
    };
    for (const Row& r : risk.rows) {
        const std::string code = Str(r[0]);
        const std::string level = Str(r[1]);
        const bool isClass = Str(r[2]) == "S";
        const std::string what = (isClass ? "险类" : "险种") + code;
        const double limit = Num(r[3]);
        if (limit <= 0 || limit >= kUnsetLimit - 0.005) out.push_back(what + "风险等级" + level + "未设合约限额");
        if (!rowsSeen.insert({(isClass ? "S" : "T") + code, level}).second)
            out.push_back(what + "风险等级" + level + "重复设置");
        if (!isClass) {
            checkSection(code);
            continue;
        }
        // The generation cannot turn such a row into lines.
        const auto [from, to] = productsOfClass.equal_range(code);
        if (!classSeen.count(code))
            out.push_back(what + "不存在，无法展开");
        else if (from == to)
            out.push_back(what + "没有险种，无法展开");
        for (auto it = from; it != to; ++it) checkSection(it->second);
    }

    const Row& i = info.rows[0];
    if (Str(i[1]) < Str(i[0])) out.push_back("终止日期早于起始日期");
    if (!Exists(c.db, "SELECT 1 FROM t_cont_detail WHERE n_cont_id = ?", p))
        out.push_back("合约明细尚未生成");
    else if (i[3].IsNull() || Int(i[3]) < Int(i[2]))
        out.push_back("合约明细早于合约资料，请重新生成");

    for (const std::string& line : out) wire::Put(c.answer.Add<_CheckResultStruct>().szText, line);
}

}  // namespace kel::server::handlers
