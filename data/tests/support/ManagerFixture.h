// Fixture of the manager tests: a recording channel installed for the test, a
// headless driver recording message boxes, an owner dialog that never runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/BaseMgr.h"
#include "data/tests/support/RecordingChannel.h"
#include "host/qxcommon/BaseBase.h"
#include "host/win/testing/HeadlessDriver.h"

namespace kel::testing {

// Replaces the managers' allocator for a scope: the first `allowed` requests
// succeed, every later one is refused.
class ScopedAllocationLimit {
public:
    explicit ScopedAllocationLimit(int allowed) : m_previous(mgr::SetAllocator(&Refuse)) { s_left = allowed; }
    ~ScopedAllocationLimit() { mgr::SetAllocator(m_previous); }

private:
    static void* Refuse(std::size_t bytes) { return s_left-- > 0 ? std::malloc(bytes == 0 ? 1 : bytes) : nullptr; }
    static inline int s_left = 0;
    mgr::Allocator m_previous;
};

class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override { InstallChannel(channel); }
    void TearDown() override { InstallChannel(nullptr); }

    std::vector<std::string> Messages() { return driver->MessageTexts(); }
    // The last request, head and body, must be exactly these bytes.
    void ExpectSent(const _PacketHead& head, const std::vector<char>& body) {
        ASSERT_FALSE(channel->requests.empty());
        EXPECT_EQ(BytesOf(channel->Last().head), BytesOf(head));
        EXPECT_EQ(channel->Last().body, body);
    }
    // Each operation (0 insert, 1 update, 2 delete), called through the base
    // class, sends this body with its operation value.
    void ExpectCommands(CBaseMgr& mgr, int16_t code, const std::vector<char>& body, std::vector<int> ops = {0, 1, 2}) {
        for (int op : ops) {
            ASSERT_TRUE(op == 0 ? mgr.Insert() : op == 1 ? mgr.Update() : mgr.Delete());
            ExpectSent(ExpectedHead(code, 1, op), body);
        }
    }

    std::shared_ptr<RecordingChannel> channel = std::make_shared<RecordingChannel>();
    win::ScopedHeadlessDriver driver;
    CBASEBASE dlg{0};
};

}  // namespace kel::testing
