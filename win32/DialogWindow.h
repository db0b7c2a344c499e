// A dialog model shown as a system dialog: its controls laid out in the template's
// grid of cells, the system's dialog keys (Tab, arrows, mnemonics) kept, Enter,
// Escape and the close box handed to the model.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "host/win/Dialog.h"
#include "win32/ControlWindow.h"

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

    // win::WndView
    void ModelChanged(CWnd& wnd, win::Aspect aspect) override;

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Build();
    void Layout();
    SIZE NaturalSize(const CWnd& control, HDC dc) const;
    void FocusFromSystem();

    CDialog* m_model;
    Win32Driver& m_driver;
    HWND m_hwnd = nullptr;
    std::vector<std::unique_ptr<ControlWindow>> m_controls;
};

}  // namespace kel::win32
