// The treaty order list and its two add screens, as the user works them against a
// recording channel: searching a month, moving, deleting, copying a month, adding
// one treaty; every request byte, message box and wait cursor.
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "common/db/CodeLists.h"
#include "frame/Kelmor.h"
#include "host/qxcommon/RefusalText.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/S0000S6.h"
#include "screens/S0000S60.h"
#include "screens/S0000S61.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using List = CS0000S6;
using Batch = CS0000S60;
using Single = CS0000S61;
constexpr const char* kListCaption = "合约次序设置[检索]";
constexpr const char* kBatchCaption = "合约次序设置[新增]";
constexpr const char* kSingleCaption = "合约优先级次序[编辑]";
constexpr const char* kNoticeCaption = "Zenva再保系统";
constexpr const char* kBadMonth = "输入的合约年月不正确,请重新输入!";

_ContOrderStruct Order(int priority, const char* code, const char* name, const char* type) {
    _ContOrderStruct r{};
    r.nPriority = priority;
    text::PutField(r.szContCode, code);
    text::PutField(r.szContName, name);
    text::PutField(r.szContTypeName, type);
    return r;
}

const std::vector<_ContOrderStruct> kJanuary = {
    Order(1, "X1", "非比例超赔合约", "非比例合约"),
    Order(2, "S1", "第一溢额合约", "第一溢额合约"),
    Order(3, "Q1", "成数分保合约", "成数合约"),
};

// Request bodies written out byte by byte, so that a wrong offset shows.
std::vector<char> Bytes(std::size_t size, std::initializer_list<std::pair<std::size_t, std::string>> texts) {
    std::vector<char> body(size, 0);
    for (const auto& [at, text] : texts) std::memcpy(body.data() + at, text.data(), text.size());
    return body;
}

std::vector<std::vector<std::string>> DataRows(const CQXGrid& grid) {
    auto rows = Cells(grid);
    rows.erase(rows.begin());
    return rows;
}

class TreatyOrder : public ScreenTest {
protected:
    // The script of the list: type `month` and search, then `script`, then 返回.
    void SearchThen(const char* month, std::function<void(win::DialogActions&)> script) {
        driver->Then(kListCaption, [month, script](win::DialogActions& a) {
            a.Type(List::IDC_DATE_MONTH, month).Click(List::IDC_BTN_SEARCH);
            script(a);
            a.Click(IDCANCEL);
        });
    }
    // Opens the list through the dispatch with that script.
    int Searched(const char* month, std::function<void(win::DialogActions&)> script) {
        SearchThen(month, std::move(script));
        return Call_Kelmor_Dialog(25010, 0);
    }
    std::vector<win::MessageBoxRecord> Boxes() { return driver->MessageBoxes(); }
};

// ---- searching

TEST_F(TreatyOrder, OpeningReadsNothingAndASearchListsTheMonthInServerOrder) {
    channel->AnswerRecords(kJanuary);
    driver->Then(kListCaption, [this](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        EXPECT_TRUE(channel->requests.empty());
        EXPECT_EQ(Cells(grid),
                  (std::vector<std::vector<std::string>>{{"优先级", "合约代码", "合约名称", "合约类型", ""}}));
        EXPECT_EQ(Widths(grid), (std::vector<int>{110, 116, 300, 400, 0}));
        for (int col = 0; col < 5; ++col) EXPECT_EQ(grid.GetFixedFormat(col), CQXGrid::kAlignCenter) << col;
        EXPECT_EQ(dynamic_cast<CQXDateTime*>(a.Item(List::IDC_DATE_MONTH))->GetMask(), "####/##");

        a.Type(List::IDC_DATE_MONTH, "202401").Enter();  // Enter searches
        EXPECT_EQ(a.Text(List::IDC_DATE_MONTH), "2024/01");
        EXPECT_EQ(DataRows(grid),
                  (std::vector<std::vector<std::string>>{{"1", "X1", "非比例超赔合约", "非比例合约", "202401"},
                                                         {"2", "S1", "第一溢额合约", "第一溢额合约", "202401"},
                                                         {"3", "Q1", "成数分保合约", "成数合约", "202401"}}));
        EXPECT_EQ(grid.GetRow(), 1);
        EXPECT_TRUE(grid.IsRowSelected(1));
        EXPECT_EQ(driver->WaitCursorCount(), 1);

        // A header click does not sort: the rows stay in the server's order.
        a.ClickHeader(List::IDC_GRID, 1);
        EXPECT_EQ(grid.GetItemText(1, 1), "X1");
        EXPECT_EQ(grid.GetItemText(3, 1), "Q1");
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Call_Kelmor_Dialog(25010, 0), IDCANCEL);
    ASSERT_EQ(channel->requests.size(), 1u);
    ExpectRequest(0, ExpectedHead(134), Bytes(7, {{0, "202401"}}));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
}

TEST_F(TreatyOrder, AMonthThatIsNoMonthIsRefusedBeforeAnythingIsSent) {
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_SEARCH);                                       // empty
        a.Type(List::IDC_DATE_MONTH, "202413").Click(List::IDC_BTN_SEARCH);  // no 13th month
        EXPECT_EQ(a.FocusID(), List::IDC_DATE_MONTH);
        a.Type(List::IDC_DATE_MONTH, "20241").Click(List::IDC_BTN_SEARCH);  // typed in part
        a.Type(List::IDC_DATE_MONTH, "202400").Click(List::IDC_BTN_SINGLE_ADD);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25010, 0);
    EXPECT_TRUE(channel->requests.empty());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请先输入合约年月,而后检索!", kBadMonth, kBadMonth, kBadMonth}));
    for (const auto& box : Boxes()) {
        EXPECT_EQ(box.request.caption, kNoticeCaption);
        EXPECT_EQ(box.request.type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    }
}

TEST_F(TreatyOrder, AFailedSearchSaysSoWhileAnEmptyMonthIsQuiet) {
    channel->AnswerStatus(1);
    channel->FailReceive(kChannelTimeout);
    channel->AnswerRaw(2, std::vector<char>(sizeof(_ContOrderStruct), 0));  // counts two, holds one
    channel->AnswerWithCode(180, 1, BytesOf(kJanuary[0]));                  // an answer to something else
    channel->AnswerRecords(std::vector<_ContOrderStruct>{});
    channel->AnswerRecords(kJanuary);
    Searched("202401", [this](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        EXPECT_EQ(grid.GetRowCount(), 1);
        for (int i = 0; i < 3; ++i) {
            a.Click(List::IDC_BTN_SEARCH);
            EXPECT_EQ(grid.GetRowCount(), 1) << i;
        }
        EXPECT_EQ(Messages().size(), 4u);
        a.Type(List::IDC_DATE_MONTH, "202402").Click(List::IDC_BTN_SEARCH);  // the month may have no order
        EXPECT_EQ(grid.GetRowCount(), 1);
        a.Click(List::IDC_BTN_SEARCH);
        EXPECT_EQ(grid.GetRowCount(), 4);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"服务器处理失败!", "等待应用服务器应答超时!", "接收数据包失败",
                                                    "接收数据包失败"}));
    channel->sendResult = kChannelNotConnected;
    driver->ClearRecords();
    Searched("202401", [](win::DialogActions&) {});
    EXPECT_EQ(Messages(), (std::vector<std::string>{"未连接到应用服务器!"}));
}

TEST_F(TreatyOrder, AMonthThatCouldNotBeReadIsNoEmptyMonthAndAMoveNoServerTookReadsNothingMore) {
    channel->AnswerRecords(kJanuary);
    channel->FailReceive(kChannelAnswerLostOffline);  // the move went out, no server since
    Searched("202401", [this](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        a.ClickRow(List::IDC_GRID, 2).Click(List::IDC_BTN_DOWN);
        EXPECT_EQ(grid.GetRowCount(), 4);  // the list as it was, one message
        EXPECT_EQ(grid.GetItemText(2, 1), "S1");
        channel->sendResult = kChannelUnreachable;
        a.Click(List::IDC_BTN_DOWN);  // nothing sent: the list stays, one message
        EXPECT_EQ(grid.GetRowCount(), 4);
        a.Click(List::IDC_BTN_SEARCH);  // the month cannot be read: that is said, not "no records"
        EXPECT_EQ(grid.GetRowCount(), 1);
        a.Click(List::IDC_BTN_BATCH_ADD).Click(List::IDC_BTN_UP);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{134, 136}));
    const std::string down = std::string(ChannelErrorText(kChannelAnswerLostOffline)) + "!";
    const std::string none = std::string(ChannelErrorText(kChannelUnreachable)) + "!";
    const std::string unread = "合约次序未能读取，请重新检索！";
    EXPECT_EQ(Messages(), (std::vector<std::string>{down, none, none, unread, unread}));
}

// ---- the month check of delete, moves and batch add

TEST_F(TreatyOrder, ActionsOnNoListOrOnAnotherMonthAreRefusedAndSendNothing) {
    channel->AnswerRecords(kJanuary);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        for (int button : {List::IDC_BTN_DELETE, List::IDC_BTN_UP, List::IDC_BTN_DOWN, List::IDC_BTN_BATCH_ADD})
            a.Click(button);  // nothing searched, the field empty too
        a.Type(List::IDC_DATE_MONTH, "202401").Click(List::IDC_BTN_SEARCH);
        a.Type(List::IDC_DATE_MONTH, "202402");
        for (int button : {List::IDC_BTN_DELETE, List::IDC_BTN_UP, List::IDC_BTN_DOWN, List::IDC_BTN_BATCH_ADD})
            a.Click(button);
        a.Type(List::IDC_DATE_MONTH, "").Click(List::IDC_BTN_DELETE);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25010, 0);
    EXPECT_EQ(Codes(), (std::vector<int>{134}));
    const std::string none = "检索无记录，不能进行该操作！";
    const std::string other = "输入框中年月与检索结果不相符，请查证！";
    EXPECT_EQ(Messages(), (std::vector<std::string>{none, none, none, none, other, other, other, other,
                                                    "请先输入合约年月,而后检索!"}));
}

// ---- moving

TEST_F(TreatyOrder, AMoveReadsTheMonthAgainAndTheSelectionFollowsTheMovedTreaty) {
    channel->AnswerRecords(kJanuary);
    channel->AnswerStatus(0);
    channel->AnswerRecords(std::vector<_ContOrderStruct>{kJanuary[0], Order(2, "Q1", "成数分保合约", "成数合约"),
                                                         Order(3, "S1", "第一溢额合约", "第一溢额合约")});
    channel->AnswerStatus(0);
    channel->AnswerRecords(kJanuary);
    Searched("2024/01", [this](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        const int waits = driver->WaitCursorCount();
        a.ClickRow(List::IDC_GRID, 2).Click(List::IDC_BTN_DOWN);
        EXPECT_EQ(DataRows(grid),
                  (std::vector<std::vector<std::string>>{{"1", "X1", "非比例超赔合约", "非比例合约", "202401"},
                                                         {"2", "Q1", "成数分保合约", "成数合约", "202401"},
                                                         {"3", "S1", "第一溢额合约", "第一溢额合约", "202401"}}));
        EXPECT_EQ(grid.GetRow(), 3);
        EXPECT_EQ(grid.GetFocusColumn(), 1);
        EXPECT_TRUE(grid.IsRowSelected(3));
        EXPECT_FALSE(grid.IsRowSelected(2));
        a.Click(List::IDC_BTN_UP);  // the same treaty back up
        EXPECT_EQ(grid.GetItemText(2, 1), "S1");
        EXPECT_EQ(grid.GetItemText(2, 0), "2");
        EXPECT_EQ(grid.GetRow(), 2);
        EXPECT_EQ(driver->WaitCursorCount(), waits);  // moves show no wait cursor
    });
    EXPECT_EQ(Codes(), (std::vector<int>{134, 136, 134, 136, 134}));
    ExpectRequest(1, ExpectedHead(136), Bytes(11, {{0, "S1"}, {3, "202401"}, {10, "D"}}));
    ExpectRequest(3, ExpectedHead(136), Bytes(11, {{0, "S1"}, {3, "202401"}, {10, "U"}}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TreatyOrder, MovesPastTheEndsOrWithoutARowAreRefusedAndAFailedMoveReadsTheListAgain) {
    channel->AnswerRecords(kJanuary);
    channel->AnswerStatus(1);
    channel->AnswerRecords(kJanuary);
    Searched("202401", [](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        a.Click(List::IDC_BTN_UP);  // row 1 is current after a search
        a.ClickRow(List::IDC_GRID, 3).Click(List::IDC_BTN_DOWN);
        a.Click(List::IDC_BTN_UP);  // the server refuses
        EXPECT_EQ(grid.GetItemText(3, 1), "Q1");
        EXPECT_EQ(grid.GetRow(), 3);
        grid.SelectRow(3, FALSE);  // no current row
        a.Click(List::IDC_BTN_UP).Click(List::IDC_BTN_DOWN);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{134, 136, 134}));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"已经是第一条记录，不能上移！", "已经是最后一条记录，不能下移！",
                                        RefusalText(136, 0, 1).str(), "请选择一条记录！", "请选择一条记录！"}));
}

// ---- deleting

TEST_F(TreatyOrder, DeleteAsksThenReadsTheMonthAgainAsTheServerRenumberedIt) {
    channel->AnswerRecords(kJanuary);
    channel->AnswerStatus(0);
    channel->AnswerRecords(std::vector<_ContOrderStruct>{kJanuary[0], Order(2, "Q1", "成数分保合约", "成数合约")});
    driver->Answer(IDNO).Answer(IDYES);
    Searched("202401", [](win::DialogActions& a) {
        a.ClickRow(List::IDC_GRID, 2).Click(List::IDC_BTN_DELETE);  // No
        EXPECT_EQ(GridOf(a, List::IDC_GRID).GetRowCount(), 4);
        a.Click(List::IDC_BTN_DELETE);  // Yes
        EXPECT_EQ(DataRows(GridOf(a, List::IDC_GRID)),
                  (std::vector<std::vector<std::string>>{{"1", "X1", "非比例超赔合约", "非比例合约", "202401"},
                                                         {"2", "Q1", "成数分保合约", "成数合约", "202401"}}));
    });
    EXPECT_EQ(Codes(), (std::vector<int>{134, 135, 134}));
    ExpectRequest(1, ExpectedHead(135), Bytes(10, {{0, "S1"}, {3, "202401"}}));
    ExpectRequest(2, ExpectedHead(134), Bytes(7, {{0, "202401"}}));
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].request.text, "是否删除选择的记录?");
    EXPECT_EQ(Boxes()[0].request.caption, "合约次序设置");
    EXPECT_EQ(Boxes()[0].request.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST_F(TreatyOrder, ARefusedDeleteIsToldAndTheListStays) {
    channel->AnswerRecords(kJanuary);
    channel->AnswerStatus(1);
    driver->Answer(IDYES);
    Searched("202401", [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_DELETE);
        EXPECT_EQ(GridOf(a, List::IDC_GRID).GetRowCount(), 4);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{134, 135}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"是否删除选择的记录?", RefusalText(135, 0, 1).str()}));
}

TEST_F(TreatyOrder, ACodeLongerThanItsFieldIsNeitherWrittenPastItNorCutToAnotherTreaty) {
    _ContOrderStruct unterminated = Order(1, "", "无结尾代码", "成数合约");
    std::memcpy(unterminated.szContCode, "ABC", 3);  // no NUL inside the field
    channel->AnswerRecords(std::vector<_ContOrderStruct>{unterminated, kJanuary[1]});
    driver->Answer(IDYES);
    Searched("202401", [](win::DialogActions& a) {
        EXPECT_EQ(GridOf(a, List::IDC_GRID).GetItemText(1, 1), "ABC");
        a.Click(List::IDC_BTN_DELETE).Click(List::IDC_BTN_DOWN);
    });
    EXPECT_EQ(Codes(), (std::vector<int>{134}));
    const std::string refused = "合约代码“ABC”超出代码长度,不能处理!";
    EXPECT_EQ(Messages(), (std::vector<std::string>{"是否删除选择的记录?", refused, refused}));
}

// ---- batch add: copying the month

TEST_F(TreatyOrder, BatchAddCopiesTheSearchedMonthAndReadsTheSourceMonthAgain) {
    channel->AnswerRecords(kJanuary);
    channel->AnswerStatus(1);  // the new month has an order already
    channel->AnswerStatus(0);
    channel->AnswerRecords(kJanuary);
    SearchThen("202401", [](win::DialogActions& a) { a.Click(List::IDC_BTN_BATCH_ADD); });
    driver->Then(kBatchCaption, [this](win::DialogActions& a) {
        EXPECT_EQ(driver->WaitCursorDepth(), 1);  // the list's wait cursor stays while this is open
        EXPECT_EQ(dynamic_cast<CQXDateTime*>(a.Item(Batch::IDC_DATE_NEW_MONTH))->GetMask(), "####/##");
        a.Click(IDOK);
        a.Type(Batch::IDC_DATE_NEW_MONTH, "202413").Click(IDOK);
        a.Type(Batch::IDC_DATE_NEW_MONTH, "202402").Click(IDOK);
        EXPECT_FALSE(a.Ended());
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(25010, 0), IDCANCEL);
    EXPECT_EQ(Codes(), (std::vector<int>{134, 138, 138, 134}));
    ExpectRequest(1, ExpectedHead(138), Bytes(14, {{0, "202401"}, {7, "202402"}}));
    ExpectRequest(3, ExpectedHead(134), Bytes(7, {{0, "202401"}}));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"请输入欲新增的合约年月!", kBadMonth, RefusalText(138, 0, 1).str()}));
    EXPECT_EQ(Boxes()[0].request.caption, kNoticeCaption);
    EXPECT_EQ(Boxes()[0].request.type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
}

TEST_F(TreatyOrder, ReturningFromBatchAddSendsAndReadsNothing) {
    channel->AnswerRecords(kJanuary);
    SearchThen("202401", [](win::DialogActions& a) { a.Click(List::IDC_BTN_BATCH_ADD); });
    driver->Then(kBatchCaption,
                 [](win::DialogActions& a) { a.Type(Batch::IDC_DATE_NEW_MONTH, "202402").Click(IDCANCEL); });
    Call_Kelmor_Dialog(25010, 0);
    EXPECT_EQ(Codes(), (std::vector<int>{134}));
}

// ---- single add

class TreatyOrderSingleAdd : public TreatyOrder {
protected:
    // The treaty code combo reads the shared database.
    static void SetUpTestSuite() {
        dir = std::filesystem::temp_directory_path() / ("kelmor-order-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::string error;
        std::shared_ptr<db::Connection> db = db::Open((dir / "host.db").string(), &error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(codelist::ApplyCodeListSchema(*db, &error)) << error;
        db->Execute("INSERT INTO t_cont_code VALUES (?, ?, ?, ?)", {"Q1", "成数分保合约", "Quota", "A"});
        db->Execute("INSERT INTO t_cont_code VALUES (?, ?, ?, ?)", {"S1", "第一溢额合约", "Surplus", "E"});
        SetStaticDatabase(db);
    }
    static void TearDownTestSuite() {
        SetStaticDatabase(nullptr);
        std::filesystem::remove_all(dir);
    }
    static inline std::filesystem::path dir;
};

TEST_F(TreatyOrderSingleAdd, AddsTheChosenTreatyToTheMonthInTheFieldWithOrderNumberZero) {
    channel->AnswerStatus(1);  // already in the month
    channel->AnswerStatus(0);
    channel->AnswerRecords(kJanuary);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Type(List::IDC_DATE_MONTH, "202401").Click(List::IDC_BTN_SINGLE_ADD);  // no search needed
        EXPECT_EQ(GridOf(a, List::IDC_GRID).GetRowCount(), 4);
        a.Click(IDCANCEL);
    });
    driver->Then(kSingleCaption, [this](win::DialogActions& a) {
        EXPECT_EQ(driver->WaitCursorDepth(), 1);
        EXPECT_EQ(a.Text(Single::IDC_EDT_MONTH), "202401");
        EXPECT_TRUE(dynamic_cast<CEdit*>(a.Item(Single::IDC_EDT_MONTH))->IsReadOnly());
        EXPECT_FALSE(a.Enabled(Single::IDC_EDT_ORDER));
        EXPECT_EQ(a.Text(Single::IDC_EDT_ORDER), "");
        auto* codes = dynamic_cast<CComboBox*>(a.Item(Single::IDC_CBX_CONT_CODE));
        ASSERT_NE(codes, nullptr);
        EXPECT_EQ(codes->GetCount(), 3);  // the empty item and the two treaty codes
        a.Click(IDOK);
        a.PickCode(Single::IDC_CBX_CONT_CODE, "S1").Click(IDOK);
        EXPECT_FALSE(a.Ended());
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(25010, 0), IDCANCEL);
    EXPECT_EQ(Codes(), (std::vector<int>{137, 137, 134}));
    ExpectRequest(0, ExpectedHead(137), Bytes(16, {{0, "S1"}, {3, "202401"}}));  // order number 0 at 12
    ExpectRequest(2, ExpectedHead(134), Bytes(7, {{0, "202401"}}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"合约代码必须是非空!", RefusalText(137, 0, 1).str()}));
    EXPECT_EQ(Boxes()[0].request.caption, "新增合约次序");
    EXPECT_EQ(Boxes()[0].request.type, static_cast<UINT>(MB_OK));
}

TEST_F(TreatyOrderSingleAdd, WithoutAMonthItStopsAfterItsMessage) {
    driver->Then(kListCaption, [](win::DialogActions& a) {
        a.Click(List::IDC_BTN_SINGLE_ADD);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25010, 0);
    EXPECT_EQ(driver->DialogsOpened(), (std::vector<std::string>{kListCaption}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请先输入合约年月,而后检索!"}));
    EXPECT_TRUE(channel->requests.empty());
}

}  // namespace
}  // namespace kel::testing
