// A clerk's session against a real kelmor-server that is stopped and started again
// while a form is open: the save that finds no server is refused with a message
// and the form keeps what was typed; once the server is back the same save goes
// through without anything else to do. And the save whose answer is cut on its way
// back (the server committed it) is not sent again: the clerk is told.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

#include "common/db/Database.h"
#include "common/net/Frame.h"
#include "common/net/SessionChannel.h"
#include "frame/Kelmor.h"
#include "frame/ScreenTable.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxcommon/StaticDatabase.h"
#include "host/win/testing/HeadlessDriver.h"
#include "screens/S0000S2.h"
#include "screens/S0000S20.h"
#include "screens/S0000S4.h"
#include "screens/S0000S40.h"
#include "screens/S0000S6.h"
#include "screens/S0000S7.h"
#include "screens/S0000S70.h"
#include "screens/S0000SD.h"
#include "screens/tests/ScreenTestSupport.h"
#include "server/tests/ServerProcess.h"

namespace kel::testing {
namespace {

using List = CS0000S4;
using Form = CS0000S40;

// Between the client and the server: passes every frame on, until told to cut the
// answer of the next request with `code`: the server gets the request, the client
// loses the connection without the answer.
class CuttingProxy {
public:
    explicit CuttingProxy(uint16_t serverPort) : m_serverPort(serverPort) {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), n);
        ::listen(m_listen, 4);
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &n);
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~CuttingProxy() {
        m_stop = true;
        ::shutdown(m_listen, SHUT_RDWR);
        m_thread.join();
        ::close(m_listen);
    }
    uint16_t Port() const { return m_port; }
    void CutAnswerOf(int16_t code) { m_cut = code; }
    int Requests(int16_t code) const {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_seen.begin(), m_seen.end(), code));
    }

private:
    void Run() {
        while (!m_stop) {
            if (net::WaitReadable(m_listen, net::DeadlineAfter(200)) != kChannelOk) continue;
            const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0) continue;
            Serve(client);
            ::close(client);
        }
    }
    // One client at a time: the screens have one connection.
    void Serve(int client) {
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(m_serverPort);
        if (::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(server);
            return;
        }
        ::fcntl(server, F_SETFL, O_NONBLOCK);
        _PacketHead head{};
        std::vector<char> body;
        while (!m_stop) {
            const int r = net::ReadFrame(client, head, body, net::DeadlineAfter(500));
            if (r == kChannelTimeout) continue;
            if (r != kChannelOk) break;
            {
                std::lock_guard lock(m_mutex);
                m_seen.push_back(head.nTransCode);
            }
            if (net::WriteFrame(server, head, body.data(), body.size(), net::DeadlineAfter(5000)) != kChannelOk) break;
            const int16_t code = head.nTransCode;
            if (net::ReadFrame(server, head, body, net::DeadlineAfter(30000)) != kChannelOk) break;
            if (code == m_cut.exchange(0)) break;  // the answer goes nowhere
            if (net::WriteFrame(client, head, body.data(), body.size(), net::DeadlineAfter(5000)) != kChannelOk) break;
        }
        ::close(server);
    }

    uint16_t m_serverPort;
    int m_listen = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int16_t> m_cut{0};
    mutable std::mutex m_mutex;
    std::vector<int16_t> m_seen;
    std::thread m_thread;
};

class ServerRestart : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::temp_directory_path() /
                ("kelmor-restart-" + std::to_string(::getpid()) + "-" + test->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        m_file = (m_dir / "kelmor.db").string();
        m_server = std::make_unique<ServerProcess>(m_file, FreePort());
        ASSERT_TRUE(m_server->Start(true));
        std::string error;
        m_db = db::Open(m_file, &error);
        ASSERT_TRUE(m_db) << error;
        SetStaticDatabase(m_db);
        CBASEBASE::SetLoginUser("demo");
    }
    void TearDown() override {
        EXPECT_TRUE(driver->Problems().empty()) << ::testing::PrintToString(driver->Problems());
        EXPECT_EQ(driver->WaitCursorDepth(), 0);
        InstallChannel(nullptr);
        SetStaticDatabase(nullptr);
        CBASEBASE::SetLoginUser("");
        m_db.reset();
        m_server.reset();
        std::filesystem::remove_all(m_dir);
    }

    std::shared_ptr<net::SessionChannel> LogOn(uint16_t port) {
        net::SessionOptions options;
        options.reconnectBudgetMs = 3000;
        auto channel = std::make_shared<net::SessionChannel>(std::vector<net::ServerAddress>{{"127.0.0.1", port}},
                                                             "demo", "demo", options);
        channel->OnWaiting([](bool waiting) {
            auto d = win::InstalledDriver();
            waiting ? d->BeginWaitCursor() : d->EndWaitCursor();
        });
        EXPECT_TRUE(channel->Open().ok());
        InstallChannel(channel);
        return channel;
    }
    std::string StoredName(const char* code) {
        const auto rs = m_db->Query("SELECT c_nme_cn FROM t_ri_company WHERE c_ri_cde = ?", {std::string(code)});
        return rs && !rs->rows.empty() ? std::get<std::string>(rs->rows[0][0].v) : std::string();
    }
    static int RowOf(win::DialogActions& a, const char* code) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        for (int r = 1; r < grid.GetRowCount(); ++r)
            if (grid.GetItemText(r, List::COL_CODE) == code) return r;
        return -1;
    }
    // Data rows in every grid and list of the dialog.
    static int DataRows(win::DialogActions& a) {
        int rows = 0;
        for (CWnd* control : a.Dialog().Controls()) {
            if (auto* grid = dynamic_cast<CQXGrid*>(control))
                rows += grid->GetRowCount() - grid->GetFixedRowCount();
            else if (auto* list = dynamic_cast<CListCtrl*>(control))
                rows += list->GetItemCount();
        }
        return rows;
    }
    bool Told(const std::string& text) {
        for (const std::string& m : driver->MessageTexts())
            if (m.find(text) != std::string::npos) return true;
        return false;
    }

    std::filesystem::path m_dir;
    std::string m_file;
    std::unique_ptr<ServerProcess> m_server;
    std::shared_ptr<db::Connection> m_db;
    win::ScopedHeadlessDriver driver;
};

TEST_F(ServerRestart, ASaveWhileTheServerIsDownKeepsTheFormAndGoesThroughOnceItIsBack) {
    auto channel = LogOn(m_server->Port());
    driver->Then("再保公司设置[检索]", [&](win::DialogActions& a) {
        a.DoubleClickRow(List::IDC_GRID, RowOf(a, "01"));
        EXPECT_EQ(GridOf(a, List::IDC_GRID).GetItemText(RowOf(a, "01"), List::COL_CHN_NAME), "甲再保险（改）");
        a.Click(IDCANCEL);
    });
    driver->Then("再保公司[修改]", [&](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CHN_NAME, "甲再保险（改）");
        m_server->Stop();
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_TRUE(Told(kel::ChannelErrorText(kChannelUnreachable)))
            << ::testing::PrintToString(driver->MessageTexts());
        EXPECT_FALSE(channel->State().connected);
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "甲再保险（改）");

        ASSERT_TRUE(m_server->Start(false));
        driver->ClearRecords();
        a.Click(IDOK);  // the same save, nothing else
        EXPECT_TRUE(a.Ended());
        EXPECT_TRUE(driver->MessageTexts().empty()) << ::testing::PrintToString(driver->MessageTexts());
    });
    Call_Kelmor_Dialog(25005, 0);
    EXPECT_EQ(StoredName("01"), "甲再保险（改）");
    EXPECT_TRUE(channel->State().connected);
    EXPECT_GE(channel->Reconnects(), 1);
}

TEST_F(ServerRestart, ASaveWhoseAnswerIsCutIsNotSentAgainAndTheClerkIsTold) {
    CuttingProxy proxy(m_server->Port());
    auto channel = LogOn(proxy.Port());
    driver->Then("再保公司设置[检索]", [&](win::DialogActions& a) {
        a.DoubleClickRow(List::IDC_GRID, RowOf(a, "01"));
        a.Click(IDCANCEL);
    });
    driver->Then("再保公司[修改]", [&](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CHN_NAME, "甲再保险（改）");
        proxy.CutAnswerOf(183);
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());  // what was typed stays for the clerk to check
        EXPECT_TRUE(Told(kel::ChannelErrorText(kChannelAnswerLost)))
            << ::testing::PrintToString(driver->MessageTexts());
        EXPECT_EQ(a.Text(Form::IDC_EDT_CHN_NAME), "甲再保险（改）");
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25005, 0);
    EXPECT_EQ(proxy.Requests(183), 1);
    EXPECT_EQ(StoredName("01"), "甲再保险（改）");  // the server had carried it out
    EXPECT_TRUE(channel->State().connected);
}

TEST_F(ServerRestart, EveryScreenOpenedWhileNoServerAnswersSaysSoOnceAndClaimsNoData) {
    auto channel = LogOn(m_server->Port());
    m_server->Stop();
    const std::string unreachable = std::string(kel::ChannelErrorText(kChannelUnreachable)) + "!";
    for (const ScreenEntry& screen : ScreenTable()) {
        driver->ClearRecords();
        if (!screen.make) {
            EXPECT_EQ(Call_Kelmor_Dialog(screen.number, 0), 0);  // the count: the host shows it as unknown
        } else {
            driver->Then(screen.caption, [&](win::DialogActions& a) {
                EXPECT_EQ(DataRows(a), 0) << screen.number;
                // The prompt switches cannot say "off" for what was not read.
                if (screen.number == 0 || screen.number == 12)
                    for (int id = CS0000SD::IDC_CHK_A; id <= CS0000SD::IDC_CHK_E; ++id)
                        EXPECT_FALSE(a.Enabled(id)) << id;
                a.Click(IDCANCEL);
            });
            Call_Kelmor_Dialog(screen.number, 0);
        }
        // One message at most (the screens that read nothing on opening say
        // nothing), and it is the one that tells of the server.
        const auto told = driver->MessageTexts();
        EXPECT_LE(told.size(), 1u) << screen.number << ::testing::PrintToString(told);
        for (const std::string& m : told) EXPECT_EQ(m, unreachable) << screen.number;
    }

    // A month of the treaty order that could not be read is not an empty month.
    driver->ClearRecords();
    driver->Then("合约次序设置[检索]", [&](win::DialogActions& a) {
        a.Type(CS0000S6::IDC_DATE_MONTH, "202401").Click(CS0000S6::IDC_BTN_SEARCH);
        a.Click(CS0000S6::IDC_BTN_BATCH_ADD);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25010, 0);
    EXPECT_EQ(driver->MessageTexts(), (std::vector<std::string>{unreachable, "合约次序未能读取，请重新检索！"}));

    // The server back: the same screens read as before, without a word.
    ASSERT_TRUE(m_server->Start(false));
    driver->ClearRecords();
    driver->Then("再保公司设置[检索]", [&](win::DialogActions& a) {
        EXPECT_GT(DataRows(a), 0);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25005, 0);
    EXPECT_GT(Call_Kelmor_Dialog(13, 0), 0);
    EXPECT_TRUE(driver->MessageTexts().empty()) << ::testing::PrintToString(driver->MessageTexts());
    EXPECT_TRUE(channel->State().connected);
}

TEST_F(ServerRestart, AFormGivenUpWhileNoServerAnswersCostsOneMessageNotASecondOnItsList) {
    LogOn(m_server->Port());
    const std::string unreachable = std::string(kel::ChannelErrorText(kChannelUnreachable)) + "!";
    int listed = 0;
    // Treaty codes: the form's save finds no server; given up, its list is not read
    // again only to say so a second time.
    driver->Then("合约代码设置[检索]", [&](win::DialogActions& a) {
        listed = GridOf(a, CS0000S2::IDC_GRID).GetRowCount();
        a.DoubleClickRow(CS0000S2::IDC_GRID, 1);
        EXPECT_EQ(GridOf(a, CS0000S2::IDC_GRID).GetRowCount(), listed);
        a.Click(IDCANCEL);
    });
    driver->Then("合约代码设置[编辑]", [&](win::DialogActions& a) {
        m_server->Stop();
        a.Type(CS0000S20::IDC_EDT_CHN_NAME, "改名");
        a.Click(IDOK);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25001, 0);
    EXPECT_GT(listed, 1);
    EXPECT_EQ(driver->MessageTexts(), std::vector<std::string>{unreachable});

    // Treaty data: the same for the search behind the form.
    ASSERT_TRUE(m_server->Start(false));
    driver->ClearRecords();
    driver->Then("合约资料设置[检索]", [&](win::DialogActions& a) {
        a.Type(CS0000S7::IDC_EDT_YEAR, "2024").Click(CS0000S7::IDC_BTN_SEARCH);
        listed = GridOf(a, CS0000S7::IDC_GRID).GetRowCount();
        a.DoubleClickRow(CS0000S7::IDC_GRID, 2);  // Q1, whose shares total 1
        EXPECT_EQ(GridOf(a, CS0000S7::IDC_GRID).GetRowCount(), listed);
        a.Click(IDCANCEL);
    });
    driver->Then("合约资料设置[编辑]", [&](win::DialogActions& a) {
        m_server->Stop();
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25013, 0);
    EXPECT_GT(listed, 1);
    EXPECT_EQ(driver->MessageTexts(), std::vector<std::string>{unreachable});
}

}  // namespace
}  // namespace kel::testing
