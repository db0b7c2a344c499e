// The treaty details and the check against the application server in process, on
// a fresh SQLite file with the demo data (also the host database of the code
// lists): opened from the treaty data search, the details searched with filters,
// a line adjusted, the commission adjusted by section and by reinsurer, a class row
// generated as its products, and the check of the faulty treaty printed.
#include <unistd.h>

#include <filesystem>
#include <set>

#include "common/net/InProcessChannel.h"
#include "frame/Kelmor.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/S0000S7.h"
#include "screens/S0000S71.h"
#include "screens/S0000S710.h"
#include "screens/S0000S711.h"
#include "screens/S0000S73.h"
#include "screens/tests/DemoServerTest.h"
#include "screens/tests/TreatyDataSupport.h"
#include "server/Server.h"

namespace kel::testing {
namespace {

using Search = CS0000S7;
using Details = CS0000S71;

int FindRow(const CQXGrid& grid, int col, const char* text) {
    for (int r = 1; r < grid.GetRowCount(); ++r)
        if (grid.GetItemText(r, col) == text) return r;
    return -1;
}

class TreatyDetailEndToEnd : public DemoServerTest {
protected:
    // The stored lines of treaty data 8, asked directly.
    std::vector<_ContDetailStruct> Lines(const char* product = "") {
        _ContDetailStruct filter{};
        filter.nContId = 8;
        text::PutField(filter.szProdCode, product);
        const auto body = BytesOf(filter);
        _PacketHead answerHead{};
        std::vector<char> answer = Stored(205, body.data(), body.size(), &answerHead);
        std::vector<_ContDetailStruct> lines(static_cast<size_t>(answerHead.nCount));
        if (!lines.empty()) std::memcpy(lines.data(), answer.data(), lines.size() * sizeof(_ContDetailStruct));
        return lines;
    }
    void Generate() {
        const auto body = GenerateBody(8, "Q1", "Q1-2024");
        Stored(200, body.data(), body.size());
    }

    // Searches 2024 in the treaty data search, selects `code` and presses `button`;
    // `script` works the screen that opens. The search closes with 返回.
    void FromTreatyRow(const char* code, int button, const char* caption,
                       std::function<void(win::DialogActions&)> script) {
        driver->Then("合约资料设置[检索]", [=, this](win::DialogActions& a) {
            a.Type(Search::IDC_EDT_YEAR, "2024").Click(Search::IDC_BTN_SEARCH);
            const int row = FindRow(GridOf(a, Search::IDC_GRID), Search::COL_CONT_CODE, code);
            ASSERT_GT(row, 0);
            driver->Then(caption, [=](win::DialogActions& d) {
                script(d);
                d.Click(IDCANCEL);
            });
            a.ClickRow(Search::IDC_GRID, row).Click(button).Click(IDCANCEL);
        });
        Call_Kelmor_Dialog(25013, 0);
    }
    void OnDetails(std::function<void(win::DialogActions&)> script) {
        FromTreatyRow("Q1", Search::IDC_BTN_DETAIL, "合约资料设置[合约细节检索]", std::move(script));
    }
};

TEST_F(TreatyDetailEndToEnd, LinesAreSearchedWithFiltersAdjustedAndTheirCommissionSetBySectionAndReinsurer) {
    Generate();
    OnDetails([&](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Details::IDC_EDT_START_DATE), "2024/01/01");
        EXPECT_EQ(a.Text(Details::IDC_EDT_CONT_TYPE), "成数合约");
        CQXGrid& grid = GridOf(a, Details::IDC_GRID);
        a.PickCode(Details::IDC_CBX_PRODUCT, "0102").PickCode(Details::IDC_CBX_COMPANY, "11000000");
        a.Click(Details::IDC_BTN_SEARCH);
        // 0102 at one risk level, one company, six reinsurers (B1 through 03 and 14).
        ASSERT_EQ(grid.GetRowCount(), 7);
        std::set<std::string> reinsurers;
        for (int r = 1; r < grid.GetRowCount(); ++r) {
            EXPECT_EQ(grid.GetItemText(r, Details::COL_PRODUCT), "0102");
            EXPECT_EQ(grid.GetItemText(r, Details::COL_COMPANY), "11000000");
            reinsurers.insert(grid.GetItemText(r, Details::COL_REINSURER).str());
        }
        EXPECT_EQ(reinsurers, (std::set<std::string>{"01", "03", "04", "05", "07", "14"}));

        // A line adjusted: the list comes back from the server with the new share.
        const int row = FindRow(grid, Details::COL_REINSURER, "05");
        a.ClickRow(Details::IDC_GRID, row);
        driver->Then("合约资料设置[细节调整]", [](win::DialogActions& f) {
            f.Type(CS0000S710::IDC_EDT_SHARE, "0.18").Type(CS0000S710::IDC_EDT_RI_LIMIT, "2160000").Click(IDOK);
        });
        a.Click(Details::IDC_BTN_MODIFY);
        ASSERT_EQ(grid.GetRowCount(), 7);
        EXPECT_EQ(grid.GetItemText(FindRow(grid, Details::COL_REINSURER, "05"), Details::COL_SHARE), "0.1800");

        // Commission by section S1 (0101 and 0102), then by reinsurer 01.
        driver->Then("分保接受人手续费调整", [](win::DialogActions& f) {
            f.PickCode(CS0000S711::IDC_CBX_SECTION, "S1").Type(CS0000S711::IDC_EDT_COMM_RATE, "0.2").Click(IDOK);
        });
        a.Click(Details::IDC_BTN_COMMISSION);
        driver->Then("分保接受人手续费调整", [](win::DialogActions& f) {
            f.Click(CS0000S711::IDC_RAD_REINSURER)
                .PickCode(CS0000S711::IDC_CBX_REINSURER, "01")
                .Type(CS0000S711::IDC_EDT_COMM_RATE, "0.15")
                .Click(IDOK);
        });
        a.Click(Details::IDC_BTN_COMMISSION);
    });
    EXPECT_TRUE(driver->MessageTexts().empty()) << ::testing::PrintToString(driver->MessageTexts());
    EXPECT_GT(driver->WaitCursorCount(), 0);

    int adjusted = 0;
    for (const auto& l : Lines("0102")) {
        if (text::GetField(l.szRICode) == "05" && text::GetField(l.szCompCode) == "11000000") {
            EXPECT_DOUBLE_EQ(l.dShare, 0.18);
            EXPECT_DOUBLE_EQ(l.dRILimit, 2160000);
            ++adjusted;
        }
    }
    EXPECT_EQ(adjusted, 1);
    for (const auto& l : Lines()) {
        const std::string product = text::GetField(l.szProdCode);
        const double expected = text::GetField(l.szRICode) == "01" ? 0.15 : product == "0103" ? 0.3 : 0.2;
        EXPECT_DOUBLE_EQ(l.dCommRate, expected) << product << " " << text::GetField(l.szRICode);
    }
}

TEST_F(TreatyDetailEndToEnd, AClassRowIsSearchedAsTheProductsOfItsClass) {
    // Q1 of 2024 covers class 01 (0101, 0102, 0103); a class row at risk level 05.
    ASSERT_GT(db->Execute("INSERT INTO t_cont_risk (n_cont_id, n_seq, c_prod_no, c_risk_lvl, c_set_type, "
                          "c_copy_flag, n_coins_coef, n_quota_ratio, n_retention, n_cont_limit, n_lines, n_vip_lines, "
                          "c_vip_limit) VALUES (8, 7, '01', '05', 'S', 'N', 1.0, 0.3, 5000000.0, 5000000.0, 1, 0, "
                          "'0.00')"),
              0);
    Generate();
    OnDetails([&](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, Details::IDC_GRID);
        a.PickCode(Details::IDC_CBX_RISK_LEVEL, "05").Click(Details::IDC_BTN_SEARCH);
        std::set<std::string> products;
        for (int r = 1; r < grid.GetRowCount(); ++r) products.insert(grid.GetItemText(r, Details::COL_PRODUCT).str());
        EXPECT_EQ(products, (std::set<std::string>{"0101", "0102", "0103"}));
        EXPECT_EQ(grid.GetRowCount(), 1 + 3 * 4 * 6);  // products x companies x reinsurers
    });
}

TEST_F(TreatyDetailEndToEnd, TheCheckOfTheFaultyTreatyListsItsFindingsAndPrintsThem) {
    // M1 of 2024: the shares add up to 0.9, and its details were never generated.
    FromTreatyRow("M1", Search::IDC_BTN_CHECK, "合约资料设置[合约检查结果]", [](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, CS0000S73::IDC_GRID);
        ASSERT_GE(grid.GetRowCount(), 2);
        EXPECT_EQ(grid.GetItemText(1, 3), "再保人份额合计0.9000，不等于1");
        for (int r = 1; r < grid.GetRowCount(); ++r) {
            EXPECT_EQ(grid.GetItemText(r, 0), "M1");
            EXPECT_EQ(grid.GetItemText(r, 1), "20240101");
        }
        a.Click(CS0000S73::IDC_BTN_PRINT);
    });
    const auto printed = driver->Printed();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].rows.at(0).at(3), "再保人份额合计0.9000，不等于1");
    EXPECT_TRUE(driver->MessageTexts().empty()) << ::testing::PrintToString(driver->MessageTexts());
}

}  // namespace
}  // namespace kel::testing
