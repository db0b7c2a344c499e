#include "win32/play/NativePlayDriver.h"

#include <commctrl.h>

#include <cstdio>

#include "host/qxctlset/QXGrid.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/KeyInput.h"
#include "host/win/UserActions.h"
#include "play/ControlAddress.h"
#include "play/DialogText.h"
#include "win32/WideText.h"
#include "win32/WindowText.h"

namespace kel::win32 {
namespace {

using play::IsButtonKind;
using play::IsTextKind;
using play::PlayCommand;
using play::PlayLine;
using win::ControlKind;

constexpr UINT kStepMs = 20;
// A message box that stays this many ticks after its button was pressed, or a
// window the play does not know that stays modal as long, fails the play.
constexpr int kStuckTicks = 5000 / kStepMs;

NativePlayDriver* g_player = nullptr;  // the timer procedure's; one play a process

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool IsClass(HWND window, const wchar_t* name) { return lstrcmpiW(ClassOf(window).c_str(), name) == 0; }

std::string TextOf(HWND window) { return Utf8(WindowText(window)); }

LPARAM Point(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

// A left click at `at` (client coordinates), as the mouse sends it.
void Click(HWND window, LPARAM at, bool twice = false) {
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    if (!twice) return;
    PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void KeyDown(HWND window, UINT key, bool post) {
    if (post)
        PostMessageW(window, WM_KEYDOWN, key, 1);
    else
        SendMessageW(window, WM_KEYDOWN, key, 1);
}

// The message box's icon by the system icon it shows.
const char* BoxIcon(HWND box) {
    struct Known {
        LPCSTR id;
        UINT flag;
    };
    const Known known[] = {{IDI_HAND, MB_ICONHAND},
                           {IDI_QUESTION, MB_ICONQUESTION},
                           {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                           {IDI_ASTERISK, MB_ICONASTERISK}};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsClass(child, L"Static") || !IsWindowVisible(child)) continue;
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        const auto shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        for (const Known& k : known)
            if (shown && shown == LoadIconA(nullptr, k.id)) return play::IconName(k.flag);
    }
    return play::IconName(0);
}

// The message box's text: its longest visible text label.
std::string BoxText(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsClass(child, L"Static") || !IsWindowVisible(child)) continue;
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        std::string one = TextOf(child);
        if (one.size() > text.size()) text = one;
    }
    return text;
}

// The letter after a single '&' in a caption, lower case; 0 when none.
wchar_t MnemonicOf(const std::wstring& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] == L'&') {
            ++i;
            continue;
        }
        wchar_t letter[2] = {text[i + 1], 0};
        CharLowerW(letter);
        return letter[0];
    }
    return 0;
}

// The mnemonic of `control` when no other control of the dialog that a person can
// reach has the same one (the system would only move the focus between them).
wchar_t OwnMnemonic(HWND dialog, HWND control) {
    const std::wstring own = Wide(TextOf(control));
    const wchar_t letter = MnemonicOf(own);
    if (!letter) return 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == control || !IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
        if (IsClass(child, L"Edit") || IsClass(child, WC_LISTVIEWW)) continue;  // their text is the person's
        if (MnemonicOf(Wide(TextOf(child))) == letter) return 0;
    }
    return letter;
}

// The current row of a grid or list model, counted as its list view counts (-1: none).
int CurrentRowOf(const CWnd& control) {
    if (auto* grid = dynamic_cast<const CQXGrid*>(&control))
        return grid->GetRow() >= grid->GetFixedRowCount() ? grid->GetRow() - grid->GetFixedRowCount() : -1;
    if (auto* report = dynamic_cast<const CListCtrl*>(&control)) return report->GetSelectionMark();
    if (auto* checks = dynamic_cast<const CCheckListBox*>(&control)) return checks->GetCurSel();
    return -1;
}

// The headings the list view's header holds, read back from it, '|' between them.
std::string HeadingsShown(HWND list) {
    HWND header = ListView_GetHeader(list);
    std::string all;
    for (int c = 0; header && c < Header_GetItemCount(header); ++c) {
        wchar_t text[256] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
        all += (c ? "|" : "") + Utf8(text);
    }
    return all;
}

std::string HeadingsHeld(const CQXGrid& grid) {
    std::string all;
    for (int c = 0; c < grid.GetColumnCount(); ++c)
        all += (c ? "|" : "") + (grid.GetFixedRowCount() > 0 ? grid.GetItemText(0, c).str() : std::string());
    return all;
}

}  // namespace

NativePlayDriver::NativePlayDriver(std::vector<PlayLine> lines, std::ostream& transcript)
    : m_course(std::move(lines), transcript) {}

NativePlayDriver::~NativePlayDriver() {
    if (m_timer) KillTimer(nullptr, m_timer);
    if (g_player == this) g_player = nullptr;
}

std::optional<play::ScriptError> NativePlayDriver::Run(const play::PlayCourse::OpenScreen& open) {
    g_player = this;
    m_start = GetTickCount();
    m_trace = GetEnvironmentVariableW(L"KELMOR_PLAY_TRACE", nullptr, 0) > 0;
    m_timer = SetTimer(nullptr, 0, kStepMs, &NativePlayDriver::Tick);
    auto failed = m_course.Run(open);
    KillTimer(nullptr, m_timer);
    m_timer = 0;
    g_player = nullptr;
    return failed;
}

void CALLBACK NativePlayDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_player) g_player->Step();
}

void NativePlayDriver::RunModalLoop(CDialog& dialog) {
    m_course.Opened(dialog);
    Win32Driver::RunModalLoop(dialog);
    m_checked.erase(&dialog);
    m_course.Closed(dialog);
}

void NativePlayDriver::WindowDestroyed(CWnd& wnd) {
    Win32Driver::WindowDestroyed(wnd);
    if (auto* dialog = dynamic_cast<CDialog*>(&wnd)) m_course.Destroyed(*dialog);
}

bool NativePlayDriver::PrintTable(const CWnd*, const win::PrintJob& job) {
    m_course.Print(job);  // the native driver has no print preview: the list goes to the transcript
    return true;
}

int NativePlayDriver::ShowMessageBox(const win::MessageBoxRequest& request) {
    const HWND before = m_box;
    m_box = nullptr;
    const int result = Win32Driver::ShowMessageBox(request);
    const int line = m_course.CurrentLine();
    if (!m_box)
        m_course.Fail(line, "the message box " + play::Quote(request.text) + " closed before the play saw it");
    else if (m_boxText != request.text)
        m_course.Fail(line, "the message box showed " + play::Quote(m_boxText) + ", not " + play::Quote(request.text));
    else if (result != m_pressed)
        m_course.Fail(line, "the message box " + play::Quote(request.text) + " answered " + play::AnswerName(result) +
                                " when " + play::AnswerName(m_pressed) + " was pressed");
    m_box = before;
    return result;
}

namespace {

struct BoxSearch {
    const Win32Driver* driver;
    HWND found;
};

BOOL CALLBACK ConsiderBox(HWND window, LPARAM data) {
    auto* s = reinterpret_cast<BoxSearch*>(data);
    if (!IsWindowVisible(window) || !IsClass(window, L"#32770") || s->driver->IsDialogWindow(window)) return TRUE;
    s->found = window;
    return FALSE;
}

}  // namespace

// A message box: a visible system dialog of the thread that is none of the driver's.
HWND NativePlayDriver::FindMessageBox() const {
    BoxSearch search{this, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &ConsiderBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void NativePlayDriver::Step() {
    if (HWND box = FindMessageBox()) return AnswerBox(box);
    CDialog* dialog = TopModel();
    HWND window = TopDialog();
    if (!dialog || dialog->IsEnded() || !IsWindowVisible(window)) return;
    if (!IsWindowEnabled(window)) {
        // Something else is modal over the innermost dialog: not a window of the play's.
        if (++m_strangeTicks == kStuckTicks) {
            HWND other = GetLastActivePopup(window);
            m_course.Fail(m_course.CurrentLine(), "a window the play does not know stays open: " +
                                                      play::Quote(other ? TextOf(other) : std::string()));
            if (other && other != window) PostMessageW(other, WM_CLOSE, 0, 0);
        }
        return;
    }
    m_strangeTicks = 0;
    if (m_checked.insert(dialog).second) CheckDrawn(*dialog, window);
    const PlayLine* line = m_course.Next(*dialog);
    if (!line) {  // a failed line, or the script's end: the dialog is cancelled
        dialog->EndDialog(IDCANCEL);
        PostMessageW(window, WM_NULL, 0, 0);
        return;
    }
    if (m_trace) std::fprintf(stderr, "%lu ms: line %d\n", GetTickCount() - m_start, line->number);
    RunLine(*line, *dialog, window);
}

void NativePlayDriver::AnswerBox(HWND box) {
    if (box == m_box) {  // answered: it should be going
        if (++m_boxTicks == kStuckTicks) {
            m_course.Fail(m_course.CurrentLine(),
                          "the message box " + play::Quote(m_boxText) + " stayed after its button was pressed");
            PostMessageW(box, WM_CLOSE, 0, 0);
        }
        return;
    }
    std::vector<int> buttons;
    int defaultAnswer = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsClass(child, L"Button") || !IsWindowVisible(child)) continue;
        const int id = GetDlgCtrlID(child);
        buttons.push_back(id);
        if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) defaultAnswer = id;
    }
    if (!defaultAnswer) defaultAnswer = LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0));
    std::string caption = TextOf(box);
    m_box = box;
    m_boxText = BoxText(box);
    m_boxTicks = 0;
    m_pressed = m_course.MessageBox(m_boxText, caption, BoxIcon(box), buttons, defaultAnswer);
    // The default button by the Enter key, another one by a click on it.
    if (m_pressed == defaultAnswer)
        KeyDown(box, VK_RETURN, true);
    else if (HWND button = GetDlgItem(box, m_pressed))
        PostMessageW(button, BM_CLICK, 0, 0);
}

void NativePlayDriver::CheckDrawn(const CDialog& dialog, HWND window) {
    const int line = m_course.CurrentLine();
    if (TextOf(window) != dialog.GetText().str())
        m_course.Fail(line, "the dialog " + play::Quote(dialog.GetText().str()) + " has the caption " +
                                play::Quote(TextOf(window)));
    // The screen's free area (what a task bar leaves): the whole window must lie in
    // it, its caption and frame too, so that a person reaches every control.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT free = monitor.rcWork;
    RECT frame{};
    GetWindowRect(window, &frame);
    if (m_trace)
        std::fprintf(stderr, "dialog %s: %ldx%ld at %ld,%ld\n", dialog.GetText().str().c_str(),
                     frame.right - frame.left, frame.bottom - frame.top, frame.left, frame.top);
    if (frame.left < free.left || frame.top < free.top || frame.right > free.right || frame.bottom > free.bottom)
        m_course.Fail(line, "the dialog " + play::Quote(dialog.GetText().str()) + " (" +
                                std::to_string(frame.right - frame.left) + "x" +
                                std::to_string(frame.bottom - frame.top) + ") does not fit the screen's free area " +
                                std::to_string(free.right - free.left) + "x" + std::to_string(free.bottom - free.top));
    RECT inside{};  // the dialog's client area on the screen, within the free area
    GetClientRect(window, &inside);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&inside), 2);
    IntersectRect(&inside, &inside, &free);
    for (const CWnd* control : dialog.Controls()) {
        HWND handle = ControlHandle(*control);
        const std::string name = play::Describe(dialog, *control) + " in " + play::Quote(dialog.GetText().str());
        if (!handle) {
            m_course.Fail(line, name + " has no window");
            continue;
        }
        if (!control->IsWindowVisible()) {
            if (IsWindowVisible(handle)) m_course.Fail(line, name + " is shown though hidden");
            continue;
        }
        // Where a person sees it: on a form that scrolls, once scrolled to (as Tab
        // does), within the part of the page in view.
        BringIntoView(*control);
        RECT r{}, view{};
        GetWindowRect(handle, &r);
        GetClientRect(GetParent(handle), &view);
        MapWindowPoints(GetParent(handle), nullptr, reinterpret_cast<POINT*>(&view), 2);
        IntersectRect(&view, &view, &inside);
        const bool fits = r.right - r.left <= view.right - view.left && r.bottom - r.top <= view.bottom - view.top;
        RECT common{};
        if (!IsWindowVisible(handle) || r.right <= r.left || r.bottom <= r.top)
            m_course.Fail(line, name + " was not drawn");
        else if (fits ? !(r.left >= view.left && r.top >= view.top && r.right <= view.right && r.bottom <= view.bottom)
                      : !IntersectRect(&common, &r, &view))
            m_course.Fail(line, name + " lies outside what its dialog shows on the screen");
    }
    ScrollToTop(window);
}

HWND NativePlayDriver::WindowOf(const PlayLine& line, const CDialog& dialog, const CWnd& control) {
    HWND handle = ControlHandle(control);
    if (!handle || !IsWindowVisible(handle)) {
        m_course.Fail(line, play::Describe(dialog, control) + " has no window to be seen");
        return nullptr;
    }
    if (!IsWindowEnabled(handle)) {
        m_course.Fail(line, play::Describe(dialog, control) + "'s window is disabled");
        return nullptr;
    }
    return handle;
}

void NativePlayDriver::RunLine(const PlayLine& line, CDialog& dialog, HWND window) {
    using play::NameRole;
    auto describe = [&](const CWnd& control) { return play::Describe(dialog, control); };
    switch (line.command) {
        case PlayCommand::Open:
        case PlayCommand::Answer: return;  // taken by the course
        case PlayCommand::Show: Show(line, dialog); return;
        case PlayCommand::Key: {
            if (play::IsRowKey(line.key)) return MoveRow(line, dialog);
            if (line.key == play::PlayKey::Close) {
                PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
                return;
            }
            // The key goes where the focus is, through the dialog's own keys.
            HWND focus = GetFocus();
            if (!focus || (focus != window && !IsChild(window, focus))) focus = window;
            switch (line.key) {
                case play::PlayKey::Tab:
                case play::PlayKey::BackTab:
                    // What the dialog manager does with Tab and Shift+Tab (a posted
                    // key would not carry the Shift key's state).
                    PostMessageW(window, WM_NEXTDLGCTL, line.key == play::PlayKey::BackTab ? 1 : 0, FALSE);
                    return;
                case play::PlayKey::Space: {
                    CWnd* focused = m_course.ReachFocused(line, dialog, ModelOf(dialog, focus));
                    if (!focused) return;
                    if (!IsButtonKind(focused->GetKind()))
                        return m_course.Fail(line, play::KeyLineName(line) + ": the focus is on " + describe(*focused) +
                                                       ", not on a button");
                    KeyDown(focus, VK_SPACE, true);
                    PostMessageW(focus, WM_KEYUP, VK_SPACE, 0xC0000001);
                    return;
                }
                case play::PlayKey::Alt: PostMessageW(focus, WM_SYSCHAR, line.text[0], 1 << 29); return;
                default: KeyDown(focus, line.key == play::PlayKey::Enter ? VK_RETURN : VK_ESCAPE, true); return;
            }
        }
        case PlayCommand::Type: {
            // Without a field's name: where the focus is, the person tabs on by key.
            const bool named = line.control.Named();
            CWnd* field = named ? m_course.Reach(line, dialog, NameRole::Field)
                                : m_course.ReachFocused(line, dialog, ModelOf(dialog, GetFocus()));
            if (!field) return;
            const ControlKind kind = field->GetKind();
            if (kind == ControlKind::Combo) return m_course.Fail(line, describe(*field) + " is a combo box: use pick");
            if (kind == ControlKind::CheckBox || kind == ControlKind::Radio)
                return m_course.Fail(line, describe(*field) + " is ticked, not typed into: use check or uncheck");
            HWND edit = WindowOf(line, dialog, *field);
            if (!edit) return;
            // What the window layer lets a person type into, shown as the system's edit.
            const bool typable = dynamic_cast<CEdit*>(field) || dynamic_cast<win::TextUser*>(field) ||
                                 dynamic_cast<win::KeyInput*>(field);
            if (!typable || !IsClass(edit, L"Edit")) return m_course.Fail(line, describe(*field) + " takes no typing");
            if (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY)
                return m_course.Fail(line, describe(*field) + " is read-only");
            // Into the field, everything selected and deleted, then each character.
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            KeyDown(edit, VK_DELETE, false);
            for (wchar_t c : Wide(line.text)) SendMessageW(edit, WM_CHAR, c, 1);
            // Tab leaves it (a multi-line field would take the Tab: the focus moves on).
            if (!named) return;
            if (GetWindowLongW(edit, GWL_STYLE) & ES_MULTILINE)
                SetFocus(GetNextDlgTabItem(window, edit, FALSE));
            else
                KeyDown(edit, VK_TAB, true);
            return;
        }
        case PlayCommand::Pick: {
            CWnd* field = m_course.Reach(line, dialog, NameRole::Field);
            if (!field) return;
            const int index = m_course.ItemFor(line, dialog, *field);
            HWND combo = index >= 0 ? WindowOf(line, dialog, *field) : nullptr;
            if (!combo) return;
            // Open the list and click the item in it.
            SetFocus(combo);
            SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            GetComboBoxInfo(combo, &info);
            RECT item{};
            if (!info.hwndList || SendMessageW(info.hwndList, LB_GETCOUNT, 0, 0) <= index) {
                SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
                return m_course.Fail(line, describe(*field) + "'s list shows no item " + std::to_string(index + 1));
            }
            SendMessageW(info.hwndList, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
            SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
            const LPARAM at = Point(item);
            SendMessageW(info.hwndList, WM_MOUSEMOVE, 0, at);
            SendMessageW(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageW(info.hwndList, WM_LBUTTONUP, 0, at);
            if (SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
            if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != index)
                return m_course.Fail(line,
                                     describe(*field) + " did not take the clicked item " + play::Quote(line.text));
            KeyDown(combo, VK_TAB, true);  // and moves on, as after typing
            return;
        }
        case PlayCommand::Check:
        case PlayCommand::Uncheck: {
            CWnd* box = m_course.Reach(line, dialog, NameRole::Button);
            if (!box) return;
            const bool wanted = line.command == PlayCommand::Check;
            if (box->GetKind() != ControlKind::CheckBox && box->GetKind() != ControlKind::Radio)
                return m_course.Fail(line, describe(*box) + " is not a check box or radio button");
            if (!wanted && box->GetKind() == ControlKind::Radio)
                return m_course.Fail(line, describe(*box) + ": a radio button is unchecked by checking another");
            HWND button = WindowOf(line, dialog, *box);
            if (button && (SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) != wanted)
                PostMessageW(button, BM_CLICK, 0, 0);
            return;
        }
        case PlayCommand::Click: {
            CWnd* control = m_course.Reach(line, dialog, NameRole::Button);
            if (!control) return;
            if (!IsButtonKind(control->GetKind())) return m_course.Fail(line, describe(*control) + " is not a button");
            HWND button = WindowOf(line, dialog, *control);
            if (!button) return;
            // A push button with a letter of its own is pressed with Alt and the letter,
            // as a person at the keyboard does; the others are clicked.
            const wchar_t letter = control->GetKind() == ControlKind::Button ? OwnMnemonic(window, button) : 0;
            HWND focus = GetFocus();
            if (letter && focus && (focus == window || IsChild(window, focus)))
                PostMessageW(focus, WM_SYSCHAR, letter, 1 << 29);
            else
                PostMessageW(button, BM_CLICK, 0, 0);
            return;
        }
        case PlayCommand::Select:
        case PlayCommand::Double:
        case PlayCommand::Tick:
        case PlayCommand::Untick:
        case PlayCommand::Sort: RunOnList(line, dialog); return;
    }
}

// The control whose window is `focus` (or holds it, as a combo its edit); null when none.
CWnd* NativePlayDriver::ModelOf(const CDialog& dialog, HWND focus) const {
    if (!focus) return nullptr;
    for (CWnd* control : dialog.Controls())
        if (HWND handle = ControlHandle(*control); handle && (handle == focus || IsChild(handle, focus)))
            return control;
    return nullptr;
}

// A row key goes to the window that has the focus, which must be a grid's or a
// list's; the list view moves its row itself, as it does for a person.
void NativePlayDriver::MoveRow(const PlayLine& line, CDialog& dialog) {
    CWnd* list = m_course.ReachFocusedList(line, dialog, ModelOf(dialog, GetFocus()));
    HWND window = list ? WindowOf(line, dialog, *list) : nullptr;
    if (!window) return;
    const UINT key = line.key == play::PlayKey::Down   ? VK_DOWN
                     : line.key == play::PlayKey::Up   ? VK_UP
                     : line.key == play::PlayKey::Home ? VK_HOME
                                                       : VK_END;
    KeyDown(window, key, true);
}

void NativePlayDriver::RunOnList(const PlayLine& line, CDialog& dialog) {
    CWnd* control = m_course.ReachList(line, dialog);
    if (!control) return;
    HWND list = WindowOf(line, dialog, *control);
    if (!list) return;
    const int index = line.row - 1;  // items of lists count from 0
    switch (line.command) {
        case PlayCommand::Sort: {
            const int column = m_course.ColumnFor(line, *control);
            if (column < 0) return;
            HWND header = ListView_GetHeader(list);
            RECT r{};
            if (!header || !Header_GetItemRect(header, column, &r))
                return m_course.Fail(line, "sort: the list shows no heading " + play::Quote(line.text));
            Click(header, Point(r));
            return;
        }
        case PlayCommand::Select:
        case PlayCommand::Double: {
            ListView_EnsureVisible(list, index, FALSE);
            RECT r{};
            if (!ListView_GetItemRect(list, index, &r, LVIR_LABEL))
                return m_course.Fail(line, "the list shows no row " + std::to_string(line.row));
            Click(list, Point(r), line.command == PlayCommand::Double);
            return;
        }
        case PlayCommand::Tick:
        case PlayCommand::Untick: {
            // A click on the row's check box: the row the list has current stays.
            const bool wanted = line.command == PlayCommand::Tick;
            if ((ListView_GetCheckState(list, index) != 0) == wanted) return;
            ListView_EnsureVisible(list, index, FALSE);
            RECT r{};
            if (!ListView_GetItemRect(list, index, &r, LVIR_BOUNDS))
                return m_course.Fail(line, "the list shows no row " + std::to_string(line.row));
            LVHITTESTINFO hit{};
            hit.pt.y = (r.top + r.bottom) / 2;
            for (hit.pt.x = r.left; hit.pt.x < r.left + 40; ++hit.pt.x) {
                hit.flags = 0;
                if (ListView_SubItemHitTest(list, &hit) >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) break;
            }
            if (!(hit.flags & LVHT_ONITEMSTATEICON))
                return m_course.Fail(line, "the list shows no check box in row " + std::to_string(line.row));
            Click(list, MAKELPARAM(hit.pt.x + 2, hit.pt.y));
            return;
        }
        default: return;
    }
}

// The dialog as the model holds it, after a check that the windows show the same.
void NativePlayDriver::Show(const PlayLine& line, CDialog& dialog) {
    for (const CWnd* control : dialog.Controls()) {
        HWND handle = ControlHandle(*control);
        if (!handle) continue;
        const ControlKind kind = control->GetKind();
        std::string shown, held;
        if (IsTextKind(kind) || kind == ControlKind::Label || IsButtonKind(kind)) {
            shown = TextOf(handle);
            held = control->GetText().str();
        } else if (kind == ControlKind::Combo) {
            shown = std::to_string(SendMessageW(handle, CB_GETCURSEL, 0, 0));
            held = std::to_string(static_cast<const CComboBox*>(control)->GetCurSel());
        } else if (play::IsListKind(kind)) {
            shown = std::to_string(ListView_GetItemCount(handle)) + " rows";
            held = std::to_string(play::RowsOf(const_cast<CWnd&>(*control))) + " rows";
            // The row highlighted is the row the screen acts on.
            shown += ", row " + std::to_string(ListView_GetNextItem(handle, -1, LVNI_SELECTED) + 1) + " highlighted";
            held += ", row " + std::to_string(CurrentRowOf(*control) + 1) + " highlighted";
            if (kind == ControlKind::Grid) {
                shown += ", headings " + play::Quote(HeadingsShown(handle));
                held += ", headings " + play::Quote(HeadingsHeld(static_cast<const CQXGrid&>(*control)));
            }
        }
        if (kind == ControlKind::CheckBox || kind == ControlKind::Radio) {
            shown += SendMessageW(handle, BM_GETCHECK, 0, 0) == BST_CHECKED ? " (ticked)" : "";
            held += static_cast<const CButton*>(control)->GetCheck() == BST_CHECKED ? " (ticked)" : "";
        }
        if ((IsWindowEnabled(handle) != FALSE) != control->IsWindowEnabled()) {
            shown += IsWindowEnabled(handle) ? "" : " [disabled]";
            held += control->IsWindowEnabled() ? "" : " [disabled]";
        }
        if (shown != held)
            m_course.Fail(line, play::Describe(dialog, *control) + "'s window shows " + play::Quote(shown) +
                                    ", its model holds " + play::Quote(held));
    }
    m_course.Show(dialog);
}

}  // namespace kel::win32
