// Records written through their members come out at the wire offsets,
// little-endian, and text fields read back through the text helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/records/Records.h"
#include "common/text/GbkText.h"

using kel::text::GetField;
using kel::text::PutField;
using kel::text::PutResult;

namespace {

template <class T>
std::vector<unsigned char> Bytes(const T& record) {
    std::vector<unsigned char> out(sizeof(T));
    std::memcpy(out.data(), &record, sizeof(T));
    return out;
}

std::string At(const std::vector<unsigned char>& bytes, std::size_t offset, std::size_t len) {
    return std::string(reinterpret_cast<const char*>(bytes.data()) + offset, len);
}

}  // namespace

TEST(RecordLayout, TreatyDataFieldsLandAtTheirOffsets) {
    _ContInfoStruct rec{};
    rec.nContId = 0x01020304;
    rec.dCommRate = 0.25;
    rec.dNetPremTaxRate = 0.06;
    rec.cNetPremFlag = '1';
    ASSERT_EQ(PutField(rec.szContCode, "Q1"), PutResult::Ok);
    ASSERT_EQ(PutField(rec.szStartDate, "20240101"), PutResult::Ok);
    ASSERT_EQ(PutField(rec.szLeadRICode, "R001"), PutResult::Ok);
    ASSERT_EQ(PutField(rec.szContTypeName, "成数合约"), PutResult::Ok);
    ASSERT_EQ(PutField(rec.szContNo, "HT-2024-01"), PutResult::Ok);

    const auto b = Bytes(rec);
    EXPECT_EQ(At(b, 0, 4), std::string("\x04\x03\x02\x01", 4));  // little-endian
    double d = 0;
    std::memcpy(&d, b.data() + 52, 8);
    EXPECT_EQ(d, 0.25);
    std::memcpy(&d, b.data() + 304, 8);
    EXPECT_EQ(d, 0.06);
    EXPECT_EQ(b[300], '1');
    EXPECT_EQ(At(b, 141, 3), std::string("Q1\0", 3));
    EXPECT_EQ(At(b, 144, 9), std::string("20240101\0", 9));
    EXPECT_EQ(At(b, 174, 5), std::string("R001\0", 5));
    EXPECT_EQ(At(b, 260, 9), std::string("\xB3\xC9\xCA\xFD\xBA\xCF\xD4\xBC\0", 9));  // GBK
    EXPECT_EQ(At(b, 280, 11), std::string("HT-2024-01\0", 11));

    // Read back from a copy of the raw bytes, as an answer would arrive.
    _ContInfoStruct back;
    std::memcpy(&back, b.data(), sizeof back);
    EXPECT_EQ(GetField(back.szContTypeName), "成数合约");
    EXPECT_EQ(GetField(back.szStartDate), "20240101");
    EXPECT_EQ(back.nContId, 0x01020304);
}

TEST(RecordLayout, ReinsurerTextsFillTheirWidthsAndNoMore) {
    _RICompanyStruct rec{};
    // 30 Chinese characters are 60 GBK bytes: exactly what the 61-byte name holds.
    std::string thirty;
    for (int i = 0; i < 30; ++i) thirty += "再";
    ASSERT_EQ(PutField(rec.szChnName, thirty), PutResult::Ok);
    ASSERT_EQ(PutField(rec.szEngName, thirty + "再"), PutResult::Truncated);
    rec.cCompKind = 'A';
    rec.cLapsed = 'N';

    const auto b = Bytes(rec);
    EXPECT_EQ(b[5 + 60], 0);   // terminator in the last byte of the name
    EXPECT_EQ(b[66 + 60], 0);  // the cut name ends at a character boundary
    EXPECT_EQ(b[695], 'A');
    EXPECT_EQ(b[1053], 'N');
    EXPECT_EQ(GetField(rec.szChnName), thirty);
    EXPECT_EQ(GetField(rec.szEngName), thirty);
    EXPECT_EQ(GetField(rec.szShortName), "");
}

TEST(RecordLayout, BrokerSubReinsurerAndProductLine) {
    _ContExtraStruct extra{};
    PutField(extra.szBrokerCode, "B1");
    PutField(extra.szSubRICode, "B107");
    PutField(extra.szSubShare, "0.5000");
    extra.cStatus = kExtraAdded;
    PutField(extra.szBrokerShare, "0.2500");
    const auto e = Bytes(extra);
    EXPECT_EQ(At(e, 0, 5), std::string("B1\0\0\0", 5));
    EXPECT_EQ(At(e, 5, 5), std::string("B107\0", 5));
    EXPECT_EQ(At(e, 10, 7), std::string("0.5000\0", 7));
    EXPECT_EQ(e[30], 'A');
    EXPECT_EQ(At(e, 31, 7), std::string("0.2500\0", 7));

    _ContRiskStruct risk{};
    risk.fQuotaRatio = 0.5f;
    risk.nVipLines = 2;
    risk.cSetType = 'T';
    PutField(risk.szProdCode, "0301");
    PutField(risk.szRiskLevel, "A1");
    PutField(risk.szVipLimit, "9999999999.99");
    const auto r = Bytes(risk);
    float f = 0;
    std::memcpy(&f, r.data() + 4, 4);
    EXPECT_EQ(f, 0.5f);
    EXPECT_EQ(At(r, 28, 5), std::string("0301\0", 5));
    EXPECT_EQ(At(r, 33, 3), std::string("A1\0", 3));
    EXPECT_EQ(r[40], 'T');
    EXPECT_EQ(At(r, 44, 4), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(GetField(risk.szVipLimit), "9999999999.99");
}

TEST(RecordLayout, ScreenBodiesAreByteExact) {
    _OrderAddBody add{};
    PutField(add.szContCode, "Q1");
    PutField(add.szYearMonth, "202403");
    add.nOrderNo = 258;
    EXPECT_EQ(At(Bytes(add), 0, sizeof add), std::string("Q1\0"
                                                         "202403\0"
                                                         "\0\0"
                                                         "\x02\x01\0\0",
                                                         16));

    _OrderMoveBody move{};
    PutField(move.szContCode, "Q1");
    PutField(move.szYearMonth, "202403");
    move.cDirection = kMoveDown;
    EXPECT_EQ(At(Bytes(move), 0, sizeof move), std::string("Q1\0"
                                                           "202403\0"
                                                           "D",
                                                           11));

    _CommAdjustBody adj{};
    adj.dCommRate = 1.0;
    adj.nContId = 42;
    PutField(adj.szRICode, "R07");
    PutField(adj.szSectCode, "S1");
    EXPECT_EQ(At(Bytes(adj), 0, sizeof adj), std::string("\0\0\0\0\0\0\xF0\x3F"
                                                         "\x2A\0\0\0"
                                                         "R07\0\0"
                                                         "S1\0",
                                                         20));

    // A 20-character user code leaves its terminator in the last byte.
    _DetailActBody act{};
    PutField(act.szItemKey, "K0000000001");  // 11 characters: cut to 10
    PutField(act.szUserCode, "U1234567890123456789");
    const auto a = Bytes(act);
    EXPECT_EQ(At(a, 0, 11), std::string("K000000000\0", 11));
    EXPECT_EQ(At(a, 11, 21), std::string("U1234567890123456789\0", 21));
}

TEST(RecordLayout, ClassFilterCarriesTheRecordThenZeros) {
    _InsrClassDtlFilter filter{};
    filter.stFilter.nContId = 7;
    PutField(filter.stFilter.szClassCode, "01");
    const auto b = Bytes(filter);
    ASSERT_EQ(b.size(), 164u);
    EXPECT_EQ(At(b, 0, 7), std::string("\x07\0\0\0"
                                       "01\0",
                                       7));
    for (std::size_t i = 7; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i;
}
