// The participation form and its sub-reinsurer form, run through the headless
// driver under a stand-in for the treaty data edit screen: its participation
// grid and its broker sub-reinsurer records are what the forms work on.
#include <unistd.h>

#include <filesystem>

#include "common/db/CodeLists.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/ParticipationShare.h"
#include "screens/S0000S700.h"
#include "screens/S0000S7000.h"
#include "screens/ScreenCommon.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using Form = CS0000S700;
using SubForm = CS0000S7000;
constexpr const char* kCaption = "合约资料设置[再保公司参与比例编辑]";
constexpr const char* kSubCaption = "经纪公司所属再保公司";

_ContExtraStruct Extra(const char* broker, const char* sub, const char* subShare, const char* brokerShare,
                       char status = '\0') {
    _ContExtraStruct r{};
    text::PutField(r.szBrokerCode, broker);
    text::PutField(r.szSubRICode, sub);
    text::PutField(r.szSubShare, subShare);
    text::PutField(r.szBrokerShare, brokerShare);
    r.cStatus = status;
    return r;
}

// The edit screen as the forms see it: participants R01 (0.5) and B01 (0.5, a
// broker behind which S01 and S02 stand as records 1 and 2), then the total row.
class Owner : public CWnd, public CReinsListOwner {
public:
    Owner() {
        grid.SetRowCount(1);
        grid.SetColumnCount(6);
        grid.SetFixedRowCount(1);
        AddRow({"R01", "R01", "0.5000", "100.00", "0", "0"});
        AddRow({"B01", "B01", "0.5000", "200.00", "1", "2"});
        AddRow({"合 计", "", "1.0000", "300.00", "", ""});
        const _ContExtraStruct records[] = {Extra("B09", "S09", "0.1", "0.1000", 'D'),
                                            Extra("B01", "S01", "0.3", "0.5000"), Extra("B01", "S02", "0.2", "0.5000")};
        extras.Assign(records, 3);
    }
    void AddRow(std::initializer_list<const char*> cells) {
        int row = grid.InsertRow("", -1);
        int col = 0;
        for (const char* cell : cells) grid.SetItemText(row, col++, cell, 1);
    }
    CQXGrid& GetReinsGrid() override { return grid; }
    kel::mgr::RecordArray<_ContExtraStruct>& GetExtraArray() override { return extras; }

    CQXGrid grid{0, 0, 0, 0};
    kel::mgr::RecordArray<_ContExtraStruct> extras;
};

std::string Status(const _ContExtraStruct& r) { return r.cStatus ? std::string(1, r.cStatus) : std::string(); }

class ParticipationForm : public ScreenTest {
protected:
    static void SetUpTestSuite() {
        dir = std::filesystem::temp_directory_path() / ("kelmor-participation-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::string error;
        std::shared_ptr<db::Connection> db = db::Open((dir / "host.db").string(), &error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(codelist::ApplyCodeListSchema(*db, &error)) << error;
        const char* companies[][3] = {{"R01", "甲再保险", "A"}, {"R02", "乙再保险", "A"}, {"B01", "丙经纪", "B"},
                                      {"B02", "丁经纪", "B"},   {"S01", "戊再保险", "A"}, {"S02", "己再保险", "A"},
                                      {"S03", "庚再保险", "A"}};
        for (const auto& c : companies)
            db->Execute("INSERT INTO t_ri_company (c_ri_cde, c_nme_cn, c_com_kind, c_lapsed) VALUES (?, ?, ?, 'N')",
                        {c[0], c[1], c[2]});
        // The brokers' list knows S01 under another name only, S02 not at all: the
        // form names sub-reinsurers from the list it picks them from.
        db->Execute("INSERT INTO t_ri_agent (c_broker_cde, c_ri_cde, c_nme_cn) VALUES ('B02', 'S01', '别名')");
        SetStaticDatabase(db);
    }
    static void TearDownTestSuite() {
        SetStaticDatabase(nullptr);
        std::filesystem::remove_all(dir);
    }
    static inline std::filesystem::path dir;

    // A form on the owner, as the edit screen opens it for its row `row`.
    void Prepare(Form& form, int row, const char* code, const char* share, const char* limit, int start, int count) {
        form.m_nRowNo = row;
        form.m_strContCode = "QS";
        form.m_strContName = "成数合约";
        form.m_strRICode = code;
        form.m_strShare = share;
        form.m_strLimit = limit;
        form.m_nExtraStart = start;
        form.m_nExtraCount = count;
    }

    Owner owner;
};

TEST_F(ParticipationForm, OpensABrokerWithItsSubReinsurersNamedFromThePickListAndATotalRowThatStaysLast) {
    Form form(&owner);
    Prepare(form, 2, "B01", "0.5000", "200.00", 1, 2);
    driver->Then(kCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_CODE), "QS");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_NAME), "成数合约");
        EXPECT_FALSE(a.Enabled(Form::IDC_EDT_CONT_CODE));
        EXPECT_FALSE(a.Enabled(Form::IDC_EDT_CONT_NAME));
        EXPECT_EQ(a.Text(Form::IDC_CBX_REINSURER), "B01  丙经纪");
        EXPECT_EQ(a.Text(Form::IDC_EDT_SHARE), "0.5000");
        EXPECT_EQ(a.Text(Form::IDC_EDT_LIMIT), "200.00");
        CQXGrid& grid = GridOf(a, Form::IDC_GRID);
        EXPECT_EQ(Cells(grid), (std::vector<std::vector<std::string>>{{"下属再保公司代码", "公司名称", "参与比例"},
                                                                      {"S01", "S01", "0.3000"},
                                                                      {"S02", "S02", "0.2000"},
                                                                      {"合 计", "", "0.5000"}}));
        EXPECT_EQ(grid.GetDisplayText(1, 1), "戊再保险");
        EXPECT_EQ(grid.GetDisplayText(2, 1), "己再保险");
        EXPECT_EQ(Widths(grid), (std::vector<int>{170, 217, 100}));
        EXPECT_EQ(grid.GetItemBkColour(3, 2), screens::kMarkColour);
        a.ClickHeader(Form::IDC_GRID, 0);
        EXPECT_EQ(grid.GetItemText(3, 0), "合 计");
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ParticipationForm, ANewReinsurerGoesBackWithItsShareInFourDecimalsAndNoSubReinsurers) {
    Form form(&owner);
    Prepare(form, -1, "", "", "9999999999.99", 3, 0);
    driver->Then(kCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_LIMIT), "无限额");  // as the list shows no limit
        a.Click(IDOK);                                     // nothing picked
        a.PickCode(Form::IDC_CBX_REINSURER, "R02 ").Leave(Form::IDC_CBX_REINSURER).Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_SHARE);
        a.Type(Form::IDC_EDT_SHARE, "0.25").Click(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"再保公司不能为空，请输入！", "参与比例不能为空，请输入！"}));
    EXPECT_EQ(form.m_strRICode, "R02");
    EXPECT_EQ(form.m_strShare, "0.2500");
    EXPECT_EQ(form.m_strLimit, "9999999999.99");
    EXPECT_EQ(form.m_nExtraStart, 3);
    EXPECT_EQ(form.m_nExtraCount, 0);
    EXPECT_EQ(owner.extras.Count(), 3);
    EXPECT_TRUE(channel->requests.empty());
}

TEST_F(ParticipationForm, ASharesMustLieAboveZeroAndAtMostOneAsFourDecimalsShowIt) {
    Form form(&owner);
    Prepare(form, -1, "R02", "0.00004", "", 3, 0);
    driver->Then(kCaption, [](win::DialogActions& a) {
        a.Click(IDOK);  // 0.00004 reads 0.0000 where shares are compared
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_SHARE);
        a.Type(Form::IDC_EDT_SHARE, "0").Click(IDOK);
        a.Type(Form::IDC_EDT_SHARE, "1.0001").Click(IDOK);
        a.Type(Form::IDC_EDT_SHARE, "-").Click(IDOK);
        a.Type(Form::IDC_EDT_SHARE, "1").Click(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"份额必须大于0小于等于1。", "份额必须大于0小于等于1。",
                                                    "份额必须大于0小于等于1。", "参与比例不是有效的数字，请修改!"}));
    EXPECT_EQ(form.m_strShare, "1.0000");
}

TEST_F(ParticipationForm, AnUntouchedOkChangesNoValue) {
    // A share stored with more digits than the form types keeps them; the limit too.
    Form form(&owner);
    Prepare(form, 1, "R01", "0.123456", "1234567.891", 0, 0);
    driver->Then(kCaption, [](win::DialogActions& a) { a.Click(IDOK); });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(form.m_strShare, "0.123456");
    EXPECT_EQ(form.m_strLimit, "1234567.891");
}

TEST_F(ParticipationForm, TheLimitMustBeANumberOfZeroOrMore) {
    Form form(&owner);
    Prepare(form, 1, "R01", "0.5000", "100.00", 0, 0);
    driver->Then(kCaption, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_LIMIT, "-").Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_LIMIT);
        a.Type(Form::IDC_EDT_LIMIT, "-5").Click(IDOK);
        a.Type(Form::IDC_EDT_LIMIT, "1234567").Click(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"接受限额不是有效的数字，请修改!", "接受限额不能小于0，请修改!"}));
    EXPECT_EQ(form.m_strLimit, "1234567");
}

TEST_F(ParticipationForm, TheDuplicateTestReadsTheCodeTheComboShowsAndSkipsTheEditedRow) {
    Form same(&owner);  // the row's own reinsurer is no duplicate
    Prepare(same, 1, "R01", "0.5000", "100.00", 0, 0);
    driver->Then(kCaption, [](win::DialogActions& a) { a.Click(IDOK); });
    EXPECT_EQ(same.DoModal(), IDOK);

    Form other(&owner);
    Prepare(other, 1, "R01", "0.5000", "100.00", 0, 0);
    driver->Then(kCaption, [](win::DialogActions& a) {
        a.Leave(Form::IDC_CBX_REINSURER);                         // R01 held from this focus change
        a.PickCode(Form::IDC_CBX_REINSURER, "B01 ").Click(IDOK);  // picked, never left: still tested
        EXPECT_EQ(a.FocusID(), Form::IDC_CBX_REINSURER);
        a.PickCode(Form::IDC_CBX_REINSURER, "R02 ").Click(IDOK);
    });
    EXPECT_EQ(other.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"再保人号已存在！"}));
    EXPECT_EQ(other.m_strRICode, "R02");
}

TEST_F(ParticipationForm, ABrokersSubReinsurersMustAddUpToItsShareAndReplaceItsRecordsOnOk) {
    Form form(&owner);
    Prepare(form, 2, "B01", "0.5000", "200.00", 1, 2);
    driver->Then(kCaption, [](win::DialogActions& a) {
        a.Click(Form::IDC_BTN_ADD);  // S03 0.1: the total reads 0.6000
        CQXGrid& grid = GridOf(a, Form::IDC_GRID);
        EXPECT_EQ(Cells(grid).back(), (std::vector<std::string>{"合 计", "", "0.6000"}));
        EXPECT_EQ(grid.GetItemText(3, 0), "S03");
        EXPECT_EQ(grid.GetDisplayText(3, 1), "庚再保险");
        EXPECT_EQ(grid.GetItemText(3, 2), "0.1000");  // typed 0.1: shown as the column shows shares
        a.Click(IDOK);                                // 0.6000 against 0.5000
        EXPECT_FALSE(a.Ended());
        a.ClickRow(Form::IDC_GRID, 1).Click(Form::IDC_BTN_MODIFY);  // S01 0.3 -> 0.2
        EXPECT_EQ(Cells(grid).back(), (std::vector<std::string>{"合 计", "", "0.5000"}));
        a.Click(IDOK);
    });
    driver->Then(kSubCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(SubForm::IDC_EDT_CONT_CODE), "QS");
        EXPECT_EQ(a.Text(SubForm::IDC_EDT_CONT_NAME), "成数合约");
        EXPECT_EQ(a.Text(SubForm::IDC_CBX_REINSURER), "");
        a.PickCode(SubForm::IDC_CBX_REINSURER, "S03 ").Type(SubForm::IDC_EDT_SHARE, "0.1").Click(IDOK);
    });
    driver->Then(kSubCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(SubForm::IDC_CBX_REINSURER), "S01  戊再保险");
        EXPECT_EQ(a.Text(SubForm::IDC_EDT_SHARE), "0.3000");
        a.Type(SubForm::IDC_EDT_SHARE, "0.2").Click(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"经纪人下属再保人份额合计必须等于经纪人份额!"}));

    // The old records retired, the new ones appended after everything there was.
    EXPECT_EQ(form.m_nExtraStart, 3);
    EXPECT_EQ(form.m_nExtraCount, 3);
    ASSERT_EQ(owner.extras.Count(), 6);
    EXPECT_EQ(Status(owner.extras[0]), "D");
    EXPECT_EQ(Status(owner.extras[1]), "D");
    EXPECT_EQ(Status(owner.extras[2]), "D");
    const char* expected[][3] = {{"S01", "0.2000"}, {"S02", "0.2000"}, {"S03", "0.1000"}};
    for (int i = 0; i < 3; ++i) {
        const _ContExtraStruct& r = owner.extras[3 + i];
        EXPECT_EQ(text::GetField(r.szBrokerCode), "B01");
        EXPECT_EQ(text::GetField(r.szSubRICode), expected[i][0]);
        EXPECT_EQ(text::GetField(r.szSubShare), expected[i][1]);
        EXPECT_EQ(text::GetField(r.szBrokerShare), "0.5000");
        EXPECT_EQ(Status(r), "A");
    }
}

TEST_F(ParticipationForm, FourDecimalTotalsDecideAndACancelLeavesTheOwnerUntouched) {
    Form form(&owner);
    Prepare(form, 2, "B01", "0.5000", "200.00", 1, 2);
    driver->Then(kCaption, [](win::DialogActions& a) {
        // 0.3333 + 0.1667 reads 0.5000, as the broker's share does.
        a.ClickRow(Form::IDC_GRID, 1).Click(Form::IDC_BTN_MODIFY);
        a.ClickRow(Form::IDC_GRID, 2).Click(Form::IDC_BTN_MODIFY);
        EXPECT_EQ(GridOf(a, Form::IDC_GRID).GetItemText(3, 2), "0.5000");
        a.Click(Form::IDC_BTN_ADD);  // cancelled: nothing changes
        a.Click(IDCANCEL);
    });
    driver->Then(kSubCaption, [](win::DialogActions& a) { a.Type(SubForm::IDC_EDT_SHARE, "0.3333").Click(IDOK); });
    driver->Then(kSubCaption, [](win::DialogActions& a) { a.Type(SubForm::IDC_EDT_SHARE, "0.1667").Click(IDOK); });
    driver->Then(kSubCaption, [](win::DialogActions& a) { a.Click(IDCANCEL); });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    ASSERT_EQ(owner.extras.Count(), 3);
    EXPECT_EQ(Status(owner.extras[1]), "");
    EXPECT_EQ(text::GetField(owner.extras[1].szSubShare), "0.3");
}

TEST_F(ParticipationForm, SubReinsurerRowsAreChosenBeforeAModifyOrDeleteAndTheLastDeleteTakesTheTotalRow) {
    Form form(&owner);
    Prepare(form, 2, "B01", "0.5000", "200.00", 1, 2);
    driver->Then(kCaption, [](win::DialogActions& a) {
        a.Click(Form::IDC_BTN_MODIFY);                                                          // no row
        a.ClickRow(Form::IDC_GRID, 3).Click(Form::IDC_BTN_MODIFY).Click(Form::IDC_BTN_DELETE);  // the total row
        a.ClickRow(Form::IDC_GRID, 1).Click(Form::IDC_BTN_DELETE);                              // answered No
        CQXGrid& grid = GridOf(a, Form::IDC_GRID);
        EXPECT_EQ(grid.GetRowCount(), 4);
        a.ClickRow(Form::IDC_GRID, 1).Click(Form::IDC_BTN_DELETE);
        EXPECT_EQ(Cells(grid).back(), (std::vector<std::string>{"合 计", "", "0.2000"}));
        a.ClickRow(Form::IDC_GRID, 1).Click(Form::IDC_BTN_DELETE);
        EXPECT_EQ(grid.GetRowCount(), 1);
        a.Click(IDOK);  // no sub-reinsurers: no total test
    });
    driver->Answer(IDOK).Answer(IDOK).Answer(IDOK).Answer(IDNO).Answer(IDYES).Answer(IDYES);
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"请选择要修改的记录！", "请选择要修改的记录！", "请选择要删除的记录！",
                                        "是否删除选择的记录?", "是否删除选择的记录?", "是否删除选择的记录?"}));
    const auto& box = driver->MessageBoxes()[3].request;
    EXPECT_EQ(box.caption, "再保公司设置");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(form.m_nExtraCount, 0);
    EXPECT_EQ(Status(owner.extras[1]), "D");
    EXPECT_EQ(Status(owner.extras[2]), "D");
    EXPECT_EQ(owner.extras.Count(), 3);
}

TEST_F(ParticipationForm, TheSubReinsurerFormRefusesADuplicateAndAShareOutOfRangeAndSkipsTheRowEdited) {
    Form form(&owner);
    Prepare(form, 2, "B01", "0.5000", "200.00", 1, 2);
    driver->Then(kCaption, [](win::DialogActions& a) {
        a.ClickRow(Form::IDC_GRID, 2).Click(Form::IDC_BTN_MODIFY);
        a.ClickRow(Form::IDC_GRID, 2).Click(Form::IDC_BTN_MODIFY);
        EXPECT_EQ(Cells(GridOf(a, Form::IDC_GRID))[2], (std::vector<std::string>{"S03", "S03", "0.2000"}));
        a.Click(IDCANCEL);
    });
    driver->Then(kSubCaption, [](win::DialogActions& a) {
        a.Click(IDOK);  // S02, the row edited, is no duplicate of itself
        EXPECT_TRUE(a.Ended());
    });
    driver->Then(kSubCaption, [](win::DialogActions& a) {
        a.PickCode(SubForm::IDC_CBX_REINSURER, "S01 ").Click(IDOK);
        EXPECT_EQ(a.FocusID(), SubForm::IDC_CBX_REINSURER);
        a.PickCode(SubForm::IDC_CBX_REINSURER, "S03 ").Type(SubForm::IDC_EDT_SHARE, "0").Click(IDOK);
        EXPECT_EQ(a.FocusID(), SubForm::IDC_EDT_SHARE);
        a.Type(SubForm::IDC_EDT_SHARE, "").Click(IDOK);
        a.Type(SubForm::IDC_EDT_SHARE, "0.20").Click(IDOK);  // goes back as typed
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"下属再保人号已存在！", "份额必须大于0小于等于1。",
                                                    "参与比例不能为空，请输入！"}));
}

TEST_F(ParticipationForm, AReinsurerTakesNoSubReinsurers) {
    Form form(&owner);
    Prepare(form, 1, "R01", "0.5000", "100.00", 0, 0);
    driver->Then(kCaption, [](win::DialogActions& a) {
        a.Click(Form::IDC_BTN_ADD);  // R01 is a reinsurer: no form opens
        EXPECT_EQ(a.FocusID(), Form::IDC_CBX_REINSURER);
        a.PickCode(Form::IDC_CBX_REINSURER, "B02 ").Click(Form::IDC_BTN_ADD);
        a.PickCode(Form::IDC_CBX_REINSURER, "R02 ").Click(IDOK);  // a reinsurer with a sub-reinsurer
        a.PickCode(Form::IDC_CBX_REINSURER, "B02 ").Click(IDOK);
    });
    driver->Then(kSubCaption, [](win::DialogActions& a) {
        a.PickCode(SubForm::IDC_CBX_REINSURER, "S01 ").Type(SubForm::IDC_EDT_SHARE, "0.5").Click(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"再保公司R01不是经纪公司，不能有下属再保公司！",
                                                    "再保公司R02不是经纪公司，不能有下属再保公司！"}));
    EXPECT_EQ(form.m_strRICode, "B02");
    EXPECT_EQ(form.m_nExtraCount, 1);
    EXPECT_EQ(text::GetField(owner.extras[3].szBrokerCode), "B02");
}

}  // namespace
}  // namespace kel::testing
