// The treaty data screens against the application server in process, on a fresh
// SQLite file with the demo data, which is also the host database of the code
// lists: the road a user takes most, a copy to the next year, a delete, and what
// an untouched save leaves in the store.
#include <unistd.h>

#include <filesystem>

#include "common/net/InProcessChannel.h"
#include "frame/Kelmor.h"
#include "screens/S0000S7.h"
#include "screens/S0000S70.h"
#include "screens/S0000S700.h"
#include "screens/S0000S701.h"
#include "screens/TreatyLists.h"
#include "screens/tests/DemoServerTest.h"
#include "screens/tests/TreatyDataSupport.h"
#include "server/Server.h"

namespace kel::testing {
namespace {

using Search = CS0000S7;
using Form = CS0000S70;
constexpr const char* kSearchCaption = "合约资料设置[检索]";
constexpr const char* kFormCaption = "合约资料设置[编辑]";
constexpr const char* kGenerateQuestion = "您已经修改的合约,是否现在生成合约明细?";

int FindRow(const CQXGrid& grid, int col, const char* text) {
    for (int r = 1; r < grid.GetRowCount(); ++r)
        if (grid.GetItemText(r, col) == text) return r;
    return -1;
}

class TreatyDataEndToEnd : public DemoServerTest {
protected:
    // What the store answers to `code` with `body`, asked directly.
    std::vector<char> Ask(int16_t code, const std::vector<char>& body, int* count = nullptr) {
        _PacketHead head{};
        head.nTransCode = code;
        head.nCount = 1;
        head.nSubSystem = kSubSystemDefault;
        _PacketHead answerHead{};
        std::vector<char> answer;
        server->Handle(direct, head, std::string_view(body.data(), body.size()), answerHead, answer);
        EXPECT_EQ(answerHead.cStatus, 0) << code;
        if (count) *count = answerHead.nCount;
        return answer;
    }
    // The stored treaty data records of a year (or a start date).
    std::vector<_ContInfoStruct> Treaties(const char* key) {
        int count = 0;
        const std::vector<char> answer = Ask(186, DecimalKey(9, key), &count);
        std::vector<_ContInfoStruct> records(static_cast<size_t>(count));
        if (count > 0) std::memcpy(records.data(), answer.data(), records.size() * sizeof(_ContInfoStruct));
        return records;
    }
    _ContInfoStruct Treaty(const char* key, const char* code) {
        for (const _ContInfoStruct& r : Treaties(key))
            if (text::GetField(r.szContCode) == code) return r;
        ADD_FAILURE() << "no treaty " << code << " in " << key;
        return {};
    }
    // The stored lists of a record: the 190 answer.
    std::vector<char> Lists(int32_t id) { return Ask(190, DecimalKey(10, std::to_string(id).c_str())); }
    int DetailCount(int32_t id) {
        _ContDetailStruct filter{};
        filter.nContId = id;
        int count = 0;
        Ask(205, BytesOf(filter), &count);
        return count;
    }

    // Opens the search, searches `year` and runs `script` on it; closes with 返回.
    void OnSearch(const char* year, std::function<void(win::DialogActions&, CQXGrid&)> script) {
        driver->Then(kSearchCaption, [year, script](win::DialogActions& a) {
            a.Type(Search::IDC_EDT_YEAR, year).Click(Search::IDC_BTN_SEARCH);
            script(a, GridOf(a, Search::IDC_GRID));
            a.Click(IDCANCEL);
        });
    }
};

// The road a user takes most: search 2024, open the quota share treaty, change a
// participant's limit and a product row's lines, save, generate.
TEST_F(TreatyDataEndToEnd, ATreatysParticipationAndProductShareAreChangedSavedAndGenerated) {
    const _ContInfoStruct before = Treaty("2024", "Q1");
    ASSERT_EQ(int32_t{before.nContId}, 8);
    ASSERT_GT(db->Execute("DELETE FROM t_cont_detail WHERE n_cont_id = 8"), 0);
    ASSERT_EQ(DetailCount(8), 0);

    OnSearch("2024", [](win::DialogActions& a, CQXGrid& grid) {
        const int row = FindRow(grid, Search::COL_CONT_CODE, "Q1");
        ASSERT_GT(row, 0);
        EXPECT_EQ(grid.GetDisplayText(row, Search::COL_LEAD_RI), "瀚海再保险股份有限公司");
        a.DoubleClickRow(Search::IDC_GRID, row);
    });
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        CQXGrid& reins = GridOf(a, Form::IDC_GRID_REINS);
        const int row = FindRow(reins, kel::screens::REINS_CODE, "05");
        ASSERT_GT(row, 0);
        a.ClickRow(Form::IDC_GRID_REINS, row).Click(Form::IDC_BTN_REINS_MODIFY);
        EXPECT_EQ(reins.GetItemText(row, kel::screens::REINS_LIMIT), "50000000.00");
        EXPECT_EQ(Cells(reins).back()[kel::screens::REINS_SHARE], "1.0000");
        CQXGrid& risk = GridOf(a, Form::IDC_GRID_RISK);
        a.ClickRow(Form::IDC_GRID_RISK, 1).Click(Form::IDC_BTN_RISK_MODIFY);
        EXPECT_EQ(risk.GetItemText(1, kel::screens::RISK_LINES), "2");
        EXPECT_EQ(risk.GetItemText(1, kel::screens::RISK_CONT_LIMIT), "120000000.00");
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());  // generated; the form stays
        a.Click(IDCANCEL);
    });
    driver->Then("合约资料设置[再保公司参与比例编辑]",
                 [](win::DialogActions& a) { a.Type(CS0000S700::IDC_EDT_LIMIT, "50000000").Click(IDOK); });
    driver->Then("合约资料设置[合约份额编辑]", [](win::DialogActions& a) {
        a.Type(CS0000S701::IDC_EDT_LINES, "2").Leave(CS0000S701::IDC_EDT_LINES).Click(IDOK);
    });
    driver->Answer(IDYES).Answer(IDYES).Answer(IDOK);
    Call_Kelmor_Dialog(25013, 0);
    EXPECT_EQ(driver->MessageTexts(),
              (std::vector<std::string>{kGenerateQuestion, "是否确认生成合约?", "合约生成成功！"}));

    // Only what was changed has changed.
    EXPECT_EQ(BytesOf(Treaty("2024", "Q1")), BytesOf(before));
    const std::vector<char> lists = Lists(8);
    _ContSubListHead head;
    std::memcpy(&head, lists.data(), sizeof head);
    ASSERT_EQ(int32_t{head.nReinsCount}, 5);
    ASSERT_EQ(int32_t{head.nExtraCount}, 2);  // the broker keeps its reinsurers
    for (int i = 0; i < head.nReinsCount; ++i) {
        _ContReinsStruct r;
        std::memcpy(&r, lists.data() + sizeof head + i * sizeof r, sizeof r);
        EXPECT_EQ(double{r.dLimit}, text::GetField(r.szRICode) == "05" ? 50000000.0 : kUnlimited) << r.szRICode;
    }
    _ContRiskStruct first;
    std::memcpy(&first, lists.data() + sizeof head + head.nReinsCount * sizeof(_ContReinsStruct), sizeof first);
    EXPECT_EQ(int32_t{first.nLines}, 2);
    EXPECT_EQ(double{first.dContLimit}, 120000000.0);

    // The details exist again, with the new treaty limit.
    EXPECT_GT(DetailCount(8), 0);
    _ContDetailStruct filter{};
    filter.nContId = 8;
    text::PutField(filter.szProdCode, "0101");
    text::PutField(filter.szRiskLevel, "01");
    int count = 0;
    const std::vector<char> details = Ask(205, BytesOf(filter), &count);
    ASSERT_GT(count, 0);
    _ContDetailStruct line;
    std::memcpy(&line, details.data(), sizeof line);
    EXPECT_EQ(double{line.dContLimit}, 120000000.0);
}

// A copy to the next year keeps the contract number; each period still generates
// its own details, and the copy's second save changes the copy, not a third record.
TEST_F(TreatyDataEndToEnd, ACopyToTheNextYearAndTheTreatyItCameFromBothGenerate) {
    ASSERT_GT(db->Execute("DELETE FROM t_cont_detail WHERE n_cont_id = 8"), 0);
    OnSearch("2024", [](win::DialogActions& a, CQXGrid& grid) {
        a.ClickRow(Search::IDC_GRID, FindRow(grid, Search::COL_CONT_CODE, "Q1")).Click(Search::IDC_BTN_COPY);
        // and then the treaty it came from
        a.DoubleClickRow(Search::IDC_GRID, FindRow(grid, Search::COL_CONT_CODE, "Q1"));
    });
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_NO), "Q1-2024");
        a.Type(Form::IDC_DTE_START, "20250101").Type(Form::IDC_DTE_END, "20251231");
        a.Type(Form::IDC_DTE_CANCEL, "20281231");
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        a.Type(Form::IDC_EDT_LINES, "2").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        a.Click(Form::IDC_BTN_GENERATE);
        a.Click(IDCANCEL);
    });
    driver->Answer(IDYES).Answer(IDYES).Answer(IDOK).Answer(IDNO);  // the copy
    driver->Answer(IDYES).Answer(IDOK);                             // the treaty it came from
    Call_Kelmor_Dialog(25013, 0);
    EXPECT_EQ(driver->MessageTexts(),
              (std::vector<std::string>{kGenerateQuestion, "是否确认生成合约?", "合约生成成功！", kGenerateQuestion,
                                        "是否确认生成合约?", "合约生成成功！"}));

    const std::vector<_ContInfoStruct> next = Treaties("2025");
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(text::GetField(next[0].szContCode), "Q1");
    EXPECT_EQ(text::GetField(next[0].szContNo), "Q1-2024");
    EXPECT_EQ(int32_t{next[0].nLines}, 2);
    EXPECT_NE(int32_t{next[0].nContId}, 8);
    EXPECT_GT(DetailCount(next[0].nContId), 0);
    EXPECT_GT(DetailCount(8), 0);
    // The copy has the lists of the treaty it came from.
    std::vector<char> copied = Lists(next[0].nContId), original = Lists(8);
    EXPECT_EQ(copied, original);
}

TEST_F(TreatyDataEndToEnd, ADeletedTreatyIsGoneFromTheStoreWithItsDetails) {
    ASSERT_GT(DetailCount(13), 0);
    OnSearch("2024", [](win::DialogActions& a, CQXGrid& grid) {
        const int rows = grid.GetRowCount();
        a.ClickRow(Search::IDC_GRID, FindRow(grid, Search::COL_CONT_CODE, "S2")).Click(Search::IDC_BTN_DELETE);
        EXPECT_EQ(grid.GetRowCount(), rows - 1);
        EXPECT_EQ(FindRow(grid, Search::COL_CONT_CODE, "S2"), -1);
    });
    driver->Answer(IDYES).Answer(IDOK);
    Call_Kelmor_Dialog(25013, 0);
    EXPECT_EQ(driver->MessageTexts(), (std::vector<std::string>{"是否确定删除该纪录!", "处理成功!"}));
    for (const _ContInfoStruct& r : Treaties("2024")) EXPECT_NE(int32_t{r.nContId}, 13);
    EXPECT_EQ(DetailCount(13), 0);
}

// Values with more decimals than the screens show survive a save nobody changed.
TEST_F(TreatyDataEndToEnd, AnUntouchedSaveChangesNoStoredValue) {
    ASSERT_EQ(db->Execute("UPDATE t_cont_info SET n_comm_rate = 0.123456, n_quota_ratio = 0.125, "
                          "n_cash_loss_limit = 1234567.891, n_coins_limit_coef = 0.3333333 WHERE n_cont_id = 8"),
              1);
    ASSERT_EQ(db->Execute("UPDATE t_cont_reins SET n_share = 0.123456 WHERE n_cont_id = 8 AND c_ri_cde = '01'"), 1);
    ASSERT_EQ(db->Execute("UPDATE t_cont_reins SET n_share = 0.326544 WHERE n_cont_id = 8 AND c_ri_cde = '05'"), 1);
    ASSERT_EQ(db->Execute("UPDATE t_cont_risk SET n_quota_ratio = 0.125, n_retention = 60000000.125 "
                          "WHERE n_cont_id = 8 AND n_seq = 1"),
              1);
    const _ContInfoStruct before = Treaty("2024", "Q1");
    const std::vector<char> listsBefore = Lists(8);

    OnSearch("2024", [](win::DialogActions& a, CQXGrid& grid) {
        a.DoubleClickRow(Search::IDC_GRID, FindRow(grid, Search::COL_CONT_CODE, "Q1"));
    });
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_COMM_RATE), "12.3456");
        EXPECT_EQ(a.Text(Form::IDC_EDT_QUOTA), "12.50");
        a.Click(IDOK);
    });
    driver->Answer(IDNO);
    Call_Kelmor_Dialog(25013, 0);

    EXPECT_EQ(BytesOf(Treaty("2024", "Q1")), BytesOf(before));
    EXPECT_EQ(Lists(8), listsBefore);
}

}  // namespace
}  // namespace kel::testing
