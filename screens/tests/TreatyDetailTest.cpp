// The treaty detail search, its line adjustment and commission adjustment, and the
// check result, as the user works them against a recording channel: the exact
// requests, each refusal and its message.
#include "host/qxcommon/RefusalText.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/S0000S71.h"
#include "screens/S0000S710.h"
#include "screens/S0000S711.h"
#include "screens/S0000S73.h"
#include "screens/tests/TreatyDataSupport.h"

namespace kel::testing {
namespace {

using Details = CS0000S71;
using LineForm = CS0000S710;
using CommForm = CS0000S711;
using CheckScreen = CS0000S73;
constexpr const char* kDetailCaption = "合约资料设置[合约细节检索]";
constexpr const char* kLineCaption = "合约资料设置[细节调整]";
constexpr const char* kCommCaption = "分保接受人手续费调整";
constexpr const char* kCheckCaption = "合约资料设置[合约检查结果]";

_ContDetailStruct Line(const char* product, const char* level, const char* company, const char* ri, double share,
                       double riLimit, double rate) {
    _ContDetailStruct r{};
    r.nContId = 8;
    r.dQuotaRatio = 0.3;
    r.dContLimit = 50000000;
    r.dShare = share;
    r.dRILimit = riLimit;
    r.dCommRate = rate;
    text::PutField(r.szProdCode, product);
    text::PutField(r.szRiskLevel, level);
    text::PutField(r.szCompCode, company);
    text::PutField(r.szRICode, ri);
    return r;
}

std::vector<_ContDetailStruct> TwoLines() {
    return {Line("0101", "01", "11000000", "01", 0.123456, 6172800.25, 0.33),
            Line("0101", "01", "11000000", "02", 0.3, 15000000, 0.3)};
}

// The keys of a line and nothing else, as a delete sends it.
_ContDetailStruct KeysOf(const _ContDetailStruct& line) {
    _ContDetailStruct r{};
    r.nContId = line.nContId;
    std::memcpy(r.szProdCode, line.szProdCode, sizeof r.szProdCode);
    std::memcpy(r.szRiskLevel, line.szRiskLevel, sizeof r.szRiskLevel);
    std::memcpy(r.szCompCode, line.szCompCode, sizeof r.szCompCode);
    std::memcpy(r.szRICode, line.szRICode, sizeof r.szRICode);
    return r;
}

_PacketHead Head(int16_t code, int32_t op = 0) {
    _PacketHead h{};
    h.nTransCode = code;
    h.nCount = 1;
    h.nSubSystem = kSubSystemDefault;
    h.nOperation = op;
    return h;
}

class TreatyDetail : public ScreenTest {
protected:
    static void SetUpTestSuite() {
        TreatyHostDatabase::Open("kelmor-treaty-detail");
        db::Connection* db = GetStaticDatabase();
        ASSERT_GE(db->Execute("INSERT INTO t_insr_company VALUES ('11000000', '北京分公司')", {}), 0);
        ASSERT_GE(db->Execute("INSERT INTO t_cont_section VALUES (1, 8, 'Q1', 'S1', 'S1', 0.33)", {}), 0);
        ASSERT_GE(db->Execute("INSERT INTO t_cont_section VALUES (2, 9, 'Q2', 'E1', 'E1', 0.3)", {}), 0);
        ASSERT_GE(db->Execute("INSERT INTO t_cont_reins VALUES (8, '01', 0.6, 0), (8, 'B1', 0.4, 0)", {}), 0);
    }
    static void TearDownTestSuite() { TreatyHostDatabase::Close(); }

    // Runs the detail search of treaty data 8 with `script`; it closes with 返回.
    void OpenDetails(std::function<void(win::DialogActions&)> script) {
        driver->Then(kDetailCaption, [script](win::DialogActions& a) {
            script(a);
            a.Click(IDCANCEL);
        });
        CS0000S71 screen;
        screen.m_nContId = 8;
        screen.m_strContCode = "Q1";
        screen.m_strContNameCode = "Q1";
        screen.m_strStartDate = "20240101";
        screen.m_strEndDate = "20241231";
        screen.m_strContType = "成数合约";
        screen.DoModal();
    }
    // Searches with the product chosen and the two lines answering.
    void SearchTwoLines(win::DialogActions& a) {
        channel->AnswerRecords(TwoLines());
        a.PickCode(Details::IDC_CBX_PRODUCT, "0101").Click(Details::IDC_BTN_SEARCH);
    }
    static _ContDetailStruct Filter(const char* product = "", const char* company = "", const char* level = "") {
        _ContDetailStruct f{};
        f.nContId = 8;
        text::PutField(f.szProdCode, product);
        text::PutField(f.szCompCode, company);
        text::PutField(f.szRiskLevel, level);
        return f;
    }
};

TEST_F(TreatyDetail, OpeningShowsTheTreatyAndAnEmptyListAndSendsNothing) {
    OpenDetails([](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Details::IDC_EDT_CONT_CODE), "Q1");
        EXPECT_EQ(a.Text(Details::IDC_EDT_START_DATE), "2024/01/01");
        EXPECT_EQ(a.Text(Details::IDC_EDT_END_DATE), "2024/12/31");
        EXPECT_EQ(a.Text(Details::IDC_EDT_CONT_TYPE), "成数合约");
        EXPECT_EQ(a.Text(Details::IDC_CBX_CONT_NAME).str().rfind("Q1", 0), 0u);
        EXPECT_FALSE(a.Enabled(Details::IDC_CBX_CONT_NAME));
        CQXGrid& grid = GridOf(a, Details::IDC_GRID);
        EXPECT_EQ(Widths(grid), (std::vector<int>{60, 100, 100, 100, 100, 130, 100, 130, 100, 0}));
        EXPECT_EQ(Cells(grid),
                  (std::vector<std::vector<std::string>>{{"险种", "风险等级", "承保公司", "再保公司", "成数比例",
                                                          "合约限额", "参与比例", "再保公司限额", "手续费率", ""}}));
    });
    EXPECT_TRUE(channel->requests.empty());
}

TEST_F(TreatyDetail, ASearchSendsTheChosenFiltersAndListsEveryLineWithEveryDigit) {
    OpenDetails([&](win::DialogActions& a) {
        channel->AnswerRecords(TwoLines());
        a.PickCode(Details::IDC_CBX_PRODUCT, "0101")
            .PickCode(Details::IDC_CBX_COMPANY, "11000000")
            .PickCode(Details::IDC_CBX_RISK_LEVEL, "01")
            .Click(Details::IDC_BTN_SEARCH);
        ExpectRequest(0, Head(205), BytesOf(Filter("0101", "11000000", "01")));
        CQXGrid& grid = GridOf(a, Details::IDC_GRID);
        ASSERT_EQ(grid.GetRowCount(), 3);
        EXPECT_EQ(Cells(grid)[1], (std::vector<std::string>{"0101", "01", "11000000", "01", "0.3000", "50000000.0000",
                                                            "0.123456", "6172800.2500", "0.3300", "8"}));
        EXPECT_EQ(grid.GetRow(), 1);
        EXPECT_EQ(grid.GetNonFixedFormat(Details::COL_SHARE), CQXGrid::kAlignRight);

        // Nothing found: the list empties before the message.
        channel->AnswerRecords(std::vector<_ContDetailStruct>{});
        a.Pick(Details::IDC_CBX_COMPANY, 0).Click(Details::IDC_BTN_SEARCH);
        ExpectRequest(1, Head(205), BytesOf(Filter("0101", "", "01")));
        EXPECT_EQ(grid.GetRowCount(), 1);
        EXPECT_EQ(Messages(), std::vector<std::string>{"记录没有找到!"});

        // A failed query keeps what is shown.
        SearchTwoLines(a);
        channel->AnswerStatus(1);
        a.Click(Details::IDC_BTN_SEARCH);
        EXPECT_EQ(grid.GetRowCount(), 3);
        EXPECT_EQ(Messages().back(), "服务器处理失败!");

        // More lines than one answer carries: one message that says how to narrow
        // the search, instead of the framework's failure; the rows stay.
        const std::size_t told = Messages().size();
        channel->AnswerStatus(5);
        a.Click(Details::IDC_BTN_SEARCH);
        EXPECT_EQ(grid.GetRowCount(), 3);
        const std::vector<std::string> shown = Messages();
        EXPECT_EQ(std::vector<std::string>(shown.begin() + static_cast<std::ptrdiff_t>(told), shown.end()),
                  std::vector<std::string>{"本合约明细过多，无法一次列出，请按险种、承保公司或风险等级缩小检索范围!"});
    });
}

TEST_F(TreatyDetail, WithoutARowEachActionSaysSoAndSendsNothing) {
    OpenDetails([&](win::DialogActions& a) {
        a.Click(Details::IDC_BTN_MODIFY).Click(Details::IDC_BTN_DELETE).Click(Details::IDC_BTN_COMMISSION);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请选择要修改的数据", "请选择要删除的数据", "请选择要调整的数据"}));
    EXPECT_TRUE(channel->requests.empty());
}

TEST_F(TreatyDetail, ADeleteAsksThenSendsTheLineKeysAndRemovesOnlyThatRow) {
    OpenDetails([&](win::DialogActions& a) {
        SearchTwoLines(a);
        CQXGrid& grid = GridOf(a, Details::IDC_GRID);
        a.ClickRow(Details::IDC_GRID, 2);
        driver->Answer(IDNO);
        a.Click(Details::IDC_BTN_DELETE);
        EXPECT_EQ(channel->requests.size(), 1u);

        driver->Answer(IDYES);
        channel->AnswerStatus(1);
        a.Click(Details::IDC_BTN_DELETE);
        EXPECT_EQ(grid.GetRowCount(), 3);  // refused: the row stays

        driver->Answer(IDYES);
        a.Click(Details::IDC_BTN_DELETE);
        ExpectRequest(2, Head(206, 2), BytesOf(KeysOf(TwoLines()[1])));
        ASSERT_EQ(grid.GetRowCount(), 2);
        EXPECT_EQ(grid.GetItemText(1, Details::COL_REINSURER), "01");
    });
    const auto& boxes = driver->MessageBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].request.text, "是否确定删除该纪录!");
    EXPECT_EQ(boxes[0].request.type, UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(boxes[2].request.text, RefusalText(206, 2, 1).str());
    EXPECT_EQ(boxes[4].request.text, "处理成功!");
}

TEST_F(TreatyDetail, ALineAdjustmentChecksItsFieldsSendsTheWholeLineAndSearchesAgain) {
    OpenDetails([&](win::DialogActions& a) {
        SearchTwoLines(a);
        driver->Then(kLineCaption, [&](win::DialogActions& f) {
            EXPECT_EQ(f.Text(LineForm::IDC_EDT_PRODUCT), "0101");
            EXPECT_EQ(f.Text(LineForm::IDC_EDT_COMPANY), "11000000");
            EXPECT_EQ(f.Text(LineForm::IDC_EDT_SHARE), "0.123456");
            EXPECT_EQ(f.Text(LineForm::IDC_EDT_RI_LIMIT), "6172800.25");
            EXPECT_FALSE(f.Enabled(LineForm::IDC_EDT_QUOTA));
            f.Type(LineForm::IDC_EDT_SHARE, "0").Click(IDOK);
            f.Type(LineForm::IDC_EDT_SHARE, "0.2").Type(LineForm::IDC_EDT_COMM_RATE, "1.5").Click(IDOK);
            f.Type(LineForm::IDC_EDT_COMM_RATE, "").Click(IDOK);
            EXPECT_TRUE(channel->requests.size() == 1u);  // nothing sent yet
            channel->AnswerStatus(1);
            f.Type(LineForm::IDC_EDT_COMM_RATE, "0.25").Click(IDOK);
            EXPECT_FALSE(f.Ended());   // refused: what was typed stays
            channel->AnswerStatus(0);  // the update, then the search again
            channel->AnswerRecords(TwoLines());
            f.Click(IDOK);
            EXPECT_TRUE(f.Ended());
        });
        a.Click(Details::IDC_BTN_MODIFY);
    });
    _ContDetailStruct sent = TwoLines()[0];
    sent.dShare = 0.2;
    sent.dCommRate = 0.25;
    ASSERT_EQ(channel->requests.size(), 4u);
    ExpectRequest(1, Head(206, 1), BytesOf(sent));
    ExpectRequest(2, Head(206, 1), BytesOf(sent));
    ExpectRequest(3, Head(205), BytesOf(Filter("0101")));  // the same conditions again
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"参与比例必须大于0且不大于1，请修改!", "手续费率必须在0到1之间，请修改!",
                                        "手续费率不能为空，请输入！", RefusalText(206, 1, 1).str()}));
}

TEST_F(TreatyDetail, TheCommissionAdjustmentRequiresWhatItsModeUsesAndSendsTheModeAsOperation) {
    auto body = [](double rate, const char* ri, const char* sect) {
        _CommAdjustBody b{};
        b.dCommRate = rate;
        b.nContId = 8;
        text::PutField(b.szRICode, ri);
        text::PutField(b.szSectCode, sect);
        return BytesOf(b);
    };
    OpenDetails([&](win::DialogActions& a) {
        SearchTwoLines(a);
        driver->Then(kCommCaption, [&](win::DialogActions& f) {
            EXPECT_EQ(f.Checked(CommForm::IDC_RAD_SECTION), BST_CHECKED);
            EXPECT_TRUE(f.Enabled(CommForm::IDC_CBX_SECTION));
            EXPECT_FALSE(f.Enabled(CommForm::IDC_CBX_REINSURER));
            // Only this treaty's sections are offered.
            EXPECT_EQ(dynamic_cast<CComboBox*>(f.Item(CommForm::IDC_CBX_SECTION))->GetCount(), 2);
            f.Type(CommForm::IDC_EDT_COMM_RATE, "0.25").Click(IDOK);                                // no section chosen
            f.Click(CommForm::IDC_RAD_BOTH).PickCode(CommForm::IDC_CBX_SECTION, "S1").Click(IDOK);  // no reinsurer
            EXPECT_TRUE(f.Enabled(CommForm::IDC_CBX_REINSURER));
            f.Click(CommForm::IDC_RAD_SECTION).Type(CommForm::IDC_EDT_COMM_RATE, "2").Click(IDOK);
            EXPECT_EQ(channel->requests.size(), 1u);
            f.Type(CommForm::IDC_EDT_COMM_RATE, "0.25").Click(IDOK);  // the reinsurer is optional again
            EXPECT_TRUE(f.Ended());
        });
        a.Click(Details::IDC_BTN_COMMISSION);
        driver->Then(kCommCaption, [&](win::DialogActions& f) {
            f.Click(CommForm::IDC_RAD_REINSURER);
            EXPECT_FALSE(f.Enabled(CommForm::IDC_CBX_SECTION));
            f.PickCode(CommForm::IDC_CBX_REINSURER, "02").Type(CommForm::IDC_EDT_COMM_RATE, "0.1");
            channel->AnswerStatus(1);
            f.Click(IDOK);
            EXPECT_FALSE(f.Ended());  // refused: the form stays open
            f.Click(IDCANCEL);
        });
        a.Click(Details::IDC_BTN_COMMISSION);
    });
    ASSERT_EQ(channel->requests.size(), 3u);
    ExpectRequest(1, Head(201, 0), body(0.25, "", "S1"));
    ExpectRequest(2, Head(201, 1), body(0.1, "02", ""));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"SECTION不能为空，请输入！", "被调整接受人不能为空，请输入！",
                                        "调整后的手续费必须在0到1之间，请修改!", RefusalText(201, 1, 1).str()}));
}

TEST_F(TreatyDetail, TheCheckListsEachLineWithTheTreatyAndPrintsTheList) {
    _CheckResultStruct l1{}, l2{};
    text::PutField(l1.szText, "再保人份额合计0.9000，不等于1");
    text::PutField(l2.szText, "合约明细尚未生成");
    channel->AnswerRecords(std::vector<_CheckResultStruct>{l1, l2});
    driver->Then(kCheckCaption, [&](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, CheckScreen::IDC_GRID);
        EXPECT_EQ(Cells(grid), (std::vector<std::vector<std::string>>{
                                   {"合约代码", "起始日期", "终止日期", "检查结果"},
                                   {"Q1", "20240101", "20241231", "再保人份额合计0.9000，不等于1"},
                                   {"Q1", "20240101", "20241231", "合约明细尚未生成"}}));
        EXPECT_EQ(Widths(grid), (std::vector<int>{80, 100, 100, 234}));
        a.Click(CheckScreen::IDC_BTN_PRINT).Click(IDCANCEL);
    });
    CS0000S73 screen;
    screen.m_nContId = 8;
    screen.m_strContCode = "Q1";
    screen.m_strStartDate = "20240101";
    screen.m_strEndDate = "20241231";
    screen.DoModal();
    ExpectRequest(0, Head(207), DecimalKey(64, "8"));
    const auto printed = driver->Printed();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].title, "合约检查结果 Q1 20240101-20241231");
    EXPECT_EQ(printed[0].headers, (std::vector<std::string>{"合约代码", "起始日期", "终止日期", "检查结果"}));
    ASSERT_EQ(printed[0].rows.size(), 2u);
    EXPECT_EQ(printed[0].rows[1][3], "合约明细尚未生成");

    // Nothing found: the header only, no message; there is nothing to print.
    driver->ClearRecords();
    driver->Then(kCheckCaption, [&](win::DialogActions& a) {
        EXPECT_EQ(GridOf(a, CheckScreen::IDC_GRID).GetRowCount(), 1);
        a.Click(CheckScreen::IDC_BTN_PRINT).Click(IDCANCEL);
    });
    CS0000S73 empty;
    empty.m_nContId = 8;
    empty.DoModal();
    EXPECT_TRUE(driver->Printed().empty());
    EXPECT_EQ(Messages(), std::vector<std::string>{"没有可打印的检查结果!"});
}

}  // namespace
}  // namespace kel::testing
