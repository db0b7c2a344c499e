// How a script names controls: labels with blanks, colons and mnemonics, button
// captions, #ID, ambiguity, and the grids and lists by their place.
#include <gtest/gtest.h>

#include "host/win/Controls.h"
#include "host/win/DialogTemplate.h"
#include "host/win/testing/HeadlessDriver.h"
#include "play/ControlAddress.h"

namespace kel::play {
namespace {

enum : int {
    kTemplate = 7101,
    IDC_CODE = 1001,
    IDC_NAME = 1002,
    IDC_TYPE = 1003,
    IDC_LAPSED = 1004,
    IDC_ADD = 1005,
    IDC_NOTE_A = 1006,
    IDC_NOTE_B = 1007,
    IDC_HIDDEN_ADD = 1008,
    IDC_GRID = 1009,
    IDC_LIST = 1010,
    IDC_SAVE = 1011,
    IDC_ALONE = 1012,
    IDC_RATING = 1013,
};

void RegisterTemplate() {
    win::TemplateBuilder(kTemplate, "寻址测试")
        .Label(-1, "代    码:", 0, 0)
        .Edit(IDC_CODE, 0, 1)
        .Label(-1, "中文名称：", 1, 0)
        .Edit(IDC_NAME, 1, 1)
        .Label(-1, "类　型(&T)", 2, 0)
        .Combo(IDC_TYPE, 2, 1)
        .Check(IDC_LAPSED, "是否失效", 3, 0)
        .Button(IDC_ADD, "新增[&A]...", 4, 0)
        .Button(IDC_HIDDEN_ADD, "新增(&N)", 4, 1, WS_INVISIBLE)
        .Label(-1, "备注:", 5, 0)
        .Edit(IDC_NOTE_A, 5, 1)
        .Label(-1, "备注", 6, 0)
        .Edit(IDC_NOTE_B, 6, 1)
        .Grid(IDC_GRID, 7, 0, 1, 2)
        .Edit(IDC_ALONE, 8, 0)
        .ReportList(IDC_LIST, 9, 0, 1, 2)
        .Button(IDC_SAVE, "&Save", 10, 0)
        .Label(-1, "S&&P 评级", 11, 0)
        .Edit(IDC_RATING, 11, 1)
        .Register();
}

TEST(ControlAddress, NamesCompareWithoutBlanksColonsMnemonicsAndTrailingDots) {
    EXPECT_EQ(NormalizeName("代    码:"), "代码");
    EXPECT_EQ(NormalizeName("中文名称："), "中文名称");
    EXPECT_EQ(NormalizeName("类\xE3\x80\x80型"), "类型");
    EXPECT_EQ(NormalizeName("新增[&A]..."), "新增");
    EXPECT_EQ(NormalizeName("取消(&C)"), "取消");
    EXPECT_EQ(NormalizeName("确定(D)"), "确定");
    EXPECT_EQ(NormalizeName("返回[R]"), "返回");
    EXPECT_EQ(NormalizeName("&Save"), "save");
    EXPECT_EQ(NormalizeName("R&&D"), "r&d");
    // what a script writes is the text as shown: its ampersand is one
    EXPECT_EQ(NormalizeShownName("R&D"), "r&d");
    EXPECT_EQ(NormalizeShownName("取消(&C)"), "取消");
    EXPECT_EQ(NormalizeName("合约代码设置[检索]"), "合约代码设置[检索]");  // a word in brackets stays
    EXPECT_EQ(NormalizeName("..."), "...");                                // nothing left to cut to
}

class Addressing : public ::testing::Test {
protected:
    void SetUp() override { RegisterTemplate(); }

    // Runs `check` on the open dialog.
    void WithDialog(const std::function<void(CDialog&)>& check) {
        CDialog dialog(kTemplate);
        driver->Then([&](win::DialogActions& a) {
            check(a.Dialog());
            a.Escape();
        });
        dialog.DoModal();
        EXPECT_TRUE(driver->Problems().empty());
    }
    int Find(CDialog& d, const std::string& name, NameRole role, std::string* whyOut = nullptr) {
        std::string why;
        CWnd* found = FindControl(d, ControlName{name, 0}, role, why);
        if (whyOut) *whyOut = why;
        return found ? found->GetDlgCtrlID() : 0;
    }

    win::ScopedHeadlessDriver driver;
};

TEST_F(Addressing, FieldsAreFoundByTheLabelInFrontButtonsByTheirCaption) {
    WithDialog([&](CDialog& d) {
        EXPECT_EQ(Find(d, "代码", NameRole::Field), IDC_CODE);
        EXPECT_EQ(Find(d, "代    码:", NameRole::Field), IDC_CODE);
        EXPECT_EQ(Find(d, "中文名称", NameRole::Field), IDC_NAME);
        EXPECT_EQ(Find(d, "类型", NameRole::Field), IDC_TYPE);
        EXPECT_EQ(Find(d, "是否失效", NameRole::Button), IDC_LAPSED);
        EXPECT_EQ(Find(d, "save", NameRole::Button), IDC_SAVE);
        EXPECT_EQ(Find(d, "S&P评级", NameRole::Field), IDC_RATING);  // "S&&P 评级" shows "S&P 评级"
        // the visible button wins over the hidden one of the same name
        EXPECT_EQ(Find(d, "新增", NameRole::Button), IDC_ADD);
        std::string why;
        CWnd* byId = FindControl(d, ControlName{"", IDC_ALONE}, NameRole::Field, why);
        EXPECT_EQ(byId, d.GetDlgItem(IDC_ALONE));
        EXPECT_EQ(FindControl(d, ControlName{"", 4242}, NameRole::Field, why), nullptr);
        EXPECT_EQ(why, "no control #4242");
    });
}

TEST_F(Addressing, NoMatchAndTwoMatchesAreRefusedWithWhy) {
    WithDialog([&](CDialog& d) {
        std::string why;
        EXPECT_EQ(Find(d, "英文名称", NameRole::Field, &why), 0);
        EXPECT_EQ(why, "no field \"英文名称\"");
        EXPECT_EQ(Find(d, "备注", NameRole::Field, &why), 0);
        EXPECT_EQ(why, "2 controls match \"备注\": edit \"备注:\" #1006, edit \"备注\" #1007");
        // a caption is not a label: the check box is no field, the edit no button
        EXPECT_EQ(Find(d, "是否失效", NameRole::Field, &why), 0);
        EXPECT_EQ(Find(d, "确定", NameRole::Button, &why), 0);
        EXPECT_EQ(why, "no button \"确定\"");
        // the control after a grid has no label: the grid is not one
        EXPECT_EQ(LabelOf(d, *d.GetDlgItem(IDC_ALONE)), nullptr);
    });
}

TEST_F(Addressing, GridsAndListsAreCountedInTabOrder) {
    WithDialog([&](CDialog& d) {
        std::vector<CWnd*> lists = ListsOf(d);
        ASSERT_EQ(lists.size(), 2u);
        EXPECT_EQ(lists[0]->GetDlgCtrlID(), IDC_GRID);
        EXPECT_EQ(lists[1]->GetDlgCtrlID(), IDC_LIST);
        EXPECT_EQ(Describe(d, *d.GetDlgItem(IDC_CODE)), "edit \"代    码:\"");
        EXPECT_EQ(Describe(d, *d.GetDlgItem(IDC_ADD)), "button \"新增[&A]...\"");
        EXPECT_EQ(Describe(d, *d.GetDlgItem(IDC_ALONE)), "edit #1012");
    });
}

}  // namespace
}  // namespace kel::play
