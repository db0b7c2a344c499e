// The options of kelmor-server: one table, read from the command line
// (`--name value`, `--name=value`, `--flag`) and from a configuration file given
// with `--config FILE` (`name = value` or `name` for a flag, `#` starts a comment
// line; UTF-8, a byte-order mark allowed; at most kMaxConfigBytes). The command line
// wins over the file. The tasks (--set-user, --backup, --restore, --audit and
// their companions) are taken from the command line only. A new option is one row in
// Options.cpp and, when it needs one, a member of ProgramSettings.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "server/Listener.h"
#include "server/Log.h"

namespace kel::server {

struct ProgramSettings {
    std::string listen;       // as given; also parsed into listener.address and listener.port
    std::string listenPlain;  // as given: a second listener without TLS; empty: none
    std::string plainAddress;
    uint16_t plainPort = 0;
    std::string tlsCert, tlsKey;  // both or neither: TLS on the listen address
    bool printFingerprint = false;
    std::string database;  // a SQLite file path, a PostgreSQL URI or an ODBC connection string
    std::string setUser, userName;
    std::string backup, restore;
    bool audit = false;  // print who changed what, then exit
    std::string since;   // with audit: from this UTC date (and time) on
    std::string config;
    bool demo = false;
    bool cacheAnswers = true;  // --no-answer-cache turns it off
    bool help = false;
    LogLevel logLevel = LogLevel::Info;
    ListenerOptions listener;
};

struct OptionRow {
    std::string_view name;   // without the leading "--"
    std::string_view value;  // the value's name in the usage ("SECONDS"); empty: a flag
    std::string_view help;
    // Stores the value; a flag gets "1" (on) or "0" (off, from a file's "name = no").
    // false with `error` saying what is wrong with the value.
    bool (*set)(ProgramSettings& settings, std::string_view value, std::string& error);
};

std::span<const OptionRow> ProgramOptionTable();

inline constexpr std::size_t kMaxConfigBytes = 64 * 1024;

// Reads the file of `--config` first when one is given, then the command line
// over it. false with `error` (naming the option, or the file and its line).
bool ParseProgramOptions(int argc, const char* const* argv, ProgramSettings& settings, std::string& error);

// One configuration file's text; `fileName` only names it in errors.
bool ReadConfigText(std::string_view text, std::string_view fileName, ProgramSettings& settings, std::string& error);
bool ReadConfigFile(const std::string& path, ProgramSettings& settings, std::string& error);

// The TLS settings make sense together: a certificate with its key, and a plain
// listener only beside a TLS one. false with `error`.
bool CheckTlsSettings(const ProgramSettings& settings, std::string& error);

// The usage: the synopsis and one line per option.
std::string ProgramUsage();

// "[ADDR:]PORT", IPv6 addresses in brackets; ADDR defaults to 127.0.0.1.
bool ParseListenAddress(std::string_view text, std::string& address, uint16_t& port);

}  // namespace kel::server
