#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "frame/Kelmor.h"
#include "frame/ScreenTable.h"
#include "host/win/testing/HeadlessDriver.h"
#include "popup/PopWndThread.h"

TEST(Dispatch, EveryScreenNumberOpensItsCaptionAndReturnsTheModalResult) {
    for (const auto& entry : kel::ScreenTable()) {
        if (entry.result != kel::ScreenResult::ModalResult) continue;
        win::ScopedHeadlessDriver driver;
        driver->Then(entry.caption, [](win::DialogActions& a) { a.Click(IDCANCEL); });
        EXPECT_EQ(Call_Kelmor_Dialog(entry.number, 12345), IDCANCEL) << entry.number;
        EXPECT_TRUE(driver->Problems().empty()) << entry.number;
    }
}

TEST(Dispatch, ZeroAndTwelveOpenTheSamePromptScreen) {
    ASSERT_NE(kel::FindScreen(0), nullptr);
    ASSERT_NE(kel::FindScreen(12), nullptr);
    EXPECT_STREQ(kel::FindScreen(0)->className, kel::FindScreen(12)->className);
    EXPECT_STREQ(kel::FindScreen(0)->caption, "提示信息定制");
}

TEST(Dispatch, UnknownNumbersOpenNothingAndReturnZero) {
    win::ScopedHeadlessDriver driver;
    for (int number : {2, 3, 6, 7, 8, 10, 25002, -1, 99999}) EXPECT_EQ(Call_Kelmor_Dialog(number, 0), 0) << number;
    EXPECT_TRUE(driver->DialogsOpened().empty());
    EXPECT_TRUE(driver->Problems().empty());
}

TEST(Dispatch, ScreenThirteenOpensNoWindow) {
    win::ScopedHeadlessDriver driver;
    EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 0);
    EXPECT_TRUE(driver->DialogsOpened().empty());
}

TEST(Dispatch, TheReservedArgumentHasNoEffect) {
    for (int reserved : {0, -1, 0x7fffffff}) {
        win::ScopedHeadlessDriver driver;
        driver->Then("兑换率设置[检索]", [](win::DialogActions& a) { a.Escape(); });
        EXPECT_EQ(Call_Kelmor_Dialog(1, reserved), IDCANCEL);
    }
}

TEST(PopWnd, ReturnsAtOnceAndHandsThePackedColoursToItsThread) {
    std::mutex m;
    std::condition_variable cv;
    std::optional<PopupRequest> seen;
    std::thread::id presenterThread;
    CPopWndThread::SetPresenter([&](const PopupRequest& r) {
        std::lock_guard lock(m);
        seen = r;
        presenterThread = std::this_thread::get_id();
        cv.notify_all();
    });
    EXPECT_EQ(PopWnd("您有新的提示信息", 180, 115, 128, 93, 0x1FF, 0x180, 0x7F, 1, 2, 3), 1);
    std::unique_lock lock(m);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return seen.has_value(); }));
    EXPECT_EQ(seen->text, "您有新的提示信息");
    EXPECT_EQ(seen->width, 180);
    EXPECT_EQ(seen->background, RGB(0xFF, 0x80, 0x7F));  // only the low 8 bits of each part
    EXPECT_EQ(seen->textColour, 0x030201u);
    EXPECT_NE(presenterThread, std::this_thread::get_id());
    CPopWndThread::SetPresenter(nullptr);
}

TEST(PopWnd, ReturnsOneEvenWithNobodyToShowIt) {
    CPopWndThread::SetPresenter(nullptr);
    EXPECT_EQ(PopWnd(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 1);
}

TEST(PopWnd, DefaultThreadValues) {
    CPopWndThread t;
    t.m_bAutoDelete = false;
    EXPECT_EQ(t.Request().width, 150);
    EXPECT_EQ(t.Request().height, 115);
    EXPECT_EQ(t.Request().textRight, 128);
    EXPECT_EQ(t.Request().textBottom, 93);
    EXPECT_EQ(t.Request().background, 0xFFFFFFu);
    EXPECT_EQ(t.Request().textColour, 0u);
}
