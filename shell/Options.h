// The command line of the host program.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/net/ServerList.h"
#include "common/net/TlsOptions.h"

namespace kel::shell {

struct Options {
    std::vector<kel::net::ServerAddress> servers;  // tried in order; none: the embedded default
    kel::net::TlsClientOptions tls;                // how the servers are checked; empty: plain TCP
    std::string database;                          // ODBC connection string or SQLite file; empty: the default file
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::optional<int> screen;
    std::string screenshot;  // with `screen`: save the dialog as PNG and close it
    bool console = false;    // print the screens instead of showing them
    std::string play;        // a script to play as the user ("-": standard input); no display needed
    bool help = false;
};

// Parses the arguments (without the program name). nullopt with `error` set when
// they make no sense.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

const char* Usage();

// The embedded default's database file: $XDG_DATA_HOME/kelmor/kelmor.db, or
// ~/.local/share/kelmor/kelmor.db. The folder is made when missing.
std::string DefaultDatabaseFile();

}  // namespace kel::shell
