// The log-on check with salted hashes, and the embedded default with its demo data.
#include <map>
#include <set>

#include "common/net/Logon.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

Reply LogOn(Server& server, ConnectionContext& client, const char* user, const char* password,
            std::size_t size = sizeof(_LogonBody)) {
    _LogonBody body{};
    Set(body.szUserCode, user);
    Set(body.szPassword, password);
    _PacketHead head{};
    head.nTransCode = kel::net::kLogonTransCode;
    head.nCount = 1;
    head.nSubSystem = kSubSystemDefault;
    Reply r;
    server.Handle(client, head, std::string_view(reinterpret_cast<const char*>(&body), size), r.head, r.body);
    return r;
}

Reply Query(Server& server, ConnectionContext& client, int code, std::string_view body = {}) {
    _PacketHead head{};
    head.nTransCode = static_cast<int16_t>(code);
    head.nCount = 1;
    Reply r;
    server.Handle(client, head, body, r.head, r.body);
    return r;
}

TEST(EmbeddedServer, LoadsTheDemoDataOnceAndChecksLogOns) {
    TempDir dir;
    const std::string path = (dir.Path() / "kelmor.db").string();
    std::string error;
    auto server = OpenEmbedded(path, &error);
    ASSERT_TRUE(server) << error;
    ConnectionContext logon, client{"demo"};

    EXPECT_EQ(LogOn(*server, logon, "demo", "demo").Status(), 0);
    EXPECT_EQ(LogOn(*server, logon, "demo", "wrong").Status(), kRefused);
    EXPECT_EQ(LogOn(*server, logon, "nobody", "demo").Status(), kRefused);
    EXPECT_EQ(LogOn(*server, logon, "demo", "demo", 63).Status(), kBadRequest);
    EXPECT_TRUE(server->SetUser("zhou", "周", "新密码"));
    EXPECT_EQ(LogOn(*server, logon, "zhou", "新密码").Status(), 0);

    // Something for every screen: reinsurers and brokers, treaty codes of every
    // type, treaty data for two years with generated details, rates, orders, prompts.
    const auto reinsurers = Query(*server, client, 182).Records<_RICompanyStruct>();
    EXPECT_GE(reinsurers.size(), 18u);
    std::set<char> kinds, types;
    for (const auto& r : reinsurers) kinds.insert(r.cCompKind);
    EXPECT_EQ(kinds, (std::set<char>{'A', 'B'}));
    for (const auto& c : Query(*server, client, 180).Records<_ContCodeStruct>()) types.insert(c.cContType);
    EXPECT_EQ(types, (std::set<char>{'A', 'C', 'D', 'E', 'F', 'G', 'H'}));
    for (const char* year : {"2023", "2024"}) {
        _ContYearKey key{};
        Set(key.szStartDate, year);
        EXPECT_GE(Query(*server, client, 186, Bytes(key)).Count(), 5) << year;
    }
    EXPECT_GT(Query(*server, client, 210).Count(), 0);
    _UserCodeBody demo{};
    Set(demo.szUserCode, "demo");
    EXPECT_GT(Query(*server, client, 166, Bytes(demo)).Count(), 0);

    // Passwords are stored as salted hashes only: the demo users' published ones
    // cheaply, a password somebody set at the full cost.
    auto db = kel::db::Open(path);
    ASSERT_TRUE(db);
    const auto rs = db->Query(
        "SELECT c_user_cde, c_pwd_hash FROM t_user WHERE c_user_cde IN ('demo', 'zhou') "
        "ORDER BY c_user_cde");
    ASSERT_TRUE(rs && rs->rows.size() == 2);
    EXPECT_EQ(rs->rows[0][1].ToText().rfind("$6$", 0), 0u);
    EXPECT_EQ(rs->rows[1][1].ToText().rfind("$y$", 0), 0u);
    const auto details = db->Query("SELECT COUNT(*) FROM t_cont_detail");
    ASSERT_TRUE(details);
    const std::string lines = details->rows[0][0].ToText();
    EXPECT_NE(lines, "0");

    // A second start finds the data and loads nothing again.
    server.reset();
    server = OpenEmbedded(path, &error);
    ASSERT_TRUE(server) << error;
    EXPECT_EQ(Query(*server, client, 182).Count(), static_cast<int>(reinsurers.size()));
    EXPECT_EQ(db->Query("SELECT COUNT(*) FROM t_cont_detail")->rows[0][0].ToText(), lines);
    EXPECT_FALSE(server->LoadDemoData(&error));
}

// The broker form's look-up copies a reinsurer's company property into the entry's
// kind (A domestic, B foreign): the demo's properties must mean just that.
TEST(EmbeddedServer, DemoCompanyPropertiesAreTheKindsABrokerEntryTakesOver) {
    TempDir dir;
    std::string error;
    auto server = OpenEmbedded((dir.Path() / "kelmor.db").string(), &error);
    ASSERT_TRUE(server) << error;
    ConnectionContext client{"demo"};
    auto db = kel::db::Open((dir.Path() / "kelmor.db").string());
    ASSERT_TRUE(db);
    const auto properties = db->Query("SELECT c_prop_cde, c_prop_nme FROM t_com_property ORDER BY c_prop_cde");
    ASSERT_TRUE(properties && properties->rows.size() == 2);
    EXPECT_EQ(properties->rows[0][0].ToText() + properties->rows[0][1].ToText(), "A境内");
    EXPECT_EQ(properties->rows[1][0].ToText() + properties->rows[1][1].ToText(), "B境外");

    std::map<std::string, char> property;
    for (const auto& r : Query(*server, client, 182).Records<_RICompanyStruct>()) {
        EXPECT_EQ(r.cCompProp, Get(r.szCountry) == "CN" ? 'A' : 'B') << Get(r.szRICode);
        property[Get(r.szRICode)] = r.cCompProp;
    }
    for (const char* broker : {"B1", "B2", "B3"}) {
        _RICodeKey key{};
        Set(key.szRICode, broker);
        const auto entries = Query(*server, client, 216, Bytes(key)).Records<_RIAgentStruct>();
        EXPECT_FALSE(entries.empty()) << broker;
        for (const auto& e : entries) {
            // An entry's code is the broker's code and the reinsurer's.
            const std::string code = Get(e.szRICode);
            ASSERT_EQ(code.rfind(broker, 0), 0u) << code;
            EXPECT_EQ(e.cKind, property.at(code.substr(2))) << code;
        }
    }
}

}  // namespace
}  // namespace kel::server::test
