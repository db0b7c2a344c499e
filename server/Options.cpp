#include "server/Options.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace kel::server {

namespace {

// A whole decimal number in [low, high]; no sign, blanks or trailing text.
bool ParseCount(std::string_view text, long low, long high, long& out) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end && text.front() != '-' && out >= low && out <= high;
}

bool SetText(std::string& field, std::string_view value, std::string& error) {
    if (value.empty()) {
        error = "takes a non-empty value";
        return false;
    }
    field = std::string(value);
    return true;
}

constexpr long kMaxSeconds = 7L * 24 * 3600;  // a week; keeps milliseconds inside an int

const OptionRow kOptions[] = {
    {"listen", "[ADDR:]PORT", "address to listen on (ADDR defaults to 127.0.0.1; IPv6 in brackets; port 0: any)",
     [](ProgramSettings& s, std::string_view v, std::string& e) {
         if (!ParseListenAddress(v, s.listener.address, s.listener.port)) {
             e = "takes [ADDR:]PORT, e.g. 127.0.0.1:7430 or [::1]:7430";
             return false;
         }
         s.listen = std::string(v);
         return true;
     }},
    {"listen-plain", "[ADDR:]PORT",
     "also listen without TLS here, for hosts that bring their own secure channel (only with --tls-cert)",
     [](ProgramSettings& s, std::string_view v, std::string& e) {
         if (!ParseListenAddress(v, s.plainAddress, s.plainPort)) {
             e = "takes [ADDR:]PORT, e.g. 127.0.0.1:7431";
             return false;
         }
         s.listenPlain = std::string(v);
         return true;
     }},
    {"tls-cert", "FILE", "serve TLS with this certificate (PEM, the chain after it); with --tls-key",
     [](ProgramSettings& s, std::string_view v, std::string& e) { return SetText(s.tlsCert, v, e); }},
    {"tls-key", "FILE", "the private key (PEM) of --tls-cert",
     [](ProgramSettings& s, std::string_view v, std::string& e) { return SetText(s.tlsKey, v, e); }},
    {"print-fingerprint", "", "print the SHA-256 fingerprint of the --tls-cert certificate, then exit",
     [](ProgramSettings& s, std::string_view v, std::string&) { return (s.printFingerprint = v == "1"), true; }},
    {"database", "CONN", "the store: a SQLite file path, a postgresql:// URI or an ODBC connection string",
     [](ProgramSettings& s, std::string_view v, std::string& e) { return SetText(s.database, v, e); }},
    {"demo", "", "fill an empty database with the demo data",
     [](ProgramSettings& s, std::string_view v, std::string&) { return (s.demo = v == "1"), true; }},
    {"no-answer-cache", "", "read every query from the store (answers are kept while a SQLite store is unchanged)",
     [](ProgramSettings& s, std::string_view v, std::string&) { return (s.cacheAnswers = v != "1"), true; }},
    {"idle-timeout", "SECONDS", "close a client silent for this long (default 1800)",
     [](ProgramSettings& s, std::string_view v, std::string& e) {
         long n = 0;
         if (!ParseCount(v, 1, kMaxSeconds, n)) {
             e = "takes a number of seconds from 1 to " + std::to_string(kMaxSeconds);
             return false;
         }
         s.listener.idleTimeoutMs = static_cast<int>(n * 1000);
         return true;
     }},
    {"max-clients", "N", "at most this many connections at once (default 256)",
     [](ProgramSettings& s, std::string_view v, std::string& e) {
         long n = 0;
         if (!ParseCount(v, 1, 100000, n)) {
             e = "takes a number from 1 to 100000";
             return false;
         }
         s.listener.maxClients = static_cast<std::size_t>(n);
         return true;
     }},
    {"logon-timeout", "SECONDS", "close a connection whose log-on has not arrived whole by then (default 5)",
     [](ProgramSettings& s, std::string_view v, std::string& e) {
         long n = 0;
         if (!ParseCount(v, 1, 3600, n)) {
             e = "takes a number of seconds from 1 to 3600";
             return false;
         }
         s.listener.logonTimeoutMs = static_cast<int>(n * 1000);
         return true;
     }},
    {"max-users-per-address", "N", "at most this many logged-on clients from one address (default 256)",
     [](ProgramSettings& s, std::string_view v, std::string& e) {
         long n = 0;
         if (!ParseCount(v, 1, 100000, n)) {
             e = "takes a number from 1 to 100000";
             return false;
         }
         s.listener.maxUsersPerAddress = static_cast<std::size_t>(n);
         return true;
     }},
    {"max-per-address", "N", "at most this many connections from one address waiting for their log-on (default 32)",
     [](ProgramSettings& s, std::string_view v, std::string& e) {
         long n = 0;
         if (!ParseCount(v, 1, 100000, n)) {
             e = "takes a number from 1 to 100000";
             return false;
         }
         s.listener.maxClientsPerAddress = static_cast<std::size_t>(n);
         return true;
     }},
    {"quiet", "", "log errors only",
     [](ProgramSettings& s, std::string_view v, std::string&) {
         s.logLevel = v == "1" ? LogLevel::Error : LogLevel::Info;
         return true;
     }},
    {"verbose", "", "log every request too",
     [](ProgramSettings& s, std::string_view v, std::string&) {
         s.logLevel = v == "1" ? LogLevel::Debug : LogLevel::Info;
         return true;
     }},
    {"log-level", "LEVEL", "error, warning, info (default) or debug",
     [](ProgramSettings& s, std::string_view v, std::string& e) {
         const auto level = ParseLogLevel(v);
         if (!level) {
             e = "takes error, warning, info or debug";
             return false;
         }
         s.logLevel = *level;
         return true;
     }},
    {"set-user", "CODE", "add a user or change its password (read from stdin), then exit",
     [](ProgramSettings& s, std::string_view v, std::string& e) { return SetText(s.setUser, v, e); }},
    {"name", "NAME", "with --set-user: the user's name",
     [](ProgramSettings& s, std::string_view v, std::string& e) { return SetText(s.userName, v, e); }},
    {"backup", "COPY", "write a consistent copy of the SQLite store to COPY (while the server runs), then exit",
     [](ProgramSettings& s, std::string_view v, std::string& e) { return SetText(s.backup, v, e); }},
    {"restore", "COPY", "bring a copy back into the SQLite store (the old one kept as STORE.before-restore), then exit",
     [](ProgramSettings& s, std::string_view v, std::string& e) { return SetText(s.restore, v, e); }},
    {"audit", "", "print the audit (UTC time, user, transaction, operation, record of each change), then exit",
     [](ProgramSettings& s, std::string_view v, std::string&) { return (s.audit = v == "1"), true; }},
    {"since", "DATE", "with --audit: from DATE (YYYY-MM-DD, or \"YYYY-MM-DD HH:MM:SS\", UTC) on",
     [](ProgramSettings& s, std::string_view v, std::string& e) { return SetText(s.since, v, e); }},
    {"config", "FILE", "read settings from FILE (name = value a line); the command line wins",
     [](ProgramSettings& s, std::string_view v, std::string& e) { return SetText(s.config, v, e); }},
    {"help", "", "print this help",
     [](ProgramSettings& s, std::string_view v, std::string&) { return (s.help = v == "1"), true; }},
};

const OptionRow* FindOption(std::string_view name) {
    for (const OptionRow& row : kOptions)
        if (row.name == name) return &row;
    return nullptr;
}

// The tasks (and what goes with them) run once, when asked on the command line; a
// settings file that held one would run it at every start.
bool IsTask(std::string_view name) {
    for (std::string_view task : {"set-user", "name", "backup", "restore", "audit", "since", "print-fingerprint"})
        if (name == task) return true;
    return false;
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// A flag's value in a file: nothing, or a yes/no word.
bool FlagValue(std::string_view word, std::string& out) {
    if (word.empty() || word == "yes" || word == "true" || word == "on" || word == "1") {
        out = "1";
        return true;
    }
    if (word == "no" || word == "false" || word == "off" || word == "0") {
        out = "0";
        return true;
    }
    return false;
}

}  // namespace

std::span<const OptionRow> ProgramOptionTable() { return kOptions; }

bool ParseListenAddress(std::string_view text, std::string& address, uint16_t& port) {
    std::string_view portText = text;
    std::string host = "127.0.0.1";
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find("]:");
        if (close == std::string_view::npos || close == 1) return false;
        host = std::string(text.substr(1, close - 1));
        portText = text.substr(close + 2);
    } else if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        if (colon > 0) host = std::string(text.substr(0, colon));
        portText = text.substr(colon + 1);
    }
    long p = 0;
    if (!ParseCount(portText, 0, 65535, p) || portText.size() > 5) return false;
    address = std::move(host);
    port = static_cast<uint16_t>(p);
    return true;
}

bool ReadConfigText(std::string_view text, std::string_view fileName, ProgramSettings& settings, std::string& error) {
    // Editors on Windows begin a UTF-8 file with a byte-order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        // Comments take whole lines only: a value (a password) may hold a '#'.
        if (line.empty() || line.front() == '#') continue;
        const std::string where = std::string(fileName) + ":" + std::to_string(lineNumber) + ": ";
        const auto equals = line.find('=');
        const std::string_view name = Trim(line.substr(0, equals));
        const std::string_view given =
            equals == std::string_view::npos ? std::string_view() : Trim(line.substr(equals + 1));
        const OptionRow* row = FindOption(name);
        if (!row || name == "config" || name == "help") {
            error = where + "unknown setting \"" + std::string(name) + "\"";
            return false;
        }
        if (IsTask(name)) {
            error = where + std::string(name) + " is a task, not a setting: give it on the command line";
            return false;
        }
        std::string value;
        if (row->value.empty()) {
            if (!FlagValue(given, value)) {
                error = where + std::string(name) + " is a flag: give it alone, or = yes or = no";
                return false;
            }
        } else if (equals == std::string_view::npos || given.empty()) {
            error =
                where + std::string(name) + " needs a value: " + std::string(name) + " = " + std::string(row->value);
            return false;
        } else {
            value = std::string(given);
        }
        std::string why;
        if (!row->set(settings, value, why)) {
            error = where + std::string(name) + " " + why;
            return false;
        }
    }
    return true;
}

bool ReadConfigFile(const std::string& path, ProgramSettings& settings, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    // A settings file is a few lines: what is longer (a device, a wrong file) is not read whole.
    std::string text(kMaxConfigBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxConfigBytes) {
        error = path + " is larger than " + std::to_string(kMaxConfigBytes / 1024) + " KiB: not a settings file";
        return false;
    }
    return ReadConfigText(text, path, settings, error);
}

bool ParseProgramOptions(int argc, const char* const* argv, ProgramSettings& settings, std::string& error) {
    struct Given {
        const OptionRow* row;
        std::string value;
    };
    std::vector<Given> given;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "-h") arg = "--help";
        if (arg.substr(0, 2) != "--") {
            error = "unexpected argument " + std::string(arg);
            return false;
        }
        std::string_view name = arg.substr(2);
        std::string value;
        bool inline_ = false;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            value = std::string(name.substr(equals + 1));
            name = name.substr(0, equals);
            inline_ = true;
        }
        const OptionRow* row = FindOption(name);
        if (!row) {
            error = "unknown option --" + std::string(name);
            return false;
        }
        if (row->value.empty()) {
            if (inline_ && !FlagValue(value, value)) {
                error = "--" + std::string(name) + " is a flag: give it alone";
                return false;
            }
            if (!inline_) value = "1";
        } else if (!inline_) {
            if (i + 1 >= argc) {
                error = "--" + std::string(name) + " needs a value: " + std::string(row->value);
                return false;
            }
            value = argv[++i];
        }
        given.push_back({row, std::move(value)});
    }
    // The file first, so that every option on the command line wins over it.
    for (const Given& g : given) {
        if (g.row->name != "config") continue;
        std::string why;
        if (!g.row->set(settings, g.value, why)) {
            error = "--config " + why;
            return false;
        }
        if (!ReadConfigFile(settings.config, settings, error)) return false;
    }
    for (const Given& g : given) {
        std::string why;
        if (g.row->name != "config" && !g.row->set(settings, g.value, why)) {
            error = "--" + std::string(g.row->name) + " " + why;
            return false;
        }
    }
    return true;
}

bool CheckTlsSettings(const ProgramSettings& settings, std::string& error) {
    if (settings.tlsCert.empty() != settings.tlsKey.empty()) {
        error = "--tls-cert and --tls-key go together";
        return false;
    }
    if (!settings.listenPlain.empty() && settings.tlsCert.empty()) {
        error = "--listen-plain adds a listener without TLS beside a TLS one: give --tls-cert and --tls-key too";
        return false;
    }
    return true;
}

std::string ProgramUsage() {
    std::string text =
        "usage: kelmor-server --listen [ADDR:]PORT --database CONN [OPTION...]\n"
        "       kelmor-server --database CONN --set-user CODE [--name NAME]   (password on stdin)\n"
        "       kelmor-server --database FILE --backup COPY | --restore COPY\n"
        "       kelmor-server --database CONN --audit [--since DATE]\n"
        "       kelmor-server --config FILE [OPTION...]\n"
        "       kelmor-server --tls-cert FILE --print-fingerprint\n"
        "\n";
    for (const OptionRow& row : kOptions) {
        std::string left = "  --" + std::string(row.name);
        if (!row.value.empty()) left += " " + std::string(row.value);
        if (left.size() < 26)
            left.resize(26, ' ');
        else
            left += "  ";
        text += left + std::string(row.help) + "\n";
    }
    return text;
}

}  // namespace kel::server
