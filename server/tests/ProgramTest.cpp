// The program's options (command line and configuration file from one table) and
// its log: the line format administrators filter on, and the lines the listener
// writes for a connection's life.
#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <regex>

#include "common/net/TcpChannel.h"
#include "server/Listener.h"
#include "server/Log.h"
#include "server/Options.h"
#include "server/Password.h"
#include "server/tests/ChannelClient.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

bool Parse(std::vector<const char*> args, ProgramSettings& s, std::string& error) {
    args.insert(args.begin(), "kelmor-server");
    return ParseProgramOptions(static_cast<int>(args.size()), args.data(), s, error);
}

TEST(ProgramOptions, CommandLineSetsWhatTheTableSays) {
    ProgramSettings s;
    std::string error;
    ASSERT_TRUE(
        Parse({"--listen", "0.0.0.0:7430", "--database=/tmp/x.db", "--demo", "--idle-timeout", "60", "--max-clients",
               "8", "--logon-timeout", "3", "--max-per-address", "4", "--max-users-per-address", "40", "--verbose"},
              s, error))
        << error;
    EXPECT_EQ(s.listener.address, "0.0.0.0");
    EXPECT_EQ(s.listener.port, 7430);
    EXPECT_EQ(s.database, "/tmp/x.db");
    EXPECT_TRUE(s.demo);
    EXPECT_EQ(s.listener.idleTimeoutMs, 60000);
    EXPECT_EQ(s.listener.maxClients, 8u);
    EXPECT_EQ(s.listener.logonTimeoutMs, 3000);
    EXPECT_EQ(s.listener.maxClientsPerAddress, 4u);
    EXPECT_EQ(s.listener.maxUsersPerAddress, 40u);
    EXPECT_EQ(s.logLevel, LogLevel::Debug);

    ASSERT_TRUE(Parse({"--listen", "[::1]:0", "--quiet"}, s, error)) << error;
    EXPECT_EQ(s.listener.address, "::1");
    EXPECT_EQ(s.listener.port, 0);
    EXPECT_EQ(s.logLevel, LogLevel::Error);
    ASSERT_TRUE(Parse({"--listen", "7431"}, s, error)) << error;
    EXPECT_EQ(s.listener.address, "127.0.0.1");
    EXPECT_TRUE(s.cacheAnswers);
    ASSERT_TRUE(Parse({"--no-answer-cache"}, s, error)) << error;
    EXPECT_FALSE(s.cacheAnswers);
    ASSERT_TRUE(Parse({"--audit", "--since", "2026-12-01"}, s, error)) << error;
    EXPECT_TRUE(s.audit);
    EXPECT_EQ(s.since, "2026-12-01");
}

TEST(ProgramOptions, BadCommandLinesSayWhatIsWrong) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"--bogus"}, "unknown option --bogus"},
        {{"--listen"}, "--listen needs a value"},
        {{"--listen", "host:99999"}, "--listen takes [ADDR:]PORT"},
        {{"--listen", "[::1]7430"}, "--listen takes"},
        {{"--idle-timeout", "ten"}, "--idle-timeout takes a number"},
        {{"--idle-timeout", "0"}, "--idle-timeout takes a number"},
        {{"--idle-timeout", "99999999999"}, "--idle-timeout takes a number"},
        {{"--max-clients", "-3"}, "--max-clients takes a number"},
        {{"--logon-timeout", "0"}, "--logon-timeout takes a number"},
        {{"--max-per-address", "x"}, "--max-per-address takes a number"},
        {{"--log-level", "loud"}, "--log-level takes error"},
        {{"--demo=maybe"}, "--demo is a flag"},
        {{"stray"}, "unexpected argument stray"},
        {{"--config", "/nonexistent/kelmor.conf"}, "cannot read /nonexistent/kelmor.conf"},
    };
    for (const auto& [args, expected] : cases) {
        ProgramSettings s;
        std::string error;
        EXPECT_FALSE(Parse(args, s, error)) << args.front();
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
}

TEST(ProgramOptions, ConfigFileTakesEveryOptionAndTheCommandLineWins) {
    TempDir dir;
    const std::string path = (dir.Path() / "server.conf").string();
    std::ofstream(path) << "# the shared server\n"
                           "\n"
                           "  listen = 0.0.0.0:7430  \r\n"
                           "database = DRIVER={PostgreSQL Unicode};Server=db;PWD=a#b=c\n"
                           "demo\n"
                           "idle-timeout=600\n"
                           "quiet = yes\n";
    ProgramSettings s;
    std::string error;
    ASSERT_TRUE(Parse({"--idle-timeout", "30", "--config", path.c_str(), "--verbose"}, s, error)) << error;
    EXPECT_EQ(s.listen, "0.0.0.0:7430");
    EXPECT_EQ(s.listener.port, 7430);
    // The value runs to the end of the line: '#' and '=' belong to it.
    EXPECT_EQ(s.database, "DRIVER={PostgreSQL Unicode};Server=db;PWD=a#b=c");
    EXPECT_TRUE(s.demo);
    EXPECT_EQ(s.listener.idleTimeoutMs, 30000);  // given before --config, and still winning
    EXPECT_EQ(s.logLevel, LogLevel::Debug);

    ProgramSettings off;
    ASSERT_TRUE(ReadConfigText("demo = yes\ndemo = no\n", "f", off, error)) << error;
    EXPECT_FALSE(off.demo);
}

TEST(ProgramOptions, TlsSettingsComeFromTheFileOrTheCommandLineAndMustGoTogether) {
    ProgramSettings s;
    std::string error;
    ASSERT_TRUE(ReadConfigText("tls-cert = /etc/k/server.crt\ntls-key = /etc/k/server.key\nlisten-plain = [::1]:7431\n",
                               "f.conf", s, error))
        << error;
    EXPECT_EQ(s.tlsCert, "/etc/k/server.crt");
    EXPECT_EQ(s.tlsKey, "/etc/k/server.key");
    EXPECT_EQ(s.plainAddress, "::1");
    EXPECT_EQ(s.plainPort, 7431);
    EXPECT_TRUE(CheckTlsSettings(s, error)) << error;
    // Printing the fingerprint is a task: never from the file.
    EXPECT_FALSE(ReadConfigText("print-fingerprint\n", "f.conf", s, error));
    ASSERT_TRUE(Parse({"--tls-cert", "c.pem", "--print-fingerprint"}, s, error)) << error;
    EXPECT_TRUE(s.printFingerprint);

    ProgramSettings certOnly;
    ASSERT_TRUE(Parse({"--tls-cert", "c.pem"}, certOnly, error));
    EXPECT_FALSE(CheckTlsSettings(certOnly, error));
    EXPECT_NE(error.find("go together"), std::string::npos) << error;
    ProgramSettings plainOnly;
    ASSERT_TRUE(Parse({"--listen-plain", "7431"}, plainOnly, error));
    EXPECT_FALSE(CheckTlsSettings(plainOnly, error));
    EXPECT_NE(error.find("beside a TLS one"), std::string::npos) << error;
    EXPECT_FALSE(Parse({"--listen-plain", "host:x"}, plainOnly, error));
    EXPECT_NE(error.find("--listen-plain takes [ADDR:]PORT"), std::string::npos) << error;
}

TEST(ProgramOptions, ConfigFileErrorsNameTheLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"# fine\nlisten = 1\nlisen = 2\n", "f.conf:3: unknown setting \"lisen\""},
        {"database\n", "f.conf:1: database needs a value"},
        {"database =   \n", "f.conf:1: database needs a value"},
        {"\n\nmax-clients = lots\n", "f.conf:3: max-clients takes a number"},
        {"demo = perhaps\n", "f.conf:1: demo is a flag"},
        {"config = other.conf\n", "f.conf:1: unknown setting \"config\""},
    };
    for (const auto& [text, expected] : cases) {
        ProgramSettings s;
        std::string error;
        EXPECT_FALSE(ReadConfigText(text, "f.conf", s, error)) << text;
        EXPECT_EQ(error.substr(0, expected.size()), expected) << error;
    }
}

TEST(ProgramOptions, ConfigFileTakesSettingsOnlyAndOnlyASettingsFile) {
    // Saved by an editor that begins UTF-8 with a byte-order mark.
    ProgramSettings s;
    std::string error;
    EXPECT_TRUE(ReadConfigText("\xEF\xBB\xBFlisten = 7430\n", "f.conf", s, error)) << error;
    EXPECT_EQ(s.listener.port, 7430);

    // A task in the file would run at every start: restore a copy, reset a password.
    for (const char* line : {"restore = /tmp/copy.db", "set-user = demo", "backup = /tmp/copy.db", "audit",
                             "name = 王力", "since = 2026-01-01"}) {
        ProgramSettings t;
        EXPECT_FALSE(ReadConfigText(std::string(line) + "\n", "f.conf", t, error)) << line;
        EXPECT_NE(error.find("give it on the command line"), std::string::npos) << error;
        EXPECT_TRUE(t.restore.empty() && t.setUser.empty() && t.backup.empty() && !t.audit);
    }
    ProgramSettings onCommandLine;
    EXPECT_TRUE(Parse({"--database", "x.db", "--restore", "copy.db"}, onCommandLine, error)) << error;
    EXPECT_EQ(onCommandLine.restore, "copy.db");

    // What never ends, or is far too long for settings, is refused after a bounded read.
    ProgramSettings endless;
    EXPECT_FALSE(Parse({"--config", "/dev/zero"}, endless, error));
    EXPECT_NE(error.find("not a settings file"), std::string::npos) << error;
    TempDir dir;
    const std::string big = (dir.Path() / "big.conf").string();
    std::ofstream(big) << std::string(kMaxConfigBytes, '#') << "\n";
    EXPECT_FALSE(ReadConfigFile(big, endless, error));
    const std::string fits = (dir.Path() / "fits.conf").string();
    std::ofstream(fits) << "# " << std::string(kMaxConfigBytes - 16, '-') << "\nquiet\n";
    EXPECT_TRUE(ReadConfigFile(fits, endless, error)) << error;
    EXPECT_EQ(endless.logLevel, LogLevel::Error);
}

TEST(ProgramUsers, AnEmptyPasswordIsNeitherStoredNorAccepted) {
    TempDir dir;
    const std::string path = (dir.Path() / "kelmor.db").string();
    std::string error;
    auto server = Server::Open(path, &error);
    ASSERT_TRUE(server) << error;
    EXPECT_FALSE(server->SetUser("wangli", "王力", "", &error));
    EXPECT_NE(error.find("password cannot be empty"), std::string::npos) << error;
    EXPECT_FALSE(server->CheckLogon("wangli", ""));
    // One stored before empty passwords were refused does not log on either.
    ASSERT_TRUE(server->SetUser("wangli", "王力", "x", &error)) << error;
    auto db = kel::db::Open(path, &error);
    ASSERT_TRUE(db) << error;
    ASSERT_EQ(db->Execute("UPDATE t_user SET c_pwd_hash = ? WHERE c_user_cde = 'wangli'",
                          {kel::db::Value(*HashPassword(""))}),
              1);
    EXPECT_FALSE(server->CheckLogon("wangli", ""));
}

TEST(ProgramOptions, UsageListsEveryRow) {
    const std::string usage = ProgramUsage();
    for (const OptionRow& row : ProgramOptionTable())
        EXPECT_NE(usage.find("--" + std::string(row.name)), std::string::npos) << row.name;
}

TEST(ProgramLog, LineIsTimeLevelText) {
    const auto line = FormatLogLine(std::chrono::system_clock::now(), LogLevel::Warning, "a\nforged\rline\x1b[2J");
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d{4} WARN  .*)")))
        << line;
    EXPECT_EQ(line.substr(line.find("WARN  ") + 6), "a forged line?[2J");
    EXPECT_EQ(RequestLogText(181, kRefused, "the treaty code exists"),
              "request 181 refused: status 1: the treaty code exists");
    EXPECT_EQ(RequestLogText(187, kServerFailure, "disk full"), "request 187 failed: status 3: disk full");
    EXPECT_EQ(RequestLogLevel(kRefused), LogLevel::Info);
    EXPECT_EQ(RequestLogLevel(kBadRequest), LogLevel::Warning);
    EXPECT_EQ(RequestLogLevel(kServerFailure), LogLevel::Error);
    EXPECT_EQ(ParseLogLevel("debug"), LogLevel::Debug);
    EXPECT_FALSE(ParseLogLevel("DEBUG"));
}

TEST(ProgramLog, LevelFiltersLines) {
    std::vector<std::string> lines;
    SetLogSink([&](std::string_view l) { lines.emplace_back(l); });
    SetLogLevel(LogLevel::Error);
    Log(LogLevel::Info, "hidden");
    Log(LogLevel::Error, "shown");
    SetLogLevel(LogLevel::Debug);
    Log(LogLevel::Debug, "detail");
    SetLogLevel(LogLevel::Info);
    SetLogSink(nullptr);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("ERROR shown"), std::string::npos);
    EXPECT_NE(lines[1].find("DEBUG detail"), std::string::npos);
}

// What the listener reports, with the level, waiting until the expected count arrived.
class LogRecorder {
public:
    void Add(LogLevel level, std::string_view text) {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::string(LogLevelWord(level)) + " " + std::string(text));
        changed_.notify_all();
    }
    std::vector<std::string> WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5), [&] { return lines_.size() >= count; });
        return lines_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

TEST(ProgramLog, ListenerLogsEachConnectionWithItsPeer) {
    TempDir dir;
    std::string error;
    auto server = OpenEmbedded((dir.Path() / "kelmor.db").string(), &error);
    ASSERT_TRUE(server) << error;
    LogRecorder log;
    ListenerOptions options;
    options.log = [&](LogLevel level, std::string_view text) { log.Add(level, text); };
    Listener listener(*server, options);
    ASSERT_TRUE(listener.Start(&error)) << error;

    {
        ChannelClient good(listener.Port(), "demo", "demo");
        ASSERT_TRUE(good.Ok());
        ASSERT_EQ(good.Call(180).Status(), 0);
    }
    auto lines = log.WaitFor(4);
    {
        kel::net::TcpChannel bad;
        EXPECT_TRUE(bad.Connect("127.0.0.1", listener.Port(), "demo", "guess").refused);
    }
    lines = log.WaitFor(7);
    listener.Stop();
    ASSERT_EQ(lines.size(), 7u);
    const std::regex peer(R"(127\.0\.0\.1:\d+)");
    const std::vector<std::string> expected = {
        "INFO  PEER connection opened (plain)",
        "INFO  PEER log-on demo accepted",
        "DEBUG PEER request 180 status 0",
        "INFO  PEER connection closed",
        "INFO  PEER connection opened (plain)",
        "WARN  PEER log-on demo refused",
        "INFO  PEER connection closed: log-on refused",
    };
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::regex_replace(lines[i], peer, "PEER"), expected[i]);
}

TEST(ProgramLog, ARequestLineIsLeftOutBelowItsLevel) {
    TempDir dir;
    std::string error;
    auto server = OpenEmbedded((dir.Path() / "kelmor.db").string(), &error);
    ASSERT_TRUE(server) << error;
    LogRecorder log;
    ListenerOptions options;
    options.log = [&](LogLevel level, std::string_view text) { log.Add(level, text); };
    options.logLevel = LogLevel::Info;
    Listener listener(*server, options);
    ASSERT_TRUE(listener.Start(&error)) << error;
    {
        ChannelClient client(listener.Port(), "demo", "demo");
        ASSERT_TRUE(client.Ok());
        ASSERT_EQ(client.Call(180).Status(), 0);
    }
    const auto lines = log.WaitFor(3);
    listener.Stop();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[1].find("log-on demo accepted"), std::string::npos);
    EXPECT_NE(lines[2].find("connection closed"), std::string::npos);
}

}  // namespace
}  // namespace kel::server::test
