// The reinsurer and broker screens against the application server in process, on a
// fresh SQLite file with the demo data, which is also the shared database of the
// code lists: what the user does reaches the store and comes back unchanged.
#include <unistd.h>

#include <filesystem>

#include "common/net/InProcessChannel.h"
#include "frame/Kelmor.h"
#include "host/qxcommon/RefusalText.h"
#include "screens/S0000S4.h"
#include "screens/S0000S40.h"
#include "screens/S0000S400.h"
#include "screens/S0000SV.h"
#include "screens/S0000SV0.h"
#include "screens/tests/DemoServerTest.h"
#include "screens/tests/ReinsurerTestSupport.h"
#include "screens/tests/ScreenTestSupport.h"
#include "server/Server.h"

namespace kel::testing {
namespace {

using List = CS0000S4;
using Form = CS0000S40;
using AccountForm = CS0000S400;
constexpr const char* kListCaption = "再保公司设置[检索]";

int FindRow(const CQXGrid& grid, int col, const char* text) {
    for (int r = 1; r < grid.GetRowCount(); ++r)
        if (grid.GetItemText(r, col) == text) return r;
    return -1;
}

class ReinsurerEndToEnd : public DemoServerTest {
protected:
    // The stored reinsurer `code` (from the whole list) and its accounts.
    std::vector<char> StoredReinsurer(const char* code) {
        std::vector<char> all = Stored(182, nullptr, 0);
        for (std::size_t at = 0; at + sizeof(_RICompanyStruct) <= all.size(); at += sizeof(_RICompanyStruct))
            if (std::string(all.data() + at) == code)
                return std::vector<char>(all.begin() + static_cast<long>(at),
                                         all.begin() + static_cast<long>(at + sizeof(_RICompanyStruct)));
        return {};
    }
    std::vector<char> StoredAccounts(const char* code) {
        char key[5] = {};
        text::PutField(key, code);
        return Stored(215, key, sizeof key);
    }
};

TEST_F(ReinsurerEndToEnd, AReinsurerWithAccountsIsAddedKeptWholeLapsedAndDeleted) {
    auto addAccount = [](const char* currency, const char* bank) {
        return [=](win::DialogActions& a) {
            a.PickCode(AccountForm::IDC_CBX_CURRENCY, currency).Type(AccountForm::IDC_EDT_BANK, bank);
            a.Type(AccountForm::IDC_EDT_ACCOUNT_NO, "6222000011112222").Type(AccountForm::IDC_EDT_PAYEE, "测试再保险");
            a.Type(AccountForm::IDC_EDT_BANK_ADDR, "上海市").Click(IDOK);
        };
    };
    std::vector<char> added, addedAccounts;
    driver->Then(kListCaption, [&](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        a.Click(List::IDC_BTN_ADD);
        int row = FindRow(grid, List::COL_CODE, "ZT");
        ASSERT_GT(row, 0);
        EXPECT_EQ(grid.GetDisplayText(row, List::COL_COUNTRY), "中国");
        EXPECT_EQ(grid.GetDisplayText(row, List::COL_COMP_PROP), "境内");
        added = StoredReinsurer("ZT");
        addedAccounts = StoredAccounts("ZT");
        ASSERT_EQ(addedAccounts.size(), 3 * sizeof(_RIAccountStruct));

        // Modified untouched: the store holds exactly what it held, accounts in order.
        a.DoubleClickRow(List::IDC_GRID, row);
        EXPECT_EQ(StoredReinsurer("ZT"), added);
        EXPECT_EQ(StoredAccounts("ZT"), addedAccounts);

        for (const char* lapsed : {"1", "0"}) {
            a.DoubleClickRow(List::IDC_GRID, FindRow(grid, List::COL_CODE, "ZT"));
            EXPECT_EQ(grid.GetItemText(FindRow(grid, List::COL_CODE, "ZT"), List::COL_LAPSED), lapsed);
        }
        EXPECT_EQ(StoredReinsurer("ZT"), added);
        EXPECT_EQ(StoredAccounts("ZT"), addedAccounts);

        // 01 takes part in the demo treaty data: it stays.
        const int rows = grid.GetRowCount();
        a.ClickRow(List::IDC_GRID, FindRow(grid, List::COL_CODE, "01")).Click(List::IDC_BTN_DELETE);
        EXPECT_EQ(grid.GetRowCount(), rows);
        a.ClickRow(List::IDC_GRID, FindRow(grid, List::COL_CODE, "ZT")).Click(List::IDC_BTN_DELETE);
        EXPECT_EQ(grid.GetRowCount(), rows - 1);
        EXPECT_EQ(FindRow(grid, List::COL_CODE, "ZT"), -1);
        a.Click(IDCANCEL);
    });
    driver->Then("再保公司[新增]", [](win::DialogActions& a) {
        FillHanhai(a);
        a.Type(Form::IDC_EDT_CODE, "ZT").Type(Form::IDC_EDT_CHN_NAME, "测试再保险有限公司");
        a.Caret(Form::IDC_NUM_CAPITAL, 0, 10).Keys(Form::IDC_NUM_CAPITAL, "1234567.5");  // over "120.000000"
        for (int i = 0; i < 3; ++i) a.Click(Form::IDC_BTN_ACC_ADD);
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then("再保公司帐户资料[编辑]", addAccount("03", "北门银行"));
    driver->Then("再保公司帐户资料[编辑]", addAccount("01", "汇川银行"));
    driver->Then("再保公司帐户资料[编辑]", addAccount("03", "莱茵银行"));
    driver->Then("再保公司[修改]", [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_NUM_CAPITAL), "1234567.5");  // stored without its separators
        EXPECT_EQ(GridOf(a, Form::IDC_GRID_ACCOUNT).GetItemText(3, CS0000S40::ACC_BANK), "莱茵银行");
        a.Click(IDOK);
    });
    driver->Then("再保公司[修改]", [](win::DialogActions& a) { a.Click(Form::IDC_CHK_LAPSED).Click(IDOK); });
    driver->Then("再保公司[修改]", [](win::DialogActions& a) {
        EXPECT_EQ(a.Checked(Form::IDC_CHK_LAPSED), BST_CHECKED);
        a.Click(Form::IDC_CHK_LAPSED).Click(IDOK);
    });
    driver->Answer(IDYES).Answer(IDOK).Answer(IDYES);
    Call_Kelmor_Dialog(25005, 0);

    ASSERT_EQ(added.size(), sizeof(_RICompanyStruct));
    _RICompanyStruct record;
    std::memcpy(&record, added.data(), sizeof record);
    EXPECT_EQ(text::GetField(record.szCapital), "1234567.5");
    EXPECT_EQ(record.cLapsed, 'N');
    // The refusal says what the server found: the treaty data that uses 01.
    EXPECT_EQ(driver->MessageTexts(),
              (std::vector<std::string>{"是否确定删除该纪录!",
                                        RefusalText(214, 2, 1).str() + "\n再保人01已用于合约资料M1-2023等8条，不能删除",
                                        "是否确定删除该纪录!", "处理成功!"}));
    EXPECT_TRUE(StoredReinsurer("ZT").empty());
    EXPECT_TRUE(StoredAccounts("ZT").empty());
}

TEST_F(ReinsurerEndToEnd, ABrokersChangeLeadsToItsReinsurersWhereTheLookUpFillsANewEntry) {
    driver->Answer(IDOK);  // change the broker's reinsurers too
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.DoubleClickRow(List::IDC_GRID, FindRow(GridOf(a, List::IDC_GRID), List::COL_CODE, "B1"));
        a.Click(IDCANCEL);
    });
    driver->Then("再保公司[修改]", [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_CBX_COMP_KIND), "B  经纪公司");
        a.Click(IDOK);
    });
    driver->Then("经纪公司设置---检索", [](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, CS0000SV::IDC_GRID);
        EXPECT_EQ(grid.GetRowCount(), 4);  // B101, B103, B114
        a.Click(CS0000SV::IDC_BTN_ADD);
        int row = FindRow(grid, CS0000SV::COL_RI_CODE, "B107");
        ASSERT_GT(row, 0);
        EXPECT_EQ(grid.GetItemText(row, CS0000SV::COL_CHN_NAME), "泰晤桥再保险公司");
        EXPECT_EQ(grid.GetItemText(row, CS0000SV::COL_KIND), "B");  // London: foreign
        EXPECT_EQ(grid.GetItemText(row, CS0000SV::COL_BROKER_CODE), "B1");
        a.Click(IDCANCEL);
    });
    driver->Then("经纪公司设置---编辑", [](win::DialogActions& a) {
        a.Type(CS0000SV0::IDC_EDT_RI_CODE, "07").Leave(CS0000SV0::IDC_EDT_RI_CODE);
        EXPECT_EQ(a.Text(CS0000SV0::IDC_EDT_RI_CODE), "B107");
        EXPECT_EQ(a.Text(CS0000SV0::IDC_CBX_KIND), "B  境外");
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    Call_Kelmor_Dialog(25005, 0);
    EXPECT_EQ(driver->MessageTexts(), (std::vector<std::string>{"你更改了经纪公司信息，要更改下面的再保公司信息吗?"}));

    // Screen 11 of the host has no broker: its list is empty.
    driver->Then("经纪公司设置---检索", [](win::DialogActions& a) {
        EXPECT_EQ(GridOf(a, CS0000SV::IDC_GRID).GetRowCount(), 1);
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Call_Kelmor_Dialog(11, 0), IDCANCEL);
}

}  // namespace
}  // namespace kel::testing
