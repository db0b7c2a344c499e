// One control model shown as a system control: a child window of its dialog that
// shows the model and carries the person's actions back through the window layer's
// user operations. Changes the program makes reach the window through ModelChanged;
// while the view updates its window, the notices the system sends for that are not
// taken for the person's doing.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/win/Wnd.h"
#include "win32/CalendarDropDown.h"
#include "win32/CellTips.h"

class CQXGrid;
namespace win {
class KeyInput;
}

namespace kel::win32 {

class ControlWindow : public win::WndView {
public:
    ControlWindow(CWnd& model, HWND dialog, HFONT font);
    ~ControlWindow() override;
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    CWnd* Model() const { return m_model; }
    void Place(const RECT& r);
    // Onto another window of its dialog (a page that scrolls), its parts with it.
    void MoveTo(HWND parent);
    // The model is going away: the window stays, inert.
    void Detach();

    // win::WndView
    void ModelChanged(CWnd& wnd, win::Aspect aspect) override;
    void RefreshAll() { ModelChanged(*m_model, win::Aspect::All); }

    // The system's notices about this control, sent to the dialog (`from`: the
    // window that sent it, the control or a part of it).
    void OnCommand(UINT code, HWND from);
    LRESULT OnNotify(NMHDR& header);
    // Keys for controls that take them one by one (numeric edit, date field), and
    // the clipboard's messages to them: true when the model took it.
    bool OnKey(UINT message, WPARAM key);
    // The date field's calendar: drops down (a click on its button, Alt+Down, F4).
    void DropCalendar();
    // A list view's mouse buttons: its own change of row while a button is handled
    // waits for the click notice that follows (`pressing`); after the button, the
    // row the list view shows reaches the model if no click notice brought it.
    void OnMouseButton(UINT message, bool pressing);

private:
    struct Guard {
        explicit Guard(ControlWindow& c) : view(c) { ++view.m_updating; }
        ~Guard() { --view.m_updating; }
        ControlWindow& view;
    };
    void Refresh(win::Aspect aspect);
    void RefreshText();
    void RefreshCombo(win::Aspect aspect);
    void RefreshList(win::Aspect aspect);
    void RefreshGrid(win::Aspect aspect);
    void RefreshHeadings(CQXGrid& grid);
    void TextFromWindow();
    // The list view moved its current row itself (keys, type-ahead, a press with
    // no click): the model is told as by a click on the row.
    void RowFromWindow();
    int ModelRow() const;  // the model's current row as the list view counts, -1 none
    int FindRow(const std::wstring& prefix, int start) const;
    void PickDay(const SYSTEMTIME& day);
    void CaretToModel(win::KeyInput& input);
    bool Paste(win::KeyInput& input);
    bool Cut(win::KeyInput& input);
    template <class F>
    void User(F&& action);

    CWnd* m_model;
    win::ControlKind m_kind;
    HWND m_hwnd = nullptr;
    HWND m_drop = nullptr;  // the date field's button that drops the calendar down
    CalendarDropDown m_calendar;
    std::unique_ptr<CellTips> m_tips;  // a list view's cells cut by their column
    std::wstring m_cell;               // the text a list view asks for, kept until it asks again
    std::vector<int> m_columnWidths;   // the grid's columns as the list view has them
    std::vector<int> m_columnFormats;  // and their alignment (LVCFMT_...)
    int m_updating = 0;
    int m_pressing = 0;         // inside the list view's handling of a mouse button
    bool m_rowByPress = false;  // this press brought its row to the model already
};

}  // namespace kel::win32
