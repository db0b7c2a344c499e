// The treaty data form against a recording channel: its three modes, the
// net-premium rule, the refusals, the save and the generation, and its two lists
// worked through the participation, product share and product copy forms.
#include "screens/ProductGroupList.h"
#include "screens/S0000S70.h"
#include "screens/S0000S700.h"
#include "screens/S0000S701.h"
#include "screens/S0000S704.h"
#include "screens/ScreenCommon.h"
#include "screens/tests/TreatyDataSupport.h"

namespace kel::testing {
namespace {

using Form = CS0000S70;
using Participation = CS0000S700;
using ProductShare = CS0000S701;
using Picker = CS0000S704;
constexpr const char* kFormCaption = "合约资料设置[编辑]";
constexpr const char* kParticipationCaption = "合约资料设置[再保公司参与比例编辑]";
constexpr const char* kProductShareCaption = "合约资料设置[合约份额编辑]";
constexpr const char* kPickerCaption = "合约代码设置[险种风险复制]";
constexpr const char* kGenerateQuestion = "您已经修改的合约,是否现在生成合约明细?";
constexpr const char* kListsNotRead = "合约的再保公司参与比例和险种合约份额没有读取成功，不能保存，请返回后重新打开!";

using Rows = std::vector<std::vector<std::string>>;

class TreatyDataForm : public ScreenTest {
protected:
    static void SetUpTestSuite() { TreatyHostDatabase::Open("kelmor-treaty-form"); }
    static void TearDownTestSuite() { TreatyHostDatabase::Close(); }
    void SetUp() override {
        ScreenTest::SetUp();
        CBASEBASE::SetLoginUser("tester");
    }

    // Runs the form in a mode on `held` with `script`; `then` queues the scripts of
    // the forms it opens, which open after it.
    int Run(bool add, bool copy, const _ContInfoStruct& held, std::function<void(win::DialogActions&)> script,
            std::function<void()> then = {}) {
        CS0000S70 form;
        form.m_bAdd = add;
        form.m_bCopy = copy;
        form.m_stContInfo = held;
        driver->Then(kFormCaption, std::move(script));
        if (then) then();
        return form.DoModal();
    }
    // Modify mode on `held`, its lists answered with `lists`: the lists are the
    // first thing the form reads, ahead of any answer the test queued.
    int Modify(std::function<void(win::DialogActions&)> script, const TreatyLists& lists = StoredLists(),
               const _ContInfoStruct& held = StoredTreaty(), std::function<void()> then = {}) {
        ScriptedAnswer answer;
        answer.body = SubListAnswer(lists);
        channel->answers.push_front(std::move(answer));
        return Run(false, false, held, std::move(script), std::move(then));
    }

    // A new treaty typed into an add-mode form: every required field.
    static void TypeNewTreaty(win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CONT_CODE, "q1").Type(Form::IDC_EDT_CONT_NO, "Q1-2025");
        a.Type(Form::IDC_DTE_START, "20250101").Type(Form::IDC_DTE_END, "20251231");
        a.Type(Form::IDC_EDT_COMM_RATE, "12.5").Type(Form::IDC_EDT_PREM_RSV, "40");
        a.Type(Form::IDC_EDT_PROFIT_COMM, "20").Type(Form::IDC_EDT_LOSS_CARRY, "3");
        a.Type(Form::IDC_EDT_MGMT_FEE, "0.5").Type(Form::IDC_EDT_QUAKE_COMM, "25");
        a.Type(Form::IDC_EDT_QUAKE_PREM, "5");
    }
    // The record TypeNewTreaty makes, as a save sends it.
    static _ContInfoStruct NewTreaty(int32_t id = 0) {
        _ContInfoStruct r{};
        r.nContId = id;
        r.nLossCarry = 3;
        r.dCommRate = 0.125;
        r.dTaxRate = 0.055;
        r.dPremRsvRatio = 0.4;
        r.dProfitCommRate = 0.2;
        r.dMgmtFeeRate = 0.005;
        r.dQuakeCommRate = 0.25;
        r.dQuakePremRatio = 0.05;
        r.cCommInclTax = '0';
        r.cNetPremFlag = '0';
        text::PutField(r.szContCode, "Q1");
        text::PutField(r.szStartDate, "20250101");
        text::PutField(r.szEndDate, "20251231");
        text::PutField(r.szContNo, "Q1-2025");
        text::PutField(r.szUserCode, "tester");
        text::PutField(r.szUserCode2, "tester");
        return r;
    }
    // The participation form: `code` takes `share`.
    void Participant(const char* code, const char* share) {
        driver->Then(kParticipationCaption, [code, share](win::DialogActions& a) {
            a.PickCode(Participation::IDC_CBX_REINSURER, code).Type(Participation::IDC_EDT_SHARE, share);
            a.Click(IDOK);
            EXPECT_TRUE(a.Ended());
        });
    }
};

// ---- modes

TEST_F(TreatyDataForm, AddModeShowsTheDefaultsAndOnlyTheTotalRowAndReadsNothing) {
    EXPECT_EQ(Run(true, false, {},
                  [](win::DialogActions& a) {
                      const std::pair<int, const char*> defaults[] = {
                          {Form::IDC_EDT_CASH_LOSS, "0"},       {Form::IDC_EDT_QUOTA, "0"},
                          {Form::IDC_EDT_LINES, "0"},           {Form::IDC_EDT_VIP_LINES, "0"},
                          {Form::IDC_EDT_COMM_RATE, "0"},       {Form::IDC_EDT_TAX_RATE, "5.5"},
                          {Form::IDC_EDT_COINS_COEF, "0.00"},   {Form::IDC_EDT_PLANT_RATE, "0"},
                          {Form::IDC_NUM_NET_PREM_TAX, "0.00"}, {Form::IDC_EDT_CONT_CODE, ""}};
                      for (auto [id, text] : defaults) EXPECT_EQ(a.Text(id), text) << id;
                      EXPECT_FALSE(a.Enabled(Form::IDC_NUM_NET_PREM_TAX));
                      EXPECT_FALSE(a.Enabled(Form::IDC_CBX_CONT_NAME));
                      EXPECT_FALSE(a.Enabled(Form::IDC_EDT_ACT_COMM_RATE));
                      for (int id : {Form::IDC_BTN_CLASS, Form::IDC_BTN_SECTION, Form::IDC_BTN_GENERATE})
                          EXPECT_FALSE(a.Enabled(id)) << id;
                      CQXGrid& reins = GridOf(a, Form::IDC_GRID_REINS);
                      EXPECT_EQ(Cells(reins), (Rows{{"再保公司代码", "再保公司名称", "参与比例", "限额", "", ""},
                                                    {"合 计", "", "0.00", "0.00", "", ""}}));
                      EXPECT_EQ(Widths(reins), (std::vector<int>{210, 210, 180, 226, 0, 0}));
                      for (int col = 0; col < 6; ++col)
                          EXPECT_EQ(reins.GetItemBkColour(1, col), kel::screens::kMarkColour) << col;
                      CQXGrid& risk = GridOf(a, Form::IDC_GRID_RISK);
                      EXPECT_EQ(Cells(risk), (Rows{{"险种", "风险等级", "成数比例", "自留限额", "合约限额", "", "",
                                                    "线数", "", "VIP线数", "VIP限额"}}));
                      EXPECT_EQ(Widths(risk), (std::vector<int>{130, 100, 100, 100, 100, 0, 0, 100, 0, 100, 100}));
                      a.Click(IDCANCEL);
                  }),
              IDCANCEL);
    EXPECT_TRUE(channel->requests.empty());
}

TEST_F(TreatyDataForm, TheNetPremiumBoxFollowsTheCodeAsTypedAndTheTreatyTypeWhenModifying) {
    Run(true, false, {}, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CONT_CODE, "Q1");
        EXPECT_TRUE(a.Enabled(Form::IDC_CHK_NET_PREM));
        a.Click(Form::IDC_CHK_NET_PREM);
        EXPECT_TRUE(a.Enabled(Form::IDC_NUM_NET_PREM_TAX));
        a.Type(Form::IDC_NUM_NET_PREM_TAX, "3.5");
        a.Type(Form::IDC_EDT_CONT_CODE, "FA");  // a treaty without net-premium cession
        EXPECT_FALSE(a.Enabled(Form::IDC_CHK_NET_PREM));
        EXPECT_EQ(a.Checked(Form::IDC_CHK_NET_PREM), BST_UNCHECKED);
        EXPECT_FALSE(a.Enabled(Form::IDC_NUM_NET_PREM_TAX));
        EXPECT_EQ(a.Text(Form::IDC_NUM_NET_PREM_TAX), "0.00");
        a.Leave(Form::IDC_EDT_CONT_CODE);
        EXPECT_EQ(a.Text(Form::IDC_CBX_CONT_NAME), "FA  临分合约");
        a.Click(IDCANCEL);
    });

    // Modify decides by the treaty type, whatever the code.
    _ContInfoStruct facultative = StoredTreaty();
    text::PutField(facultative.szContCode, "FA");
    Modify(
        [](win::DialogActions& a) {
            EXPECT_TRUE(a.Enabled(Form::IDC_CHK_NET_PREM));
            a.Click(IDCANCEL);
        },
        {}, facultative);
    _ContInfoStruct other = StoredTreaty();
    std::memset(other.szContTypeName, 0, sizeof other.szContTypeName);
    text::PutField(other.szContTypeName, "临分合约");
    Modify(
        [](win::DialogActions& a) {
            EXPECT_FALSE(a.Enabled(Form::IDC_CHK_NET_PREM));
            EXPECT_EQ(a.Checked(Form::IDC_CHK_NET_PREM), BST_CHECKED);  // shown as stored
            a.Click(IDCANCEL);
        },
        {}, other);

    // A copy has no type yet: the code decides, and opening changes no value.
    channel->AnswerRaw(0, SubListAnswer({}));
    Run(false, true, facultative, [](win::DialogActions& a) {
        EXPECT_FALSE(a.Enabled(Form::IDC_CHK_NET_PREM));
        EXPECT_EQ(a.Checked(Form::IDC_CHK_NET_PREM), BST_CHECKED);
        EXPECT_EQ(a.Text(Form::IDC_NUM_NET_PREM_TAX), "3.00");
        EXPECT_TRUE(a.Enabled(Form::IDC_EDT_CONT_CODE));
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{190, 190, 190}));
}

// ---- refusals

TEST_F(TreatyDataForm, EmptyRequiredFieldsAndBadInputAreNamedAndNothingIsSent) {
    Run(true, false, {}, [](win::DialogActions& a) {
        auto refused = [&](int focus) {
            a.Click(IDOK);
            EXPECT_FALSE(a.Ended());
            EXPECT_EQ(a.FocusID(), focus);
        };
        refused(Form::IDC_EDT_CONT_CODE);
        TypeNewTreaty(a);
        a.Type(Form::IDC_EDT_COMM_RATE, "abc");
        refused(Form::IDC_EDT_COMM_RATE);
        a.Type(Form::IDC_EDT_COMM_RATE, "12.5").Type(Form::IDC_EDT_TAX_RATE, "150");
        refused(Form::IDC_EDT_TAX_RATE);
        a.Type(Form::IDC_EDT_TAX_RATE, "5.5").Type(Form::IDC_EDT_LINES, "-1");
        refused(Form::IDC_EDT_LINES);
        a.Type(Form::IDC_EDT_LINES, "1.5");
        refused(Form::IDC_EDT_LINES);
        a.Type(Form::IDC_EDT_LINES, "1").Type(Form::IDC_DTE_END, "20241231");
        refused(Form::IDC_DTE_END);
        a.Type(Form::IDC_DTE_END, "202512");
        refused(Form::IDC_DTE_END);
        a.Type(Form::IDC_DTE_END, "20251231").Type(Form::IDC_EDT_CONT_CODE, "Q");
        refused(Form::IDC_EDT_CONT_CODE);
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  "合约代码不能为空，请输入！", "手续费率不是有效的数字，请修改!", "税率必须在0到100之间，请修改!",
                  "线数不能小于0，请修改!", "线数不是有效的整数，请修改!", "终止日期不能早于起始日期，请修改!",
                  "终止日期不是有效的日期，请修改!", "合约代码必须是两位大写字母或数字，请修改!"}));
    EXPECT_TRUE(channel->requests.empty());
}

// The form asks for its required fields in its own order, not the layout's: a
// user filling in what is asked for meets them in this sequence.
TEST_F(TreatyDataForm, RequiredFieldsAreAskedForInTheFormsOrder) {
    Run(true, false, {}, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CONT_CODE, "Q1");
        const std::pair<int, const char*> asked[] = {
            {Form::IDC_EDT_PREM_RSV, "40"},   {Form::IDC_EDT_PROFIT_COMM, "20"}, {Form::IDC_EDT_LOSS_CARRY, "3"},
            {Form::IDC_EDT_MGMT_FEE, "0.5"},  {Form::IDC_DTE_END, "20251231"},   {Form::IDC_DTE_START, "20250101"},
            {Form::IDC_EDT_QUAKE_COMM, "25"}, {Form::IDC_EDT_QUAKE_PREM, "5"},   {Form::IDC_EDT_CONT_NO, "Q1-2025"},
        };
        for (const auto& [id, text] : asked) {
            a.Click(IDOK);
            EXPECT_FALSE(a.Ended());
            EXPECT_EQ(a.FocusID(), id);
            a.Type(id, text);
        }
        // The added treaty's defaults fill the rest; an emptied default is asked for.
        a.Type(Form::IDC_EDT_TAX_RATE, "");
        a.Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_TAX_RATE);
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "保费准备金比例不能为空，请输入！", "纯益手续费率不能为空，请输入！",
                              "亏损滚转不能为空，请输入！", "管理费率不能为空，请输入！", "终止日期不能为空，请输入！",
                              "起始日期不能为空，请输入！", "地震险手续费率不能为空，请输入！",
                              "地震保费比例不能为空，请输入！", "合同号不能为空，请输入！", "税率不能为空，请输入！"}));
    EXPECT_TRUE(channel->requests.empty());
}

TEST_F(TreatyDataForm, ARatioOfExactlyOneHundredAndATreatyOfOneDaySave) {
    channel->AnswerStatus(0);  // 187
    driver->Answer(IDNO);      // no generation now
    EXPECT_EQ(Modify([](win::DialogActions& a) {
                  a.Type(Form::IDC_EDT_QUOTA, "100.01");
                  a.Click(IDOK);
                  EXPECT_FALSE(a.Ended());
                  a.Type(Form::IDC_EDT_QUOTA, "100").Type(Form::IDC_EDT_LEAD_SHARE, "100");
                  a.Type(Form::IDC_DTE_END, "20240101");  // the start date
                  a.Click(IDOK);
              }),
              IDOK);
    _ContInfoStruct saved = SavedTreaty(StoredTreaty());
    saved.dQuotaRatio = 1;
    saved.dLeadShare = 1;
    std::memset(saved.szEndDate, 0, sizeof saved.szEndDate);
    text::PutField(saved.szEndDate, "20240101");
    EXPECT_EQ(Codes(), (std::vector<int>{190, 187}));
    ExpectRequest(1, ExpectedHead(187, 1, 1), SaveBody(187, saved, StoredLists()));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"成数比例必须在0到100之间，请修改!", kGenerateQuestion}));
}

TEST_F(TreatyDataForm, ParticipationSharesMustShowATotalOfOne) {
    TreatyLists short_ = StoredLists();
    short_.reins = {Reins("01", 0.6, kUnlimited), Reins("05", 0.3999, kUnlimited)};
    short_.extra.clear();
    Modify(
        [](win::DialogActions& a) {
            a.Click(IDOK);
            EXPECT_FALSE(a.Ended());
            a.Click(IDCANCEL);
        },
        short_);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"再保人份额不等于1 ！"}));
    EXPECT_EQ(Codes(), (std::vector<int>{190}));

    // 0.99996 reads as 1.0000.
    TreatyLists close = short_;
    close.reins[1].dShare = 0.39996;
    channel->AnswerStatus(0);
    driver->Answer(IDNO);
    EXPECT_EQ(Modify([](win::DialogActions& a) { a.Click(IDOK); }, close), IDOK);
    EXPECT_EQ(Codes(), (std::vector<int>{190, 190, 187}));
    ExpectRequest(2, ExpectedHead(187, 1, 1), SaveBody(187, SavedTreaty(StoredTreaty()), close));
}

TEST_F(TreatyDataForm, ListsThatCouldNotBeReadAreNotReplacedByASave) {
    channel->FailReceive(kChannelTimeout);
    Run(false, false, StoredTreaty(), [](win::DialogActions& a) {
        EXPECT_EQ(Cells(GridOf(a, Form::IDC_GRID_REINS)).back(),
                  (std::vector<std::string>{"合 计", "", "0.0000", "0.00", "", ""}));
        EXPECT_EQ(GridOf(a, Form::IDC_GRID_RISK).GetRowCount(), 1);
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"等待应用服务器应答超时!", kListsNotRead}));
    EXPECT_EQ(Codes(), (std::vector<int>{190}));
}

// ---- save and generation

TEST_F(TreatyDataForm, AnAddIsInsertedOnceAndTheFormThenChangesTheRecordItAdded) {
    channel->AnswerStatus(0);  // 189
    _ContInfoStruct added = NewTreaty(21);
    text::PutField(added.szContTypeName, "成数合约");
    channel->AnswerRecords(std::vector<_ContInfoStruct>{added});  // 186: the new record
    channel->AnswerStatus(0);                                     // 200
    channel->AnswerStatus(0);                                     // 187
    driver->Answer(IDYES).Answer(IDYES).Answer(IDOK).Answer(IDNO);
    EXPECT_EQ(Run(
                  true, false, {},
                  [](win::DialogActions& a) {
                      TypeNewTreaty(a);
                      a.Click(Form::IDC_BTN_REINS_ADD);
                      a.Click(IDOK);
                      EXPECT_FALSE(a.Ended());  // generated, still open
                      EXPECT_FALSE(a.Enabled(Form::IDC_EDT_CONT_CODE));
                      EXPECT_TRUE(a.Enabled(Form::IDC_BTN_GENERATE));
                      EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_TYPE), "成数合约");  // as the server names it
                      a.Click(IDOK);
                      EXPECT_TRUE(a.Ended());
                  },
                  [this] { Participant("01", "1"); }),
              IDOK);

    EXPECT_EQ(Codes(), (std::vector<int>{189, 186, 200, 187}));
    TreatyLists lists;
    lists.reins = {Reins("01", 1, kUnlimited)};
    ExpectRequest(0, ExpectedHead(189, 1, 0), SaveBody(189, NewTreaty(), lists));
    ExpectRequest(1, ExpectedHead(186), DecimalKey(9, "20250101"));
    ExpectRequest(2, ExpectedHead(200), GenerateBody(21, "Q1", "Q1-2025"));
    ExpectRequest(3, ExpectedHead(187, 1, 1), SaveBody(187, NewTreaty(21), lists));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{kGenerateQuestion, "是否确认生成合约?", "合约生成成功！", kGenerateQuestion}));
    EXPECT_GE(driver->WaitCursorCount(), 4);
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
}

// What the server would refuse is said by the form first, naming what to mend.
TEST_F(TreatyDataForm, AnUnknownTreatyCodeAndAProductShareRowWithoutProductAreNamedBeforeSending) {
    Run(true, false, {}, [](win::DialogActions& a) {
        TypeNewTreaty(a);
        a.Type(Form::IDC_EDT_CONT_CODE, "ZZ").Leave(Form::IDC_EDT_CONT_CODE);
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        a.Click(IDCANCEL);
    });
    TreatyLists lists = StoredLists();
    lists.risk.push_back(Risk("", "", 0.3f, kUnlimited, kUnlimited, 0, 'T', 'Y'));  // copied without its product
    Modify(
        [](win::DialogActions& a) {
            a.Click(IDOK);
            EXPECT_FALSE(a.Ended());
            a.Click(IDCANCEL);
        },
        lists);
    EXPECT_EQ(Codes(), (std::vector<int>{190}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"合约代码ZZ不存在，请先在合约代码设置中增加!",
                                                    "合约份额第3行没有险种(险类)，请修改该行后再保存!"}));
}

TEST_F(TreatyDataForm, GenerationAsksThenSendsTheHeldRecordAndSaysHowItWent) {
    channel->AnswerStatus(0);
    channel->AnswerStatus(1);  // refused
    driver->Answer(IDNO).Answer(IDYES).Answer(IDOK).Answer(IDYES);
    Modify([](win::DialogActions& a) {
        a.Click(Form::IDC_BTN_GENERATE);
        // What is typed but not saved does not name the treaty to generate.
        a.Type(Form::IDC_EDT_CONT_NO, "XX-1").Click(Form::IDC_BTN_GENERATE).Click(Form::IDC_BTN_GENERATE);
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{190, 200, 200}));
    ExpectRequest(1, ExpectedHead(200), GenerateBody(8, "Q1", "Q1-2024"));
    const auto& boxes = driver->MessageBoxes();
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[0].request.text, "是否确认生成合约?");
    EXPECT_EQ(boxes[0].request.caption, "注意");
    EXPECT_EQ(boxes[0].request.type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(boxes[2].request.text, "合约生成成功！");
    EXPECT_EQ(boxes[5].request.text, "合约生成失败！");  // after the framework's refusal
}

TEST_F(TreatyDataForm, SectionsAndClassesOpenForTheHeldRecordWithItsTreatyName) {
    channel->AnswerRaw(0, SubListAnswer(StoredLists()));
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        a.Click(Form::IDC_BTN_SECTION).Click(Form::IDC_BTN_CLASS).Click(IDCANCEL);
    });
    for (const char* caption : {"合约资料设置[合约再保公司SECTION检索]", "合约险类设置"})
        driver->Then(caption, [](win::DialogActions& a) {
            EXPECT_EQ(a.Text(CProductGroupList::IDC_EDT_CONT_CODE), "Q1");
            EXPECT_EQ(a.Text(CProductGroupList::IDC_EDT_CONT_NAME), "成数合约一号");
            a.Click(IDCANCEL);
        });
    CS0000S70 form;
    form.m_stContInfo = StoredTreaty();
    form.DoModal();
    EXPECT_EQ(Codes(), (std::vector<int>{190, 191, 198}));
    ExpectRequest(1, ExpectedHead(191), DecimalKey(64, "8"));
    ExpectRequest(2, ExpectedHead(198), DecimalKey(64, "8"));
}

TEST_F(TreatyDataForm, ACopyNotSavedYetOpensSectionsAndClassesWithNothingOfTheOriginalAndDoesNotGenerate) {
    channel->AnswerRaw(0, SubListAnswer(StoredLists()));
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        EXPECT_FALSE(a.Enabled(Form::IDC_BTN_GENERATE));  // it would generate the original
        a.Click(Form::IDC_BTN_SECTION).Click(Form::IDC_BTN_CLASS).Click(IDCANCEL);
    });
    for (const char* caption : {"合约资料设置[合约再保公司SECTION检索]", "合约险类设置"})
        driver->Then(caption, [](win::DialogActions& a) {
            EXPECT_EQ(GridOf(a, CProductGroupList::IDC_GRID_GROUP).GetRowCount(), 1);
            EXPECT_FALSE(a.Enabled(CProductGroupList::IDC_BTN_ADD));
            a.Click(IDCANCEL);
        });
    CS0000S70 form;
    form.m_bCopy = true;
    form.m_stContInfo = StoredTreaty();  // the original's id: its lists start the copy
    form.DoModal();
    EXPECT_EQ(Codes(), (std::vector<int>{190}));
}

// ---- the participation list

TEST_F(TreatyDataForm, TheParticipationListKeepsItsTotalRowLastAndRetiresADeletedBrokersReinsurers) {
    channel->AnswerStatus(0);
    driver->Answer(IDOK).Answer(IDNO).Answer(IDYES).Answer(IDNO);
    Modify(
        [](win::DialogActions& a) {
            CQXGrid& grid = GridOf(a, Form::IDC_GRID_REINS);
            const Rows loaded{{"再保公司代码", "再保公司名称", "参与比例", "限额", "", ""},
                              {"01", "01", "0.6000", "无限额", "0", "0"},
                              {"B1", "B1", "0.4000", "2000000.50", "0", "2"},
                              {"合 计", "", "1.0000", "无限额", "", ""}};
            EXPECT_EQ(Cells(grid), loaded);
            EXPECT_EQ(grid.GetDisplayText(2, 1), "远景经纪");
            a.ClickHeader(Form::IDC_GRID_REINS, 0).ClickHeader(Form::IDC_GRID_REINS, 0);
            EXPECT_EQ(Cells(grid), loaded);       // no sort moves the total row
            a.Click(Form::IDC_BTN_REINS_MODIFY);  // no row yet
            a.ClickRow(Form::IDC_GRID_REINS, 3).Click(Form::IDC_BTN_REINS_MODIFY).Click(Form::IDC_BTN_REINS_DELETE);

            a.ClickRow(Form::IDC_GRID_REINS, 2).Click(Form::IDC_BTN_REINS_DELETE);  // answered No
            EXPECT_EQ(grid.GetRowCount(), 4);
            a.Click(Form::IDC_BTN_REINS_DELETE);
            EXPECT_EQ(Cells(grid).back(), (std::vector<std::string>{"合 计", "", "0.6000", "无限额", "", ""}));
            a.ClickRow(Form::IDC_GRID_REINS, 1).Click(Form::IDC_BTN_REINS_MODIFY);
            EXPECT_EQ(Cells(grid)[1], (std::vector<std::string>{"01", "01", "1.0000", "无限额", "2", "0"}));
            EXPECT_EQ(Cells(grid).back(), (std::vector<std::string>{"合 计", "", "1.0000", "无限额", "", ""}));
            a.Click(IDOK);
        },
        StoredLists(), StoredTreaty(), [this] { Participant("01", "1"); });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请选择要修改的数据", "是否确定删除该纪录!", "是否确定删除该纪录!",
                                                    kGenerateQuestion}));
    TreatyLists sent = StoredLists();
    sent.reins = {Reins("01", 1, kUnlimited)};
    for (auto& e : sent.extra) e.cStatus = kExtraDeleted;
    ASSERT_EQ(Codes(), (std::vector<int>{190, 187}));
    ExpectRequest(1, ExpectedHead(187, 1, 1), SaveBody(187, SavedTreaty(StoredTreaty()), sent));
}

// ---- the product share list

TEST_F(TreatyDataForm, ProductShareRowsKeepTheirValuesAndTheirSettingType) {
    TreatyLists lists = StoredLists();
    lists.risk[0].cCopyFlag = 'Y';  // copying business data is not done again
    text::PutField(lists.risk[1].szRiskLevel, "02");
    channel->AnswerStatus(0);
    driver->Answer(IDOK).Answer(IDOK).Answer(IDYES).Answer(IDNO);
    auto subForms = [this] {
        driver->Then(kProductShareCaption, [](win::DialogActions& a) {
            EXPECT_EQ(a.Checked(ProductShare::IDC_RAD_CLASS), BST_CHECKED);
            a.Click(IDOK);
        });
        driver->Then(kPickerCaption, [](win::DialogActions& a) {
            EXPECT_EQ(a.Text(Picker::IDC_EDT_SRC_PRODUCT), "0101");
            a.PickCode(Picker::IDC_CBX_DST_PRODUCT, "0102").Click(IDOK);
        });
    };
    Modify(
        [](win::DialogActions& a) {
            CQXGrid& grid = GridOf(a, Form::IDC_GRID_RISK);
            const Rows loaded{
                {"险种", "风险等级", "成数比例", "自留限额", "合约限额", "", "", "线数", "", "VIP线数", "VIP限额"},
                {"0101", "01", "0.125", "500000.25", "1500000.75", "1.25", "T", "3", "N", "1", "500000.25"},
                {"C1", "02", "0.30", "无限额", "无限额", "1.25", "S", "0", "N", "0", "无限额"}};
            EXPECT_EQ(Cells(grid), loaded);
            a.Click(Form::IDC_BTN_RISK_MODIFY).Click(Form::IDC_BTN_RISK_COPY);  // no row yet
            a.ClickRow(Form::IDC_GRID_RISK, 2).Click(Form::IDC_BTN_RISK_MODIFY);
            EXPECT_EQ(Cells(grid), loaded);  // a class row stays a class row
            a.ClickRow(Form::IDC_GRID_RISK, 1).Click(Form::IDC_BTN_RISK_COPY);
            ASSERT_EQ(grid.GetRowCount(), 4);
            auto copied = loaded[1];
            copied[0] = "0102";
            EXPECT_EQ(Cells(grid)[3], copied);
            a.ClickRow(Form::IDC_GRID_RISK, 3).Click(Form::IDC_BTN_RISK_DELETE);
            EXPECT_EQ(Cells(grid), loaded);
            a.Click(IDOK);
        },
        lists, StoredTreaty(), subForms);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请选择要修改的数据", "请选择要复制的数据", "是否确定删除该纪录!",
                                                    kGenerateQuestion}));
    TreatyLists sent = lists;
    sent.risk[0].cCopyFlag = 'N';
    ASSERT_EQ(Codes(), (std::vector<int>{190, 187}));
    ExpectRequest(1, ExpectedHead(187, 1, 1), SaveBody(187, SavedTreaty(StoredTreaty()), sent));
}

TEST_F(TreatyDataForm, ANewProductShareWantsTheStartDateAndStartsFromTheTreatysValues) {
    auto productShare = [this] {
        driver->Then(kProductShareCaption, [](win::DialogActions& a) {
            EXPECT_EQ(a.Text(ProductShare::IDC_EDT_QUOTA), "0.125000");
            EXPECT_EQ(a.Text(ProductShare::IDC_EDT_LINES), "2");
            EXPECT_EQ(a.Text(ProductShare::IDC_EDT_RETENTION), "无限额");
            EXPECT_EQ(a.Checked(ProductShare::IDC_RAD_PRODUCT), BST_CHECKED);
            a.PickCode(ProductShare::IDC_CBX_PRODUCT, "0101").Leave(ProductShare::IDC_CBX_PRODUCT);
            a.PickCode(ProductShare::IDC_CBX_RISK_LEVEL, "01").Leave(ProductShare::IDC_CBX_RISK_LEVEL);
            a.Click(IDOK);
        });
    };
    Run(
        true, false, {},
        [](win::DialogActions& a) {
            a.Click(Form::IDC_BTN_RISK_ADD);
            EXPECT_EQ(a.FocusID(), Form::IDC_DTE_START);
            a.Type(Form::IDC_DTE_START, "20240101").Type(Form::IDC_EDT_QUOTA, "12.5").Type(Form::IDC_EDT_LINES, "2");
            a.Click(Form::IDC_BTN_RISK_ADD);
            EXPECT_EQ(Cells(GridOf(a, Form::IDC_GRID_RISK))[1],
                      (std::vector<std::string>{"0101", "01", "0.125", "500.00", "1000.00", "0.00", "T", "2", "N", "0",
                                                "0.00"}));
            a.Click(IDCANCEL);
        },
        productShare);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请先输入起始日期，险种合约份额按合约年份设置!"}));
    EXPECT_TRUE(channel->requests.empty());
}

}  // namespace
}  // namespace kel::testing
