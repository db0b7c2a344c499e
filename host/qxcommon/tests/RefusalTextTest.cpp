// The refusal of an update or delete also tells the user that someone else may have
// changed the record, and to read it again; the other texts stay as they were.
#include <gtest/gtest.h>

#include <string>

#include "common/records/AnswerStatus.h"
#include "common/records/TransactionCodes.h"
#include "host/qxcommon/RefusalText.h"

namespace kel {
namespace {

using namespace records;

TEST(RefusalText, AnUpdateOrDeleteRefusedSaysToReadTheRecordAgain) {
    const std::string readAgain = "如该记录已被其他用户修改，请重新查询后再操作。";
    for (int code : {181, 183, 187, 188, 192, 199, 206, 214, 217}) {
        for (int32_t op : {kOpUpdate, kOpDelete}) {
            const std::string text = RefusalText(code, op, kStatusRefused).str();
            EXPECT_NE(text.find(readAgain), std::string::npos) << code << " " << op;
        }
    }
    EXPECT_EQ(RefusalText(183, kOpUpdate, kStatusRefused).str(),
              "服务器拒绝保存：该记录已不存在，或不符合规则!\n" + readAgain);
    EXPECT_EQ(RefusalText(214, kOpDelete, kStatusRefused).str(),
              "服务器拒绝删除：该记录不存在，或正在被使用!\n" + readAgain);
    // An insert, a failure of another kind, a command of no one record: as before.
    EXPECT_EQ(RefusalText(181, kOpInsert, kStatusRefused).str(), "服务器拒绝保存：该记录已存在，或不符合规则!");
    EXPECT_EQ(RefusalText(183, kOpUpdate, kStatusBadRequest).str(), "服务器拒绝了该请求：数据格式不正确!");
    EXPECT_EQ(RefusalText(136, 0, kStatusRefused).str(), "服务器拒绝了该操作：相关记录已存在、不存在或正在被使用!");
}

}  // namespace
}  // namespace kel
