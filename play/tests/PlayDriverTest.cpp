// The script player in process, on a small form: typing, picking, ticking, rows,
// message boxes answered from the queue or left to their default, nested dialogs,
// and a line that cannot be carried out closing everything that is open.
#include <gtest/gtest.h>

#include <sstream>

#include "host/fac/FacBooking.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/DialogTemplate.h"
#include "play/PlayDriver.h"

namespace kel::play {
namespace {

enum : int {
    kFormTemplate = 7201,
    kChildTemplate = 7202,
    IDC_CODE = 1001,
    IDC_TYPE = 1002,
    IDC_LAPSED = 1003,
    IDC_GRID = 1004,
    IDC_DELETE = 1005,
    IDC_CHILD = 1006,
    IDC_SECRET = 1007,
    IDC_LOCKED = 1008,
    IDC_NOTE = 1009,
    IDC_BOOK = 1010,
    IDC_START = 1011,
};

class ChildForm : public CDialog {
public:
    explicit ChildForm(CWnd* parent) : CDialog(kChildTemplate, parent) {}
    CString m_note;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_NOTE, m_note); }
};

class PlayForm : public CDialog {
public:
    PlayForm() : CDialog(kFormTemplate, nullptr) {}
    CString childNote;
    std::string typeOnLeave;  // the type shown when the person left the combo

    static void Register() {
        win::TemplateBuilder(kFormTemplate, "演练表单")
            .Label(-1, "代    码:", 0, 0)
            .Edit(IDC_CODE, 0, 1, 1, ES_UPPERCASE, 2)
            .Label(-1, "类    型:", 1, 0)
            .Combo(IDC_TYPE, 1, 1)
            .Check(IDC_LAPSED, "是否失效", 2, 0)
            .Label(-1, "起期:", 2, 1)
            .Date(IDC_START, 2, 2)
            .Grid(IDC_GRID, 3, 0, 1, 2)
            .Button(IDC_DELETE, "删除[&D]", 4, 0)
            .Button(IDC_CHILD, "备注[&N]...", 4, 1)
            .Button(IDC_SECRET, "隐藏", 4, 2, WS_INVISIBLE)
            .Button(IDC_LOCKED, "锁定", 4, 3, WS_DISABLED)
            .Button(IDC_BOOK, "转处理画面", 4, 4)
            .Button(IDOK, "确定[&O]", 5, 0, BS_DEFPUSHBUTTON)
            .Button(IDCANCEL, "返回", 5, 1)
            .Register();
        win::TemplateBuilder(kChildTemplate, "备注")
            .Label(-1, "备注:", 0, 0)
            .Edit(IDC_NOTE, 0, 1)
            .Button(IDOK, "确定", 1, 0, BS_DEFPUSHBUTTON)
            .Register();
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* type = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
        for (const char* item : {"", "A  成数合约", "C  临分合约", "D 自留合约"}) type->AddString(item);
        auto* grid = static_cast<CQXGrid*>(GetDlgItem(IDC_GRID));
        grid->SetColumnCount(3);
        grid->SetFixedRowCount(1);
        grid->SetRowCount(1);
        grid->SetItemText(0, 0, "代码");
        grid->SetItemText(0, 1, "名称");
        grid->SetColumnWidth(2, 0);  // hidden
        grid->SetHeaderSort(TRUE);
        for (const char* code : {"QA", "S1", "XL"}) {
            int row = grid->InsertRow(code);
            grid->SetItemText(row, 1, (std::string("合约") + code).c_str());
            grid->SetItemText(row, 2, "隐");
        }
        return TRUE;
    }
    void OnDelete() {
        auto* grid = static_cast<CQXGrid*>(GetDlgItem(IDC_GRID));
        if (MessageBox("是否确定删除该纪录!", "提示", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
        grid->DeleteRow(grid->GetRow());
        AfxMessageBox("处理成功!");
    }
    void OnBook() { Call_Fac_Booking("D2024-001", 'B'); }
    void OnTypeLeft() {
        auto* type = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
        CString shown;
        if (type->GetCurSel() >= 0) type->GetLBText(type->GetCurSel(), shown);
        typeOnLeave += "[" + shown.str() + "]";
    }
    void OnChild() {
        ChildForm child(this);
        if (child.DoModal() == IDOK) childNote = child.m_note;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PlayForm, CDialog)
ON_BN_CLICKED(IDC_DELETE, OnDelete)
ON_BN_CLICKED(IDC_CHILD, OnChild)
ON_BN_CLICKED(IDC_BOOK, OnBook)
ON_CBN_KILLFOCUS(IDC_TYPE, OnTypeLeft)
END_MESSAGE_MAP()

struct Played {
    std::string transcript;
    std::optional<ScriptError> error;
    int result = 0;
    std::string note;
    std::string typeOnLeave;
};

Played Play(const std::string& script) {
    PlayForm::Register();
    std::optional<ScriptError> bad;
    auto lines = ParseScript(script, bad);
    EXPECT_FALSE(bad) << bad->line << ": " << bad->why;
    std::ostringstream out;
    auto driver = std::make_shared<PlayDriver>(std::move(lines), out);
    auto previous = win::InstalledDriver();
    win::InstallDriver(driver);
    Played played;
    played.error = driver->Run([&](int screen) {
        PlayForm form;
        played.result = static_cast<int>(form.DoModal());
        played.note = form.childNote.str();
        played.typeOnLeave = form.typeOnLeave;
        return played.result;
    });
    win::InstallDriver(previous);
    played.transcript = out.str();
    return played;
}

TEST(PlayDriver, AUserTypesPicksTicksAndAnswersOneBoxAndLeavesTheOtherToItsDefault) {
    Played p = Play(
        "open 1\n"
        "type 代码 qax\n"
        "pick 类型 C\n"
        "check 是否失效\n"
        "select 2\n"
        "answer Yes\n"
        "click 删除\n"
        "click 删除\n"  // no answer queued: the default button, No
        "show\n"
        "key Enter\n");
    ASSERT_FALSE(p.error) << p.error->line << ": " << p.error->why;
    EXPECT_EQ(p.result, IDOK);
    EXPECT_EQ(p.transcript,
              "open \"演练表单\"\n"
              "message \"是否确定删除该纪录!\" caption \"提示\" icon Question -> Yes\n"
              "message \"处理成功!\" caption \"Zenva再保系统\" icon None -> OK (default)\n"
              "message \"是否确定删除该纪录!\" caption \"提示\" icon Question -> No (default)\n"
              "dialog \"演练表单\"\n"
              "  edit #1001 \"代    码:\" = \"QA\"\n"
              "  combo #1002 \"类    型:\" = \"C  临分合约\"\n"
              "  check #1003 \"是否失效\" [x]\n"
              "  date #1011 \"起期:\" = \"\"\n"
              "  grid 1 #1004\n"
              "  button #1005 \"删除[&D]\"\n"
              "  button #1006 \"备注[&N]...\"\n"
              "  button #1007 \"隐藏\" [hidden]\n"
              "  button #1008 \"锁定\" [disabled]\n"
              "  button #1010 \"转处理画面\"\n"
              "  button #1 \"确定[&O]\"\n"
              "  button #2 \"返回\"\n"
              "  grid 1: 2 rows\n"
              "    代码 | 名称\n"
              "    row 1: QA | 合约QA\n"
              "    row 2: XL | 合约XL\n"
              "close \"演练表单\" OK\n");
}

// A person picks an item and moves on: the combo's leave notification comes once,
// after the item is taken, so a form that acts on leaving sees the new item.
TEST(PlayDriver, APickLeavesTheComboAfterTheItemIsTaken) {
    Played p = Play("open 1\npick 类型 C\npick 类型 D\nkey Escape\n");
    ASSERT_FALSE(p.error) << p.error->line << ": " << p.error->why;
    EXPECT_EQ(p.typeOnLeave, "[C  临分合约][D 自留合约]");
}

// The row keys move the focused grid's current row as a click does, so the record
// a button acts on is the row reached, never the row last clicked.
TEST(PlayDriver, RowKeysMoveTheFocusedGridAndTheScreenActsOnTheRowReached) {
    struct Case {
        const char* keys;
        const char* left;  // the rows after the highlighted one is deleted
    };
    for (const Case& c : {
             Case{"select 1\nkey Down\n", "QA, XL"},
             Case{"select 1\nkey Down\nkey Down\nkey Down\n", "QA, S1"},                          // the last row stays
             Case{"select 3\nkey Up\n", "QA, XL"}, Case{"select 2\nkey Up\nkey Up\n", "S1, XL"},  // the first row stays
             Case{"select 3\nkey Home\n", "S1, XL"}, Case{"select 1\nkey End\n", "QA, S1"},
             Case{"sort 名称\nsort 名称\nselect 1\nkey Down\n", "XL, QA"},  // rows as shown: XL, S1, QA
         }) {
        Played p = Play(std::string("open 1\n") + c.keys + "answer Yes\nclick 删除\nshow\nkey Escape\n");
        ASSERT_FALSE(p.error) << c.keys << p.error->line << ": " << p.error->why;
        const auto rows = p.transcript.find("  grid 1: 2 rows\n");
        ASSERT_NE(rows, std::string::npos) << p.transcript;
        std::string left;
        for (size_t at = p.transcript.find("    row ", rows); at != std::string::npos;
             at = p.transcript.find("    row ", at + 1)) {
            const size_t code = p.transcript.find(": ", at) + 2;
            left += (left.empty() ? "" : ", ") + p.transcript.substr(code, 2);
        }
        EXPECT_EQ(left, c.left) << c.keys;
    }
}

TEST(PlayDriver, ARowKeyNeedsAGridOrListWithTheFocus) {
    Played p = Play("open 1\ntype 代码 qa\nkey Down\n");
    ASSERT_TRUE(p.error);
    EXPECT_EQ(p.error->line, 3);
    EXPECT_EQ(p.error->why, "key Down: the focus is on edit \"代    码:\", not on a grid or list");
    EXPECT_EQ(p.result, IDCANCEL);
}

// A date field takes its digits key by key into the places of its mask.
// The form by keyboard alone: typing where the focus is, Tab and Shift+Tab round
// the controls a person can reach (past the hidden and the disabled button), the
// field left told so, Space on the focused button or box, Alt and a letter.
TEST(PlayDriver, TheKeyboardAloneWalksTheFormAndPressesItsButtons) {
    Played p = Play(
        "open 1\n"
        "type qa\n"    // the focus starts in 代码
        "key Tab\n"    // 类型
        "key Tab\n"    // 是否失效: the combo was left
        "key Space\n"  // ticks it
        "key Shift+Tab\n"
        "key Shift+Tab\n"  // 代码
        "key Shift+Tab\n"  // round to 返回
        "key Shift+Tab\n"  // 确定
        "key Shift+Tab\n"  // 转处理画面, past 锁定 and 隐藏
        "key Space\n"
        "key Alt+n\n"  // 备注[&N]...: the note form
        "type 急\n"
        "key Tab\n"  // its 确定
        "key Space\n"
        "show\n"
        "key Alt+O\n");
    ASSERT_FALSE(p.error) << p.error->line << ": " << p.error->why;
    EXPECT_EQ(p.result, IDOK);
    EXPECT_EQ(p.note, "急");
    EXPECT_EQ(p.typeOnLeave, "[][]");  // left by Tab, then by Shift+Tab
    EXPECT_NE(p.transcript.find("\"QA\""), std::string::npos) << p.transcript;
    EXPECT_NE(p.transcript.find("\"是否失效\" [x]"), std::string::npos) << p.transcript;
    EXPECT_NE(p.transcript.find("booking D2024-001 B\n"), std::string::npos) << p.transcript;

    struct Refused {
        const char* script;
        const char* why;
    } refused[] = {
        {"open 1\nkey Space\n", "key Space: the focus is on edit \"代    码:\", not on a button"},
        {"open 1\nkey Alt+x\n", "key Alt+x: no control underlines the letter in \"演练表单\""},
        {"open 1\nkey Tab\ntype A\n", "combo \"类    型:\" is a combo box: use pick"},
    };
    for (const Refused& r : refused) {
        Played bad = Play(r.script);
        ASSERT_TRUE(bad.error) << r.script;
        EXPECT_EQ(bad.error->why, r.why) << r.script;
    }
}

TEST(PlayDriver, DatesAreTypedIntoTheirMask) {
    for (const char* typed : {"2024/01/31", "20240131"}) {
        Played p = Play(std::string("open 1\ntype 起期 ") + typed + "\nshow\nkey Escape\n");
        ASSERT_FALSE(p.error) << p.error->why;
        EXPECT_NE(p.transcript.find("  date #1011 \"起期:\" = \"2024/01/31\"\n"), std::string::npos) << p.transcript;
    }
}

// The host's facultative booking reports to the transcript while the play runs.
TEST(PlayDriver, TheBookingHandOverIsInTheTranscript) {
    Played p = Play("open 1\nclick 转处理画面\nkey Escape\n");
    ASSERT_FALSE(p.error) << p.error->why;
    EXPECT_EQ(p.transcript, "open \"演练表单\"\nbooking D2024-001 B\nclose \"演练表单\" Cancel\n");
}

TEST(PlayDriver, LinesGoToTheInnermostDialogAndTheScriptsEndClosesWhatIsOpen) {
    Played p = Play(
        "open 1\n"
        "click 备注\n"
        "type 备注 \"两 行\"\n"
        "key Enter\n"
        "click 备注\n");
    ASSERT_FALSE(p.error) << p.error->why;
    EXPECT_EQ(p.note, "两 行");
    EXPECT_EQ(p.result, IDCANCEL);
    EXPECT_EQ(p.transcript,
              "open \"演练表单\"\n"
              "open \"备注\"\n"
              "close \"备注\" OK\n"
              "open \"备注\"\n"
              "close \"备注\" Cancel\n"
              "close \"演练表单\" Cancel\n");
}

TEST(PlayDriver, ALineThatCannotBeDoneStopsThePlayAfterClosingEveryOpenDialog) {
    Played missing = Play("open 1\nclick 备注\ntype 名称 x\nshow\n");
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->line, 3);
    EXPECT_EQ(missing.error->why, "no field \"名称\" in \"备注\"");
    EXPECT_EQ(missing.transcript,
              "open \"演练表单\"\nopen \"备注\"\nclose \"备注\" Cancel\nclose \"演练表单\" Cancel\n");

    auto failure = [](const std::string& script) {
        Played p = Play(script);
        EXPECT_TRUE(p.error) << script;
        return p.error ? "line " + std::to_string(p.error->line) + ": " + p.error->why : std::string();
    };
    EXPECT_EQ(failure("open 1\nclick 隐藏\n"), "line 2: button \"隐藏\" is hidden");
    EXPECT_EQ(failure("open 1\nclick 锁定\n"), "line 2: button \"锁定\" is disabled");
    EXPECT_EQ(
        failure("open 1\npick 类型 E\n"),
        "line 2: combo \"类    型:\": no item \"E\" (items: \"\" \"A  成数合约\" \"C  临分合约\" \"D 自留合约\")");
    EXPECT_EQ(failure("open 1\ntype 类型 A\n"), "line 2: combo \"类    型:\" is a combo box: use pick");
    EXPECT_EQ(failure("open 1\nselect 4\n"), "line 2: select: grid or list 1 has 3 rows, not 4");
    EXPECT_EQ(failure("open 1\nselect 1 2\n"), "line 2: no grid or list 2 in \"演练表单\" (it has 1)");
    EXPECT_EQ(failure("open 1\ntick 1\n"), "line 2: tick: grid or list 1 has no check boxes");
    EXPECT_EQ(failure("open 1\nuncheck #1\n"), "line 2: button \"确定[&O]\" is not a check box or radio button");
    EXPECT_EQ(failure("open 1\nopen 1\n"), "line 2: open: a dialog is open: \"演练表单\"");
    EXPECT_EQ(failure("open 1\nkey Escape\nshow\n"), "line 3: show: no dialog is open");
    // an answer the box does not offer, and one no box ever took
    EXPECT_EQ(failure("open 1\nanswer OK\nclick 删除\n"),
              "line 2: answer OK: the message box \"是否确定删除该纪录!\" has no such button (it has Yes, No)");
    EXPECT_EQ(failure("answer Yes\nopen 1\nkey Escape\n"), "line 1: answer Yes: no message box came to take it");
}

// A column by its heading or by its place among the columns shown; the second
// click on a heading reverses the order.
TEST(PlayDriver, GridRowsAreSelectedAndSortedByHeadingOrPlace) {
    Played p = Play("open 1\nsort 代码\nsort 1\nselect 1\nshow\nkey Escape\n");
    ASSERT_FALSE(p.error) << p.error->why;
    EXPECT_NE(p.transcript.find("    row 1 (current): XL | 合约XL\n    row 2: S1 | 合约S1\n"), std::string::npos)
        << p.transcript;
}

}  // namespace
}  // namespace kel::play
