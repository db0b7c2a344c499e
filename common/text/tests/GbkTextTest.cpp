#include "common/text/GbkText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace kel::text;

namespace {

// "中" is D6 D0 in GBK, "表" is B1 ED: its second byte is itself in the lead-byte range,
// which is what trips a cut that looks backwards instead of scanning from the start.
const std::string kZhong = "\xD6\xD0";
const std::string kBiao = "\xB1\xED";

}  // namespace

TEST(GbkConversion, RoundTripsChineseAndAscii) {
    const std::string utf8 = "再保公司 Ltd. 合约代码:01";
    auto gbk = Utf8ToGbk(utf8);
    ASSERT_TRUE(gbk);
    EXPECT_EQ(gbk->size(), 4u * 2 + 6 + 4 * 2 + 3);
    EXPECT_EQ(*Utf8ToGbk("中"), kZhong);
    EXPECT_EQ(GbkToUtf8(*gbk), utf8);
    EXPECT_EQ(GbkByteLength("中文abc"), 7u);
    EXPECT_EQ(Utf8ToGbk(""), std::string());
}

TEST(GbkConversion, RefusesWhatGbkCannotHold) {
    EXPECT_FALSE(Utf8ToGbk("abc😀"));         // outside GBK
    EXPECT_FALSE(IsGbkEncodable("한국어"));  // Hangul syllables are not in GBK
    EXPECT_FALSE(
        Utf8ToGbk("ab\xFF"
                  "c"));  // invalid UTF-8
    EXPECT_FALSE(GbkByteLength("x😀"));
    EXPECT_FALSE(CutToGbkBytes("😀", 10));
    EXPECT_TRUE(IsGbkEncodable("合约资料设置"));
    EXPECT_EQ(FirstNonGbkOffset("中a😀b"), 4u);
    EXPECT_FALSE(FirstNonGbkOffset("中ab"));
    EXPECT_FALSE(GbkToUtf8("ab\xD6"));  // lead byte without its second byte
}

TEST(GbkCut, NeverSplitsATwoByteCharacter) {
    const std::string gbk = "a" + kBiao + kBiao;  // a 表 表
    EXPECT_EQ(GbkSafeCut(gbk, 0), 0u);
    EXPECT_EQ(GbkSafeCut(gbk, 1), 1u);
    EXPECT_EQ(GbkSafeCut(gbk, 2), 1u);
    EXPECT_EQ(GbkSafeCut(gbk, 3), 3u);
    EXPECT_EQ(GbkSafeCut(gbk, 4), 3u);
    EXPECT_EQ(GbkSafeCut(gbk, 99), 5u);
    EXPECT_EQ(GbkSafeCut("ab\xB1", 3), 2u);  // a dangling lead byte is not kept

    EXPECT_EQ(CutToGbkBytes("a中文", 4), "a中");
    EXPECT_EQ(CutToGbkBytes("a中文", 2), "a");
    EXPECT_EQ(CutToGbkBytes("a中文", 5), "a中文");
    EXPECT_EQ(CutToGbkBytes("中", 1), "");
}

TEST(GbkField, PutStoresNulTerminatedZeroPadded) {
    char field[8];
    std::memset(field, 'X', sizeof field);
    EXPECT_EQ(PutField(field, "中a"), PutResult::Ok);
    EXPECT_EQ(std::string(field, 3), kZhong + "a");
    for (int i = 3; i < 8; ++i) EXPECT_EQ(field[i], '\0') << i;
    EXPECT_EQ(GetField(field), "中a");

    // Width 8 holds 7 bytes: three characters and a half do not fit.
    EXPECT_EQ(PutField(field, "合约代码"), PutResult::Truncated);
    EXPECT_EQ(GetField(field), "合约代");
    EXPECT_EQ(field[6], '\0');
    EXPECT_EQ(field[7], '\0');

    EXPECT_EQ(PutField(field, "1234567"), PutResult::Ok);
    EXPECT_EQ(PutField(field, "12345678"), PutResult::Truncated);
    EXPECT_EQ(GetRawField(field, sizeof field), "1234567");
}

TEST(GbkField, RefusedTextLeavesAnEmptyField) {
    char field[6];
    std::memset(field, 'X', sizeof field);
    EXPECT_EQ(PutField(field, "a😀"), PutResult::NotGbk);
    for (char c : field) EXPECT_EQ(c, '\0');
}

TEST(GbkField, RawPutCutsAtCharacterBoundaryAndNul) {
    char field[4];
    PutRawField(field, sizeof field, "a" + kBiao + kBiao);
    EXPECT_EQ(GetRawField(field, sizeof field), "a" + kBiao);
    PutRawField(field, sizeof field, std::string("x\0yz", 4));
    EXPECT_EQ(GetRawField(field, sizeof field), "x");
    EXPECT_EQ(field[1], '\0');
}

TEST(GbkField, ReadStopsAtWidthWithoutNul) {
    struct {
        char code[4];
        char next[4];
    } rec;
    std::memcpy(rec.code,
                "AB"
                "\xD6\xD0",
                4);  // full width, no terminator
    std::memcpy(rec.next, "ZZZ", 4);
    EXPECT_EQ(GetField(rec.code), "AB中");
    EXPECT_EQ(GetRawField(rec.code, 4), "AB" + kZhong);
}

TEST(GbkField, ReadEndsAtInvalidBytes) {
    const char halfCharAtEnd[4] = {'a', 'b', 'c', '\xD6'};  // second byte cut off
    EXPECT_EQ(GetField(halfCharAtEnd), "abc");
    const char badByte[6] = {'a', '\xD6', '\xD0', '\xFF', 'c', '\0'};
    EXPECT_EQ(GetField(badByte), "a中");
}
