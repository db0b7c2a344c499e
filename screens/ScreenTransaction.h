// The transactions that screens build themselves (the treaty order, the prompt
// settings, the detail information items): one request and its answer through the
// screen's CBASEBASE channel. The head comes from the transaction table; an answer
// counts only when it answers this request and holds every record it announces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/records/PacketHead.h"
#include "common/records/TransactionCodes.h"

class CBASEBASE;

namespace kel::screens {

enum class Outcome {
    Ok,
    SendFailed,     // result: what the send returned
    ReceiveFailed,  // result: what the receive returned; an answer to another code or
                    // one shorter than its count is kChannelReceiveFailed
    Refused,        // the answer's status byte is not 0; result 0
};

struct FreeBody {
    void operator()(char* body) const { std::free(body); }
};

struct ScreenAnswer {
    Outcome outcome = Outcome::SendFailed;
    int result = 0;
    _PacketHead head{};
    std::unique_ptr<char, FreeBody> body;  // the answer body (released with free)
    int count = 0;                         // the answer head's record count

    bool Ok() const { return outcome == Outcome::Ok; }
    // Record `index` of the body, copied out (the buffer is not aligned for T).
    template <class T>
    T Record(int index) const {
        T record;
        std::memcpy(&record, body.get() + static_cast<std::size_t>(index) * sizeof(T), sizeof(T));
        return record;
    }
};

// A request head: zero-filled, then the code, record count 1 and the subsystem
// value the transaction table gives the code (82, or 80 for 163..167).
_PacketHead ScreenHead(int16_t code);

// Sends `length` bytes of `body` as transaction `code` and reads the answer.
ScreenAnswer Transact(CBASEBASE& screen, int16_t code, const void* body, std::size_t length);

// The fixed request size the transaction table gives `code`; 0 for a code the
// module does not send or whose body is not of one fixed size. (Compares values
// only, so that it stays a constant expression under the sanitizers too.)
constexpr std::size_t FixedBodySize(int16_t code) {
    for (const records::TransactionInfo& t : records::kTransactions)
        if (t.nCode == code) return t.bodyRule == records::BodyRule::Fixed ? t.nFixed : 0;
    return 0;
}

// The body's size is held against the transaction table when it is compiled.
template <int16_t Code, class Body>
ScreenAnswer Transact(CBASEBASE& screen, const Body& body) {
    static_assert(FixedBodySize(Code) == sizeof(Body), "the body is not the size the transaction table gives");
    return Transact(screen, Code, &body, sizeof body);
}

// Tells the user of a failure the framework's way: a failed send or receive with
// DispErrBox and its result; a refusal of a query with DispErrBox(0), of a command
// with the framework's refusal message.
void ShowFailure(CBASEBASE& screen, int16_t code, const ScreenAnswer& answer);

// Tells the user that a send or receive failed, in the screens' own words ("发送数据包失败!",
// "接收数据包失败"), except where the channel knows more: no server could be reached (nothing
// was sent), or the answer was lost and the request may have been carried out.
void ShowTransportFailure(CBASEBASE& screen, const ScreenAnswer& answer);

// True when the request went out and its answer was lost on the way back.
bool AnswerLost(const ScreenAnswer& answer);
// True when no server answered and none can be reached now (nothing was sent, or
// the answer was lost and connecting again failed): reading again would only fail
// once more.
bool ServerUnreached(const ScreenAnswer& answer);

// The logged-on user's code into a request field (21 bytes, at most 20 characters).
void PutUserCode(char (&field)[21]);

}  // namespace kel::screens
