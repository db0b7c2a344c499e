// The section and insurance class lists of a treaty data record with their forms
// and product choices, against a recording channel: the exact requests, every
// failure and its message, and the product choice for the current row however the
// row became current.
#include "host/qxcommon/RefusalText.h"
#include "screens/S0000S702.h"
#include "screens/S0000S7020.h"
#include "screens/S0000S7021.h"
#include "screens/S0000S705.h"
#include "screens/S0000S7050.h"
#include "screens/S0000S7051.h"
#include "screens/tests/TreatyDataSupport.h"

namespace kel::testing {
namespace {

using List = CProductGroupList;
using Sections = CS0000S702;
using SectionForm = CS0000S7020;
using SectionChoice = CS0000S7021;
using Classes = CS0000S705;
using ClassForm = CS0000S7050;
using ClassChoice = CS0000S7051;
using Rows = std::vector<std::vector<std::string>>;
using Script = std::function<void(win::DialogActions&)>;

constexpr const char* kSectionsCaption = "合约资料设置[合约再保公司SECTION检索]";
constexpr const char* kSectionFormCaption = "合约资料设置[再保公司SECTION编辑]";
constexpr const char* kSectionChoiceCaption = "合约资料设置[再保公司SECTION细节编辑]";
constexpr const char* kClassesCaption = "合约险类设置";
constexpr const char* kClassCaption = "合约资料设置[险类设置]";  // the class form and its product choice
constexpr const char* kTreatyName = "成数合约一号";

_SectionStruct Section(int32_t id, const char* code, double rate) {
    _SectionStruct r{};
    r.nSectId = id;
    r.dCommRate = rate;
    r.nContId = 8;
    text::PutField(r.szContCode, "Q1");
    text::PutField(r.szSectCode, code);
    text::PutField(r.szSectName, code);
    return r;
}

_SectDetailStruct SectProduct(int32_t sectId, const char* code, const char* name = "") {
    _SectDetailStruct r{};
    r.nSectId = sectId;
    text::PutField(r.szProdCode, code);
    text::PutField(r.szProdName, name);
    return r;
}

_InsrncSectStruct Class(const char* code, const char* name) {
    _InsrncSectStruct r{};
    r.nContId = 8;
    text::PutField(r.szClassCode, code);
    text::PutField(r.szClassName, name);
    return r;
}

_InsrClassDtlStruct ClassProduct(const char* cls, const char* code, const char* name = "") {
    _InsrClassDtlStruct r{};
    r.nContId = 8;
    text::PutField(r.szClassCode, cls);
    text::PutField(r.szProdCode, code);
    text::PutField(r.szProdName, name);
    return r;
}

template <class T>
std::vector<char> Body(std::initializer_list<T> records) {
    std::vector<char> body;
    for (const T& r : records) Append(body, BytesOf(r));
    return body;
}

// The 211 request: the class as filter, then 100 zero bytes.
std::vector<char> ClassFilter(const char* cls) {
    _InsrClassDtlFilter f{};
    f.stFilter = ClassProduct(cls, "");
    return BytesOf(f);
}

CCheckListBox& ListOf(win::DialogActions& a) {
    return *dynamic_cast<CCheckListBox*>(a.Item(CProductChoice::IDC_LST_PRODUCTS));
}

// Each item's text with its tick: "0101  企业财产险 +".
std::vector<std::string> Items(win::DialogActions& a) {
    CCheckListBox& list = ListOf(a);
    std::vector<std::string> items;
    for (int i = 0; i < list.GetCount(); ++i) {
        CString text;
        list.GetText(i, text);
        items.push_back(text.str() + (list.GetCheck(i) == BST_CHECKED ? " +" : " -"));
    }
    return items;
}

class ProductGroups : public ScreenTest {
protected:
    static void SetUpTestSuite() {
        TreatyHostDatabase::Open("kelmor-product-groups");
        GetStaticDatabase()->Execute("INSERT INTO t_prd_prod VALUES (?, ?)",
                                     {db::Value(std::string("0103")), db::Value(std::string("财产一切险"))});
    }
    static void TearDownTestSuite() { TreatyHostDatabase::Close(); }

    void TearDown() override {
        EXPECT_EQ(driver->WaitCursorDepth(), 0);
        ScreenTest::TearDown();
    }

    // Q1 of 2024 with two sections; their products are asked for by click.
    void AnswerSections() {
        channel->AnswerRecords(std::vector{Section(11, "S1", 0.33), Section(12, "S2", 0.123456789)});
    }
    void AnswerClasses() { channel->AnswerRecords(std::vector{Class("01", "财产险"), Class("04", "工程险")}); }

    // Queue the list's script first, then those of the dialogs it opens, then run.
    int RunSections(bool add = false) {
        CS0000S702 screen;
        screen.m_bAdd = add;
        screen.m_nContId = 8;
        screen.m_strContCode = "Q1";
        screen.m_strContName = kTreatyName;
        return screen.DoModal();
    }
    int RunClasses(bool add = false) {
        CS0000S705 screen;
        screen.m_bAdd = add;
        screen.m_nContId = 8;
        screen.m_strContCode = "Q1";
        screen.m_strContName = kTreatyName;
        return screen.DoModal();
    }
    void Then(const char* caption, Script script) { driver->Then(caption, std::move(script)); }
};

// ---- the section list

TEST_F(ProductGroups, TheSectionListShowsTheRecordsSectionsAndTheProductsOfTheRowClicked) {
    AnswerSections();
    channel->AnswerRecords(std::vector{SectProduct(12, "0103", "财产一切险")});
    channel->AnswerStatus(1);  // the second product read fails
    Then(kSectionsCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(List::IDC_EDT_CONT_CODE), "Q1");
        EXPECT_EQ(a.Text(List::IDC_EDT_CONT_NAME), kTreatyName);
        EXPECT_FALSE(a.Visible(List::IDC_BTN_PRINT));
        CQXGrid& sections = GridOf(a, List::IDC_GRID_GROUP);
        CQXGrid& products = GridOf(a, List::IDC_GRID_PRODUCT);
        // Six decimals, more when the rate has more: a row read back is the record.
        EXPECT_EQ(Cells(sections),
                  (Rows{{"SECTION", "手续费率", ""}, {"S1", "0.330000", "11"}, {"S2", "0.123456789", "12"}}));
        EXPECT_EQ(Widths(sections), (std::vector<int>{90, 90, 0}));
        EXPECT_EQ(sections.GetRow(), 1);
        EXPECT_EQ(Cells(products), (Rows{{"险种", "险种名称"}}));  // until a row is clicked
        EXPECT_EQ(Widths(products), (std::vector<int>{120, 217}));

        a.ClickRow(List::IDC_GRID_GROUP, 2);
        EXPECT_EQ(Cells(products), (Rows{{"险种", "险种名称"}, {"0103", "财产一切险"}}));
        a.ClickRow(List::IDC_GRID_GROUP, 0);  // the header reads nothing
        a.ClickRow(List::IDC_GRID_GROUP, 1);  // refused: the products shown stay
        EXPECT_EQ(Cells(products), (Rows{{"险种", "险种名称"}, {"0103", "财产一切险"}}));
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(RunSections(), IDCANCEL);
    EXPECT_EQ(Codes(), (std::vector<int>{191, 193, 193}));
    ExpectRequest(0, ExpectedHead(191), DecimalKey(64, "8"));
    ExpectRequest(1, ExpectedHead(193), DecimalKey(64, "12"));
    ExpectRequest(2, ExpectedHead(193), DecimalKey(64, "11"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"服务器处理失败!"}));
    EXPECT_EQ(driver->WaitCursorCount(), 3);
}

TEST_F(ProductGroups, TheListsOfATreatyWithoutAnIdOfItsOwnReadNothingAndOfferNothing) {
    const Script script = [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(List::IDC_EDT_CONT_CODE), "Q1");
        EXPECT_EQ(GridOf(a, List::IDC_GRID_GROUP).GetRowCount(), 1);
        EXPECT_EQ(GridOf(a, List::IDC_GRID_PRODUCT).GetRowCount(), 1);
        for (int id : {List::IDC_BTN_ADD, List::IDC_BTN_MODIFY, List::IDC_BTN_DELETE, List::IDC_BTN_PRODUCTS})
            EXPECT_FALSE(a.Enabled(id)) << id;
        a.Click(IDCANCEL);
    };
    Then(kSectionsCaption, script);
    RunSections(true);
    Then(kClassesCaption, script);
    RunClasses(true);
    EXPECT_TRUE(channel->requests.empty());
}

TEST_F(ProductGroups, AnAddedSectionIsCheckedSentAndReadBackAsTheCurrentRow) {
    AnswerSections();
    channel->AnswerRecords(std::vector{SectProduct(11, "0101", "企业财产险")});
    channel->AnswerStatus(1);  // the first insert is refused
    channel->AnswerStatus(0);
    channel->AnswerRecords(std::vector{Section(11, "S1", 0.33), Section(12, "S2", 0.3), Section(13, "S3", 0.25)});
    Then(kSectionsCaption, [](win::DialogActions& a) {
        a.ClickRow(List::IDC_GRID_GROUP, 1);
        a.Click(List::IDC_BTN_ADD);
        CQXGrid& sections = GridOf(a, List::IDC_GRID_GROUP);
        EXPECT_EQ(sections.GetRowCount(), 4);
        EXPECT_EQ(sections.GetRow(), 3);  // the new section, ready for its products
        EXPECT_EQ(sections.GetItemText(3, 0), "S3");
        EXPECT_EQ(GridOf(a, List::IDC_GRID_PRODUCT).GetRowCount(), 1);
        a.Click(IDCANCEL);
    });
    Then(kSectionFormCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_CONT_CODE), "Q1");
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_CONT_NAME), kTreatyName);
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_SECT_CODE), "");
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_COMM_RATE), "0.0000");
        a.Click(IDOK);                                   // no code
        a.Type(SectionForm::IDC_EDT_SECT_CODE, "S345");  // the field keeps two characters
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_SECT_CODE), "S3");
        a.Type(SectionForm::IDC_EDT_COMM_RATE, "2").Click(IDOK);
        a.Type(SectionForm::IDC_EDT_COMM_RATE, "0.25").Click(IDOK);  // refused by the server
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_SECT_CODE), "S3");
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    RunSections();
    EXPECT_EQ(Codes(), (std::vector<int>{191, 193, 192, 192, 191}));
    _SectionStruct sent = Section(0, "S3", 0.25);
    ExpectRequest(2, ExpectedHead(192, 1, 0), BytesOf(sent));
    ExpectRequest(3, ExpectedHead(192, 1, 0), BytesOf(sent));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"SECTION不能为空，请输入！", "手续费率必须在0到1之间，请修改!",
                                                    RefusalText(192, 0, 1).str()}));
}

TEST_F(ProductGroups, ASectionIsModifiedInItsRowAndDeletedByItsIdAlone) {
    AnswerSections();
    channel->AnswerStatus(0);  // the update
    channel->AnswerRecords(std::vector{SectProduct(11, "0101", "企业财产险")});
    channel->AnswerStatus(1);  // the first delete is refused
    channel->AnswerStatus(0);
    driver->Answer(IDNO).Answer(IDYES).Answer(IDOK).Answer(IDYES);
    Then(kSectionsCaption, [](win::DialogActions& a) {
        CQXGrid& sections = GridOf(a, List::IDC_GRID_GROUP);
        sections.SelectRow(2, TRUE);  // by keyboard
        a.Click(List::IDC_BTN_MODIFY);
        EXPECT_EQ(Cells(sections)[2], (std::vector<std::string>{"S4", "0.350000", "12"}));
        EXPECT_EQ(sections.GetRowCount(), 3);  // nothing read again

        a.ClickRow(List::IDC_GRID_GROUP, 1);
        a.Click(List::IDC_BTN_DELETE);  // No
        a.Click(List::IDC_BTN_DELETE);  // Yes, refused
        EXPECT_EQ(sections.GetRowCount(), 3);
        EXPECT_EQ(GridOf(a, List::IDC_GRID_PRODUCT).GetRowCount(), 2);
        a.Click(List::IDC_BTN_DELETE);
        EXPECT_EQ(Cells(sections), (Rows{{"SECTION", "手续费率", ""}, {"S4", "0.350000", "12"}}));
        EXPECT_EQ(GridOf(a, List::IDC_GRID_PRODUCT).GetRowCount(), 1);

        sections.SelectRow(1, FALSE);  // no current row
        a.Click(List::IDC_BTN_MODIFY).Click(List::IDC_BTN_DELETE);
        a.Click(IDCANCEL);
    });
    Then(kSectionFormCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_SECT_CODE), "S2");
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_COMM_RATE), "0.123456789");  // every digit stored
        a.Type(SectionForm::IDC_EDT_SECT_CODE, "S4").Type(SectionForm::IDC_EDT_COMM_RATE, "0.35").Click(IDOK);
    });
    RunSections();
    EXPECT_EQ(Codes(), (std::vector<int>{191, 192, 193, 192, 192}));
    ExpectRequest(1, ExpectedHead(192, 1, 1), BytesOf(Section(12, "S4", 0.35)));
    _SectionStruct gone{};
    gone.nSectId = 11;
    ExpectRequest(3, ExpectedHead(192, 1, 2), BytesOf(gone));
    ExpectRequest(4, ExpectedHead(192, 1, 2), BytesOf(gone));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"是否确定删除该纪录!", "是否确定删除该纪录!",
                                                    RefusalText(192, 2, 1).str(), "是否确定删除该纪录!", "处理成功!",
                                                    "请选择要修改的数据", "请选择要删除的数据"}));
    EXPECT_EQ(driver->MessageBoxes()[0].request.type, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
}

TEST_F(ProductGroups, ADoubleClickOpensTheRowsSectionAndACancelledFormSendsNothing) {
    AnswerSections();
    Then(kSectionsCaption, [](win::DialogActions& a) {
        a.DoubleClickRow(List::IDC_GRID_GROUP, 1);
        a.Click(IDCANCEL);
    });
    Then(kSectionFormCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_SECT_CODE), "S1");
        EXPECT_EQ(a.Text(SectionForm::IDC_EDT_COMM_RATE), "0.3300");
        a.Type(SectionForm::IDC_EDT_COMM_RATE, "0.5").Click(IDCANCEL);
    });
    RunSections();
    EXPECT_EQ(Codes(), (std::vector<int>{191}));
}

// ---- the section's product choice

TEST_F(ProductGroups, TheProductChoiceIsForTheCurrentRowEvenWhenKeysMadeItCurrent) {
    AnswerSections();
    channel->AnswerRecords(std::vector{SectProduct(11, "0101", "企业财产险"), SectProduct(11, "0102", "家庭财产险")});
    channel->AnswerRecords(std::vector{SectProduct(12, "0103", "财产一切险")});  // read as the choice opens
    channel->AnswerStatus(0);
    channel->AnswerRecords(std::vector{SectProduct(12, "0101", "企业财产险"), SectProduct(12, "0103", "财产一切险")});
    Then(kSectionsCaption, [](win::DialogActions& a) {
        a.ClickRow(List::IDC_GRID_GROUP, 1);                 // S1's products are shown
        GridOf(a, List::IDC_GRID_GROUP).SelectRow(2, TRUE);  // S2 current by keyboard
        a.Click(List::IDC_BTN_PRODUCTS);
        EXPECT_EQ(Cells(GridOf(a, List::IDC_GRID_PRODUCT)),
                  (Rows{{"险种", "险种名称"}, {"0101", "企业财产险"}, {"0103", "财产一切险"}}));
        a.Click(IDCANCEL);
    });
    Then(kSectionChoiceCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(SectionChoice::IDC_EDT_CONT_CODE), "Q1");
        EXPECT_EQ(a.Text(SectionChoice::IDC_EDT_CONT_NAME), kTreatyName);
        EXPECT_EQ(a.Text(SectionChoice::IDC_EDT_SECT_CODE), "S2");
        EXPECT_EQ(Items(a),
                  (std::vector<std::string>{"0101  企业财产险 -", "0102  家庭财产险 -", "0103  财产一切险 +"}));
        a.ToggleItem(SectionChoice::IDC_LST_PRODUCTS, 0).Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    RunSections();
    EXPECT_EQ(Codes(), (std::vector<int>{191, 193, 193, 194, 193}));
    ExpectRequest(2, ExpectedHead(193), DecimalKey(64, "12"));
    ExpectRequest(3, ExpectedHead(194, 2, 0), Body({SectProduct(12, "0101"), SectProduct(12, "0103")}));
    ExpectRequest(4, ExpectedHead(193), DecimalKey(64, "12"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ProductGroups, TheProductChoiceTicksAllOrNoneRefusesNoneAndKeepsTheTicksWhenNotStored) {
    AnswerSections();
    channel->AnswerRecords(std::vector{SectProduct(11, "0102", "家庭财产险")});
    channel->AnswerStatus(1);  // the save is refused
    Then(kSectionsCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_PRODUCTS);  // row 1 is current from the opening
        EXPECT_EQ(Cells(GridOf(a, List::IDC_GRID_PRODUCT)), (Rows{{"险种", "险种名称"}, {"0102", "家庭财产险"}}));
        a.Click(IDCANCEL);
    });
    Then(kSectionChoiceCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(SectionChoice::IDC_EDT_SECT_CODE), "S1");
        a.Click(CProductChoice::IDC_BTN_NONE).Click(IDOK);
        a.Click(CProductChoice::IDC_BTN_ALL);
        EXPECT_EQ(Items(a),
                  (std::vector<std::string>{"0101  企业财产险 +", "0102  家庭财产险 +", "0103  财产一切险 +"}));
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(Items(a),
                  (std::vector<std::string>{"0101  企业财产险 +", "0102  家庭财产险 +", "0103  财产一切险 +"}));
        a.Click(IDCANCEL);
    });
    RunSections();
    // The refused save reloads nothing: the grid already shows the stored products.
    EXPECT_EQ(Codes(), (std::vector<int>{191, 193, 194}));
    ExpectRequest(2, ExpectedHead(194, 3, 0),
                  Body({SectProduct(11, "0101"), SectProduct(11, "0102"), SectProduct(11, "0103")}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"没有选择险种!", RefusalText(194, 0, 1).str(), "错误!"}));
}

TEST_F(ProductGroups, WithoutACurrentSectionOrItsProductsTheChoiceDoesNotOpen) {
    AnswerSections();
    channel->AnswerStatus(1);  // the products cannot be read
    Then(kSectionsCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_PRODUCTS);
        GridOf(a, List::IDC_GRID_GROUP).SelectRow(1, FALSE);
        a.Click(List::IDC_BTN_PRODUCTS);
        a.Click(IDCANCEL);
    });
    RunSections();
    EXPECT_EQ(Codes(), (std::vector<int>{191, 193}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"服务器处理失败!", "请选择SECTION!"}));
}

// ---- the insurance class list

TEST_F(ProductGroups, TheClassListReadsAClassesProductsByTreatyAndCode) {
    AnswerClasses();
    channel->AnswerRecords(std::vector{ClassProduct("04", "0401", "建筑工程一切险")});
    Then(kClassesCaption, [](win::DialogActions& a) {
        CQXGrid& classes = GridOf(a, List::IDC_GRID_GROUP);
        EXPECT_EQ(Cells(classes), (Rows{{"险类代码", "险类名称", ""}, {"01", "财产险", "8"}, {"04", "工程险", "8"}}));
        EXPECT_EQ(Widths(classes), (std::vector<int>{90, 90, 0}));
        EXPECT_EQ(classes.GetFixedFormat(2), CQXGrid::kAlignLeft);  // the hidden header is not centred
        EXPECT_EQ(Cells(GridOf(a, List::IDC_GRID_PRODUCT))[0], (std::vector<std::string>{"险种代码", "险种名称"}));
        EXPECT_EQ(a.Item(List::IDC_BTN_PRINT), nullptr);
        a.ClickRow(List::IDC_GRID_GROUP, 2);
        EXPECT_EQ(Cells(GridOf(a, List::IDC_GRID_PRODUCT))[1], (std::vector<std::string>{"0401", "建筑工程一切险"}));
        a.Click(IDCANCEL);
    });
    RunClasses();
    EXPECT_EQ(Codes(), (std::vector<int>{198, 211}));
    ExpectRequest(0, ExpectedHead(198), DecimalKey(64, "8"));
    ExpectRequest(1, ExpectedHead(211), ClassFilter("04"));
    EXPECT_EQ(channel->requests[1].body.size(), 164u);
}

TEST_F(ProductGroups, AClassNeedsACodeAndANameAndIsAppendedAsTheCurrentRow) {
    AnswerClasses();
    channel->AnswerRecords(std::vector{ClassProduct("01", "0101", "企业财产险")});
    channel->AnswerStatus(0);
    Then(kClassesCaption, [](win::DialogActions& a) {
        a.ClickRow(List::IDC_GRID_GROUP, 1);
        a.Click(List::IDC_BTN_ADD);
        CQXGrid& classes = GridOf(a, List::IDC_GRID_GROUP);
        EXPECT_EQ(Cells(classes)[3], (std::vector<std::string>{"02", "机动车辆险", "8"}));
        EXPECT_EQ(classes.GetRow(), 3);
        EXPECT_EQ(GridOf(a, List::IDC_GRID_PRODUCT).GetRowCount(), 1);
        a.Click(IDCANCEL);
    });
    Then(kClassCaption, [](win::DialogActions& a) {
        EXPECT_TRUE(a.Enabled(ClassForm::IDC_EDT_CLASS_CODE));
        EXPECT_EQ(a.Text(ClassForm::IDC_EDT_CONT_CODE), "Q1");
        EXPECT_EQ(a.Text(ClassForm::IDC_EDT_CONT_NAME), kTreatyName);
        a.Click(IDOK);
        a.Type(ClassForm::IDC_EDT_CLASS_CODE, "02").Click(IDOK);
        a.Type(ClassForm::IDC_EDT_CLASS_NAME, "机动车辆险").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    RunClasses();
    EXPECT_EQ(Codes(), (std::vector<int>{198, 211, 199}));
    ExpectRequest(2, ExpectedHead(199, 1, 0), BytesOf(Class("02", "机动车辆险")));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"险类代码不能为空，请输入！", "险类名称不能为空，请输入！"}));
}

TEST_F(ProductGroups, AClassKeepsItsCodeWhenModifiedAndIsDeletedByTreatyAndCode) {
    AnswerClasses();
    channel->AnswerStatus(1);  // the first update is refused
    channel->AnswerStatus(0);
    channel->AnswerStatus(0);
    driver->Answer(IDOK).Answer(IDYES);
    Then(kClassesCaption, [](win::DialogActions& a) {
        GridOf(a, List::IDC_GRID_GROUP).SelectRow(2, TRUE);
        a.Click(List::IDC_BTN_MODIFY);
        EXPECT_EQ(Cells(GridOf(a, List::IDC_GRID_GROUP))[2], (std::vector<std::string>{"04", "工程险(新)", "8"}));
        a.Click(List::IDC_BTN_DELETE);
        EXPECT_EQ(Cells(GridOf(a, List::IDC_GRID_GROUP)), (Rows{{"险类代码", "险类名称", ""}, {"01", "财产险", "8"}}));
        a.Click(IDCANCEL);
    });
    Then(kClassCaption, [](win::DialogActions& a) {
        // The code is the class's key: a changed one would write over another class.
        EXPECT_FALSE(a.Enabled(ClassForm::IDC_EDT_CLASS_CODE));
        a.Type(ClassForm::IDC_EDT_CLASS_CODE, "01");
        EXPECT_EQ(a.Text(ClassForm::IDC_EDT_CLASS_CODE), "04");
        a.Type(ClassForm::IDC_EDT_CLASS_NAME, "工程险(新)").Click(IDOK);
        EXPECT_FALSE(a.Ended());  // refused: the form keeps the name typed
        EXPECT_EQ(a.Text(ClassForm::IDC_EDT_CLASS_NAME), "工程险(新)");
        a.Click(IDOK);
    });
    RunClasses();
    EXPECT_EQ(Codes(), (std::vector<int>{198, 199, 199, 199}));
    ExpectRequest(1, ExpectedHead(199, 1, 1), BytesOf(Class("04", "工程险(新)")));
    ExpectRequest(2, ExpectedHead(199, 1, 1), BytesOf(Class("04", "工程险(新)")));
    ExpectRequest(3, ExpectedHead(199, 1, 2), BytesOf(Class("04", "")));
    EXPECT_EQ(Messages(), (std::vector<std::string>{RefusalText(199, 1, 1).str(), "是否确定删除该纪录!", "处理成功!"}));
}

TEST_F(ProductGroups, TheClassChoiceSavesForTheCurrentRowAndACancelReadsNothing) {
    AnswerClasses();
    channel->AnswerRecords(std::vector{ClassProduct("01", "0101", "企业财产险")});
    channel->AnswerRecords(std::vector{ClassProduct("04", "0102", "家庭财产险")});  // as the choice opens
    channel->AnswerStatus(0);
    channel->AnswerRecords(
        std::vector{ClassProduct("04", "0102", "家庭财产险"), ClassProduct("04", "0103", "财产一切险")});
    channel->AnswerRecords(
        std::vector{ClassProduct("04", "0102", "家庭财产险"), ClassProduct("04", "0103", "财产一切险")});
    Then(kClassesCaption, [](win::DialogActions& a) {
        CQXGrid& classes = GridOf(a, List::IDC_GRID_GROUP);
        a.ClickRow(List::IDC_GRID_GROUP, 1);
        classes.SelectRow(2, TRUE);
        a.Click(List::IDC_BTN_PRODUCTS);
        EXPECT_EQ(GridOf(a, List::IDC_GRID_PRODUCT).GetRowCount(), 3);
        a.Click(List::IDC_BTN_PRODUCTS);  // cancelled
        classes.SelectRow(2, FALSE);
        a.Click(List::IDC_BTN_PRODUCTS);
        a.Click(IDCANCEL);
    });
    Then(kClassCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(ClassChoice::IDC_EDT_CLASS_CODE), "04");
        EXPECT_EQ(Items(a),
                  (std::vector<std::string>{"0101  企业财产险 -", "0102  家庭财产险 +", "0103  财产一切险 -"}));
        a.ToggleItem(ClassChoice::IDC_LST_PRODUCTS, 2).Click(IDOK);
    });
    Then(kClassCaption, [](win::DialogActions& a) {
        EXPECT_EQ(Items(a),
                  (std::vector<std::string>{"0101  企业财产险 -", "0102  家庭财产险 +", "0103  财产一切险 +"}));
        a.Click(IDCANCEL);
    });
    RunClasses();
    EXPECT_EQ(Codes(), (std::vector<int>{198, 211, 211, 212, 211, 211}));
    ExpectRequest(2, ExpectedHead(211), ClassFilter("04"));
    ExpectRequest(3, ExpectedHead(212, 2, 0), Body({ClassProduct("04", "0102"), ClassProduct("04", "0103")}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请选择险类!"}));
}

}  // namespace
}  // namespace kel::testing
