#include <gtest/gtest.h>

#include "popup/TaskBarMsgWnd.h"
#include "popup/tests/FakeDesktop.h"

using popuptest::ScopedFakeDesktop;

namespace {

CTaskBarMsgWnd MakePopup(int width = 150, int height = 115) {
    return CTaskBarMsgWnd("您有新的提示信息", width, height, 5000, 1, {1, 10, 128, 93}, 0xFFFFFF, 0);
}

struct EdgeCase {
    const char* name;
    win::DesktopMetrics desktop;
    kel::popup::TaskBarEdge edge;
    win::Rect anchor;
    win::Rect firstStep;  // 2 pixels risen
};

}  // namespace

TEST(TaskBarPopup, EdgeAnchorAndFirstStepForEveryTaskBarPosition) {
    const win::Rect screen{0, 0, 1920, 1080};
    const EdgeCase cases[] = {
        {"bottom",
         {screen, {0, 0, 1920, 1040}},
         kel::popup::kEdgeBottom,
         {1770, 925, 1920, 1040},
         {1770, 1038, 1910, 1040}},
        {"top", {screen, {0, 40, 1920, 1080}}, kel::popup::kEdgeTop, {1770, 40, 1920, 155}, {1770, 40, 1910, 42}},
        {"left", {screen, {60, 0, 1920, 1080}}, kel::popup::kEdgeLeft, {60, 965, 210, 1080}, {70, 1078, 210, 1080}},
        {"right",
         {screen, {0, 0, 1860, 1080}},
         kel::popup::kEdgeRight,
         {1710, 965, 1860, 1080},
         {1710, 1078, 1850, 1080}},
        {"auto-hidden", {screen, screen}, kel::popup::kEdgeRight, {1770, 965, 1920, 1080}, {1770, 1078, 1910, 1080}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedFakeDesktop driver;
        driver->desktop = c.desktop;
        auto popup = MakePopup();
        ASSERT_TRUE(popup.PopUp());
        EXPECT_EQ(popup.GetEdge(), c.edge);
        EXPECT_EQ(popup.GetAnchor(), c.anchor);
        driver->AdvanceTime(10);
        ASSERT_EQ(driver->log->places.size(), 1u);
        EXPECT_EQ(driver->log->places[0], c.firstStep);
    }
}

TEST(TaskBarPopup, RisesInTwoPixelStepsStaysFiveSecondsAndSinksBackToNothing) {
    ScopedFakeDesktop driver;
    auto popup = MakePopup(150, 115);
    ASSERT_TRUE(popup.PopUp());
    // The 1 ms step period runs at the 10 ms floor.
    EXPECT_EQ(driver->TimerPeriod(popup, CTaskBarMsgWnd::kRiseTimer), 10u);

    driver->AdvanceTime(58 * 10);  // 57 steps shown, the 58th passes the height
    std::vector<int> rise;
    for (const auto& r : driver->log->places) rise.push_back(r.Height());
    std::vector<int> expected;
    for (int h = 2; h <= 114; h += 2) expected.push_back(h);
    EXPECT_EQ(rise, expected);
    EXPECT_FALSE(driver->TimerRunning(popup, CTaskBarMsgWnd::kRiseTimer));
    EXPECT_EQ(driver->TimerPeriod(popup, CTaskBarMsgWnd::kStayTimer), 5000u);

    driver->AdvanceTime(4990);
    EXPECT_EQ(driver->log->places.size(), expected.size());  // still staying
    driver->AdvanceTime(10);
    EXPECT_TRUE(driver->TimerRunning(popup, CTaskBarMsgWnd::kSinkTimer));

    driver->AdvanceTime(58 * 10);
    std::vector<int> sink;
    for (size_t i = expected.size(); i < driver->log->places.size(); ++i)
        sink.push_back(driver->log->places[i].Height());
    std::vector<int> expectedSink(expected.rbegin(), expected.rend());
    EXPECT_EQ(sink, expectedSink);
    EXPECT_TRUE(popup.IsDestroyed());
    EXPECT_TRUE(driver->log->destroyed);
    EXPECT_EQ(popup.GetShownHeight(), 0);
    EXPECT_FALSE(driver->TimerRunning(popup, CTaskBarMsgWnd::kSinkTimer));
    // Every step keeps the bottom on the anchor and the width 10 short.
    for (const auto& r : driver->log->places) {
        EXPECT_EQ(r.bottom, popup.GetAnchor().bottom);
        EXPECT_EQ(r.Width(), 140);
    }
}

TEST(TaskBarPopup, ClickTellsTheMainWindowOnlyWhenOneIsOpen) {
    ScopedFakeDesktop driver;
    auto popup = MakePopup();
    ASSERT_TRUE(popup.PopUp());

    driver->log->input(WM_LBUTTONUP);  // no main window: nothing happens, no failure

    std::vector<std::tuple<UINT, WPARAM, LPARAM>> received;
    driver->AddTopLevelWindow("Tessan保险业务系统 - 备份", [&](UINT, WPARAM, LPARAM) {
        ADD_FAILURE() << "a window with another title was told";
        return LRESULT{0};
    });
    driver->AddTopLevelWindow("Tessan保险业务系统", [&](UINT m, WPARAM w, LPARAM l) {
        received.emplace_back(m, w, l);
        return LRESULT{0};
    });
    driver->log->input(WM_LBUTTONUP);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(std::get<0>(received[0]), 1124u);
    EXPECT_EQ(std::get<1>(received[0]), 0u);
    EXPECT_EQ(std::get<2>(received[0]), 0);
    EXPECT_FALSE(popup.IsDestroyed());  // a click changes nothing else
}

TEST(TaskBarPopup, HoverUnderlinesOnceAndLeavingRestores) {
    ScopedFakeDesktop driver;
    auto popup = MakePopup();
    ASSERT_TRUE(popup.PopUp());
    EXPECT_EQ(driver->log->look.font.family, "MS Sans Serif");
    EXPECT_EQ(driver->log->look.textRect, (win::Rect{1, 10, 128, 93}));
    driver->log->input(WM_MOUSEHOVER);
    driver->log->input(WM_MOUSEHOVER);
    EXPECT_TRUE(popup.IsHovering());
    driver->log->input(WM_MOUSELEAVE);
    driver->log->input(WM_MOUSELEAVE);
    EXPECT_EQ(driver->log->underlines, (std::vector<bool>{true, false}));
}

TEST(TaskBarPopup, WithoutAWindowNothingRunsAndInputAfterTheEndIsIgnored) {
    {
        ScopedFakeDesktop driver;
        driver->canShow = false;
        auto popup = MakePopup();
        EXPECT_FALSE(popup.PopUp());
        EXPECT_FALSE(driver->TimerRunning(popup, CTaskBarMsgWnd::kRiseTimer));
    }
    ScopedFakeDesktop driver;
    win::PopupInput input;
    {
        auto popup = MakePopup(150, 4);
        ASSERT_TRUE(popup.PopUp());
        input = driver->log->input;
        driver->AdvanceTime(20000);
        EXPECT_TRUE(popup.IsDestroyed());
    }
    int told = 0;
    driver->AddTopLevelWindow("Tessan保险业务系统", [&](UINT, WPARAM, LPARAM) { return LRESULT{++told}; });
    input(WM_LBUTTONUP);  // the window is gone: the late click goes nowhere
    EXPECT_EQ(told, 0);
}
