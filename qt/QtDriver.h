// The Qt driver: renders every dialog with Qt Widgets and runs its modal loop, shows
// message boxes, the wait cursor and the task-bar popups, runs the GUI thread's
// timers, and finds and tells top-level windows by title. Make it on the GUI thread
// once a QApplication exists; install it with InstallQtDriver.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "host/win/UiDriver.h"

class QEventLoop;
class QTimer;
class QWidget;

namespace kel::qt {

class DialogView;
class GuiBridge;

class QtDriver : public win::UiDriver {
public:
    QtDriver();
    ~QtDriver() override;

    // Called once a dialog is on the screen (for a screenshot, or a test's script).
    using ShownHook = std::function<void(CDialog& dialog, DialogView& view)>;
    void SetDialogShownHook(ShownHook hook) { m_shownHook = std::move(hook); }

    // Ends the modal loops of dialogs that have ended.
    void CheckEnded();
    // The innermost open dialog's window, or null.
    DialogView* TopDialog() const;
    int WaitCursorDepth() const { return m_waitDepth; }

    // win::UiDriver
    void RunModalLoop(CDialog& dialog) override;
    int ShowMessageBox(const win::MessageBoxRequest& request) override;
    void BeginWaitCursor() override;
    void Beep() override;
    void EndWaitCursor() override;
    void StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs) override;
    void StopTimer(CWnd& wnd, UINT_PTR id) override;
    void WindowDestroyed(CWnd& wnd) override;
    win::WindowHandle FindTopLevelWindow(const std::string& title) override;
    LRESULT SendToWindow(win::WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PrintTable(const CWnd* owner, const win::PrintJob& job) override;
    win::DesktopMetrics GetDesktopMetrics() override;
    std::unique_ptr<win::PopupSurface> CreatePopupSurface(const win::PopupLook& look, win::PopupInput input) override;

private:
    struct Modal {
        CDialog* dialog;
        DialogView* view;
        QEventLoop* loop;
    };
    void UpdateDesktop();
    QWidget* OwnerForNewWindow() const;
    void GiveKeyboardBack();

    std::unique_ptr<QObject> m_context;  // GUI-thread anchor of queued work
    std::shared_ptr<GuiBridge> m_bridge;
    std::vector<Modal> m_modals;
    std::map<std::pair<CWnd*, UINT_PTR>, QTimer*> m_timers;
    ShownHook m_shownHook;
    int m_waitDepth = 0;
    mutable std::mutex m_desktopMutex;
    win::DesktopMetrics m_desktop;
};

// Installs a new QtDriver for the process and puts the previous driver back when
// the returned object goes.
class ScopedQtDriver {
public:
    ScopedQtDriver();
    ~ScopedQtDriver();
    QtDriver& operator*() { return *m_driver; }
    QtDriver* operator->() { return m_driver.get(); }
    std::shared_ptr<QtDriver> Shared() { return m_driver; }

private:
    std::shared_ptr<QtDriver> m_driver;
    std::shared_ptr<win::UiDriver> m_previous;
};

}  // namespace kel::qt
