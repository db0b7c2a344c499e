// The broker's reinsurer list and its entry form with the reinsurer look-up, as the
// user works them against a recording channel.
#include "frame/Kelmor.h"
#include "host/qxcommon/RefusalText.h"
#include "screens/S0000SV.h"
#include "screens/S0000SV0.h"
#include "screens/tests/ReinsurerTestSupport.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using List = CS0000SV;
using Form = CS0000SV0;
constexpr const char* kListCaption = "经纪公司设置---检索";
constexpr const char* kFormCaption = "经纪公司设置---编辑";

const std::vector<_RIAgentStruct> kEntries = {
    Entry("B2", "B205", "阿尔彭格洛再保险公司"),
    Entry("B2", "B207", "泰晤桥再保险公司"),
};

constexpr const char* kLookUpFirst = "请输入两位再保公司代码，检索到再保公司后再保存!";

// The broker B2's list, opened as the reinsurer list opens it.
class Brokers : public ScreenTest {
protected:
    int OpenList() {
        List list;
        list.m_strBrokerCode = "B2";
        list.m_strBrokerChnName = "艾斯科姆再保险经纪公司";
        list.m_strBrokerEngName = "Ashcombe & Vale Brokers";
        return static_cast<int>(list.DoModal());
    }
    // Opens the list, adds (or double-clicks the second row) and works the form
    // with `form`; then leaves the list. The answers are the test's to queue.
    void ThroughForm(int button, win::HeadlessDriver::Script form) {
        driver->Then(kListCaption, [button](win::DialogActions& a) {
            if (button == List::IDC_GRID)
                a.DoubleClickRow(List::IDC_GRID, 2);
            else
                a.Click(button);
            a.Click(IDCANCEL);
        });
        driver->Then(kFormCaption, std::move(form));
        OpenList();
    }
};

// A reinsurer record as the look-up answers it.
_RICompanyStruct Found(const char* code, char property) {
    _RICompanyStruct r = Reinsurer(code, "泰晤桥再保险公司", "Thamesbridge Reinsurance plc", 'A', 'N');
    r.cCompProp = property;
    text::PutField(r.szCountry, "GB");
    return r;
}

std::vector<char> LookupBody(const char* typed) {
    _RICompanyStruct r{};
    text::PutField(r.szRICode, typed);
    return BytesOf(r);
}

TEST_F(Brokers, TheListShowsTheBrokersEntriesUnderItsCode) {
    auto foreign = kEntries;
    text::PutField(foreign[1].szBrokerCode, "ZZ");  // the row still shows the screen's broker
    channel->AnswerRecords(foreign);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        auto cells = Cells(grid);
        ASSERT_EQ(cells.size(), 3u);
        EXPECT_EQ(cells[0],
                  (std::vector<std::string>{"经纪公司代码", "再保公司代码", "再保公司中文名称", "再保公司英文名称",
                                            "再保公司缩写", "性质", "", "", "", "", "", ""}));
        EXPECT_EQ(cells[1], (std::vector<std::string>{"B2", "B205", "阿尔彭格洛再保险公司", "Alpenglow Reinsurance AG",
                                                      "Alpen Re", "B", "Seestrasse 41, 8002 Zurich", "41-44-2081100",
                                                      "41-44-2081101", "Martina Keller", "CH", "AA"}));
        EXPECT_EQ(cells[2][List::COL_BROKER_CODE], "B2");
        EXPECT_EQ(Widths(grid), (std::vector<int>{100, 100, 215, 215, 150, 100, 0, 0, 0, 0, 0, 0}));
        for (int col = 0; col < List::COL_COUNT; ++col)
            EXPECT_EQ(grid.GetFixedFormat(col) == CQXGrid::kAlignCenter, col <= 6) << col;
        EXPECT_TRUE(grid.IsHeaderSort());
        EXPECT_EQ(grid.GetRow(), 1);
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(OpenList(), IDCANCEL);
    _RIAgentStruct key{};
    text::PutField(key.szBrokerCode, "B2");
    ExpectRequest(0, ExpectedHead(216), BytesOf(key.szBrokerCode));
}

TEST_F(Brokers, OpenedByTheHostTheListAsksForTheEmptyBrokerCodeAndAddSaysABrokerMustBeChosen) {
    driver->Then(kListCaption, [](win::DialogActions& a) {
        EXPECT_EQ(GridOf(a, List::IDC_GRID).GetRowCount(), 1);
        a.Click(List::IDC_BTN_ADD);  // no form opens: its save could never work
        a.Escape();
    });
    EXPECT_EQ(Call_Kelmor_Dialog(11, 0), IDCANCEL);
    ExpectRequest(0, ExpectedHead(216), std::vector<char>(5, '\0'));
    EXPECT_EQ(channel->requests.size(), 1u);
    EXPECT_EQ(driver->MessageTexts(), (std::vector<std::string>{List::kNoBroker}));
}

TEST_F(Brokers, AddLooksTheReinsurerUpFillsTheFormAndSendsTheEntry) {
    _RICompanyStruct found = Found("07", 'B');
    // A credit rating wider than the entry's field, a Chinese character across its end.
    std::string credit = "A";
    for (int i = 0; i < 20; ++i) credit += "级";
    text::PutField(found.szCredit, credit);
    channel->AnswerRecords(kEntries);
    channel->AnswerRecords(std::vector<_RICompanyStruct>{found});
    channel->AnswerStatus(0);
    auto after = kEntries;
    after.push_back(Entry("B2", "B207", "泰晤桥再保险公司"));
    channel->AnswerRecords(after);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_ADD);
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        EXPECT_EQ(grid.GetRowCount(), 4);  // read again, nothing twice
        EXPECT_EQ(grid.GetColumnCount(), List::COL_COUNT);
        EXPECT_EQ(grid.GetItemText(0, List::COL_SHORT_NAME), "再保公司缩写");
        a.Click(IDCANCEL);
    });
    const std::string cut = credit.substr(0, 1 + 14 * 3);  // "A" and 14 characters: 29 of 30 bytes
    driver->Then(kFormCaption, [&cut](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_BROKER_CODE), "B2");
        EXPECT_FALSE(a.Enabled(Form::IDC_EDT_BROKER_CODE));
        EXPECT_EQ(a.Text(Form::IDC_EDT_BROKER_NAME), "");
        EXPECT_TRUE(a.Enabled(Form::IDC_EDT_RI_CODE));
        a.Type(Form::IDC_EDT_RI_CODE, "07").Leave(Form::IDC_EDT_RI_CODE);
        EXPECT_EQ(a.Text(Form::IDC_EDT_RI_CODE), "B207");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "泰晤桥再保险公司");
        EXPECT_EQ(a.Text(Form::IDC_EDT_ENG_NAME), "Thamesbridge Reinsurance plc");
        EXPECT_EQ(a.Text(Form::IDC_EDT_COUNTRY), "GB");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CREDIT).str(), cut);
        EXPECT_EQ(a.Text(Form::IDC_CBX_KIND), "B  境外");
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(OpenList(), IDCANCEL);

    EXPECT_EQ(Codes(), (std::vector<int>{216, 3019, 217, 216}));
    ExpectRequest(1, ExpectedHead(3019), LookupBody("07"));
    _RIAgentStruct sent = Entry("B2", "B207", "泰晤桥再保险公司");
    text::PutField(sent.szEngName, "Thamesbridge Reinsurance plc");
    text::PutField(sent.szShortName, "瀚海再");
    text::PutField(sent.szAddress, "上海市浦东新区银城中路188号");
    text::PutField(sent.szPhone, "021-68881001");
    text::PutField(sent.szFax, "021-68881002");
    text::PutField(sent.szContact, "周文斌");
    text::PutField(sent.szCountry, "GB");
    text::PutField(sent.szCredit, cut);
    ExpectRequest(2, ExpectedHead(217, 1, 0), BytesOf(sent));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Brokers, TheLookUpRunsOnlyForTwoCharactersAndFillsOnlyWhatItMeans) {
    channel->AnswerRecords(kEntries);
    channel->AnswerRecords(std::vector<_RICompanyStruct>{Found("07", 'C')});  // a property that is no kind
    channel->AnswerStatus(1);                                                 // no such reinsurer
    channel->FailReceive(kChannelTimeout);
    channel->AnswerRecords(std::vector<_RICompanyStruct>{});  // an answer without a record
    ThroughForm(List::IDC_BTN_ADD, [this](win::DialogActions& a) {
        for (const char* typed : {"0", "071", "0712"})
            a.Type(Form::IDC_EDT_RI_CODE, typed).Leave(Form::IDC_EDT_RI_CODE);
        EXPECT_EQ(channel->requests.size(), 1u);

        a.PickCode(Form::IDC_CBX_KIND, "A").Type(Form::IDC_EDT_RI_CODE, "07").Leave(Form::IDC_EDT_RI_CODE);
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "泰晤桥再保险公司");
        EXPECT_EQ(a.Text(Form::IDC_CBX_KIND), "A  境内");  // the user's choice stays

        for (const char* typed : {"ZZ", "YY", "XX"}) {
            a.Type(Form::IDC_EDT_RI_CODE, typed).Type(Form::IDC_EDT_PHONE, "010-1").Leave(Form::IDC_EDT_RI_CODE);
            EXPECT_EQ(a.Text(Form::IDC_EDT_RI_CODE), typed);  // what the user typed stays
            EXPECT_EQ(a.Text(Form::IDC_EDT_PHONE), "010-1");
        }
        channel->sendResult = kChannelSendFailed;
        a.Type(Form::IDC_EDT_RI_CODE, "WW").Leave(Form::IDC_EDT_RI_CODE);
        channel->sendResult = 0;
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{216, 3019, 3019, 3019, 3019, 216}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"检索再保人信息失败!", "接收数据包失败", "检索再保人信息失败!",
                                                    "发送数据包失败!"}));
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
}

TEST_F(Brokers, ALongBrokerCodeLeavesNoRoomForTheLookedUpCode) {
    channel->AnswerRecords(std::vector<_RIAgentStruct>{});
    channel->AnswerRecords(std::vector<_RICompanyStruct>{Found("07", 'B')});
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_ADD);
        a.Click(IDCANCEL);
    });
    driver->Then(kFormCaption, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_RI_CODE, "07").Leave(Form::IDC_EDT_RI_CODE);
        EXPECT_EQ(a.Text(Form::IDC_EDT_RI_CODE), "07");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "");
        a.Click(IDCANCEL);
    });
    List list;
    list.m_strBrokerCode = "B001";
    list.DoModal();
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"经纪公司代码与再保公司代码合起来超过4位，请直接输入再保公司代码!"}));
}

TEST_F(Brokers, ModifyKeepsTheKeyFixedAndSendsTheChangedEntry) {
    channel->AnswerRecords(kEntries);
    channel->AnswerStatus(0);
    channel->AnswerRecords(kEntries);
    ThroughForm(List::IDC_GRID, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_RI_CODE), "B207");
        EXPECT_FALSE(a.Enabled(Form::IDC_EDT_RI_CODE));  // the entry's key
        EXPECT_EQ(a.Text(Form::IDC_EDT_BROKER_NAME), "艾斯科姆再保险经纪公司");
        EXPECT_EQ(a.Text(Form::IDC_CBX_KIND), "B  境外");
        a.Type(Form::IDC_EDT_PHONE, "44-20-00000000").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    _RIAgentStruct sent = kEntries[1];
    text::PutField(sent.szPhone, "44-20-00000000");
    EXPECT_EQ(Codes(), (std::vector<int>{216, 217, 216}));
    ExpectRequest(1, ExpectedHead(217, 1, 1), BytesOf(sent));
}

TEST_F(Brokers, RequiredFieldsARefusalAndReturnKeepOrEndTheFormAndTheListIsReadAgain) {
    channel->AnswerRecords(kEntries);
    channel->AnswerRecords(std::vector<_RICompanyStruct>{Found("05", 'B')});
    channel->AnswerStatus(1);
    channel->AnswerRecords(kEntries);
    ThroughForm(List::IDC_BTN_ADD, [](win::DialogActions& a) {
        a.Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_RI_CODE);
        a.Type(Form::IDC_EDT_RI_CODE, "B205").Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_SHORT_NAME);
        a.Type(Form::IDC_EDT_SHORT_NAME, "Alpen Re").Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_ENG_NAME);
        a.Type(Form::IDC_EDT_ENG_NAME, "Alpenglow").Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_CBX_KIND);
        a.PickCode(Form::IDC_CBX_KIND, "B").Click(IDOK);  // a code no look-up made
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_RI_CODE);
        a.Type(Form::IDC_EDT_RI_CODE, "05").Leave(Form::IDC_EDT_RI_CODE);
        EXPECT_EQ(a.Text(Form::IDC_EDT_RI_CODE), "B205");
        a.Type(Form::IDC_EDT_ENG_NAME, "Alpenglow").Click(IDOK);  // refused: the entry exists
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(a.Text(Form::IDC_EDT_ENG_NAME), "Alpenglow");
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{216, 3019, 217, 216}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"再保公司代码不能为空，请输入！", "再保公司缩写不能为空，请输入！",
                                                    "再保公司英文名称不能为空，请输入！", "性质不能为空，请输入！",
                                                    kLookUpFirst, RefusalText(217, 0, 1).str()}));
}

TEST_F(Brokers, ANewEntryIsSavedOnlyUnderTheCodeALookUpMade) {
    channel->AnswerRecords(kEntries);
    channel->AnswerRecords(std::vector<_RICompanyStruct>{Found("07", 'B')});
    channel->AnswerStatus(1);  // no reinsurer ZZ
    channel->AnswerRecords(std::vector<_RICompanyStruct>{Found("07", 'B')});
    channel->AnswerStatus(0);
    channel->AnswerRecords(kEntries);
    ThroughForm(List::IDC_BTN_ADD, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_RI_CODE, "07").Leave(Form::IDC_EDT_RI_CODE);
        a.PickCode(Form::IDC_CBX_KIND, "B");
        a.Type(Form::IDC_EDT_RI_CODE, "B2ZZ").Click(IDOK);                             // typed past the look-up
        a.Type(Form::IDC_EDT_RI_CODE, "ZZ").Leave(Form::IDC_EDT_RI_CODE).Click(IDOK);  // the look-up failed
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(a.Text(Form::IDC_EDT_RI_CODE), "ZZ");
        a.Type(Form::IDC_EDT_RI_CODE, "07").Leave(Form::IDC_EDT_RI_CODE).Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Codes(), (std::vector<int>{216, 3019, 3019, 3019, 217, 216}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{kLookUpFirst, "检索再保人信息失败!", kLookUpFirst}));
}

TEST_F(Brokers, DeleteSendsBothCodesAndRemovesTheRow) {
    channel->AnswerRecords(kEntries);
    channel->AnswerStatus(0);
    driver->Answer(IDNO).Answer(IDYES);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        a.ClickRow(List::IDC_GRID, 2).Click(List::IDC_BTN_DELETE).Click(List::IDC_BTN_DELETE);
        EXPECT_EQ(grid.GetRowCount(), 2);
        EXPECT_EQ(grid.GetItemText(1, List::COL_RI_CODE), "B205");
        a.Click(IDCANCEL);
    });
    OpenList();
    _RIAgentStruct key{};
    text::PutField(key.szBrokerCode, "B2");
    text::PutField(key.szRICode, "B207");
    EXPECT_EQ(Codes(), (std::vector<int>{216, 217}));
    ExpectRequest(1, ExpectedHead(217, 1, 2), BytesOf(key));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"是否确定删除该纪录!", "是否确定删除该纪录!", "处理成功!"}));
}

}  // namespace
}  // namespace kel::testing
