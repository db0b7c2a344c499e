// The column table of a record: the statements' column lists, the checked request
// values and the packed answer come from the same rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "common/records/Records.h"
#include "common/text/GbkText.h"
#include "server/ColumnTable.h"

namespace kel::server {
namespace {

using C = ColumnsOf<_ContRiskStruct>;
const ColumnTable<_ContRiskStruct> kTable{
    C::Required(&_ContRiskStruct::szProdCode, "c_prod_no", "product code").Max(4),
    C::Text(&_ContRiskStruct::szRiskLevel, "c_risk_lvl", "risk level").TrimRight(),
    C::Letter(&_ContRiskStruct::cSetType, "c_set_type", "setting type"),
    C::Real(&_ContRiskStruct::fQuotaRatio, "n_quota_ratio", "quota share").Bounded(records::kFractionBound),
    C::Real(&_ContRiskStruct::dRetention, "n_retention", "retention").Bounded(records::kAmountBound),
    C::Int(&_ContRiskStruct::nLines, "n_lines").Uses(kSelect | kInsert),
    C::NumberText(&_ContRiskStruct::szVipLimit, "c_vip_limit", "VIP limit").Uses(kSelect),
};

_ContRiskStruct Row() {
    _ContRiskStruct r{};
    text::PutField(r.szProdCode, "0102");
    text::PutField(r.szRiskLevel, "高 ");
    r.cSetType = 'T';
    r.fQuotaRatio = 0.3f;
    r.dRetention = 9999999999.99;
    r.nLines = 5;
    return r;
}

Status StatusOf(const _ContRiskStruct& r) {
    try {
        kTable.Values(r, kInsert);
        return kOk;
    } catch (const Fault& f) {
        return f.status();
    }
}

TEST(ColumnTable, EachStatementTakesTheColumnsOfItsUse) {
    EXPECT_EQ(kTable.Names(kSelect, "r."),
              "r.c_prod_no, r.c_risk_lvl, r.c_set_type, r.n_quota_ratio, r.n_retention, r.n_lines, r.c_vip_limit");
    EXPECT_EQ(kTable.Names(kInsert), "c_prod_no, c_risk_lvl, c_set_type, n_quota_ratio, n_retention, n_lines");
    EXPECT_EQ(kTable.Assignments(kUpdate),
              "c_prod_no = ?, c_risk_lvl = ?, c_set_type = ?, n_quota_ratio = ?, n_retention = ?");
    EXPECT_EQ(kTable.Count(kUpdate), 5u);

    const sql::Params values = kTable.Values(Row(), kInsert);
    ASSERT_EQ(values.size(), 6u);
    EXPECT_EQ(sql::Str(values[1]), "高");  // trailing blanks are not stored
    EXPECT_EQ(sql::Num(values[3]), 0.3);   // the float's decimal, not 0.30000001192092896
    EXPECT_EQ(sql::Int(kTable.ValueOf(values, "n_lines", kInsert)), 5);
    EXPECT_THROW(kTable.ValueOf(values, "c_vip_limit", kInsert), Fault);
}

TEST(ColumnTable, ARequestFieldThatBreaksItsRuleEndsTheRequest) {
    EXPECT_EQ(StatusOf(Row()), kOk);
    auto broken = [](auto change) {
        _ContRiskStruct r = Row();
        change(r);
        return StatusOf(r);
    };
    EXPECT_EQ(broken([](auto& r) { std::memset(r.szProdCode, 0, sizeof r.szProdCode); }), kBadRequest);    // required
    EXPECT_EQ(broken([](auto& r) { std::memset(r.szProdCode, 'A', sizeof r.szProdCode); }), kBadRequest);  // no NUL
    EXPECT_EQ(broken([](auto& r) { r.cSetType = '\x01'; }), kBadRequest);
    EXPECT_EQ(broken([](auto& r) { r.dRetention = std::nan(""); }), kBadRequest);
    EXPECT_EQ(broken([](auto& r) { r.fQuotaRatio = INFINITY; }), kBadRequest);
    // Bounds, at their edges and one step past.
    EXPECT_EQ(broken([](auto& r) { r.fQuotaRatio = 1.0f; }), kOk);
    EXPECT_EQ(broken([](auto& r) { r.fQuotaRatio = 0.0f; }), kOk);
    EXPECT_EQ(broken([](auto& r) { r.fQuotaRatio = std::nextafter(1.0f, 2.0f); }), kBadRequest);
    EXPECT_EQ(broken([](auto& r) { r.fQuotaRatio = -0.01f; }), kBadRequest);
    EXPECT_EQ(broken([](auto& r) { r.dRetention = 9999999999999.99; }), kOk);
    EXPECT_EQ(broken([](auto& r) { r.dRetention = 10000000000000.0; }), kBadRequest);
    EXPECT_EQ(broken([](auto& r) { r.dRetention = -0.01; }), kBadRequest);
    // A field only the server fills is not looked at in a request.
    EXPECT_EQ(broken([](auto& r) { std::memset(r.szVipLimit, 'x', sizeof r.szVipLimit); }), kOk);
}

TEST(ColumnTable, AnAnswerIsPackedFromTheSelectedRowInTableOrder) {
    const sql::Row row{sql::Value("leading"), sql::Value("0101"),     sql::Value("中"),       sql::Value("S"),
                       sql::Value(0.125),     sql::Value(int64_t{7}), sql::Value(int64_t{3}), sql::Value("12.5")};
    std::vector<char> body(1 + sizeof(_ContRiskStruct));  // packed into an unaligned place
    auto& r = *reinterpret_cast<_ContRiskStruct*>(body.data() + 1);
    std::size_t at = 1;
    kTable.Pack(row, at, r);
    EXPECT_EQ(at, row.size());
    EXPECT_EQ(text::GetField(r.szProdCode), "0101");
    EXPECT_EQ(text::GetField(r.szRiskLevel), "中");
    EXPECT_EQ(r.cSetType, 'S');
    // Numbers of the packed record are compared as values: a reference would be misaligned.
    EXPECT_EQ(+r.fQuotaRatio, 0.125f);
    EXPECT_EQ(+r.dRetention, 7.0);
    EXPECT_EQ(+r.nLines, 3);
    EXPECT_EQ(text::GetField(r.szVipLimit), "12.5");

    std::size_t short_at = 3;
    EXPECT_THROW(kTable.Pack(row, short_at, r), Fault);  // a row with fewer columns than the table
}

}  // namespace
}  // namespace kel::server
