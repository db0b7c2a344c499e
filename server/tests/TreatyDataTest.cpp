// Treaty data with its three lists (186..190).
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;
using TreatyData = ServerTest;

struct SubLists {
    _ContSubListHead head{};
    std::vector<_ContReinsStruct> reins;
    std::vector<_ContRiskStruct> risk;
    std::vector<_ContExtraStruct> extra;
};

SubLists Load(const Reply& r) {
    SubLists s;
    EXPECT_EQ(r.Status(), 0);
    if (r.body.size() < sizeof s.head) return s;
    std::memcpy(&s.head, r.body.data(), sizeof s.head);
    std::size_t at = sizeof s.head;
    auto take = [&](auto& list, int n) {
        list.resize(n);
        if (n > 0) std::memcpy(list.data(), r.body.data() + at, n * sizeof(list[0]));  // data() may be null
        at += n * sizeof(list[0]);
    };
    take(s.reins, s.head.nReinsCount);
    take(s.risk, s.head.nRiskCount);
    take(s.extra, s.head.nExtraCount);
    EXPECT_EQ(at, r.body.size());
    return s;
}

Treaty WithBroker() {
    Treaty t = MakeTreaty("Q1", "20240101", "QS-2024");
    t.info.dQuotaRatio = 0.35;
    t.reins = {Participant("B1", 0.5, 2e8), Participant("01", 0.5)};
    t.risk = {ProductRow("0102", "04", 3e7), ProductRow("0101", "01", 1.5e8)};
    t.extra = {SubReinsurer("B1", "02", "0.3000", "0.5000", 'A'), SubReinsurer("B1", "03", "0.2000", "0.5000", 'A')};
    return t;
}

TEST_P(TreatyData, AnInsertGetsAnIdentifierAndComesBackWithItsLists) {
    Seed();
    const int32_t id = InsertTreaty(WithBroker());
    ASSERT_GT(id, 0);
    EXPECT_EQ(InsertTreaty(MakeTreaty("S1", "20240101", "S1-2024")), id + 1);

    const SubLists s = Load(Send(190, Key<10>(id)));
    ASSERT_EQ(s.reins.size(), 2u);
    ASSERT_EQ(s.risk.size(), 2u);
    ASSERT_EQ(s.extra.size(), 2u);
    // Participants in code order, each pointing at its own sub-reinsurers.
    EXPECT_EQ(Get(s.reins[0].szRICode), "01");
    EXPECT_EQ(s.reins[0].nExtraCount, 0);
    EXPECT_EQ(Get(s.reins[1].szRICode), "B1");
    EXPECT_EQ(s.reins[1].nExtraStart, 0);
    EXPECT_EQ(s.reins[1].nExtraCount, 2);
    EXPECT_DOUBLE_EQ(s.reins[1].dLimit, 2e8);
    EXPECT_EQ(Get(s.risk[0].szProdCode), "0102");  // product rows in the order sent
    EXPECT_DOUBLE_EQ(s.risk[1].dContLimit, 1.5e8);
    EXPECT_FLOAT_EQ(s.risk[1].fQuotaRatio, 0.3f);
    EXPECT_EQ(Get(s.risk[1].szVipLimit), "0.00");
    EXPECT_EQ(Get(s.extra[0].szSubRICode), "02");
    EXPECT_EQ(Get(s.extra[1].szSubShare), "0.2000");
    EXPECT_NE(s.extra[0].cStatus, 'A');  // stored records are neither added nor deleted
    EXPECT_NE(s.extra[0].cStatus, 'D');

    EXPECT_EQ(Send(190, Key<10>(999)).Status(), kRefused);
    EXPECT_EQ(Send(190, std::string(10, '7')).Status(), kBadRequest);  // no NUL in the key
}

TEST_P(TreatyData, TheSearchAnswersEveryRecordWhoseStartDateBeginsWithTheKey) {
    Seed();
    InsertTreaty(WithBroker());
    InsertTreaty(MakeTreaty("S1", "20230701", "S1-2023"));
    InsertTreaty(MakeTreaty("X1", "20240401", "X1-2024"));
    auto search = [&](const char* key) {
        _ContYearKey k{};
        Set(k.szStartDate, key);
        return Send(186, Bytes(k)).Records<_ContInfoStruct>();
    };
    EXPECT_EQ(search("2024").size(), 2u);
    EXPECT_EQ(search("2023").size(), 1u);
    EXPECT_EQ(search("202404").size(), 1u);
    EXPECT_EQ(search("").size(), 3u);
    EXPECT_EQ(search("2025").size(), 0u);

    const auto found = search("2024");
    EXPECT_EQ(Get(found[0].szContCode), "Q1");
    EXPECT_EQ(Get(found[0].szContTypeName), "成数合约");
    EXPECT_EQ(found[0].cAttribute, 'A');
    EXPECT_DOUBLE_EQ(found[0].dQuotaRatio, 0.35);
    EXPECT_EQ(Get(found[0].szContNo), "QS-2024");
    EXPECT_EQ(Get(found[0].szUserCode), "demo");
    EXPECT_EQ(Get(found[1].szContTypeName), "非比例合约");
}

TEST_P(TreatyData, ASecondRecordForTheSameTreatyAndStartDateIsRefused) {
    Seed();
    InsertTreaty(WithBroker());
    Treaty again = MakeTreaty("Q1", "20240101", "QS-other");
    EXPECT_EQ(Send(189, again.Body(189)).Status(), kRefused);
    const int32_t other = InsertTreaty(MakeTreaty("Q1", "20230101", "QS-2023"));
    again.info.nContId = other;  // moving the 2023 record onto 2024
    EXPECT_EQ(Send(187, again.Body(187), kOpUpdate).Status(), kRefused);
    EXPECT_EQ(Send(189, MakeTreaty("ZZ", "20240101", "none").Body(189)).Status(), kRefused);  // unknown code
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_info"), 2);
}

TEST_P(TreatyData, AnUpdateReplacesTheListsAndAppliesTheSubReinsurerStatuses) {
    Seed();
    Treaty t = WithBroker();
    const int32_t id = InsertTreaty(t);
    t.info.nContId = id;
    t.info.dCommRate = 0.28;
    t.risk = {ProductRow("0401", "02", 9e7)};
    // The screen sends back what it loaded, marks edited records 'D' and appends new ones 'A'.
    t.extra = {SubReinsurer("B1", "02", "0.3000", "0.5000", 'N'), SubReinsurer("B1", "03", "0.2000", "0.5000", 'D'),
               SubReinsurer("B1", "01", "0.2000", "0.5000", 'A')};
    ASSERT_EQ(Send(187, t.Body(187), kOpUpdate).Status(), 0);
    SubLists s = Load(Send(190, Key<10>(id)));
    ASSERT_EQ(s.risk.size(), 1u);
    EXPECT_EQ(Get(s.risk[0].szProdCode), "0401");
    ASSERT_EQ(s.extra.size(), 2u);
    EXPECT_EQ(Get(s.extra[0].szSubRICode), "01");
    EXPECT_EQ(Get(s.extra[1].szSubRICode), "02");
    EXPECT_EQ(Text("SELECT n_comm_rate FROM t_cont_info WHERE n_cont_id = " + std::to_string(id)), "0.28");

    // Without the broker taking part its sub-reinsurers go too.
    t.reins = {Participant("01", 1.0)};
    t.extra = {};
    ASSERT_EQ(Send(187, t.Body(187), kOpUpdate).Status(), 0);
    s = Load(Send(190, Key<10>(id)));
    EXPECT_EQ(s.reins.size(), 1u);
    EXPECT_TRUE(s.extra.empty());

    t.info.nContId = 999;
    EXPECT_EQ(Send(187, t.Body(187), kOpUpdate).Status(), kRefused);
    t.info.nContId = id;
    t.reins = {Participant("01", 0.5), Participant("01", 0.5)};
    EXPECT_EQ(Send(187, t.Body(187), kOpUpdate).Status(), kRefused);  // a reinsurer twice
}

TEST_P(TreatyData, ADeleteTakesTheListsSectionsClassesAndDetailsAlong) {
    Seed();
    const int32_t id = InsertTreaty(WithBroker());
    const int32_t keep = InsertTreaty(MakeTreaty("S1", "20240101", "S1-2024"));
    _SectionStruct sect{};
    sect.nContId = id;
    Set(sect.szSectCode, "P1");
    ASSERT_EQ(SendRecord(192, sect, kOpInsert).Status(), 0);
    _InsrncSectStruct cls{};
    cls.nContId = id;
    Set(cls.szClassCode, "01");
    ASSERT_EQ(SendRecord(199, cls, kOpInsert).Status(), 0);
    _ContInfoStruct gen{};
    Set(gen.szContCode, "Q1");
    Set(gen.szContNo, "QS-2024");
    ASSERT_EQ(SendRecord(200, gen).Status(), 0);
    ASSERT_GT(Count("SELECT COUNT(*) FROM t_cont_detail"), 0);

    ASSERT_EQ(Send(188, Key<32>(id), kOpDelete).Status(), 0);
    EXPECT_EQ(Send(188, Key<32>(id), kOpDelete).Status(), kRefused);
    for (const char* table : {"t_cont_reins", "t_cont_risk", "t_cont_extra", "t_cont_section", "t_insrnc_sect",
                              "t_cont_detail", "t_cont_info"})
        EXPECT_EQ(Count(std::string("SELECT COUNT(*) FROM ") + table + " WHERE n_cont_id = " + std::to_string(id)), 0)
            << table;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_sect_detail"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_info WHERE n_cont_id = " + std::to_string(keep)), 1);
}

KELMOR_SERVER_BACKENDS(TreatyData);

}  // namespace
}  // namespace kel::server::test
