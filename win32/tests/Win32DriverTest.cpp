// The native driver under a real window system (Wine with a virtual display in the
// test command): dialogs made from templates, the person's keys and clicks sent to
// the system's controls, the modal loop with its owner, message boxes and timers.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <atomic>
#include <cstdio>
#include <functional>
#include <iterator>

#include <memory>
#include <thread>
#include <vector>

#include "INCLUDE/NumEdit.h"
#include "host/qxctlset/QXControls.h"
#include "host/qxctlset/QXDateTime.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/DialogTemplate.h"
#include "win32/CellTips.h"
#include "win32/PopupWindow.h"
#include "win32/SystemClipboard.h"
#include "win32/Win32Driver.h"
#include "win32/WindowText.h"

namespace {

using kel::win32::ListCellText;
using kel::win32::Win32Driver;

enum {
    IDD_FORM = 9100,
    IDD_INNER = 9101,
    IDC_CODE = 1001,
    IDC_FLAG = 1002,
    IDC_A = 1003,
    IDC_B = 1004,
    IDC_KIND = 1005,
    IDC_OPEN = 1006,
    IDC_ASK = 1007
};

void RegisterTemplates() {
    win::TemplateBuilder(IDD_FORM, "表单")
        .Label(0, "代码:", 0, 0)
        .Edit(IDC_CODE, 0, 1, 1, ES_UPPERCASE, 4)
        .Check(IDC_FLAG, "有效[&V]", 1, 0)
        .Radio(IDC_A, "甲", 2, 0, 1, WS_GROUP)
        .Radio(IDC_B, "乙", 2, 1)
        .Combo(IDC_KIND, 3, 1)
        .Button(IDC_OPEN, "打开[&P]...", 4, 0)
        .Button(IDC_ASK, "询问", 4, 1)
        .Button(IDOK, "确定", 5, 0, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消", 5, 1)
        .Register();
    win::TemplateBuilder(IDD_INNER, "内层").Label(0, "内容", 0, 0).Button(IDCANCEL, "返回", 1, 0).Register();
}

class Inner : public CDialog {
public:
    Inner() : CDialog(IDD_INNER) {}
};

class Form : public CDialog {
public:
    Form() : CDialog(IDD_FORM) {}
    BOOL OnInitDialog() override {
        auto* kind = static_cast<CComboBox*>(GetDlgItem(IDC_KIND));
        kind->AddString("成数");
        kind->AddString("溢额");
        return CDialog::OnInitDialog();
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == IDC_OPEN && HIWORD(wParam) == BN_CLICKED) {
            HWND me = driver->TopDialog();
            Inner inner;
            innerResult = static_cast<int>(inner.DoModal());
            ownerEnabledAfter = ::IsWindowEnabled(me) != FALSE;
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_ASK && HIWORD(wParam) == BN_CLICKED) {
            answer = MessageBox("是否确定删除该纪录!", "提示", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }
    void OnTimer(UINT_PTR id) override {
        if (id == 8) {  // a question that comes by itself, while the person types
            KillTimer(8);
            answer = MessageBox("是否确定删除该纪录!", "提示", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        }
        if (id == 7 && ++ticks == 3) {
            KillTimer(7);
            EndDialog(IDABORT);
        }
    }
    Win32Driver* driver = nullptr;
    int innerResult = 0;
    bool ownerEnabledAfter = false;
    int answer = 0;
    int ticks = 0;
};

// Runs `script` from a timer of the thread once the dialog is up, so that it acts
// as the person would: through the system's windows and the message loop.
struct Script {
    static inline std::function<void()> step;
    static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (auto s = std::move(step)) s();
    }
    static void After(UINT ms, std::function<void()> s) {
        step = std::move(s);
        SetTimer(nullptr, 0, ms, &Fire);
    }
};

class Win32DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTemplates();
        driver = std::make_shared<Win32Driver>();
        win::InstallDriver(driver);
        form.driver = driver.get();
    }
    void TearDown() override { win::InstallDriver(nullptr); }
    HWND Item(int id) const { return GetDlgItem(driver->TopDialog(), id); }
    void Key(HWND to, UINT key) { PostMessageW(to, WM_KEYDOWN, key, 0); }

    std::shared_ptr<Win32Driver> driver;
    Form form;
};

TEST_F(Win32DriverTest, TypedClickedAndPickedValuesReachTheModelsAndEnterConfirms) {
    Script::After(100, [this] {
        HWND code = Item(IDC_CODE);
        ASSERT_TRUE(code);
        SetFocus(code);
        for (wchar_t c : std::wstring(L"ab12x")) SendMessageW(code, WM_CHAR, c, 0);
        SendMessageW(Item(IDC_FLAG), BM_CLICK, 0, 0);
        SendMessageW(Item(IDC_B), BM_CLICK, 0, 0);
        HWND kind = Item(IDC_KIND);
        SendMessageW(kind, CB_SETCURSEL, 1, 0);
        SendMessageW(driver->TopDialog(), WM_COMMAND, MAKEWPARAM(IDC_KIND, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(kind));
        Key(code, VK_RETURN);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(form.GetDlgItem(IDC_CODE), nullptr);  // the controls went with the dialog
}

TEST_F(Win32DriverTest, TheModelShapesWhatIsTypedAndTheWindowShowsIt) {
    CString typed, kind;
    int flag = -1, b = -1;
    Script::After(100, [&, this] {
        HWND code = Item(IDC_CODE);
        SetFocus(code);
        for (wchar_t c : std::wstring(L"ab12x")) SendMessageW(code, WM_CHAR, c, 0);
        wchar_t shown[16] = {};
        GetWindowTextW(code, shown, 16);
        EXPECT_STREQ(shown, L"AB12");  // upper case, four characters at most
        SendMessageW(Item(IDC_FLAG), BM_CLICK, 0, 0);
        SendMessageW(Item(IDC_B), BM_CLICK, 0, 0);
        EXPECT_EQ(SendMessageW(Item(IDC_A), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        HWND combo = Item(IDC_KIND);
        SendMessageW(combo, CB_SETCURSEL, 1, 0);
        SendMessageW(driver->TopDialog(), WM_COMMAND, MAKEWPARAM(IDC_KIND, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        typed = form.GetDlgItem(IDC_CODE)->GetText();
        flag = static_cast<CButton*>(form.GetDlgItem(IDC_FLAG))->GetCheck();
        b = static_cast<CButton*>(form.GetDlgItem(IDC_B))->GetCheck();
        kind = form.GetDlgItem(IDC_KIND)->GetText();
        // A program change shows in the window, and raises nothing of the person's.
        form.GetDlgItem(IDC_CODE)->SetWindowText("Q9");
        wchar_t now[16] = {};
        GetWindowTextW(code, now, 16);
        EXPECT_STREQ(now, L"Q9");
        Key(code, VK_ESCAPE);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    EXPECT_EQ(typed, CString("AB12"));
    EXPECT_EQ(flag, BST_CHECKED);
    EXPECT_EQ(b, BST_CHECKED);
    EXPECT_EQ(kind, CString("溢额"));
}

TEST_F(Win32DriverTest, NestedDialogDisablesItsOwnerUntilItCloses) {
    bool ownerDisabled = false;
    Script::After(100, [&, this] {
        HWND outer = driver->TopDialog();
        Script::After(100, [&, this, outer] {
            ownerDisabled = driver->TopDialog() != outer && !IsWindowEnabled(outer);
            Key(driver->TopDialog(), VK_ESCAPE);  // closes the inner one only
            Script::After(100, [this] { Key(driver->TopDialog(), VK_ESCAPE); });
        });
        // Alt+P, the button's mnemonic, opens the inner dialog.
        PostMessageW(outer, WM_SYSCHAR, L'p', 1 << 29);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_EQ(form.innerResult, IDCANCEL);
    EXPECT_TRUE(form.ownerEnabledAfter);
}

TEST_F(Win32DriverTest, MessageBoxHasItsDefaultButtonAndIsOwnedByTheDialog) {
    LRESULT defaultId = 0;
    bool owned = false;
    Script::After(100, [&, this] {
        HWND dialog = driver->TopDialog();
        Script::After(200, [&, dialog] {
            HWND box = GetLastActivePopup(dialog);
            owned = box && box != dialog && GetWindow(box, GW_OWNER) == dialog;
            // The default button is the one drawn as such.
            for (int id : {IDYES, IDNO})
                if ((GetWindowLongW(GetDlgItem(box, id), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON) defaultId = id;
            PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);  // the default button: No
            Script::After(200, [dialog] { PostMessageW(dialog, WM_CLOSE, 0, 0); });
        });
        SendMessageW(Item(IDC_ASK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);  // the close box cancels
    EXPECT_TRUE(owned);
    EXPECT_EQ(defaultId, IDNO);
    EXPECT_EQ(form.answer, IDNO);
}

// A push button reached with Tab is the one Enter presses, as the system draws it.
TEST_F(Win32DriverTest, EnterPressesTheFocusedPushButtonAndElseTheDefaultOne) {
    HWND drawnDefault = nullptr;
    Script::After(100, [&, this] {
        SetFocus(Item(IDC_CODE));
        // Tab to 取消, as the dialog's own keys move the focus.
        SendMessageW(driver->TopDialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDCANCEL)), TRUE);
        if ((GetWindowLongW(Item(IDCANCEL), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            drawnDefault = Item(IDCANCEL);
        Key(GetFocus(), VK_RETURN);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    EXPECT_NE(drawnDefault, nullptr);
}

// A message box that comes while the person types gives the focus back to the field.
TEST_F(Win32DriverTest, TheFocusComesBackToTheFieldAfterAMessageBox) {
    HWND focusAfter = nullptr, code = nullptr;
    Script::After(100, [&, this] {
        HWND dialog = driver->TopDialog();
        code = Item(IDC_CODE);
        SetFocus(code);
        Script::After(200, [&, dialog] {
            PostMessageW(GetLastActivePopup(dialog), WM_KEYDOWN, VK_RETURN, 0);
            Script::After(200, [&, dialog] {
                focusAfter = GetFocus();
                PostMessageW(dialog, WM_CLOSE, 0, 0);
            });
        });
        form.SetTimer(8, 10);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    EXPECT_EQ(form.answer, IDNO);
    EXPECT_EQ(focusAfter, code);
}

TEST_F(Win32DriverTest, TimersOfTheDialogRunInsideItsModalLoop) {
    Script::After(10, [this] { form.SetTimer(7, 30); });
    EXPECT_EQ(form.DoModal(), IDABORT);
    EXPECT_EQ(form.ticks, 3);
}

TEST(Win32Popup, NoticeIsTopmostWithoutTaskBarButtonAndHandsClicksToTheModel) {
    win::PopupLook look;
    look.background = RGB(255, 255, 0);
    look.text = "您有 3 条待处理的信息, 请及时处理。这一段文字很长, 长得放不进通知的文字区域";
    look.textRect = {1, 10, 128, 93};
    look.font = {"MS Sans Serif", 10, 400, false};
    std::atomic<UINT> last{0};
    std::atomic<int> clicks{0};
    auto surface = kel::win32::MakePopupSurface(look, [&](UINT message) {
        last = message;
        if (message == WM_LBUTTONUP) ++clicks;
    });
    ASSERT_TRUE(surface);
    surface->Place({800, 600, 940, 714});
    HWND notice = FindWindowW(L"KelmorTaskBarNotice", nullptr);
    ASSERT_TRUE(notice);
    EXPECT_TRUE(IsWindowVisible(notice));
    const auto ex = static_cast<DWORD>(GetWindowLongW(notice, GWL_EXSTYLE));
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);  // no task-bar button
    RECT r{};
    GetWindowRect(notice, &r);
    EXPECT_EQ(r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 114);
    surface->SetUnderline(true);
    SendMessageW(notice, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));  // runs on the notice's own thread
    EXPECT_EQ(clicks.load(), 1);
    SendMessageW(notice, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(last.load(), static_cast<UINT>(WM_MOUSELEAVE));
    surface.reset();
    EXPECT_FALSE(IsWindow(notice));
}

class GridForm : public CDialog {
public:
    enum { IDD = 9102, IDC_GRID = 1100 };
    GridForm() : CDialog(IDD) {
        RegisterQXControls();
        win::TemplateBuilder(IDD, "列表").Grid(IDC_GRID, 0, 0, 1, 2).Button(IDCANCEL, "返回", 1, 1).Register();
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* grid = static_cast<CQXGrid*>(GetDlgItem(IDC_GRID));
        grid->SetColumnCount(2);
        grid->SetFixedRowCount(1);
        grid->SetItemText(0, 0, "代码");  // the fixed row: the headings
        grid->SetItemText(0, 1, "名称");
        for (const char* code : {"S1", "A1", "Q1"}) {
            const int row = grid->InsertRow(code);
            grid->SetItemText(row, 1, (std::string("合约") + code).c_str());
        }
        grid->SetItemBkColour(2, 0, RGB(248, 108, 24));
        grid->SetHeaderSort(TRUE);
        return TRUE;
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (reinterpret_cast<NMHDR*>(lParam)->code == GVN_CLICK)
            clickedRows.push_back(reinterpret_cast<NM_GRIDVIEW*>(lParam)->iRow);
        if (reinterpret_cast<NMHDR*>(lParam)->code == GVN_DBLCLICK) {
            doubleClickedRow = static_cast<CQXGrid*>(GetDlgItem(IDC_GRID))->GetRow();
            EndDialog(IDOK);
            return TRUE;
        }
        return CDialog::OnNotify(wParam, lParam, result);
    }
    int doubleClickedRow = -1;
    std::vector<int> clickedRows;  // as the screen hears of them
};

// Every way the list view moves its own row reaches the grid as one click on the
// row reached: the screen acts on the row highlighted, never the last one clicked.
TEST(Win32Grid, TheListViewsOwnRowKeysAndTypeAheadReachTheGridAsClicks) {
    auto driver = std::make_shared<Win32Driver>();
    win::InstallDriver(driver);
    GridForm form;
    std::vector<int> current;  // the grid's row after each step
    int highlighted = -1;
    Script::After(100, [&] {
        HWND list = GetDlgItem(driver->TopDialog(), GridForm::IDC_GRID);
        auto* grid = static_cast<CQXGrid*>(form.GetDlgItem(GridForm::IDC_GRID));
        SetFocus(list);
        for (UINT key : {VK_HOME, VK_DOWN, VK_END, VK_PRIOR, VK_NEXT, VK_UP}) {
            SendMessageW(list, WM_KEYDOWN, key, 1);
            current.push_back(grid->GetRow());
        }
        SendMessageW(list, WM_CHAR, L's', 1);  // type-ahead: the code that starts so
        current.push_back(grid->GetRow());
        // A mouse click on another row: one click, whenever the system tells of it.
        RECT r{};
        ListView_GetItemRect(list, 2, &r, LVIR_LABEL);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        // A press below the rows: the row stays current, and highlighted.
        const LPARAM below = MAKELPARAM((r.left + r.right) / 2, r.bottom + 3 * (r.bottom - r.top));
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, below);
        PostMessageW(list, WM_LBUTTONUP, 0, below);
        Script::After(100, [&, grid, list] {
            current.push_back(grid->GetRow());
            highlighted = ListView_GetNextItem(list, -1, LVNI_SELECTED);
            PostMessageW(driver->TopDialog(), WM_CLOSE, 0, 0);
        });
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    win::InstallDriver(nullptr);
    EXPECT_EQ(current, (std::vector<int>{1, 2, 3, 1, 3, 2, 1, 3}));
    EXPECT_EQ(form.clickedRows, (std::vector<int>{1, 2, 3, 1, 3, 2, 1, 3}));
    EXPECT_EQ(highlighted, 2);
}

TEST(Win32Grid, RowsShowFromTheModelAndClicksSortAndOpenThroughIt) {
    auto driver = std::make_shared<Win32Driver>();
    win::InstallDriver(driver);
    GridForm form;
    std::wstring firstAfterSort, cell;
    int rows = 0;
    Script::After(100, [&] {
        HWND list = GetDlgItem(driver->TopDialog(), GridForm::IDC_GRID);
        rows = ListView_GetItemCount(list);
        cell = ListCellText(list, 0, 1);
        // A click on the first heading sorts by code; the view shows the new order.
        NMLISTVIEW column{};
        column.hdr = {list, GridForm::IDC_GRID, static_cast<UINT>(LVN_COLUMNCLICK)};
        column.iSubItem = 0;
        SendMessageW(driver->TopDialog(), WM_NOTIFY, GridForm::IDC_GRID, reinterpret_cast<LPARAM>(&column));
        firstAfterSort = ListCellText(list, 0, 0);
        // A double click on the second row opens it.
        NMITEMACTIVATE activate{};
        activate.hdr = {list, GridForm::IDC_GRID, static_cast<UINT>(NM_DBLCLK)};
        activate.iItem = 1;
        SendMessageW(driver->TopDialog(), WM_NOTIFY, GridForm::IDC_GRID, reinterpret_cast<LPARAM>(&activate));
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    win::InstallDriver(nullptr);
    EXPECT_EQ(rows, 3);  // the heading row is the list's header
    EXPECT_EQ(cell, L"合约S1");
    EXPECT_EQ(firstAfterSort, L"A1");
    EXPECT_EQ(form.doubleClickedRow, 2);  // grid rows count the heading
}

// A cell its column cuts shows its whole text in the list's tooltip as the mouse
// comes onto it; a cell shown whole brings none.
TEST(Win32Grid, ACutCellShowsItsWholeTextInATooltip) {
    auto driver = std::make_shared<Win32Driver>();
    win::InstallDriver(driver);
    GridForm form;
    const std::wstring whole = L"中国再保险（集团）股份有限公司北京分公司再保险业务部";
    std::vector<std::wstring> tips;  // what the tip holds after each move
    Script::After(100, [&] {
        HWND list = GetDlgItem(driver->TopDialog(), GridForm::IDC_GRID);
        static_cast<CQXGrid*>(form.GetDlgItem(GridForm::IDC_GRID))
            ->SetItemText(3, 1, "中国再保险（集团）股份有限公司北京分公司再保险业务部");
        HWND tip = kel::win32::CellTips::TipOf(list);
        for (int row : {2, 0, 2}) {
            RECT cell{};
            cell.top = 1;
            cell.left = LVIR_LABEL;
            SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
            SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2));
            wchar_t text[256] = {};
            TTTOOLINFOW tool{};
            tool.cbSize = TTTOOLINFOW_V2_SIZE;
            tool.hwnd = list;
            tool.uId = reinterpret_cast<UINT_PTR>(list);
            tool.lpszText = text;
            SendMessageW(tip, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
            tips.emplace_back(text);
        }
        PostMessageW(driver->TopDialog(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    win::InstallDriver(nullptr);
    EXPECT_EQ(tips, (std::vector<std::wstring>{whole, L"", whole}));
}

}  // namespace

// ---- group boxes

class GroupForm : public CDialog {
public:
    enum { IDD = 9105, IDC_GROUP = 1400, IDC_CODE = 1401, IDC_NAME = 1402 };
    GroupForm() : CDialog(IDD) {
        win::TemplateBuilder(IDD, "检索")
            .Group(IDC_GROUP, "检索条件", 0, 0, 2, 2)
            .Label(-1, "代码:", 0, 0)
            .Edit(IDC_CODE, 0, 1)
            .Label(-1, "名称:", 1, 0)
            .Edit(IDC_NAME, 1, 1)
            .Button(IDCANCEL, "返回", 2, 1)
            .Register();
    }
};

// Inside its frame a group box shows the dialog's own face, as the screen shows it
// (a dialog that clipped its children left the inside unpainted: black).
TEST(Win32Dialog, TheInsideOfAGroupBoxShowsTheDialogsFace) {
    auto driver = std::make_shared<Win32Driver>();
    win::InstallDriver(driver);
    GroupForm form;
    int sampled = 0, face = 0;
    COLORREF odd = 0;
    Script::After(200, [&] {
        HWND dialog = driver->TopDialog();
        HWND group = GetDlgItem(dialog, GroupForm::IDC_GROUP);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT r{};
        GetWindowRect(group, &r);
        HDC screen = GetDC(nullptr);
        // Below the title and inside the frame, wherever no other control lies.
        for (int y = r.top + 24; y < r.bottom - 6; y += 3)
            for (int x = r.left + 6; x < r.right - 6; x += 3) {
                POINT at{x, y};
                ScreenToClient(dialog, &at);
                HWND under = ChildWindowFromPointEx(dialog, at, CWP_SKIPINVISIBLE);
                if (under != group && under != dialog) continue;
                ++sampled;
                const COLORREF colour = GetPixel(screen, x, y);
                if (colour == GetSysColor(COLOR_BTNFACE))
                    ++face;
                else
                    odd = colour;
            }
        ReleaseDC(nullptr, screen);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    win::InstallDriver(nullptr);
    EXPECT_GT(sampled, 50);
    EXPECT_EQ(face, sampled) << "a pixel inside shows " << std::hex << odd;
}

// ---- a form larger than the screen's free area

bool Inside(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT ScreenRect(HWND window, bool client) {
    RECT r{};
    if (!client) {
        GetWindowRect(window, &r);
        return r;
    }
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The window fits the free area; the form scrolls on a page with the dialog's own
// buttons below it in view; Tab onto a field out of view brings it into view, and
// the buttons still work.
TEST(Win32Dialog, AFormTallerThanTheFreeAreaScrollsWithItsButtonsInView) {
    enum { IDD_TALL = 9150, IDC_FIELD = 1100, kFields = 40 };
    win::TemplateBuilder tall(IDD_TALL, "高表单");
    for (int i = 0; i < kFields; ++i) tall.Label(-1, "字段:", i, 0).Edit(IDC_FIELD + i, i, 1);
    tall.Button(IDOK, "确定", kFields, 0, BS_DEFPUSHBUTTON).Button(IDCANCEL, "返回", kFields, 1).Register();
    auto driver = std::make_shared<Win32Driver>();
    win::InstallDriver(driver);
    CDialog dlg(IDD_TALL);
    bool fits = false, buttonsBelow = false, lastHiddenFirst = false, tabbedOnto = false, thenInView = false;
    Script::After(300, [&] {
        HWND dialog = driver->TopDialog();
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
        fits = Inside(monitor.rcWork, ScreenRect(dialog, false));
        HWND ok = GetDlgItem(dialog, IDOK);  // on the dialog itself, not on the page
        buttonsBelow = ok && IsWindowVisible(ok) && Inside(ScreenRect(dialog, true), ScreenRect(ok, false));
        HWND last = driver->ControlHandle(*dlg.GetDlgItem(IDC_FIELD + kFields - 1));
        HWND before = driver->ControlHandle(*dlg.GetDlgItem(IDC_FIELD + kFields - 2));
        HWND page = GetParent(last);
        lastHiddenFirst = page != dialog && !Inside(ScreenRect(page, true), ScreenRect(last, false));
        SetFocus(before);
        PostMessageW(before, WM_KEYDOWN, VK_TAB, 0);
        Script::After(300, [&, last, page, dialog] {
            tabbedOnto = GetFocus() == last;
            thenInView = Inside(ScreenRect(page, true), ScreenRect(last, false));
            PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    win::InstallDriver(nullptr);
    EXPECT_TRUE(fits);
    EXPECT_TRUE(buttonsBelow);
    EXPECT_TRUE(lastHiddenFirst);
    EXPECT_TRUE(tabbedOnto);
    EXPECT_TRUE(thenInView);
}

// ---- the date field's calendar

class DateForm : public CDialog {
public:
    enum { IDD = 9103, IDC_DAY = 1200, IDC_MONTH = 1201 };
    DateForm() : CDialog(IDD) {
        RegisterQXControls();
        win::TemplateBuilder(IDD, "日期")
            .Date(IDC_DAY, 0, 0)
            .Date(IDC_MONTH, 1, 0)
            .Button(IDCANCEL, "返回", 2, 0)
            .Register();
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        Month()->Format(CQXDateTime::kYearMonthMask);
        Day()->SetTime("2024/03/01");
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == IDC_DAY && HIWORD(wParam) == EN_CHANGE) ++changes;
        if (LOWORD(wParam) == IDC_DAY && HIWORD(wParam) == EN_KILLFOCUS) ++leaves;
        return CDialog::OnCommand(wParam, lParam);
    }
    CQXDateTime* Day() { return static_cast<CQXDateTime*>(GetDlgItem(IDC_DAY)); }
    CQXDateTime* Month() { return static_cast<CQXDateTime*>(GetDlgItem(IDC_MONTH)); }
    int changes = 0;
    int leaves = 0;
};

// The calendar that drops down from the dialog, or null.
HWND OpenCalendar(HWND dialog) {
    HWND popup = GetLastActivePopup(dialog);
    if (!popup || popup == dialog || !IsWindowVisible(popup)) return nullptr;
    return FindWindowExW(popup, nullptr, MONTHCAL_CLASSW, nullptr);
}

// Where the calendar shows `day`, found as a person finds it: by looking.
bool PointOfDay(HWND calendar, const SYSTEMTIME& day, POINT& at) {
    RECT client{};
    GetClientRect(calendar, &client);
    for (int y = client.top; y < client.bottom; y += 2)
        for (int x = client.left; x < client.right; x += 2) {
            MCHITTESTINFO hit{};
            hit.cbSize = sizeof hit;
            hit.pt = {x, y};
            if (MonthCal_HitTest(calendar, &hit) == MCHT_CALENDARDATE && hit.st.wYear == day.wYear &&
                hit.st.wMonth == day.wMonth && hit.st.wDay == day.wDay) {
                at = hit.pt;
                return true;
            }
        }
    return false;
}

TEST(Win32Date, ADayPickedInTheCalendarReachesTheFieldAndTheFieldCanBeEmptied) {
    auto driver = std::make_shared<Win32Driver>();
    win::InstallDriver(driver);
    DateForm form;
    SYSTEMTIME shown{}, today{};
    GetLocalTime(&today);
    bool dayFound = false, readOnlyOpens = true, escapeCloses = false;
    CString afterPick, afterDelete, monthPicked, afterEscape;
    std::wstring windowAfterPick;
    int changesAfterPick = 0, leavesAfterPick = -1, firstDigitAt = -1;
    Script::After(100, [&] {
        HWND dialog = driver->TopDialog();
        HWND day = GetDlgItem(dialog, DateForm::IDC_DAY);
        HWND drop = GetWindow(day, GW_HWNDNEXT);  // the button beside the field
        // The date the field came with shows from its first digit on.
        firstDigitAt = static_cast<short>(LOWORD(SendMessageW(day, EM_POSFROMCHAR, 0, 0)));
        SetFocus(day);
        SendMessageW(drop, BM_CLICK, 0, 0);
        HWND calendar = OpenCalendar(dialog);
        ASSERT_TRUE(calendar);
        MonthCal_GetCurSel(calendar, &shown);  // the field's date
        POINT at{};
        dayFound = PointOfDay(calendar, SYSTEMTIME{2024, 3, 0, 15, 0, 0, 0, 0}, at);
        PostMessageW(calendar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        PostMessageW(calendar, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        Script::After(100, [&, dialog, day, drop] {
            afterPick = form.Day()->GetTime();
            wchar_t text[32] = {};
            GetWindowTextW(day, text, 32);
            windowAfterPick = text;
            changesAfterPick = form.changes;
            leavesAfterPick = form.leaves;
            // Everything selected and deleted: the field is empty again.
            SendMessageW(day, EM_SETSEL, 0, -1);
            SendMessageW(day, WM_KEYDOWN, VK_DELETE, 0);
            afterDelete = form.Day()->GetTime();
            // Escape closes the calendar and changes nothing.
            SendMessageW(day, WM_KEYDOWN, VK_F4, 0);
            HWND again = OpenCalendar(dialog);
            if (again) SendMessageW(again, WM_KEYDOWN, VK_ESCAPE, 0);
            Script::After(100, [&, dialog, day, drop] {
                escapeCloses = OpenCalendar(dialog) == nullptr;
                afterEscape = form.Day()->GetTime();
                form.Day()->SetReadOnly(TRUE);
                SendMessageW(drop, BM_CLICK, 0, 0);
                readOnlyOpens = OpenCalendar(dialog) != nullptr;
                // The year-month field takes the year and month of the day picked
                // (Alt+Down opens it, Enter takes the day it opens on: today).
                HWND month = GetDlgItem(dialog, DateForm::IDC_MONTH);
                SetFocus(month);
                SendMessageW(month, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
                if (HWND calendar = OpenCalendar(dialog)) SendMessageW(calendar, WM_KEYDOWN, VK_RETURN, 0);
                monthPicked = form.Month()->GetTime();
                Script::After(100, [dialog] { PostMessageW(dialog, WM_CLOSE, 0, 0); });
            });
        });
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    win::InstallDriver(nullptr);
    EXPECT_GE(firstDigitAt, 0);
    EXPECT_LE(firstDigitAt, 4);
    EXPECT_EQ(shown.wYear, 2024);
    EXPECT_EQ(shown.wMonth, 3);
    EXPECT_TRUE(dayFound);
    EXPECT_EQ(afterPick, CString("2024/03/15"));
    EXPECT_EQ(windowAfterPick, L"2024/03/15");
    EXPECT_EQ(changesAfterPick, 1);
    EXPECT_EQ(leavesAfterPick, 0);  // into the calendar and back is not leaving the field
    EXPECT_EQ(afterDelete, CString(""));
    EXPECT_TRUE(escapeCloses);
    EXPECT_EQ(afterEscape, CString(""));
    EXPECT_FALSE(readOnlyOpens);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%04u/%02u", today.wYear, today.wMonth);
    EXPECT_EQ(monthPicked, CString(expected));
}

// The header's look: its pixels as drawn on the screen.
std::vector<COLORREF> Pixels(HWND window, const RECT& r) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HDC dc = GetDC(window);
    std::vector<COLORREF> pixels;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return pixels;
}

// Counts the columns a list view is given or loses.
LRESULT CALLBACK CountColumns(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == LVM_INSERTCOLUMNW || message == LVM_DELETECOLUMN) ++*reinterpret_cast<int*>(data);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// A search fills its grid row by row and sets its widths again: the list view keeps
// its columns (making them all again for every row took seconds) and shows the rows.
TEST(Win32Grid, RowsFilledOneByOneLeaveTheColumnsAndOnlyAChangedWidthReachesThem) {
    auto driver = std::make_shared<Win32Driver>();
    win::InstallDriver(driver);
    GridForm form;
    int columnChanges = -1, rows = 0, width = 0;
    Script::After(100, [&] {
        HWND list = GetDlgItem(driver->TopDialog(), GridForm::IDC_GRID);
        auto* grid = static_cast<CQXGrid*>(form.GetDlgItem(GridForm::IDC_GRID));
        columnChanges = 0;
        SetWindowSubclass(list, CountColumns, 7, reinterpret_cast<DWORD_PTR>(&columnChanges));
        grid->DeleteAllItems();
        for (int i = 0; i < 50; ++i) {
            grid->SetColumnWidth(0, grid->GetColumnWidth(0));
            const int row = grid->InsertRow(std::to_string(i).c_str());
            grid->SetItemText(row, 1, "合约");
        }
        grid->SetColumnWidth(1, 150);
        RemoveWindowSubclass(list, CountColumns, 7);
        rows = ListView_GetItemCount(list);
        width = ListView_GetColumnWidth(list, 1);
        form.EndDialog(IDOK);
    });
    EXPECT_EQ(form.DoModal(), IDOK);
    win::InstallDriver(nullptr);
    EXPECT_EQ(columnChanges, 0);
    EXPECT_EQ(rows, 50);
    EXPECT_EQ(width, 150);
}

TEST(Win32Grid, TheHeadingTheGridSortsByShowsTheDirectionAndLosesItWhenTheOrderIsGone) {
    auto driver = std::make_shared<Win32Driver>();
    win::InstallDriver(driver);
    GridForm form;
    std::vector<int> formats;  // column 0 and 1 after each step
    bool arrowDrawn = false;
    std::wstring renamed;
    Script::After(100, [&] {
        HWND list = GetDlgItem(driver->TopDialog(), GridForm::IDC_GRID);
        HWND header = ListView_GetHeader(list);
        auto grid = static_cast<CQXGrid*>(form.GetDlgItem(GridForm::IDC_GRID));
        auto record = [&] {
            for (int c = 0; c < 2; ++c) {
                HDITEMW item{};
                item.mask = HDI_FORMAT;
                SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
                formats.push_back(item.fmt & (HDF_SORTUP | HDF_SORTDOWN));
            }
        };
        auto click = [&](int column) {
            NMLISTVIEW clicked{};
            clicked.hdr = {list, GridForm::IDC_GRID, static_cast<UINT>(LVN_COLUMNCLICK)};
            clicked.iSubItem = column;
            SendMessageW(driver->TopDialog(), WM_NOTIFY, GridForm::IDC_GRID, reinterpret_cast<LPARAM>(&clicked));
        };
        RECT first{};
        Header_GetItemRect(header, 0, &first);
        const std::vector<COLORREF> plain = Pixels(header, first);
        click(0);
        record();
        arrowDrawn = Pixels(header, first) != plain;
        click(0);  // the same column again: the other way
        record();
        click(1);
        record();
        grid->SetItemText(2, 1, "改");  // the program changes the sorted column
        record();
        grid->SetItemText(0, 0, "合约代码");  // and the headings, read back as the header holds them
        grid->SetItemText(0, 1, "SECTION");
        for (int c = 0; c < 2; ++c) {
            wchar_t text[32] = {};
            HDITEMW item{};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = 32;
            SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
            renamed += std::wstring(c ? L"|" : L"") + text;
        }
        PostMessageW(driver->TopDialog(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    win::InstallDriver(nullptr);
    const std::vector<int> expected{HDF_SORTUP, 0, HDF_SORTDOWN, 0, 0, HDF_SORTUP, 0, 0};
    EXPECT_EQ(formats, expected);
    EXPECT_TRUE(arrowDrawn);
    EXPECT_EQ(renamed, L"合约代码|SECTION");
}

// ---- the numeric edit and the system's clipboard

class NumberForm : public CDialog {
public:
    enum { IDD = 9104, IDC_AMOUNT = 1300, IDC_RATE = 1301 };
    NumberForm() : CDialog(IDD) {
        win::TemplateBuilder(IDD, "金额")
            .Number(IDC_AMOUNT, 0, 0)
            .Number(IDC_RATE, 1, 0)
            .Button(IDCANCEL, "返回", 2, 0)
            .Register();
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        Amount()->SetSeparators(',', '.');
        Rate()->SetSeparators(',', '.');
        Rate()->SetLimits(5, 2);
        return TRUE;
    }
    CNumEdit* Amount() { return static_cast<CNumEdit*>(GetDlgItem(IDC_AMOUNT)); }
    CNumEdit* Rate() { return static_cast<CNumEdit*>(GetDlgItem(IDC_RATE)); }
};

void PutOnClipboard(const wchar_t* text) { ASSERT_TRUE(kel::win32::SetClipboardText(nullptr, text)); }
std::wstring OnClipboard() { return kel::win32::ClipboardText(nullptr); }

// Runs `key` with Shift or Ctrl held, as the keyboard state says.
void WithKeyHeld(BYTE held, const std::function<void()>& key) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[held] = 0x80;
    SetKeyboardState(state);
    key();
    state[held] = 0;
    SetKeyboardState(state);
}

TEST(Win32NumEdit, PastedTextKeepsTheFieldsRulesAndCutAndCopyReachTheSystemClipboard) {
    auto driver = std::make_shared<Win32Driver>();
    win::InstallDriver(driver);
    NumberForm form;
    std::vector<CString> seen;
    std::vector<std::wstring> clipboard;
    Script::After(100, [&] {
        HWND dialog = driver->TopDialog();
        HWND amount = GetDlgItem(dialog, NumberForm::IDC_AMOUNT);
        HWND rate = GetDlgItem(dialog, NumberForm::IDC_RATE);
        SetFocus(amount);
        PutOnClipboard(L"-1,234.5");
        SendMessageW(amount, WM_CHAR, kCtrlV, 0);
        seen.push_back(form.Amount()->GetText());  // -1,234.5
        SendMessageW(amount, EM_SETSEL, 0, -1);
        SendMessageW(amount, WM_CHAR, kCtrlX, 0);
        seen.push_back(form.Amount()->GetText());  // ""
        clipboard.push_back(OnClipboard());        // -1,234.5
        PutOnClipboard(L"12a34");
        WithKeyHeld(VK_SHIFT, [&] { SendMessageW(amount, WM_KEYDOWN, VK_INSERT, 0); });
        seen.push_back(form.Amount()->GetText());  // 12: the letter ends the paste
        // Typed: letters go nowhere, full-width digits are digits.
        for (wchar_t c : std::wstring(L"a\xFF13"
                                      L"45"))
            SendMessageW(amount, WM_CHAR, c, 0);
        seen.push_back(form.Amount()->GetText());  // 12,345
        SendMessageW(amount, EM_SETSEL, 0, -1);
        SendMessageW(amount, WM_CHAR, kCtrlC, 0);
        clipboard.push_back(OnClipboard());  // 12,345
        SendMessageW(amount, EM_SETSEL, 3, 6);
        WithKeyHeld(VK_SHIFT, [&] { SendMessageW(amount, WM_KEYDOWN, VK_DELETE, 0); });
        seen.push_back(form.Amount()->GetText());  // 12
        clipboard.push_back(OnClipboard());        // 345
        SendMessageW(amount, WM_UNDO, 0, 0);       // the context menu's Undo brings nothing back
        SendMessageW(amount, WM_CHAR, 0x1A, 0);    // nor does Ctrl+Z
        seen.push_back(form.Amount()->GetText());  // 12
        // The context menu's Paste into a field of two integer digits and two decimals.
        SetFocus(rate);
        PutOnClipboard(L"123.456");
        SendMessageW(rate, WM_PASTE, 0, 0);
        seen.push_back(form.Rate()->GetText());  // 12.45
        SendMessageW(rate, EM_SETSEL, 0, 2);
        SendMessageW(rate, WM_CLEAR, 0, 0);
        seen.push_back(form.Rate()->GetText());  // .45
        // The real context menu: its Paste ("P") picked while it is open.
        PutOnClipboard(L"7x");
        SendMessageW(rate, EM_SETSEL, 0, 0);
        std::thread picker([] {
            HWND menu = nullptr;
            for (int i = 0; i < 100 && !menu; ++i) {
                Sleep(20);
                menu = FindWindowW(L"#32768", nullptr);
            }
            if (menu) PostMessageW(menu, WM_CHAR, L'p', 0);
        });
        RECT r{};
        GetWindowRect(rate, &r);
        SendMessageW(rate, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(rate), MAKELPARAM(r.left + 5, r.top + 5));
        picker.join();
        seen.push_back(form.Rate()->GetText());  // 7.45: the letter ends the paste
        wchar_t shown[32] = {};
        GetWindowTextW(rate, shown, 32);
        clipboard.push_back(shown);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    win::InstallDriver(nullptr);
    const std::vector<CString> expected{"-1,234.5", "", "12", "12,345", "12", "12", "12.45", ".45", "7.45"};
    EXPECT_EQ(seen, expected);
    const std::vector<std::wstring> expectedClipboard{L"-1,234.5", L"12,345", L"345", L"7.45"};
    EXPECT_EQ(clipboard, expectedClipboard);
}

// ---- what the notice draws

// A picture of the notice as it paints itself.
struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    bool Dark(int x, int y) const {
        const COLORREF c = At(x, y);
        return GetRValue(c) + GetGValue(c) + GetBValue(c) < 600;  // smoothed text's edges too
    }
    static Picture Of(HWND window) {
        RECT client{};
        GetClientRect(window, &client);
        Picture p;
        p.width = client.right;
        p.height = client.bottom;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, p.width, p.height);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) p.pixels.push_back(GetPixel(dc, x, y));
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return p;
    }
    // The rows of ink: each line of text as its first and last row.
    std::vector<std::pair<int, int>> Lines(const RECT& box) const {
        std::vector<std::pair<int, int>> lines;
        for (int y = box.top; y < box.bottom; ++y) {
            bool ink = false;
            for (int x = box.left; x < box.right && !ink; ++x) ink = Dark(x, y);
            if (!ink) continue;
            if (!lines.empty() && lines.back().second == y - 1)
                lines.back().second = y;
            else
                lines.push_back({y, y});
        }
        return lines;
    }
    // The longest unbroken run of ink along a row.
    int LongestRun(int y) const {
        int best = 0, run = 0;
        for (int x = 0; x < width; ++x) {
            run = Dark(x, y) ? run + 1 : 0;
            best = std::max(best, run);
        }
        return best;
    }
};

// A 24-bit bitmap file of one colour.
std::wstring WriteBitmap(const wchar_t* name, int width, int height, COLORREF colour) {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + name;
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof file + sizeof info + stride * height), 0, 0,
                          sizeof file + sizeof info};
    std::vector<BYTE> row(static_cast<size_t>(stride), 0);
    for (int x = 0; x < width; ++x) {
        row[static_cast<size_t>(3 * x)] = GetBValue(colour);
        row[static_cast<size_t>(3 * x + 1)] = GetGValue(colour);
        row[static_cast<size_t>(3 * x + 2)] = GetRValue(colour);
    }
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return {};
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info, sizeof info, 1, f);
    for (int y = 0; y < height; ++y) std::fwrite(row.data(), row.size(), 1, f);
    std::fclose(f);
    return path;
}

std::string Narrow(const std::wstring& w) {
    std::string s(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr)),
                  '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), static_cast<int>(s.size()), nullptr, nullptr);
    s.pop_back();
    return s;
}

class Win32PopupPicture : public ::testing::Test {
protected:
    void SetUp() override {
        frame = WriteBitmap(L"kelmor-frame-test.bmp", 200, 150, kFrame);
        ASSERT_FALSE(frame.empty());
        look.background = kBackground;
        look.textColour = RGB(0, 0, 0);
        look.bitmapPath = Narrow(frame);
        look.bitmapMaxWidth = 130;
        look.bitmapMaxHeight = 105;
        look.textRect = {1, 10, 128, 93};
        look.font = {"MS Sans Serif", 10, 400, false};
    }
    void TearDown() override { DeleteFileW(frame.c_str()); }
    static constexpr COLORREF kFrame = RGB(170, 210, 250);
    static constexpr COLORREF kBackground = RGB(255, 255, 200);
    std::wstring frame;
    win::PopupLook look;
};

TEST_F(Win32PopupPicture, TheFrameBitmapShowsAtMostItsBoxAndLongTextWrapsAndEndsInAnEllipsis) {
    std::string text;
    for (int i = 0; i < 12; ++i) text += "There are documents that wait for you. ";
    look.text = text;
    auto surface = kel::win32::MakePopupSurface(look, [](UINT) {});
    ASSERT_TRUE(surface);
    surface->Place({600, 500, 740, 614});
    HWND notice = FindWindowW(L"KelmorTaskBarNotice", nullptr);
    ASSERT_TRUE(notice);
    const Picture p = Picture::Of(notice);
    ASSERT_EQ(p.width, 140);
    // The bitmap from the corner, cut at 130 x 105 pixels; the background beyond.
    EXPECT_EQ(p.At(0, 0), kFrame);
    EXPECT_EQ(p.At(129, 104), kFrame);
    EXPECT_EQ(p.At(135, 50), kBackground);
    EXPECT_EQ(p.At(50, 110), kBackground);
    // Several lines, all inside the text box.
    const RECT box{1, 10, 128, 93};
    const auto lines = p.Lines({0, 0, p.width, p.height});
    ASSERT_GE(lines.size(), 3u);
    EXPECT_GE(lines.front().first, box.top);
    EXPECT_LE(lines.back().second, box.bottom);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            if (p.Dark(x, y)) {
                ASSERT_TRUE(x >= box.left && x < box.right) << x << "," << y;
            }
        }
    }
    // The last line ends in dots: the last three marks on it sit low and are small.
    const auto [top, bottom] = lines.back();
    std::vector<std::pair<int, int>> marks;  // columns of ink
    for (int x = box.left; x < box.right; ++x) {
        bool ink = false;
        for (int y = top; y <= bottom && !ink; ++y) ink = p.Dark(x, y);
        if (!ink) continue;
        if (!marks.empty() && marks.back().second == x - 1)
            marks.back().second = x;
        else
            marks.push_back({x, x});
    }
    ASSERT_GE(marks.size(), 4u);
    for (size_t m = marks.size() - 3; m < marks.size(); ++m) {
        EXPECT_LE(marks[m].second - marks[m].first, 2) << "mark " << m;
        for (int x = marks[m].first; x <= marks[m].second; ++x)
            for (int y = top; y < (top + bottom) / 2; ++y) EXPECT_FALSE(p.Dark(x, y)) << x << "," << y;
    }
}

TEST_F(Win32PopupPicture, TheTextIsUnderlinedWhileTheMouseRestsOnTheNotice) {
    look.text = "You have 3 items";
    std::atomic<int> hovers{0};
    std::unique_ptr<win::PopupSurface> surface;
    // As the popup's model does: underlined on hover, plain again on leave.
    surface = kel::win32::MakePopupSurface(look, [&](UINT message) {
        if (message == WM_MOUSEHOVER) {
            surface->SetUnderline(true);
            ++hovers;
        }
        if (message == WM_MOUSELEAVE) surface->SetUnderline(false);
    });
    ASSERT_TRUE(surface);
    surface->Place({600, 500, 740, 614});
    HWND notice = FindWindowW(L"KelmorTaskBarNotice", nullptr);
    ASSERT_TRUE(notice);
    auto underlined = [&] {
        const Picture p = Picture::Of(notice);
        for (int y = 0; y < p.height; ++y)
            if (p.LongestRun(y) >= 40) return true;  // a line under the words, not a letter
        return false;
    };
    EXPECT_FALSE(underlined());
    SetCursorPos(670, 557);
    PostMessageW(notice, WM_MOUSEMOVE, 0, MAKELPARAM(70, 57));
    for (int i = 0; i < 100 && hovers == 0; ++i) Sleep(20);
    EXPECT_GE(hovers.load(), 1);
    EXPECT_TRUE(underlined());
    SetCursorPos(10, 10);  // away: plain again
    PostMessageW(notice, WM_MOUSEMOVE, 0, MAKELPARAM(70, 57));
    for (int i = 0; i < 100 && underlined(); ++i) Sleep(20);
    EXPECT_FALSE(underlined());
    surface.reset();
}
