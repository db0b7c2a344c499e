#include "host/qxcommon/RefusalText.h"

#include <algorithm>
#include <array>

#include "common/records/AnswerStatus.h"
#include "common/records/TransactionCodes.h"

namespace kel {
namespace {

// Commands whose operation inserts, updates or deletes one keyed record, so that a
// refusal by a rule means the key exists (insert), is gone (update) or is in use
// (delete). The others (generate, adjust, product sets, order moves) are refused
// for reasons of their own.
constexpr std::array<int, 10> kRecordCommands = {181, 183, 187, 188, 189, 192, 199, 206, 214, 217};

bool IsRecordCommand(int code) {
    return std::find(kRecordCommands.begin(), kRecordCommands.end(), code) != kRecordCommands.end();
}

// An update or delete is also refused when someone else changed the record since
// this client read it: the user reads it again and repeats the change.
constexpr const char* kReadAgain = "\n如该记录已被其他用户修改，请重新查询后再操作。";

CString RuleRefusal(int code, int32_t operation) {
    if (IsRecordCommand(code)) {
        switch (operation) {
            case records::kOpInsert: return "服务器拒绝保存：该记录已存在，或不符合规则!";
            case records::kOpUpdate: return CString("服务器拒绝保存：该记录已不存在，或不符合规则!") + kReadAgain;
            case records::kOpDelete: return CString("服务器拒绝删除：该记录不存在，或正在被使用!") + kReadAgain;
            default: break;
        }
    }
    return "服务器拒绝了该操作：相关记录已存在、不存在或正在被使用!";
}

}  // namespace

CString RefusalText(int code, int32_t operation, int status) {
    CString text;
    switch (status) {
        case records::kStatusRefused: return RuleRefusal(code, operation);
        case records::kStatusBadRequest: return "服务器拒绝了该请求：数据格式不正确!";
        case records::kStatusServerFailure: return "服务器数据库处理失败，数据未保存!";
        case records::kStatusUnknownCode: text.Format("服务器不支持该交易(交易码 %d)!", code); return text;
        case records::kStatusTooLarge: return "数据量过大，服务器无法处理!";
        default: text.Format("服务器处理失败(状态 %d)!", status); return text;
    }
}

}  // namespace kel
