// The treaty order of each month (134..138) and the user's prompts (163..167).
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;
using OrderAndPrompts = ServerTest;

template <class B>
B Body(const char* code, const char* month) {
    B b{};
    Set(b.szContCode, code);
    Set(b.szYearMonth, month);
    return b;
}

TEST_P(OrderAndPrompts, EachMonthKeepsPrioritiesOneToNWithoutGaps) {
    Seed();
    ASSERT_GE(
        Db().Execute("INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_type) VALUES ('Q2', '工程险成数合约', 'A')"),
        0);
    auto add = [&](const char* code, int32_t at) {
        auto b = Body<_OrderAddBody>(code, "202401");
        b.nOrderNo = at;
        return SendRecord(137, b).Status();
    };
    auto order = [&](const char* month = "202401") {
        _OrderMonthBody m{};
        Set(m.szYearMonth, month);
        std::string codes;
        int expected = 1;
        for (const auto& r : Send(134, Bytes(m)).Records<_ContOrderStruct>()) {
            EXPECT_EQ(r.nPriority, expected++);
            codes += Get(r.szContCode) + " ";
        }
        return codes;
    };
    EXPECT_EQ(add("Q1", 0), 0);
    EXPECT_EQ(add("S1", 7), 0);  // beyond the end appends
    EXPECT_EQ(add("X1", 1), 0);  // inserted at the front
    EXPECT_EQ(add("Q2", 3), 0);
    EXPECT_EQ(order(), "X1 Q1 Q2 S1 ");
    EXPECT_EQ(add("Q1", 0), kRefused);  // already in the order
    EXPECT_EQ(add("ZZ", 0), kRefused);  // no such treaty code
    EXPECT_EQ(add("S1", -1), kBadRequest);

    _OrderMonthBody m{};
    Set(m.szYearMonth, "202401");
    const auto first = Send(134, Bytes(m)).Records<_ContOrderStruct>()[0];
    EXPECT_EQ(Get(first.szContName), "超赔合约");
    EXPECT_EQ(Get(first.szContTypeName), "非比例合约");

    auto move = [&](const char* code, char dir) {
        auto b = Body<_OrderMoveBody>(code, "202401");
        b.cDirection = dir;
        return SendRecord(136, b).Status();
    };
    EXPECT_EQ(move("Q2", 'U'), 0);
    EXPECT_EQ(order(), "X1 Q2 Q1 S1 ");
    EXPECT_EQ(move("X1", 'U'), kRefused);  // the first cannot go up
    EXPECT_EQ(move("S1", 'D'), kRefused);  // the last cannot go down
    EXPECT_EQ(move("X1", 'D'), 0);
    EXPECT_EQ(move("X1", 'X'), kBadRequest);
    EXPECT_EQ(order(), "Q2 X1 Q1 S1 ");

    EXPECT_EQ(SendRecord(135, Body<_OrderDeleteBody>("X1", "202401")).Status(), 0);
    EXPECT_EQ(SendRecord(135, Body<_OrderDeleteBody>("X1", "202401")).Status(), kRefused);
    EXPECT_EQ(order(), "Q2 Q1 S1 ");
    EXPECT_EQ(SendRecord(135, Body<_OrderDeleteBody>("Q2", "202413")).Status(), kBadRequest);  // no month 13

    _OrderCopyBody copy{};
    Set(copy.szSrcYearMonth, "202401");
    Set(copy.szNewYearMonth, "202402");
    EXPECT_EQ(SendRecord(138, copy).Status(), 0);
    EXPECT_EQ(order("202402"), "Q2 Q1 S1 ");
    EXPECT_EQ(SendRecord(138, copy).Status(), kRefused);  // the new month has an order now
    Set(copy.szSrcYearMonth, "209912");
    Set(copy.szNewYearMonth, "209901");
    EXPECT_EQ(SendRecord(138, copy).Status(), kRefused);  // nothing to copy
}

TEST_P(OrderAndPrompts, TheUserSeesWaitingItemsOfTheTypesSwitchedOnUntilProcessed) {
    ASSERT_GE(Db().Execute("INSERT INTO t_user (c_user_cde, c_user_nme, c_pwd_hash) VALUES ('li', '李', '$y$x'), "
                           "('wang', '王', '$y$x')"),
              0);
    ASSERT_GE(Db().Execute("INSERT INTO t_detail_info (n_item_id, c_user_cde, c_doc_no, c_doc_type, c_prompt_type, "
                           "c_description, c_processed) VALUES "
                           "(1, 'li', 'P001', 'P', 'A', '超限额', 'N'), (2, 'li', 'P002', 'P', 'B', '需临分', 'N'), "
                           "(3, 'li', 'P003', 'E', 'B', '批改', 'N'), (4, 'wang', 'P004', 'P', 'B', '他人', 'N')"),
              0);
    client_.LogOn("li");  // the connection acts for li
    _UserCodeBody li{};
    Set(li.szUserCode, "li");
    auto set = [&](const char* user, char type, char action) {
        _PromptSetStruct p{};
        Set(p.szUserCode, user);
        p.cPromptType = type;
        p.cAction = action;
        return SendRecord(164, p).Status();
    };
    EXPECT_EQ(Send(165, Bytes(li)).Count(), 0);  // no type switched on yet
    EXPECT_EQ(set("li", 'B', 'A'), 0);
    EXPECT_EQ(set("li", 'B', 'A'), 0);  // switching on twice is harmless
    EXPECT_EQ(set("li", 'C', 'A'), 0);
    EXPECT_EQ(set("li", 'C', 'D'), 0);
    EXPECT_EQ(set("li", 'F', 'A'), kBadRequest);
    EXPECT_EQ(set("li", 'A', 'X'), kBadRequest);
    EXPECT_EQ(set("nobody", 'A', 'A'), kRefused);
    EXPECT_EQ(set("wang", 'B', 'D'), kRefused);  // another user's settings

    const auto types = Send(163, Bytes(li)).Records<_PromptSetStruct>();
    ASSERT_EQ(types.size(), 1u);
    EXPECT_EQ(types[0].cPromptType, 'B');

    const Reply count = Send(165, Bytes(li));
    EXPECT_EQ(count.Count(), 2);
    EXPECT_TRUE(count.body.empty());
    const auto items = Send(166, Bytes(li)).Records<_DetailInfoStruct>();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(Get(items[0].szDocNo), "P002");
    EXPECT_EQ(Get(items[0].szDescription), "需临分");
    EXPECT_EQ(items[1].cDocType, 'E');

    _DetailActBody act{};
    std::memcpy(act.szItemKey, items[0].szItemKey, sizeof act.szItemKey);
    Set(act.szUserCode, "wang");
    EXPECT_EQ(SendRecord(167, act).Status(), kRefused);  // not wang's item, and wang is not logged on
    Set(act.szUserCode, "li");
    EXPECT_EQ(SendRecord(167, act).Status(), 0);
    EXPECT_EQ(SendRecord(167, act).Status(), kRefused);  // already processed
    EXPECT_EQ(Send(165, Bytes(li)).Count(), 1);
    EXPECT_EQ(Send(166, Bytes(li)).Count(), 1);
}

KELMOR_SERVER_BACKENDS(OrderAndPrompts);

}  // namespace
}  // namespace kel::server::test
