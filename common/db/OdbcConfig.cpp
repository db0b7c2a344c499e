// Writes the project's own odbcinst.ini and points unixODBC at it (ODBCSYSINI), so
// that connection strings can name "SQLite3" and "PostgreSQL Unicode" whatever the
// machine's /etc/odbcinst.ini holds.
#include "common/db/OdbcConfig.h"

#include "common/db/Database.h"

#ifdef _WIN32

// Windows: the drivers are those installed in the system's ODBC driver manager,
// by the names the connection strings use; there is nothing to write.
namespace kel::db {
namespace odbc {
std::string FindDriverLibrary(const std::string&) { return ""; }
std::string OdbcConfigDir() { return ""; }
std::string MissingDriverHint() { return ""; }
}  // namespace odbc
void EnsureOdbcConfig() {}
}  // namespace kel::db

#else

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

namespace kel::db {
namespace odbc {
namespace {

namespace fs = std::filesystem;

std::string g_configDir;
std::string g_missingHint;

std::vector<std::string> LibraryFolders() {
    std::vector<std::string> dirs;
#ifdef KELMOR_LIBRARY_ARCHITECTURE
    dirs.push_back(std::string("/usr/lib/") + KELMOR_LIBRARY_ARCHITECTURE + "/odbc");
    dirs.push_back(std::string("/usr/lib/") + KELMOR_LIBRARY_ARCHITECTURE);
#endif
    // Other multiarch folders (a build for one machine run on another).
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find("-linux-") != std::string::npos) {
            dirs.push_back(entry.path().string() + "/odbc");
            dirs.push_back(entry.path().string());
        }
    }
    for (const char* d :
         {"/usr/lib64", "/usr/lib64/odbc", "/usr/lib/odbc", "/usr/local/lib", "/usr/local/lib/odbc", "/usr/lib"})
        dirs.push_back(d);
    return dirs;
}

// A folder only this user can write: a per-user folder under the runtime or temp
// directory when it is safely ours, else a fresh per-process one.
std::string MakeConfigDir() {
    const uid_t uid = getuid();
    auto ownedByMe = [uid](const std::string& dir) {
        struct stat st {};
        return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid && (st.st_mode & 077) == 0;
    };
    std::vector<std::string> bases;
    if (const char* rt = std::getenv("XDG_RUNTIME_DIR"); rt && *rt) bases.push_back(rt);
    const char* tmp = std::getenv("TMPDIR");
    const std::string tmpDir = (tmp && *tmp) ? tmp : "/tmp";
    bases.push_back(tmpDir);
    for (const auto& base : bases) {
        const std::string dir = base + "/kelmor-odbc-" + std::to_string(uid);
        mkdir(dir.c_str(), 0700);
        if (ownedByMe(dir)) return dir;
    }
    std::string pattern = tmpDir + "/kelmor-odbc-XXXXXX";
    if (mkdtemp(pattern.data())) return pattern;
    return "";
}

std::string WriteConfig(const std::string& dir) {
    std::string ini;
    std::string missing;
    auto section = [&](const char* name, const char* file, const char* description, const char* package) {
        const std::string path = FindDriverLibrary(file);
        if (path.empty()) {
            missing += std::string(missing.empty() ? "" : "; ") + "ODBC driver '" + name + "' (" + file +
                       ") was not found; install " + package;
            return;
        }
        ini += std::string("[") + name + "]\nDescription=" + description + "\nDriver=" + path + "\n\n";
    };
    section(kSqliteDriver, "libsqlite3odbc.so", "SQLite3 ODBC driver", "the SQLite ODBC driver (libsqliteodbc)");
    section(kPostgresDriver, "psqlodbcw.so", "PostgreSQL ODBC driver (Unicode)",
            "the PostgreSQL ODBC driver (odbc-postgresql)");

    // Write beside and rename, so a process reading the file never sees half of it.
    auto put = [&dir](const char* name, const std::string& text) {
        const std::string tmp = dir + "/." + name + "." + std::to_string(getpid());
        {
            std::ofstream out(tmp, std::ios::trunc);
            out << text;
            if (!out) return false;
        }
        return std::rename(tmp.c_str(), (dir + "/" + name).c_str()) == 0;
    };
    put("odbcinst.ini", ini);
    put("odbc.ini", "");
    return missing;
}

}  // namespace

std::string FindDriverLibrary(const std::string& fileName) {
    for (const auto& dir : LibraryFolders()) {
        const std::string path = dir + "/" + fileName;
        if (access(path.c_str(), R_OK) == 0) return path;
    }
    return "";
}

std::string OdbcConfigDir() {
    EnsureOdbcConfig();
    return g_configDir;
}

std::string MissingDriverHint() {
    EnsureOdbcConfig();
    return g_missingHint;
}

}  // namespace odbc

void EnsureOdbcConfig() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (const char* set = std::getenv("ODBCSYSINI"); set && *set) return;  // the user's choice
        const std::string dir = odbc::MakeConfigDir();
        if (dir.empty()) return;
        odbc::g_missingHint = odbc::WriteConfig(dir);
        odbc::g_configDir = dir;
        setenv("ODBCSYSINI", dir.c_str(), 1);
        setenv("ODBCINSTINI", "odbcinst.ini", 1);
    });
}

}  // namespace kel::db

#endif  // _WIN32
