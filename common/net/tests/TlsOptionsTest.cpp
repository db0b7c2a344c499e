#include <gtest/gtest.h>

#include "common/net/TlsOptions.h"

namespace kel::net {
namespace {

TEST(Fingerprint, ReadsPlainAndPairedHexAlikeAndPrintsPairs) {
    const std::string plain = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";
    const auto a = ParseFingerprint(plain);
    ASSERT_TRUE(a);
    EXPECT_EQ((*a)[0], 0x00);
    EXPECT_EQ((*a)[10], 0xAA);
    EXPECT_EQ((*a)[31], 0xFF);
    const std::string paired = FingerprintText(*a);
    EXPECT_EQ(paired.substr(0, 12), "00:11:22:33:");
    EXPECT_EQ(paired.size(), 95u);
    EXPECT_EQ(ParseFingerprint(" " + paired + " "), a);
}

TEST(Fingerprint, RefusesWhatIsNotOneDigest) {
    const std::string plain = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";
    EXPECT_FALSE(ParseFingerprint(""));
    EXPECT_FALSE(ParseFingerprint(plain.substr(2)));        // a byte short
    EXPECT_FALSE(ParseFingerprint(plain + "00"));           // a byte over
    EXPECT_FALSE(ParseFingerprint("g" + plain.substr(1)));  // not hex
    std::string paired = FingerprintText(*ParseFingerprint(plain));
    paired[2] = '-';
    EXPECT_FALSE(ParseFingerprint(paired));                       // wrong separator
    EXPECT_FALSE(ParseFingerprint("0:01122" + plain.substr(7)));  // pairs misplaced
}

}  // namespace
}  // namespace kel::net
