#include "shell/MainWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/net/SessionChannel.h"
#include "qt/WindowMessage.h"

namespace kel::shell {
namespace {

struct MenuEntry {
    int number;
    const char* name;
};

// The host's menu of the module's screens (13 is a count, not a screen).
constexpr MenuEntry kMenu[] = {
    {25001, "合约代码设置"}, {25013, "合约资料设置"}, {25010, "合约次序设置"}, {25005, "再保公司设置"},
    {11, "经纪公司设置"},    {1, "兑换率设置"},       {4, "区间范围设置"},     {5, "当前期间设置"},
    {9, "险种组合设置"},     {0, "提示信息定制"},     {12, "提示信息定制"},    {14, "详细信息"},
};

}  // namespace

MainWindow::MainWindow(const Module& module, const QString& user, std::shared_ptr<kel::net::SessionChannel> remote,
                       QWidget* parent)
    : QMainWindow(parent), m_module(module), m_remote(std::move(remote)) {
    setWindowTitle(QString::fromUtf8(kTitle));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* heading = new QLabel(QStringLiteral("再保险设置 —— 双击打开"), central);
    layout->addWidget(heading);
    m_list = new QTreeWidget(central);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("编号")});
    for (const MenuEntry& e : kMenu) {
        auto* item = new QTreeWidgetItem(m_list, {QString::fromUtf8(e.name), QString::number(e.number)});
        item->setData(0, Qt::UserRole, e.number);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->setCurrentItem(m_list->topLevelItem(0));
    layout->addWidget(m_list);
    auto* buttons = new QHBoxLayout;
    auto* open = new QPushButton(QStringLiteral("打开(&O)"), central);
    auto* quit = new QPushButton(QStringLiteral("退出(&X)"), central);
    buttons->addStretch();
    buttons->addWidget(open);
    buttons->addWidget(quit);
    layout->addLayout(buttons);
    setCentralWidget(central);
    // The status bar holds what the user needs: who is logged on, to which server,
    // how many items wait.
    statusBar()->addWidget(new QLabel(QStringLiteral("用户: %1").arg(user), this));
    m_connectionLabel = new QLabel(QStringLiteral("内置服务器"), this);
    statusBar()->addWidget(m_connectionLabel);
    m_countLabel = new QLabel(this);
    statusBar()->addPermanentWidget(m_countLabel);
    if (m_remote) {
        // Told on the thread that noticed; shown (and the count read again) from ours.
        m_remote->OnStateChange([this](const kel::net::SessionState& state) {
            QMetaObject::invokeMethod(
                this, [this, state] { ShowConnection(state); }, Qt::QueuedConnection);
        });
        ShowConnection(m_remote->State());
    }
    resize(420, 460);

    connect(m_list, &QTreeWidget::itemActivated, this, [this] { OpenSelected(); });
    connect(open, &QPushButton::clicked, this, [this] { OpenSelected(); });
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    // New waiting items are announced while the program runs.
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (!m_busy) RefreshCount(false);
    });
    m_poll.start(120000);
}

MainWindow::~MainWindow() {
    if (m_remote) m_remote->OnStateChange(nullptr);
}

void MainWindow::ShowConnection(const kel::net::SessionState& state) {
    m_connectionLabel->setText(QStringLiteral("服务器 %1 %2")
                                   .arg(QString::fromStdString(state.address),
                                        state.connected ? QStringLiteral("已连接") : QStringLiteral("未连接")));
    const bool back = state.connected && !m_wasConnected;
    m_wasConnected = state.connected;
    if (!state.connected) {
        m_count = -1;
        m_countLabel->setText(QStringLiteral("待处理信息: 未知"));
    } else if (back && !m_busy) {
        RefreshCount(false);
    }
}

void MainWindow::OpenSelected() {
    if (QTreeWidgetItem* item = m_list->currentItem()) OpenScreen(item->data(0, Qt::UserRole).toInt());
}

bool MainWindow::OpenScreen(int number) {
    if (m_busy || !m_module.callDialog) return false;
    m_busy = true;
    m_module.callDialog(number, 0);
    m_busy = false;
    // With no server the screen has said so: the count stays unknown without another
    // wait; it is read again once the connection is back.
    if (m_remote && m_remote->Away()) {
        m_count = -1;
        m_countLabel->setText(QStringLiteral("待处理信息: 未知"));
    } else {
        RefreshCount(false);
    }
    return true;
}

void MainWindow::RefreshCount(bool announce) {
    if (!m_module.callDialog) return;
    const int previous = m_count;
    // No server: the count is unknown, not 0, and no message for a poll nobody asked for.
    if (m_remote && !m_remote->Reach()) {
        m_count = -1;
        m_countLabel->setText(QStringLiteral("待处理信息: 未知"));
        return;
    }
    m_count = m_module.callDialog(kCountScreen, 0);
    // The count failed when the connection went with it (the module said so).
    if (m_remote && !m_remote->State().connected) m_count = -1;
    m_countLabel->setText(m_count < 0 ? QStringLiteral("待处理信息: 未知")
                                      : QStringLiteral("待处理信息: %1").arg(m_count));
    const bool more = previous >= 0 && m_count > previous;
    if (m_count > 0 && (announce || more) && m_module.popWnd) {
        const QByteArray text = QStringLiteral("您有 %1 条待处理的信息，请点击查看").arg(m_count).toUtf8();
        m_module.popWnd(text.constData(), 150, 115, 128, 93, 255, 255, 225, 0, 0, 128);
    }
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == kel::qt::WindowMessageEvent::EventType()) {
        auto* message = static_cast<kel::qt::WindowMessageEvent*>(event);
        if (message->message == kOpenDetailsMessage) {
            // Answer the popup's thread at once; the screen opens from our own loop.
            if (m_busy)
                statusBar()->showMessage(QStringLiteral("请先关闭当前窗口"), 5000);
            else
                QTimer::singleShot(0, this, [this] { OpenScreen(kDetailScreen); });
            message->result = 0;
        }
        return true;
    }
    return QMainWindow::event(event);
}

}  // namespace kel::shell
