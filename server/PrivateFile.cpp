#include "server/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "server/store/ConnectionString.h"

namespace kel::server {
namespace {

bool Fail(std::string* error, std::string why) {
    if (error) *error = std::move(why);
    return false;
}

std::string Octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

}  // namespace

bool MakePrivateFolders(const std::filesystem::path& folder, std::string* error) {
    if (folder.empty()) return true;
    // The missing ones, outermost last; created outermost first.
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path p = folder; !p.empty(); p = p.parent_path()) {
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) return Fail(error, p.string() + " is not a folder");
            break;
        }
        missing.push_back(p);
        if (p == p.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (::mkdir(it->c_str(), 0700) != 0 && errno != EEXIST)
            return Fail(error, "cannot create the folder " + it->string() + ": " + std::strerror(errno));
    return true;
}

bool PrepareDatabaseFile(const std::string& database, std::string* error,
                         const std::function<void(std::string_view)>& warn) {
    // The file a SQLite target names (a path, or the SQLite driver's connection string).
    const auto target = store::ReadTarget(database, nullptr);
    if (!target || target->kind != store::TargetKind::SqliteFile || target->location.empty()) return true;
    const std::filesystem::path file(target->location);
    if (!MakePrivateFolders(file.parent_path(), error)) return false;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);  // an empty file is an empty SQLite database
        return true;
    }
    if (errno != EEXIST) return Fail(error, "cannot create " + database + ": " + std::strerror(errno));
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && (st.st_mode & S_IROTH)) {
        const std::string words = "the database " + file.string() + " (mode " + Octal(st.st_mode) +
                                  ") can be read by every user of this machine, password hashes included; "
                                  "chmod 600 it";
        if (warn)
            warn(words);
        else
            std::fprintf(stderr, "kelmor-server: warning: %s\n", words.c_str());
    }
    return true;
}

}  // namespace kel::server
