#include "shell/Options.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "server/PrivateFile.h"

namespace kel::shell {
namespace {

std::optional<int> ParseInt(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value < -2147483647L || value > 2147483647L) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

const char* Usage() {
    return "usage: kelmor [--server HOST:PORT[,HOST:PORT...] [--server-ca FILE] [--server-fingerprint HEX]]\n"
           "              [--database CONN] [--user CODE] [--password PASS]\n"
           "              [--screen N [--screenshot FILE.png]] [--console] [--play SCRIPT]\n"
           "  without --server: the embedded server on a SQLite file in the user's data folder\n"
           "  --server LIST    the application servers, tried in order at start and whenever the\n"
           "                   connection is lost\n"
           "  --server-ca F    connect with TLS; the servers' certificates must come from a CA in\n"
           "                   the PEM file F and name the host as written in --server\n"
           "  --server-fingerprint HEX\n"
           "                   connect with TLS to servers whose certificate has this SHA-256\n"
           "                   fingerprint (64 hex digits, colons allowed), as kelmor-server\n"
           "                   --print-fingerprint shows it\n"
           "  --screen N       open screen N and exit with its result (13: print the count)\n"
           "  --screenshot F   with --screen: save the screen as PNG once it is open, then close it\n"
           "                   (BMP or PPM when F ends in .bmp or .ppm)\n"
           "  --console        print what the screens show instead of showing them\n"
           "  --play SCRIPT    run the script as the user, without a display; the transcript on\n"
           "                   standard output, exit 2 with \"line N: why\" when a line cannot be done\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return std::nullopt;
            }
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--console") {
            o.console = true;
        } else if (a == "--server") {
            auto v = value();
            if (!v) return std::nullopt;
            std::string why;
            auto servers = kel::net::ParseServerList(*v, why);
            if (!servers) {
                error = "--server wants HOST:PORT[,HOST:PORT...]: " + why;
                return std::nullopt;
            }
            o.servers = std::move(*servers);
        } else if (a == "--server-ca") {
            auto v = value();
            if (!v) return std::nullopt;
            if (v->empty()) {
                error = "--server-ca wants a PEM file of CA certificates";
                return std::nullopt;
            }
            o.tls.caFile = *v;
        } else if (a == "--server-fingerprint") {
            auto v = value();
            if (!v) return std::nullopt;
            if (!kel::net::ParseFingerprint(*v)) {
                error =
                    "--server-fingerprint wants the SHA-256 of the server's certificate: 64 hex digits, "
                    "plain or in pairs separated by ':', got \"" +
                    *v + "\"";
                return std::nullopt;
            }
            o.tls.fingerprintHex = *v;
        } else if (a == "--database") {
            auto v = value();
            if (!v) return std::nullopt;
            o.database = *v;
        } else if (a == "--user") {
            auto v = value();
            if (!v) return std::nullopt;
            o.user = *v;
        } else if (a == "--password") {
            auto v = value();
            if (!v) return std::nullopt;
            o.password = *v;
        } else if (a == "--screen") {
            auto v = value();
            if (!v) return std::nullopt;
            o.screen = ParseInt(*v);
            if (!o.screen) {
                error = "--screen wants a number, got \"" + *v + "\"";
                return std::nullopt;
            }
        } else if (a == "--play") {
            auto v = value();
            if (!v) return std::nullopt;
            o.play = *v;
            if (o.play.empty()) {
                error = "--play wants a script file";
                return std::nullopt;
            }
        } else if (a == "--screenshot") {
            auto v = value();
            if (!v) return std::nullopt;
            o.screenshot = *v;
        } else {
            error = "unknown argument \"" + a + "\"";
            return std::nullopt;
        }
    }
    if (o.tls.Enabled() && o.servers.empty()) {
        error = "--server-ca and --server-fingerprint check the servers of --server: give --server too";
        return std::nullopt;
    }
    if (!o.screenshot.empty() && !o.screen) {
        error = "--screenshot needs --screen";
        return std::nullopt;
    }
    if (!o.play.empty() && (o.screen || o.console)) {
        error = "--play opens its screens itself: leave out --screen and --console";
        return std::nullopt;
    }
    return o;
}

std::string DefaultDatabaseFile() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".local" / "share";
    else
        base = std::filesystem::temp_directory_path();
    std::filesystem::path folder = base / "kelmor";
    // Private to the user: the file in it holds the password hashes.
    kel::server::MakePrivateFolders(folder);
    return (folder / "kelmor.db").string();
}

}  // namespace kel::shell
