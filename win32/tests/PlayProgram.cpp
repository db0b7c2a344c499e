// The scripted user of `kelmor --play`, on Windows: logs on to an application server,
// installs the channel and the play driver as a host would, loads Kelmor.dll and runs
// the script through its exported entry point.
//   kelmor-play.exe HOST:PORT USER PASSWORD SCRIPT
// Exit code: 0 every line ran, 2 a line could not be carried out, 1 no log-on.
#include <windows.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "common/net/Channel.h"
#include "common/net/TcpChannel.h"
#include "host/qxcommon/BaseBase.h"
#include "shell/PlayDriver.h"
#include "shell/PlayScript.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: kelmor-play HOST:PORT USER PASSWORD SCRIPT\n";
        return 1;
    }
    const std::string address = argv[1];
    const auto colon = address.rfind(':');
    std::ifstream in(argv[4], std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::optional<kel::shell::ScriptError> bad;
    auto lines = kel::shell::ParseScript(text.str(), bad);
    if (!in || bad) {
        std::cerr << "cannot read the script " << argv[4] << (bad ? ": " + bad->why : std::string()) << "\n";
        return 2;
    }
    auto channel = std::make_shared<kel::net::TcpChannel>();
    auto logon = channel->Connect(address.substr(0, colon),
                                  static_cast<std::uint16_t>(std::stoi(address.substr(colon + 1))), argv[2], argv[3]);
    if (!logon.ok()) {
        std::cerr << "log-on failed: " << logon.message << "\n";
        return 1;
    }
    kel::InstallChannel(channel);
    CBASEBASE::SetLoginUser(argv[2]);

    HMODULE dll = LoadLibraryW(L"Kelmor.dll");
    using CallDialog = int(__stdcall*)(int, int);
    auto call =
        dll ? reinterpret_cast<CallDialog>(reinterpret_cast<void*>(GetProcAddress(dll, "_Call_Kelmor_Dialog@8")))
            : nullptr;
    if (!call) {
        std::cerr << "cannot load Kelmor.dll\n";
        return 1;
    }
    auto driver = std::make_shared<kel::shell::PlayDriver>(std::move(lines), std::cout);
    win::InstallDriver(driver);
    auto failed = driver->Run([call](int screen) { return call(screen, 0); });
    win::InstallDriver(nullptr);
    kel::InstallChannel(nullptr);
    std::cout.flush();
    if (failed) {
        std::cerr << "line " << failed->line << ": " << failed->why << "\n";
        return 2;
    }
    return 0;
}
