// The table converter walks whole texts as iconv does: random texts mixing ASCII,
// Chinese, the euro sign, NULs, characters GBK does not hold and every kind of broken
// sequence give the same output, the same verdict and the same stopping point.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/text/GbkText.h"

using namespace kel::text;

namespace {

struct IconvResult {
    bool whole;
    std::string out;
    std::size_t consumed;
};

IconvResult ThroughIconv(const char* to, const char* from, const std::string& in) {
    const iconv_t cd = iconv_open(to, from);
    std::string out(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    const bool whole = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return {whole && srcLeft == 0, out, in.size() - srcLeft};
}

std::string RandomText(std::mt19937& rng, const std::vector<std::string>& pieces) {
    std::string s;
    const int n = std::uniform_int_distribution<int>(0, 8)(rng);
    for (int i = 0; i < n; ++i) s += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(rng)];
    return s;
}

}  // namespace

TEST(GbkIconv, Utf8TextsConvertAndStopWhereIconvDoes) {
    const std::vector<std::string> pieces = {"a",
                                             "Z9",
                                             std::string(1, '\0'),
                                             "合约",
                                             "瀚海再保险",
                                             "€",
                                             "·—～",
                                             "\uE000",
                                             "한",
                                             "😀",
                                             "\xFF",
                                             "\x80",
                                             "\xC0\x80",
                                             "\xC1\x81",
                                             "\xE0\x80\x80",
                                             "\xED\xA0\x80",
                                             "\xE4\xB8",
                                             "\xF4\x90\x80\x80",
                                             "\xEF\xBB\xBF"};
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = RandomText(rng, pieces);
        const IconvResult want = ThroughIconv("GBK", "UTF-8", text);
        const auto got = Utf8ToGbk(text);
        ASSERT_EQ(got.has_value(), want.whole) << testing::PrintToString(text);
        if (want.whole) {
            ASSERT_EQ(*got, want.out) << testing::PrintToString(text);
            EXPECT_FALSE(FirstNonGbkOffset(text));
        } else {
            ASSERT_EQ(FirstNonGbkOffset(text), want.consumed) << testing::PrintToString(text);
        }
    }
}

TEST(GbkIconv, GbkTextsConvertAndStopWhereIconvDoes) {
    const std::vector<std::string> pieces = {
        "a",        std::string(1, '\0'), "\xBA\xCF", "\xD6\xD0", "\x80",     "\xA1\xA4", "\xFF",
        "\x81\x7F", "\x81\x30",           "\xA1\x40", "\xFE\x4F", "\x81\x40", "\xB1",     "\xAA\xA1"};
    std::mt19937 rng(11);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = RandomText(rng, pieces);
        const IconvResult want = ThroughIconv("UTF-8", "GBK", text);
        const auto got = GbkToUtf8(text);
        ASSERT_EQ(got.has_value(), want.whole) << testing::PrintToString(text);
        if (want.whole) {
            ASSERT_EQ(*got, want.out) << testing::PrintToString(text);
        }
        // A field reads what converted before the first fault (and stops at a NUL).
        const std::string upToNul = text.substr(0, text.find('\0'));
        const IconvResult prefix = ThroughIconv("UTF-8", "GBK", upToNul);
        ASSERT_EQ(GetField(upToNul.data(), upToNul.size()), prefix.out) << testing::PrintToString(text);
    }
}
