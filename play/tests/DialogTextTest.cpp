// A dialog as text (the player's `show`, the console view): ticks of check boxes,
// radio buttons, check lists and report lists with check boxes, hidden columns
// left out, the current row marked, long lists cut.
#include <gtest/gtest.h>

#include <sstream>

#include "host/win/Controls.h"
#include "host/win/DialogTemplate.h"
#include "host/win/testing/HeadlessDriver.h"
#include "play/DialogText.h"

namespace kel::play {
namespace {

enum : int {
    kTemplate = 7301,
    IDC_RISK = 1001,
    IDC_CLASS = 1002,
    IDC_PRODUCTS = 1003,
    IDC_DOCUMENTS = 1004,
    IDC_NOTE = 1005,
};

TEST(DialogText, ShowsTicksOfEveryKindAndTheRowsOfEveryList) {
    win::TemplateBuilder(kTemplate, "险种选择")
        .Radio(IDC_RISK, "险种", 0, 0, 1, WS_GROUP)
        .Radio(IDC_CLASS, "险类", 0, 1)
        .CheckList(IDC_PRODUCTS, 1, 0, 1, 2)
        .ReportList(IDC_DOCUMENTS, 2, 0, 1, 2)
        .Label(-1, "说明: 勾选后处理", 3, 0)
        .Label(-1, "备注:", 4, 0)
        .Edit(IDC_NOTE, 4, 1)
        .Register();
    win::ScopedHeadlessDriver driver;
    std::ostringstream full, cut;
    driver->Then([&](win::DialogActions& a) {
        a.Click(IDC_CLASS);
        auto* products = static_cast<CCheckListBox*>(a.Item(IDC_PRODUCTS));
        products->AddString("0101  企业财产险");
        products->AddString("0102  家庭财产险");
        products->SetCheck(1, 1);
        auto* documents = static_cast<CListCtrl*>(a.Item(IDC_DOCUMENTS));
        documents->SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES);
        documents->InsertColumn(0, "单据号", LVCFMT_LEFT, 200);
        documents->InsertColumn(1, "单据类型", LVCFMT_LEFT, 100);
        documents->InsertColumn(2, "", LVCFMT_LEFT, 0);  // the key, hidden
        for (const char* number : {"D001", "D002", "D003"}) {
            int item = documents->InsertItem(documents->GetItemCount(), number);
            documents->SetItemText(item, 1, "B");
            documents->SetItemText(item, 2, "key");
        }
        documents->SetCheck(0);
        documents->SetSelectionMark(2);
        a.Type(IDC_NOTE, "第一行\n\"引\"");
        WriteDialog(full, a.Dialog());
        WriteDialog(cut, a.Dialog(), DialogTextOptions{"> ", 2});
        a.Escape();
    });
    CDialog dialog(kTemplate);
    dialog.DoModal();
    EXPECT_EQ(full.str(),
              "dialog \"险种选择\"\n"
              "  radio #1001 \"险种\" [ ]\n"
              "  radio #1002 \"险类\" [x]\n"
              "  check list 1 #1003\n"
              "  list 2 #1004\n"
              "  label \"说明: 勾选后处理\"\n"
              "  edit #1005 \"备注:\" = \"第一行\\\"引\\\"\"\n"
              "  check list 1: 2 rows\n"
              "    row 1: [ ] 0101  企业财产险\n"
              "    row 2: [x] 0102  家庭财产险\n"
              "  list 2: 3 rows\n"
              "    单据号 | 单据类型\n"
              "    row 1: [x] D001 | B\n"
              "    row 2: [ ] D002 | B\n"
              "    row 3 (current): [ ] D003 | B\n");
    EXPECT_NE(cut.str().find("> dialog \"险种选择\"\n"), std::string::npos);
    EXPECT_NE(cut.str().find(">     row 2: [ ] D002 | B\n>     ... 3 rows\n"), std::string::npos) << cut.str();
    EXPECT_EQ(Quote("a\"b\\c\nd\te"), "\"a\\\"b\\\\c\\nd\\te\"");
}

}  // namespace
}  // namespace kel::play
