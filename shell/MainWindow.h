// The host's main window "Tessan保险业务系统": every screen by name and number,
// opened through the module's entry point; the number of waiting items (screen
// 13) in the status bar, announced with a task-bar popup; message 1124 (a click on
// a popup) opens the detail information list (screen 14). The status bar also shows
// the server and whether the client is connected, and who is logged on; while no
// server can be reached the count shows as unknown, and it is read again once the
// connection is back.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>

#include "shell/Module.h"

namespace kel::net {
class SessionChannel;
struct SessionState;
}  // namespace kel::net

class QLabel;
class QTreeWidget;

namespace kel::shell {

class MainWindow : public QMainWindow {
public:
    static constexpr const char* kTitle = "Tessan保险业务系统";
    static constexpr unsigned kOpenDetailsMessage = 0x0400 + 100;  // 1124
    static constexpr int kDetailScreen = 14;
    static constexpr int kCountScreen = 13;

    // `remote`: the channel to the servers; null on the embedded default.
    MainWindow(const Module& module, const QString& user, std::shared_ptr<kel::net::SessionChannel> remote = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a screen modally through the module; false when one is already open.
    bool OpenScreen(int number);
    // Asks the module for the number of waiting items and shows it; a popup tells
    // of it when there are items and `announce` is set, or when more have come.
    void RefreshCount(bool announce);
    int LastCount() const { return m_count; }  // -1: unknown

protected:
    bool event(QEvent* event) override;

private:
    void OpenSelected();
    void ShowConnection(const kel::net::SessionState& state);

    Module m_module;
    QTreeWidget* m_list;
    QLabel* m_countLabel;
    QLabel* m_connectionLabel;
    std::shared_ptr<kel::net::SessionChannel> m_remote;
    bool m_wasConnected = true;
    QTimer m_poll;
    int m_count = -1;
    bool m_busy = false;
};

}  // namespace kel::shell
