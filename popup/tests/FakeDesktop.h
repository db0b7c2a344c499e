// A headless driver with a desktop and notice windows that record what they are
// asked to show, for the popup's tests.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "host/win/testing/HeadlessDriver.h"

namespace popuptest {

struct SurfaceLog {
    std::mutex mutex;
    std::condition_variable changed;
    win::PopupLook look;
    std::vector<win::Rect> places;
    std::vector<bool> underlines;
    std::vector<std::thread::id> threads;
    win::PopupInput input;
    bool created = false;
    bool destroyed = false;
};

class RecordingSurface : public win::PopupSurface {
public:
    explicit RecordingSurface(std::shared_ptr<SurfaceLog> log) : m_log(std::move(log)) {}
    ~RecordingSurface() override {
        std::lock_guard lock(m_log->mutex);
        m_log->destroyed = true;
        m_log->changed.notify_all();
    }
    void Place(const win::Rect& rect) override {
        std::lock_guard lock(m_log->mutex);
        m_log->places.push_back(rect);
        m_log->threads.push_back(std::this_thread::get_id());
    }
    void SetUnderline(bool underline) override {
        std::lock_guard lock(m_log->mutex);
        m_log->underlines.push_back(underline);
    }

private:
    std::shared_ptr<SurfaceLog> m_log;
};

class FakeDesktopDriver : public win::HeadlessDriver {
public:
    win::DesktopMetrics desktop{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
    bool canShow = true;
    std::shared_ptr<SurfaceLog> log = std::make_shared<SurfaceLog>();

    win::DesktopMetrics GetDesktopMetrics() override { return desktop; }
    std::unique_ptr<win::PopupSurface> CreatePopupSurface(const win::PopupLook& look, win::PopupInput input) override {
        if (!canShow) return nullptr;
        std::lock_guard lock(log->mutex);
        log->look = look;
        log->input = std::move(input);
        log->created = true;
        return std::make_unique<RecordingSurface>(log);
    }
};

// Installs a FakeDesktopDriver for a test's scope.
class ScopedFakeDesktop {
public:
    ScopedFakeDesktop() : m_driver(std::make_shared<FakeDesktopDriver>()), m_previous(win::InstalledDriver()) {
        win::InstallDriver(m_driver);
    }
    ~ScopedFakeDesktop() { win::InstallDriver(m_previous); }
    FakeDesktopDriver* operator->() { return m_driver.get(); }
    FakeDesktopDriver& operator*() { return *m_driver; }

private:
    std::shared_ptr<FakeDesktopDriver> m_driver;
    std::shared_ptr<win::UiDriver> m_previous;
};

}  // namespace popuptest
