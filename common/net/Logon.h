// Log-on: the first frame a client sends on a new connection.
//
// Request head: transaction code 1, count 1, subsystem 82, everything else zero.
// Body: _LogonBody. Answer: a head whose status byte is 0 when the user is logged on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/records/PacketHead.h"

#pragma pack(push, 1)
struct _LogonBody {
    char szUserCode[21];  // 0: GBK, NUL-terminated, zero-padded
    char szPassword[43];  // 21: GBK, NUL-terminated, zero-padded
};
#pragma pack(pop)

static_assert(sizeof(_LogonBody) == 64);
static_assert(offsetof(_LogonBody, szUserCode) == 0);
static_assert(offsetof(_LogonBody, szPassword) == 21);

namespace kel {
class Channel;
}

namespace kel::net {

inline constexpr int16_t kLogonTransCode = 1;
// Longest texts that fit with their terminator, in GBK bytes.
inline constexpr std::size_t kMaxUserCodeBytes = sizeof(_LogonBody::szUserCode) - 1;
inline constexpr std::size_t kMaxPasswordBytes = sizeof(_LogonBody::szPassword) - 1;

// Outcome of opening a channel or logging on. `error` is a kel::ChannelError code
// (0 = success); `message` says in words what went wrong. `refused` is set when the
// server answered the log-on with a non-zero status (wrong user or password), as
// opposed to not being reachable.
struct ConnectResult {
    int error = 0;
    bool refused = false;
    std::string message;
    bool ok() const { return error == 0; }
};

// Builds the log-on request from UTF-8 texts. A user code or password that is
// empty (user code only), too long or not representable in GBK is refused with a
// message rather than cut: a shortened user code could name another user.
ConnectResult BuildLogonRequest(std::string_view userCode, std::string_view password, _PacketHead& head,
                                _LogonBody& body);

// Judges the answer head of a log-on.
ConnectResult CheckLogonAnswer(const _PacketHead& answer);

// Sends the log-on through any channel and waits for its answer.
ConnectResult LogOn(Channel& channel, std::string_view userCode, std::string_view password);

}  // namespace kel::net
