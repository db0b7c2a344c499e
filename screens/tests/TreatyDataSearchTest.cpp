// The treaty data search (screen 25013) as the user works it against a recording
// channel: searching a year, the row buttons, deleting, and the way a row's record
// reaches the edit form and comes back unchanged.
#include "frame/Kelmor.h"
#include "screens/S0000S7.h"
#include "screens/S0000S70.h"
#include "screens/S0000S71.h"
#include "screens/ScreenCommon.h"
#include "screens/tests/TreatyDataSupport.h"

namespace kel::testing {
namespace {

using Search = CS0000S7;
using Form = CS0000S70;
constexpr const char* kSearchCaption = "合约资料设置[检索]";
constexpr const char* kFormCaption = "合约资料设置[编辑]";

_ContInfoStruct SecondTreaty() {
    _ContInfoStruct r{};
    r.nContId = 12;
    text::PutField(r.szContCode, "S1");
    text::PutField(r.szStartDate, "20240101");
    text::PutField(r.szEndDate, "20241231");
    text::PutField(r.szLeadRICode, "05");
    text::PutField(r.szContNo, "S1-2024");
    return r;
}

class TreatyDataSearch : public ScreenTest {
protected:
    static void SetUpTestSuite() { TreatyHostDatabase::Open("kelmor-treaty-search"); }
    static void TearDownTestSuite() { TreatyHostDatabase::Close(); }
    void SetUp() override {
        ScreenTest::SetUp();
        CBASEBASE::SetLoginUser("tester");
    }

    // Opens the search through the dispatch with `script`; it closes with 返回.
    int Open(std::function<void(win::DialogActions&)> script) {
        driver->Then(kSearchCaption, [script](win::DialogActions& a) {
            script(a);
            a.Click(IDCANCEL);
        });
        return Call_Kelmor_Dialog(25013, 0);
    }
    static void SearchYear(win::DialogActions& a, const char* year) {
        a.Type(Search::IDC_EDT_YEAR, year).Click(Search::IDC_BTN_SEARCH);
    }
};

TEST_F(TreatyDataSearch, OpeningShowsAnEmptyGridOfThirtyFiveColumnsAndSearchesNothing) {
    EXPECT_EQ(Open([](win::DialogActions& a) {
                  CQXGrid& grid = GridOf(a, Search::IDC_GRID);
                  EXPECT_EQ(grid.GetRowCount(), 1);
                  std::vector<int> widths{120, 120, 120, 290, 270};
                  widths.resize(35, 0);
                  EXPECT_EQ(Widths(grid), widths);
                  std::vector<std::string> headers{"合约代码", "起始日期", "终止日期", "合约名称", "首席再保人"};
                  headers.resize(35, "");
                  EXPECT_EQ(Cells(grid)[0], headers);
                  for (int col = 0; col < 35; ++col)
                      EXPECT_EQ(grid.GetFixedFormat(col), col <= 14 ? CQXGrid::kAlignCenter : CQXGrid::kAlignLeft)
                          << col;
                  EXPECT_TRUE(grid.IsHeaderSort());
              }),
              IDCANCEL);
    EXPECT_TRUE(channel->requests.empty());
}

TEST_F(TreatyDataSearch, ASearchSendsTheYearAndShowsEveryFieldOfEachRecordInItsColumn) {
    channel->AnswerRecords(std::vector<_ContInfoStruct>{StoredTreaty(), SecondTreaty()});
    Open([](win::DialogActions& a) {
        SearchYear(a, "2024");
        CQXGrid& grid = GridOf(a, Search::IDC_GRID);
        ASSERT_EQ(grid.GetRowCount(), 3);
        // Fractions keep every digit they have beyond the four the grid shows.
        EXPECT_EQ(Cells(grid)[1],
                  (std::vector<std::string>{
                      "Q1",       "20240101", "20241231", "Q1",     "01",           "A",      "8",
                      "1",        "3",        "4",        "0.5000", "0.4500",       "0.1250", "0.2500",
                      "0.123456", "0.0550",   "0.4000",   "0.3500", "5000000.7500", "0.2000", "0.0050",
                      "0.2500",   "0.0500",   "0.3200",   "01",     "20271231",     "1.5000", "1",
                      "成数合约", "8",        "Q1-2024",  "2",      "0.0010",       "1",      "0.0300"}));
        EXPECT_EQ(grid.GetDisplayText(1, Search::COL_CONT_NAME), "成数合约一号");
        EXPECT_EQ(grid.GetDisplayText(1, Search::COL_LEAD_RI), "东方再保险");
        EXPECT_EQ(grid.GetDisplayText(2, Search::COL_LEAD_RI), "西方再保险");
        EXPECT_EQ(grid.GetItemText(2, Search::COL_CONT_CODE), "S1");
        EXPECT_EQ(grid.GetRow(), 1);
    });
    ASSERT_EQ(channel->requests.size(), 1u);
    ExpectRequest(0, ExpectedHead(186), DecimalKey(9, "2024"));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
    EXPECT_GE(driver->WaitCursorCount(), 1);
}

TEST_F(TreatyDataSearch, TheYearIsRequiredAndIsFourDigits) {
    Open([](win::DialogActions& a) {
        a.Click(Search::IDC_BTN_SEARCH);
        EXPECT_EQ(a.FocusID(), Search::IDC_EDT_YEAR);
        SearchYear(a, "24");
        a.Type(Search::IDC_EDT_YEAR, "20245");
        EXPECT_EQ(a.Text(Search::IDC_EDT_YEAR), "2024");  // the field takes four digits and no letters
        a.Type(Search::IDC_EDT_YEAR, "2a");
        EXPECT_EQ(a.Text(Search::IDC_EDT_YEAR), "2");
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"合约年份不能为空，请输入！", "合约年份必须是四位数字，请修改!"}));
    EXPECT_TRUE(channel->requests.empty());
}

TEST_F(TreatyDataSearch, EnterSearchesFromTheYearAndOpensTheCurrentRowFromTheGrid) {
    channel->AnswerRecords(std::vector<_ContInfoStruct>{StoredTreaty(), SecondTreaty()});
    channel->AnswerRaw(0, SubListAnswer({}));
    channel->AnswerRecords(std::vector<_ContInfoStruct>{StoredTreaty(), SecondTreaty()});
    driver->Then(kSearchCaption, [](win::DialogActions& a) {
        a.Type(Search::IDC_EDT_YEAR, "2024").Enter();
        EXPECT_EQ(a.FocusID(), Search::IDC_GRID);
        a.ClickRow(Search::IDC_GRID, 2).Enter();
        EXPECT_FALSE(a.Ended());
        a.Click(IDCANCEL);
    });
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_CODE), "S1");
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Call_Kelmor_Dialog(25013, 0), IDCANCEL);
    EXPECT_EQ(Codes(), (std::vector<int>{186, 190, 186}));
}

TEST_F(TreatyDataSearch, ASearchThatFailsKeepsTheRowsAndOneThatFindsNothingEmptiesTheGrid) {
    channel->AnswerRecords(std::vector<_ContInfoStruct>{StoredTreaty()});
    channel->FailReceive(kChannelTimeout);
    channel->AnswerRecords(std::vector<_ContInfoStruct>{});
    Open([](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, Search::IDC_GRID);
        SearchYear(a, "2024");
        EXPECT_EQ(grid.GetRowCount(), 2);
        SearchYear(a, "2023");
        EXPECT_EQ(grid.GetRowCount(), 2);
        SearchYear(a, "2030");
        EXPECT_EQ(grid.GetRowCount(), 1);
        EXPECT_EQ(grid.GetColumnCount(), 35);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"等待应用服务器应答超时!", "记录没有找到!"}));
    EXPECT_EQ(Codes(), (std::vector<int>{186, 186, 186}));
}

TEST_F(TreatyDataSearch, EveryRowButtonWantsADataRowAndTheHeaderIsNone) {
    channel->AnswerRecords(std::vector<_ContInfoStruct>{StoredTreaty()});
    Open([this](win::DialogActions& a) {
        for (int button : {Search::IDC_BTN_MODIFY, Search::IDC_BTN_COPY, Search::IDC_BTN_DELETE, Search::IDC_BTN_DETAIL,
                           Search::IDC_BTN_CHECK})
            a.Click(button);
        SearchYear(a, "2024");
        a.DoubleClickRow(Search::IDC_GRID, 0);  // the header opens nothing
        // A data row opens the details (nothing searched) and the check of its record.
        driver->Then("合约资料设置[合约细节检索]", [](win::DialogActions& d) {
            EXPECT_EQ(d.Text(CS0000S71::IDC_EDT_CONT_CODE), "Q1");
            EXPECT_EQ(d.Text(CS0000S71::IDC_EDT_CONT_TYPE), "成数合约");
            d.Click(IDCANCEL);
        });
        driver->Then("合约资料设置[合约检查结果]", [](win::DialogActions& d) { d.Click(IDCANCEL); });
        a.Click(Search::IDC_BTN_DETAIL).Click(Search::IDC_BTN_CHECK);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请选择要修改的数据", "请选择要复制的数据", "请选择要删除的数据",
                                                    "请选择一条记录!", "请选择要检查的数据"}));
    EXPECT_EQ(Codes(), (std::vector<int>{186, 207}));
}

TEST_F(TreatyDataSearch, DeleteAsksFirstThenSendsTheIdAndRemovesOnlyThatRow) {
    channel->AnswerRecords(std::vector<_ContInfoStruct>{StoredTreaty(), SecondTreaty()});
    channel->AnswerStatus(0);
    channel->AnswerStatus(1);  // the server refuses the second delete
    driver->Answer(IDNO).Answer(IDYES).Answer(IDOK).Answer(IDYES);
    Open([](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, Search::IDC_GRID);
        SearchYear(a, "2024");
        a.ClickRow(Search::IDC_GRID, 2).Click(Search::IDC_BTN_DELETE);
        EXPECT_EQ(grid.GetRowCount(), 3);
        a.Click(Search::IDC_BTN_DELETE);
        ASSERT_EQ(grid.GetRowCount(), 2);
        EXPECT_EQ(grid.GetItemText(1, Search::COL_CONT_CODE), "Q1");
        a.ClickRow(Search::IDC_GRID, 1).Click(Search::IDC_BTN_DELETE);
        EXPECT_EQ(grid.GetRowCount(), 2);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{186, 188, 188}));
    ExpectRequest(1, ExpectedHead(188, 1, 2), DecimalKey(32, "12"));
    ExpectRequest(2, ExpectedHead(188, 1, 2), DecimalKey(32, "8"));
    const auto& boxes = driver->MessageBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].request.text, "是否确定删除该纪录!");
    EXPECT_EQ(boxes[0].request.type, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(boxes[2].request.text, "处理成功!");
    EXPECT_EQ(boxes[3].request.text, "是否确定删除该纪录!");
    EXPECT_NE(boxes[4].request.text, "处理成功!");  // the refusal, as the framework words it
}

TEST_F(TreatyDataSearch, AfterSortingAndDeletingEachRowStillReadsItsOwnRecordsHiddenFields) {
    channel->AnswerRecords(std::vector<_ContInfoStruct>{StoredTreaty(), SecondTreaty()});
    channel->AnswerStatus(0);
    channel->AnswerStatus(0);
    driver->Answer(IDYES).Answer(IDOK).Answer(IDYES).Answer(IDOK);
    Open([](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, Search::IDC_GRID);
        SearchYear(a, "2024");
        a.ClickHeader(Search::IDC_GRID, Search::COL_CONT_CODE).ClickHeader(Search::IDC_GRID, Search::COL_CONT_CODE);
        ASSERT_EQ(grid.GetItemText(1, Search::COL_CONT_CODE), "S1");  // descending
        EXPECT_EQ(grid.GetItemText(1, Search::COL_CONT_NO), "S1-2024");
        EXPECT_EQ(grid.GetItemText(2, Search::COL_CONT_NO), "Q1-2024");
        EXPECT_EQ(grid.GetItemText(2, Search::COL_COMM_RATE), "0.123456");
        a.ClickRow(Search::IDC_GRID, 1).Click(Search::IDC_BTN_DELETE);
        ASSERT_EQ(grid.GetRowCount(), 2);
        EXPECT_EQ(Cells(grid)[1][Search::COL_CONT_ID], "8");
        a.ClickRow(Search::IDC_GRID, 1).Click(Search::IDC_BTN_DELETE);
        EXPECT_EQ(grid.GetRowCount(), 1);
    });
    // Each delete sends the id its row's hidden column gives: the sorted rows' own.
    EXPECT_EQ(Codes(), (std::vector<int>{186, 188, 188}));
    ExpectRequest(1, ExpectedHead(188, 1, 2), DecimalKey(32, "12"));
    ExpectRequest(2, ExpectedHead(188, 1, 2), DecimalKey(32, "8"));
}

TEST_F(TreatyDataSearch, ModifyHandsTheRowsRecordToTheFormAndAnUntouchedSaveStoresItUnchanged) {
    const _ContInfoStruct stored = StoredTreaty();
    const TreatyLists lists = StoredLists();
    channel->AnswerRecords(std::vector<_ContInfoStruct>{stored});
    channel->AnswerRaw(0, SubListAnswer(lists));
    channel->AnswerStatus(0);
    channel->AnswerRecords(std::vector<_ContInfoStruct>{stored});
    driver->Answer(IDNO);  // no generation now
    driver->Then(kSearchCaption, [](win::DialogActions& a) {
        SearchYear(a, "2024");
        a.DoubleClickRow(Search::IDC_GRID, 1);
        EXPECT_EQ(GridOf(a, Search::IDC_GRID).GetRowCount(), 2);  // searched again
        a.Click(IDCANCEL);
    });
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        // Percentages keep every digit: 0.123456 is 12.3456 per cent, not 12.35.
        EXPECT_EQ(a.Text(Form::IDC_EDT_COMM_RATE), "12.3456");
        EXPECT_EQ(a.Text(Form::IDC_EDT_QUOTA), "12.50");
        EXPECT_EQ(a.Text(Form::IDC_EDT_TAX_RATE), "5.50");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CASH_LOSS), "5000000.75");
        EXPECT_EQ(a.Text(Form::IDC_EDT_COINS_COEF), "1.50");
        EXPECT_EQ(a.Text(Form::IDC_EDT_PLANT_RATE), "0.10");
        EXPECT_EQ(a.Text(Form::IDC_NUM_NET_PREM_TAX), "3.00");
        EXPECT_EQ(a.Text(Form::IDC_EDT_LOSS_CARRY), "4");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_NO), "Q1-2024");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_TYPE), "成数合约");
        EXPECT_EQ(a.Text(Form::IDC_DTE_START), "2024/01/01");
        EXPECT_EQ(a.Text(Form::IDC_DTE_CANCEL), "2027/12/31");
        EXPECT_EQ(a.Text(Form::IDC_CBX_CONT_NAME), "Q1  成数合约一号");
        EXPECT_EQ(a.Text(Form::IDC_CBX_LEAD_RI), "01  东方再保险");
        EXPECT_EQ(a.Checked(Form::IDC_CHK_COMM_INCL_TAX), BST_CHECKED);
        EXPECT_EQ(a.Checked(Form::IDC_CHK_NET_PREM), BST_CHECKED);
        EXPECT_TRUE(a.Enabled(Form::IDC_NUM_NET_PREM_TAX));
        EXPECT_FALSE(a.Enabled(Form::IDC_EDT_CONT_CODE));
        EXPECT_TRUE(a.Enabled(Form::IDC_BTN_GENERATE));
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(25013, 0), IDCANCEL);

    EXPECT_EQ(Codes(), (std::vector<int>{186, 190, 187, 186}));
    ExpectRequest(1, ExpectedHead(190), DecimalKey(10, "8"));
    ExpectRequest(2, ExpectedHead(187, 1, 1), SaveBody(187, SavedTreaty(stored), lists));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"您已经修改的合约,是否现在生成合约明细?"}));
}

TEST_F(TreatyDataSearch, CopyStartsFromTheCopiedRecordsListsAndInsertsANewRecord) {
    const _ContInfoStruct stored = StoredTreaty();
    const TreatyLists lists = StoredLists();
    _ContInfoStruct added = stored;
    added.nContId = 15;
    text::PutField(added.szStartDate, "20250101");
    channel->AnswerRecords(std::vector<_ContInfoStruct>{stored});
    channel->AnswerRaw(0, SubListAnswer(lists));
    channel->AnswerStatus(0);
    channel->AnswerRecords(std::vector<_ContInfoStruct>{added});  // the record the insert made
    channel->AnswerRecords(std::vector<_ContInfoStruct>{stored});
    driver->Answer(IDNO);
    driver->Then(kSearchCaption, [](win::DialogActions& a) {
        SearchYear(a, "2024");
        a.Click(Search::IDC_BTN_COPY);
        a.Click(IDCANCEL);
    });
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        EXPECT_TRUE(a.Enabled(Form::IDC_EDT_CONT_CODE));
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_TYPE), "");
        EXPECT_EQ(a.Text(Form::IDC_EDT_COINS_COEF), "0.00");
        EXPECT_EQ(GridOf(a, Form::IDC_GRID_REINS).GetRowCount(), 4);  // the copied record's participants
        a.Type(Form::IDC_DTE_START, "20250101").Type(Form::IDC_DTE_END, "20251231");
        a.Type(Form::IDC_EDT_CONT_NO, "Q1-2025");
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    Call_Kelmor_Dialog(25013, 0);

    EXPECT_EQ(Codes(), (std::vector<int>{186, 190, 189, 186, 186}));
    _ContInfoStruct expected = SavedTreaty(stored);
    expected.dCoinsLimitCoef = 0;
    text::PutField(expected.szStartDate, "20250101");
    text::PutField(expected.szEndDate, "20251231");
    text::PutField(expected.szContNo, "Q1-2025");
    ExpectRequest(2, ExpectedHead(189, 1, 0), SaveBody(189, expected, lists));
    ExpectRequest(3, ExpectedHead(186), DecimalKey(9, "20250101"));  // the new record's id
}

}  // namespace
}  // namespace kel::testing
