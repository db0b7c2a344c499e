// Float fields widened through their shortest decimal, and stored noise recognised.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/records/WireFloat.h"

namespace {

using kel::records::DecimalOf;
using kel::records::NoiselessFloat;

TEST(WireFloat, AFloatWidensToTheDecimalItWasTypedAs) {
    EXPECT_EQ(DecimalOf(0.3f), 0.3);
    EXPECT_EQ(DecimalOf(0.1f), 0.1);
    EXPECT_EQ(DecimalOf(0.125f), 0.125);
    EXPECT_EQ(DecimalOf(1.0f / 3.0f), 0.33333334);
    EXPECT_EQ(DecimalOf(0.99996f), 0.99996);
    EXPECT_EQ(DecimalOf(-2.5f), -2.5);
    EXPECT_EQ(DecimalOf(0.0f), 0.0);
    EXPECT_EQ(DecimalOf(9999999.0f), 9999999.0);
    EXPECT_EQ(DecimalOf(0.0001f), 0.0001);
    // Every decimal comes back as the float it came from.
    for (float f : {0.3f, 0.1f, 1.0f / 3.0f, 0.99996f, 16777216.0f, std::numeric_limits<float>::max(),
                    std::numeric_limits<float>::denorm_min()})
        EXPECT_EQ(static_cast<float>(DecimalOf(f)), f) << f;
    EXPECT_TRUE(std::isinf(DecimalOf(std::numeric_limits<float>::infinity())));
    EXPECT_TRUE(std::isnan(DecimalOf(std::numeric_limits<float>::quiet_NaN())));
}

TEST(WireFloat, StoredNoiseOfAFloatIsRecognisedAndNothingElse) {
    // The float widened as it is, and the same kept to 15 significant digits.
    EXPECT_EQ(NoiselessFloat(static_cast<double>(0.3f)), 0.3);
    EXPECT_EQ(NoiselessFloat(0.300000011920929), 0.3);
    EXPECT_EQ(NoiselessFloat(static_cast<double>(0.99996f)), 0.99996);
    EXPECT_EQ(NoiselessFloat(static_cast<double>(1.0f / 3.0f)), 0.33333334);
    // Already clean, or no float at all: left alone.
    for (double clean : {0.3, 0.125, 0.0, 1.0 / 3.0, 0.1234567, 1e300, -0.55, 12345678.9})
        EXPECT_FALSE(NoiselessFloat(clean)) << clean;
    EXPECT_FALSE(NoiselessFloat(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(NoiselessFloat(std::numeric_limits<double>::infinity()));
}

}  // namespace
