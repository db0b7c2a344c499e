// The field tables of the records still to get their screens, run over a form and a
// grid: the treaty data record (numbers, per cents, dates, check boxes, codes) and
// the reinsurer record (22 columns, letters shown as words, code-list columns).
#include <cstring>

#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXDateTime.h"
#include "host/win/DialogTemplate.h"
#include "screens/FieldTable.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using kel::screens::FieldsOf;
using kel::screens::FieldTable;
using kel::screens::LetterWord;

// Numbers of packed records are compared as values (+r.dX): a reference to one may
// be misaligned.

enum : int {
    IDD_TREATY = 6101,
    IDC_CODE = 1001,
    IDC_CONT_NO = 1002,
    IDC_TYPE_TEXT = 1003,
    IDC_CURRENCY = 1004,
    IDC_QUOTA = 1005,
    IDC_CASH = 1006,
    IDC_LINES = 1007,
    IDC_COMM_TAX = 1008,
    IDC_NET_PREM = 1009,
    IDC_START = 1010,
    IDC_CANCEL = 1011,
    IDC_GRID = 9999,
};

// Part of the treaty data record, as its edit form and its search grid show it.
const FieldTable<_ContInfoStruct>& TreatyFields() {
    using F = FieldsOf<_ContInfoStruct>;
    using R = _ContInfoStruct;
    static const FieldTable<R> table{
        F::Code(&R::szContCode, "合约代码").Control(IDC_CODE).Column(0),
        F::Date(&R::szStartDate, "起始日期").Control(IDC_START).Column(1),
        F::Date(&R::szCancelDate, "合同注销时限").Control(IDC_CANCEL).Column(25),
        F::Text(&R::szLeadRICode, "首席再保人").Column(4).CodeList(20313),
        F::Int(&R::nContId, "合约编号").Column(6),
        F::Int(&R::nContId, "合约编号").Column(29).NotReadBack(),
        F::Int(&R::nLines, "线数").Control(IDC_LINES).Column(7).Bounded(records::kCountBound),
        F::Percent(&R::dQuotaRatio, "成数比例").Control(IDC_QUOTA).Column(12).Bounded(records::kFractionBound),
        F::Real(&R::dCashLossLimit, "现金赔款起点").Control(IDC_CASH).Column(18).Bounded(records::kAmountBound),
        F::Text(&R::szLimitCurr, "合同限额币种").Control(IDC_CURRENCY).Column(24),
        F::Flag(&R::cCommInclTax, "手续费含税").Control(IDC_COMM_TAX).Column(27),
        F::Text(&R::szContTypeName, "合约类型").Control(IDC_TYPE_TEXT).Column(28).NotSaved(),
        F::Text(&R::szContNo, "合同号").Control(IDC_CONT_NO).Column(30).TrimRight(),
        F::Flag(&R::cNetPremFlag, "净费分保").Control(IDC_NET_PREM).Column(33),
    };
    return table;
}

_ContInfoStruct Treaty() {
    _ContInfoStruct r{};
    r.nContId = 17;
    r.nLines = 3;
    r.dQuotaRatio = 0.123456;  // more decimals than any screen shows
    r.dCashLossLimit = 1500;
    r.cCommInclTax = '1';
    r.cNetPremFlag = '0';
    text::PutField(r.szContCode, "Q1");
    text::PutField(r.szStartDate, "20240131");
    text::PutField(r.szLimitCurr, "02");
    text::PutField(r.szLeadRICode, "B1");
    text::PutField(r.szContTypeName, "成数合约");
    text::PutField(r.szContNo, "QS-2024   ");
    return r;
}

class TreatyForm : public CBASEBASE {
public:
    TreatyForm() : CBASEBASE(IDD_TREATY, nullptr) {
        static const bool registered = [] {
            win::TemplateBuilder(IDD_TREATY, "合约资料")
                .Label(-1, "合约代码:", 0, 0)
                .Edit(IDC_CODE, 0, 1, 1, ES_UPPERCASE)
                .Label(-1, "合同号:", 1, 0)
                .Edit(IDC_CONT_NO, 1, 1)
                .Label(-1, "合约类型:", 2, 0)
                .Edit(IDC_TYPE_TEXT, 2, 1)
                .Label(-1, "合同限额币种:", 3, 0)
                .Combo(IDC_CURRENCY, 3, 1)
                .Label(-1, "成数比例:", 4, 0)
                .Edit(IDC_QUOTA, 4, 1)
                .Label(-1, "现金赔款起点:", 5, 0)
                .Edit(IDC_CASH, 5, 1)
                .Label(-1, "线数:", 6, 0)
                .Edit(IDC_LINES, 6, 1)
                .Check(IDC_COMM_TAX, "手续费含税", 7, 0)
                .Check(IDC_NET_PREM, "净费分保", 7, 1)
                .Label(-1, "起始日期:", 8, 0)
                .Date(IDC_START, 8, 1)
                .Label(-1, "合同注销时限:", 9, 0)
                .Date(IDC_CANCEL, 9, 1)
                .Grid(IDC_GRID, 10, 0, 1, 2)
                .Button(IDCANCEL, "返回", 11, 1)
                .Register();
            return true;
        }();
        (void)registered;
    }
    BOOL OnInitDialog() override {
        m_Grid.SubclassDlgItem(IDC_GRID, this);
        CBASEBASE::OnInitDialog();
        auto* currency = static_cast<CComboBox*>(GetDlgItem(IDC_CURRENCY));
        for (const char* item : {"", "01  人民币", "02  港币", "03  美元"}) currency->AddString(item);
        for (int id : {IDC_START, IDC_CANCEL})
            static_cast<CQXDateTime*>(GetDlgItem(id))->Format(CQXDateTime::kDateMask);
        m_Grid.SetRowCount(1);
        m_Grid.SetColumnCount(35);
        m_Grid.SetFixedRowCount(1);
        return TRUE;
    }
    CQXGrid m_Grid{0, 0, 0, 0};
};

class FieldTables : public ScreenTest {
protected:
    // Runs the treaty form with `script`, which ends by closing it.
    void WithForm(std::function<void(TreatyForm&, win::DialogActions&)> script) {
        TreatyForm form;
        driver->Then("合约资料", [&](win::DialogActions& a) {
            script(form, a);
            a.Click(IDCANCEL);
        });
        form.DoModal();
    }
};

// ---- forms

TEST_F(FieldTables, AFormShowsEachFieldAsItsKindAndSavedUntouchedStoresWhatItLoaded) {
    WithForm([](TreatyForm& form, win::DialogActions& a) {
        const _ContInfoStruct loaded = Treaty();
        TreatyFields().LoadForm(form, loaded);
        EXPECT_EQ(a.Text(IDC_CODE), "Q1");
        EXPECT_EQ(a.Text(IDC_CONT_NO), "QS-2024");  // trailing blanks go
        EXPECT_EQ(a.Text(IDC_TYPE_TEXT), "成数合约");
        EXPECT_EQ(a.Text(IDC_CURRENCY), "02  港币");
        EXPECT_EQ(a.Text(IDC_QUOTA), "12.3456");  // a per cent, every digit kept
        EXPECT_EQ(a.Text(IDC_CASH), "1500.00");
        EXPECT_EQ(a.Text(IDC_LINES), "3");
        EXPECT_EQ(a.Checked(IDC_COMM_TAX), BST_CHECKED);
        EXPECT_EQ(a.Checked(IDC_NET_PREM), BST_UNCHECKED);
        EXPECT_EQ(a.Text(IDC_START), "2024/01/31");
        EXPECT_EQ(a.Text(IDC_CANCEL), "");

        // What the form does not show keeps what the record held; the treaty type
        // text is shown but never taken back.
        _ContInfoStruct saved{};
        saved.nContId = 99;
        ASSERT_TRUE(TreatyFields().SaveForm(form, saved));
        _ContInfoStruct expected = loaded;
        std::memset(expected.szLeadRICode, 0, sizeof expected.szLeadRICode);
        std::memset(expected.szContTypeName, 0, sizeof expected.szContTypeName);
        text::PutField(expected.szContNo, "QS-2024");
        expected.nContId = 99;
        EXPECT_EQ(BytesOf(saved), BytesOf(expected));
        EXPECT_EQ(+saved.dQuotaRatio, 0.123456);
    });
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FieldTables, WhatTheUserTypesIsStoredInTheRecordsOwnTerms) {
    WithForm([](TreatyForm& form, win::DialogActions& a) {
        TreatyFields().LoadForm(form, Treaty());
        a.Type(IDC_QUOTA, "12.5").Type(IDC_CASH, "").Type(IDC_LINES, " 4 ").Type(IDC_CONT_NO, "QS-2025  ");
        a.Click(IDC_COMM_TAX).Click(IDC_NET_PREM).PickCode(IDC_CURRENCY, "03");
        a.Type(IDC_START, "20250301").Type(IDC_CANCEL, "20251231");
        _ContInfoStruct saved{};
        ASSERT_TRUE(TreatyFields().SaveForm(form, saved));
        EXPECT_EQ(+saved.dQuotaRatio, 0.125);
        EXPECT_EQ(+saved.dCashLossLimit, 0.0);  // an empty number is 0
        EXPECT_EQ(+saved.nLines, 4);
        EXPECT_EQ(saved.cCommInclTax, '0');
        EXPECT_EQ(saved.cNetPremFlag, '1');
        EXPECT_EQ(text::GetField(saved.szLimitCurr), "03");
        EXPECT_EQ(text::GetField(saved.szContNo), "QS-2025");
        EXPECT_EQ(text::GetField(saved.szStartDate), "20250301");
        EXPECT_EQ(text::GetField(saved.szCancelDate), "20251231");
    });
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FieldTables, WhatTheRecordCannotHoldIsRefusedNamingTheFieldAndNothingIsStored) {
    struct Case {
        int id;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {IDC_QUOTA, "12,5", "成数比例不是有效的数字，请修改!"},
        {IDC_LINES, "2147483648", "线数不是有效的整数，请修改!"},
        {IDC_START, "202402", "起始日期不是有效的日期，请修改!"},  // a date cut short
        {IDC_START, "20240230", "起始日期不是有效的日期，请修改!"},
        {IDC_CONT_NO, "QS-2024-ABCD", "合同号过长（最多11个字节），请修改!"},
        {IDC_CONT_NO, "QS😀", "合同号中的字符“😀”无法保存，请修改!"},
        {IDC_CODE, "合", "合约代码必须是两位大写字母或数字，请修改!"},
    };
    std::vector<std::string> expected;
    WithForm([&](TreatyForm& form, win::DialogActions& a) {
        for (const Case& c : cases) {
            TreatyFields().LoadForm(form, Treaty());
            a.Type(c.id, c.typed);
            form.GetDlgItem(IDC_CASH)->SetFocus();
            _ContInfoStruct saved = Treaty();
            EXPECT_FALSE(TreatyFields().SaveForm(form, saved)) << c.typed;
            EXPECT_EQ(BytesOf(saved), BytesOf(Treaty())) << c.typed;
            EXPECT_EQ(a.FocusID(), c.id) << c.typed;
            expected.push_back(c.message);
        }
        // A code the user cannot change is not held to the rule.
        TreatyFields().LoadForm(form, Treaty());
        a.Type(IDC_CODE, "合");
        form.GetDlgItem(IDC_CODE)->EnableWindow(FALSE);
        _ContInfoStruct saved{};
        EXPECT_TRUE(TreatyFields().SaveForm(form, saved));
        EXPECT_EQ(text::GetField(saved.szContCode), "合");
    });
    EXPECT_EQ(Messages(), expected);
    for (const auto& box : driver->MessageBoxes()) EXPECT_EQ(box.request.type, MB_OK | MB_ICONEXCLAMATION);
}

TEST_F(FieldTables, ANumberBeyondItsBoundIsRefusedAtTheSaveAndItsEdgeIsTaken) {
    struct Case {
        int id;
        const char* typed;
        const char* message;  // nullptr: taken
    };
    const Case cases[] = {
        {IDC_CASH, "9999999999999.99", nullptr},
        {IDC_CASH, "10000000000000", "现金赔款起点不能大于9999999999999.99，请修改!"},
        {IDC_CASH, "99999999999999999999.999", "现金赔款起点不能大于9999999999999.99，请修改!"},
        {IDC_CASH, "-0.01", "现金赔款起点不能小于0，请修改!"},
        {IDC_CASH, "0", nullptr},
        {IDC_QUOTA, "100", nullptr},
        {IDC_QUOTA, "100.0001", "成数比例必须在0到100之间，请修改!"},
        {IDC_QUOTA, "-1", "成数比例必须在0到100之间，请修改!"},
        {IDC_LINES, "-1", "线数不能小于0，请修改!"},
    };
    std::vector<std::string> expected;
    WithForm([&](TreatyForm& form, win::DialogActions& a) {
        for (const Case& c : cases) {
            TreatyFields().LoadForm(form, Treaty());
            a.Type(c.id, c.typed);
            _ContInfoStruct saved = Treaty();
            EXPECT_EQ(TreatyFields().SaveForm(form, saved), c.message == nullptr) << c.typed;
            if (c.message) {
                EXPECT_EQ(BytesOf(saved), BytesOf(Treaty())) << c.typed;
                EXPECT_EQ(a.FocusID(), c.id) << c.typed;
                EXPECT_EQ(a.Text(c.id), c.typed);  // the form keeps what was typed
                expected.push_back(c.message);
            }
        }
        // A field nobody can change goes back as it came, whatever it holds.
        _ContInfoStruct odd = Treaty();
        odd.dCashLossLimit = 1e20;
        TreatyFields().LoadForm(form, odd);
        form.GetDlgItem(IDC_CASH)->EnableWindow(FALSE);
        _ContInfoStruct saved{};
        EXPECT_TRUE(TreatyFields().SaveForm(form, saved));
        EXPECT_EQ(+saved.dCashLossLimit, 1e20);
    });
    EXPECT_EQ(Messages(), expected);
}

// ---- grids

TEST_F(FieldTables, AGridRowShowsTheRecordAndReadsBackBitForBit) {
    WithForm([](TreatyForm& form, win::DialogActions&) {
        CQXGrid& grid = form.m_Grid;
        const int row = grid.InsertRow("", -1);
        _ContInfoStruct record = Treaty();
        record.dCashLossLimit = 0.25;
        TreatyFields().FillRow(grid, row, record);
        EXPECT_EQ(grid.GetItemText(row, 0), "Q1");
        EXPECT_EQ(grid.GetItemText(row, 1), "20240131");
        EXPECT_EQ(grid.GetItemText(row, 6), "17");
        EXPECT_EQ(grid.GetItemText(row, 12), "0.123456");  // fractions stay fractions in grids
        EXPECT_EQ(grid.GetItemText(row, 18), "0.2500");    // "%-5.4f"
        EXPECT_EQ(grid.GetItemText(row, 27), "1");
        EXPECT_EQ(grid.GetItemText(row, 30), "QS-2024");
        EXPECT_EQ(grid.GetColumnType(4), CQXGrid::kColumnCode);
        EXPECT_EQ(grid.GetColumnType(0), CQXGrid::kColumnText);

        grid.SetItemText(row, 29, "-1");  // a column shown twice is read once
        _ContInfoStruct back{};
        ASSERT_TRUE(TreatyFields().ReadRow(form, grid, row, back));
        EXPECT_EQ(+back.nContId, 17);
        EXPECT_EQ(+back.dQuotaRatio, 0.123456);
        EXPECT_EQ(+back.dCashLossLimit, 0.25);
        EXPECT_EQ(text::GetField(back.szLeadRICode), "B1");
        EXPECT_EQ(text::GetField(back.szContTypeName), "成数合约");  // the form does not save it; the row carries it
        EXPECT_EQ(text::GetField(back.szContNo), "QS-2024");

        // A cell that does not fit its field leaves the record as it was.
        grid.SetItemText(row, 12, "12%");
        _ContInfoStruct kept = Treaty();
        EXPECT_FALSE(TreatyFields().ReadRow(form, grid, row, kept));
        EXPECT_EQ(BytesOf(kept), BytesOf(Treaty()));

        form.m_nGridCbxCount = 0;
        TreatyFields().RegisterCodeColumns(form, grid);
        ASSERT_EQ(form.m_nGridCbxCount, 1);
        EXPECT_EQ(form.m_stGridCbx[0].nCol, 4);
        EXPECT_EQ(form.m_stGridCbx[0].nCodeListID, 20313);
        EXPECT_EQ(form.m_stGridCbx[0].nMode, 2);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"成数比例不是有效的数字，请修改!"}));
}

// The reinsurer list: every field of the record in its own column, in record order.
const FieldTable<_RICompanyStruct>& ReinsurerFields() {
    using F = FieldsOf<_RICompanyStruct>;
    using R = _RICompanyStruct;
    static constexpr LetterWord kKinds[] = {{'A', "再保公司"}, {'B', "经纪公司"}};
    static constexpr LetterWord kLapsed[] = {{'N', "0"}, {'Y', "1"}};
    static const FieldTable<R> table{
        F::Text(&R::szRICode, "代码").Column(0),
        F::Text(&R::szChnName, "中文名称").Column(1),
        F::Text(&R::szEngName, "英文名称").Column(2),
        F::Text(&R::szShortName, "缩写").Column(3),
        F::Text(&R::szAddress, "地址").Column(4),
        F::Text(&R::szPhone, "电话号码").Column(5),
        F::Text(&R::szFax, "传真号码").Column(6),
        F::Letter(&R::cBusiType, "业务类型").Column(7),
        F::Letter(&R::cCompProp, "公司属性").Column(8).CodeList(20317),
        F::Letter(&R::cBillType, "账单类型").Column(9),
        F::Letter(&R::cPayMode, "付款方式").Column(10),
        F::Letter(&R::cCompKind, "业务来源性质").Column(11).Words(kKinds),
        F::Text(&R::szContact, "联系人").Column(12),
        F::Text(&R::szCountry, "国家地区").Column(13).CodeList(20142),
        F::Text(&R::szCredit, "信用等级").Column(14),
        F::Text(&R::szSPRating, "S&P评级").Column(15),
        F::Text(&R::szAMBestRating, "A.M.Best评级").Column(16),
        F::Text(&R::szSolvency, "偿付能力").Column(17),
        F::Letter(&R::cRelation, "关联方关系").Column(18),
        F::Text(&R::szReserveFund, "公积金").Column(19),
        F::Text(&R::szCapital, "资本金").Column(20),
        F::Flag(&R::cLapsed, "是否失效", 'Y', 'N').Column(21).Words(kLapsed),
    };
    return table;
}

TEST_F(FieldTables, TwentyTwoColumnsWithWordsAndCodesMakeTheReinsurerRecordAgain) {
    WithForm([](TreatyForm& form, win::DialogActions&) {
        CQXGrid& grid = form.m_Grid;
        grid.SetColumnCount(22);
        _RICompanyStruct r{};
        text::PutField(r.szRICode, "B1");
        text::PutField(r.szChnName, "东方再保险经纪");
        text::PutField(r.szAddress, std::string(250, '#'));
        r.cBusiType = 'I';
        r.cCompProp = '1';
        r.cCompKind = 'X';  // any kind but A is a broker
        text::PutField(r.szCountry, "CN");
        text::PutField(r.szReserveFund, "12.500000");
        r.cLapsed = 'Q';  // any flag but N is lapsed
        const int row = grid.InsertRow("", -1);
        ReinsurerFields().FillRow(grid, row, r);
        std::vector<std::string> cells;
        for (int col = 0; col < 22; ++col) cells.push_back(grid.GetItemText(row, col).str());
        EXPECT_EQ(cells, (std::vector<std::string>{"B1",
                                                   "东方再保险经纪",
                                                   "",
                                                   "",
                                                   std::string(250, '#'),
                                                   "",
                                                   "",
                                                   "I",
                                                   "1",
                                                   "",
                                                   "",
                                                   "经纪公司",
                                                   "",
                                                   "CN",
                                                   "",
                                                   "",
                                                   "",
                                                   "",
                                                   "",
                                                   "12.500000",
                                                   "",
                                                   "1"}));
        EXPECT_EQ(grid.GetColumnType(8), CQXGrid::kColumnCode);
        EXPECT_EQ(grid.GetColumnType(13), CQXGrid::kColumnCode);

        _RICompanyStruct back{};
        ASSERT_TRUE(ReinsurerFields().ReadRow(form, grid, row, back));
        _RICompanyStruct expected = r;
        expected.cCompKind = 'B';
        expected.cLapsed = 'Y';
        EXPECT_EQ(BytesOf(back), BytesOf(expected));

        grid.SetItemText(row, 11, "再保公司");
        grid.SetItemText(row, 21, "0");
        grid.SetItemText(row, 2, std::string(61, 'e').c_str());  // one byte beyond the field
        EXPECT_FALSE(ReinsurerFields().ReadRow(form, grid, row, back));
        grid.SetItemText(row, 2, "Eastern Re Brokers");
        ASSERT_TRUE(ReinsurerFields().ReadRow(form, grid, row, back));
        EXPECT_EQ(back.cCompKind, 'A');
        EXPECT_EQ(back.cLapsed, 'N');
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"英文名称过长（最多60个字节），请修改!"}));
}

}  // namespace
}  // namespace kel::testing
