// The channel of the embedded default: requests go straight to a handler in the same
// process (the application server's dispatcher) instead of over a socket.
//
// Send runs the handler at once and queues its answer; Receive hands out the oldest
// answer queued by the calling thread, and fails with kChannelReceiveFailed (without
// waiting) when there is none. Keeping one queue per thread means a thread never
// receives another thread's answer. The frame cap of the wire applies both ways: a
// request over it is refused before the handler runs, an answer over it is queued as
// a kChannelFrameTooLarge failure for the matching Receive, as a socket peer would
// see it. Handler calls are serialised, like the requests of one connection.
//
// No log-on is needed (the host already knows its user); LogOn runs the same check
// through the handler when a caller wants it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "common/net/Channel.h"
#include "common/net/Logon.h"

namespace kel::net {

class InProcessChannel final : public Channel {
public:
    // `answerHead` arrives zero-filled and `answerBody` empty.
    using Handler = std::function<void(const _PacketHead& request, std::string_view body, _PacketHead& answerHead,
                                       std::vector<char>& answerBody)>;

    explicit InProcessChannel(Handler handler);

    int Send(const _PacketHead& head, const void* body, std::size_t length) override;
    int Receive(_PacketHead& head, std::vector<char>& body) override;

    ConnectResult LogOn(std::string_view userCode, std::string_view password);

    // Answers queued for the calling thread and not yet received.
    std::size_t Pending() const;

private:
    struct Answer {
        int result = kChannelOk;
        _PacketHead head{};
        std::vector<char> body;
    };

    Handler m_handler;
    mutable std::mutex m_mutex;
    std::map<std::thread::id, std::deque<Answer>> m_queues;
};

}  // namespace kel::net
