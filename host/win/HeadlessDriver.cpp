#include "host/win/HeadlessDriver.h"

#include <algorithm>

#include "host/win/KeyInput.h"

namespace win {

// ---- DialogActions

template <class T>
T* DialogActions::Need(int id, const char* what) {
    auto* item = dynamic_cast<T*>(m_dialog.GetDlgItem(id));
    if (!item) {
        if (auto* driver = dynamic_cast<HeadlessDriver*>(&Driver()))
            driver->AddProblem("dialog \"" + std::string(m_dialog.GetText()) + "\": no " + what + " with ID " +
                               std::to_string(id));
    }
    return item;
}

DialogActions& DialogActions::Type(int id, const CString& text) {
    if (auto* text_user = dynamic_cast<TextUser*>(m_dialog.GetDlgItem(id)))
        text_user->UserSetText(text);
    else if (auto* edit = Need<CEdit>(id, "edit"))
        edit->UserSetText(text);
    return *this;
}

DialogActions& DialogActions::Keys(int id, const CString& chars) {
    if (auto* input = Need<KeyInput>(id, "key-by-key control")) {
        if (auto* w = m_dialog.GetDlgItem(id)) w->SetFocus();
        for (char c : chars.str()) input->OnChar(static_cast<unsigned char>(c));
    }
    return *this;
}

DialogActions& DialogActions::Key(int id, UINT virtualKey) {
    if (auto* input = Need<KeyInput>(id, "key-by-key control")) input->OnKeyDown(virtualKey);
    return *this;
}

DialogActions& DialogActions::Caret(int id, int selStart, int selEnd) {
    if (auto* input = Need<KeyInput>(id, "key-by-key control")) input->SetCaret(selStart, selEnd);
    return *this;
}

DialogActions& DialogActions::Leave(int id) {
    CWnd* item = m_dialog.GetDlgItem(id);
    if (auto* edit = dynamic_cast<CEdit*>(item))
        edit->UserLeave();
    else if (auto* combo = dynamic_cast<CComboBox*>(item))
        combo->UserLeave();
    else if (item)
        item->GetParent()->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), EN_KILLFOCUS));
    else
        Need<CWnd>(id, "control");
    return *this;
}

DialogActions& DialogActions::Pick(int id, int index) {
    if (auto* combo = Need<CComboBox>(id, "combo box")) {
        combo->UserDropDown();
        if (!combo->UserSelect(index) && dynamic_cast<HeadlessDriver*>(&Driver()))
            static_cast<HeadlessDriver&>(Driver()).AddProblem("combo " + std::to_string(id) + ": cannot pick item " +
                                                              std::to_string(index));
    }
    return *this;
}

DialogActions& DialogActions::PickCode(int id, const CString& prefix) {
    if (auto* combo = Need<CComboBox>(id, "combo box")) {
        combo->UserDropDown();
        int index = combo->FindString(-1, prefix);
        if (index == CB_ERR || !combo->UserSelect(index)) {
            if (auto* driver = dynamic_cast<HeadlessDriver*>(&Driver()))
                driver->AddProblem("combo " + std::to_string(id) + ": no item \"" + std::string(prefix) + "\"");
        }
    }
    return *this;
}

DialogActions& DialogActions::Click(int id) {
    if (auto* button = Need<CButton>(id, "button")) button->UserClick();
    return *this;
}

DialogActions& DialogActions::ToggleItem(int id, int index) {
    CWnd* item = m_dialog.GetDlgItem(id);
    if (auto* list = dynamic_cast<CCheckListBox*>(item))
        list->UserToggle(index);
    else if (auto* report = dynamic_cast<CListCtrl*>(item))
        report->UserToggleCheck(index);
    else
        Need<CCheckListBox>(id, "check list");
    return *this;
}

DialogActions& DialogActions::ClickItem(int id, int index) {
    if (auto* report = Need<CListCtrl>(id, "report list")) report->UserClick(index);
    return *this;
}

DialogActions& DialogActions::ClickRow(int gridId, int row) {
    if (auto* grid = Need<GridUser>(gridId, "grid")) grid->UserClickRow(row);
    return *this;
}

DialogActions& DialogActions::DoubleClickRow(int gridId, int row) {
    if (auto* grid = Need<GridUser>(gridId, "grid")) grid->UserDoubleClickRow(row);
    return *this;
}

DialogActions& DialogActions::ClickHeader(int gridId, int column) {
    if (auto* grid = Need<GridUser>(gridId, "grid")) grid->UserClickHeader(column);
    return *this;
}

DialogActions& DialogActions::Enter() {
    m_dialog.UserPressEnter();
    return *this;
}

DialogActions& DialogActions::Escape() {
    m_dialog.UserPressEscape();
    return *this;
}

DialogActions& DialogActions::CloseBox() {
    m_dialog.UserCloseBox();
    return *this;
}

CString DialogActions::Text(int id) const {
    CWnd* item = m_dialog.GetDlgItem(id);
    return item ? item->GetText() : CString();
}

bool DialogActions::Enabled(int id) const {
    CWnd* item = m_dialog.GetDlgItem(id);
    return item && item->IsWindowEnabled();
}

bool DialogActions::Visible(int id) const {
    CWnd* item = m_dialog.GetDlgItem(id);
    return item && item->IsWindowVisible();
}

int DialogActions::Checked(int id) const {
    auto* button = dynamic_cast<CButton*>(m_dialog.GetDlgItem(id));
    return button ? button->GetCheck() : -1;
}

// ---- HeadlessDriver

HeadlessDriver& HeadlessDriver::Then(Script script) {
    std::lock_guard lock(m_mutex);
    m_scripts.push_back({std::nullopt, std::move(script)});
    return *this;
}

HeadlessDriver& HeadlessDriver::Then(std::string caption, Script script) {
    std::lock_guard lock(m_mutex);
    m_scripts.push_back({std::move(caption), std::move(script)});
    return *this;
}

HeadlessDriver& HeadlessDriver::Answer(int button) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(button);
    return *this;
}

std::vector<std::string> HeadlessDriver::MessageTexts() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> texts;
    for (const auto& b : m_boxes) texts.push_back(b.request.text);
    return texts;
}

std::vector<std::string> HeadlessDriver::Problems() const {
    std::lock_guard lock(m_mutex);
    auto all = m_problems;
    if (!m_scripts.empty()) all.push_back(std::to_string(m_scripts.size()) + " dialog script(s) never used");
    if (!m_answers.empty()) all.push_back(std::to_string(m_answers.size()) + " message-box answer(s) never used");
    return all;
}

void HeadlessDriver::ClearRecords() {
    std::lock_guard lock(m_mutex);
    m_boxes.clear();
    m_opened.clear();
    m_problems.clear();
    m_waitShown = 0;
}

void HeadlessDriver::AddProblem(std::string problem) {
    std::lock_guard lock(m_mutex);
    m_problems.push_back(std::move(problem));
}

void HeadlessDriver::RunModalLoop(CDialog& dialog) {
    Pending next;
    {
        std::lock_guard lock(m_mutex);
        m_opened.push_back(dialog.GetText().str());
        if (m_scripts.empty()) {
            m_problems.push_back("dialog \"" + dialog.GetText().str() + "\" opened without a script");
            dialog.EndDialog(IDCANCEL);
            return;
        }
        next = std::move(m_scripts.front());
        m_scripts.pop_front();
        if (next.caption && *next.caption != dialog.GetText().str())
            m_problems.push_back("expected dialog \"" + *next.caption + "\", got \"" + dialog.GetText().str() + "\"");
        m_stack.push_back(&dialog);
    }
    DialogActions actions(dialog);
    if (next.script) next.script(actions);
    std::lock_guard lock(m_mutex);
    m_stack.pop_back();
    if (!dialog.IsEnded()) {
        m_problems.push_back("dialog \"" + dialog.GetText().str() + "\" still open after its script");
        dialog.EndDialog(IDCANCEL);
    }
}

int HeadlessDriver::ShowMessageBox(const MessageBoxRequest& request) {
    std::lock_guard lock(m_mutex);
    MessageBoxRecord record;
    record.request = request;
    record.dialog = m_stack.empty() ? std::string() : m_stack.back()->GetText().str();
    if (m_answers.empty()) {
        record.answer = request.DefaultAnswer();
    } else {
        record.answer = m_answers.front();
        m_answers.pop_front();
    }
    m_boxes.push_back(record);
    return record.answer;
}

void HeadlessDriver::BeginWaitCursor() {
    std::lock_guard lock(m_mutex);
    ++m_waitShown;
    ++m_waitDepth;
}

void HeadlessDriver::EndWaitCursor() {
    std::lock_guard lock(m_mutex);
    if (m_waitDepth > 0) --m_waitDepth;
}

void HeadlessDriver::StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs) {
    std::lock_guard lock(m_mutex);
    m_timers[{&wnd, id}] = Timer{periodMs, m_now + periodMs};
}

void HeadlessDriver::StopTimer(CWnd& wnd, UINT_PTR id) {
    std::lock_guard lock(m_mutex);
    m_timers.erase({&wnd, id});
}

void HeadlessDriver::WindowDestroyed(CWnd& wnd) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_timers.begin(); it != m_timers.end();)
        it = it->first.first == &wnd ? m_timers.erase(it) : std::next(it);
}

bool HeadlessDriver::TimerRunning(const CWnd& wnd, UINT_PTR id) const {
    std::lock_guard lock(m_mutex);
    return m_timers.count({&wnd, id}) != 0;
}

std::optional<UINT> HeadlessDriver::TimerPeriod(const CWnd& wnd, UINT_PTR id) const {
    std::lock_guard lock(m_mutex);
    auto it = m_timers.find({&wnd, id});
    if (it == m_timers.end()) return std::nullopt;
    return it->second.period;
}

// Fires due timers in time order; a handler may start, stop or destroy timers.
void HeadlessDriver::AdvanceTime(unsigned ms) {
    unsigned end = m_now + ms;
    for (;;) {
        CWnd* target = nullptr;
        UINT_PTR id = 0;
        {
            std::lock_guard lock(m_mutex);
            auto best = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
                if (it->second.due <= end && (best == m_timers.end() || it->second.due < best->second.due)) best = it;
            if (best == m_timers.end()) break;
            m_now = best->second.due;
            best->second.due += best->second.period;
            target = const_cast<CWnd*>(best->first.first);
            id = best->first.second;
        }
        target->SendMessage(WM_TIMER, id, 0);
    }
    std::lock_guard lock(m_mutex);
    m_now = end;
}

WindowHandle HeadlessDriver::AddTopLevelWindow(std::string title, WindowProcFn proc) {
    std::lock_guard lock(m_mutex);
    WindowHandle h = m_nextHandle++;
    m_windows[h] = TopLevel{std::move(title), std::move(proc)};
    return h;
}

void HeadlessDriver::RemoveTopLevelWindow(WindowHandle handle) {
    std::lock_guard lock(m_mutex);
    m_windows.erase(handle);
}

WindowHandle HeadlessDriver::FindTopLevelWindow(const std::string& title) {
    std::lock_guard lock(m_mutex);
    for (const auto& [h, w] : m_windows)
        if (w.title == title) return h;
    return 0;
}

LRESULT HeadlessDriver::SendToWindow(WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowProcFn proc;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_windows.find(window);
        if (it == m_windows.end()) return 0;
        proc = it->second.proc;
    }
    return proc ? proc(message, wParam, lParam) : 0;
}

// ---- ScopedHeadlessDriver

ScopedHeadlessDriver::ScopedHeadlessDriver()
    : m_driver(std::make_shared<HeadlessDriver>()), m_previous(InstalledDriver()) {
    InstallDriver(m_driver);
}

ScopedHeadlessDriver::~ScopedHeadlessDriver() { InstallDriver(m_previous); }

}  // namespace win
