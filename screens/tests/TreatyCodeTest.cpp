// The treaty code list and its form, as the user works them: opening the list,
// adding, modifying and deleting a treaty code.
#include <cstring>

#include "frame/Kelmor.h"
#include "screens/S0000S2.h"
#include "screens/S0000S20.h"
#include "screens/ScreenCommon.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using List = CS0000S2;
using Form = CS0000S20;
constexpr const char* kListCaption = "合约代码设置[检索]";
constexpr const char* kAddCaption = "合约代码-新增";
constexpr const char* kModifyCaption = "合约代码-修改";

const std::vector<_ContCodeStruct> kCodes = {
    ContCode("QA", "成数合约一号", "Quota Share No.1", 'A'),
    ContCode("S1", "第一溢额合约", "First Surplus", 'E', 'Y'),
    ContCode("XL", "非比例合约", "Excess of Loss", 'H', 'N'),
};

std::vector<char> CodeBody(const _ContCodeStruct& r) { return BytesOf(r); }

class TreatyCodes : public ScreenTest {
protected:
    // Opens the list through the dispatch with `script`; the list closes with 返回.
    int OpenList(std::function<void(win::DialogActions&)> script) {
        driver->Then(kListCaption, [script](win::DialogActions& a) {
            script(a);
            a.Click(IDCANCEL);
        });
        return Call_Kelmor_Dialog(25001, 0);
    }
    // Opens the list, clicks `button` (add, or modify on the current row) and works
    // the form that opens with `form`; then leaves the list.
    void ThroughForm(int button, std::function<void(win::DialogActions&)> form) {
        driver->Then(kListCaption, [button](win::DialogActions& a) {
            a.Click(button);
            a.Click(IDCANCEL);
        });
        driver->Then(button == List::IDC_BTN_ADD ? kAddCaption : kModifyCaption, std::move(form));
        Call_Kelmor_Dialog(25001, 0);
    }
};

// ---- opening the list

TEST_F(TreatyCodes, OpeningListsEveryCodeAndHighlightsMarkedRowsInEveryCell) {
    channel->AnswerRecords(kCodes);
    EXPECT_EQ(OpenList([](win::DialogActions& a) {
                  CQXGrid& grid = GridOf(a, List::IDC_GRID);
                  EXPECT_EQ(Cells(grid),
                            (std::vector<std::vector<std::string>>{{"代码", "中文名称", "英文名称", "类型", ""},
                                                                   {"QA", "成数合约一号", "Quota Share No.1", "A", ""},
                                                                   {"S1", "第一溢额合约", "First Surplus", "E", "Y"},
                                                                   {"XL", "非比例合约", "Excess of Loss", "H", "N"}}));
                  EXPECT_EQ(Widths(grid), (std::vector<int>{53, 400, 400, 73, 0}));
                  for (int col = 0; col < 4; ++col) EXPECT_EQ(grid.GetFixedFormat(col), CQXGrid::kAlignCenter);
                  EXPECT_EQ(grid.GetRow(), 1);
                  for (int col = 0; col < 5; ++col) {
                      EXPECT_EQ(grid.GetItemBkColour(2, col), kel::screens::kMarkColour) << col;
                      EXPECT_EQ(grid.GetItemBkColour(1, col), CQXGrid::kDefaultBkColour) << col;
                      EXPECT_EQ(grid.GetItemBkColour(3, col), CQXGrid::kDefaultBkColour) << col;
                  }
              }),
              IDCANCEL);
    ASSERT_EQ(channel->requests.size(), 1u);
    ExpectRequest(0, ExpectedHead(180), {});
    EXPECT_TRUE(Messages().empty());
    EXPECT_GE(driver->WaitCursorCount(), 1);
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
}

TEST_F(TreatyCodes, AFailedLoadIsReportedAndLeavesTheGridBareButTheListCanBeLeft) {
    channel->FailReceive(kChannelTimeout);
    EXPECT_EQ(OpenList([](win::DialogActions& a) {
                  CQXGrid& grid = GridOf(a, List::IDC_GRID);
                  EXPECT_EQ(grid.GetRowCount(), 0);
                  EXPECT_EQ(grid.GetColumnCount(), 0);
              }),
              IDCANCEL);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"等待应用服务器应答超时!"}));
}

// ---- adding

TEST_F(TreatyCodes, AddingSendsTheTypedCodeAndReadsTheListAgain) {
    channel->AnswerRecords(kCodes);
    channel->AnswerStatus(0);
    auto after = kCodes;
    after.push_back(ContCode("FS", "火险溢额", "Fire Surplus", 'F'));
    channel->AnswerRecords(after);

    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_ADD);
        EXPECT_EQ(GridOf(a, List::IDC_GRID).GetRowCount(), 5);
        EXPECT_EQ(GridOf(a, List::IDC_GRID).GetItemText(4, 0), "FS");
        a.Click(IDCANCEL);
    });
    driver->Then(kAddCaption, [](win::DialogActions& a) {
        for (int id : {Form::IDC_EDT_CODE, Form::IDC_EDT_CHN_NAME, Form::IDC_EDT_ENG_NAME, Form::IDC_CBX_TYPE}) {
            EXPECT_TRUE(a.Enabled(id)) << id;
            EXPECT_EQ(a.Text(id), "") << id;
        }
        auto* type = dynamic_cast<CComboBox*>(a.Item(Form::IDC_CBX_TYPE));
        ASSERT_NE(type, nullptr);
        std::vector<std::string> items;
        for (const CString& item : type->Items()) items.push_back(item.str());
        EXPECT_EQ(items, (std::vector<std::string>{"", "A  成数合约", "C  临分合约", "D 自留合约", "E  第一溢额合约",
                                                   "F  第二溢额合约", "G 剩余合约", "H  非比例合约"}));
        a.Type(Form::IDC_EDT_CODE, "fs");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CODE), "FS");
        a.Type(Form::IDC_EDT_CHN_NAME, "火险溢额").Type(Form::IDC_EDT_ENG_NAME, "Fire Surplus");
        a.PickCode(Form::IDC_CBX_TYPE, "F");
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(25001, 0), IDCANCEL);

    EXPECT_EQ(Codes(), (std::vector<int>{180, 181, 180}));
    ExpectRequest(1, ExpectedHead(181, 1, 0), CodeBody(ContCode("FS", "火险溢额", "Fire Surplus", 'F')));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TreatyCodes, CancellingTheAddFormSendsNothingButStillReloads) {
    channel->AnswerRecords(kCodes);
    channel->AnswerRecords(kCodes);
    ThroughForm(List::IDC_BTN_ADD, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CODE, "ZZ");
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{180, 180}));
}

TEST_F(TreatyCodes, EachEmptyRequiredFieldIsNamedAndNothingIsSent) {
    ThroughForm(List::IDC_BTN_ADD, [](win::DialogActions& a) {
        a.Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_CODE);
        a.Type(Form::IDC_EDT_CODE, "AB").Click(IDOK);
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_CHN_NAME);
        a.Type(Form::IDC_EDT_CHN_NAME, "名称").Click(IDOK);  // the English name may stay empty
        EXPECT_EQ(a.FocusID(), Form::IDC_CBX_TYPE);
        EXPECT_FALSE(a.Ended());
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"代码不能为空，请输入！", "中文名称不能为空，请输入！",
                                                    "类型不能为空，请输入！"}));
    EXPECT_EQ(Codes(), (std::vector<int>{180, 180}));
}

TEST_F(TreatyCodes, TheFormRefusesWhatTheRecordCannotHold) {
    ThroughForm(List::IDC_BTN_ADD, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CODE, "abc");
        EXPECT_EQ(a.Text(Form::IDC_EDT_CODE), "AB");
        std::string chinese;
        for (int i = 0; i < 31; ++i) chinese += "合";
        a.Type(Form::IDC_EDT_CHN_NAME, chinese.c_str());  // 62 GBK bytes: 30 characters fit
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME).str(), chinese.substr(0, 30 * 3));
        a.Type(Form::IDC_EDT_ENG_NAME, std::string(61, 'e').c_str());
        EXPECT_EQ(a.Text(Form::IDC_EDT_ENG_NAME).str(), std::string(60, 'e'));

        // Text GBK cannot hold is refused before anything is sent.
        a.Type(Form::IDC_EDT_ENG_NAME, "Quota 😀 Share").PickCode(Form::IDC_CBX_TYPE, "A");
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(a.FocusID(), Form::IDC_EDT_ENG_NAME);
        EXPECT_EQ(a.Text(Form::IDC_EDT_ENG_NAME), "Quota 😀 Share");
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"英文名称中的字符“😀”无法保存，请修改!"}));
    EXPECT_EQ(Codes(), (std::vector<int>{180, 180}));
}

TEST_F(TreatyCodes, ACodeIsTwoUpperCaseLettersOrDigits) {
    channel->AnswerRecords(kCodes);
    channel->AnswerStatus(0);
    channel->AnswerRecords(kCodes);
    ThroughForm(List::IDC_BTN_ADD, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CHN_NAME, "火险").PickCode(Form::IDC_CBX_TYPE, "A");
        for (const char* code : {"合", "A", "a-"}) {
            a.Type(Form::IDC_EDT_CODE, code).Click(IDOK);
            EXPECT_FALSE(a.Ended()) << code;
            EXPECT_EQ(a.FocusID(), Form::IDC_EDT_CODE) << code;
        }
        a.Type(Form::IDC_EDT_CODE, "f9").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Messages(), std::vector<std::string>(3, "代码必须是两位大写字母或数字，请修改!"));
    EXPECT_EQ(Codes(), (std::vector<int>{180, 181, 180}));
    ExpectRequest(1, ExpectedHead(181, 1, 0), CodeBody(ContCode("F9", "火险", "", 'A')));
}

TEST_F(TreatyCodes, AFailedAddKeepsTheFormOpenWithTheInput) {
    channel->AnswerRecords(kCodes);
    channel->AnswerStatus(1);  // the server refuses
    channel->AnswerRecords(kCodes);
    ThroughForm(List::IDC_BTN_ADD, [this](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CODE, "QA").Type(Form::IDC_EDT_CHN_NAME, "重复").PickCode(Form::IDC_CBX_TYPE, "A");
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        // The framework says why the server refused.
        EXPECT_EQ(Messages(), (std::vector<std::string>{"服务器拒绝保存：该记录已存在，或不符合规则!"}));
        channel->sendResult = kChannelSendFailed;
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(Messages(),
                  (std::vector<std::string>{"服务器拒绝保存：该记录已存在，或不符合规则!", "发送数据包失败!"}));
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "重复");
        EXPECT_EQ(a.Text(Form::IDC_CBX_TYPE), "A  成数合约");
        channel->sendResult = 0;
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{180, 181, 180}));
}

// ---- modifying

TEST_F(TreatyCodes, ModifyFeedsTheFormFromTheRowChangesOnlyTheNamesAndSendsFlagZero) {
    channel->AnswerRecords(kCodes);
    channel->AnswerStatus(0);
    channel->AnswerRecords(kCodes);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.ClickRow(List::IDC_GRID, 2);  // the highlighted row, flag 'Y'
        a.Click(List::IDC_BTN_MODIFY);
        a.Click(IDCANCEL);
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_CODE), "S1");
        EXPECT_FALSE(a.Enabled(Form::IDC_EDT_CODE));
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "第一溢额合约");
        EXPECT_EQ(a.Text(Form::IDC_EDT_ENG_NAME), "First Surplus");
        EXPECT_FALSE(a.Enabled(Form::IDC_CBX_TYPE));
        EXPECT_EQ(a.Text(Form::IDC_CBX_TYPE), "E  第一溢额合约");
        EXPECT_TRUE(a.Enabled(Form::IDC_EDT_CHN_NAME));
        a.Type(Form::IDC_EDT_CODE, "ZZ");  // refused: the field is disabled
        a.Type(Form::IDC_EDT_CHN_NAME, "第一溢额合约(新)");
        a.Click(IDOK);
    });
    Call_Kelmor_Dialog(25001, 0);
    EXPECT_EQ(Codes(), (std::vector<int>{180, 181, 180}));
    ExpectRequest(1, ExpectedHead(181, 1, 1), CodeBody(ContCode("S1", "第一溢额合约(新)", "First Surplus", 'E', '\0')));
}

TEST_F(TreatyCodes, ACodeStoredBeforeTheRuleCanStillBeRenamed) {
    const std::vector legacy{ContCode("合", "旧合约", "Old", 'A')};
    channel->AnswerRecords(legacy);
    channel->AnswerStatus(0);
    channel->AnswerRecords(legacy);
    ThroughForm(List::IDC_BTN_MODIFY, [](win::DialogActions& a) {
        EXPECT_EQ(a.Caption(), "合约代码-修改");
        a.Type(Form::IDC_EDT_CHN_NAME, "旧合约(改)").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    ASSERT_EQ(Codes(), (std::vector<int>{180, 181, 180}));
    ExpectRequest(1, ExpectedHead(181, 1, 1), CodeBody(ContCode("合", "旧合约(改)", "Old", 'A')));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TreatyCodes, ATypeTheListDoesNotKnowGoesBackUnchanged) {
    channel->AnswerRecords(std::vector{ContCode("OD", "旧合约", "Old", 'B')});
    ThroughForm(List::IDC_BTN_MODIFY, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_CBX_TYPE), "B");
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    ASSERT_EQ(Codes(), (std::vector<int>{180, 181, 180}));
    ExpectRequest(1, ExpectedHead(181, 1, 1), CodeBody(ContCode("OD", "旧合约", "Old", 'B')));
}

TEST_F(TreatyCodes, ADoubleClickOnADataRowModifiesItAndOnTheHeaderDoesNothing) {
    channel->AnswerRecords(kCodes);
    channel->AnswerRecords(kCodes);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.DoubleClickRow(List::IDC_GRID, 0).Dialog().IsEnded(), false);
        a.DoubleClickRow(List::IDC_GRID, 3);
        a.Click(IDCANCEL);
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_CODE), "XL");
        a.Click(IDCANCEL);  // closed without change: the list is still read again
    });
    Call_Kelmor_Dialog(25001, 0);
    EXPECT_EQ(Codes(), (std::vector<int>{180, 180}));
    EXPECT_EQ(driver->DialogsOpened().size(), 2u);
}

// ---- selection messages and deleting

TEST_F(TreatyCodes, ModifyAndDeleteWithoutACurrentRowAskForOneAndSendNothing) {
    channel->AnswerRecords(std::vector<_ContCodeStruct>{});
    OpenList([](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        EXPECT_EQ(grid.GetRowCount(), 1);  // the header row only
        EXPECT_EQ(grid.GetColumnCount(), 5);
        EXPECT_EQ(grid.GetRow(), -1);
        a.Click(List::IDC_BTN_MODIFY);
        a.Click(List::IDC_BTN_DELETE);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请选择要修改的数据", "请选择要删除的数据"}));
    for (const auto& box : driver->MessageBoxes()) EXPECT_EQ(box.request.type, MB_OK);
    EXPECT_EQ(Codes(), (std::vector<int>{180}));
}

TEST_F(TreatyCodes, DeleteAsksFirstAndRemovesOnlyTheRowTheServerDeleted) {
    channel->AnswerRecords(kCodes);
    channel->FailReceive(kChannelClosed);  // the first Yes: the delete fails
    channel->AnswerStatus(0);
    driver->Answer(IDNO).Answer(IDYES).Answer(IDOK).Answer(IDYES);
    OpenList([this](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        a.ClickRow(List::IDC_GRID, 2).Click(List::IDC_BTN_DELETE);  // No: nothing is sent
        EXPECT_EQ(Codes(), (std::vector<int>{180}));
        a.Click(List::IDC_BTN_DELETE);  // Yes, but the answer is lost (told): the row stays
        EXPECT_EQ(grid.GetRowCount(), 4);
        a.Click(List::IDC_BTN_DELETE);  // Yes: the row goes, the rest stays as it was
        ASSERT_EQ(grid.GetRowCount(), 3);
        EXPECT_EQ(grid.GetItemText(1, 0), "QA");
        EXPECT_EQ(grid.GetItemText(2, 0), "XL");
    });
    const auto& boxes = driver->MessageBoxes();
    ASSERT_EQ(Messages(), (std::vector<std::string>{"是否确定删除该纪录!", "是否确定删除该纪录!",
                                                    "与应用服务器的连接已断开!", "是否确定删除该纪录!", "处理成功!"}));
    EXPECT_EQ(boxes[0].request.Buttons(), MB_YESNO);
    EXPECT_EQ(boxes[0].request.Icon(), MB_ICONQUESTION);
    EXPECT_EQ(boxes[0].request.DefaultAnswer(), IDNO);
    EXPECT_EQ(boxes[4].request.type, MB_OK);
    EXPECT_EQ(Codes(), (std::vector<int>{180, 181, 181}));  // no reload
    ExpectRequest(2, ExpectedHead(181, 1, 2), {'S', '1', '\0'});
}

}  // namespace
}  // namespace kel::testing
