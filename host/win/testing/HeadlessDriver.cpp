#include "host/win/testing/HeadlessDriver.h"

namespace win {

// ---- DialogActions

DialogActions& DialogActions::Act(int id, const char* what, const std::function<UserResult(CWnd&)>& action) {
    CWnd* item = m_dialog.GetDlgItem(id);
    UserResult result = item ? action(*item) : UserResult::WrongKind("missing");
    if (result.outcome == UserResult::Outcome::WrongKind)
        m_driver.AddProblem("dialog \"" + m_dialog.GetText().str() + "\": no " + what + " with ID " +
                            std::to_string(id));
    return *this;
}

DialogActions& DialogActions::Type(int id, const CString& text) {
    return Act(id, "edit", [&](CWnd& c) { return user::ReplaceText(c, text); });
}

DialogActions& DialogActions::Keys(int id, const CString& chars) {
    return Act(id, "key-by-key control", [&](CWnd& c) { return user::Keys(c, chars); });
}

DialogActions& DialogActions::Key(int id, UINT virtualKey) {
    return Act(id, "key-by-key control", [&](CWnd& c) { return user::Key(c, virtualKey); });
}

DialogActions& DialogActions::Caret(int id, int selStart, int selEnd) {
    return Act(id, "key-by-key control", [&](CWnd& c) { return user::Caret(c, selStart, selEnd); });
}

DialogActions& DialogActions::Leave(int id) {
    return Act(id, "control", [](CWnd& c) { return user::Leave(c); });
}

DialogActions& DialogActions::Pick(int id, int index) {
    return Act(id, "combo box", [&](CWnd& c) {
        UserResult r = user::Pick(c, index);
        if (r.outcome == UserResult::Outcome::Refused)
            m_driver.AddProblem("combo " + std::to_string(id) + ": cannot pick item " + std::to_string(index));
        return r;
    });
}

DialogActions& DialogActions::PickCode(int id, const CString& prefix) {
    return Act(id, "combo box", [&](CWnd& c) {
        auto* combo = dynamic_cast<CComboBox*>(&c);
        int index = combo ? combo->FindString(-1, prefix) : CB_ERR;
        UserResult r = user::Pick(c, index);
        if (r.outcome == UserResult::Outcome::Refused)
            m_driver.AddProblem("combo " + std::to_string(id) + ": no item \"" + prefix.str() + "\"");
        return r;
    });
}

DialogActions& DialogActions::Click(int id) {
    return Act(id, "button", [](CWnd& c) { return user::Click(c); });
}

DialogActions& DialogActions::ToggleItem(int id, int index) {
    return Act(id, "check list", [&](CWnd& c) { return user::ToggleItem(c, index); });
}

DialogActions& DialogActions::ClickItem(int id, int index) {
    return Act(id, "report list", [&](CWnd& c) { return user::ClickItem(c, index); });
}

DialogActions& DialogActions::ClickRow(int gridId, int row) {
    return Act(gridId, "grid", [&](CWnd& c) { return user::ClickRow(c, row); });
}

DialogActions& DialogActions::DoubleClickRow(int gridId, int row) {
    return Act(gridId, "grid", [&](CWnd& c) { return user::DoubleClickRow(c, row); });
}

DialogActions& DialogActions::ClickHeader(int gridId, int column) {
    return Act(gridId, "grid", [&](CWnd& c) { return user::ClickHeader(c, column); });
}

DialogActions& DialogActions::Enter() {
    user::PressEnter(m_dialog);
    return *this;
}

DialogActions& DialogActions::Escape() {
    user::PressEscape(m_dialog);
    return *this;
}

DialogActions& DialogActions::CloseBox() {
    user::PressCloseBox(m_dialog);
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
    m_printed.clear();
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
    DialogActions actions(dialog, *this);
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

bool HeadlessDriver::PrintTable(const CWnd*, const PrintJob& job) {
    std::lock_guard lock(m_mutex);
    m_printed.push_back(job);
    return true;
}

std::vector<PrintJob> HeadlessDriver::Printed() const {
    std::lock_guard lock(m_mutex);
    return m_printed;
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
