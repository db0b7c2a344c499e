// Numeric identifiers as decimal-text keys.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "common/records/Records.h"

using kel::records::GetDecimalKey;
using kel::records::PutDecimalKey;

TEST(DecimalKey, WritesPlainDecimalZeroPadded) {
    _TextKey64 key;
    std::memset(&key, 'x', sizeof key);
    ASSERT_TRUE(PutDecimalKey(key.szKey, 4711));
    EXPECT_STREQ(key.szKey, "4711");
    for (std::size_t i = 4; i < sizeof key.szKey; ++i) ASSERT_EQ(key.szKey[i], 0) << i;

    _ContIdKey32 id32{};
    ASSERT_TRUE(PutDecimalKey(id32.szContId, 0));
    EXPECT_STREQ(id32.szContId, "0");
    ASSERT_TRUE(PutDecimalKey(id32.szContId, INT32_MIN));
    EXPECT_STREQ(id32.szContId, "-2147483648");
}

TEST(DecimalKey, RefusesWhatDoesNotFitWithItsTerminator) {
    _ContIdKey10 key;
    ASSERT_TRUE(PutDecimalKey(key.szContId, 999999999));  // 9 digits and the NUL
    EXPECT_STREQ(key.szContId, "999999999");
    EXPECT_FALSE(PutDecimalKey(key.szContId, 1000000000));
    for (char c : key.szContId) EXPECT_EQ(c, 0);
}

TEST(DecimalKey, ReadsBackAndRejectsMalformedKeys) {
    _ContIdKey10 key{};
    int32_t id = -7;
    ASSERT_TRUE(PutDecimalKey(key.szContId, 123456));
    ASSERT_TRUE(GetDecimalKey(key.szContId, id));
    EXPECT_EQ(id, 123456);

    auto read = [](const char* text, int32_t& out) {
        _TextKey64 k{};
        std::memcpy(k.szKey, text, std::strlen(text));
        return GetDecimalKey(k.szKey, out);
    };
    id = -7;
    EXPECT_FALSE(read("", id));
    EXPECT_FALSE(read("-", id));
    EXPECT_FALSE(read("12a", id));
    EXPECT_FALSE(read(" 12", id));
    EXPECT_FALSE(read("2147483648", id));
    EXPECT_FALSE(read("99999999999", id));
    EXPECT_EQ(id, -7);
    EXPECT_TRUE(read("-15", id));
    EXPECT_EQ(id, -15);

    // Ten digits filling a ten-byte field leave no room for the terminator.
    std::memcpy(key.szContId, "1234567890", 10);
    EXPECT_FALSE(GetDecimalKey(key.szContId, id));
}
