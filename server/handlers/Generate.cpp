// Generating a treaty's details from its stored treaty data.
//
// One line per product share row x insuring company x reinsurer taking part:
// a participant takes its own share; a broker with sub-reinsurers is replaced by
// them, each with its own share (a fraction of the whole treaty, the shares adding
// up to the broker's). Reinsurer limit = treaty limit x share, capped by the
// participant's limit (a sub-reinsurer by its part of the broker's limit).
// Commission: the rate of the section holding the product (the lowest section
// code when several do), else the treaty's rate. A reinsurer reached twice in one
// row has its shares and limits added; a later row of the same product and risk
// level replaces the earlier one's lines.
//
// A row of setting type 'S' names an insurance class of the treaty, not a product:
// it stands for each product of that class (the class details), with the row's
// terms. A product's own row ('T') is more particular than its class's and wins
// whatever the order; a class without products gives no lines (the check says so).
#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "server/Common.h"
#include "server/Sql.h"

namespace kel::server {
namespace {

using namespace sql;

struct Line {
    double quota = 0;
    double contLimit = 0;
    double share = 0;
    double riLimit = 0;
    double commRate = 0;
};

// product, risk level, insuring company, reinsurer
using LineKey = std::tuple<std::string, std::string, std::string, std::string>;

struct Taker {
    std::string code;
    double share;
    double limitCap;
};

}  // namespace

int GenerateDetails(Connection& db, int32_t contId, int64_t version, const WorkLimits* limits,
                    std::chrono::steady_clock::time_point deadline) {
    auto inTime = [&] {
        if (limits && std::chrono::steady_clock::now() > deadline)
            Refuse("the generation of treaty data " + std::to_string(contId) + " took longer than " +
                       std::to_string(limits->generationTime.count()) + " ms",
                   "生成合约明细超过了服务器允许的时间，未保存任何明细");
    };
    const Params id{Value(contId)};
    const auto info = Query(db, "SELECT n_comm_rate FROM t_cont_info WHERE n_cont_id = ?", id);
    if (info.rows.empty()) Refuse("no treaty data record " + std::to_string(contId), "该合约资料已不存在");
    const double treatyRate = Num(info.rows[0][0]);

    const auto rows = Query(db,
                            "SELECT c_prod_no, c_risk_lvl, n_quota_ratio, n_cont_limit, c_set_type FROM t_cont_risk "
                            "WHERE n_cont_id = ? ORDER BY n_seq",
                            id);
    const auto classes = Query(db,
                               "SELECT c_class_cde, c_prod_no FROM t_class_detail WHERE n_cont_id = ? "
                               "ORDER BY c_class_cde, c_prod_no",
                               id);
    const auto companies = Query(db, "SELECT c_com_cde FROM t_insr_company ORDER BY c_com_cde");
    const auto reins =
        Query(db, "SELECT c_ri_cde, n_share, n_limit FROM t_cont_reins WHERE n_cont_id = ? ORDER BY c_ri_cde", id);
    const auto extra = Query(db,
                             "SELECT c_broker_cde, c_sub_ri_cde, c_sub_share FROM t_cont_extra WHERE n_cont_id = ? "
                             "ORDER BY c_broker_cde, c_sub_ri_cde",
                             id);
    const auto sections = Query(db,
                                "SELECT d.c_prod_no, s.n_comm_rate FROM t_sect_detail d "
                                "JOIN t_cont_section s ON s.n_sect_id = d.n_sect_id WHERE s.n_cont_id = ? "
                                "ORDER BY s.c_sect_cde",
                                id);

    std::multimap<std::string, std::string> productsOfClass;
    for (const Row& r : classes.rows) productsOfClass.emplace(Str(r[0]), Str(r[1]));

    // The rows as products: class rows expanded first, so that product rows replace them.
    struct ProductTerms {
        std::string product;
        std::string risk;
        double quota;
        double contLimit;
    };
    std::vector<ProductTerms> terms;
    for (const bool classRows : {true, false}) {
        for (const Row& row : rows.rows) {
            if ((Str(row[4]) == "S") != classRows) continue;
            const std::string code = Str(row[0]);
            if (!classRows) {
                terms.push_back({code, Str(row[1]), Num(row[2]), Num(row[3])});
                continue;
            }
            const auto [from, to] = productsOfClass.equal_range(code);
            for (auto it = from; it != to; ++it) terms.push_back({it->second, Str(row[1]), Num(row[2]), Num(row[3])});
        }
    }

    std::map<std::string, double> sectionRate;
    for (const Row& r : sections.rows) sectionRate.emplace(Str(r[0]), Num(r[1]));

    std::vector<Taker> takers;
    for (const Row& p : reins.rows) {
        const std::string code = Str(p[0]);
        const double share = Num(p[1]);
        const double limit = Num(p[2]);
        bool broker = false;
        for (const Row& e : extra.rows) {
            if (Str(e[0]) != code) continue;
            broker = true;
            double sub = 0;
            ParseNumber(Str(e[2]), sub);
            const double cap = share > 0 ? limit * sub / share : limit;
            takers.push_back({Str(e[1]), sub, cap});
        }
        if (!broker) takers.push_back({code, share, limit});
    }

    // The lines it will write, counted before they are built: one per product and
    // risk level, insuring company and reinsurer.
    if (limits) {
        std::set<std::pair<std::string, std::string>> rowKeys;
        for (const ProductTerms& t : terms) rowKeys.emplace(t.product, t.risk);
        std::set<std::string> takerCodes;
        for (const Taker& t : takers) takerCodes.insert(t.code);
        const double count = static_cast<double>(rowKeys.size()) * static_cast<double>(companies.rows.size()) *
                             static_cast<double>(takerCodes.size());
        if (count > static_cast<double>(limits->maxDetailLines))
            Refuse(
                "treaty data " + std::to_string(contId) + " would generate " +
                    std::to_string(static_cast<long long>(std::min(count, 1e18))) + " detail lines, more than " +
                    std::to_string(limits->maxDetailLines),
                "该合约资料将生成的合约明细超过" + std::to_string(limits->maxDetailLines) + "条，请减少产品或再保人");
    }

    std::map<LineKey, Line> lines;
    for (const ProductTerms& row : terms) {
        const std::string& product = row.product;
        const std::string& risk = row.risk;
        const double quota = row.quota;
        const double contLimit = row.contLimit;
        const auto found = sectionRate.find(product);
        const double rate = found != sectionRate.end() ? found->second : treatyRate;
        std::map<LineKey, Line> own;
        for (const Row& company : companies.rows) {
            const std::string comp = Str(company[0]);
            for (const Taker& t : takers) {
                Line& l = own[{product, risk, comp, t.code}];
                l.quota = quota;
                l.contLimit = contLimit;
                l.commRate = rate;
                l.share += t.share;
                l.riLimit += std::min(contLimit * t.share, t.limitCap);
            }
        }
        for (auto& [key, line] : own) lines[key] = line;
    }

    Execute(db, "DELETE FROM t_cont_detail WHERE n_cont_id = ?", id);
    // Many rows per statement: a treaty can have thousands of lines.
    constexpr std::size_t kBatch = 50;
    auto it = lines.begin();
    while (it != lines.end()) {
        inTime();
        Params p;
        std::size_t n = 0;
        for (; it != lines.end() && n < kBatch; ++it, ++n) {
            const auto& [key, l] = *it;
            const auto& [product, risk, comp, ri] = key;
            for (Value v : {Value(contId), Text(product), Text(risk), Text(comp), Text(ri), Value(l.quota),
                            Value(l.contLimit), Value(l.share), Value(l.riLimit), Value(l.commRate), Value(version)})
                p.push_back(std::move(v));
        }
        std::string sql =
            "INSERT INTO t_cont_detail (n_cont_id, c_prod_no, c_risk_lvl, c_com_cde, c_ri_cde, n_quota_ratio, "
            "n_cont_limit, n_share, n_ri_limit, n_comm_rate, n_version) VALUES ";
        for (std::size_t i = 0; i < n; ++i) sql += (i ? ", (" : "(") + Placeholders(11) + ")";
        Execute(db, sql, p);
    }
    inTime();
    Execute(db, "UPDATE t_cont_info SET n_detail_rev = n_data_rev WHERE n_cont_id = ?", id);
    return static_cast<int>(lines.size());
}

}  // namespace kel::server
