// Numbers shown on forms and in grids: the printf shapes the screens are known by,
// and not one bit lost between a record, its text and the record again.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "host/win/CString.h"
#include "screens/NumberText.h"

namespace kel::screens {
namespace {

constexpr NumberFormat kForm{2, 0};  // "%.2f"
constexpr NumberFormat kGrid{4, 5};  // "%-5.4f"

std::string Printf(const char* pattern, double value) {
    CString text;
    text.Format(pattern, value);
    return text.str();
}

TEST(NumberText, ValuesWithinTheFormatsDecimalsLookAsPrintfWritesThem) {
    for (double v : {0.0, 1.0, 0.25, -0.5, 1234.5, 12.34, 1e9, 5.5, 9999999999.99, -0.0}) {
        EXPECT_EQ(FormatNumber(v, kGrid), Printf("%-5.4f", v)) << v;
        EXPECT_EQ(FormatNumber(v, kForm), Printf("%.2f", v)) << v;
    }
    EXPECT_EQ(FormatNumber(7.0, NumberFormat{0, 5}), "7    ");
    // Per cent: the point moves in the text, so 0.07 shows as 7.00, not 7.000000000000001.
    EXPECT_EQ(FormatNumber(0.07, kForm, 2), "7.00");
    EXPECT_EQ(FormatNumber(0.055, kForm, 2), "5.50");
    EXPECT_EQ(FormatNumber(0.25f, kForm, 2), "25.00");
}

TEST(NumberText, DigitsBeyondTheFormatAreShownNotRoundedAway) {
    EXPECT_EQ(FormatNumber(0.123456, kGrid), "0.123456");
    EXPECT_EQ(FormatNumber(0.123456, kForm, 2), "12.3456");
    EXPECT_EQ(FormatNumber(1e-7, kForm), "0.0000001");
    EXPECT_EQ(FormatNumber(0.1f, kGrid), "0.1000");  // a float's own shortest digits, not the double's
}

TEST(NumberText, EveryShownNumberReadsBackBitForBit) {
    std::mt19937_64 random(20240131);
    std::uniform_real_distribution<double> fraction(0, 1);
    std::uniform_int_distribution<int> digits(0, 8);
    for (int i = 0; i < 20000; ++i) {
        double v = fraction(random);
        if (i % 2) v = std::round(v * std::pow(10, digits(random))) / std::pow(10, digits(random));  // typed-like
        for (int shift : {0, 2}) {
            const auto back = ParseDouble(FormatNumber(v, kForm, shift), shift);
            ASSERT_TRUE(back.has_value());
            ASSERT_EQ(std::memcmp(&*back, &v, sizeof v), 0) << v << " shift " << shift;
        }
        const float f = static_cast<float>(v);
        const auto backF = ParseFloat(FormatNumber(f, kGrid, 2), 2);
        ASSERT_TRUE(backF.has_value());
        ASSERT_EQ(*backF, f) << f;
    }
}

TEST(NumberText, ParsingTakesPlainDecimalsOnly) {
    EXPECT_EQ(ParseDouble(" 12.50 "), 12.5);
    EXPECT_EQ(ParseDouble(""), 0.0);
    EXPECT_EQ(ParseDouble("-.5"), -0.5);
    EXPECT_EQ(ParseDouble("+3"), 3.0);
    EXPECT_EQ(ParseDouble("12.3456", 2), 0.123456);
    EXPECT_EQ(ParseDouble("5.5", 2), 0.055);
    for (const char* bad : {"abc", "1.2.3", "1e5", "12%", "-", ".", "1 2", "0x10", "nan"})
        EXPECT_FALSE(ParseDouble(bad).has_value()) << bad;
    EXPECT_FALSE(ParseFloat("1" + std::string(60, '0')).has_value());  // beyond a float

    EXPECT_EQ(ParseInt(" 42 "), 42);
    EXPECT_EQ(ParseInt("-7"), -7);
    EXPECT_EQ(ParseInt(""), 0);
    for (const char* bad : {"1.5", "2147483648", "+-1", "3a", "--1"}) EXPECT_FALSE(ParseInt(bad).has_value()) << bad;
}

}  // namespace
}  // namespace kel::screens
