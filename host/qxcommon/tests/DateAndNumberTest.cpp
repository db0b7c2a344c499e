#include <gtest/gtest.h>

#include "host/qxcommon/DateFormat.h"
#include "host/qxcommon/NumericField.h"

TEST(FormatDate, ConvertsBothMasksBothWays) {
    EXPECT_EQ(kel::FormatDate("2024/01/31", 0), "20240131");
    EXPECT_EQ(kel::FormatDate("2024/01", 0), "202401");
    EXPECT_EQ(kel::FormatDate("20240131", 1), "2024/01/31");
    EXPECT_EQ(kel::FormatDate("202401", 1), "2024/01");
    EXPECT_EQ(kel::FormatDate("20240229", 1), "2024/02/29");  // leap day
}

TEST(FormatDate, TextThatIsNotADateGivesAnEmptyStoredForm) {
    for (const char* bad : {"", "2024/13/01", "2023/02/29", "2024/1/31", "abcd/ef/gh", "2024-01-31", "2024/00",
                            "202401311", "    /  /  "})
        EXPECT_EQ(kel::FormatDate(bad, 0), "") << bad;
    EXPECT_EQ(kel::FormatDate("20241301", 1), "");
    EXPECT_EQ(kel::FormatDate("2024/01/31", 7), "");
}

TEST(FitNumber, KeepsTheShapeOfTheField) {
    EXPECT_EQ(kel::FitNumber("123.456", 5, 2), "12.45");  // 2 integer digits, 2 decimals
    EXPECT_EQ(kel::FitNumber("1.23456", 6, 4), "1.2345");
    EXPECT_EQ(kel::FitNumber("-12a3", 3, 0), "-123");  // sign not counted, no fraction
    EXPECT_EQ(kel::FitNumber("1.5", 3, 0), "1");       // no fraction: the point ends the number
    EXPECT_EQ(kel::FitNumber("1..2.3", 10, 2), "1.23");
    EXPECT_EQ(kel::FitNumber("98765432.1", 0, 0), "98765432.1");  // no limits at all
    EXPECT_EQ(kel::FitNumber("--5", 4, 1), "-5");
}
