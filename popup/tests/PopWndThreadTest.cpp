// The popup through the module's entry point, on its own thread in real time.
#include <gtest/gtest.h>

#include <chrono>

#include "frame/Kelmor.h"
#include "popup/PopWndThread.h"
#include "popup/tests/FakeDesktop.h"

TEST(PopWndThread, RunsItsOwnTimelineOnItsOwnThreadAndEnds) {
    popuptest::ScopedFakeDesktop driver;
    auto log = driver->log;
    const auto started = std::chrono::steady_clock::now();
    // Colour parts above 255 count with their low 8 bits only.
    EXPECT_EQ(PopWnd("共有 3 条待处理信息", 150, 21, 128, 93, 0x1FF, 0x180, 0x7F, 0x101, 2, 3), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));  // never waits

    std::unique_lock lock(log->mutex);
    ASSERT_TRUE(log->changed.wait_for(lock, std::chrono::seconds(12), [&] { return log->destroyed; }));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(log->look.background, 0x7F80FFu);
    EXPECT_EQ(log->look.textColour, 0x030201u);
    EXPECT_EQ(log->look.text, "共有 3 条待处理信息");
    std::vector<int> heights;
    for (const auto& r : log->places) heights.push_back(r.Height());
    EXPECT_EQ(heights, (std::vector<int>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2}));
    for (auto id : log->threads) EXPECT_NE(id, std::this_thread::get_id());
    // 10 steps up and 11 down at no less than 10 ms each, plus the 5 s stay.
    EXPECT_GE(took, std::chrono::milliseconds(5000 + 21 * 10));
}
