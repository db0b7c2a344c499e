// kelmor-server: the application server over TCP.
//
//   kelmor-server --listen [ADDR:]PORT --database CONN [--demo] [OPTION...]
//   kelmor-server --database CONN --set-user CODE [--name NAME]   (password on stdin)
//   kelmor-server --database FILE --backup COPY | --restore COPY
//   kelmor-server --database CONN --audit [--since DATE]
//   kelmor-server --config FILE [OPTION...]
//   kelmor-server --tls-cert FILE --print-fingerprint
//
// The options are the table in server/Options.cpp (`--help` lists them). CONN is
// an ODBC connection string ("DRIVER=...;...") or a file path, which means a
// SQLite file. Log lines go to stderr (server/Log.h).
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "server/Audit.h"
#include "server/Backup.h"
#include "server/Listener.h"
#include "server/Log.h"
#include "server/Options.h"
#include "server/RequestReader.h"
#include "server/Server.h"
#include "server/Tls.h"

namespace {

using kel::server::Log;
using kel::server::LogLevel;

int Usage(const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "kelmor-server: %s\n", why.c_str());
    std::fputs(kel::server::ProgramUsage().c_str(), why.empty() ? stdout : stderr);
    return why.empty() ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    kel::server::ProgramSettings settings;
    std::string error;
    if (!kel::server::ParseProgramOptions(argc, argv, settings, error)) return Usage(error);
    if (settings.help) return Usage("");
    if (settings.printFingerprint) {
        if (settings.tlsCert.empty())
            return Usage("--print-fingerprint needs --tls-cert (or a settings file naming it)");
        kel::net::Sha256 fingerprint{};
        if (!kel::server::CertificateFingerprint(settings.tlsCert, fingerprint, error)) {
            std::fprintf(stderr, "kelmor-server: %s\n", error.c_str());
            return 1;
        }
        std::printf("%s\n", kel::net::FingerprintText(fingerprint).c_str());
        return 0;
    }
    if (settings.database.empty()) return Usage("--database is required");
    if (!kel::server::CheckTlsSettings(settings, error)) return Usage(error);
    const int tasks = !settings.setUser.empty() + !settings.backup.empty() + !settings.restore.empty() + settings.audit;
    if (tasks > 1) return Usage("give one of --set-user, --backup, --restore and --audit");
    if (!settings.since.empty() && !settings.audit) return Usage("--since goes with --audit");
    // A task runs and exits; the listen address of a configuration file does not start a server then.
    if (tasks == 0 && settings.listen.empty()) return Usage("--listen is required");
    kel::server::SetLogLevel(settings.logLevel);
    kel::server::KeepLargeBuffersOutOfTheHeap();

    if (!settings.backup.empty() || !settings.restore.empty()) {
        const bool backup = !settings.backup.empty();
        const bool ok = backup ? kel::server::BackupStore(settings.database, settings.backup, error)
                               : kel::server::RestoreStore(settings.restore, settings.database, error);
        if (!ok) {
            Log(LogLevel::Error, error);
            return 1;
        }
        Log(LogLevel::Info, backup ? "backup written to " + settings.backup : "restored from " + settings.restore);
        return 0;
    }

    // Signals are taken by sigwait below; every thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    kel::server::ServerOptions serverOptions;
    serverOptions.cacheAnswers = settings.cacheAnswers;
    serverOptions.log = [](int code, kel::server::Status status, std::string_view why) {
        Log(kel::server::RequestLogLevel(status), kel::server::RequestLogText(code, status, why));
    };
    serverOptions.note = [](std::string_view what) { Log(LogLevel::Info, what); };
    auto server = kel::server::Server::Open(settings.database, &error, serverOptions);
    if (!server) {
        Log(LogLevel::Error, error);
        return 1;
    }

    if (settings.audit) {
        const bool ok = server->ForEachAudit(
            settings.since,
            [](const kel::server::AuditEntry& e) { std::printf("%s\n", kel::server::AuditLine(e).c_str()); }, &error);
        if (!ok) {
            Log(LogLevel::Error, error);
            return 1;
        }
        return 0;
    }
    if (!settings.setUser.empty()) {
        std::string password;
        std::getline(std::cin, password);
        if (!server->SetUser(settings.setUser, settings.userName, password, &error)) {
            Log(LogLevel::Error, error);
            return 1;
        }
        Log(LogLevel::Info, "user " + settings.setUser + " stored");
        return 0;
    }
    if (settings.demo) {
        if (!server->IsEmpty())
            Log(LogLevel::Warning, "the database is not empty: demo data not loaded");
        else if (!server->LoadDemoData(&error)) {
            Log(LogLevel::Error, error);
            return 1;
        } else
            Log(LogLevel::Info, "demo data loaded (users demo/demo, wangli/wangli, zhaoming/zhaoming)");
    }

    kel::server::ListenerOptions& options = settings.listener;
    options.log = [](LogLevel level, std::string_view text) { Log(level, text); };
    options.logLevel = kel::server::GetLogLevel();
    if (!settings.tlsCert.empty()) {
        options.tls = kel::server::TlsServer::Load(settings.tlsCert, settings.tlsKey, error);
        if (!options.tls) {
            Log(LogLevel::Error, error);
            return 1;
        }
    }
    kel::server::Listener listener(*server, options);
    if (!listener.Start(&error)) {
        Log(LogLevel::Error, error);
        return 1;
    }
    // stdout, for whoever started the server on port 0 and waits for the port.
    std::printf("kelmor-server: listening on %s:%u\n", options.address.c_str(), listener.Port());
    const std::string where = options.address + ":" + std::to_string(listener.Port());
    if (options.tls)
        Log(LogLevel::Info, "listening on " + where + " (TLS, certificate fingerprint SHA-256 " +
                                kel::net::FingerprintText(options.tls->Fingerprint()) + ")");
    else
        Log(LogLevel::Warning, "listening on " + where +
                                   " (plain: passwords and records cross the network unencrypted; "
                                   "give --tls-cert and --tls-key to encrypt)");

    // The plain listener a host with its own secure channel asked for: same server, no TLS.
    std::unique_ptr<kel::server::Listener> plain;
    if (!settings.listenPlain.empty()) {
        kel::server::ListenerOptions plainOptions = options;
        plainOptions.tls = nullptr;
        plainOptions.address = settings.plainAddress;
        plainOptions.port = settings.plainPort;
        plain = std::make_unique<kel::server::Listener>(*server, plainOptions);
        if (!plain->Start(&error)) {
            Log(LogLevel::Error, error);
            listener.Stop();
            return 1;
        }
        std::printf("kelmor-server: listening without TLS on %s:%u\n", plainOptions.address.c_str(), plain->Port());
        Log(LogLevel::Info, "listening on " + plainOptions.address + ":" + std::to_string(plain->Port()) +
                                " (plain, as --listen-plain asks: unencrypted)");
    }
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    Log(LogLevel::Info, "stopping");
    if (plain) plain->Stop();
    listener.Stop();
    return 0;
}
