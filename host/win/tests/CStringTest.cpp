#include <gtest/gtest.h>

#include "host/win/CString.h"

TEST(CString, FormatsExactlyAsPrintf) {
    CString s;
    s.Format("%-5.4f", 0.25);
    EXPECT_EQ(s, "0.2500");
    s.Format("%.2f|%d|%s", 1234.5, -7, "合约");
    EXPECT_EQ(s, "1234.50|-7|合约");
    s.AppendFormat("%c", 'X');
    EXPECT_EQ(s, "1234.50|-7|合约X");
}

TEST(CString, SlicingClampsOutOfRangeArguments) {
    CString s("ABCDEF");
    EXPECT_EQ(s.Left(2), "AB");
    EXPECT_EQ(s.Left(99), "ABCDEF");
    EXPECT_EQ(s.Right(2), "EF");
    EXPECT_EQ(s.Mid(4), "EF");
    EXPECT_EQ(s.Mid(4, 10), "EF");
    EXPECT_EQ(s.Mid(10), "");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.GetAt(10), '\0');
}

TEST(CString, TrimFindReplaceAndCaseLeaveMultiByteTextAlone) {
    CString s("  ab 合约  ");
    s.Trim();
    EXPECT_EQ(s, "ab 合约");
    s.MakeUpper();
    EXPECT_EQ(s, "AB 合约");
    EXPECT_EQ(s.Find("合"), 3);
    EXPECT_EQ(s.Find('Z'), -1);
    CString n("1,234,567.5");
    EXPECT_EQ(n.Remove(','), 2);
    EXPECT_EQ(n, "1234567.5");
    CString r("a--b--c");
    EXPECT_EQ(r.Replace("--", "-"), 2);
    EXPECT_EQ(r, "a-b-c");
}

TEST(CString, BufferAccessKeepsTextUpToTheTerminator) {
    CString s;
    char* p = s.GetBuffer(16);
    std::snprintf(p, 16, "%s", "abc");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s, "abc");
}
