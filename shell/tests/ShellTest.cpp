// The host program: its main window with the module's entry points standing in,
// and the program itself run as a process on the embedded default.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "common/net/SessionChannel.h"
#include "host/win/DialogTemplate.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"
#include "shell/BookingBox.h"
#include "shell/MainWindow.h"
#include "shell/Options.h"

namespace {

std::vector<int> g_calls;
int g_count = 3;
std::vector<std::string> g_popups;
std::vector<int> g_popupColours;

int FakeCall(int screen, int) {
    g_calls.push_back(screen);
    return screen == kel::shell::MainWindow::kCountScreen ? g_count : 2;
}

int FakePopWnd(const char* text, int width, int height, int, int, int r1, int g1, int b1, int r2, int g2, int b2) {
    g_popups.emplace_back(text);
    g_popupColours = {width, height, r1, g1, b1, r2, g2, b2};
    return 1;
}

// A server connection that answers every request.
class AnsweringLink final : public kel::Channel {
public:
    int Send(const _PacketHead& head, const void*, std::size_t) override {
        m_head = head;
        return kel::kChannelOk;
    }
    int Receive(_PacketHead& head, std::vector<char>& body) override {
        head = m_head;
        body.clear();
        return kel::kChannelOk;
    }

private:
    _PacketHead m_head{};
};

QStringList StatusTexts(QMainWindow& window) {
    QStringList labels;
    for (QLabel* label : window.statusBar()->findChildren<QLabel*>()) labels << label->text();
    return labels;
}

struct Run {
    int exitCode;
    QString out;
    QString err;
};

Run RunProgram(const QStringList& args, const QString& dataHome, bool withDisplay = true,
               const QProcessEnvironment& extra = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(extra);
    if (withDisplay) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
    }
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KELMOR_PROGRAM), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        return {-1, {}, QStringLiteral("timed out")};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void optionsAreCheckedBeforeAnythingRuns() {
        std::string error;
        auto o = kel::shell::ParseOptions({"--server", "db.example:7000, [::1]:7001", "--screen", "25013"}, error);
        QVERIFY(o.has_value());
        QCOMPARE(o->servers.size(), std::size_t{2});
        QCOMPARE(o->servers[0].host, std::string("db.example"));
        QCOMPARE(o->servers[0].port, std::uint16_t{7000});
        QCOMPARE(o->servers[1].host, std::string("::1"));
        QCOMPARE(*o->screen, 25013);
        for (auto bad : std::vector<std::vector<std::string>>{{"--server", "nohost"},
                                                              {"--server", "h:70000"},
                                                              {"--server", "a:1,,b:2"},
                                                              {"--server", "::1:7000"},
                                                              {"--screen", "x"},
                                                              {"--screenshot", "a.png"},
                                                              {"--bogus"}})
            QVERIFY2(!kel::shell::ParseOptions(bad, error), bad.front().c_str());
    }

    void mainWindowCountsOpensAndAnswersThePopup() {
        kel::qt::ScopedQtDriver driver;
        kel::shell::MainWindow window({&FakeCall, &FakePopWnd}, QStringLiteral("demo"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.RefreshCount(true);
        QCOMPARE(window.LastCount(), 3);
        QVERIFY(window.statusBar()->findChildren<QLabel*>().size() >= 1);
        QCOMPARE(g_popups.size(), size_t{1});
        QVERIFY(QString::fromStdString(g_popups[0]).contains(u'3'));
        QCOMPARE(g_popupColours, (std::vector<int>{150, 115, 255, 255, 225, 0, 0, 128}));

        window.RefreshCount(false);  // nothing new: no popup
        QCOMPARE(g_popups.size(), size_t{1});

        // A click on a popup reaches the window by its title and opens screen 14.
        g_calls.clear();
        win::WindowHandle main = win::Driver().FindTopLevelWindow("Tessan保险业务系统");
        QVERIFY(main != 0);
        QCOMPARE(win::Driver().SendToWindow(main, 1124, 0, 0), LRESULT{0});
        QTRY_VERIFY(!g_calls.empty());
        QCOMPARE(g_calls.front(), 14);
        QCOMPARE(g_calls.back(), 13);  // the count is asked again once it closed

        g_count = 5;  // more items came: announced without asking
        QVERIFY(window.OpenScreen(25001));
        QCOMPARE(g_popups.size(), size_t{2});
        // A closed screen leaves no note of its own; the user stays in view.
        QCOMPARE(window.statusBar()->currentMessage(), QString());
        QStringList labels;
        for (QLabel* label : window.statusBar()->findChildren<QLabel*>()) labels << label->text();
        QVERIFY2(labels.contains(QStringLiteral("用户: demo")), qPrintable(labels.join(u'|')));
    }

    void mainWindowSaysWhenTheServerIsAwayAndCountsAgainOnceItIsBack() {
        kel::qt::ScopedQtDriver driver;
        bool down = true;
        auto remote = std::make_shared<kel::net::SessionChannel>(
            std::vector<kel::net::ServerAddress>{{"s.example", 7430}}, "demo", "pw", kel::net::SessionOptions{},
            [&](const kel::net::ServerAddress&, std::string_view, std::string_view, int,
                std::shared_ptr<kel::Channel>& link) {
                if (down) return kel::net::ConnectResult{kel::kChannelNotConnected, false, "down"};
                link = std::make_shared<AnsweringLink>();
                return kel::net::ConnectResult{};
            });
        kel::shell::MainWindow window({&FakeCall, &FakePopWnd}, QStringLiteral("demo"), remote);
        g_calls.clear();
        g_count = 4;
        window.RefreshCount(false);
        QCOMPARE(window.LastCount(), -1);  // unknown, not 0, and the module is not asked
        QVERIFY(g_calls.empty());
        QTRY_VERIFY2(StatusTexts(window).contains(QStringLiteral("待处理信息: 未知")),
                     qPrintable(StatusTexts(window).join(u'|')));
        QVERIFY(StatusTexts(window).contains(QStringLiteral("服务器 s.example:7430 未连接")));
        QVERIFY(StatusTexts(window).contains(QStringLiteral("用户: demo")));

        // A screen's request brings the connection back: the count is read again.
        down = false;
        QVERIFY(remote->Reach());
        QTRY_COMPARE(window.LastCount(), 4);
        QTRY_VERIFY(StatusTexts(window).contains(QStringLiteral("服务器 s.example:7430 已连接")));
        QVERIFY(StatusTexts(window).contains(QStringLiteral("待处理信息: 4")));
    }

    // The booking box belongs to the screen that handed the document over, even when
    // no window was active as it opened, and that screen has the keyboard back after.
    void theBookingBoxGivesTheKeyboardBackToItsScreen() {
        win::TemplateBuilder(7901, "详细信息").Edit(1001, 0, 0).Button(IDCANCEL, "返回", 1, 0).Register();
        kel::qt::ScopedQtDriver driver;
        QWidget* owner = nullptr;
        QWidget* activeAfter = nullptr;
        QString text;
        driver->SetDialogShownHook([&](CDialog& dialog, kel::qt::DialogView& view) {
            QApplication::setActiveWindow(&view);
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            QApplication::setActiveWindow(nullptr);  // a box before it left nothing active
            auto* timer = new QTimer(&view);
            QObject::connect(timer, &QTimer::timeout, [&, timer] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box || !box->isVisible()) return;
                timer->stop();
                owner = box->parentWidget();
                text = box->text();
                box->accept();
            });
            timer->start(10);
            kel::shell::ShowBookingBox(*driver, "FB2024001", 'F');
            QTRY_VERIFY(QApplication::activeWindow() == &view);
            activeAfter = QApplication::activeWindow();
            dialog.EndDialog(IDCANCEL);
        });
        CDialog screen(7901);
        screen.DoModal();
        QVERIFY(owner != nullptr);
        QCOMPARE(owner, activeAfter);
        QVERIFY(text.contains(QStringLiteral("FB2024001")));
    }

    // A clerk on the embedded default opens a screen without mapping the libraries
    // only other set-ups or later steps use: PostgreSQL's (with Kerberos and LDAP
    // behind it), TLS, Qt's print support, each opened when first needed; and the
    // host's database is read through SQLite's own library, not an ODBC driver.
    void programOnItsOwnFileLoadsOnlyWhatItUses() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcessEnvironment trace;
        trace.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        Run count = RunProgram({QStringLiteral("--screen"), QStringLiteral("13")}, home.path(), true, trace);
        QCOMPARE(count.exitCode, 0);
        QVERIFY2(count.err.contains(QStringLiteral("libQt6Widgets")), "LD_DEBUG listed no library");
        for (const char* library : {"libpq.so", "libgssapi_krb5", "libldap", "libkelmor_tls", "libssl.so",
                                    "libcrypto.so", "libkelmor_qt_print", "libQt6PrintSupport", "libsqlite3odbc"})
            QVERIFY2(!count.err.contains(QString::fromLatin1(library)), library);
    }

    void programRunsScreensOnTheEmbeddedDefault() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        Run count = RunProgram({QStringLiteral("--screen"), QStringLiteral("13")}, home.path());
        QCOMPARE(count.exitCode, 0);
        // The demo user's waiting items of the prompt types switched on.
        QCOMPARE(count.out.trimmed(), QStringLiteral("5"));
        QVERIFY(QFile::exists(home.path() + QStringLiteral("/kelmor/kelmor.db")));  // made on first start

        const QString png = home.path() + QStringLiteral("/screen.png");
        Run shot = RunProgram({QStringLiteral("--screen"), QStringLiteral("1"), QStringLiteral("--screenshot"), png},
                              home.path());
        QCOMPARE(shot.exitCode, 2);  // the screen's result: closed with IDCANCEL
        QImage image(png);
        QVERIFY2(!image.isNull() && image.width() > 100 && image.height() > 50, qPrintable(shot.err));
        // A .bmp name gets a BMP (uncompressed, for timing the opening), whatever else a PNG.
        const QString bmp = home.path() + QStringLiteral("/screen.bmp");
        QCOMPARE(RunProgram({QStringLiteral("--screen"), QStringLiteral("1"), QStringLiteral("--screenshot"), bmp},
                            home.path())
                     .exitCode,
                 2);
        QFile bmpFile(bmp);
        QVERIFY(bmpFile.open(QIODevice::ReadOnly));
        QCOMPARE(bmpFile.read(2), QByteArray("BM"));
        QCOMPARE(QImage(bmp).size(), image.size());

        // Without any display the program shows the screens as text instead of aborting.
        Run text = RunProgram({}, home.path(), false);
        QCOMPARE(text.exitCode, 0);
        QVERIFY2(text.out.contains(QStringLiteral("dialog \"合约代码设置[检索]\"")), qPrintable(text.out + text.err));

        Run none = RunProgram({QStringLiteral("--screen"), QStringLiteral("2")}, home.path());
        QCOMPARE(none.exitCode, 0);  // no such screen: 0, nothing opened

        Run wrong = RunProgram({QStringLiteral("--user"), QStringLiteral("demo"), QStringLiteral("--password"),
                                QStringLiteral("wrong"), QStringLiteral("--screen"), QStringLiteral("1")},
                               home.path());
        QCOMPARE(wrong.exitCode, 1);
        QVERIFY(wrong.err.contains(QStringLiteral("密码")));
    }
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ShellTest.moc"
