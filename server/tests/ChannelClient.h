// A client of the real TCP listener through the host's own channel: logs on,
// sends requests and returns each answer as a Reply (status -1 when the channel
// failed).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/net/TcpChannel.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {

class ChannelClient {
public:
    // Connects and logs on; Ok() tells whether that worked.
    ChannelClient(uint16_t port, std::string_view user, std::string_view password) {
        ok_ = channel_.Connect("127.0.0.1", port, user, password).ok();
    }
    bool Ok() const { return ok_; }

    Reply Call(int code, std::string_view body = {}, int32_t op = 0, int16_t count = 1) {
        _PacketHead h{};
        h.nTransCode = static_cast<int16_t>(code);
        h.nCount = count;
        h.nSubSystem = (code >= 163 && code <= 167) ? kSubSystemPrompt : kSubSystemDefault;
        h.nOperation = op;
        Reply r;
        if (channel_.Send(h, body.data(), body.size()) != 0 || channel_.Receive(r.head, r.body) != 0)
            r.head.cStatus = -1;
        return r;
    }
    template <class R>
    Reply CallRecord(int code, const R& r, int32_t op = 0) {
        return Call(code, Bytes(r), op);
    }

private:
    kel::net::TcpChannel channel_;
    bool ok_ = false;
};

}  // namespace kel::server::test
