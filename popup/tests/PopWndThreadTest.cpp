// The popup through the module's entry point, on its own thread in real time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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

namespace {

// A desktop whose popup window is made only when the test says so, and that notes
// when it is destroyed.
class GatedDesktop : public popuptest::FakeDesktopDriver {
public:
    std::mutex gate;
    std::condition_variable opened;
    bool entered = false;
    bool mayGo = false;
    std::shared_ptr<std::atomic<bool>> destroyed = std::make_shared<std::atomic<bool>>(false);
    ~GatedDesktop() override { *destroyed = true; }
    std::unique_ptr<win::PopupSurface> CreatePopupSurface(const win::PopupLook& look, win::PopupInput input) override {
        std::unique_lock lock(gate);
        entered = true;
        opened.notify_all();
        opened.wait(lock, [&] { return mayGo; });
        lock.unlock();
        EXPECT_FALSE(*destroyed);  // still alive while the popup's thread uses it
        canShow = false;           // no window: the thread ends at once
        return FakeDesktopDriver::CreatePopupSurface(look, std::move(input));
    }
};

}  // namespace

TEST(PopWndThread, KeepsItsDriverAliveWhenTheHostReplacesIt) {
    auto gated = std::make_shared<GatedDesktop>();
    auto destroyed = gated->destroyed;
    auto previous = win::InstalledDriver();
    win::InstallDriver(gated);
    EXPECT_EQ(PopWnd("提示", 150, 21, 128, 93, 255, 255, 255, 0, 0, 0), 1);
    {
        std::unique_lock lock(gated->gate);
        ASSERT_TRUE(gated->opened.wait_for(lock, std::chrono::seconds(5), [&] { return gated->entered; }));
    }
    win::InstallDriver(previous);  // the host moves on while the popup is being made
    GatedDesktop* raw = gated.get();
    gated.reset();
    ASSERT_FALSE(*destroyed);
    {
        // Notified under the lock: once it is released the popup's thread may end
        // and destroy the desktop, condition variable and all.
        std::lock_guard lock(raw->gate);
        raw->mayGo = true;
        raw->opened.notify_all();
    }
    for (int i = 0; i < 500 && !*destroyed; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(*destroyed);  // released once the popup's thread let go of it
}
