// Treaty details: generation from the treaty data (200), commission adjustment
// (201), search (205), line update and delete (206), and the treaty check (207).
#include <set>

#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;

class Details : public ServerTest {
protected:
    // Q1: reinsurer 01 takes half (limit 100), broker B1 the other half (limit 400)
    // through 02 (0.3) and 03 (0.2); products 0101 (limit 1000) and 0102 (limit 500);
    // section S1 holds 0101 at 25 %, the treaty's own rate is 30 %.
    void SetUp() override {
        ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        Seed();
        treaty = MakeTreaty("Q1", "20240101", "QS-2024");
        treaty.reins = {Participant("01", 0.5, 100), Participant("B1", 0.5, 400)};
        treaty.risk = {ProductRow("0101", "01", 1000), ProductRow("0102", "04", 500)};
        treaty.extra = {SubReinsurer("B1", "02", "0.3", "0.5000", 'A'), SubReinsurer("B1", "03", "0.2", "0.5000", 'A')};
        id = InsertTreaty(treaty);
        treaty.info.nContId = id;
        sectS1 = AddSection("S1", 0.25, "0101");
    }

    int32_t AddSection(const char* code, double rate, const char* product) {
        _SectionStruct s{};
        s.nContId = id;
        s.dCommRate = rate;
        Set(s.szSectCode, code);
        EXPECT_EQ(SendRecord(192, s, kOpInsert).Status(), 0);
        const int32_t sectId = static_cast<int32_t>(Count("SELECT MAX(n_sect_id) FROM t_cont_section"));
        _SectDetailStruct d{};
        d.nSectId = sectId;
        Set(d.szProdCode, product);
        EXPECT_EQ(Send(194, Bytes(d), kOpInsert, 1).Status(), 0);
        return sectId;
    }

    int Generate(const char* code = "Q1", const char* contNo = "QS-2024") {
        _ContInfoStruct r{};
        Set(r.szContCode, code);
        Set(r.szContNo, contNo);
        return SendRecord(200, r).Status();
    }

    std::vector<_ContDetailStruct> Search(const char* product = "", const char* company = "", const char* level = "") {
        _ContDetailStruct f{};
        f.nContId = id;
        Set(f.szProdCode, product);
        Set(f.szCompCode, company);
        Set(f.szRiskLevel, level);
        const Reply r = SendRecord(205, f);
        EXPECT_EQ(r.Status(), 0);
        return r.Records<_ContDetailStruct>();
    }

    std::vector<std::string> Check() {
        std::vector<std::string> lines;
        for (const auto& l : Send(207, Key<64>(id)).Records<_CheckResultStruct>()) lines.push_back(Get(l.szText));
        return lines;
    }

    Treaty treaty;
    int32_t id = 0;
    int32_t sectS1 = 0;
};

TEST_P(Details, GenerationGivesALinePerProductRowCompanyAndReinsurer) {
    ASSERT_EQ(Generate(), 0);
    EXPECT_EQ(Search().size(), 12u);  // 2 rows x 2 companies x 3 reinsurers
    const auto lines = Search("0101", "31000000", "01");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Get(lines[0].szRICode), "01");
    EXPECT_DOUBLE_EQ(lines[0].dShare, 0.5);
    EXPECT_DOUBLE_EQ(lines[0].dRILimit, 100);  // 1000 x 0.5 capped by the limit of 01
    EXPECT_DOUBLE_EQ(lines[0].dContLimit, 1000);
    EXPECT_NEAR(lines[0].dQuotaRatio, 0.3, 1e-6);
    EXPECT_DOUBLE_EQ(lines[0].dCommRate, 0.25);  // the section's rate
    // The broker's sub-reinsurers take their own shares, capped by their part of its limit.
    EXPECT_EQ(Get(lines[1].szRICode), "02");
    EXPECT_DOUBLE_EQ(lines[1].dShare, 0.3);
    EXPECT_DOUBLE_EQ(lines[1].dRILimit, 240);  // min(1000 x 0.3, 400 x 0.3 / 0.5)
    EXPECT_DOUBLE_EQ(lines[2].dRILimit, 160);
    const auto other = Search("0102", "11000000");
    ASSERT_EQ(other.size(), 3u);
    EXPECT_DOUBLE_EQ(other[1].dRILimit, 150);   // 500 x 0.3, under the cap
    EXPECT_DOUBLE_EQ(other[0].dCommRate, 0.3);  // in no section: the treaty's rate
    EXPECT_EQ(Get(other[0].szRiskLevel), "04");

    // Generating again replaces the lines.
    _ContDetailStruct gone = lines[0];
    ASSERT_EQ(SendRecord(206, gone, kOpDelete).Status(), 0);
    EXPECT_EQ(SendRecord(206, gone, kOpDelete).Status(), kRefused);
    EXPECT_EQ(Search().size(), 11u);
    ASSERT_EQ(Generate(), 0);
    EXPECT_EQ(Search().size(), 12u);

    EXPECT_EQ(Generate("Q1", "none"), kRefused);
    EXPECT_EQ(Generate("X1", "QS-2024"), kRefused);
}

TEST_P(Details, AProductInSeveralSectionsTakesTheRateOfTheLowestSectionCode) {
    // S0 is made after S1 and has the lower code; S2 the higher one.
    AddSection("S2", 0.35, "0101");
    AddSection("S0", 0.15, "0101");
    ASSERT_EQ(Generate(), 0);
    const auto lines = Search("0101");
    ASSERT_EQ(lines.size(), 6u);
    for (const auto& line : lines) EXPECT_DOUBLE_EQ(line.dCommRate, 0.15) << Get(line.szRICode);
    EXPECT_DOUBLE_EQ(Search("0102")[0].dCommRate, 0.3);  // still in none
    EXPECT_EQ(Check(), (std::vector<std::string>{"险种0101属于多个SECTION", "险种0102不属于任何SECTION"}));
}

TEST_P(Details, GenerationGoesToTheRecordItsIdentifierNames) {
    // The next period, copied with the contract number kept.
    Treaty next = treaty;
    Set(next.info.szStartDate, "20250101");
    Set(next.info.szEndDate, "20251231");
    const int32_t nextId = InsertTreaty(next);
    auto generate = [&](int32_t contId, const char* code = "Q1", const char* contNo = "QS-2024") {
        _ContInfoStruct r{};
        r.nContId = contId;
        Set(r.szContCode, code);
        Set(r.szContNo, contNo);
        return SendRecord(200, r).Status();
    };
    auto lines = [&](int32_t contId) {
        return Count("SELECT COUNT(*) FROM t_cont_detail WHERE n_cont_id = " + std::to_string(contId));
    };

    EXPECT_EQ(Generate(), kRefused);  // without an identifier the contract number names two records
    EXPECT_EQ(lines(id) + lines(nextId), 0);
    // The identifier decides, whatever contract number comes with it.
    ASSERT_EQ(generate(nextId, "Q1", "QS-OLD"), 0);
    EXPECT_EQ(lines(nextId), 12);
    EXPECT_EQ(lines(id), 0);
    ASSERT_EQ(generate(id), 0);
    EXPECT_EQ(lines(id), 12);

    EXPECT_EQ(generate(nextId, "X1"), kRefused);  // the identifier is of another treaty
    EXPECT_EQ(generate(nextId + 100), kRefused);  // no such record
}

TEST_P(Details, LinesCanBeAdjustedOneByOneOrByCommissionGroup) {
    ASSERT_EQ(Generate(), 0);
    _ContDetailStruct line = Search("0102", "11000000", "04")[2];
    line.dShare = 0.15;
    line.dRILimit = 75;
    ASSERT_EQ(SendRecord(206, line, kOpUpdate).Status(), 0);
    EXPECT_DOUBLE_EQ(Search("0102", "11000000", "04")[2].dRILimit, 75);
    Set(line.szRICode, "09");
    EXPECT_EQ(SendRecord(206, line, kOpUpdate).Status(), kRefused);

    auto adjust = [&](int32_t mode, double rate, const char* section, const char* ri) {
        _CommAdjustBody b{};
        b.dCommRate = rate;
        b.nContId = id;
        Set(b.szSectCode, section);
        Set(b.szRICode, ri);
        return SendRecord(201, b, mode).Status();
    };
    auto withRate = [&](double rate) {
        return Count("SELECT COUNT(*) FROM t_cont_detail WHERE n_comm_rate = " + std::to_string(rate));
    };
    EXPECT_EQ(adjust(kAdjustBySection, 0.2, "S1", ""), 0);
    EXPECT_EQ(withRate(0.2), 6);  // the 0101 lines
    EXPECT_EQ(adjust(kAdjustByReinsurer, 0.1, "", "02"), 0);
    EXPECT_EQ(withRate(0.1), 4);
    EXPECT_EQ(adjust(kAdjustBySectionAndReinsurer, 0.15, "S1", "03"), 0);
    EXPECT_EQ(withRate(0.15), 2);
    EXPECT_EQ(adjust(kAdjustBySection, 0.2, "S7", ""), kRefused);     // no such section
    EXPECT_EQ(adjust(kAdjustByReinsurer, 0.2, "", "99"), kRefused);   // no line of that reinsurer
    EXPECT_EQ(adjust(kAdjustBySection, 0.2, "", "02"), kBadRequest);  // the section is missing
}

// The broker's share of a treaty is written to its sub-reinsurers' lines: an
// adjustment by the broker changes those lines, alone or within a section.
TEST_P(Details, AnAdjustmentByABrokerChangesItsSubReinsurersLines) {
    ASSERT_EQ(Generate(), 0);
    auto adjust = [&](int32_t mode, double rate, const char* section, const char* ri) {
        _CommAdjustBody b{};
        b.dCommRate = rate;
        b.nContId = id;
        Set(b.szSectCode, section);
        Set(b.szRICode, ri);
        return SendRecord(201, b, mode).Status();
    };
    EXPECT_EQ(adjust(kAdjustByReinsurer, 0.125, "", "B1"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_detail WHERE n_comm_rate = 0.125"), 8);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_detail WHERE c_ri_cde IN ('02', '03') AND n_comm_rate = 0.125"), 8);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_detail WHERE c_ri_cde = '01' AND n_comm_rate = 0.125"), 0);
    EXPECT_EQ(adjust(kAdjustBySectionAndReinsurer, 0.0625, "S1", "B1"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_detail WHERE n_comm_rate = 0.0625"), 4);  // the 0101 lines
}

TEST_P(Details, AnAdjustmentBySectionTakesOnlyASectionOfItsOwnTreatyData) {
    ASSERT_EQ(Generate(), 0);
    // The next period has a section S2 holding 0102; this record has none.
    Treaty next = treaty;
    Set(next.info.szStartDate, "20250101");
    Set(next.info.szEndDate, "20251231");
    const int32_t own = id;
    id = InsertTreaty(next);
    AddSection("S2", 0.3, "0102");
    id = own;
    _CommAdjustBody b{};
    b.dCommRate = 0.05;
    b.nContId = id;
    Set(b.szSectCode, "S2");
    EXPECT_EQ(SendRecord(201, b, kAdjustBySection).Status(), kRefused);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_detail WHERE n_comm_rate = 0.05"), 0);
}

TEST_P(Details, TheCheckNamesEachFindingAndNothingWhenAllIsWell) {
    AddSection("S2", 0.3, "0102");
    EXPECT_EQ(Check(), std::vector<std::string>{"合约明细尚未生成"});
    ASSERT_EQ(Generate(), 0);
    EXPECT_TRUE(Check().empty());
    ASSERT_EQ(Send(187, treaty.Body(187), kOpUpdate).Status(), 0);
    EXPECT_EQ(Check(), std::vector<std::string>{"合约明细早于合约资料，请重新生成"});

    treaty.reins = {Participant("01", 0.4), Participant("B1", 0.5)};
    treaty.risk = {ProductRow("0101", "01", 1000), ProductRow("0401", "02", 9999999999.99),
                   ProductRow("0101", "01", 800)};
    treaty.extra = {SubReinsurer("B1", "03", "0.2", "0.5000", 'D')};  // 02 alone is left: 0.3 of 0.5
    ASSERT_EQ(Send(187, treaty.Body(187), kOpUpdate).Status(), 0);
    const std::vector<std::string> expected = {
        "再保人份额合计0.9000，不等于1",  "经纪人B1下属再保人份额合计不等于其份额",
        "险种0401风险等级02未设合约限额", "险种0401不属于任何SECTION",
        "险种0101风险等级01重复设置",     "合约明细早于合约资料，请重新生成",
    };
    EXPECT_EQ(Check(), expected);
    for (const auto& line : Check()) EXPECT_LE(kel::text::Utf8ToGbk(line)->size(), 40u) << line;
    EXPECT_EQ(Send(207, Key<64>(999)).Status(), kRefused);
}

// A class row ('S') stands for the products of the treaty's class; a product's own
// row wins over its class's; the check names a class row that gives no lines.
TEST_P(Details, AClassRowIsGeneratedAsTheProductsOfItsClass) {
    auto addClass = [&](const char* code, std::initializer_list<const char*> products) {
        _InsrncSectStruct cls{};
        cls.nContId = id;
        Set(cls.szClassCode, code);
        Set(cls.szClassName, "财产险");
        ASSERT_EQ(SendRecord(199, cls, kOpInsert).Status(), 0);
        if (products.size() == 0) return;
        std::vector<_InsrClassDtlStruct> rs;
        for (const char* product : products) {
            _InsrClassDtlStruct d{};
            d.nContId = id;
            Set(d.szClassCode, code);
            Set(d.szProdCode, product);
            rs.push_back(d);
        }
        ASSERT_EQ(Send(212, Bytes(rs), kOpInsert, static_cast<int16_t>(rs.size())).Status(), 0);
    };
    addClass("01", {"0101", "0102"});
    addClass("02", {});
    auto classRow = [](const char* cls, const char* level, double limit) {
        _ContRiskStruct r = ProductRow(cls, level, limit);
        r.cSetType = 'S';
        return r;
    };
    treaty.risk = {ProductRow("0101", "02", 700), classRow("01", "02", 600)};
    ASSERT_EQ(Send(187, treaty.Body(187), kOpUpdate).Status(), 0);
    ASSERT_EQ(Generate(), 0);

    EXPECT_TRUE(Search("01").empty());  // the class code is no product
    const auto own = Search("0101", "11000000", "02");
    ASSERT_EQ(own.size(), 3u);
    EXPECT_DOUBLE_EQ(own[0].dContLimit, 700);  // its own row, though the class row comes later
    EXPECT_DOUBLE_EQ(own[0].dCommRate, 0.25);  // section S1
    const auto fromClass = Search("0102", "31000000", "02");
    ASSERT_EQ(fromClass.size(), 3u);
    EXPECT_DOUBLE_EQ(fromClass[0].dContLimit, 600);
    EXPECT_DOUBLE_EQ(fromClass[0].dCommRate, 0.3);  // no section: the treaty's rate
    EXPECT_EQ(Search().size(), 12u);
    EXPECT_EQ(Check(), std::vector<std::string>{"险种0102不属于任何SECTION"});

    treaty.risk.push_back(classRow("02", "01", 500));
    treaty.risk.push_back(classRow("09", "01", 500));
    ASSERT_EQ(Send(187, treaty.Body(187), kOpUpdate).Status(), 0);
    ASSERT_EQ(Generate(), 0);
    EXPECT_EQ(Search().size(), 12u);  // neither class gives a line
    const std::vector<std::string> expected = {"险种0102不属于任何SECTION", "险类02没有险种，无法展开",
                                               "险类09不存在，无法展开"};
    EXPECT_EQ(Check(), expected);
}

KELMOR_SERVER_BACKENDS(Details);

}  // namespace
}  // namespace kel::server::test
