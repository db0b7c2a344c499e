// Section managers: sections and the products of a section.
#include "data/SectDetailMgr.h"
#include "data/SectionMgr.h"
#include "data/tests/support/ManagerFixture.h"

using namespace kel::testing;

namespace {
using Sections = ManagerTest;

TEST_F(Sections, SectionRequests) {
    CSectionMgr mgr(&dlg);
    mgr.SetKey("4711");
    char* answer = nullptr;
    int count = 0;
    _SectionStruct section{0, 0.25, 4711, "QS", "S1", "S1"};
    channel->AnswerRecords(std::vector<_SectionStruct>{section});
    ASSERT_TRUE(mgr.GetSectionList(&answer, &count));
    EXPECT_EQ(count, 1);
    std::free(answer);
    std::vector<char> key(64, 0);
    std::memcpy(key.data(), "4711", 4);
    ExpectSent(ExpectedHead(191), key);

    mgr.SetSection(section);
    ExpectCommands(mgr, 192, BytesOf(section));
}

TEST_F(Sections, ProductsOfASection) {
    CSectDetailMgr mgr(&dlg);
    mgr.SetSectDetail({-12, "", ""});
    char* answer = nullptr;
    int count = 0;
    ASSERT_TRUE(mgr.GetSectDetailList(&answer, &count));
    EXPECT_EQ(count, 0);
    std::free(answer);
    std::vector<char> key(64, 0);
    std::memcpy(key.data(), "-12", 3);
    ExpectSent(ExpectedHead(193), key);

    _SectDetailStruct products[3] = {{7, "0101", ""}, {7, "0102", ""}, {7, "0201", ""}};
    ASSERT_TRUE(mgr.SetSectDetailList(products, 3));
    ASSERT_TRUE(mgr.Insert());
    std::vector<char> body;
    for (auto& p : products) Append(body, BytesOf(p));
    ASSERT_EQ(body.size(), 180u);
    ExpectSent(ExpectedHead(194, 3, 0), body);
}

}  // namespace
