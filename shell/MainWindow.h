// The host's main window "Tessan保险业务系统": every screen by name and number,
// opened through the module's entry point; the number of waiting items (screen
// 13) in the status bar, announced with a task-bar popup; message 1124 (a click on
// a popup) opens the detail information list (screen 14).
#pragma once

#include <QMainWindow>
#include <QTimer>

#include "shell/Module.h"

class QLabel;
class QTreeWidget;

namespace kel::shell {

class MainWindow : public QMainWindow {
public:
    static constexpr const char* kTitle = "Tessan保险业务系统";
    static constexpr unsigned kOpenDetailsMessage = 0x0400 + 100;  // 1124
    static constexpr int kDetailScreen = 14;
    static constexpr int kCountScreen = 13;

    MainWindow(const Module& module, const QString& user, QWidget* parent = nullptr);

    // Opens a screen modally through the module; false when one is already open.
    bool OpenScreen(int number);
    // Asks the module for the number of waiting items and shows it; a popup tells
    // of it when there are items and `announce` is set, or when more have come.
    void RefreshCount(bool announce);
    int LastCount() const { return m_count; }

protected:
    bool event(QEvent* event) override;

private:
    void OpenSelected();

    Module m_module;
    QTreeWidget* m_list;
    QLabel* m_countLabel;
    QTimer m_poll;
    int m_count = -1;
    bool m_busy = false;
};

}  // namespace kel::shell
