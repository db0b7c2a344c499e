// The SQLite file and the folders the server creates for it are private to the
// server's user; an existing file keeps its mode, and a world-readable one is named.
#include <sys/stat.h>

#include <fstream>

#include "server/PrivateFile.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

unsigned ModeOf(const std::filesystem::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 0777;
}

TEST(PrivateDatabaseFile, CreatedFileAndFoldersAreTheServersAlone) {
    TempDir dir;
    const auto file = dir.Path() / "data" / "kelmor" / "kelmor.db";
    const mode_t old = ::umask(022);  // a usual umask lets everyone read what is not asked to be private
    std::string error;
    auto server = OpenEmbedded(file.string(), &error);
    ::umask(old);
    ASSERT_TRUE(server) << error;
    EXPECT_EQ(ModeOf(dir.Path() / "data"), 0700u);
    EXPECT_EQ(ModeOf(dir.Path() / "data" / "kelmor"), 0700u);
    EXPECT_EQ(ModeOf(file), 0600u);
    // The journal files SQLite makes beside it take the file's mode.
    for (const char* suffix : {"-wal", "-shm"}) {
        if (std::filesystem::exists(file.string() + suffix)) {
            EXPECT_EQ(ModeOf(file.string() + suffix), 0600u) << suffix;
        }
    }
    EXPECT_FALSE(server->IsEmpty());  // the empty file made first became a whole database
}

TEST(PrivateDatabaseFile, AnExistingFileKeepsItsModeAndAWorldReadableOneIsNamed) {
    TempDir dir;
    const auto file = dir.Path() / "kelmor.db";
    std::string error;
    ASSERT_TRUE(OpenEmbedded(file.string(), &error)) << error;
    ::chmod(file.c_str(), 0644);
    std::vector<std::string> warnings;
    auto warn = [&](std::string_view w) { warnings.emplace_back(w); };
    ASSERT_TRUE(PrepareDatabaseFile(file.string(), &error, warn)) << error;
    EXPECT_EQ(ModeOf(file), 0644u);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("0644"), std::string::npos) << warnings[0];

    ::chmod(file.c_str(), 0640);
    warnings.clear();
    ASSERT_TRUE(PrepareDatabaseFile(file.string(), &error, warn));
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(ModeOf(file), 0640u);

    // A PostgreSQL target names no file; a folder in the way is reported.
    EXPECT_TRUE(PrepareDatabaseFile("postgresql://nobody@localhost/nothing", &error, warn));
    EXPECT_FALSE(std::filesystem::exists("postgresql:"));
    // The SQLite driver's connection string names its file: made private the same way.
    const auto named = dir.Path() / "named" / "k.db";
    ASSERT_TRUE(PrepareDatabaseFile("DRIVER={SQLite3};Database=" + named.string() + ";", &error, warn)) << error;
    EXPECT_EQ(ModeOf(named.parent_path()), 0700u);
    EXPECT_EQ(ModeOf(named), 0600u);
    std::ofstream(dir.Path() / "plain") << "x";
    EXPECT_FALSE(PrepareDatabaseFile((dir.Path() / "plain" / "kelmor.db").string(), &error, warn));
    EXPECT_NE(error.find("plain"), std::string::npos) << error;
}

}  // namespace
}  // namespace kel::server::test
