#include <gtest/gtest.h>

#include "host/win/testing/HeadlessDriver.h"

TEST(HeadlessDriver, FindsTopLevelWindowsByExactTitleAndDeliversMessages) {
    win::ScopedHeadlessDriver driver;
    std::vector<UINT> received;
    auto h = driver->AddTopLevelWindow("主窗口", [&](UINT m, WPARAM, LPARAM) {
        received.push_back(m);
        return LRESULT{1};
    });
    EXPECT_EQ(win::Driver().FindTopLevelWindow("主窗"), 0u);
    ASSERT_EQ(win::Driver().FindTopLevelWindow("主窗口"), h);
    EXPECT_EQ(win::Driver().SendToWindow(h, WM_USER + 100, 0, 0), 1);
    driver->RemoveTopLevelWindow(h);
    EXPECT_EQ(win::Driver().SendToWindow(h, WM_USER + 100, 0, 0), 0);
    EXPECT_EQ(received, (std::vector<UINT>{WM_USER + 100}));
}

TEST(HeadlessDriver, UnusedScriptsAndAnswersAreProblems) {
    win::ScopedHeadlessDriver driver;
    driver->Then([](win::DialogActions&) {}).Answer(IDYES);
    EXPECT_EQ(driver->Problems().size(), 2u);
}
