// Numbers stored as they were typed: float fields as their decimals, noisy values
// of older stores cleaned when the store is opened.
#include "common/records/WireFloat.h"
#include "server/Sql.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;

class StoredNumbers : public ServerTest {
protected:
    std::vector<double> Reals(const std::string& sql) {
        std::vector<double> out;
        auto rs = Db().Query(sql);
        EXPECT_TRUE(rs) << sql << ": " << Db().LastError();
        if (rs)
            for (const auto& row : rs->rows) out.push_back(row[0].ToReal());
        return out;
    }
    void Reopen(std::function<void(std::string_view)> note) {
        server_.reset();
        ServerOptions options;
        options.note = std::move(note);
        std::string error;
        server_ = Server::Open(target_, &error, options);
        ASSERT_TRUE(server_) << error;
    }
};

TEST_P(StoredNumbers, FloatFieldsAreStoredAndGeneratedAsTheirDecimals) {
    Seed();
    // Quota shares are fractions; the coefficient takes the same values and its largest.
    const float quotas[] = {0.3f, 0.1f, 0.125f, 1.0f / 3.0f, 0.99996f, 0.0001f, 1.0f};
    const double decimals[] = {0.3, 0.1, 0.125, 0.33333334, 0.99996, 0.0001, 1.0};
    Treaty t = MakeTreaty("Q1", "20240101", "QS-2024");
    t.reins = {Participant("01", 1.0)};
    for (std::size_t i = 0; i < std::size(quotas); ++i) {
        const std::string level = "L" + std::to_string(i);
        t.risk.push_back(ProductRow("0101", level.c_str(), 1000, quotas[i]));
        t.risk.back().fCoinsCoef = quotas[i];
    }
    t.risk.back().fCoinsCoef = 99999.99f;
    const int32_t id = InsertTreaty(t);
    const std::string where = " FROM t_cont_risk WHERE n_cont_id = " + std::to_string(id) + " ORDER BY n_seq";
    const auto stored = Reals("SELECT n_quota_ratio" + where);
    const auto coefs = Reals("SELECT n_coins_coef" + where);
    ASSERT_EQ(stored.size(), std::size(decimals));
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i], decimals[i]) << i;
        EXPECT_EQ(coefs[i], i + 1 < stored.size() ? decimals[i] : 99999.99) << i;
    }

    // Read back, the records carry the very floats that were sent.
    Reply r = Send(190, Key<10>(id));
    ASSERT_EQ(r.Status(), 0);
    _ContSubListHead head{};
    std::memcpy(&head, r.body.data(), sizeof head);
    const auto risk = r.Records<_ContRiskStruct>(sizeof head + head.nReinsCount * sizeof(_ContReinsStruct));
    ASSERT_GE(risk.size(), std::size(quotas));
    for (std::size_t i = 0; i < std::size(quotas); ++i) {
        EXPECT_EQ(risk[i].fQuotaRatio, quotas[i]) << i;
        EXPECT_EQ(risk[i].fCoinsCoef, i + 1 < std::size(quotas) ? quotas[i] : 99999.99f) << i;
    }

    // The detail lines take the decimals over.
    _ContInfoStruct g{};
    g.nContId = id;
    Set(g.szContCode, "Q1");
    Set(g.szContNo, "QS-2024");
    ASSERT_EQ(SendRecord(200, g).Status(), 0);
    EXPECT_EQ(Reals("SELECT n_quota_ratio FROM t_cont_detail WHERE c_risk_lvl = 'L0'"),
              std::vector<double>(2, 0.3));  // one line per insuring company
}

TEST_P(StoredNumbers, OpeningAStoreCleansTheNoiseOfItsFloatColumnsOnce) {
    Seed();
    Treaty t = MakeTreaty("Q1", "20240101", "QS-2024");
    t.reins = {Participant("01", 1.0)};
    t.risk = {ProductRow("0101", "01", 1000), ProductRow("0102", "01", 1000, 0.125f)};
    const int32_t id = InsertTreaty(t);
    _ContInfoStruct g{};
    g.nContId = id;
    Set(g.szContCode, "Q1");
    Set(g.szContNo, "QS-2024");
    ASSERT_EQ(SendRecord(200, g).Status(), 0);

    // What an older server stored: the floats widened with their noise.
    const double noisy = static_cast<double>(0.3f);
    const sql::Params p{sql::Value(noisy)};
    sql::Execute(Db(), "UPDATE t_cont_risk SET n_quota_ratio = ?, n_coins_coef = ? WHERE c_prod_no = '0101'",
                 {sql::Value(noisy), sql::Value(noisy)});
    sql::Execute(Db(), "UPDATE t_cont_detail SET n_quota_ratio = ? WHERE c_prod_no = '0101'", p);
    // A double field is typed as a double: its value stays whatever it is.
    sql::Execute(Db(), "UPDATE t_cont_info SET n_quota_ratio = ?", p);
    // (A connection that carries doubles as text keeps 15 digits: 0.300000011920929.)
    ASSERT_NE(Reals("SELECT n_quota_ratio FROM t_cont_risk WHERE c_prod_no = '0101'"), std::vector<double>{0.3});
    const auto info = Reals("SELECT n_quota_ratio FROM t_cont_info");

    std::vector<std::string> notes;
    Reopen([&](std::string_view what) { notes.emplace_back(what); });
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("4 "), std::string::npos) << notes[0];  // two risk columns, two detail lines
    EXPECT_EQ(Reals("SELECT n_quota_ratio FROM t_cont_risk ORDER BY c_prod_no"), (std::vector<double>{0.3, 0.125}));
    EXPECT_EQ(Reals("SELECT n_coins_coef FROM t_cont_risk WHERE c_prod_no = '0101'"), std::vector<double>{0.3});
    EXPECT_EQ(Reals("SELECT DISTINCT n_quota_ratio FROM t_cont_detail WHERE c_prod_no = '0101'"),
              std::vector<double>{0.3});
    EXPECT_EQ(Reals("SELECT n_quota_ratio FROM t_cont_info"), info);

    notes.clear();
    Reopen([&](std::string_view what) { notes.emplace_back(what); });
    EXPECT_TRUE(notes.empty());  // a clean store is left as it is
}

TEST_P(StoredNumbers, AnAmountOrRatePastItsBoundNeverReachesTheStore) {
    Seed();
    auto treaty = [](const char* contNo) {
        Treaty t = MakeTreaty("Q1", "20240101", contNo);
        t.reins = {Participant("01", 1.0)};
        t.risk = {ProductRow("0101", "01", 1000)};
        return t;
    };
    // Each field at its edge is stored; one step past it, nothing is.
    Treaty edge = treaty("EDGE");
    edge.info.dCashLossLimit = 9999999999999.99;
    edge.info.dTaxRate = 1;
    edge.info.dCoinsLimitCoef = 99999.99;
    edge.reins[0].dLimit = 9999999999999.99;
    edge.risk[0].dContLimit = 9999999999999.99;
    edge.risk[0].fQuotaRatio = 1;
    Set(edge.risk[0].szVipLimit, "9999999999999.99");
    EXPECT_EQ(Send(189, edge.Body(189)).Status(), 0);

    const std::vector<std::function<void(Treaty&)>> past = {
        [](Treaty& t) { t.info.dCashLossLimit = 10000000000000; },
        [](Treaty& t) { t.info.dCashLossLimit = -0.01; },
        [](Treaty& t) { t.info.dTaxRate = 1.0001; },
        [](Treaty& t) { t.info.dCoinsLimitCoef = 100000; },
        [](Treaty& t) { t.reins[0].dLimit = 1e20; },
        [](Treaty& t) { t.reins[0].dShare = 1.5; },
        [](Treaty& t) { t.risk[0].dRetention = -1; },
        [](Treaty& t) { t.risk[0].fQuotaRatio = 1.01f; },
        [](Treaty& t) { t.risk[0].fCoinsCoef = 1e6f; },
        [](Treaty& t) { Set(t.risk[0].szVipLimit, "10000000000000"); },
        [](Treaty& t) {
            t.reins = {Participant("B1", 1.0)};
            t.extra = {SubReinsurer("B1", "02", "1.5", "1.0", 'A')};
        },
    };
    for (std::size_t i = 0; i < past.size(); ++i) {
        Treaty t = treaty(("PAST" + std::to_string(i)).c_str());
        past[i](t);
        EXPECT_EQ(Send(189, t.Body(189)).Status(), kBadRequest) << i;
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_info"), 1);

    // A section's commission rate and a detail adjustment's rate are fractions.
    const int32_t id = static_cast<int32_t>(Count("SELECT n_cont_id FROM t_cont_info"));
    _SectionStruct s{};
    s.nContId = id;
    s.dCommRate = 1.5;
    Set(s.szSectCode, "S1");
    EXPECT_EQ(SendRecord(192, s, kOpInsert).Status(), kBadRequest);
    _CommAdjustBody adjust{};
    adjust.nContId = id;
    adjust.dCommRate = 2;
    Set(adjust.szRICode, "01");
    EXPECT_EQ(Send(201, Bytes(adjust), kAdjustByReinsurer).Status(), kBadRequest);
    // A reinsurer's capital is a sum of at most seven integer digits.
    _RICompanyStruct ri{};
    Set(ri.szRICode, "Z1");
    Set(ri.szCapital, "12345678");
    EXPECT_EQ(Send(183, Bytes(ri), kOpInsert, 0).Status(), kBadRequest);
    Set(ri.szCapital, "9999999.999999");
    EXPECT_EQ(Send(183, Bytes(ri), kOpInsert, 0).Status(), 0);
}

KELMOR_SERVER_BACKENDS(StoredNumbers);

}  // namespace
}  // namespace kel::server::test
