#include "common/net/InProcessChannel.h"

#include "common/net/Frame.h"

namespace kel::net {

InProcessChannel::InProcessChannel(Handler handler) : m_handler(std::move(handler)) {}

int InProcessChannel::Send(const _PacketHead& head, const void* body, std::size_t length) {
    if (!m_handler) return kChannelNotConnected;
    if (length > kMaxBodyBytes) return kChannelFrameTooLarge;
    if (length > 0 && body == nullptr) return kChannelSendFailed;

    std::lock_guard lock(m_mutex);
    Answer answer;
    try {
        m_handler(head, std::string_view(static_cast<const char*>(body), length), answer.head, answer.body);
    } catch (...) {
        // A dispatcher that throws is a server fault; the client sees a failed send.
        return kChannelSendFailed;
    }
    if (answer.body.size() > kMaxBodyBytes) {
        answer = Answer{};
        answer.result = kChannelFrameTooLarge;
    }
    try {
        m_queues[std::this_thread::get_id()].push_back(std::move(answer));
    } catch (...) {
        return kChannelNoMemory;
    }
    return kChannelOk;
}

int InProcessChannel::Receive(_PacketHead& head, std::vector<char>& body) {
    std::lock_guard lock(m_mutex);
    const auto queue = m_queues.find(std::this_thread::get_id());
    if (queue == m_queues.end() || queue->second.empty()) return kChannelReceiveFailed;
    Answer answer = std::move(queue->second.front());
    queue->second.pop_front();
    if (queue->second.empty()) m_queues.erase(queue);
    if (answer.result != kChannelOk) return answer.result;
    head = answer.head;
    body = std::move(answer.body);
    return kChannelOk;
}

ConnectResult InProcessChannel::LogOn(std::string_view userCode, std::string_view password) {
    return net::LogOn(*this, userCode, password);
}

std::size_t InProcessChannel::Pending() const {
    std::lock_guard lock(m_mutex);
    const auto queue = m_queues.find(std::this_thread::get_id());
    return queue == m_queues.end() ? 0 : queue->second.size();
}

}  // namespace kel::net
