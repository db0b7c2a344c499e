#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/db/CodeLists.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxcommon/StaticDatabase.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/testing/HeadlessDriver.h"

namespace {

enum : int {
    IDD_FORM = 6001,
    IDC_CODE = 1001,
    IDC_NAME = 1002,
    IDC_LAPSED = 1004,
    IDC_AMOUNT = 1005,
    IDC_TYPE = 1006,
    IDC_MISSING = 4444,
    IDC_CURRENCY = 20108,
    IDC_PRODUCT = 20265,
    IDC_GRID = 9999,
};

void RegisterForm() {
    win::TemplateBuilder(IDD_FORM, "基础表单")
        .Label(-1, "代    码:", 0, 0)
        .Edit(IDC_CODE, 0, 1)
        .Label(-1, "中文名称:", 1, 0)
        .Edit(IDC_NAME, 1, 1)
        .Label(-1, "币    种:", 2, 0)
        .Combo(IDC_CURRENCY, 2, 1)
        .Label(-1, "险    种:", 3, 0)
        .Combo(IDC_PRODUCT, 3, 1)
        .Label(-1, "类    型:", 4, 0)
        .Combo(IDC_TYPE, 4, 1)
        .Check(IDC_LAPSED, "是否失效", 5, 0)
        .Label(-1, "金额:", 6, 0)
        .Edit(IDC_AMOUNT, 6, 1)
        .Grid(IDC_GRID, 7, 0, 1, 2)
        .Button(IDOK, "确定[&O]", 8, 0, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "返回", 8, 1)
        .Register();
}

class Form : public CBASEBASE {
public:
    Form() : CBASEBASE(IDD_FORM, nullptr) {}
    CQXGrid m_Grid{0, 0, 0, 0};
    std::string productCondition;
    std::vector<int> conditionAsked;

    BOOL OnInitDialog() override {
        m_Grid.SubclassDlgItem(IDC_GRID, this);
        m_nGridCbxCount = 0;
        SetGridCbx(&m_Grid, 1, IDC_CURRENCY, 2);
        CBASEBASE::OnInitDialog();
        m_nNeedCount = 4;
        m_nNeedID[0] = IDC_CODE;
        m_nNeedID[1] = IDC_MISSING;  // names no control: skipped
        m_nNeedID[2] = IDC_NAME;
        m_nNeedID[3] = IDC_CURRENCY;
        m_nLimitCount = 1;
        m_nLimitID[0] = IDC_CODE;
        m_nLimitLen[0] = 2;
        m_cNumFlag = 1;
        m_nNumID[0] = IDC_AMOUNT;
        m_cNumLen[0] = 5;
        m_cNumDec[0] = 2;
        auto* type = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
        type->AddString("");
        type->AddString("A  成数合约");
        type->AddString("D 自留合约");
        m_Grid.SetRowCount(1);
        m_Grid.SetColumnCount(2);
        InitGridCbx();
        return TRUE;
    }
    LRESULT OnCondition(WPARAM w, LPARAM l) {
        conditionAsked.push_back(static_cast<int>(l));
        if (l != IDC_PRODUCT || productCondition.empty()) return 0;
        char* buffer = reinterpret_cast<char*>(w);
        std::snprintf(buffer, kConditionBufferSize, "%s", productCondition.c_str());
        return static_cast<LRESULT>(productCondition.size());
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Form, CBASEBASE)
ON_MESSAGE(WM_CODELIST_CONDITION, OnCondition)
ON_MESSAGE(WM_CODELIST_CONDITION2, OnCondition)
END_MESSAGE_MAP()

class BaseDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = std::filesystem::temp_directory_path() / ("kelmor-base-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::string error;
        std::shared_ptr<kel::db::Connection> db = kel::db::Open((dir / "host.db").string(), &error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(kel::codelist::ApplyCodeListSchema(*db, &error)) << error;
        db->Execute("INSERT INTO t_currency VALUES (?, ?)", {"01", "人民币"});
        db->Execute("INSERT INTO t_currency VALUES (?, ?)", {"02", "美元"});
        db->Execute("INSERT INTO t_prd_prod VALUES (?, ?)", {"0301", "企业财产险"});
        db->Execute("INSERT INTO t_prd_prod VALUES (?, ?)", {"0501", "机动车辆险"});
        SetStaticDatabase(db);
    }
    static void TearDownTestSuite() {
        SetStaticDatabase(nullptr);
        std::filesystem::remove_all(dir);
    }
    void SetUp() override { RegisterForm(); }
    static inline std::filesystem::path dir;
    win::ScopedHeadlessDriver driver;
};

}  // namespace

TEST_F(BaseDialog, CodeListCombosReadCodeAndNameAndAskTheScreenForAConditionOnEveryLoad) {
    Form form;
    form.productCondition = "c_prod_no LIKE '05%'";
    driver->Then([&](win::DialogActions& a) {
        auto* currency = static_cast<CComboBox*>(a.Item(IDC_CURRENCY));
        ASSERT_EQ(currency->GetCount(), 3);  // empty item first
        EXPECT_EQ(currency->Items()[1], "01  人民币");
        auto* product = static_cast<CComboBox*>(a.Item(IDC_PRODUCT));
        ASSERT_EQ(product->GetCount(), 2);
        EXPECT_EQ(product->Items()[1], "0501  机动车辆险");
        form.productCondition.clear();
        form.DropdownCombo(IDC_PRODUCT);
        EXPECT_EQ(product->GetCount(), 3);
        a.Escape();
    });
    form.DoModal();
    EXPECT_EQ(std::count(form.conditionAsked.begin(), form.conditionAsked.end(), IDC_PRODUCT), 2);
    EXPECT_TRUE(driver->Problems().empty());
}

TEST_F(BaseDialog, ItemValuesForEditsCombosAndCheckBoxes) {
    Form form;
    driver->Then([&](win::DialogActions& a) {
        form.SetItemValue(IDC_CURRENCY, "02");
        CString value;
        form.GetItemValue(IDC_CURRENCY, value);
        EXPECT_EQ(value, "02  美元");
        EXPECT_EQ(form.GetCbxCode(IDC_CURRENCY), "02");
        EXPECT_EQ(form.GetCbxValue(IDC_CURRENCY), "美元");
        form.SetComboContent(IDC_TYPE, "D", 1);
        EXPECT_EQ(form.GetCurrCode(IDC_TYPE), "D");
        form.SetComboContent(IDC_TYPE, "Z", 1);
        EXPECT_EQ(form.GetCurrCode(IDC_TYPE), "");
        form.SetItemValue(IDC_LAPSED, "1");
        form.GetItemValue(IDC_LAPSED, value);
        EXPECT_EQ(value, "1");
        form.SetItemValue(IDC_LAPSED, "0");
        form.GetItemValue(IDC_LAPSED, value);
        EXPECT_EQ(value, "0");
        form.SetItemValue(IDC_NAME, "合约名称");
        char small[6];
        form.GetItemValue(IDC_NAME, small, sizeof small);
        EXPECT_STREQ(small, "合");  // 3 bytes per character here: never half a character
        a.Escape();
    });
    form.DoModal();
}

TEST_F(BaseDialog, RequiredFieldsNameTheEmptyFieldAndTakeTheFocus) {
    Form form;
    driver->Then([&](win::DialogActions& a) {
        EXPECT_EQ(form.IsNeededEmpty(), 1);
        EXPECT_EQ(a.FocusID(), IDC_CODE);
        a.Type(IDC_CODE, "AB");
        EXPECT_EQ(form.IsNeededEmpty(), 1);
        EXPECT_EQ(a.FocusID(), IDC_NAME);
        a.Type(IDC_NAME, "  ");  // blanks only count as empty
        EXPECT_EQ(form.IsNeededEmpty(), 1);
        a.Type(IDC_NAME, "成数");
        EXPECT_EQ(form.IsNeededEmpty(), 1);
        EXPECT_EQ(a.FocusID(), IDC_CURRENCY);
        a.PickCode(IDC_CURRENCY, "01");
        EXPECT_EQ(form.IsNeededEmpty(), 0);
        a.Escape();
    });
    form.DoModal();
    auto texts = driver->MessageTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "代码不能为空，请输入！");
    EXPECT_EQ(texts[1], "中文名称不能为空，请输入！");
    EXPECT_EQ(texts[3], "币种不能为空，请输入！");
}

TEST_F(BaseDialog, LengthAndNumberRulesSetAfterTheBaseInitialisationStillHold) {
    Form form;
    driver->Then([&](win::DialogActions& a) {
        a.Type(IDC_CODE, "ABC");
        EXPECT_EQ(a.Text(IDC_CODE), "AB");
        a.Type(IDC_AMOUNT, "123.456");
        EXPECT_EQ(a.Text(IDC_AMOUNT), "12.45");
        a.Type(IDC_AMOUNT, "x-1.5");
        EXPECT_EQ(a.Text(IDC_AMOUNT), "1.5");
        a.Escape();
    });
    form.DoModal();
}

TEST_F(BaseDialog, GridCodeColumnsShowTheListsName) {
    Form form;
    driver->Then([&](win::DialogActions& a) {
        int row = form.m_Grid.InsertRow("", -1);
        form.m_Grid.SetItemText(row, 1, "02", 1);
        form.m_Grid.SetColumnType(1, 48);
        EXPECT_EQ(form.m_Grid.GetItemText(row, 1), "02");
        EXPECT_EQ(form.m_Grid.GetDisplayText(row, 1), "美元");
        a.Escape();
    });
    form.DoModal();
}

TEST_F(BaseDialog, CodeListTableReadsRowsAndFailsCleanly) {
    Form form;
    int count = 2;
    _CodeListStruct* rows =
        form.GetCodeListDataTable("SELECT C_PROD_NO,C_NME_CN FROM t_prd_prod ", &count, "t_prd_prod");
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(rows[0].szCode, "0301");
    std::free(rows);
    count = 2;
    EXPECT_EQ(form.GetCodeListDataTable("SELECT nothing FROM no_table", &count, "no_table"), nullptr);
    EXPECT_EQ(count, 0);
}

TEST_F(BaseDialog, AFailingCodeListQueryGivesAnEmptyListAndAMessage) {
    std::string error;
    std::shared_ptr<kel::db::Connection> empty = kel::db::Open((dir / "empty.db").string(), &error);
    ASSERT_TRUE(empty);
    SetStaticDatabase(empty);  // no code-list tables at all
    Form form;
    driver->Then([&](win::DialogActions& a) {
        EXPECT_EQ(static_cast<CComboBox*>(a.Item(IDC_CURRENCY))->GetCount(), 1);
        a.Escape();
    });
    form.DoModal();
    EXPECT_FALSE(driver->MessageTexts().empty());
    std::shared_ptr<kel::db::Connection> db = kel::db::Open((dir / "host.db").string(), &error);
    SetStaticDatabase(db);
}
