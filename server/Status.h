// Answer status bytes of the application server, and the fault that a handler
// raises to end a request with one of them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kel::server {

enum Status : int8_t {
    kOk = 0,
    kRefused = 1,         // a rule of the server: key exists / is missing, in use, not allowed
    kBadRequest = 2,      // the request does not make sense: sizes, counts, texts, values
    kServerFailure = 3,   // the database failed; nothing was written
    kUnknownCode = 4,     // no handler for the transaction code
    kAnswerTooLarge = 5,  // the answer would not fit one frame or a 16-bit count
};

// Thrown inside a request; the dispatcher rolls back and answers `status`.
// `why` goes to the log (English, for the operator); `reason` is what the clerk
// reads (UTF-8 Chinese, sent as GBK by the refusal reason transaction). An empty
// reason falls back to a general one for the status (ReasonOf).
class Fault : public std::runtime_error {
public:
    Fault(Status status, const std::string& why, std::string reason = {})
        : std::runtime_error(why), status_(status), reason_(std::move(reason)) {}
    Status status() const { return status_; }
    const std::string& reason() const { return reason_; }

private:
    Status status_;
    std::string reason_;
};

// Every refusal by a rule names its cause for the clerk.
[[noreturn]] inline void Refuse(const std::string& why, std::string reason) {
    throw Fault(kRefused, why, std::move(reason));
}
// A malformed request: the client sent what no form lets a clerk type, so the
// general reason usually serves; handlers that can say more pass a reason.
[[noreturn]] inline void BadRequest(const std::string& why, std::string reason = {}) {
    throw Fault(kBadRequest, why, std::move(reason));
}

// The general reason for a status, for faults that carry none.
inline const char* GeneralReason(Status status) {
    switch (status) {
        case kOk: return "";
        case kRefused: return "服务器按规则拒绝了该请求";
        case kBadRequest: return "请求中的数据不完整或格式不正确";
        case kServerFailure: return "服务器数据库出错，本次操作未保存任何修改";
        case kUnknownCode: return "服务器不支持该请求";
        case kAnswerTooLarge: return "结果过多，无法一次传回，请缩小查询范围";
    }
    return "";
}

}  // namespace kel::server
