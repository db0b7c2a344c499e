#include "qt/QtDriver.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "host/win/Dialog.h"
#include "qt/DialogView.h"
#include "qt/GuiBridge.h"
#include "qt/MessageBox.h"
#include "qt/PopupWindow.h"
#include "qt/PrintLoader.h"
#include "qt/Text.h"
#include "qt/WindowMessage.h"

namespace kel::qt {
namespace {

win::Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

bool IsOurTopLevel(QWidget* w) {
    const auto all = QApplication::topLevelWidgets();
    return all.contains(w);
}

}  // namespace

QtDriver::QtDriver() : m_context(std::make_unique<QObject>()), m_bridge(std::make_shared<GuiBridge>(m_context.get())) {
    UpdateDesktop();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QObject::connect(screen, &QScreen::geometryChanged, m_context.get(), [this] { UpdateDesktop(); });
        QObject::connect(screen, &QScreen::availableGeometryChanged, m_context.get(), [this] { UpdateDesktop(); });
    }
}

QtDriver::~QtDriver() {
    m_bridge->Close();  // popup threads still running find nobody to talk to
    for (auto& [key, timer] : m_timers) delete timer;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (dynamic_cast<PopupWindow*>(w)) delete w;
    while (m_waitDepth > 0) EndWaitCursor();
}

void QtDriver::UpdateDesktop() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    std::lock_guard lock(m_desktopMutex);
    m_desktop = {ToRect(screen->geometry()), ToRect(screen->availableGeometry())};
}

win::DesktopMetrics QtDriver::GetDesktopMetrics() {
    std::lock_guard lock(m_desktopMutex);
    return m_desktop;
}

QWidget* QtDriver::OwnerForNewWindow() const {
    if (!m_modals.empty()) return m_modals.back().view;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !dynamic_cast<PopupWindow*>(w) && w->windowType() == Qt::Window) return w;
    return nullptr;
}

DialogView* QtDriver::TopDialog() const { return m_modals.empty() ? nullptr : m_modals.back().view; }

void QtDriver::RunModalLoop(CDialog& dialog) {
    auto view = std::make_unique<DialogView>(dialog, *this, OwnerForNewWindow());
    QEventLoop loop;
    m_modals.push_back({&dialog, view.get(), &loop});
    view->setWindowModality(Qt::ApplicationModal);
    view->show();
    view->FocusModelItem();
    // Ends the loop also when the dialog ended by a way no view saw (a timer).
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [this] { CheckEnded(); });
    watch.start(50);
    if (ShownHook hook = m_shownHook) hook(dialog, *view);  // a copy: the hook may replace itself
    if (!dialog.IsEnded()) loop.exec(QEventLoop::DialogExec);
    watch.stop();
    m_modals.pop_back();
    view->DetachAll();
    view->hide();
    view.reset();
    GiveKeyboardBack();
}

void QtDriver::GiveKeyboardBack() {
    // The window a box or a nested dialog came from takes the keyboard again, so that
    // the focus a screen set meanwhile (the field a message named) is where keys go.
    if (m_modals.empty()) return;
    DialogView* view = m_modals.back().view;
    view->raise();
    view->activateWindow();
}

void QtDriver::CheckEnded() {
    for (const Modal& m : m_modals)
        if (m.dialog->IsEnded()) m.loop->exit(0);
}

int QtDriver::ShowMessageBox(const win::MessageBoxRequest& request) {
    int answer = RunMessageBox(request, OwnerForNewWindow());
    GiveKeyboardBack();
    CheckEnded();
    return answer;
}

bool QtDriver::PrintTable(const CWnd*, const win::PrintJob& job) {
    std::string error;
    bool printed = PrintWithPreview(job, OwnerForNewWindow(), error);
    if (!error.empty())
        QMessageBox::warning(OwnerForNewWindow(), QString::fromStdString(job.title),
                             QStringLiteral("无法打印：") + QString::fromStdString(error));
    GiveKeyboardBack();
    CheckEnded();
    return printed;
}

void QtDriver::Beep() { QApplication::beep(); }

void QtDriver::BeginWaitCursor() {
    ++m_waitDepth;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtDriver::EndWaitCursor() {
    if (m_waitDepth <= 0) return;
    --m_waitDepth;
    QGuiApplication::restoreOverrideCursor();
}

void QtDriver::StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs) {
    auto key = std::make_pair(&wnd, id);
    QTimer*& timer = m_timers[key];
    if (!timer) {
        timer = new QTimer;
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, m_context.get(), [this, key] {
            if (!m_timers.count(key)) return;
            key.first->SendMessage(WM_TIMER, key.second, 0);
            CheckEnded();
        });
    }
    timer->start(static_cast<int>(periodMs));
}

void QtDriver::StopTimer(CWnd& wnd, UINT_PTR id) {
    auto it = m_timers.find({&wnd, id});
    if (it == m_timers.end()) return;
    it->second->deleteLater();  // it may be the one calling us
    it->second->stop();
    m_timers.erase(it);
}

void QtDriver::WindowDestroyed(CWnd& wnd) {
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->first.first == &wnd) {
            it->second->stop();
            it->second->deleteLater();
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
    if (auto* view = dynamic_cast<ControlView*>(wnd.GetView())) view->Detach();
    if (auto* view = dynamic_cast<DialogView*>(wnd.GetView())) view->DetachAll();
}

win::WindowHandle QtDriver::FindTopLevelWindow(const std::string& title) {
    QString wanted = Q(title);
    auto found = m_bridge->Call<win::WindowHandle>([wanted]() -> win::WindowHandle {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == wanted && !dynamic_cast<PopupWindow*>(w))
                return reinterpret_cast<win::WindowHandle>(w);
        return 0;
    });
    return found.value_or(0);
}

LRESULT QtDriver::SendToWindow(win::WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto result = m_bridge->Call<LRESULT>([=]() -> LRESULT {
        auto* w = reinterpret_cast<QWidget*>(window);
        if (!window || !IsOurTopLevel(w)) return 0;
        WindowMessageEvent event(message, wParam, lParam);
        QApplication::sendEvent(w, &event);
        return event.result;
    });
    return result.value_or(0);
}

std::unique_ptr<win::PopupSurface> QtDriver::CreatePopupSurface(const win::PopupLook& look, win::PopupInput input) {
    return MakePopupSurface(m_bridge, look, std::move(input));
}

ScopedQtDriver::ScopedQtDriver() : m_driver(std::make_shared<QtDriver>()), m_previous(win::InstalledDriver()) {
    win::InstallDriver(m_driver);
}

ScopedQtDriver::~ScopedQtDriver() { win::InstallDriver(m_previous); }

}  // namespace kel::qt
