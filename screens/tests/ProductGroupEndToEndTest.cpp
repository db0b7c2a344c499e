// The sections and insurance classes of a treaty data record against the server in
// process, on a fresh SQLite file with the demo data (also the shared database the
// product choice reads the products from): what the user does is what is stored.
#include <unistd.h>

#include <filesystem>

#include "common/net/InProcessChannel.h"
#include "frame/Kelmor.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/S0000S7.h"
#include "screens/S0000S70.h"
#include "screens/S0000S702.h"
#include "screens/S0000S7020.h"
#include "screens/S0000S7021.h"
#include "screens/S0000S705.h"
#include "screens/S0000S7050.h"
#include "screens/tests/DemoServerTest.h"
#include "screens/tests/ScreenTestSupport.h"
#include "server/Server.h"

namespace kel::testing {
namespace {

using List = CProductGroupList;
using Rows = std::vector<std::vector<std::string>>;
constexpr const char* kSectionsCaption = "合约资料设置[合约再保公司SECTION检索]";
constexpr const char* kSectionFormCaption = "合约资料设置[再保公司SECTION编辑]";
constexpr const char* kSectionChoiceCaption = "合约资料设置[再保公司SECTION细节编辑]";
constexpr const char* kClassesCaption = "合约险类设置";
constexpr const char* kClassCaption = "合约资料设置[险类设置]";
constexpr int32_t kQ1Of2024 = 8;  // the demo's Q1 of 2024: sections S1, S2, class 01

int FindRow(const CQXGrid& grid, const char* code) {
    for (int r = 1; r < grid.GetRowCount(); ++r)
        if (grid.GetItemText(r, 0) == code) return r;
    return -1;
}

// Ticks (or unticks) the product whose item begins with `code`.
void Toggle(win::DialogActions& a, const char* code) {
    auto* list = dynamic_cast<CCheckListBox*>(a.Item(CProductChoice::IDC_LST_PRODUCTS));
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < list->GetCount(); ++i) {
        CString text;
        list->GetText(i, text);
        if (text.str().rfind(std::string(code) + "  ", 0) == 0) {
            a.ToggleItem(CProductChoice::IDC_LST_PRODUCTS, i);
            return;
        }
    }
    ADD_FAILURE() << "no product " << code;
}

// The codes of the ticked products.
std::vector<std::string> Ticked(win::DialogActions& a) {
    auto* list = dynamic_cast<CCheckListBox*>(a.Item(CProductChoice::IDC_LST_PRODUCTS));
    std::vector<std::string> codes;
    for (int i = 0; list && i < list->GetCount(); ++i) {
        CString text;
        list->GetText(i, text);
        if (list->GetCheck(i) == BST_CHECKED) codes.push_back(text.str().substr(0, text.str().find(' ')));
    }
    return codes;
}

class ProductGroupEndToEnd : public DemoServerTest {
protected:
    // The records the store answers to `code` with `body`, asked directly.
    template <class R, class B>
    std::vector<R> StoredRecords(int16_t code, const B& body) {
        _PacketHead answerHead{};
        std::vector<char> answer = Stored(code, &body, sizeof body, &answerHead);
        std::vector<R> records(static_cast<std::size_t>(answerHead.nCount));
        if (!records.empty()) std::memcpy(records.data(), answer.data(), records.size() * sizeof(R));
        return records;
    }
    static _TextKey64 Key(int32_t id) {
        _TextKey64 key{};
        text::PutField(key.szKey, std::to_string(id));
        return key;
    }
    // Each stored section of Q1-2024 as "code rate".
    std::vector<std::string> StoredSections() {
        std::vector<std::string> out;
        for (const auto& s : StoredRecords<_SectionStruct>(191, Key(kQ1Of2024)))
            out.push_back(text::GetField(s.szSectCode) + " " + std::to_string(s.dCommRate));
        return out;
    }
    int32_t StoredSectionId(const char* code) {
        for (const auto& s : StoredRecords<_SectionStruct>(191, Key(kQ1Of2024)))
            if (text::GetField(s.szSectCode) == code) return s.nSectId;
        return 0;
    }
    std::vector<std::string> StoredSectionProducts(const char* code) {
        std::vector<std::string> out;
        for (const auto& p : StoredRecords<_SectDetailStruct>(193, Key(StoredSectionId(code))))
            out.push_back(text::GetField(p.szProdCode));
        return out;
    }
    // Each stored class of Q1-2024 as "code name".
    std::vector<std::string> StoredClasses() {
        std::vector<std::string> out;
        for (const auto& c : StoredRecords<_InsrncSectStruct>(198, Key(kQ1Of2024)))
            out.push_back(text::GetField(c.szClassCode) + " " + text::GetField(c.szClassName));
        return out;
    }
    std::vector<std::string> StoredClassProducts(const char* code) {
        _InsrClassDtlFilter filter{};
        filter.stFilter.nContId = kQ1Of2024;
        text::PutField(filter.stFilter.szClassCode, code);
        std::vector<std::string> out;
        for (const auto& p : StoredRecords<_InsrClassDtlStruct>(211, filter))
            out.push_back(text::GetField(p.szProdCode));
        return out;
    }

    void RunSections() {
        CS0000S702 screen;
        screen.m_nContId = kQ1Of2024;
        screen.m_strContCode = "Q1";
        screen.DoModal();
    }
    void RunClasses() {
        CS0000S705 screen;
        screen.m_nContId = kQ1Of2024;
        screen.m_strContCode = "Q1";
        screen.DoModal();
    }
};

TEST_F(ProductGroupEndToEnd, ASectionIsAddedWithProductsChangedAndDeletedFromTheTreatyDataForm) {
    driver->Answer(IDYES);
    driver->Then("合约资料设置[检索]", [](win::DialogActions& a) {
        a.Type(CS0000S7::IDC_EDT_YEAR, "2024").Click(CS0000S7::IDC_BTN_SEARCH);
        const int row = FindRow(GridOf(a, CS0000S7::IDC_GRID), "Q1");
        ASSERT_GT(row, 0);
        a.DoubleClickRow(CS0000S7::IDC_GRID, row);
        a.Click(IDCANCEL);
    });
    driver->Then("合约资料设置[编辑]",
                 [](win::DialogActions& a) { a.Click(CS0000S70::IDC_BTN_SECTION).Click(IDCANCEL); });
    driver->Then(kSectionsCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(List::IDC_EDT_CONT_CODE), "Q1");
        CQXGrid& sections = GridOf(a, List::IDC_GRID_GROUP);
        EXPECT_EQ(Cells(sections),
                  (Rows{{"SECTION", "手续费率", ""}, {"S1", "0.330000", "8"}, {"S2", "0.300000", "9"}}));
        a.Click(List::IDC_BTN_ADD);
        const int row = FindRow(sections, "S3");
        ASSERT_GT(row, 0);
        EXPECT_EQ(sections.GetRow(), row);
        EXPECT_EQ(sections.GetItemText(row, 1), "0.200000");
        a.Click(List::IDC_BTN_PRODUCTS);  // the new section is current
        EXPECT_EQ(Cells(GridOf(a, List::IDC_GRID_PRODUCT)),
                  (Rows{{"险种", "险种名称"}, {"0401", "建筑工程一切险"}, {"0402", "安装工程一切险"}}));
        a.Click(List::IDC_BTN_MODIFY);
        EXPECT_EQ(sections.GetItemText(row, 1), "0.150000");
        a.Click(List::IDC_BTN_DELETE);
        EXPECT_EQ(FindRow(sections, "S3"), -1);
        a.Click(IDCANCEL);
    });
    driver->Then(kSectionFormCaption, [](win::DialogActions& a) {
        a.Type(CS0000S7020::IDC_EDT_SECT_CODE, "S3").Type(CS0000S7020::IDC_EDT_COMM_RATE, "0.2").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then(kSectionChoiceCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(CS0000S7021::IDC_EDT_SECT_CODE), "S3");
        EXPECT_EQ(a.Text(CS0000S7021::IDC_EDT_CONT_NAME), "企业财产险成数合约");  // as the treaty data form shows it
        EXPECT_TRUE(Ticked(a).empty());
        Toggle(a, "0401");
        Toggle(a, "0402");
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then(kSectionFormCaption, [this](win::DialogActions& a) {
        // Stored before it is changed: the add and the products reached the server.
        EXPECT_EQ(StoredSectionProducts("S3"), (std::vector<std::string>{"0401", "0402"}));
        EXPECT_EQ(a.Text(CS0000S7020::IDC_EDT_COMM_RATE), "0.2000");
        a.Type(CS0000S7020::IDC_EDT_COMM_RATE, "0.15").Click(IDOK);
    });
    Call_Kelmor_Dialog(25013, 0);
    EXPECT_EQ(driver->MessageTexts(), (std::vector<std::string>{"是否确定删除该纪录!", "处理成功!"}));
    EXPECT_EQ(StoredSections(), (std::vector<std::string>{"S1 0.330000", "S2 0.300000"}));
}

TEST_F(ProductGroupEndToEnd, TheProductChoiceOfAKeyboardSelectedSectionChangesThatSectionOnly) {
    driver->Then(kSectionsCaption, [](win::DialogActions& a) {
        a.ClickRow(List::IDC_GRID_GROUP, 1);  // S1 with 0101 and 0102 is shown
        EXPECT_EQ(GridOf(a, List::IDC_GRID_PRODUCT).GetRowCount(), 3);
        GridOf(a, List::IDC_GRID_GROUP).SelectRow(2, TRUE);  // the arrow key down to S2
        a.Click(List::IDC_BTN_PRODUCTS);
        EXPECT_EQ(Cells(GridOf(a, List::IDC_GRID_PRODUCT)),
                  (Rows{{"险种", "险种名称"}, {"0102", "家庭财产保险"}, {"0103", "财产一切险"}}));
        a.Click(IDCANCEL);
    });
    driver->Then(kSectionChoiceCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(CS0000S7021::IDC_EDT_SECT_CODE), "S2");
        EXPECT_EQ(Ticked(a), (std::vector<std::string>{"0103"}));
        Toggle(a, "0102");
        a.Click(IDOK);
    });
    RunSections();
    EXPECT_EQ(StoredSectionProducts("S1"), (std::vector<std::string>{"0101", "0102"}));
    EXPECT_EQ(StoredSectionProducts("S2"), (std::vector<std::string>{"0102", "0103"}));
}

TEST_F(ProductGroupEndToEnd, AClassIsAddedWithProductsRenamedUnderItsOwnCodeAndDeleted) {
    driver->Answer(IDYES);
    driver->Then(kClassesCaption, [this](win::DialogActions& a) {
        CQXGrid& classes = GridOf(a, List::IDC_GRID_GROUP);
        EXPECT_EQ(Cells(classes), (Rows{{"险类代码", "险类名称", ""}, {"01", "财产险", "8"}}));
        a.Click(List::IDC_BTN_ADD);
        const int added = FindRow(classes, "02");
        ASSERT_EQ(added, 2);
        a.ClickRow(List::IDC_GRID_GROUP, 1);  // 01 with its three products is shown
        classes.SelectRow(added, TRUE);       // by keyboard
        a.Click(List::IDC_BTN_PRODUCTS);
        EXPECT_EQ(Cells(GridOf(a, List::IDC_GRID_PRODUCT)), (Rows{{"险种代码", "险种名称"}, {"0201", "机动车辆保险"}}));
        EXPECT_EQ(StoredClassProducts("01"), (std::vector<std::string>{"0101", "0102", "0103"}));

        a.Click(List::IDC_BTN_MODIFY);  // 02: the code stays, the name changes
        EXPECT_EQ(StoredClasses(), (std::vector<std::string>{"01 财产险", "02 车险"}));
        EXPECT_EQ(Cells(classes)[added], (std::vector<std::string>{"02", "车险", "8"}));

        a.Click(List::IDC_BTN_DELETE);
        a.Click(IDCANCEL);
    });
    driver->Then(kClassCaption, [](win::DialogActions& a) {
        a.Type(CS0000S7050::IDC_EDT_CLASS_CODE, "02").Type(CS0000S7050::IDC_EDT_CLASS_NAME, "机动车辆险").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then(kClassCaption, [](win::DialogActions& a) {
        EXPECT_TRUE(Ticked(a).empty());
        Toggle(a, "0201");
        a.Click(IDOK);
    });
    driver->Then(kClassCaption, [](win::DialogActions& a) {
        EXPECT_FALSE(a.Enabled(CS0000S7050::IDC_EDT_CLASS_CODE));
        a.Type(CS0000S7050::IDC_EDT_CLASS_CODE, "01");  // a key does not take it
        a.Type(CS0000S7050::IDC_EDT_CLASS_NAME, "车险").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    RunClasses();
    EXPECT_EQ(driver->MessageTexts(), (std::vector<std::string>{"是否确定删除该纪录!", "处理成功!"}));
    EXPECT_EQ(StoredClasses(), (std::vector<std::string>{"01 财产险"}));
    EXPECT_EQ(StoredClassProducts("01"), (std::vector<std::string>{"0101", "0102", "0103"}));
    EXPECT_TRUE(StoredClassProducts("02").empty());
}

TEST_F(ProductGroupEndToEnd, AClassCodeTakenAlreadyIsRefusedAndTheFormKeepsTheInput) {
    driver->Then(kClassesCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_ADD);
        EXPECT_EQ(GridOf(a, List::IDC_GRID_GROUP).GetRowCount(), 2);
        a.Click(IDCANCEL);
    });
    driver->Then(kClassCaption, [](win::DialogActions& a) {
        a.Type(CS0000S7050::IDC_EDT_CLASS_CODE, "01").Type(CS0000S7050::IDC_EDT_CLASS_NAME, "另一财产险").Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(a.Text(CS0000S7050::IDC_EDT_CLASS_NAME), "另一财产险");
        a.Click(IDCANCEL);
    });
    RunClasses();
    // The specified refusal, then the server's reason on a line of its own.
    EXPECT_EQ(driver->MessageTexts(),
              (std::vector<std::string>{"服务器拒绝保存：该记录已存在，或不符合规则!\n险类01已存在"}));
    EXPECT_EQ(StoredClasses(), (std::vector<std::string>{"01 财产险"}));
}

}  // namespace
}  // namespace kel::testing
