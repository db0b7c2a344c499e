// kelmor-server: the application server over TCP.
//
//   kelmor-server --listen [ADDR:]PORT --database CONN [--demo]
//                 [--idle-timeout SECONDS] [--max-clients N] [--quiet]
//   kelmor-server --database CONN --set-user CODE [--name NAME]   (password on stdin)
//
// CONN is an ODBC connection string ("DRIVER=...;...") or a file path, which means
// a SQLite file. ADDR defaults to 127.0.0.1 (loopback); IPv6 addresses go in
// brackets: [::1]:7430. PORT 0 takes any free port; the port is printed.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>

#include "server/Listener.h"
#include "server/Server.h"

namespace {

int Usage(const char* why) {
    if (why) std::fprintf(stderr, "kelmor-server: %s\n", why);
    std::fprintf(stderr,
                 "usage: kelmor-server --listen [ADDR:]PORT --database CONN [--demo]\n"
                 "                     [--idle-timeout SECONDS] [--max-clients N] [--quiet]\n"
                 "       kelmor-server --database CONN --set-user CODE [--name NAME]  (password on stdin)\n");
    return 2;
}

bool ParseListen(const std::string& text, std::string& address, uint16_t& port) {
    std::string portText = text;
    address = "127.0.0.1";
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find("]:");
        if (close == std::string::npos) return false;
        address = text.substr(1, close - 1);
        portText = text.substr(close + 2);
    } else if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        if (colon > 0) address = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    if (portText.empty() || portText.find_first_not_of("0123456789") != std::string::npos || portText.size() > 5)
        return false;
    const long p = std::stol(portText);
    if (p > 65535) return false;
    port = static_cast<uint16_t>(p);
    return true;
}

std::mutex g_logMutex;

void LogLine(std::string_view text) {
    std::lock_guard lock(g_logMutex);
    std::fprintf(stderr, "kelmor-server: %.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace

int main(int argc, char** argv) {
    std::string listen, database, setUser, userName;
    bool demo = false, quiet = false;
    kel::server::ListenerOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--demo") {
            demo = true;
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--listen" || arg == "--database" || arg == "--set-user" || arg == "--name" ||
                   arg == "--idle-timeout" || arg == "--max-clients") {
            if (!(v = value())) return Usage(("missing value of " + arg).c_str());
            if (arg == "--listen") listen = v;
            if (arg == "--database") database = v;
            if (arg == "--set-user") setUser = v;
            if (arg == "--name") userName = v;
            if (arg == "--idle-timeout") options.idleTimeoutMs = std::max(1, std::atoi(v)) * 1000;
            if (arg == "--max-clients") options.maxClients = static_cast<std::size_t>(std::max(1, std::atoi(v)));
        } else if (arg == "--help" || arg == "-h") {
            return Usage(nullptr);
        } else {
            return Usage(("unknown argument " + arg).c_str());
        }
    }
    if (database.empty()) return Usage("--database is required");
    if (setUser.empty() && listen.empty()) return Usage("--listen is required");
    if (!listen.empty() && !ParseListen(listen, options.address, options.port))
        return Usage("--listen takes [ADDR:]PORT");

    // Signals are taken by sigwait below; every thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    kel::server::ServerOptions serverOptions;
    if (!quiet)
        serverOptions.log = [](int code, kel::server::Status status, std::string_view why) {
            LogLine("transaction " + std::to_string(code) + ": status " + std::to_string(static_cast<int>(status)) +
                    ": " + std::string(why));
        };
    std::string error;
    auto server = kel::server::Server::Open(database, &error, serverOptions);
    if (!server) {
        LogLine(error);
        return 1;
    }

    if (!setUser.empty()) {
        std::string password;
        std::getline(std::cin, password);
        if (!server->SetUser(setUser, userName, password, &error)) {
            LogLine(error);
            return 1;
        }
        LogLine("user " + setUser + " stored");
        if (listen.empty()) return 0;
    }
    if (demo) {
        if (!server->IsEmpty())
            LogLine("the database is not empty: demo data not loaded");
        else if (!server->LoadDemoData(&error)) {
            LogLine(error);
            return 1;
        } else
            LogLine("demo data loaded (users demo/demo, wangli/wangli, zhaoming/zhaoming)");
    }

    if (!quiet) options.log = LogLine;
    kel::server::Listener listener(*server, options);
    if (!listener.Start(&error)) {
        LogLine(error);
        return 1;
    }
    std::printf("kelmor-server: listening on %s:%u\n", options.address.c_str(), listener.Port());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    LogLine("stopping");
    listener.Stop();
    return 0;
}
