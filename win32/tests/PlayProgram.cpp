// The scripted user of `kelmor --play`, on Windows: logs on to an application server,
// installs the channel and a play driver as a host would, loads Kelmor.dll and runs
// the script through its exported entry point.
//   kelmor-play.exe [--native] [--database CONN] HOST:PORT USER PASSWORD SCRIPT
//   kelmor-play.exe --free-area     prints "free area WxH": the screen's part the task
//                                   bar leaves, which the native dialogs must fit
// Without --native the headless player runs the lines on the window layer's models;
// with it the native driver shows every dialog and the lines are carried out on its
// windows. --database opens the code-list database (names for codes).
// Exit code: 0 every line ran, 2 a line could not be carried out, 1 no log-on.
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "common/db/Database.h"
#include "common/net/Channel.h"
#include "common/net/TcpChannel.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxcommon/StaticDatabase.h"
#include "play/PlayDriver.h"
#include "play/PlayScript.h"
#include "win32/play/NativePlayDriver.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--free-area") == 0) {
        RECT free{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &free, 0);
        std::cout << "free area " << free.right - free.left << "x" << free.bottom - free.top << "\n";
        return 0;
    }
    bool native = false;
    std::string database;
    int first = 1;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--native") == 0)
            native = true;
        else if (std::strcmp(argv[first], "--database") == 0 && first + 1 < argc)
            database = argv[++first];
        else
            break;
    }
    if (argc - first != 4) {
        std::cerr << "usage: kelmor-play [--native] [--database CONN] HOST:PORT USER PASSWORD SCRIPT\n";
        return 1;
    }
    char** arg = argv + first;
    const std::string address = arg[0];
    const auto colon = address.rfind(':');
    std::ifstream in(arg[3], std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::optional<kel::play::ScriptError> bad;
    auto lines = kel::play::ParseScript(text.str(), bad);
    if (!in || bad) {
        std::cerr << "cannot read the script " << arg[3] << (bad ? ": " + bad->why : std::string()) << "\n";
        return 2;
    }
    if (!database.empty()) {
        std::string why;
        std::shared_ptr<kel::db::Connection> codes = kel::db::Open(database, &why);
        if (!codes) {
            std::cerr << "cannot open the database: " << why << "\n";
            return 1;
        }
        SetStaticDatabase(codes);
    }
    auto channel = std::make_shared<kel::net::TcpChannel>();
    auto logon = channel->Connect(address.substr(0, colon),
                                  static_cast<std::uint16_t>(std::stoi(address.substr(colon + 1))), arg[1], arg[2]);
    if (!logon.ok()) {
        std::cerr << "log-on failed: " << logon.message << "\n";
        return 1;
    }
    kel::InstallChannel(channel);
    CBASEBASE::SetLoginUser(arg[1]);

    HMODULE dll = LoadLibraryW(L"Kelmor.dll");
    using CallDialog = int(__stdcall*)(int, int);
    auto call =
        dll ? reinterpret_cast<CallDialog>(reinterpret_cast<void*>(GetProcAddress(dll, "_Call_Kelmor_Dialog@8")))
            : nullptr;
    if (!call) {
        std::cerr << "cannot load Kelmor.dll\n";
        return 1;
    }
    auto open = [call](int screen) { return call(screen, 0); };
    std::optional<kel::play::ScriptError> failed;
    if (native) {
        auto driver = std::make_shared<kel::win32::NativePlayDriver>(std::move(lines), std::cout);
        win::InstallDriver(driver);
        failed = driver->Run(open);
    } else {
        auto driver = std::make_shared<kel::play::PlayDriver>(std::move(lines), std::cout);
        win::InstallDriver(driver);
        failed = driver->Run(open);
    }
    win::InstallDriver(nullptr);
    kel::InstallChannel(nullptr);
    SetStaticDatabase(nullptr);
    std::cout.flush();
    if (failed) {
        std::cerr << "line " << failed->line << ": " << failed->why << "\n";
        return 2;
    }
    return 0;
}
