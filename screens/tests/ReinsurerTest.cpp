// The reinsurer list, its form with the bank accounts, the account form and the
// text editor, as the user works them against a recording channel; the code lists
// come from a small shared database.
#include <unistd.h>

#include <filesystem>

#include "common/db/CodeLists.h"
#include "frame/Kelmor.h"
#include "host/qxcommon/RefusalText.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/S0000S4.h"
#include "screens/S0000S40.h"
#include "screens/S0000S400.h"
#include "screens/S0000S402.h"
#include "screens/S0000SV.h"
#include "screens/tests/ReinsurerTestSupport.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using List = CS0000S4;
using Form = CS0000S40;
using AccountForm = CS0000S400;
using Editor = CS0000S402;
constexpr const char* kListCaption = "再保公司设置[检索]";
constexpr const char* kAddCaption = "再保公司[新增]";
constexpr const char* kModifyCaption = "再保公司[修改]";
constexpr const char* kAccountCaption = "再保公司帐户资料[编辑]";
constexpr const char* kEditorCaption = "通用编辑框";

const _RICompanyStruct kHanhai = Reinsurer("01", "瀚海再保险股份有限公司", "Hanhai Reinsurance Co., Ltd.", 'A', 'N');
// A broker whose kind and lapsed letters are neither of the usual ones.
const _RICompanyStruct kOddBroker = [] {
    _RICompanyStruct r = Reinsurer("B2", "艾斯科姆再保险经纪公司", "Ashcombe & Vale Brokers", 'X', 'Q');
    r.cCompProp = 'B';
    text::PutField(r.szCountry, "GB");
    r.cRelation = '\0';
    return r;
}();
const std::vector<_RIAccountStruct> kAccounts = {
    Account('B', "01", "汇川银行上海分行", "6222310000000000", "瀚海再保险股份有限公司", "汇川银行上海分行营业部"),
    Account('I', "03", "汇川银行北京分行", "3101520000000000", "瀚海再保险股份有限公司", "汇川银行北京分行"),
};

std::vector<char> StoreBody(const _RICompanyStruct& r, const std::vector<_RIAccountStruct>& accounts) {
    std::vector<char> body = BytesOf(r);
    for (const auto& a : accounts) Append(body, BytesOf(a));
    return body;
}

std::vector<std::string> ComboItems(win::DialogActions& a, int id) {
    std::vector<std::string> items;
    if (auto* combo = dynamic_cast<CComboBox*>(a.Item(id)))
        for (const CString& item : combo->Items()) items.push_back(item.str());
    return items;
}

class Reinsurers : public ScreenTest {
protected:
    static void SetUpTestSuite() {
        dir = std::filesystem::temp_directory_path() / ("kelmor-reinsurer-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        ASSERT_NO_FATAL_FAILURE(InstallCodeLists(dir));
    }
    static void TearDownTestSuite() {
        SetStaticDatabase(nullptr);
        std::filesystem::remove_all(dir);
    }
    static inline std::filesystem::path dir;

    // Opens the list through the dispatch; `script` runs in it, then 返回.
    int OpenList(std::function<void(win::DialogActions&)> script) {
        driver->Then(kListCaption, [script](win::DialogActions& a) {
            script(a);
            a.Click(IDCANCEL);
        });
        return Call_Kelmor_Dialog(25005, 0);
    }
};

// ---- the list

TEST_F(Reinsurers, TheListShowsEveryFieldOfEveryRecordInItsColumn) {
    channel->AnswerRecords(std::vector<_RICompanyStruct>{kHanhai, kOddBroker});
    EXPECT_EQ(OpenList([](win::DialogActions& a) {
                  CQXGrid& grid = GridOf(a, List::IDC_GRID);
                  auto cells = Cells(grid);
                  ASSERT_EQ(cells.size(), 3u);
                  EXPECT_EQ(cells[0], (std::vector<std::string>{"代码",
                                                                "再保公司中文名称",
                                                                "再保公司英文名称",
                                                                "再保公司缩写",
                                                                "地址",
                                                                "电话号码",
                                                                "传真",
                                                                "业务类型",
                                                                "公司属性",
                                                                "账单类型",
                                                                "付款方式",
                                                                "业务来源性质",
                                                                "联系人",
                                                                "国家地区",
                                                                "信用等级",
                                                                "S&P评级",
                                                                "A.M.Best评级",
                                                                "偿付能力",
                                                                "关联方关系",
                                                                "公积金",
                                                                "资本金",
                                                                "失效标志"}));
                  EXPECT_EQ(cells[1], (std::vector<std::string>{"01",
                                                                "瀚海再保险股份有限公司",
                                                                "Hanhai Reinsurance Co., Ltd.",
                                                                "瀚海再",
                                                                "上海市浦东新区银城中路188号",
                                                                "021-68881001",
                                                                "021-68881002",
                                                                "B",
                                                                "A",
                                                                "C",
                                                                "T",
                                                                "再保公司",
                                                                "周文斌",
                                                                "CN",
                                                                "AA",
                                                                "A+",
                                                                "A",
                                                                "偿付能力充足率238%",
                                                                "A",
                                                                "48.600000",
                                                                "120.000000",
                                                                "0"}));
                  // Any kind but A is a broker, any flag but N lapsed.
                  EXPECT_EQ(cells[2][List::COL_COMP_KIND], "经纪公司");
                  EXPECT_EQ(cells[2][List::COL_LAPSED], "1");
                  EXPECT_EQ(cells[2][List::COL_RELATION], "");
                  EXPECT_EQ(Widths(grid), (std::vector<int>{40,  200, 300, 90, 0, 0, 0, 0, 100, 0, 0,
                                                            100, 0,   100, 0,  0, 0, 0, 0, 0,   0, 0}));
                  for (int col = 0; col < List::COL_COUNT; ++col) {
                      bool centred = col <= 4 || col == 8 || col == 11 || col == 13;
                      EXPECT_EQ(grid.GetFixedFormat(col) == CQXGrid::kAlignCenter, centred) << col;
                      bool code = col == List::COL_COMP_PROP || col == List::COL_COUNTRY;
                      EXPECT_EQ(grid.GetColumnType(col), code ? CQXGrid::kColumnCode : CQXGrid::kColumnText) << col;
                  }
                  // The code columns keep the code and show the list's name for it.
                  EXPECT_EQ(grid.GetDisplayText(1, List::COL_COMP_PROP), "境内");
                  EXPECT_EQ(grid.GetDisplayText(2, List::COL_COUNTRY), "英国");
                  EXPECT_FALSE(grid.IsHeaderSort());
                  EXPECT_FALSE(grid.IsEditable());
                  EXPECT_EQ(grid.GetRow(), 1);
                  EXPECT_EQ(a.FocusID(), List::IDC_GRID);
              }),
              IDCANCEL);
    ASSERT_EQ(channel->requests.size(), 1u);
    ExpectRequest(0, ExpectedHead(182), {});
    EXPECT_TRUE(Messages().empty());
    EXPECT_GE(driver->WaitCursorCount(), 1);
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
}

TEST_F(Reinsurers, AFailedReadIsReportedAndLeavesTheHeaderAlone) {
    channel->FailReceive(kChannelTimeout);
    OpenList([](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        EXPECT_EQ(grid.GetRowCount(), 1);
        EXPECT_EQ(grid.GetColumnCount(), List::COL_COUNT);
        a.DoubleClickRow(List::IDC_GRID, 0);  // the header: nothing happens
        a.Click(List::IDC_BTN_MODIFY).Click(List::IDC_BTN_DELETE);
    });
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"等待应用服务器应答超时!", "请选择要修改的数据", "请选择要删除的数据"}));
    EXPECT_EQ(Codes(), (std::vector<int>{182}));
}

// ---- modifying

TEST_F(Reinsurers, ModifyFeedsTheFormFromTheRowAndAnUntouchedSaveSendsWhatWasStored) {
    channel->AnswerRecords(std::vector<_RICompanyStruct>{kHanhai});
    channel->AnswerRecords(kAccounts);
    channel->AnswerStatus(0);
    channel->AnswerRecords(std::vector<_RICompanyStruct>{kHanhai});
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.DoubleClickRow(List::IDC_GRID, 1);
        a.Click(IDCANCEL);
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) {
        EXPECT_FALSE(a.Enabled(Form::IDC_EDT_CODE));
        EXPECT_EQ(a.Text(Form::IDC_EDT_CODE), "01");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "瀚海再保险股份有限公司");
        EXPECT_EQ(a.Text(Form::IDC_EDT_SOLVENCY), "偿付能力充足率238%");
        EXPECT_EQ(a.Text(Form::IDC_CBX_COUNTRY), "CN  中国");
        EXPECT_EQ(a.Text(Form::IDC_CBX_COMP_PROP), "A  境内");
        EXPECT_EQ(a.Text(Form::IDC_CBX_BUSI_TYPE), "B  Both");
        EXPECT_EQ(a.Text(Form::IDC_CBX_BILL_TYPE), "C  中文");
        EXPECT_EQ(a.Text(Form::IDC_CBX_PAY_MODE), "T  电汇");
        EXPECT_EQ(a.Text(Form::IDC_CBX_COMP_KIND), "A  再保公司");
        EXPECT_EQ(a.Text(Form::IDC_CBX_RELATION), "A  股东");
        EXPECT_EQ(a.Text(Form::IDC_NUM_RESERVE), "48.600000");
        EXPECT_EQ(a.Text(Form::IDC_NUM_CAPITAL), "120.000000");
        EXPECT_EQ(a.Checked(Form::IDC_CHK_LAPSED), BST_UNCHECKED);
        CQXGrid& grid = GridOf(a, Form::IDC_GRID_ACCOUNT);
        EXPECT_EQ(
            Cells(grid),
            (std::vector<std::vector<std::string>>{
                {"", "币种", "开户银行", "银行帐户", "收款人", "开户行地址"},
                {"B", "01", "汇川银行上海分行", "6222310000000000", "瀚海再保险股份有限公司", "汇川银行上海分行营业部"},
                {"I", "03", "汇川银行北京分行", "3101520000000000", "瀚海再保险股份有限公司", "汇川银行北京分行"}}));
        EXPECT_EQ(Widths(grid), (std::vector<int>{0, 60, 250, 223, 67, 250}));
        EXPECT_TRUE(grid.IsHeaderSort());
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(25005, 0), IDCANCEL);

    EXPECT_EQ(Codes(), (std::vector<int>{182, 215, 183, 182}));
    ExpectRequest(1, ExpectedHead(215), BytesOf(kHanhai.szRICode));
    ExpectRequest(2, ExpectedHead(183, 2, 1), StoreBody(kHanhai, kAccounts));
    EXPECT_TRUE(Messages().empty());  // a reinsurer: no broker question
}

TEST_F(Reinsurers, ABrokerGoesBackAsKindBLapsedAndItsChangeLeadsToItsBrokerList) {
    _RICompanyStruct stored = kOddBroker;
    stored.cCompKind = 'B';
    stored.cLapsed = 'Y';
    for (int answer : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(answer);
        channel->requests.clear();
        driver->ClearRecords();
        channel->AnswerRecords(std::vector<_RICompanyStruct>{kOddBroker});
        channel->AnswerRecords(std::vector<_RIAccountStruct>{});
        channel->AnswerStatus(0);
        if (answer == IDOK)
            channel->AnswerRecords(std::vector<_RIAgentStruct>{Entry("B2", "B205", "阿尔彭格洛再保险公司")});
        channel->AnswerRecords(std::vector<_RICompanyStruct>{stored});
        driver->Answer(answer);
        driver->Then(kListCaption, [](win::DialogActions& a) {
            a.Click(List::IDC_BTN_MODIFY);
            EXPECT_EQ(GridOf(a, List::IDC_GRID).GetItemText(1, List::COL_COMP_KIND), "经纪公司");
            a.Click(IDCANCEL);
        });
        driver->Then(kModifyCaption, [](win::DialogActions& a) {
            EXPECT_EQ(a.Text(Form::IDC_CBX_COMP_KIND), "B  经纪公司");
            EXPECT_EQ(a.Checked(Form::IDC_CHK_LAPSED), BST_CHECKED);
            EXPECT_EQ(a.Text(Form::IDC_CBX_RELATION), "");
            a.PickCode(Form::IDC_CBX_RELATION, "E").Click(IDOK);
        });
        if (answer == IDOK)
            driver->Then("经纪公司设置---检索", [](win::DialogActions& a) {
                EXPECT_EQ(Cells(GridOf(a, CS0000SV::IDC_GRID))[1][CS0000SV::COL_BROKER_CODE], "B2");
                a.Click(IDCANCEL);
            });
        Call_Kelmor_Dialog(25005, 0);

        stored.cRelation = 'E';
        ExpectRequest(2, ExpectedHead(183, 0, 1), StoreBody(stored, {}));
        ASSERT_FALSE(driver->MessageBoxes().empty());
        const auto& question = driver->MessageBoxes().front().request;
        EXPECT_EQ(question.text, "你更改了经纪公司信息，要更改下面的再保公司信息吗?");
        EXPECT_EQ(question.caption, "注意");
        EXPECT_EQ(question.Buttons(), static_cast<UINT>(MB_OKCANCEL));
        EXPECT_EQ(question.Icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
        // Whatever the answer, the list is read again; on OK the broker's list came first.
        if (answer == IDOK) {
            EXPECT_EQ(Codes(), (std::vector<int>{182, 215, 183, 216, 182}));
            ExpectRequest(3, ExpectedHead(216), BytesOf(kOddBroker.szRICode));
        } else {
            EXPECT_EQ(Codes(), (std::vector<int>{182, 215, 183, 182}));
        }
        stored.cRelation = '\0';
    }
}

TEST_F(Reinsurers, EscapeTheCloseBoxAndReturnSendNothingAndLeaveTheListAsItWas) {
    channel->AnswerRecords(std::vector<_RICompanyStruct>{kHanhai});
    driver->Then(kListCaption, [](win::DialogActions& a) {
        for (int i = 0; i < 3; ++i) a.DoubleClickRow(List::IDC_GRID, 1);
        a.Click(IDCANCEL);
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CHN_NAME, "改过的名称").Escape();
        EXPECT_TRUE(a.Ended());
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CHN_NAME, "改过的名称").CloseBox();
        EXPECT_TRUE(a.Ended());
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) { a.Click(IDCANCEL); });
    Call_Kelmor_Dialog(25005, 0);
    EXPECT_EQ(Codes(), (std::vector<int>{182, 215, 215, 215}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Reinsurers, AccountsThatCouldNotBeReadAreNeverReplacedByAnEmptyList) {
    channel->AnswerRecords(std::vector<_RICompanyStruct>{kHanhai});
    channel->AnswerStatus(3);  // the account read fails
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_MODIFY);
        a.Click(IDCANCEL);
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) {
        EXPECT_EQ(GridOf(a, Form::IDC_GRID_ACCOUNT).GetRowCount(), 1);
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25005, 0);
    EXPECT_EQ(Codes(), (std::vector<int>{182, 215}));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"服务器处理失败!", "再保人帐户资料未能读取，不能保存，请返回后重新打开!"}));
}

TEST_F(Reinsurers, ARefusedSaveIsToldAndKeepsTheFormOpenWithTheInput) {
    channel->AnswerRecords(std::vector<_RICompanyStruct>{kHanhai});
    channel->AnswerRecords(kAccounts);
    channel->AnswerStatus(1);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_MODIFY);
        a.Click(IDCANCEL);
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_PHONE, "021-00000000").Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(a.Text(Form::IDC_EDT_PHONE), "021-00000000");
        EXPECT_EQ(GridOf(a, Form::IDC_GRID_ACCOUNT).GetRowCount(), 3);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25005, 0);
    EXPECT_EQ(Codes(), (std::vector<int>{182, 215, 183}));  // no reload after a refusal
    EXPECT_EQ(Messages(), (std::vector<std::string>{RefusalText(183, 1, 1).str()}));
}

// ---- adding, with accounts

TEST_F(Reinsurers, AddingSendsEveryFieldWithTheAccountsInTheGridsOrder) {
    channel->AnswerRecords(std::vector<_RICompanyStruct>{});
    channel->AnswerStatus(0);
    channel->AnswerRecords(std::vector<_RICompanyStruct>{kHanhai});
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_ADD);
        EXPECT_EQ(GridOf(a, List::IDC_GRID).GetRowCount(), 2);
        a.Click(IDCANCEL);
    });
    driver->Then(kAddCaption, [this](win::DialogActions& a) {
        for (int id : {Form::IDC_EDT_CODE, Form::IDC_EDT_CHN_NAME, Form::IDC_CBX_COUNTRY, Form::IDC_NUM_CAPITAL}) {
            EXPECT_TRUE(a.Enabled(id)) << id;
            EXPECT_EQ(a.Text(id), "") << id;
        }
        EXPECT_EQ(ComboItems(a, Form::IDC_CBX_COMP_PROP), (std::vector<std::string>{"", "A  境内", "B  境外"}));
        EXPECT_EQ(ComboItems(a, Form::IDC_CBX_BUSI_TYPE),
                  (std::vector<std::string>{"", "I  分入公司", "O  分出公司", "B  Both"}));
        EXPECT_EQ(ComboItems(a, Form::IDC_CBX_RELATION),
                  (std::vector<std::string>{"", "A  股东", "B  股东的控制方", "C  受同一第三方控制", "D  子公司",
                                            "E  非关联方"}));
        EXPECT_EQ(ComboItems(a, Form::IDC_CBX_COMP_KIND), (std::vector<std::string>{"", "A  再保公司", "B  经纪公司"}));
        EXPECT_EQ(ComboItems(a, Form::IDC_CBX_BILL_TYPE), (std::vector<std::string>{"", "C  中文", "E  英文"}));
        EXPECT_EQ(ComboItems(a, Form::IDC_CBX_PAY_MODE), (std::vector<std::string>{"", "C  支票", "T  电汇"}));
        EXPECT_EQ(GridOf(a, Form::IDC_GRID_ACCOUNT).GetRowCount(), 1);

        // An account needs the business type it takes over.
        a.Click(Form::IDC_BTN_ACC_ADD);
        EXPECT_EQ(a.FocusID(), Form::IDC_CBX_BUSI_TYPE);
        FillHanhai(a);
        a.Click(Form::IDC_BTN_ACC_ADD).Click(Form::IDC_BTN_ACC_ADD);
        // The second account is changed, then a third added and deleted again.
        a.ClickRow(Form::IDC_GRID_ACCOUNT, 2).Click(Form::IDC_BTN_ACC_MODIFY);
        a.Click(Form::IDC_BTN_ACC_ADD);
        EXPECT_EQ(GridOf(a, Form::IDC_GRID_ACCOUNT).GetRowCount(), 4);
        driver->Answer(IDNO);
        a.ClickRow(Form::IDC_GRID_ACCOUNT, 3).Click(Form::IDC_BTN_ACC_DELETE);
        EXPECT_EQ(GridOf(a, Form::IDC_GRID_ACCOUNT).GetRowCount(), 4);
        driver->Answer(IDYES);
        a.Click(Form::IDC_BTN_ACC_DELETE);
        EXPECT_EQ(GridOf(a, Form::IDC_GRID_ACCOUNT).GetRowCount(), 3);
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    // First account: the reinsurer's business type, fixed; the currency must be chosen.
    driver->Then(kAccountCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(AccountForm::IDC_CBX_BUSI_TYPE), "B  Both");
        EXPECT_FALSE(a.Enabled(AccountForm::IDC_CBX_BUSI_TYPE));
        EXPECT_FALSE(a.Enabled(AccountForm::IDC_CBX_RI_CODE));
        EXPECT_TRUE(a.Enabled(AccountForm::IDC_CBX_CURRENCY));
        EXPECT_EQ(a.Text(AccountForm::IDC_CBX_CURRENCY), "");
        a.Type(AccountForm::IDC_EDT_BANK, "汇川银行上海分行").Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(a.FocusID(), AccountForm::IDC_CBX_CURRENCY);
        a.PickCode(AccountForm::IDC_CBX_CURRENCY, "01");
        a.Type(AccountForm::IDC_EDT_ACCOUNT_NO, "6222310000000000")
            .Type(AccountForm::IDC_EDT_PAYEE, "瀚海再保险股份有限公司");
        a.Type(AccountForm::IDC_EDT_BANK_ADDR, "汇川银行上海分行营业部").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then(kAccountCaption, [](win::DialogActions& a) {
        a.PickCode(AccountForm::IDC_CBX_CURRENCY, "03").Type(AccountForm::IDC_EDT_BANK, "北门银行").Click(IDOK);
    });
    // Modifying the second: business type and currency stay, the texts change.
    driver->Then(kAccountCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(AccountForm::IDC_CBX_RI_CODE), "01  瀚海再保险股份有限公司");
        EXPECT_EQ(a.Text(AccountForm::IDC_CBX_CURRENCY), "03  美元");
        EXPECT_FALSE(a.Enabled(AccountForm::IDC_CBX_CURRENCY));
        EXPECT_FALSE(a.Enabled(AccountForm::IDC_CBX_BUSI_TYPE));
        EXPECT_EQ(a.Text(AccountForm::IDC_EDT_BANK), "北门银行");
        a.Type(AccountForm::IDC_EDT_BANK, "汇川银行北京分行").Type(AccountForm::IDC_EDT_ACCOUNT_NO, "3101520000000000");
        a.Type(AccountForm::IDC_EDT_PAYEE, "瀚海再保险股份有限公司")
            .Type(AccountForm::IDC_EDT_BANK_ADDR, "汇川银行北京分行");
        a.Click(IDOK);
    });
    driver->Then(kAccountCaption, [](win::DialogActions& a) {
        a.PickCode(AccountForm::IDC_CBX_CURRENCY, "01").Type(AccountForm::IDC_EDT_BANK, "待删").Click(IDOK);
    });
    EXPECT_EQ(Call_Kelmor_Dialog(25005, 0), IDCANCEL);

    // The second account keeps the business type it was added with.
    std::vector<_RIAccountStruct> sent = kAccounts;
    sent[1].cBusiType = 'B';
    EXPECT_EQ(Codes(), (std::vector<int>{182, 183, 182}));
    ExpectRequest(1, ExpectedHead(183, 2, 0), StoreBody(kHanhai, sent));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"业务类型不能为空，请输入！", "币种不能为空，请输入！",
                                                    "是否确定删除该纪录!", "是否确定删除该纪录!"}));
}

TEST_F(Reinsurers, TheFormNamesEachEmptyRequiredFieldAndRefusesASignedSum) {
    channel->AnswerRecords(std::vector<_RICompanyStruct>{});
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_ADD);
        a.Click(IDCANCEL);
    });
    driver->Then(kAddCaption, [this](win::DialogActions& a) {
        const std::vector<std::pair<int, std::function<void()>>> steps = {
            {Form::IDC_EDT_CODE, [&] { a.Type(Form::IDC_EDT_CODE, "zt12x"); }},
            {Form::IDC_EDT_ENG_NAME, [&] { a.Type(Form::IDC_EDT_ENG_NAME, "Test Re"); }},
            {Form::IDC_EDT_SHORT_NAME, [&] { a.Type(Form::IDC_EDT_SHORT_NAME, "测试再"); }},
            {Form::IDC_CBX_COMP_PROP, [&] { a.PickCode(Form::IDC_CBX_COMP_PROP, "A"); }},
            {Form::IDC_CBX_PAY_MODE, [&] { a.PickCode(Form::IDC_CBX_PAY_MODE, "C"); }},
            {Form::IDC_CBX_BUSI_TYPE, [&] { a.PickCode(Form::IDC_CBX_BUSI_TYPE, "I"); }},
            {Form::IDC_CBX_BILL_TYPE, [&] { a.PickCode(Form::IDC_CBX_BILL_TYPE, "E"); }},
            {Form::IDC_CBX_COMP_KIND, [&] { a.PickCode(Form::IDC_CBX_COMP_KIND, "A"); }},
            {Form::IDC_CBX_COUNTRY, [&] { a.PickCode(Form::IDC_CBX_COUNTRY, "CN"); }},
            {Form::IDC_CBX_RELATION, [&] { a.PickCode(Form::IDC_CBX_RELATION, "E"); }},
        };
        for (const auto& [id, fill] : steps) {
            a.Click(IDOK);
            EXPECT_EQ(a.FocusID(), id);
            fill();
        }
        EXPECT_EQ(a.Text(Form::IDC_EDT_CODE), "zt12");  // four characters at most
        a.Click(IDOK);                                  // a new code is two upper-case letters or digits
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_CODE);
        a.Type(Form::IDC_EDT_CODE, "ZT");

        // The sums take no sign: typed, it is not taken; pasted, the save refuses it.
        a.Keys(Form::IDC_NUM_CAPITAL, "-1234567.1234567");
        EXPECT_EQ(a.Text(Form::IDC_NUM_CAPITAL), "1,234,567.123456");
        EXPECT_EQ(driver->Beeps(), 1);  // the seventh decimal was not taken, and the user was told
        a.Type(Form::IDC_NUM_RESERVE, "-5").Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(a.FocusID(), Form::IDC_NUM_RESERVE);
        EXPECT_TRUE(channel->requests.size() == 1);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25005, 0);
    auto messages = Messages();
    ASSERT_EQ(messages.size(), 12u);
    EXPECT_EQ(messages[0], "代码不能为空，请输入！");
    EXPECT_EQ(messages[3], "公司属性不能为空，请输入！");
    EXPECT_EQ(messages[9], "关联方关系不能为空，请输入！");
    EXPECT_EQ(messages[10], "代码必须是两位大写字母或数字，请修改!");
    EXPECT_EQ(messages[11], "公积金不能带正负号，请修改!");
    EXPECT_EQ(Codes(), (std::vector<int>{182}));
}

// ---- the account buttons and the text editor

TEST_F(Reinsurers, AccountButtonsNeedARowAndTheSolvencyEditorChangesOnlyOnConfirm) {
    channel->AnswerRecords(std::vector<_RICompanyStruct>{kHanhai});
    channel->AnswerRecords(kAccounts);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_MODIFY);
        a.Click(IDCANCEL);
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) {
        a.Click(Form::IDC_BTN_ACC_MODIFY).Click(Form::IDC_BTN_ACC_DELETE);
        for (int i = 0; i < 4; ++i) a.Click(Form::IDC_BTN_SOLVENCY);
        EXPECT_EQ(a.Text(Form::IDC_EDT_SOLVENCY), "偿付能力充足率251%");
        a.Click(IDCANCEL);
    });
    driver->Then(kEditorCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Editor::IDC_EDT_TEXT), "偿付能力充足率238%");
        a.Type(Editor::IDC_EDT_TEXT, "不要").Click(IDCANCEL);
    });
    driver->Then(kEditorCaption, [](win::DialogActions& a) { a.Type(Editor::IDC_EDT_TEXT, "不要").Escape(); });
    driver->Then(kEditorCaption, [](win::DialogActions& a) { a.Type(Editor::IDC_EDT_TEXT, "不要").CloseBox(); });
    driver->Then(kEditorCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Editor::IDC_EDT_TEXT), "偿付能力充足率238%");
        a.Type(Editor::IDC_EDT_TEXT, std::string(101, 'x').c_str());
        EXPECT_EQ(a.Text(Editor::IDC_EDT_TEXT).GetLength(), Editor::kMaxChars);
        a.Type(Editor::IDC_EDT_TEXT, "偿付能力充足率251%").Click(IDOK);
    });
    Call_Kelmor_Dialog(25005, 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请选择要修改的数据", "请选择要删除的数据"}));
    EXPECT_EQ(Codes(), (std::vector<int>{182, 215}));
}

// ---- deleting

TEST_F(Reinsurers, DeleteAsksSendsTheCodeOnlyAndRemovesTheRowOnlyWhenTheServerAgrees) {
    channel->AnswerRecords(std::vector<_RICompanyStruct>{kHanhai, kOddBroker});
    channel->AnswerStatus(1);  // in use
    channel->AnswerStatus(0);
    driver->Answer(IDNO).Answer(IDYES).Answer(IDOK).Answer(IDYES);
    OpenList([](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        a.ClickRow(List::IDC_GRID, 2).Click(List::IDC_BTN_DELETE);  // No
        a.Click(List::IDC_BTN_DELETE);                              // Yes, refused
        EXPECT_EQ(grid.GetRowCount(), 3);
        a.Click(List::IDC_BTN_DELETE);  // Yes
        EXPECT_EQ(grid.GetRowCount(), 2);
        EXPECT_EQ(grid.GetItemText(1, List::COL_CODE), "01");
    });
    EXPECT_EQ(Codes(), (std::vector<int>{182, 214, 214}));
    std::vector<char> code(kOddBroker.szRICode, kOddBroker.szRICode + sizeof kOddBroker.szRICode);
    ExpectRequest(1, ExpectedHead(214, 1, 2), code);
    ExpectRequest(2, ExpectedHead(214, 1, 2), code);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"是否确定删除该纪录!", "是否确定删除该纪录!",
                                                    RefusalText(214, 2, 1).str(), "是否确定删除该纪录!", "处理成功!"}));
    const auto& confirm = driver->MessageBoxes().front().request;
    EXPECT_EQ(confirm.Icon(), static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(confirm.DefaultAnswer(), IDNO);
}

}  // namespace
}  // namespace kel::testing
