// The product share form through the headless driver, on a SQLite host database
// with the code-list schema: the risk code table of the treaty year, the risk
// levels of each product, products and product classes.
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "common/db/CodeLists.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/S0000S701.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using Form = CS0000S701;
constexpr const char* kCaption = "合约资料设置[合约份额编辑]";
constexpr const char* kTableError = "读取风险编码表的记录信息出错！";

std::vector<std::string> ComboItems(win::DialogActions& a, int id) {
    auto* combo = dynamic_cast<CComboBox*>(a.Item(id));
    std::vector<std::string> items;
    for (int i = 0; combo && i < combo->GetCount(); ++i) {
        CString text;
        combo->GetLBText(i, text);
        items.push_back(text.str());
    }
    return items;
}

std::string Condition(win::DialogActions& a, UINT message, int id) {
    char buffer[kConditionBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    LRESULT length = a.Dialog().SendMessage(message, reinterpret_cast<WPARAM>(buffer), id);
    if (length == 0) return buffer[0] == '\0' ? "" : "(unchanged)";
    EXPECT_EQ(static_cast<size_t>(length), std::strlen(buffer));
    return buffer;
}

class ProductShareForm : public ScreenTest {
protected:
    static void SetUpTestSuite() {
        dir = std::filesystem::temp_directory_path() / ("kelmor-product-share-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::string error;
        db = db::Open((dir / "host.db").string(), &error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(codelist::ApplyCodeListSchema(*db, &error)) << error;
        db->Execute("INSERT INTO t_prd_prod VALUES ('0301', '企业财产险'), ('0501', '机动车辆险'), ('7', '其他')");
        db->Execute("INSERT INTO t_prd_class VALUES ('03', '财产险类'), ('05', '车险类')");
        db->Execute(
            "INSERT INTO t_risk_cde VALUES ('2024', 'L1', '一级', 500, 5000), ('2024', 'L2', '二级', 1000.5, 9000), "
            "('2024', 'L3', '三级', NULL, NULL), ('2025', 'L1', '一级', 800, 8000), ('2025', 'L9', '九级', 1, 1)");
        db->Execute("INSERT INTO t_risk_lvl VALUES ('0301', 'L1'), ('0501', 'L2')");
    }
    static void TearDownTestSuite() {
        db.reset();
        std::filesystem::remove_all(dir);
    }
    void SetUp() override {
        ScreenTest::SetUp();
        SetStaticDatabase(db);
    }
    void TearDown() override {
        SetStaticDatabase(nullptr);
        ScreenTest::TearDown();
    }
    static inline std::filesystem::path dir;
    static inline std::shared_ptr<db::Connection> db;

    // As the edit screen opens a new row: no retention set yet.
    static void PrepareAdd(Form& form) {
        form.m_bAdd = true;
        form.m_strYear = "2024";
        form.m_strContCode = "QS";
        form.m_strContName = "成数合约";
        form.m_texts[screens::RISK_QUOTA] = "0.250000";
        form.m_texts[screens::RISK_COINS_COEF] = "1.5";
        form.m_texts[screens::RISK_LINES] = "3";
        form.m_texts[screens::RISK_VIP_LINES] = "0";
        form.m_texts[screens::RISK_RETENTION] = screens::kUnlimitedAmount;
        form.m_texts[screens::RISK_CONT_LIMIT] = screens::kUnlimitedAmount;
        form.m_texts[screens::RISK_VIP_LIMIT] = screens::kUnlimitedAmount;
        form.m_texts[screens::RISK_SET_TYPE] = "T";
        form.m_texts[screens::RISK_COPY_FLAG] = "Y";  // the form starts with the copy option off whatever it is given
    }
    // As the edit screen opens a row to modify.
    static void PrepareModify(Form& form, const char* type, const char* code, const char* level) {
        form.m_bAdd = false;
        form.m_strYear = "2024";
        form.m_strContCode = "QS";
        form.m_strContName = "成数合约";
        form.m_texts[screens::RISK_PRODUCT] = code;
        form.m_texts[screens::RISK_LEVEL] = level;
        form.m_texts[screens::RISK_QUOTA] = "0.125";
        form.m_texts[screens::RISK_RETENTION] = "123.456";
        form.m_texts[screens::RISK_CONT_LIMIT] = "370.368";
        form.m_texts[screens::RISK_COINS_COEF] = "1.00";
        form.m_texts[screens::RISK_SET_TYPE] = type;
        form.m_texts[screens::RISK_LINES] = "3";
        form.m_texts[screens::RISK_COPY_FLAG] = "N";
        form.m_texts[screens::RISK_VIP_LINES] = "1";
        form.m_texts[screens::RISK_VIP_LIMIT] = "123.456";
    }
};

TEST_F(ProductShareForm, ANewRowOpensOnProductsWithTheCopyOptionOffAndTheRiskRowsOfItsYear) {
    Form form;
    PrepareAdd(form);
    driver->Then(kCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_CODE), "QS");
        EXPECT_FALSE(a.Enabled(Form::IDC_EDT_CONT_CODE));
        EXPECT_FALSE(a.Enabled(Form::IDC_EDT_CONT_NAME));
        EXPECT_EQ(a.Checked(Form::IDC_RAD_PRODUCT), BST_CHECKED);
        EXPECT_EQ(a.Checked(Form::IDC_RAD_CLASS), BST_UNCHECKED);
        EXPECT_TRUE(a.Enabled(Form::IDC_CBX_PRODUCT));
        EXPECT_FALSE(a.Enabled(Form::IDC_CBX_CLASS));
        EXPECT_TRUE(a.Enabled(Form::IDC_CHK_COPY));
        EXPECT_EQ(a.Checked(Form::IDC_CHK_COPY), BST_UNCHECKED);
        EXPECT_FALSE(a.Visible(Form::IDC_EDT_QUOTA));
        EXPECT_FALSE(a.Visible(Form::IDC_EDT_COINS_COEF));
        EXPECT_EQ(a.Text(Form::IDC_EDT_RETENTION), "无限额");
        EXPECT_EQ(ComboItems(a, Form::IDC_CBX_RISK_LEVEL),
                  (std::vector<std::string>{"", "L1  一级", "L2  二级", "L3  三级"}));
        a.Click(IDOK);  // product and risk level are required
        EXPECT_EQ(a.FocusID(), Form::IDC_CBX_PRODUCT);
        a.PickCode(Form::IDC_CBX_PRODUCT, "0301").Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_CBX_RISK_LEVEL);
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    EXPECT_EQ(form.m_texts[screens::RISK_COPY_FLAG], "N");
    ASSERT_EQ(form.m_arrRiskCode.size(), 3u);
    EXPECT_EQ(form.m_arrRiskCode[1].riskLevel, "L2");
    EXPECT_EQ(form.m_arrRiskCode[1].keepAmount, 1000.5);
    EXPECT_EQ(form.m_arrRiskCode[1].maxFacAmount, 9000);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"险种不能为空，请输入！", "风险等级不能为空，请输入！"}));
}

TEST_F(ProductShareForm, PickingARiskLevelTakesItsRetentionAndLinesRecomputeTheirOwnLimit) {
    Form form;
    PrepareAdd(form);
    driver->Then(kCaption, [](win::DialogActions& a) {
        // No retention set yet: the lines leave the limits as they are.
        a.Type(Form::IDC_EDT_LINES, "4").Leave(Form::IDC_EDT_LINES);
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_LIMIT), "无限额");
        a.Type(Form::IDC_EDT_LINES, "3");
        a.PickCode(Form::IDC_CBX_PRODUCT, "0301").Leave(Form::IDC_CBX_PRODUCT);
        a.PickCode(Form::IDC_CBX_RISK_LEVEL, "L1").Leave(Form::IDC_CBX_RISK_LEVEL);
        EXPECT_EQ(a.Text(Form::IDC_EDT_RETENTION), "500.00");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_LIMIT), "1500.00");
        EXPECT_EQ(a.Text(Form::IDC_EDT_VIP_LIMIT), "0.00");
        a.Type(Form::IDC_EDT_LINES, "4").Leave(Form::IDC_EDT_LINES);
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_LIMIT), "2000.00");
        EXPECT_EQ(a.Text(Form::IDC_EDT_VIP_LIMIT), "0.00");
        a.Type(Form::IDC_EDT_VIP_LINES, "2").Leave(Form::IDC_EDT_VIP_LINES);
        EXPECT_EQ(a.Text(Form::IDC_EDT_VIP_LIMIT), "1000.00");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_LIMIT), "2000.00");
        // A level without a retention in the table computes nothing.
        a.Type(Form::IDC_EDT_LINES, "1");
        a.PickCode(Form::IDC_CBX_PRODUCT, "").Leave(Form::IDC_CBX_PRODUCT);
        a.PickCode(Form::IDC_CBX_RISK_LEVEL, "L3").Leave(Form::IDC_CBX_RISK_LEVEL);
        EXPECT_EQ(a.Text(Form::IDC_EDT_RETENTION), "500.00");
        a.PickCode(Form::IDC_CBX_RISK_LEVEL, "L2").Leave(Form::IDC_CBX_RISK_LEVEL);
        EXPECT_EQ(a.Text(Form::IDC_EDT_RETENTION), "1000.50");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_LIMIT), "1000.50");
        EXPECT_EQ(a.Text(Form::IDC_EDT_VIP_LIMIT), "2001.00");
        a.PickCode(Form::IDC_CBX_PRODUCT, "0501").Click(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(form.m_texts[screens::RISK_PRODUCT], "0501");
    EXPECT_EQ(form.m_texts[screens::RISK_LEVEL], "L2");
    EXPECT_EQ(form.m_texts[screens::RISK_SET_TYPE], "T");
    EXPECT_EQ(form.m_texts[screens::RISK_RETENTION], "1000.50");
    EXPECT_EQ(form.m_texts[screens::RISK_CONT_LIMIT], "1000.50");
    EXPECT_EQ(form.m_texts[screens::RISK_LINES], "1");
    EXPECT_EQ(form.m_texts[screens::RISK_VIP_LINES], "2");
    EXPECT_EQ(form.m_texts[screens::RISK_VIP_LIMIT], "2001.00");
    EXPECT_EQ(form.m_texts[screens::RISK_QUOTA], "0.250000");  // passed through
    EXPECT_EQ(form.m_texts[screens::RISK_COINS_COEF], "1.5");
    EXPECT_EQ(form.m_texts[screens::RISK_COPY_FLAG], "N");
}

TEST_F(ProductShareForm, TheProductNarrowsTheRiskLevelsThroughAConditionOfCheckedValuesOnly) {
    Form form;
    PrepareAdd(form);
    driver->Then(kCaption, [](win::DialogActions& a) {
        EXPECT_EQ(Condition(a, WM_CODELIST_CONDITION, Form::IDC_CBX_RISK_LEVEL), "c_year = '2024'");
        a.PickCode(Form::IDC_CBX_RISK_LEVEL, "L2");
        a.PickCode(Form::IDC_CBX_PRODUCT, "0501").Leave(Form::IDC_CBX_PRODUCT);
        EXPECT_EQ(ComboItems(a, Form::IDC_CBX_RISK_LEVEL), (std::vector<std::string>{"", "L2  二级"}));
        EXPECT_EQ(a.Text(Form::IDC_CBX_RISK_LEVEL), "L2  二级");  // still picked
        EXPECT_EQ(Condition(a, WM_CODELIST_CONDITION2, Form::IDC_CBX_RISK_LEVEL),
                  "c_year = '2024'and c_risk_lvl_cde in (select c_risk_lvl_cde from t_risk_lvl where c_prod_no = "
                  "'0501')");
        EXPECT_EQ(Condition(a, WM_CODELIST_CONDITION, Form::IDC_CBX_PRODUCT), "");
        // A one-character product adds no product condition.
        a.PickCode(Form::IDC_CBX_PRODUCT, "7 ").Leave(Form::IDC_CBX_PRODUCT);
        EXPECT_EQ(Condition(a, WM_CODELIST_CONDITION, Form::IDC_CBX_RISK_LEVEL), "c_year = '2024'");
        EXPECT_EQ(ComboItems(a, Form::IDC_CBX_RISK_LEVEL).size(), 4u);
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);

    // A year that is not four digits reads no rows and narrows nothing.
    Form bad;
    PrepareAdd(bad);
    bad.m_strYear = "2024' or '1'='1";
    driver->Then(kCaption, [](win::DialogActions& a) {
        EXPECT_EQ(Condition(a, WM_CODELIST_CONDITION, Form::IDC_CBX_RISK_LEVEL), "(unchanged)");
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(bad.DoModal(), IDCANCEL);
    EXPECT_TRUE(bad.m_arrRiskCode.empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ProductShareForm, WithTheCopyOptionOnTheFormClosesWithoutProductOrLevelAndKeepsTheLevelItWasGiven) {
    Form form;
    PrepareAdd(form);
    form.m_texts[screens::RISK_LEVEL] = "L1";
    driver->Then(kCaption, [](win::DialogActions& a) {
        a.PickCode(Form::IDC_CBX_RISK_LEVEL, "");
        a.Click(Form::IDC_CHK_COPY);
        // With the option on, the lines leave the limits as typed.
        a.Type(Form::IDC_EDT_RETENTION, "100").Type(Form::IDC_EDT_LINES, "2").Leave(Form::IDC_EDT_LINES);
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_LIMIT), "无限额");
        a.Click(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(form.m_texts[screens::RISK_COPY_FLAG], "Y");
    EXPECT_EQ(form.m_texts[screens::RISK_PRODUCT], "");
    EXPECT_EQ(form.m_texts[screens::RISK_LEVEL], "L1");
}

TEST_F(ProductShareForm, AClassRowShowsItsClassAndGoesBackWithTheTypeItIsSetTo) {
    Form form;
    PrepareModify(form, "S", "05", "L2");
    driver->Then(kCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Checked(Form::IDC_RAD_CLASS), BST_CHECKED);
        EXPECT_EQ(a.Text(Form::IDC_CBX_CLASS), "05  车险类");
        EXPECT_EQ(a.Text(Form::IDC_CBX_PRODUCT), "");
        EXPECT_FALSE(a.Enabled(Form::IDC_CBX_PRODUCT));
        EXPECT_FALSE(a.Enabled(Form::IDC_CHK_COPY));  // modify: no copy option
        EXPECT_EQ(a.Text(Form::IDC_CBX_RISK_LEVEL), "L2  二级");
        a.Click(Form::IDC_RAD_PRODUCT);
        EXPECT_EQ(a.Text(Form::IDC_CBX_CLASS), "");
        EXPECT_FALSE(a.Enabled(Form::IDC_CBX_CLASS));
        EXPECT_TRUE(a.Enabled(Form::IDC_CBX_PRODUCT));
        a.Click(IDOK);  // the product is now the required one
        a.PickCode(Form::IDC_CBX_PRODUCT, "0501").Click(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"险种不能为空，请输入！"}));
    EXPECT_EQ(form.m_texts[screens::RISK_SET_TYPE], "T");
    EXPECT_EQ(form.m_texts[screens::RISK_PRODUCT], "0501");

    Form back;
    PrepareModify(back, "T", "0301", "L1");
    driver->Then(kCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_CBX_PRODUCT), "0301  企业财产险");
        a.Click(Form::IDC_RAD_CLASS).PickCode(Form::IDC_CBX_CLASS, "03").Click(IDOK);
    });
    EXPECT_EQ(back.DoModal(), IDOK);
    EXPECT_EQ(back.m_texts[screens::RISK_SET_TYPE], "S");
    EXPECT_EQ(back.m_texts[screens::RISK_PRODUCT], "03");
}

TEST_F(ProductShareForm, AnUntouchedOkChangesNoValue) {
    Form form;
    PrepareModify(form, "T", "0301", "L1");
    driver->Then(kCaption, [](win::DialogActions& a) { a.Click(IDOK); });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(form.m_texts[screens::RISK_PRODUCT], "0301");
    EXPECT_EQ(form.m_texts[screens::RISK_LEVEL], "L1");
    EXPECT_EQ(form.m_texts[screens::RISK_QUOTA], "0.125");
    EXPECT_EQ(form.m_texts[screens::RISK_RETENTION], "123.456");
    EXPECT_EQ(form.m_texts[screens::RISK_CONT_LIMIT], "370.368");
    EXPECT_EQ(form.m_texts[screens::RISK_COINS_COEF], "1.00");
    EXPECT_EQ(form.m_texts[screens::RISK_SET_TYPE], "T");
    EXPECT_EQ(form.m_texts[screens::RISK_LINES], "3");
    EXPECT_EQ(form.m_texts[screens::RISK_COPY_FLAG], "N");
    EXPECT_EQ(form.m_texts[screens::RISK_VIP_LINES], "1");
    EXPECT_EQ(form.m_texts[screens::RISK_VIP_LIMIT], "123.456");
}

TEST_F(ProductShareForm, AmountsThatAreNoNumbersOrDoNotFitTheirFieldsAreNamed) {
    Form form;
    PrepareModify(form, "T", "0301", "L1");
    driver->Then(kCaption, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_RETENTION, "abc").Leave(Form::IDC_EDT_LINES);
        EXPECT_EQ(a.Text(Form::IDC_EDT_CONT_LIMIT), "370.368");  // nothing computed from "abc"
        a.Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_RETENTION);
        a.Type(Form::IDC_EDT_RETENTION, "9999999999").Type(Form::IDC_EDT_CONT_LIMIT, "-1").Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_CONT_LIMIT);
        a.Type(Form::IDC_EDT_CONT_LIMIT, "0");
        // 9999999999 x 999999999 is past every amount's bound (and the VIP limit's 19 characters).
        a.Type(Form::IDC_EDT_VIP_LINES, "999999999").Leave(Form::IDC_EDT_VIP_LINES);
        EXPECT_GT(a.Text(Form::IDC_EDT_VIP_LIMIT).GetLength(), 19);
        a.Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_VIP_LIMIT);
        a.Type(Form::IDC_EDT_VIP_LINES, "2").Leave(Form::IDC_EDT_VIP_LINES).Click(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"自留限额不是有效的数字，请修改!", "合约限额不能小于0，请修改!",
                                                    "VIP限额不能大于9999999999999.99，请修改!"}));
    EXPECT_EQ(form.m_texts[screens::RISK_VIP_LIMIT], "19999999998.00");
}

TEST_F(ProductShareForm, AnUnreadableRiskTableIsToldAndTheFormStillWorks) {
    SetStaticDatabase(nullptr);
    Form form;
    PrepareAdd(form);
    driver->Then(kCaption, [](win::DialogActions& a) { a.Click(Form::IDC_CHK_COPY).Click(IDOK); });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{kTableError}));
    EXPECT_TRUE(form.m_arrRiskCode.empty());

    // A database without the table: the risk-level list cannot load either.
    std::string error;
    std::shared_ptr<db::Connection> bare = db::Open((dir / "bare.db").string(), &error);
    ASSERT_TRUE(bare) << error;
    bare->Execute("CREATE TABLE t_prd_prod (c_prod_no VARCHAR(4), c_nme_cn VARCHAR(50))");
    SetStaticDatabase(bare);
    driver->ClearRecords();
    Form again;
    PrepareAdd(again);
    driver->Then(kCaption, [](win::DialogActions& a) { a.Click(IDCANCEL); });
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    auto messages = Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), kTableError);
}

}  // namespace
}  // namespace kel::testing
