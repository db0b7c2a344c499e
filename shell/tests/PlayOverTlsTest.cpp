// kelmor --play as a process against kelmor-server as a process, over TLS: the
// README's tours run whole with the server checked by its certificate (as a CA
// file) or by its pinned fingerprint, and a client pinned to another fingerprint
// stops at the log-on with the server's name and why. The certificate is made
// here with the openssl program the set-up installs.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

class PlayOverTls : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = fs::temp_directory_path() / ("kelmor-play-tls-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_home);
        fs::create_directories(m_home);
        const std::string make =
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 "
            "-subj /CN=localhost -addext subjectAltName=DNS:localhost -keyout '" +
            Path("server.key") + "' -out '" + Path("server.crt") + "' 2>/dev/null";
        ASSERT_EQ(std::system(make.c_str()), 0) << "openssl is needed (scripts/setup.sh installs it)";
        const std::string start = std::string("'") + KELMOR_SERVER_PROGRAM + "' --listen 127.0.0.1:0 --database '" +
                                  Path("kelmor.db") + "' --demo --tls-cert '" + Path("server.crt") + "' --tls-key '" +
                                  Path("server.key") + "' >'" + Path("server.out") + "' 2>'" + Path("server.err") +
                                  "' & echo $! >'" + Path("server.pid") + "'";
        ASSERT_EQ(std::system(start.c_str()), 0);
        m_pid = std::stoi(ReadFile(Path("server.pid")));
        const std::regex listening("kelmor-server: listening on 127\\.0\\.0\\.1:(\\d+)");
        for (int i = 0; i < 200 && m_port.empty(); ++i) {
            std::smatch m;
            const std::string out = ReadFile(Path("server.out"));
            if (std::regex_search(out, m, listening))
                m_port = m[1];
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_FALSE(m_port.empty()) << ReadFile(Path("server.err"));
    }
    void TearDown() override {
        if (m_pid > 0) ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 100 && m_pid > 0 && ::kill(m_pid, 0) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        fs::remove_all(m_home);
    }

    std::string Path(const std::string& name) const { return (m_home / name).string(); }

    std::string Fingerprint() {
        const std::string command = std::string("'") + KELMOR_SERVER_PROGRAM + "' --tls-cert '" + Path("server.crt") +
                                    "' --print-fingerprint >'" + Path("fingerprint") + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return Trimmed(ReadFile(Path("fingerprint")));
    }

    // Plays a script as demo against the server with the given TLS options; the code
    // lists come from the server's file, as from a shared host database.
    int Play(const fs::path& script, const std::string& tlsOptions, std::string& out, std::string& err) {
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY '" + std::string(KELMOR_PROGRAM) +
                                    "' --server localhost:" + m_port + " " + tlsOptions + " --database '" +
                                    Path("kelmor.db") + "' --user demo --password demo --play '" + script.string() +
                                    "' >'" + Path("out.txt") + "' 2>'" + Path("err.txt") + "'";
        const int status = std::system(command.c_str());
        out = ReadFile(Path("out.txt"));
        err = ReadFile(Path("err.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path m_home;
    int m_pid = -1;
    std::string m_port;
};

TEST_F(PlayOverTls, TheToursRunWholeAgainstATlsServerCheckedByCaOrByFingerprint) {
    const fs::path tours = fs::path(KELMOR_SOURCE_DIR) / "docs" / "tour";
    std::string out, err;
    ASSERT_EQ(Play(tours / "treaty-codes.play", "--server-ca '" + Path("server.crt") + "'", out, err), 0) << err << out;
    EXPECT_NE(out.find("message \"处理成功!\""), std::string::npos) << out;
    EXPECT_NE(out.find("close \"合约代码设置[检索]\" Cancel\n"), std::string::npos) << out;

    ASSERT_EQ(Play(tours / "treaty-data.play", "--server-fingerprint " + Fingerprint(), out, err), 0) << err << out;
    EXPECT_NE(out.find("合约生成成功"), std::string::npos) << out;
    EXPECT_EQ(out.find("合约生成失败"), std::string::npos) << out;

    const std::string log = ReadFile(Path("server.err"));
    EXPECT_NE(log.find("connection opened (TLS)"), std::string::npos) << log;
    EXPECT_EQ(log.find("connection opened (plain)"), std::string::npos) << log;
}

TEST_F(PlayOverTls, AClientPinnedToAnotherCertificateStopsAtTheLogOnAndAPlainOneIsTurnedAway) {
    const fs::path script = fs::path(KELMOR_SOURCE_DIR) / "docs" / "tour" / "treaty-codes.play";
    std::string out, err;
    std::string other = Fingerprint();
    other[0] = other[0] == '0' ? '1' : '0';
    EXPECT_NE(Play(script, "--server-fingerprint " + other, out, err), 0);
    EXPECT_NE(err.find("应用服务器 localhost:" + m_port + " 的证书未通过验证"), std::string::npos) << err;
    EXPECT_NE(err.find("与配置的指纹"), std::string::npos) << err;

    EXPECT_NE(Play(script, "", out, err), 0);
    EXPECT_NE(err.find("可能只接受加密连接"), std::string::npos) << err;
    EXPECT_EQ(ReadFile(Path("server.err")).find("log-on"), std::string::npos);
}

}  // namespace
