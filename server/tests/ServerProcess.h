// The kelmor-server program as a test's child process on a SQLite file, started and
// stopped as an administrator would (SIGTERM), or killed. Tests that include it
// define KELMOR_SERVER_PROGRAM (the program's path) and build on Linux only.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kel::testing {

// A free loopback port (nobody listens on it once this returns).
inline uint16_t FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), n);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    ::close(fd);
    return ntohs(a.sin_port);
}

class ServerProcess {
public:
    ServerProcess(std::string database, uint16_t port) : m_database(std::move(database)), m_port(port) {}
    ~ServerProcess() { Stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    uint16_t Port() const { return m_port; }

    // True once the server says on standard output that it listens.
    bool Start(bool demo) {
        int out[2];
        if (::pipe(out) != 0) return false;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            const std::string listen = "127.0.0.1:" + std::to_string(m_port);
            std::vector<const char*> args{KELMOR_SERVER_PROGRAM, "--listen",         listen.c_str(),
                                          "--database",          m_database.c_str(), "--quiet"};
            if (demo) args.push_back("--demo");
            args.push_back(nullptr);
            ::execv(KELMOR_SERVER_PROGRAM, const_cast<char* const*>(args.data()));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string said;
        char c;
        while (said.find('\n') == std::string::npos && ::read(out[0], &c, 1) == 1) said += c;
        ::close(out[0]);
        return said.find("listening") != std::string::npos;
    }
    // SIGTERM: the server closes its connections and keeps its sessions' reads;
    // SIGKILL: it is gone at once, as after a crash or a power cut.
    void Stop(int signal = SIGTERM) {
        if (m_pid <= 0) return;
        ::kill(m_pid, signal);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

private:
    std::string m_database;
    uint16_t m_port;
    pid_t m_pid = -1;
};

}  // namespace kel::testing
