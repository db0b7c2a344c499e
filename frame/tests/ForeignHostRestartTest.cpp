// Kelmor.dll as a foreign host uses it, against a real kelmor-server that is stopped
// and started again while a form is open: the DLL logs on by itself (Kelmor.ini,
// its log-on dialog) and its channel connects again, plain or over TLS. The save
// that finds no server is refused with its message and the form keeps what was
// typed; once the server is back the same save goes through. A save whose answer is
// cut on its way back (the server carried it out) is not sent again and the clerk
// is told so.
//
// The Windows stage runs the server on the Linux side and stops or starts it when
// asked: this program creates a file named "stop" or "start" in the folder
// KELMOR_SERVER_CONTROL names and waits for it to go away. KELMOR_SERVER_PORT is the
// server's plain port, KELMOR_SERVER_TLS_PORT its TLS port and
// KELMOR_SERVER_FINGERPRINT its certificate's, KELMOR_SERVER_DATABASE its SQLite
// file (the forms' code lists, read through ODBC as Kelmor.ini says). Without them
// the test skips.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/net/Channel.h"
#include "common/net/Frame.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/testing/HeadlessDriver.h"
#include "screens/S0000S4.h"
#include "screens/S0000S40.h"

namespace {

using List = CS0000S4;
using Form = CS0000S40;
enum { IDC_USER = 9901, IDC_PASSWORD = 9902 };  // the DLL's log-on dialog

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Asks the stage to stop or start the server and waits until it has (60 s at most).
bool AskServer(const std::string& what) {
    const std::string request = Env("KELMOR_SERVER_CONTROL") + "\\" + what;
    if (FILE* f = std::fopen(request.c_str(), "wb"))
        std::fclose(f);
    else
        return false;
    for (int i = 0; i < 600; ++i) {
        if (GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
        Sleep(100);
    }
    return false;
}

// The frame calls wait with poll() and expect sockets that never block.
int NonBlocking(SOCKET s) {
    u_long on = 1;
    ::ioctlsocket(s, FIONBIO, &on);
    return static_cast<int>(s);
}

int Listen(uint16_t& port) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int n = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), n);
    ::listen(s, 4);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
    port = ntohs(a.sin_port);
    return NonBlocking(s);
}

// Between the DLL and the server: passes every frame on, until told to cut the
// answer of the next request with `code`: the server gets the request, the DLL
// loses the connection without the answer. When the server goes, the DLL's
// connection goes with it, as it would without the proxy.
class CuttingProxy {
public:
    explicit CuttingProxy(uint16_t serverPort) : m_serverPort(serverPort) {
        m_listen = Listen(m_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~CuttingProxy() {
        m_stop = true;
        m_thread.join();
        ::closesocket(static_cast<SOCKET>(m_listen));
    }
    uint16_t Port() const { return m_port; }
    void CutAnswerOf(int16_t code) { m_cut = code; }
    // Waits (5 s at most) until the proxy has no connection to the server.
    bool Idle() const {
        for (int i = 0; i < 50 && m_serving; ++i) Sleep(100);
        return !m_serving;
    }
    int Requests(int16_t code) const {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_seen.begin(), m_seen.end(), code));
    }

private:
    void Run() {
        while (!m_stop) {
            if (kel::net::WaitReadable(m_listen, kel::net::DeadlineAfter(200)) != kel::kChannelOk) continue;
            const SOCKET client = ::accept(static_cast<SOCKET>(m_listen), nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            Serve(NonBlocking(client));
            ::closesocket(client);
        }
    }
    // One client at a time: the DLL has one connection.
    void Serve(int client) {
        const SOCKET server = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(m_serverPort);
        if (::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::closesocket(server);
            return;
        }
        const int up = NonBlocking(server);
        m_serving = true;
        _PacketHead head{};
        std::vector<char> body;
        while (!m_stop) {
            if (kel::net::WaitReadable(client, kel::net::DeadlineAfter(100)) == kel::kChannelTimeout) {
                if (kel::net::sock::PeerClosed(up)) break;
                continue;
            }
            if (kel::net::ReadFrame(client, head, body, kel::net::DeadlineAfter(5000)) != kel::kChannelOk) break;
            {
                std::lock_guard lock(m_mutex);
                m_seen.push_back(head.nTransCode);
            }
            if (kel::net::WriteFrame(up, head, body.data(), body.size(), kel::net::DeadlineAfter(5000)) !=
                kel::kChannelOk)
                break;
            const int16_t code = head.nTransCode;
            if (kel::net::ReadFrame(up, head, body, kel::net::DeadlineAfter(30000)) != kel::kChannelOk) break;
            if (code == m_cut.exchange(0)) break;  // the answer goes nowhere
            if (kel::net::WriteFrame(client, head, body.data(), body.size(), kel::net::DeadlineAfter(5000)) !=
                kel::kChannelOk)
                break;
        }
        ::closesocket(server);
        m_serving = false;
    }

    uint16_t m_serverPort;
    int m_listen = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_serving{false};
    std::atomic<int16_t> m_cut{0};
    mutable std::mutex m_mutex;
    std::vector<int16_t> m_seen;
    std::thread m_thread;
};

// Kelmor.ini beside Kelmor.dll (this program's folder), for the time of the test.
class IniFile {
public:
    explicit IniFile(const std::string& text) {
        char path[MAX_PATH] = {};
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        m_path = std::string(path, n);
        m_path = m_path.substr(0, m_path.find_last_of("\\/") + 1) + "Kelmor.ini";
        if (FILE* f = std::fopen(m_path.c_str(), "wb")) {
            std::fputs(text.c_str(), f);
            std::fclose(f);
        }
    }
    ~IniFile() { DeleteFileA(m_path.c_str()); }

private:
    std::string m_path;
};

CQXGrid& GridOf(win::DialogActions& a, int id) {
    auto* grid = dynamic_cast<CQXGrid*>(a.Item(id));
    if (!grid) throw std::runtime_error("no grid " + std::to_string(id));
    return *grid;
}

int RowOf(win::DialogActions& a, const char* code) {
    CQXGrid& grid = GridOf(a, List::IDC_GRID);
    for (int r = 1; r < grid.GetRowCount(); ++r)
        if (grid.GetItemText(r, List::COL_CODE) == code) return r;
    return -1;
}

std::string NameOf(win::DialogActions& a, const char* code) {
    const int row = RowOf(a, code);
    return row < 0 ? std::string("(no row ") + code + ")"
                   : GridOf(a, List::IDC_GRID).GetItemText(row, List::COL_CHN_NAME).str();
}

class ForeignHostRestart : public ::testing::Test {
protected:
    void SetUp() override {
        if (Env("KELMOR_SERVER_CONTROL").empty() || Env("KELMOR_SERVER_PORT").empty() ||
            Env("KELMOR_SERVER_TLS_PORT").empty() || Env("KELMOR_SERVER_FINGERPRINT").empty() ||
            Env("KELMOR_SERVER_DATABASE").empty())
            GTEST_SKIP() << "no kelmor-server to restart (the Windows stage of the test command gives one)";
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_dll = LoadLibraryW(L"Kelmor.dll");
        ASSERT_TRUE(m_dll);
        m_call = reinterpret_cast<int(__stdcall*)(int, int)>(
            reinterpret_cast<void*>(GetProcAddress(m_dll, "_Call_Kelmor_Dialog@8")));
        ASSERT_TRUE(m_call);
    }
    // The next screen logs on again, with the Kelmor.ini of its test.
    void TearDown() override { kel::InstallChannel(nullptr); }
    static std::string Ini(const std::string& server) {
        return "[Server]\r\n" + server +
               "[Database]\r\nConnection=DRIVER={SQLite3};Database=" + Env("KELMOR_SERVER_DATABASE") + ";\r\n";
    }
    bool Told(const std::string& text) {
        for (const std::string& m : driver->MessageTexts())
            if (m.find(text) != std::string::npos) return true;
        return false;
    }

    HMODULE m_dll = nullptr;
    int(__stdcall* m_call)(int, int) = nullptr;
    win::ScopedHeadlessDriver driver;
};

TEST_F(ForeignHostRestart, TheNextActionAfterARestartWorksALostAnswerIsToldAndNothingTypedIsLost) {
    CuttingProxy proxy(static_cast<uint16_t>(std::atoi(Env("KELMOR_SERVER_PORT").c_str())));
    IniFile ini(Ini("Address=127.0.0.1:" + std::to_string(proxy.Port()) + "\r\n"));

    driver->Then("登录", [](win::DialogActions& a) {
        a.Type(IDC_USER, "demo").Type(IDC_PASSWORD, "demo").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then("再保公司设置[检索]", [&](win::DialogActions& a) {
        a.DoubleClickRow(List::IDC_GRID, RowOf(a, "01"));
        EXPECT_EQ(NameOf(a, "01"), "甲再保险（改）");  // read again after the restart
        a.DoubleClickRow(List::IDC_GRID, RowOf(a, "01"));
        a.Click(IDCANCEL);
    });
    driver->Then("再保公司[修改]", [&](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CHN_NAME, "甲再保险（改）");
        ASSERT_TRUE(AskServer("stop"));
        ASSERT_TRUE(proxy.Idle());
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_TRUE(Told(kel::ChannelErrorText(kel::kChannelUnreachable)))
            << ::testing::PrintToString(driver->MessageTexts());
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "甲再保险（改）");

        ASSERT_TRUE(AskServer("start"));
        driver->ClearRecords();
        a.Click(IDOK);  // the same save, nothing else
        EXPECT_TRUE(a.Ended());
        EXPECT_TRUE(driver->MessageTexts().empty()) << ::testing::PrintToString(driver->MessageTexts());
    });
    driver->Then("再保公司[修改]", [&](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CHN_NAME, "甲再保险（再改）");
        proxy.CutAnswerOf(183);
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());  // what was typed stays for the clerk to check
        EXPECT_TRUE(Told(kel::ChannelErrorText(kel::kChannelAnswerLost)))
            << ::testing::PrintToString(driver->MessageTexts());
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "甲再保险（再改）");
        a.Click(IDCANCEL);
    });
    m_call(25005, 0);
    EXPECT_EQ(proxy.Requests(183), 2);  // the refused save never went out, the cut one only once

    // The clerk reads again: the server had carried the cut save out.
    driver->Then("再保公司设置[检索]", [&](win::DialogActions& a) {
        EXPECT_EQ(NameOf(a, "01"), "甲再保险（再改）");
        a.Click(IDCANCEL);
    });
    m_call(25005, 0);
    EXPECT_TRUE(driver->Problems().empty()) << ::testing::PrintToString(driver->Problems());
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
}

TEST_F(ForeignHostRestart, OverTlsTheSaveThatFoundTheServerStoppedGoesThroughAfterTheRestart) {
    IniFile ini(Ini("Address=127.0.0.1:" + Env("KELMOR_SERVER_TLS_PORT") +
                    "\r\nFingerprint=" + Env("KELMOR_SERVER_FINGERPRINT") + "\r\n"));
    driver->Then("登录", [](win::DialogActions& a) {
        a.Type(IDC_USER, "demo").Type(IDC_PASSWORD, "demo").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then("再保公司设置[检索]", [&](win::DialogActions& a) {
        a.DoubleClickRow(List::IDC_GRID, RowOf(a, "02"));
        EXPECT_EQ(NameOf(a, "02"), "乙再保险（加密）");
        a.Click(IDCANCEL);
    });
    driver->Then("再保公司[修改]", [&](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CHN_NAME, "乙再保险（加密）");
        ASSERT_TRUE(AskServer("stop"));
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_TRUE(Told(kel::ChannelErrorText(kel::kChannelUnreachable)))
            << ::testing::PrintToString(driver->MessageTexts());
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "乙再保险（加密）");

        ASSERT_TRUE(AskServer("start"));
        driver->ClearRecords();
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
        EXPECT_TRUE(driver->MessageTexts().empty()) << ::testing::PrintToString(driver->MessageTexts());
    });
    m_call(25005, 0);
    EXPECT_TRUE(driver->Problems().empty()) << ::testing::PrintToString(driver->Problems());
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
}

}  // namespace
