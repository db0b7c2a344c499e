// The program's parts as a clerk meets them on a real display (the Qt driver,
// offscreen): logged on to a kelmor-server process, a reinsurer form open with a
// name typed, the server stopped. 确定 costs one message, the form keeps what was
// typed and the status bar says the server is away; once the server is back the
// same 确定 saves, and the status bar shows it connected and the count read again.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "common/net/Channel.h"
#include "common/net/SessionChannel.h"
#include "frame/Kelmor.h"
#include "host/qxctlset/QXGrid.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"
#include "qt/tests/Suites.h"
#include "screens/S0000S4.h"
#include "screens/S0000S40.h"
#include "server/tests/ServerProcess.h"
#include "shell/MainWindow.h"
#include "shell/Session.h"

namespace {

QStringList StatusTexts(QMainWindow& window) {
    QStringList labels;
    for (QLabel* label : window.statusBar()->findChildren<QLabel*>()) labels << label->text();
    return labels;
}

int RowOf(CQXGrid& grid, const char* code) {
    for (int r = 1; r < grid.GetRowCount(); ++r)
        if (grid.GetItemText(r, CS0000S4::COL_CODE) == code) return r;
    return -1;
}

// Answers every message box with its first button and keeps its text, so that an
// unexpected second box is counted, not waited on.
class BoxAnswerer {
public:
    BoxAnswerer() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box == m_last) return;
            m_last = box;
            texts << box->text();
            box->buttons().first()->click();
        });
        m_timer.start(10);
    }
    QStringList texts;

private:
    QTimer m_timer;
    QMessageBox* m_last = nullptr;
};

}  // namespace

class ServerRestartQtTest : public QObject {
    Q_OBJECT
private slots:
    void aRestartCostsTheClerkOneMessageAndNothingElse() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string file = (dir.path() + "/kelmor.db").toStdString();
        kel::testing::ServerProcess server(file, kel::testing::FreePort());
        QVERIFY(server.Start(true));

        kel::qt::ScopedQtDriver driver;
        kel::shell::Session session;
        kel::shell::Options options;
        options.servers = {{"127.0.0.1", server.Port()}};
        options.database = file;
        std::string error;
        bool refused = false;
        QVERIFY(session.Prepare(options, error));
        QVERIFY2(session.LogOn("demo", "demo", error, refused), error.c_str());
        kel::shell::MainWindow window({&Call_Kelmor_Dialog, &PopWnd}, QStringLiteral("demo"), session.Remote());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString address = QStringLiteral("127.0.0.1:%1").arg(server.Port());
        QTRY_VERIFY(StatusTexts(window).contains(QStringLiteral("服务器 %1 已连接").arg(address)));

        const QString typed = QStringLiteral("甲再保险（改）");
        const QString unreachable = QString::fromUtf8(kel::ChannelErrorText(kel::kChannelUnreachable)) + u'!';
        BoxAnswerer boxes;
        QStringList statusWhileAway;
        QString keptText;
        bool keptOpen = false;
        QString listedAfter;
        qttest::Scripts scripts(*driver);
        scripts
            .Then([&](kel::qt::DialogView& list) {
                auto* grid = static_cast<CQXGrid*>(list.Model()->GetDlgItem(CS0000S4::IDC_GRID));
                grid->UserDoubleClickRow(RowOf(*grid, "01"));  // the form runs its loop in here
                listedAfter =
                    QString::fromStdString(grid->GetItemText(RowOf(*grid, "01"), CS0000S4::COL_CHN_NAME).str());
                QTest::mouseClick(list.WidgetFor(IDCANCEL), Qt::LeftButton);
            })
            .Then([&](kel::qt::DialogView& form) {
                QWidget* name = form.WidgetFor(CS0000S40::IDC_EDT_CHN_NAME);
                name->setFocus();
                QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(name, Qt::Key_Backspace);
                QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, typed, Qt::NoModifier);

                server.Stop();
                QTest::mouseClick(form.WidgetFor(IDOK), Qt::LeftButton);
                QApplication::processEvents();  // the state the channel told
                keptOpen = !form.Model()->IsEnded();
                keptText =
                    QString::fromStdString(form.Model()->GetDlgItem(CS0000S40::IDC_EDT_CHN_NAME)->GetText().str());
                statusWhileAway = StatusTexts(window);

                QVERIFY(server.Start(false));
                QTest::mouseClick(form.WidgetFor(IDOK), Qt::LeftButton);  // the same save, nothing else
            });
        QVERIFY(window.OpenScreen(25005));
        QVERIFY(scripts.AllUsed());

        QCOMPARE(boxes.texts, QStringList{unreachable});
        QVERIFY(keptOpen);
        QCOMPARE(keptText, typed);
        QVERIFY2(statusWhileAway.contains(QStringLiteral("服务器 %1 未连接").arg(address)),
                 qPrintable(statusWhileAway.join(u'|')));
        QVERIFY(statusWhileAway.contains(QStringLiteral("待处理信息: 未知")));
        QCOMPARE(listedAfter, typed);  // saved, and the list read again shows it
        QTRY_VERIFY(StatusTexts(window).contains(QStringLiteral("服务器 %1 已连接").arg(address)));
        QVERIFY(window.LastCount() > 0);  // read again after the reconnect
        QVERIFY(StatusTexts(window).contains(QStringLiteral("待处理信息: %1").arg(window.LastCount())));
        QCOMPARE(driver->WaitCursorDepth(), 0);
        session.Close();
    }

    void screensGivenUpWhileTheServerIsAwayAskNothingMore() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string file = (dir.path() + "/kelmor.db").toStdString();
        kel::testing::ServerProcess server(file, kel::testing::FreePort());
        QVERIFY(server.Start(true));

        kel::qt::ScopedQtDriver driver;
        kel::shell::Session session;
        kel::shell::Options options;
        options.servers = {{"127.0.0.1", server.Port()}};
        options.database = file;
        std::string error;
        bool refused = false;
        QVERIFY(session.Prepare(options, error));
        QVERIFY2(session.LogOn("demo", "demo", error, refused), error.c_str());
        int tries = 0;  // each time the channel waits to connect again
        session.Remote()->OnWaiting([&](bool waiting) {
            if (waiting) ++tries;
            waiting ? driver->BeginWaitCursor() : driver->EndWaitCursor();
        });
        kel::shell::MainWindow window({&Call_Kelmor_Dialog, &PopWnd}, QStringLiteral("demo"), session.Remote());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        BoxAnswerer boxes;
        qttest::Scripts scripts(*driver);
        scripts
            .Then([&](kel::qt::DialogView& list) {
                auto* grid = static_cast<CQXGrid*>(list.Model()->GetDlgItem(CS0000S4::IDC_GRID));
                grid->UserDoubleClickRow(RowOf(*grid, "01"));
                QTest::mouseClick(list.WidgetFor(IDCANCEL), Qt::LeftButton);
            })
            .Then([&](kel::qt::DialogView& form) {
                server.Stop();
                QTest::mouseClick(form.WidgetFor(IDOK), Qt::LeftButton);
                QTest::mouseClick(form.WidgetFor(IDCANCEL), Qt::LeftButton);
            });
        QVERIFY(window.OpenScreen(25005));
        QVERIFY(scripts.AllUsed());
        // One try, one message: closing the screens asks the server nothing more.
        QCOMPARE(tries, 1);
        QCOMPARE(boxes.texts.size(), 1);
        QCOMPARE(window.LastCount(), -1);
        QVERIFY(StatusTexts(window).contains(QStringLiteral("待处理信息: 未知")));
        QCOMPARE(driver->WaitCursorDepth(), 0);
        session.Close();
    }
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ServerRestartQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ServerRestartQtTest.moc"
