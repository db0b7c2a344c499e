// The conversion as a whole: every byte pair and every character of the Basic
// Multilingual Plane, and the places where GBK converters commonly disagree. The
// same cases pass on Linux (iconv) and on Windows (code page 936), so a record
// written on one platform reads the same on the other.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/text/GbkText.h"
#include "common/text/Utf8.h"

using namespace kel::text;

namespace {

struct Fingerprint {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    int converted = 0;
    void Add(const std::string& bytes) {
        for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
        hash = (hash ^ 0xFFu) * 1099511628211ull;  // a separator no conversion yields
        ++converted;
    }
    void Refused() { hash = (hash ^ 0x100u) * 1099511628211ull; }
};

std::string Utf8Of(unsigned c) {
    std::string u;
    kel::text::AppendUtf8(u, c);
    return u;
}

}  // namespace

TEST(GbkTable, EveryPairAndCharacterConvertsAsOnEveryPlatform) {
    Fingerprint decode;
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        auto u = GbkToUtf8(std::string(1, static_cast<char>(b)));
        u ? decode.Add(*u) : decode.Refused();
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            auto u = GbkToUtf8(std::string{static_cast<char>(lead), static_cast<char>(trail)});
            u ? decode.Add(*u) : decode.Refused();
        }
    Fingerprint encode;
    for (unsigned c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        auto g = Utf8ToGbk(Utf8Of(c));
        g ? encode.Add(*g) : encode.Refused();
    }
    EXPECT_EQ(decode.converted, 21792);
    EXPECT_EQ(encode.converted, 21792);  // one character per pair, both ways
    EXPECT_EQ(decode.hash, 84435328565579764ull);
    EXPECT_EQ(encode.hash, 14444139184465589987ull);
}

TEST(GbkTable, WhereConvertersDisagreeTheRecordsFollowGbk) {
    // The euro sign is the one single byte above ASCII.
    EXPECT_EQ(Utf8ToGbk("€5"),
              "\x80"
              "5");
    EXPECT_EQ(GbkToUtf8("\x80"), "€");
    EXPECT_FALSE(GbkToUtf8("\xFF"));
    // User-defined areas: no character, whichever way.
    for (const char* pair : {"\xA1\x40", "\xAA\xA1", "\xF8\xA1", "\xFE\xFE", "\xD7\xFA"})
        EXPECT_FALSE(GbkToUtf8(pair)) << std::hex << (static_cast<unsigned>(pair[0]) & 0xFF);
    EXPECT_FALSE(Utf8ToGbk("\uE000"));
    EXPECT_EQ(FirstNonGbkOffset("ab\uE5E5"), 2u);
    char field[8] = {'a', '\xAA', '\xA1', 'b'};
    EXPECT_EQ(GetField(field), "a");  // a field reads up to what has no character
    // Punctuation the screens show, whose mapping varies between tables.
    EXPECT_EQ(Utf8ToGbk("·—～！，"), "\xA1\xA4\xA1\xAA\xA1\xAB\xA3\xA1\xA3\xAC");
    EXPECT_EQ(Utf8ToGbk("合 计"), "\xBA\xCF\x20\xBC\xC6");
    // A trail byte out of range or missing ends the text.
    EXPECT_FALSE(GbkToUtf8("\x81\x7F"));
    EXPECT_FALSE(GbkToUtf8("\x81"));
}
