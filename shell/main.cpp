// kelmor: the host program a user starts. Logs on, shows the main window and opens
// the module's screens through libKelmor.so as the host client does. With --screen
// it opens one screen and exits with its result; --console prints screens instead;
// --play runs a script as the user, without a display.
#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "host/fac/FacBooking.h"
#include "host/win/Dialog.h"
#include "play/ConsoleDriver.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"
#include "shell/BookingBox.h"
#include "shell/LogonDialog.h"
#include "shell/MainWindow.h"
#include "shell/Module.h"
#include "shell/Options.h"
#include "shell/Play.h"
#include "shell/Screenshot.h"
#include "shell/Session.h"

namespace {

using kel::shell::Options;

int RunConsole(const Options& o) {
    kel::shell::Module module;
    kel::shell::Session session;
    std::string error;
    if (!kel::shell::LoadModule(module, error) || !session.Prepare(o, error) ||
        !kel::shell::LogOnQuietly(session, o, error)) {
        std::cerr << "kelmor: " << error << "\n";
        return 1;
    }
    win::InstallDriver(std::make_shared<kel::play::ConsoleDriver>(std::cout));
    const int screens[] = {0, 1, 4, 5, 9, 11, 12, 13, 14, 25001, 25005, 25010, 25013};
    for (int number : screens) {
        if (o.screen && *o.screen != number) continue;
        std::cout << "screen " << number << ":\n";
        int result = module.callDialog(number, 0);
        std::cout << "  -> " << result << "\n";
    }
    win::InstallDriver(nullptr);
    return 0;
}

void UseCjkFont(QApplication& app) {
    for (const char* family : {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei"}) {
        if (QFontDatabase::families().contains(QString::fromUtf8(family))) {
            QFont font(QString::fromUtf8(family));
            font.setPointSize(10);
            app.setFont(font);
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    std::optional<Options> parsed = kel::shell::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!parsed) {
        std::cerr << "kelmor: " << error << "\n" << kel::shell::Usage();
        return 2;
    }
    const Options& o = *parsed;
    if (o.help) {
        std::cout << kel::shell::Usage();
        return 0;
    }
    if (!o.play.empty()) return kel::shell::RunPlay(o, std::cout, std::cerr);
    if (o.console) return RunConsole(o);
    const bool noDisplay =
        !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM");
    // One screen (and its screenshot) needs no display: draw off-screen without one.
    if (o.screen && noDisplay) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The main window does: without one, say so and show the screens as text instead.
    if (!o.screen && noDisplay) {
        std::cerr << "kelmor: no display (DISPLAY is not set); showing the screens as text. "
                     "Use --screen N --screenshot FILE.png for a picture.\n";
        return RunConsole(o);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelmor"));
    // The desktop entry (packaging/kelmor.desktop): its icon for the window on every desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("kelmor"));
    UseCjkFont(app);
    auto driver = std::make_shared<kel::qt::QtDriver>();
    win::InstallDriver(driver);
    const bool single = o.screen.has_value();
    auto fail = [&](const std::string& text) {
        if (single)
            std::cerr << "kelmor: " << text << "\n";
        else
            QMessageBox::critical(nullptr, QString::fromUtf8(kel::shell::MainWindow::kTitle),
                                  QString::fromStdString(text));
        win::InstallDriver(nullptr);
        return 1;
    };

    kel::shell::Module module;
    if (!kel::shell::LoadModule(module, error)) return fail(error);
    kel::shell::Session session;
    if (!session.Prepare(o, error)) return fail(error);

    QString user = QString::fromStdString(o.user.value_or(session.IsEmbedded() ? kel::shell::kDemoUser : ""));
    if ((o.user && o.password) || (single && session.IsEmbedded())) {
        if (!kel::shell::LogOnQuietly(session, o, error)) return fail(error);
    } else {
        QString password =
            QString::fromStdString(o.password.value_or(session.IsEmbedded() ? kel::shell::kDemoPassword : ""));
        kel::shell::LogonDialog logon(session, user, password);
        if (logon.exec() != QDialog::Accepted) {
            win::InstallDriver(nullptr);
            return 0;
        }
        user = logon.User();
    }

    // The facultative booking of the host: shows the document it was handed.
    kel::fac::SetBookingHandler(
        [&driver](const std::string& number, char type) { kel::shell::ShowBookingBox(*driver, number, type); });

    int exitCode = 0;
    if (single) {
        if (*o.screen == kel::shell::MainWindow::kCountScreen) {
            std::cout << module.callDialog(*o.screen, 0) << std::endl;
        } else {
            bool saved = false;
            if (!o.screenshot.empty()) kel::shell::ArmScreenshot(*driver, QString::fromStdString(o.screenshot), saved);
            exitCode = module.callDialog(*o.screen, 0);
            if (!o.screenshot.empty() && !saved) {
                std::cerr << "kelmor: no screenshot: screen " << *o.screen << " opened no dialog\n";
                exitCode = 1;
            }
        }
    } else {
        kel::shell::MainWindow window(module, user, session.Remote());
        window.show();
        window.RefreshCount(true);
        exitCode = app.exec();
    }
    kel::fac::SetBookingHandler(nullptr);
    session.Close();
    win::InstallDriver(nullptr);
    return exitCode & 0xFF;
}
