// A dialog model shown as a system dialog: its controls laid out in the template's
// grid of cells, the system's dialog keys (Tab, arrows, mnemonics) kept, Enter,
// Escape and the close box handed to the model.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "host/win/Dialog.h"
#include "win32/ControlWindow.h"
#include "win32/ScrollPage.h"

namespace kel::win32 {

class Win32Driver;

class DialogWindow : public win::WndView {
public:
    DialogWindow(CDialog& model, Win32Driver& driver, HWND owner);
    ~DialogWindow() override;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    CDialog* Model() const { return m_model; }
    void Show();
    // Keys of the dialog's own: true when the message was used.
    bool PreTranslate(MSG& msg);
    // The control window of a model, or null.
    ControlWindow* ViewOf(const CWnd* model) const;
    // A form larger than the screen's free area scrolls: brings a control into view
    // (the window with the focus after each message, as a person tabs through it),
    // or back to the form's top. Nothing happens for a dialog that does not scroll.
    void BringIntoView(HWND control);
    void FocusInView();
    void ScrollHome();

    // win::WndView
    void ModelChanged(CWnd& wnd, win::Aspect aspect) override;

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Build();
    void Layout();
    SIZE NaturalSize(const CWnd& control, HDC dc) const;
    // Moves the controls of a form too large for `room` onto a scrolling page, the
    // bottom row of buttons below it; the client size the dialog then needs.
    SIZE ScrollForm(SIZE form, SIZE room, int formHeightAboveButtons, int buttonHeight);
    void FocusFromSystem();

    CDialog* m_model;
    Win32Driver& m_driver;
    HWND m_hwnd = nullptr;
    std::vector<std::unique_ptr<ControlWindow>> m_controls;
    std::unique_ptr<ScrollPage> m_page;  // only for a form that scrolls
    HWND m_seenFocus = nullptr;
};

}  // namespace kel::win32
