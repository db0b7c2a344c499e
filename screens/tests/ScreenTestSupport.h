// Screen tests: a recording channel and a headless driver for each test, record
// builders, and a look at a grid as the user sees it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/records/Records.h"
#include "common/text/GbkText.h"
#include "data/tests/support/RecordingChannel.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/testing/HeadlessDriver.h"

namespace kel::testing {

inline _ContCodeStruct ContCode(const char* code, const char* chn, const char* eng, char type, char flag = '\0') {
    _ContCodeStruct r{};
    text::PutField(r.szContCode, code);
    text::PutField(r.szChnName, chn);
    text::PutField(r.szEngName, eng);
    r.cContType = type;
    r.cMarkFlag = flag;
    return r;
}

inline _ExchRateStruct ExchRate(double rate, const char* src, const char* dst, const char* start, const char* end) {
    _ExchRateStruct r{};
    r.dExchRate = rate;
    text::PutField(r.szSrcCurr, src);
    text::PutField(r.szDstCurr, dst);
    text::PutField(r.szStartDate, start);
    text::PutField(r.szEndDate, end);
    return r;
}

// The grid control of an open dialog.
inline CQXGrid& GridOf(win::DialogActions& a, int id) {
    auto* grid = dynamic_cast<CQXGrid*>(a.Item(id));
    if (!grid) throw std::runtime_error("no grid " + std::to_string(id));
    return *grid;
}

// Every row's cell texts, header row included.
inline std::vector<std::vector<std::string>> Cells(const CQXGrid& grid) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < grid.GetRowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < grid.GetColumnCount(); ++c) row.push_back(grid.GetItemText(r, c).str());
        rows.push_back(std::move(row));
    }
    return rows;
}

inline std::vector<int> Widths(const CQXGrid& grid) {
    std::vector<int> widths;
    for (int c = 0; c < grid.GetColumnCount(); ++c) widths.push_back(grid.GetColumnWidth(c));
    return widths;
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override { InstallChannel(channel); }
    void TearDown() override {
        EXPECT_TRUE(driver->Problems().empty()) << ::testing::PrintToString(driver->Problems());
        InstallChannel(nullptr);
    }

    std::vector<std::string> Messages() { return driver->MessageTexts(); }
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const auto& r : channel->requests) codes.push_back(r.head.nTransCode);
        return codes;
    }
    // Request `index` must be exactly this head and body.
    void ExpectRequest(size_t index, const _PacketHead& head, const std::vector<char>& body) {
        ASSERT_LT(index, channel->requests.size());
        EXPECT_EQ(BytesOf(channel->requests[index].head), BytesOf(head)) << "request " << index;
        EXPECT_EQ(channel->requests[index].body, body) << "request " << index;
    }

    std::shared_ptr<RecordingChannel> channel = std::make_shared<RecordingChannel>();
    win::ScopedHeadlessDriver driver;
};

}  // namespace kel::testing
