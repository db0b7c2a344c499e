// Concurrent edits are refused, never lost: a connection that saves or deletes a
// record someone changed since it read it is refused until it reads it again; its
// own saves it knows; a record it never read is saved as before. An older database
// gains the versions when a server opens it.
#include <regex>

#include "common/db/CodeLists.h"
#include "server/Store.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;
using Versions = ServerTest;

// Two connections read the same record; the first one's save wins, the second
// is refused until it has read the record again, and then the first is stale.
template <class Read, class Save>
void Race(Read read, Save save, const char* what) {
    SCOPED_TRACE(what);
    ConnectionContext a{"demo"}, b{"demo"};
    read(a);
    read(b);
    EXPECT_EQ(save(a), 0);
    EXPECT_EQ(save(b), kRefused);  // b would overwrite what a saved
    EXPECT_EQ(save(b), kRefused);  // and stays refused
    read(b);
    EXPECT_EQ(save(b), 0);
    EXPECT_EQ(save(b), 0);  // its own save it knows
    EXPECT_EQ(save(a), kRefused);
}

TEST_P(Versions, EveryRecordAScreenReadsAndSavesIsRefusedWhenChangedSinceTheRead) {
    Seed();
    auto reads = [&](int code, std::string key = {}) {
        return [this, code, key](ConnectionContext& who) { ASSERT_EQ(SendAs(who, code, key).Status(), 0) << code; };
    };
    int round = 0;
    auto saves = [&](int code, auto record, auto change, int32_t op = kOpUpdate, int16_t count = 1) {
        return [=, this, &round](ConnectionContext& who) mutable {
            change(record, ++round);
            return SendAs(who, code, Bytes(record), op, count).Status();
        };
    };

    _ContCodeStruct code{};
    Set(code.szContCode, "Q1");
    code.cContType = 'A';
    Race(reads(180), saves(181, code, [](auto& r, int n) { Set(r.szChnName, "成数" + std::to_string(n)); }),
         "treaty code");

    _RICompanyStruct ri{};
    Set(ri.szRICode, "01");
    Race(reads(182),
         saves(
             183, ri, [](auto& r, int n) { Set(r.szChnName, "再保" + std::to_string(n)); }, kOpUpdate, 0),
         "reinsurer");
    _RILookupStruct lookup{};
    Set(lookup.szRICode, "02");
    Set(ri.szRICode, "02");
    Race(reads(3019, Bytes(lookup)),
         saves(
             183, ri, [](auto& r, int n) { Set(r.szCapital, std::to_string(n)); }, kOpUpdate, 0),
         "reinsurer looked up");

    _RIAgentStruct entry{};
    Set(entry.szBrokerCode, "B1");
    Set(entry.szRICode, "B101");
    Set(entry.szChnName, "甲");
    ASSERT_EQ(SendRecord(217, entry, kOpInsert).Status(), 0);
    _RICodeKey broker{};
    Set(broker.szRICode, "B1");
    Race(reads(216, Bytes(broker)),
         saves(217, entry, [](auto& r, int n) { Set(r.szContact, "联系人" + std::to_string(n)); }), "broker entry");

    Treaty t = MakeTreaty("Q1", "20300101", "V-2030");
    t.reins = {Participant("01", 0.6), Participant("02", 0.4)};
    t.risk = {ProductRow("0101", "01", 1000000)};
    const int32_t id = InsertTreaty(t);
    t.info.nContId = id;
    _ContYearKey year{};
    Set(year.szStartDate, "2030");
    Race(
        reads(186, Bytes(year)),
        [&](ConnectionContext& who) {
            t.info.nLines = ++round;
            return SendAs(who, 187, t.Body(187), kOpUpdate).Status();
        },
        "treaty data");

    _SectionStruct section{};
    section.nContId = id;
    Set(section.szSectCode, "S1");
    ASSERT_EQ(SendRecord(192, section, kOpInsert).Status(), 0);
    section.nSectId = static_cast<int32_t>(Count("SELECT MAX(n_sect_id) FROM t_cont_section"));
    Race(reads(191, Key<64>(id)), saves(192, section, [](auto& r, int n) { r.dCommRate = n / 100.0; }), "section");

    _InsrncSectStruct cls{};
    cls.nContId = id;
    Set(cls.szClassCode, "C1");
    ASSERT_EQ(SendRecord(199, cls, kOpInsert).Status(), 0);
    Race(reads(198, Key<64>(id)),
         saves(199, cls, [](auto& r, int n) { Set(r.szClassName, "险类" + std::to_string(n)); }), "class");

    // A section's and a class's product sets belong to them: read with the list.
    _SectDetailStruct sectProduct{};
    sectProduct.nSectId = section.nSectId;
    Race(
        reads(191, Key<64>(id)),
        [&](ConnectionContext& who) {
            Set(sectProduct.szProdCode, ++round % 2 ? "0101" : "0102");
            return SendAs(who, 194, Bytes(sectProduct), kOpInsert).Status();
        },
        "section products");
    _InsrClassDtlStruct classProduct{};
    classProduct.nContId = id;
    Set(classProduct.szClassCode, "C1");
    Race(
        reads(198, Key<64>(id)),
        [&](ConnectionContext& who) {
            Set(classProduct.szProdCode, ++round % 2 ? "0101" : "0102");
            return SendAs(who, 212, Bytes(classProduct), kOpInsert).Status();
        },
        "class products");

    ASSERT_EQ(SendRecord(200, t.info).Status(), 0);
    _ContDetailStruct filter{};
    filter.nContId = id;
    auto line = SendRecord(205, filter).Records<_ContDetailStruct>().at(0);
    Race(reads(205, Bytes(filter)), saves(206, line, [](auto& r, int n) { r.dCommRate = n / 100.0; }), "detail line");
}

TEST_P(Versions, ADeleteOfAChangedRecordIsRefusedAndANeverReadRecordIsSavedAsBefore) {
    Seed();
    ConnectionContext reader{"demo"}, writer{"demo"}, blind{"demo"};
    ASSERT_EQ(SendAs(reader, 182).Status(), 0);
    _RICompanyStruct ri{};
    Set(ri.szRICode, "03");
    Set(ri.szChnName, "丙再保险（新）");
    ASSERT_EQ(SendAs(writer, 183, Bytes(ri), kOpUpdate, 0).Status(), 0);
    _RICodeKey key{};
    Set(key.szRICode, "03");
    EXPECT_EQ(SendAs(reader, 214, Bytes(key), kOpDelete).Status(), kRefused);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_ri_company WHERE c_ri_cde = '03'"), 1);
    EXPECT_EQ(SendAs(blind, 183, Bytes(ri), kOpUpdate, 0).Status(), 0);  // never read: saved
    ASSERT_EQ(SendAs(reader, 3019,
                     [&] {
                         _RILookupStruct l{};
                         Set(l.szRICode, "03");
                         return Bytes(l);
                     }())
                  .Status(),
              0);
    EXPECT_EQ(SendAs(reader, 214, Bytes(key), kOpDelete).Status(), 0);

    // Details generated again are new lines: one read before is refused.
    Treaty t = MakeTreaty("Q1", "20300101", "V-2030");
    t.reins = {Participant("01", 1.0)};
    t.risk = {ProductRow("0101", "01", 1000000)};
    t.info.nContId = InsertTreaty(t);
    ASSERT_EQ(SendRecord(200, t.info).Status(), 0);
    _ContDetailStruct filter{};
    filter.nContId = t.info.nContId;
    const auto line = SendAs(reader, 205, Bytes(filter)).Records<_ContDetailStruct>().at(0);
    ASSERT_EQ(SendAs(writer, 200, Bytes(t.info)).Status(), 0);
    EXPECT_EQ(SendAs(reader, 206, Bytes(line), kOpUpdate).Status(), kRefused);
}

TEST_P(Versions, AConnectionThatReadMoreThanItCanRememberRefusesAStaleSaveOfWhatItForgot) {
    Seed();
    ConnectionContext reader{"demo"}, writer{"demo"};
    _ContCodeStruct code{};
    Set(code.szContCode, "Q1");
    Set(code.szChnName, "改名");
    code.cContType = 'A';
    ASSERT_EQ(SendAs(reader, 180).Status(), 0);
    ASSERT_EQ(SendAs(writer, 180).Status(), 0);
    ASSERT_EQ(SendAs(writer, 181, Bytes(code), kOpUpdate).Status(), 0);

    // Then the reader reads more records than a connection remembers (in answers
    // of 22,000 treaty data records, starting "1…", "2…" and "3…"): the oldest go.
    const int perAnswer = 22000;
    const int answers = static_cast<int>(ConnectionContext::kMaxVersions / perAnswer + 1);
    const std::string serial = Db().Dialect() == "sqlite" ? "substr('0000000' || i, -7)" : "lpad(i::text, 7, '0')";
    for (int a = 1; a <= answers; ++a) {
        const std::string from = std::to_string((a - 1) * perAnswer + 1), to = std::to_string(a * perAnswer);
        ASSERT_GE(
            Db().Execute("WITH RECURSIVE n(i) AS (SELECT " + from + " UNION ALL SELECT i + 1 FROM n WHERE i < " + to +
                         ") INSERT INTO t_cont_info (n_cont_id, c_cont_code, c_start_date, c_end_date, "
                         "n_comm_rate, n_data_rev) SELECT i, 'Q1', '" +
                         std::to_string(a) + "' || " + serial + ", '29991231', 0.25, 1 FROM n"),
            0)
            << Db().LastError();
        _ContYearKey year{};
        Set(year.szStartDate, std::to_string(a));
        const Reply r = SendAs(reader, 186, Bytes(year));
        ASSERT_EQ(r.Status(), 0);
        ASSERT_EQ(r.Count(), perAnswer);
    }
    // It no longer knows which version of Q1 it read: the save cannot be checked.
    Set(code.szChnName, "旧名");
    EXPECT_EQ(SendAs(reader, 181, Bytes(code), kOpUpdate).Status(), kRefused);
    EXPECT_EQ(Text("SELECT c_name_cn FROM t_cont_code WHERE c_cont_code = 'Q1'"), "改名");
    ASSERT_EQ(SendAs(reader, 180).Status(), 0);
    EXPECT_EQ(SendAs(reader, 181, Bytes(code), kOpUpdate).Status(), 0);
}

// The schema of the server before records carried versions.
std::string WithoutVersions(const std::string& schema) {
    std::string out;
    std::size_t at = 0;
    while (at < schema.size()) {
        const std::size_t end = std::min(schema.find('\n', at), schema.size());
        const std::string line = schema.substr(at, end - at);
        if (line.find("n_version") == std::string::npos) out += line + '\n';
        at = end + 1;
    }
    return std::regex_replace(out, std::regex(",(\\s*)\\)"), "$1)");
}

TEST_P(Versions, AnOlderDatabaseGainsTheVersionsWhenOpened) {
    std::unique_ptr<PgDatabase> pg;
    std::string target = (dir_ ? (dir_->Path() / "older.db").string() : "");
    if (!dir_) {
        pg = std::make_unique<PgDatabase>();
        target = pg->Conn();
    }
    {
        std::string error;
        auto db = kel::db::Open(target, &error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(kel::db::ApplySchema(*db, WithoutVersions(kel::codelist::CodeListSchemaSql()), &error)) << error;
        ASSERT_TRUE(kel::db::ApplySchema(*db, WithoutVersions(ServerSchemaSql()), &error)) << error;
        ASSERT_FALSE(db->Query("SELECT n_version FROM t_ri_company"));
        ASSERT_GE(db->Execute("INSERT INTO t_ri_company (c_ri_cde, c_nme_cn) VALUES ('01', '甲再保险')"), 0);
    }
    for (int open = 0; open < 2; ++open) {  // the second time there is nothing to add
        std::string error;
        auto server = Server::Open(target, &error);
        ASSERT_TRUE(server) << error;
        ConnectionContext a{"demo"}, b{"demo"};
        _PacketHead head{};
        head.nTransCode = 182;
        head.nCount = 1;
        Reply r;
        server->Handle(a, head, {}, r.head, r.body);
        server->Handle(b, head, {}, r.head, r.body);
        ASSERT_EQ(r.Status(), 0);
        _RICompanyStruct ri = r.Records<_RICompanyStruct>().at(0);
        head = _PacketHead{};
        head.nTransCode = 183;
        head.nOperation = kOpUpdate;
        server->Handle(a, head, Bytes(ri), r.head, r.body);
        EXPECT_EQ(r.Status(), 0);
        server->Handle(b, head, Bytes(ri), r.head, r.body);
        EXPECT_EQ(r.Status(), kRefused);
    }
}

KELMOR_SERVER_BACKENDS(Versions);

}  // namespace
}  // namespace kel::server::test
