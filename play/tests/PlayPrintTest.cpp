// A list printed during a play goes to the transcript: its title, header and rows.
#include <gtest/gtest.h>

#include <sstream>

#include "play/PlayDriver.h"

namespace kel::play {
namespace {

TEST(PlayPrint, APrintedListIsWrittenToTheTranscriptCellByCell) {
    std::ostringstream out;
    PlayDriver driver({}, out);
    win::PrintJob job{
        "合约检查结果 M1", {"合约代码", "检查结果"}, {{"M1", "再保人份额合计0.9000，不等于1"}, {"M1", ""}}};
    EXPECT_TRUE(driver.PrintTable(nullptr, job));
    EXPECT_EQ(out.str(),
              "print \"合约检查结果 M1\"\n"
              "  \"合约代码\" \"检查结果\"\n"
              "  \"M1\" \"再保人份额合计0.9000，不等于1\"\n"
              "  \"M1\" \"\"\n");
}

}  // namespace
}  // namespace kel::play
