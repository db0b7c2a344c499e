// A channel for manager tests: records every request and answers from a script.
// It can fail a send or a receive, or answer with a failed status, on demand.
#pragma once

#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "common/net/Channel.h"
#include "common/records/PacketHead.h"
#include "common/records/TransactionCodes.h"
#include "common/text/GbkText.h"

namespace kel::testing {

struct SentRequest {
    _PacketHead head;
    std::vector<char> body;
};

struct ScriptedAnswer {
    int receiveResult = 0;  // non-zero: the receive fails with it
    _PacketHead head{};
    std::vector<char> body;
    // As the server does, the answer repeats the request's transaction code unless
    // the script wants the head's own code (an answer to something else).
    bool keepCode = false;
};

class RecordingChannel : public Channel {
public:
    int sendResult = 0;  // non-zero: every send fails with it (nothing recorded)
    std::vector<SentRequest> requests;
    std::deque<ScriptedAnswer> answers;  // without one: status 0, count 0, no body
    // Asks for the reason of a refusal are kept apart from `requests` and answered
    // from `reasons` (UTF-8); without one, as a server that does not know the ask.
    std::deque<std::string> reasons;
    int reasonAsks = 0;

    int Send(const _PacketHead& head, const void* body, std::size_t length) override {
        if (sendResult) return sendResult;
        if (head.nTransCode == records::kRefusalReasonCode) {
            ++reasonAsks;
            askedReason_ = true;
            return 0;
        }
        const char* bytes = static_cast<const char*>(body);
        requests.push_back({head, std::vector<char>(bytes, bytes + length)});
        return 0;
    }

    int Receive(_PacketHead& head, std::vector<char>& body) override {
        if (askedReason_) {
            askedReason_ = false;
            head = _PacketHead{};
            head.nTransCode = records::kRefusalReasonCode;
            body.clear();
            if (reasons.empty()) {
                head.cStatus = 4;
                return 0;
            }
            body.assign(records::kRefusalReasonBytes, '\0');
            text::PutField(body.data(), body.size(), reasons.front());
            reasons.pop_front();
            head.nCount = 1;
            return 0;
        }
        ScriptedAnswer answer;
        if (!answers.empty()) {
            answer = std::move(answers.front());
            answers.pop_front();
        }
        if (answer.receiveResult) return answer.receiveResult;
        if (!answer.keepCode && !requests.empty()) answer.head.nTransCode = requests.back().head.nTransCode;
        head = answer.head;
        body = std::move(answer.body);
        return 0;
    }

    // Script helpers.
    void FailReceive(int result) { answers.push_back({result, {}, {}}); }
    void AnswerStatus(int8_t status) {
        ScriptedAnswer a;
        a.head.cStatus = status;
        answers.push_back(std::move(a));
    }
    // A well-formed answer that carries transaction code `code` whatever was asked.
    void AnswerWithCode(int16_t code, int16_t count = 0, std::vector<char> body = {}) {
        ScriptedAnswer a;
        a.head.nTransCode = code;
        a.head.nCount = count;
        a.body = std::move(body);
        a.keepCode = true;
        answers.push_back(std::move(a));
    }
    // An answer with head count `count` and these raw body bytes.
    void AnswerRaw(int16_t count, std::vector<char> body) {
        ScriptedAnswer a;
        a.head.nCount = count;
        a.body = std::move(body);
        answers.push_back(std::move(a));
    }
    template <class T>
    void AnswerRecords(const std::vector<T>& records) {
        std::vector<char> body(records.size() * sizeof(T));
        if (!records.empty()) std::memcpy(body.data(), records.data(), body.size());
        AnswerRaw(static_cast<int16_t>(records.size()), std::move(body));
    }

    const SentRequest& Last() const { return requests.back(); }

private:
    bool askedReason_ = false;
};

// The bytes of a record, for byte-exact comparisons.
template <class T>
std::vector<char> BytesOf(const T& value) {
    const char* p = reinterpret_cast<const char*>(&value);
    return std::vector<char>(p, p + sizeof(T));
}

inline void Append(std::vector<char>& out, const std::vector<char>& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// The request head the module must send: zero but for these fields.
inline _PacketHead ExpectedHead(int16_t code, int16_t count = 1, int32_t operation = 0) {
    _PacketHead head;
    std::memset(&head, 0, sizeof head);
    head.nTransCode = code;
    head.nCount = count;
    head.nSubSystem = kSubSystemDefault;
    head.nOperation = operation;
    return head;
}

}  // namespace kel::testing
