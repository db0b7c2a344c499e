// The scripted user of the native windows under a real window system (Wine with a
// virtual display in the test command), held to the headless player: the same
// script on the same form gives the same transcript, the same values in the models
// and the same failures, every line carried out on the driver's windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <sstream>

#include "host/fac/FacBooking.h"
#include "host/qxctlset/QXControls.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/DialogTemplate.h"
#include "play/PlayDriver.h"
#include "play/PlayScript.h"
#include "win32/play/NativePlayDriver.h"

namespace {

using kel::play::ParseScript;
using kel::play::ScriptError;

enum : int {
    kForm = 9300,
    kChild = 9301,
    IDC_CODE = 1001,
    IDC_TYPE = 1002,
    IDC_LAPSED = 1003,
    IDC_GRID = 1004,
    IDC_DELETE = 1005,
    IDC_CHILD = 1006,
    IDC_SECRET = 1007,
    IDC_BOOK = 1008,
    IDC_CLASSES = 1010,
    IDC_PRODUCTS = 1011,
    IDC_NOTE = 1012,
    IDC_START = 1013,
};

class Child : public CDialog {
public:
    explicit Child(CWnd* parent) : CDialog(kChild, parent) {}
    CString note;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_NOTE, note); }
};

// A form with a control of each kind a script names, a question, a nested dialog and
// a grid whose double click confirms the form.
class Form : public CDialog {
public:
    Form() : CDialog(kForm, nullptr) {}
    std::string note;

    static void Register() {
        RegisterQXControls();
        win::TemplateBuilder(kForm, "演练表单")
            .Label(-1, "代    码:", 0, 0)
            .Edit(IDC_CODE, 0, 1, 1, ES_UPPERCASE, 3)
            .Label(-1, "类    型:", 1, 0)
            .Combo(IDC_TYPE, 1, 1)
            .Check(IDC_LAPSED, "是否失效", 2, 0)
            .Label(-1, "起期:", 2, 1)
            .Date(IDC_START, 2, 2)
            .Grid(IDC_GRID, 3, 0, 1, 3)
            .ReportList(IDC_CLASSES, 4, 0, 1, 2)
            .CheckList(IDC_PRODUCTS, 4, 2, 1, 1)
            .Button(IDC_DELETE, "删除[&D]", 5, 0)
            .Button(IDC_CHILD, "备注[&N]...", 5, 1)
            .Button(IDC_SECRET, "隐藏", 5, 2, WS_INVISIBLE)
            .Button(IDC_BOOK, "转处理画面", 6, 0)
            .Button(IDOK, "确定[&O]", 6, 1, BS_DEFPUSHBUTTON)
            .Button(IDCANCEL, "返回", 6, 2)
            .Register();
        win::TemplateBuilder(kChild, "备注")
            .Label(-1, "备注:", 0, 0)
            .Edit(IDC_NOTE, 0, 1)
            .Button(IDOK, "确定", 1, 0, BS_DEFPUSHBUTTON)
            .Button(IDCANCEL, "取消", 1, 1)
            .Register();
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* type = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
        for (const char* item : {"", "A  成数合约", "C  临分合约", "D  自留合约"}) type->AddString(item);
        auto* grid = static_cast<CQXGrid*>(GetDlgItem(IDC_GRID));
        grid->SetColumnCount(3);
        grid->SetFixedRowCount(1);
        grid->SetItemText(0, 0, "代码");
        grid->SetItemText(0, 1, "名称");
        grid->SetColumnWidth(0, 60);
        grid->SetColumnWidth(1, 120);
        grid->SetColumnWidth(2, 0);  // hidden
        grid->SetHeaderSort(TRUE);
        for (const char* code : {"S1", "QA", "XL"}) {
            int row = grid->InsertRow(code);
            grid->SetItemText(row, 1, (std::string("合约") + code).c_str());
        }
        auto* classes = static_cast<CListCtrl*>(GetDlgItem(IDC_CLASSES));
        classes->SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        classes->InsertColumn(0, "险类", LVCFMT_LEFT, 80);
        for (const char* name : {"财产险", "工程险", "货运险"}) classes->InsertItem(classes->GetItemCount(), name);
        auto* products = static_cast<CCheckListBox*>(GetDlgItem(IDC_PRODUCTS));
        for (const char* name : {"0401 建筑工程一切险", "0402 安装工程一切险"}) products->AddString(name);
        return TRUE;
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (reinterpret_cast<NMHDR*>(lParam)->code == GVN_DBLCLICK) {
            EndDialog(IDOK);
            return TRUE;
        }
        return CDialog::OnNotify(wParam, lParam, result);
    }
    void OnDelete() {
        auto* grid = static_cast<CQXGrid*>(GetDlgItem(IDC_GRID));
        if (MessageBox("是否确定删除该纪录!", "提示", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
        grid->DeleteRow(grid->GetRow());
        AfxMessageBox("处理成功!");
    }
    void OnChild() {
        Child child(this);
        if (child.DoModal() == IDOK) note = child.note.str();
    }
    void OnBook() { Call_Fac_Booking("D2024-001", 'B'); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Form, CDialog)
ON_BN_CLICKED(IDC_DELETE, OnDelete)
ON_BN_CLICKED(IDC_CHILD, OnChild)
ON_BN_CLICKED(IDC_BOOK, OnBook)
END_MESSAGE_MAP()

struct Played {
    std::string transcript;
    std::optional<ScriptError> error;
    int result = 0;
    std::string note;
};

// Plays `script` on a fresh form with the native player, or with the headless one.
template <class Player>
Played Play(const std::string& script) {
    Form::Register();
    std::optional<ScriptError> bad;
    auto lines = ParseScript(script, bad);
    EXPECT_FALSE(bad) << bad->line << ": " << bad->why;
    std::ostringstream out;
    auto player = std::make_shared<Player>(std::move(lines), out);
    win::InstallDriver(player);
    Played played;
    played.error = player->Run([&](int) {
        Form form;
        played.result = static_cast<int>(form.DoModal());
        played.note = form.note;
        return played.result;
    });
    win::InstallDriver(nullptr);
    played.transcript = out.str();
    return played;
}

// What the form held when the script showed it: the models after the native lines.
std::string Shown(const std::string& transcript) {
    const auto at = transcript.find("dialog \"演练表单\"");
    return at == std::string::npos ? std::string() : transcript.substr(at);
}

TEST(NativePlay, AScriptOverEveryKindOfControlGivesTheHeadlessTranscript) {
    const std::string script =
        "open 1\n"
        "type 代码 ab1x\n"  // upper case, three characters at most
        "pick 类型 C\n"
        "check 是否失效\n"
        "type 起期 20240105\n"
        "sort 代码\n"  // QA, S1, XL
        "select 2\n"
        "tick 2 2\n"  // 工程险
        "tick 1 3\n"  // 0401
        "untick 1 3\n"
        "tick 2 3\n"
        "show\n"
        "answer Yes\n"
        "click 删除\n"  // S1 goes, then 处理成功! to its default
        "click 删除\n"  // left to its default: No
        "click 备注\n"
        "type 备注 \"一条 备注\"\n"
        "key Enter\n"
        "click 转处理画面\n"
        "show\n"
        "double 2\n";  // XL: confirms the form
    const Played native = Play<kel::win32::NativePlayDriver>(script);
    const Played headless = Play<kel::play::PlayDriver>(script);
    ASSERT_FALSE(native.error) << native.error->line << ": " << native.error->why << "\n" << native.transcript;
    ASSERT_FALSE(headless.error) << headless.error->why;
    EXPECT_EQ(native.transcript, headless.transcript);
    EXPECT_EQ(native.result, IDOK);
    EXPECT_EQ(native.note, "一条 备注");
    // The lines reached the models: a few of them, as shown.
    const std::string shown = Shown(native.transcript);
    EXPECT_NE(shown.find("= \"AB1\""), std::string::npos) << shown;
    EXPECT_NE(shown.find("= \"C  临分合约\""), std::string::npos) << shown;
    EXPECT_NE(shown.find("= \"2024/01/05\""), std::string::npos) << shown;
    EXPECT_NE(shown.find("message \"是否确定删除该纪录!\" caption \"提示\" icon Question -> Yes\n"), std::string::npos);
    EXPECT_NE(native.transcript.find("icon Question -> No (default)"), std::string::npos);
    EXPECT_NE(native.transcript.find("booking D2024-001 B\n"), std::string::npos);
}

// Rows moved with the keys in the list views reach the models as clicks: the row
// deleted is the one the keys reached, as with the headless player.
TEST(NativePlay, RowKeysInTheListViewsGiveTheHeadlessTranscript) {
    const std::string script =
        "open 1\n"
        "select 1\n"
        "key Down\n"
        "key End\n"
        "key Up\n"  // QA
        "show\n"
        "answer Yes\n"
        "click 删除\n"
        "select 1\n"
        "key Down\n"
        "key Home\n"
        "show\n"
        "select 1 2\n"
        "key Down\n"
        "key Down\n"
        "key Down\n"  // the last row stays
        "tick 1 2\n"
        "show\n"
        "key Escape\n";
    const Played native = Play<kel::win32::NativePlayDriver>(script);
    const Played headless = Play<kel::play::PlayDriver>(script);
    ASSERT_FALSE(native.error) << native.error->line << ": " << native.error->why << "\n" << native.transcript;
    ASSERT_FALSE(headless.error) << headless.error->why;
    EXPECT_EQ(native.transcript, headless.transcript);
    // QA was highlighted and deleted; the keys went on over the rows left.
    EXPECT_NE(native.transcript.find("row 2 (current): QA"), std::string::npos) << native.transcript;
    EXPECT_NE(native.transcript.find("row 1 (current): S1 | 合约S1\n    row 2: XL"), std::string::npos);
}

TEST(NativePlay, ALineThatCannotBeCarriedOutClosesEveryDialogAsTheHeadlessPlayerDoes) {
    for (const std::string script : {
             "open 1\nclick 备注\ntype 备注 x\nclick 隐藏\nclick 确定\n",  // a hidden button of the outer form
             "open 1\nanswer Retry\nclick 删除\nclick 确定\n",             // a box without that button
             "open 1\nselect 9\n",                                         // no such row
             "open 1\npick 类型 Z\n",                                      // no such item
             "open 1\nkey Down\n",                                         // the focus is not on a list
         }) {
        const Played native = Play<kel::win32::NativePlayDriver>(script);
        const Played headless = Play<kel::play::PlayDriver>(script);
        ASSERT_TRUE(native.error) << script;
        ASSERT_TRUE(headless.error) << script;
        EXPECT_EQ(native.error->line, headless.error->line) << script;
        EXPECT_EQ(native.error->why, headless.error->why) << script;
        EXPECT_EQ(native.transcript, headless.transcript) << script;
        EXPECT_EQ(native.result, IDCANCEL) << script;
    }
}

}  // namespace
