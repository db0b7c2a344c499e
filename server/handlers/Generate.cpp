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

#include "common/records/WireFloat.h"
#include "common/text/GbkText.h"
#include "server/Common.h"
#include "server/Sql.h"
#include "server/handlers/ContListColumns.h"

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
using Lines = std::map<LineKey, Line>;

// A product share row's terms for one product.
struct ProductTerms {
    std::string product;
    std::string risk;
    double quota;
    double contLimit;
};

// A reinsurer that takes lines: a participant, or a broker's sub-reinsurer.
struct Taker {
    std::string code;
    double share;
    double limitCap;
};

// The stored rows of one of the treaty data's lists, as its records.
template <class R>
std::vector<R> ListOf(Connection& db, const ColumnTable<R>& table, const char* from, const Params& id) {
    std::vector<R> records;
    for (const Row& row : Query(db, "SELECT " + table.Names(kSelect) + " FROM " + from, id).rows) {
        R r{};
        std::size_t at = 0;
        table.Pack(row, at, r);
        records.push_back(r);
    }
    return records;
}

double TreatyRate(Connection& db, int32_t contId, const Params& id) {
    const auto info = Query(db, "SELECT n_comm_rate FROM t_cont_info WHERE n_cont_id = ?", id);
    if (info.rows.empty()) Refuse("no treaty data record " + std::to_string(contId), "该合约资料已不存在");
    return Num(info.rows[0][0]);
}

// The product share rows as products: class rows expanded first, so that product
// rows replace them.
std::vector<ProductTerms> TermsOfProducts(Connection& db, const Params& id) {
    const auto rows = ListOf(db, handlers::ContRiskColumns(), "t_cont_risk WHERE n_cont_id = ? ORDER BY n_seq", id);
    const auto classes = Query(db,
                               "SELECT c_class_cde, c_prod_no FROM t_class_detail WHERE n_cont_id = ? "
                               "ORDER BY c_class_cde, c_prod_no",
                               id);
    std::multimap<std::string, std::string> productsOfClass;
    for (const Row& r : classes.rows) {
        const std::string& classCode = Str(r[0]);
        const std::string& product = Str(r[1]);
        productsOfClass.emplace(classCode, product);
    }
    std::vector<ProductTerms> terms;
    for (const bool classRows : {true, false}) {
        for (const _ContRiskStruct& row : rows) {
            if ((row.cSetType == 'S') != classRows) continue;
            const std::string code = kel::text::GetField(row.szProdCode);
            const std::string risk = kel::text::GetField(row.szRiskLevel);
            const double quota = kel::records::DecimalOf(row.fQuotaRatio);
            if (!classRows) {
                terms.push_back({code, risk, quota, row.dContLimit});
                continue;
            }
            const auto [from, to] = productsOfClass.equal_range(code);
            for (auto it = from; it != to; ++it) terms.push_back({it->second, risk, quota, row.dContLimit});
        }
    }
    return terms;
}

// The participants, each broker with sub-reinsurers replaced by them.
std::vector<Taker> TakersOf(Connection& db, const Params& id) {
    const auto reins =
        ListOf(db, handlers::ContReinsColumns(), "t_cont_reins WHERE n_cont_id = ? ORDER BY c_ri_cde", id);
    const auto extra = ListOf(db, handlers::ContExtraColumns(),
                              "t_cont_extra WHERE n_cont_id = ? ORDER BY c_broker_cde, c_sub_ri_cde", id);
    std::vector<Taker> takers;
    for (const _ContReinsStruct& p : reins) {
        const std::string code = kel::text::GetField(p.szRICode);
        bool broker = false;
        for (const _ContExtraStruct& e : extra) {
            if (kel::text::GetField(e.szBrokerCode) != code) continue;
            broker = true;
            double sub = 0;
            ParseNumber(kel::text::GetField(e.szSubShare), sub);
            const double cap = p.dShare > 0 ? p.dLimit * sub / p.dShare : p.dLimit;
            takers.push_back({kel::text::GetField(e.szSubRICode), sub, cap});
        }
        if (!broker) takers.push_back({code, p.dShare, p.dLimit});
    }
    return takers;
}

// Each product's commission rate: its section's, the lowest section code first.
std::map<std::string, double> SectionRates(Connection& db, const Params& id) {
    const auto sections = Query(db,
                                "SELECT d.c_prod_no, s.n_comm_rate FROM t_sect_detail d "
                                "JOIN t_cont_section s ON s.n_sect_id = d.n_sect_id WHERE s.n_cont_id = ? "
                                "ORDER BY s.c_sect_cde",
                                id);
    std::map<std::string, double> rates;
    for (const Row& r : sections.rows) {
        const std::string& product = Str(r[0]);
        const double rate = Num(r[1]);
        rates.emplace(product, rate);
    }
    return rates;
}

std::vector<std::string> InsuringCompanies(Connection& db) {
    std::vector<std::string> codes;
    for (const Row& r : Query(db, "SELECT c_com_cde FROM t_insr_company ORDER BY c_com_cde").rows)
        codes.push_back(Str(r[0]));
    return codes;
}

// The lines it will write, counted before they are built: one per product and
// risk level, insuring company and reinsurer; refused beyond the limits.
void CheckLineCount(int32_t contId, const std::vector<ProductTerms>& terms, std::size_t companies,
                    const std::vector<Taker>& takers, const WorkLimits& limits) {
    std::set<std::pair<std::string, std::string>> rowKeys;
    for (const ProductTerms& t : terms) rowKeys.emplace(t.product, t.risk);
    std::set<std::string> takerCodes;
    for (const Taker& t : takers) takerCodes.insert(t.code);
    const double count =
        static_cast<double>(rowKeys.size()) * static_cast<double>(companies) * static_cast<double>(takerCodes.size());
    if (count > static_cast<double>(limits.maxDetailLines))
        Refuse("treaty data " + std::to_string(contId) + " would generate " +
                   std::to_string(static_cast<long long>(std::min(count, 1e18))) + " detail lines, more than " +
                   std::to_string(limits.maxDetailLines),
               "该合约资料将生成的合约明细超过" + std::to_string(limits.maxDetailLines) + "条，请减少产品或再保人");
}

// A reinsurer reached twice in one row has its shares and limits added; a later
// row of the same product and risk level replaces the earlier one's lines.
Lines BuildLines(const std::vector<ProductTerms>& terms, const std::vector<std::string>& companies,
                 const std::vector<Taker>& takers, const std::map<std::string, double>& sectionRate,
                 double treatyRate) {
    Lines lines;
    for (const ProductTerms& row : terms) {
        const auto found = sectionRate.find(row.product);
        const double rate = found != sectionRate.end() ? found->second : treatyRate;
        Lines own;
        for (const std::string& comp : companies) {
            for (const Taker& t : takers) {
                Line& l = own[{row.product, row.risk, comp, t.code}];
                l.quota = row.quota;
                l.contLimit = row.contLimit;
                l.commRate = rate;
                l.share += t.share;
                l.riLimit += std::min(row.contLimit * t.share, t.limitCap);
            }
        }
        for (auto& [key, line] : own) lines[key] = line;
    }
    return lines;
}

// Replaces the stored lines; `inTime` is asked before each batch.
template <class InTime>
void WriteLines(Connection& db, int32_t contId, int64_t version, const Lines& lines, const InTime& inTime) {
    Execute(db, "DELETE FROM t_cont_detail WHERE n_cont_id = ?", Params{Value(contId)});
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
}

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
    const double treatyRate = TreatyRate(db, contId, id);
    const std::vector<ProductTerms> terms = TermsOfProducts(db, id);
    const std::vector<std::string> companies = InsuringCompanies(db);
    const std::vector<Taker> takers = TakersOf(db, id);
    const std::map<std::string, double> sectionRate = SectionRates(db, id);
    if (limits) CheckLineCount(contId, terms, companies.size(), takers, *limits);

    const Lines lines = BuildLines(terms, companies, takers, sectionRate, treatyRate);
    WriteLines(db, contId, version, lines, inTime);
    inTime();
    Execute(db, "UPDATE t_cont_info SET n_detail_rev = n_data_rev WHERE n_cont_id = ?", id);
    return static_cast<int>(lines.size());
}

}  // namespace kel::server
